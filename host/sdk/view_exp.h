#pragma once
// A viewport as objects see it while they draw, are picked or are created:
// its graphics window, snapping, the hits it logs and the area to redraw.
// The running host provides the implementation.
#include "host/sdk/graphics_window.h"
#include "host/sdk/matrix.h"
#include "host/sdk/point.h"

class INode;
class ModContext;
class HitData;

// One logged hit: the node, its distance (smaller is closer) and what the
// object chose to tell.
struct HitRecord {
    INode* nodeRef = nullptr;
    ModContext* modContext = nullptr;
    DWORD distance = 0;
    ULONG hitInfo = 0;
    HitData* hitData = nullptr;
};

class ViewExp {
public:
    virtual ~ViewExp() = default;

    virtual GraphicsWindow* getGW() = 0;

    // Shows where a click at `in` would snap, without moving anything.
    virtual void SnapPreview(IPoint2& in, IPoint2& out, Matrix3* plane2d = nullptr,
                             DWORD flags = 0) = 0;
    // The point on the construction plane under pixel `in`, snapped to the
    // home grid when snapping is on; `out` is its pixel.
    virtual Point3 SnapPoint(IPoint2& in, IPoint2& out, Matrix3* plane2d = nullptr,
                             DWORD flags = 0) = 0;

    virtual void LogHit(INode* nr, ModContext* mc, DWORD dist, ULONG info,
                        HitData* hitdat = nullptr) = 0;
    // The hit of the smallest distance; null before any.
    virtual HitRecord* GetClosestHit() = 0;
    virtual int NumHits() = 0;
    virtual void ClearHitList() = 0;

    // The part of the viewport that needs drawing again.
    virtual Rect GetDammageRect() = 0;
};

// What the renderer tells an object about the view it renders.
class View {
public:
    virtual ~View() = default;
    Matrix3 worldToView; // world to camera space, the camera looking down -z
    int projType = 0;    // 0 perspective, 1 parallel
    float fov = 0.8f;    // vertical, radians
    int width = 640, height = 480;
};

// Mouse messages a creation callback receives.
constexpr int MOUSE_ABORT = 0;
constexpr int MOUSE_POINT = 1;
constexpr int MOUSE_MOVE = 2;
constexpr int MOUSE_DBLCLICK = 3;
constexpr int MOUSE_INIT = 4;
constexpr int MOUSE_UNINIT = 5;
constexpr int MOUSE_FREEMOVE = 6;

// What a creation callback answers.
constexpr int CREATE_CONTINUE = 1;
constexpr int CREATE_STOP = 0;
constexpr int CREATE_ABORT = -1;

// Places a new object with the mouse: point counts the clicks so far, m is
// the pixel, mat the node transform the callback sets.
class CreateMouseCallBack {
public:
    virtual ~CreateMouseCallBack() = default;
    virtual int proc(ViewExp* vpt, int msg, int point, int flags, IPoint2 m, Matrix3& mat) = 0;
};
