#pragma once
// Generated terrains for the mesher's benchmarks, quality report and tests.
// Each fills a build context's height grid the way the fitting stage leaves
// it (N x N nodes over a square area); MeshTerrain then runs the size field
// and the front exactly as the build driver does, without progress.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "geometry/surface_builder.h"

namespace terrain {

enum class Kind { Flat, RoundHill, Ridge, RotatedRidge, Valley, Terraces, Contours };

inline const std::vector<Kind>& AllKinds() {
    static const std::vector<Kind> kinds = {Kind::Flat,         Kind::RoundHill, Kind::Ridge,
                                            Kind::RotatedRidge, Kind::Valley,    Kind::Terraces,
                                            Kind::Contours};
    return kinds;
}

inline std::string Name(Kind k) {
    switch (k) {
    case Kind::Flat:
        return "flat";
    case Kind::RoundHill:
        return "round hill";
    case Kind::Ridge:
        return "sharp ridge";
    case Kind::RotatedRidge:
        return "ridge at 30 deg";
    case Kind::Valley:
        return "steep valley";
    case Kind::Terraces:
        return "terraced slope";
    case Kind::Contours:
        return "contour set";
    }
    return "?";
}

// Side of the square area in world units; heights are in the same units.
constexpr float Side = 1000.0f;

inline double Smoothstep(double t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// A rolling landscape: three hills, a saddle and a gentle tilt. Its contour
// lines are the "realistic" input; until contours are sampled and fitted it is
// also the grid itself.
inline double Landscape(double x, double y) {
    auto bump = [](double x, double y, double cx, double cy, double r, double h) {
        const double dx = x - cx, dy = y - cy;
        return h * std::exp(-(dx * dx + dy * dy) / (2.0 * r * r));
    };
    return 0.04 * x + 0.02 * y + bump(x, y, 300, 350, 140, 120) + bump(x, y, 650, 600, 200, 90) +
           bump(x, y, 420, 720, 90, 60) - bump(x, y, 700, 250, 120, 45);
}

// Height at world (x, y) in [0, Side]^2 for the analytic kinds.
inline double HeightOf(Kind k, double x, double y) {
    const double cx = x - Side / 2, cy = y - Side / 2;
    switch (k) {
    case Kind::Flat:
        return 25.0;
    case Kind::RoundHill:
        return 150.0 * std::exp(-(cx * cx + cy * cy) / (2.0 * 180.0 * 180.0));
    case Kind::Ridge:
        return 120.0 * std::max(0.0, 1.0 - std::fabs(cx) / 150.0);
    case Kind::RotatedRidge: {
        const double a = 30.0 * 3.14159265358979323846 / 180.0;
        const double across = cx * std::cos(a) - cy * std::sin(a);
        return 120.0 * std::max(0.0, 1.0 - std::fabs(across) / 150.0);
    }
    case Kind::Valley: {
        // A flat floor 120 wide, walls rising 200 over 40, flat shoulders.
        const double d = std::fabs(cx + 0.15 * cy);
        return 200.0 * Smoothstep((d - 60.0) / 40.0);
    }
    case Kind::Terraces: {
        // Eight steps of 30 along y: treads of 90, risers of 35.
        const double t = (y + 30.0) / 125.0;
        const double step = std::floor(t);
        const double rise = Smoothstep((t - step - 0.72) / 0.28);
        return 30.0 * (step + rise) + 0.01 * x;
    }
    case Kind::Contours:
        return Landscape(x, y);
    }
    return 0.0;
}

// Fills the grid members of b for kind k with n nodes a side (n = 2^L + 1 as
// the fitting leaves it). Material IDs are the base ID 1 with a patch of 2.
inline void FillGrid(SurfaceBuilder& b, Kind k, int n) {
    b.gridSize = n;
    b.cellSize = Side / static_cast<float>(n - 1);
    b.origin = Point2(0.0f, 0.0f);
    b.extent = Side;
    b.baseMatId = 1;
    const std::size_t count = static_cast<std::size_t>(n) * n;
    b.heights.assign(count, 0.0f);
    b.matIds.assign(count, 1);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            const double x = c * static_cast<double>(b.cellSize);
            const double y = r * static_cast<double>(b.cellSize);
            const std::size_t i = static_cast<std::size_t>(r) * n + c;
            b.heights[i] = static_cast<float>(HeightOf(k, x, y));
            if (x > 600 && x < 800 && y > 150 && y < 300) b.matIds[i] = 2;
        }
}

// The driver's mesh stages: size field, seed, front until it stops, two
// passes of the material filter. The advance is a parameter so that tests can
// put a reference scan in its place.
inline void MeshTerrain(SurfaceBuilder& b,
                        const std::function<bool(SurfaceBuilder&)>& advance = nullptr) {
    b.BuildSizeField();
    b.StartFront();
    if (advance) {
        while (advance(b)) {
        }
    } else {
        while (b.AdvanceFront()) {
        }
    }
    b.SmoothFaceIds();
    b.SmoothFaceIds();
}

} // namespace terrain
