#pragma once
// The working object of one terrain build. Each stage fills the members it
// owns; the stages themselves live in the files named beside each group.
#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/face_index.h"
#include "geometry/growable_array.h"
#include "host/sdk/box.h"
#include "host/sdk/matrix.h"
#include "host/sdk/point.h"

class IParamBlock2;
class INode;
class Mesh;

// A world-space contour segment.
struct ContourSegment {
    Point3 start;
    Point3 end;
};

// Rows r0, r1 of a 2 x 2 matrix; applied to v it gives v.x r0 + v.y r1.
struct SizeMatrix {
    Point2 r0;
    Point2 r1;
};

struct FrontVertex {
    Point2 pos;
    std::int32_t faceList[32] = {};
    std::int32_t faceListCount = 0;
    bool active = false;
    float key = 0.0f;
};

struct FrontFace {
    std::int32_t corner0 = 0, corner1 = 0, corner2 = 0;
    std::int32_t matId = 0;
};

// One polyline of an insert shape, in world x, y.
struct InsertOutline {
    std::unique_ptr<Point2[]> points;
    std::int32_t pointCount = 0;
    std::int32_t insertId = 0;
    bool closed = false;
    bool split = false;
    std::int32_t type = 0; // 0 outline only, 1 paint the inside, 2 cut the inside out
};

class FrontQueue; // the mesher's queue of active vertices (front_queue.h)

class SurfaceBuilder {
public:
    SurfaceBuilder();
    ~SurfaceBuilder();
    SurfaceBuilder(const SurfaceBuilder&) = delete;
    SurfaceBuilder& operator=(const SurfaceBuilder&) = delete;

    // --- contour sampling (contour_sampling.cpp) ---
    GrowableArray<ContourSegment> segments; // starts with room for 1000
    bool GatherContours(IParamBlock2* pblock);
    void AddContourNode(INode* node);
    void AppendSegment(const Point3& a, const Point3& b);
    // The segments of one shape line of n points, transformed to world space.
    void AppendLineSegments(const Point3* points, int n, bool closed, const Matrix3& tm);
    FBox2 ContourBounds() const;
    std::int32_t CountSamples(float step) const;
    std::int32_t ResampleContours(float step, Point3* out, std::int32_t capacity) const;
    // Box, extent, origin, divisor and resampling after GatherContours. False
    // when the contours span no area (or no finite one): nothing can be fitted.
    bool SetUpSampling(int levels);

    // --- height field (height_field.cpp) ---
    std::vector<Point3> samples;
    std::int32_t sampleCount = 0;
    float cellSize = 0.0f;
    Point2 origin;
    float extent = 0.0f;
    std::int32_t gridSize = 0;
    std::vector<float> heights;
    std::vector<std::int32_t> matIds;
    std::int32_t baseMatId = 1;
    void InitHeightGrid();
    void RefineGrid();
    void FitSamples(int stride);
    // The coarse-to-fine schedule under the "Surface Building" progress bar:
    // InitHeightGrid, then per level RefineGrid and ten fit-and-smooth rounds.
    void FitHeightField(int levels);

    // --- size field (size_field.cpp) ---
    std::vector<SizeMatrix> sizeField;
    void BuildSizeField();
    SizeMatrix CurvatureAt(int column, int row) const;

    // --- advancing front (advancing_front.cpp) ---
    Point2 seed;
    GrowableArray<FrontVertex> vertices; // starts with room for 100
    GrowableArray<FrontFace> faces;      // starts with room for 100
    std::int32_t firstActive = 0;
    float frontRadius = 0.0f;
    std::unique_ptr<FrontQueue> frontQueue;
    void StartFront();
    bool AdvanceFront();
    bool FrontNeighbours(int v, int& a, int& b) const;
    bool ExpandVertex(int v);
    std::int32_t AddVertex(const Point2& p);
    void AddFace(int a, int b, int c, int id);
    void SmoothFaceIds();
    void SizeAt(const Point2& p, SizeMatrix& m, int& id) const;
    // Position and activity changes go through these so that the queue of
    // active vertices stays in step with the keys.
    void MoveVertex(int v, const Point2& p);
    void RetireVertex(int v);

    // --- mesh output (mesh_output.cpp) ---
    GrowableArray<InsertOutline> insertOutlines;
    void WriteTerrainMesh(Mesh& mesh, Matrix3 nodeTM);
    float GridHeightAt(const Point2& p) const;
    int MatIdAt(const Point2& p) const;
    // The front faces bucketed for MatIdAt; built on first use.
    mutable FaceBucketGrid frontFaceGrid;

    // --- build driver (build_driver.cpp, in terrain/) ---
    std::uint8_t built = 0;
    bool BuildSurface(IParamBlock2* pblock);
    bool PrepareSamples(IParamBlock2* pblock, int levels);
    void CollectInsertOutlines(IParamBlock2* pblock);
    void ReleaseWorkData();
};

// Free stages shared with the driver.
void SmoothGrid(float* heights, int n);
