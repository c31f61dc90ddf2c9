// Platform rasterisation, slope envelopes and their spreading over the grid.
#if defined(__GNUC__) && !defined(__clang__)
// The full-grid sweeps are written to vectorise; -O2 alone only vectorises
// loops of known trip count.
#pragma GCC optimize("tree-vectorize", "vect-cost-model=dynamic")
#endif

#include "geometry/platform_bounds.h"
#include "geometry/wide_vectors.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>

namespace {

// trunc(v) limited to [lo, hi]; a value that is not a number gives lo. Clamping
// before the conversion keeps huge grid coordinates from overflowing an int.
int TruncInto(float v, int lo, int hi) {
    if (!(v >= static_cast<float>(lo))) return lo;
    if (v >= static_cast<float>(hi)) return hi;
    return std::max(lo, std::min(hi, static_cast<int>(v)));
}

float DistanceXY(const Point2& p, const Point3& q) {
    const float dx = p.x - q.x, dy = p.y - q.y;
    return std::sqrt(dx * dx + dy * dy);
}

// mask is all ones or all zeros; a branch-free choice keeps the loops vectorisable.
std::int32_t Select(std::int32_t mask, std::int32_t a, std::int32_t b) {
    return (a & mask) | (b & ~mask);
}

float Radians(float degrees) {
    return degrees / 180.0f * 3.1415927f;
}

} // namespace

SlopeEdge MakeSlopeEdge(const Point3& a, const Point3& b, float downStep, float upStep) {
    SlopeEdge e;
    e.a = a;
    e.b = b;
    e.sDown = downStep;
    e.sUp = upStep;
    const float dx = b.x - a.x, dy = b.y - a.y;
    e.len = std::sqrt(dx * dx + dy * dy);
    if (!(e.len > 0.0f)) {
        e.upFlat = e.downFlat = true;
        return e;
    }
    e.toLocal = Inverse(Matrix2(Point2(-dy, dx), Point2(dx, dy), Point2(a.x, a.y)));
    const float g = (b.z - a.z) / e.len;
    const float qDown = e.sDown * e.sDown - g * g;
    if (qDown <= 0.0f) {
        e.downFlat = true;
    } else {
        e.kDown = g / std::sqrt(qDown);
        e.wDown = std::sqrt(e.kDown * e.kDown + 1.0f) * e.len * e.sDown;
    }
    const float qUp = e.sUp * e.sUp - g * g;
    if (qUp <= 0.0f) {
        e.upFlat = true;
    } else {
        e.kUp = g / std::sqrt(qUp);
        e.wUp = std::sqrt(e.kUp * e.kUp + 1.0f) * e.len * e.sUp;
    }
    return e;
}

// A t' that is not a number (a degenerate edge) falls through to a cone.
float EdgeLower(const SlopeEdge& e, const Point2& p) {
    if (e.downFlat) {
        if (e.a.z <= e.b.z) return e.b.z - DistanceXY(p, e.b) * e.sDown;
        return e.a.z - DistanceXY(p, e.a) * e.sDown;
    }
    const Point2 ut = p * e.toLocal;
    const float u = std::fabs(ut.x);
    const float t = ut.y + u * e.kDown;
    if (t >= 0.0f && t <= 1.0f) return (1.0f - t) * e.a.z + t * e.b.z - u * e.wDown;
    if (t > 1.0f) return e.b.z - DistanceXY(p, e.b) * e.sDown;
    return e.a.z - DistanceXY(p, e.a) * e.sDown;
}

float EdgeUpper(const SlopeEdge& e, const Point2& p) {
    if (e.upFlat) {
        if (e.b.z <= e.a.z) return e.b.z + DistanceXY(p, e.b) * e.sUp;
        return e.a.z + DistanceXY(p, e.a) * e.sUp;
    }
    const Point2 ut = p * e.toLocal;
    const float u = std::fabs(ut.x);
    const float t = ut.y - u * e.kUp;
    if (t >= 0.0f && t <= 1.0f) return (1.0f - t) * e.a.z + t * e.b.z + u * e.wUp;
    if (t > 1.0f) return e.b.z + DistanceXY(p, e.b) * e.sUp;
    return e.a.z + DistanceXY(p, e.a) * e.sUp;
}

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

void PlatformBounds::InitBounds(const Point2& gridOrigin, float gridCellSize, int n,
                                std::int32_t baseId) {
    origin = gridOrigin;
    cellSize = gridCellSize;
    gridSize = n;
    baseMatId = baseId;
    platformsMerged = 0;
    FreeBounds();
}

