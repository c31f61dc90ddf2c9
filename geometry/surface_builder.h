#pragma once
// The working object of one terrain build. It runs the stages in their fixed
// order over the gathered inputs; each part below belongs to the stage named
// beside it, whose free functions live in that stage's own files.
#include <cstdint>

#include "geometry/advancing_front.h"
#include "geometry/build_progress.h"
#include "geometry/contour_sampling.h"
#include "geometry/height_field.h"
#include "geometry/mesh_output.h"
#include "geometry/size_field.h"
#include "geometry/surface_inputs.h"
#include "geometry/tuning_constants.h"
#include "geometry/worker_pool.h"
#include "host/sdk/matrix.h"

class Mesh;

class SurfaceBuilder {
public:
    // progress may be null: the build then shows nothing and never cancels.
    // pool may be null: the build then runs on the caller's thread alone.
    explicit SurfaceBuilder(BuildProgress* progress = nullptr,
                            const TuningConstants& tuning = kDefaultTuning,
                            WorkerPool* pool = nullptr);
    ~SurfaceBuilder();
    SurfaceBuilder(const SurfaceBuilder&) = delete;
    SurfaceBuilder& operator=(const SurfaceBuilder&) = delete;

    // Height field, platforms, size field and front mesh. False when there is
    // nothing to build (no contour sample); a cancel only shortens stages.
    bool BuildSurface(const SurfaceInputs& inputs);
    // Contour segments and samples; false when no sample exists.
    bool PrepareSamples(const SurfaceInputs& inputs, int levels);
    void CollectInsertOutlines(const SurfaceInputs& inputs);
    // The built terrain into mesh, in the object space of nodeTM.
    void WriteTerrainMesh(Mesh& mesh, const Matrix3& nodeTM) const;
    void ReleaseWorkData();

    bool Built() const { return built != 0; }
    const SampleSet& Samples() const { return samples; }
    const HeightGrid& Grid() const { return grid; }
    const FrontMesh& Front() const { return front; }
    const InsertOutlines& Outlines() const { return insertOutlines; }

private:
    BuildProgress* progress;
    TuningConstants tuning;
    WorkerPool* pool;
    SampleSet samples;             // contour_sampling
    HeightGrid grid;               // height_field, platform_bounds
    SizeField sizeField;           // size_field, freed once the front is built
    FrontMesh front;               // advancing_front
    InsertOutlines insertOutlines; // mesh_output
    std::uint8_t built = 0;

    void BuildFront();
};
