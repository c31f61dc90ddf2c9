#pragma once
// A small software rasteriser: an RGBA image with a depth buffer, z-buffered
// triangles with per-vertex colour, lines, and a camera that projects world
// points to pixels. Nothing here is global: several threads may draw into one
// image at once as long as each keeps to its own clip rectangle (tile).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "host/sdk/box.h"
#include "host/sdk/color.h"
#include "host/sdk/matrix.h"
#include "host/sdk/point.h"

namespace contorra {

struct Rgba8 {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba8&) const = default;
};

// Channels clamped to 0..1 and rounded to the nearest step.
Rgba8 ToRgba8(const AColor& c);

// Half-open pixel rectangle [x0, x1) x [y0, y1).
struct PixelRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool Empty() const { return x0 >= x1 || y0 >= y1; }
    PixelRect Intersect(const PixelRect& o) const {
        return {std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
    }
};

// Splits an image into tiles of at most tileSize x tileSize pixels, row by row.
std::vector<PixelRect> MakeTiles(int width, int height, int tileSize);

class RasterImage {
public:
    static constexpr float kFarDepth = std::numeric_limits<float>::infinity();

    RasterImage() = default;
    RasterImage(int width, int height, Rgba8 background = {0, 0, 0, 255});

    int Width() const { return width_; }
    int Height() const { return height_; }
    PixelRect Bounds() const { return {0, 0, width_, height_}; }

    void Clear(Rgba8 colour);
    void Clear(Rgba8 colour, const PixelRect& area);

    Rgba8 Pixel(int x, int y) const { return pixels_[Index(x, y)]; }
    void SetPixel(int x, int y, Rgba8 c) { pixels_[Index(x, y)] = c; }
    float Depth(int x, int y) const { return depth_[Index(x, y)]; }
    void SetDepth(int x, int y, float z) { depth_[Index(x, y)] = z; }

    // Writes c when z is nearer than (or, with bias, within bias behind) the
    // stored depth; returns whether it wrote.
    bool Plot(int x, int y, float z, Rgba8 c, float bias = 0.0f) {
        const std::size_t i = Index(x, y);
        if (!(z < depth_[i] + bias)) return false;
        pixels_[i] = c;
        depth_[i] = std::min(z, depth_[i]);
        return true;
    }

    // Rows top to bottom, four bytes per pixel.
    const std::uint8_t* Bytes() const { return &pixels_.data()->r; }

    // Copies another image (a tile drawn on its own) to (x, y), colour and depth.
    void Blit(const RasterImage& tile, int x, int y);

private:
    std::size_t Index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x);
    }

    int width_ = 0, height_ = 0;
    std::vector<Rgba8> pixels_;
    std::vector<float> depth_;
};

// A projected vertex: pixel coordinates (the centre of pixel (i, j) is at
// (i + 0.5, j + 0.5), row 0 at the top), depth (smaller is nearer, linear in
// screen space) and w, the view distance used to interpolate attributes with
// perspective (1 for orthographic views).
struct ScreenVertex {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 1.0f;
};

// One covered pixel of a triangle: its depth and the perspective-correct
// weights of the three vertices (they sum to 1).
struct Fragment {
    int x, y;
    float z;
    float b0, b1, b2;
};

// Calls f(const Fragment&) for every pixel of clip whose centre lies inside
// the triangle. Shared edges follow a top-left rule, so a pixel on the edge
// between two triangles is covered by exactly one of them. Either winding.
template <class F>
void RasterizeTriangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                       const PixelRect& clip, F&& f);

// Draws a triangle with colours interpolated between the vertices; z-buffered.
void DrawTriangle(RasterImage& image, const ScreenVertex v[3], const AColor colours[3],
                  const PixelRect& clip);

// Draws a one-pixel line with colour and depth interpolated along it. A
// positive bias lets a line win against a surface it lies on.
void DrawLine(RasterImage& image, const ScreenVertex& a, const ScreenVertex& b, const AColor& ca,
              const AColor& cb, const PixelRect& clip, float depthBias = 0.0f);

// World to pixel projection. The view matrix maps world points into camera
// space, where the camera looks down -z with x to the right and y up.
class RasterCamera {
public:
    Matrix3 view;
    bool perspective = false;
    float fovY = 0.8f;        // radians, perspective only
    float orthoHeight = 1.0f; // world units across the image height, orthographic only
    float nearDist = 0.1f, farDist = 1000.0f;
    int width = 1, height = 1; // image size in pixels

