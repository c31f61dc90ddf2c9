#include "tuning_constants.h"

// Starting values; each is settled by measurement with the programs in bench/.
TuningConstants Tuning = {
    // GridRefineFactor: whole part 2 doubles the grid per level; the fraction
    // 0.1 only makes the samples denser (bench/study_grid_refine: 4-11% lower
    // rms fitting error than 2.0 for 1.2-1.4 times the fitting cost; larger
    // fractions cost far more for little further gain). GridRefineOffset is
    // only truncated; its whole part 1 is what the doubling requires.
    2.1f,  // GridRefineFactor
    1.0f,  // GridRefineOffset
    32.0f, // DirectionSteps
    0.03f, // MaxEdgeFactor
    0.05f, // SizeGrowthFactor
    4.0f,  // CurvatureScale
    3.0f,  // TriangleShapeFactor
    6.0f,  // FrontSeedCount
    5.0f,  // FrontAngleLimit
    0.5f,  // FrontAngleBias
    0.6f,  // FrontRelaxScale
    0.4f,  // FrontRelaxBias
};
