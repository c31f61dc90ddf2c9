#pragma once
// The exact fit's relaxation and residual as first written: a row-major
// grid, colour after colour, row after row, one node at a time. The run
// layout's four-node sweeps, their wavefront over the rows and the pool's
// seams must give these bits exactly.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "geometry/exact_fit_stencil.h"

struct LiteralLevel {
    int n = 0;
    double w = 0.0, t = 0.0;
    bool rhs = false, banded = false, sticky = false;
    std::vector<double> z, f, r;
    std::vector<std::uint8_t> kind;
    std::vector<float> cdx, cdy, cval;

    std::size_t At(int i, int j) const { return static_cast<std::size_t>(j) * n + i; }
};

inline void LiteralBorderRow(const LiteralLevel& L, int i, int j, double& off, double& diag) {
    const int n = L.n;
    auto at = [&](int c, int r) { return L.z[L.At(c, r)]; };
    double o = 0.0, d = 0.0;
    const double k3[3] = {1.0, -2.0, 1.0};
    for (int m = i - 1; m <= i + 1; ++m) {
        if (m < 1 || m > n - 2) continue;
        double s = 0.0;
        for (int k = -1; k <= 1; ++k)
            if (m + k != i) s += k3[k + 1] * at(m + k, j);
        const double co = k3[i - m + 1];
        o += L.w * co * s;
        d += L.w * co * co;
    }
    for (int m = j - 1; m <= j + 1; ++m) {
        if (m < 1 || m > n - 2) continue;
        double s = 0.0;
        for (int k = -1; k <= 1; ++k)
            if (m + k != j) s += k3[k + 1] * at(i, m + k);
        const double co = k3[j - m + 1];
        o += L.w * co * s;
        d += L.w * co * co;
    }
    for (int q = j - 1; q <= j; ++q) {
        for (int m = i - 1; m <= i; ++m) {
            if (m < 0 || q < 0 || m > n - 2 || q > n - 2) continue;
            const int cx[4] = {m, m + 1, m, m + 1};
            const int cy[4] = {q, q, q + 1, q + 1};
            const double sg[4] = {1.0, -1.0, -1.0, 1.0};
            double s = 0.0, co = 0.0;
            for (int k = 0; k < 4; ++k) {
                if (cx[k] == i && cy[k] == j) co = sg[k];
                else s += sg[k] * at(cx[k], cy[k]);
            }
            o += 2.0 * L.w * co * s;
            d += 2.0 * L.w * co * co;
        }
    }
    const int nx[4] = {i - 1, i + 1, i, i};
    const int ny[4] = {j, j, j - 1, j + 1};
    for (int k = 0; k < 4; ++k) {
        if (nx[k] < 0 || ny[k] < 0 || nx[k] > n - 1 || ny[k] > n - 1) continue;
        o -= L.t * at(nx[k], ny[k]);
        d += L.t;
    }
    off = o;
    diag = d;
}

inline void LiteralRow(const LiteralLevel& L, int i, int j, double& off, double& diag) {
    const int n = L.n;
    if (i < 2 || j < 2 || i > n - 3 || j > n - 3) {
        LiteralBorderRow(L, i, j, off, diag);
        return;
    }
    const double* p = L.z.data() + L.At(i, j);
    const std::ptrdiff_t u = n;
    const double edge = p[-1] + p[1] + p[-u] + p[u];
    const double corner = p[-u - 1] + p[-u + 1] + p[u - 1] + p[u + 1];
    const double far = p[-2] + p[2] + p[-2 * u] + p[2 * u];
    off = L.w * (-8.0 * edge + 2.0 * corner + far) - L.t * edge;
    diag = 20.0 * L.w + 4.0 * L.t;
}

inline void LiteralUpdateNode(LiteralLevel& L, int i, int j) {
    const std::size_t o = L.At(i, j);
    const int n = L.n;
    if (L.kind[o] == kFitPinned) {
        L.z[o] = L.cval[o];
        return;
    }
    if (L.kind[o] == kFitHeld) {
        if (i == 0 || j == 0 || i == n - 1 || j == n - 1) {
            L.z[o] = L.cval[o];
            return;
        }
        L.z[o] = L.cval[o] - L.cdx[o] * 0.5 * (L.z[o + 1] - L.z[o - 1]) -
                 L.cdy[o] * 0.5 * (L.z[o + n] - L.z[o - n]);
        return;
    }
    double off = 0.0, diag = 0.0;
    LiteralRow(L, i, j, off, diag);
    if (!(diag > 0.0)) return;
    L.z[o] += 1.5 * (((L.rhs ? L.f[o] : 0.0) - off) / diag - L.z[o]);
    if (L.banded) L.z[o] = std::clamp<double>(L.z[o], L.cdx[o], L.cdy[o]);
}

inline void LiteralSweep(LiteralLevel& L) {
    for (int colour = 0; colour < 5; ++colour)
        for (int j = 0; j < L.n; ++j)
            for (int i = ((colour - 3 * j) % 5 + 5) % 5; i < L.n; i += 5) LiteralUpdateNode(L, i, j);
}

inline bool LiteralResidual(LiteralLevel& L) {
    L.r.assign(L.z.size(), 0.0);
    bool changed = false;
    for (int j = 0; j < L.n; ++j)
        for (int i = 0; i < L.n; ++i) {
            const std::size_t o = L.At(i, j);
            const std::uint8_t was = L.kind[o];
            if (was == kFitHeld || was == kFitPinned) continue;
            double off = 0.0, diag = 0.0;
            LiteralRow(L, i, j, off, diag);
            double r = (L.rhs ? L.f[o] : 0.0) - off - diag * L.z[o];
            if (L.banded) {
                const bool pressed = (r < 0.0 && L.z[o] <= L.cdx[o]) || (r > 0.0 && L.z[o] >= L.cdy[o]) ||
                                     was == kFitStuck;
                const std::uint8_t kind = !pressed ? kFitFree : L.sticky ? kFitStuck : kFitPressed;
                changed = changed || kind != was;
                L.kind[o] = kind;
                if (pressed) r = 0.0;
            }
            L.r[o] = r;
        }
    return changed;
}
