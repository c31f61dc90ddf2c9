#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "host/sdk/mnmesh.h"
#include "tests/edgemap/scene_fixture.h"

namespace {

// A square of side 2 as two triangles: a rim of length 8 and the diagonal 0-3.
// Its face normals need normalising.
Mesh Square(DWORD s0 = 1, DWORD s1 = 1, MtlID m0 = 0, MtlID m1 = 0) {
    Mesh m = FlatGrid(1, 2.0f);
    m.faces[0].setSmGroup(s0);
    m.faces[1].setSmGroup(s1);
    m.faces[0].setMatID(m0);
    m.faces[1].setMatID(m1);
    return m;
}

// Total length of the chosen edges, which tells which edges were chosen.
float ChosenLength(Mesh mesh, const EdgeCriteria& c, bool poly) {
    EdgeDistanceData d;
    d.criteria = c;
    MNMesh mn(mesh);
    poly ? d.ChooseEdges(mn) : d.ChooseEdges(mesh);
    float sum = 0.0f;
    for (const EdgeSegment& s : d.segments) sum += Length(s.b - s.a);
    return sum;
}

// Distance to the nearest segment, each measured to its closest point.
float BruteNearest(const std::vector<EdgeSegment>& segs, const Point3& p) {
    float best = NO_EDGE_DISTANCE;
    for (const EdgeSegment& s : segs) {
        Point3 ab = s.b - s.a;
        float t = std::clamp(DotProd(p - s.a, ab) / LengthSquared(ab), 0.0f, 1.0f);
        best = std::min(best, Length(p - (s.a + ab * t)));
    }
    return best;
}

} // namespace

TEST(EdgeChoice, CriteriaOnTriangleAndPolygonMeshes) {
    const float rim = 8.0f, diagonal = 2.0f * std::sqrt(2.0f);
    const float right = std::acos(0.0f), justOver = std::nextafter(right, 4.0f);
    Mesh picked = Square();
    picked.edgeSel.Set(0); // side 0-1 of face 0, on the rim
    picked.edgeSel.Set(2); // side 3-0 of face 0, the diagonal
    // Two faces meeting at a right angle along the diagonal, of length sqrt 2.
    Mesh fold = FlatGrid(1);
    fold.verts[2] = Point3(0.5f, 0.5f, 1.0f);
    const EdgeCriteria ids01{.matId = true, .matIdType = 0, .matIdRange = true, .matId2 = 1};
    struct Case {
        const char* what;
        Mesh mesh;
        EdgeCriteria c;
        float length;
    } cases[] = {
        {"every edge", Square(), {}, rim + diagonal},
        {"open", Square(), {.openEdges = true}, rim},
        {"selected and open", picked, {.selectionOnly = true, .openEdges = true, .combine = 0}, 2},
        {"smooth groups equal", Square(1, 3), {.smooth = true, .smoothType = 0}, diagonal},
        {"smooth groups differ", Square(1, 2), {.smooth = true}, diagonal},
        {"ids match the range", Square(1, 1, 0, 1), ids01, diagonal},
        {"coplanar", Square(), {.angle = 0.1f, .coplanar = true}, diagonal},
        {"fold at the angle", fold, {.angle = right, .coplanar = true}, 0},
        {"fold within the angle", fold, {.angle = justOver, .coplanar = true}, std::sqrt(2.0f)},
    };
    for (bool poly : {false, true})
        for (const Case& k : cases)
            EXPECT_NEAR(ChosenLength(k.mesh, k.c, poly), k.length, 1e-5f)
                << k.what << (poly ? ", polygon mesh" : ", triangle mesh");

    // Triangle meshes offer only their visible edges.
    Mesh hidden = Square();
    hidden.faces[0].setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_INVIS);
    hidden.faces[1].setEdgeVisFlags(EDGE_INVIS, EDGE_VIS, EDGE_VIS);
    EXPECT_FLOAT_EQ(ChosenLength(hidden, {}, false), rim);
}

