#if defined(__GNUC__) && !defined(__clang__)
// The sweeps and length passes are written to vectorise; -O2 alone only
// vectorises loops of known trip count.
#pragma GCC optimize("tree-vectorize", "vect-cost-model=dynamic")
#endif

#include "geometry/size_field.h"

#include "geometry/size_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

// The fan of directions k / kDirectionSteps of pi, worked out once.
struct Fan {
    Point2 d[kDirectionSteps];
    float y[kDirectionSteps];
    Fan() {
        for (int k = 0; k < kDirectionSteps; ++k) {
            const double a = static_cast<double>(k) / kDirectionSteps * Pi;
            d[k] = Point2(std::cos(a), std::sin(a));
            y[k] = d[k].y;
        }
    }
};
const Fan kFan;


// Relaxes q from p over one row pair: rows are independent of each other in
// the vertical and diagonal sweeps, so the column order inside them is free.
inline void RelaxRow(float* __restrict q, const float* __restrict p, int count, float cost) {
    for (int c = 0; c < count; ++c) {
        const float v = p[c] + cost;
        q[c] = v < q[c] ? v : q[c];
    }
}

// The eight sweeps split into pieces that share no chain: rows for the
// horizontal sweeps, columns for the vertical ones, diagonals (c - r) and
// anti-diagonals (c + r) for the others. Within a piece every chain is
// relaxed in the order of its sweep, so the result is the literal one.
struct Sweeps {
    int n;
    float g, gd;
    float* l;
    float* Row(int r) const { return l + static_cast<std::size_t>(r) * n; }
};

// Both horizontal sweeps on rows r0 .. r1-1, kTileLanes rows at a time
// advancing together one column at a time; fill(b, rows, count, tile) puts
// the starting lengths of rows b .. b+count-1 into the tile.
template <class Fill>
void HorizontalRows(const Sweeps& s, int r0, int r1, std::vector<float>& tile, const Fill& fill) {
    const int n = s.n;
    tile.assign(static_cast<std::size_t>(n) * kTileLanes, 0.0f);
    for (int b = r0; b < r1; b += kTileLanes) {
        const int rows = std::min(kTileLanes, r1 - b);
        float* out[kTileLanes];
        for (int j = 0; j < rows; ++j) out[j] = s.Row(b + j);
        fill(b, out, rows, tile.data());
        SweepTile(tile.data(), n, s.g);
        TileIntoRows(tile.data(), rows, n, out);
    }
}

// Both vertical sweeps on columns c0 .. c1-1 (the last column takes no part).
void VerticalColumns(const Sweeps& s, int c0, int c1) {
    c1 = std::min(c1, s.n - 1);
    if (c1 <= c0) return;
    for (int r = 0; r <= s.n - 2; ++r) RelaxRow(s.Row(r + 1) + c0, s.Row(r) + c0, c1 - c0, s.g);
    for (int r = s.n - 1; r >= 1; --r) RelaxRow(s.Row(r - 1) + c0, s.Row(r) + c0, c1 - c0, s.g);
}

// The (+1, +1) and (-1, -1) sweeps on the diagonals c - r = j0 .. j1-1.
void DiagonalBand(const Sweeps& s, int j0, int j1) {
    const int n = s.n;
    for (int r = 0; r <= n - 2; ++r) {
        const int lo = std::max(0, r + j0), hi = std::min(n - 1, r + j1);
        if (lo < hi) RelaxRow(s.Row(r + 1) + lo + 1, s.Row(r) + lo, hi - lo, s.gd);
    }
    for (int r = n - 1; r >= 1; --r) {
        const int lo = std::max(1, r + j0), hi = std::min(n, r + j1);
        if (lo < hi) RelaxRow(s.Row(r - 1) + lo - 1, s.Row(r) + lo, hi - lo, s.gd);
    }
}

