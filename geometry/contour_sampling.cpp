#include "geometry/contour_sampling.h"

#include <algorithm>
#include <climits>
#include <cmath>

bool GatherContours(ContourSegments& segments, const std::vector<ContourLine>& lines) {
    segments.Reset(1000);
    for (const ContourLine& line : lines)
        AppendLineSegments(segments, line.points.data(), static_cast<int>(line.points.size()),
                           line.closed);
    return segments.count() > 0;
}

void AppendSegment(ContourSegments& segments, const Point3& a, const Point3& b) {
    if (segments.capacity() == 0) segments.Reset(1000);
    segments.Append({a, b});
}

void AppendLineSegments(ContourSegments& segments, const Point3* points, int n, bool closed) {
    for (int j = 1; j < n; ++j) AppendSegment(segments, points[j - 1], points[j]);
    if (closed && n > 1) AppendSegment(segments, points[n - 1], points[0]);
}

FBox2 ContourBounds(const ContourSegments& segments) {
    FBox2 box(Point2(1.0e30f, 1.0e30f), Point2(-1.0e30f, -1.0e30f));
    for (const ContourSegment& s : segments) {
        box += Point2(s.start.x, s.start.y);
        box += Point2(s.end.x, s.end.y);
    }
    return box;
}

std::int32_t CountSamples(const ContourSegments& segments, float step) {
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

std::int32_t ResampleContours(const ContourSegments& segments, float step, Point3* out,
                              std::int32_t capacity) {
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

bool SetUpSampling(const ContourSegments& segments, int levels, float refineFactor,
                   HeightGrid& grid, SampleSet& set) {
    const FBox2 box = ContourBounds(segments);
    float& extent = grid.extent;
    Point2& origin = grid.origin;
    extent = std::max(box.pmax.x - box.pmin.x, box.pmax.y - box.pmin.y) * 1.1f;
    const Point2 centre = (box.pmin + box.pmax) * 0.5f;
    origin = centre - Point2(extent / 2.0f, extent / 2.0f);

    std::vector<Point3>& samples = set.samples;
    samples.clear();
    if (!(extent > 0.0f) || !std::isfinite(extent) || !std::isfinite(origin.x) ||
        !std::isfinite(origin.y))
        return false;

    std::int32_t divisor = 8;
    for (int i = 0; i < levels; ++i)
        divisor = static_cast<std::int32_t>(static_cast<float>(divisor) * refineFactor);
    const float step = extent / static_cast<float>(divisor);

    const std::int32_t capacity = CountSamples(segments, step);
    samples.resize(static_cast<std::size_t>(capacity));
    const std::int32_t written = ResampleContours(segments, step, samples.data(), capacity);
    samples.resize(static_cast<std::size_t>(written));
    return written > 0;
}
