#pragma once
// Shapes as polylines: what a spline looks like once interpolated.
#include <vector>

#include "base_types.h"
#include "box.h"
#include "matrix.h"
#include "point.h"

class GraphicsWindow;
class Material;
struct HitRegion;
struct Rect;

class PolyPt {
public:
    Point3 p;
    DWORD flags = 0;
    PolyPt() = default;
    PolyPt(const Point3& ip, DWORD f = 0) : p(ip), flags(f) {}
};

constexpr DWORD POLYLINE_CLOSED = 1u << 0;

class PolyLine {
public:
    int numPts = 0;
    std::vector<PolyPt> pts;
    DWORD flags = 0;

    PolyLine() = default;
    void Init() {
        pts.clear();
        numPts = 0;
        flags = 0;
    }
    BOOL IsClosed() const { return (flags & POLYLINE_CLOSED) ? TRUE : FALSE; }
    void Close() { flags |= POLYLINE_CLOSED; }
    void Open() { flags &= ~POLYLINE_CLOSED; }
    void SetNumPts(int n);
    void Append(const PolyPt& p);
    void Append(const Point3& p) { Append(PolyPt(p)); }
    PolyPt& operator[](int i) { return pts[i]; }
    const PolyPt& operator[](int i) const { return pts[i]; }
    Box3 BoundBox(Matrix3* tm = nullptr) const;
    void Transform(const Matrix3& tm);
};

class PolyShape {
public:
    int numLines = 0;
    std::vector<PolyLine> lines;

    PolyShape() = default;
    // Empties the shape.
    void NewShape();
    void Init() { NewShape(); }
    // Adds an empty line and returns it.
    PolyLine& NewLine();
    void Append(const PolyLine& l);
    void SetNumLines(int n);
    PolyLine& operator[](int i) { return lines[i]; }
    const PolyLine& operator[](int i) const { return lines[i]; }
    Box3 BoundBox(Matrix3* tm = nullptr) const;
    void Transform(const Matrix3& tm);
    // Every line as a polyline in the window's transform and line colour.
    void Render(GraphicsWindow* gw, Material* ma, Rect* rp, int compFlags, int numMat = 1);
    // Hit-tests the lines as Render draws them; TRUE on a hit.
    BOOL Select(GraphicsWindow* gw, Material* ma, HitRegion* hr, int abortOnHit = FALSE);
};
