// Cost of one platform's bounds on a 1025 x 1025 grid: face rasterisation with
// the edge bands, the spreading along 136 directions and the merge; the
// spreading alone also on the 4097 x 4097 grid of Interations 12.
//   ./build/release/bench_platform
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "tests/reference/literal_sweeps.h"
#include "geometry/platform_bounds.h"

namespace {

constexpr int kN = 1025;

// A gently domed platform of 32 x 32 quads (2048 triangles) over a fifth of
// the grid's side, in world units with a cell size of 1.
struct DomedPlatform {
    int quads = 32;
    float x0 = 400.0f, y0 = 450.0f, side = 205.0f;
    Point3 At(int i, int j) const {
        const float x = x0 + side * i / quads, y = y0 + side * j / quads;
        const float dx = (x - x0) / side - 0.5f, dy = (y - y0) / side - 0.5f;
        return {x, y, 40.0f - 30.0f * (dx * dx + dy * dy)};
    }
    void Face(int f, Point3* p) const {
        const int q = f / 2, i = q % quads, j = q / quads;
        if (f % 2 == 0) {
            p[0] = At(i, j);
            p[1] = At(i + 1, j);
            p[2] = At(i + 1, j + 1);
        } else {
            p[0] = At(i, j);
            p[1] = At(i + 1, j + 1);
            p[2] = At(i, j + 1);
        }
    }
    int FaceCount() const { return quads * quads * 2; }
};

void BM_OnePlatformBounds(benchmark::State& state) {
    PlatformBounds pb;
    pb.InitBounds(Point2(0.0f, 0.0f), 1.0f, kN, 1);
    const DomedPlatform dome;
    PlatformInput platform{"dome", {35.0f, 40.0f, 2, 3, 4}, {}};
    platform.faces.resize(static_cast<std::size_t>(dome.FaceCount()));
    for (int f = 0; f < dome.FaceCount(); ++f) dome.Face(f, platform.faces[f].corner);
    for (auto _ : state) {
        pb.AddPlatform(platform, nullptr);
        benchmark::DoNotOptimize(pb.upper.data());
    }
    state.counters["faces"] = dome.FaceCount();
}
BENCHMARK(BM_OnePlatformBounds)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Rasterize(benchmark::State& state) {
    PlatformBounds pb;
    pb.InitBounds(Point2(0.0f, 0.0f), 1.0f, kN, 1);
    const DomedPlatform dome;
    pb.StartPlatform(PlatformSettings{35.0f, 40.0f, 2, 3, 4});
    for (auto _ : state) {
        for (int f = 0; f < dome.FaceCount(); ++f) {
            Point3 p[3];
            dome.Face(f, p);
            pb.RasterizeTriangle(p[0], p[1], p[2], 2);
        }
        benchmark::DoNotOptimize(pb.platUpper.data());
    }
}
BENCHMARK(BM_Rasterize)->Unit(benchmark::kMillisecond);

// Spreading alone, against the plain node-by-node sweeps it replaces.
void SeedBounds(PlatformBounds& pb, int n = kN) {
    pb.InitBounds(Point2(0.0f, 0.0f), 1.0f, n, 1);
    pb.StartPlatform(PlatformSettings{35.0f, 40.0f, 2, 3, 4});
    const std::size_t un = static_cast<std::size_t>(n);
    for (std::size_t r = un / 2 - 10; r < un / 2 + 10; ++r)
        for (std::size_t c = un / 2 - 10; c < un / 2 + 10; ++c)
            pb.platUpper[r * un + c] = pb.platLower[r * un + c] = 10.0f;
}

void BM_SpreadSlopes(benchmark::State& state) {
    PlatformBounds pb;
    for (auto _ : state) {
        state.PauseTiming();
        SeedBounds(pb);
        state.ResumeTiming();
        ProgressScope silent(nullptr, "");
        pb.SpreadSlopes(silent);
        benchmark::DoNotOptimize(pb.platUpper.data());
    }
}
BENCHMARK(BM_SpreadSlopes)->Unit(benchmark::kMillisecond);

// The finest grid of Interations 12, by the rows' window, on one thread and
// with the two bounds side by side on two.
void BM_SpreadSlopes4097(benchmark::State& state) {
    const std::size_t window = static_cast<std::size_t>(state.range(0)) << 10;
    WorkerPool pool(static_cast<int>(state.range(1)));
    PlatformBounds pb;
    for (auto _ : state) {
        state.PauseTiming();
        SeedBounds(pb, 4097);
        state.ResumeTiming();
        ProgressScope silent(nullptr, "");
        pb.SpreadSlopes(silent, state.range(1) > 1 ? &pool : nullptr, window);
        benchmark::DoNotOptimize(pb.platUpper.data());
    }
}
BENCHMARK(BM_SpreadSlopes4097)
    ->ArgsProduct({{1024, 2048, 4096}, {1, 2}})
    ->ArgNames({"windowKiB", "threads"})
    ->Unit(benchmark::kMillisecond);

void BM_LiteralSpreadSlopes(benchmark::State& state) {
    PlatformBounds pb;
    for (auto _ : state) {
        state.PauseTiming();
        SeedBounds(pb);
        state.ResumeTiming();
        for (const auto& d : SpreadDirections()) {
            LiteralSpread(pb.platLower.data(), kN, d.dx, d.dy, pb.downStep, true);
            LiteralSpread(pb.platUpper.data(), kN, d.dx, d.dy, pb.upStep, false);
        }
        benchmark::DoNotOptimize(pb.platUpper.data());
    }
}
BENCHMARK(BM_LiteralSpreadSlopes)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
