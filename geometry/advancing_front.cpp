#include "geometry/advancing_front.h"

#include <cmath>

namespace {

// Keys are compared in float; the double literals below are the mesher's own
// (pi rounded to float's precision, written as double), kept in double where
// they enter a comparison so that every path rounds the same way.
constexpr double FrontPi = 3.1415927;
constexpr double FrontTwoPi = 6.2831855;
// No vertex with a key at or above this is ever taken (nor a not-a-number key).
constexpr float NoKey = 1.0e30f;

// AddFace records a face with a vertex only below this many entries.
constexpr std::int32_t FaceListRecordLimit = 17;
constexpr std::int32_t FaceListRoom = 32;
// The fan list holds A, the new vertices and B.
constexpr int FanListRoom = 100;

SizeMatrix Inverse(const SizeMatrix& m) {
    const float a = m.r0.x, b = m.r0.y, c = m.r1.x, d = m.r1.y;
    const float det = a * d - b * c;
    return {Point2(d, -b) / det, Point2(-c, a) / det};
}

} // namespace

int Successor(const FrontFace& f, int v) {
    if (f.corner0 == v) return f.corner1;
    if (f.corner1 == v) return f.corner2;
    if (f.corner2 == v) return f.corner0;
    return -1;
}

int Predecessor(const FrontFace& f, int v) {
    if (f.corner0 == v) return f.corner2;
    if (f.corner1 == v) return f.corner0;
    if (f.corner2 == v) return f.corner1;
    return -1;
}

float FrontAngle(const Point2& eA, const Point2& eB, float angleLimit) {
    const Point2 perp(eA.y, -eA.x);
    const float t = std::atan2(DotProd(eB, perp), DotProd(eB, eA));
    float phi = static_cast<float>(FrontPi - t);
    if (phi > (angleLimit / 3.0) * FrontPi) phi = static_cast<float>(phi - FrontTwoPi);
    return phi;
}

std::int32_t FrontMesh::AddVertex(const Point2& p) {
    FrontVertex rec;
    rec.pos = p;
    rec.faceListCount = 0;
    rec.active = true;
    rec.key = (p - seed).Length();
    const std::int32_t v = vertices.Append(rec);
    if (rec.key < NoKey) queue.Set(v, rec.key);
    return v;
}

void FrontMesh::AddFace(int a, int b, int c, int id) {
    const std::int32_t f = faces.Append({a, b, c, id});
    for (int corner : {a, b, c}) {
        FrontVertex& v = vertices[corner];
        if (v.faceListCount < FaceListRecordLimit) v.faceList[v.faceListCount++] = f;
    }
}

void FrontMesh::MoveVertex(int v, const Point2& p) {
    FrontVertex& rec = vertices[v];
    rec.pos = p;
    rec.key = (p - seed).Length();
    if (!rec.active) return;
    if (rec.key < NoKey)
        queue.Set(v, rec.key);
    else
        queue.Remove(v);
}

void FrontMesh::RetireVertex(int v) {
    vertices[v].active = false;
    queue.Remove(v);
}

void FrontMesh::Release() {
    vertices.Free();
    faces.Free();
    queue = FrontQueue();
    firstActive = 0;
    frontRadius = 0.0f;
    stalled = false;
}

void StartFront(FrontMesh& front, const FrontSizing& sizing) {
    front.vertices.Reset(100);
    front.faces.Reset(100);
    front.firstActive = 0;
    front.frontRadius = 0.0f;
    front.stalled = false;
    front.queue.Clear();

    const HeightGrid& grid = sizing.grid;
    const float side = static_cast<float>(grid.gridSize) * grid.cellSize;
    front.seed = grid.origin + Point2(side, side) * 0.5f;
    SizeMatrix m;
    int id = 0;
    SizeAt(grid, sizing.field, front.seed, m, id);
    front.AddVertex(front.seed);
    for (int i = 0; i < kFrontSeedCount; ++i) {
        const double a = i / 3.0 * FrontPi;
        front.AddVertex(front.seed + Apply(m, Point2(std::cos(a), std::sin(a))));
    }
    for (int i = 0; i < kFrontSeedCount; ++i)
        front.AddFace(0, i + 1, (i + 1) % kFrontSeedCount + 1, id);
}

bool AdvanceFront(FrontMesh& front, const FrontSizing& sizing) {
    // No vertex is ever made active again, so the literal scan's firstActive
    // is simply the lowest active index.
    while (front.firstActive < front.vertices.count() &&
           !front.vertices[front.firstActive].active)
        ++front.firstActive;
    const std::int32_t best = front.queue.Top();
    const float smallest = best >= 0 ? front.vertices[best].key : NoKey;
    if (static_cast<double>(front.frontRadius) > smallest * 1.5) return false;
    front.frontRadius = smallest;
    if (best < 0) return false;
    front.RetireVertex(best);
    ExpandVertex(front, sizing, best);
    return !front.stalled;
}

