#include "host/sdk/poly_shape.h"

void PolyLine::SetNumPts(int n) {
    pts.resize(n < 0 ? 0 : n);
    numPts = static_cast<int>(pts.size());
}

void PolyLine::Append(const PolyPt& p) {
    pts.push_back(p);
    numPts = static_cast<int>(pts.size());
}

Box3 PolyLine::BoundBox(Matrix3* tm) const {
    Box3 box;
    for (const PolyPt& p : pts) box += tm ? p.p * *tm : p.p;
    return box;
}

void PolyLine::Transform(const Matrix3& tm) {
    for (PolyPt& p : pts) p.p = p.p * tm;
}

void PolyShape::NewShape() {
    lines.clear();
    numLines = 0;
}

PolyLine& PolyShape::NewLine() {
    lines.emplace_back();
    numLines = static_cast<int>(lines.size());
    return lines.back();
}

void PolyShape::Append(const PolyLine& l) {
    lines.push_back(l);
    numLines = static_cast<int>(lines.size());
}

void PolyShape::SetNumLines(int n) {
    lines.resize(n < 0 ? 0 : n);
    numLines = static_cast<int>(lines.size());
}

Box3 PolyShape::BoundBox(Matrix3* tm) const {
    Box3 box;
    for (const PolyLine& l : lines) box += l.BoundBox(tm);
    return box;
}

void PolyShape::Transform(const Matrix3& tm) {
    for (PolyLine& l : lines) l.Transform(tm);
}
