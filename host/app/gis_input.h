#pragma once
// Lines and polygons from GIS vector files (anything GDAL reads: GeoPackage,
// Shapefile, GeoJSON, DXF, KML...), with their heights from an attribute or
// from the geometry, in the file's own double-precision coordinates.
#include <array>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/app/json_scene.h"
#include "host/app/scene_origin.h"

namespace contorra {

// "FILE: layer "L": feature N: problem", or less where less is known.
class GisError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct GisSource {
    std::filesystem::path file;
    std::string layer;     // empty: the file's first layer
    std::string elevation; // attribute holding the height; empty: z of the geometry
};

struct GisLine {
    std::vector<std::array<double, 3>> points;
    bool closed = false; // a polygon's ring
    bool hole = false;   // an inner ring
};

struct GisLayer {
    std::string name;
    std::string crsWkt; // empty when the file names none
    std::vector<GisLine> lines;
};

// Every line, multi-line and polygon ring of the layer, features in file
// order. needHeights: 2D geometry without an elevation attribute is an error
// (otherwise its z is 0). Throws GisError.
GisLayer ReadGisLayer(const GisSource& source, bool needHeights);

// The layer's x, y extent; nullopt when the file or layer cannot be read
// (ReadGisLayer then says why).
std::optional<WorldBox> GisExtent(const GisSource& source);

// The lines as a spline, moved to the origin.
JsonSpline GisSpline(const GisLayer& layer, const SceneOrigin& origin);
// The closed rings as flat-topped faces (each polygon triangulated at its
// height), moved to the origin. Throws GisError for a polygon with holes or
// a ring that does not triangulate.
JsonMesh GisFaces(const GisLayer& layer, const SceneOrigin& origin, const std::string& where);

// A JSON node object of type "contours" or "shape" (docs/scene-format.md):
// the file is read, relative to the scene file, and becomes a spline (or,
// for a shape with "fill": true, a mesh). crsWkt receives the layer's
// coordinate system when it has one. Throws SceneFileError.
JsonObject ReadGisObject(const nlohmann::json& j, const std::string& path,
                         const std::filesystem::path& sceneFile, const SceneOrigin& origin,
                         std::string& crsWkt);

// The extent of such an object's file, for choosing the origin.
std::optional<WorldBox> GisObjectExtent(const nlohmann::json& j,
                                        const std::filesystem::path& sceneFile);

} // namespace contorra

namespace contorra {

// A scene of one contour node read from the file and one terrain over it
// with default parameters. Throws SceneFileError; its problem names the
// file, layer and feature.
JsonScene ContourScene(const GisSource& source);

} // namespace contorra
