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

TEST(FarCoordinates, SamplesPastTheLastCellAreLeftOut) {
    // In float, origin + extent stops short of the last samples here.
    SurfaceBuilder b;
    ASSERT_TRUE(b.BuildSurface(Square(5e6, 5e6, 2.5, 10.0f, 6)));
    ExpectSound(b);
    // The samples that do fall inside still pull the grid to their height.
    const HeightGrid& g = b.Grid();
    const int mid = g.gridSize / 2;
    EXPECT_NEAR(g.heights[static_cast<std::size_t>(mid * g.gridSize + mid)], 10.0f, 1.0f);
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
