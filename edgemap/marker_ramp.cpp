#include "edgemap/marker_ramp.h"

#include <algorithm>
#include <cmath>

#include "host/sdk/shade_context.h"
#include "host/sdk/texmap.h"

namespace {

template <class T> T Lerp(const T& a, const T& b, float f) {
    return a * (1.0f - f) + b * f;
}

float Grey(const AColor& c) {
    return (c.r + c.g + c.b) / 3.0f;
}

float ClampShadePosition(float x) {
    if (x > 1.0f) x = 1.0f;
    if (x < MARKER_MIN_GAP) x = 0.0f;
    return x;
}

// Blend factor of a segment from lo to hi at parameter t.
float SegmentBlend(const RampMarker& lo, const RampMarker& hi, float t) {
    float wIn = 1.0f - CurveWeight(t, hi.inType);
    float wOut = CurveWeight(1.0f - t, lo.outType);
    return t * wIn + (1.0f - t) * wOut;
}

} // namespace

float CurveWeight(float s, int type) {
    float w;
    switch (type) {
    case CURVE_EXPONENTIAL: {
        const double e = std::exp(1.0);
        w = static_cast<float>(1.0 - std::exp(3.0 * s - 2.0) / (e - std::exp(-2.0)));
        break;
    }
    case CURVE_GAMMA:
        w = 1.0f - std::sqrt(s);
        break;
    case CURVE_SOLID:
        w = 0.0f;
        break;
    case CURVE_NONE:
        w = 1.0f;
        break;
    default:
        w = 1.0f - s;
        break;
    }
    return std::clamp(w, 0.0f, 1.0f);
}

void MarkerRamp::MakeDefault() {
    markerSize = 8;
    markers.clear();
    const float grey[3] = {0.0f, 0.5f, 1.0f};
    for (float g : grey) {
        RampMarker m;
        m.position = g;
        m.baseColor = AColor(g, g, g, 1.0f);
        markers.push_back(m);
    }
    SetActiveMarker(0);
}

void MarkerRamp::NormalizeRamp() {
    std::stable_sort(markers.begin(), markers.end(), [](const RampMarker& a, const RampMarker& b) {
        return a.position < b.position;
    });
    if (markers.empty()) return;
    std::size_t kept = 0;
    for (std::size_t i = 1; i < markers.size(); ++i) {
        if (std::fabs(markers[i].position - markers[kept].position) < MARKER_MIN_GAP) continue;
        markers[++kept] = markers[i];
    }
    markers.resize(kept + 1);
}

void MarkerRamp::SetActiveMarker(int i) {
    int target = std::max(i, 0);
    for (int k = 0; k < Count(); ++k) {
        if (k == target)
            markers[k].flags |= MARKER_ACTIVE;
        else
            markers[k].flags &= ~MARKER_ACTIVE;
    }
}

void MarkerRamp::ClearSelection() {
    ClearFlag(MARKER_ACTIVE | MARKER_DRAGGING);
}

void MarkerRamp::SetFlag(DWORD bit) {
    for (RampMarker& m : markers) m.flags |= bit;
}

void MarkerRamp::ClearFlag(DWORD bit) {
    for (RampMarker& m : markers) m.flags &= ~bit;
}

int MarkerRamp::FindByFlag(DWORD bit) const {
    for (int k = 0; k < Count(); ++k)
        if (markers[k].flags & bit) return k;
    return -1;
}

int MarkerRamp::IndexOfFlag(DWORD bit) {
    int k = FindByFlag(bit);
    if (k >= 0) return k;
    SetActiveMarker(0);
    return 0;
}

int MarkerRamp::FindNear(float x, float tolerance) const {
    int candidate = -1;
    for (int k = 0; k < Count(); ++k) {
        if (std::fabs(markers[k].position - x) < tolerance) candidate = k;
        if (markers[k].flags & MARKER_DRAGGING) return k;
    }
    return candidate;
}

int MarkerRamp::InsertMarker(float x, const AColor& colour) {
    RampMarker m;
    m.position = x;
    m.baseColor = colour;
    if (!markers.empty()) {
        m.activeColor = markers[0].activeColor;
        m.reactiveColor = markers[0].reactiveColor;
    }
    markers.push_back(m);
    NormalizeRamp();
    return FindNear(x, 0.001f);
}

int MarkerRamp::DuplicateActiveMarker(float x) {
    int active = FindByFlag(MARKER_ACTIVE);
    if (active < 0) return -1;
    RampMarker copy = markers[active];
    copy.flags = 0;
    copy.position = x;
    markers.push_back(copy);
    NormalizeRamp();
    return FindNear(x, 0.001f);
}

