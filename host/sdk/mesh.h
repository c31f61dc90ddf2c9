#pragma once
// Triangle mesh of the host: vertices, faces, selections, map channels and
// the caches derived from them (normals, bounding box).
#include <vector>

#include "base_types.h"
#include "bit_array.h"
#include "box.h"
#include "channels.h"
#include "io.h"
#include "matrix.h"
#include "point.h"

class ISave;
class ILoad;
class UVWMapper;
class GraphicsWindow;
class Material;
class InterfaceServer;
struct HitRegion;
struct Rect;

using MtlID = USHORT;
using UVVert = Point3;
using VertColor = Point3;

constexpr int MAX_MESHMAPS = 100;
constexpr int NUM_HIDDENMAPS = 0;

// Face flags: one visibility bit per side, side k joining corner k and k+1.
constexpr DWORD EDGE_A = 1u << 0;
constexpr DWORD EDGE_B = 1u << 1;
constexpr DWORD EDGE_C = 1u << 2;
constexpr DWORD EDGE_ALL = EDGE_A | EDGE_B | EDGE_C;
constexpr DWORD FACE_HIDDEN = 1u << 3;
constexpr DWORD FACE_MATID_SHIFT = 16;
constexpr DWORD FACE_MATID_MASK = 0xFFFFu;
constexpr int EDGE_INVIS = 0;
constexpr int EDGE_VIS = 1;

// Selection levels of a mesh.
constexpr DWORD MESH_OBJECT = 1u << 0;
constexpr DWORD MESH_VERTEX = 1u << 1;
constexpr DWORD MESH_FACE = 1u << 2;
constexpr DWORD MESH_EDGE = 1u << 3;

class Face {
public:
    DWORD v[3] = {0, 0, 0};
    DWORD smGroup = 0;
    // Edge visibility in bits 0..2, hidden in bit 3, the zero-based material ID
    // in the upper 16 bits.
    DWORD flags = 0;

    void setVerts(int a, int b, int c) {
        v[0] = static_cast<DWORD>(a);
        v[1] = static_cast<DWORD>(b);
        v[2] = static_cast<DWORD>(c);
    }
    void setVerts(const int* vrt) { setVerts(vrt[0], vrt[1], vrt[2]); }
    DWORD getVert(int i) const { return v[i]; }
    DWORD* getAllVerts() { return v; }
    // Each argument is EDGE_VIS or EDGE_INVIS for sides A, B, C.
    void setEdgeVisFlags(int va, int vb, int vc);
    void setEdgeVis(int side, int visFlag);
    int getEdgeVis(int side) const { return (flags >> side) & 1u; }
    void setSmGroup(DWORD s) { smGroup = s; }
    DWORD getSmGroup() const { return smGroup; }
    MtlID getMatID() const {
        return static_cast<MtlID>((flags >> FACE_MATID_SHIFT) & FACE_MATID_MASK);
    }
    void setMatID(MtlID id) {
        flags = (flags & ~(FACE_MATID_MASK << FACE_MATID_SHIFT)) |
                (static_cast<DWORD>(id) << FACE_MATID_SHIFT);
    }
    void Hide() { flags |= FACE_HIDDEN; }
    void Show() { flags &= ~FACE_HIDDEN; }
    bool Hidden() const { return (flags & FACE_HIDDEN) != 0; }
    // Side (0..2) running between vertices a and b in either direction, or -1.
    int GetEdgeIndex(DWORD a, DWORD b) const;
    bool operator==(const Face& f) const {
        return v[0] == f.v[0] && v[1] == f.v[1] && v[2] == f.v[2] && smGroup == f.smGroup &&
               flags == f.flags;
    }
};

class TVFace {
public:
    DWORD t[3] = {0, 0, 0};
    TVFace() = default;
    TVFace(DWORD a, DWORD b, DWORD c) : t{a, b, c} {}
    void setTVerts(int a, int b, int c) {
        t[0] = static_cast<DWORD>(a);
        t[1] = static_cast<DWORD>(b);
        t[2] = static_cast<DWORD>(c);
    }
    DWORD getTVert(int i) const { return t[i]; }
    bool operator==(const TVFace& f) const {
        return t[0] == f.t[0] && t[1] == f.t[1] && t[2] == f.t[2];
    }
};

// One map channel: its own vertices and one map face per mesh face.
class MeshMap {
public:
    std::vector<UVVert> tv;
    std::vector<TVFace> tf;
    bool used = false;

    int getNumVerts() const { return static_cast<int>(tv.size()); }
    int getNumFaces() const { return static_cast<int>(tf.size()); }
    void setNumVerts(int n, BOOL keep = FALSE);
    void setNumFaces(int n, BOOL keep = FALSE);
    bool IsUsed() const { return used; }
    void Clear() {
        tv.clear();
        tf.clear();
        used = false;
    }
};

class Mesh {
public:
    // Read-only mirrors of the vertex and face counts, kept by the setters.
    int numVerts = 0;
    int numFaces = 0;
    std::vector<Point3> verts;
    std::vector<Face> faces;

