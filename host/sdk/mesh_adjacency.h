#pragma once
// Edge adjacency of a triangle mesh.
#include <memory>
#include <vector>

#include "base_types.h"
#include "bit_array.h"
#include "mesh.h"

constexpr DWORD UNDEFINED = 0xFFFFFFFFu;

class MEdge {
public:
    DWORD f[2] = {UNDEFINED, UNDEFINED}; // f[1] is UNDEFINED on an open edge
    DWORD v[2] = {0, 0};                 // in f[0]'s winding order

    // Which side (0..2) of face f[side] this edge is, or -1.
    int EdgeIndex(Face* faces, int side) const;
    // Visible when either face shows it.
    BOOL Visible(Face* faces) const;
    // Selected when either face side is set in esel (bits 3 * face + side).
    BOOL Selected(Face* faces, BitArray& esel) const;
    DWORD OtherVert(DWORD vv) const { return vv == v[0] ? v[1] : v[0]; }
    DWORD OtherFace(DWORD ff) const { return ff == f[0] ? f[1] : f[0]; }
};

class AdjEdgeList {
public:
    std::vector<MEdge> edges;
    // For each vertex, the indices of the edges that touch it.
    std::vector<std::vector<DWORD>> list;
    int nverts = 0;

    explicit AdjEdgeList(Mesh& mesh);
    int Count() const { return static_cast<int>(edges.size()); }
    MEdge& operator[](int i) { return edges[i]; }
    const MEdge& operator[](int i) const { return edges[i]; }
    // Index of the edge joining a and b, or -1.
    int FindEdge(DWORD a, DWORD b) const;
};

// Caches of derived mesh data; the mesh must outlive it.
class MeshTempData {
public:
    MeshTempData() = default;
    explicit MeshTempData(Mesh* m) : mesh_(m) {}
    void SetMesh(Mesh* m);
    AdjEdgeList* AdjEList();
    void Invalidate(DWORD partsChanged = 0xFFFFFFFFu);
    void freeAll();

private:
    Mesh* mesh_ = nullptr;
    std::unique_ptr<AdjEdgeList> adjEList_;
};
