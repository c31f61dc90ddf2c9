#include "app/build_command.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <optional>

#include "app/memory_check.h"
#include "app/output_check.h"
#include "app/build_gis.h"
#include "host/app/core_interface.h"
#include "host/app/json_scene.h"
#include "host/app/json_scene_builder.h"
#include "host/app/mesh_export.h"
#include "host/app/preview.h"
#include "host/app/scene_export.h"
#include "host/app/scene_file.h"
#include "host/app/terrain_build.h"
#include "host/app/terrain_review.h"

namespace fs = std::filesystem;
using namespace contorra;

namespace {


int Fail(int code, const std::string& message) {
    std::cerr << "contorra build: " << message << "\n";
    return code;
}

// Fails early on outputs that could not be written anyway, or that would
// overwrite an input or one another.
int CheckOutputs(const BuildOptions& o, const JsonScene* json) {
    if (o.wholeScene && o.mesh.empty())
        return Fail(kExitBadInput, "--whole-scene: name the file to write with -o");
    if (std::string error; !CheckGisOptions(o, error)) return Fail(kExitBadInput, error);
    if (!o.mesh.empty() && !MeshFormatOf(o.mesh))
        return Fail(kExitBadInput,
                    o.mesh + ": unknown mesh format (use " + std::string(MeshFormatList()) + ")");
    std::vector<OutputFile> outputs = {{o.mesh, "the mesh (-o)", {}},
                                       {o.save, "the saved scene (--save)", {".cscene"}},
                                       {o.preview, "the preview (--preview)", {".png"}},
                                       {o.dem, "the height grid (--dem)", {}}};
    AddMeshSidecars(outputs, o.mesh);
    std::vector<InputFile> inputs;
    if (!o.scene.empty()) inputs.push_back({o.scene, "the scene"});
    if (!o.contours.empty()) inputs.push_back({o.contours, "the contours (--contours)"});
    if (json)
        for (InputFile& f : MeshFilesOf(*json)) inputs.push_back(std::move(f));
    std::string error;
    if (!CheckOutputFiles(outputs, inputs, error)) return Fail(kExitBadInput, error);
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
    for (const Point3& p : built.mesh.verts)
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
            return Fail(kExitFailure, path + ": the build gave vertices that are not finite "
                                             "(nothing was written)");
    if (built.mesh.getNumFaces() == 0)
        return Fail(kExitBadInput,
                    path + ": the build made no surface: none of the terrain's \"splines\" "
                           "gave a contour with extent in x and y (nothing was written)");
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
        if (!o.mesh.empty() && o.wholeScene) {
            ExportNodes(EvaluateNodeMeshes(scene.Nodes(), 0), o.mesh);
            report("scene mesh", o.mesh);
        } else if (!o.mesh.empty()) {
            ExportMesh(world, o.mesh, node->GetName());
            report("mesh", o.mesh);
        }
    } catch (const std::exception& e) {
        status = Fail(kExitFailure, e.what());
    }
    try {
        if (!o.preview.empty()) {
            PreviewOptions look;
            if (o.previewContours) look.overlay = TerrainContourLines(node);
            WritePreview(built.mesh, tm, o.preview, look);
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
    std::optional<std::uint64_t> limit;
    if (!o.maxMemory.empty() && !(limit = ParseMemorySize(o.maxMemory)))
        return Fail(kExitBadInput, "--max-memory: expected a size such as 2G or 500M, got \"" +
                                       o.maxMemory + "\"");
    if (int code = CheckOutputs(o, nullptr); code != kExitOk) return code;

    // The file is checked before the plug-in is loaded.
    JsonScene json;
    try {
        json = o.contours.empty() ? ReadJsonScene(o.scene) : ContourScene(GisSourceOf(o));
    } catch (const SceneFileError& e) {
        return Fail(kExitBadInput, o.contours.empty() ? e.what() : e.problem);
    }
    const std::string input = o.contours.empty() ? o.scene : o.contours;
    if (int code = CheckOutputs(o, &json); code != kExitOk) return code;

    ClassRegistry registry;
    GlobalOptions plugin = global;
    plugin.quiet = quiet;
    if (!LoadPlugin(plugin, registry)) return kExitFailure;

    Scene scene;
    CoreInterface core(scene, ProgressStyleForStderr(quiet), std::cerr);
    core.SetWorkerThreadCount(o.threads);
    int code = kExitOk;
    INode* node = AddTerrainScene(json, input, scene, registry, code);
    if (!node) return code;
    if (code = CheckTerrainBuild(json, node, limit); code != kExitOk) return code;
    // Materials go into the saved scene with the nodes that use them.
    std::optional<SceneMaterials> materials;
    try {
        materials.emplace(AddJsonMaterials(json, scene, registry));
    } catch (const SceneFileError& e) {
        return Fail(kExitBadInput, e.what());
    }
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

int CheckTerrainBuild(const JsonScene& json, INode* node, std::optional<std::uint64_t> limit) {
    const std::string name = node->GetName() ? node->GetName() : "";
    const TerrainReview review = ReviewTerrain(node);
    std::vector<ReviewNote> warnings = review.warnings;
    for (ReviewNote& w : ReviewInserts(node, review)) warnings.push_back(std::move(w));
    for (const ReviewNote& w : warnings)
        Warn(json.file.string() + ": " + NotePlace(w, &json, name) + " " + w.problem);
    for (const ReviewNote& e : review.errors)
        std::cerr << "contorra: " << json.file.string() << ": " << NotePlace(e, &json, name) << ": "
                  << e.problem << "\n";
    if (!review.transformError.empty()) {
        std::string place = name;
        for (const JsonNode& n : json.nodes)
            if (n.name == name) place = n.path + "/transform (\"" + name + "\")";
        std::cerr << "contorra: " << json.file.string() << ": " << place << ": "
                  << review.transformError << "\n";
        return kExitBadInput;
    }
    if (!review.errors.empty()) return kExitBadInput;
    if (review.levels < 0) return kExitOk;
    const MemoryEstimate need = EstimateTerrainBuild(
        review.levels, std::max(review.maxX - review.minX, review.maxY - review.minY),
        review.length, review.contourPoints);
    std::string error;
    if (FitsInMemory(need, limit,
                     "the build of \"" + name + "\" at Interations " +
                         std::to_string(review.levels),
                     "lower \"Interations\" (each level less needs about a quarter)", error))
        return kExitOk;
    std::cerr << "contorra: " << json.file.string() << ": " << error << "\n";
    return kExitBadInput;
}

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
                    "a top view of the terrain (.png): hill-shaded, the ground tinted by "
                    "elevation, other material IDs in their colours, with its triangle edges");
    sub->add_flag("--preview-contours", o->previewContours,
                  "draws the terrain's contour splines over the preview");
    sub->add_option("--max-memory", o->maxMemory,
                    "the most memory the build may need, e.g. 2G or 500M (default: what the "
                    "machine has available); a build estimated to need more is refused");
    sub->add_flag("--whole-scene", o->wholeScene,
                  "-o writes every node as evaluated (the terrain, draped and other meshes), "
                  "one named node each");
    sub->add_option("--threads", o->threads,
                    "build threads (default: the cores the process may use); the mesh is the "
                    "same for any count")
        ->check(CLI::Range(1, 256));
    AddGisOptions(*sub, *o);
    sub->add_flag("-q,--quiet", o->quiet, "no progress bar and no summary");
    sub->footer("Ctrl-C once stops the build early; the files then hold what was built so far "
                "(exit code 1). Ctrl-C twice ends at once.\n"
                "Exit codes: 0 success, 1 failure, 2 bad usage or bad input.");
    return [o, &options] { return RunBuild(*o, options); };
}
