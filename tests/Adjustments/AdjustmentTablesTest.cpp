// The table toolkit and the spline, against independent formulations of what they must compute.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "Src/Orvane/Src/Adjustments/AdjustmentTables.h"
#include "Src/Orvane/Src/Adjustments/CSplineSolver.h"
#include "tests/support/ReportCapture.h"

namespace {

std::vector<uint8> Table(const uint8* inTable) {
    return std::vector<uint8>(inTable, inTable + 256);
}

// Nearest integer to inNumerator / inDenominator (inDenominator > 0), halves away from zero, computed from
// the remainder rather than from a biased numerator.
int64 NearestQuotient(int64 inNumerator, int64 inDenominator) {
    int64 quotient = inNumerator / inDenominator;
    const int64 remainder = inNumerator % inDenominator;
    if (2 * (remainder < 0 ? -remainder : remainder) >= inDenominator) quotient += inNumerator < 0 ? -1 : 1;
    return quotient;
}

TEST(SetLineTest, RandomSegmentsRoundToTheNearestEntry) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int32> coordinate(0, 255);
    for (int32 run = 0; run < 2000; ++run) {
        int32 x1 = coordinate(random), x2 = coordinate(random);
        if (x1 > x2) std::swap(x1, x2);
        if (x1 == x2) continue;
        const int32 y1 = coordinate(random), y2 = coordinate(random);
        ByteTable table;
        SetConstant(table, 0, 255, 3);
        SetLine(table, x1, x2, y1, y2);
        for (int32 x = 0; x < 256; ++x) {
            const int64 expected =
                x < x1 || x > x2 ? 3 : y1 + NearestQuotient(int64(y2 - y1) * (x - x1), x2 - x1);
            ASSERT_EQ(table[x], expected) << x1 << ".." << x2 << " " << y1 << ".." << y2 << " at " << x;
        }
    }
}

TEST(SetLineTest, DegenerateSegmentsAreReportedAndDivideByNothing) {
    ByteTable table;
    SetConstant(table, 0, 255, 50);
    std::string reports = CaptureReports([&] { SetLine(table, 40, 40, 10, 200); });
    EXPECT_TRUE(Contains(reports, "Points are coincident."));
    EXPECT_EQ(table[40], 200);
    reports = CaptureReports([&] { SetLine(table, 90, 60, 0, 255); });
    EXPECT_TRUE(Contains(reports, "Points out of order."));
    for (int32 i = 41; i < 256; ++i) ASSERT_EQ(table[i], 50);
    // A single point is stored without a report; points beyond the table are not written.
    reports = CaptureReports([&] {
        SetLine(table, 7, 7, 9, 9);
        SetLine(table, 250, 600, 0, 350);
    });
    EXPECT_EQ(reports, "");
    EXPECT_EQ(table[7], 9);
    EXPECT_EQ(table[255], 5);  // 350 * 5 / 350 on the way to 350
}

int32 PowerLaw(int32 i, double inExponent) {
    return int32(std::floor(std::pow(i / 255.0, inExponent) * 255.0 + 0.5));
}

