#include "host/sdk/mnmesh.h"

#include <gtest/gtest.h>

#include <set>

#include "grid_mesh.h"
#include "host/sdk/uvw_mapper.h"

namespace {

int OpenEdges(const MNMesh& mn) {
    int n = 0;
    for (int i = 0; i < mn.nume; i++) n += mn.E(i)->f2 < 0;
    return n;
}

// Index of the edge of mn joining the grid vertices at (c0, r0) and (c1, r1).
int GridEdge(MNMesh& mn, int n, int c0, int r0, int c1, int r1) {
    for (int i = 0; i < mn.nume; i++) {
        MNEdge* e = mn.E(i);
        std::set<int> ends{e->v1, e->v2};
        if (ends == std::set<int>{r0 * n + c0, r1 * n + c1}) return i;
    }
    return -1;
}

} // namespace

TEST(MNMeshTopology, EdgesOfAGridFollowEulersFormula) {
    MNMesh mn(GridMesh(4)); // 16 vertices, 18 faces, a disc
    EXPECT_EQ(mn.numv, 16);
    EXPECT_EQ(mn.numf, 18);
    // V - E + F = 1 for a disc; the border has 4 * 3 edges.
    EXPECT_EQ(mn.nume, 16 + 18 - 1);
    EXPECT_EQ(OpenEdges(mn), 12);
    for (int i = 0; i < mn.nume; i++) {
        const MNEdge* e = mn.E(i);
        for (int fi : {e->f1, e->f2}) {
            if (fi < 0) continue;
            int k = mn.F(fi)->EdgeIndex(i);
            ASSERT_GE(k, 0) << "edge " << i << " is not listed by its face " << fi;
            std::set<int> side{mn.F(fi)->vtx[k], mn.F(fi)->vtx[(k + 1) % 3]};
            EXPECT_EQ(side, (std::set<int>{e->v1, e->v2}));
        }
    }
    EXPECT_LT(Length(mn.GetFaceNormal(5, true) - Point3(0, 0, 1)), 1e-6f);
    EXPECT_FLOAT_EQ(Length(mn.GetFaceNormal(5, false)), 1.0f) << "twice the unit triangle area";
}

TEST(MNMeshTopology, TriangleMeshSurvivesTheRoundTrip) {
    Mesh m = GridMesh(3);
    for (int f = 0; f < m.getNumFaces(); f++) {
        m.setFaceMtlIndex(f, static_cast<MtlID>(f + 2));
        m.faces[f].setSmGroup(f + 1u);
    }
    m.vertSel.Set(2);
    m.faceSel.Set(3);
    m.edgeSel.Set(3 * 4 + 2); // the diagonal of quad (0, 1), side A of face 5
    m.setMapSupport(0);
    m.mapVerts(0)[4] = UVVert(0.1f, 0.2f, 0.3f);
    m.setMapSupport(3);
    Mesh back;
    MNMesh(m).OutToTri(back);
    ASSERT_EQ(back.getNumVerts(), m.getNumVerts());
    ASSERT_EQ(back.getNumFaces(), m.getNumFaces());
    EXPECT_EQ(back.verts, m.verts);
    for (int f = 0; f < m.getNumFaces(); f++) EXPECT_TRUE(back.faces[f] == m.faces[f]) << f;
    EXPECT_EQ(back.vertSel, m.vertSel);
    EXPECT_EQ(back.faceSel, m.faceSel);
    // Edge selection belongs to the edge, so the neighbour's side comes out
    // selected as well.
    BitArray esel = m.edgeSel;
    esel.Set(3 * 5 + 0);
    EXPECT_EQ(back.edgeSel, esel);
    for (int mp : {0, 3}) {
        ASSERT_TRUE(back.mapSupport(mp));
        EXPECT_EQ(back.Map(mp).tv, m.Map(mp).tv);
        EXPECT_EQ(back.Map(mp).tf, m.Map(mp).tf);
    }
}

TEST(MNMeshSplit, AnInteriorChainOpensAndSeparatesItsMiddleVertices) {
    // 5 x 5 grid; the chain runs along row 2 from column 1 to column 3, so
    // its ends are interior vertices that stay whole and only the middle
    // vertex (2, 2) falls apart into an upper and a lower copy.
    const int n = 5;
    MNMesh mn(GridMesh(n));
    int e0 = GridEdge(mn, n, 1, 2, 2, 2), e1 = GridEdge(mn, n, 2, 2, 3, 2);
    ASSERT_GE(e0, 0);
    ASSERT_GE(e1, 0);
    mn.E(e0)->SetFlag(MN_SEL);
    mn.E(e1)->SetFlag(MN_SEL);
    int v0 = mn.numv, e0count = mn.nume, open0 = OpenEdges(mn);
    mn.SplitFlaggedEdges(MN_SEL);
    EXPECT_EQ(mn.numv, v0 + 1);
    EXPECT_EQ(mn.nume, e0count + 2);
    EXPECT_EQ(OpenEdges(mn), open0 + 4);
    int selected = 0;
    for (int i = 0; i < mn.nume; i++) selected += mn.E(i)->GetFlag(MN_SEL);
    EXPECT_EQ(selected, 4) << "both halves of a cut edge keep its flag";

    // Faces above the cut use one copy of (2, 2), faces below the other.
    Mesh out;
    mn.OutToTri(out);
    std::set<DWORD> above, below;
    for (int f = 0; f < out.getNumFaces(); f++)
        for (DWORD v : out.faces[f].v)
            if (out.verts[v] == Point3(2, 2, 0))
                (FaceCentre(out, f).y > 2 ? above : below).insert(v);
    EXPECT_EQ(above.size(), 1u);
    EXPECT_EQ(below.size(), 1u);
    EXPECT_NE(*above.begin(), *below.begin());
}

