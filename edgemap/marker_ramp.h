#pragma once
// The colour ramp of the edge-gradient map: an ordered list of markers, each a
// colour (or a map) with the curves of the segments that meet at it.
#include <vector>

#include "host/sdk/base_types.h"
#include "host/sdk/color.h"
#include "host/sdk/point.h"

class Texmap;
class ShadeContext;

constexpr DWORD MARKER_ACTIVE = 2;
constexpr DWORD MARKER_DRAGGING = 4;

// Keeps two markers apart; also the snap distance to a marker's own position.
constexpr float MARKER_MIN_GAP = 0.0001f;

enum CurveType {
    CURVE_LINEAR = 0,
    CURVE_EXPONENTIAL = 1,
    CURVE_GAMMA = 2,
    CURVE_SOLID = 3,
    CURVE_NONE = 4,
};

struct RampMarker {
    DWORD flags = 0;
    float position = 0.0f;
    AColor activeColor{1.0f, 0.0f, 0.0f, 0.0f};
    AColor reactiveColor{0.0f, 1.0f, 0.0f, 0.0f};
    AColor baseColor{0.0f, 0.0f, 0.0f, 1.0f};
    AColor transparentColor{0.0f, 0.0f, 0.0f, 0.0f};
    Texmap* baseMap = nullptr;
    Texmap* transparentMap = nullptr;
    BYTE baseMapOn = 1;
    BYTE transparentMapOn = 1;
    int inType = CURVE_LINEAR;
    int outType = CURVE_LINEAR;
};

// Weight of a segment's end for s in 0..1, by curve type; clamped to [0, 1].
float CurveWeight(float s, int type);

class MarkerRamp {
public:
    int markerSize = 8;
    std::vector<RampMarker> markers;

    int Count() const { return static_cast<int>(markers.size()); }

    // Three markers: black at 0, mid grey at 0.5, white at 1; marker 0 active.
    void MakeDefault();

    // Sorts by position and drops every marker closer than the minimum gap to
    // the last one kept.
    void NormalizeRamp();
    void SetActiveMarker(int i);
    void ClearSelection();
    void SetFlag(DWORD bit);
    void ClearFlag(DWORD bit);
    // Index of the first marker with the bit, or -1.
    int FindByFlag(DWORD bit) const;
    // As FindByFlag, but with no such marker marker 0 becomes active and 0 is answered.
    int IndexOfFlag(DWORD bit);
    // The last marker within tolerance of x, unless a dragged marker comes first; -1 if none.
    int FindNear(float x, float tolerance) const;
    int InsertMarker(float x, const AColor& colour);
    int DuplicateActiveMarker(float x);
    // Removes the first marker within tolerance of x while at least 3 markers exist.
    bool DeleteNear(float x, float tolerance);
    void SetMarkerColours(const AColor& active, const AColor& reactive);

    AColor MarkerColor(const RampMarker& m, ShadeContext& sc) const;
    float MarkerOpacity(const RampMarker& m, ShadeContext& sc) const;
    Point3 MarkerPerturb(const RampMarker& m, ShadeContext& sc, const Point3& dir) const;

    // Colour of a shaded sample at ramp position x, marker maps included.
    AColor EvalRamp(float x, ShadeContext& sc) const;
    // Bump vector of a shaded sample; dir points away from the nearest edge.
    Point3 EvalRampPerturb(float x, ShadeContext& sc, const Point3& dir) const;
    // Colour from the base colours alone, for the viewport and the ramp control.
    AColor EvalRampPlain(float x) const;
};
