#include "host/app/memory_estimate.h"

#include <algorithm>
#include <cmath>

#include "host/app/memory_limit.h"

namespace contorra {

namespace {

// Measured with bench/study_build_memory (the peak resident size of
// `contorra build` against this estimate). The grid's 44 bytes per node
// (heights 4, IDs 4, curvature 16, lengths 4, size field 16 while the size
// field is made) get a tenth more for the allocator. The mesher refines
// along the contours, lines in the plane, so its vertices grow with the
// grid's side, not its area: 1,300 to 2,400 at level 10 and 15,000 at level
// 12 on the bundled hill, 7,600 at level 10 and 13,200 at 11 on the full
// site; the estimate allows 4,000 plus 16 per node of the side.
constexpr double kBaseBytes = 48.0 * 1024 * 1024; // the program, its libraries and the plug-in
constexpr double kGridPeakPerNode = 48.0;         // while the size field is made
constexpr double kGridKeptPerNode = 26.0; // heights, IDs and size field while the front grows
constexpr double kVerticesPerSide = 16.0; // the mesher's vertices per node of the grid's side
constexpr double kMinVertices = 4000.0;
constexpr double kBytesPerVertex =
    1600.0; // front records as they grow, mesh, triangulation, lookup, copies
constexpr double kSampleSpacing = 8.0; // samples per extent before refinement
constexpr double kSampleRefine = 2.1;  // the sampling density's growth per level

std::uint64_t Bytes(double b) {
    return b >= 1.8e19 ? UINT64_MAX : static_cast<std::uint64_t>(std::ceil(b));
}

} // namespace

std::uint64_t GridSide(int levels) {
    std::uint64_t n = 2;
    for (int i = 0; i < levels && n < (std::uint64_t{1} << 40); ++i) n = (n - 1) * 2 + 1;
    return n;
}

MemoryEstimate EstimateTerrainBuild(int levels, double side, double length, long long points) {
    const double n = static_cast<double>(GridSide(levels));
    const double nodes = n * n;
    double divisor = kSampleSpacing;
    for (int i = 0; i < levels; ++i) divisor = std::floor(divisor * kSampleRefine);
    const double extent = side * 1.1;
    const double samples = (extent > 0.0 ? length * divisor / extent : 0.0) +
                           static_cast<double>(std::max(points, 0LL));
    const double sampleBytes = 24.0 * samples;
    const double gridPeak = kGridPeakPerNode * nodes;
    const double meshBytes = kBytesPerVertex * (kMinVertices + kVerticesPerSide * n);
    const double total =
        kBaseBytes + sampleBytes + std::max(gridPeak, kGridKeptPerNode * nodes + meshBytes);
    MemoryEstimate e;
    e.total = Bytes(total);
    const auto count = static_cast<std::uint64_t>(n);
    e.detail = "a height grid of " + std::to_string(count) + " x " + std::to_string(count) +
               " nodes at " + FormatBytes(Bytes(gridPeak)) + ", the mesh at about " +
               FormatBytes(Bytes(meshBytes)) + ", " + FormatBytes(Bytes(sampleBytes)) +
               " of contour samples";
    return e;
}

MemoryEstimate EstimateRender(int width, int height) {
    const double pixels = static_cast<double>(std::max(width, 0)) * std::max(height, 0);
    // Colour and depth per pixel, the PNG encoder's copy of the colour, and
    // the tiles' visible-surface lists.
    const double image = pixels * (4.0 + 4.0 + 4.0 + 16.0);
    MemoryEstimate e;
    e.total = Bytes(kBaseBytes + image);
    e.detail = "an image of " + std::to_string(width) + " x " + std::to_string(height) +
               " pixels at " + FormatBytes(Bytes(image));
    return e;
}

} // namespace contorra
