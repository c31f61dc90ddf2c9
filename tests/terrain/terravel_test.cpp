// The conform modifier, evaluated through the host's world-space stack.
#include <gtest/gtest.h>

#include "host/sdk/box_object.h"
#include "host/sdk/tri_object.h"
#include "terrain/terravel.h"
#include "tests/support/recording_interface.h"
#include "tests/terrain/terrain_fixtures.h"

namespace {

// The terrain's surface: a plane, which the height lookup reproduces.
float Ground(float x, float y) {
    return 0.5f * x + 0.25f * y + 2.0f;
}

Terravel* NewTerravel() {
    return static_cast<Terravel*>(GetTerravelDesc()->Create(FALSE));
}

class TerravelTest : public ::testing::Test, protected TestNodes {
protected:
    // A flat sheet from -4 to 24 at height 50, in steps of 4.
    INode* sheetNode = Node(CreateNewTriObject());
    LandObject* terrain = NewLandObject();
    INode* terrainNode = Node(terrain);
    Terravel* conform = NewTerravel();

    void SetUp() override {
        SetBuiltMesh(terrain, SurfaceMesh(10, 2.0f, Ground));
        static_cast<TriObject*>(sheetNode->GetObjectRef())->GetMesh() = SurfaceMesh(
            7, 4.0f, [](float, float) { return 50.0f; }, Point2(-4, -4));
        sheetNode->AddWSModifier(conform);
        conform->pblock->SetValue(pb_land_object, 0, terrainNode);
    }

    // World positions of the sheet's vertices after evaluation.
    std::vector<Point3> Draped() {
        sheetNode->InvalidateWS();
        std::vector<Point3> out =
            static_cast<TriObject*>(sheetNode->EvalWorldState(0).obj)->mesh.verts;
        for (Point3& v : out) v = v * sheetNode->GetObjectTM(0);
        return out;
    }
};

} // namespace

// The sheet lands on the surface wherever the terrain lies below it, and at
// zero elsewhere; the terrain's node moves the surface sideways only, and the
// sheet's own transform never matters.
TEST_F(TerravelTest, DrapesASheetOverTheTerrainWhereverBothAre) {
    terrainNode->SetNodeTM(0, TransMatrix(Point3(8.0f, 0.0f, 100.0f)));
    Matrix3 sheetTM = RotateZMatrix(0.3f);
    sheetTM.Translate(Point3(1.0f, 2.0f, 30.0f));
    sheetNode->SetNodeTM(0, sheetTM);
    int inside = 0;
    for (const Point3& p : Draped()) {
        const bool on = p.x >= 8.0f && p.x <= 28.0f && p.y >= 0.0f && p.y <= 20.0f;
        EXPECT_NEAR(p.z, on ? Ground(p.x - 8.0f, p.y) : 0.0f, 1e-2f) << p.x << ", " << p.y;
        inside += on ? 1 : 0;
    }
    EXPECT_GT(inside, 10);
}

// No terrain, another kind of object, or a terrain behind modifiers of its own:
// the sheet stays as it was. An unbuilt terrain flattens it.
TEST_F(TerravelTest, ConformsOnlyToATerrainObjectItself) {
    const struct {
        INode* land;
        float z;
    } cases[] = {{nullptr, 50.0f},
                 {Node(new BoxObject()), 50.0f},
                 {Node(NewLandObject()), 0.0f},
                 {terrainNode, 50.0f}};
    terrainNode->AddModifier(NewTerravel()); // unset, it changes nothing
    for (const auto& c : cases) {
        conform->pblock->SetValue(pb_land_object, 0, c.land);
        for (const Point3& p : Draped()) EXPECT_EQ(p.z, c.z);
    }
}

TEST_F(TerravelTest, ValidOnlyAtTheInstantAndNeverWhileEdited) {
    RecordingInterface ip;
    EXPECT_EQ(conform->LocalValidity(7), Interval(7, 7));
    conform->BeginEditParams(&ip, 0, nullptr);
    EXPECT_EQ(conform->LocalValidity(7), NEVER);
    conform->EndEditParams(&ip, END_EDIT_REMOVEUI, nullptr);
    EXPECT_EQ(conform->LocalValidity(7), Interval(7, 7));
}
