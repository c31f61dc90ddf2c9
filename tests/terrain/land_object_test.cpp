#include <gtest/gtest.h>

#include <random>

#include "host/app/chunk_io.h"
#include "host/sdk/poly_object.h"
#include "host/sdk/tri_object.h"
#include "tests/terrain/terrain_fixtures.h"

namespace {

float Wavy(float x, float y) {
    return 3.0f * std::sin(0.2f * x) + 0.05f * x * y;
}

struct Deleter {
    void operator()(Animatable* a) const { a->DeleteThis(); }
};
template <class T> using Owned = std::unique_ptr<T, Deleter>;

std::vector<std::uint8_t> SaveObject(LandObject* obj) {
    MemorySave save;
    save.BeginChunk(0x0100);
    EXPECT_EQ(obj->Save(&save), IO_OK);
    save.EndChunk();
    EXPECT_EQ(save.Status(), IO_OK);
    return save.Bytes();
}

IOResult LoadObject(LandObject* obj, std::vector<std::uint8_t> bytes) {
    MemoryLoad load(std::move(bytes));
    if (load.OpenChunk() != IO_OK) return IO_ERROR;
    const IOResult r = obj->Load(&load);
    load.CloseChunk();
    return r;
}

} // namespace

// Slot defaults are what a newly picked node starts with in every list, so a
// wrong one shows up in the user's first build.
TEST(LandObject, NewObjectHasDefaultsAndFullTables) {
    Owned<LandObject> obj(NewLandObject());
    IParamBlock2* pb = obj->pblock;
    ASSERT_NE(pb, nullptr);
    EXPECT_EQ(obj->GetParamBlockByID(0), pb);
    EXPECT_EQ(obj->GetReference(0), pb);

    for (ParamID id : {pb_spline_node, pb_platform_node, pb_insert_node, pb_uvw_node})
        EXPECT_EQ(pb->GetINode(id, 0, MAX_LIST_SLOTS - 1), nullptr) << "parameter " << id;
    const std::pair<ParamID, float> slotDefaults[] = {
        {pb_slope_up, 45.0f},  {pb_slope_down, 45.0f}, {pb_platform_id, 2}, {pb_slopeup_id, 3},
        {pb_slopedown_id, 4},  {pb_insert_id, 2},      {pb_insert_type, 0}, {pb_insert_split, 0},
        {pb_map_ch, 2},        {pb_uvw_width, 1.0f},   {pb_uvw_zone, 1.0f}, {pb_uvw_angle, 0.0f}};
    for (const auto& [id, value] : slotDefaults) {
        EXPECT_EQ(pb->Count(id), MAX_LIST_SLOTS) << "parameter " << id;
        const bool isFloat = pb->GetParameterType(id) == TYPE_FLOAT_TAB;
        const float last = isFloat ? pb->GetFloat(id, 0, MAX_LIST_SLOTS - 1)
                                   : static_cast<float>(pb->GetInt(id, 0, MAX_LIST_SLOTS - 1));
        EXPECT_EQ(last, value) << "parameter " << id;
    }
    EXPECT_EQ(pb->GetInt(pb_spline_id, 0), 1);
    EXPECT_EQ(pb->GetInt(pb_iterations, 0), 10);
    EXPECT_FLOAT_EQ(pb->GetFloat(pb_width, 0), 10.0f);
    EXPECT_EQ(pb->GetInt(pb_mapch, 0), 1);

    int faces = -1, verts = -1;
    EXPECT_TRUE(obj->PolygonCount(0, faces, verts));
    EXPECT_EQ(faces + verts, 0);
    EXPECT_FLOAT_EQ(obj->HeightAt(Point3(1.0f, 1.0f, 0.0f)), 0.0f);
}

TEST(LandObject, ValidityIsForeverAndRefreshesThePlaceholderSize) {
    Owned<LandObject> obj(NewLandObject());
    obj->pblock->SetValue(pb_dummy_size, 0, 7.5f);
    EXPECT_EQ(obj->ObjectValidity(0), FOREVER);
    EXPECT_FLOAT_EQ(obj->dummySize, 7.5f);
}

TEST(LandObject, SaveAndLoadRestoreMeshAndHeights) {
    Owned<LandObject> built(NewLandObject());
    SetBuiltMesh(built.get(), GridMesh(12, 2.5f, Wavy));

    Owned<LandObject> loaded(static_cast<LandObject*>(GetLandObjectDesc()->Create(TRUE)));
    ASSERT_EQ(LoadObject(loaded.get(), SaveObject(built.get())), IO_OK);

    ASSERT_EQ(loaded->mesh.getNumVerts(), built->mesh.getNumVerts());
    ASSERT_EQ(loaded->mesh.getNumFaces(), built->mesh.getNumFaces());
    for (int i = 0; i < built->mesh.getNumVerts(); ++i)
        EXPECT_EQ(loaded->mesh.verts[i], built->mesh.verts[i]);
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> d(-2.0f, 32.0f);
    int covered = 0;
    for (int i = 0; i < 2000; ++i) {
        const Point3 p(d(rng), d(rng), 0.0f);
        const float h = built->HeightAt(p);
        EXPECT_EQ(loaded->HeightAt(p), h);
        if (h != 0.0f) ++covered;
    }
    EXPECT_GT(covered, 1000);

    // An unbuilt object stores an empty mesh; loading it empties a built one.
    Owned<LandObject> empty(NewLandObject());
    ASSERT_EQ(LoadObject(loaded.get(), SaveObject(empty.get())), IO_OK);
    EXPECT_EQ(loaded->mesh.getNumFaces(), 0);
}