void PlatformBounds::FreeBounds() {
    for (auto* g : {&upper, &lower, &platUpper, &platLower}) std::vector<float>().swap(*g);
    for (auto* g : {&upperIds, &lowerIds, &platUpperIds, &platLowerIds})
        std::vector<std::int32_t>().swap(*g);
}

void PlatformBounds::StartPlatform(const PlatformSettings& settings) {
    const std::size_t count =
        static_cast<std::size_t>(gridSize) * static_cast<std::size_t>(gridSize);
    platUpper.assign(count, 1.0e30f);
    platLower.assign(count, -1.0e30f);
    platUpperIds.assign(count, settings.slopeUpId);
    platLowerIds.assign(count, settings.slopeDownId);
    upStep = std::tan(Radians(settings.slopeUp)) * cellSize;
    downStep = std::tan(Radians(settings.slopeDown)) * cellSize;
}

void PlatformBounds::AddPlatform(const PlatformInput& platform, BuildProgress* progress,
                                 WorkerPool* pool) {
    const int faceCount = static_cast<int>(platform.faces.size());
    {
        const std::string title = "Platform Building: " + platform.name;
        ProgressScope bar(progress, title.c_str());
        StartPlatform(platform.settings);
        int last = 0;
        for (int f = 0; f < faceCount; ++f) {
            const int percent = static_cast<int>(static_cast<std::int64_t>(f) * 100 / faceCount);
            if (percent != last) {
                bar.Update(percent);
                last = percent;
            }
            const PlatformFace& face = platform.faces[static_cast<std::size_t>(f)];
            if (face.usable)
                RasterizeTriangle(face.corner[0], face.corner[1], face.corner[2],
                                  platform.settings.platformId);
        }
    }
    {
        const std::string title = "Slope Building: " + platform.name;
        ProgressScope bar(progress, title.c_str());
        SpreadSlopes(bar, pool);
    }
    MergePlatform();
}

void PlatformBounds::RasterizeTriangle(const Point3& p0, const Point3& p1, const Point3& p2,
                                       std::int32_t id) {
    auto toGrid = [&](const Point3& p) {
        return Point3((p.x - origin.x) / cellSize, (p.y - origin.y) / cellSize, p.z);
    };
    Point3 a = toGrid(p0), b = toGrid(p1), c = toGrid(p2);
    if (b.y < a.y) std::swap(a, b);
    if (c.y < b.y) std::swap(b, c);
    if (b.y < a.y) std::swap(a, b);

    RasterizeEdgeBand(a, b);
    RasterizeEdgeBand(b, c);
    RasterizeEdgeBand(c, a);

    const Point3 nrm = (b - a) ^ (c - a);
    if (nrm.z == 0.0f) return;
    const float px = nrm.x / nrm.z, py = nrm.y / nrm.z, pc = (nrm % a) / nrm.z;

    const int n = gridSize;
    // Limits past the grid only need to stay past it; clamping keeps them in int range.
    const int y0 = TruncInto(a.y + 1.0f, 0, n);
    const int y1 = TruncInto(b.y + 1.0f, 0, n - 1);
    const int y2 = TruncInto(c.y + 1.0f, -1, n - 1);
    for (int r = y0; r < y2; ++r) {
        const float fr = static_cast<float>(r);
        const float first = r < y1 ? (fr - a.y) * (b.x - a.x) / (b.y - a.y) + a.x + 1.0f
                                   : (fr - b.y) * (c.x - b.x) / (c.y - b.y) + b.x + 1.0f;
        const float second = (fr - a.y) * (c.x - a.x) / (c.y - a.y) + a.x + 1.0f;
        const int e1 = TruncInto(first, -1, n), e2 = TruncInto(second, -1, n);
        const int xs = std::max(std::min(e1, e2), 0);
        const int xe = std::min(std::max(e1, e2), n - 1);
        const std::size_t base = static_cast<std::size_t>(r) * n;
        for (int col = xs; col < xe; ++col) {
            const float z = -px * static_cast<float>(col) - py * fr + pc;
            const std::size_t j = base + col;
            if (z < platUpper[j]) {
                platUpper[j] = z;
                platUpperIds[j] = id;
            }
            if (z > platLower[j]) {
                platLower[j] = z;
                platLowerIds[j] = id;
            }
        }
    }
}

