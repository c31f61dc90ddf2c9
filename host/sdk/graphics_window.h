#pragma once
// The viewport's drawing interface as the plug-in sees it. Only the calls the
// plug-in makes are here; the running host provides the implementation.
#include "base_types.h"
#include "matrix.h"
#include "point.h"

enum ColorType { LINE_COLOR, FILL_COLOR, TEXT_COLOR, CLEAR_COLOR };

class GraphicsWindow {
public:
    virtual ~GraphicsWindow() = default;

    // Object-to-world transform of everything drawn after this call.
    virtual void setTransform(const Matrix3& m) = 0;
    virtual Matrix3 getTransform() = 0;
    virtual void setColor(ColorType t, float r, float g, float b) = 0;
    void setColor(ColorType t, const Point3& rgb) { setColor(t, rgb.x, rgb.y, rgb.z); }

    // Segments are batched: startSegments, any number of segment calls, endSegments.
    // xyz points at the two end points; vis is nonzero when the segment is visible.
    virtual void startSegments() = 0;
    virtual void segment(Point3* xyz, int vis) = 0;
    virtual void endSegments() = 0;
};
