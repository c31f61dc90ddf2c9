#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support/contour_fixtures.h"
#include "tests/support/stage_parts.h"

namespace {

TEST(GatherContours, LinesInOrderWithClosingSegmentsAndNoneForLonePoints) {
    std::vector<ContourLine> lines = {
        {{{0, 0, 7}, {4, 0, 7}, {4, 4, 7}}, true},
        {{{9, 9, 0}}, true}, // one point: no segment even when closed
        {{{100, 0, 3}, {110, 0, 3}, {110, 5, 3}}, false},
    };
    ContourSegments segments;
    EXPECT_FALSE(GatherContours(segments, {}));
    ASSERT_TRUE(GatherContours(segments, lines));
    ASSERT_EQ(segments.count(), 5);
    EXPECT_EQ(segments[2].start, lines[0].points[2]);
    EXPECT_EQ(segments[2].end, lines[0].points[0]);
    EXPECT_EQ(segments[3].start, lines[2].points[0]);
    EXPECT_EQ(segments[4].end, lines[2].points[2]);
}

TEST(SamplingSetUp, ContoursWithoutFiniteAreaGiveNoSamples) {
    const Point3 dot[2] = {{5, 5, 1}, {5, 5, 1}};
    const Point3 far[2] = {{5.0f, 5.0f, 1.0f}, {INFINITY, 5.0f, 1.0f}};
    for (const Point3* line : {dot, far}) {
        StageParts b;
        b.AppendLineSegments(line, 2, true);
        EXPECT_FALSE(b.SetUpSampling(10));
        EXPECT_EQ(b.samples.Count(), 0);
    }
}

TEST(Resampling, NearDuplicatePointsNeverGiveNotANumber) {
    StageParts b;
    // A first segment without length in x, y, then a contour with repeated vertices.
    const Point3 dot[2] = {{50, 50, 5}, {50, 50, 9}};
    b.AppendLineSegments(dot, 2, false);
    AppendRidgeContours(b, RidgeSurface{}, 300.0, 5.0, 3.0, true);
    ASSERT_TRUE(b.SetUpSampling(4));
    ASSERT_GT(b.samples.Count(), 100);
    EXPECT_EQ(b.samples.samples[0], dot[0]); // it has no direction: its start stands in
    for (const Point3& s : b.samples.samples)
        ASSERT_TRUE(std::isfinite(s.x) && std::isfinite(s.y) && std::isfinite(s.z));
    b.FitHeightField(4);
    for (float h : b.grid.heights) ASSERT_TRUE(std::isfinite(h));
}

} // namespace
