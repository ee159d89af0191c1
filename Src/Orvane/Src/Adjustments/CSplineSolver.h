// A natural cubic spline through up to 16 points, and the curve tables built from it.
//
// Points are added in increasing x; Solve computes the derivative at every point (the natural spline's,
// whose second derivative vanishes at both ends); Evaluate then follows the cubic Hermite segment between
// the two points around x, and holds the end values beyond the first and last point.
#pragma once

#include "Src/Pellin/Isol/IsolTypes.h"

inline constexpr int32 kMaxSplinePoints = 16;

class CSplineSolver {
public:
    // A point beyond the 16th is reported ("CSplineSolver:Too many points") and ignored.
    void AddPoint(int32 inX, int32 inY);
    // Fewer than 2 points are reported ("CSplineSolver:Too few points") and leave the derivatives at 0.
    void Solve();
    double Evaluate(double inX) const;
    // Evaluate rounded to the nearest integer, halves away from zero.
    int32 EvaluateRounded(double inX) const;
    int32 Count() const { return count; }
    double Slope(int32 inIndex) const { return slope[inIndex]; }

private:
    int16 count = 0;
    int16 x[kMaxSplinePoints] = {};
    int16 y[kMaxSplinePoints] = {};
    double slope[kMaxSplinePoints] = {};
};

// A curve of 2 to 16 points (input, output), both 0..255, of which the first `count` are used.
struct CurvePoints {
    struct Point {
        int32 input = 0;
        int32 output = 0;
        bool operator==(const Point&) const = default;
    };

    int32 count = 2;
    Point points[kMaxSplinePoints] = {{0, 0}, {255, 255}};

    // The null curve, (0, 0) to (255, 255): the identity.
    bool IsNull() const;
    bool operator==(const CurvePoints& inOther) const;
};

// outTable[x] = the spline through the curve's points at x, rounded (halves away from zero) and clamped
// to 0..255; the identity for the null curve. A point whose input does not exceed the previous kept
// point's input is left out, so the spline always runs through strictly increasing inputs; when only one
// point is left the table holds its output throughout.
void FitSplineCurve(const CurvePoints& inCurve, uint8* outTable);

// The curve of a table: the 9 points (x, table[x]) at x = (k * 255 + 4) / 8 for k = 0..8; the null curve
// for the identity table.
CurvePoints CurveFromMap(const uint8* inTable);
