#include "rollouts/uvw_zones.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>

#include "tests/host/grid_mesh.h"

namespace {

// A 21 x 21 grid terrain (object space 0..20) placed at world x + 5, and the
// UVW list's settings.
class UVWZones : public ::testing::Test {
protected:
    UVWInputs in;
    Mesh mesh = GridMesh(21);
    Matrix3 terrainTM = TransMatrix(Point3(5, 0, 0));
    PolyShape outline;

    // A path whose knots are world points less 1 in y, placed 1 up, so the
    // path transform takes part.
    static UVWPath Path(std::vector<Point2> world, bool closed) {
        UVWPath path;
        PolyLine& line = path.shape.NewLine();
        for (Point2 p : world) line.Append(Point3(p.x, p.y - 1.0f, 0.0f));
        if (closed) line.Close();
        path.pathTM = TransMatrix(Point3(0, 1, 0));
        return path;
    }
    // Sets list entry s (the list has no gaps: empty slots are left out).
    void Slot(std::size_t s, UVWPath path, int channel, float width, float zone,
              float angle = 0.0f) {
        path.channel = channel;
        path.width = width;
        path.zone = zone;
        path.angle = angle;
        if (in.paths.size() <= s) in.paths.resize(s + 1);
        in.paths[s] = path;
    }
    Point3 WorldCentre(int f) { return FaceCentre(mesh, f) * terrainTM; }
    Point3 World(int f, int k) { return mesh.verts[mesh.faces[f].v[k]] * terrainTM; }
    UVVert UV(int ch, int f, int k) { return mesh.Map(ch).tv[mesh.Map(ch).tf[f].t[k]]; }
    // Faces whose world centre satisfies inside.
    std::set<int> FacesWhere(const std::function<bool(Point3)>& inside) {
        std::set<int> s;
        for (int f = 0; f < mesh.getNumFaces(); f++)
            if (inside(WorldCentre(f))) s.insert(f);
        return s;
    }
    std::set<int> Selected() {
        std::set<int> s;
        for (int f = 0; f < mesh.getNumFaces(); f++)
            if (mesh.faceSel[f]) s.insert(f);
        return s;
    }
};

void ExpectNear(UVVert a, UVVert b, const std::string& what) {
    EXPECT_NEAR(a.x, b.x, 1e-4f) << what;
    EXPECT_NEAR(a.y, b.y, 1e-4f) << what;
    EXPECT_NEAR(a.z, b.z, 1e-4f) << what;
}

} // namespace

TEST_F(UVWZones, UGrowsAlongAStraightPathAndVRunsAcrossIt) {
    // Three knots along world y = 10 from x = 7 to 23; hw = hz = 2.
    Slot(0, Path({{7, 10}, {15, 10}, {23, 10}}, false), 3, 4.0f, 4.0f);
    ApplyUVWZones(mesh, in, terrainTM, outline);

    auto zone = FacesWhere([](Point3 c) { return c.x > 7 && c.x < 23 && c.y > 8 && c.y < 12; });
    ASSERT_FALSE(zone.empty());
    EXPECT_EQ(Selected(), zone);
    for (int f = 0; f < mesh.getNumFaces(); f++)
        for (int k = 0; k < 3; k++) {
            Point3 w = World(f, k);
            // The side points to the right of the direction of travel (-y).
            UVVert expect = zone.count(f)
                                ? UVVert((w.x - 7) / 2 + 0.5f, -(w.y - 10) / 2 + 0.5f, 0.0f)
                                : mesh.verts[mesh.faces[f].v[k]]; // untouched since InitMap
            ExpectNear(UV(3, f, k), expect, "face " + std::to_string(f));
        }
    // Outline in object space: Z+ on the right at y = 8, with the end vertex.
    ASSERT_EQ(outline.numLines, 4);
    ASSERT_EQ(outline[0].numPts, 3);
    ExpectNear(outline[0][0].p, Point3(2, 8, 0), "Z+ start");
    ExpectNear(outline[0][2].p, Point3(18, 8, 0), "Z+ end");
    ExpectNear(outline[3][1].p, Point3(10, 12, 0), "W- middle");
}

