#pragma once
// Small stateless helpers on the host's value types shared by several stages.
#include "host/sdk/point.h"

class GraphicsWindow;

inline Point3 ScalePoint3(const Point3& v, float s) {
    return {v.x * s, v.y * s, v.z * s};
}
inline Point3 DividePoint3(const Point3& v, float s) {
    return {v.x / s, v.y / s, v.z / s};
}

// Even-odd crossing test against the polygon q[0 .. n-1]; a point on a lower
// vertex row counts as above it.
bool PointInPolygon(const Point2& p, const Point2* q, int n);

// Both draw inside a startSegments / endSegments bracket that the caller opens.
void DrawSegment(GraphicsWindow* gw, const Point3& p, const Point3& q);
// A quarter ellipse from a to b, tangent to k - a at a and to k - b at b.
void DrawRoundedCorner(GraphicsWindow* gw, const Point3& a, const Point3& k, const Point3& b);
