#pragma once
// The grid sweeps written the plain way, node by node in the order of their
// definition. The tests and benchmarks hold the optimised sweeps against them.
#include <algorithm>
#include <cmath>
#include <vector>

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
