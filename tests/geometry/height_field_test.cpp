#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "tests/support/contour_fixtures.h"
#include "tests/reference/literal_sweeps.h"
#include "tests/support/stage_parts.h"
#include "tests/support/recording_progress.h"

namespace {

std::vector<float> RandomGrid(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(-50.0f, 50.0f);
    std::vector<float> g(static_cast<std::size_t>(n) * n);
    for (float& v : g) v = dist(rng);
    return g;
}

TEST(SmoothGrid, SameGridAsTheFourScatterSweeps) {
    for (int n : {2, 3, 4, 5, 17, 64, 129}) {
        for (unsigned seed : {1u, 2u}) {
            std::vector<float> fast = RandomGrid(n, seed + n);
            std::vector<float> literal = fast;
            for (int round = 0; round < 3; ++round) {
                SmoothGrid(fast.data(), n);
                LiteralSmoothGrid(literal.data(), n);
            }
            ASSERT_EQ(fast, literal) << "n = " << n;
        }
    }
}

TEST(SmoothGrid, KeepsPlanesAndMovesASpikeByHand) {
    const int n = 9;
    // A plane with binary fractions: every second difference is exactly zero.
    std::vector<float> plane(n * n);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) plane[r * n + c] = 3.0f + 0.5f * c - 0.25f * r;
    std::vector<float> smoothed = plane;
    SmoothGrid(smoothed.data(), n);
    EXPECT_EQ(smoothed, plane);

    // Any plane stays put up to rounding.
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) plane[r * n + c] = 17.3f - 1.37f * c + 0.71f * r;
    smoothed = plane;
    SmoothGrid(smoothed.data(), n);
    for (int i = 0; i < n * n; ++i) EXPECT_NEAR(smoothed[i], plane[i], 1e-4f);

    // A unit spike: its own four terms take 2(1/8 + 1/8 + 1/16 + 1/16) = 3/4, its
    // eight neighbours give back 4 x (-1/16) + 4 x (-1/32) = -3/8; half of
    // -9/8 is applied. The spike's weight only moves, never vanishes.
    std::vector<float> spike(n * n, 0.0f);
    spike[4 * n + 4] = 1.0f;
    SmoothGrid(spike.data(), n);
    EXPECT_FLOAT_EQ(spike[4 * n + 4], 0.4375f);
    double sum = 0.0;
    for (float v : spike) sum += v;
    EXPECT_NEAR(sum, 1.0, 1e-6);

    // Border nodes are never the middle node but still move.
    std::vector<float> corner(n * n, 0.0f);
    corner[1 * n + 1] = 1.0f;
    SmoothGrid(corner.data(), n);
    EXPECT_NE(corner[0], 0.0f);
}

TEST(RefineGrid, DoublesResolutionAndInterpolates) {
    StageParts b;
    b.grid.extent = 64.0f;
    b.InitHeightGrid();
    EXPECT_EQ(b.grid.gridSize, 2);
    EXPECT_FLOAT_EQ(b.grid.cellSize, 64.0f);
    b.grid.heights = {1.0f, 3.0f, 5.0f, 11.0f};
    b.RefineGrid();
    ASSERT_EQ(b.grid.gridSize, 3);
    EXPECT_FLOAT_EQ(b.grid.cellSize, 32.0f);
    const std::vector<float> expected = {1, 2, 3, 3, 5, 7, 5, 8, 11};
    EXPECT_EQ(b.grid.heights, expected);

    for (int level = 2; level <= 6; ++level) {
        b.RefineGrid();
        EXPECT_EQ(b.grid.gridSize, (1 << level) + 1);
    }
    EXPECT_FLOAT_EQ(b.grid.cellSize, 1.0f);
    const int n = b.grid.gridSize;
    EXPECT_EQ(b.grid.heights[0], 1.0f);
    EXPECT_EQ(b.grid.heights[n - 1], 3.0f);
    EXPECT_EQ(b.grid.heights[(n - 1) * n], 5.0f);
    EXPECT_EQ(b.grid.heights[n * n - 1], 11.0f);
}

