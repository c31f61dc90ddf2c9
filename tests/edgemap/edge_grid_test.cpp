#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "edgemap/edge_distance.h"

namespace {

// The literal search: every segment, projection then both end points, strict comparisons.
float BruteNearest(const std::vector<EdgeSegment>& segs, const Point3& p, Point3& nearest) {
    float best = NO_EDGE_DISTANCE;
    for (const EdgeSegment& s : segs) {
        Point3 ab = s.b - s.a;
        float t = DotProd(p - s.a, ab) / LengthSquared(ab);
        if (t >= 0.0f && t <= 1.0f) {
            Point3 q = s.a + ab * t;
            if (Length(p - q) < best) best = Length(p - q), nearest = q;
        }
        if (Length(s.a - p) < best) best = Length(s.a - p), nearest = s.a;
        if (Length(s.b - p) < best) best = Length(s.b - p), nearest = s.b;
    }
    return best;
}

EdgeFacts Closed(Point3 n0, Point3 n1, DWORD s0, DWORD s1, int m0, int m1) {
    EdgeFacts e;
    e.n0 = n0;
    e.n1 = n1;
    e.smooth0 = s0;
    e.smooth1 = s1;
    e.mat0 = m0;
    e.mat1 = m1;
    return e;
}

const Point3 Up(0.0f, 0.0f, 1.0f);

} // namespace

TEST(EdgeChoice, EachCriterionAlone) {
    EdgeCriteria c;
    EdgeFacts plain = Closed(Up, Up, 1, 2, 0, 0);
    EXPECT_TRUE(EdgeChosen(c, plain)); // nothing switched on: every edge

    c.openEdges = true; // Or with open edges only
    EXPECT_FALSE(EdgeChosen(c, plain));
    EdgeFacts open;
    open.open = true;
    EXPECT_TRUE(EdgeChosen(c, open));

    c = {};
    c.smooth = true;
    c.smoothType = 0;
    EXPECT_TRUE(EdgeChosen(c, Closed(Up, Up, 1, 3, 0, 0))); // groups 1 and 3 share a bit
    c.smoothType = 1;
    EXPECT_FALSE(EdgeChosen(c, Closed(Up, Up, 1, 3, 0, 0)));
    EXPECT_TRUE(EdgeChosen(c, Closed(Up, Up, 1, 2, 0, 0)));
    open.smooth0 = open.smooth1 = 0; // open edges fail every face condition
    EXPECT_FALSE(EdgeChosen(c, open));

    c = {};
    c.coplanar = true;
    c.angle = 0.5f;
    Point3 tilted(0.0f, std::sin(0.5f), std::cos(0.5f));
    Point3 slight(0.0f, std::sin(0.4f), std::cos(0.4f));
    EXPECT_TRUE(EdgeChosen(c, Closed(Up, slight, 0, 0, 0, 0)));
    c.angle = std::acos(DotProd(Up, tilted)); // exactly at the threshold: not coplanar
    EXPECT_FALSE(EdgeChosen(c, Closed(Up, tilted, 0, 0, 0, 0)));
    c.angle = std::nanf("");
    EXPECT_FALSE(EdgeChosen(c, Closed(Up, slight, 0, 0, 0, 0)));

    c = {};
    c.selectionOnly = true;
    EdgeFacts sel = plain;
    sel.selected = true;
    EXPECT_TRUE(EdgeChosen(c, sel));
    EXPECT_FALSE(EdgeChosen(c, plain));
}

TEST(EdgeChoice, MaterialIdsPlainAndRange) {
    EdgeCriteria c;
    c.matId = true;
    c.matIdType = 0;
    EXPECT_TRUE(EdgeChosen(c, Closed(Up, Up, 0, 0, 4, 4)));
    EXPECT_FALSE(EdgeChosen(c, Closed(Up, Up, 0, 0, 4, 5)));
    c.matIdType = 1;
    EXPECT_TRUE(EdgeChosen(c, Closed(Up, Up, 0, 0, 4, 5)));

    c.matIdRange = true;
    c.matId1 = 0;
    c.matId2 = 1;
    c.matIdType = 0;
    EXPECT_TRUE(EdgeChosen(c, Closed(Up, Up, 0, 0, 0, 1)));
    EXPECT_TRUE(EdgeChosen(c, Closed(Up, Up, 0, 0, 1, 0)));
    EXPECT_FALSE(EdgeChosen(c, Closed(Up, Up, 0, 0, 0, 2)));
    // Difference holds when either crossed pair differs, so only faces that both
    // carry one of the two IDs fail it.
    c.matIdType = 1;
    EXPECT_FALSE(EdgeChosen(c, Closed(Up, Up, 0, 0, 0, 0)));
    EXPECT_FALSE(EdgeChosen(c, Closed(Up, Up, 0, 0, 1, 1)));
    EXPECT_TRUE(EdgeChosen(c, Closed(Up, Up, 0, 0, 0, 1)));
    EXPECT_TRUE(EdgeChosen(c, Closed(Up, Up, 0, 0, 0, 2)));
    EXPECT_TRUE(EdgeChosen(c, Closed(Up, Up, 0, 0, 2, 3)));
}

