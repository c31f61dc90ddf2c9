// Time of each stage of a whole terrain build on the largest example scene,
// read off the build's own progress bars: the plug-in is loaded and driven
// exactly as contorra build drives it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/app/core_interface.h"
#include "host/app/json_scene.h"
#include "host/app/json_scene_builder.h"
#include "host/app/plugin_loader.h"
#include "host/app/terrain_build.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

fs::path g_pluginPath;
fs::path g_scenePath;

// Charges the time between progress bars to the work around them: what runs
// before the first bar is contour sampling, what runs after the last one is
// mesh output, the UVW stage, normals and the height lookup.
class StageClock : public CoreInterface {
public:
    explicit StageClock(Scene& scene) : CoreInterface(scene, ProgressStyle::Quiet, sink_) {}

    void Begin() { last_ = Clock::now(); }
    void Finish() { Charge(gapName_.empty() ? "after the last bar" : "mesh output, UVW, lookup"); }

    BOOL ProgressStart(const MCHAR* title, BOOL bar, LPTHREAD_START_ROUTINE fn,
                       void* arg) override {
        Charge(stages_.empty() ? "contour sampling" : "between bars");
        current_ = title ? title : "";
        // One bar per platform: the platform's name is not part of the stage.
        if (auto colon = current_.find(':'); colon != std::string::npos) current_.resize(colon);
        return CoreInterface::ProgressStart(title, bar, fn, arg);
    }
    void ProgressEnd() override {
        CoreInterface::ProgressEnd();
        Charge(current_);
        gapName_ = "after";
    }

    const std::vector<std::pair<std::string, double>>& Stages() const { return stages_; }

private:
    void Charge(const std::string& name) {
        const auto now = Clock::now();
        const double ms = std::chrono::duration<double, std::milli>(now - last_).count();
        last_ = now;
        for (auto& [n, t] : stages_)
            if (n == name) {
                t += ms;
                return;
            }
        stages_.emplace_back(name, ms);
    }

    std::ostringstream sink_;
    Clock::time_point last_;
    std::string current_, gapName_;
    std::vector<std::pair<std::string, double>> stages_;
};

void BM_WholeBuildStages(benchmark::State& state) {
    ClassRegistry registry;
    std::string error;
    if (!registry.LoadModule(g_pluginPath.string(), error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const contorra::JsonScene json = contorra::ReadJsonScene(g_scenePath);
    std::map<std::string, double> totals;
    std::vector<std::string> order;
    int faces = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Scene scene;
        StageClock clock(scene);
        std::vector<INode*> terrains = contorra::AddJsonScene(json, scene, registry);
        Object* terrain = terrains.at(0)->GetObjectRef();
        state.ResumeTiming();

        clock.Begin();
        if (!contorra::PressGenerate(terrain, &clock, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        clock.Finish();

        state.PauseTiming();
        for (const auto& [name, ms] : clock.Stages()) {
            if (!totals.count(name)) order.push_back(name);
            totals[name] += ms;
        }
        Mesh mesh;
        if (contorra::TerrainMesh(terrain, mesh)) faces = mesh.getNumFaces();
        state.ResumeTiming();
    }
    const double runs = static_cast<double>(state.iterations());
    for (const auto& name : order) state.counters[name + " ms"] = totals[name] / runs;
    state.counters["faces"] = faces;
}

} // namespace

int main(int argc, char** argv) {
    const fs::path exe = fs::canonical("/proc/self/exe").parent_path();
    g_pluginPath = exe / "contorra.dlo";
    g_scenePath = fs::path(CONTORRA_SOURCE_DIR) / "examples" / "full_site.json";
    benchmark::RegisterBenchmark("WholeBuild/full_site", BM_WholeBuildStages)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
