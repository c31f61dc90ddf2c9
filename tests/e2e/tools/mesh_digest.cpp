// Test helper: loads a saved scene through the plug-in and prints, for every
// node whose own object is a plug-in geometric object, one line
//   NAME VERTS FACES DIGEST
// where DIGEST is a 64-bit FNV-1a hash of the mesh as the host saves it
// (vertices, faces with IDs and flags, map channels, colours, selections).
//   e2e_mesh_digest PLUGIN SCENE.cscene
#include <cinttypes>
#include <cstdio>
#include <string>

#include "host/app/chunk_io.h"
#include "host/app/plugin_loader.h"
#include "host/app/scene.h"
#include "host/app/scene_file.h"
#include "host/app/terrain_build.h"
#include "host/sdk/inode.h"

namespace {

std::uint64_t Fnv1a(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (std::uint8_t b : bytes) {
        h ^= b;
        h *= 0x100000001b3ull;
    }
    return h;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: e2e_mesh_digest PLUGIN SCENE.cscene\n");
        return 2;
    }
    ClassRegistry registry;
    std::string error;
    const PluginModule* plugin = registry.LoadModule(argv[1], error);
    if (!plugin) {
        std::fprintf(stderr, "e2e_mesh_digest: %s\n", error.c_str());
        return 1;
    }
    Scene scene;
    if (!LoadSceneFile(scene, registry, argv[2], error)) {
        std::fprintf(stderr, "e2e_mesh_digest: %s\n", error.c_str());
        return 1;
    }
    for (INode* node : scene.Nodes()) {
        Object* obj = node->GetObjectRef();
        if (!obj || obj->SuperClassID() != GEOMOBJECT_CLASS_ID) continue;
        const ClassDesc* cd = registry.Find(obj->SuperClassID(), obj->ClassID());
        const PluginModule* module = cd ? registry.ModuleOf(cd) : nullptr;
        if (module != plugin) continue;
        Mesh mesh;
        if (!contorra::TerrainMesh(obj, mesh)) continue;
        MemorySave save;
        mesh.Save(&save);
        std::printf("%s %d %d %016" PRIx64 "\n", node->GetName(), mesh.getNumVerts(),
                    mesh.getNumFaces(), Fnv1a(save.Bytes()));
    }
    return 0;
}
