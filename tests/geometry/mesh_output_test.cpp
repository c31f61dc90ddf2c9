#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <vector>

#include "geometry/face_index.h"
#include "geometry/geometry_primitives.h"
#include "host/sdk/mesh.h"
#include "tests/reference/literal_lookups.h"
#include "tests/support/stage_parts.h"

namespace {

float Plane(Point2 p) {
    return 3.0f + 0.1f * p.x + 0.2f * p.y;
}

Point2 XY(const Point3& p) {
    return {p.x, p.y};
}

// The plane on a 5 x 5 grid over [0, 40]^2 under a front of k x k squares,
// two counter-clockwise triangles each, ID 2 left of x = 20 and 3 right of it.
void SetPlaneAndFront(StageParts& b, int k) {
    b.grid.gridSize = 5;
    b.grid.cellSize = 10.0f;
    b.grid.heights.resize(25);
    for (int i = 0; i < 25; ++i) b.grid.heights[i] = Plane(Point2(i % 5 * 10, i / 5 * 10));
    b.grid.baseMatId = 1;
    b.front.vertices.Reset(100);
    b.front.faces.Reset(100);
    const float step = 40.0f / static_cast<float>(k);
    for (int i = 0; i < (k + 1) * (k + 1); ++i)
        b.front.vertices.Append({Point2(i % (k + 1) * step, i / (k + 1) * step)});
    for (int r = 0; r < k; ++r)
        for (int c = 0; c < k; ++c) {
            const int a = r * (k + 1) + c, d = a + k + 1, id = (c + 0.5f) * step < 20.0f ? 2 : 3;
            b.front.faces.Append(FrontFace{a, a + 1, d + 1, id});
            b.front.faces.Append(FrontFace{a, d + 1, d, id});
        }
}

void AddOutline(StageParts& b, const std::vector<Point2>& pts, bool closed, int type, bool split,
                int id = 9) {
    InsertOutline o{
        std::make_unique<Point2[]>(pts.size()), int(pts.size()), id, closed, split, type};
    std::copy(pts.begin(), pts.end(), o.points.get());
    b.insertOutlines.Append(std::move(o));
}

Point2 Centre(const Mesh& m, int f, const Matrix3& tm) {
    const DWORD* v = m.faces[f].v;
    return XY(((m.verts[v[0]] + m.verts[v[1]] + m.verts[v[2]]) / 3.0f) * tm);
}

double ProjectedArea(const Mesh& m) {
    double s = 0;
    for (int f = 0; f < m.numFaces; ++f) {
        const Point3 a = m.verts[m.faces[f].v[0]], b = m.verts[m.faces[f].v[1]] - a,
                     c = m.verts[m.faces[f].v[2]] - a;
        s += 0.5 * (double(b.x) * c.y - double(b.y) * c.x);
    }
    return s;
}

bool OnBorder(Point2 p) {
    return p.x == 0 || p.x == 40 || p.y == 0 || p.y == 40;
}

TEST(PointInPolygon, InsideOutsideAndLowerRowsCountAsAbove) {
    const Point2 square[4] = {{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    const Point2 u[8] = {{0, 0}, {3, 0}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}};
    EXPECT_TRUE(PointInPolygon(Point2(1.0f, 0.0f), square, 4));
    EXPECT_FALSE(PointInPolygon(Point2(1.0f, 2.0f), square, 4));
    EXPECT_FALSE(PointInPolygon(Point2(3.0f, 1.0f), square, 4));
    EXPECT_FALSE(PointInPolygon(Point2(1.5f, 2.0f), u, 8)); // the notch of a U
    EXPECT_TRUE(PointInPolygon(Point2(0.5f, 2.0f), u, 8));
}

TEST(MatIdAt, IndexAgreesWithTheLinearWalkOnMeshesAndTriangleSoups) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> coord(-5.0f, 45.0f);
    std::uniform_int_distribution<int> id(1, 6), pick(0, 59);
    for (int round = 0; round < 12; ++round) {
        StageParts b;
        if (round % 2 == 0) {
            SetPlaneAndFront(b, 3 + round);
        } else { // overlapping, degenerate and repeated triangles
            b.front.vertices.Reset(100);
            b.front.faces.Reset(100);
            for (int i = 0; i < 60; ++i) b.front.vertices.Append({Point2(coord(rng), coord(rng))});
            for (int f = 0; f < 80; ++f)
                b.front.faces.Append({pick(rng), pick(rng), f % 9 ? pick(rng) : 0, id(rng)});
            b.grid.baseMatId = 4;
        }
        // Random points, every vertex, every edge midpoint.
        std::vector<Point2> queries;
        for (int i = 0; i < 400; ++i) queries.push_back(Point2(coord(rng), coord(rng)));
        for (const FrontVertex& v : b.front.vertices) queries.push_back(v.pos);
        for (const FrontFace& f : b.front.faces)
            queries.push_back((b.front.vertices[f.corner0].pos + b.front.vertices[f.corner1].pos) *
                              0.5f);
        int inside = 0;
        for (const Point2& q : queries) {
            const int expected = literal::MatIdAt(b, q);
            ASSERT_EQ(b.MatIdAt(q), expected) << "round " << round << " at " << q.x << ", " << q.y;
            inside += expected != b.grid.baseMatId - 1;
        }
        EXPECT_GT(inside, 0); // the comparison must cover faces, not only misses
    }
}

TEST(FindMeshEdge, IndexAgreesWithTheLinearWalk) {
    std::mt19937 rng(11);
    for (int round = 0; round < 20; ++round) {
        Mesh mesh;
        const int nv = 5 + round;
        mesh.setNumVerts(nv);
        mesh.setNumFaces(3 * nv);
        // A small vertex range makes repeated sides, degenerate faces and
        // faces naming vertices past the list (nv, nv + 1) common.
        std::uniform_int_distribution<int> pick(0, nv + 1);
        for (int f = 0; f < mesh.numFaces; ++f)
            mesh.faces[f].setVerts(pick(rng), pick(rng), pick(rng));
        const MeshEdgeIndex index(mesh);
        int found = 0;
        for (int a = -1; a <= nv + 2; ++a)
            for (int c = -1; c <= nv + 2; ++c) {
                const int expected = literal::FindMeshEdge(mesh, a, c);
                ASSERT_EQ(index.FindMeshEdge(a, c), expected) << a << "-" << c;
                found += expected != -1;
            }
        EXPECT_GT(found, 0);
    }
}

TEST(GridHeightAt, ReproducesAPlaneInsideAndOffTheGrid) {
    StageParts b;
    SetPlaneAndFront(b, 1); // off the grid its border cell extrapolates
    for (Point2 p : {Point2(13.5f, 27.25f), Point2(-7.0f, 12.0f), Point2(55.0f, -3.0f)})
        EXPECT_NEAR(b.GridHeightAt(p), Plane(p), 1e-4) << p.x << ", " << p.y;
}

TEST(WriteTerrainMesh, ClosedPaintAndCutOutlinesActWithTheEarlierOneDeciding) {
    StageParts b;
    SetPlaneAndFront(b, 5);
    const std::vector<Point2> paintA = {{5, 5}, {25, 5}, {25, 25}, {5, 25}};
    const std::vector<Point2> paintB = {{15, 15}, {35, 15}, {35, 35}, {15, 35}};
    const std::vector<Point2> hole = {{28, 2}, {38, 2}, {33, 11}};
    // Outline only, deciding nothing: closed of type 0, or open of any type.
    AddOutline(b, {{8, 8}, {14, 8}, {14, 14}, {8, 14}}, true, 0, false);
    AddOutline(b, paintA, true, 1, false, 5);
    AddOutline(b, paintB, true, 1, false, 7);
    AddOutline(b, hole, true, 2, false);
    AddOutline(b, {{36, 20}, {39, 26}, {36, 26}}, false, 1, false);
    AddOutline(b, {{1, 1}, {4, 1}, {1, 4}}, false, 2, false);
    Mesh mesh;
    const Matrix3 tm = TransMatrix(Point3(-3.0f, 4.0f, 0.0f));
    b.WriteTerrainMesh(mesh, tm);
    int inA = 0, onlyB = 0;
    for (int f = 0; f < mesh.numFaces; ++f) {
        const Point2 c = Centre(mesh, f, tm);
        EXPECT_FALSE(PointInPolygon(c, hole.data(), 3)) << "face " << f << " left in the hole";
        const bool a = PointInPolygon(c, paintA.data(), 4),
                   onB = PointInPolygon(c, paintB.data(), 4);
        inA += a;
        onlyB += onB && !a;
        EXPECT_EQ(mesh.faces[f].getMatID(), a ? 4 : onB ? 6 : literal::MatIdAt(b, c)) << f;
    }
    EXPECT_TRUE(inA > 0 && onlyB > 0);
    // The hole's sides are mesh edges: exactly its area is gone.
    EXPECT_NEAR(ProjectedArea(mesh), 1600.0 - 45.0, 1e-2);
    for (int v = 0; v < mesh.numVerts; ++v) {
        const Point2 w = XY(mesh.verts[v] * tm);
        EXPECT_NEAR(mesh.verts[v].z, Plane(w), 1e-3);
        EXPECT_TRUE(!mesh.vertSel[v] || OnBorder(w)) << v; // unsplit outlines stay unselected
    }
}

TEST(WriteTerrainMesh, SplitOutlinesAreCutOpenAndStaySelected) {
    StageParts b;
    SetPlaneAndFront(b, 4);
    // A closed triangle and an open U whose closing chord must stay whole.
    const std::vector<Point2> tri = {{6, 6}, {18, 7}, {11, 17}};
    const std::vector<Point2> u = {{24, 34}, {24, 24}, {34, 24}, {34, 34}};
    AddOutline(b, tri, true, 0, true);
    AddOutline(b, u, false, 0, true);
    Mesh mesh;
    b.WriteTerrainMesh(mesh, Matrix3(1));
    for (const auto* pts : {&tri, &u})
        for (Point2 corner : *pts) { // selected, on one of its copies at least
            int selected = 0;
            for (int v = 0; v < mesh.numVerts; ++v)
                selected += mesh.vertSel[v] && XY(mesh.verts[v]) == corner;
            EXPECT_GE(selected, 1) << corner.x << ", " << corner.y;
        }
    // Open edges: the square's border and both sides of every outline piece,
    // nothing more (the U's missing chord stays whole).
    std::map<std::pair<DWORD, DWORD>, int> use;
    for (int f = 0; f < mesh.numFaces; ++f)
        for (int k = 0; k < 3; ++k) {
            const DWORD a = mesh.faces[f].v[k], c = mesh.faces[f].v[(k + 1) % 3];
            ++use[{std::min(a, c), std::max(a, c)}];
        }
    double outlineOpen = 0;
    for (auto& [e, n] : use) {
        const Point2 p = XY(mesh.verts[e.first]), q = XY(mesh.verts[e.second]), m = (p + q) * 0.5f;
        if (n == 1 && !(OnBorder(p) && OnBorder(q) && OnBorder(m))) outlineOpen += (q - p).Length();
    }
    const double triangleSides = std::hypot(12, 1) + std::hypot(7, 10) + std::hypot(5, 11);
    EXPECT_NEAR(outlineOpen, 2 * (triangleSides + 30.0), 1e-2); // the U's three sides are 30
}

} // namespace
