// The height grid: coarse-to-fine refinement, fitting to the contour samples and
// the relaxation that keeps it smooth.
#if defined(__GNUC__) && !defined(__clang__)
// The grid sweeps are written to vectorise; -O2 alone only vectorises loops of
// known trip count.
#pragma GCC optimize("tree-vectorize", "vect-cost-model=dynamic")
#endif

#include "geometry/height_field.h"

#include <cmath>
#include <utility>
#include <vector>

#include "geometry/tuning_constants.h"

namespace {

// trunc(g) limited to 0 .. last, computed in floating point so that far-off
// and not-a-number coordinates cannot overflow the conversion.
int LimitedCell(float g, int last) {
    const float t = std::trunc(g);
    if (!(t > 0.0f)) return 0;
    return t >= static_cast<float>(last) ? last : static_cast<int>(t);
}

} // namespace

// Old nodes land on doubled indices, which is what the refinement below writes.
static_assert(kGridRefineFactor == 2 && kGridRefineOffset == 1);

int RefinedGridSize(int n) {
    return (n - 1) * kGridRefineFactor + kGridRefineOffset;
}

int GridSizeForLevels(int levels) {
    int n = 2;
    for (int i = 0; i < levels; ++i) n = RefinedGridSize(n);
    return n;
}

void InitHeightGrid(HeightGrid& grid) {
    grid.gridSize = 2;
    grid.heights.assign(4, 0.0f);
    grid.cellSize = grid.extent / static_cast<float>(grid.gridSize - 1);
}

void RefineGrid(HeightGrid& grid) {
    std::vector<float>& heights = grid.heights;
    const int n = grid.gridSize;
    const int size = RefinedGridSize(n);
    std::vector<float> fine(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));

    for (int r = 0; r < n; ++r) {
        const float* __restrict old = heights.data() + static_cast<std::size_t>(r) * n;
        float* __restrict row = fine.data() + static_cast<std::size_t>(2 * r) * size;
        for (int c = 0; c < n; ++c) row[2 * c] = old[c];
        for (int c = 0; c + 1 < n; ++c) row[2 * c + 1] = (old[c] + old[c + 1]) * 0.5f;
    }
    for (int r = 0; r + 1 < n; ++r) {
        const float* __restrict below = fine.data() + static_cast<std::size_t>(2 * r) * size;
        const float* __restrict above = below + 2 * static_cast<std::size_t>(size);
        float* __restrict row = fine.data() + static_cast<std::size_t>(2 * r + 1) * size;
        for (int c = 0; c < size; ++c) row[c] = (below[c] + above[c]) * 0.5f;
    }

    grid.cellSize *= 0.5f;
    grid.gridSize = size;
    heights.swap(fine);
}

void FitSamples(HeightGrid& grid, const SampleSet& set, int stride) {
    if (stride < 1) stride = 1;
    const int n = grid.gridSize;
    float* h = grid.heights.data();
    const float ox = grid.origin.x, oy = grid.origin.y, cs = grid.cellSize;
    const std::int32_t sampleCount = set.Count();
    const std::vector<Point3>& samples = set.samples;
    for (int pass = 0; pass < 4; ++pass) {
        for (std::int32_t i = 0; i < sampleCount; i += stride) {
            const Point3& s = samples[static_cast<std::size_t>(i)];
            const float gx = (s.x - ox) / cs;
            const float gy = (s.y - oy) / cs;
            // Far from the origin, float may place a sample past the last cell:
            // such a sample (or an undefined one) is left out, never written.
            const float last = static_cast<float>(n - 1);
            if (!(gx > -1.0f && gx < last && gy > -1.0f && gy < last)) continue;
            const int c = static_cast<int>(gx);
            const int r = static_cast<int>(gy);
            const float fx = gx - static_cast<float>(c);
            const float fy = gy - static_cast<float>(r);
            const std::size_t a = static_cast<std::size_t>(r) * n + c;
            const std::size_t b = a + 1, d = a + n, e = d + 1;
            const float height = (h[a] * (1.0f - fx) + h[b] * fx) * (1.0f - fy) +
                                 (h[d] * (1.0f - fx) + h[e] * fx) * fy;
            const float t = (s.z - height) * 0.3f;
            h[a] += t * (1.0f - fx) * (1.0f - fy);
            h[b] += t * fx * (1.0f - fy);
            h[d] += t * (1.0f - fx) * fy;
            h[e] += t * fx * fy;
        }
    }
}

void FitHeightField(HeightGrid& grid, const SampleSet& samples, int levels,
                    BuildProgress* progress) {
    InitHeightGrid(grid);
    int stride = 1;
    for (int i = 0; i < levels; ++i) stride = kGridRefineFactor * stride;

    ProgressScope bar(progress, "Surface Building");
    bar.Update(0);
    for (int level = 0; level < levels; ++level) {
        RefineGrid(grid);
        for (int k = 0; k < 10; ++k) {
            FitSamples(grid, samples, stride);
            SmoothGrid(grid.heights.data(), grid.gridSize);
            bar.Update(((level * 10 + k) * 10) / levels);
            // Cancel only shortens this level's rounds; every level still runs.
            if (bar.Cancelled()) break;
        }
        stride = stride / 2;
    }
}

