#pragma once
// The grid sweeps written the plain way, node by node in the order of their
// definition. The tests and benchmarks hold the optimised sweeps against them.
#include <algorithm>
#include <cmath>
#include <vector>

#include "host/sdk/point.h"

// Four scatter sweeps into a correction grid, then half of it added.
inline void LiteralSmoothGrid(float* h, int n) {
    std::vector<float> d(static_cast<std::size_t>(n) * n, 0.0f);
    auto visit = [&](int o, int p, int q, float w) {
        const float s = (h[o] - (h[p] + h[q]) * 0.5f) * w;
        d[p] += s;
        d[o] -= 2 * s;
        d[q] += s;
    };
    for (int r = 0; r < n; ++r)
        for (int c = 1; c <= n - 2; ++c) visit(r * n + c, r * n + c - 1, r * n + c + 1, 0.125f);
    for (int r = 1; r <= n - 2; ++r)
        for (int c = 0; c < n; ++c) visit(r * n + c, (r - 1) * n + c, (r + 1) * n + c, 0.125f);
    for (int r = 1; r <= n - 2; ++r)
        for (int c = 1; c <= n - 2; ++c)
            visit(r * n + c, (r - 1) * n + c - 1, (r + 1) * n + c + 1, 0.0625f);
    for (int r = 1; r <= n - 2; ++r)
        for (int c = 1; c <= n - 2; ++c)
            visit(r * n + c, (r + 1) * n + c - 1, (r - 1) * n + c + 1, 0.0625f);
    for (int i = 0; i < n * n; ++i) h[i] += d[i] * 0.5f;
}

// One bound propagation along (dx, dy): lower bounds drop by step per unit of
// length and keep the maximum, upper bounds rise and keep the minimum.
inline void LiteralSpread(float* g, int n, int dx, int dy, float step, bool lower) {
    const float s = std::sqrt(static_cast<float>(dx * dx + dy * dy)) * step;
    for (int i = 0; i < n; ++i) {
        const int r = dy >= 1 ? i : n - 1 - i;
        for (int j = 0; j < n; ++j) {
            const int c = dx >= 1 ? j : n - 1 - j;
            const int tr = r + dy, tc = c + dx;
            if (tr < 0 || tr >= n || tc < 0 || tc >= n) continue;
            float& t = g[tr * n + tc];
            const float v = lower ? g[r * n + c] - s : g[r * n + c] + s;
            t = lower ? std::max(t, v) : std::min(t, v);
        }
    }
}

// Four passes over every stride-th sample, one sample after another, each
// sample's cell worked out on the spot; samples must lie inside the grid.
inline void LiteralFitSamples(std::vector<float>& h, int n, float ox, float oy, float cs,
                              const std::vector<Point3>& samples, int stride) {
    for (int pass = 0; pass < 4; ++pass)
        for (std::size_t i = 0; i < samples.size(); i += stride) {
            const Point3& s = samples[i];
            const float gx = (s.x - ox) / cs, gy = (s.y - oy) / cs;
            const int c = static_cast<int>(gx), r = static_cast<int>(gy);
            const float fx = gx - c, fy = gy - r;
            const int a = r * n + c, b = a + 1, d = a + n, e = d + 1;
            const float z = (h[a] * (1.0f - fx) + h[b] * fx) * (1.0f - fy) +
                            (h[d] * (1.0f - fx) + h[e] * fx) * fy;
            const float t = (s.z - z) * 0.3f;
            h[a] += t * (1.0f - fx) * (1.0f - fy);
            h[b] += t * fx * (1.0f - fy);
            h[d] += t * (1.0f - fx) * fy;
            h[e] += t * fx * fy;
        }
}

// The coarse-to-fine fitting schedule node by node: a fresh array per
// refinement, every sample's cell worked out on every visit, the relaxation
// as its four scatter sweeps. No progress, no cancel.
inline std::vector<float> LiteralFitHeightField(float extent, float ox, float oy,
                                                const std::vector<Point3>& samples, int levels) {
    int n = 2;
    float cs = extent;
    std::vector<float> h(4, 0.0f);
    int stride = 1;
    for (int i = 0; i < levels; ++i) stride *= 2;
    for (int level = 0; level < levels; ++level) {
        const int m = 2 * n - 1;
        std::vector<float> f(static_cast<std::size_t>(m) * m);
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c) f[2 * r * m + 2 * c] = h[r * n + c];
        for (int r = 0; r < n; ++r)
            for (int c = 0; c + 1 < n; ++c)
                f[2 * r * m + 2 * c + 1] = (f[2 * r * m + 2 * c] + f[2 * r * m + 2 * c + 2]) * 0.5f;
        for (int r = 0; r + 1 < n; ++r)
            for (int c = 0; c < m; ++c)
                f[(2 * r + 1) * m + c] = (f[2 * r * m + c] + f[(2 * r + 2) * m + c]) * 0.5f;
        h.swap(f);
        n = m;
        cs *= 0.5f;
        for (int k = 0; k < 10; ++k) {
            LiteralFitSamples(h, n, ox, oy, cs, samples, stride);
            LiteralSmoothGrid(h.data(), n);
        }
        stride /= 2;
    }
    return h;
}
