// The height lookup's tree, built on pools of several sizes, against the
// plain depth-first build: node for node the same boxes, children and patch
// lists, on ordinary, overlapping and degenerate meshes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "geometry/surface_lookup.h"
#include "geometry/worker_pool.h"
#include "tests/reference/literal_lookup_tree.h"
#include "tests/support/grid_mesh.h"

namespace {

using Triangles = GridMesh;

Triangles Grid(int n, float jitter, unsigned seed) {
    return GridMesh(n, [](float x, float y) { return std::sin(0.3f * x) * std::cos(0.2f * y); }, jitter,
                    seed);
}

// Triangles of every size thrown over a square, overlapping each other.
Triangles Soup(int faces, float side, unsigned seed) {
    Triangles t;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> at(0.0f, side), size(0.0f, 1.0f);
    for (int f = 0; f < faces; ++f) {
        const float x = at(rng), y = at(rng), r = side * std::pow(size(rng), 6.0f);
        for (int k = 0; k < 3; ++k) {
            t.corners.push_back(static_cast<std::int32_t>(t.verts.size()));
            t.verts.emplace_back(x + r * size(rng), y + r * size(rng), size(rng));
        }
    }
    return t;
}

void ExpectSameTree(const QuadNode* got, const QuadNode* want, const SurfaceLookup& s,
                    const std::string& where, int& nodes) {
    ++nodes;
    ASSERT_EQ(got->boxMin.x, want->boxMin.x) << where;
    ASSERT_EQ(got->boxMin.y, want->boxMin.y) << where;
    ASSERT_EQ(got->boxMax.x, want->boxMax.x) << where;
    ASSERT_EQ(got->boxMax.y, want->boxMax.y) << where;
    ASSERT_EQ(got->centre.x, want->centre.x) << where;
    ASSERT_EQ(got->centre.y, want->centre.y) << where;
    ASSERT_EQ(got->IsLeaf(), want->IsLeaf()) << where;
    ASSERT_EQ(got->refCount, want->refCount) << where;
    ASSERT_EQ(got->patchRefs.size(), want->patchRefs.size()) << where;
    for (std::size_t i = 0; i < got->patchRefs.size(); ++i)
        ASSERT_EQ(got->patchRefs[i] - s.patches.get(), want->patchRefs[i] - s.patches.get())
            << where << " ref " << i;
    for (int q = 0; q < 4 && !got->IsLeaf(); ++q)
        ExpectSameTree(got->child[q].get(), want->child[q].get(), s, where + char('0' + q), nodes);
}

void ExpectLiteralTree(const Triangles& t, const char* what) {
    for (int threads : {1, 2, 3}) {
        WorkerPool pool(threads);
        SurfaceLookup s;
        s.BuildFromTriangles(t.verts.data(), static_cast<int>(t.verts.size()), t.corners.data(),
                             t.Faces(), threads == 1 ? nullptr : &pool);
        const auto want =
            literal::BuildLookupTree(s, t.verts.data(), static_cast<int>(t.verts.size()));
        int nodes = 0;
        ExpectSameTree(s.root.get(), want.get(), s,
                       std::string(what) + " threads " + std::to_string(threads) + " node r",
                       nodes);
        EXPECT_GT(nodes, 1) << what;
    }
}

TEST(LookupTreeThreads, SameTreeAsTheDepthFirstBuild) {
    ExpectLiteralTree(Grid(70, 0.45f, 3), "grid");
    ExpectLiteralTree(Soup(6000, 100.0f, 5), "soup");

    Triangles far = Grid(40, 0.3f, 7);
    for (Point3& v : far.verts) v = Point3(v.x + 3.0e5f, v.y - 2.0e5f, v.z);
    ExpectLiteralTree(far, "far from the origin");

    // One vertex thrown to 3e38: its faces span the box, the rest sit in a corner.
    Triangles outlier = Grid(40, 0.3f, 9);
    outlier.verts[41 * 20 + 20] = Point3(3.0e38f, 3.0e38f, 0.0f);
    ExpectLiteralTree(outlier, "outlier");
}

TEST(LookupTreeThreads, OverspentBudgetGivesTheDepthFirstTree) {
    // Long slivers crossing the whole box land in many quarters each: the
    // budget runs out, and which splits it still pays for depends on the
    // depth-first order.
    Triangles fan;
    std::mt19937 rng(13);
    std::uniform_real_distribution<float> d(0.0f, 1000.0f);
    for (int f = 0; f < 3000; ++f) {
        const float y0 = d(rng), y1 = d(rng);
        for (const Point3& v : {Point3(0.0f, y0, 0.0f), Point3(1000.0f, y1, 1.0f),
                                Point3(1000.0f, y1 + 0.01f * d(rng), 2.0f)}) {
            fan.corners.push_back(static_cast<std::int32_t>(fan.verts.size()));
            fan.verts.push_back(v);
        }
    }
    ExpectLiteralTree(fan, "slivers");
}

} // namespace