float GridHeightAt(const HeightGrid& grid, const Point2& p) {
    const int n = grid.gridSize;
    const std::vector<float>& heights = grid.heights;
    if (n < 2) return heights.empty() ? 0.0f : heights[0]; // no cell to interpolate in
    const float gx = (p.x - grid.origin.x) / grid.cellSize;
    const float gy = (p.y - grid.origin.y) / grid.cellSize;
    // Truncation first, then the limit; fractions stay unlimited so points
    // outside the grid extrapolate from the border cell.
    const int c = LimitedCell(gx, n - 2);
    const int r = LimitedCell(gy, n - 2);
    const float fx = gx - static_cast<float>(c);
    const float fy = gy - static_cast<float>(r);
    const float* h = heights.data();
    const std::size_t a =
        static_cast<std::size_t>(r) * static_cast<std::size_t>(n) + static_cast<std::size_t>(c);
    const std::size_t d = a + static_cast<std::size_t>(n);
    return (h[a] * (1 - fx) + h[a + 1] * fx) * (1 - fy) + (h[d] * (1 - fx) + h[d + 1] * fx) * fy;
}

// The relaxation as four scatter sweeps (left-right, below-above and the two
// diagonals) would touch each node's correction twelve times in a fixed order.
// Here every node gathers the same twelve terms in that same order, so the
// floating-point result is unchanged, but the work streams row by row: the
// per-sweep terms s of rows r-1, r, r+1 live in small row buffers and row r of
// the heights is written as soon as nothing later reads it.
void SmoothGrid(float* heights, int n) {
    if (n < 3) return;
    const std::size_t w = static_cast<std::size_t>(n) + 2; // one zero pad on each side
    // Row buffers: horizontal terms of the current row, and three rows (previous,
    // current, next) of the vertical and both diagonal terms. Nodes that no sweep
    // visits as the middle node keep a zero term.
    std::vector<float> store(w * 10, 0.0f);
    float* sh = store.data();
    float* sv[3] = {sh + w, sh + 2 * w, sh + 3 * w};
    float* sd[3] = {sh + 4 * w, sh + 5 * w, sh + 6 * w};
    float* sa[3] = {sh + 7 * w, sh + 8 * w, sh + 9 * w};

    // Terms of row r for the vertical and diagonal sweeps (rows 1 .. n-2 only).
    auto rowTerms = [&](int r, float* __restrict v, float* __restrict d, float* __restrict a) {
        const float* __restrict lo = heights + static_cast<std::size_t>(r - 1) * n;
        const float* __restrict mid = lo + n;
        const float* __restrict hi = mid + n;
        for (int c = 0; c < n; ++c) v[c + 1] = (mid[c] - (lo[c] + hi[c]) * 0.5f) * 0.125f;
        for (int c = 1; c + 1 < n; ++c) {
            d[c + 1] = (mid[c] - (lo[c - 1] + hi[c + 1]) * 0.5f) * 0.0625f;
            a[c + 1] = (mid[c] - (hi[c - 1] + lo[c + 1]) * 0.5f) * 0.0625f;
        }
    };
    auto clearRow = [&](float* v, float* d, float* a) {
        for (std::size_t i = 0; i < w; ++i) v[i] = d[i] = a[i] = 0.0f;
    };

    // sv[0], sd[0], sa[0] hold row -1 (zero); the current row 0 is zero too.
    if (n > 2) rowTerms(1, sv[2], sd[2], sa[2]);
    for (int r = 0; r < n; ++r) {
        float* __restrict row = heights + static_cast<std::size_t>(r) * n;
        for (int c = 1; c + 1 < n; ++c)
            sh[c + 1] = (row[c] - (row[c - 1] + row[c + 1]) * 0.5f) * 0.125f;

        const float* __restrict h = sh + 1;
        const float* __restrict v0 = sv[0] + 1;
        const float* __restrict v1 = sv[1] + 1;
        const float* __restrict v2 = sv[2] + 1;
        const float* __restrict d0 = sd[0] + 1;
        const float* __restrict d1 = sd[1] + 1;
        const float* __restrict d2 = sd[2] + 1;
        const float* __restrict a0 = sa[0] + 1;
        const float* __restrict a1 = sa[1] + 1;
        const float* __restrict a2 = sa[2] + 1;
        for (int c = 0; c < n; ++c) {
            float t = 0.0f + h[c - 1];
            t = t - 2.0f * h[c];
            t = t + h[c + 1];
            t = t + v0[c];
            t = t - 2.0f * v1[c];
            t = t + v2[c];
            t = t + d0[c - 1];
            t = t - 2.0f * d1[c];
            t = t + d2[c + 1];
            t = t + a0[c + 1];
            t = t - 2.0f * a1[c];
            t = t + a2[c - 1];
            row[c] += t * 0.5f;
        }

        // Shift the three-row window down by one and fill the new next row.
        std::swap(sv[0], sv[1]);
        std::swap(sv[1], sv[2]);
        std::swap(sd[0], sd[1]);
        std::swap(sd[1], sd[2]);
        std::swap(sa[0], sa[1]);
        std::swap(sa[1], sa[2]);
        if (r + 2 <= n - 2)
            rowTerms(r + 2, sv[2], sd[2], sa[2]);
        else
            clearRow(sv[2], sd[2], sa[2]);
    }
}