    // Looking from eye at target; up is the approximate up direction.
    static RasterCamera LookAt(const Point3& eye, const Point3& target, const Point3& up, int width,
                               int height, bool perspective);
    // Orthographic, straight down the world -z axis, the box's x, y extent
    // filling the image with a small margin, world +y towards the image top.
    static RasterCamera TopView(const Box3& box, int width, int height, float margin = 0.02f);

    // Camera-space point of a world point.
    Point3 ToCamera(const Point3& world) const { return world * view; }
    // Projection of a camera-space point (in front of the near plane).
    ScreenVertex ProjectCamera(const Point3& cam) const;
    ScreenVertex Project(const Point3& world) const { return ProjectCamera(ToCamera(world)); }
};

// World-space drawing: clipped against the camera's near plane first, so
// geometry passing behind a perspective camera is drawn correctly.
void DrawWorldTriangle(RasterImage& image, const RasterCamera& camera, const Point3 p[3],
                       const AColor colours[3], const PixelRect& clip);
void DrawWorldLine(RasterImage& image, const RasterCamera& camera, const Point3& a, const Point3& b,
                   const AColor& colour, const PixelRect& clip, float depthBias = 0.0f);

// ---- template implementation ----

namespace raster_detail {
inline float Edge(const ScreenVertex& a, const ScreenVertex& b, float px, float py) {
    return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}
// With the inside on the positive side of every edge (rows grow downwards), a
// "top" edge runs horizontally towards +x and a "left" edge runs towards -y.
// Reversing an edge flips the answer, which is what makes shared edges owned
// by exactly one triangle.
inline bool TopLeft(const ScreenVertex& a, const ScreenVertex& b) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    return (dy == 0.0f && dx > 0.0f) || dy < 0.0f;
}
} // namespace raster_detail

template <class F>
void RasterizeTriangle(const ScreenVertex& a, const ScreenVertex& b0, const ScreenVertex& c0,
                       const PixelRect& clip, F&& f) {
    using raster_detail::Edge;
    const float area0 = Edge(a, b0, c0.x, c0.y);
    if (!(area0 != 0.0f) || !std::isfinite(area0)) return; // degenerate or not a number
    const bool swap = area0 < 0.0f;
    const ScreenVertex& b = swap ? c0 : b0;
    const ScreenVertex& c = swap ? b0 : c0;
    const float area = swap ? -area0 : area0;

    const float minX = std::min({a.x, b.x, c.x}), maxX = std::max({a.x, b.x, c.x});
    const float minY = std::min({a.y, b.y, c.y}), maxY = std::max({a.y, b.y, c.y});
    const int x0 = std::max(clip.x0, static_cast<int>(std::floor(minX - 0.5f)));
    const int x1 = std::min(clip.x1, static_cast<int>(std::ceil(maxX + 0.5f)));
    const int y0 = std::max(clip.y0, static_cast<int>(std::floor(minY - 0.5f)));
    const int y1 = std::min(clip.y1, static_cast<int>(std::ceil(maxY + 0.5f)));
    if (x0 >= x1 || y0 >= y1) return;

    const bool tlA = raster_detail::TopLeft(b, c); // edge opposite a
    const bool tlB = raster_detail::TopLeft(c, a);
    const bool tlC = raster_detail::TopLeft(a, b);
    const float invArea = 1.0f / area;
    const float iwA = 1.0f / a.w, iwB = 1.0f / b.w, iwC = 1.0f / c.w;

    for (int y = y0; y < y1; ++y) {
        const float py = static_cast<float>(y) + 0.5f;
        for (int x = x0; x < x1; ++x) {
            const float px = static_cast<float>(x) + 0.5f;
            const float ea = Edge(b, c, px, py);
            const float eb = Edge(c, a, px, py);
            const float ec = Edge(a, b, px, py);
            if (ea < 0.0f || eb < 0.0f || ec < 0.0f) continue;
            if ((ea == 0.0f && !tlA) || (eb == 0.0f && !tlB) || (ec == 0.0f && !tlC)) continue;
            const float la = ea * invArea, lb = eb * invArea, lc = ec * invArea;
            const float z = la * a.z + lb * b.z + lc * c.z;
            float wa = la * iwA, wb = lb * iwB, wc = lc * iwC;
            const float sum = wa + wb + wc;
            wa /= sum;
            wb /= sum;
            wc /= sum;
            // Weights are reported in the caller's vertex order.
            if (swap)
                f(Fragment{x, y, z, wa, wc, wb});
            else
                f(Fragment{x, y, z, wa, wb, wc});
        }
    }
}

} // namespace contorra
