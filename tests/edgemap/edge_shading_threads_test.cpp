#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "edgemap/gradient_edge.h"
#include "tests/edgemap/scene_fixture.h"

namespace {

GradientEdge* NewMap(float distance) {
    auto* map =
        static_cast<GradientEdge*>(static_cast<Animatable*>(GetGradientEdgeDesc()->Create(FALSE)));
    map->pblock->SetValue(ge_distance, 0, distance);
    map->pblock->SetValue(ge_open_edges, 0, 1);
    Interval valid = FOREVER;
    map->Update(0, valid);
    return map;
}

struct Sample {
    INode* node;
    Point3 p;
};

std::vector<AColor> ShadeAll(GradientEdge* map, const std::vector<Sample>& samples, int threads) {
    std::vector<AColor> out(samples.size());
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < samples.size();) {
            PointShade sc(samples[i].node, samples[i].p);
            out[i] = map->EvalColor(sc);
        }
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(work);
    for (std::thread& t : pool) t.join();
    return out;
}

} // namespace

TEST(EdgeShadingThreads, ManyThreadsFillTheCacheAndAgreeWithOne) {
    NodeTable scene;
    std::vector<INode*> nodes;
    for (int i = 0; i < 12; ++i) nodes.push_back(scene.Add(FlatGrid(3 + i % 5, 0.5f + 0.1f * i)));

    std::mt19937 rng(3);
    std::uniform_real_distribution<float> u(0.0f, 3.0f);
    std::vector<Sample> samples;
    for (int i = 0; i < 6000; ++i)
        samples.push_back({nodes[i % nodes.size()], Point3(u(rng), u(rng), 0.0f)});

    GradientEdge* single = NewMap(0.7f);
    std::vector<AColor> expected = ShadeAll(single, samples, 1);
    GradientEdge* shared = NewMap(0.7f);
    for (int round = 0; round < 3; ++round) {
        std::vector<AColor> got = ShadeAll(shared, samples, 8);
        ASSERT_EQ(got, expected) << round;
        EXPECT_EQ(shared->distanceCache.size(), nodes.size());
        Interval valid = FOREVER;
        shared->Update(0, valid); // empties the cache for the next round
    }
    single->DeleteThis();
    shared->DeleteThis();
}
