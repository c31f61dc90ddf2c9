#include "app/build_command.h"

#include <chrono>
#include <filesystem>
#include <iomanip>
#include <iostream>

#include "app/build_gis.h"
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


int Fail(int code, const std::string& message) {
    std::cerr << "contorra build: " << message << "\n";
    return code;
}

// Fails early on outputs that could not be written anyway.
int CheckOutputs(const BuildOptions& o) {
    if (!o.mesh.empty() && !MeshFormatOf(o.mesh))
        return Fail(kExitBadInput,
                    o.mesh + ": unknown mesh format (use " + std::string(MeshFormatList()) + ")");
    std::string error;
    if (!CheckOutput(o.mesh, "mesh", error) || !CheckOutput(o.save, "scene", error) ||
        !CheckOutput(o.preview, "preview", error) || !CheckGisOptions(o, error))
        return Fail(kExitBadInput, error);
    return kExitOk;
}

// The one terrain node of the scene, made from the JSON; null after printing why not.
INode* AddTerrainScene(const JsonScene& json, const std::string& path, Scene& scene,
                       const ClassRegistry& registry, int& code) {
    std::vector<INode*> terrains;
    try {
        terrains = AddJsonScene(json, scene, registry);
    } catch (const SceneFileError& e) {
        code = Fail(kExitBadInput, e.what());
        return nullptr;
    }
    if (terrains.size() == 1) return terrains.front();
    code = Fail(kExitBadInput,
                path + ": " +
                    (terrains.empty() ? std::string("the scene has no terrain object (a node whose "
                                                    "object has \"type\": \"terrain\")")
                                      : "the scene has " + std::to_string(terrains.size()) +
                                            " terrain objects; build takes one"));
    return nullptr;
}

struct Built {
    Mesh mesh; // object space
    double seconds = 0.0;
    bool cancelled = false;
};

// Presses "Generate Surface" and reads back the mesh; kExitOk or the exit
// code after printing why.
int Generate(INode* node, CoreInterface& core, const std::string& path, Built& built) {
    Object* terrain = node->GetObjectRef();
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    if (!PressGenerate(terrain, &core, error)) return Fail(kExitFailure, error);
    built.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    built.cancelled = core.GetCancel() != FALSE;
    if (!TerrainMesh(terrain, built.mesh))
        return Fail(kExitFailure, "the terrain object gives no mesh");
    if (built.mesh.getNumFaces() == 0)
        return Fail(kExitBadInput,
                    path + ": the build made no surface: none of the terrain's \"splines\" "
                           "gave a contour (nothing was written)");
    return kExitOk;
}

// Writes every output asked for, each on its own: one failing does not stop the others.
int WriteOutputs(const BuildOptions& o, Scene& scene, INode* node, const Built& built, bool quiet,
                 const JsonScene& json, const ClassRegistry& registry) {
    // Files get world coordinates, where the contours were given.
    const Matrix3 tm = node->GetObjectTM(0);
    Mesh local = built.mesh;
    for (Point3& p : local.verts) p = p * tm;
    Mesh world = WithOrigin(local, scene.origin);
    int status = built.cancelled ? kExitFailure : kExitOk;
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
            WritePreview(built.mesh, tm, o.preview);
            report("preview", o.preview);
        }
    } catch (const std::exception& e) {
        status = Fail(kExitFailure, e.what());
    }
    try {
        if (!o.dem.empty()) {
            WriteDem(o, scene, registry, node, local, json.crsWkt);
            report("height grid", o.dem);
        }
    } catch (const std::exception& e) {
        status = Fail(kExitFailure, e.what());
    }
    if (!o.save.empty()) {
        std::string error;
        if (SaveSceneFile(scene, o.save, error))
            report("scene", o.save);
        else
            status = Fail(kExitFailure, error);
    }
    return status;
}

int RunBuild(const BuildOptions& o, const GlobalOptions& global) {
    const bool quiet = o.quiet || global.quiet;
    if (int code = CheckOutputs(o); code != kExitOk) return code;

    // The file is checked before the plug-in is loaded.
    JsonScene json;
    try {
        json = o.contours.empty() ? ReadJsonScene(o.scene) : ContourScene(GisSourceOf(o));
    } catch (const SceneFileError& e) {
        return Fail(kExitBadInput, o.contours.empty() ? e.what() : e.problem);
    }
    const std::string input = o.contours.empty() ? o.scene : o.contours;

    ClassRegistry registry;
    GlobalOptions plugin = global;
    plugin.quiet = quiet;
    if (!LoadPlugin(plugin, registry)) return kExitFailure;

    Scene scene;
    CoreInterface core(scene, ProgressStyleForStderr(quiet), std::cerr);
    int code = kExitOk;
    INode* node = AddTerrainScene(json, input, scene, registry, code);
    if (!node) return code;
    Built built;
    if (code = Generate(node, core, input, built); code != kExitOk) return code;
    WarnIfShort(json, scene, node, built.mesh);
    if (!quiet)
        std::cout << "built " << node->GetName() << ": " << built.mesh.getNumFaces() << " faces, "
                  << built.mesh.getNumVerts() << " vertices in " << FormatElapsed(built.seconds)
                  << (built.cancelled ? " (cancelled: the result is partial)" : "") << "\n";
    const int status = WriteOutputs(o, scene, node, built, quiet, json, registry);
    if (built.cancelled) Fail(kExitFailure, "cancelled: the files hold the partial result");
    return status;
}

} // namespace

Command AddBuildCommand(CLI::App& app, const GlobalOptions& options) {
    auto o = std::make_shared<BuildOptions>();
    CLI::App* sub = app.add_subcommand(
        "build", "Build the terrain of a JSON scene and write it as a mesh, a saved scene and a "
                 "preview image");
    sub->add_option("SCENE", o->scene, "the scene (JSON, see docs/scene-format.md)");
    sub->add_option("-o,--output", o->mesh,
                    "the terrain mesh: .obj, .ply, .stl, .gltf, .glb or .fbx");
    sub->add_option("--save", o->save, "the whole scene with the built terrain (.cscene)");
    sub->add_option("--preview", o->preview,
                    "a top view of the terrain (.png): hill-shaded, coloured by material ID, "
                    "with its triangle edges");
    AddGisOptions(*sub, *o);
    sub->add_flag("-q,--quiet", o->quiet, "no progress bar and no summary");
    sub->footer("Ctrl-C once stops the build early; the files then hold what was built so far "
                "(exit code 1). Ctrl-C twice ends at once.\n"
                "Exit codes: 0 success, 1 failure, 2 bad usage or bad input.");
    return [o, &options] { return RunBuild(*o, options); };
}
