#include "geometry/tuning_constants.h"

// Each value is settled by measurement with the programs in bench/.
const TuningConstants kDefaultTuning = {
    // GridRefineFactor: the fraction 0.1 only makes the samples denser
    // (bench/study_grid_refine: 4-11% lower rms fitting error than 2.0 for
    // 1.2-1.4 times the fitting cost; larger fractions cost far more for
    // little further gain).
    2.1f,
    // Size field and front, measured with bench/mesh_quality_report on eight
    // generated terrains at N = 129 .. 1025. The front only starts when the
    // wanted x step at the seed is under about 4.9 times the y step, which
    // bounds MaxEdgeFactor and SizeGrowthFactor against the terraces' short
    // steps; 0.025 also covers the grid corners. CurvatureScale 4 normalises
    // the mixed difference and meshes the 30-degree ridge best, but at
    // N = 1025 it stretches the terraced seed past that limit; of 4, 8 and 16,
    // 8 is clean everywhere and meshes turned ridges better than 16.
    // TriangleShapeFactor 3 turns three-row sums into second derivatives and
    // gives 60-degree fans (2.75 and 3.5 measured worse). The angle limit must
    // stay above the seed's 240-degree corners (4.5 .. 6 made no difference);
    // bias 0.5 and relaxation 0.6 / 0.4 scored best.
    0.025f, // MaxEdgeFactor
    0.03f,  // SizeGrowthFactor
    8.0f,   // CurvatureScale
    3.0f,   // TriangleShapeFactor
    5.0f,   // FrontAngleLimit
    0.5f,   // FrontAngleBias
    0.6f,   // FrontRelaxScale
    0.4f,   // FrontRelaxBias
};
