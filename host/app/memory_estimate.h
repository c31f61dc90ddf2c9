#pragma once
// What a piece of work will hold in memory at its peak, estimated from its
// inputs before it starts, so that work that cannot fit is refused at once
// instead of failing (or being killed) after minutes.
#include <cstdint>
#include <string>

namespace contorra {

struct MemoryEstimate {
    std::uint64_t total = 0;
    std::string detail; // what the total is made of, for messages
};

// A terrain build of `levels` levels over contours whose world bounding box
// has the longer side `side` and whose lines are `length` long in all, with
// `points` points. The grid has N = 2^levels + 1 nodes a side; the stages
// hold at most 44 bytes per node at once (heights, material IDs, the size
// field with its curvature and length scratch), the mesher and the mesh
// output grow with the number of vertices, the contour samples with the
// sampling density. The vertex count is not known before the front has
// grown: the estimate takes what the bundled sites need with room to spare,
// not the worst case the size field allows (about one vertex per node).
MemoryEstimate EstimateTerrainBuild(int levels, double side, double length, long long points);

// A render of width x height pixels: colour, depth and the PNG's row copy.
MemoryEstimate EstimateRender(int width, int height);

// The nodes of one side of the grid after `levels` levels (the build's own rule).
std::uint64_t GridSide(int levels);

} // namespace contorra
