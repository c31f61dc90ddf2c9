#include "geometry/surface_lookup.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>

#include "host/sdk/mesh.h"

namespace {

constexpr int kMaxDepth = 16;

// p * toLocal, written out here so the tree's tests inline; the same
// arithmetic in the same order as the SDK's product.
inline Point2 ToLocal(const Point2& p, const Matrix2& a) {
    return {p.x * a.m[0].x + p.y * a.m[1].x + a.m[2].x, p.x * a.m[0].y + p.y * a.m[1].y + a.m[2].y};
}

inline bool CrossesSegment(const Point2& a, const Point2& b, const Point2& c, const Point2& d) {
    const Point2 m1(-(b - a).y, (b - a).x);
    const float s1 = DotProd(c - a, m1), s2 = DotProd(d - a, m1);
    if ((s1 <= 0.0f) != (s2 > 0.0f)) return false;
    const Point2 m2(-(d - c).y, (d - c).x);
    const float t1 = DotProd(a - c, m2), t2 = DotProd(b - c, m2);
    return (t1 <= 0.0f) == (t2 > 0.0f);
}

inline bool ContainsPoint(const SurfacePatch& patch, const Point2& p) {
    const Point2 l = ToLocal(p, patch.toLocal);
    const float u = l.x, v = l.y, w = 1.0f - u - v;
    return u >= 0.0f && v >= 0.0f && w >= 0.0f;
}

inline bool OverlapsBox(const SurfacePatch& patch, const Point2& boxMin, const Point2& boxMax) {
    for (const Point2& c : patch.corner)
        if (c.x >= boxMin.x && c.x <= boxMax.x && c.y >= boxMin.y && c.y <= boxMax.y) return true;
    const Point2 box[4] = {boxMin, Point2(boxMax.x, boxMin.y), boxMax, Point2(boxMin.x, boxMax.y)};
    if (patch.usable)
        for (const Point2& b : box)
            if (ContainsPoint(patch, b)) return true;
    for (int i = 0; i < 3; ++i) {
        const Point2& a = patch.corner[i];
        const Point2& b = patch.corner[(i + 1) % 3];
        if (CrossesSegment(a, b, box[0], box[2]) || CrossesSegment(a, b, box[1], box[3]))
            return true;
    }
    return false;
}

using PatchList = std::vector<const SurfacePatch*>;

// The budget spent depth first, as one thread builds the tree: a node whose
// split would overspend stays a leaf.
struct TreeBudget {
    std::size_t nodes = 0;
    std::size_t refs = 0;

    bool HasNodes() const { return nodes >= 4; }
    bool Take(std::size_t addedRefs) {
        if (addedRefs > refs) return false;
        nodes -= 4;
        refs -= addedRefs;
        return true;
    }
};

// What the subtrees built side by side spend together. A tree that never
// reaches the budget this way is the very tree the depth-first budget gives
// (every check there passes); once it is overspent the build stops and starts
// again depth first.
struct SharedBudget {
    std::size_t nodeLimit = 0, refLimit = 0;
    std::atomic<std::size_t> nodes{0}, refs{0};
    std::atomic<bool> overspent{false};

