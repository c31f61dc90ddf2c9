#include <gtest/gtest.h>

#include "host/sdk/box_object.h"
#include "host/sdk/inode.h"
#include "host/sdk/tri_object.h"
#include "terrain/terravel.h"
#include "tests/support/recording_interface.h"
#include "tests/terrain/terrain_fixtures.h"

namespace {

// The terrain's surface: a plane, which the height lookup reproduces.
float Ground(float x, float y) {
    return 0.5f * x + 0.25f * y + 2.0f;
}

// A modifier that changes nothing, to give a node a stack of its own.
class PassModifier : public OSModifier {
public:
    ChannelMask ChannelsUsed() override { return 0; }
    ChannelMask ChannelsChanged() override { return 0; }
    Class_ID InputType() override { return triObjectClassID; }
    void ModifyObject(TimeValue, ModContext&, ObjectState*, INode*) override {}
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override {
        return REF_SUCCEED;
    }
};

class TerravelTest : public ::testing::Test {
protected:
    INode* terrainNode = new INode();
    INode* sheetNode = new INode();
    LandObject* terrain = NewLandObject();
    Terravel* conform = static_cast<Terravel*>(GetTerravelDesc()->Create(FALSE));

    void SetUp() override {
        SetBuiltMesh(terrain, GridMesh(10, 2.0f, Ground));
        terrainNode->SetObjectRef(terrain);

        // A flat sheet from -4 to 24 at height 50, in steps of 4.
        TriObject* sheet = CreateNewTriObject();
        sheet->GetMesh() = GridMesh(
            7, 4.0f, [](float, float) { return 50.0f; }, Point2(-4, -4));
        sheetNode->SetObjectRef(sheet);
        sheetNode->AddWSModifier(conform);
        conform->pblock->SetValue(pb_land_object, 0, terrainNode);
    }
    void TearDown() override {
        delete sheetNode;
        delete terrainNode;
    }

    // World positions of the sheet's vertices after evaluation.
    std::vector<Point3> Draped() {
        sheetNode->InvalidateWS();
        const ObjectState& os = sheetNode->EvalWorldState(0);
        Mesh& m = static_cast<TriObject*>(os.obj)->GetMesh();
        const Matrix3 tm = sheetNode->GetObjectTM(0);
        std::vector<Point3> out;
        for (int i = 0; i < m.getNumVerts(); ++i) out.push_back(m.verts[i] * tm);
        return out;
    }

    static bool OnTerrain(const Point3& p, const Point2& lo) {
        return p.x >= lo.x && p.x <= lo.x + 20.0f && p.y >= lo.y && p.y <= lo.y + 20.0f;
    }
};

} // namespace

// The sheet lands on the surface wherever the terrain lies below it, and at
// zero elsewhere; the terrain's node moves the surface sideways only, and the
// sheet's own transform never matters.
TEST_F(TerravelTest, DrapesASheetOverTheTerrainWhereverBothAre) {
    Matrix3 sheetTM = RotateZMatrix(0.3f);
    sheetTM.Translate(Point3(1.0f, 2.0f, 30.0f));
    const struct {
        Point2 terrainAt;
        Matrix3 sheetTM;
        int inside;
    } cases[] = {{Point2(0, 0), Matrix3(), 36}, {Point2(8, 0), sheetTM, -1}};
    for (const auto& c : cases) {
        terrainNode->SetNodeTM(0, TransMatrix(Point3(c.terrainAt.x, c.terrainAt.y, 100.0f)));
        sheetNode->SetNodeTM(0, c.sheetTM);
        int inside = 0;
        for (const Point3& p : Draped()) {
            if (OnTerrain(p, c.terrainAt)) {
                EXPECT_NEAR(p.z, Ground(p.x - c.terrainAt.x, p.y - c.terrainAt.y), 1e-2f)
                    << p.x << ", " << p.y;
                ++inside;
            } else {
                EXPECT_EQ(p.z, 0.0f) << p.x << ", " << p.y;
            }
        }
        if (c.inside >= 0) {
            EXPECT_EQ(inside, c.inside);
        }
        EXPECT_GT(inside, 10);
    }
}

TEST_F(TerravelTest, LeavesTheSheetAloneWithoutATerrainToFollow) {
    auto unchanged = [&] {
        for (const Point3& p : Draped()) EXPECT_EQ(p.z, 50.0f);
    };
    conform->pblock->SetValue(pb_land_object, 0, nullptr);
    unchanged();

    INode* boxNode = new INode();
    boxNode->SetObjectRef(new BoxObject());
    conform->pblock->SetValue(pb_land_object, 0, boxNode);
    unchanged();
    conform->pblock->SetValue(pb_land_object, 0, nullptr);
    delete boxNode;

    // A terrain carrying a modifier of its own is reached only through its stack.
    terrainNode->AddModifier(new PassModifier());
    conform->pblock->SetValue(pb_land_object, 0, terrainNode);
    unchanged();
}

TEST_F(TerravelTest, AnUnbuiltTerrainFlattensTheSheet) {
    terrain->mesh = Mesh();
    terrain->heightLookup.FreeSurfaceLookup();
    for (const Point3& p : Draped()) EXPECT_EQ(p.z, 0.0f);
}

TEST_F(TerravelTest, ValidOnlyAtTheInstantAndNeverWhileEdited) {
    EXPECT_EQ(conform->LocalValidity(7), Interval(7, 7));
    RecordingInterface ip;
    conform->BeginEditParams(&ip, 0, nullptr);
    EXPECT_TRUE(conform->TestAFlag(A_MOD_BEING_EDITED));
    EXPECT_TRUE(conform->LocalValidity(7).Empty());
    conform->EndEditParams(&ip, END_EDIT_REMOVEUI, nullptr);
    EXPECT_FALSE(conform->TestAFlag(A_MOD_BEING_EDITED));
    EXPECT_EQ(conform->LocalValidity(7), Interval(7, 7));
}
