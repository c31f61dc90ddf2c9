#pragma once
// The terrain mesh: the mesher's front lifted onto the height grid, and, when
// inserts exist, the whole point set triangulated again with the insert
// outlines as segments, then recoloured, holed and split by insert type.
#include <cstdint>
#include <memory>

#include "geometry/advancing_front.h"
#include "geometry/face_index.h"
#include "geometry/growable_array.h"
#include "geometry/height_field.h"
#include "host/sdk/matrix.h"
#include "host/sdk/point.h"

class Mesh;

// One polyline of an insert shape, in world x, y.
struct InsertOutline {
    std::unique_ptr<Point2[]> points;
    std::int32_t pointCount = 0;
    std::int32_t insertId = 0;
    bool closed = false;
    bool split = false;
    std::int32_t type = 0; // 0 outline only, 1 paint the inside, 2 cut the inside out
};
using InsertOutlines = GrowableArray<InsertOutline>; // starts with room for 10

// The 0-based material ID of the front face under a point, through a bucket
// grid of the faces built once; the base ID where no face holds the point.
class FrontFaceLocator {
public:
    FrontFaceLocator(const FrontMesh& front, std::int32_t baseMatId);
    int MatIdAt(const Point2& p) const;

private:
    const FrontMesh& front_;
    std::int32_t baseMatId_;
    FaceBucketGrid grid_;
};

// Writes the terrain into mesh in the object space of nodeTM.
void WriteTerrainMesh(Mesh& mesh, Matrix3 nodeTM, const HeightGrid& grid, const FrontMesh& front,
                      const InsertOutlines& outlines);
