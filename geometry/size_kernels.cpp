#include "geometry/size_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(__SSE2__)
using V = __m128;
using D = __m128d;

inline V Set(float f) { return _mm_set1_ps(f); }

// The four lanes through a double step: f(lo pair), f(hi pair), rounded back.
template <class F> inline V InDouble(V a, V b, const F& f) {
    const D lo = f(_mm_cvtps_pd(a), _mm_cvtps_pd(b));
    const D hi = f(_mm_cvtps_pd(_mm_movehl_ps(a, a)), _mm_cvtps_pd(_mm_movehl_ps(b, b)));
    return _mm_movelh_ps(_mm_cvtpd_ps(lo), _mm_cvtpd_ps(hi));
}

inline V Select(V mask, V yes, V no) {
    return _mm_or_ps(_mm_and_ps(mask, yes), _mm_andnot_ps(mask, no));
}

// CurvatureAt and PrincipalScale for the four nodes whose 3 x 3 neighbourhoods
// start at top, mid and bottom (the rows above, at and below them).
void CurvatureQuad(const float* top, const float* mid, const float* bottom, float h,
                   const TuningConstants& tuning, SizeMatrix* out) {
    const V z00 = _mm_loadu_ps(top), z01 = _mm_loadu_ps(top + 1), z02 = _mm_loadu_ps(top + 2);
    const V z10 = _mm_loadu_ps(mid), z11 = _mm_loadu_ps(mid + 1), z12 = _mm_loadu_ps(mid + 2);
    const V z20 = _mm_loadu_ps(bottom), z21 = _mm_loadu_ps(bottom + 1),
            z22 = _mm_loadu_ps(bottom + 2);
    const V vh = Set(h);
    const D six = _mm_set1_pd(6.0), one = _mm_set1_pd(1.0), two = _mm_set1_pd(2.0);
    auto bySix = [&](V sum) {
        return InDouble(_mm_div_ps(sum, vh), sum, [&](D a, D) { return _mm_div_pd(a, six); });
    };
    const V gy = bySix(_mm_sub_ps(
        _mm_sub_ps(_mm_sub_ps(_mm_add_ps(_mm_add_ps(z20, z21), z22), z00), z01), z02));
    const V gx = bySix(_mm_sub_ps(
        _mm_sub_ps(_mm_sub_ps(_mm_add_ps(_mm_add_ps(z02, z12), z22), z00), z10), z20));
    const V g2 = _mm_add_ps(_mm_mul_ps(gx, gx), _mm_mul_ps(gy, gy));
    const V s = InDouble(g2, g2, [&](D a, D) { return _mm_sqrt_pd(_mm_div_pd(one, _mm_add_pd(a, one))); });

    const float h2 = h * h;
    const D dh2 = _mm_set1_pd(h2), dshape = _mm_set1_pd(tuning.TriangleShapeFactor);
    // (edges - 2 middles) / h2 / shape * s, in double from the subtraction on.
    auto second = [&](V edges, V middles) {
        auto f = [&](D e, D m) { return _mm_sub_pd(e, _mm_mul_pd(two, m)); };
        const D lo = f(_mm_cvtps_pd(edges), _mm_cvtps_pd(middles));
        const D hi = f(_mm_cvtps_pd(_mm_movehl_ps(edges, edges)),
                       _mm_cvtps_pd(_mm_movehl_ps(middles, middles)));
        const D slo = _mm_cvtps_pd(s), shi = _mm_cvtps_pd(_mm_movehl_ps(s, s));
        const D rlo = _mm_mul_pd(_mm_div_pd(_mm_div_pd(lo, dh2), dshape), slo);
        const D rhi = _mm_mul_pd(_mm_div_pd(_mm_div_pd(hi, dh2), dshape), shi);
        return _mm_movelh_ps(_mm_cvtpd_ps(rlo), _mm_cvtpd_ps(rhi));
    };
    const V hxx = second(
        _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_add_ps(z00, z10), z20), z02), z12), z22),
        _mm_add_ps(_mm_add_ps(z01, z11), z21));
    const V hyy = second(
        _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_add_ps(z00, z01), z02), z20), z21), z22),
        _mm_add_ps(_mm_add_ps(z10, z11), z12));
    const V hxy = _mm_mul_ps(
        _mm_div_ps(_mm_div_ps(_mm_sub_ps(_mm_add_ps(_mm_sub_ps(z22, z20), z00), z02), Set(h2)),
                   Set(tuning.CurvatureScale)),
        s);

    const V q = Set(h * tuning.CurvatureScale);
    const V a = _mm_div_ps(hxx, q), b = _mm_div_ps(hxy, q), e = _mm_div_ps(hyy, q);
    const V det = _mm_andnot_ps(Set(-0.0f), _mm_sub_ps(_mm_mul_ps(e, a), _mm_mul_ps(b, b)));
    V bestSq = _mm_setzero_ps(), bx = bestSq, by = bestSq;
    for (const Point2& v : DirectionTable) {
        const V vx = Set(v.x), vy = Set(v.y);
        const V ux = _mm_add_ps(_mm_mul_ps(a, vx), _mm_mul_ps(b, vy));
        const V uy = _mm_add_ps(_mm_mul_ps(b, vx), _mm_mul_ps(e, vy));
        const V sq = _mm_add_ps(_mm_mul_ps(ux, ux), _mm_mul_ps(uy, uy));
        const V more = _mm_cmpgt_ps(sq, bestSq);
        bestSq = Select(more, sq, bestSq);
        bx = Select(more, ux, bx);
        by = Select(more, uy, by);
    }
    const V s1 = _mm_sqrt_ps(bestSq);
    const V some = _mm_cmpgt_ps(s1, _mm_setzero_ps());
    const V dx = Select(some, _mm_div_ps(bx, s1), _mm_setzero_ps());
    const V dy = Select(some, _mm_div_ps(by, s1), Set(1.0f));
    const V s2 = Select(some, _mm_div_ps(det, s1), _mm_setzero_ps());
    const V limit = Set(1.0f / h);
    const V k1 = _mm_min_ps(limit, _mm_sqrt_ps(s1)); // std::min(x, limit): limit < x ? limit : x
    const V k2 = _mm_min_ps(limit, _mm_sqrt_ps(s2));

    V r0x = _mm_mul_ps(_mm_xor_ps(dy, Set(-0.0f)), k2), r0y = _mm_mul_ps(dx, k1);
    V r1x = _mm_mul_ps(dx, k2), r1y = _mm_mul_ps(dy, k1);
    _MM_TRANSPOSE4_PS(r0x, r0y, r1x, r1y);
    static_assert(sizeof(SizeMatrix) == 4 * sizeof(float));
    _mm_storeu_ps(&out[0].r0.x, r0x);
    _mm_storeu_ps(&out[1].r0.x, r0y);
    _mm_storeu_ps(&out[2].r0.x, r1x);
    _mm_storeu_ps(&out[3].r0.x, r1y);
}

