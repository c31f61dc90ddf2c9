#include "geometry/size_field.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "tests/support/recording_progress.h"
#include "tests/support/stage_parts.h"

namespace {

// An n x n grid with cell h at the origin, heights z(x, y) in world units.
template <typename F> void FillGrid(StageParts& b, int n, float h, F z) {
    b.grid.gridSize = n;
    b.grid.cellSize = h;
    b.grid.origin = Point2(0.0f, 0.0f);
    b.grid.heights.resize(static_cast<std::size_t>(n) * n);
    b.grid.matIds.assign(static_cast<std::size_t>(n) * n, 1);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c)
            b.grid.heights[static_cast<std::size_t>(r) * n + c] = static_cast<float>(z(c * h, r * h));
}

float Reach(const SizeMatrix& m, Point2 d) {
    return Apply(m, d).Length();
}

// The eight sweeps read straight off their table, one node at a time.
void LiteralLimitGrowth(int n, float g, float* l) {
    const float gd = static_cast<float>(g * std::sqrt(2.0));
    auto relax = [&](int pc, int pr, int dx, int dy, float cost) {
        float& q = l[(pr + dy) * n + pc + dx];
        q = std::min(q, l[pr * n + pc] + cost);
    };
    for (int r = 0; r <= n - 1; ++r)
        for (int c = 0; c <= n - 2; ++c) relax(c, r, 1, 0, g);
    for (int r = 0; r <= n - 1; ++r)
        for (int c = n - 1; c >= 1; --c) relax(c, r, -1, 0, g);
    for (int r = 0; r <= n - 2; ++r)
        for (int c = 0; c <= n - 2; ++c) relax(c, r, 0, 1, g);
    for (int r = n - 1; r >= 1; --r)
        for (int c = 0; c <= n - 2; ++c) relax(c, r, 0, -1, g);
    for (int r = 0; r <= n - 2; ++r)
        for (int c = 0; c <= n - 2; ++c) relax(c, r, 1, 1, gd);
    for (int r = n - 1; r >= 1; --r)
        for (int c = n - 1; c >= 1; --c) relax(c, r, -1, -1, gd);
    for (int r = 0; r <= n - 2; ++r)
        for (int c = n - 1; c >= 1; --c) relax(c, r, -1, 1, gd);
    for (int r = n - 1; r >= 1; --r)
        for (int c = 0; c <= n - 2; ++c) relax(c, r, 1, -1, gd);
}

TEST(PrincipalScale, GivesRootScalesAlongTheStrongestTableDirection) {
    // diag(4, 1): D = (1, 0), s1 = 4, s2 = det / s1 = 1.
    SizeMatrix r = PrincipalScale({{4, 0}, {0, 1}}, 10.0f);
    EXPECT_FLOAT_EQ(r.r0.x, 0.0f);
    EXPECT_FLOAT_EQ(r.r0.y, 1.0f); // P k2 with P = (0, 1)
    EXPECT_FLOAT_EQ(r.r1.x, 2.0f); // D k1
    EXPECT_FLOAT_EQ(r.r1.y, 0.0f);
    // The cap applies to each scale.
    r = PrincipalScale({{4, 0}, {0, 1}}, 1.5f);
    EXPECT_FLOAT_EQ(r.r1.x, 1.5f);
    EXPECT_FLOAT_EQ(r.r0.y, 1.0f);
    // R diag(9, 1) R^T at 45 degrees: D = (1, 1) / sqrt 2, k1 = 3, k2 = 1.
    r = PrincipalScale({{5, 4}, {4, 5}}, 10.0f);
    const float h = std::sqrt(0.5f);
    EXPECT_NEAR(r.r1.x, 3 * h, 1e-5);
    EXPECT_NEAR(r.r1.y, 3 * h, 1e-5);
    EXPECT_NEAR(r.r0.x, -h, 1e-5);
    EXPECT_NEAR(r.r0.y, h, 1e-5);
}

