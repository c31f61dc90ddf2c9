#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support/contour_fixtures.h"
#include "tests/support/stage_parts.h"
#include "geometry/tuning_constants.h"

namespace {

TEST(ContourSegments, OpenClosedAndSinglePointLinesInOrder) {
    StageParts b;
    const Point3 open[4] = {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    const Point3 closed[3] = {{5, 5, 2}, {6, 5, 2}, {6, 6, 2}};
    const Point3 single[1] = {{9, 9, 3}};
    b.AppendLineSegments(open, 4, false);
    EXPECT_EQ(b.segments.count(), 3);
    b.AppendLineSegments(closed, 3, true);
    EXPECT_EQ(b.segments.count(), 6);
    b.AppendLineSegments(single, 1, true);
    b.AppendLineSegments(single, 1, false);
    ASSERT_EQ(b.segments.count(), 6);

    EXPECT_EQ(b.segments[0].start, open[0]);
    EXPECT_EQ(b.segments[2].end, open[3]);
    EXPECT_EQ(b.segments[3].start, closed[0]);
    // The closing segment joins the last point back to the first.
    EXPECT_EQ(b.segments[5].start, closed[2]);
    EXPECT_EQ(b.segments[5].end, closed[0]);
}

TEST(ContourSegments, GrowByHalf) {
    StageParts b;
    const Point3 pts[2] = {{1, 2, 3}, {4, 5, 6}};
    b.AppendLineSegments(pts, 2, false);
    EXPECT_EQ(b.segments.capacity(), 1000);
    for (int i = 0; i < 1000; ++i) b.AppendSegment(pts[0], pts[1]);
    EXPECT_EQ(b.segments.capacity(), 1500);
    EXPECT_EQ(b.segments.count(), 1001);
}

TEST(SamplingSetUp, SquareGridWithFivePercentMarginForThinContours) {
    StageParts b;
    const Point3 line[2] = {{-200, 10, 0}, {800, 30, 5}}; // 1000 wide, 20 high
    b.AppendLineSegments(line, 2, false);
    const double length = std::hypot(1000.0, 20.0);
    {
        b.tuning.GridRefineFactor = 2.0f;
        ASSERT_TRUE(b.SetUpSampling(3));
        EXPECT_FLOAT_EQ(b.grid.extent, 1100.0f);
        EXPECT_FLOAT_EQ(b.grid.origin.x, -250.0f);        // 5% of 1000 before the box
        EXPECT_FLOAT_EQ(b.grid.origin.y, 20.0f - 550.0f); // centred on the thin side
        // 8 x 2^3 = 64 divisions of the extent make the step.
        const double step = 1100.0 / 64.0;
        EXPECT_EQ(b.samples.sampleCount, static_cast<int>((step * 0.5 + length) / step));
    }
    {
        // The fraction only changes the spacing: 8 -> 20 -> 50 -> 125 divisions.
        b.tuning.GridRefineFactor = 2.5f;
        ASSERT_TRUE(b.SetUpSampling(3));
        const double step = 1100.0 / 125.0;
        EXPECT_EQ(b.samples.sampleCount, static_cast<int>((step * 0.5 + length) / step));
    }
}

TEST(Resampling, SamplesOnSegmentsWithInterpolatedHeights) {
    StageParts b;
    // An L of two segments: 10 long rising 0 -> 10, then 6 long falling 10 -> 4.
    const Point3 pts[3] = {{0, 0, 0}, {10, 0, 10}, {10, 6, 4}};
    b.AppendLineSegments(pts, 3, false);
    const float step = 2.0f;
    const int capacity = b.CountSamples(step);
    EXPECT_EQ(capacity, 8); // trunc((1 + 16) / 2)
    std::vector<Point3> out(static_cast<std::size_t>(capacity));
    ASSERT_EQ(b.ResampleContours(step, out.data(), capacity), capacity);

    // The first sample lies half a step beyond the first segment's end, on its
    // extension, and the rest walk backwards one step apart.
    EXPECT_FLOAT_EQ(out[0].x, 11.0f);
    EXPECT_FLOAT_EQ(out[0].z, 11.0f);
    const float firstLeg[6] = {11, 9, 7, 5, 3, 1};
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(out[i].x, firstLeg[i]);
        EXPECT_FLOAT_EQ(out[i].y, 0.0f);
        EXPECT_FLOAT_EQ(out[i].z, firstLeg[i]); // z = x on this leg
    }
    // Carried phase: the second leg starts 1 - 2 + 6 = 5 from its start; the
    // room runs out after two of its three samples.
    const float secondLeg[2] = {5, 3};
    for (int i = 0; i < 2; ++i) {
        EXPECT_FLOAT_EQ(out[6 + i].x, 10.0f);
        EXPECT_FLOAT_EQ(out[6 + i].y, secondLeg[i]);
        EXPECT_FLOAT_EQ(out[6 + i].z, 10.0f - secondLeg[i]);
    }
    // Never beyond the room given.
    EXPECT_EQ(b.ResampleContours(step, out.data(), 3), 3);
}

TEST(Resampling, CountMatchesWrittenSamplesOnGeneratedContours) {
    StageParts b;
    AppendRidgeContours(b, RidgeSurface{}, 1000.0, 10.0, 7.0);
    for (float step : {0.37f, 1.0f, 13.0f}) {
        const int capacity = b.CountSamples(step);
        std::vector<Point3> out(static_cast<std::size_t>(capacity) + 8);
        const int written = b.ResampleContours(step, out.data(), capacity + 8);
        // The walk yields one sample more than the count: the capacity cuts it.
        EXPECT_LE(std::abs(written - (capacity + 1)), 1) << step;
    }
}

TEST(Resampling, NearDuplicatePointsNeverGiveNotANumber) {
    StageParts b;
    // A first segment of zero length, then a proper contour with repeated vertices.
    const Point3 dot[2] = {{50, 50, 5}, {50, 50, 5}};
    b.AppendLineSegments(dot, 2, false);
    AppendRidgeContours(b, RidgeSurface{}, 300.0, 5.0, 3.0, true);
    ASSERT_TRUE(b.SetUpSampling(4));
    ASSERT_GT(b.samples.sampleCount, 100);
    // The zero-length first segment writes its own point.
    EXPECT_EQ(b.samples.samples[0], dot[0]);
    for (const Point3& s : b.samples.samples)
        ASSERT_TRUE(std::isfinite(s.x) && std::isfinite(s.y) && std::isfinite(s.z));

    b.FitHeightField(4);
    for (float h : b.grid.heights) ASSERT_TRUE(std::isfinite(h));
}

TEST(SamplingSetUp, ContoursWithoutAreaGiveNoSamples) {
    StageParts b;
    const Point3 dot[3] = {{5, 5, 1}, {5, 5, 1}, {5, 5, 1}};
    b.AppendLineSegments(dot, 3, true);
    EXPECT_FALSE(b.SetUpSampling(10));
    EXPECT_EQ(b.samples.sampleCount, 0);
}

TEST(GatherContours, LinesInOrderEachWithItsOwnSegments) {
    std::vector<ContourLine> lines(3);
    lines[0].points = {{0, 0, 7}, {4, 0, 7}, {4, 4, 7}};
    lines[0].closed = true;
    lines[1].points = {{9, 9, 0}}; // one point: no segment even when closed
    lines[1].closed = true;
    lines[2].points = {{100, 0, 3}, {110, 0, 3}, {110, 5, 3}};
    ContourSegments segments;
    EXPECT_FALSE(GatherContours(segments, {}));
    ASSERT_TRUE(GatherContours(segments, lines));
    ASSERT_EQ(segments.count(), 5);
    EXPECT_EQ(segments[2].start, Point3(4.0f, 4.0f, 7.0f));
    EXPECT_EQ(segments[2].end, Point3(0.0f, 0.0f, 7.0f));
    EXPECT_EQ(segments[3].start, Point3(100.0f, 0.0f, 3.0f));
    EXPECT_EQ(segments[4].end, Point3(110.0f, 5.0f, 3.0f));
}

} // namespace
