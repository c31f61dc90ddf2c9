#pragma once
// The exact fit: a height grid that holds every contour sample and, between
// the contours, bends least under a tension (minimum curvature with tension).
//
// Each node whose half-cell square holds a contour sample is tied to the
// nearest such sample by a first-order Taylor condition,
//   z(node) + dx (z(E) - z(W)) / 2 + dy (z(N) - z(S)) / 2 = z(sample),
// (dx, dy) the sample's offset from the node in cells, so the surface passes
// through the sample to first order and a plane is held exactly. Once solved,
// each held node is set so that the grid's bilinear surface, which is what
// the later stages read, passes through its sample (within one contour
// interval of the sample's height). Every other node minimises
//   (1 - tension) * bending + tension * slope
// measured in the cells of a grid of 10 levels over the site, whatever the
// grid's own, so a finer grid gives the same surface in more detail: tension
// 0 is a thin plate, 1 a membrane that never overshoots its contours. Whatever the tension, every free node keeps to the
// height band its region between the contours allows (contour_regions.h):
// between two levels, or within an interval above a summit's ring or below a
// pit's; a terrace between contours of one height stays flat. Within those
// bands a summit or pit rises or falls as the tension lets it.
//
// The grid of the chosen level count is solved coarse to fine: each level
// starts from the one below, interpolated, after a V-cycle or two there; the
// finest runs multigrid V-cycles until no node moves by more than
// tolerance x the contour interval: the contours say nothing finer.
#include <vector>

#include "geometry/build_progress.h"
#include "geometry/contour_regions.h"
#include "geometry/height_field.h"
#include "geometry/surface_inputs.h"
#include "geometry/worker_pool.h"

struct ExactFitSettings {
    float tension = 0.05f;     // 0 .. 1
    // Largest move of a V-cycle, over the contour interval (over the height
    // range when the lines have fewer than two heights).
    float tolerance = 0.01f;
    int maxCycles = 60;        // V-cycles per level at most
    // Over-relaxation of the free nodes: the pockets the coarse grids cannot
    // reach (between close contours) settle in half the cycles at 1.5. Where
    // it makes the cycles grow instead, the fit falls back to plain relaxation.
    float overRelax = 1.5f;
};

struct ExactFitReport {
    int cycles = 0;          // V-cycles run on the finest level
    float lastChange = 0.0f; // largest node move of the last one, in height units
    float limit = 0.0f;      // the move under which it stops: tolerance x interval
    bool converged = false;
};

// Fills grid (origin and extent already placed) with the exact fit on the
// grid of the given level count. The pool, when given, takes the sweeps; the
// bytes do not depend on its size.
ExactFitReport FitExactHeightField(HeightGrid& grid, const std::vector<ContourLine>& lines,
                                   int levels, const ExactFitSettings& settings,
                                   BuildProgress* progress, WorkerPool* pool = nullptr);