TEST(CurvatureAt, MeasuresTheBendAlongItsDirectionWhateverTheTurn) {
    TuningConstants tuning = kDefaultTuning;
    tuning.TriangleShapeFactor = 3.0f; // the three-row sums become second derivatives
    tuning.CurvatureScale = 4.0f;      // and so does the four-corner mixed difference
    const float h = 1.0f, a = 0.125f;
    const float expected = std::sqrt(2 * a / (h * 4.0f)); // sqrt(z'' / q), slope 0

    StageParts axis; // z = a x^2, flat across
    axis.tuning = tuning;
    FillGrid(axis, 7, h, [&](double x, double) { return a * (x - 3) * (x - 3); });
    SizeMatrix t = axis.CurvatureAt(3, 2);
    EXPECT_NEAR(Reach(t, {1, 0}), expected, 1e-6);
    EXPECT_NEAR(Reach(t, {0, 1}), 0.0, 1e-6);

    StageParts turned; // the same bend across the diagonal x = y
    turned.tuning = tuning;
    FillGrid(turned, 7, h, [&](double x, double y) { return a * (x - y) * (x - y) / 2; });
    t = turned.CurvatureAt(3, 3);
    const float s = std::sqrt(0.5f);
    EXPECT_NEAR(Reach(t, {s, -s}), expected, 1e-6);
    EXPECT_NEAR(Reach(t, {s, s}), 0.0, 1e-6);

    // A slope lowers the measured bend: at x - 3 = 2 the gradient is 4a.
    t = axis.CurvatureAt(5, 2);
    const float g = 4 * a, slope = 1.0f / std::sqrt(1 + g * g);
    EXPECT_NEAR(Reach(t, {1, 0}), std::sqrt(2 * a * slope / (h * 4.0f)), 1e-6);

    StageParts plane; // any plane: no bend at all
    plane.tuning = tuning;
    FillGrid(plane, 5, h, [](double x, double y) { return 2 * x - 0.5 * y + 7; });
    t = plane.CurvatureAt(2, 2);
    EXPECT_EQ(Reach(t, {1, 0}), 0.0f);
    EXPECT_EQ(Reach(t, {0, 1}), 0.0f);
}

TEST(LimitGrowth, LeavesTheLastColumnToTheDiagonals) {
    // A single source in the last column of a 3 x 3 field (hand-worked sweeps).
    const float inf = std::numeric_limits<float>::infinity(), g = 1.0f, d = std::sqrt(2.0f);
    std::vector<float> l(9, inf);
    l[2] = 0.0f; // column 2, row 0
    LimitGrowth(3, g, l.data());
    EXPECT_FLOAT_EQ(l[0 * 3 + 1], 1.0f);
    EXPECT_FLOAT_EQ(l[0 * 3 + 0], 2.0f);
    EXPECT_FLOAT_EQ(l[1 * 3 + 1], d);
    EXPECT_FLOAT_EQ(l[1 * 3 + 0], 1.0f + d);
    EXPECT_FLOAT_EQ(l[2 * 3 + 0], 2 * d);
    EXPECT_FLOAT_EQ(l[2 * 3 + 1], 3.0f);
    // Straight down the last column would be 1 and 2.
    EXPECT_FLOAT_EQ(l[1 * 3 + 2], 1.0f + d);
    EXPECT_FLOAT_EQ(l[2 * 3 + 2], 2.0f + d);
}

TEST(LimitGrowth, MatchesTheLiteralSweepsOnRandomFields) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> value(0.0f, 50.0f);
    for (int n : {2, 5, 17, 40}) {
        std::vector<float> l(static_cast<std::size_t>(n) * n);
        for (float& v : l) v = rng() % 4 == 0 ? std::numeric_limits<float>::infinity() : value(rng);
        std::vector<float> reference = l;
        LimitGrowth(n, 0.7f, l.data());
        LiteralLimitGrowth(n, 0.7f, reference.data());
        EXPECT_EQ(l, reference) << "n = " << n;
    }
}