TEST(MNMeshSplit, AChainReachingTheBorderCutsThroughIt) {
    const int n = 4;
    MNMesh mn(GridMesh(n));
    // Row 1 from column 0 (on the border) to column 2 (interior).
    mn.E(GridEdge(mn, n, 0, 1, 1, 1))->SetFlag(MN_USER);
    mn.E(GridEdge(mn, n, 1, 1, 2, 1))->SetFlag(MN_USER);
    mn.SplitFlaggedEdges(MN_USER);
    // (0, 1) and (1, 1) each split in two; (2, 1) stays whole.
    EXPECT_EQ(mn.numv, 16 + 2);
    EXPECT_EQ(OpenEdges(mn), 12 + 4);
    Mesh out;
    mn.OutToTri(out);
    int copies[3] = {0, 0, 0};
    for (int v = 0; v < out.getNumVerts(); v++)
        for (int c = 0; c < 3; c++) copies[c] += out.verts[v] == Point3(c, 1, 0);
    EXPECT_EQ(copies[0], 2);
    EXPECT_EQ(copies[1], 2);
    EXPECT_EQ(copies[2], 1);
}

TEST(MNMeshMaps, FreshChannelsColoursAndMappingOnTheSelection) {
    MNMesh mn(GridMesh(3));
    mn.InitMap(0);
    mn.InitMap(4);
    for (int f = 0; f < mn.numf; f++)
        for (int k = 0; k < 3; k++) {
            EXPECT_EQ(mn.M(0)->v[mn.M(0)->f[f].tv[k]], UVVert(1, 1, 1));
            EXPECT_EQ(mn.M(4)->v[mn.M(4)->f[f].tv[k]], mn.v[mn.f[f].vtx[k]].p);
        }

    // Vertex colour: the centre vertex 4 is black in every face around it.
    mn.ClearVFlags(MN_SEL);
    mn.V(4)->SetFlag(MN_SEL);
    mn.SetVertColor(Color(0.0f, 0.0f, 0.0f), 0, MN_SEL);
    for (int f = 0; f < mn.numf; f++)
        for (int k = 0; k < 3; k++) {
            UVVert c = mn.M(0)->v[mn.M(0)->f[f].tv[k]];
            EXPECT_EQ(c, mn.f[f].vtx[k] == 4 ? UVVert(0, 0, 0) : UVVert(1, 1, 1));
        }

    // Planar mapping on the selected faces only; the others keep positions,
    // even at the corners they share with selected faces.
    mn.ClearFFlags(MN_SEL);
    mn.F(7)->SetFlag(MN_SEL);
    UVWMapper mapper(MAP_PLANAR, TransMatrix(Point3(-2, -2, 0)));
    mn.ApplyMapper(mapper, 4, TRUE);
    for (int f = 0; f < mn.numf; f++)
        for (int k = 0; k < 3; k++) {
            Point3 p = mn.v[mn.f[f].vtx[k]].p;
            UVVert uv = mn.M(4)->v[mn.M(4)->f[f].tv[k]];
            EXPECT_EQ(uv, f == 7 ? UVVert(p.x - 1.5f, p.y - 1.5f, 0.0f) : p) << f << "/" << k;
        }
    Mesh out;
    mn.OutToTri(out);
    EXPECT_TRUE(out.mapSupport(0));
    EXPECT_TRUE(out.mapSupport(4));
    EXPECT_FALSE(out.mapSupport(1));
}

TEST(MNMeshFlags, PropagationBetweenLevels) {
    MNMesh mn(GridMesh(3));
    // Claimed faces become selected; others keep their selection.
    mn.F(0)->SetFlag(MN_USER);
    mn.F(5)->SetFlag(MN_USER);
    mn.F(2)->SetFlag(MN_SEL);
    EXPECT_EQ(mn.PropegateComponentFlags(MNM_SL_FACE, MN_SEL, MNM_SL_FACE, MN_USER, false, true),
              2);
    for (int f = 0; f < mn.numf; f++)
        EXPECT_EQ(mn.F(f)->GetFlag(MN_SEL), f == 0 || f == 2 || f == 5);

    // A vertex is marked only when all of its live faces are: corner vertex 6
    // lies on face 5 alone; corner vertex 0 has faces 0 and 1, and once face 1
    // is dead face 0 alone decides.
    mn.ClearVFlags(MN_TARG);
    mn.PropegateComponentFlags(MNM_SL_VERTEX, MN_TARG, MNM_SL_FACE, MN_USER, true);
    for (int v = 0; v < mn.numv; v++) EXPECT_EQ(mn.V(v)->GetFlag(MN_TARG), v == 6) << v;
    mn.F(1)->SetFlag(MN_DEAD);
    mn.PropegateComponentFlags(MNM_SL_VERTEX, MN_TARG, MNM_SL_FACE, MN_USER, true);
    EXPECT_TRUE(mn.V(0)->GetFlag(MN_TARG));
    EXPECT_FALSE(mn.V(1)->GetFlag(MN_TARG));

    // Clearing: edges lose MN_SEL where any end vertex has MN_TARG.
    mn.SetEFlags(MN_SEL);
    int touching = 0;
    for (int i = 0; i < mn.nume; i++)
        touching += mn.V(mn.E(i)->v1)->GetFlag(MN_TARG) || mn.V(mn.E(i)->v2)->GetFlag(MN_TARG);
    EXPECT_EQ(touching, 3 + 2) << "three edges at vertex 0, two at vertex 6";
    EXPECT_EQ(mn.PropegateComponentFlags(MNM_SL_EDGE, MN_SEL, MNM_SL_VERTEX, MN_TARG, false, false),
              touching);
}
