// The height grid: coarse-to-fine refinement, fitting to the contour samples and
// the relaxation that keeps it smooth.
#if defined(__GNUC__) && !defined(__clang__)
// The grid sweeps are written to vectorise; -O2 alone only vectorises loops of
// known trip count.
#pragma GCC optimize("tree-vectorize", "vect-cost-model=dynamic")
#endif

#include "geometry/height_field.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "geometry/tuning_constants.h"
#include "geometry/wide_vectors.h"

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

float CellSizeForLevels(const HeightGrid& grid, int levels) {
    HeightGrid start;
    start.extent = grid.extent;
    InitHeightGrid(start);
    float cellSize = start.cellSize;
    for (int i = 0; i < levels; ++i) cellSize *= 0.5f; // as RefineGrid halves it
    return cellSize;
}

// In place, last row first: fine row 2r starts past the end of old row r, so
// every old row is read before a fine row lands on it. The odd rows, means
// of finished even rows, then go to the pool.
void RefineGrid(HeightGrid& grid, WorkerPool* pool) {
    std::vector<float>& heights = grid.heights;
    const int n = grid.gridSize;
    const int size = RefinedGridSize(n);
    const std::size_t m = static_cast<std::size_t>(size);
    heights.resize(m * m);
    float* h = heights.data();

    for (int r = n - 1; r >= 0; --r) {
        const float* old = h + static_cast<std::size_t>(r) * n;
        float* row = h + static_cast<std::size_t>(2 * r) * m;
        // Within a row the fine node 2c is never left of old node c: right to left.
        for (int c = n - 1; c >= 0; --c) {
            const float v = old[c];
            if (c + 1 < n) row[2 * c + 1] = (v + row[2 * c + 2]) * 0.5f;
            row[2 * c] = v;
        }
    }
    RunRanges(pool, static_cast<std::size_t>(n > 0 ? n - 1 : 0), 8,
              [&](std::size_t r0, std::size_t r1) {
                  for (std::size_t r = r0; r < r1; ++r) {
                      const float* __restrict below = h + 2 * r * m;
                      const float* __restrict above = below + 2 * m;
                      float* __restrict row = h + (2 * r + 1) * m;
                      for (std::size_t c = 0; c < m; ++c) row[c] = (below[c] + above[c]) * 0.5f;
                  }
              });

    grid.cellSize *= 0.5f;
    grid.gridSize = size;
}

