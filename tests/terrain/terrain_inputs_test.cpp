// The one read of a terrain's inputs: slots in order up to the last one, empty
// slots and nodes of the wrong kind left out, each node placed in world space.
#include "terrain/terrain_inputs.h"

#include <gtest/gtest.h>

#include "geometry/surface_builder.h"
#include "host/sdk/box_object.h"
#include "host/sdk/tri_object.h"
#include "tests/terrain/terrain_fixtures.h"

namespace {

constexpr TerrainSlot kLast = MAX_LIST_SLOTS - 1;

class TerrainInputsTest : public ::testing::Test, protected TestNodes {
protected:
    LandObject* obj = NewLandObject();
    IParamBlock2* pb = obj->pblock;

    ~TerrainInputsTest() override { obj->DeleteThis(); }
};

TEST_F(TerrainInputsTest, ContoursInSlotOrderInWorldSpace) {
    pb->SetValue(pb_spline_node, 0, Spline({{{0, 0, 7}, {4, 0, 7}, {4, 4, 7}}, {{9, 9, 0}}}, 1), 5);
    pb->SetValue(pb_spline_node, 0, Node(new BoxObject()), 7);
    const Matrix3 tm = TransMatrix(Point3(100, 0, 2));
    pb->SetValue(pb_spline_node, 0, Spline({{{0, 0, 1}, {10, 0, 1}, {10, 5, 1}}}, 0, tm), kLast);
    pb->SetValue(pb_iterations, 0, 4);
    pb->SetValue(pb_spline_id, 0, 17);

    const SurfaceInputs in = ReadTerrainInputs(pb).surface;
    EXPECT_EQ(in.levels, 4);
    EXPECT_EQ(in.baseMatId, 17);
    ASSERT_EQ(in.contours.size(), 3u);
    EXPECT_TRUE(in.contours[0].closed);
    EXPECT_EQ(in.contours[1].points, std::vector<Point3>{Point3(9, 9, 0)});
    EXPECT_FALSE(in.contours[2].closed);
    EXPECT_EQ(in.contours[2].points.back(), Point3(110.0f, 5.0f, 3.0f));
}

TEST_F(TerrainInputsTest, PlatformsCarryTheirSlotSettingsAndWorldFaces) {
    // A square of two faces, the second naming a vertex the mesh lacks.
    TriObject* pad = CreateNewTriObject();
    pad->GetMesh() = SurfaceMesh(
        1, 10.0f, [](float, float) { return 0.0f; }, Point2(-5, -5));
    pad->GetMesh().faces[1].v[2] = 9;
    pb->SetValue(pb_platform_node, 0, Spline({{{0, 0, 0}, {5, 5, 0}}}, 0), 3); // no faces
    pb->SetValue(pb_platform_node, 0, Node(pad, TransMatrix(Point3(30, 30, 4)), "pad"), kLast);
    pb->SetValue(pb_slope_up, 0, 30.0f, kLast);
    pb->SetValue(pb_slope_down, 0, 60.0f, kLast);
    pb->SetValue(pb_platform_id, 0, 21, kLast);
    pb->SetValue(pb_slopeup_id, 0, 22, kLast);
    pb->SetValue(pb_slopedown_id, 0, 23, kLast);

    const std::vector<PlatformInput> platforms = ReadTerrainInputs(pb).surface.platforms;
    ASSERT_EQ(platforms.size(), 1u);
    const PlatformInput& p = platforms[0];
    const PlatformSettings& s = p.settings;
    EXPECT_EQ(p.name, "pad"); // names its slope progress bar
    EXPECT_EQ(std::vector<float>({s.slopeUp, s.slopeDown}), std::vector<float>({30, 60}));
    EXPECT_EQ(std::vector<int>({s.platformId, s.slopeUpId, s.slopeDownId}),
              std::vector<int>({21, 22, 23}));
    ASSERT_EQ(p.faces.size(), 2u);
    EXPECT_TRUE(p.faces[0].usable);
    EXPECT_EQ(p.faces[0].corner[2], Point3(35, 35, 4));
    EXPECT_FALSE(p.faces[1].usable); // kept, so that progress still counts it
}

TEST_F(TerrainInputsTest, InsertsBecomeOutlinesInSlotOrderInWorldXY) {
    auto triangle = [](float x0) {
        return std::vector<Point3>{Point3(x0, 0.0f, 0.0f), Point3(x0 + 1, 0.0f, 0.0f),
                                   Point3(x0 + 1, 1.0f, 0.0f)};
    };
    pb->SetValue(pb_insert_node, 0, Spline({triangle(0)}, 1), 0);
    pb->SetValue(pb_insert_id, 0, 3, 0);
    pb->SetValue(pb_insert_node, 0, Node(new BoxObject()), 2);
    const Matrix3 tm = TransMatrix(Point3(10, 20, 3));
    pb->SetValue(pb_insert_node, 0, Spline({triangle(0), {{5, 5, 0}, {6, 7, 0}}}, 1, tm), kLast);
    pb->SetValue(pb_insert_id, 0, 7, kLast);
    pb->SetValue(pb_insert_type, 0, 2, kLast);
    pb->SetValue(pb_insert_split, 0, 1, kLast);

    SurfaceBuilder b;
    b.CollectInsertOutlines(ReadTerrainInputs(pb).surface);
    const InsertOutlines& outlines = b.Outlines();
    ASSERT_EQ(outlines.count(), 3);
    for (int i : {0, 1, 2}) {
        EXPECT_EQ(outlines[i].insertId, i ? 7 : 3);
        EXPECT_EQ(outlines[i].type, i ? 2 : 0);
        EXPECT_EQ(outlines[i].split, i != 0);
        EXPECT_EQ(outlines[i].closed, i != 2);
    }
    ASSERT_EQ(outlines[2].pointCount, 2);
    EXPECT_EQ(outlines[2].points[1], Point2(16.0f, 27.0f));

    // Collected afresh: eleven lines grow the array once, from 10 to 15.
    std::vector<std::vector<Point3>> many;
    for (int i = 0; i < 11; ++i) many.push_back(triangle(static_cast<float>(i)));
    for (TerrainSlot s : {0, 2, kLast}) pb->SetValue(pb_insert_node, 0, nullptr, s);
    pb->SetValue(pb_insert_node, 0, Spline(many, 11), 9);
    b.CollectInsertOutlines(ReadTerrainInputs(pb).surface);
    EXPECT_EQ(outlines.count(), 11);
    EXPECT_EQ(outlines.capacity(), 15);
    EXPECT_EQ(outlines[10].points[0], Point2(10.0f, 0.0f));
}

TEST_F(TerrainInputsTest, UVWPathsKeepTheirOwnSpaceAndSettings) {
    const Matrix3 tm = TransMatrix(Point3(0, 1, 0));
    pb->SetValue(pb_uvw_node, 0, Node(new BoxObject()), 2);
    pb->SetValue(pb_uvw_node, 0, Spline({{{0, 0, 0}, {5, 0, 0}}}, 0, tm), kLast);
    pb->SetValue(pb_map_ch, 0, 4, kLast);
    pb->SetValue(pb_uvw_width, 0, 3.0f, kLast);
    pb->SetValue(pb_uvw_zone, 0, 6.0f, kLast);
    pb->SetValue(pb_uvw_angle, 0, 45.0f, kLast);
    pb->SetValue(pb_mapch, 0, 7);
    pb->SetValue(pb_width, 0, 12.0f);
    pb->SetValue(pb_globalangle, 0, 30.0f);

    const UVWInputs uvw = ReadTerrainInputs(pb).uvw;
    EXPECT_EQ(uvw.mapCh, 7);
    EXPECT_EQ(std::vector<float>({uvw.width, uvw.globalAngle}), std::vector<float>({12, 30}));
    ASSERT_EQ(uvw.paths.size(), 1u);
    const UVWPath& path = uvw.paths[0];
    EXPECT_EQ(path.channel, 4);
    EXPECT_EQ(std::vector<float>({path.width, path.zone, path.angle}),
              std::vector<float>({3, 6, 45}));
    EXPECT_EQ(path.pathTM.GetTrans(), Point3(0, 1, 0));
    ASSERT_EQ(path.shape.numLines, 1);
    EXPECT_EQ(path.shape[0][1].p, Point3(5, 0, 0)); // the stage applies pathTM itself
}

} // namespace
