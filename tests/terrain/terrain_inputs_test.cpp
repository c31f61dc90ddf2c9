// The one read of a terrain's inputs: slots in order, empty slots and nodes of
// the wrong kind left out, everything placed in world space by its node.
#include "terrain/terrain_inputs.h"

#include <gtest/gtest.h>

#include <vector>

#include "host/sdk/box_object.h"
#include "host/sdk/inode.h"
#include "host/sdk/spline_shape.h"
#include "host/sdk/tri_object.h"
#include "terrain/build_driver.h"
#include "tests/support/recording_interface.h"
#include "tests/terrain/terrain_fixtures.h"

namespace {

class TerrainInputsTest : public ::testing::Test {
protected:
    LandObject* obj = NewLandObject();
    IParamBlock2* pb = obj->pblock;
    std::vector<INode*> owned;

    ~TerrainInputsTest() override {
        obj->DeleteThis();
        for (INode* n : owned) delete n;
    }
    INode* Node(Object* object, const char* name, const Matrix3& tm) {
        INode* n = new INode();
        n->SetName(name);
        n->SetObjectRef(object);
        n->SetNodeTM(0, tm);
        owned.push_back(n);
        return n;
    }
    INode* Spline(const std::vector<std::vector<Point3>>& lines, const std::vector<bool>& closed,
                  const Matrix3& tm = Matrix3()) {
        SplineShape* s = CreateNewSplineShape();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            PolyLine& line = s->shape.NewLine();
            for (const Point3& p : lines[i]) line.Append(p);
            if (closed[i]) line.Close();
        }
        return Node(s, "spline", tm);
    }
    // A flat square of two faces; the second names a vertex the mesh lacks.
    INode* Pad(const Matrix3& tm) {
        TriObject* t = CreateNewTriObject();
        Mesh& m = t->GetMesh();
        m.setNumVerts(4);
        m.setVert(0, -5, -5, 0);
        m.setVert(1, 5, -5, 0);
        m.setVert(2, 5, 5, 0);
        m.setVert(3, -5, 5, 0);
        m.setNumFaces(2);
        m.faces[0].setVerts(0, 1, 2);
        m.faces[1].setVerts(0, 2, 9);
        return Node(t, "terrace", tm);
    }
};

TEST_F(TerrainInputsTest, ContoursInSlotOrderInWorldSpace) {
    EXPECT_TRUE(ReadTerrainInputs(pb).surface.contours.empty());
    INode* open = Spline({{{0, 0, 1}, {10, 0, 1}, {10, 5, 1}}}, {false},
                         TransMatrix(Point3(100.0f, 0.0f, 2.0f)));
    INode* closed = Spline({{{0, 0, 7}, {4, 0, 7}, {4, 4, 7}}, {{9, 9, 0}}}, {true, false});
    INode* box = Node(new BoxObject(), "box", Matrix3());
    pb->SetValue(pb_spline_node, 0, closed, 5);
    pb->SetValue(pb_spline_node, 0, box, 7); // not a shape: left out
    pb->SetValue(pb_spline_node, 0, open, 9);
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
    pb->SetValue(pb_platform_node, 0, Pad(TransMatrix(Point3(30, 30, 4))), 3);
    pb->SetValue(pb_slope_up, 0, 30.0f, 3);
    pb->SetValue(pb_slope_down, 0, 60.0f, 3);
    pb->SetValue(pb_platform_id, 0, 21, 3);
    pb->SetValue(pb_slopeup_id, 0, 22, 3);
    pb->SetValue(pb_slopedown_id, 0, 23, 3);
    pb->SetValue(pb_platform_node, 0, Spline({{{0, 0, 0}, {5, 5, 0}}}, {false}), 4);

    const std::vector<PlatformInput> platforms = ReadTerrainInputs(pb).surface.platforms;
    ASSERT_EQ(platforms.size(), 1u); // the shape in slot 4 has no faces
    const PlatformInput& p = platforms[0];
    EXPECT_EQ(p.name, "terrace");
    EXPECT_EQ(p.settings.slopeUp, 30.0f);
    EXPECT_EQ(p.settings.slopeDown, 60.0f);
    EXPECT_EQ(p.settings.platformId, 21);
    EXPECT_EQ(p.settings.slopeUpId, 22);
    EXPECT_EQ(p.settings.slopeDownId, 23);
    ASSERT_EQ(p.faces.size(), 2u);
    EXPECT_TRUE(p.faces[0].usable);
    EXPECT_EQ(p.faces[0].corner[2], Point3(35, 35, 4));
    EXPECT_FALSE(p.faces[1].usable); // kept, so that progress still counts it
}

TEST_F(TerrainInputsTest, UVWPathsKeepTheirOwnSpaceAndSettings) {
    const Matrix3 tm = TransMatrix(Point3(0, 1, 0));
    pb->SetValue(pb_uvw_node, 0, Spline({{{0, 0, 0}, {5, 0, 0}}}, {false}, tm), 2);
    pb->SetValue(pb_map_ch, 0, 4, 2);
    pb->SetValue(pb_uvw_width, 0, 3.0f, 2);
    pb->SetValue(pb_uvw_zone, 0, 6.0f, 2);
    pb->SetValue(pb_uvw_angle, 0, 45.0f, 2);
    pb->SetValue(pb_uvw_node, 0, Node(new BoxObject(), "box", Matrix3()), 3);
    pb->SetValue(pb_mapch, 0, 7);

    const UVWInputs uvw = ReadTerrainInputs(pb).uvw;
    EXPECT_EQ(uvw.mapCh, 7);
    EXPECT_EQ(uvw.width, 10.0f);
    ASSERT_EQ(uvw.paths.size(), 1u);
    const UVWPath& path = uvw.paths[0];
    EXPECT_EQ(path.channel, 4);
    EXPECT_EQ(path.width, 3.0f);
    EXPECT_EQ(path.zone, 6.0f);
    EXPECT_EQ(path.angle, 45.0f);
    EXPECT_EQ(path.pathTM.GetTrans(), Point3(0, 1, 0));
    ASSERT_EQ(path.shape.numLines, 1);
    EXPECT_EQ(path.shape[0][1].p, Point3(5, 0, 0)); // the stage applies pathTM itself
}

TEST(TerrainTransform, TheTerrainNodeIsTheFirstSelectedOneHoldingTheObject) {
    struct SceneInterface : RecordingInterface {
        INode* root = nullptr;
        INode* GetRootNode() override { return root; }
    } ip;
    INode root, a, b;
    root.MarkAsRoot();
    SplineShape* terrain = CreateNewSplineShape(); // any object stands in for the terrain
    root.AttachChild(&a);
    root.AttachChild(&b);
    a.SetObjectRef(terrain);
    b.SetObjectRef(terrain);
    a.SetNodeTM(0, TransMatrix(Point3(1, 0, 0)));
    b.SetNodeTM(0, TransMatrix(Point3(2, 0, 0)));
    ip.root = &root;
    EXPECT_TRUE(TerrainTransform(&ip, terrain, 0).IsIdentity()) << "no node selected";
    b.SetSelected(true);
    EXPECT_EQ(TerrainTransform(&ip, terrain, 0).GetTrans(), Point3(2, 0, 0));
    a.SetSelected(true);
    EXPECT_EQ(FindSelectedNodeOf(&root, terrain), &a);
    EXPECT_TRUE(TerrainTransform(nullptr, terrain, 0).IsIdentity());
    a.SetObjectRef(nullptr);
    b.SetObjectRef(nullptr);
}

} // namespace
