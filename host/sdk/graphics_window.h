#pragma once
// The viewport's drawing interface as the plug-in sees it: transform, colours,
// render limits, hit testing and the primitives. The running host provides
// the implementation.
#include <vector>

#include "base_types.h"
#include "color.h"
#include "matrix.h"
#include "point.h"

enum ColorType { LINE_COLOR, FILL_COLOR, TEXT_COLOR, CLEAR_COLOR };

// Render limits: what the window may draw and how.
constexpr DWORD GW_WIREFRAME = 0x0001;  // edges only, no faces
constexpr DWORD GW_ILLUM = 0x0002;      // faces lit
constexpr DWORD GW_Z_BUFFER = 0x0020;   // hidden parts removed
constexpr DWORD GW_POLY_EDGES = 0x0080; // lit faces with their visible edges over them
constexpr DWORD GW_PICK = 0x1000;       // nothing drawn: every primitive is tested against the hit region

// Pixel rectangle, right and bottom included.
struct Rect {
    int left = 0, top = 0, right = -1, bottom = -1;
    bool IsEmpty() const { return left > right || top > bottom; }
};

// Hit region kinds and the hit types the host passes to HitTest.
constexpr int POINT_RGN = 0x0001;
constexpr int RECT_RGN = 0x0002;
constexpr int CIRCLE_RGN = 0x0004;
constexpr int FENCE_RGN = 0x0008;
constexpr int HITTYPE_POINT = 1;
constexpr int HITTYPE_BOX = 2;
constexpr int HITTYPE_CIRCLE = 3;
constexpr int HITTYPE_FENCE = 5;
// HitTest flags: stop at the first hit.
constexpr int HIT_ABORTONHIT = 0x0008;

// Where a hit test looks, in pixels. A point region is a square of half side
// epsilon around pt. With crossing, anything touching a box, circle or fence
// hits; without, a primitive must lie wholly inside.
struct HitRegion {
    int type = POINT_RGN;
    int crossing = TRUE;
    int epsilon = 4;
    IPoint2 pt;              // point region
    Rect rect;               // box region
    IPoint2 centre;          // circle region
    int radius = 0;          // circle region
    std::vector<IPoint2> fence; // fence region, a closed polygon
};

// The region of a hit type: HITTYPE_POINT takes p[0]; HITTYPE_BOX p[0], p[1]
// as corners; HITTYPE_CIRCLE p[0] as centre and p[1] on the circle;
// HITTYPE_FENCE p[0 .. n-1] ending with a point of x = y = -100.
void MakeHitRegion(HitRegion& hr, int type, int crossing, int epsilon, IPoint2* p);

// A viewport material: the colour faces are lit with.
class Material {
public:
    Color Kd{0.5f, 0.5f, 0.5f};
};

// Marker shapes.
enum MarkerType { POINT_MRKR, HOLLOW_BOX_MRKR, PLUS_SIGN_MRKR, ASTERISK_MRKR, X_MRKR, CIRCLE_MRKR };

class GraphicsWindow {
public:
    virtual ~GraphicsWindow() = default;

    // Object-to-world transform of everything drawn after this call.
    virtual void setTransform(const Matrix3& m) = 0;
    virtual Matrix3 getTransform() = 0;
    virtual void setColor(ColorType t, float r, float g, float b) = 0;
    void setColor(ColorType t, const Point3& rgb) { setColor(t, rgb.x, rgb.y, rgb.z); }
    void setColor(ColorType t, const Color& c) { setColor(t, c.r, c.g, c.b); }

    virtual void setRndLimits(DWORD limits) = 0;
    virtual DWORD getRndLimits() = 0;
    virtual void setMaterial(const Material& m) = 0;
    virtual Material* getMaterial() = 0;
    virtual int getWinSizeX() = 0;
    virtual int getWinSizeY() = 0;

    // Hit testing: with GW_PICK set every primitive drawn is tested against
    // the region; a hit sets the hit code and keeps the smallest distance,
    // the depth of the hit (0 at the near plane, 0xFFFFFF at the far one).
    // Setting a region starts the distance afresh; clearing the code does not.
    virtual void setHitRegion(HitRegion* rgn) = 0;
    virtual void clearHitCode() = 0;
    virtual BOOL checkHitCode() = 0;
    virtual DWORD getHitDistance() = 0;

    // Segments are batched: startSegments, any number of segment calls, endSegments.
    // xyz points at the two end points; vis is nonzero when the segment is visible.
    virtual void startSegments() = 0;
    virtual void segment(Point3* xyz, int vis) = 0;
    virtual void endSegments() = 0;
    // ct points, closed or not; rgb (per point) may be null for the line colour.
    virtual void polyline(int ct, Point3* xyz, Point3* rgb, int closed, int* edgeFlags) = 0;
    // A filled triangle with corner normals (null: flat) in the fill colour
    // or the material's.
    virtual void triangle(Point3* xyz, Point3* normals) = 0;
    // Many primitives over shared points, as meshes draw: ends holds two
    // indices into xyz per segment, corners three per triangle, normals
    // (null: flat) three per triangle. The same as one call per primitive,
    // which is what these do unless the window has a faster way.
    virtual void indexedSegments(const Point3* xyz, int numPts, const DWORD* ends, int count);
    virtual void indexedTriangles(const Point3* xyz, int numPts, const DWORD* corners,
                                  const Point3* normals, int count);
    virtual void text(Point3* xyz, const MCHAR* s) = 0;
    virtual void marker(Point3* xyz, MarkerType type) = 0;
};
