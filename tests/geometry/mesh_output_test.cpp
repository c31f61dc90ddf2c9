#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <vector>

#include "tests/reference/literal_lookups.h"
#include "geometry/face_index.h"
#include "geometry/geometry_primitives.h"
#include "tests/support/stage_parts.h"
#include "host/sdk/mesh.h"

namespace {

// Heights of the plane z = 3 + 0.1 x + 0.2 y on a 5 x 5 grid over [0, 40]^2.
float Plane(float x, float y) {
    return 3.0f + 0.1f * x + 0.2f * y;
}

void SetPlaneGrid(StageParts& b) {
    b.grid.gridSize = 5;
    b.grid.cellSize = 10.0f;
    b.grid.origin = Point2(0.0f, 0.0f);
    b.grid.heights.resize(25);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c) b.grid.heights[r * 5 + c] = Plane(c * 10.0f, r * 10.0f);
}

// A front of k x k squares over [0, 40]^2, two triangles each, counter-clockwise;
// faces left of x = 20 carry ID 2, the others ID 3.
void SetSquareFront(StageParts& b, int k) {
    b.front.vertices.Reset(100);
    b.front.faces.Reset(100);
    const float step = 40.0f / static_cast<float>(k);
    for (int r = 0; r <= k; ++r)
        for (int c = 0; c <= k; ++c) {
            FrontVertex v;
            v.pos = Point2(c * step, r * step);
            b.front.vertices.Append(v);
        }
    for (int r = 0; r < k; ++r)
        for (int c = 0; c < k; ++c) {
            const int a = r * (k + 1) + c, bb = a + 1, d = a + k + 1, e = d + 1;
            const int id = (c + 0.5f) * step < 20.0f ? 2 : 3;
            b.front.faces.Append(FrontFace{a, bb, e, id});
            b.front.faces.Append(FrontFace{a, e, d, id});
        }
    b.grid.baseMatId = 1;
}

void AddOutline(StageParts& b, std::vector<Point2> pts, bool closed, int type, bool split,
                int id = 9) {
    InsertOutline o;
    o.pointCount = static_cast<int>(pts.size());
    o.points = std::make_unique<Point2[]>(pts.size());
    std::copy(pts.begin(), pts.end(), o.points.get());
    o.closed = closed;
    o.type = type;
    o.split = split;
    o.insertId = id;
    b.insertOutlines.Append(std::move(o));
}

Point2 WorldXY(const Mesh& m, int v, const Matrix3& tm) {
    const Point3 w = m.verts[v] * tm;
    return Point2(w.x, w.y);
}

Point2 Centre(const Mesh& m, int f, const Matrix3& tm) {
    const Face& face = m.faces[f];
    const Point3 c = ((m.verts[face.v[0]] + m.verts[face.v[1]] + m.verts[face.v[2]]) / 3.0f) * tm;
    return Point2(c.x, c.y);
}

double ProjectedArea(const Mesh& m) {
    double s = 0;
    for (int f = 0; f < m.numFaces; ++f) {
        const Point3 &a = m.verts[m.faces[f].v[0]], &b = m.verts[m.faces[f].v[1]],
                     &c = m.verts[m.faces[f].v[2]];
        s += 0.5 * ((double(b.x) - a.x) * (double(c.y) - a.y) -
                    (double(b.y) - a.y) * (double(c.x) - a.x));
    }
    return s;
}

// Within 1e-3 of the polyline pts (with its closing side when closed).
bool OnPolyline(Point2 p, const std::vector<Point2>& pts, bool closed) {
    const std::size_t n = pts.size();
    for (std::size_t i = 0; i + (closed ? 0 : 1) < n; ++i) {
        const Point2 a = pts[i], b = pts[(i + 1) % n];
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double t =
            std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        if (std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy)) < 1e-3) return true;
    }
    return false;
}

// On the border of the square [0, 40]^2 the test fronts cover.
bool OnBorder(Point2 p) {
    return p.x == 0 || p.x == 40 || p.y == 0 || p.y == 40;
}

Matrix3 Translation(float x, float y, float z) {
    Matrix3 tm(1);
    tm.SetTrans(Point3(x, y, z));
    return tm;
}

