#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/contour_sampling.h"
#include "geometry/exact_fit.h"

namespace {

// Wavy lines at uneven heights: every node kind and the bands of a pool.
std::vector<ContourLine> WavyLines() {
    std::vector<ContourLine> lines;
    for (int k = 0; k < 12; ++k) {
        ContourLine line;
        for (int s = 0; s <= 200; ++s) {
            const float x = static_cast<float>(s) * 3.0f;
            line.points.emplace_back(x, 40.0f * k + 15.0f * std::sin(x / 37.0f + k),
                                     static_cast<float>(k * k));
        }
        lines.push_back(line);
    }
    return lines;
}

TEST(ExactFit, SameBytesOnOneThreadAndOnMany) {
    const std::vector<ContourLine> lines = WavyLines();
    ContourSegments segments;
    ASSERT_TRUE(GatherContours(segments, lines));
    HeightGrid start;
    SampleSet unused;
    ASSERT_TRUE(SetUpSampling(segments, 8, 2.0f, start, unused));
    ExactFitSettings settings;
    settings.maxCycles = 4; // the bytes, not the convergence
    HeightGrid alone = start;
    const ExactFitReport a = FitExactHeightField(alone, lines, 8, settings, nullptr, nullptr);
    for (int threads : {2, 3}) {
        WorkerPool pool(threads);
        HeightGrid shared = start;
        const ExactFitReport b = FitExactHeightField(shared, lines, 8, settings, nullptr, &pool);
        EXPECT_EQ(a.cycles, b.cycles);
        ASSERT_EQ(alone.heights, shared.heights) << threads << " threads";
    }
}

} // namespace
