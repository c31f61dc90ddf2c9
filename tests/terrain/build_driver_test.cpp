// "Generate Surface": the button, the host's progress bar, the stored mesh.
#include <gtest/gtest.h>

#include <cmath>

#include "host/sdk/box_object.h"
#include "module/resource.h"
#include "terrain/build_driver.h"
#include "terrain/main_rollout.h"
#include "tests/support/recording_interface.h"
#include "tests/terrain/terrain_fixtures.h"

namespace {

// Finds the terrain's node by its handle, holds a scene root and counts redraws.
class SceneInterface : public RecordingInterface {
public:
    INode* terrain = nullptr;
    INode root;
    int redraws = 0;
    INode* GetINodeByHandle(ULONG handle) override {
        return terrain && terrain->GetHandle() == handle ? terrain : nullptr;
    }
    INode* GetRootNode() override { return &root; }
    void RedrawViews(TimeValue, DWORD, void*) override { ++redraws; }
};

class BuildDriverTest : public ::testing::Test, protected TestNodes {
protected:
    SceneInterface ip;
    LandObject* obj = NewLandObject();
    INode* terrainNode = ip.terrain = Node(obj);

    // A hill: a ring 12 above a wider one.
    void AddContours(int levels) {
        std::vector<std::vector<Point3>> rings(2);
        for (int i = 0; i < 24; ++i) {
            const float c = std::cos(0.2617994f * i), s = std::sin(0.2617994f * i);
            rings[0].emplace_back(60 * c, 60 * s, 0.0f);
            rings[1].emplace_back(25 * c, 25 * s, 12.0f);
        }
        obj->pblock->SetValue(pb_spline_node, 0, Spline(rings, 2));
        obj->pblock->SetValue(pb_iterations, 0, levels);
    }
};

} // namespace

TEST_F(BuildDriverTest, ReportsEachPhaseOnTheHostsBarAndACancelOnlyShortensIt) {
    const struct {
        int levels, cancelAt;
        std::vector<int> surface;
    } cases[] = {{1, 0, {0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90}},
                 // One fitting round per level, each level still refined.
                 {2, 1, {0, 0, 50}}};
    for (const auto& c : cases) {
        AddContours(c.levels);
        obj->mesh = Mesh();
        ip.events.clear();
        ip.cancelAtCall = c.cancelAt;
        BuildTerrain(obj);

        EXPECT_EQ(ip.Titles(),
                  (std::vector<std::string>{"Surface Building", "Mesh Distortion Building",
                                            "Mesh Building"}));
        EXPECT_EQ(ip.events.back().kind, ProgressLog::Event::End);
        EXPECT_EQ(ip.Percents("Surface Building"), c.surface);
        const std::vector<int> mesh = ip.Percents("Mesh Building");
        EXPECT_LE(mesh.size(), c.cancelAt ? 1u : 100u); // at most one update per percent
        for (std::size_t i = 1; i < mesh.size(); ++i) EXPECT_NE(mesh[i], mesh[i - 1]);
        EXPECT_GT(obj->mesh.getNumFaces(), 0);
    }
}

TEST_F(BuildDriverTest, WithoutContoursNothingChanges) {
    SetBuiltMesh(obj, SurfaceMesh(2, 1.0f, [](float, float) { return 3.0f; }));
    // A node that gives no shape counts as no contour.
    obj->pblock->SetValue(pb_spline_node, 0, Node(new BoxObject()));
    BuildTerrain(obj);
    EXPECT_TRUE(ip.events.empty());
    EXPECT_EQ(obj->mesh.getNumFaces(), 8);
    EXPECT_FLOAT_EQ(obj->HeightAt(Point3(1.0f, 1.0f, 0.0f)), 3.0f);
}

// The build runs in world space and stores the mesh in the terrain node's
// object space, the same each time.
TEST_F(BuildDriverTest, BuildsTheSameMeshAgainInTheTerrainNodesSpace) {
    AddContours(3);
    BuildTerrain(obj);
    const Mesh first = obj->mesh;
    // The height lookup follows the new mesh: the inner ring stands higher.
    EXPECT_GT(obj->HeightAt(Point3(0, 0, 0)), obj->HeightAt(Point3(50, 0, 0)) + 5.0f);
    for (float dx : {0.0f, 100.0f}) {
        terrainNode->SetNodeTM(0, TransMatrix(Point3(dx, 0.0f, 0.0f)));
        BuildTerrain(obj);
        ASSERT_EQ(obj->mesh.getNumVerts(), first.getNumVerts());
        ASSERT_EQ(obj->mesh.faces, first.faces);
        for (int i = 0; i < first.getNumVerts(); ++i) {
            const Point3 d = obj->mesh.verts[i] + Point3(dx, 0.0f, 0.0f) - first.verts[i];
            EXPECT_LE(Length(d), dx == 0.0f ? 0.0f : 1e-3f) << i;
        }
    }
}

TEST_F(BuildDriverTest, MainRolloutShowsTheVersionAndBuildsOnTheButton) {
    AddContours(2);
    HWND dlg = win32host::CreateHeadlessWindow("#32770", nullptr, IDD_LANDOBJECT);
    theSplineObjectDlgProc.SetThing(obj);
    EXPECT_EQ(theSplineObjectDlgProc.DlgProc(0, nullptr, dlg, WM_INITDIALOG, 0, 0), FALSE);
    char text[64] = {};
    GetDlgItemText(dlg, IDC_VERSION, text, sizeof text);
    EXPECT_EQ(std::string(text), std::string("Version: ") + kContorraVersion);

    // Another control builds nothing; the button builds and redraws.
    for (int control : {IDC_GENERATE + 1, IDC_GENERATE}) {
        EXPECT_EQ(theSplineObjectDlgProc.DlgProc(0, nullptr, dlg, WM_COMMAND, control, 0), FALSE);
        EXPECT_EQ(obj->mesh.getNumFaces() > 0, control == IDC_GENERATE);
        EXPECT_EQ(ip.redraws, control == IDC_GENERATE ? 1 : 0);
    }
    DestroyWindow(dlg);
    theSplineObjectDlgProc.SetThing(nullptr);
}

// The UVWMap rollout's "Update" maps in the space of the first selected node
// holding the terrain, depth first; in world space without one.
TEST_F(BuildDriverTest, UVWUpdateTakesTheFirstSelectedNodeHoldingTheTerrain) {
    INode* a = Node(obj, TransMatrix(Point3(1, 0, 0)));
    INode* b = Node(obj, TransMatrix(Point3(2, 0, 0)));
    ip.root.MarkAsRoot();
    ip.root.AttachChild(a);
    ip.root.AttachChild(b);
    EXPECT_TRUE(TerrainTransform(&ip, obj, 0).IsIdentity());
    b->SetSelected(true);
    EXPECT_EQ(TerrainTransform(&ip, obj, 0).GetTrans(), Point3(2, 0, 0));
    a->SetSelected(true);
    EXPECT_EQ(TerrainTransform(&ip, obj, 0).GetTrans(), Point3(1, 0, 0));
    EXPECT_TRUE(TerrainTransform(nullptr, obj, 0).IsIdentity());
}