bool FrontNeighbours(const FrontMesh& front, int v, int& a, int& b) {
    const auto& vertices = front.vertices;
    const auto& faces = front.faces;
    const FrontVertex& rec = vertices[v];
    a = -1;
    b = -1;
    for (std::int32_t i = 0; i < rec.faceListCount; ++i) {
        const FrontFace& f = faces[rec.faceList[i]];
        if (a == -1) {
            a = Predecessor(f, v);
            for (std::int32_t j = 0; j < rec.faceListCount; ++j)
                if (Successor(faces[rec.faceList[j]], v) == a) {
                    a = -1;
                    break;
                }
        }
        if (b == -1) {
            b = Successor(f, v);
            for (std::int32_t j = 0; j < rec.faceListCount; ++j)
                if (Predecessor(faces[rec.faceList[j]], v) == b) {
                    b = -1;
                    break;
                }
        }
    }
    return a != -1 && b != -1;
}

bool ExpandVertex(FrontMesh& front, const FrontSizing& sizing, int v) {
    auto& vertices = front.vertices;
    auto& faces = front.faces;
    const TuningConstants& tuning = sizing.tuning;
    const HeightGrid& grid = sizing.grid;
    const Point2 origin = grid.origin;
    const Point2 p = vertices[v].pos;
    const float side = static_cast<float>(grid.gridSize) * grid.cellSize;
    // Written as "not inside" so that an undefined position counts as outside.
    if (!(p.x >= origin.x && p.x <= origin.x + side && p.y >= origin.y && p.y <= origin.y + side))
        return false;
    SizeMatrix m;
    int id = 0;
    SizeAt(grid, sizing.field, p, m, id);
    const SizeMatrix w = Inverse(m);

    int a = -1, b = -1;
    if (!FrontNeighbours(front, v, a, b)) return false;
    Point2 eB = Apply(w, vertices[b].pos - p);
    Point2 eA = Apply(w, p - vertices[a].pos);
    const Point2 perp(eA.y, -eA.x);
    const float phi = FrontAngle(eA, eB, tuning.FrontAngleLimit);

    const double count = phi / FrontPi * tuning.TriangleShapeFactor + tuning.FrontAngleBias;
    if (!(count >= 1.0)) { // also an undefined angle
        // Merge B into A. A list already full drops the further faces: the
        // faces themselves are still rewired, only A stops recording them,
        // as AddFace does at its own limit.
        FrontVertex& va = vertices[a];
        const FrontVertex& vb = vertices[b];
        for (std::int32_t i = 0; i < vb.faceListCount; ++i) {
            const std::int32_t fi = vb.faceList[i];
            FrontFace& f = faces[fi];
            if (f.corner0 == b) f.corner0 = a;
            if (f.corner1 == b) f.corner1 = a;
            if (f.corner2 == b) f.corner2 = a;
            if (va.faceListCount < FaceListRoom) va.faceList[va.faceListCount++] = fi;
        }
        front.MoveVertex(a, (vertices[a].pos + vertices[b].pos) * 0.5f);
        front.RetireVertex(b);
        return true;
    }
    // phi never exceeds 2 pi, so n stays below 2 TriangleShapeFactor +
    // FrontAngleBias + 1; the cap only guards the fan list against absurd constants.
    const int n = count >= FanListRoom - 1 ? FanListRoom - 1 : static_cast<int>(count);

    const float lengthB = eB.Length();
    const bool relaxB = lengthB > 1.0f;
    if (relaxB) eB = eB * (lengthB * tuning.FrontRelaxScale + tuning.FrontRelaxBias) / lengthB;
    const float lengthA = eA.Length();
    const bool relaxA = lengthA > 1.0f;
    if (relaxA) eA = eA * static_cast<float>(lengthA * 0.6 + 0.4) / lengthA;

    Point2 placed[FanListRoom];
    for (int k = 1; k <= n - 1; ++k) {
        const float angle = phi * static_cast<float>(k) / static_cast<float>(n);
        const Point2 d = Normalize(eA * -std::cos(angle) + perp * std::sin(angle));
        placed[k] = p + Apply(m, d);
        // Where float can no longer tell a step from its start, new vertices
        // would pile onto their parent for ever: the front stops here.
        if (placed[k] == p) {
            front.stalled = true;
            return false;
        }
    }
    if (relaxB) front.MoveVertex(b, p + Apply(m, eB));
    if (relaxA) front.MoveVertex(a, p - Apply(m, eA));

    int fan[FanListRoom];
    fan[0] = a;
    for (int k = 1; k <= n - 1; ++k) fan[k] = front.AddVertex(placed[k]);
    fan[n] = b;
    for (int k = 0; k <= n - 1; ++k) front.AddFace(v, fan[k], fan[k + 1], id);
    return true;
}

void SmoothFaceIds(FrontMesh& front) {
    const auto& vertices = front.vertices;
    auto& faces = front.faces;
    // The ID across edge (a, b): the first face of a in which b comes before a.
    auto across = [&](int a, int b) -> std::int32_t {
        const FrontVertex& rec = vertices[a];
        for (std::int32_t i = 0; i < rec.faceListCount; ++i) {
            const FrontFace& f = faces[rec.faceList[i]];
            if (Predecessor(f, a) == b) return f.matId;
        }
        return 0;
    };
    for (std::int32_t i = 0; i < faces.count(); ++i) {
        FrontFace& f = faces[i];
        const std::int32_t x = across(f.corner0, f.corner1);
        const std::int32_t y = across(f.corner1, f.corner2);
        const std::int32_t z = across(f.corner2, f.corner0);
        const std::int32_t m = (x == y || x == z) ? x : (y == z ? y : 0);
        if (m > 0) f.matId = m;
    }
}
