#pragma once
// The contour lines as samples, and the height band each region between them
// must stay in.
//
// A complete set of contours splits the plane into regions, and no region
// crosses a level: one bounded by contours of two adjacent levels lies
// between them; one bounded by a single level lies above it or below it, by
// less than the next level, as its neighbours across that contour say (a
// region between two lines or more whose neighbours say both is a terrace,
// flat at its level; one inside a single line takes the side most of its
// rim faces). Fitted
// heights kept inside these bands never contradict the contours, which is what
// stops a smooth surface from overshooting past them.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "geometry/surface_inputs.h"
#include "geometry/worker_pool.h"

// The contour lines as samples: every vertex, and points between them no
// more than step apart; a line of one point is one sample.
struct LineSample {
    float x, y, z;
    int line; // index into the lines
};
std::vector<LineSample> SampleLines(const std::vector<ContourLine>& lines, float step);

// The smallest step between the heights of two contours (lines of two
// samples or more at one height); 0 when there are fewer than two heights.
float ContourInterval(const std::vector<LineSample>& samples);

// An n x n grid of nodes, cellSize apart from origin.
struct GridPlace {
    float originX, originY, cellSize;
    int n;
};
// The node whose half-cell square holds the sample, and the sample's offset
// from it in cells; false when it lies off the grid. Inline: it runs once per
// sample, millions of times on dense contours.
inline bool NodeOfSample(const LineSample& s, const GridPlace& grid, int& i, int& j, float& dx, float& dy) {
    const float gx = (s.x - grid.originX) / grid.cellSize;
    const float gy = (s.y - grid.originY) / grid.cellSize;
    const float end = static_cast<float>(grid.n) - 0.5f;
    if (!(gx > -0.5f && gy > -0.5f && gx < end && gy < end)) return false;
    i = std::min(grid.n - 1, static_cast<int>(gx + 0.5f));
    j = std::min(grid.n - 1, static_cast<int>(gy + 0.5f));
    dx = gx - static_cast<float>(i);
    dy = gy - static_cast<float>(j);
    return true;
}

// What the samples tie the nodes of a grid to: the nearest sample in each
// node's half-cell square (-1: none), and whether that square holds samples
// of two heights (then the nearest may belong to the contour behind, and the
// node says nothing of the region beside it).
struct NodeTies {
    std::vector<std::int32_t> owner;
    std::vector<std::uint8_t> shared;
};

// For every node the ties leave free (owner -1), sets the band [lo[o], hi[o]]
// its height must stay in (the other nodes' entries are left as they are);
// lo == hi holds it flat at that height, and an unbounded side is -inf or
// +inf. The tied nodes of one line form an 8-connected chain, which is what
// walls the regions. Only nodes inside the box of the samples belong to a region, so
// lines that end at the edge of the surveyed area close their regions there;
// only a region beyond the highest or lowest level that reaches that edge is
// bounded on its contour's side alone. Regions no band can be read for
// (lines ending inside the area, crossing lines, contours skipping a level)
// are left unbounded, but for an area no edge reaches that only contours of
// one height, from two lines or more, enclose: it is held flat.
// The pool, when given, takes the steps that split by rows; the bands do not
// depend on its size.
void BandFreeNodes(const GridPlace& grid, const NodeTies& ties,
                   const std::vector<LineSample>& samples, std::vector<float>& lo,
                   std::vector<float>& hi, WorkerPool* pool = nullptr);
