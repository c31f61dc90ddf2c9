#pragma once
// Axis-aligned boxes. A new box is empty: min above max.
#include "matrix.h"
#include "point.h"

class Box3 {
public:
    Point3 pmin{1e30f, 1e30f, 1e30f};
    Point3 pmax{-1e30f, -1e30f, -1e30f};

    Box3() = default;
    Box3(const Point3& a, const Point3& b) : pmin(a), pmax(b) {}

    void Init() { *this = Box3(); }
    bool IsEmpty() const { return pmin.x > pmax.x || pmin.y > pmax.y || pmin.z > pmax.z; }
    Point3 Min() const { return pmin; }
    Point3 Max() const { return pmax; }
    Point3 Center() const { return (pmin + pmax) * 0.5f; }
    Point3 Width() const { return pmax - pmin; }
    // Corner i: bit 0 picks max x, bit 1 max y, bit 2 max z.
    Point3 operator[](int i) const {
        return {(i & 1) ? pmax.x : pmin.x, (i & 2) ? pmax.y : pmin.y, (i & 4) ? pmax.z : pmin.z};
    }
    Box3& operator+=(const Point3& p);
    Box3& operator+=(const Box3& b);
    bool Contains(const Point3& p) const {
        return p.x >= pmin.x && p.x <= pmax.x && p.y >= pmin.y && p.y <= pmax.y &&
               p.z >= pmin.z && p.z <= pmax.z;
    }
    // The box of the eight transformed corners.
    Box3 operator*(const Matrix3& tm) const;
};

class FBox2 {
public:
    Point2 pmin{1e30f, 1e30f};
    Point2 pmax{-1e30f, -1e30f};

    FBox2() = default;
    FBox2(const Point2& a, const Point2& b) : pmin(a), pmax(b) {}
    void SetEmpty() { *this = FBox2(); }
    bool IsEmpty() const { return pmin.x > pmax.x || pmin.y > pmax.y; }
    FBox2& operator+=(const Point2& p);
    Point2 Center() const { return (pmin + pmax) * 0.5f; }
    float Width() const { return pmax.x - pmin.x; }
    float Height() const { return pmax.y - pmin.y; }
};
