// The mesh of the last build through a file, a clone and a conversion; the
// choice of fit through a file.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "host/app/chunk_io.h"
#include "host/sdk/poly_object.h"
#include "host/sdk/tri_object.h"
#include "terrain/terrain_inputs.h"
#include "tests/terrain/terrain_fixtures.h"

namespace {

struct Deleter {
    void operator()(Animatable* a) const { a->DeleteThis(); }
};
template <class T> using Owned = std::unique_ptr<T, Deleter>;

Owned<LandObject> Built(int cells, float size) {
    Owned<LandObject> obj(NewLandObject());
    auto wavy = [](float x, float y) { return 3.0f * std::sin(0.2f * x) + 0.05f * x * y; };
    SetBuiltMesh(obj.get(), SurfaceMesh(cells, size, wavy));
    return obj;
}

// The object's own chunk as write fills it.
std::vector<std::uint8_t> Chunk(const std::function<void(MemorySave&)>& write) {
    MemorySave save;
    save.BeginChunk(0x0100);
    write(save);
    save.EndChunk();
    return save.Bytes();
}

IOResult Load(LandObject* obj, std::vector<std::uint8_t> bytes) {
    MemoryLoad load(std::move(bytes));
    if (load.OpenChunk() != IO_OK) return IO_ERROR;
    const IOResult r = obj->Load(&load);
    load.CloseChunk();
    return r;
}

} // namespace

TEST(LandObject, LoadRestoresTheMeshWithItsHeightLookupAndReportsDamage) {
    Owned<LandObject> built = Built(12, 2.5f), loaded(NewLandObject());
    ASSERT_EQ(Load(loaded.get(), Chunk([&](MemorySave& s) {
                       built->Save(&s);
                       s.BeginChunk(0x7777); // skipped
                       s.WriteInt(42);
                       s.EndChunk();
                   })),
              IO_OK);
    ASSERT_EQ(loaded->mesh.verts, built->mesh.verts);
    ASSERT_EQ(loaded->mesh.faces, built->mesh.faces);
    for (const Point3& p : {Point3(3.3f, 7.1f, 0.0f), Point3(20.2f, 11.9f, 0.0f)}) {
        EXPECT_NE(built->HeightAt(p), 0.0f);
        EXPECT_EQ(loaded->HeightAt(p), built->HeightAt(p));
    }

    EXPECT_EQ(Load(loaded.get(), Chunk([](MemorySave& s) {
                       s.BeginChunk(LANDOBJECT_MESH_CHUNK); // holding no mesh
                       s.BeginChunk(0x0777);
                       s.WriteInt(42);
                       s.EndChunk();
                       s.EndChunk();
                   })),
              IO_ERROR);
    // The object's chunk of 10 bytes, then a chunk header cut off after 4 of 6.
    EXPECT_EQ(Load(loaded.get(), {0x00, 0x01, 10, 0, 0, 0x80, 0x0A, 0x00, 0x40, 0x00}), IO_ERROR);
}

TEST(LandObject, CloneKeepsItsOwnParametersButNotTheMesh) {
    Owned<LandObject> built = Built(4, 1.0f);
    built->pblock->SetValue(pb_slope_up, 0, 30.0f, 17);
    std::unique_ptr<RemapDir, void (*)(RemapDir*)> remap(NewRemapDir(),
                                                         [](RemapDir* r) { r->DeleteThis(); });
    Owned<LandObject> copy(static_cast<LandObject*>(built->Clone(*remap)));
    ASSERT_NE(copy->pblock, built->pblock);
    EXPECT_FLOAT_EQ(copy->pblock->GetFloat(pb_slope_up, 0, 17), 30.0f);
    EXPECT_EQ(copy->mesh.getNumFaces(), 0);
    EXPECT_EQ(copy->HeightAt(Point3(1.5f, 1.5f, 0.0f)), 0.0f);
}

