#pragma once
// Smooth height lookup over a terrain mesh: every face carries a cubic patch
// built from its corner heights and corner normals, so heights run smoothly
// across face borders; a quadtree over the faces finds the patch under a point.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/worker_pool.h"
#include "host/sdk/matrix.h"
#include "host/sdk/point.h"

class Mesh;

struct SurfacePatch {
    Point2 corner[3];
    float planeA = 0.0f, planeB = 0.0f, planeC = 0.0f; // the flat face: z = A x + B y + C
    float h0 = 0.0f, h1 = 0.0f, h2 = 0.0f;
    float e01 = 0.0f, e02 = 0.0f, e10 = 0.0f, e12 = 0.0f, e20 = 0.0f, e21 = 0.0f;
    float mid = 0.0f;
    Matrix2 toLocal; // (x, y) -> (u, v) with p = corner0 + u (c1 - c0) + v (c2 - c0)
    // False for a face with no extent in x, y (its toLocal is meaningless) or
    // with values beyond single precision: it never answers a height.
    bool usable = true;

    // Barycentric weights of p: (u, v) from toLocal and w = 1 - u - v.
    void Local(const Point2& p, float& u, float& v, float& w) const;
    bool Contains(const Point2& p) const;
    float Evaluate(float u, float v, float w) const;
};

struct QuadNode {
    std::unique_ptr<QuadNode> child[4]; // index (x upper) + 2 (y upper); all null in a leaf
    Point2 boxMin, boxMax, centre;
    std::vector<const SurfacePatch*> patchRefs; // leaves only
    std::int32_t refCount = 0;

    bool IsLeaf() const { return !child[0]; }
};

class SurfaceLookup {
public:
    SurfaceLookup() = default;
    ~SurfaceLookup() = default;
    SurfaceLookup(const SurfaceLookup&) = delete;
    SurfaceLookup& operator=(const SurfaceLookup&) = delete;

    // Rebuilds the patches and the tree from a mesh; what was there is freed
    // first. A pool splits the tree's building; the tree is the same.
    void BuildSurfaceLookup(const Mesh& mesh, WorkerPool* pool = nullptr);
    // The same from plain arrays: corners holds three vertex indices per face.
    void BuildFromTriangles(const Point3* verts, int numVerts, const std::int32_t* corners,
                            int numFaces, WorkerPool* pool = nullptr);
    void FreeSurfaceLookup();

    // Overwrites h with the height of the patch under p; leaves it alone when no
    // patch covers p or the lookup is empty.
    void SurfaceHeight(const Point2& p, float& h) const;
    void SurfaceHeight(const Point3& p, float& h) const { SurfaceHeight(Point2(p.x, p.y), h); }

    // The leaf whose square p descends to; null when empty.
    const QuadNode* LeafFor(const Point2& p) const;

    bool Empty() const { return !patches; }

    std::int32_t patchCount = 0;
    std::unique_ptr<SurfacePatch[]> patches;
    std::unique_ptr<QuadNode> root;
};

// The most tree nodes, and the most patch references its leaves hold
// together, a lookup over so many faces may use: the tree stops splitting
// there, whatever the mesh.
std::size_t LookupNodeBudget(int faces);
std::size_t LookupRefBudget(int faces);

// Height at q of the tangent plane through p with normal n, taken the fraction f
// of the way from p.z.
float ControlHeight(const Point3& p, const Point3& n, const Point3& q, float f);
// True when c-d straddles the line of a-b and a-b straddles the line of c-d.
bool SegmentsCross(const Point2& a, const Point2& b, const Point2& c, const Point2& d);
bool PatchOverlapsBox(const SurfacePatch& patch, const Point2& boxMin, const Point2& boxMax);
