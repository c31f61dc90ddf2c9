#pragma once
// The mesh size field: per grid node, the matrix that maps a unit step of the
// mesher's metric to the wanted world step, from the grid's curvature.
#include <vector>

#include "geometry/build_progress.h"
#include "geometry/height_field.h"
#include "geometry/tuning_constants.h"
#include "geometry/worker_pool.h"
#include "host/sdk/point.h"

// Rows r0, r1 of a 2 x 2 matrix; applied to v it gives v.x r0 + v.y r1.
struct SizeMatrix {
    Point2 r0;
    Point2 r1;
};
using SizeField = std::vector<SizeMatrix>; // one per grid node, row by row

// Up to this grid side a pool limits two directions at a time, one per
// thread, in two more length grids (the second keeps direction 0's lengths
// to the end); larger grids split each direction's sweeps over the threads
// instead and need no more memory than one thread.
constexpr int kPairedSide = 2049;

// The whole stage under its "Mesh Distortion Building" progress bar, on the
// pool's threads when given one; the field is the same for any count and
// either way of sharing the work.
void BuildSizeField(SizeField& field, const HeightGrid& grid, const TuningConstants& tuning,
                    BuildProgress* progress, WorkerPool* pool = nullptr,
                    int pairedSide = kPairedSide);
// The size matrix of an inner node from its 3 x 3 neighbourhood.
SizeMatrix CurvatureAt(const HeightGrid& grid, int column, int row, const TuningConstants& tuning);
// The size matrix and material ID of the grid node whose cell holds p.
void SizeAt(const HeightGrid& grid, const SizeField& field, const Point2& p, SizeMatrix& m,
            int& id);

// The eight unit vectors (cos(k pi / 8), sin(k pi / 8)), k = 0 .. 7.
extern const Point2 DirectionTable[8];

// Principal directions and scales of a 2 x 2 matrix T (rows (a, b), (c, e)):
// the result has rows P k2 and D k1, D the direction of the largest image of
// a table vector, P its perpendicular, each scale the square root of the
// singular value estimate, capped at limit.
SizeMatrix PrincipalScale(const SizeMatrix& t, float limit);

// Bounds the growth of a length field: after it no node is longer than a
// neighbour plus g (g sqrt(2) diagonally), swept in eight fixed directions.
void LimitGrowth(int n, float g, float* lengths, WorkerPool* pool = nullptr);

// v.x r0 + v.y r1.
inline Point2 Apply(const SizeMatrix& m, const Point2& v) {
    return m.r0 * v.x + m.r1 * v.y;
}
