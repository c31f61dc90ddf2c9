// BuildSizeField on generated terrains at the default grid of ten refinement
// levels (N = 1025) on one and two threads (two directions at a time, or each
// direction split over both), at twelve levels (N = 4097, where the field
// splits each direction), plus its growth-limiting sweeps alone.
#include <benchmark/benchmark.h>

#include <vector>

#include "tests/support/terrain_generators.h"
#include "geometry/size_field.h"

namespace {

void BM_BuildSizeField(benchmark::State& state) {
    const auto kind = static_cast<terrain::Kind>(state.range(1));
    StageParts b;
    terrain::FillGrid(b, kind, static_cast<int>(state.range(0)));
    WorkerPool pool(static_cast<int>(state.range(2)));
    for (auto _ : state) {
        BuildSizeField(b.sizeField, b.grid, b.tuning, nullptr, &pool,
                       state.range(3) ? kPairedSide : 0);
        benchmark::DoNotOptimize(b.sizeField.data());
    }
    state.SetLabel(terrain::Name(kind) + (state.range(2) > 1 && !state.range(3) ? ", directions split" : ""));
    state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(b.grid.gridSize) * b.grid.gridSize,
                                                   benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BuildSizeField)
    ->Args({1025, static_cast<int>(terrain::Kind::Contours), 1, 1})
    ->Args({1025, static_cast<int>(terrain::Kind::Contours), 2, 1})
    ->Args({1025, static_cast<int>(terrain::Kind::Contours), 2, 0})
    ->Args({1025, static_cast<int>(terrain::Kind::Flat), 1, 1})
    ->Args({513, static_cast<int>(terrain::Kind::Contours), 1, 1})
    ->Args({4097, static_cast<int>(terrain::Kind::Contours), 2, 1})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_LimitGrowth(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::vector<float> start(static_cast<std::size_t>(n) * n, 1.0e30f);
    for (int i = 0; i < n; ++i) start[i] = start[static_cast<std::size_t>(i) * n] = 5.0f;
    std::vector<float> l;
    for (auto _ : state) {
        l = start;
        LimitGrowth(n, 0.5f, l.data());
        benchmark::DoNotOptimize(l.data());
    }
}
BENCHMARK(BM_LimitGrowth)->Arg(1025)->Arg(4097)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