TEST(LandObject, ConvertsToIndependentMeshAndPolyObjects) {
    Owned<LandObject> built = Built(3, 1.0f);
    for (Class_ID type : {triObjectClassID, mapObjectClassID, polyObjectClassID})
        EXPECT_TRUE(built->CanConvertToType(type));
    EXPECT_FALSE(built->CanConvertToType(splineShapeClassID));
    EXPECT_EQ(built->ConvertToType(0, splineShapeClassID), nullptr);

    for (Class_ID type : {triObjectClassID, mapObjectClassID}) {
        Owned<TriObject> tri(dynamic_cast<TriObject*>(built->ConvertToType(0, type)));
        ASSERT_NE(tri, nullptr);
        EXPECT_EQ(tri->GetMesh().faces, built->mesh.faces);
        tri->GetMesh().verts[0].z = 99.0f;
        EXPECT_NE(built->mesh.verts[0].z, 99.0f);
    }
    Owned<PolyObject> poly(dynamic_cast<PolyObject*>(built->ConvertToType(0, polyObjectClassID)));
    ASSERT_NE(poly, nullptr);
    const MNMesh& mn = poly->GetMesh();
    EXPECT_EQ(std::vector<int>({mn.numv, mn.numf, mn.F(0)->deg}), std::vector<int>({16, 18, 3}));
    EXPECT_EQ(mn.nume, 33); // 24 sides and 9 diagonals: the edge list is filled in
}

namespace {

// One parameter's chunk as the block writes it: id, type, one entry, no keys.
void ParamChunk(MemorySave& s, USHORT id, int type, float f, int i) {
    s.BeginChunk(0x3010);
    s.WriteShort(id);
    s.WriteInt(type);
    s.WriteInt(1);
    if (type == TYPE_FLOAT) s.WriteFloat(f);
    else s.WriteInt(i);
    s.WriteInt(0);
    s.EndChunk();
}

IOResult LoadBlock(IParamBlock2* pb, std::vector<std::uint8_t> bytes, std::string* error = nullptr) {
    MemoryLoad load(std::move(bytes));
    if (load.OpenChunk() != IO_OK) return IO_ERROR;
    const IOResult r = pb->Load(&load);
    if (error) *error = load.Error();
    return r;
}

} // namespace

TEST(LandObject, ExactFitIsSavedAndLoadedAndOffInOlderFiles) {
    Owned<LandObject> obj(NewLandObject());
    IParamBlock2* pb = obj->pblock;
    EXPECT_EQ(pb->GetInt(pb_exact_fit, 0), 0);
    EXPECT_FLOAT_EQ(pb->GetFloat(pb_tension, 0), 0.05f);

    pb->SetValue(pb_exact_fit, 0, 1);
    pb->SetValue(pb_tension, 0, 0.6f);
    const std::vector<std::uint8_t> saved = Chunk([&](MemorySave& s) { pb->Save(&s); });
    Owned<LandObject> loaded(NewLandObject());
    ASSERT_EQ(LoadBlock(loaded->pblock, saved), IO_OK);
    EXPECT_EQ(loaded->pblock->GetInt(pb_exact_fit, 0), 1);
    EXPECT_FLOAT_EQ(loaded->pblock->GetFloat(pb_tension, 0), 0.6f);
    EXPECT_TRUE(ReadTerrainInputs(loaded->pblock).surface.exactFit);
    EXPECT_FLOAT_EQ(ReadTerrainInputs(loaded->pblock).surface.tension, 0.6f);

    // A block written before the fit could be chosen holds Interations but
    // neither of the two.
    Owned<LandObject> older(NewLandObject());
    ASSERT_EQ(LoadBlock(older->pblock, Chunk([](MemorySave& s) {
                            ParamChunk(s, pb_iterations, TYPE_INT, 0.0f, 7);
                        })),
              IO_OK);
    EXPECT_EQ(older->pblock->GetInt(pb_iterations, 0), 7);
    EXPECT_FALSE(ReadTerrainInputs(older->pblock).surface.exactFit);

    // A tension past a membrane, or a switch that is neither, is refused.
    std::string error;
    EXPECT_EQ(LoadBlock(older->pblock, Chunk([](MemorySave& s) {
                            ParamChunk(s, pb_tension, TYPE_FLOAT, 1.5f, 0);
                        }), &error),
              IO_ERROR);
    EXPECT_NE(error.find("Tension"), std::string::npos) << error;
    EXPECT_EQ(LoadBlock(older->pblock, Chunk([](MemorySave& s) {
                            ParamChunk(s, pb_exact_fit, TYPE_BOOL, 0.0f, 2);
                        }), &error),
              IO_ERROR);
    EXPECT_NE(error.find("Exact_Fit"), std::string::npos) << error;
}
