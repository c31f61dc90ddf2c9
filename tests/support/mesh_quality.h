#pragma once
// Quality measures of a front mesh over its height grid: triangle angles,
// orientation, overlaps, coverage of the grid square and the height error of
// the flat triangles against the grid at its nodes.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/support/stage_parts.h"

namespace quality {

struct Report {
    int vertices = 0;
    int faces = 0;
    double minAngle = 0, p5Angle = 0, medianAngle = 0; // smallest angle of each face, degrees
    int clockwise = 0;                                 // faces of zero or clockwise area
    long overlaps = 0;                                 // face pairs whose interiors overlap
    double covered = 0;                                // share of the node square covered
    double maxError = 0, meanError = 0;                // |grid - lifted triangle| at the nodes
};

struct P {
    double x, y;
};

// Bilinear grid height, the border cell extrapolated (the lifting of mesh output).
inline double GridHeight(const StageParts& b, double x, double y) {
    const int n = b.grid.gridSize;
    const double gx = (x - b.grid.origin.x) / b.grid.cellSize, gy = (y - b.grid.origin.y) / b.grid.cellSize;
    const int c = std::clamp(static_cast<int>(std::trunc(gx)), 0, n - 2);
    const int r = std::clamp(static_cast<int>(std::trunc(gy)), 0, n - 2);
    const double fx = gx - c, fy = gy - r;
    auto h = [&](int cc, int rr) { return b.grid.heights[static_cast<std::size_t>(rr) * n + cc]; };
    return (h(c, r) * (1 - fx) + h(c + 1, r) * fx) * (1 - fy) +
           (h(c, r + 1) * (1 - fx) + h(c + 1, r + 1) * fx) * fy;
}

// Faces bucketed by bounding box over the box of all vertices.
class FaceGrid {
public:
    FaceGrid(const std::vector<std::array<P, 3>>& tris) {
        lo_ = {1e300, 1e300};
        hi_ = {-1e300, -1e300};
        for (const auto& t : tris)
            for (const P& p : t) {
                lo_.x = std::min(lo_.x, p.x), lo_.y = std::min(lo_.y, p.y);
                hi_.x = std::max(hi_.x, p.x), hi_.y = std::max(hi_.y, p.y);
            }
        side_ = std::max(1, static_cast<int>(std::sqrt(static_cast<double>(tris.size()) / 2)));
        cell_ = std::max(hi_.x - lo_.x, hi_.y - lo_.y) / side_ * (1 + 1e-9) + 1e-12;
        buckets_.assign(static_cast<std::size_t>(side_) * side_, {});
        for (std::size_t i = 0; i < tris.size(); ++i) {
            int c0, r0, c1, r1;
            Range(tris[i], c0, r0, c1, r1);
            for (int r = r0; r <= r1; ++r)
                for (int c = c0; c <= c1; ++c) buckets_[Index(c, r)].push_back(static_cast<int>(i));
        }
    }
    int Bucket(double v, double lo) const {
        return std::clamp(static_cast<int>((v - lo) / cell_), 0, side_ - 1);
    }
    void Range(const std::array<P, 3>& t, int& c0, int& r0, int& c1, int& r1) const {
        double x0 = t[0].x, x1 = t[0].x, y0 = t[0].y, y1 = t[0].y;
        for (const P& p : t)
            x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), y0 = std::min(y0, p.y),
            y1 = std::max(y1, p.y);
        c0 = Bucket(x0, lo_.x), c1 = Bucket(x1, lo_.x), r0 = Bucket(y0, lo_.y),
        r1 = Bucket(y1, lo_.y);
    }
    std::size_t Index(int c, int r) const { return static_cast<std::size_t>(r) * side_ + c; }
    const std::vector<int>& At(double x, double y) const {
        static const std::vector<int> none;
        if (x < lo_.x || y < lo_.y || x > hi_.x || y > hi_.y) return none;
        return buckets_[Index(Bucket(x, lo_.x), Bucket(y, lo_.y))];
    }
    const std::vector<std::vector<int>>& buckets() const { return buckets_; }
    int side() const { return side_; }

private:
    P lo_{}, hi_{};
    int side_ = 1;
    double cell_ = 1;
    std::vector<std::vector<int>> buckets_;
};