// The (-1, +1) and (+1, -1) sweeps on the anti-diagonals c + r = a0 .. a1-1;
// done(r, c0, c1) is told of each row segment once its lengths are final.
template <class Done> void AntiDiagonalBand(const Sweeps& s, int a0, int a1, const Done& done) {
    const int n = s.n;
    for (int r = 0; r <= n - 2; ++r) {
        const int lo = std::max(1, a0 - r), hi = std::min(n, a1 - r);
        if (lo < hi) RelaxRow(s.Row(r + 1) + lo - 1, s.Row(r) + lo, hi - lo, s.gd);
    }
    for (int r = n - 1; r >= 1; --r) {
        const int lo = std::max(0, a0 - r), hi = std::min(n - 1, a1 - r);
        if (lo < hi) RelaxRow(s.Row(r - 1) + lo + 1, s.Row(r) + lo, hi - lo, s.gd);
    }
    for (int r = 0; r < n; ++r) {
        const int lo = std::max(0, a0 - r), hi = std::min(n, a1 - r);
        if (lo < hi) done(r, lo, hi);
    }
}

// The eight sweeps over the pool, the horizontal ones after fill.
template <class Fill, class Done>
void LimitGrowthOn(WorkerPool* pool, int n, float g, float* l, const Fill& fill, const Done& done) {
    const Sweeps s{n, g, static_cast<float>(g * std::sqrt(2.0)), l};
    const std::size_t un = static_cast<std::size_t>(n);
    if (n < 2) { // nothing to sweep
        std::vector<float> tile(kTileLanes);
        for (int r = 0; r < n; ++r) {
            float* row = s.Row(r);
            fill(r, &row, 1, tile.data());
            TileIntoRows(tile.data(), 1, n, &row);
            done(r, 0, n);
        }
        return;
    }
    RunRanges(pool, un, kTileLanes, [&](std::size_t r0, std::size_t r1) {
        std::vector<float> tile;
        HorizontalRows(s, static_cast<int>(r0), static_cast<int>(r1), tile, fill);
    });
    // Column bands of whole cache lines, so no two threads write one line.
    RunRanges(pool, un, 16, [&](std::size_t c0, std::size_t c1) {
        VerticalColumns(s, static_cast<int>(c0), static_cast<int>(c1));
    });
    // Diagonal indices shifted to start at 0.
    RunRanges(pool, 2 * un - 1, 16, [&](std::size_t j0, std::size_t j1) {
        DiagonalBand(s, static_cast<int>(j0) - (n - 1), static_cast<int>(j1) - (n - 1));
    });
    RunRanges(pool, 2 * un - 1, 16, [&](std::size_t a0, std::size_t a1) {
        AntiDiagonalBand(s, static_cast<int>(a0), static_cast<int>(a1), done);
    });
}

// trunc(g) limited to 0 .. n - 1; compared in float first so that a far-off
// or undefined coordinate cannot overflow the conversion.
int CellIndex(float g, int n) {
    if (!(g >= 1.0f)) return 0;
    if (g >= static_cast<float>(n - 1)) return n - 1;
    return static_cast<int>(g);
}

} // namespace

const Point2 DirectionTable[8] = {
    Point2(std::cos(0 * Pi / 8), std::sin(0 * Pi / 8)),
    Point2(std::cos(1 * Pi / 8), std::sin(1 * Pi / 8)),
    Point2(std::cos(2 * Pi / 8), std::sin(2 * Pi / 8)),
    Point2(std::cos(3 * Pi / 8), std::sin(3 * Pi / 8)),
    Point2(std::cos(4 * Pi / 8), std::sin(4 * Pi / 8)),
    Point2(std::cos(5 * Pi / 8), std::sin(5 * Pi / 8)),
    Point2(std::cos(6 * Pi / 8), std::sin(6 * Pi / 8)),
    Point2(std::cos(7 * Pi / 8), std::sin(7 * Pi / 8)),
};

