#pragma once
// The UVW stage of the terrain: a global planar mapping, mappings that follow
// picked paths inside their zones, black vertex colours on material borders,
// and the outline of every zone for display.
#include <cstdint>
#include <vector>

#include "host/sdk/base_types.h"
#include "host/sdk/matrix.h"
#include "host/sdk/mesh.h"
#include "host/sdk/point.h"
#include "host/sdk/poly_shape.h"

// One entry of the UVW list: a path with its polylines in the path's own
// space, the path node's transform, and the entry's settings.
struct UVWPath {
    std::int32_t channel = 2;
    float width = 1.0f; // of the texture across the path
    float zone = 1.0f;  // of the band of faces the path claims
    float angle = 0.0f; // degrees
    Matrix3 pathTM;
    PolyShape shape;
};

// The global planar mapping's settings and the list, empty slots left out.
struct UVWInputs {
    std::int32_t mapCh = 1;
    float width = 10.0f;
    float globalAngle = 0.0f; // degrees
    std::vector<UVWPath> paths;
};

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
void ApplyUVWZones(Mesh& mesh, const UVWInputs& inputs, const Matrix3& terrainTM,
                   PolyShape& zoneShape);

// Only the outline, from each path and its widths; the mesh is untouched.
void UpdateUVWOutline(const UVWInputs& inputs, const Matrix3& terrainTM, PolyShape& zoneShape);