inline double Cross(const P& a, const P& b, const P& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Interiors overlap: no edge normal of either triangle separates them by more
// than a hair (shared edges and corners touch, they do not overlap).
inline bool Overlap(const std::array<P, 3>& a, const std::array<P, 3>& b, double eps) {
    for (const auto* t : {&a, &b})
        for (int k = 0; k < 3; ++k) {
            const P& p = (*t)[k];
            const P& q = (*t)[(k + 1) % 3];
            const double nx = q.y - p.y, ny = p.x - q.x;
            const double len = std::hypot(nx, ny);
            if (len == 0) continue;
            double a0 = 1e300, a1 = -1e300, b0 = 1e300, b1 = -1e300;
            for (const P& v : a) {
                const double d = (v.x * nx + v.y * ny) / len;
                a0 = std::min(a0, d), a1 = std::max(a1, d);
            }
            for (const P& v : b) {
                const double d = (v.x * nx + v.y * ny) / len;
                b0 = std::min(b0, d), b1 = std::max(b1, d);
            }
            if (a1 <= b0 + eps || b1 <= a0 + eps) return false;
        }
    return true;
}

inline double SmallestAngle(const std::array<P, 3>& t) {
    double best = 180;
    for (int k = 0; k < 3; ++k) {
        const P& o = t[k];
        const P& p = t[(k + 1) % 3];
        const P& q = t[(k + 2) % 3];
        const double ux = p.x - o.x, uy = p.y - o.y, vx = q.x - o.x, vy = q.y - o.y;
        const double a = std::atan2(std::fabs(ux * vy - uy * vx), ux * vx + uy * vy);
        best = std::min(best, a * 180.0 / 3.14159265358979323846);
    }
    return best;
}

// Barycentric containment with a small tolerance, for either orientation.
inline bool Inside(const std::array<P, 3>& t, const P& p, double& w0, double& w1, double& w2) {
    const double area = Cross(t[0], t[1], t[2]);
    if (area == 0) return false;
    w0 = Cross(t[1], t[2], p) / area;
    w1 = Cross(t[2], t[0], p) / area;
    w2 = Cross(t[0], t[1], p) / area;
    const double e = -1e-9;
    return w0 >= e && w1 >= e && w2 >= e;
}

inline Report Measure(const StageParts& b) {
    Report rep;
    rep.vertices = b.front.vertices.count();
    rep.faces = b.front.faces.count();
    std::vector<std::array<P, 3>> tris;
    std::vector<std::array<double, 3>> lifted;
    tris.reserve(b.front.faces.count());
    std::vector<double> smallest;
    for (const FrontFace& f : b.front.faces) {
        std::array<P, 3> t;
        std::array<double, 3> z;
        const int corners[3] = {f.corner0, f.corner1, f.corner2};
        for (int k = 0; k < 3; ++k) {
            const Point2 q = b.front.vertices[corners[k]].pos;
            t[k] = {q.x, q.y};
            z[k] = GridHeight(b, q.x, q.y);
        }
        tris.push_back(t);
        lifted.push_back(z);
        if (!(Cross(t[0], t[1], t[2]) > 0)) ++rep.clockwise;
        smallest.push_back(SmallestAngle(t));
    }
    if (!smallest.empty()) {
        std::sort(smallest.begin(), smallest.end());
        rep.minAngle = smallest.front();
        rep.p5Angle = smallest[smallest.size() * 5 / 100];
        rep.medianAngle = smallest[smallest.size() / 2];
    }
    if (tris.empty()) return rep;

    const FaceGrid grid(tris);
    const double side = (b.grid.gridSize - 1) * static_cast<double>(b.grid.cellSize);
    const double eps = side * 1e-7;
    // Each pair is counted once, in the bucket of its boxes' common lower-left corner.
    for (int r = 0; r < grid.side(); ++r)
        for (int c = 0; c < grid.side(); ++c) {
            const auto& list = grid.buckets()[grid.Index(c, r)];
            for (std::size_t i = 0; i < list.size(); ++i)
                for (std::size_t j = i + 1; j < list.size(); ++j) {
                    int ac0, ar0, ac1, ar1, bc0, br0, bc1, br1;
                    grid.Range(tris[list[i]], ac0, ar0, ac1, ar1);
                    grid.Range(tris[list[j]], bc0, br0, bc1, br1);
                    if (std::max(ac0, bc0) != c || std::max(ar0, br0) != r) continue;
                    if (Overlap(tris[list[i]], tris[list[j]], eps)) ++rep.overlaps;
                }
        }

    auto locate = [&](double x, double y, double& z) {
        double w0, w1, w2;
        for (int f : grid.At(x, y))
            if (Inside(tris[f], {x, y}, w0, w1, w2)) {
                z = w0 * lifted[f][0] + w1 * lifted[f][1] + w2 * lifted[f][2];
                return true;
            }
        return false;
    };
    const int raster = 400;
    long hit = 0;
    double z = 0;
    for (int r = 0; r < raster; ++r)
        for (int c = 0; c < raster; ++c)
            if (locate(b.grid.origin.x + (c + 0.5) * side / raster,
                       b.grid.origin.y + (r + 0.5) * side / raster, z))
                ++hit;
    rep.covered = static_cast<double>(hit) / (static_cast<double>(raster) * raster);

    const int n = b.grid.gridSize;
    double sum = 0;
    long nodes = 0;
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            const double x = b.grid.origin.x + c * static_cast<double>(b.grid.cellSize);
            const double y = b.grid.origin.y + r * static_cast<double>(b.grid.cellSize);
            if (!locate(x, y, z)) continue;
            const double e = std::fabs(z - b.grid.heights[static_cast<std::size_t>(r) * n + c]);
            rep.maxError = std::max(rep.maxError, e);
            sum += e;
            ++nodes;
        }
    rep.meanError = nodes ? sum / nodes : 0;
    return rep;
}

} // namespace quality
