#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "geometry/surface_builder.h"
#include "host/sdk/box_object.h"
#include "host/sdk/inode.h"
#include "host/sdk/spline_shape.h"
#include "module/resource.h"
#include "terrain/build_driver.h"
#include "terrain/main_rollout.h"
#include "terrain/terrain_inputs.h"
#include "tests/support/recording_interface.h"
#include "tests/terrain/terrain_fixtures.h"

namespace {

// Resolves node handles of the nodes it is told about and counts redraws.
class SceneInterface : public RecordingInterface {
public:
    std::vector<INode*> nodes;
    int redraws = 0;
    INode* GetINodeByHandle(ULONG handle) override {
        for (INode* n : nodes)
            if (n->GetHandle() == handle) return n;
        return nullptr;
    }
    void RedrawViews(TimeValue, DWORD, void*) override { ++redraws; }
};

// A closed ring of 24 points around (cx, cy) at height z.
void AddRing(PolyShape& shape, float cx, float cy, float r, float z) {
    PolyLine& line = shape.NewLine();
    for (int i = 0; i < 24; ++i) {
        const float a = static_cast<float>(i) * 6.2831853f / 24.0f;
        line.Append(Point3(cx + r * std::cos(a), cy + r * std::sin(a), z));
    }
    line.Close();
}

class BuildDriverTest : public ::testing::Test {
protected:
    SceneInterface ip;
    LandObject* obj = NewLandObject();
    INode* terrainNode = new INode();
    std::vector<INode*> owned{terrainNode};

    void SetUp() override {
        terrainNode->SetObjectRef(obj);
        ip.nodes.push_back(terrainNode);
    }
    void TearDown() override {
        for (INode* n : owned) delete n;
    }

    INode* ShapeNode(const std::function<void(PolyShape&)>& lines, Point3 at = Point3()) {
        SplineShape* s = CreateNewSplineShape();
        lines(s->shape);
        INode* n = new INode();
        n->SetObjectRef(s);
        n->SetNodeTM(0, TransMatrix(at));
        owned.push_back(n);
        return n;
    }
    void AddContours() {
        obj->pblock->SetValue(pb_spline_node, 0, ShapeNode([](PolyShape& s) {
                                  AddRing(s, 0.0f, 0.0f, 60.0f, 0.0f);
                                  AddRing(s, 0.0f, 0.0f, 25.0f, 12.0f);
                              }));
    }
    void SetLevels(int levels) { obj->pblock->SetValue(pb_iterations, 0, levels); }
};

} // namespace

TEST_F(BuildDriverTest, ReportsEachPhaseAndFinishesWithAMesh) {
    AddContours();
    SetLevels(1);
    BuildTerrain(obj);

    const std::vector<std::string> titles = ip.Titles();
    ASSERT_EQ(titles.size(), 3u);
    EXPECT_EQ(titles[0], "Surface Building");
    EXPECT_EQ(titles[1], "Mesh Distortion Building");
    EXPECT_EQ(titles[2], "Mesh Building");
    EXPECT_EQ(ip.Percents("Surface Building"),
              (std::vector<int>{0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90}));
    const std::vector<int> mesh = ip.Percents("Mesh Building");
    for (std::size_t i = 1; i < mesh.size(); ++i) EXPECT_NE(mesh[i], mesh[i - 1]);

    int open = 0;
    for (const auto& e : ip.events) {
        open += e.kind == RecordingInterface::Event::Start ? 1 : 0;
        open -= e.kind == RecordingInterface::Event::End ? 1 : 0;
        EXPECT_GE(open, 0);
        EXPECT_LE(open, 1);
    }
    EXPECT_EQ(open, 0);
    EXPECT_GT(obj->mesh.getNumFaces(), 0);
    // The height lookup follows the new mesh: the inner ring stands above the outer.
    EXPECT_GT(obj->HeightAt(Point3(0.0f, 0.0f, 0.0f)), obj->HeightAt(Point3(50.0f, 0.0f, 0.0f)));
}