    bool HasNodes() const { return !overspent.load(std::memory_order_relaxed); }
    bool Take(std::size_t addedRefs) {
        const std::size_t n = nodes.fetch_add(4, std::memory_order_relaxed) + 4;
        const std::size_t r = refs.fetch_add(addedRefs, std::memory_order_relaxed) + addedRefs;
        if (n <= nodeLimit && r <= refLimit) return true;
        overspent.store(true, std::memory_order_relaxed);
        return false;
    }
};

Point2 QuarterMin(const Point2& boxMin, const Point2& half, int q) {
    return boxMin + Point2((q & 1) * half.x, (q >> 1) * half.y);
}

// Quarter q of the box is (q & 1: upper x) + 2 (q >> 1: upper y); each sublist
// keeps the order of list. With a pool, the tests run over it in pieces.
void SplitList(const PatchList& list, const Point2& boxMin, const Point2& half, PatchList sub[4],
               WorkerPool* pool) {
    Point2 lo[4], hi[4];
    for (int q = 0; q < 4; ++q) {
        lo[q] = QuarterMin(boxMin, half, q);
        hi[q] = lo[q] + half;
    }
    std::vector<std::uint8_t> in(list.size());
    RunRanges(pool, list.size(), 1024, [&](std::size_t i0, std::size_t i1) {
        for (std::size_t i = i0; i < i1; ++i) {
            std::uint8_t bits = 0;
            for (int q = 0; q < 4; ++q)
                if (OverlapsBox(*list[i], lo[q], hi[q])) bits |= static_cast<std::uint8_t>(1 << q);
            in[i] = bits;
        }
    });
    for (int q = 0; q < 4; ++q) {
        std::size_t count = 0;
        for (std::uint8_t bits : in) count += (bits >> q) & 1;
        sub[q].reserve(count);
        for (std::size_t i = 0; i < list.size(); ++i)
            if ((in[i] >> q) & 1) sub[q].push_back(list[i]);
    }
}

// A subtree left for later: its node and the patches it starts from.
struct PendingNode {
    QuadNode* node;
    PatchList list;
    int depth;
};

// Fills node over its box from list. Nodes at depth stopAt (when given) are
// left in pending with their lists instead of being filled.
template <class Budget>
void FillNode(QuadNode& node, PatchList list, int depth, Budget& budget, WorkerPool* pool,
              int stopAt, std::vector<PendingNode>* pending) {
    node.centre = (node.boxMin + node.boxMax) * 0.5f;
    if (pending && depth == stopAt) {
        pending->push_back({&node, std::move(list), depth});
        return;
    }
    if (depth < static_cast<int>(list.size()) && depth < kMaxDepth && budget.HasNodes()) {
        const Point2 half = (node.boxMax - node.boxMin) * 0.5f;
        PatchList sub[4];
        SplitList(list, node.boxMin, half, sub, pool);
        std::size_t total = 0;
        bool separates = false;
        for (const PatchList& s : sub) {
            total += s.size();
            separates = separates || s.size() < list.size();
        }
        // Patches piled on one point (or a box of no size) land in every
        // quarter: splitting again would only copy them.
        if (separates && budget.Take(total - list.size())) {
            list = {};
            for (int q = 0; q < 4; ++q) {
                node.child[q] = std::make_unique<QuadNode>();
                node.child[q]->boxMin = QuarterMin(node.boxMin, half, q);
                node.child[q]->boxMax = node.child[q]->boxMin + half;
                FillNode(*node.child[q], std::move(sub[q]), depth + 1, budget, pool, stopAt,
                         pending);
            }
            return;
        }
    }
    node.refCount = static_cast<std::int32_t>(list.size());
    node.patchRefs = std::move(list);
}

// The top levels split with the pool over each list, the subtrees below
// them one piece each.
constexpr int kSharedLevels = 3;

std::unique_ptr<QuadNode> BuildTree(const Point2& lo, const Point2& hi, const PatchList& all,
                                    std::size_t nodeBudget, std::size_t refBudget,
                                    WorkerPool* pool) {
    auto root = std::make_unique<QuadNode>();
    root->boxMin = lo;
    root->boxMax = hi;
    if (pool && pool->Size() > 1) {
        SharedBudget shared;
        shared.nodeLimit = nodeBudget;
        shared.refLimit = refBudget;
        std::vector<PendingNode> pending;
        FillNode(*root, all, 0, shared, pool, kSharedLevels, &pending);
        pool->Run(static_cast<int>(pending.size()), [&](int i) {
            PendingNode& p = pending[static_cast<std::size_t>(i)];
            FillNode(*p.node, std::move(p.list), p.depth, shared, nullptr, -1, nullptr);
        });
        if (!shared.overspent.load()) return root;
        root = std::make_unique<QuadNode>();
        root->boxMin = lo;
        root->boxMax = hi;
    }
    TreeBudget budget{nodeBudget, refBudget};
    FillNode(*root, all, 0, budget, nullptr, -1, nullptr);
    return root;
}

SurfacePatch MakePatch(const Point3 v[3], const Point3 n[3]) {
    SurfacePatch s;
    for (int i = 0; i < 3; ++i) s.corner[i] = Point2(v[i].x, v[i].y);
    const Point3 g = (v[0] + v[1] + v[2]) / 3.0f;
    s.h0 = v[0].z;
    s.h1 = v[1].z;
    s.h2 = v[2].z;
    s.e01 = 3.0f * ControlHeight(v[0], n[0], v[1], 0.3333333f);
    s.e02 = 3.0f * ControlHeight(v[0], n[0], v[2], 0.3333333f);
    s.e10 = 3.0f * ControlHeight(v[1], n[1], v[0], 0.3333333f);
    s.e12 = 3.0f * ControlHeight(v[1], n[1], v[2], 0.3333333f);
    s.e20 = 3.0f * ControlHeight(v[2], n[2], v[0], 0.3333333f);
    s.e21 = 3.0f * ControlHeight(v[2], n[2], v[1], 0.3333333f);
    float sum = 0.0f;
    for (int i = 0; i < 3; ++i) sum += ControlHeight(v[i], n[i], g, 0.666666f);
    s.mid = 2.0f * sum;

    const Point3 fn = (v[1] - v[0]) ^ (v[2] - v[0]);
    if (fn.z == 0.0f) {
        s.usable = false;
        return s;
    }
    s.planeA = -fn.x / fn.z;
    s.planeB = -fn.y / fn.z;
    s.planeC = (fn % v[0]) / fn.z;
    s.toLocal = Inverse(Matrix2(s.corner[1] - s.corner[0], s.corner[2] - s.corner[0], s.corner[0]));
    // Coordinates beyond single precision (a vertex thrown to 3e38, a node
    // scaled by 1e30) leave infinities and NaNs here; such a patch would
    // claim points far from its face and answer NaN, so it answers nothing.
    const float values[] = {s.planeA, s.planeB, s.planeC, s.h0,  s.h1,  s.h2,  s.e01, s.e02,
                            s.e10,    s.e12,    s.e20,    s.e21, s.mid};
    bool finite = true;
    for (float v : values) finite = finite && std::isfinite(v);
    for (int r = 0; r < 3; ++r) {
        const Point2 row = s.toLocal.GetRow(r);
        finite = finite && std::isfinite(row.x) && std::isfinite(row.y);
    }
    s.usable = finite;
    return s;
}

} // namespace

