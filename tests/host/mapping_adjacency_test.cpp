#include <gtest/gtest.h>

#include <cmath>

#include "grid_mesh.h"
#include "host/sdk/mesh_adjacency.h"
#include "host/sdk/uvw_mapper.h"

TEST(PlanarMapper, CoordinatesFollowTheTransformOffsetTilingAndFlips) {
    UVWMapper plain(MAP_PLANAR, Matrix3());
    EXPECT_EQ(plain.MapPoint(Point3(0.25f, -0.1f, 7.0f)), UVVert(0.75f, 0.4f, 0.0f))
        << "depth plays no part, the origin maps to the centre";

    // A quarter turn: x goes to y, y to -x.
    UVWMapper turned(MAP_PLANAR, RotateZMatrix(static_cast<float>(M_PI / 2)));
    UVVert uv = turned.MapPoint(Point3(1, 0, 0));
    EXPECT_NEAR(uv.x, 0.5f, 1e-6f);
    EXPECT_NEAR(uv.y, 1.5f, 1e-6f);

    // Scale then shift: world 10 units map to one tile, shifted by 3 units.
    Matrix3 tm = TransMatrix(Point3(-3, 0, 0));
    tm.Scale(Point3(0.1f, 0.1f, 0.1f), TRUE);
    UVWMapper scaled(MAP_PLANAR, tm, TRUE, 2.0f, 1.0f, 1.0f, TRUE, FALSE, FALSE);
    uv = scaled.MapPoint(Point3(8, 5, 0)); // q = (0.5, 0.5): u 1.0 flipped to 0, v 1.0
    EXPECT_NEAR(uv.x, 0.0f, 1e-6f);
    EXPECT_NEAR(uv.y, 1.0f, 1e-6f);
    uv = scaled.MapPoint(Point3(3, 0, 0)); // u 0.5, flipped 0.5, tiled 1.0
    EXPECT_NEAR(uv.x, 1.0f, 1e-6f);
}

TEST(AdjacencyList, OpenEdgesVisibilityAndSelection) {
    Mesh m = GridMesh(2);     // one quad: faces (0,1,3) and (0,3,2), diagonal 0-3 hidden
    m.edgeSel.Set(3 * 1 + 0); // the diagonal, seen from face 1
    MeshTempData temp(&m);
    AdjEdgeList& ae = *temp.AdjEList();
    ASSERT_EQ(ae.Count(), 5);
    int open = 0;
    for (int i = 0; i < ae.Count(); i++) {
        const MEdge& me = ae[i];
        bool isOpen = me.f[1] == UNDEFINED;
        open += isOpen;
        bool diagonal = (me.v[0] == 0 && me.v[1] == 3) || (me.v[0] == 3 && me.v[1] == 0);
        EXPECT_EQ(isOpen, !diagonal);
        EXPECT_EQ(ae[i].Visible(m.faces.data()) != 0, !diagonal);
        EXPECT_EQ(ae[i].Selected(m.faces.data(), m.edgeSel) != 0, diagonal);
        // The edge's vertices lie on its first face in that face's order.
        int k = me.EdgeIndex(m.faces.data(), 0);
        ASSERT_GE(k, 0);
        EXPECT_EQ(m.faces[me.f[0]].v[k], me.v[0]);
        EXPECT_EQ(m.faces[me.f[0]].v[(k + 1) % 3], me.v[1]);
    }
    EXPECT_EQ(open, 4);
    EXPECT_EQ(ae.FindEdge(3, 0), ae.FindEdge(0, 3));
    EXPECT_EQ(ae.FindEdge(1, 2), -1);

    // Two triangles meeting at one vertex share no edge.
    Mesh bow;
    bow.setNumVerts(5);
    bow.verts = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}};
    bow.setNumFaces(2);
    bow.faces[0].setVerts(0, 1, 2);
    bow.faces[1].setVerts(0, 3, 4);
    AdjEdgeList bowEdges(bow);
    ASSERT_EQ(bowEdges.Count(), 6);
    for (int i = 0; i < 6; i++) EXPECT_EQ(bowEdges[i].f[1], UNDEFINED);
    EXPECT_EQ(bowEdges.list[0].size(), 4u);
}