bool MarkerRamp::DeleteNear(float x, float tolerance) {
    if (Count() < 3) return false;
    for (int k = 0; k < Count(); ++k) {
        if (std::fabs(markers[k].position - x) < tolerance) {
            markers.erase(markers.begin() + k);
            SetActiveMarker(k - 1);
            return true;
        }
    }
    return false;
}

void MarkerRamp::SetMarkerColours(const AColor& active, const AColor& reactive) {
    for (RampMarker& m : markers) {
        m.activeColor = active;
        m.reactiveColor = reactive;
    }
}

AColor MarkerRamp::MarkerColor(const RampMarker& m, ShadeContext& sc) const {
    if (m.baseMapOn && m.baseMap) return m.baseMap->EvalColor(sc);
    return m.baseColor;
}

float MarkerRamp::MarkerOpacity(const RampMarker& m, ShadeContext& sc) const {
    if (m.transparentMapOn && m.transparentMap) return 1.0f - Grey(m.transparentMap->EvalColor(sc));
    return 1.0f;
}

Point3 MarkerRamp::MarkerPerturb(const RampMarker& m, ShadeContext& sc, const Point3& dir) const {
    if (m.baseMapOn && m.baseMap) return m.baseMap->EvalNormalPerturb(sc);
    float g = Grey(m.baseColor);
    return dir * g + Point3(0.0f, 0.0f, g);
}

AColor MarkerRamp::EvalRamp(float x, ShadeContext& sc) const {
    if (markers.empty()) return {};
    x = ClampShadePosition(x);
    int hi = 0;
    while (hi < Count() && !(x <= markers[hi].position)) ++hi;
    if (hi == Count()) return MarkerColor(markers.back(), sc);
    const RampMarker& h = markers[hi];
    if (hi == 0 || std::fabs(x - h.position) < MARKER_MIN_GAP) return MarkerColor(h, sc);

    const RampMarker& l = markers[hi - 1];
    float t = (x - l.position) / (h.position - l.position);
    AColor under = EvalRamp(l.position - 0.01f, sc);
    float aLo = MarkerOpacity(l, sc);
    float aHi = MarkerOpacity(h, sc);
    AColor cHi = MarkerColor(h, sc);
    float blend = SegmentBlend(l, h, t);
    AColor X = Lerp(under, Lerp(cHi, under, aHi), blend);
    AColor Y = Lerp(Lerp(under, cHi, aLo), cHi, blend);
    AColor Z = Lerp(X, Y, blend);
    return Lerp(under, Z, 1.0f - Grey(h.transparentColor));
}

Point3 MarkerRamp::EvalRampPerturb(float x, ShadeContext& sc, const Point3& dir) const {
    if (markers.empty()) return {};
    x = ClampShadePosition(x);
    int hi = 0;
    while (hi < Count() && !(x <= markers[hi].position)) ++hi;
    if (hi == Count()) return MarkerPerturb(markers.back(), sc, dir);
    const RampMarker& h = markers[hi];
    if (hi == 0 || std::fabs(x - h.position) < MARKER_MIN_GAP) return MarkerPerturb(h, sc, dir);

    const RampMarker& l = markers[hi - 1];
    float t = (x - l.position) / (h.position - l.position);
    Point3 under = EvalRampPerturb(l.position - 0.01f, sc, dir);
    float aLo = MarkerOpacity(l, sc);
    float aHi = MarkerOpacity(h, sc);
    Point3 pHi = MarkerPerturb(h, sc, dir);
    float blend = SegmentBlend(l, h, t);
    Point3 X = Lerp(under, Lerp(pHi, under, aHi), blend);
    Point3 Y = Lerp(Lerp(under, pHi, aLo), pHi, blend);
    Point3 Z = Lerp(X, Y, blend);
    return Lerp(under, Z, 1.0f - Grey(h.transparentColor));
}

AColor MarkerRamp::EvalRampPlain(float x) const {
    if (markers.empty()) return {};
    int hi = 0;
    while (hi < Count() && !(markers[hi].position > x)) ++hi;
    if (hi == Count()) return markers.back().baseColor;
    const RampMarker& h = markers[hi];
    if (hi == 0) return h.baseColor;

    const RampMarker& l = markers[hi - 1];
    float t = (x - l.position) / (h.position - l.position);
    AColor under = EvalRampPlain(l.position - 0.01f);
    AColor Z = Lerp(under, h.baseColor, SegmentBlend(l, h, t));
    return Lerp(under, Z, 1.0f - Grey(h.transparentColor));
}
