#pragma once
// Affine matrices of the host interface. Points are row vectors: p * M is
// p.x * row0 + p.y * row1 (+ p.z * row2) + translation, so A * B applies A first.
#include "base_types.h"
#include "point.h"

class Matrix2 {
public:
    Point2 m[3]; // two linear rows and the translation row

    Matrix2() { IdentityMatrix(); }
    explicit Matrix2(BOOL init) {
        if (init) IdentityMatrix();
    }
    Matrix2(const Point2& r0, const Point2& r1, const Point2& t) : m{r0, r1, t} {}

    void IdentityMatrix() {
        m[0] = {1.0f, 0.0f};
        m[1] = {0.0f, 1.0f};
        m[2] = {0.0f, 0.0f};
    }
    Point2& operator[](int i) { return m[i]; }
    const Point2& operator[](int i) const { return m[i]; }
    Point2 GetRow(int i) const { return m[i]; }
    void SetRow(int i, const Point2& p) { m[i] = p; }
    Point2 GetTrans() const { return m[2]; }
    void SetTrans(const Point2& p) { m[2] = p; }
    void Invert();

    Matrix2 operator*(const Matrix2& b) const;
};

Point2 operator*(const Point2& p, const Matrix2& a);
// Linear part only, translation ignored.
Point2 VectorTransform(const Matrix2& a, const Point2& v);
Matrix2 Inverse(const Matrix2& a);

class Matrix3 {
public:
    Point3 m[4]; // three linear rows and the translation row

    Matrix3() { IdentityMatrix(); }
    // The host's Matrix3(1) is the identity; Matrix3(0) is left zero here.
    explicit Matrix3(BOOL init) {
        if (init) IdentityMatrix();
        else Zero();
    }
    Matrix3(const Point3& r0, const Point3& r1, const Point3& r2, const Point3& t) : m{r0, r1, r2, t} {}

    void IdentityMatrix();
    void Zero();
    bool IsIdentity() const;

    Point3& operator[](int i) { return m[i]; }
    const Point3& operator[](int i) const { return m[i]; }
    Point3 GetRow(int i) const { return m[i]; }
    void SetRow(int i, const Point3& p) { m[i] = p; }
    Point3 GetTrans() const { return m[3]; }
    void SetTrans(const Point3& p) { m[3] = p; }
    void NoTrans() { m[3] = Point3(0.0f, 0.0f, 0.0f); }

    // Incremental transforms: each multiplies this matrix on the right.
    void RotateX(float angle);
    void RotateY(float angle);
    void RotateZ(float angle);
    void Translate(const Point3& p);
    // With trans FALSE only the linear rows scale; with TRUE the translation
    // scales too, which is a right multiplication by the scale matrix.
    void Scale(const Point3& s, BOOL trans = FALSE);
    void Invert();

    Matrix3 operator*(const Matrix3& b) const;
    Matrix3& operator*=(const Matrix3& b) { return *this = *this * b; }
    bool operator==(const Matrix3& b) const;
    bool operator!=(const Matrix3& b) const { return !(*this == b); }
    bool Equals(const Matrix3& b, float epsilon = 1e-6f) const;
};

Point3 operator*(const Point3& p, const Matrix3& a);
Point3 VectorTransform(const Matrix3& a, const Point3& v);
Matrix3 Inverse(const Matrix3& a);
Matrix3 TransMatrix(const Point3& p);
Matrix3 ScaleMatrix(const Point3& s);
Matrix3 RotateXMatrix(float angle);
Matrix3 RotateYMatrix(float angle);
Matrix3 RotateZMatrix(float angle);
