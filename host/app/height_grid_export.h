#pragma once
// Height grids (DEMs) out: a raster of the built terrain's heights, sampled
// through the terrain's own height lookup, in world coordinates, with the
// input's coordinate system and NoData where the mesh does not reach.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "host/app/plugin_loader.h"
#include "host/app/scene.h"
#include "host/app/scene_origin.h"
#include "host/sdk/mesh.h"

namespace contorra {

// The value of cells the terrain does not cover.
inline constexpr double kNoData = -9999.0;

// The GDAL raster driver that writes files of this extension (.tif, .asc,
// .xyz, or any other a raster driver claims); empty when none does.
std::string RasterDriverFor(const std::filesystem::path& path);

// Fills the z of each point (x, y in the terrain node's world space, local to
// the scene origin) with the terrain's height there.
using HeightSampler = std::function<void(std::vector<Point3>& points)>;

// The terrain's own lookup, reached the way any host reaches it: a probe
// node of the sample points, draped by the plug-in's conform modifier
// pointed at the terrain node, evaluated and removed again. Throws
// std::runtime_error when the plug-in offers no conform modifier.
HeightSampler ConformSampler(Scene& scene, const ClassRegistry& registry, INode* terrain);

struct HeightGridRequest {
    double cell = 0.0; // 0: the longer side / 512
    std::string crsWkt;
    SceneOrigin origin;
};

// The raster's cells: columns along x from the mesh's left edge, rows along y
// from its top, cell centres sampled; heights are kNoData outside the mesh.
struct HeightRaster {
    int columns = 0, rows = 0;
    double left = 0.0, top = 0.0, cell = 1.0; // world, origin added back
    std::vector<double> heights;              // row by row, top row first
};

// mesh: the terrain in world space local to the origin.
HeightRaster SampleHeightGrid(const Mesh& mesh, const HeightSampler& sample,
                              const HeightGridRequest& request);

// Writes the raster whole or not at all. Throws std::runtime_error naming the file.
void WriteHeightGrid(const HeightRaster& raster, const std::string& crsWkt,
                     const std::filesystem::path& path);

} // namespace contorra
