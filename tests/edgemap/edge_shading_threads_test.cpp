#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "tests/edgemap/scene_fixture.h"

// Threads race to build each node's edge data on first use.
TEST(EdgeShadingThreads, ManyThreadsFillTheCacheAndAgreeWithOne) {
    NodeTable scene;
    std::vector<INode*> nodes;
    for (int i = 0; i < 12; ++i) nodes.push_back(scene.Add(FlatGrid(3 + i % 5, 0.5f + 0.1f * i)));
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> u(0.0f, 3.0f);
    std::vector<Point3> points;
    for (int i = 0; i < 6000; ++i) points.emplace_back(u(rng), u(rng), 0.0f);
    GradientEdge* shared = NewEdgeMap(0.7f);
    using Shaded = std::pair<AColor, Point3>;
    auto shade = [&](std::size_t i) {
        PointShade sc(nodes[i % nodes.size()], points[i]);
        return Shaded(shared->EvalColor(sc), shared->EvalNormalPerturb(sc));
    };

    std::vector<Shaded> expected; // shaded by one thread
    for (std::size_t i = 0; i < points.size(); ++i) expected.push_back(shade(i));
    for (int round = 0; round < 3; ++round) {
        Reread(shared); // empties the cache
        std::vector<Shaded> got(points.size());
        std::vector<std::thread> pool;
        for (std::size_t t = 0; t < 8; ++t)
            pool.emplace_back([&, t] {
                for (std::size_t i = t; i < points.size(); i += 8) got[i] = shade(i);
            });
        for (std::thread& t : pool) t.join();
        ASSERT_TRUE(got == expected) << round;
        EXPECT_EQ(shared->distanceCache.size(), nodes.size());
    }
    shared->DeleteThis();
}
