#include "geometry/platform_bounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "tests/reference/literal_sweeps.h"
#include "tests/support/recording_progress.h"

namespace {

// An axis-aligned square pad as two triangles, in world units.
void AddPad(PlatformBounds& pb, BuildProgress* progress, const char* name,
            const PlatformSettings& s, float x0, float y0, float x1, float y1, float z) {
    const Point3 q[4] = {{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}};
    PlatformInput pad{name, s, {{{q[0], q[1], q[2]}, true}, {{q[0], q[2], q[3]}, true}}};
    pb.AddPlatform(pad, progress);
}

// Sparse finite seeds in a sea of +-1e30, as a rasterised platform leaves
// them, spread along every direction; the literal sweeps on copies alongside.
void ExpectSpreadAsLiteral(int n, unsigned seed, WorkerPool* pool, std::size_t window) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(-100.0f, 100.0f);
    PlatformBounds pb;
    pb.InitBounds(Point2(0.0f, 0.0f), 1.0f, n, 1);
    pb.StartPlatform(PlatformSettings{});
    pb.upStep = 0.7f;
    pb.downStep = 1.3f;
    for (int i = 0; i < 40; ++i) {
        const std::size_t j = rng() % (static_cast<std::size_t>(n) * n);
        pb.platLower[j] = dist(rng);
        pb.platUpper[j] = dist(rng);
    }
    std::vector<float> lower = pb.platLower, upper = pb.platUpper;
    RecordingProgress ip;
    {
        ProgressScope bar(&ip, "spread");
        pb.SpreadSlopes(bar, pool, window);
    }
    for (const auto& d : SpreadDirections()) {
        LiteralSpread(lower.data(), n, d.dx, d.dy, 1.3f, true);
        LiteralSpread(upper.data(), n, d.dx, d.dy, 0.7f, false);
    }
    ASSERT_EQ(pb.platLower, lower) << n << " nodes a side, window " << window;
    ASSERT_EQ(pb.platUpper, upper) << n << " nodes a side, window " << window;
    for (float v : pb.platLower) ASSERT_LT(std::fabs(v), 1e4f); // every node reached
    // Two reports per direction, in direction order, however the runs fall.
    const std::vector<int> percents = ip.Percents("spread");
    ASSERT_EQ(percents.size(), 2 * SpreadDirections().size());
    for (std::size_t k = 0; k < percents.size(); ++k)
        ASSERT_EQ(percents[k], static_cast<int>((k / 2) * 100.0 / SpreadDirections().size()));
}

TEST(SpreadSlopes, SameGridsAsTheLiteralSweeps) {
    WorkerPool two(2);
    // One run per row order, runs of a few directions (window of 8 rows per
    // direction), and a run per direction; alone and on a pool.
    for (std::size_t window : {kSpreadWindowBytes, std::size_t{8 * 8 * 53 * 4}, std::size_t{1}}) {
        ExpectSpreadAsLiteral(53, 7, nullptr, window);
        ExpectSpreadAsLiteral(53, 8, &two, window);
    }
    ExpectSpreadAsLiteral(12, 9, &two, kSpreadWindowBytes); // fewer rows than the runs' lag
}

// Seeds placed by seed(lower, upper, n) spread with the given steps; the
// grids compared bit for bit with the literal sweeps (NaN included).
template <class Seed>
void ExpectSeedsSpreadAsLiteral(const char* what, int n, float upStep, float downStep,
                                const Seed& seed, WorkerPool* pool) {
    PlatformBounds pb;
    pb.InitBounds(Point2(0.0f, 0.0f), 1.0f, n, 1);
    pb.StartPlatform(PlatformSettings{});
    pb.upStep = upStep;
    pb.downStep = downStep;
    seed(pb.platLower, pb.platUpper, n);
    std::vector<float> lower = pb.platLower, upper = pb.platUpper;
    {
        ProgressScope bar(nullptr, "spread");
        pb.SpreadSlopes(bar, pool);
    }
    for (const auto& d : SpreadDirections()) {
        LiteralSpread(lower.data(), n, d.dx, d.dy, downStep, true);
        LiteralSpread(upper.data(), n, d.dx, d.dy, upStep, false);
    }
    const std::size_t bytes = lower.size() * sizeof(float);
    EXPECT_EQ(std::memcmp(pb.platLower.data(), lower.data(), bytes), 0) << what << ", lower";
    EXPECT_EQ(std::memcmp(pb.platUpper.data(), upper.data(), bytes), 0) << what << ", upper";
}

