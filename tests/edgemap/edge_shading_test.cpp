#include <gtest/gtest.h>

#include "tests/edgemap/fake_maps.h"
#include "tests/edgemap/scene_fixture.h"

TEST(EdgeShading, ColourMonoAndBumpFollowDistanceToChosenEdges) {
    NodeTable scene;
    INode* node = scene.Add(FlatGrid(4)); // open rim from (0,0) to (4,4)
    GradientEdge* map = NewEdgeMap(2.0f);
    const Point3 rim(0.0f, 2.5f, 0.0f);
    struct Case {
        Point3 p;
        float grey;
    } cases[] = {{{2.0f, 0.5f, 0.0f}, 0.25f},
                 {rim, 0.0f},
                 {{2.0f, 2.0f, 0.0f}, 1.0f},  // 2 from the rim, the ramp's end
                 {{2.0f, 0.0f, 1.0f}, 0.5f}}; // distances are 3D
    for (const Case& c : cases) {
        PointShade sc(node, c.p);
        EXPECT_TRUE(ColorNear(map->EvalColor(sc), Grey(c.grey))) << c.p.x << "," << c.p.y;
        EXPECT_NEAR(map->EvalMono(sc), c.grey, 1e-5f);
    }
    // Away from the bottom rim is +y; a quarter of the way to the grey marker
    // the bump is a quarter of (0, 1, 1).
    PointShade sc(node, Point3(2.5f, 0.5f, 0.0f));
    EXPECT_NEAR(Length(map->EvalNormalPerturb(sc) - Point3(0.0f, 0.25f, 0.25f)), 0.0f, 1e-6f);
    sc.doMaps = FALSE;
    EXPECT_EQ(map->EvalNormalPerturb(sc), Point3(0.0f, 0.0f, 0.0f));
    // The output filter finishes the colour.
    map->texout->SetOutputLevel(0, 0.5f);
    EXPECT_TRUE(ColorNear(map->EvalColor(sc), Grey(0.125f)));

    // No colour in the material editor or without a node known to the scene.
    INode* stray = new INode;
    PointShade editor(node, rim), noNode(nullptr, rim), unknown(stray, rim);
    editor.mtlEditor = TRUE;
    for (PointShade* s : {&editor, &noNode, &unknown})
        EXPECT_TRUE(ColorNear(map->EvalColor(*s), AColor(0.0f, 0.0f, 0.0f, 0.0f)));
    stray->DeleteThis();

    // With no edge chosen (none is selected) every point gets the ramp's end,
    // once the new parameters are read.
    map->texout->SetOutputLevel(0, 1.0f);
    map->ramp.markers[2].baseColor = AColor(0.2f, 0.4f, 0.6f, 1.0f);
    map->pblock->SetValue(ge_open_edges, 0, 0);
    map->pblock->SetValue(ge_selection_only, 0, 1);
    Reread(map);
    PointShade onRim(node, rim);
    EXPECT_TRUE(ColorNear(map->EvalColor(onRim), AColor(0.2f, 0.4f, 0.6f, 1.0f)));
    // A Distance near 0 gives no colour.
    map->pblock->SetValue(ge_distance, 0, 0.000005f);
    Reread(map);
    PointShade tiny(node, rim);
    EXPECT_TRUE(ColorNear(map->EvalColor(tiny), AColor(0.0f, 0.0f, 0.0f, 0.0f)));
    map->DeleteThis();
}

TEST(EdgeShading, EdgeDataPerNodeUntilUpdate) {
    NodeTable scene;
    INode* a = scene.Add(FlatGrid(2));
    INode* b = scene.Add(FlatGrid(3));
    GradientEdge* map = NewEdgeMap(4.0f);
    map->pblock->SetValue(ge_c_mult, 0, 3);
    Reread(map);
    EdgeDistanceData* da = map->GetEdgeData(a->GetHandle(), 0);
    ASSERT_NE(da, nullptr);
    // Distance 4 exceeds the mean edge length 1 times the multiplier 3.
    EXPECT_FLOAT_EQ(da->cellSize, 12.0f);
    EXPECT_EQ(map->GetEdgeData(a->GetHandle(), 50), da); // one entry per node, whatever the time
    EdgeDistanceData* db = map->GetEdgeData(b->GetHandle(), 0);
    EXPECT_TRUE(db && db != da);
    Reread(map);
    EXPECT_TRUE(map->distanceCache.empty());
    map->DeleteThis();
}
