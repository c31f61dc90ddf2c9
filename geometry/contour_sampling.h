#pragma once
// Contour segments and their resampling into evenly spaced height samples.
#include <cstdint>
#include <vector>

#include "geometry/growable_array.h"
#include "geometry/height_field.h"
#include "geometry/surface_inputs.h"
#include "host/sdk/box.h"

struct ContourSegment {
    Point3 start;
    Point3 end;
};
using ContourSegments = GrowableArray<ContourSegment>; // starts with room for 1000

// The segments of every contour line in order; false when there are none.
bool GatherContours(ContourSegments& segments, const std::vector<ContourLine>& lines);
void AppendSegment(ContourSegments& segments, const Point3& a, const Point3& b);
void AppendLineSegments(ContourSegments& segments, const Point3* points, int n, bool closed);
FBox2 ContourBounds(const ContourSegments& segments);
std::int32_t CountSamples(const ContourSegments& segments, float step);
std::int32_t ResampleContours(const ContourSegments& segments, float step, Point3* out,
                              std::int32_t capacity);
// Places the grid's square around the segments (extent and origin), then
// resamples them at the finest level's step. False when the contours span no
// area (or no finite one): nothing can be fitted.
bool SetUpSampling(const ContourSegments& segments, int levels, float refineFactor,
                   HeightGrid& grid, SampleSet& samples);