TEST(LandObject, LoadSkipsUnknownChunksAndReportsDamage) {
    Owned<LandObject> built(NewLandObject());
    SetBuiltMesh(built.get(), GridMesh(3, 1.0f, Wavy));

    MemorySave save;
    save.BeginChunk(0x0100);
    save.BeginChunk(0x7777);
    save.WriteInt(42);
    save.EndChunk();
    built->Save(&save);
    save.EndChunk();
    Owned<LandObject> loaded(NewLandObject());
    ASSERT_EQ(LoadObject(loaded.get(), save.Bytes()), IO_OK);
    EXPECT_EQ(loaded->mesh.getNumFaces(), 18);

    // A mesh chunk whose content is no mesh.
    MemorySave bad;
    bad.BeginChunk(0x0100);
    bad.BeginChunk(LANDOBJECT_MESH_CHUNK);
    bad.BeginChunk(0x0777);
    bad.WriteInt(42);
    bad.EndChunk();
    bad.EndChunk();
    bad.EndChunk();
    Owned<LandObject> damaged(NewLandObject());
    EXPECT_NE(LoadObject(damaged.get(), bad.Bytes()), IO_OK);
}

TEST(LandObject, CloneKeepsParametersButNotTheMesh) {
    Owned<LandObject> built(NewLandObject());
    built->pblock->SetValue(pb_iterations, 0, 4);
    built->pblock->SetValue(pb_slope_up, 0, 30.0f, 17);
    SetBuiltMesh(built.get(), GridMesh(4, 1.0f, Wavy));

    std::unique_ptr<RemapDir, void (*)(RemapDir*)> remap(NewRemapDir(),
                                                         [](RemapDir* r) { r->DeleteThis(); });
    Owned<LandObject> copy(static_cast<LandObject*>(built->Clone(*remap)));
    ASSERT_NE(copy->pblock, nullptr);
    EXPECT_NE(copy->pblock, built->pblock);
    EXPECT_EQ(copy->pblock->GetInt(pb_iterations, 0), 4);
    EXPECT_FLOAT_EQ(copy->pblock->GetFloat(pb_slope_up, 0, 17), 30.0f);
    EXPECT_EQ(copy->mesh.getNumFaces(), 0);
    EXPECT_FLOAT_EQ(copy->HeightAt(Point3(1.5f, 1.5f, 0.0f)), 0.0f);
    EXPECT_NE(built->HeightAt(Point3(1.5f, 1.5f, 0.0f)), 0.0f);
}

TEST(LandObject, ConvertsToIndependentMeshAndPolyObjects) {
    Owned<LandObject> built(NewLandObject());
    SetBuiltMesh(built.get(), GridMesh(3, 1.0f, Wavy));
    built->mesh.faces[4].setMatID(6);

    EXPECT_TRUE(built->CanConvertToType(triObjectClassID));
    EXPECT_TRUE(built->CanConvertToType(mapObjectClassID));
    EXPECT_TRUE(built->CanConvertToType(polyObjectClassID));
    EXPECT_FALSE(built->CanConvertToType(splineShapeClassID));
    EXPECT_EQ(built->ConvertToType(0, splineShapeClassID), nullptr);

    Owned<TriObject> tri(static_cast<TriObject*>(built->ConvertToType(0, triObjectClassID)));
    ASSERT_NE(tri, nullptr);
    EXPECT_NE(static_cast<Object*>(tri.get()), static_cast<Object*>(built.get()));
    EXPECT_EQ(tri->GetMesh().getNumFaces(), 18);
    EXPECT_EQ(tri->GetMesh().faces[4].getMatID(), 6);
    tri->GetMesh().verts[0].z = 99.0f;
    EXPECT_NE(built->mesh.verts[0].z, 99.0f);

    Owned<PolyObject> poly(static_cast<PolyObject*>(built->ConvertToType(0, polyObjectClassID)));
    ASSERT_NE(poly, nullptr);
    EXPECT_EQ(poly->GetMesh().numf, 18);
    EXPECT_EQ(poly->GetMesh().numv, 16);
    EXPECT_EQ(poly->GetMesh().F(0)->deg, 3);
}
