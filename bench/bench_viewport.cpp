// The viewports on the full example site's built terrain (about 15k faces):
// drawing it in one 1024x768 view, wire-frame and smooth-shaded, and hit
// testing one pixel, through the terrain object's own Display and HitTest as
// the host calls them. Targets: a view under 20 ms, a pick under 2 ms.
//   ./build/release/bench_viewport
#include <benchmark/benchmark.h>

#include <filesystem>
#include <iostream>
#include <sstream>

#include "host/app/core_interface.h"
#include "host/app/json_scene.h"
#include "host/app/json_scene_builder.h"
#include "host/app/plugin_loader.h"
#include "host/app/terrain_build.h"
#include "host/app/viewport.h"
#include "host/sdk/inode.h"

namespace fs = std::filesystem;

namespace {

struct Site {
    ClassRegistry registry;
    Scene scene;
    INode* terrain = nullptr;
    int faces = 0;
};

Site& BuiltSite() {
    static Site* site = [] {
        auto* s = new Site;
        const fs::path exe = fs::canonical("/proc/self/exe").parent_path();
        std::string error;
        if (!s->registry.LoadModule((exe / "contorra.dlo").string(), error)) {
            std::cerr << error << "\n";
            std::exit(1);
        }
        const contorra::JsonScene json =
            contorra::ReadJsonScene(fs::path(CONTORRA_SOURCE_DIR) / "examples" / "full_site.json");
        std::ostringstream sink;
        CoreInterface core(s->scene, ProgressStyle::Quiet, sink);
        s->terrain = contorra::AddJsonScene(json, s->scene, s->registry).at(0);
        if (!contorra::PressGenerate(s->terrain->GetObjectRef(), &core, error)) {
            std::cerr << error << "\n";
            std::exit(1);
        }
        int verts = 0;
        s->terrain->GetObjectRef()->PolygonCount(0, s->faces, verts);
        return s;
    }();
    return *site;
}

contorra::ViewOptions Options(bool shaded) {
    contorra::ViewOptions o;
    o.width = 1024;
    o.height = 768;
    o.shaded = shaded;
    o.grid = false;
    return o;
}

void BM_DrawTerrain(benchmark::State& state, contorra::ViewKind kind, bool shaded) {
    Site& site = BuiltSite();
    const std::vector<INode*> nodes{site.terrain};
    contorra::Viewport vp(kind, Options(shaded));
    vp.ZoomExtents(nodes);
    for (auto _ : state) {
        const contorra::RasterImage& image = vp.Draw(nodes);
        benchmark::DoNotOptimize(image.Bytes());
    }
    state.counters["faces"] = site.faces;
}

void BM_PickPixel(benchmark::State& state, contorra::ViewKind kind, bool shaded) {
    Site& site = BuiltSite();
    const std::vector<INode*> nodes{site.terrain};
    contorra::Viewport vp(kind, Options(shaded));
    vp.ZoomExtents(nodes);
    std::size_t hits = 0;
    for (auto _ : state) hits += vp.Pick(nodes, IPoint2(512, 384)).size();
    state.counters["hit"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
    state.counters["faces"] = site.faces;
}

} // namespace

BENCHMARK_CAPTURE(BM_DrawTerrain, top_wireframe, contorra::ViewKind::Top, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DrawTerrain, persp_shaded, contorra::ViewKind::Perspective, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PickPixel, top_wireframe, contorra::ViewKind::Top, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PickPixel, persp_shaded, contorra::ViewKind::Perspective, true)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
