#include "Src/Orvane/Src/Adjustments/CSplineSolver.h"

#include "Src/Orvane/Src/Adjustments/AdjustmentTables.h"
#include "Src/Pellin/Isol/Report.h"

void CSplineSolver::AddPoint(int32 inX, int32 inY) {
    if (count >= kMaxSplinePoints) {
        LREPORT("CSplineSolver:Too many points");
        return;
    }
    x[count] = int16(inX);
    y[count] = int16(inY);
    slope[count] = 0.0;
    ++count;
}

// The derivatives d solve the tridiagonal system of the natural spline, each row divided by its diagonal
// entry so that the diagonal is 1:
//   first row  d0 + 1/2 d1 = 3/2 s0
//   inner row  a d(i-1) + d(i) + c d(i+1) = r, with D = 2 (h(i-1) + h(i)), a = h(i) / D, c = h(i-1) / D,
//              r = 3 (h(i) s(i-1) + h(i-1) s(i)) / D
//   last row   1/2 d(n-2) + d(n-1) = 3/2 s(n-2)
// where h are the segment widths and s the segment slopes. Forward elimination leaves an upper
// bidiagonal system (1 on the diagonal, upper[i] above it) that back substitution solves.
void CSplineSolver::Solve() {
    if (count < 2) {
        LREPORT("CSplineSolver:Too few points");
        return;
    }
    const int32 n = count;
    double h[kMaxSplinePoints];
    double s[kMaxSplinePoints];
    for (int32 i = 0; i + 1 < n; ++i) {
        h[i] = double(x[i + 1]) - double(x[i]);
        s[i] = (double(y[i + 1]) - double(y[i])) / h[i];
    }
    if (n == 2) {
        slope[0] = slope[1] = s[0];
        return;
    }
    double upper[kMaxSplinePoints];
    double right[kMaxSplinePoints];
    upper[0] = 0.5;
    right[0] = 1.5 * s[0];
    for (int32 i = 1; i < n; ++i) {
        double lower;
        double above;
        double value;
        if (i == n - 1) {
            lower = 0.5;
            above = 0.0;
            value = 1.5 * s[n - 2];
        } else {
            const double diagonal = 2.0 * (h[i - 1] + h[i]);
            lower = h[i] / diagonal;
            above = h[i - 1] / diagonal;
            value = 3.0 * (h[i] * s[i - 1] + h[i - 1] * s[i]) / diagonal;
        }
        const double pivot = 1.0 - lower * upper[i - 1];
        upper[i] = above / pivot;
        right[i] = (value - lower * right[i - 1]) / pivot;
    }
    slope[n - 1] = right[n - 1];
    for (int32 i = n - 2; i >= 0; --i) slope[i] = right[i] - upper[i] * slope[i + 1];
}

// Between points j-1 and j, with t and u the distances to them as fractions of the segment width h:
// (y(j-1) (2 - u + t) + d(j-1) h t) u^2 + (y(j) (2 - t + u) - d(j) h u) t^2.
double CSplineSolver::Evaluate(double inX) const {
    if (count == 0) return 0.0;
    if (inX <= x[0]) return y[0];
    if (inX >= x[count - 1]) return y[count - 1];
    int32 j = 1;
    while (j < count - 1 && x[j] < inX) ++j;
    const double h = double(x[j]) - double(x[j - 1]);
    const double t = (inX - x[j - 1]) / h;
    const double u = (x[j] - inX) / h;
    return (y[j - 1] * (2.0 - u + t) + slope[j - 1] * h * t) * u * u +
           (y[j] * (2.0 - t + u) - slope[j] * h * u) * t * t;
}

int32 CSplineSolver::EvaluateRounded(double inX) const {
    return RoundHalfAway(Evaluate(inX));
}

bool CurvePoints::IsNull() const {
    return count == 2 && points[0] == Point{0, 0} && points[1] == Point{255, 255};
}

bool CurvePoints::operator==(const CurvePoints& inOther) const {
    if (count != inOther.count) return false;
    for (int32 i = 0; i < count && i < kMaxSplinePoints; ++i)
        if (!(points[i] == inOther.points[i])) return false;
    return true;
}

void FitSplineCurve(const CurvePoints& inCurve, uint8* outTable) {
    if (inCurve.IsNull()) {
        SetIdentity(outTable);
        return;
    }
    CSplineSolver solver;
    int32 lastInput = -1;
    int32 lastOutput = 0;
    const int32 count = inCurve.count < kMaxSplinePoints ? inCurve.count : kMaxSplinePoints;
    for (int32 i = 0; i < count; ++i) {
        const CurvePoints::Point& point = inCurve.points[i];
        if (solver.Count() > 0 && point.input <= lastInput) continue;
        solver.AddPoint(point.input, point.output);
        lastInput = point.input;
        lastOutput = point.output;
    }
    if (solver.Count() < 2) {
        SetConstant(outTable, 0, kTableSize - 1, lastOutput);
        return;
    }
    solver.Solve();
    for (int32 i = 0; i < kTableSize; ++i) {
        const int32 value = solver.EvaluateRounded(i);
        outTable[i] = uint8(value < 0 ? 0 : (value > 255 ? 255 : value));
    }
}

CurvePoints CurveFromMap(const uint8* inTable) {
    CurvePoints curve;
    if (IsIdentity(inTable)) return curve;
    curve.count = 9;
    for (int32 k = 0; k < 9; ++k) {
        const int32 input = (k * 255 + 4) / 8;
        curve.points[k] = CurvePoints::Point{input, inTable[input]};
    }
    return curve;
}
