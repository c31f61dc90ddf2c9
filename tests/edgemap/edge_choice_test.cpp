#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "edgemap/edge_distance.h"
#include "host/sdk/mesh.h"
#include "host/sdk/mnmesh.h"

namespace {

struct Tri {
    int a, b, c;
    DWORD smooth;
    MtlID mat;
};

Mesh MakeMesh(std::initializer_list<Point3> verts, std::initializer_list<Tri> tris) {
    Mesh m;
    m.setNumVerts(static_cast<int>(verts.size()));
    int i = 0;
    for (const Point3& p : verts) m.setVert(i++, p);
    m.setNumFaces(static_cast<int>(tris.size()));
    i = 0;
    for (const Tri& t : tris) {
        m.faces[i].setVerts(t.a, t.b, t.c);
        m.faces[i].setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_VIS);
        m.faces[i].setSmGroup(t.smooth);
        m.faces[i].setMatID(t.mat);
        ++i;
    }
    m.edgeSel.SetSize(3 * m.getNumFaces());
    return m;
}

// The unit square as two triangles; the diagonal 0-2 is the only inner edge.
Mesh Square(DWORD s0 = 1, DWORD s1 = 1, MtlID m0 = 0, MtlID m1 = 0) {
    return MakeMesh(
        {{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 0.0f}, {0.0f, 1.0f, 0.0f}},
        {{0, 1, 2, s0, m0}, {0, 2, 3, s1, m1}});
}

int Chosen(Mesh mesh, const EdgeCriteria& c) {
    EdgeDistanceData d;
    d.criteria = c;
    d.ChooseEdges(mesh);
    return static_cast<int>(d.segments.size());
}

int ChosenPoly(Mesh mesh, const EdgeCriteria& c) {
    MNMesh poly(mesh);
    EdgeDistanceData d;
    d.criteria = c;
    d.ChooseEdges(poly);
    return static_cast<int>(d.segments.size());
}

EdgeCriteria Only(bool EdgeCriteria::*flag, int combine = 1) {
    EdgeCriteria c;
    c.*flag = true;
    c.combine = combine;
    return c;
}

} // namespace

TEST(MeshEdgeChoice, CriteriaOnTriangleAndPolygonMeshes) {
    for (bool poly : {false, true}) {
        auto count = [poly](Mesh m, const EdgeCriteria& c) {
            return poly ? ChosenPoly(m, c) : Chosen(m, c);
        };
        SCOPED_TRACE(poly ? "polygon" : "triangle");
        EXPECT_EQ(count(Square(), EdgeCriteria{}), 5);
        EXPECT_EQ(count(Square(), Only(&EdgeCriteria::openEdges)), 4);

        EdgeCriteria smooth = Only(&EdgeCriteria::smooth);
        smooth.smoothType = 0;
        EXPECT_EQ(count(Square(1, 3), smooth), 1);
        smooth.smoothType = 1;
        EXPECT_EQ(count(Square(1, 3), smooth), 0);
        EXPECT_EQ(count(Square(1, 2), smooth), 1);

        EdgeCriteria range = Only(&EdgeCriteria::matId);
        range.matIdType = 0;
        range.matIdRange = true;
        range.matId1 = 0;
        range.matId2 = 1;
        EXPECT_EQ(count(Square(1, 1, 0, 1), range), 1);
        EXPECT_EQ(count(Square(1, 1, 1, 0), range), 1);
        EXPECT_EQ(count(Square(1, 1, 0, 2), range), 0);

        EdgeCriteria flat = Only(&EdgeCriteria::coplanar);
        flat.angle = 0.1f;
        EXPECT_EQ(count(Square(), flat), 1);
    }
}

TEST(MeshEdgeChoice, ClosedMeshHasNoOpenEdges) {
    Mesh tetra =
        MakeMesh({{0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}},
                 {{0, 2, 1, 0, 0}, {0, 1, 3, 0, 0}, {1, 2, 3, 0, 0}, {2, 0, 3, 0, 0}});
    EXPECT_EQ(Chosen(tetra, EdgeCriteria{}), 6);
    EXPECT_EQ(ChosenPoly(tetra, EdgeCriteria{}), 6);
    EdgeDistanceData d;
    d.criteria = Only(&EdgeCriteria::openEdges);
    d.ChooseEdges(tetra);
    d.BuildGrid();
    Point3 near;
    EXPECT_EQ(d.NearestEdgeDistance(Point3(0.2f, 0.2f, 0.2f), near), NO_EDGE_DISTANCE);
}

TEST(MeshEdgeChoice, AngleThresholdIsStrict) {
    // Two faces meeting at a right angle along the y axis: normals (0,0,1) and (-1,0,0).
    Mesh fold =
        MakeMesh({{0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {-1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}},
                 {{0, 1, 2, 0, 0}, {1, 0, 3, 0, 0}});
    EdgeCriteria c = Only(&EdgeCriteria::coplanar);
    c.angle = std::acos(0.0f);
    EXPECT_EQ(Chosen(fold, c), 0);
    EXPECT_EQ(ChosenPoly(fold, c), 0);
    c.angle = std::nextafter(c.angle, 4.0f);
    EXPECT_EQ(Chosen(fold, c), 1);
    EXPECT_EQ(ChosenPoly(fold, c), 1);
}

TEST(MeshEdgeChoice, SelectedOpenEdgesWithAnd) {
    Mesh m = Square();
    m.edgeSel.Set(3 * 0 + 0); // side 0-1 of face 0: open
    m.edgeSel.Set(3 * 0 + 2); // side 2-0 of face 0: the diagonal
    EdgeCriteria c;
    c.combine = 0;
    c.selectionOnly = true;
    c.openEdges = true;
    EdgeDistanceData d;
    d.criteria = c;
    d.ChooseEdges(m);
    ASSERT_EQ(d.segments.size(), 1u);
    EXPECT_EQ(d.segments[0].a.y, 0.0f);
    EXPECT_EQ(d.segments[0].b.y, 0.0f);
    EXPECT_EQ(ChosenPoly(m, c), 1);
    c.combine = 1;
    EXPECT_EQ(Chosen(m, c), 5); // 4 open edges or the selected diagonal

    // Distances from the chosen open edge.
    d.criteria.distance = 1.0f;
    d.BuildGrid();
    Point3 near;
    EXPECT_FLOAT_EQ(d.NearestEdgeDistance(Point3(0.5f, 0.25f, 0.0f), near), 0.25f);
    EXPECT_EQ(near, Point3(0.5f, 0.0f, 0.0f));
}

TEST(MeshEdgeChoice, InvisibleTriangleEdgesAreSkipped) {
    Mesh m = Square();
    m.faces[0].setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_INVIS);
    m.faces[1].setEdgeVisFlags(EDGE_INVIS, EDGE_VIS, EDGE_VIS);
    EXPECT_EQ(Chosen(m, EdgeCriteria{}), 4);
}
