#pragma once
// The height grid: N x N nodes stored row by row, column along world x, row
// along world y, node (c, r) at origin + (c, r) x cellSize. It is fitted to
// the contour samples coarse to fine and kept smooth by relaxation.
#include <cstdint>
#include <vector>

#include "geometry/build_progress.h"
#include "geometry/worker_pool.h"
#include "host/sdk/point.h"

struct SampleSet {
    std::vector<Point3> samples;
    std::int32_t Count() const { return static_cast<std::int32_t>(samples.size()); }
};

struct HeightGrid {
    Point2 origin;
    float extent = 0.0f; // side of the square the contours are placed in
    float cellSize = 0.0f;
    std::int32_t gridSize = 0;
    std::vector<float> heights;
    std::vector<std::int32_t> matIds;
    std::int32_t baseMatId = 1;
};

// The side of the grid after one refinement of an n-node side, and after a
// whole build of the given number of levels: the one place grid sizes come from.
int RefinedGridSize(int n);
int GridSizeForLevels(int levels);

void InitHeightGrid(HeightGrid& grid);
// The cell size of the grid after InitHeightGrid and that many refinements.
float CellSizeForLevels(const HeightGrid& grid, int levels);
// One refinement, in place when the heights have the room reserved.
void RefineGrid(HeightGrid& grid, WorkerPool* pool = nullptr);
// Four passes pulling the grid towards every stride-th sample.
void FitSamples(HeightGrid& grid, const SampleSet& samples, int stride);
// The coarse-to-fine schedule under the "Surface Building" progress bar:
// InitHeightGrid, then per level RefineGrid and ten fit-and-smooth rounds.
// The pool, when given, takes all but the fit itself; the grid is the same.
void FitHeightField(HeightGrid& grid, const SampleSet& samples, int levels,
                    BuildProgress* progress, WorkerPool* pool = nullptr);
// One relaxation of an n x n grid in place.
void SmoothGrid(float* heights, int n, WorkerPool* pool = nullptr);
// Bilinear height at a world point; outside the grid the border cell extrapolates.
float GridHeightAt(const HeightGrid& grid, const Point2& p);