namespace {

// One sample as the fit uses it on a level: its cell's first corner and its
// fractions, which stay the same over the level's forty passes.
struct FitPoint {
    std::uint64_t a;
    float fx, fy, z;
};
constexpr std::uint64_t kLeftOut = ~std::uint64_t{0};

// The samples of one level, prepared on the pool; the fit itself is
// sequential in the samples and reads these in their order.
void PrepareFit(const HeightGrid& grid, const SampleSet& set, int stride,
                std::vector<FitPoint>& points, WorkerPool* pool) {
    if (stride < 1) stride = 1;
    const int n = grid.gridSize;
    const float ox = grid.origin.x, oy = grid.origin.y, cs = grid.cellSize;
    const std::size_t used = (static_cast<std::size_t>(set.Count()) + stride - 1) / stride;
    points.resize(used);
    RunRanges(pool, used, 4096, [&](std::size_t j0, std::size_t j1) {
        for (std::size_t j = j0; j < j1; ++j) {
            const Point3& s = set.samples[j * static_cast<std::size_t>(stride)];
            const float gx = (s.x - ox) / cs;
            const float gy = (s.y - oy) / cs;
            // Far from the origin, float may place a sample past the last cell:
            // such a sample (or an undefined one) is left out, never written.
            const float last = static_cast<float>(n - 1);
            if (!(gx > -1.0f && gx < last && gy > -1.0f && gy < last)) {
                points[j] = {kLeftOut, 0.0f, 0.0f, 0.0f};
                continue;
            }
            const int c = static_cast<int>(gx);
            const int r = static_cast<int>(gy);
            points[j] = {static_cast<std::uint64_t>(static_cast<std::size_t>(r) * n + c),
                         gx - static_cast<float>(c), gy - static_cast<float>(r), s.z};
        }
    });
    std::erase_if(points, [](const FitPoint& p) { return p.a == kLeftOut; });
}

// One sample's pull on the four corners of its cell.
inline void FitPoint1(float* h, std::size_t n, const FitPoint& p) {
    const std::size_t a = p.a;
    const float ha = h[a], hb = h[a + 1], hd = h[a + n], he = h[a + n + 1];
    const float fx = p.fx, fy = p.fy;
    const float height =
        (ha * (1.0f - fx) + hb * fx) * (1.0f - fy) + (hd * (1.0f - fx) + he * fx) * fy;
    const float t = (p.z - height) * 0.3f;
    h[a] = ha + t * (1.0f - fx) * (1.0f - fy);
    h[a + 1] = hb + t * fx * (1.0f - fy);
    h[a + n] = hd + t * (1.0f - fx) * fy;
    h[a + n + 1] = he + t * fx * fy;
}

// One pass. Samples along a contour often fall in the cell of the one
// before: its four heights then stay in registers instead of going through
// memory between the two. The arithmetic, and its order, is the same.
void FitPass(float* h, std::size_t n, const std::vector<FitPoint>& points) {
    std::size_t cell = ~std::size_t{0};
    float ha = 0.0f, hb = 0.0f, hd = 0.0f, he = 0.0f;
    for (const FitPoint& p : points) {
        const std::size_t a = p.a;
        if (a != cell) {
            if (cell != ~std::size_t{0}) {
                h[cell] = ha;
                h[cell + 1] = hb;
                h[cell + n] = hd;
                h[cell + n + 1] = he;
            }
            cell = a;
            ha = h[a];
            hb = h[a + 1];
            hd = h[a + n];
            he = h[a + n + 1];
        }
        const float fx = p.fx, fy = p.fy;
        const float height =
            (ha * (1.0f - fx) + hb * fx) * (1.0f - fy) + (hd * (1.0f - fx) + he * fx) * fy;
        const float t = (p.z - height) * 0.3f;
        ha += t * (1.0f - fx) * (1.0f - fy);
        hb += t * fx * (1.0f - fy);
        hd += t * (1.0f - fx) * fy;
        he += t * fx * fy;
    }
    if (cell != ~std::size_t{0}) {
        h[cell] = ha;
        h[cell + 1] = hb;
        h[cell + n] = hd;
        h[cell + n + 1] = he;
    }
}

// Along a contour every sample waits for the one before (they share
// corners), so one pass runs at the latency of its arithmetic. The four
// passes of a fit are overlapped instead: at step t pass q handles sample
// t - q x lag, pass after pass, four independent chains that the processor
// runs side by side. With lag larger than the span, within one pass, from
// the first to the last sample touching any node (FitLag), each pass is done
// with a node before the next pass first touches it, so every node sees the
// plain order of operations.
constexpr int kFitPasses = 4;

// The most samples between the first and the last touching one node, plus
// one; nodes are taken in tiles of 2 x 2 (sharing a tile is necessary for
// sharing a node).
std::size_t FitLag(const HeightGrid& grid, const std::vector<FitPoint>& points,
                   std::vector<std::int64_t>& tiles) {
    const std::size_t n = static_cast<std::size_t>(grid.gridSize);
    const std::size_t side = ((n - 1) >> 1) + 1;
    tiles.assign(side * side, -1); // first sample in each tile
    std::int64_t lag = 1;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::size_t c = points[i].a % n, r = points[i].a / n;
        const std::size_t cs[2] = {c >> 1, (c + 1) >> 1}, rs[2] = {r >> 1, (r + 1) >> 1};
        for (int y = 0; y < (rs[0] == rs[1] ? 1 : 2); ++y)
            for (int x = 0; x < (cs[0] == cs[1] ? 1 : 2); ++x) {
                std::int64_t& first = tiles[rs[y] * side + cs[x]];
                if (first < 0) first = static_cast<std::int64_t>(i);
                lag = std::max(lag, static_cast<std::int64_t>(i) - first + 1);
            }
    }
    return static_cast<std::size_t>(lag);
}

void FitPoints(HeightGrid& grid, const std::vector<FitPoint>& points, std::size_t lag) {
    const std::size_t n = static_cast<std::size_t>(grid.gridSize);
    float* h = grid.heights.data();
    const std::size_t count = points.size();
    if (lag >= count) { // nothing to overlap
        for (int pass = 0; pass < kFitPasses; ++pass) FitPass(h, n, points);
        return;
    }
    const std::size_t warm = (kFitPasses - 1) * lag, end = count + warm;
    std::size_t step = 0;
    // Passes start one lag after another and end so; in between all four run.
    for (; step < warm; ++step)
        for (std::size_t q = 0; q < kFitPasses && step >= q * lag; ++q)
            if (step - q * lag < count) FitPoint1(h, n, points[step - q * lag]);
    for (; step < count; ++step)
        for (std::size_t q = 0; q < kFitPasses; ++q) FitPoint1(h, n, points[step - q * lag]);
    for (; step < end; ++step)
        for (std::size_t q = 0; q < kFitPasses; ++q)
            if (step >= q * lag && step - q * lag < count) FitPoint1(h, n, points[step - q * lag]);
}

} // namespace