// Rows and columns still at their start are left out of the sweeps: seeds
// crowded into an edge, values past the start, steps that move the start
// and undefined seeds must all spread as the plain sweeps do.
TEST(SpreadSlopes, RowsLeftOutAreThoseNoSweepCanChange) {
    WorkerPool two(2);
    constexpr int n = 61;
    auto at = [](std::vector<float>& g, int c, int r, float v) {
        g[static_cast<std::size_t>(r) * n + c] = v;
    };
    for (WorkerPool* pool : {static_cast<WorkerPool*>(nullptr), &two}) {
        ExpectSeedsSpreadAsLiteral("top rows", n, 0.7f, 1.3f, [&](auto& lo, auto& up, int) {
            at(lo, 30, n - 1, 5.0f), at(up, 3, n - 2, -4.0f), at(lo, n - 1, n - 3, 9.0f);
        }, pool);
        ExpectSeedsSpreadAsLiteral("bottom row, left column", n, 0.7f, 1.3f, [&](auto& lo, auto& up, int) {
            at(lo, 0, 0, 5.0f), at(up, 0, 40, -4.0f), at(up, 20, 0, 2.0f);
        }, pool);
        ExpectSeedsSpreadAsLiteral("past the start", n, 0.7f, 1.3f, [&](auto& lo, auto& up, int) {
            at(lo, 10, 50, 1.0f), at(up, 10, 50, 2.0f), at(lo, 40, 5, -3.0e38f),
                at(up, 45, 7, 3.0e38f);
        }, pool);
        ExpectSeedsSpreadAsLiteral("steps moving the start", n, -1.0e26f, -1.0e26f,
                                   [&](auto& lo, auto& up, int) {
                                       at(lo, 30, 40, 1.0f), at(up, 30, 40, 2.0f);
                                   }, pool);
        // Nothing seeded: only the moved start itself spreads.
        ExpectSeedsSpreadAsLiteral("start moved, no seed", n, -1.0e26f, -1.0e26f,
                                   [](auto&, auto&, int) {}, pool);
        ExpectSeedsSpreadAsLiteral("undefined seeds", n, 0.7f, 1.3f, [&](auto& lo, auto& up, int) {
            at(lo, 20, 45, NAN), at(up, 50, 12, NAN), at(lo, 5, 5, 3.0f), at(up, 6, 58, 1.0f);
        }, pool);
    }
}

TEST(AddPlatform, APlatformOffTheGridLeavesTheGroundAndItsIds) {
    const int n = 33;
    PlatformBounds pb;
    pb.InitBounds(Point2(0.0f, 0.0f), 1.0f, n, 6);
    AddPad(pb, nullptr, "far", PlatformSettings{}, 500, 500, 510, 510, 3.0f);
    std::vector<float> h(n * n);
    std::vector<std::int32_t> ids(n * n, 6);
    for (int i = 0; i < n * n; ++i) h[i] = static_cast<float>(i % 7) - 3.0f;
    const std::vector<float> before = h;
    pb.ClampHeights(h.data(), ids.data());
    EXPECT_EQ(h, before);
    EXPECT_EQ(ids, std::vector<std::int32_t>(n * n, 6));
    EXPECT_EQ(pb.upperIds, std::vector<std::int32_t>(n * n, 6)); // never beaten: the base ID
}

TEST(ClampHeights, WithoutPlatformsOnlyTheStartingBoundsApply) {
    PlatformBounds pb;
    pb.InitBounds(Point2(0.0f, 0.0f), 1.0f, 2, 5);
    float h[4] = {INFINITY, -INFINITY, 2.0f, NAN};
    std::int32_t ids[4] = {1, 1, 1, 1};
    pb.ClampHeights(h, ids);
    EXPECT_EQ(h[0], 1.0e30f);
    EXPECT_EQ(h[1], -1.0e30f);
    EXPECT_EQ(h[2], 2.0f);
    EXPECT_TRUE(std::isnan(h[3]));
    EXPECT_EQ(std::vector<std::int32_t>(ids, ids + 4), (std::vector<std::int32_t>{5, 5, 1, 1}));
}

// The envelope of the cones z(e) -+ |p - e| s over all points e of the edge.
float BruteEnvelope(const Point3& a, const Point3& b, const Point2& p, float s, bool lower) {
    double best = lower ? -1e30 : 1e30;
    for (int i = 0; i <= 20000; ++i) {
        const double t = i / 20000.0;
        const double x = a.x + t * (b.x - a.x), y = a.y + t * (b.y - a.y);
        const double z = a.z + t * (b.z - a.z);
        const double d = std::hypot(p.x - x, p.y - y) * s;
        best = lower ? std::max(best, z - d) : std::min(best, z + d);
    }
    return static_cast<float>(best);
}

TEST(SlopeEdge, EnvelopesMatchTheConesOfAllEdgePoints) {
    const struct {
        Point3 a, b;
        float down, up;
    } edges[] = {
        {{3, 4, 2}, {11.0f, 9.0f, 6.5f}, 1.1f, 0.8f}, // rising 0.48 per cell
        {{0, 0, 3}, {4, 0, 3}, 0.5f, 0.25f},          // level
        {{0, 0, 0}, {1, 0, 10}, 1.0f, 2.0f},          // steeper than both slopes
        {{2, 2, 3}, {2, 2, 3}, 1.0f, 0.5f},           // a repeated corner
    };
    for (const auto& e : edges) {
        const SlopeEdge edge = MakeSlopeEdge(e.a, e.b, e.down, e.up);
        for (float x = -2.0f; x <= 16.0f; x += 1.5f)
            for (float y = -1.0f; y <= 14.0f; y += 1.25f) {
                const Point2 p(x, y);
                ASSERT_NEAR(EdgeLower(edge, p), BruteEnvelope(e.a, e.b, p, e.down, true), 2e-3f)
                    << "edge to " << e.b.x << " at " << x << ", " << y;
                ASSERT_NEAR(EdgeUpper(edge, p), BruteEnvelope(e.a, e.b, p, e.up, false), 2e-3f)
                    << "edge to " << e.b.x << " at " << x << ", " << y;
            }
    }
}

