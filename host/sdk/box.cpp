#include "box.h"

#include <algorithm>

Box3& Box3::operator+=(const Point3& p) {
    pmin = {std::min(pmin.x, p.x), std::min(pmin.y, p.y), std::min(pmin.z, p.z)};
    pmax = {std::max(pmax.x, p.x), std::max(pmax.y, p.y), std::max(pmax.z, p.z)};
    return *this;
}

Box3& Box3::operator+=(const Box3& b) {
    if (b.IsEmpty()) return *this;
    *this += b.pmin;
    *this += b.pmax;
    return *this;
}

Box3 Box3::operator*(const Matrix3& tm) const {
    Box3 r;
    if (IsEmpty()) return r;
    for (int i = 0; i < 8; ++i) r += (*this)[i] * tm;
    return r;
}

FBox2& FBox2::operator+=(const Point2& p) {
    pmin = {std::min(pmin.x, p.x), std::min(pmin.y, p.y)};
    pmax = {std::max(pmax.x, p.x), std::max(pmax.y, p.y)};
    return *this;
}