TEST_F(BuildDriverTest, CancelShortensEveryLoopButTheBuildStillEnds) {
    AddContours();
    SetLevels(2);
    ip.cancelAtCall = 1;
    BuildTerrain(obj);
    // One fitting round per level, each level still refined.
    EXPECT_EQ(ip.Percents("Surface Building"), (std::vector<int>{0, 0, 50}));
    EXPECT_LE(ip.Percents("Mesh Building").size(), 1u);
    EXPECT_EQ(ip.Titles().back(), "Mesh Building");
    EXPECT_EQ(ip.events.back().kind, RecordingInterface::Event::End);
    EXPECT_GT(obj->mesh.getNumFaces(), 0);
}

TEST_F(BuildDriverTest, WithoutContoursNothingChanges) {
    SetBuiltMesh(obj, GridMesh(2, 1.0f, [](float, float) { return 3.0f; }));
    // A node that gives no shape counts as no contour.
    INode* box = new INode();
    box->SetObjectRef(new BoxObject());
    owned.push_back(box);
    obj->pblock->SetValue(pb_spline_node, 0, box);
    BuildTerrain(obj);
    EXPECT_TRUE(ip.events.empty());
    EXPECT_EQ(obj->mesh.getNumFaces(), 8);
    EXPECT_FLOAT_EQ(obj->HeightAt(Point3(1.0f, 1.0f, 0.0f)), 3.0f);
}

TEST_F(BuildDriverTest, BuildingTwiceGivesTheSameMesh) {
    AddContours();
    SetLevels(3);
    BuildTerrain(obj);
    const Mesh first = obj->mesh;
    BuildTerrain(obj);
    ASSERT_EQ(obj->mesh.getNumVerts(), first.getNumVerts());
    ASSERT_EQ(obj->mesh.getNumFaces(), first.getNumFaces());
    for (int i = 0; i < first.getNumVerts(); ++i) EXPECT_EQ(obj->mesh.verts[i], first.verts[i]);
    for (int f = 0; f < first.getNumFaces(); ++f) EXPECT_EQ(obj->mesh.faces[f], first.faces[f]);
}

TEST_F(BuildDriverTest, TheMeshLandsInTheTerrainNodesSpace) {
    AddContours();
    SetLevels(3);
    BuildTerrain(obj);
    obj->mesh.buildBoundingBox();
    const Box3 atOrigin = obj->mesh.getBoundingBox();

    terrainNode->SetNodeTM(0, TransMatrix(Point3(100.0f, 0.0f, 0.0f)));
    BuildTerrain(obj);
    obj->mesh.buildBoundingBox();
    const Box3 moved = obj->mesh.getBoundingBox();
    EXPECT_NEAR(moved.pmin.x, atOrigin.pmin.x - 100.0f, 1e-3f);
    EXPECT_NEAR(moved.pmax.x, atOrigin.pmax.x - 100.0f, 1e-3f);
    EXPECT_NEAR(moved.pmin.y, atOrigin.pmin.y, 1e-3f);
}