TEST(RasterizeTriangle, FillsThePlaneOfASlopedFace) {
    PlatformBounds pb;
    pb.InitBounds(Point2(-10.0f, -10.0f), 0.5f, 129, 1);
    pb.StartPlatform(PlatformSettings{});
    // World triangle on the plane z = x / 4 + 2, gentler than the 45 degree
    // slopes; grid coordinates are 2 (x + 10).
    pb.RasterizeTriangle({0, 0, 2}, {20, 0, 7}, {0, 20, 2}, 5);
    for (int r = 21; r < 60; ++r)
        for (int c = 21; c < 80 - r; ++c) {
            const float z = (c * 0.5f - 10.0f) / 4.0f + 2.0f;
            const std::size_t j = static_cast<std::size_t>(r) * 129 + c;
            ASSERT_NEAR(pb.platUpper[j], z, 1e-3f);
            ASSERT_NEAR(pb.platLower[j], z, 1e-3f);
            ASSERT_EQ(pb.platUpperIds[j], 5);
        }
}

TEST(AddPlatform, PadOnInclinedGroundCutsAndFillsAtItsAngles) {
    RecordingProgress ip;
    const int n = 101;
    PlatformBounds pb;
    pb.InitBounds(Point2(0.0f, 0.0f), 1.0f, n, 1);
    AddPad(pb, &ip, "pad", PlatformSettings{30.0f, 30.0f, 7, 8, 9}, 45, 45, 55, 55, -2.5f);
    EXPECT_EQ(ip.Titles(),
              (std::vector<std::string>{"Platform Building: pad", "Slope Building: pad"}));
    const std::vector<int> slopes = ip.Percents("Slope Building: pad");
    ASSERT_EQ(slopes.size(), 272u); // two per direction
    EXPECT_EQ(slopes.front(), 0);
    EXPECT_EQ(slopes.back(), 99);

    // Ground rising one unit per cell along x, zero at column 50.
    std::vector<float> h(n * n);
    std::vector<std::int32_t> ids(n * n, 1);
    for (int i = 0; i < n * n; ++i) h[i] = static_cast<float>(i % n - 50);
    pb.ClampHeights(h.data(), ids.data());

    const int row = 50 * n;
    // On the pad off its diagonal (nodes on an edge the band already set to the
    // pad's height keep the slope ID: the fill is strict).
    EXPECT_FLOAT_EQ(h[row + 53], -2.5f);
    EXPECT_EQ(ids[row + 53], 7);
    const float tan30 = std::tan(30.0 / 180.0 * M_PI);
    for (int c = 58; c < 98; ++c) { // uphill: cut down to the rising slope
        EXPECT_NEAR(h[row + c], -2.5f + (c - 55) * tan30, 1e-3f);
        EXPECT_EQ(ids[row + c], 8);
    }
    for (int c = 2; c < 42; ++c) { // downhill: filled up to the falling slope
        EXPECT_NEAR(h[row + c], -2.5f - (45 - c) * tan30, 1e-3f);
        EXPECT_EQ(ids[row + c], 9);
    }
    // Far across the slope the ground lies between the bounds and keeps its ID.
    EXPECT_EQ(h[50], 0.0f);
    EXPECT_EQ(ids[50], 1);
}

TEST(ClampHeights, ConflictingPadsLetTheLowerBoundWin) {
    const int n = 81;
    PlatformBounds pb;
    pb.InitBounds(Point2(0.0f, 0.0f), 1.0f, n, 1);
    AddPad(pb, nullptr, "low", PlatformSettings{45.0f, 45.0f, 2, 3, 4}, 20, 20, 30, 60, 0.0f);
    AddPad(pb, nullptr, "high", PlatformSettings{45.0f, 45.0f, 12, 13, 14}, 40, 20, 50, 60, 20.0f);
    std::vector<float> h(n * n, 100.0f);
    std::vector<std::int32_t> ids(n * n, 1);
    pb.ClampHeights(h.data(), ids.data());
    // Between the pads the low pad's upper bound (0 + d) lies under the high
    // pad's lower bound (20 - d'): the upper clamp comes first, the lower wins.
    for (int c = 31; c < 40; ++c) {
        const std::size_t j = 40 * n + c;
        EXPECT_LT(pb.upper[j], pb.lower[j]);
        EXPECT_NEAR(h[j], 20.0f - (40 - c), 1e-3f);
        EXPECT_EQ(ids[j], 14);
    }
}

} // namespace
