#include "geometry/advancing_front.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "geometry/front_queue.h"
#include "tests/reference/literal_front_scan.h"
#include "tests/support/mesh_quality.h"
#include "tests/support/terrain_generators.h"

namespace {

constexpr float Pi = 3.14159265f;

// A flat 33 x 33 grid of unit cells whose size field is m everywhere.
void UniformField(StageParts& b, SizeMatrix m) {
    b.grid.gridSize = 33;
    b.grid.cellSize = 1.0f;
    b.grid.heights.assign(33 * 33, 0.0f);
    b.grid.matIds.assign(33 * 33, 1);
    b.sizeField.assign(33 * 33, m);
}

TEST(FrontAngle, StraightFrontIsPiAndFoldsComeBackNegative) {
    const Point2 turned150(std::cos(150 * Pi / 180), std::sin(150 * Pi / 180));
    EXPECT_NEAR(FrontAngle({1, 0}, {2, 0}, 5), Pi, 1e-5); // lengths do not matter
    EXPECT_NEAR(FrontAngle({1, 0}, {0.5f, std::sqrt(0.75f)}, 5), 4 * Pi / 3, 1e-5);
    EXPECT_NEAR(FrontAngle({1, 0}, turned150, 5), -Pi / 6, 1e-5); // 330 is above 5/3 pi
    EXPECT_NEAR(FrontAngle({1, 0}, turned150, 6), 11 * Pi / 6, 1e-5);
}

TEST(ExpandVertex, OnlyRimVerticesInsideTheAreaGrow) {
    StageParts b;
    UniformField(b, {{2, 0}, {0, 2}});
    b.StartFront();
    int a = -1, c = -1;
    EXPECT_FALSE(b.FrontNeighbours(0, a, c)); // the seed is closed all round
    ASSERT_TRUE(b.FrontNeighbours(1, a, c));  // 0 degrees, between 300 and 60
    EXPECT_TRUE(a == 6 && c == 2);
    for (Point2 p : {Point2(33.5f, 16.5f), Point2(NAN, 16.5f)}) { // out of the area, undefined
        b.front.MoveVertex(1, p);
        EXPECT_FALSE(b.ExpandVertex(1));
    }
    EXPECT_FALSE(b.ExpandVertex(b.AddVertex({10.0f, 10.0f}))); // no neighbours
    EXPECT_EQ(b.front.faces.count(), 6);
}

TEST(ExpandVertex, MergeAndFanStayInsideTheirLists) {
    StageParts b;
    UniformField(b, {{1, 0}, {0, 1}});
    b.front.seed = Point2(16.0f, 16.0f);
    // v with a fan of faces from 0 round to 340 degrees: a 20 degree gap from A to B.
    const int v = b.AddVertex({16, 16});
    for (int i = 0; i <= 4; ++i)
        b.AddVertex({16 + std::cos(85.0f * i * Pi / 180), 16 + std::sin(85.0f * i * Pi / 180)});
    for (int i = 0; i < 4; ++i) b.AddFace(v, v + 1 + i, v + 2 + i, 1);
    const int A = v + 5, B = v + 1, d = b.AddVertex({5, 5});
    for (int k = 0; k < 16; ++k) { // both lists full at the 17 that AddFace records
        b.AddFace(A, d, b.AddVertex({5, 6}), 1);
        b.AddFace(B, b.AddVertex({6, 5}), d, 1);
    }
    const Point2 mid = (b.front.vertices[A].pos + b.front.vertices[B].pos) * 0.5f;
    ASSERT_TRUE(b.ExpandVertex(v)); // under one triangle: B merges into A, midway
    const FrontVertex& va = b.front.vertices[A];
    EXPECT_EQ(va.faceListCount, 32);
    for (int i = 0; i < 32; ++i) EXPECT_NE(Successor(b.front.faces[va.faceList[i]], A), -1);
    for (const FrontFace& f : b.front.faces) EXPECT_EQ(Successor(f, B), -1);
    EXPECT_FALSE(b.front.vertices[B].active);
    EXPECT_EQ(va.pos, mid);
    EXPECT_FLOAT_EQ(va.key, (mid - b.front.seed).Length());

    // An absurd fan count is held to the 100 entries of the fan list.
    StageParts c;
    c.tuning.TriangleShapeFactor = 1000.0f;
    UniformField(c, {{2, 0}, {0, 2}});
    c.StartFront();
    ASSERT_TRUE(c.ExpandVertex(1));
    EXPECT_EQ(c.front.faces.count(), 6 + 99);
}

TEST(FrontQueue, TopIsTheSmallestKeyAndLowestIndexThroughAnyChanges) {
    std::mt19937 rng(11);
    FrontQueue q;
    std::vector<float> key(300, -1.0f); // -1: not queued
    for (int step = 0; step < 20000; ++step) {
        const int v = static_cast<int>(rng() % key.size());
        key[v] = rng() % 4 == 0 ? -1.0f : static_cast<float>(rng() % 8); // many ties
        if (key[v] < 0)
            q.Remove(v);
        else
            q.Set(v, key[v]);
        int best = -1;
        for (int i = 0; i < static_cast<int>(key.size()); ++i)
            if (key[i] >= 0 && (best < 0 || key[i] < key[best])) best = i;
        ASSERT_EQ(q.Top(), best) << "step " << step;
        ASSERT_EQ(q.Contains(v), key[v] >= 0);
    }
}

// Generated terrains meshed with the queue and with the literal scan; the mesh
// also covers its square without folds or overlaps.
TEST(AdvanceFront, PicksWhatTheLiteralScanPicksAndCoversGeneratedTerrains) {
    for (terrain::Kind k : terrain::AllKinds()) {
        SCOPED_TRACE(terrain::Name(k));
        StageParts fast, literal;
        terrain::FillGrid(fast, k, 65);
        terrain::FillGrid(literal, k, 65);
        terrain::MeshTerrain(fast);
        terrain::MeshTerrain(literal, LiteralAdvanceFront);
        const quality::Report r = quality::Measure(fast);
        EXPECT_TRUE(r.clockwise == 0 && r.overlaps == 0 && r.covered > 0.999)
            << r.clockwise << " folds, " << r.overlaps << " overlaps, covered " << r.covered;
        ASSERT_EQ(fast.front.vertices.count(), literal.front.vertices.count());
        ASSERT_EQ(fast.front.faces.count(), literal.front.faces.count());
        EXPECT_EQ(fast.front.firstActive, literal.front.firstActive);
        EXPECT_EQ(fast.front.frontRadius, literal.front.frontRadius);
        for (int i = 0; i < fast.front.vertices.count(); ++i) {
            const FrontVertex &p = fast.front.vertices[i], &q = literal.front.vertices[i];
            ASSERT_TRUE(p.pos == q.pos && p.key == q.key && p.active == q.active &&
                        std::equal(p.faceList, p.faceList + p.faceListCount, q.faceList,
                                   q.faceList + q.faceListCount))
                << "vertex " << i;
        }
        for (int i = 0; i < fast.front.faces.count(); ++i) {
            const FrontFace &p = fast.front.faces[i], &q = literal.front.faces[i];
            ASSERT_TRUE(p.corner0 == q.corner0 && p.corner1 == q.corner1 &&
                        p.corner2 == q.corner2 && p.matId == q.matId)
                << "face " << i;
        }
    }
}

} // namespace
