#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/geometry_primitives.h"
#include "host/sdk/graphics_window.h"

namespace {

class SegmentRecorder : public GraphicsWindow {
public:
    std::vector<std::pair<Point3, Point3>> segments;
    void setTransform(const Matrix3&) override {}
    Matrix3 getTransform() override { return Matrix3(); }
    void setColor(ColorType, float, float, float) override {}
    void startSegments() override {}
    void segment(Point3* xyz, int vis) override {
        if (vis) segments.push_back({xyz[0], xyz[1]});
    }
    void endSegments() override {}
};

TEST(PointInPolygon, InsideOutsideAndLowerRowsCountAsAbove) {
    const Point2 tri[3] = {{0, 0}, {6, 0}, {0, 6}};
    EXPECT_TRUE(PointInPolygon(Point2(2.0f, 2.0f), tri, 3)); // centroid
    EXPECT_FALSE(PointInPolygon(Point2(100.0f, 2.0f), tri, 3));
    EXPECT_FALSE(PointInPolygon(Point2(-1.0f, 2.0f), tri, 3));

    const Point2 square[4] = {{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    EXPECT_TRUE(PointInPolygon(Point2(1.0f, 0.0f), square, 4));  // on the lower row
    EXPECT_FALSE(PointInPolygon(Point2(1.0f, 2.0f), square, 4)); // on the upper row
    // A concave outline: the notch of a U is outside.
    const Point2 u[8] = {{0, 0}, {3, 0}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}};
    EXPECT_FALSE(PointInPolygon(Point2(1.5f, 2.0f), u, 8));
    EXPECT_TRUE(PointInPolygon(Point2(0.5f, 2.0f), u, 8));
}

TEST(DrawRoundedCorner, QuarterCircleFromAToB) {
    SegmentRecorder gw;
    DrawSegment(&gw, Point3(1.0f, 2.0f, 3.0f), Point3(4.0f, 5.0f, 6.0f));
    ASSERT_EQ(gw.segments.size(), 1u);
    EXPECT_EQ(gw.segments[0].second, Point3(4.0f, 5.0f, 6.0f));
    gw.segments.clear();

    DrawRoundedCorner(&gw, Point3(1.0f, 0.0f, 0.0f), Point3(1.0f, 1.0f, 0.0f),
                      Point3(0.0f, 1.0f, 0.0f));
    ASSERT_EQ(gw.segments.size(), 10u);
    EXPECT_EQ(gw.segments.front().first, Point3(1.0f, 0.0f, 0.0f));
    EXPECT_NEAR(gw.segments.back().second.x, 0.0f, 1e-6f);
    EXPECT_NEAR(gw.segments.back().second.y, 1.0f, 1e-6f);
    for (std::size_t i = 0; i < gw.segments.size(); ++i) {
        const Point3 p = gw.segments[i].second;
        EXPECT_NEAR(std::hypot(p.x, p.y), 1.0f, 1e-6f); // on the unit circle round (0, 0)
        if (i > 0) {
            EXPECT_EQ(gw.segments[i].first, gw.segments[i - 1].second); // joined
        }
    }
}

} // namespace