TEST(GridHeightAt, InterpolatesAndExtrapolatesFromTheBorderCell) {
    StageParts b;
    SetPlaneGrid(b); // a plane is reproduced everywhere, inside the grid or not
    for (Point2 p : {Point2(0.0f, 0.0f), Point2(13.5f, 27.25f), Point2(40.0f, 40.0f),
                     Point2(-7.0f, 12.0f), Point2(55.0f, -3.0f)})
        EXPECT_NEAR(b.GridHeightAt(p), Plane(p.x, p.y), 1e-4) << p.x << ", " << p.y;
    // Heights c^2 along each row, cell size 1: nodes 0, 1, 4, 9, 16.
    b.grid.cellSize = 1.0f;
    for (int i = 0; i < 25; ++i) b.grid.heights[i] = float((i % 5) * (i % 5));
    EXPECT_FLOAT_EQ(b.GridHeightAt(Point2(2.5f, 1.0f)), 6.5f);   // between 4 and 9
    EXPECT_FLOAT_EQ(b.GridHeightAt(Point2(-1.0f, 2.0f)), -1.0f); // 0 - (1 - 0)
    EXPECT_FLOAT_EQ(b.GridHeightAt(Point2(6.0f, 3.0f)), 30.0f);  // 16 + 2 x (16 - 9)
}