TEST_F(UVWZones, AnEarlierZoneKeepsTheFacesItClaimed) {
    Slot(0, Path({{7, 10}, {23, 10}}, false), 3, 4.0f, 4.0f);
    // The next entry crosses the first going up along x = 15.
    Slot(1, Path({{15, 2}, {15, 18}}, false), 4, 2.0f, 4.0f);
    ApplyUVWZones(mesh, in, terrainTM, outline);

    auto first = FacesWhere([](Point3 c) { return c.x > 7 && c.x < 23 && c.y > 8 && c.y < 12; });
    auto second = FacesWhere([](Point3 c) { return c.x > 13 && c.x < 17 && c.y > 2 && c.y < 18; });
    std::set<int> all = first;
    all.insert(second.begin(), second.end());
    EXPECT_EQ(Selected(), all);
    int overlap = 0;
    for (int f : second)
        for (int k = 0; k < 3; k++) {
            Point3 w = World(f, k);
            if (first.count(f)) {
                overlap++;
                ExpectNear(UV(4, f, k), mesh.verts[mesh.faces[f].v[k]],
                           "overlap keeps the fresh channel");
            } else {
                // Going up, the side is +x; hw = 1.
                ExpectNear(UV(4, f, k), UVVert((w.y - 2) / 1 + 0.5f, (w.x - 15) / 1 + 0.5f, 0.0f),
                           "second zone");
            }
        }
    EXPECT_GT(overlap, 0);
    EXPECT_EQ(outline.numLines, 8);
}

TEST_F(UVWZones, ClosedPathsMapTheirClosingSegmentOpenOnesDoNot) {
    // Near the middle of the closing segment (10, 14) -> (4, 4) lies (7, 9).
    auto nearClosing = [&]() {
        for (int f : Selected()) {
            Point3 c = WorldCentre(f);
            if (std::abs(c.x - 7) < 0.7f && std::abs(c.y - 9) < 0.7f) return true;
        }
        return false;
    };
    Slot(0, Path({{4, 4}, {16, 4}, {10, 14}}, true), 2, 2.0f, 2.0f);
    ApplyUVWZones(mesh, in, terrainTM, outline);
    EXPECT_TRUE(nearClosing());

    mesh = GridMesh(21);
    Slot(0, Path({{4, 4}, {16, 4}, {10, 14}}, false), 2, 2.0f, 2.0f);
    ApplyUVWZones(mesh, in, terrainTM, outline);
    EXPECT_FALSE(nearClosing());
    EXPECT_FALSE(Selected().empty());

    // An open path of two points maps its one segment; its outline lines hold
    // only the first vertex's points.
    mesh = GridMesh(21);
    Slot(0, Path({{7, 10}, {17, 10}}, false), 2, 2.0f, 2.0f);
    UpdateUVWOutline(in, terrainTM, outline);
    ASSERT_EQ(outline.numLines, 4);
    for (int l = 0; l < 4; l++) EXPECT_EQ(outline[l].numPts, 1);
    ExpectNear(outline[2][0].p, Point3(2, 9, 0), "W+ of the first vertex");
    EXPECT_EQ(mesh.faceSel.NumberSet(), 0) << "the outline alone leaves the mesh";
    ApplyUVWZones(mesh, in, terrainTM, outline);
    EXPECT_EQ(Selected(),
              FacesWhere([](Point3 c) { return c.x > 7 && c.x < 17 && c.y > 9 && c.y < 11; }));
}

TEST_F(UVWZones, AnEmptyListGivesTheGlobalMappingAndKeepsTheSelection) {
    mesh.faceSel.Set(7);
    mesh.faceSel.Set(100);
    in.mapCh = 5;
    in.width = 4.0f;
    in.globalAngle = 90.0f;
    ApplyUVWZones(mesh, in, terrainTM, outline);
    EXPECT_EQ(outline.numLines, 0);
    EXPECT_EQ(Selected(), (std::set<int>{7, 100}));
    ASSERT_TRUE(mesh.mapSupport(5));
    // A quarter turn takes object (x, y) to (-y, x) before the offset and tiling.
    for (int f = 0; f < mesh.getNumFaces(); f += 37)
        for (int k = 0; k < 3; k++) {
            Point3 p = mesh.verts[mesh.faces[f].v[k]];
            ExpectNear(UV(5, f, k), UVVert((-p.y + 0.5f) / 4, (p.x + 0.5f) / 4, 0.0f), "global");
        }
}

TEST_F(UVWZones, MaterialBordersAreBlackInTheVertexColours) {
    for (int f = 0; f < mesh.getNumFaces(); f++)
        mesh.setFaceMtlIndex(f, FaceCentre(mesh, f).x < 10 ? 0 : 1);
    ApplyUVWZones(mesh, in, terrainTM, outline);
    ASSERT_TRUE(mesh.mapSupport(0));
    for (int f = 0; f < mesh.getNumFaces(); f++)
        for (int k = 0; k < 3; k++) {
            bool border = mesh.verts[mesh.faces[f].v[k]].x == 10.0f;
            EXPECT_EQ(UV(0, f, k), border ? UVVert(0, 0, 0) : UVVert(1, 1, 1)) << f;
        }
}
