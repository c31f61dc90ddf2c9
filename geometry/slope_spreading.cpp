// The slopes' spreading over the grid: the bounds pushed along every
// direction, as row steps that vectorise.
#if defined(__GNUC__) && !defined(__clang__)
// The full-grid sweeps are written to vectorise; -O2 alone only vectorises
// loops of known trip count.
#pragma GCC optimize("tree-vectorize", "vect-cost-model=dynamic")
#endif

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "geometry/platform_bounds.h"
#include "geometry/wide_vectors.h"

const std::vector<SpreadDirection>& SpreadDirections() {
    static const std::vector<SpreadDirection> directions = [] {
        std::vector<SpreadDirection> d;
        for (int dy = -8; dy <= 8; ++dy) {
            for (int dx = -8; dx <= 8; ++dx) {
                if (dx * dx + dy * dy >= 73) continue;
                bool reducible = false;
                for (int k = 2; k <= 20 && !reducible; ++k)
                    reducible = std::abs(dx) % k == 0 && std::abs(dy) % k == 0;
                if (!reducible) d.push_back({dx, dy});
            }
        }
        return d;
    }();
    return directions;
}

namespace {

// The better of target and source moved by step: lower bounds drop by the
// step and keep the maximum, upper bounds rise by it and keep the minimum.
template <bool Lower> inline float Better(float target, float source, float step) {
    if constexpr (Lower) {
        const float v = source - step;
        return target < v ? v : target;
    } else {
        const float v = source + step;
        return v < target ? v : target;
    }
}

// A sweep along rows r .. r+rows-1 (dy = 0) over source columns c0 .. c1-1.
// Along a row each value feeds the next one: a running recurrence whose
// latency would dominate. A full block of eight rows is carried side by side
// instead; rows do not interact, so the order within a row is all that matters.
constexpr int kRowBlock = 8;
template <bool Lower>
void AlongRowBlock(float* grid, int n, int r, int rows, int c0, int c1, int dx, float s) {
    if (rows == kRowBlock) {
        float* g[kRowBlock];
        for (int k = 0; k < kRowBlock; ++k) g[k] = grid + static_cast<std::size_t>(r + k) * n;
        if (dx > 0) {
            for (int c = c0; c < c1; ++c)
                for (int k = 0; k < kRowBlock; ++k) g[k][c + dx] = Better<Lower>(g[k][c + dx], g[k][c], s);
        } else {
            for (int c = c1 - 1; c >= c0; --c)
                for (int k = 0; k < kRowBlock; ++k) g[k][c + dx] = Better<Lower>(g[k][c + dx], g[k][c], s);
        }
        return;
    }
    for (int k = 0; k < rows; ++k) {
        float* g = grid + static_cast<std::size_t>(r + k) * n;
        if (dx > 0)
            for (int c = c0; c < c1; ++c) g[c + dx] = Better<Lower>(g[c + dx], g[c], s);
        else
            for (int c = c1 - 1; c >= c0; --c) g[c + dx] = Better<Lower>(g[c + dx], g[c], s);
    }
}

// One sweep of the bound propagation along (dx, dy): target = better of itself and
// source moved by s (lower bounds drop by s and keep the maximum, upper bounds
// rise by s and keep the minimum). For dy != 0 a sweep reads one row and writes
// another, so the columns of a row are independent and vectorise; the order of
// the rows carries values along the whole direction.
template <bool Lower> void Spread(float* grid, int n, int dx, int dy, float s) {
    const int cFirst = std::max(0, -dx);
    const int cEnd = std::min(n, n - dx);
    if (dy != 0) {
        auto row = [&](int r) {
            const float* __restrict src = grid + static_cast<std::size_t>(r) * n;
            float* __restrict dst = grid + static_cast<std::size_t>(r + dy) * n + dx;
            for (int c = cFirst; c < cEnd; ++c) dst[c] = Better<Lower>(dst[c], src[c], s);
        };
        if (dy > 0)
            for (int r = 0; r + dy < n; ++r) row(r);
        else
            for (int r = n - 1; r + dy >= 0; --r) row(r);
        return;
    }
    for (int r = 0; r < n; r += kRowBlock)
        AlongRowBlock<Lower>(grid, n, r, std::min(kRowBlock, n - r), cFirst, cEnd, dx, s);
}

// One row step of a sweep with dy != 0: row r + dy from row r, source
// columns c0 .. c1-1. The two rows differ, so the columns are independent and
// vectorise.
template <bool Lower>
CONTORRA_WIDE_VECTORS void SpreadRow(float* grid, int n, int dx, int dy, float s, int r, int c0,
                                     int c1) {
    const float* __restrict src = grid + static_cast<std::size_t>(r) * n;
    float* __restrict dst = grid + static_cast<std::size_t>(r + dy) * n + dx;
    for (int c = c0; c < c1; ++c) {
        if constexpr (Lower) {
            const float v = src[c] - s;
            dst[c] = dst[c] < v ? v : dst[c];
        } else {
            const float v = src[c] + s;
            dst[c] = v < dst[c] ? v : dst[c];
        }
    }
}

// Columns lo .. hi-1 of a row hold every node that differs from the starting
// value; outside them the row is untouched. A node still at its start moved
// by a step stays at the start or beyond it, which improves no node of a
// grid that holds nothing past its start: such row steps are left out and
// the rows' spans grow only as far as values travel.
struct RowSpan {
    int lo = 0, hi = 0;
    void Add(int a, int b) {
        if (a >= b) return;
        if (lo >= hi) {
            lo = a;
            hi = b;
        } else {
            lo = std::min(lo, a);
            hi = std::max(hi, b);
        }
    }
};

template <bool Lower> constexpr float StartValue() {
    return Lower ? -1.0e30f : 1.0e30f;
}

// The rows' spans, or every row whole when a node lies past the start (its
// step would then change it).
template <bool Lower> std::vector<RowSpan> RowSpans(const float* grid, int n) {
    std::vector<RowSpan> spans(static_cast<std::size_t>(n));
    const float start = StartValue<Lower>();
    for (int r = 0; r < n; ++r) {
        const float* row = grid + static_cast<std::size_t>(r) * n;
        int lo = n, hi = 0;
        for (int c = 0; c < n; ++c) {
            const float v = row[c];
            if (Lower ? v < start : v > start) {
                for (RowSpan& whole : spans) whole = {0, n};
                return spans;
            }
            if (v != start) {
                lo = std::min(lo, c);
                hi = c + 1;
            }
        }
        spans[static_cast<std::size_t>(r)].Add(lo, hi);
    }
    return spans;
}

// True when the start moved by s stays at or beyond the start.
template <bool Lower> bool StartStays(float s) {
    const float start = StartValue<Lower>();
    return Lower ? !(start - s > start) : !(start + s < start);
}

// Row step r -> r + dy over the source row's span, the target's span grown.
template <bool Lower>
void SpreadSpanRow(float* grid, int n, int dx, int dy, float s, int r, RowSpan* spans) {
    int c0 = std::max(0, -dx), c1 = std::min(n, n - dx);
    if (StartStays<Lower>(s)) {
        c0 = std::max(c0, spans[r].lo);
        c1 = std::min(c1, spans[r].hi);
        if (c0 >= c1) return;
    }
    SpreadRow<Lower>(grid, n, dx, dy, s, r, c0, c1);
    spans[r + dy].Add(c0 + dx, c1 + dx);
}

// A sweep along the rows (dy = 0) over the rows' spans: a row's values run
// from its span's first node to its end (dx > 0) or from its last node back
// to its start, and nothing before that first node changes.
template <bool Lower> void SpreadAlongRows(float* grid, int n, int dx, float s, RowSpan* spans) {
    const bool stays = StartStays<Lower>(s);
    const int cFirst = std::max(0, -dx), cEnd = std::min(n, n - dx);
    // Blocks of rows as in Spread, over the union of their spans.
    for (int r = 0; r < n; r += kRowBlock) {
        const int rows = std::min(kRowBlock, n - r);
        RowSpan block;
        for (int k = 0; k < rows; ++k) block.Add(spans[r + k].lo, spans[r + k].hi);
        int c0 = cFirst, c1 = cEnd;
        if (stays) {
            if (block.lo >= block.hi) continue;
            if (dx > 0)
                c0 = std::max(c0, block.lo);
            else
                c1 = std::min(c1, block.hi);
        }
        if (c0 >= c1) continue;
        AlongRowBlock<Lower>(grid, n, r, rows, c0, c1, dx, s);
        for (int k = 0; k < rows; ++k) spans[r + k].Add(c0 + dx, c1 + dx);
    }
}

struct SweepStep {
    int dx, dy;
    float s;
};

// A run of sweeps that all walk the rows the same way, as one pass: with rows
// counted in the walking direction, sweep i handles source row t - i x lag
// at step t. A row step touches its source row and the row |dy| <= lag
// beyond it, so every row is finished by sweep i before sweep i + 1 first
// touches it, and sweep i never comes back to a row sweep i + 1 has
// touched: each node sees the same operations in the same order as sweep
// after sweep over the whole grid, while the rows in play stay in cache.
template <bool Lower>
void SpreadRun(float* grid, int n, const SweepStep* steps, int count, RowSpan* spans) {
    if (steps[0].dy == 0) { // along the rows: one sweep at a time
        for (int i = 0; i < count; ++i) SpreadAlongRows<Lower>(grid, n, steps[i].dx, steps[i].s, spans);
        return;
    }
    int lag = 1;
    for (int i = 0; i < count; ++i) lag = std::max(lag, std::abs(steps[i].dy));
    const bool upwards = steps[0].dy > 0;
    const int total = n + (count - 1) * lag;
    for (int t = 0; t < total; ++t) {
        for (int i = 0; i < count; ++i) {
            const int v = t - i * lag;
            if (v < 0) break;
            const SweepStep& st = steps[i];
            if (v >= n - std::abs(st.dy)) continue;
            SpreadSpanRow<Lower>(grid, n, st.dx, st.dy, st.s, upwards ? v : n - 1 - v, spans);
        }
    }
}

float DirectionLength(int dx, int dy) {
    return std::sqrt(static_cast<float>(dx * dx + dy * dy));
}

int RowOrder(const SpreadDirection& d) {
    return d.dy > 0 ? 1 : (d.dy < 0 ? -1 : 0);
}

} // namespace