void PlatformBounds::RasterizeEdgeBand(const Point3& a, const Point3& b) {
    const SlopeEdge e = MakeSlopeEdge(a, b, downStep, upStep);
    const int n = gridSize;
    const int r0 = TruncInto(std::min(a.y, b.y) - 3.0f + 1.0f, 0, n - 1);
    const int r1 = TruncInto(std::max(a.y, b.y) + 3.0f + 1.0f, 0, n - 1);
    const int c0 = TruncInto(std::min(a.x, b.x) - 3.0f + 1.0f, 0, n - 1);
    const int c1 = TruncInto(std::max(a.x, b.x) + 3.0f + 1.0f, 0, n - 1);
    const bool level = b.y - a.y == 0.0f;
    const float m = level ? 0.0f : (b.x - a.x) / (b.y - a.y);
    const float h = std::sqrt(m * m + 1.0f) * 3.0f;
    for (int r = r0; r < r1; ++r) {
        int cs = c0, ce = c1;
        if (!level) {
            const float x = (static_cast<float>(r) - a.y) * m + a.x;
            cs = std::max(TruncInto(x - h + 1.0f, c0, c1), c0);
            ce = std::min(TruncInto(x + h + 1.0f, c0, c1), c1);
        }
        const std::size_t base = static_cast<std::size_t>(r) * n;
        for (int col = cs; col < ce; ++col) {
            const Point2 p(static_cast<float>(col), static_cast<float>(r));
            const std::size_t j = base + col;
            platLower[j] = std::max(platLower[j], EdgeLower(e, p));
            platUpper[j] = std::min(platUpper[j], EdgeUpper(e, p));
        }
    }
}

