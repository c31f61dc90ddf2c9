#pragma once
// Upper and lower height bounds that platforms put on the height grid: the
// platform faces fix the height, cut and fill slopes spread out around them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/build_progress.h"
#include "geometry/surface_inputs.h"
#include "geometry/worker_pool.h"
#include "host/sdk/matrix.h"
#include "host/sdk/point.h"

// The slope envelopes of one triangle edge, in grid coordinates (z in world units).
struct SlopeEdge {
    Point3 a, b;
    float len = 0.0f;
    float kUp = 0.0f, kDown = 0.0f; // lateral shift of the envelope's touching point
    float wUp = 0.0f, wDown = 0.0f; // height change per unit of lateral coordinate
    float sUp = 0.0f, sDown = 0.0f;
    Matrix2 toLocal; // grid point -> (lateral u, along t)
    bool upFlat = false, downFlat = false;
};

SlopeEdge MakeSlopeEdge(const Point3& a, const Point3& b, float downStep, float upStep);
float EdgeLower(const SlopeEdge& e, const Point2& p);
float EdgeUpper(const SlopeEdge& e, const Point2& p);

// The spreading directions: short integer vectors without a common divisor.
struct SpreadDirection {
    int dx, dy;
};
const std::vector<SpreadDirection>& SpreadDirections();

// Rows of the grid that the sweeps spreading one group of directions keep
// busy at a time: the group runs as one pass over the rows, each direction a
// few rows behind the one before it.
constexpr std::size_t kSpreadWindowBytes = std::size_t{1} << 20;

// The kept bounds and their IDs exist from the first platform on: until then
// they are the starting values everywhere, which ClampHeights applies without
// them. The first platform is spread straight into them (merging into the
// starting values keeps the platform's own bounds), so a build with one
// platform holds four grids, not eight.
struct PlatformBounds {
    float upStep = 0.0f;
    float downStep = 0.0f;
    float cellSize = 0.0f;
    Point2 origin;
    std::int32_t gridSize = 0;
    std::int32_t baseMatId = 1;
    int platformsMerged = 0;
    // All platforms so far, and the platform being processed.
    std::vector<float> upper, lower, platUpper, platLower;
    std::vector<std::int32_t> upperIds, lowerIds, platUpperIds, platLowerIds;

    void InitBounds(const Point2& gridOrigin, float gridCellSize, int n, std::int32_t baseMatId);
    // Rasterises the platform's faces under "Platform Building: NAME", then
    // spreads its slopes under "Slope Building: NAME" and merges it in.
    // The pool, when given, spreads the lower and the upper bounds side by side.
    void AddPlatform(const PlatformInput& platform, BuildProgress* progress,
                     WorkerPool* pool = nullptr);
    // A platform added without progress (beside other work) shows its two
    // bars opened and closed, so the host still sees it go by in its place.
    static void ShowAdded(const PlatformInput& platform, BuildProgress* progress);
    void ClampHeights(float* heights, std::int32_t* ids) const;
    void FreeBounds();

    void StartPlatform(const PlatformSettings& settings);
    void RasterizeTriangle(const Point3& p0, const Point3& p1, const Point3& p2, std::int32_t id);
    void RasterizeEdgeBand(const Point3& a, const Point3& b);
    void SpreadLower(int dx, int dy);
    void SpreadUpper(int dx, int dy);
    void SpreadSlopes(ProgressScope& bar, WorkerPool* pool = nullptr,
                      std::size_t windowBytes = kSpreadWindowBytes);
    void MergePlatform();
};