TEST(GammaTableTest, IdentityPowerLawCubicFootAndGammasBelowOne) {
    ByteTable table;
    BuildGammaTable(table, 100);
    for (int32 i = 0; i < 256; ++i) ASSERT_EQ(table[i], i);
    // Gammas up to 1.01 are the plain power law (no foot is fitted).
    for (int16 g : {10, 50, 99, 101}) {
        BuildGammaTable(table, g);
        for (int32 i = 0; i < 256; ++i) ASSERT_EQ(table[i], PowerLaw(i, 100.0 / g)) << g << " " << i;
    }
    // Gamma 2.0: the knee is at 32; from there on the power law, below it a rising cubic from 0.
    BuildGammaTable(table, 200);
    EXPECT_EQ(table[0], 0);
    for (int32 i = 32; i < 256; ++i) ASSERT_EQ(table[i], PowerLaw(i, 0.5)) << i;
    for (int32 i = 1; i <= 32; ++i) ASSERT_GE(table[i], table[i - 1]) << i;
    EXPECT_LT(table[1], PowerLaw(1, 0.5));  // finite slope at black
    // Gamma 7.0: the knee is at 2, so entry 1 alone lies on the foot, below the power law.
    BuildGammaTable(table, 700);
    EXPECT_LT(table[1], PowerLaw(1, 1 / 7.0));
    EXPECT_EQ(table[2], PowerLaw(2, 1 / 7.0));
    // Knee-less high gammas and every gamma in between stay monotone.
    for (int16 g = 101; g <= 999; g += 7) {
        BuildGammaTable(table, g);
        EXPECT_EQ(table[255], 255) << g;
        for (int32 i = 1; i < 256; ++i) ASSERT_GE(table[i], table[i - 1]) << g << " " << i;
    }
    // Below one is reported and computed: an infinite exponent is black up to the last entry.
    for (int16 g : {0, -1, -300})
        EXPECT_TRUE(Contains(CaptureReports([&] { BuildGammaTable(table, g); }), "Zero or negative gamma"))
            << g;
    BuildGammaTable(table, 0);
    EXPECT_EQ(table[254], 0);
    EXPECT_EQ(table[255], 255);
}

TEST(SetGammaLineTest, LinearShortcutsAndScaledSegments) {
    ByteTable line, gammaLine, full;
    SetConstant(line, 0, 255, 0);
    SetConstant(gammaLine, 0, 255, 0);
    SetLine(line, 20, 200, 30, 180);
    SetGammaLine(gammaLine, 20, 200, 30, 180, 1.0);
    EXPECT_EQ(Table(line), Table(gammaLine));
    SetGammaLine(gammaLine, 0, 255, 0, 255, 1.6);
    BuildGammaTable(full, 160);
    EXPECT_EQ(Table(gammaLine), Table(full));
    SetGammaLine(gammaLine, 0, 255, 0, 255, 0.625);  // hundredths rounded half away: 63
    BuildGammaTable(full, 63);
    EXPECT_EQ(Table(gammaLine), Table(full));

    // A segment samples the full table at its relative position and scales it into its own range.
    ByteTable segment;
    SetConstant(segment, 0, 255, 1);
    SetGammaLine(segment, 50, 150, 200, 40, 0.5);
    BuildGammaTable(full, 50);
    for (int32 x = 0; x < 256; ++x) {
        if (x < 50 || x > 150) {
            ASSERT_EQ(segment[x], 1) << x;
            continue;
        }
        const int32 j = ((x - 50) * 255 + 50) / 100;
        const double value = 200.0 + (full[j] * -160 - 127) / 255.0;
        ASSERT_EQ(segment[x], int32(std::trunc(value))) << x;
    }
    EXPECT_EQ(segment[50], 199);  // 200 - 127 / 255 truncates toward zero
}

TEST(ComposeTablesTest, FirstThenSecondEvenInPlace) {
    ByteTable first, second, out;
    for (int32 i = 0; i < 256; ++i) {
        first[i] = uint8(i * 7 + 3);
        second[i] = uint8(255 - i / 2);
    }
    ComposeTables(out, first, second);
    for (int32 i = 0; i < 256; ++i) ASSERT_EQ(out[i], second[first[i]]);
    ComposeTables(first, first, second);
    EXPECT_EQ(Table(first), Table(out));
}

