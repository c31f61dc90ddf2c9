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

#include "tests/support/stage_parts.h"

namespace terrain {

enum class Kind { Flat, RoundHill, Ridge, RotatedRidge, CrossRidge, Valley, Terraces, Contours };

inline const std::vector<Kind>& AllKinds() {
    static const std::vector<Kind> kinds = {Kind::Flat,         Kind::RoundHill,  Kind::Ridge,
                                            Kind::RotatedRidge, Kind::CrossRidge, Kind::Valley,
                                            Kind::Terraces,     Kind::Contours};
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
    case Kind::CrossRidge:
        return "ridge along x";
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

// A rolling landscape: three hills, a hollow and a gentle tilt. Its contour
// lines are the realistic input, sampled and fitted like a user's contours.
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
    case Kind::CrossRidge:
        return 120.0 * std::max(0.0, 1.0 - std::fabs(cy) / 150.0);
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

// Contour lines of the landscape every `spacing` height units, traced by
// marching squares on a lattice of `cells` x `cells` over the square; each
// crossing of a lattice cell becomes one segment at the contour's height.
inline std::vector<ContourSegment> LandscapeContours(double spacing, int cells) {
    const double step = Side / cells;
    std::vector<double> f(static_cast<std::size_t>(cells + 1) * (cells + 1));
    double lo = 1e300, hi = -1e300;
    for (int r = 0; r <= cells; ++r)
        for (int c = 0; c <= cells; ++c) {
            const double z = Landscape(c * step, r * step);
            f[static_cast<std::size_t>(r) * (cells + 1) + c] = z;
            lo = std::min(lo, z), hi = std::max(hi, z);
        }
    std::vector<ContourSegment> out;
    for (double level = std::ceil(lo / spacing) * spacing; level <= hi; level += spacing)
        for (int r = 0; r < cells; ++r)
            for (int c = 0; c < cells; ++c) {
                // Corners counter-clockwise; a crossing on each edge whose ends differ in side.
                const int cc[4] = {c, c + 1, c + 1, c}, rr[4] = {r, r, r + 1, r + 1};
                std::vector<Point3> cross;
                for (int e = 0; e < 4; ++e) {
                    const int a = e, b2 = (e + 1) % 4;
                    const double za = f[static_cast<std::size_t>(rr[a]) * (cells + 1) + cc[a]];
                    const double zb = f[static_cast<std::size_t>(rr[b2]) * (cells + 1) + cc[b2]];
                    if ((za < level) == (zb < level)) continue;
                    const double t = (level - za) / (zb - za);
                    cross.emplace_back((cc[a] + t * (cc[b2] - cc[a])) * step,
                                       (rr[a] + t * (rr[b2] - rr[a])) * step, level);
                }
                for (std::size_t i = 0; i + 1 < cross.size(); i += 2)
                    out.push_back({cross[i], cross[i + 1]});
            }
    return out;
}

// The contour set through the real stages: contour segments, sampling set-up,
// coarse-to-fine fitting with n = 2^levels + 1 nodes a side, and the five
// smoothing passes the build driver runs after platform clamping.
inline void FitContours(StageParts& b, int n) {
    int levels = 0;
    while ((1 << levels) + 1 < n) ++levels;
    for (const ContourSegment& s : LandscapeContours(10.0, 100)) b.AppendSegment(s.start, s.end);
    b.SetUpSampling(levels);
    b.FitHeightField(levels);
    b.grid.baseMatId = 1;
    b.grid.matIds.assign(static_cast<std::size_t>(b.grid.gridSize) * b.grid.gridSize, 1);
    for (int r = 0; r < b.grid.gridSize; ++r)
        for (int c = 0; c < b.grid.gridSize; ++c) {
            const double x = b.grid.origin.x + c * static_cast<double>(b.grid.cellSize);
            const double y = b.grid.origin.y + r * static_cast<double>(b.grid.cellSize);
            if (x > 600 && x < 800 && y > 150 && y < 300)
                b.grid.matIds[static_cast<std::size_t>(r) * b.grid.gridSize + c] = 2;
        }
    for (int i = 0; i < 5; ++i) SmoothGrid(b.grid.heights.data(), b.grid.gridSize);
}

// Fills the grid members of b for kind k with n nodes a side (n = 2^L + 1 as
// the fitting leaves it). Material IDs are the base ID 1 with a patch of 2.
inline void FillGrid(StageParts& b, Kind k, int n) {
    if (k == Kind::Contours) {
        FitContours(b, n);
        return;
    }
    b.grid.gridSize = n;
    b.grid.cellSize = Side / static_cast<float>(n - 1);
    b.grid.origin = Point2(0.0f, 0.0f);
    b.grid.extent = Side;
    b.grid.baseMatId = 1;
    const std::size_t count = static_cast<std::size_t>(n) * n;
    b.grid.heights.assign(count, 0.0f);
    b.grid.matIds.assign(count, 1);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            const double x = c * static_cast<double>(b.grid.cellSize);
            const double y = r * static_cast<double>(b.grid.cellSize);
            const std::size_t i = static_cast<std::size_t>(r) * n + c;
            b.grid.heights[i] = static_cast<float>(HeightOf(k, x, y));
            if (x > 600 && x < 800 && y > 150 && y < 300) b.grid.matIds[i] = 2;
        }
}

// The driver's mesh stages: size field, seed, front until it stops, two
// passes of the material filter. The advance is a parameter so that tests can
// put a reference scan in its place.
inline void MeshTerrain(StageParts& b,
                        const std::function<bool(StageParts&)>& advance = nullptr) {
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
