// contorra conform SCENE -o OUT: the scene's terrains built, then only the
// nodes its world-space modifiers drape, as evaluated, in one mesh file.
#include <cctype>
#include <filesystem>
#include <iostream>

#include "app/commands.h"
#include "app/output_check.h"
#include "host/app/core_interface.h"
#include "host/app/json_scene.h"
#include "host/app/json_scene_builder.h"
#include "host/app/mesh_export.h"
#include "host/app/scene_export.h"
#include "host/app/scene_file.h"
#include "host/app/terrain_build.h"

using namespace contorra;

namespace {

struct ConformOptions {
    std::string scene, output;
    bool quiet = false;
};

int Fail(int code, const std::string& message) {
    std::cerr << "contorra conform: " << message << "\n";
    return code;
}

bool IsJson(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".json";
}

// A JSON scene's nodes with its modifiers, its terrains built; kExitOk or the
// exit code after printing why.
int LoadJson(const std::string& path, Scene& scene, const ClassRegistry& registry,
             CoreInterface& core) {
    JsonScene json;
    std::vector<INode*> terrains;
    try {
        json = ReadJsonScene(path);
        if (json.modifiers.empty())
            return Fail(kExitBadInput, path + ": the scene drapes nothing (it has no \"modifiers\")");
        terrains = AddJsonScene(json, scene, registry);
    } catch (const SceneFileError& e) {
        return Fail(kExitBadInput, e.what());
    }
    for (INode* t : terrains) {
        std::string error;
        if (!PressGenerate(t->GetObjectRef(), &core, error)) return Fail(kExitFailure, error);
        Mesh built;
        if (!TerrainMesh(t->GetObjectRef(), built) || built.getNumFaces() == 0)
            return Fail(kExitBadInput, path + ": the terrain \"" + t->GetName() +
                                           "\" made no surface: none of its \"splines\" gave a "
                                           "contour (nothing was written)");
    }
    return kExitOk;
}

int RunConform(const ConformOptions& o, const GlobalOptions& global) {
    const bool quiet = o.quiet || global.quiet;
    if (!MeshFormatOf(o.output))
        return Fail(kExitBadInput, o.output + ": unknown mesh format (use " +
                                       std::string(MeshFormatList()) + ")");
    std::vector<OutputFile> outputs = {{o.output, "the draped nodes (-o)", {}}};
    AddMeshSidecars(outputs, o.output);
    if (std::string error; !CheckOutputFiles(outputs, {{o.scene, "the scene"}}, error))
        return Fail(kExitBadInput, error);
    ClassRegistry registry;
    GlobalOptions plugin = global;
    plugin.quiet = quiet;
    if (!LoadPlugin(plugin, registry)) return kExitFailure;
    Scene scene;
    CoreInterface core(scene, ProgressStyleForStderr(quiet), std::cerr);
    if (IsJson(o.scene)) {
        if (int code = LoadJson(o.scene, scene, registry, core); code != kExitOk) return code;
    } else if (std::string error; !LoadSceneFile(scene, registry, o.scene, error)) {
        return Fail(kExitBadInput, error);
    }
    const std::vector<INode*> draped = DrapedNodes(scene);
    if (draped.empty())
        return Fail(kExitBadInput, o.scene + ": the scene drapes nothing (no node carries a "
                                             "world-space modifier)");
    const std::vector<NodeMesh> meshes = EvaluateNodeMeshes(draped, 0);
    if (meshes.empty())
        return Fail(kExitBadInput, o.scene + ": the draped nodes give no triangles");
    try {
        ExportNodes(meshes, o.output);
    } catch (const std::exception& e) {
        return Fail(kExitFailure, e.what());
    }
    if (!quiet) {
        int faces = 0;
        for (const NodeMesh& m : meshes) faces += m.mesh.getNumFaces();
        std::cout << "draped " << meshes.size() << " nodes (" << faces << " faces): " << o.output
                  << "\n";
    }
    return kExitOk;
}

} // namespace

Command AddConformCommand(CLI::App& app, const GlobalOptions& options) {
    auto o = std::make_shared<ConformOptions>();
    CLI::App* sub = app.add_subcommand(
        "conform", "Build a scene's terrains and write only the nodes draped over them");
    sub->add_option("SCENE", o->scene,
                    "a JSON scene with \"modifiers\" (.json) or a saved scene (.cscene)")
        ->required();
    sub->add_option("-o,--output", o->output,
                    "the draped nodes, one named node each: .obj, .ply, .stl, .gltf, .glb or .fbx")
        ->required();
    sub->add_flag("-q,--quiet", o->quiet, "no progress bar and no summary");
    sub->footer("Exit codes: 0 success, 1 failure, 2 bad usage or bad input.");
    return [o, &options] { return RunConform(*o, options); };
}
