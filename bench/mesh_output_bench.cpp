// Mesh output on a meshed landscape grid of 1025 x 1025 nodes (ten fitting
// levels): the whole stage with and without inserts, the triangulation alone,
// the two face look-ups, indexed against the literal walks, and the height
// lookup built over the mesh. Before timing,
// the indexed look-ups are checked against the walks on the same queries.
//   mesh_output_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "tests/reference/literal_lookup_tree.h"
#include "tests/reference/literal_lookups.h"
#include "tests/support/terrain_generators.h"
#include "geometry/face_index.h"
#include "geometry/surface_lookup.h"
#include "geometry/worker_pool.h"
#include "tests/support/stage_parts.h"
#include "geometry/triangulate.h"
#include "host/sdk/mesh.h"

namespace {

constexpr int kGridNodes = 1025;
constexpr int kQueries = 1000;

void AddOutline(StageParts& b, const std::vector<Point2>& pts, bool closed, int type,
                bool split, int id) {
    InsertOutline o;
    o.pointCount = static_cast<int>(pts.size());
    o.points = std::make_unique<Point2[]>(pts.size());
    std::copy(pts.begin(), pts.end(), o.points.get());
    o.closed = closed;
    o.type = type;
    o.split = split;
    o.insertId = id;
    b.insertOutlines.Append(std::move(o));
}

std::vector<Point2> Circle(float cx, float cy, float r, int n) {
    std::vector<Point2> pts;
    for (int i = 0; i < n; ++i) {
        const float a = 6.2831855f * static_cast<float>(i) / static_cast<float>(n);
        pts.push_back(Point2(cx + r * std::cos(a), cy + r * std::sin(a)));
    }
    return pts;
}

// One of each insert kind: outline only, paint, hole, split, and an open road.
void AddInserts(StageParts& b) {
    AddOutline(b, Circle(300, 350, 80, 48), true, 0, false, 3);
    AddOutline(b, Circle(650, 600, 120, 64), true, 1, false, 4);
    AddOutline(b, Circle(700, 250, 50, 32), true, 2, false, 5);
    AddOutline(b, Circle(420, 720, 60, 40), true, 0, true, 6);
    std::vector<Point2> road;
    for (int i = 0; i <= 60; ++i)
        road.push_back(Point2(150.0f + 12.0f * i, 500.0f + 80.0f * std::sin(i * 0.15f)));
    AddOutline(b, road, false, 0, true, 7);
}

// The meshed landscape, made once for every benchmark.
StageParts& Landscape() {
    static StageParts* b = [] {
        auto* s = new StageParts();
        terrain::FillGrid(*s, terrain::Kind::Contours, kGridNodes);
        terrain::MeshTerrain(*s);
        return s;
    }();
    return *b;
}

std::vector<Point2> RandomPoints(int n) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> c(0.0f, terrain::Side);
    std::vector<Point2> pts;
    for (int i = 0; i < n; ++i) pts.push_back(Point2(c(rng), c(rng)));
    return pts;
}

// Random vertex pairs that are face sides, and as many that are not.
std::vector<std::pair<int, int>> EdgeQueries(const Mesh& mesh) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> face(0, mesh.numFaces - 1), side(0, 2),
        vert(0, mesh.numVerts - 1);
    std::vector<std::pair<int, int>> q;
    for (int i = 0; i < kQueries / 2; ++i) {
        const Face& f = mesh.faces[face(rng)];
        const int k = side(rng);
        q.push_back({int(f.v[(k + 1) % 3]), int(f.v[k])});
        q.push_back({vert(rng), vert(rng)});
    }
    return q;
}

Mesh FrontMesh() {
    Mesh mesh;
    StageParts& b = Landscape();
    b.insertOutlines.Reset(10);
    b.WriteTerrainMesh(mesh, Matrix3(1));
    return mesh;
}

void BM_WriteTerrainMesh(benchmark::State& state) {
    StageParts& b = Landscape();
    b.insertOutlines.Reset(10);
    if (state.range(0)) AddInserts(b);
    Mesh mesh;
    for (auto _ : state) {
        b.WriteTerrainMesh(mesh, Matrix3(1));
        benchmark::DoNotOptimize(mesh.numFaces);
    }
    state.counters["front_faces"] = b.front.faces.count();
    state.counters["mesh_faces"] = mesh.numFaces;
    b.insertOutlines.Reset(10);
}
BENCHMARK(BM_WriteTerrainMesh)->Arg(0)->Arg(1)->ArgName("inserts")->Unit(benchmark::kMillisecond);

