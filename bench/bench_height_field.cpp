// Cost of contour sampling and the coarse-to-fine fitting schedule.
//   ./build/release/bench_height_field
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "tests/support/contour_fixtures.h"
#include "tests/reference/literal_sweeps.h"
#include "tests/support/stage_parts.h"

namespace {

// Well over 200,000 samples at 10 levels (240,000 with a factor of 2.0).
void FillContours(StageParts& b) {
    AppendRidgeContours(b, RidgeSurface{}, 1000.0, 3.0, 4.0);
}

void BM_SampleContours(benchmark::State& state) {
    StageParts b;
    FillContours(b);
    for (auto _ : state) {
        b.SetUpSampling(10);
        benchmark::DoNotOptimize(b.samples.samples.data());
    }
    state.counters["samples"] = b.samples.Count();
    state.counters["segments"] = b.segments.count();
}
BENCHMARK(BM_SampleContours)->Unit(benchmark::kMillisecond);

// The whole schedule at Interations 10: ten levels up to 1025 x 1025 nodes,
// ten fit-and-smooth rounds per level.
void BM_FittingSchedule(benchmark::State& state) {
    StageParts b;
    FillContours(b);
    b.SetUpSampling(10);
    if (b.samples.Count() < 200000) state.SkipWithError("fewer than 200,000 samples");
    WorkerPool pool(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        FitHeightField(b.grid, b.samples, 10, nullptr, &pool);
        benchmark::DoNotOptimize(b.grid.heights.data());
    }
    state.counters["samples"] = b.samples.Count();
    state.counters["N"] = b.grid.gridSize;
}
BENCHMARK(BM_FittingSchedule)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

std::vector<float> Grid(int n) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> dist(-10.0f, 10.0f);
    std::vector<float> g(static_cast<std::size_t>(n) * n);
    for (float& v : g) v = dist(rng);
    return g;
}

void BM_SmoothGrid(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::vector<float> g = Grid(n);
    for (auto _ : state) {
        SmoothGrid(g.data(), n);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_SmoothGrid)->Arg(257)->Arg(1025)->Unit(benchmark::kMillisecond);

void BM_LiteralSmoothGrid(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::vector<float> g = Grid(n);
    for (auto _ : state) {
        LiteralSmoothGrid(g.data(), n);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_LiteralSmoothGrid)->Arg(257)->Arg(1025)->Unit(benchmark::kMillisecond);

void BM_FitSamplesFinest(benchmark::State& state) {
    StageParts b;
    FillContours(b);
    b.SetUpSampling(10);
    b.FitHeightField(10);
    for (auto _ : state) {
        b.FitSamples(2);
        benchmark::DoNotOptimize(b.grid.heights.data());
    }
    state.SetItemsProcessed(state.iterations() * 4 * (b.samples.Count() / 2));
}
BENCHMARK(BM_FitSamplesFinest)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
