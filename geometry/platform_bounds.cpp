// Platform rasterisation, slope envelopes, merging and clamping; the
// spreading is in slope_spreading.cpp.
#if defined(__GNUC__) && !defined(__clang__)
// The full-grid sweeps are written to vectorise; -O2 alone only vectorises
// loops of known trip count.
#pragma GCC optimize("tree-vectorize", "vect-cost-model=dynamic")
#endif

#include "geometry/platform_bounds.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>

namespace {

std::string PlatformTitle(const PlatformInput& platform) {
    return "Platform Building: " + platform.name;
}
std::string SlopeTitle(const PlatformInput& platform) {
    return "Slope Building: " + platform.name;
}

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
        const std::string title = PlatformTitle(platform);
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
        const std::string title = SlopeTitle(platform);
        ProgressScope bar(progress, title.c_str());
        SpreadSlopes(bar, pool);
    }
    MergePlatform();
}

void PlatformBounds::ShowAdded(const PlatformInput& platform, BuildProgress* progress) {
    for (const std::string& title : {PlatformTitle(platform), SlopeTitle(platform)}) {
        const ProgressScope bar(progress, title.c_str());
    }
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
