#include "geometry/surface_builder.h"

#include <cmath>
#include <utility>
#include <vector>

#include "geometry/exact_fit.h"
#include "geometry/platform_bounds.h"

namespace {

template <class T> void Release(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

} // namespace

SurfaceBuilder::SurfaceBuilder(BuildProgress* progress, const TuningConstants& tuning,
                               WorkerPool* pool)
    : progress(progress), tuning(tuning), pool(pool) {}

SurfaceBuilder::~SurfaceBuilder() {
    ReleaseWorkData();
}

bool SurfaceBuilder::BuildSurface(const SurfaceInputs& inputs) {
    if (built) ReleaseWorkData();
    const int levels = inputs.levels;
    if (!PrepareSamples(inputs, levels)) return false;
    grid.baseMatId = inputs.baseMatId;
    // The smooth fit is mostly one chain of samples on one thread, and the
    // platforms do not read the heights until they clamp them: the first
    // platform is laid out on another thread meanwhile, which joins the fit's
    // pool work once it is done. The exact fit, whose relaxation is most of
    // its time and splits over the pool, keeps the whole pool.
    const bool beside = !inputs.exactFit && !inputs.platforms.empty() && pool && pool->Size() > 1;
    const auto fit = [&] {
        if (inputs.exactFit) {
            ExactFitSettings settings;
            settings.tension = inputs.tension;
            FitExactHeightField(grid, inputs.contours, levels, settings, progress, pool);
        } else {
            FitHeightField(grid, samples, levels, progress, pool);
        }
    };
    PlatformBounds bounds;
    if (beside) {
        // On the grid the fit will leave.
        bounds.InitBounds(grid.origin, CellSizeForLevels(grid, levels), GridSizeForLevels(levels),
                          grid.baseMatId);
        pool->RunBeside([&] { bounds.AddPlatform(inputs.platforms.front(), nullptr); }, fit);
    } else {
        fit();
        bounds.InitBounds(grid.origin, grid.cellSize, grid.gridSize, grid.baseMatId);
    }
    Release(samples.samples); // nothing after the fit reads them

    grid.matIds.assign(static_cast<std::size_t>(grid.gridSize) * static_cast<std::size_t>(grid.gridSize),
                       grid.baseMatId);
    for (std::size_t i = 0; i < inputs.platforms.size(); ++i) {
        if (beside && i == 0)
            PlatformBounds::ShowAdded(inputs.platforms[i], progress);
        else
            bounds.AddPlatform(inputs.platforms[i], progress, pool);
    }
    bounds.ClampHeights(grid.heights.data(), grid.matIds.data());
    bounds.FreeBounds();
    // The passes soften the platforms' edges; an exact fit without platforms
    // keeps the heights it solved for.
    if (!inputs.exactFit || !inputs.platforms.empty())
        for (int i = 0; i < 5; ++i) SmoothGrid(grid.heights.data(), grid.gridSize, pool);
    BuildSizeField(sizeField, grid, tuning, progress, pool);
    built = 1;
    BuildFront();
    Release(sizeField); // only the front reads it; mesh output needs the room
    return true;
}

void SurfaceBuilder::BuildFront() {
    const FrontSizing sizing{grid, sizeField, tuning};
    StartFront(front, sizing);
    ProgressScope bar(progress, "Mesh Building");
    const float total = static_cast<float>(grid.gridSize * grid.cellSize / std::sqrt(2.0));
    int last = 0;
    while (AdvanceFront(front, sizing)) {
        const int percent = static_cast<int>(front.frontRadius * 100.0 / total);
        if (percent != last) {
            bar.Update(percent);
            last = percent;
        }
        if (bar.Cancelled()) break;
    }
    SmoothFaceIds(front);
    SmoothFaceIds(front);
}

bool SurfaceBuilder::PrepareSamples(const SurfaceInputs& inputs, int levels) {
    ContourSegments segments;
    if (!GatherContours(segments, inputs.contours)) return false;
    // Contours that span no area leave nothing to fit.
    return SetUpSampling(segments, levels, tuning.GridRefineFactor, grid, samples);
}

void SurfaceBuilder::CollectInsertOutlines(const SurfaceInputs& inputs) {
    insertOutlines.Reset(10);
    for (const InsertShape& shape : inputs.inserts) {
        for (const InsertLine& line : shape.lines) {
            InsertOutline record;
            record.pointCount = static_cast<std::int32_t>(line.points.size());
            record.insertId = shape.insertId;
            record.closed = line.closed;
            record.type = shape.type;
            record.split = shape.split;
            record.points = std::make_unique<Point2[]>(line.points.size());
            std::copy(line.points.begin(), line.points.end(), record.points.get());
            insertOutlines.Append(std::move(record));
        }
    }
}

void SurfaceBuilder::WriteTerrainMesh(Mesh& mesh, const Matrix3& nodeTM) const {
    ::WriteTerrainMesh(mesh, nodeTM, grid, front, insertOutlines);
}

void SurfaceBuilder::ReleaseWorkData() {
    if (!built) return;
    Release(samples.samples);
    Release(grid.heights);
    Release(grid.matIds);
    Release(sizeField);
    front.Release();
    insertOutlines.Free();
    built = 0;
}
