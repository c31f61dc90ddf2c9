// Prints the mesh quality of every generated terrain for the current tuning
// constants, or for constants given as Name=value arguments:
//   mesh_quality_report [N=257] [MaxEdgeFactor=0.1] [TriangleShapeFactor=3] ...
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/support/mesh_quality.h"
#include "tests/support/terrain_generators.h"
#include "geometry/tuning_constants.h"

namespace {

struct Named {
    const char* name;
    float* value;
};

// The settings tried, starting from the defaults; every build below is given them.
TuningConstants tuning = kDefaultTuning;

const Named constants[] = {
    {"MaxEdgeFactor", &tuning.MaxEdgeFactor},
    {"SizeGrowthFactor", &tuning.SizeGrowthFactor},
    {"TriangleShapeFactor", &tuning.TriangleShapeFactor},
    {"CurvatureScale", &tuning.CurvatureScale},
    {"FrontAngleLimit", &tuning.FrontAngleLimit},
    {"FrontAngleBias", &tuning.FrontAngleBias},
    {"FrontRelaxScale", &tuning.FrontRelaxScale},
    {"FrontRelaxBias", &tuning.FrontRelaxBias},
};

} // namespace

int main(int argc, char** argv) {
    int n = 257;
    for (int i = 1; i < argc; ++i) {
        const char* eq = std::strchr(argv[i], '=');
        if (!eq) {
            std::fprintf(stderr, "mesh_quality_report: argument %d '%s': expected Name=value\n", i,
                         argv[i]);
            return 2;
        }
        const std::string name(argv[i], static_cast<std::size_t>(eq - argv[i]));
        char* end = nullptr;
        const double value = std::strtod(eq + 1, &end);
        if (end == eq + 1 || *end) {
            std::fprintf(stderr, "mesh_quality_report: argument %d '%s': '%s' is not a number\n", i,
                         argv[i], eq + 1);
            return 2;
        }
        bool known = false;
        if (name == "N") {
            n = static_cast<int>(value);
            known = n >= 3;
        }
        for (const Named& c : constants)
            if (name == c.name) {
                *c.value = static_cast<float>(value);
                known = true;
            }
        if (!known) {
            std::fprintf(stderr,
                         "mesh_quality_report: argument %d '%s': unknown name or bad value\n", i,
                         argv[i]);
            return 2;
        }
    }
    std::printf("N = %d;", n);
    for (const Named& c : constants) std::printf(" %s=%g", c.name, *c.value);
    std::printf("\n\n| terrain | vertices | faces | min angle | 5%% angle | median angle | cw | "
                "overlaps | covered | max dz | mean dz | mean dz x faces | ms |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    bool clean = true;
    double logScore = 0;
    int scored = 0;
    for (terrain::Kind k : terrain::AllKinds()) {
        StageParts b;
        b.tuning = tuning;
        terrain::FillGrid(b, k, n);
        const auto t0 = std::chrono::steady_clock::now();
        terrain::MeshTerrain(b);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count();
        const quality::Report r = quality::Measure(b);
        std::printf(
            "| %s | %d | %d | %.1f | %.1f | %.1f | %d | %ld | %.4f | %.2f | %.3f | %.0f | %.0f |\n",
            terrain::Name(k).c_str(), r.vertices, r.faces, r.minAngle, r.p5Angle, r.medianAngle,
            r.clockwise, r.overlaps, r.covered, r.maxError, r.meanError, r.meanError * r.faces, ms);
        clean = clean && r.clockwise == 0 && r.overlaps == 0 && r.covered >= 0.999;
        if (r.meanError > 0) {
            logScore += std::log(r.meanError * r.faces);
            ++scored;
        }
    }
    // One line to compare settings by: whether every terrain is covered without
    // folds or overlaps, and the geometric mean of mean dz x faces.
    std::printf("\nsummary: %s, score %.1f\n", clean ? "clean" : "FAULTY",
                scored ? std::exp(logScore / scored) : 0.0);
    return 0;
}
