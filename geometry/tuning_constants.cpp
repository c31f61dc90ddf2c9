#include "tuning_constants.h"

// Starting values; each is settled by measurement with the programs in bench/.
TuningConstants Tuning = {
    2.0f,  // GridRefineFactor
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