// Transposes the 4 x 4 block whose rows are a, b, c, e and stores its rows at p0 .. p3.
inline void TransposeStore(V a, V b, V c, V e, float* p0, float* p1, float* p2, float* p3) {
    _MM_TRANSPOSE4_PS(a, b, c, e);
    _mm_storeu_ps(p0, a);
    _mm_storeu_ps(p1, b);
    _mm_storeu_ps(p2, c);
    _mm_storeu_ps(p3, e);
}
#endif

// Row j of a group, or the group's last real row for lanes past the count.
template <class T> inline T RowOr(T const* rows, int j, int rowCount) {
    return rows[std::min(j, rowCount - 1)];
}

// Byte j of entry m is all ones where bit j of the four-lane mask m is set.
const std::uint32_t kByteMask[16] = {
    0x00000000u, 0x000000ffu, 0x0000ff00u, 0x0000ffffu, 0x00ff0000u, 0x00ff00ffu,
    0x00ffff00u, 0x00ffffffu, 0xff000000u, 0xff0000ffu, 0xff00ff00u, 0xff00ffffu,
    0xffff0000u, 0xffff00ffu, 0xffffff00u, 0xffffffffu,
};

} // namespace

void CurvatureRow(const HeightGrid& grid, int r, const TuningConstants& tuning, SizeMatrix* out) {
    const int n = grid.gridSize;
    int c = 1;
#if defined(__SSE2__)
    const float* mid = grid.heights.data() + static_cast<std::size_t>(r) * n;
    for (; c + 4 <= n - 1; c += 4)
        CurvatureQuad(mid - n + c - 1, mid + c - 1, mid + n + c - 1, grid.cellSize, tuning, out + c);
#endif
    for (; c <= n - 2; ++c) out[c] = CurvatureAt(grid, c, r, tuning);
}