void BM_Triangulate(benchmark::State& state) {
    StageParts& b = Landscape();
    std::vector<REAL> pts;
    for (int i = 0; i < b.front.vertices.count(); ++i) {
        pts.push_back(b.front.vertices[i].pos.x);
        pts.push_back(b.front.vertices[i].pos.y);
    }
    triangulateio in{};
    in.pointlist = pts.data();
    in.numberofpoints = b.front.vertices.count();
    for (auto _ : state) {
        triangulateio out{};
        out.numberofcorners = 3;
        if (triangulate("zpqcQ", &in, &out, nullptr) != kTriangulateOk)
            state.SkipWithError("failed");
        state.counters["triangles"] = out.numberoftriangles;
        ReleaseTriangulateIO(&out);
    }
    state.counters["points"] = in.numberofpoints;
}
BENCHMARK(BM_Triangulate)->Unit(benchmark::kMillisecond);

void BM_MatIdAt(benchmark::State& state) {
    const StageParts& b = Landscape();
    const std::vector<Point2> queries = RandomPoints(kQueries);
    const bool indexed = state.range(0) != 0;
    for (auto _ : state)
        for (const Point2& p : queries)
            benchmark::DoNotOptimize(indexed ? b.MatIdAt(p) : literal::MatIdAt(b, p));
    state.SetItemsProcessed(state.iterations() * kQueries);
}
BENCHMARK(BM_MatIdAt)->Arg(0)->Arg(1)->ArgName("indexed")->Unit(benchmark::kMicrosecond);

void BM_FindMeshEdge(benchmark::State& state) {
    static const Mesh mesh = FrontMesh();
    const auto queries = EdgeQueries(mesh);
    const bool indexed = state.range(0) != 0;
    for (auto _ : state) {
        if (indexed) {
            // The index is built per use, as the stage does.
            const MeshEdgeIndex index(mesh);
            for (auto [a, c] : queries) benchmark::DoNotOptimize(index.FindMeshEdge(a, c));
        } else {
            for (auto [a, c] : queries) benchmark::DoNotOptimize(literal::FindMeshEdge(mesh, a, c));
        }
    }
    state.SetItemsProcessed(state.iterations() * kQueries);
}
BENCHMARK(BM_FindMeshEdge)->Arg(0)->Arg(1)->ArgName("indexed")->Unit(benchmark::kMicrosecond);

// The height lookup over the front mesh: patches and tree on one and two
// threads; threads:0 is the literal depth-first tree alone, on patches built
// once.
void BM_SurfaceLookup(benchmark::State& state) {
    static const Mesh mesh = FrontMesh();
    const int threads = static_cast<int>(state.range(0));
    WorkerPool pool(std::max(threads, 1));
    SurfaceLookup lookup;
    lookup.BuildSurfaceLookup(mesh);
    for (auto _ : state) {
        if (threads == 0) {
            auto tree = literal::BuildLookupTree(lookup, mesh.verts.data(), mesh.numVerts);
            benchmark::DoNotOptimize(tree.get());
        } else {
            lookup.BuildSurfaceLookup(mesh, &pool);
            benchmark::DoNotOptimize(lookup.root.get());
        }
    }
    state.counters["faces"] = mesh.numFaces;
}
BENCHMARK(BM_SurfaceLookup)->Arg(0)->Arg(1)->Arg(2)->ArgName("threads")->Unit(benchmark::kMillisecond);

// The answers at scale, before any timing.
bool SameAnswers() {
    const StageParts& b = Landscape();
    for (const Point2& p : RandomPoints(kQueries))
        if (b.MatIdAt(p) != literal::MatIdAt(b, p)) {
            std::fprintf(stderr, "MatIdAt differs at %g, %g\n", p.x, p.y);
            return false;
        }
    const Mesh mesh = FrontMesh();
    const MeshEdgeIndex index(mesh);
    for (auto [a, c] : EdgeQueries(mesh))
        if (index.FindMeshEdge(a, c) != literal::FindMeshEdge(mesh, a, c)) {
            std::fprintf(stderr, "FindMeshEdge differs for %d-%d\n", a, c);
            return false;
        }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!SameAnswers()) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
