#pragma once
// Colours with float channels; 1.0 is full intensity.
#include "base_types.h"

class Color {
public:
    float r = 0.0f, g = 0.0f, b = 0.0f;
    Color() = default;
    Color(float R, float G, float B) : r(R), g(G), b(B) {}
    Color(double R, double G, double B)
        : r(static_cast<float>(R)), g(static_cast<float>(G)), b(static_cast<float>(B)) {}
    // From a packed 0x00BBGGRR word, as wire colours are stored.
    explicit Color(DWORD rgb)
        : r((rgb & 0xff) / 255.0f), g(((rgb >> 8) & 0xff) / 255.0f), b(((rgb >> 16) & 0xff) / 255.0f) {}
    Color operator+(const Color& c) const { return {r + c.r, g + c.g, b + c.b}; }
    Color operator-(const Color& c) const { return {r - c.r, g - c.g, b - c.b}; }
    Color operator*(float f) const { return {r * f, g * f, b * f}; }
    bool operator==(const Color& c) const { return r == c.r && g == c.g && b == c.b; }
    DWORD toRGB() const;
};

class AColor {
public:
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
    AColor() = default;
    AColor(float R, float G, float B, float A = 1.0f) : r(R), g(G), b(B), a(A) {}
    AColor(double R, double G, double B, double A = 1.0)
        : r(static_cast<float>(R)), g(static_cast<float>(G)), b(static_cast<float>(B)),
          a(static_cast<float>(A)) {}
    AColor(const Color& c, float A = 1.0f) : r(c.r), g(c.g), b(c.b), a(A) {}
    AColor operator+(const AColor& c) const { return {r + c.r, g + c.g, b + c.b, a + c.a}; }
    AColor operator-(const AColor& c) const { return {r - c.r, g - c.g, b - c.b, a - c.a}; }
    AColor operator*(float f) const { return {r * f, g * f, b * f, a * f}; }
    AColor& operator+=(const AColor& c) { r += c.r; g += c.g; b += c.b; a += c.a; return *this; }
    bool operator==(const AColor& c) const { return r == c.r && g == c.g && b == c.b && a == c.a; }
    bool operator!=(const AColor& c) const { return !(*this == c); }
    explicit operator Color() const { return {r, g, b}; }
};

inline AColor operator*(float f, const AColor& c) { return c * f; }