void FitSamples(HeightGrid& grid, const SampleSet& set, int stride) {
    std::vector<FitPoint> points;
    std::vector<std::int64_t> tiles;
    PrepareFit(grid, set, stride, points, nullptr);
    FitPoints(grid, points, FitLag(grid, points, tiles));
}

void FitHeightField(HeightGrid& grid, const SampleSet& samples, int levels,
                    BuildProgress* progress, WorkerPool* pool) {
    InitHeightGrid(grid);
    const std::size_t last = static_cast<std::size_t>(GridSizeForLevels(levels));
    grid.heights.reserve(last * last); // every refinement then works in place
    int stride = 1;
    for (int i = 0; i < levels; ++i) stride = kGridRefineFactor * stride;

    ProgressScope bar(progress, "Surface Building");
    bar.Update(0);
    std::vector<FitPoint> points;
    std::vector<std::int64_t> tiles;
    for (int level = 0; level < levels; ++level) {
        RefineGrid(grid, pool);
        PrepareFit(grid, samples, stride, points, pool);
        const std::size_t lag = FitLag(grid, points, tiles);
        for (int k = 0; k < 10; ++k) {
            FitPoints(grid, points, lag);
            SmoothGrid(grid.heights.data(), grid.gridSize, pool);
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

namespace {

// Relaxes rows r0 .. r1-1. source(r) is row r as it was before this
// relaxation: the grid's own row inside the band, a copy outside it.
template <class Source>
CONTORRA_WIDE_VECTORS void SmoothBand(float* heights, int n, int r0, int r1, const Source& source) {
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
        if (r < 1 || r > n - 2) {
            for (std::size_t i = 0; i < w; ++i) v[i] = d[i] = a[i] = 0.0f;
            return;
        }
        const float* __restrict lo = source(r - 1);
        const float* __restrict mid = source(r);
        const float* __restrict hi = source(r + 1);
        for (int c = 0; c < n; ++c) v[c + 1] = (mid[c] - (lo[c] + hi[c]) * 0.5f) * 0.125f;
        for (int c = 1; c + 1 < n; ++c) {
            d[c + 1] = (mid[c] - (lo[c - 1] + hi[c + 1]) * 0.5f) * 0.0625f;
            a[c + 1] = (mid[c] - (hi[c - 1] + lo[c + 1]) * 0.5f) * 0.0625f;
        }
    };

    rowTerms(r0 - 1, sv[0], sd[0], sa[0]);
    rowTerms(r0, sv[1], sd[1], sa[1]);
    rowTerms(r0 + 1, sv[2], sd[2], sa[2]);
    for (int r = r0; r < r1; ++r) {
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
        if (r + 1 < r1) rowTerms(r + 2, sv[2], sd[2], sa[2]);
    }
}

} // namespace

// The relaxation as four scatter sweeps (left-right, below-above and the two
// diagonals) would touch each node's correction twelve times in a fixed order.
// Here every node gathers the same twelve terms in that same order, so the
// floating-point result is unchanged, but the work streams row by row: the
// per-sweep terms s of rows r-1, r, r+1 live in small row buffers and row r of
// the heights is written as soon as nothing later reads it. On a pool the rows
// go in bands; a band reads the two rows on either side of it as they were,
// from copies taken before any band starts.
void SmoothGrid(float* heights, int n, WorkerPool* pool) {
    if (n < 3) return;
    const std::size_t un = static_cast<std::size_t>(n);
    const int threads = pool ? pool->Size() : 1;
    const int bands = threads == 1 ? 1 : std::max(1, std::min(threads * 2, n / 32));
    if (bands == 1) {
        SmoothBand(heights, n, 0, n, [&](int r) { return heights + static_cast<std::size_t>(r) * un; });
        return;
    }
    std::vector<int> start(bands + 1);
    for (int b = 0; b <= bands; ++b) start[b] = RowBandStart(n, bands, b);
    // Rows start[b]-2 .. start[b]+1 of every inner boundary b.
    std::vector<float> copies(static_cast<std::size_t>(bands) * 4 * un);
    auto copyOf = [&](int b, int r) { return copies.data() + (static_cast<std::size_t>(b) * 4 + (r - start[b] + 2)) * un; };
    for (int b = 1; b < bands; ++b)
        for (int r = start[b] - 2; r <= start[b] + 1; ++r)
            std::copy_n(heights + static_cast<std::size_t>(r) * un, un, copyOf(b, r));
    pool->Run(bands, [&](int b) {
        const int r0 = start[b], r1 = start[b + 1];
        SmoothBand(heights, n, r0, r1, [&](int r) -> const float* {
            if (r < r0) return copyOf(b, r);
            if (r >= r1) return copyOf(b + 1, r);
            return heights + static_cast<std::size_t>(r) * un;
        });
    });
}
