#pragma once
// Constants of the build stages. The fixed ones are what the grid and the
// mesher are built around; the tunable ones are plain data in one block that
// a build is given, so the quality report and the benchmarks can try others.

// Each level doubles the grid: old node i lands on fine node 2 i.
constexpr int kGridRefineFactor = 2;
constexpr int kGridRefineOffset = 1;
// Directions the size field tries, in a half turn.
constexpr int kDirectionSteps = 32;
// Vertices of the mesher's seed ring.
constexpr int kFrontSeedCount = 6;

struct TuningConstants {
    // Sets the contour sample spacing only: the grid always refines by
    // kGridRefineFactor, and a fraction above it makes the samples denser.
    float GridRefineFactor;
    float MaxEdgeFactor;       // longest wanted edge, in grid sides
    float SizeGrowthFactor;    // growth of the wanted edge per grid cell, in cells
    float CurvatureScale;      // divisor of the mixed second difference
    float TriangleShapeFactor; // divisor of the plain second differences; fan triangles per pi
    float FrontAngleLimit;     // above this many thirds of pi an angle counts as reflex
    float FrontAngleBias;      // added before the fan triangle count is truncated
    float FrontRelaxScale;     // slope of the relaxation of the edge to B
    float FrontRelaxBias;      // offset of the relaxation of the edge to B
};

// The values every build uses unless it is given others.
extern const TuningConstants kDefaultTuning;
