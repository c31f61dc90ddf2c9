#include "geometry/advancing_front.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "tests/reference/literal_front_scan.h"
#include "tests/support/mesh_quality.h"
#include "tests/support/terrain_generators.h"
#include "geometry/front_queue.h"
#include "geometry/size_field.h"

namespace {

constexpr float Pi = 3.14159265f;

// A flat 33 x 33 grid of unit cells whose size field is m everywhere.
void UniformField(StageParts& b, SizeMatrix m) {
    const int n = 33;
    b.grid.gridSize = n;
    b.grid.cellSize = 1.0f;
    b.grid.origin = Point2(0.0f, 0.0f);
    b.grid.heights.assign(n * n, 0.0f);
    b.grid.matIds.assign(n * n, 1);
    b.sizeField.assign(n * n, m);
}

TEST(FrontAngle, StraightFrontIsPiAndFoldsComeBackNegative) {
    EXPECT_FLOAT_EQ(FrontAngle({0.3f, 0.4f}, {0.3f, 0.4f}, 5.0f), Pi);
    EXPECT_FLOAT_EQ(FrontAngle({1, 0}, {2, 0}, 5.0f), Pi); // lengths do not matter
    // B turned 60 degrees to the left of the way in: the outside angle is 240.
    EXPECT_NEAR(FrontAngle({1, 0}, {0.5f, std::sqrt(0.75f)}, 5.0f), 4 * Pi / 3, 1e-5);
    // 330 degrees is above 5/3 pi: a fold, taken as -30.
    const float a = 150 * Pi / 180;
    EXPECT_NEAR(FrontAngle({1, 0}, {std::cos(a), std::sin(a)}, 5.0f), -Pi / 6, 1e-5);
    EXPECT_NEAR(FrontAngle({1, 0}, {std::cos(a), std::sin(a)}, 6.0f), 11 * Pi / 6, 1e-5);
}

TEST(StartFront, SeedHexagonCornerHasOutsideAngleOf240Degrees) {
    StageParts b;
    UniformField(b, {{2, 0}, {0, 2}});
    b.StartFront();
    ASSERT_EQ(b.front.vertices.count(), 7);
    ASSERT_EQ(b.front.faces.count(), 6);
    EXPECT_EQ(b.front.seed, Point2(16.5f, 16.5f));
    for (const FrontFace& f : b.front.faces) { // counter-clockwise
        const Point2 p = b.front.vertices[f.corner0].pos, q = b.front.vertices[f.corner1].pos,
                     r = b.front.vertices[f.corner2].pos;
        EXPECT_GT((q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x), 0.0f);
    }
    // Vertex 1 sits at 0 degrees between vertex 6 (300) and vertex 2 (60).
    int a = -1, bb = -1;
    ASSERT_TRUE(b.FrontNeighbours(1, a, bb));
    EXPECT_EQ(a, 6);
    EXPECT_EQ(bb, 2);
    const Point2 p = b.front.vertices[1].pos;
    const Point2 eA = (p - b.front.vertices[a].pos) / 2.0f, eB = (b.front.vertices[bb].pos - p) / 2.0f;
    EXPECT_NEAR(FrontAngle(eA, eB, 5.0f), 4 * Pi / 3, 1e-5);
    // The centre is closed all round: it has no front neighbours.
    EXPECT_FALSE(b.FrontNeighbours(0, a, bb));
}

TEST(FrontQueue, TopIsTheSmallestKeyAndLowestIndexThroughAnyChanges) {
    std::mt19937 rng(11);
    FrontQueue q;
    std::vector<float> key(300, -1.0f); // -1: not queued
    for (int step = 0; step < 20000; ++step) {
        const int v = static_cast<int>(rng() % key.size());
        if (rng() % 4 == 0) {
            q.Remove(v);
            key[v] = -1.0f;
        } else {
            key[v] = static_cast<float>(rng() % 8); // few distinct keys: many ties
            q.Set(v, key[v]);
        }
        int best = -1;
        for (int i = 0; i < static_cast<int>(key.size()); ++i)
            if (key[i] >= 0 && (best < 0 || key[i] < key[best])) best = i;
        ASSERT_EQ(q.Top(), best) << "step " << step;
        ASSERT_EQ(q.Contains(v), key[v] >= 0);
    }
}

TEST(ExpandVertex, RetiresWithoutTrianglesOutsideTheAreaOrWithoutNeighbours) {
    StageParts b;
    UniformField(b, {{2, 0}, {0, 2}});
    b.StartFront();
    const int outside = b.AddVertex({33.5f, 10.0f}); // area ends at 33 x cell 1
    EXPECT_FALSE(b.ExpandVertex(outside));
    const int lonely = b.AddVertex({10.0f, 10.0f});
    EXPECT_FALSE(b.ExpandVertex(lonely));
    EXPECT_EQ(b.front.faces.count(), 6);
}

TEST(ExpandVertex, MergeAndFanStayInsideTheirLists) {
    StageParts b;
    b.tuning.TriangleShapeFactor = 3.0f;
    b.tuning.FrontAngleBias = 0.5f;
    b.tuning.FrontAngleLimit = 5.0f;
    UniformField(b, {{1, 0}, {0, 1}});
    b.front.seed = Point2(16.0f, 16.0f);
    // v with a fan of faces from 0 round to 340 degrees: a 20 degree gap.
    const int v = b.AddVertex({16, 16});
    std::vector<int> x;
    for (int i = 0; i <= 4; ++i) {
        const float a = 340.0f / 4 * i * Pi / 180;
        x.push_back(b.AddVertex({16 + std::cos(a), 16 + std::sin(a)}));
    }
    for (int i = 0; i < 4; ++i) b.AddFace(v, x[i], x[i + 1], 1);
    const int A = x[4], B = x[0];
    // Fill both lists to the 17 that AddFace records.
    const int d = b.AddVertex({5, 5});
    for (int k = 0; k < 16; ++k) {
        b.AddFace(A, d, b.AddVertex({5, 6}), 1);
        b.AddFace(B, b.AddVertex({6, 5}), d, 1);
    }
    ASSERT_EQ(b.front.vertices[A].faceListCount, 17);
    ASSERT_EQ(b.front.vertices[B].faceListCount, 17);
    const Point2 mid = (b.front.vertices[A].pos + b.front.vertices[B].pos) * 0.5f;

    ASSERT_TRUE(b.ExpandVertex(v)); // 20 degrees: fewer than one triangle, B merges into A
    EXPECT_EQ(b.front.vertices[A].faceListCount, 32);
    for (int i = 0; i < 32; ++i) {
        const FrontFace& f = b.front.faces[b.front.vertices[A].faceList[i]];
        EXPECT_TRUE(f.corner0 == A || f.corner1 == A || f.corner2 == A);
    }
    for (const FrontFace& f : b.front.faces)
        EXPECT_TRUE(f.corner0 != B && f.corner1 != B && f.corner2 != B);
    EXPECT_FALSE(b.front.vertices[B].active);
    EXPECT_EQ(b.front.vertices[A].pos, mid);
    EXPECT_FLOAT_EQ(b.front.vertices[A].key, (mid - b.front.seed).Length());

    // An absurd fan count is held to the 100 entries of the fan list.
    StageParts c;
    c.tuning.TriangleShapeFactor = 1000.0f;
    UniformField(c, {{2, 0}, {0, 2}});
    c.StartFront();
    ASSERT_TRUE(c.ExpandVertex(1));
    EXPECT_EQ(c.front.faces.count(), 6 + 99);
    EXPECT_EQ(c.front.vertices.count(), 7 + 98);
}

TEST(SmoothFaceIds, ChangesAFaceOnlyWhenTwoNeighboursAgreeOnAPositiveId) {
    StageParts b;
    for (int i = 0; i < 10; ++i) b.AddVertex({float(i), 0.0f});
    // f0 = (0, 1, 2) with neighbours f1 across 0-1, f2 across 1-2, f3 across 2-0;
    // f4 lies across 0-3 of f1.
    b.AddFace(0, 1, 2, 1);
    b.AddFace(1, 0, 3, 7);
    b.AddFace(2, 1, 4, 5);
    b.AddFace(0, 2, 5, 5);
    b.AddFace(3, 0, 6, 5);
    // Separate: g0 = (7, 8, 9) whose only neighbour is gone (border edges count 0).
    b.AddFace(7, 8, 9, 3);
    b.SmoothFaceIds();
    EXPECT_EQ(b.front.faces[0].matId, 5); // 7, 5, 5
    EXPECT_EQ(b.front.faces[1].matId, 5); // sees f0's new 5 and f4's 5: updates are in place
    EXPECT_EQ(b.front.faces[2].matId, 5);
    EXPECT_EQ(b.front.faces[5].matId, 3); // 0, 0, 0 never wins

    StageParts c; // all three neighbours differ
    for (int i = 0; i < 6; ++i) c.AddVertex({float(i), 0.0f});
    c.AddFace(0, 1, 2, 1);
    c.AddFace(1, 0, 3, 7);
    c.AddFace(2, 1, 4, 8);
    c.AddFace(0, 2, 5, 9);
    c.SmoothFaceIds();
    EXPECT_EQ(c.front.faces[0].matId, 1);
}

TEST(AdvanceFront, PicksWhatTheLiteralScanPicksOnGeneratedTerrains) {
    for (terrain::Kind k : terrain::AllKinds()) {
        StageParts fast, literal;
        terrain::FillGrid(fast, k, 65);
        terrain::FillGrid(literal, k, 65);
        terrain::MeshTerrain(fast);
        terrain::MeshTerrain(literal, LiteralAdvanceFront);
        SCOPED_TRACE(terrain::Name(k));
        EXPECT_GT(fast.front.faces.count(), 50);
        ASSERT_EQ(fast.front.vertices.count(), literal.front.vertices.count());
        ASSERT_EQ(fast.front.faces.count(), literal.front.faces.count());
        EXPECT_EQ(fast.front.firstActive, literal.front.firstActive);
        EXPECT_EQ(fast.front.frontRadius, literal.front.frontRadius);
        for (int i = 0; i < fast.front.vertices.count(); ++i) {
            const FrontVertex &p = fast.front.vertices[i], &q = literal.front.vertices[i];
            ASSERT_TRUE(p.pos == q.pos && p.key == q.key && p.active == q.active &&
                        p.faceListCount == q.faceListCount)
                << "vertex " << i;
            for (int j = 0; j < p.faceListCount; ++j) ASSERT_EQ(p.faceList[j], q.faceList[j]);
        }
        for (int i = 0; i < fast.front.faces.count(); ++i) {
            const FrontFace &p = fast.front.faces[i], &q = literal.front.faces[i];
            ASSERT_TRUE(p.corner0 == q.corner0 && p.corner1 == q.corner1 &&
                        p.corner2 == q.corner2 && p.matId == q.matId)
                << "face " << i;
        }
    }
}

TEST(MeshQuality, SeesOverlapsFoldsAndGaps) {
    StageParts b;
    UniformField(b, {{1, 0}, {0, 1}}); // a 32 x 32 node square
    const int a = b.AddVertex({0, 0}), c = b.AddVertex({32, 0}), d = b.AddVertex({32, 32});
    const int e = b.AddVertex({0, 32}), m = b.AddVertex({16, 8});
    b.AddFace(a, c, d, 1); // the lower right half
    b.AddFace(a, m, d, 1); // inside it, counter-clockwise: overlaps the first
    b.AddFace(a, e, d, 1); // the upper left half, clockwise
    quality::Report r = quality::Measure(b);
    EXPECT_EQ(r.overlaps, 1);
    EXPECT_EQ(r.clockwise, 1);
    EXPECT_NEAR(r.covered, 1.0, 1e-9);
    EXPECT_DOUBLE_EQ(r.maxError, 0.0); // flat grid, flat triangles

    StageParts half;
    UniformField(half, {{1, 0}, {0, 1}});
    half.AddVertex({0, 0}), half.AddVertex({32, 0}), half.AddVertex({32, 32});
    half.AddFace(0, 1, 2, 1);
    r = quality::Measure(half);
    EXPECT_NEAR(r.covered, 0.5, 0.01);
    EXPECT_EQ(r.overlaps, 0);
    EXPECT_NEAR(r.minAngle, 45.0, 1e-9);
}

TEST(MeshTerrain, GeneratedTerrainsAreCoveredWithoutFoldsOrOverlaps) {
    for (terrain::Kind k : terrain::AllKinds()) {
        StageParts b;
        terrain::FillGrid(b, k, 129);
        terrain::MeshTerrain(b);
        const quality::Report r = quality::Measure(b);
        SCOPED_TRACE(terrain::Name(k));
        EXPECT_EQ(r.clockwise, 0);
        EXPECT_EQ(r.overlaps, 0);
        EXPECT_GT(r.covered, 0.999);
    }
}

} // namespace
