#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "tests/reference/literal_sweeps.h"
#include "geometry/platform_bounds.h"
#include "tests/support/recording_progress.h"

namespace {

// An axis-aligned square pad as two triangles, in world units.
void AddPad(PlatformBounds& pb, BuildProgress* progress, const char* name,
            const PlatformSettings& s, float x0, float y0, float x1, float y1, float z) {
    const Point3 q[4] = {{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}};
    PlatformInput pad{name, s, {{{q[0], q[1], q[2]}, true}, {{q[0], q[2], q[3]}, true}}};
    pb.AddPlatform(pad, progress);
}

TEST(SpreadDirections, The136PrimitiveVectorsInRowOrder) {
    const auto& dirs = SpreadDirections();
    ASSERT_EQ(dirs.size(), 136u);
    std::set<std::pair<int, int>> seen;
    for (const auto& d : dirs) {
        EXPECT_LT(d.dx * d.dx + d.dy * d.dy, 73);
        EXPECT_EQ(std::gcd(std::abs(d.dx), std::abs(d.dy)), 1) << d.dx << "," << d.dy;
        seen.insert({d.dy, d.dx});
    }
    EXPECT_EQ(seen.size(), 136u);
    // dy outer from -8, dx inner from -8: the first is (-1, -8), the last (1, 8).
    EXPECT_EQ(dirs.front().dx, -1);
    EXPECT_EQ(dirs.front().dy, -8);
    EXPECT_EQ(dirs.back().dx, 1);
    EXPECT_EQ(dirs.back().dy, 8);
}

TEST(SpreadSlopes, SameGridsAsTheLiteralSweeps) {
    const int n = 37;
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> dist(-100.0f, 100.0f);
    PlatformBounds pb;
    pb.InitBounds(Point2(0.0f, 0.0f), 1.0f, n, 1);
    pb.upStep = 0.7f;
    pb.downStep = 1.3f;
    // Sparse finite seeds in a sea of +-1e30, as a rasterised platform leaves them.
    for (int i = 0; i < 40; ++i) {
        const std::size_t j = rng() % (n * n);
        pb.platLower[j] = dist(rng);
        pb.platUpper[j] = dist(rng);
    }
    std::vector<float> lower = pb.platLower, upper = pb.platUpper;
    ProgressScope silent(nullptr, "");
    pb.SpreadSlopes(silent);
    for (const auto& d : SpreadDirections()) {
        LiteralSpread(lower.data(), n, d.dx, d.dy, 1.3f, true);
        LiteralSpread(upper.data(), n, d.dx, d.dy, 0.7f, false);
    }
    EXPECT_EQ(pb.platLower, lower);
    EXPECT_EQ(pb.platUpper, upper);
    for (float v : pb.platLower) ASSERT_LT(std::fabs(v), 1e4f); // every node reached
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
    const Point3 a(3.0f, 4.0f, 2.0f), b(11.0f, 9.0f, 6.5f); // rise 0.48 per cell
    const SlopeEdge e = MakeSlopeEdge(a, b, 1.1f, 0.8f);
    ASSERT_FALSE(e.upFlat);
    ASSERT_FALSE(e.downFlat);
    for (float x = -2.0f; x <= 16.0f; x += 1.5f)
        for (float y = -1.0f; y <= 14.0f; y += 1.25f) {
            const Point2 p(x, y);
            EXPECT_NEAR(EdgeLower(e, p), BruteEnvelope(a, b, p, 1.1f, true), 2e-3f);
            EXPECT_NEAR(EdgeUpper(e, p), BruteEnvelope(a, b, p, 0.8f, false), 2e-3f);
        }

    // A level edge: the edge height plus or minus lateral distance times the step.
    const SlopeEdge level = MakeSlopeEdge({0, 0, 3}, {4, 0, 3}, 0.5f, 0.25f);
    EXPECT_EQ(level.kUp, 0.0f);
    EXPECT_EQ(level.kDown, 0.0f);
    EXPECT_NEAR(EdgeLower(level, Point2(1.0f, 2.0f)), 2.0f, 1e-6f);
    EXPECT_NEAR(EdgeUpper(level, Point2(3.0f, -4.0f)), 4.0f, 1e-6f);

    // Steeper than the slope: cones of the higher end (lower bound) and of the
    // lower end (upper bound).
    const SlopeEdge steep = MakeSlopeEdge({0, 0, 0}, {1, 0, 10}, 1.0f, 2.0f);
    ASSERT_TRUE(steep.upFlat && steep.downFlat);
    EXPECT_NEAR(EdgeLower(steep, Point2(4.0f, 4.0f)), 10.0f - 5.0f, 1e-5f);
    EXPECT_NEAR(EdgeUpper(steep, Point2(3.0f, 4.0f)), 0.0f + 5.0f * 2.0f, 1e-5f);
}

TEST(RasterizeTriangle, FillsThePlaneAndLevelEdgesVisitTheirRectangle) {
    PlatformBounds pb;
    pb.InitBounds(Point2(-10.0f, -10.0f), 0.5f, 129, 1);
    pb.StartPlatform(PlatformSettings{});
    // World triangle on the plane z = x / 4 + 2, gentler than the 45 degree
    // slopes; grid coordinates are 2 (x + 10).
    pb.RasterizeTriangle({0, 0, 2}, {20, 0, 7}, {0, 20, 2}, 5);
    const int n = pb.gridSize;
    for (int r = 21; r < 60; ++r)
        for (int c = 21; c < 80 - r; ++c) {
            const float z = (c * 0.5f - 10.0f) / 4.0f + 2.0f;
            const std::size_t j = static_cast<std::size_t>(r) * n + c;
            ASSERT_NEAR(pb.platUpper[j], z, 1e-3f);
            ASSERT_NEAR(pb.platLower[j], z, 1e-3f);
            ASSERT_EQ(pb.platUpperIds[j], 5);
        }

    // Grid edge from (10.5, 20.5) to (15.5, 20.5): rows trunc(18.5) .. trunc(24.5)
    // and columns trunc(8.5) .. trunc(19.5), ends excluded: 6 x 11 nodes.
    PlatformBounds band;
    band.InitBounds(Point2(0.0f, 0.0f), 1.0f, 64, 1);
    band.StartPlatform(PlatformSettings{});
    band.RasterizeEdgeBand({10.5f, 20.5f, 1.0f}, {15.5f, 20.5f, 1.0f});
    int touched = 0;
    for (int r = 0; r < 64; ++r)
        for (int c = 0; c < 64; ++c) {
            const bool in = r >= 18 && r < 24 && c >= 8 && c < 19;
            EXPECT_EQ(band.platLower[r * 64 + c] > -1e29f, in) << c << "," << r;
            touched += in;
        }
    EXPECT_EQ(touched, 66);
}

TEST(AddPlatform, PadOnInclinedGroundCutsAndFillsAtItsAngles) {
    RecordingProgress ip;
    const int n = 101;
    PlatformBounds pb;
    pb.InitBounds(Point2(0.0f, 0.0f), 1.0f, n, 1);
    const PlatformSettings s{30.0f, 30.0f, 7, 8, 9};
    AddPad(pb, &ip, "pad", s, 45.0f, 45.0f, 55.0f, 55.0f, -2.5f);
    EXPECT_EQ(ip.Titles(),
              (std::vector<std::string>{"Platform Building: pad", "Slope Building: pad"}));
    const std::vector<int> slopes = ip.Percents("Slope Building: pad");
    ASSERT_EQ(slopes.size(), 272u);
    EXPECT_EQ(slopes.front(), 0);
    EXPECT_EQ(slopes.back(), 99);

    // With one platform every node has finite bounds.
    for (std::size_t j = 0; j < pb.upper.size(); ++j)
        ASSERT_TRUE(pb.upper[j] < 1e4f && pb.lower[j] > -1e4f);

    // Ground rising one unit per cell along x, zero at column 50.
    std::vector<float> h(n * n);
    std::vector<std::int32_t> ids(n * n, 1);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) h[r * n + c] = static_cast<float>(c - 50);
    pb.ClampHeights(h.data(), ids.data());