namespace {

// One sweep of the bound propagation along (dx, dy): target = better of itself and
// source moved by s (lower bounds drop by s and keep the maximum, upper bounds
// rise by s and keep the minimum). For dy != 0 a sweep reads one row and writes
// another, so the columns of a row are independent and vectorise; the order of
// the rows carries values along the whole direction.
template <bool Lower> void Spread(float* grid, int n, int dx, int dy, float s) {
    const int cFirst = std::max(0, -dx);
    const int cEnd = std::min(n, n - dx);
    auto better = [](float target, float source, float step) {
        if constexpr (Lower) {
            const float v = source - step;
            return target < v ? v : target;
        } else {
            const float v = source + step;
            return v < target ? v : target;
        }
    };
    if (dy != 0) {
        auto row = [&](int r) {
            const float* __restrict src = grid + static_cast<std::size_t>(r) * n;
            float* __restrict dst = grid + static_cast<std::size_t>(r + dy) * n + dx;
            for (int c = cFirst; c < cEnd; ++c) dst[c] = better(dst[c], src[c], s);
        };
        if (dy > 0)
            for (int r = 0; r + dy < n; ++r) row(r);
        else
            for (int r = n - 1; r + dy >= 0; --r) row(r);
        return;
    }
    // Along a row each value feeds the next one: a running recurrence whose
    // latency would dominate. Eight rows are carried side by side instead; rows
    // do not interact, so the order within a row is all that matters.
    constexpr int kBlock = 8;
    int r = 0;
    for (; r + kBlock <= n; r += kBlock) {
        float* g[kBlock];
        for (int k = 0; k < kBlock; ++k) g[k] = grid + static_cast<std::size_t>(r + k) * n;
        if (dx > 0) {
            for (int c = cFirst; c < cEnd; ++c)
                for (int k = 0; k < kBlock; ++k) g[k][c + dx] = better(g[k][c + dx], g[k][c], s);
        } else {
            for (int c = cEnd - 1; c >= cFirst; --c)
                for (int k = 0; k < kBlock; ++k) g[k][c + dx] = better(g[k][c + dx], g[k][c], s);
        }
    }
    for (; r < n; ++r) {
        float* g = grid + static_cast<std::size_t>(r) * n;
        if (dx > 0)
            for (int c = cFirst; c < cEnd; ++c) g[c + dx] = better(g[c + dx], g[c], s);
        else
            for (int c = cEnd - 1; c >= cFirst; --c) g[c + dx] = better(g[c + dx], g[c], s);
    }
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
    auto better = [](float target, float source, float step) {
        if constexpr (Lower) {
            const float v = source - step;
            return target < v ? v : target;
        } else {
            const float v = source + step;
            return v < target ? v : target;
        }
    };
    // Eight rows side by side, as in Spread, over the union of their spans.
    constexpr int kBlock = 8;
    for (int r = 0; r < n; r += kBlock) {
        const int rows = std::min(kBlock, n - r);
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
        if (rows == kBlock) {
            float* g[kBlock];
            for (int k = 0; k < kBlock; ++k) g[k] = grid + static_cast<std::size_t>(r + k) * n;
            if (dx > 0) {
                for (int c = c0; c < c1; ++c)
                    for (int k = 0; k < kBlock; ++k) g[k][c + dx] = better(g[k][c + dx], g[k][c], s);
            } else {
                for (int c = c1 - 1; c >= c0; --c)
                    for (int k = 0; k < kBlock; ++k) g[k][c + dx] = better(g[k][c + dx], g[k][c], s);
            }
        } else {
            for (int k = 0; k < rows; ++k) {
                float* g = grid + static_cast<std::size_t>(r + k) * n;
                if (dx > 0)
                    for (int c = c0; c < c1; ++c) g[c + dx] = better(g[c + dx], g[c], s);
                else
                    for (int c = c1 - 1; c >= c0; --c) g[c + dx] = better(g[c + dx], g[c], s);
            }
        }
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

namespace {

// Keeps, node by node, the better of the kept bound and the candidate with its ID:
// the lower value for upper bounds, the higher for lower bounds.
template <bool Lower>
void MergeBound(float* __restrict kept, std::int32_t* __restrict keptIds,
                const float* __restrict cand, const std::int32_t* __restrict candIds,
                std::size_t count) {
    for (std::size_t j = 0; j < count; ++j) {
        const float c = cand[j], k = kept[j];
        const bool take = Lower ? k < c : c < k;
        const std::int32_t mask = -static_cast<std::int32_t>(take);
        kept[j] = take ? c : k;
        keptIds[j] = Select(mask, candIds[j], keptIds[j]);
    }
}

} // namespace

// The first platform's bounds merge into the starting values: they become
// the kept grids themselves, each node taking the platform's ID where its
// bound beats the start and the base ID elsewhere.
void PlatformBounds::MergePlatform() {
    if (platformsMerged++ == 0) {
        upper.swap(platUpper);
        lower.swap(platLower);
        upperIds.swap(platUpperIds);
        lowerIds.swap(platLowerIds);
        const std::size_t count = upper.size();
        const std::int32_t base = baseMatId;
        for (std::size_t j = 0; j < count; ++j) {
            const bool take = upper[j] < 1.0e30f;
            upper[j] = take ? upper[j] : 1.0e30f;
            upperIds[j] = Select(-static_cast<std::int32_t>(take), upperIds[j], base);
        }
        for (std::size_t j = 0; j < count; ++j) {
            const bool take = -1.0e30f < lower[j];
            lower[j] = take ? lower[j] : -1.0e30f;
            lowerIds[j] = Select(-static_cast<std::int32_t>(take), lowerIds[j], base);
        }
        for (auto* g : {&platUpper, &platLower}) std::vector<float>().swap(*g);
        for (auto* g : {&platUpperIds, &platLowerIds}) std::vector<std::int32_t>().swap(*g);
        return;
    }
    MergeBound<false>(upper.data(), upperIds.data(), platUpper.data(), platUpperIds.data(),
                      upper.size());
    MergeBound<true>(lower.data(), lowerIds.data(), platLower.data(), platLowerIds.data(),
                     lower.size());
}

namespace {

// h clamped between up and lo: the upper clamp first, so that the lower one
// wins where two platforms conflict.
template <class Up, class Lo>
void Clamp(float* __restrict h, std::int32_t* __restrict id, std::size_t count, const Up& up,
           const Lo& lo) {
    for (std::size_t j = 0; j < count; ++j) {
        float v = h[j];
        const float u = up.value(j), l = lo.value(j);
        const std::int32_t below = -static_cast<std::int32_t>(u < v);
        v = u < v ? u : v;
        const std::int32_t k = Select(below, up.id(j), id[j]);
        const std::int32_t above = -static_cast<std::int32_t>(v < l);
        h[j] = v < l ? l : v;
        id[j] = Select(above, lo.id(j), k);
    }
}

struct GridBound {
    const float* __restrict values;
    const std::int32_t* __restrict ids;
    float value(std::size_t j) const { return values[j]; }
    std::int32_t id(std::size_t j) const { return ids[j]; }
};

struct StartBound {
    float v;
    std::int32_t base;
    float value(std::size_t) const { return v; }
    std::int32_t id(std::size_t) const { return base; }
};

} // namespace

void PlatformBounds::ClampHeights(float* heights, std::int32_t* ids) const {
    const std::size_t count =
        static_cast<std::size_t>(gridSize) * static_cast<std::size_t>(gridSize);
    if (upper.empty()) { // no platform: the starting bounds everywhere
        Clamp(heights, ids, count, StartBound{1.0e30f, baseMatId}, StartBound{-1.0e30f, baseMatId});
        return;
    }
    Clamp(heights, ids, count, GridBound{upper.data(), upperIds.data()},
          GridBound{lower.data(), lowerIds.data()});
}
