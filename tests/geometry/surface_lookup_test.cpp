#include "geometry/surface_lookup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <vector>

namespace {

// An n x n grid of unit cells with jittered inner vertices, two counter-clockwise
// triangles per cell, heights from f.
struct GridMesh {
    std::vector<Point3> verts;
    std::vector<std::int32_t> corners;
    int n = 0;

    GridMesh(int cells, const std::function<float(float, float)>& f, float jitter = 0.25f) {
        n = cells;
        std::mt19937 rng(7);
        std::uniform_real_distribution<float> d(-jitter, jitter);
        for (int j = 0; j <= n; ++j) {
            for (int i = 0; i <= n; ++i) {
                const bool inner = i > 0 && j > 0 && i < n && j < n;
                const float x = static_cast<float>(i) + (inner ? d(rng) : 0.0f);
                const float y = static_cast<float>(j) + (inner ? d(rng) : 0.0f);
                verts.emplace_back(x, y, f(x, y));
            }
        }
        auto id = [&](int i, int j) { return j * (n + 1) + i; };
        for (int j = 0; j < n; ++j) {
            for (int i = 0; i < n; ++i) {
                corners.insert(corners.end(), {id(i, j), id(i + 1, j), id(i + 1, j + 1)});
                corners.insert(corners.end(), {id(i, j), id(i + 1, j + 1), id(i, j + 1)});
            }
        }
    }
    int Faces() const { return static_cast<int>(corners.size() / 3); }
    void Build(SurfaceLookup& s) const {
        s.BuildFromTriangles(verts.data(), static_cast<int>(verts.size()), corners.data(), Faces());
    }
    Point3 V(int face, int k) const {
        return verts[static_cast<std::size_t>(corners[3 * face + k])];
    }
};

float Hill(float x, float y) {
    return 2.0f * std::sin(0.7f * x) * std::cos(0.5f * y) + 0.1f * x;
}

float Lookup(const SurfaceLookup& s, float x, float y) {
    float h = -999.0f;
    s.SurfaceHeight(Point2(x, y), h);
    return h;
}

// The lookup without its tree: every patch in face order, the last covering one wins.
float LiteralLookup(const SurfaceLookup& s, const Point2& p, float h) {
    for (int i = 0; i < s.patchCount; ++i) {
        const SurfacePatch& patch = s.patches[static_cast<std::size_t>(i)];
        if (!patch.usable) continue;
        float u, v, w;
        patch.Local(p, u, v, w);
        if (u >= 0.0f && v >= 0.0f && w >= 0.0f) h = patch.Evaluate(u, v, w);
    }
    return h;
}

} // namespace

TEST(SurfaceLookup, PatchesMeetTheirCornersAndEachOther) {
    const GridMesh m(8, Hill);
    SurfaceLookup s;
    m.Build(s);
    ASSERT_EQ(s.patchCount, m.Faces());

    for (int f = 0; f < m.Faces(); ++f) {
        const Point3 g = (m.V(f, 0) + m.V(f, 1) + m.V(f, 2)) / 3.0f;
        for (int k = 0; k < 3; ++k) {
            const Point3 c = m.V(f, k);
            const Point3 p = c + (g - c) * 1e-4f;
            EXPECT_NEAR(Lookup(s, p.x, p.y), c.z, 2e-3f) << "face " << f << " corner " << k;
        }
    }

    // Along the diagonal edge of every cell, both neighbouring patches agree.
    for (int f = 0; f < m.Faces(); f += 2) {
        const Point3 a = m.V(f, 0), b = m.V(f, 2);
        const Point2 side = Normalize(Point2(-(b - a).y, (b - a).x)) * 1e-4f;
        for (float t = 0.1f; t < 0.95f; t += 0.2f) {
            const Point3 q = a + (b - a) * t;
            const float left = Lookup(s, q.x + side.x, q.y + side.y);
            const float right = Lookup(s, q.x - side.x, q.y - side.y);
            EXPECT_NEAR(left, right, 2e-3f) << "face " << f << " t " << t;
        }
    }
}

