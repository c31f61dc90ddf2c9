#pragma once
// Generated contour sets over a known surface, for tests, benchmarks and the
// refinement study. The surface z = F(u + w(v)) in axes rotated by alpha, with
// F(s) = a s + b sin(s / lambda) (monotone while a > b / lambda) and
// w(v) = c sin(v / mu), has contours u = F^-1(z) - w(v) that can be walked along v.
// With b = c = 0 it is a plane.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/support/stage_parts.h"

struct RidgeSurface {
    double a = 0.1, b = 8.0, lambda = 120.0, c = 60.0, mu = 150.0, alpha = 0.4;

    double F(double s) const { return a * s + b * std::sin(s / lambda); }
    double W(double v) const { return c * std::sin(v / mu); }
    double Height(double x, double y) const {
        const double u = x * std::cos(alpha) + y * std::sin(alpha);
        const double v = -x * std::sin(alpha) + y * std::cos(alpha);
        return F(u + W(v));
    }
    // F is increasing, so bisection finds the s of a level.
    double Level(double z) const {
        double lo = -1.0e7, hi = 1.0e7;
        for (int i = 0; i < 200; ++i) {
            const double mid = 0.5 * (lo + hi);
            (F(mid) < z ? lo : hi) = mid;
        }
        return 0.5 * (lo + hi);
    }
};

// Appends the contours of f over [0, size]^2, every dz in height, with vertices
// about dv apart along each line. With nearDuplicates every vertex is followed by
// a copy one float step away and every line by a tiny ring, as real files have.
inline void AppendRidgeContours(StageParts& builder, const RidgeSurface& f, double size,
                                double dz, double dv, bool nearDuplicates = false) {
    const double ca = std::cos(f.alpha), sa = std::sin(f.alpha);
    double zmin = 1e300, zmax = -1e300;
    for (double x : {0.0, size})
        for (double y : {0.0, size}) {
            zmin = std::min(zmin, f.Height(x, y));
            zmax = std::max(zmax, f.Height(x, y));
        }
    zmin -= std::fabs(f.b) + std::fabs(f.a * f.c);
    zmax += std::fabs(f.b) + std::fabs(f.a * f.c);
    const double vReach = size * 1.5;
    for (double z = std::ceil(zmin / dz) * dz; z <= zmax; z += dz) {
        const double s = f.Level(z);
        std::vector<Point3> line;
        auto flush = [&] {
            if (line.size() >= 2)
                builder.AppendLineSegments(line.data(), static_cast<int>(line.size()), false);
            line.clear();
        };
        for (double v = -vReach; v <= vReach; v += dv) {
            const double u = s - f.W(v);
            const double x = u * ca - v * sa, y = u * sa + v * ca;
            if (x < 0.0 || x > size || y < 0.0 || y > size) {
                flush();
                continue;
            }
            const Point3 p(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
            line.push_back(p);
            if (nearDuplicates) {
                line.push_back(Point3(std::nextafter(p.x, 1e30f), p.y, p.z));
                line.push_back(p);
            }
        }
        if (nearDuplicates && !line.empty()) {
            const Point3 q = line.back();
            const Point3 ring[3] = {q, Point3(q.x, std::nextafter(q.y, 1e30f), q.z), q};
            builder.AppendLineSegments(ring, 3, true);
        }
        flush();
    }
}
