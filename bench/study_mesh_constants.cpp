// Face count and accuracy of the terrain mesh against the real DEM its
// contours were drawn from, for today's mesh constants and a few others.
//   bench/real_data/make-contours && ./build/release/study_mesh_constants [DIR]
// DIR (default build/real_data) holds jacksboro.json and jacksboro.dem. The
// error is taken at every DEM cell centre two cells or more inside the grid,
// against the flat face above it; "RMSE x faces" weighs accuracy by cost.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "geometry/surface_builder.h"
#include "geometry/surface_lookup.h"
#include "geometry/worker_pool.h"
#include "host/sdk/mesh.h"

namespace {

struct Dem {
    int cols = 0, rows = 0;
    double dx = 0, dy = 0;
    std::vector<float> z; // north row first
};

bool ReadDem(const std::string& path, Dem& dem) {
    std::ifstream in(path, std::ios::binary);
    std::string header;
    if (!std::getline(in, header)) return false;
    if (std::sscanf(header.c_str(), "%d %d %lf %lf", &dem.cols, &dem.rows, &dem.dx, &dem.dy) != 4)
        return false;
    dem.z.resize(static_cast<std::size_t>(dem.cols) * dem.rows);
    return static_cast<bool>(
        in.read(reinterpret_cast<char*>(dem.z.data()), static_cast<std::streamsize>(dem.z.size() * 4)));
}

bool ReadContours(const std::string& path, SurfaceInputs& inputs) {
    std::ifstream in(path);
    const nlohmann::json scene = nlohmann::json::parse(in, nullptr, false);
    if (scene.is_discarded()) return false;
    for (const auto& node : scene.at("nodes")) {
        const auto& object = node.at("object");
        if (object.at("type") != "spline") continue;
        for (const auto& line : object.at("lines")) {
            ContourLine contour;
            contour.closed = line.value("closed", false);
            for (const auto& p : line.at("points"))
                contour.points.emplace_back(p[0].get<float>(), p[1].get<float>(), p[2].get<float>());
            inputs.contours.push_back(std::move(contour));
        }
    }
    return !inputs.contours.empty();
}

// The flat face over p, or NaN where no face covers it.
float FaceHeight(const SurfaceLookup& lookup, const Point2& p) {
    const QuadNode* leaf = lookup.LeafFor(p);
    if (!leaf) return NAN;
    for (const SurfacePatch* patch : leaf->patchRefs)
        if (patch->usable && patch->Contains(p))
            return patch->planeA * p.x + patch->planeB * p.y + patch->planeC;
    return NAN;
}

} // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "build/real_data";
    Dem dem;
    SurfaceInputs inputs;
    if (!ReadDem(dir + "/jacksboro.dem", dem) || !ReadContours(dir + "/jacksboro.json", inputs)) {
        std::cerr << "study_mesh_constants: " << dir
                  << "/jacksboro.{dem,json} missing or unreadable: run bench/real_data/make-contours\n";
        return 2;
    }
    struct Variant {
        float maxEdge, growth, curvature;
    };
    const Variant variants[] = {{0.025f, 0.03f, 8}, {0.05f, 0.25f, 4}, {0.05f, 0.03f, 8},
                                {0.025f, 0.25f, 8}, {0.025f, 0.03f, 4}, {0.05f, 0.1f, 8},
                                {0.05f, 0.25f, 8},  {0.1f, 0.25f, 4}};
    WorkerPool pool(2);
    std::printf("%-8s %-8s %-6s %8s %9s %10s %14s\n", "MaxEdge", "Growth", "Curv", "faces",
                "RMSE", "max error", "RMSE x faces");
    for (const Variant& v : variants) {
        TuningConstants tuning = kDefaultTuning;
        tuning.MaxEdgeFactor = v.maxEdge;
        tuning.SizeGrowthFactor = v.growth;
        tuning.CurvatureScale = v.curvature;
        SurfaceBuilder builder(nullptr, tuning, &pool);
        if (!builder.BuildSurface(inputs)) return 1;
        Mesh mesh;
        builder.WriteTerrainMesh(mesh, Matrix3(1));
        SurfaceLookup lookup;
        lookup.BuildSurfaceLookup(mesh);
        double sum = 0, worst = 0;
        long count = 0;
        for (int r = 2; r < dem.rows - 2; ++r)
            for (int c = 2; c < dem.cols - 2; ++c) {
                const Point2 p(static_cast<float>((c + 0.5) * dem.dx),
                               static_cast<float>((dem.rows - r - 0.5) * dem.dy));
                const float h = FaceHeight(lookup, p);
                if (std::isnan(h)) continue;
                const double e = h - dem.z[static_cast<std::size_t>(r) * dem.cols + c];
                sum += e * e;
                worst = std::max(worst, std::fabs(e));
                ++count;
            }
        const double rmse = count ? std::sqrt(sum / static_cast<double>(count)) : NAN;
        std::printf("%-8g %-8g %-6g %8d %9.3f %10.3f %14.0f\n", v.maxEdge, v.growth, v.curvature,
                    mesh.getNumFaces(), rmse, worst, rmse * mesh.getNumFaces());
    }
    return 0;
}
