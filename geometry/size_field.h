#pragma once
// The mesh size field: per grid node, the matrix that maps a unit step of the
// mesher's metric to the wanted world step. The stage itself is
// SurfaceBuilder::BuildSizeField (size_field.cpp); these are its parts.
#include "geometry/surface_builder.h"
#include "host/sdk/point.h"

// The eight unit vectors (cos(k pi / 8), sin(k pi / 8)), k = 0 .. 7.
extern const Point2 DirectionTable[8];

// Principal directions and scales of a 2 x 2 matrix T (rows (a, b), (c, e)):
// the result has rows P k2 and D k1, D the direction of the largest image of
// a table vector, P its perpendicular, each scale the square root of the
// singular value estimate, capped at limit.
SizeMatrix PrincipalScale(const SizeMatrix& t, float limit);

// Bounds the growth of a length field: after it no node is longer than a
// neighbour plus g (g sqrt(2) diagonally), swept in eight fixed directions.
void LimitGrowth(int n, float g, float* lengths);

// v.x r0 + v.y r1.
inline Point2 Apply(const SizeMatrix& m, const Point2& v) {
    return m.r0 * v.x + m.r1 * v.y;
}
