// Test helper: a saved scene holding a terrain whose mesh the test gives it and a
// probe sheet draped over it by the conform modifier, all made through the loaded
// plug-in's descriptors. Prints the probe's vertices as "x y z" lines.
//   e2e_terrain_heights PLUGIN write SCENE COUNT    makes, prints and saves the scene
//   e2e_terrain_heights PLUGIN read SCENE           loads the scene and prints again
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "host/app/chunk_io.h"
#include "host/app/json_scene_builder.h"
#include "host/app/plugin_loader.h"
#include "host/app/scene.h"
#include "host/app/scene_file.h"
#include "host/sdk/inode.h"
#include "host/sdk/modifier.h"
#include "host/sdk/tri_object.h"

namespace {

// The host knows the plug-in's classes and parameters as numbers, never by its
// headers: the conform modifier and its "Land_Object" parameter.
const Class_ID kConformClassID(0x14292e5e, 0x16395a25);
constexpr ParamID kConformLandObject = 0;

int Fail(const std::string& what) {
    std::fprintf(stderr, "e2e_terrain_heights: %s\n", what.c_str());
    return 1;
}

// The terrain's surface, sampled on a 30 x 30 grid of 2-unit cells from the origin.
float Surface(float x, float y) {
    return 5.0f * std::sin(x / 10.0f) * std::cos(y / 12.0f) + 0.2f * x;
}

Mesh TerrainMesh() {
    const int n = 30;
    Mesh m;
    m.setNumVerts((n + 1) * (n + 1));
    m.setNumFaces(2 * n * n);
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i)
            m.setVert(j * (n + 1) + i, 2.0f * i, 2.0f * j, Surface(2.0f * i, 2.0f * j));
    int f = 0;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const int a = j * (n + 1) + i;
            m.faces[static_cast<std::size_t>(f++)].setVerts(a, a + 1, a + n + 2);
            m.faces[static_cast<std::size_t>(f++)].setVerts(a, a + n + 2, a + n + 1);
        }
    return m;
}

Animatable* Make(ClassRegistry& registry, SClass_ID sclass, Class_ID cid) {
    ClassDesc* cd = registry.Find(sclass, cid);
    return cd ? static_cast<Animatable*>(cd->Create(FALSE)) : nullptr;
}

int Print(INode* probe) {
    const ObjectState& os = probe->EvalWorldState(0);
    auto* tri = dynamic_cast<TriObject*>(os.obj);
    if (!tri) return Fail("the probe does not evaluate to a mesh");
    const Matrix3 tm = probe->GetObjectTM(0);
    for (const Point3& v : tri->GetMesh().verts) {
        const Point3 w = v * tm;
        std::printf("%.9g %.9g %.9g\n", w.x, w.y, w.z);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) return Fail("usage: PLUGIN write SCENE COUNT | PLUGIN read SCENE");
    const std::string mode = argv[2], path = argv[3];
    ClassRegistry registry;
    std::string error;
    if (!registry.LoadModule(argv[1], error)) return Fail(error);
    Scene scene;

    if (mode == "read") {
        if (!LoadSceneFile(scene, registry, path, error)) return Fail(error);
        INode* probe = scene.FindByName("Probe");
        return probe ? Print(probe) : Fail("no node \"Probe\" in " + path);
    }
    if (mode != "write" || argc < 5) return Fail("unknown mode " + mode);

    auto* terrain =
        dynamic_cast<Object*>(Make(registry, GEOMOBJECT_CLASS_ID, contorra::kTerrainClassID));
    auto* conform = dynamic_cast<WSModifier*>(Make(registry, WSM_CLASS_ID, kConformClassID));
    if (!terrain || !conform) return Fail("the plug-in offers no terrain or no conform modifier");

    // The mesh reaches the terrain object the way a scene file hands it over.
    MemorySave save;
    save.BeginChunk(0x000A);
    TerrainMesh().Save(&save);
    save.EndChunk();
    MemoryLoad load(save.Bytes());
    if (terrain->Load(&load) != IO_OK) return Fail("the terrain refused its mesh");
    INode* terrainNode = scene.CreateNode(terrain, "Terrain");

    TriObject* sheet = CreateNewTriObject();
    const int count = std::stoi(argv[4]);
    sheet->GetMesh().setNumVerts(count);
    std::mt19937 rng(2026);
    std::uniform_real_distribution<float> d(-5.0f, 65.0f);
    for (int i = 0; i < count; ++i) {
        const float x = d(rng), y = d(rng);
        sheet->GetMesh().setVert(i, x, y, 100.0f);
    }
    INode* probe = scene.CreateNode(sheet, "Probe");
    probe->AddWSModifier(conform);
    conform->GetParamBlock(0)->SetValue(kConformLandObject, 0, terrainNode);

    if (int r = Print(probe)) return r;
    if (!SaveSceneFile(scene, path, error)) return Fail(error);
    return 0;
}
