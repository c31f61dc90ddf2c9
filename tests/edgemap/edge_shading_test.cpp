#include <gtest/gtest.h>

#include "edgemap/gradient_edge.h"
#include "tests/edgemap/scene_fixture.h"

namespace {

GradientEdge* NewMap() {
    return static_cast<GradientEdge*>(
        static_cast<Animatable*>(GetGradientEdgeDesc()->Create(FALSE)));
}

void Prepare(GradientEdge* map, float distance, bool openOnly = true) {
    map->pblock->SetValue(ge_distance, 0, distance);
    map->pblock->SetValue(ge_open_edges, 0, openOnly ? 1 : 0);
    Interval valid = FOREVER;
    map->Update(0, valid);
}

void ExpectColor(const AColor& c, float r, float g, float b, float a) {
    EXPECT_NEAR(c.r, r, 1e-5f);
    EXPECT_NEAR(c.g, g, 1e-5f);
    EXPECT_NEAR(c.b, b, 1e-5f);
    EXPECT_NEAR(c.a, a, 1e-5f);
}

class FixedSizeMaker : public TexHandleMaker {
public:
    explicit FixedSizeMaker(int n) : n_(n) {}
    int Size() override { return n_; }

private:
    int n_;
};

} // namespace

TEST(EdgeShading, ColourFollowsDistanceToOpenEdges) {
    NodeTable scene;
    INode* node = scene.Add(FlatGrid(4)); // open border from (0,0) to (4,4)
    GradientEdge* map = NewMap();
    Prepare(map, 1.0f);

    PointShade quarter(node, Point3(2.0f, 0.25f, 0.0f));
    ExpectColor(map->EvalColor(quarter), 0.25f, 0.25f, 0.25f, 1.0f);
    PointShade onEdge(node, Point3(0.0f, 2.5f, 0.0f));
    ExpectColor(map->EvalColor(onEdge), 0.0f, 0.0f, 0.0f, 1.0f);
    PointShade inside(node, Point3(2.0f, 2.0f, 0.0f)); // 2 from every border
    ExpectColor(map->EvalColor(inside), 1.0f, 1.0f, 1.0f, 1.0f);
    PointShade lifted(node, Point3(2.0f, 0.0f, 0.5f)); // distances are 3D
    ExpectColor(map->EvalColor(lifted), 0.5f, 0.5f, 0.5f, 1.0f);

    // The output filter finishes the colour.
    map->texout->SetOutputLevel(0, 0.5f);
    PointShade again(node, Point3(2.0f, 0.25f, 0.0f));
    ExpectColor(map->EvalColor(again), 0.125f, 0.125f, 0.125f, 1.0f);
    // A context answers from its own cache once it holds this map's colour.
    ExpectColor(map->EvalColor(again), 0.125f, 0.125f, 0.125f, 1.0f);
    map->texout->SetOutputLevel(0, 1.0f);
    ExpectColor(map->EvalColor(again), 0.125f, 0.125f, 0.125f, 1.0f);
    map->DeleteThis();
}

TEST(EdgeShading, DefaultColourCases) {
    NodeTable scene;
    INode* node = scene.Add(FlatGrid(2));
    GradientEdge* map = NewMap();
    Prepare(map, 0.000005f);
    PointShade sc(node, Point3(1.0f, 0.5f, 0.0f));
    ExpectColor(map->EvalColor(sc), 0.0f, 0.0f, 0.0f, 0.0f);

    Prepare(map, 1.0f);
    PointShade editor(node, Point3(1.0f, 0.5f, 0.0f));
    editor.mtlEditor = TRUE;
    ExpectColor(map->EvalColor(editor), 0.0f, 0.0f, 0.0f, 0.0f);
    PointShade noNode(nullptr, Point3(1.0f, 0.5f, 0.0f));
    ExpectColor(map->EvalColor(noNode), 0.0f, 0.0f, 0.0f, 0.0f);
    INode* stray = new INode; // not known to the interface
    PointShade unknown(stray, Point3(1.0f, 0.5f, 0.0f));
    ExpectColor(map->EvalColor(unknown), 0.0f, 0.0f, 0.0f, 0.0f);
    stray->DeleteThis();
    map->DeleteThis();
}

