#include "Src/PowerPellin/LProgressScope.h"

#include "Src/Pellin/Isol/Report.h"

LProgressScope::LProgressScope(LProgressScope* inParent, double inEnd) {
    SetParent(inParent, 0.0, inEnd);
}

LProgressScope::~LProgressScope() {
    try {
        SetPortionComplete(1.0);
    } catch (...) {
    }
}

void LProgressScope::SetParent(LProgressScope* inParent, double inStart, double inEnd) {
    mParent = inParent;
    if (inParent == nullptr) {
        mStart = 0.0;
        mEnd = 1.0;
    } else {
        mStart = inStart == 0.0 ? inParent->Current() : inStart;
        mEnd = inEnd;
    }
}

void LProgressScope::SetPortionComplete(double inPortionComplete) {
    const bool indeterminate = inPortionComplete == kIndeterminate;
    if (!indeterminate) {
        LASSERT(inPortionComplete >= 0.0);
        LASSERT(inPortionComplete <= 1.0);
    }
    // Small forward steps do not redraw; completion and indeterminacy always do.
    const bool changed = indeterminate ? mCurrent != kIndeterminate
                                       : (inPortionComplete - mCurrent > 0.005 ||
                                          (inPortionComplete == 1.0 && mCurrent < 1.0));
    if (changed) {
        mCurrent = inPortionComplete;
        UpdateDisplay();
    }
    if (mParent == nullptr) return;
    if (mCurrent == kIndeterminate)
        mParent->MarkIndeterminate();
    else
        mParent->SetPortionComplete(mStart + (mEnd - mStart) * inPortionComplete);
}
