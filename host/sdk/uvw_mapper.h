#pragma once
// Texture-coordinate generators.
//
// MAP_PLANAR: the transform takes an object-space point straight into mapping
// space, q = p * tm. Then u = q.x + 0.5, v = q.y + 0.5 and w = 0, so the unit
// square centred on the mapping origin covers 0..1 in u and v; the depth q.z
// plays no part. A flip mirrors a coordinate inside the unit range (c becomes
// 1 - c) and the tiling multiplies it afterwards. The cap flag only matters for
// mapping types with a side and an end, so planar mapping ignores it.
#include "base_types.h"
#include "matrix.h"
#include "point.h"

using UVVert = Point3;

constexpr int MAP_PLANAR = 0;

class UVWMapper {
public:
    int type = MAP_PLANAR;
    int cap = FALSE;
    float utile = 1.0f, vtile = 1.0f, wtile = 1.0f;
    int uflip = FALSE, vflip = FALSE, wflip = FALSE;
    Matrix3 tm;

    UVWMapper() = default;
    UVWMapper(int type, const Matrix3& tm, int cap = FALSE, float utile = 1.0f, float vtile = 1.0f,
              float wtile = 1.0f, int uflip = FALSE, int vflip = FALSE, int wflip = FALSE);

    // Coordinates of object-space point p; norm is the surface normal there,
    // unused by planar mapping.
    UVVert MapPoint(const Point3& p, const Point3& norm = Point3(0.0f, 0.0f, 1.0f)) const;
    // Planar mapping gives every point one coordinate, so no face needs its
    // own map vertices.
    bool NormalMatters() const { return false; }
};