TEST(EdgeShading, NoChosenEdgesGivesTheRampsEnd) {
    NodeTable scene;
    Mesh tetra;
    tetra.setNumVerts(4);
    tetra.setVert(1, Point3(1.0f, 0.0f, 0.0f));
    tetra.setVert(2, Point3(0.0f, 1.0f, 0.0f));
    tetra.setVert(3, Point3(0.0f, 0.0f, 1.0f));
    tetra.setNumFaces(4);
    const int corners[4][3] = {{0, 2, 1}, {0, 1, 3}, {1, 2, 3}, {2, 0, 3}};
    for (int f = 0; f < 4; ++f) {
        tetra.faces[f].setVerts(corners[f]);
        tetra.faces[f].setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_VIS);
    }
    INode* node = scene.Add(tetra);
    GradientEdge* map = NewMap();
    map->ramp.markers[2].baseColor = AColor(0.2f, 0.4f, 0.6f, 1.0f);
    Prepare(map, 1.0f);
    PointShade sc(node, Point3(0.0f, 0.0f, 0.0f)); // on a corner, but no edge counts
    ExpectColor(map->EvalColor(sc), 0.2f, 0.4f, 0.6f, 1.0f);
    map->DeleteThis();
}

TEST(EdgeShading, MonoAndBump) {
    NodeTable scene;
    INode* node = scene.Add(FlatGrid(4));
    GradientEdge* map = NewMap();
    for (RampMarker& m : map->ramp.markers) m.baseColor = AColor(0.3f, 0.6f, 0.9f, 1.0f);
    Prepare(map, 1.0f);
    PointShade sc(node, Point3(1.0f, 0.4f, 0.0f));
    EXPECT_NEAR(map->EvalMono(sc), 0.6f, 1e-6f);

    map->ramp.MakeDefault();
    // 0.25 above the bottom border: dir = (0, 1, 0), x = 0.25, half of marker 1's dir * 0.5 + up *
    // 0.5.
    PointShade bump(node, Point3(2.0f, 0.25f, 0.0f));
    Point3 p = map->EvalNormalPerturb(bump);
    EXPECT_NEAR(p.x, 0.0f, 1e-6f);
    EXPECT_NEAR(p.y, 0.25f, 1e-6f);
    EXPECT_NEAR(p.z, 0.25f, 1e-6f);
    bump.doMaps = FALSE;
    EXPECT_EQ(map->EvalNormalPerturb(bump), Point3(0.0f, 0.0f, 0.0f));
    map->DeleteThis();
}

TEST(EdgeShading, CacheEntriesPerNodeUntilUpdate) {
    NodeTable scene;
    INode* a = scene.Add(FlatGrid(2));
    INode* b = scene.Add(FlatGrid(3));
    GradientEdge* map = NewMap();
    Prepare(map, 1.0f);
    EdgeDistanceData* da = map->GetEdgeData(a->GetHandle(), 0);
    ASSERT_NE(da, nullptr);
    EXPECT_EQ(map->GetEdgeData(a->GetHandle(), 50), da); // keyed by node only
    EdgeDistanceData* db = map->GetEdgeData(b->GetHandle(), 0);
    ASSERT_NE(db, nullptr);
    EXPECT_NE(da, db);
    EXPECT_EQ(da->segments.size(), 8u);  // open border of 2 x 2 squares
    EXPECT_EQ(db->segments.size(), 12u); // and of 3 x 3
    EXPECT_EQ(map->GetEdgeData(0xfffffff0u, 0), nullptr);
    EXPECT_EQ(map->distanceCache.size(), 2u);
    Interval valid = FOREVER;
    map->Update(0, valid);
    EXPECT_TRUE(map->distanceCache.empty());
    map->DeleteThis();
}

TEST(EdgeShading, ViewportImageSamplesTheRampAcrossU) {
    GradientEdge* map = NewMap();
    FixedSizeMaker maker(4);
    Interval valid;
    BITMAPINFO* dib = map->GetVPDisplayDIB(0, maker, valid);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(valid, FOREVER);
    EXPECT_EQ(dib->bmiHeader.biWidth, 4);
    EXPECT_EQ(dib->bmiHeader.biHeight, 4);
    // Plain ramp at 0, 0.25, 0.5 (0.49: the segment above marker 1 starts
    // below it) and 0.75 (0.745), in 16 bits then the top 8.
    const int expected[4] = {0, 16383 >> 8, 32112 >> 8, 48823 >> 8};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const BYTE* px = &dib->bits[(y * 4 + x) * 4];
            EXPECT_EQ(px[0], expected[x]) << x << "," << y;
            EXPECT_EQ(px[2], expected[x]);
            EXPECT_EQ(px[3], 255);
        }
    delete dib;

    std::uintptr_t h = map->GetActiveTexHandle(0, maker);
    EXPECT_NE(h, 0u);
    EXPECT_EQ(map->GetActiveTexHandle(10, maker), h);
    map->ActivateTexDisplay(FALSE);
    EXPECT_EQ(map->texHandle, nullptr);
    map->DeleteThis();
}