TEST(BuildSizeField, PlaneIsIsotropicAndGrowsFromTheBorder) {
    StageParts b;
    b.tuning.MaxEdgeFactor = 0.5f;     // Lmax = 9 x 1 x 0.5
    b.tuning.SizeGrowthFactor = 0.25f; // g = 0.25 per cell
    const int n = 9;
    FillGrid(b, n, 1.0f, [](double x, double y) { return 3 * x + 0.5 * y; });
    RecordingProgress ui;
    b.progress = &ui;
    b.BuildSizeField();

    ASSERT_EQ(b.sizeField.size(), 81u);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            const float want = 4.5f + 0.25f * std::min({c, r, n - 1 - c, n - 1 - r});
            const SizeMatrix& m = b.sizeField[r * n + c];
            EXPECT_FLOAT_EQ(m.r0.x, want) << c << "," << r;
            EXPECT_EQ(m.r0.y, 0.0f);
            // The direction reaching farthest in y is straight up (k = 16 of 32).
            EXPECT_NEAR(m.r1.x, 0.0f, 1e-5f);
            EXPECT_FLOAT_EQ(m.r1.y, want);
        }

    ASSERT_EQ(ui.Titles(), std::vector<std::string>{"Mesh Distortion Building"});
    const std::vector<int> pct = ui.Percents("Mesh Distortion Building");
    ASSERT_EQ(pct.size(), 32u); // the start, then one per direction 1 .. 31
    EXPECT_EQ(pct[0], 0);
    EXPECT_EQ(pct[1], 3);   // 100 / 32
    EXPECT_EQ(pct[8], 25);  // 800 / 32
    EXPECT_EQ(pct[31], 96); // 3100 / 32
    EXPECT_EQ(ui.events.back().kind, RecordingProgress::Event::End);
}

TEST(BuildSizeField, NoWantedLengthIsBelowTheCell) {
    StageParts b;
    b.tuning.MaxEdgeFactor = 0.2f;
    const float h = 0.5f;
    FillGrid(b, 33, h, [](double x, double y) { return 40 * std::sin(x) * std::cos(1.3 * y); });
    b.BuildSizeField();
    for (const SizeMatrix& m : b.sizeField) {
        EXPECT_GE(m.r0.Length(), h * (1 - 1e-6f));
        EXPECT_GE(m.r1.Length(), h * (1 - 1e-6f));
        EXPECT_GT(m.r1.y, 0.0f); // some tried direction reaches into y
    }
}

TEST(SizeAt, ClampsItsCell) {
    StageParts b;
    b.grid.gridSize = 4;
    b.grid.cellSize = 2.0f;
    b.grid.origin = Point2(10.0f, 20.0f);
    for (int i = 0; i < 16; ++i) {
        b.sizeField.push_back({{float(i), 0.0f}, {0.0f, float(i)}});
        b.grid.matIds.push_back(100 + i);
    }
    auto cell = [&](float x, float y) {
        SizeMatrix m;
        int id = 0;
        b.SizeAt({x, y}, m, id);
        EXPECT_EQ(id, 100 + static_cast<int>(m.r0.x));
        return static_cast<int>(m.r0.x);
    };
    EXPECT_EQ(cell(10.5f, 20.5f), 0);
    EXPECT_EQ(cell(15.4f, 22.4f), 1 * 4 + 2); // grid (2.7, 1.2)
    EXPECT_EQ(cell(9.0f, 19.0f), 0);          // (-0.5, -0.5) truncates towards zero
    EXPECT_EQ(cell(18.0f, 28.0f), 15);        // the far edge of the area
    EXPECT_EQ(cell(1e9f, -1e9f), 3);
    EXPECT_EQ(cell(std::numeric_limits<float>::quiet_NaN(), 25.0f), 2 * 4);
}

} // namespace
