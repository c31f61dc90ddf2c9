// Builds far from the world origin, where float spacing reaches the size of
// a grid cell: a build must stay inside its arrays and come to an end.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/surface_builder.h"

namespace {

// A closed square contour of side `side` centred on (cx, cy) at height z.
SurfaceInputs Square(double cx, double cy, double side, float z, int levels) {
    SurfaceInputs in;
    in.levels = levels;
    ContourLine line;
    const double h = side / 2;
    for (auto [dx, dy] : {std::pair{-h, -h}, {h, -h}, {h, h}, {-h, h}})
        line.points.push_back(Point3(static_cast<float>(cx + dx), static_cast<float>(cy + dy), z));
    line.closed = true;
    in.contours.push_back(line);
    return in;
}

// Every face index of the front names a vertex, and every grid height is finite.
void ExpectSound(const SurfaceBuilder& b) {
    const FrontMesh& front = b.Front();
    for (std::int32_t i = 0; i < front.faces.count(); ++i)
        for (int c : {front.faces[i].corner0, front.faces[i].corner1, front.faces[i].corner2})
            ASSERT_TRUE(c >= 0 && c < front.vertices.count()) << "face " << i;
    for (float h : b.Grid().heights) ASSERT_TRUE(std::isfinite(h));
}

// Whether some sample of the inputs lies outside the cells of the final grid.
bool SamplesLeaveTheGrid(const SurfaceInputs& in) {
    SurfaceBuilder b;
    if (!b.PrepareSamples(in, in.levels)) return false;
    const HeightGrid& g = b.Grid();
    const int n = (1 << in.levels) + 1;
    float cs = g.extent;
    for (int i = 0; i < in.levels; ++i) cs /= 2;
    for (const Point3& s : b.Samples().samples) {
        const float gx = (s.x - g.origin.x) / cs, gy = (s.y - g.origin.y) / cs;
        if (!(gx > -1.0f && gx < n - 1.0f && gy > -1.0f && gy < n - 1.0f)) return true;
    }
    return false;
}

TEST(FarCoordinates, SamplesPastTheLastCellAreLeftOut) {
    // 2.5 m squares near (5e6, 5e6): in float, origin + extent stops short of
    // the last samples for some of these placements.
    int outside = 0;
    for (double shift : {0.0, 0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 1.75}) {
        const SurfaceInputs in = Square(5e6 + shift, 5e6 + shift, 2.5, 10.0f, 6);
        if (!SamplesLeaveTheGrid(in)) continue;
        ++outside;
        SurfaceBuilder b;
        ASSERT_TRUE(b.BuildSurface(in));
        ExpectSound(b);
    }
    EXPECT_GT(outside, 0) << "no placement puts a sample outside the grid";
}

TEST(FarCoordinates, TheMesherStopsWhenNewVerticesNoLongerMove) {
    SurfaceBuilder b;
    ASSERT_TRUE(b.BuildSurface(Square(5e6, 5e6, 5.0, 10.0f, 8)));
    ExpectSound(b);
    EXPECT_TRUE(b.Front().stalled);
    EXPECT_GT(b.Front().faces.count(), 0);
}

TEST(FarCoordinates, TheSameSiteNearTheOriginNeverStalls) {
    SurfaceBuilder b;
    ASSERT_TRUE(b.BuildSurface(Square(0, 0, 5.0, 10.0f, 8)));
    EXPECT_FALSE(b.Front().stalled);
    ExpectSound(b);
}

} // namespace
