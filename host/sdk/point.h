#pragma once
// Single-precision 2D and 3D points of the host interface.
#include <cmath>

class Point2 {
public:
    float x = 0.0f, y = 0.0f;

    Point2() = default;
    Point2(float X, float Y) : x(X), y(Y) {}
    Point2(double X, double Y) : x(static_cast<float>(X)), y(static_cast<float>(Y)) {}
    Point2(int X, int Y) : x(static_cast<float>(X)), y(static_cast<float>(Y)) {}

    float& operator[](int i) { return i == 0 ? x : y; }
    float operator[](int i) const { return i == 0 ? x : y; }

    Point2 operator-() const { return {-x, -y}; }
    Point2 operator+(const Point2& p) const { return {x + p.x, y + p.y}; }
    Point2 operator-(const Point2& p) const { return {x - p.x, y - p.y}; }
    Point2 operator*(float f) const { return {x * f, y * f}; }
    Point2 operator/(float f) const { return {x / f, y / f}; }
    Point2& operator+=(const Point2& p) { x += p.x; y += p.y; return *this; }
    Point2& operator-=(const Point2& p) { x -= p.x; y -= p.y; return *this; }
    Point2& operator*=(float f) { x *= f; y *= f; return *this; }
    Point2& operator/=(float f) { x /= f; y /= f; return *this; }
    bool operator==(const Point2& p) const { return x == p.x && y == p.y; }
    bool operator!=(const Point2& p) const { return !(*this == p); }

    float LengthSquared() const { return x * x + y * y; }
    float Length() const { return std::sqrt(LengthSquared()); }

    static const Point2 Origin;
};

inline Point2 operator*(float f, const Point2& p) { return p * f; }
inline float DotProd(const Point2& a, const Point2& b) { return a.x * b.x + a.y * b.y; }
inline float Length(const Point2& p) { return p.Length(); }
// A zero vector stays zero instead of becoming not-a-number.
inline Point2 Normalize(const Point2& p) {
    float l = p.Length();
    return l != 0.0f ? p / l : p;
}

class Point3 {
public:
    float x = 0.0f, y = 0.0f, z = 0.0f;

    Point3() = default;
    Point3(float X, float Y, float Z) : x(X), y(Y), z(Z) {}
    Point3(double X, double Y, double Z)
        : x(static_cast<float>(X)), y(static_cast<float>(Y)), z(static_cast<float>(Z)) {}
    Point3(int X, int Y, int Z)
        : x(static_cast<float>(X)), y(static_cast<float>(Y)), z(static_cast<float>(Z)) {}

    float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
    float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

    Point3 operator-() const { return {-x, -y, -z}; }
    Point3 operator+(const Point3& p) const { return {x + p.x, y + p.y, z + p.z}; }
    Point3 operator-(const Point3& p) const { return {x - p.x, y - p.y, z - p.z}; }
    Point3 operator*(float f) const { return {x * f, y * f, z * f}; }
    Point3 operator/(float f) const { return {x / f, y / f, z / f}; }
    // Component-wise product, as the host defines it.
    Point3 operator*(const Point3& p) const { return {x * p.x, y * p.y, z * p.z}; }
    // Cross product.
    Point3 operator^(const Point3& p) const {
        return {y * p.z - z * p.y, z * p.x - x * p.z, x * p.y - y * p.x};
    }
    // Dot product.
    float operator%(const Point3& p) const { return x * p.x + y * p.y + z * p.z; }
    Point3& operator+=(const Point3& p) { x += p.x; y += p.y; z += p.z; return *this; }
    Point3& operator-=(const Point3& p) { x -= p.x; y -= p.y; z -= p.z; return *this; }
    Point3& operator*=(float f) { x *= f; y *= f; z *= f; return *this; }
    Point3& operator/=(float f) { x /= f; y /= f; z /= f; return *this; }
    bool operator==(const Point3& p) const { return x == p.x && y == p.y && z == p.z; }
    bool operator!=(const Point3& p) const { return !(*this == p); }

    float LengthSquared() const { return x * x + y * y + z * z; }
    float Length() const { return std::sqrt(LengthSquared()); }
    Point3 Normalize() const {
        float l = Length();
        return l != 0.0f ? *this / l : *this;
    }

    static const Point3 Origin;
};

inline Point3 operator*(float f, const Point3& p) { return p * f; }
inline float DotProd(const Point3& a, const Point3& b) { return a % b; }
inline Point3 CrossProd(const Point3& a, const Point3& b) { return a ^ b; }
inline float Length(const Point3& p) { return p.Length(); }
inline float LengthSquared(const Point3& p) { return p.LengthSquared(); }
inline Point3 Normalize(const Point3& p) { return p.Normalize(); }
inline Point3 FNormalize(const Point3& p) { return p.Normalize(); }

// Integer 2D point: a pixel of a viewport, x to the right, y down.
class IPoint2 {
public:
    int x = 0, y = 0;
    IPoint2() = default;
    IPoint2(int X, int Y) : x(X), y(Y) {}
    IPoint2 operator+(const IPoint2& p) const { return {x + p.x, y + p.y}; }
    IPoint2 operator-(const IPoint2& p) const { return {x - p.x, y - p.y}; }
    bool operator==(const IPoint2& p) const { return x == p.x && y == p.y; }
};
