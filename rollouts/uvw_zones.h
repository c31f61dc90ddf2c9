#pragma once
// The UVW stage of the terrain: a global planar mapping, mappings that follow
// picked paths inside their zones, black vertex colours on material borders,
// and the outline of every zone for display.
#include "host/sdk/base_types.h"
#include "host/sdk/matrix.h"
#include "host/sdk/mesh.h"
#include "host/sdk/point.h"
#include "host/sdk/poly_shape.h"

class IParamBlock2;
class INode;
class Interface;
class ReferenceTarget;

// Parameter ids of the terrain object's block read here.
namespace uvw_param {
constexpr int UVW_Node = 14;
constexpr int Map_ch = 15;
constexpr int UVW_width = 16;
constexpr int UVW_angle = 17;
constexpr int MapCh = 18;
constexpr int Width = 19;
constexpr int globalangle = 20;
constexpr int UVW_zone = 21;
} // namespace uvw_param

constexpr int UVW_LIST_SLOTS = 200;
// Face flag of the stage: set on a face that a zone segment has mapped.
constexpr DWORD UVW_CLAIMED_FACE = 0x02000000;

// The frame of vertex i of a path polyline, in world space.
struct PathFrame {
    Point3 P;      // the vertex times pathTM
    Matrix3 frame; // rows: direction, side, up (0, 0, 1), P
    Point3 off;    // unit direction in which the zone's corners lie
};

PathFrame PathFrameAt(const PolyLine& line, int i, const Matrix3& pathTM);

// The whole stage over the terrain mesh (modified in place) and its outline.
// terrainTM is the terrain node's object transform, the identity without node.
void ApplyUVWZones(Mesh& mesh, IParamBlock2* pblock, const Matrix3& terrainTM,
                   PolyShape& zoneShape);

// Only the outline, from UVW_Node, UVW_width and UVW_zone; the mesh is untouched.
void UpdateUVWOutline(IParamBlock2* pblock, const Matrix3& terrainTM, PolyShape& zoneShape);

// The same with the transform at time 0 of the terrain's node found from ip's
// root (see TerrainTransform), as the terrain object's own operation does it.
void UpdateUVWOutline(Interface* ip, ReferenceTarget* terrain, IParamBlock2* pblock,
                      PolyShape& zoneShape);

// Depth first from root, a node before its children: the first selected node
// whose object reference is obj, or null.
INode* FindSelectedNodeOf(INode* root, ReferenceTarget* obj);

// The object transform at t of the node found from ip's root for obj; the
// identity when there is no interface or no such node.
Matrix3 TerrainTransform(Interface* ip, ReferenceTarget* obj, TimeValue t);

// The stage as the rollout's "Update" runs it, before the height lookup is
// rebuilt by the caller.
void ReapplyUVWZones(Interface* ip, ReferenceTarget* terrain, TimeValue t, Mesh& mesh,
                     IParamBlock2* pblock, PolyShape& zoneShape);
