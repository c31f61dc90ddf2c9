// contorra render SCENE -o OUT.png: the scene's nodes shaded with their
// materials through a camera, written as a PNG.
#include <cctype>
#include <chrono>
#include <cmath>
#include <iostream>
#include <sstream>
#include <thread>

#include "app/build_command.h"
#include "app/commands.h"
#include "app/memory_check.h"
#include "app/output_check.h"
#include "app/scene_loading.h"
#include "host/app/atomic_file.h"
#include "host/app/core_interface.h"
#include "host/app/json_scene.h"
#include "host/app/json_scene_builder.h"
#include "host/app/png_file.h"
#include "host/app/renderer.h"
#include "host/app/scene_file.h"
#include "host/app/terrain_build.h"

namespace {

struct RenderOptions {
    std::string scene, output, size = "640x480", camera, maxMemory;
    int threads = 0; // 0: one per core
};

// "top", or "EX,EY,EZ,TX,TY,TZ[,FOV]": eye, target and the vertical field of
// view in degrees.
bool ParseCamera(const std::string& text, const Box3& box, int w, int h,
                 contorra::RasterCamera& cam) {
    if (text == "top") {
        cam = contorra::RasterCamera::TopView(
            box.IsEmpty() ? Box3(Point3(-1.0f, -1.0f, 0.0f), Point3(1.0f, 1.0f, 0.0f)) : box, w, h);
        return true;
    }
    std::vector<float> v;
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        try {
            std::size_t used = 0;
            v.push_back(std::stof(item, &used));
            if (used != item.size() || !std::isfinite(v.back())) return false;
        } catch (const std::exception&) {
            return false;
        }
    }
    if (v.size() != 6 && v.size() != 7) return false;
    const Point3 eye(v[0], v[1], v[2]), target(v[3], v[4], v[5]);
    const float fov = v.size() == 7 ? v[6] : 45.0f;
    if (Length(target - eye) <= 0.0f || fov <= 0.0f || fov >= 179.0f) return false;
    const Point3 dir = Normalize(target - eye);
    const Point3 up =
        std::fabs(dir.z) > 0.99f ? Point3(0.0f, 1.0f, 0.0f) : Point3(0.0f, 0.0f, 1.0f);
    cam = contorra::RasterCamera::LookAt(eye, target, up, w, h, true);
    cam.fovY = fov * static_cast<float>(M_PI / 180.0);
    float farthest = Length(target - eye);
    if (!box.IsEmpty())
        for (int i = 0; i < 8; ++i) farthest = std::max(farthest, Length(box[i] - eye));
    cam.farDist = farthest * 1.1f;
    cam.nearDist = cam.farDist * 1e-4f;
    return true;
}

int RunRender(const RenderOptions& o, const GlobalOptions& options) {
    const bool quiet = options.quiet;
    contorra::RenderSettings settings;
    if (!ParseImageSize(o.size, settings.width, settings.height)) {
        std::cerr << "contorra render: --size: expected WxH (1 .. 16384 each), got \"" << o.size
                  << "\"\n";
        return kExitBadInput;
    }
    settings.threads =
        o.threads > 0 ? o.threads : std::max(1u, std::thread::hardware_concurrency());

    std::optional<std::uint64_t> limit;
    if (!o.maxMemory.empty() && !(limit = ParseMemorySize(o.maxMemory))) {
        std::cerr << "contorra render: --max-memory: expected a size such as 2G or 500M, got \""
                  << o.maxMemory << "\"\n";
        return kExitBadInput;
    }
    if (std::string error; !CheckOutputFiles({{o.output, "the image (-o)", {".png"}}},
                                             {{o.scene, "the scene"}}, error)) {
        std::cerr << "contorra render: " << error << "\n";
        return kExitBadInput;
    }
    if (std::string error;
        !FitsInMemory(contorra::EstimateRender(settings.width, settings.height), limit,
                      "the render at " + o.size, "use a smaller --size", error)) {
        std::cerr << "contorra render: " << error << "\n";
        return kExitBadInput;
    }
    ClassRegistry registry;
    if (!LoadPlugin(options, registry)) return kExitFailure;
    Scene scene;
    CoreInterface core(scene, ProgressStyleForStderr(quiet), std::cerr);
    std::optional<contorra::SceneMaterials> materials;
    if (int code = LoadImageScene("render", o.scene, o.output, scene, registry, limit, core, materials);
        code != kExitOk)
        return code;
    const std::vector<INode*> nodes = scene.Nodes();
    if (!o.camera.empty()) {
        contorra::RasterCamera cam;
        if (!ParseCamera(o.camera, contorra::SceneBox(nodes, 0), settings.width, settings.height,
                         cam)) {
            std::cerr << "contorra render: --camera: expected \"top\" or "
                         "EX,EY,EZ,TX,TY,TZ[,FOV] with the eye apart from the target, got \""
                      << o.camera << "\"\n";
            return kExitBadInput;
        }
        settings.camera = cam;
    }

    if (!quiet)
        std::cerr << "rendering " << nodes.size() << " nodes at " << settings.width << "x"
                  << settings.height << " with " << settings.threads << " threads\n";
    const auto start = std::chrono::steady_clock::now();
    const contorra::RasterImage image = contorra::RenderNodes(nodes, settings);
    try {
        contorra::WriteAtomically(o.output, [&image](const std::filesystem::path& staged) {
            contorra::WritePng(staged, image);
        });
    } catch (const std::exception& e) {
        std::cerr << "contorra: " << e.what() << "\n";
        return kExitFailure;
    }
    if (!quiet) {
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::cerr << "wrote " << o.output << " in " << s << " s\n";
    }
    return kExitOk;
}

} // namespace

Command AddRenderCommand(CLI::App& app, const GlobalOptions& options) {
    CLI::App* sub = app.add_subcommand(
        "render", "Render a scene (JSON or saved) with its materials into a PNG image");
    auto o = std::make_shared<RenderOptions>();
    sub->add_option("SCENE", o->scene, "a JSON scene (.json) or a saved scene (.cscene)")
        ->required();
    sub->add_option("-o,--output", o->output, "the image to write (PNG)")->required();
    sub->add_option("--size", o->size, "image size WxH in pixels (default 640x480)");
    sub->add_option("--max-memory", o->maxMemory,
                    "the most memory the render may need, e.g. 2G or 500M (default: what the "
                    "machine has available)");
    sub->add_option("--threads", o->threads, "shading threads (default: one per core)")
        ->check(CLI::Range(1, 256));
    sub->add_option("--camera", o->camera,
                    "\"top\", or EX,EY,EZ,TX,TY,TZ[,FOV]: eye, target and vertical field of view "
                    "in degrees (default: the whole scene from above at an angle)");
    return [&options, o] { return RunRender(*o, options); };
}
