#include "geometry/size_field.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "tests/reference/literal_size_field.h"
#include "tests/support/recording_progress.h"
#include "tests/support/stage_parts.h"

namespace {

// An n x n grid with cell h at the origin, heights z(x, y) in world units.
template <typename F> void FillGrid(StageParts& b, int n, float h, F z) {
    b.grid.gridSize = n;
    b.grid.cellSize = h;
    b.grid.heights.resize(static_cast<std::size_t>(n) * n);
    b.grid.matIds.assign(static_cast<std::size_t>(n) * n, 1);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c)
            b.grid.heights[static_cast<std::size_t>(r) * n + c] =
                static_cast<float>(z(c * h, r * h));
}

// Same bits, whatever the thread count; sizes around the sweeps' lanes and
// cache-line bands.
TEST(LimitGrowth, MatchesTheLiteralSweepsOnRandomFields) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> value(0.0f, 50.0f);
    WorkerPool three(3);
    for (int n : {1, 2, 3, 5, 17, 40, 71}) {
        std::vector<float> l(static_cast<std::size_t>(n) * n);
        for (float& v : l) v = rng() % 4 == 0 ? std::numeric_limits<float>::infinity() : value(rng);
        std::vector<float> reference = l, threaded = l;
        LimitGrowth(n, 0.7f, l.data());
        LimitGrowth(n, 0.7f, threaded.data(), &three);
        literal::LimitGrowth(n, 0.7f, reference.data());
        EXPECT_EQ(l, reference) << "n = " << n;
        EXPECT_EQ(threaded, reference) << "n = " << n;
    }
}

bool SameBits(const SizeField& a, const SizeField& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(SizeMatrix)) == 0;
}

TEST(BuildSizeField, GivesTheLiteralFieldOnOneThreadAndOnMany) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    WorkerPool two(2), five(5);
    // Rolling ground with noise (bends of every size and turn); at 41 rough
    // ground, where most nodes keep their own length through the growth limit;
    // at 47 terraces, flat treads with no bend at all between sharp risers.
    for (int n : {2, 3, 9, 33, 66, 41, 47}) {
        StageParts b;
        FillGrid(b, n, 1.5f, [&](double x, double y) {
            if (n == 41) return 60.0 * noise(rng);
            if (n == 47) return 3.0 * std::floor((x + 0.5 * y) / 10);
            return 20 * std::sin(x / 9) * std::cos(y / 13) + 0.02 * x * y + noise(rng);
        });
        const SizeField reference = literal::BuildSizeField(b.grid, b.tuning);
        b.BuildSizeField();
        EXPECT_TRUE(SameBits(b.sizeField, reference)) << "n = " << n << ", 1 thread";
        // Two directions at a time, and each direction split over the pool.
        for (WorkerPool* pool : {&two, &five})
            for (int pairedSide : {kPairedSide, 0}) {
                SizeField threaded;
                ::BuildSizeField(threaded, b.grid, b.tuning, nullptr, pool, pairedSide);
                EXPECT_TRUE(SameBits(threaded, reference))
                    << "n = " << n << ", " << pool->Size() << " threads, paired up to " << pairedSide;
            }
    }
}

// Second differences on surfaces whose bend is known in closed form.
TEST(CurvatureAt, MeasuresTheBendAlongItsDirectionWhateverTheTurn) {
    StageParts b;
    b.tuning.TriangleShapeFactor = 3.0f; // the three-row sums become second derivatives
    b.tuning.CurvatureScale = 4.0f;      // and so does the four-corner mixed difference
    const float a = 0.125f, expected = std::sqrt(2 * a / 4.0f), s = std::sqrt(0.5f);
    auto reach = [&](int c, int r, Point2 d) { return Apply(b.CurvatureAt(c, r), d).Length(); };

    FillGrid(b, 7, 1.0f, [&](double x, double) { return a * (x - 3) * (x - 3); });
    EXPECT_NEAR(reach(3, 2, {1, 0}), expected, 1e-6);
    EXPECT_NEAR(reach(3, 2, {0, 1}), 0.0, 1e-6);
    // A slope lowers the measured bend: at x - 3 = 2 the gradient is 4a.
    EXPECT_NEAR(reach(5, 2, {1, 0}), std::sqrt(2 * a / std::sqrt(1 + 16 * a * a) / 4.0f), 1e-6);

    FillGrid(b, 7, 1.0f, [&](double x, double y) { return a * (x - y) * (x - y) / 2; });
    EXPECT_NEAR(reach(3, 3, {s, -s}), expected, 1e-6);
    EXPECT_NEAR(reach(3, 3, {s, s}), 0.0, 1e-6);

    FillGrid(b, 7, 1.0f,
             [&](double x, double y) { return a * ((x - 3) * (x - 3) + (y - 3) * (y - 3)); });
    EXPECT_NEAR(reach(3, 3, {1, 0}), expected, 1e-6); // both scales of a bowl
    EXPECT_NEAR(reach(3, 3, {0, 1}), expected, 1e-6);

    FillGrid(b, 5, 1.0f, [](double x, double y) { return 2 * x - 0.5 * y + 7; });
    EXPECT_EQ(reach(2, 2, {1, 0}), 0.0f);
    EXPECT_EQ(reach(2, 2, {0, 1}), 0.0f);
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

TEST(SizeAt, ClampsItsCellAgainstFarAndUndefinedPoints) {
    StageParts b;
    b.grid.gridSize = 4;
    b.grid.cellSize = 2.0f;
    b.grid.origin = Point2(10.0f, 20.0f);
    for (int i = 0; i < 16; ++i) {
        b.sizeField.push_back({{float(i), 0.0f}, {0.0f, float(i)}});
        b.grid.matIds.push_back(100 + i);
    }
    // Grid (2.7, 1.2) is cell (2, 1); (-0.5, -0.5) truncates towards zero; far
    // and undefined coordinates are held to the grid.
    for (auto [p, cell] : {std::pair{Point2(15.4f, 22.4f), 6},
                           {Point2(9.0f, 19.0f), 0},
                           {Point2(18.0f, 28.0f), 15},
                           {Point2(1e9f, -1e9f), 3},
                           {Point2(NAN, 25.0f), 8}}) {
        SizeMatrix m;
        int id = 0;
        b.SizeAt(p, m, id);
        EXPECT_TRUE(m.r0.x == float(cell) && id == 100 + cell) << p.x << ", " << p.y;
    }
}

} // namespace