std::size_t LookupNodeBudget(int faces) {
    return 4 * static_cast<std::size_t>(std::max(faces, 0)) + 64;
}

std::size_t LookupRefBudget(int faces) {
    return 16 * static_cast<std::size_t>(std::max(faces, 0)) + 256;
}

float ControlHeight(const Point3& p, const Point3& n, const Point3& q, float f) {
    // A normal lying in the x, y plane says nothing about the slope towards q.
    if (n.z == 0.0f) return p.z;
    return p.z + f * (n.x * (p.x - q.x) + n.y * (p.y - q.y)) / n.z;
}

bool SegmentsCross(const Point2& a, const Point2& b, const Point2& c, const Point2& d) {
    return CrossesSegment(a, b, c, d);
}

bool PatchOverlapsBox(const SurfacePatch& patch, const Point2& boxMin, const Point2& boxMax) {
    return OverlapsBox(patch, boxMin, boxMax);
}

void SurfacePatch::Local(const Point2& p, float& u, float& v, float& w) const {
    const Point2 l = ToLocal(p, toLocal);
    u = l.x;
    v = l.y;
    w = 1.0f - u - v;
}

bool SurfacePatch::Contains(const Point2& p) const {
    if (!usable) return false;
    float u, v, w;
    Local(p, u, v, w);
    return u >= 0.0f && v >= 0.0f && w >= 0.0f;
}

