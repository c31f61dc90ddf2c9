#pragma once
// The parts of a terrain build laid open, for tests and benchmarks that run
// one stage at a time on prepared inputs. Each method forwards to the stage's
// own free function over these parts.
#include "geometry/advancing_front.h"
#include "geometry/contour_sampling.h"
#include "geometry/height_field.h"
#include "geometry/mesh_output.h"
#include "geometry/size_field.h"
#include "geometry/tuning_constants.h"
#include "host/sdk/mesh.h"

struct StageParts {
    TuningConstants tuning = kDefaultTuning;
    BuildProgress* progress = nullptr;
    ContourSegments segments;
    SampleSet samples;
    HeightGrid grid;
    SizeField sizeField;
    FrontMesh front;
    InsertOutlines insertOutlines;

    FrontSizing Sizing() const { return {grid, sizeField, tuning}; }

    // contour sampling
    void AppendSegment(const Point3& a, const Point3& b) { ::AppendSegment(segments, a, b); }
    void AppendLineSegments(const Point3* points, int n, bool closed) {
        ::AppendLineSegments(segments, points, n, closed);
    }
    bool SetUpSampling(int levels) {
        return ::SetUpSampling(segments, levels, tuning.GridRefineFactor, grid, samples);
    }

    // height field
    void FitSamples(int stride) { ::FitSamples(grid, samples, stride); }
    void FitHeightField(int levels) { ::FitHeightField(grid, samples, levels, progress); }
    float GridHeightAt(const Point2& p) const { return ::GridHeightAt(grid, p); }

    // size field
    void BuildSizeField() { ::BuildSizeField(sizeField, grid, tuning, progress); }
    SizeMatrix CurvatureAt(int c, int r) const { return ::CurvatureAt(grid, c, r, tuning); }
    void SizeAt(const Point2& p, SizeMatrix& m, int& id) const {
        ::SizeAt(grid, sizeField, p, m, id);
    }

    // front
    void StartFront() { ::StartFront(front, Sizing()); }
    bool AdvanceFront() { return ::AdvanceFront(front, Sizing()); }
    bool ExpandVertex(int v) { return ::ExpandVertex(front, Sizing(), v); }
    bool FrontNeighbours(int v, int& a, int& b) const { return ::FrontNeighbours(front, v, a, b); }
    std::int32_t AddVertex(const Point2& p) { return front.AddVertex(p); }
    void AddFace(int a, int b, int c, int id) { front.AddFace(a, b, c, id); }
    void SmoothFaceIds() { ::SmoothFaceIds(front); }

    // mesh output
    int MatIdAt(const Point2& p) const { return FrontFaceLocator(front, grid.baseMatId).MatIdAt(p); }
    void WriteTerrainMesh(Mesh& mesh, const Matrix3& nodeTM) const {
        ::WriteTerrainMesh(mesh, nodeTM, grid, front, insertOutlines);
    }
};