TEST(MatIdAt, IndexAgreesWithTheLinearWalkOnMeshesAndTriangleSoups) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> coord(-5.0f, 45.0f);
    std::uniform_int_distribution<int> id(1, 6);
    for (int round = 0; round < 12; ++round) {
        StageParts b;
        if (round % 2 == 0) {
            SetSquareFront(b, 3 + round);
        } else {
            // Overlapping, degenerate and repeated triangles with random IDs.
            b.front.vertices.Reset(100);
            b.front.faces.Reset(100);
            for (int i = 0; i < 60; ++i) {
                FrontVertex v;
                v.pos = Point2(coord(rng), coord(rng));
                b.front.vertices.Append(v);
            }
            std::uniform_int_distribution<int> pick(0, 59);
            for (int f = 0; f < 80; ++f)
                b.front.faces.Append(FrontFace{pick(rng), pick(rng), f % 9 ? pick(rng) : 0, id(rng)});
            b.grid.baseMatId = 4;
        }
        // Queries: random points, every vertex, every edge midpoint.
        std::vector<Point2> queries;
        for (int i = 0; i < 400; ++i) queries.push_back(Point2(coord(rng), coord(rng)));
        for (int v = 0; v < b.front.vertices.count(); ++v) queries.push_back(b.front.vertices[v].pos);
        for (int f = 0; f < b.front.faces.count(); ++f) {
            const Point2 a = b.front.vertices[b.front.faces[f].corner0].pos;
            const Point2 c = b.front.vertices[b.front.faces[f].corner1].pos;
            queries.push_back((a + c) * 0.5f);
        }
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

TEST(WriteTerrainMesh, WithoutInsertsTheFrontIsLiftedOntoTheGrid) {
    StageParts b;
    SetPlaneGrid(b);
    SetSquareFront(b, 4);
    Mesh mesh;
    const Matrix3 tm = Translation(10.0f, 20.0f, 5.0f);
    b.WriteTerrainMesh(mesh, tm);
    ASSERT_EQ(mesh.numVerts, b.front.vertices.count());
    ASSERT_EQ(mesh.numFaces, b.front.faces.count());
    for (int v = 0; v < mesh.numVerts; ++v) {
        const Point2 p = b.front.vertices[v].pos;
        EXPECT_NEAR(mesh.verts[v].x, p.x - 10.0f, 1e-4);
        EXPECT_NEAR(mesh.verts[v].y, p.y - 20.0f, 1e-4);
        EXPECT_NEAR(mesh.verts[v].z, Plane(p.x, p.y) - 5.0f, 1e-4);
    }
    for (int f = 0; f < mesh.numFaces; ++f) {
        const Face& face = mesh.faces[f];
        EXPECT_EQ(face.v[0], DWORD(b.front.faces[f].corner0));
        EXPECT_EQ(face.v[2], DWORD(b.front.faces[f].corner2));
        EXPECT_EQ(face.getMatID(), b.front.faces[f].matId - 1);
        EXPECT_EQ(face.getSmGroup(), 1u);
        EXPECT_TRUE(face.getEdgeVis(0) && face.getEdgeVis(1) && face.getEdgeVis(2));
    }
    EXPECT_EQ(mesh.vertSel.NumberSet(), 0);
}

TEST(WriteTerrainMesh, OutlineOnlyInsertConstrainsWithoutRecolouringOrCutting) {
    StageParts b;
    SetPlaneGrid(b);
    SetSquareFront(b, 4);
    const std::vector<Point2> square = {
        {13.0f, 13.0f}, {27.0f, 13.0f}, {27.0f, 27.0f}, {13.0f, 27.0f}};
    AddOutline(b, square, true, 0, false);
    // Open outlines of types 1 and 2 act as type 0 too.
    AddOutline(b, {{3.0f, 31.0f}, {9.0f, 37.0f}, {3.0f, 37.0f}}, false, 1, false);
    AddOutline(b, {{31.0f, 3.0f}, {37.0f, 9.0f}, {31.0f, 9.0f}}, false, 2, false);
    Mesh mesh;
    const Matrix3 tm(1);
    b.WriteTerrainMesh(mesh, tm);
    EXPECT_NEAR(ProjectedArea(mesh), 1600.0, 1e-2);
    for (int f = 0; f < mesh.numFaces; ++f) {
        EXPECT_EQ(mesh.faces[f].getMatID(), literal::MatIdAt(b, Centre(mesh, f, tm)));
        EXPECT_NE(mesh.faces[f].getMatID(), 8);
    }
    for (int v = 0; v < mesh.numVerts; ++v)
        EXPECT_NEAR(mesh.verts[v].z, Plane(mesh.verts[v].x, mesh.verts[v].y), 1e-3);
    // Each side of the square is covered by mesh edges (no face straddles it).
    for (int f = 0; f < mesh.numFaces; ++f) {
        const Point2 c = Centre(mesh, f, tm);
        const bool in = PointInPolygon(c, square.data(), 4);
        for (int k = 0; k < 3; ++k) {
            const Point2 p = WorldXY(mesh, mesh.faces[f].v[k], tm);
            if (!OnPolyline(p, square, true)) {
                EXPECT_EQ(PointInPolygon(p, square.data(), 4), in);
            }
        }
    }
    // Only the hull's border is marked; the unsplit outlines are not.
    EXPECT_GT(mesh.vertSel.NumberSet(), 0);
    for (int v = 0; v < mesh.numVerts; ++v)
        if (mesh.vertSel[v]) {
            EXPECT_TRUE(OnBorder(WorldXY(mesh, v, tm))) << v;
        }
}

TEST(WriteTerrainMesh, PaintAndCutInsertsWithTheEarlierOutlineDeciding) {
    StageParts b;
    SetPlaneGrid(b);
    SetSquareFront(b, 5);
    const std::vector<Point2> paintA = {{5.0f, 5.0f}, {25.0f, 5.0f}, {25.0f, 25.0f}, {5.0f, 25.0f}};
    const std::vector<Point2> paintB = {
        {15.0f, 15.0f}, {35.0f, 15.0f}, {35.0f, 35.0f}, {15.0f, 35.0f}};
    const std::vector<Point2> hole = {{28.0f, 2.0f}, {38.0f, 2.0f}, {33.0f, 11.0f}};
    AddOutline(b, paintA, true, 1, false, 5);
    AddOutline(b, paintB, true, 1, false, 7);
    AddOutline(b, hole, true, 2, false);
    Mesh mesh;
    const Matrix3 tm = Translation(-3.0f, 4.0f, 0.0f);
    b.WriteTerrainMesh(mesh, tm);
    int inA = 0, onlyB = 0;
    for (int f = 0; f < mesh.numFaces; ++f) {
        const Point2 c = Centre(mesh, f, tm);
        EXPECT_FALSE(PointInPolygon(c, hole.data(), 3)) << "face " << f << " left in the hole";
        const MtlID id = mesh.faces[f].getMatID();
        if (PointInPolygon(c, paintA.data(), 4)) {
            EXPECT_EQ(id, 4);
            ++inA;
        } else if (PointInPolygon(c, paintB.data(), 4)) {
            EXPECT_EQ(id, 6);
            ++onlyB;
        } else {
            EXPECT_EQ(id, literal::MatIdAt(b, c));
        }
    }
    EXPECT_GT(inA, 0);
    EXPECT_GT(onlyB, 0);
    // The hole's area is gone exactly: its sides are mesh edges.
    EXPECT_NEAR(ProjectedArea(mesh), 1600.0 - 45.0, 1e-2);
    // No vertex is left without a face.
    std::vector<bool> used(static_cast<std::size_t>(mesh.numVerts));
    for (int f = 0; f < mesh.numFaces; ++f)
        for (int k = 0; k < 3; ++k) used[mesh.faces[f].v[k]] = true;
    EXPECT_EQ(std::count(used.begin(), used.end(), false), 0);
}

// Edges used by one face only, as undirected pairs of world positions.
std::vector<std::pair<Point2, Point2>> OpenEdges(const Mesh& mesh, const Matrix3& tm) {
    std::map<std::pair<int, int>, int> use;
    for (int f = 0; f < mesh.numFaces; ++f)
        for (int k = 0; k < 3; ++k) {
            int a = int(mesh.faces[f].v[k]), c = int(mesh.faces[f].v[(k + 1) % 3]);
            ++use[{std::min(a, c), std::max(a, c)}];
        }
    std::vector<std::pair<Point2, Point2>> open;
    for (auto& [e, n] : use)
        if (n == 1) open.push_back({WorldXY(mesh, e.first, tm), WorldXY(mesh, e.second, tm)});
    return open;
}

TEST(WriteTerrainMesh, SplitOutlinesAreCutOpenAndStaySelected) {
    StageParts b;
    SetPlaneGrid(b);
    SetSquareFront(b, 4);
    // A closed triangle and an open U whose closing chord must stay whole.
    const std::vector<Point2> tri = {{6.0f, 6.0f}, {18.0f, 7.0f}, {11.0f, 17.0f}};
    const std::vector<Point2> u = {{24.0f, 34.0f}, {24.0f, 24.0f}, {34.0f, 24.0f}, {34.0f, 34.0f}};
    AddOutline(b, tri, true, 0, true);
    AddOutline(b, u, false, 0, true);
    Mesh mesh;
    const Matrix3 tm(1);
    b.WriteTerrainMesh(mesh, tm);

    auto onOutline = [&](Point2 p) { return OnPolyline(p, tri, true) || OnPolyline(p, u, false); };
    // Every outline corner now has a copy per side of the cut.
    for (const auto* pts : {&tri, &u}) {
        for (std::size_t i = 0; i < pts->size(); ++i) {
            int copies = 0, selected = 0;
            for (int v = 0; v < mesh.numVerts; ++v)
                if (WorldXY(mesh, v, tm) == (*pts)[i]) {
                    ++copies;
                    selected += mesh.vertSel[v];
                }
            const bool endOfOpen = pts == &u && (i == 0 || i + 1 == pts->size());
            EXPECT_GE(copies, endOfOpen ? 1 : 2) << i;
            EXPECT_GE(selected, 1) << i;
        }
    }
    for (int v = 0; v < mesh.numVerts; ++v)
        if (mesh.vertSel[v]) {
            EXPECT_TRUE(onOutline(WorldXY(mesh, v, tm)) || OnBorder(WorldXY(mesh, v, tm))) << v;
        }
    // Open edges: the square's border plus both sides of every outline piece,
    // nothing along the U's missing chord.
    double outlineOpen = 0;
    for (auto& [p, q] : OpenEdges(mesh, tm)) {
        if (OnBorder(p) && OnBorder(q) && OnBorder((p + q) * 0.5f)) continue;
        EXPECT_TRUE(onOutline(p) && onOutline(q) && onOutline((p + q) * 0.5f));
        outlineOpen += (q - p).Length();
    }
    const double triangleSides = std::hypot(12, 1) + std::hypot(7, 10) + std::hypot(5, 11);
    EXPECT_NEAR(outlineOpen, 2 * (triangleSides + 30.0), 1e-2); // the U's three sides are 30
}

} // namespace