float SurfacePatch::Evaluate(float u, float v, float w) const {
    return h0 * w * w * w + h1 * u * u * u + h2 * v * v * v + (e01 * u + e02 * v) * w * w +
           (e10 * w + e12 * v) * u * u + (e20 * w + e21 * u) * v * v + mid * u * v * w;
}

void SurfaceLookup::FreeSurfaceLookup() {
    root.reset();
    patches.reset();
    patchCount = 0;
}

void SurfaceLookup::BuildFromTriangles(const Point3* verts, int numVerts,
                                       const std::int32_t* corners, int numFaces,
                                       WorkerPool* pool) {
    FreeSurfaceLookup();
    if (numFaces <= 0) return;

    std::vector<Point3> normals(static_cast<std::size_t>(numVerts), Point3(0.0f, 0.0f, 0.0f));
    for (int f = 0; f < numFaces; ++f) {
        const std::int32_t* c = corners + 3 * f;
        const Point3 n = Normalize((verts[c[1]] - verts[c[0]]) ^ (verts[c[2]] - verts[c[0]]));
        for (int k = 0; k < 3; ++k) normals[static_cast<std::size_t>(c[k])] += n;
    }

    patchCount = numFaces;
    patches = std::make_unique<SurfacePatch[]>(static_cast<std::size_t>(numFaces));
    for (int f = 0; f < numFaces; ++f) {
        const std::int32_t* c = corners + 3 * f;
        const Point3 v[3] = {verts[c[0]], verts[c[1]], verts[c[2]]};
        const Point3 n[3] = {normals[static_cast<std::size_t>(c[0])],
                             normals[static_cast<std::size_t>(c[1])],
                             normals[static_cast<std::size_t>(c[2])]};
        patches[static_cast<std::size_t>(f)] = MakePatch(v, n);
    }
    normals.clear();
    normals.shrink_to_fit();

    Point2 lo(1.0e30f, 1.0e30f), hi(-1.0e30f, -1.0e30f);
    for (int i = 0; i < numVerts; ++i) {
        if (verts[i].x < lo.x) lo.x = verts[i].x;
        if (verts[i].y < lo.y) lo.y = verts[i].y;
        if (verts[i].x > hi.x) hi.x = verts[i].x;
        if (verts[i].y > hi.y) hi.y = verts[i].y;
    }
    PatchList all(static_cast<std::size_t>(numFaces));
    for (int f = 0; f < numFaces; ++f)
        all[static_cast<std::size_t>(f)] = &patches[static_cast<std::size_t>(f)];
    root = BuildTree(lo, hi, all, LookupNodeBudget(numFaces) - 1,
                     LookupRefBudget(numFaces) - static_cast<std::size_t>(numFaces), pool);
}

const QuadNode* SurfaceLookup::LeafFor(const Point2& p) const {
    const QuadNode* node = root.get();
    if (!node) return nullptr;
    while (!node->IsLeaf())
        node =
            node->child[(p.x > node->centre.x ? 1 : 0) + 2 * (p.y > node->centre.y ? 1 : 0)].get();
    return node;
}

void SurfaceLookup::SurfaceHeight(const Point2& p, float& h) const {
    if (!patches) return;
    const QuadNode* leaf = LeafFor(p);
    for (const SurfacePatch* patch : leaf->patchRefs) {
        if (!patch->usable) continue;
        float u, v, w;
        patch->Local(p, u, v, w);
        if (u >= 0.0f && v >= 0.0f && w >= 0.0f) h = patch->Evaluate(u, v, w);
    }
}

void SurfaceLookup::BuildSurfaceLookup(const Mesh& mesh, WorkerPool* pool) {
    const int nf = mesh.getNumFaces();
    std::vector<std::int32_t> corners(static_cast<std::size_t>(nf) * 3);
    for (int f = 0; f < nf; ++f)
        for (int k = 0; k < 3; ++k)
            corners[static_cast<std::size_t>(3 * f + k)] =
                static_cast<std::int32_t>(mesh.faces[static_cast<std::size_t>(f)].v[k]);
    BuildFromTriangles(mesh.verts.data(), mesh.getNumVerts(), corners.data(), nf, pool);
}