TEST(ApplyTablesTest, RowsAdvanceByTheirOwnRowBytesAndAlphaIsKept) {
    ByteTable red, green, blue;
    for (int32 i = 0; i < 256; ++i) {
        red[i] = uint8(255 - i);
        green[i] = uint8(i / 2);
        blue[i] = uint8(i | 1);
    }
    constexpr int32 kWidth = 3, kHeight = 2, kSourceStride = 5, kDestinationStride = 4;
    std::vector<NativeQuad> source(kSourceStride * kHeight), destination(kDestinationStride * kHeight);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = MakeNativeQuad(uint8(i * 10), uint8(i * 20), uint8(i * 3), uint8(i));
    for (NativeQuad& pixel : destination) pixel = MakeNativeQuad(1, 1, 1, 77);
    ApplyTables(GRect(5, 5, 5 + kWidth, 5 + kHeight), source.data(), kSourceStride * 4, destination.data(),
                kDestinationStride * 4, red, green, blue);
    for (int32 y = 0; y < kHeight; ++y) {
        for (int32 x = 0; x < kDestinationStride; ++x) {
            const NativeQuad out = destination[y * kDestinationStride + x];
            const NativeQuad in = source[y * kSourceStride + x];
            EXPECT_EQ(out.alpha, 77);
            if (x >= kWidth) {
                EXPECT_EQ(out, MakeNativeQuad(1, 1, 1, 77));
                continue;
            }
            EXPECT_EQ(out, MakeNativeQuad(red[in.red], green[in.green], blue[in.blue], 77));
        }
    }
}

// The natural cubic spline the classic way, from its second derivatives (moments) M: zero at both ends,
// h(i-1) M(i-1) + 2 (h(i-1) + h(i)) M(i) + h(i) M(i+1) = 6 (s(i) - s(i-1)) inside, solved by elimination
// down the tridiagonal system and substitution back up; evaluated at inAt from the moments.
double MomentSpline(const std::vector<double>& x, const std::vector<double>& y, double inAt) {
    const size_t n = x.size();
    std::vector<double> diagonal(n, 1.0), rhs(n, 0.0), m(n, 0.0);
    for (size_t i = 1; i + 1 < n; ++i) {
        const double h0 = x[i] - x[i - 1], h1 = x[i + 1] - x[i], f = h0 / diagonal[i - 1];
        diagonal[i] = 2 * (h0 + h1) - f * (i > 1 ? h0 : 0.0);
        rhs[i] = 6 * ((y[i + 1] - y[i]) / h1 - (y[i] - y[i - 1]) / h0) - f * rhs[i - 1];
    }
    for (size_t i = n - 2; i >= 1; --i) m[i] = (rhs[i] - (x[i + 1] - x[i]) * m[i + 1]) / diagonal[i];
    size_t j = 1;
    while (j + 1 < n && x[j] < inAt) ++j;
    const double h = x[j] - x[j - 1], a = x[j] - inAt, b = inAt - x[j - 1];
    return (m[j - 1] * a * a * a + m[j] * b * b * b) / (6 * h) + (y[j - 1] / h - m[j - 1] * h / 6) * a +
           (y[j] / h - m[j] * h / 6) * b;
}

TEST(SplineSolverTest, NaturalSplineThroughRandomPoints) {
    std::mt19937 random(5);
    for (int32 run = 0; run < 200; ++run) {
        CSplineSolver solver;
        std::vector<double> xs, ys;
        for (int32 i = 0, count = 3 + int32(random() % 14), x = int32(random() % 20); i < count; ++i) {
            xs.push_back(x);
            ys.push_back(int32(random() % 256));
            solver.AddPoint(x, int32(ys.back()));
            x += 1 + int32(random() % 16);
        }
        solver.Solve();
        for (double at = xs.front(); at <= xs.back(); at += 0.25)
            ASSERT_NEAR(solver.Evaluate(at), MomentSpline(xs, ys, at), 1e-6) << "run " << run << " at " << at;
        // Beyond the ends the end values hold.
        EXPECT_EQ(solver.Evaluate(xs.front() - 5.0), ys.front());
        EXPECT_EQ(solver.Evaluate(xs.back() + 5.0), ys.back());
    }
}