TEST(SurfaceLookup, ReproducesAPlane) {
    auto plane = [](float x, float y) { return 0.3f * x - 0.2f * y + 5.0f; };
    const GridMesh m(6, plane, 0.3f);
    SurfaceLookup s;
    m.Build(s);
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> d(0.01f, 5.99f);
    for (int i = 0; i < 500; ++i) {
        const float x = d(rng), y = d(rng);
        EXPECT_NEAR(Lookup(s, x, y), plane(x, y), 1e-3f) << x << ", " << y;
    }
    EXPECT_NEAR(s.patches[0].planeA, 0.3f, 1e-4f);
    EXPECT_NEAR(s.patches[0].planeB, -0.2f, 1e-4f);
    EXPECT_NEAR(s.patches[0].planeC, 5.0f, 1e-4f);
}

TEST(SurfaceLookup, FollowsACurvedSurfaceCloserThanFlatFaces) {
    auto dome = [](float x, float y) {
        return 4.0f - 0.1f * ((x - 4) * (x - 4) + (y - 4) * (y - 4));
    };
    const GridMesh m(8, dome, 0.0f);
    SurfaceLookup s;
    m.Build(s);
    double smoothErr = 0.0, flatErr = 0.0;
    for (int f = 0; f < m.Faces(); ++f) {
        const Point3 g = (m.V(f, 0) + m.V(f, 1) + m.V(f, 2)) / 3.0f;
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
        float h = -999.0f;
        s.SurfaceHeight(p, h);
        ASSERT_EQ(h, LiteralLookup(s, p, -999.0f)) << p.x << ", " << p.y;
        if (h != -999.0f) ++inside;
    }
    EXPECT_GT(inside, 15000); // the box of the points is about 1.2 times the mesh's side
    EXPECT_LT(inside, 20000);
}

TEST(SurfaceLookup, PointOnACentreLineGoesToTheLowerChild) {
    const GridMesh m(8, Hill, 0.0f);
    SurfaceLookup s;
    m.Build(s);
    ASSERT_FALSE(s.root->IsLeaf());
    const Point2 c = s.root->centre;
    const QuadNode* onLine = s.LeafFor(c);
    EXPECT_LE(onLine->boxMax.x, c.x);
    EXPECT_LE(onLine->boxMax.y, c.y);
    const QuadNode* above = s.LeafFor(Point2(c.x + 1e-3f, c.y + 1e-3f));
    EXPECT_GE(above->boxMin.x, c.x);
    EXPECT_GE(above->boxMin.y, c.y);
}

TEST(SurfaceLookup, EmptyOrUncoveredLeavesTheHeightAlone) {
    SurfaceLookup s;
    EXPECT_EQ(Lookup(s, 0.5f, 0.5f), -999.0f);

    const GridMesh m(2, Hill);
    m.Build(s);
    EXPECT_EQ(Lookup(s, -0.5f, 1.0f), -999.0f);
    EXPECT_NE(Lookup(s, 1.0f, 1.0f), -999.0f);

    s.FreeSurfaceLookup();
    EXPECT_TRUE(s.Empty());
    EXPECT_EQ(Lookup(s, 1.0f, 1.0f), -999.0f);
}

TEST(SurfaceLookup, ASliverThroughABoxOverlapsIt) {
    // No corner of either lies inside the other; only the sides cross.
    const Point3 v[3] = {Point3(-10.0f, 0.4f, 0.0f), Point3(10.0f, 0.5f, 0.0f),
                         Point3(10.0f, 0.6f, 0.0f)};
    const std::int32_t c[3] = {0, 1, 2};
    SurfaceLookup s;
    s.BuildFromTriangles(v, 3, c, 1);
    EXPECT_TRUE(PatchOverlapsBox(s.patches[0], Point2(0.0f, 0.0f), Point2(1.0f, 1.0f)));
    EXPECT_FALSE(PatchOverlapsBox(s.patches[0], Point2(0.0f, 2.0f), Point2(1.0f, 3.0f)));
}
