#include "app/build_command.h"

#include <chrono>
#include <filesystem>
#include <iomanip>
#include <iostream>

#include "host/app/core_interface.h"
#include "host/app/json_scene.h"
#include "host/app/json_scene_builder.h"
#include "host/app/mesh_export.h"
#include "host/app/preview.h"
#include "host/app/scene_file.h"
#include "host/app/terrain_build.h"

namespace fs = std::filesystem;
using namespace contorra;

namespace {

struct BuildOptions {
    std::string scene, mesh, save, preview;
    bool quiet = false;
};

int Fail(int code, const std::string& message) {
    std::cerr << "contorra build: " << message << "\n";
    return code;
}

int RunBuild(const BuildOptions& o, const GlobalOptions& global) {
    const bool quiet = o.quiet || global.quiet;
    if (!o.mesh.empty() && !MeshFormatOf(o.mesh))
        return Fail(kExitBadInput,
                    o.mesh + ": unknown mesh format (use " + std::string(MeshFormatList()) + ")");
    std::string error;
    if (!CheckOutput(o.mesh, "mesh", error) || !CheckOutput(o.save, "scene", error) ||
        !CheckOutput(o.preview, "preview", error))
        return Fail(kExitBadInput, error);

    // The file is checked before the plug-in is loaded.
    JsonScene json;
    try {
        json = ReadJsonScene(o.scene);
    } catch (const SceneFileError& e) {
        return Fail(kExitBadInput, e.what());
    }

    ClassRegistry registry;
    GlobalOptions plugin = global;
    plugin.quiet = quiet;
    if (!LoadPlugin(plugin, registry)) return kExitFailure;

    Scene scene;
    CoreInterface core(scene, ProgressStyleForStderr(quiet), std::cerr);
    std::vector<INode*> terrains;
    try {
        terrains = AddJsonScene(json, scene, registry);
    } catch (const SceneFileError& e) {
        return Fail(kExitBadInput, e.what());
    }
    if (terrains.size() != 1)
        return Fail(kExitBadInput,
                    o.scene + ": " +
                        (terrains.empty()
                             ? std::string("the scene has no terrain object (a node whose object "
                                           "has \"type\": \"terrain\")")
                             : "the scene has " + std::to_string(terrains.size()) +
                                   " terrain objects; build takes one"));
    INode* node = terrains.front();
    Object* terrain = node->GetObjectRef();

    const auto start = std::chrono::steady_clock::now();
    if (!PressGenerate(terrain, &core, error)) return Fail(kExitFailure, error);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool cancelled = core.GetCancel() != FALSE;

    Mesh mesh;
    if (!TerrainMesh(terrain, mesh)) return Fail(kExitFailure, "the terrain object gives no mesh");
    if (mesh.getNumFaces() == 0)
        return Fail(kExitBadInput,
                    o.scene + ": the build made no surface: none of the terrain's \"splines\" "
                              "gave a contour (nothing was written)");

    // Files get world coordinates, where the contours were given.
    const Matrix3 tm = node->GetObjectTM(0);
    Mesh world = mesh;
    for (Point3& p : world.verts) p = p * tm;
    if (!quiet)
        std::cout << "built " << node->GetName() << ": " << mesh.getNumFaces() << " faces, "
                  << mesh.getNumVerts() << " vertices in " << FormatElapsed(seconds)
                  << (cancelled ? " (cancelled: the result is partial)" : "") << "\n";

    int status = cancelled ? kExitFailure : kExitOk;
    auto report = [&](const std::string& what, const std::string& path) {
        if (!quiet) std::cout << what << ": " << path << "\n";
    };
    try {
        if (!o.mesh.empty()) {
            ExportMesh(world, o.mesh, node->GetName());
            report("mesh", o.mesh);
        }
    } catch (const std::exception& e) {
        status = Fail(kExitFailure, e.what());
    }
    try {
        if (!o.preview.empty()) {
            WritePreview(mesh, tm, o.preview);
            report("preview", o.preview);
        }
    } catch (const std::exception& e) {
        status = Fail(kExitFailure, e.what());
    }
    if (!o.save.empty()) {
        if (SaveSceneFile(scene, o.save, error))
            report("scene", o.save);
        else
            status = Fail(kExitFailure, error);
    }
    if (cancelled) Fail(kExitFailure, "cancelled: the files hold the partial result");
    return status;
}

} // namespace

Command AddBuildCommand(CLI::App& app, const GlobalOptions& options) {
    auto o = std::make_shared<BuildOptions>();
    CLI::App* sub = app.add_subcommand(
        "build", "Build the terrain of a JSON scene and write it as a mesh, a saved scene and a "
                 "preview image");
    sub->add_option("SCENE", o->scene, "the scene (JSON, see docs/scene-format.md)")->required();
    sub->add_option("-o,--output", o->mesh,
                    "the terrain mesh: .obj, .ply, .stl, .gltf, .glb or .fbx");
    sub->add_option("--save", o->save, "the whole scene with the built terrain (.cscene)");
    sub->add_option("--preview", o->preview,
                    "a top view of the terrain (.png): hill-shaded, coloured by material ID, "
                    "with its triangle edges");
    sub->add_flag("-q,--quiet", o->quiet, "no progress bar and no summary");
    sub->footer("Ctrl-C once stops the build early; the files then hold what was built so far "
                "(exit code 1). Ctrl-C twice ends at once.\n"
                "Exit codes: 0 success, 1 failure, 2 bad usage or bad input.");
    return [o, &options] { return RunBuild(*o, options); };
}
