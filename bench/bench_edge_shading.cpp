// Shaded samples per second of the edge-gradient map on a mesh of more than
// 100,000 edges, for one and two rendering threads; and the cost of building
// one node's edge cache.
#include <benchmark/benchmark.h>

#include <map>
#include <mutex>
#include <random>

#include "edgemap/gradient_edge.h"
#include "host/sdk/inode.h"
#include "host/sdk/interface.h"
#include "host/sdk/tri_object.h"

namespace {

constexpr int kSquares = 200; // 200 x 200 squares: 120,400 edges

class BenchInterface : public Interface {
public:
    INode* node = nullptr;
    BOOL ProgressStart(const MCHAR*, BOOL, LPTHREAD_START_ROUTINE, void*) override { return TRUE; }
    void ProgressUpdate(int, BOOL, const MCHAR*) override {}
    void ProgressEnd() override {}
    BOOL GetCancel() override { return FALSE; }
    void SetCancel(BOOL) override {}
    void RedrawViews(TimeValue, DWORD, void*) override {}
    INode* GetINodeByHandle(ULONG h) override {
        return node && node->GetHandle() == h ? node : nullptr;
    }
    INode* GetRootNode() override { return nullptr; }
    TimeValue GetTime() override { return 0; }
    void SetPickMode(PickModeCallback*) override {}
    void ClearPickMode() override {}
};

// A gently rolling terrain of kSquares^2 squares whose material IDs change in
// 10 x 10 patches, so material borders and the open rim count as edges.
Mesh Terrain() {
    const int n = kSquares;
    Mesh m;
    m.setNumVerts((n + 1) * (n + 1));
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x)
            m.setVert(y * (n + 1) + x, Point3(static_cast<float>(x), static_cast<float>(y),
                                              3.0f * std::sin(x * 0.05f) * std::cos(y * 0.04f)));
    m.setNumFaces(2 * n * n);
    int f = 0;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            int a = y * (n + 1) + x, b = a + 1, c = a + n + 2, d = a + n + 1;
            for (int t = 0; t < 2; ++t) {
                Face& face = m.faces[f++];
                if (t == 0)
                    face.setVerts(a, b, c);
                else
                    face.setVerts(a, c, d);
                face.setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_VIS);
                face.setSmGroup(1);
                face.setMatID(static_cast<MtlID>(((x / 10) + (y / 10)) % 3));
            }
        }
    return m;
}

class PointShade : public ShadeContext {
public:
    INode* node = nullptr;
    Point3 p;
    INode* Node() override { return node; }
    Point3 P() override { return p; }
};

struct Scene {
    BenchInterface ip;
    GradientEdge* map = nullptr;
    std::vector<Point3> samples;

    Scene() {
        SetCOREInterface(&ip);
        auto* tri = new TriObject;
        tri->GetMesh() = Terrain();
        ip.node = new INode;
        ip.node->SetObjectRef(tri);
        ip.node->EvalWorldState(0);
        map = static_cast<GradientEdge*>(
            static_cast<Animatable*>(GetGradientEdgeDesc()->Create(FALSE)));
        map->pblock->SetValue(ge_distance, 0, 4.0f);
        map->pblock->SetValue(ge_open_edges, 0, 1);
        map->pblock->SetValue(ge_matid, 0, 1);
        Interval valid = FOREVER;
        map->Update(0, valid);
        std::mt19937 rng(1);
        std::uniform_real_distribution<float> u(0.0f, static_cast<float>(kSquares));
        for (int i = 0; i < 1 << 16; ++i) samples.emplace_back(u(rng), u(rng), 0.0f);
        // The node's cache is built once, before any timed sample.
        map->GetEdgeData(ip.node->GetHandle(), 0);
    }
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

void BM_ShadedSamples(benchmark::State& state) {
    Scene& scene = TheScene();
    PointShade sc;
    sc.node = scene.ip.node;
    std::size_t i = static_cast<std::size_t>(state.thread_index()) * 7919;
    for (auto _ : state) {
        sc.ClearCache();
        sc.p = scene.samples[i++ & (scene.samples.size() - 1)];
        benchmark::DoNotOptimize(scene.map->EvalColor(sc));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ShadedSamples)->Threads(1)->Threads(2)->UseRealTime();

void BM_BuildEdgeCache(benchmark::State& state) {
    Scene& scene = TheScene();
    std::size_t edges = 0; // single-threaded: Update empties the cache
    for (auto _ : state) {
        Interval valid = FOREVER;
        scene.map->Update(0, valid);
        EdgeDistanceData* d = scene.map->GetEdgeData(scene.ip.node->GetHandle(), 0);
        edges = d->segments.size();
    }
    state.counters["chosen_edges"] = static_cast<double>(edges);
}
BENCHMARK(BM_BuildEdgeCache)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