void LengthsIntoTile(const SizeMatrix* const* rows, int rowCount, int n, const Point2& d,
                     float* tile) {
    for (int j0 = 0; j0 < rowCount; j0 += 4) {
        const SizeMatrix* m0 = RowOr(rows, j0, rowCount);
        const SizeMatrix* m1 = RowOr(rows, j0 + 1, rowCount);
        const SizeMatrix* m2 = RowOr(rows, j0 + 2, rowCount);
        const SizeMatrix* m3 = RowOr(rows, j0 + 3, rowCount);
        int c = 0;
#if defined(__SSE2__)
        const V dx = Set(d.x), dy = Set(d.y), one = Set(1.0f);
        for (; c < n; ++c) {
            V a = _mm_loadu_ps(&m0[c].r0.x), b = _mm_loadu_ps(&m1[c].r0.x);
            V cc = _mm_loadu_ps(&m2[c].r0.x), e = _mm_loadu_ps(&m3[c].r0.x);
            _MM_TRANSPOSE4_PS(a, b, cc, e); // a: r0.x, b: r0.y, cc: r1.x, e: r1.y
            const V ux = _mm_add_ps(_mm_mul_ps(a, dx), _mm_mul_ps(cc, dy));
            const V uy = _mm_add_ps(_mm_mul_ps(b, dx), _mm_mul_ps(e, dy));
            const V len = _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(ux, ux), _mm_mul_ps(uy, uy)));
            _mm_storeu_ps(tile + static_cast<std::size_t>(c) * kTileLanes + j0, _mm_div_ps(one, len));
        }
#endif
        const SizeMatrix* m[4] = {m0, m1, m2, m3};
        for (; c < n; ++c)
            for (int j = 0; j < 4; ++j)
                tile[static_cast<std::size_t>(c) * kTileLanes + j0 + j] = 1.0f / Apply(m[j][c], d).Length();
    }
}

void RowsIntoTile(float* const* rows, int rowCount, int n, float* tile) {
    for (int j0 = 0; j0 < rowCount; j0 += 4) {
        const float* r[4] = {RowOr(rows, j0, rowCount), RowOr(rows, j0 + 1, rowCount),
                             RowOr(rows, j0 + 2, rowCount), RowOr(rows, j0 + 3, rowCount)};
        int c = 0;
#if defined(__SSE2__)
        for (; c + 4 <= n; c += 4) {
            float* t = tile + static_cast<std::size_t>(c) * kTileLanes + j0;
            TransposeStore(_mm_loadu_ps(r[0] + c), _mm_loadu_ps(r[1] + c), _mm_loadu_ps(r[2] + c),
                           _mm_loadu_ps(r[3] + c), t, t + kTileLanes, t + 2 * kTileLanes,
                           t + 3 * kTileLanes);
        }
#endif
        for (; c < n; ++c)
            for (int j = 0; j < 4; ++j) tile[static_cast<std::size_t>(c) * kTileLanes + j0 + j] = r[j][c];
    }
}

