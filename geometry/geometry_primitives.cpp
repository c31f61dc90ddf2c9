#include "geometry/geometry_primitives.h"

#include <cmath>

#include "host/sdk/graphics_window.h"

bool PointInPolygon(const Point2& p, const Point2* q, int n) {
    bool inside = false;
    for (int i = 0; i < n; ++i) {
        const Point2& a = q[i];
        const Point2& b = q[(i + 1) % n];
        const bool spans = (a.y <= p.y && p.y < b.y) || (b.y <= p.y && p.y < a.y);
        if (spans && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
    return inside;
}

void DrawSegment(GraphicsWindow* gw, const Point3& p, const Point3& q) {
    Point3 pts[2] = {p, q};
    gw->segment(pts, 1);
}

void DrawRoundedCorner(GraphicsWindow* gw, const Point3& a, const Point3& k, const Point3& b) {
    // o is the parallelogram's fourth corner; the arc is o + u cos t + v sin t.
    const Point3 o = a + b - k;
    const Point3 u = a - o;
    const Point3 v = b - o;
    Point3 prev = a;
    for (int i = 1; i <= 10; ++i) {
        const float t = static_cast<float>(i) * 0.05f * 3.1415927f;
        const Point3 next = o + u * std::cos(t) + v * std::sin(t);
        DrawSegment(gw, prev, next);
        prev = next;
    }
}
