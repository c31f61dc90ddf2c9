#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "tests/reference/literal_sweeps.h"
#include "tests/support/contour_fixtures.h"
#include "tests/support/recording_progress.h"
#include "tests/support/stage_parts.h"

namespace {

// Banded on a pool or not, the same grid; sizes around the band split
// (bands of at least 32 rows) so that bands of 32 and 33 rows meet.
TEST(SmoothGrid, SameGridAsTheFourScatterSweeps) {
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> dist(-50.0f, 50.0f);
    WorkerPool three(3);
    for (int n : {2, 3, 4, 5, 17, 64, 129, 200}) {
        std::vector<float> fast(static_cast<std::size_t>(n) * n);
        for (float& v : fast) v = dist(rng);
        std::vector<float> literal = fast, banded = fast;
        for (int round = 0; round < 3; ++round) {
            SmoothGrid(fast.data(), n);
            SmoothGrid(banded.data(), n, &three);
            LiteralSmoothGrid(literal.data(), n);
        }
        ASSERT_EQ(fast, literal) << "n = " << n;
        ASSERT_EQ(banded, literal) << "n = " << n;
    }
}

TEST(FitHeightField, SameGridAsTheLiteralScheduleOnAnyPool) {
    StageParts b;
    RidgeSurface ridge;
    AppendRidgeContours(b, ridge, 600.0, 5.0, 7.0);
    const int levels = 7;
    ASSERT_TRUE(b.SetUpSampling(levels));
    const std::vector<float> literal = LiteralFitHeightField(
        b.grid.extent, b.grid.origin.x, b.grid.origin.y, b.samples.samples, levels);
    const HeightGrid start = b.grid;
    b.FitHeightField(levels);
    EXPECT_EQ(b.grid.heights, literal);
    WorkerPool two(2);
    b.grid = start;
    FitHeightField(b.grid, b.samples, levels, nullptr, &two);
    EXPECT_EQ(b.grid.heights, literal);
    EXPECT_EQ(b.grid.cellSize, start.extent / 128);
}

// Wandering lines of samples, a few per cell as along a contour, each in its
// own quarter of the grid, one of them coming back at the end, or scattered
// samples anywhere: the fit overlaps its passes only as far as every node
// still sees the plain order, so each layout must give the plain result.
TEST(FitSamples, SameGridAsOneSampleAfterAnother) {
    const int n = 97;
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    auto line = [&](std::vector<Point3>& out, float x, float y, float x0, float y0, float x1,
                    float y1, int count) {
        for (int i = 0; i < count; ++i) {
            x = std::clamp(x + (unit(rng) - 0.5f) * 0.6f, x0, x1);
            y = std::clamp(y + (unit(rng) - 0.5f) * 0.6f, y0, y1);
            out.push_back({x, y, 20.0f * unit(rng)});
        }
    };
    for (int layout = 0; layout < 3; ++layout) {
        std::vector<Point3> samples;
        for (int q = 0; q < 4; ++q) {
            const float x0 = (q % 2) * 48.0f + 1.0f, y0 = (q / 2) * 48.0f + 1.0f;
            line(samples, x0 + 20.0f, y0 + 20.0f, x0, y0, x0 + 44.0f, y0 + 44.0f, 400);
        }
        if (layout == 1) line(samples, 10.0f, 10.0f, 1.0f, 1.0f, 40.0f, 40.0f, 100);
        if (layout == 2)
            for (int i = 0; i < 400; ++i) samples.push_back({unit(rng) * 95.0f, unit(rng) * 95.0f, 5.0f});
        for (int stride : {1, 3}) {
            HeightGrid grid;
            grid.gridSize = n;
            grid.cellSize = 1.0f;
            grid.heights.assign(static_cast<std::size_t>(n) * n, 0.0f);
            for (float& v : grid.heights) v = unit(rng);
            std::vector<float> literal = grid.heights;
            FitSamples(grid, SampleSet{samples}, stride);
            LiteralFitSamples(literal, n, 0.0f, 0.0f, 1.0f, samples, stride);
            ASSERT_EQ(grid.heights, literal) << "layout " << layout << ", stride " << stride;
        }
    }
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
    const int n = b.grid.gridSize;
    ASSERT_EQ(n, 129);
    // Inside the contours' box the grid follows the plane (about 1.4 per cell).
    double worst = 0.0;
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            const double x = b.grid.origin.x + c * b.grid.cellSize;
            const double y = b.grid.origin.y + r * b.grid.cellSize;
            if (x < 20 || x > 780 || y < 20 || y > 780) continue;
            worst = std::max(worst, std::fabs(b.grid.heights[r * n + c] - plane.Height(x, y)));
        }
    EXPECT_LT(worst, 0.15);
}

TEST(FitHeightField, ProgressAndCancel) {
    StageParts b;
    AppendRidgeContours(b, RidgeSurface{}, 300.0, 20.0, 10.0);
    ASSERT_TRUE(b.SetUpSampling(10));
    RecordingProgress whole, cancelled, deep;
    b.progress = &whole;
    b.FitHeightField(1);
    EXPECT_EQ(whole.Titles(), std::vector<std::string>{"Surface Building"});
    EXPECT_EQ(whole.Percents("Surface Building"),
              (std::vector<int>{0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90}));
    EXPECT_EQ(whole.events.back().kind, RecordingProgress::Event::End);

    cancelled.cancelAtCall = 1; // from the start: one round per level, every level refined
    b.progress = &cancelled;
    b.FitHeightField(5);
    EXPECT_EQ(b.grid.gridSize, GridSizeForLevels(5));
    EXPECT_EQ(cancelled.Percents("Surface Building"), (std::vector<int>{0, 0, 20, 40, 60, 80}));

    b.progress = &deep;
    b.FitHeightField(10);
    ASSERT_EQ(deep.Percents("Surface Building").size(), 101u);
    EXPECT_EQ(deep.Percents("Surface Building").back(), 99);
}

} // namespace
