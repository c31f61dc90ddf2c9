#pragma once
// The scene origin: where the host's local coordinates start in the world.
// Survey data sits millions of units from zero, where a float keeps only
// decimetres; the host keeps the offset in double, hands the plug-in local
// coordinates and adds the offset back on every export.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace contorra {

struct SceneOrigin {
    double x = 0.0, y = 0.0, z = 0.0;
    bool IsZero() const { return x == 0.0 && y == 0.0 && z == 0.0; }
    bool operator==(const SceneOrigin&) const = default;
};

// Coordinates at or beyond this (in x or y) move a scene to an origin of its
// own; scenes below it keep origin 0 and are built exactly as given.
inline constexpr double kOriginThreshold = 1.0e5;
inline constexpr double kOriginIgnoredBeyond = 1.0e9;

// A world box in x, y, grown point by point.
struct WorldBox {
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    void Add(double x, double y);
    bool Empty() const { return minX > maxX; }
    bool Large() const; // any corner at or beyond kOriginThreshold
};

// The origin for a box: its centre rounded to whole units, z 0; zero when
// the box is small or empty.
SceneOrigin OriginFor(const WorldBox& box);

// The x, y extent of a file the scene names (a GIS layer); nullopt when unknown.
using ExtentOf =
    std::function<std::optional<WorldBox>(const nlohmann::json& object, const std::string& path)>;

// Picks the origin of a JSON scene document and moves its coordinates to it,
// in double, before anything narrows them to float. The top-level "origin"
// (false: none; [x, y, z]: that one) is taken out of the document; without
// it the origin comes from OriginFor over the nodes' world x, y and the
// extents of the files they name. Top-level nodes are moved: a node placed
// only by "position" (or by nothing) has its spline points and inline mesh
// vertices moved to their own rounded centre and its position moved to
// make up for it; other top-level nodes have their translation moved.
// Top-level nodes with no coordinate that large (a terrain node, say) keep
// their frame. Child nodes stay relative to their parents. Throws std::invalid_argument
// with "JSON path: problem" on a malformed "origin".
SceneOrigin PlaceSceneOrigin(nlohmann::json& doc, const ExtentOf& extentOf);

std::string FormatOrigin(const SceneOrigin& o);

} // namespace contorra
