// A JSON scene whose nodes form one parent chain, read and made into host
// nodes: the cost must grow linearly with the chain (each node's depth and
// world transform found once), which benchmark's complexity fit reports.
#include <benchmark/benchmark.h>

#include <string>

#include "host/app/json_scene.h"
#include "host/app/json_scene_builder.h"
#include "host/app/plugin_loader.h"
#include "host/app/scene.h"

namespace {

// Children listed before their parents, each a step along x from its parent.
std::string ChainScene(int count) {
    std::string nodes;
    for (int i = count - 1; i >= 0; --i) {
        nodes += "{\"name\": \"n" + std::to_string(i) + "\", ";
        if (i) nodes += "\"parent\": \"n" + std::to_string(i - 1) + "\", ";
        nodes += "\"transform\": {\"position\": [1, 0, 0]}}";
        if (i) nodes += ",\n";
    }
    return "{\"nodes\": [" + nodes + "]}";
}

void BM_ParentChain(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string text = ChainScene(count);
    ClassRegistry registry;
    for (auto _ : state) {
        const contorra::JsonScene json = contorra::ParseJsonScene(text, "chain.json");
        Scene scene;
        contorra::AddJsonScene(json, scene, registry);
        benchmark::DoNotOptimize(scene.Nodes().back()->GetNodeTM(0));
    }
    state.SetComplexityN(count);
}
BENCHMARK(BM_ParentChain)
    ->RangeMultiplier(10)
    ->Range(100, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace

BENCHMARK_MAIN();
