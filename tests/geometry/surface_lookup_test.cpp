#include "geometry/surface_lookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "tests/support/grid_mesh.h"

namespace {

float Hill(float x, float y) {
    return 2.0f * std::sin(0.7f * x) * std::cos(0.5f * y) + 0.1f * x;
}

float Lookup(const SurfaceLookup& s, float x, float y) {
    float h = -999.0f;
    s.SurfaceHeight(Point2(x, y), h);
    return h;
}

TEST(SurfaceLookup, ReproducesAPlaneAndBeatsFlatFacesOnADome) {
    auto plane = [](float x, float y) { return 0.3f * x - 0.2f * y + 5.0f; };
    const GridMesh flat(6, plane, 0.3f);
    SurfaceLookup s;
    flat.Build(s);
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> d(0.01f, 5.99f);
    for (int i = 0; i < 500; ++i) {
        const float x = d(rng), y = d(rng);
        EXPECT_NEAR(Lookup(s, x, y), plane(x, y), 1e-3f) << x << ", " << y;
    }

    auto dome = [](float x, float y) {
        return 4.0f - 0.1f * ((x - 4) * (x - 4) + (y - 4) * (y - 4));
    };
    const GridMesh round(8, dome, 0.0f);
    round.Build(s);
    double smoothErr = 0.0, flatErr = 0.0;
    for (int f = 0; f < round.Faces(); ++f) {
        const Point3 g = (round.V(f, 0) + round.V(f, 1) + round.V(f, 2)) / 3.0f;
        smoothErr += std::fabs(Lookup(s, g.x, g.y) - dome(g.x, g.y));
        flatErr += std::fabs(g.z - dome(g.x, g.y));
    }
    EXPECT_LT(smoothErr, 0.5 * flatErr);
}

TEST(SurfaceLookup, TreeAnswersAsAScanOfAllPatches) {
    const GridMesh m(20, Hill, 0.45f);
    SurfaceLookup s;
    m.Build(s);
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> d(-1.0f, 21.0f);
    int inside = 0;
    for (int i = 0; i < 20000; ++i) {
        const Point2 p(d(rng), d(rng));
        float h = -999.0f, scanned = -999.0f;
        s.SurfaceHeight(p, h);
        for (int f = 0; f < s.patchCount; ++f) { // in face order, the last covering one wins
            const SurfacePatch& patch = s.patches[static_cast<std::size_t>(f)];
            float u, v, w;
            patch.Local(p, u, v, w);
            if (patch.usable && u >= 0.0f && v >= 0.0f && w >= 0.0f)
                scanned = patch.Evaluate(u, v, w);
        }
        ASSERT_EQ(h, scanned) << p.x << ", " << p.y;
        inside += h != -999.0f;
    }
    EXPECT_GT(inside, 15000); // the points' box is about 1.2 times the mesh's side
    EXPECT_LT(inside, 20000);

    // A sliver through a box with no corner of either inside the other.
    const Point3 v[3] = {{-10.0f, 0.4f, 0.0f}, {10.0f, 0.5f, 0.0f}, {10.0f, 0.6f, 0.0f}};
    const std::int32_t c[3] = {0, 1, 2};
    s.BuildFromTriangles(v, 3, c, 1);
    EXPECT_TRUE(PatchOverlapsBox(s.patches[0], Point2(0.0f, 0.0f), Point2(1.0f, 1.0f)));
    EXPECT_FALSE(PatchOverlapsBox(s.patches[0], Point2(0.0f, 2.0f), Point2(1.0f, 3.0f)));
}

struct TreeSize {
    std::size_t nodes = 0, refs = 0, largestLeaf = 0;
};

TreeSize Measure(const QuadNode* root) {
    TreeSize t;
    std::vector<const QuadNode*> todo{root};
    while (!todo.empty()) {
        const QuadNode* n = todo.back();
        todo.pop_back();
        ++t.nodes;
        t.refs += n->patchRefs.size();
        t.largestLeaf = std::max(t.largestLeaf, n->patchRefs.size());
        for (const auto& c : n->child)
            if (c) todo.push_back(c.get());
    }
    return t;
}

// The height of the last patch covering p, found by scanning them all.
float Scanned(const SurfaceLookup& s, const Point2& p) {
    float h = -999.0f;
    for (int f = 0; f < s.patchCount; ++f) {
        const SurfacePatch& patch = s.patches[static_cast<std::size_t>(f)];
        float u, v, w;
        patch.Local(p, u, v, w);
        if (patch.usable && u >= 0.0f && v >= 0.0f && w >= 0.0f) h = patch.Evaluate(u, v, w);
    }
    return h;
}

TEST(SurfaceLookup, TreeKeepsToItsBudgetOnDegenerateMeshes) {
    SurfaceLookup s;
    auto withinBudget = [&s](const char* what) {
        const TreeSize t = Measure(s.root.get());
        EXPECT_LE(t.nodes, LookupNodeBudget(s.patchCount)) << what;
        EXPECT_LE(t.refs, LookupRefBudget(s.patchCount)) << what;
        return t;
    };

    // Every face piled on one point (a node scaled to nothing): no split separates them.
    GridMesh piled(30, Hill);
    for (Point3& v : piled.verts) v = Point3(5.0f, 5.0f, v.z);
    piled.Build(s);
    EXPECT_EQ(withinBudget("piled").nodes, 1u);

    // The same mesh scaled far beyond what single precision can subtract.
    GridMesh huge(30, Hill);
    for (Point3& v : huge.verts) v = v * 1.0e30f;
    huge.Build(s);
    withinBudget("scaled by 1e30");

    // One vertex thrown to 3e38: the faces around it span the whole box, the
    // others sit in one corner; heights away from the outlier stay right.
    GridMesh outlier(30, Hill, 0.3f);
    outlier.verts[static_cast<std::size_t>(31 * 15 + 15)] = Point3(3.0e38f, 3.0e38f, 0.0f);
    outlier.Build(s);
    withinBudget("outlier");
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> d(0.0f, 10.0f);
    int answered = 0;
    for (int i = 0; i < 2000; ++i) {
        const Point2 p(d(rng), d(rng));
        float h = -999.0f;
        s.SurfaceHeight(p, h);
        ASSERT_EQ(h, Scanned(s, p)) << p.x << ", " << p.y;
        answered += h != -999.0f;
    }
    EXPECT_GT(answered, 1900);

    // An ordinary mesh still gets a tree that separates its faces.
    GridMesh(40, Hill, 0.4f).Build(s);
    const TreeSize t = withinBudget("ordinary");
    EXPECT_GT(t.nodes, 100u);
    EXPECT_LE(t.largestLeaf, 24u);
}

TEST(SurfaceLookup, EmptyUncoveredOrUndefinedLeavesTheHeightAlone) {
    SurfaceLookup s;
    EXPECT_EQ(Lookup(s, 0.5f, 0.5f), -999.0f);
    GridMesh(2, Hill).Build(s);
    EXPECT_EQ(Lookup(s, -0.5f, 1.0f), -999.0f);
    EXPECT_EQ(Lookup(s, NAN, 1.0f), -999.0f);
    EXPECT_NE(Lookup(s, 1.0f, 1.0f), -999.0f);
    s.FreeSurfaceLookup();
    EXPECT_EQ(Lookup(s, 1.0f, 1.0f), -999.0f);

    // A face standing upright has no extent in x, y: it never answers.
    const Point3 wall[3] = {{0, 0, 0}, {2, 2, 0}, {1, 1, 5}};
    const std::int32_t c[3] = {0, 1, 2};
    s.BuildFromTriangles(wall, 3, c, 1);
    for (Point2 p : {Point2(0.2f, 0.3f), Point2(1.0f, 1.0f)})
        EXPECT_EQ(Lookup(s, p.x, p.y), -999.0f);
}

} // namespace
