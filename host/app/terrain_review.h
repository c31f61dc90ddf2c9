#pragma once
// What the host can tell about a terrain object's inputs before and after its
// build, through the terrain's published parameters and the scene's own
// objects: entries the build will skip (and why), contour coordinates no
// build can use, inserts reaching past the built surface, and the sizes a
// memory estimate needs. The plug-in itself skips such entries silently.
#include <string>
#include <vector>

#include "host/app/json_scene.h"
#include "host/sdk/inode.h"
#include "host/sdk/mesh.h"

namespace contorra {

// Coordinates beyond this (metres, in world space) cannot be built from: the
// grid's arithmetic in single precision loses them.
constexpr double kCoordinateBound = 1.0e9;
// The terrain is built in its node's object space: a scale outside this range
// takes the mesh beyond single precision there.
constexpr double kMinScale = 1.0e-6, kMaxScale = 1.0e6;

struct ReviewNote {
    TerrainList list = kSplines;
    int slot = 0;
    std::string node;    // the listed node's name
    std::string problem; // "is a mesh, not a shape: the terrain skips it"
};

struct TerrainReview {
    std::vector<ReviewNote> warnings;
    std::vector<ReviewNote> errors; // the build cannot go on
    // The terrain node's own transform, when no build can use it (empty: fine).
    std::string transformError;
    int levels = -1; // "Interations"; -1 when the terrain has none
    // The contours in world x, y: their bounding box and total length.
    double minX = 0, minY = 0, maxX = 0, maxY = 0, length = 0;
    long long contourPoints = 0;
};

// Looks at the terrain node's lists as the build will read them.
TerrainReview ReviewTerrain(INode* terrain);
// Insert outline points outside the square the build lays its height grid on
// (the contours' box with its longer side made 10% longer, centred): their
// heights are extrapolated from the grid's border cells.
std::vector<ReviewNote> ReviewInserts(INode* terrain, const TerrainReview& review);

// "/nodes/3/object/splines/1 (\"Pad\")" from the JSON scene when the terrain
// came from one, else "Spline_Node slot 1 (\"Pad\")".
std::string NotePlace(const ReviewNote& note, const JsonScene* json,
                      const std::string& terrainName);

// The terrain's contour splines ("Spline_Node") as world-space polylines, a
// closed line ending where it began; what is no shape is left out.
std::vector<std::vector<Point3>> TerrainContourLines(INode* terrain);

} // namespace contorra
