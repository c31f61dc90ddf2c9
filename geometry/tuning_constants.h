#pragma once
// The twelve tuning constants of the build stages, kept in one block. They are
// plain data so that the quality report and the benchmarks can try other values.
struct TuningConstants {
    float GridRefineFactor;    // whole part: grid refinement factor k (must be 2)
    float GridRefineOffset;    // whole part: refinement offset m (must be 1)
    float DirectionSteps;      // whole part: directions tried by the size field (must be 32)
    float MaxEdgeFactor;       // longest wanted edge, in grid sides
    float SizeGrowthFactor;    // growth of the wanted edge per grid cell, in cells
    float CurvatureScale;      // divisor of the mixed second difference
    float TriangleShapeFactor; // divisor of the plain second differences; fan triangles per pi
    float FrontSeedCount;      // whole part: seed ring vertices (must be 6)
    float FrontAngleLimit;     // above this many thirds of pi an angle counts as reflex
    float FrontAngleBias;      // added before the fan triangle count is truncated
    float FrontRelaxScale;     // slope of the relaxation of the edge to B
    float FrontRelaxBias;      // offset of the relaxation of the edge to B
};

extern TuningConstants Tuning;
