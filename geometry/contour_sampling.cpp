// Contour segments and their resampling into evenly spaced height samples.
#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "geometry/surface_builder.h"
#include "geometry/tuning_constants.h"
#include "host/sdk/inode.h"
#include "host/sdk/param_block2.h"
#include "host/sdk/poly_shape.h"

namespace {

// The terrain object's contour node table and how many slots it has.
constexpr ParamID kSplineNode = 0;
constexpr int kListSlots = 200;

} // namespace

bool SurfaceBuilder::GatherContours(IParamBlock2* pblock) {
    segments.Reset(1000);
    if (!pblock) return false;
    for (int slot = 0; slot < kListSlots; ++slot) {
        INode* node = nullptr;
        Interval valid = FOREVER;
        pblock->GetValue(kSplineNode, 0, node, valid, slot);
        if (node) AddContourNode(node);
    }
    return segments.count() > 0;
}

void SurfaceBuilder::AddContourNode(INode* node) {
    Object* ref = node->GetObjectRef();
    if (!ref) return;
    Object* obj = ref->Eval(0).obj;
    if (!obj || !obj->CanConvertToType(genericShapeClassID)) return;
    Object* converted = obj->ConvertToType(0, splineShapeClassID);
    if (!converted) return;
    PolyShape shape;
    if (auto* spline = dynamic_cast<ShapeObject*>(converted))
        spline->MakePolyShape(0, shape, PSHAPE_BUILTIN_STEPS, FALSE);
    if (converted != obj) converted->DeleteThis();

    const Matrix3 tm = node->GetObjectTM(0);
    std::vector<Point3> points;
    for (int i = 0; i < shape.numLines; ++i) {
        const PolyLine& line = shape[i];
        points.resize(static_cast<std::size_t>(line.numPts));
        for (int j = 0; j < line.numPts; ++j) points[static_cast<std::size_t>(j)] = line[j].p;
        AppendLineSegments(points.data(), line.numPts, line.IsClosed() != FALSE, tm);
    }
}

void SurfaceBuilder::AppendSegment(const Point3& a, const Point3& b) {
    if (segments.capacity() == 0) segments.Reset(1000);
    segments.Append({a, b});
}

void SurfaceBuilder::AppendLineSegments(const Point3* points, int n, bool closed,
                                        const Matrix3& tm) {
    for (int j = 1; j < n; ++j) AppendSegment(points[j - 1] * tm, points[j] * tm);
    if (closed && n > 1) AppendSegment(points[n - 1] * tm, points[0] * tm);
}

FBox2 SurfaceBuilder::ContourBounds() const {
    FBox2 box(Point2(1.0e30f, 1.0e30f), Point2(-1.0e30f, -1.0e30f));
    for (const ContourSegment& s : segments) {
        box += Point2(s.start.x, s.start.y);
        box += Point2(s.end.x, s.end.y);
    }
    return box;
}

std::int32_t SurfaceBuilder::CountSamples(float step) const {
    if (!(step > 0.0f)) return 0;
    double length = 0.0;
    for (const ContourSegment& s : segments) {
        const double dx = static_cast<double>(s.end.x) - static_cast<double>(s.start.x);
        const double dy = static_cast<double>(s.end.y) - static_cast<double>(s.start.y);
        length += std::sqrt(dx * dx + dy * dy);
    }
    const double count = std::trunc((static_cast<double>(step) * 0.5 + length) / step);
    if (!(count < static_cast<double>(INT32_MAX))) return INT32_MAX;
    return static_cast<std::int32_t>(count);
}

std::int32_t SurfaceBuilder::ResampleContours(float step, Point3* out,
                                              std::int32_t capacity) const {
    if (!(step > 0.0f)) return 0;
    double phase = static_cast<double>(step) * 0.5;
    std::int32_t written = 0;
    for (const ContourSegment& s : segments) {
        Point3 d = s.end - s.start;
        const float l = std::sqrt(d.x * d.x + d.y * d.y);
        // Near-duplicate points collapse to zero length in single precision. Only
        // the very first segment can still write from such a segment, because the
        // phase carried out of any earlier one is never positive; it then writes
        // its start point instead of a point along an undefined direction.
        if (l > 0.0f) d = d / l;
        if (!(l > 0.0f) || !std::isfinite(d.x) || !std::isfinite(d.y) || !std::isfinite(d.z))
            d = Point3(0.0f, 0.0f, 0.0f);
        phase += l;
        while (phase > 0.0) {
            if (written >= capacity) return written;
            out[written++] = s.start + d * static_cast<float>(phase);
            phase -= step;
        }
    }
    return written;
}

bool SurfaceBuilder::SetUpSampling(int levels) {
    const FBox2 box = ContourBounds();
    extent = std::max(box.pmax.x - box.pmin.x, box.pmax.y - box.pmin.y) * 1.1f;
    const Point2 centre = (box.pmin + box.pmax) * 0.5f;
    origin = centre - Point2(extent / 2.0f, extent / 2.0f);

    samples.clear();
    sampleCount = 0;
    if (!(extent > 0.0f) || !std::isfinite(extent) || !std::isfinite(origin.x) ||
        !std::isfinite(origin.y))
        return false;

    std::int32_t divisor = 8;
    for (int i = 0; i < levels; ++i)
        divisor = static_cast<std::int32_t>(static_cast<float>(divisor) * Tuning.GridRefineFactor);
    const float step = extent / static_cast<float>(divisor);

    const std::int32_t capacity = CountSamples(step);
    samples.resize(static_cast<std::size_t>(capacity));
    sampleCount = ResampleContours(step, samples.data(), capacity);
    samples.resize(static_cast<std::size_t>(sampleCount));
    return sampleCount > 0;
}
