// The study that chose GridRefineFactor. Its whole part must stay 2 (the
// refinement doubles the grid); its fractional part only changes the sample
// spacing: the divisor 8 is multiplied by the factor once per level and
// truncated. For a few candidate values this fits the grid to contours of a
// known surface at the default 10 levels and reports the cost (time) and the
// accuracy (rms and max error of the nodes inside the contoured square against
// the surface itself). GridRefineOffset is only ever truncated, so any value in
// [1, 2) gives the same grid.
//   ./build/release/study_grid_refine
#include <benchmark/benchmark.h>

#include <cmath>

#include "tests/support/contour_fixtures.h"
#include "tests/support/stage_parts.h"
#include "geometry/tuning_constants.h"

namespace {

constexpr double kSize = 1000.0;
constexpr int kLevels = 10;

RidgeSurface Surface(int which) {
    RidgeSurface f;   // broad ridges
    if (which == 1) { // tighter folds: features a few dozen cells wide
        f.b = 3.0;
        f.lambda = 40.0;
        f.c = 25.0;
        f.mu = 60.0;
    }
    if (which == 2) { // broad ridges turned the other way, steeper
        f.a = 0.15;
        f.alpha = 1.1;
    }
    return f;
}

void BM_RefineFactor(benchmark::State& state) {
    const float factor = static_cast<float>(state.range(0)) / 100.0f;
    const RidgeSurface f = Surface(static_cast<int>(state.range(1)));
    StageParts b;
    b.tuning.GridRefineFactor = factor;
    AppendRidgeContours(b, f, kSize, 6.0, 4.0);
    for (auto _ : state) {
        b.SetUpSampling(kLevels);
        b.FitHeightField(kLevels);
        benchmark::DoNotOptimize(b.grid.heights.data());
    }

    double sum = 0.0, worst = 0.0;
    long count = 0;
    for (int r = 0; r < b.grid.gridSize; ++r) {
        for (int c = 0; c < b.grid.gridSize; ++c) {
            const double x = b.grid.origin.x + c * static_cast<double>(b.grid.cellSize);
            const double y = b.grid.origin.y + r * static_cast<double>(b.grid.cellSize);
            if (x < 20.0 || x > kSize - 20.0 || y < 20.0 || y > kSize - 20.0) continue;
            const double e =
                b.grid.heights[static_cast<std::size_t>(r) * b.grid.gridSize + c] - f.Height(x, y);
            sum += e * e;
            worst = std::max(worst, std::fabs(e));
            ++count;
        }
    }
    state.counters["samples"] = b.samples.Count();
    state.counters["rms_err"] = std::sqrt(sum / static_cast<double>(count));
    state.counters["max_err"] = worst;
}
BENCHMARK(BM_RefineFactor)
    ->ArgNames({"factor_x100", "surface"})
    ->ArgsProduct({{200, 210, 215, 220, 225, 250, 275, 295}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

} // namespace

BENCHMARK_MAIN();