    BitArray vertSel;
    BitArray faceSel;
    BitArray edgeSel; // bit 3 * face + side
    DWORD selLevel = MESH_OBJECT;

    Mesh();
    Mesh(const Mesh& from) = default;
    Mesh& operator=(const Mesh& from) = default;
    ~Mesh() = default;

    void Init();
    void FreeAll() { Init(); }

    int getNumVerts() const { return numVerts; }
    int getNumFaces() const { return numFaces; }
    // With keep the existing entries survive; new vertices are at the origin
    // and new faces are (0, 0, 0) with nothing set.
    BOOL setNumVerts(int n, BOOL keep = FALSE);
    BOOL setNumFaces(int n, BOOL keep = FALSE);
    Point3& getVert(int i) { return verts[i]; }
    const Point3& getVert(int i) const { return verts[i]; }
    void setVert(int i, const Point3& p) { verts[i] = p; }
    void setVert(int i, float x, float y, float z) { verts[i] = Point3(x, y, z); }
    MtlID getFaceMtlIndex(int f) const { return faces[f].getMatID(); }
    void setFaceMtlIndex(int f, MtlID id) { faces[f].setMatID(id); }

    BitArray& VertSel() { return vertSel; }
    BitArray& FaceSel() { return faceSel; }
    BitArray& EdgeSel() { return edgeSel; }

    // Map channels 0 .. MAX_MESHMAPS - 1; channel 0 holds vertex colours and
    // channel 1 the default texture coordinates.
    int getNumMaps() const { return static_cast<int>(maps.size()); }
    void setNumMaps(int n, BOOL keep = TRUE);
    BOOL mapSupport(int mp) const;
    // Turning support on for an unused channel gives it one map vertex per
    // mesh vertex (white for channel 0, the vertex position otherwise) and map
    // faces equal to the faces; turning it off frees the channel.
    void setMapSupport(int mp, BOOL support = TRUE);
    MeshMap& Map(int mp) { return maps[mp]; }
    const MeshMap& Map(int mp) const { return maps[mp]; }
    int getNumMapVerts(int mp) const { return mp < getNumMaps() ? maps[mp].getNumVerts() : 0; }
    void setNumMapVerts(int mp, int n, BOOL keep = FALSE);
    void setNumMapFaces(int mp, int n, BOOL keep = FALSE);
    UVVert* mapVerts(int mp) { return mapSupport(mp) ? maps[mp].tv.data() : nullptr; }
    TVFace* mapFaces(int mp) { return mapSupport(mp) ? maps[mp].tf.data() : nullptr; }

    // Face normals and, for every face corner, the vertex normal of the
    // smoothing group the face belongs to there (the face normal itself for a
    // face without smoothing group).
    void buildNormals();
    void buildRenderNormals() { buildNormals(); }
    // Unit normal of face f from the cache (built when missing).
    Point3 getFaceNormal(int f);
    void setFaceNormal(int f, const Point3& n);
    // Smoothed unit normal of corner `corner` (0..2) of face f.
    Point3 getCornerNormal(int f, int corner);
    // The first smoothed normal found at vertex v.
    Point3 getNormal(int v);

    void buildBoundingBox();
    // The box of the vertices, or of the vertices times tm when tm is given.
    Box3 getBoundingBox(Matrix3* tm = nullptr);

    // Draws the mesh in the window's transform: lit faces unless the window
    // is in wire-frame, visible edges in wire-frame or with edged faces. Face
    // f takes material ma[id % numMat]. rp (the area to redraw) and
    // compFlags are accepted as the host passes them; everything is drawn.
    void render(GraphicsWindow* gw, Material* ma, Rect* rp, int compFlags, int numMat = 1,
                InterfaceServer* iface = nullptr);
    // Hit-tests what render would draw against hr; TRUE on a hit, the
    // window's hit distance the closest. abortOnHit stops at the first.
    BOOL select(GraphicsWindow* gw, Material* ma, HitRegion* hr, int abortOnHit = FALSE,
                int numMat = 1);

    // Copies from src the parts named by the channel mask; the rest stays.
    void DeepCopy(Mesh* src, ChannelMask channels);

    // Deletes the faces whose bit is set, with their map faces and selection
    // bits. When isoVert is given it receives one bit per vertex, set for the
    // vertices that only deleted faces used. Vertices are not removed.
    void DeleteFaceSet(BitArray set, BitArray* isoVert = nullptr);
    // Removes vertices that no face uses and renumbers the faces.
    void DeleteIsoVerts();
    void DeleteVertSet(BitArray set);

    void InvalidateGeomCache();
    void InvalidateTopologyCache();

    // Sets channel `channel` from the mapper; with useSel only the selected
    // faces are remapped and the others keep their map vertices.
    void ApplyMapper(UVWMapper& mapper, int channel = 1, BOOL useSel = FALSE);

    IOResult Save(ISave* isave);
    IOResult Load(ILoad* iload);

private:
    std::vector<MeshMap> maps;
    std::vector<Point3> faceNormals_;
    std::vector<Point3> cornerNormals_; // 3 per face
    bool normalsValid_ = false;
    Box3 bdgBox_;
    bool boxValid_ = false;
};
