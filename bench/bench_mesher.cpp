// Faces per second of the advancing front (seed, front, two ID passes) for
// meshes of about 10 thousand, 100 thousand and a million faces. The sizes are
// forced through the constants: a flat grid with no growth allowance gives a
// uniform wanted edge of N x cellSize x MaxEdgeFactor everywhere.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cmath>
#include <cstring>

#include "tests/reference/literal_front_scan.h"
#include "tests/support/terrain_generators.h"
#include "geometry/tuning_constants.h"

namespace {

// Equilateral triangles of side L cover the square with about 4 A / (sqrt 3 L^2) faces.
void UniformFlatField(StageParts& b, double faces) {
    terrain::FillGrid(b, terrain::Kind::Flat, 257);
    const double side = b.grid.gridSize * static_cast<double>(b.grid.cellSize);
    const double edge = std::sqrt(4.0 * side * side / (std::sqrt(3.0) * faces));
    b.tuning.MaxEdgeFactor = static_cast<float>(edge / side);
    b.tuning.SizeGrowthFactor = 0.0f;
    b.BuildSizeField();
}

template <bool Literal> void BM_Mesher(benchmark::State& state) {
    StageParts b;
    UniformFlatField(b, static_cast<double>(state.range(0)));
    for (auto _ : state) {
        b.StartFront();
        if constexpr (Literal) {
            while (LiteralAdvanceFront(b)) {
            }
        } else {
            while (b.AdvanceFront()) {
            }
        }
        b.SmoothFaceIds();
        b.SmoothFaceIds();
        benchmark::DoNotOptimize(b.front.faces.data());
    }
    state.counters["faces"] = b.front.faces.count();
    state.counters["faces/s"] =
        benchmark::Counter(b.front.faces.count(), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Mesher<false>)
    ->Name("BM_Mesher")
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
// The literal scan for comparison: quadratic, so only the smallest size.
BENCHMARK(BM_Mesher<true>)->Name("BM_MesherLiteralScan")->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

// With --retain-memory the allocator keeps freed blocks (no trimming, no
// mapping of large blocks), so repeated builds stop paying the kernel for fresh
// zeroed pages; the difference is the cost of growing the record arrays.
int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--retain-memory") == 0) {
            mallopt(M_MMAP_THRESHOLD, 1 << 30);
            mallopt(M_TRIM_THRESHOLD, -1);
            for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
            --argc;
            break;
        }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