void PlatformBounds::SpreadLower(int dx, int dy) {
    Spread<true>(platLower.data(), gridSize, dx, dy, DirectionLength(dx, dy) * downStep);
}

void PlatformBounds::SpreadUpper(int dx, int dy) {
    Spread<false>(platUpper.data(), gridSize, dx, dy, DirectionLength(dx, dy) * upStep);
}

// Consecutive directions that walk the rows the same way go as one run
// (SpreadRun), as many as keep their rows within windowBytes; the lower and
// the upper bounds never meet, so they spread side by side on a pool. The
// progress of a run's directions is reported once the run is done.
void PlatformBounds::SpreadSlopes(ProgressScope& bar, WorkerPool* pool, std::size_t windowBytes) {
    const std::vector<SpreadDirection>& dirs = SpreadDirections();
    const int count = static_cast<int>(dirs.size());
    const int n = gridSize;
    const std::size_t rowsBytes = 8 * static_cast<std::size_t>(std::max(n, 1)) * sizeof(float);
    const int most = static_cast<int>(std::max<std::size_t>(1, windowBytes / rowsBytes));
    std::vector<SweepStep> down, up;
    std::vector<RowSpan> lowerSpans, upperSpans;
    auto spans = [&](int which) {
        if (which == 0)
            lowerSpans = RowSpans<true>(platLower.data(), n);
        else
            upperSpans = RowSpans<false>(platUpper.data(), n);
    };
    if (pool)
        pool->Run(2, spans);
    else
        spans(0), spans(1);
    for (int i = 0; i < count;) {
        int end = i + 1;
        if (RowOrder(dirs[i]) != 0)
            while (end < count && end - i < most && RowOrder(dirs[end]) == RowOrder(dirs[i])) ++end;
        down.clear();
        up.clear();
        for (int k = i; k < end; ++k) {
            const float length = DirectionLength(dirs[k].dx, dirs[k].dy);
            down.push_back({dirs[k].dx, dirs[k].dy, length * downStep});
            up.push_back({dirs[k].dx, dirs[k].dy, length * upStep});
        }
        auto spread = [&](int which) {
            if (which == 0)
                SpreadRun<true>(platLower.data(), n, down.data(), end - i, lowerSpans.data());
            else
                SpreadRun<false>(platUpper.data(), n, up.data(), end - i, upperSpans.data());
        };
        if (pool)
            pool->Run(2, spread);
        else
            spread(0), spread(1);
        for (int k = i; k < end; ++k) {
            const int percent = static_cast<int>(k * 100.0 / count);
            bar.Update(percent);
            bar.Update(percent);
        }
        i = end;
    }
}