    const int row = 50 * n;
    // On the pad, off its diagonal (nodes exactly on an edge that the band has
    // already set to the pad's height keep the slope ID: the fill is strict).
    EXPECT_FLOAT_EQ(h[row + 50], -2.5f);
    EXPECT_FLOAT_EQ(h[row + 53], -2.5f);
    EXPECT_EQ(ids[row + 53], 7);
    const float tan30 = std::tan(30.0 / 180.0 * M_PI);
    for (int c = 58; c < 98; ++c) { // uphill: cut down to the rising slope
        EXPECT_NEAR(h[row + c + 1] - h[row + c], tan30, 1e-4f);
        EXPECT_NEAR(h[row + c], -2.5f + (c - 55) * tan30, 1e-3f);
        EXPECT_EQ(ids[row + c], 8);
    }
    for (int c = 2; c < 42; ++c) { // downhill: filled up to the falling slope
        EXPECT_NEAR(h[row + c + 1] - h[row + c], tan30, 1e-4f);
        EXPECT_NEAR(h[row + c], -2.5f - (45 - c) * tan30, 1e-3f);
        EXPECT_EQ(ids[row + c], 9);
    }
    // Far across the slope the ground lies between the bounds and keeps its ID.
    EXPECT_EQ(h[0 * n + 50], 0.0f);
    EXPECT_EQ(ids[0 * n + 50], 1);
}

TEST(ClampHeights, ConflictingPadsLetTheLowerBoundWin) {
    const int n = 81;
    PlatformBounds pb;
    pb.InitBounds(Point2(0.0f, 0.0f), 1.0f, n, 1);
    std::vector<float> h(n * n, 100.0f);
    std::vector<std::int32_t> ids(n * n, 1);
    {
        PlatformBounds none = pb;
        std::vector<float> untouched = h;
        none.ClampHeights(untouched.data(), ids.data());
        EXPECT_EQ(untouched, h);
        EXPECT_EQ(ids, std::vector<std::int32_t>(n * n, 1));
    }
    AddPad(pb, nullptr, "low", PlatformSettings{45.0f, 45.0f, 2, 3, 4}, 20, 20, 30, 60, 0.0f);
    AddPad(pb, nullptr, "high", PlatformSettings{45.0f, 45.0f, 12, 13, 14}, 40, 20, 50, 60, 20.0f);
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
