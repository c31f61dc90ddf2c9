#include "terrain/build_driver.h"

#include <cmath>
#include <vector>

#include "geometry/front_queue.h"
#include "geometry/platform_bounds.h"
#include "geometry/surface_builder.h"
#include "host/sdk/inode.h"
#include "host/sdk/interface.h"
#include "rollouts/uvw_zones.h"
#include "terrain/land_object.h"

namespace {

// The progress bar's work callback: the build runs in the caller, so nothing here.
DWORD WINAPI NoProgressWork(void*) {
    return 0;
}

template <class T> void Release(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

} // namespace

void BuildTerrain(LandObject* obj) {
    ULONG handle = 0;
    obj->NotifyDependents(FOREVER, reinterpret_cast<PartID>(&handle), REFMSG_GET_NODE_HANDLE,
                          NOTIFY_ALL, TRUE);
    INode* node = GetCOREInterface()->GetINodeByHandle(handle);

    SurfaceBuilder builder;
    if (!builder.BuildSurface(obj->pblock)) return;

    Matrix3 transform(1);
    if (node) transform = node->GetObjectTM(0);
    builder.CollectInsertOutlines(obj->pblock);
    builder.WriteTerrainMesh(obj->mesh, transform);
    ApplyUVWZones(obj->mesh, obj->pblock, transform, obj->zoneShape);
    obj->mesh.buildNormals();
    builder.ReleaseWorkData();
    obj->heightLookup.BuildSurfaceLookup(obj->mesh);
}

bool SurfaceBuilder::BuildSurface(IParamBlock2* pblock) {
    if (built) ReleaseWorkData();
    const int levels = pblock->GetInt(pb_iterations, 0);
    if (!PrepareSamples(pblock, levels)) return false;
    // The coarse-to-fine fit, under its own progress bar: a cancel shortens each
    // level's rounds, but every level still runs.
    FitHeightField(levels);

    baseMatId = pblock->GetInt(pb_spline_id, 0);
    matIds.assign(static_cast<std::size_t>(gridSize) * static_cast<std::size_t>(gridSize),
                  baseMatId);

    PlatformBounds bounds;
    bounds.InitBounds(origin, cellSize, gridSize, baseMatId);
    for (TerrainSlot slot = 0; slot < MAX_LIST_SLOTS; ++slot) bounds.AddPlatform(pblock, slot);
    bounds.ClampHeights(heights.data(), matIds.data());
    bounds.FreeBounds();

    for (int i = 0; i < 5; ++i) SmoothGrid(heights.data(), gridSize);
    BuildSizeField();
    built = 1;

    StartFront();
    Interface* ip = GetCOREInterface();
    ip->ProgressStart("Mesh Building", TRUE, NoProgressWork, nullptr);
    const float total = static_cast<float>(gridSize * cellSize / std::sqrt(2.0));
    int last = 0;
    while (AdvanceFront()) {
        const int percent = static_cast<int>(frontRadius * 100.0 / total);
        if (percent != last) {
            ip->ProgressUpdate(percent);
            last = percent;
        }
        if (ip->GetCancel()) break;
    }
    SmoothFaceIds();
    SmoothFaceIds();
    ip->ProgressEnd();
    return true;
}

bool SurfaceBuilder::PrepareSamples(IParamBlock2* pblock, int levels) {
    segments.Reset(1000);
    if (!GatherContours(pblock)) {
        segments.Free();
        return false;
    }
    // Contours that span no area leave nothing to fit.
    const bool ok = SetUpSampling(levels);
    segments.Free();
    return ok;
}

void SurfaceBuilder::CollectInsertOutlines(IParamBlock2* pblock) {
    insertOutlines.Reset(10);
    for (TerrainSlot slot = 0; slot < MAX_LIST_SLOTS; ++slot) {
        Interval valid = FOREVER;
        INode* node = nullptr;
        int id = 0, type = 0, split = 0;
        pblock->GetValue(pb_insert_node, 0, node, valid, slot);
        pblock->GetValue(pb_insert_id, 0, id, valid, slot);
        pblock->GetValue(pb_insert_type, 0, type, valid, slot);
        pblock->GetValue(pb_insert_split, 0, split, valid, slot);
        if (!node) continue;

        Object* ref = node->GetObjectRef();
        if (!ref) continue;
        Object* evaluated = ref->Eval(0).obj;
        if (!evaluated || !evaluated->CanConvertToType(genericShapeClassID)) continue;
        Object* converted = evaluated->ConvertToType(0, splineShapeClassID);
        if (!converted) continue;
        PolyShape shape;
        static_cast<ShapeObject*>(converted)->MakePolyShape(0, shape, -2, FALSE);
        if (converted != evaluated) converted->DeleteThis();

        const Matrix3 transform = node->GetObjectTM(0);
        for (int l = 0; l < shape.numLines; ++l) {
            const PolyLine& line = shape.lines[l];
            InsertOutline record;
            record.pointCount = line.numPts;
            record.insertId = id;
            record.closed = line.IsClosed();
            record.type = type;
            record.split = split != 0;
            record.points = std::make_unique<Point2[]>(static_cast<std::size_t>(line.numPts));
            for (int j = 0; j < line.numPts; ++j) {
                const Point3 p = line.pts[j].p * transform;
                record.points[static_cast<std::size_t>(j)] = Point2(p.x, p.y);
            }
            insertOutlines.Append(std::move(record));
        }
    }
}

void SurfaceBuilder::ReleaseWorkData() {
    if (!built) return;
    Release(samples);
    sampleCount = 0;
    Release(heights);
    Release(matIds);
    Release(sizeField);
    vertices.Free();
    faces.Free();
    frontQueue.reset();
    insertOutlines.Free();
    built = 0;
}