TEST_F(BuildDriverTest, InsertOutlinesComeInSlotOrderInWorldSpace) {
    auto square = [](PolyShape& s, float x0) {
        PolyLine& l = s.NewLine();
        for (Point3 p :
             {Point3(x0, 0.0f, 0.0f), Point3(x0 + 1, 0.0f, 0.0f), Point3(x0 + 1, 1.0f, 0.0f)})
            l.Append(p);
        l.Close();
    };
    INode* two = ShapeNode(
        [&](PolyShape& s) {
            square(s, 0.0f);
            PolyLine& open = s.NewLine();
            open.Append(Point3(5, 5, 0));
            open.Append(Point3(6, 7, 0));
        },
        Point3(10.0f, 20.0f, 3.0f));
    INode* one = ShapeNode([&](PolyShape& s) { square(s, 0.0f); });
    INode* box = new INode();
    box->SetObjectRef(new BoxObject());
    owned.push_back(box);

    IParamBlock2* pb = obj->pblock;
    pb->SetValue(pb_insert_node, 0, two, 5);
    pb->SetValue(pb_insert_id, 0, 7, 5);
    pb->SetValue(pb_insert_type, 0, 2, 5);
    pb->SetValue(pb_insert_split, 0, 1, 5);
    pb->SetValue(pb_insert_node, 0, one, 0);
    pb->SetValue(pb_insert_id, 0, 3, 0);
    pb->SetValue(pb_insert_node, 0, box, 2);

    SurfaceBuilder b;
    b.CollectInsertOutlines(ReadTerrainInputs(pb).surface);
    const InsertOutlines& outlines = b.Outlines();
    ASSERT_EQ(outlines.count(), 3);
    EXPECT_EQ(outlines[0].insertId, 3);
    EXPECT_EQ(outlines[0].type, 0);
    for (int i : {1, 2}) {
        EXPECT_EQ(outlines[i].insertId, 7);
        EXPECT_EQ(outlines[i].type, 2);
        EXPECT_TRUE(outlines[i].split);
    }
    EXPECT_TRUE(outlines[1].closed);
    EXPECT_FALSE(outlines[2].closed);
    ASSERT_EQ(outlines[2].pointCount, 2);
    EXPECT_EQ(outlines[2].points[1], Point2(16.0f, 27.0f));

    // Eleven lines grow the array once, from 10 to 15.
    INode* many = ShapeNode([&](PolyShape& s) {
        for (int i = 0; i < 11; ++i) square(s, static_cast<float>(i));
    });
    for (TerrainSlot s : {0, 2, 5}) pb->SetValue(pb_insert_node, 0, nullptr, s);
    pb->SetValue(pb_insert_node, 0, many, 9);
    b.CollectInsertOutlines(ReadTerrainInputs(pb).surface);
    EXPECT_EQ(outlines.count(), 11);
    EXPECT_EQ(outlines.capacity(), 15);
    EXPECT_EQ(outlines[10].points[0], Point2(10.0f, 0.0f));
}

TEST_F(BuildDriverTest, ReleasingWorkDataEmptiesTheBuilderOnce) {
    AddContours();
    SetLevels(2);
    const SurfaceInputs inputs = ReadTerrainInputs(obj->pblock).surface;
    SurfaceBuilder b;
    ASSERT_TRUE(b.BuildSurface(inputs));
    EXPECT_TRUE(b.Built());
    EXPECT_GT(b.Front().faces.count(), 0);
    b.ReleaseWorkData();
    EXPECT_FALSE(b.Built());
    EXPECT_EQ(b.Grid().heights.size() + b.Samples().samples.size() + b.Grid().matIds.size() +
                  b.Sizes().size() + b.Front().faces.count() + b.Front().vertices.count(),
              0u);
    // Nothing held, so a second release has nothing to do; a rebuild starts afresh.
    b.ReleaseWorkData();
    EXPECT_TRUE(b.BuildSurface(inputs));
}

TEST_F(BuildDriverTest, MainRolloutShowsTheVersionAndBuildsOnTheButton) {
    AddContours();
    SetLevels(2);
    HWND dlg = win32host::CreateHeadlessWindow("#32770", nullptr, IDD_LANDOBJECT);
    theSplineObjectDlgProc.SetThing(obj);

    EXPECT_EQ(theSplineObjectDlgProc.DlgProc(0, nullptr, dlg, WM_INITDIALOG, 0, 0), FALSE);
    char text[64] = {};
    GetDlgItemText(dlg, IDC_VERSION, text, sizeof text);
    EXPECT_STREQ(text, "Version: 1.34");

    EXPECT_EQ(theSplineObjectDlgProc.DlgProc(0, nullptr, dlg, WM_COMMAND, IDC_GENERATE + 1, 0),
              FALSE);
    EXPECT_EQ(obj->mesh.getNumFaces(), 0);
    EXPECT_EQ(ip.redraws, 0);

    EXPECT_EQ(
        theSplineObjectDlgProc.DlgProc(0, nullptr, dlg, WM_COMMAND, MAKELONG(IDC_GENERATE, 0), 0),
        FALSE);
    EXPECT_GT(obj->mesh.getNumFaces(), 0);
    EXPECT_EQ(ip.redraws, 1);
    DestroyWindow(dlg);
    theSplineObjectDlgProc.SetThing(nullptr);
}