void TileIntoRows(const float* tile, int rowCount, int n, float* const* rows) {
    for (int j0 = 0; j0 < rowCount; j0 += 4) {
        const int count = std::min(4, rowCount - j0);
        int c = 0;
#if defined(__SSE2__)
        float spare[4];
        float* r[4];
        for (int j = 0; j < 4; ++j) r[j] = j < count ? rows[j0 + j] : nullptr;
        for (; c + 4 <= n; c += 4) {
            const float* t = tile + static_cast<std::size_t>(c) * kTileLanes + j0;
            TransposeStore(_mm_loadu_ps(t), _mm_loadu_ps(t + kTileLanes),
                           _mm_loadu_ps(t + 2 * kTileLanes), _mm_loadu_ps(t + 3 * kTileLanes),
                           r[0] ? r[0] + c : spare, r[1] ? r[1] + c : spare,
                           r[2] ? r[2] + c : spare, r[3] ? r[3] + c : spare);
        }
#endif
        for (; c < n; ++c)
            for (int j = 0; j < count; ++j)
                rows[j0 + j][c] = tile[static_cast<std::size_t>(c) * kTileLanes + j0 + j];
    }
}

void KeepFarthest(const float* lengths, float* best, std::uint8_t* bestK, int count,
                  const float* table, std::uint8_t k, float dy) {
    int i = 0;
#if defined(__SSE2__)
    const V vdy = Set(dy);
    const std::uint32_t kk = k * 0x01010101u;
    for (; i + 4 <= count; i += 4) {
        const V kept = _mm_setr_ps(table[bestK[i]], table[bestK[i + 1]], table[bestK[i + 2]],
                                   table[bestK[i + 3]]);
        const V l = _mm_loadu_ps(lengths + i), b = _mm_loadu_ps(best + i);
        const V farther = _mm_cmplt_ps(_mm_mul_ps(kept, b), _mm_mul_ps(l, vdy));
        _mm_storeu_ps(best + i, Select(farther, l, b));
        const std::uint32_t mask = kByteMask[_mm_movemask_ps(farther)];
        std::uint32_t word;
        std::memcpy(&word, bestK + i, 4);
        word = (word & ~mask) | (kk & mask);
        std::memcpy(bestK + i, &word, 4);
    }
#endif
    for (; i < count; ++i)
        if (table[bestK[i]] * best[i] < lengths[i] * dy) {
            best[i] = lengths[i];
            bestK[i] = k;
        }
}

void SweepTile(float* tile, int n, float g) {
    if (n < 2) return;
#if defined(__SSE2__)
    static_assert(kTileLanes % 4 == 0);
    constexpr int Vs = kTileLanes / 4;
    const V vg = Set(g);
    V carry[Vs];
    // min(x, q) is x < q ? x : q, as the one-node relax writes it.
    for (int v = 0; v < Vs; ++v) carry[v] = _mm_loadu_ps(tile + 4 * v);
    for (int c = 1; c < n; ++c) {
        float* t = tile + static_cast<std::size_t>(c) * kTileLanes;
        for (int v = 0; v < Vs; ++v) {
            carry[v] = _mm_min_ps(_mm_add_ps(carry[v], vg), _mm_loadu_ps(t + 4 * v));
            _mm_storeu_ps(t + 4 * v, carry[v]);
        }
    }
    for (int c = n - 2; c >= 0; --c) {
        float* t = tile + static_cast<std::size_t>(c) * kTileLanes;
        for (int v = 0; v < Vs; ++v) {
            carry[v] = _mm_min_ps(_mm_add_ps(carry[v], vg), _mm_loadu_ps(t + 4 * v));
            _mm_storeu_ps(t + 4 * v, carry[v]);
        }
    }
#else
    for (int c = 1; c < n; ++c)
        for (int j = 0; j < kTileLanes; ++j) {
            float& q = tile[static_cast<std::size_t>(c) * kTileLanes + j];
            const float v = tile[static_cast<std::size_t>(c - 1) * kTileLanes + j] + g;
            q = v < q ? v : q;
        }
    for (int c = n - 2; c >= 0; --c)
        for (int j = 0; j < kTileLanes; ++j) {
            float& q = tile[static_cast<std::size_t>(c) * kTileLanes + j];
            const float v = tile[static_cast<std::size_t>(c + 1) * kTileLanes + j] + g;
            q = v < q ? v : q;
        }
#endif
}