TEST(EdgeChoice, RulesOnEdgeFacts) {
    const Point3 up(0, 0, 1), tilt(0.0f, std::sin(0.4f), std::cos(0.4f));
    // Face conditions fail on open edges, and a not-a-number angle fails.
    EXPECT_FALSE(EdgeChosen({.smooth = true}, {.open = true, .n0 = {}, .n1 = {}}));
    EXPECT_FALSE(EdgeChosen({.angle = std::nanf(""), .coplanar = true}, {.n0 = up, .n1 = tilt}));

    // Ids 0 and 1 as a range: Equals takes the pair either way round. Difference
    // holds when either crossed pair differs, so only faces that both carry one of
    // the two ids fail it.
    struct Ids {
        int m0, m1;
        bool rangeEqual, rangeDiffer;
    } ids[] = {{0, 1, true, true},   {1, 0, true, true},   {0, 2, false, true},
               {0, 0, false, false}, {1, 1, false, false}, {2, 3, false, true}};
    for (const Ids& k : ids) {
        EdgeFacts e{.n0 = up, .n1 = up, .mat0 = k.m0, .mat1 = k.m1};
        EdgeCriteria c{.matId = true, .matIdType = 0, .matId2 = 1};
        EXPECT_EQ(EdgeChosen(c, e), k.m0 == k.m1) << k.m0 << "," << k.m1;
        c.matIdType = 1;
        EXPECT_EQ(EdgeChosen(c, e), k.m0 != k.m1) << k.m0 << "," << k.m1;
        c.matIdRange = true;
        EXPECT_EQ(EdgeChosen(c, e), k.rangeDiffer) << k.m0 << "," << k.m1;
        c.matIdType = 0;
        EXPECT_EQ(EdgeChosen(c, e), k.rangeEqual) << k.m0 << "," << k.m1;
    }
}

TEST(EdgeGrid, MatchesBruteForceOnRandomSegments) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> coord(-50.0f, 50.0f), step(-4.0f, 4.0f);
    std::uniform_real_distribution<float> probe(-60.0f, 60.0f);
    for (int trial = 0; trial < 6; ++trial) {
        EdgeDistanceData data;
        data.cellMultiplier = 1 + trial % 3;
        data.criteria.distance = trial < 3 ? 0.5f : 12.0f;
        for (int i = 0; i < 400; ++i) {
            Point3 a(coord(rng), coord(rng), coord(rng) * 0.1f);
            data.AddSegment(a, a + Point3(step(rng), step(rng), step(rng)));
        }
        data.BuildGrid();
        ASSERT_GT(data.cells.size(), 1u);
        for (int q = 0; q < 3000; ++q) {
            Point3 p(probe(rng), probe(rng), probe(rng) * 0.1f);
            Point3 near;
            float g = data.NearestEdgeDistance(p, near);
            float b = BruteNearest(data.segments, p);
            // Past the last row a point has no cell, and right of the last column
            // its cell index runs into the next row.
            if (p.x >= data.origin.x + data.columns * data.cellSize ||
                p.y >= data.origin.y + data.rows * data.cellSize)
                continue;
            // Within one cell the grid must find the true nearest edge; beyond,
            // anything it answers is at least as far.
            if (b < data.cellSize) {
                ASSERT_NEAR(g, b, 1e-4f) << trial << " " << q;
                ASSERT_NEAR(Length(near - p), g, 1e-4f);
            } else {
                ASSERT_GE(g, data.cellSize);
            }
        }
    }
}

TEST(EdgeGrid, CellSizeAndPointsOutside) {
    EdgeDistanceData data;
    data.cellMultiplier = 2;
    data.AddSegment(Point3(0.0f, 0.0f, 0.0f), Point3(1.0f, 0.0f, 0.0f));
    data.AddSegment(Point3(5.0f, 5.0f, 0.0f), Point3(5.0f, 7.0f, 0.0f));
    data.BuildGrid();
    EXPECT_FLOAT_EQ(data.cellSize, 3.0f); // the mean length times the multiplier
    EXPECT_EQ(data.columns, 2);
    EXPECT_EQ(data.rows, 3);
    // Below or above the rows, however far, there is no cell.
    Point3 near;
    for (float y : {-3.5f, 9.5f, -3e30f})
        EXPECT_EQ(data.NearestEdgeDistance(Point3(1.0f, y, 0.0f), near), NO_EDGE_DISTANCE) << y;
}