TEST(SplineSolverTest, TwoPointsAreAStraightLineAndLimitsAreReported) {
    CSplineSolver line;
    line.AddPoint(10, 20);
    line.AddPoint(110, 70);
    line.Solve();
    EXPECT_DOUBLE_EQ(line.Slope(0), 0.5);
    EXPECT_DOUBLE_EQ(line.Slope(1), 0.5);
    EXPECT_DOUBLE_EQ(line.Evaluate(60.0), 45.0);
    EXPECT_EQ(line.EvaluateRounded(11.0), 21);  // 20.5 rounds up

    CSplineSolver lonely;
    lonely.AddPoint(3, 3);
    EXPECT_TRUE(Contains(CaptureReports([&] { lonely.Solve(); }), "CSplineSolver:Too few points"));
    CSplineSolver full;
    for (int32 i = 0; i < 16; ++i) full.AddPoint(i * 10, i);
    EXPECT_TRUE(Contains(CaptureReports([&] { full.AddPoint(200, 0); }), "CSplineSolver:Too many points"));
    EXPECT_EQ(full.Count(), 16);
}

std::vector<uint8> Fitted(const std::vector<std::pair<int32, int32>>& inPoints) {
    CurvePoints curve;
    curve.count = int32(inPoints.size());
    for (size_t i = 0; i < inPoints.size(); ++i) curve.points[i] = {inPoints[i].first, inPoints[i].second};
    ByteTable table;
    FitSplineCurve(curve, table);
    return Table(table);
}

// The curve's table is the spline through its points, rounded halves away and held to 0..255; inputs
// that do not increase are left out; one remaining point gives a constant table.
TEST(FitSplineCurveTest, CurvesBecomeTables) {
    ByteTable table;
    CurvePoints null;
    EXPECT_TRUE(null.IsNull());
    FitSplineCurve(null, table);
    for (int32 i = 0; i < 256; ++i) ASSERT_EQ(table[i], i);
    for (const auto& points : {std::vector<std::pair<int32, int32>>{{0, 0}, {128, 200}, {255, 255}},
                               std::vector<std::pair<int32, int32>>{{0, 0}, {10, 255}, {20, 255}, {30, 0}}}) {
        CSplineSolver solver;
        for (const auto& [input, output] : points) solver.AddPoint(input, output);
        solver.Solve();
        const std::vector<uint8> fitted = Fitted(points);
        for (int32 i = 0; i < 256; ++i)
            ASSERT_EQ(fitted[i], std::clamp(std::lround(solver.Evaluate(i)), 0L, 255L)) << i;
    }
    EXPECT_EQ(Fitted({{0, 0}, {128, 200}, {255, 255}})[128], 200);
    EXPECT_EQ(Fitted({{0, 0}, {10, 255}, {20, 255}, {30, 0}})[15], 255);  // the hump rises above white
    const std::vector<uint8> pruned = Fitted({{0, 10}, {100, 90}, {100, 250}, {50, 0}});
    EXPECT_EQ(pruned, Fitted({{0, 10}, {100, 90}}));
    EXPECT_EQ(pruned[200], 90);
    EXPECT_EQ(Fitted({{40, 70}, {40, 80}}), std::vector<uint8>(256, 70));
}

TEST(FitSplineCurveTest, MapsBecomeNinePointCurves) {
    ByteTable map;
    SetIdentity(map);
    EXPECT_TRUE(CurveFromMap(map).IsNull());
    for (int32 i = 0; i < 256; ++i) map[i] = uint8(255 - i);
    const CurvePoints curve = CurveFromMap(map);
    ASSERT_EQ(curve.count, 9);
    const int32 inputs[9] = {0, 32, 64, 96, 128, 159, 191, 223, 255};
    for (int32 k = 0; k < 9; ++k) {
        EXPECT_EQ(curve.points[k].input, inputs[k]);
        EXPECT_EQ(curve.points[k].output, 255 - inputs[k]);
    }
}

}  // namespace
