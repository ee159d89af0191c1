// Nested progress of a long operation, as a fraction from 0 to 1.
//
// A scope maps its own 0..1 progress into a slice [start, end] of its parent's. A root scope has no
// parent and covers 0..1. The display (UpdateDisplay) changes only when progress moves forward by more
// than 0.005, reaches 1.0, or becomes indeterminate (-1.0); the parent hears of every report. A scope
// lives on the stack of the operation it measures and completes itself (1.0) when it is destroyed; the
// parent must outlive it.
#pragma once

#include "Src/Pellin/Isol/Allocator.h"

class LProgressScope : public LAllocatedObject {
public:
    static constexpr double kIndeterminate = -1.0;

    // SetParent(inParent, 0.0, inEnd): the slice starts at the parent's current progress.
    explicit LProgressScope(LProgressScope* inParent = nullptr, double inEnd = 1.0);
    // Completes the scope (1.0); failures while doing so are swallowed.
    virtual ~LProgressScope();
    LProgressScope(const LProgressScope&) = delete;
    LProgressScope& operator=(const LProgressScope&) = delete;

    // Without a parent the slice is 0..1. With one, it is inStart..inEnd, where a start of 0.0 means
    // the parent's current fraction.
    virtual void SetParent(LProgressScope* inParent, double inStart, double inEnd);
    // Reports progress p (0..1, or -1.0 for indeterminate). Out-of-range values are reported as
    // assertions and then used as they are.
    virtual void SetPortionComplete(double inPortionComplete);
    // Shows the current fraction; the base scope has no display.
    virtual void UpdateDisplay() {}

    void MarkIndeterminate() { SetPortionComplete(kIndeterminate); }

    LProgressScope* Parent() const { return mParent; }
    double Current() const { return mCurrent; }
    double Start() const { return mStart; }
    double End() const { return mEnd; }

private:
    LProgressScope* mParent = nullptr;
    double mCurrent = 0.0;
    double mStart = 0.0;
    double mEnd = 1.0;
};