TEST(EdgeChoice, AndNeedsEveryEnabledCondition) {
    EdgeCriteria c;
    c.combine = 0;
    c.selectionOnly = true;
    c.openEdges = true;
    EdgeFacts e;
    for (int bits = 0; bits < 4; ++bits) {
        e.selected = bits & 1;
        e.open = bits & 2;
        EXPECT_EQ(EdgeChosen(c, e), bits == 3) << bits;
    }
    c.combine = 1;
    for (int bits = 0; bits < 4; ++bits) {
        e.selected = bits & 1;
        e.open = bits & 2;
        EXPECT_EQ(EdgeChosen(c, e), bits != 0) << bits;
    }
}

TEST(EdgeGrid, MatchesBruteForceOnRandomSegments) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> coord(-50.0f, 50.0f), step(-4.0f, 4.0f);
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
        std::uniform_real_distribution<float> probe(-60.0f, 60.0f);
        for (int q = 0; q < 3000; ++q) {
            Point3 p(probe(rng), probe(rng), probe(rng) * 0.1f);
            Point3 gridNear, bruteNear;
            float g = data.NearestEdgeDistance(p, gridNear);
            float b = BruteNearest(data.segments, p, bruteNear);
            // Past the last row a point has no cell, and right of the last column
            // its cell index runs into the next row.
            if (p.x >= data.origin.x + data.columns * data.cellSize ||
                p.y >= data.origin.y + data.rows * data.cellSize)
                continue;
            // Within one cell the grid must find the true nearest edge; beyond,
            // anything it answers is at least as far.
            if (b < data.cellSize) {
                ASSERT_EQ(g, b) << trial << " " << q;
                ASSERT_EQ(gridNear, bruteNear);
            } else {
                ASSERT_GE(g, data.cellSize);
            }
        }
    }
}

TEST(EdgeGrid, CellsAndOutsidePoints) {
    EdgeDistanceData data;
    data.criteria.distance = 0.1f;
    data.AddSegment(Point3(0.0f, 0.0f, 0.0f), Point3(4.0f, 0.0f, 0.0f));
    data.AddSegment(Point3(4.0f, 0.0f, 0.0f), Point3(4.0f, 4.0f, 0.0f));
    data.BuildGrid();
    // Mean length 4 times the default multiplier 1.
    EXPECT_FLOAT_EQ(data.cellSize, 4.0f);
    EXPECT_EQ(data.columns, 2);
    EXPECT_EQ(data.rows, 2);
    EXPECT_EQ(data.origin, Point3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(data.boxMax, Point3(4.0f, 4.0f, 0.0f));

    Point3 near;
    // Past the end of a segment: measured to the end point.
    EXPECT_FLOAT_EQ(data.NearestEdgeDistance(Point3(5.0f, -0.5f, 0.0f), near),
                    std::hypot(1.0f, 0.5f));
    EXPECT_EQ(near, Point3(4.0f, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(data.NearestEdgeDistance(Point3(2.0f, 1.0f, 3.0f), near),
                    std::hypot(1.0f, 3.0f));
    EXPECT_EQ(near, Point3(2.0f, 0.0f, 0.0f));
    // Above or below the grid's rows there is no cell.
    EXPECT_EQ(data.NearestEdgeDistance(Point3(2.0f, 8.5f, 0.0f), near), NO_EDGE_DISTANCE);
    EXPECT_EQ(data.NearestEdgeDistance(Point3(2.0f, -4.5f, 0.0f), near), NO_EDGE_DISTANCE);
    EXPECT_EQ(data.NearestEdgeDistance(Point3(2.0f, -3e30f, 0.0f), near), NO_EDGE_DISTANCE);
    // The column is not checked on its own: right of row 0 lies row 1's first cell.
    EXPECT_EQ(data.CellIndex(Point3(9.0f, 1.0f, 0.0f)), 2);
    EXPECT_EQ(data.CellIndex(Point3(9.0f, 5.0f, 0.0f)), -1);

    // A large Distance widens the cells to multiplier x Distance.
    EdgeDistanceData wide;
    wide.criteria.distance = 10.0f;
    wide.cellMultiplier = 2;
    wide.AddSegment(Point3(0.0f, 0.0f, 0.0f), Point3(1.0f, 0.0f, 0.0f));
    wide.BuildGrid();
    EXPECT_FLOAT_EQ(wide.cellSize, 20.0f);

    EdgeDistanceData none;
    none.BuildGrid();
    EXPECT_EQ(none.NearestEdgeDistance(Point3(), near), NO_EDGE_DISTANCE);
}
