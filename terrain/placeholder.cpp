#include "terrain/placeholder.h"

#include <vector>

#include "geometry/geometry_primitives.h"
#include "host/sdk/graphics_window.h"

namespace {

struct Curve {
    int count;
    Point2 pts[5];
};

// Control points in units of d: each curve runs from its first point to its
// last, bending smoothly near the inner ones.
const Curve kCurves[7] = {
    {5, {{-0.31f, 1.0f}, {-0.48f, 0.64f}, {-0.47f, 0.21f}, {0.09f, 0.76f}, {1.0f, 0.97f}}},
    {3, {{-0.09f, 1.0f}, {-0.25f, 0.73f}, {0.23f, 1.0f}}},
    {3, {{-0.82f, 1.0f}, {-0.71f, -0.03f}, {-1.0f, -0.71f}}},
    {3, {{-1.0f, 0.5f}, {-0.88f, 0.1f}, {-1.0f, -0.3f}}},
    {3, {{1.0f, 0.73f}, {-0.18f, 0.19f}, {-0.83f, -1.0f}}},
    {4, {{1.0f, 0.28f}, {0.01f, -0.02f}, {-0.26f, -0.85f}, {1.0f, -0.81f}}},
    {4, {{1.0f, -0.04f}, {0.43f, -0.19f}, {0.22f, -0.57f}, {1.0f, -0.48f}}},
};

Point3 Mid(const Point3& a, const Point3& b) {
    return (a + b) * 0.5f;
}

// Three points: two arcs meeting halfway, tangent to both legs at the ends.
// More: straight from the ends to a sixth along the outer legs, arcs round
// every inner point between the middles of its legs (the outer legs at five
// sixths), so the curve keeps one tangent all along.
void DrawRoundedPath(GraphicsWindow* gw, const std::vector<Point3>& p) {
    const std::size_t n = p.size();
    if (n == 3) {
        const Point3 ka = Mid(p[0], p[1]), kb = Mid(p[1], p[2]);
        const Point3 half = Mid(ka, kb);
        DrawRoundedCorner(gw, p[0], ka, half);
        DrawRoundedCorner(gw, half, kb, p[2]);
        return;
    }
    auto along = [&](std::size_t i, float f) { return p[i] + (p[i + 1] - p[i]) * f; };
    Point3 from = along(0, 1.0f / 6.0f);
    DrawSegment(gw, p[0], from);
    for (std::size_t i = 1; i + 1 < n; ++i) {
        const Point3 to = i + 2 == n ? along(i, 5.0f / 6.0f) : along(i, 0.5f);
        DrawRoundedCorner(gw, from, p[i], to);
        from = to;
    }
    DrawSegment(gw, from, p[n - 1]);
}

} // namespace

void DrawPlaceholder(GraphicsWindow* gw, float d) {
    if (!(d >= kPlaceholderMinSize)) return;
    gw->startSegments();
    const Point3 a(-d, -d, 0.0f), b(-d, d, 0.0f), c(d, -d, 0.0f), e(d, d, 0.0f);
    DrawSegment(gw, a, b);
    DrawSegment(gw, c, e);
    DrawSegment(gw, a, c);
    DrawSegment(gw, b, e);
    std::vector<Point3> pts;
    for (const Curve& curve : kCurves) {
        pts.clear();
        for (int i = 0; i < curve.count; ++i)
            pts.emplace_back(curve.pts[i].x * d, curve.pts[i].y * d, 0.0f);
        DrawRoundedPath(gw, pts);
    }
    gw->endSegments();
}