TEST(FitSamples, SampleOnANodeCorrectsOnlyThatNode) {
    StageParts b;
    b.grid.extent = 4.0f;
    b.InitHeightGrid();
    b.RefineGrid();
    b.RefineGrid(); // 5 x 5, cell 1
    b.samples.samples = {Point3(2.0f, 1.0f, 10.0f)};
    b.samples.sampleCount = 1;
    b.FitSamples(1);
    // Four passes, each closing 0.3 of the remaining error.
    const float expected = 10.0f * (1.0f - std::pow(0.7f, 4.0f));
    for (int i = 0; i < 25; ++i)
        EXPECT_NEAR(b.grid.heights[i], i == 1 * 5 + 2 ? expected : 0.0f, 1e-5f) << i;
}

TEST(FitHeightField, ConvergesToAConstantHeight) {
    StageParts b;
    RidgeSurface flat;
    flat.a = 1.0;
    flat.b = flat.c = 0.0; // a plane; its contours are then all set to one height
    AppendRidgeContours(b, flat, 500.0, 25.0, 5.0);
    for (ContourSegment& s : b.segments) s.start.z = s.end.z = 42.0f;
    ASSERT_TRUE(b.SetUpSampling(6));
    b.FitHeightField(6);
    EXPECT_EQ(b.grid.gridSize, 65);
    for (float h : b.grid.heights) ASSERT_NEAR(h, 42.0f, 0.05f);
}

TEST(FitHeightField, ApproachesAnInclinedPlane) {
    StageParts b;
    RidgeSurface plane;
    plane.a = 0.2;
    plane.b = plane.c = 0.0;
    plane.alpha = 0.7;
    AppendRidgeContours(b, plane, 800.0, 4.0, 10.0);
    ASSERT_TRUE(b.SetUpSampling(7));
    b.FitHeightField(7);
    ASSERT_EQ(b.grid.gridSize, 129);
    // Inside the contours' box the grid follows the plane closely (it rises
    // 0.2 per unit, about 1.4 per cell).
    double worst = 0.0;
    for (int r = 0; r < b.grid.gridSize; ++r)
        for (int c = 0; c < b.grid.gridSize; ++c) {
            const double x = b.grid.origin.x + c * b.grid.cellSize, y = b.grid.origin.y + r * b.grid.cellSize;
            if (x < 20 || x > 780 || y < 20 || y > 780) continue;
            worst = std::max(worst, std::fabs(b.grid.heights[r * b.grid.gridSize + c] - plane.Height(x, y)));
        }
    EXPECT_LT(worst, 0.15);
}

TEST(FitHeightField, ProgressAndCancel) {
    StageParts b;
    AppendRidgeContours(b, RidgeSurface{}, 300.0, 20.0, 10.0);
    ASSERT_TRUE(b.SetUpSampling(1));
    {
        RecordingProgress ip;
        b.progress = &ip;
        b.FitHeightField(1);
        EXPECT_EQ(ip.Titles(), std::vector<std::string>{"Surface Building"});
        const std::vector<int> expected = {0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90};
        EXPECT_EQ(ip.Percents("Surface Building"), expected);
        EXPECT_EQ(ip.events.back().kind, RecordingProgress::Event::End);
    }
    ASSERT_TRUE(b.SetUpSampling(10));
    {
        RecordingProgress ip;
        b.progress = &ip;
        ip.cancelAtCall = 1; // cancelled from the start: one round per level
        b.FitHeightField(5);
        EXPECT_EQ(b.grid.gridSize, 33); // every level still refined
        EXPECT_EQ(GridSizeForLevels(5), 33);
        const std::vector<int> expected = {0, 0, 20, 40, 60, 80};
        EXPECT_EQ(ip.Percents("Surface Building"), expected);
    }
    {
        RecordingProgress ip;
        b.progress = &ip;
        b.FitHeightField(10);
        EXPECT_EQ(ip.Percents("Surface Building").back(), 99);
    }
}

} // namespace
