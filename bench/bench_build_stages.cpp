// Time of each stage of a whole terrain build, read off the build's own
// progress bars: the plug-in is loaded and driven exactly as contorra build
// drives it. Scenes: the full example site and, when
// bench/real_data/make-contours has written it, a real contour set
// (build/real_data/jacksboro.json); each at Interations 10 and 12 on one and
// two threads. Every build runs in a child process of its own, so its peak
// memory (peak MiB) is its own.
//   ./build/release/bench_build_stages [--benchmark_filter=full_site/levels:10]
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

// One build in this process; its stage times as "name=ms" lines, the faces
// last, or an empty text when it failed.
std::string BuildOnce(const fs::path& file, int levels, int threads) {
    ClassRegistry registry;
    std::string error;
    if (!registry.LoadModule(g_pluginPath.string(), error)) return "";
    contorra::JsonScene json = contorra::ReadJsonScene(file);
    for (contorra::JsonNode& node : json.nodes)
        if (auto* terrain = std::get_if<contorra::JsonTerrain>(&node.object)) {
            auto& params = terrain->parameters;
            auto it = std::find_if(params.begin(), params.end(),
                                   [](const contorra::JsonParam& p) { return p.name == "Interations"; });
            if (it != params.end())
                it->value = levels;
            else
                params.push_back({"Interations", levels, ""});
        }
    Scene scene;
    StageClock clock(scene);
    clock.SetWorkerThreadCount(threads);
    std::vector<INode*> terrains = contorra::AddJsonScene(json, scene, registry);
    Object* terrain = terrains.at(0)->GetObjectRef();
    const auto start = Clock::now();
    clock.Begin();
    if (!contorra::PressGenerate(terrain, &clock, error)) return "";
    clock.Finish();
    const double total = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::ostringstream out;
    out << "whole build=" << total << "\n";
    for (const auto& [name, ms] : clock.Stages()) out << name << "=" << ms << "\n";
    Mesh mesh;
    out << "faces=" << (contorra::TerrainMesh(terrain, mesh) ? mesh.getNumFaces() : 0) << "\n";
    return out.str();
}

void BM_WholeBuildStages(benchmark::State& state, const fs::path& file) {
    const int levels = static_cast<int>(state.range(0));
    const int threads = static_cast<int>(state.range(1));
    if (!fs::exists(file)) {
        state.SkipWithError((file.string() + " is missing (bench/real_data/make-contours)").c_str());
        return;
    }
    std::map<std::string, double> totals;
    std::vector<std::string> order;
    long peakKiB = 0;
    double faces = 0;
    for (auto _ : state) {
        int fd[2];
        if (pipe(fd) != 0) return state.SkipWithError("no pipe");
        std::cout.flush();
        const pid_t child = fork();
        if (child == 0) {
            close(fd[0]);
            std::string text;
            try {
                text = BuildOnce(file, levels, threads);
            } catch (...) {
            }
            const bool ok = write(fd[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
            _exit(ok && !text.empty() ? 0 : 1);
        }
        close(fd[1]);
        std::string text;
        char buffer[4096];
        for (ssize_t got; (got = read(fd[0], buffer, sizeof buffer)) > 0;) text.append(buffer, got);
        close(fd[0]);
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return state.SkipWithError("the build failed");
        peakKiB = std::max(peakKiB, usage.ru_maxrss);
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);) {
            const auto eq = line.rfind('=');
            const std::string name = line.substr(0, eq);
            const double value = std::stod(line.substr(eq + 1));
            if (name == "whole build") state.SetIterationTime(value / 1000.0);
            if (name == "faces") {
                faces = value;
                continue;
            }
            if (!totals.count(name)) order.push_back(name);
            totals[name] += value;
        }
    }
    const double runs = static_cast<double>(state.iterations());
    for (const auto& name : order) state.counters[name + " ms"] = totals[name] / runs;
    state.counters["faces"] = faces;
    state.counters["peak MiB"] = static_cast<double>(peakKiB) / 1024.0;
}

} // namespace

int main(int argc, char** argv) {
    const fs::path exe = fs::canonical("/proc/self/exe").parent_path();
    g_pluginPath = exe / "contorra.dlo";
    const fs::path source = CONTORRA_SOURCE_DIR;
    const std::pair<const char*, fs::path> scenes[] = {
        {"full_site", source / "examples" / "full_site.json"},
        {"jacksboro", source / "build" / "real_data" / "jacksboro.json"}};
    for (const auto& [name, file] : scenes)
        benchmark::RegisterBenchmark((std::string("WholeBuild/") + name).c_str(),
                                     BM_WholeBuildStages, file)
            ->ArgsProduct({{10, 12}, {1, 2}})
            ->ArgNames({"levels", "threads"})
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
