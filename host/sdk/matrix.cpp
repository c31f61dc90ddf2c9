#include "matrix.h"

#include <cmath>

Point2 operator*(const Point2& p, const Matrix2& a) {
    return {p.x * a.m[0].x + p.y * a.m[1].x + a.m[2].x, p.x * a.m[0].y + p.y * a.m[1].y + a.m[2].y};
}

Point2 VectorTransform(const Matrix2& a, const Point2& v) {
    return {v.x * a.m[0].x + v.y * a.m[1].x, v.x * a.m[0].y + v.y * a.m[1].y};
}

Matrix2 Matrix2::operator*(const Matrix2& b) const {
    Matrix2 r;
    for (int i = 0; i < 2; ++i) r.m[i] = VectorTransform(b, m[i]);
    r.m[2] = m[2] * b;
    return r;
}

void Matrix2::Invert() { *this = Inverse(*this); }

Matrix2 Inverse(const Matrix2& a) {
    const float A = a.m[0].x, B = a.m[0].y, C = a.m[1].x, D = a.m[1].y;
    const float det = A * D - B * C;
    Matrix2 r;
    r.m[0] = Point2(D / det, -B / det);
    r.m[1] = Point2(-C / det, A / det);
    r.m[2] = -VectorTransform(r, a.m[2]);
    return r;
}

void Matrix3::IdentityMatrix() {
    m[0] = {1.0f, 0.0f, 0.0f};
    m[1] = {0.0f, 1.0f, 0.0f};
    m[2] = {0.0f, 0.0f, 1.0f};
    m[3] = {0.0f, 0.0f, 0.0f};
}

void Matrix3::Zero() {
    for (auto& r : m) r = Point3(0.0f, 0.0f, 0.0f);
}

bool Matrix3::IsIdentity() const { return *this == Matrix3(1); }

Point3 operator*(const Point3& p, const Matrix3& a) {
    return {p.x * a.m[0].x + p.y * a.m[1].x + p.z * a.m[2].x + a.m[3].x,
            p.x * a.m[0].y + p.y * a.m[1].y + p.z * a.m[2].y + a.m[3].y,
            p.x * a.m[0].z + p.y * a.m[1].z + p.z * a.m[2].z + a.m[3].z};
}

Point3 VectorTransform(const Matrix3& a, const Point3& v) {
    return {v.x * a.m[0].x + v.y * a.m[1].x + v.z * a.m[2].x,
            v.x * a.m[0].y + v.y * a.m[1].y + v.z * a.m[2].y,
            v.x * a.m[0].z + v.y * a.m[1].z + v.z * a.m[2].z};
}

Matrix3 Matrix3::operator*(const Matrix3& b) const {
    Matrix3 r;
    for (int i = 0; i < 3; ++i) r.m[i] = VectorTransform(b, m[i]);
    r.m[3] = m[3] * b;
    return r;
}

bool Matrix3::operator==(const Matrix3& b) const {
    for (int i = 0; i < 4; ++i)
        if (m[i] != b.m[i]) return false;
    return true;
}

bool Matrix3::Equals(const Matrix3& b, float epsilon) const {
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 3; ++k)
            if (std::fabs(m[i][k] - b.m[i][k]) > epsilon) return false;
    return true;
}

Matrix3 TransMatrix(const Point3& p) {
    Matrix3 r(1);
    r.m[3] = p;
    return r;
}

Matrix3 ScaleMatrix(const Point3& s) {
    Matrix3 r(1);
    r.m[0].x = s.x;
    r.m[1].y = s.y;
    r.m[2].z = s.z;
    return r;
}

Matrix3 RotateXMatrix(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    return Matrix3({1.0f, 0.0f, 0.0f}, {0.0f, c, s}, {0.0f, -s, c}, {0.0f, 0.0f, 0.0f});
}

Matrix3 RotateYMatrix(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    return Matrix3({c, 0.0f, -s}, {0.0f, 1.0f, 0.0f}, {s, 0.0f, c}, {0.0f, 0.0f, 0.0f});
}

Matrix3 RotateZMatrix(float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    return Matrix3({c, s, 0.0f}, {-s, c, 0.0f}, {0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f});
}

void Matrix3::RotateX(float angle) { *this = *this * RotateXMatrix(angle); }
void Matrix3::RotateY(float angle) { *this = *this * RotateYMatrix(angle); }
void Matrix3::RotateZ(float angle) { *this = *this * RotateZMatrix(angle); }
void Matrix3::Translate(const Point3& p) { m[3] += p; }

void Matrix3::Scale(const Point3& s, BOOL trans) {
    for (int i = 0; i < 3; ++i) m[i] = m[i] * s;
    if (trans) m[3] = m[3] * s;
}

void Matrix3::Invert() { *this = Inverse(*this); }

// Inverse by the adjugate of the linear part; a singular matrix gives
// non-finite rows, as callers that invert degenerate transforms expect.
Matrix3 Inverse(const Matrix3& a) {
    const Point3 &r0 = a.m[0], &r1 = a.m[1], &r2 = a.m[2];
    const Point3 c0 = r1 ^ r2, c1 = r2 ^ r0, c2 = r0 ^ r1;
    const float det = r0 % c0;
    const float inv = 1.0f / det;
    Matrix3 r;
    r.m[0] = Point3(c0.x, c1.x, c2.x) * inv;
    r.m[1] = Point3(c0.y, c1.y, c2.y) * inv;
    r.m[2] = Point3(c0.z, c1.z, c2.z) * inv;
    r.m[3] = -VectorTransform(r, a.m[3]);
    return r;
}
