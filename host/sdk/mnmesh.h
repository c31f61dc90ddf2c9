#pragma once
// Polygon mesh of the host with explicit edges: every edge knows its two
// vertices and the faces on either side (-1 for an open side).
#include <vector>

#include "base_types.h"
#include "bit_array.h"
#include "color.h"
#include "mesh.h"
#include "point.h"

class UVWMapper;

// Component flags; the bits from MN_USER up are free for callers.
constexpr DWORD MN_SEL = 1u << 0;
constexpr DWORD MN_TARG = 1u << 1;
constexpr DWORD MN_DEAD = 1u << 2;
constexpr DWORD MN_HIDDEN = 1u << 3;
constexpr DWORD MN_EDGE_INVIS = 1u << 4; // edges: not drawn
constexpr DWORD MN_USER = 1u << 25;      // 0x02000000

// Selection levels, as used by PropegateComponentFlags.
constexpr int MNM_SL_OBJECT = 0;
constexpr int MNM_SL_VERTEX = 1;
constexpr int MNM_SL_EDGE = 2;
constexpr int MNM_SL_FACE = 3;

class FlagUser {
public:
    DWORD flags = 0;
    void SetFlag(DWORD fl, bool val = true) {
        if (val)
            flags |= fl;
        else
            flags &= ~fl;
    }
    void ClearFlag(DWORD fl) { flags &= ~fl; }
    bool GetFlag(DWORD fl) const { return (flags & fl) != 0; }
    void ClearAllFlags() { flags = 0; }
};

class MNVert : public FlagUser {
public:
    Point3 p;
};

class MNEdge : public FlagUser {
public:
    int v1 = -1, v2 = -1;
    int f1 = -1, f2 = -1; // f2 is -1 on an open edge
    int OtherFace(int f) const { return f == f1 ? f2 : f1; }
    int OtherVert(int v) const { return v == v1 ? v2 : v1; }
};

class MNFace : public FlagUser {
public:
    int deg = 0;
    std::vector<int> vtx;     // corners in order
    std::vector<int> edg;     // edg[k] joins vtx[k] and vtx[(k + 1) % deg]
    std::vector<bool> visedg; // side k drawn
    std::vector<bool> edgsel; // side k selected
    DWORD smGroup = 0;
    MtlID material = 0;

    void SetDeg(int d);
    int VertIndex(int v) const;
    int EdgeIndex(int e) const;
};

class MNMapFace {
public:
    int deg = 0;
    std::vector<int> tv;
    void SetSize(int d) {
        deg = d;
        tv.assign(d, 0);
    }
};

class MNMap : public FlagUser {
public:
    int numv = 0, numf = 0;
    std::vector<UVVert> v;
    std::vector<MNMapFace> f;

    UVVert& V(int i) { return v[i]; }
    MNMapFace* F(int i) { return &f[i]; }
    void setNumVerts(int n);
    void setNumFaces(int n);
    void ClearAndFree() {
        v.clear();
        f.clear();
        numv = numf = 0;
    }
};

class MNMesh : public FlagUser {
public:
    int numv = 0, nume = 0, numf = 0;
    std::vector<MNVert> v;
    std::vector<MNEdge> e;
    std::vector<MNFace> f;
    DWORD selLevel = MNM_SL_OBJECT;

    MNMesh() = default;
    // Its triangles added and its topology filled in.
    explicit MNMesh(const Mesh& from);

    MNVert* V(int i) { return &v[i]; }
    MNEdge* E(int i) { return &e[i]; }
    MNFace* F(int i) { return &f[i]; }
    const MNVert* V(int i) const { return &v[i]; }
    const MNEdge* E(int i) const { return &e[i]; }
    const MNFace* F(int i) const { return &f[i]; }
    Point3& P(int i) { return v[i].p; }

    void Clear();
    void ClearAndFree() { Clear(); }
    // Vertices, faces, selections and map channels from a triangle mesh; edges
    // are left for FillInMesh. Selected mesh components get MN_SEL, invisible
    // face sides MN_EDGE_INVIS on their edges once they exist.
    void SetFromTri(const Mesh& from);
    // Builds the edge list from the faces: one edge per pair of vertices, two
    // faces at most; a further face on the same pair gets an edge of its own.
    void FillInMesh();
    void FillInFaceEdges() { FillInMesh(); }

    int NewVert(const Point3& p);
    int NewFace(int deg, const int* vv);

    void ClearVFlags(DWORD fl);
    void ClearEFlags(DWORD fl);
    void ClearFFlags(DWORD fl);
    void SetVFlags(DWORD fl);
    void SetEFlags(DWORD fl);
    void SetFFlags(DWORD fl);

    // Newell normal of a face; unit length when nrmlz.
    Point3 GetFaceNormal(int ff, bool nrmlz = false) const;

    // Flagged edges become open: each is replaced by one edge per face and
    // every vertex on them gets one copy per fan of faces the cut leaves
    // around it. Map channels follow the split.
    void SplitFlaggedEdges(DWORD flag = MN_SEL);

    // Triangulates (fans from each face's first corner) into tri; dead faces
    // and dead vertices are left out. MN_SEL comes out as the selections.
    void OutToTri(Mesh& tri) const;

    // Map channels 0 .. MAX_MESHMAPS - 1; channel 0 holds vertex colours.
    int MNum() const { return static_cast<int>(m.size()); }
    void SetMapNum(int n);
    MNMap* M(int mp) { return mp < MNum() ? &m[mp] : nullptr; }
    bool MapActive(int mp) const {
        return mp < MNum() && !m[mp].GetFlag(MN_DEAD) && m[mp].numf > 0;
    }
    // A fresh channel follows the faces exactly, one map vertex per mesh
    // vertex. Channel 0 starts white (1, 1, 1); every other channel starts with
    // the vertex positions as its coordinates, which is what the host does.
    void InitMap(int mp);
    void ClearMap(int mp);
    // The vertices carrying `flag` get colour clr in channel mp; map vertices
    // they share with unflagged vertices are split first.
    void SetVertColor(Color clr, int mp = 0, DWORD flag = MN_SEL);
    // Sets channel mp from the mapper, on the MN_SEL faces only when useSel.
    void ApplyMapper(UVWMapper& mapper, int mp = 1, BOOL useSel = FALSE);

    // For every component of level slTo: when its related components of level
    // slFrom carry flFrom (any of them, or all when ampersand), flTo is set on
    // it (cleared when !set). Returns the number of components so changed.
    int PropegateComponentFlags(int slTo, DWORD flTo, int slFrom, DWORD flFrom,
                                bool ampersand = false, bool set = true);

    // Nothing derived from positions is kept, so only topology can go stale.
    void InvalidateGeomCache() {}
    // Drops the edges; FillInMesh builds them again.
    void InvalidateTopoCache();

private:
    std::vector<MNMap> m;
    // noJoin[f][k] keeps side k of face f on an edge of its own.
    void BuildEdges(const std::vector<std::vector<char>>* noJoin);
};