SizeMatrix PrincipalScale(const SizeMatrix& t, float limit) {
    const float a = t.r0.x, b = t.r0.y, c = t.r1.x, e = t.r1.y;
    const float det = std::fabs(e * a - c * b);
    Point2 best;
    float bestSq = 0.0f;
    for (const Point2& v : DirectionTable) {
        const Point2 u = Apply(t, v);
        const float sq = u.LengthSquared();
        if (sq > bestSq) {
            bestSq = sq;
            best = u;
        }
    }
    const float s1 = std::sqrt(bestSq);
    Point2 d(0.0f, 1.0f);
    float s2 = 0.0f;
    if (s1 > 0.0f) {
        d = best / s1;
        s2 = det / s1;
    }
    const Point2 p(-d.y, d.x);
    const float k1 = std::min(std::sqrt(s1), limit);
    const float k2 = std::min(std::sqrt(s2), limit);
    return {p * k2, d * k1};
}

void LimitGrowth(int n, float g, float* l, WorkerPool* pool) {
    LimitGrowthOn(
        pool, n, g, l,
        [n](int, float* const* rows, int count, float* tile) { RowsIntoTile(rows, count, n, tile); },
        [](int, int, int) {});
}

SizeMatrix CurvatureAt(const HeightGrid& grid, int column, int row, const TuningConstants& tuning) {
    const int n = grid.gridSize;
    const float h = grid.cellSize;
    const std::vector<float>& heights = grid.heights;
    float z[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            z[i][j] = heights[static_cast<std::size_t>(row - 1 + i) * n + (column - 1 + j)];

    // The literals 6.0, 1.0 and 2.0 are double: those steps run in double and
    // are rounded to float when stored.
    const float gy =
        static_cast<float>(((z[2][0] + z[2][1] + z[2][2]) - z[0][0] - z[0][1] - z[0][2]) / h / 6.0);
    const float gx =
        static_cast<float>(((z[0][2] + z[1][2] + z[2][2]) - z[0][0] - z[1][0] - z[2][0]) / h / 6.0);
    const float s = static_cast<float>(std::sqrt(1.0 / (gx * gx + gy * gy + 1.0)));
    const float h2 = h * h;
    const float shape = tuning.TriangleShapeFactor;
    const float scale = tuning.CurvatureScale;
    const float hxx =
        static_cast<float>(((z[0][0] + z[1][0] + z[2][0] + z[0][2] + z[1][2] + z[2][2]) -
                            2.0 * (z[0][1] + z[1][1] + z[2][1])) /
                           h2 / shape * s);
    const float hyy =
        static_cast<float>(((z[0][0] + z[0][1] + z[0][2] + z[2][0] + z[2][1] + z[2][2]) -
                            2.0 * (z[1][0] + z[1][1] + z[1][2])) /
                           h2 / shape * s);
    const float hxy = ((z[2][2] - z[2][0]) + z[0][0] - z[0][2]) / h2 / scale * s;

    const float q = h * scale;
    const SizeMatrix t{{hxx / q, hxy / q}, {hxy / q, hyy / q}};
    const SizeMatrix p = PrincipalScale(t, 1.0f / h);
    return {{p.r0.x, p.r1.x}, {p.r0.y, p.r1.y}};
}

// The curvature is kept in the field's own storage until the last direction
// has read it; per node only the winning direction and its length are kept
// beside it, so on one thread (or a grid too large to pair) the stage needs
// two float grids and a byte grid on top of its result. Direction 0 gives
// both rows their start and, run once more at the end (or kept, when
// paired), the x row.
void BuildSizeField(SizeField& sizeField, const HeightGrid& grid, const TuningConstants& tuning,
                    BuildProgress* progress, WorkerPool* pool, int pairedSide) {
    const int n = grid.gridSize;
    const float cellSize = grid.cellSize;
    const std::size_t un = static_cast<std::size_t>(n);
    const std::size_t count = un * un;
    const float maxLength = static_cast<float>(n) * cellSize * tuning.MaxEdgeFactor;
    const float g = cellSize * tuning.SizeGrowthFactor;

    ProgressScope bar(progress, "Mesh Distortion Building");
    bar.Update(0);

    const float inv = 1.0f / maxLength;
    SizeField& curvature = sizeField;
    curvature.assign(count, SizeMatrix{{inv, 0.0f}, {0.0f, inv}});
    RunRanges(pool, un, 4, [&](std::size_t r0, std::size_t r1) {
        for (std::size_t r = std::max<std::size_t>(r0, 1); r < std::min(r1, un - 1); ++r)
            CurvatureRow(grid, static_cast<int>(r), tuning, curvature.data() + r * un);
    });

    // With a second thread and room for more length grids, two directions
    // are limited at once, each whole on one thread: no thread waits on the
    // other between the eight sweeps. Direction 0 then keeps its grid for the
    // x row instead of being limited again at the end. The kept lengths are
    // taken in direction order either way, so the field is the same.
    const bool paired = pool && pool->Size() >= 2 && n <= pairedSide;
    // Left uninitialised: every grid is written whole before it is read (the
    // kept ones by direction 0), so the pages are first touched by the
    // threads that work on them instead of being zeroed on one.
    const auto lengthGrid = [count](bool wanted) {
        return std::make_unique_for_overwrite<float[]>(wanted ? count : 0);
    };
    const std::unique_ptr<float[]> lengthsGrid = lengthGrid(true), second = lengthGrid(paired),
                                   third = lengthGrid(paired), best = lengthGrid(true);
    const auto bestK = std::make_unique_for_overwrite<std::uint8_t[]>(count);
    float* const lengths = lengthsGrid.get();
    auto along = [&](const Point2& d) {
        return [&curvature, &d, n](int b, float* const*, int rows, float* tile) {
            const SizeMatrix* m[kTileLanes];
            for (int j = 0; j < rows; ++j) m[j] = curvature.data() + static_cast<std::size_t>(b + j) * n;
            LengthsIntoTile(m, rows, n, d, tile);
        };
    };
    auto keep = [&](int k, const float* l, std::size_t i0, std::size_t i1) {
        if (k == 0) {
            std::copy(l + i0, l + i1, best.get() + i0);
            std::fill(bestK.get() + i0, bestK.get() + i1, std::uint8_t{0});
        } else {
            KeepFarthest(l + i0, best.get() + i0, bestK.get() + i0, static_cast<int>(i1 - i0), kFan.y,
                         static_cast<std::uint8_t>(k), kFan.d[k].y);
        }
    };
    const auto none = [](int, int, int) {};
    for (int k = 0; k < kDirectionSteps; k += paired ? 2 : 1) {
        for (int j = std::max(k, 1); j < k + (paired ? 2 : 1); ++j) bar.Update((j * 100) / kDirectionSteps);
        if (!paired) {
            LimitGrowthOn(pool, n, g, lengths, along(kFan.d[k]), [&](int r, int c0, int c1) {
                const std::size_t i = static_cast<std::size_t>(r) * un;
                keep(k, lengths, i + c0, i + c1);
            });
            continue;
        }
        float* grids[2] = {k == 0 ? lengths : third.get(), second.get()};
        const int m = std::min(2, kDirectionSteps - k);
        pool->Run(m, [&](int j) { LimitGrowthOn(nullptr, n, g, grids[j], along(kFan.d[k + j]), none); });
        RunRanges(pool, count, 4096, [&](std::size_t i0, std::size_t i1) {
            for (int j = 0; j < m; ++j) keep(k + j, grids[j], i0, i1);
        });
    }

    if (!paired) LimitGrowthOn(pool, n, g, lengths, along(kFan.d[0]), none);
    RunRanges(pool, count, 1024, [&](std::size_t i0, std::size_t i1) {
        for (std::size_t i = i0; i < i1; ++i)
            sizeField[i] = {kFan.d[0] * lengths[i], kFan.d[bestK[i]] * best[i]};
    });
}

void SizeAt(const HeightGrid& grid, const SizeField& sizeField, const Point2& p, SizeMatrix& m,
            int& id) {
    const int n = grid.gridSize;
    const int c = CellIndex((p.x - grid.origin.x) / grid.cellSize, n);
    const int r = CellIndex((p.y - grid.origin.y) / grid.cellSize, n);
    const std::size_t i = static_cast<std::size_t>(r) * n + c;
    m = sizeField[i];
    id = i < grid.matIds.size() ? grid.matIds[i] : grid.baseMatId;
}
