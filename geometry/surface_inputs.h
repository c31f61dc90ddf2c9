#pragma once
// What a terrain build needs from the scene, as plain world-space data. The
// terrain object gathers it once per build from its parameter block and the
// picked nodes; every stage reads only this.
#include <cstdint>
#include <string>
#include <vector>

#include "host/sdk/point.h"

// One line of a contour shape, its points in world space.
struct ContourLine {
    std::vector<Point3> points;
    bool closed = false;
};

// The settings of one platform slot.
struct PlatformSettings {
    float slopeUp = 45.0f;   // degrees of the rising (cut) slope
    float slopeDown = 45.0f; // degrees of the falling (fill) slope
    std::int32_t platformId = 2;
    std::int32_t slopeUpId = 3;
    std::int32_t slopeDownId = 4;
};

// One face of a platform's mesh, corners in world space. A face whose corners
// the mesh cannot give is kept, unusable, so that progress still counts it.
struct PlatformFace {
    Point3 corner[3];
    bool usable = true;
};

struct PlatformInput {
    std::string name; // the node's, shown in the progress titles
    PlatformSettings settings;
    std::vector<PlatformFace> faces;
};

// One polyline of an insert shape in world x, y.
struct InsertLine {
    std::vector<Point2> points;
    bool closed = false;
};

struct InsertShape {
    std::int32_t insertId = 2;
    std::int32_t type = 0; // 0 outline only, 1 paint the inside, 2 cut the inside out
    bool split = false;
    std::vector<InsertLine> lines;
};

// Every list in slot order, empty slots and unusable nodes left out.
struct SurfaceInputs {
    int levels = 10;            // refinement levels of the height field
    std::int32_t baseMatId = 1; // material ID of plain terrain
    bool exactFit = false;      // the exact fit (exact_fit.h) instead of the smooth one
    float tension = 0.25f;      // of the exact fit: 0 thin plate .. 1 membrane
    std::vector<ContourLine> contours;
    std::vector<PlatformInput> platforms;
    std::vector<InsertShape> inserts;
};
