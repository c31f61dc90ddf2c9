#include "host/app/software_raster.h"

#include <array>

namespace contorra {

namespace {

std::uint8_t ToByte(float v) {
    if (!(v > 0.0f)) return 0; // also not-a-number
    if (v >= 1.0f) return 255;
    return static_cast<std::uint8_t>(std::lround(v * 255.0f));
}

AColor Mix(const AColor& a, const AColor& b, float t) {
    return a * (1.0f - t) + b * t;
}

// Liang-Barsky: trims [t0, t1] of p + t d to the range lo <= coordinate <= hi.
bool ClipRange(float p, float d, float lo, float hi, float& t0, float& t1) {
    if (d == 0.0f) return p >= lo && p <= hi;
    float a = (lo - p) / d, b = (hi - p) / d;
    if (a > b) std::swap(a, b);
    t0 = std::max(t0, a);
    t1 = std::min(t1, b);
    return t0 <= t1;
}

struct ClipVertex {
    Point3 cam;
    AColor colour;
};

} // namespace

Rgba8 ToRgba8(const AColor& c) {
    return {ToByte(c.r), ToByte(c.g), ToByte(c.b), ToByte(c.a)};
}

std::vector<PixelRect> MakeTiles(int width, int height, int tileSize) {
    std::vector<PixelRect> tiles;
    if (tileSize <= 0) return tiles;
    for (int y = 0; y < height; y += tileSize)
        for (int x = 0; x < width; x += tileSize)
            tiles.push_back({x, y, std::min(x + tileSize, width), std::min(y + tileSize, height)});
    return tiles;
}

RasterImage::RasterImage(int width, int height, Rgba8 background)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), background),
      depth_(pixels_.size(), kFarDepth) {}

void RasterImage::Clear(Rgba8 colour) {
    Clear(colour, Bounds());
}

void RasterImage::Clear(Rgba8 colour, const PixelRect& area) {
    const PixelRect r = area.Intersect(Bounds());
    for (int y = r.y0; y < r.y1; ++y)
        for (int x = r.x0; x < r.x1; ++x) {
            pixels_[Index(x, y)] = colour;
            depth_[Index(x, y)] = kFarDepth;
        }
}

void RasterImage::Blit(const RasterImage& tile, int x, int y) {
    const PixelRect r = PixelRect{x, y, x + tile.Width(), y + tile.Height()}.Intersect(Bounds());
    for (int j = r.y0; j < r.y1; ++j)
        for (int i = r.x0; i < r.x1; ++i) {
            pixels_[Index(i, j)] = tile.Pixel(i - x, j - y);
            depth_[Index(i, j)] = tile.Depth(i - x, j - y);
        }
}

void DrawTriangle(RasterImage& image, const ScreenVertex v[3], const AColor colours[3],
                  const PixelRect& clip) {
    const PixelRect r = clip.Intersect(image.Bounds());
    RasterizeTriangle(v[0], v[1], v[2], r, [&](const Fragment& f) {
        if (!(f.z < image.Depth(f.x, f.y))) return;
        const AColor c = colours[0] * f.b0 + colours[1] * f.b1 + colours[2] * f.b2;
        image.Plot(f.x, f.y, f.z, ToRgba8(c));
    });
}

void DrawLine(RasterImage& image, const ScreenVertex& a, const ScreenVertex& b, const AColor& ca,
              const AColor& cb, const PixelRect& clip, float depthBias) {
    const PixelRect r = clip.Intersect(image.Bounds());
    if (r.Empty()) return;
    const float dx = b.x - a.x, dy = b.y - a.y;
    if (!std::isfinite(dx) || !std::isfinite(dy)) return;
    // Trim to the clip rectangle (one pixel of slack) so that a long line
    // costs only the pixels it can touch.
    float t0 = 0.0f, t1 = 1.0f;
    if (!ClipRange(a.x, dx, static_cast<float>(r.x0) - 1.0f, static_cast<float>(r.x1) + 1.0f, t0,
                   t1) ||
        !ClipRange(a.y, dy, static_cast<float>(r.y0) - 1.0f, static_cast<float>(r.y1) + 1.0f, t0,
                   t1))
        return;

    // One colour along the line is converted once.
    const bool plain = ca == cb;
    const Rgba8 plainColour = ToRgba8(ca);
    auto plot = [&](int x, int y, float t) {
        if (x < r.x0 || x >= r.x1 || y < r.y0 || y >= r.y1) return;
        t = std::clamp(t, 0.0f, 1.0f);
        const float z = a.z + (b.z - a.z) * t;
        image.Plot(x, y, z, plain ? plainColour : ToRgba8(Mix(ca, cb, t)), depthBias);
    };

    // One pixel per column (or row) along the major axis, sampled at pixel centres.
    const bool alongX = std::fabs(dx) >= std::fabs(dy);
    const float p0 = alongX ? a.x + dx * t0 : a.y + dy * t0;
    const float p1 = alongX ? a.x + dx * t1 : a.y + dy * t1;
    const float d = alongX ? dx : dy;
    if (d == 0.0f) { // a single point
        plot(static_cast<int>(std::floor(a.x)), static_cast<int>(std::floor(a.y)), 0.0f);
        return;
    }
    const int i0 = static_cast<int>(std::floor(std::min(p0, p1)));
    const int i1 = static_cast<int>(std::floor(std::max(p0, p1)));
    for (int i = i0; i <= i1; ++i) {
        const float centre = static_cast<float>(i) + 0.5f;
        const float t = std::clamp(((alongX ? centre - a.x : centre - a.y) / d), t0, t1);
        const float other = alongX ? a.y + dy * t : a.x + dx * t;
        const int o = static_cast<int>(std::floor(other));
        if (alongX)
            plot(i, o, t);
        else
            plot(o, i, t);
    }
}

RasterCamera RasterCamera::LookAt(const Point3& eye, const Point3& target, const Point3& up,
                                  int width, int height, bool perspective) {
    RasterCamera cam;
    const Point3 z = Normalize(eye - target);
    Point3 x = Normalize(CrossProd(up, z));
    if (x.LengthSquared() == 0.0f) x = Normalize(CrossProd(Point3(0.0f, 1.0f, 0.0f), z));
    if (x.LengthSquared() == 0.0f) x = Point3(1.0f, 0.0f, 0.0f);
    const Point3 y = CrossProd(z, x);
    cam.view = Inverse(Matrix3(x, y, z, eye));
    cam.perspective = perspective;
    cam.width = std::max(width, 1);
    cam.height = std::max(height, 1);
    const float dist = Length(eye - target);
    cam.orthoHeight = dist > 0.0f ? dist : 1.0f;
    cam.nearDist = perspective ? std::max(dist * 1e-3f, 1e-4f) : -dist * 1e3f;
    cam.farDist = std::max(dist * 1e3f, 1.0f);
    return cam;
}

RasterCamera RasterCamera::TopView(const Box3& box0, int width, int height, float margin) {
    Box3 box = box0;
    if (box.IsEmpty()) box = Box3(Point3(-1.0f, -1.0f, 0.0f), Point3(1.0f, 1.0f, 0.0f));
    RasterCamera cam;
    cam.width = std::max(width, 1);
    cam.height = std::max(height, 1);
    const Point3 size = box.Width();
    const float aspect = static_cast<float>(cam.width) / static_cast<float>(cam.height);
    float h = std::max(size.y, size.x / aspect);
    if (!(h > 0.0f)) h = 1.0f;
    cam.orthoHeight = h * (1.0f + 2.0f * margin);
    const float zr = std::max({size.z, size.x, size.y, 1e-3f});
    const Point3 c = box.Center();
    cam.view = TransMatrix(-Point3(c.x, c.y, box.pmax.z + zr));
    cam.perspective = false;
    cam.nearDist = 0.5f * zr;
    cam.farDist = 2.5f * zr + size.z;
    return cam;
}

ScreenVertex RasterCamera::ProjectCamera(const Point3& p) const {
    const float d = -p.z;
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    float nx, ny;
    ScreenVertex v;
    if (perspective) {
        const float f = 1.0f / std::tan(0.5f * fovY);
        nx = p.x * f / (aspect * d);
        ny = p.y * f / d;
        v.z = (1.0f / nearDist - 1.0f / d) / (1.0f / nearDist - 1.0f / farDist);
        v.w = d;
    } else {
        const float half = 0.5f * orthoHeight;
        nx = p.x / (half * aspect);
        ny = p.y / half;
        v.z = (d - nearDist) / (farDist - nearDist);
        v.w = 1.0f;
    }
    v.x = (nx + 1.0f) * 0.5f * static_cast<float>(width);
    v.y = (1.0f - ny) * 0.5f * static_cast<float>(height);
    return v;
}

void DrawWorldTriangle(RasterImage& image, const RasterCamera& camera, const Point3 p[3],
                       const AColor colours[3], const PixelRect& clip) {
    // Sutherland-Hodgman against the near plane: at most four corners remain.
    std::array<ClipVertex, 3> in;
    for (int i = 0; i < 3; ++i) in[i] = {camera.ToCamera(p[i]), colours[i]};
    std::array<ClipVertex, 4> out;
    int n = 0;
    const float nearZ = -camera.nearDist;
    for (int i = 0; i < 3; ++i) {
        const ClipVertex& s = in[i];
        const ClipVertex& e = in[(i + 1) % 3];
        const bool sIn = s.cam.z <= nearZ, eIn = e.cam.z <= nearZ;
        if (sIn) out[n++] = s;
        if (sIn != eIn) {
            const float t = (nearZ - s.cam.z) / (e.cam.z - s.cam.z);
            out[n++] = {s.cam + (e.cam - s.cam) * t, Mix(s.colour, e.colour, t)};
        }
    }
    if (n < 3) return;
    ScreenVertex sv[4];
    for (int i = 0; i < n; ++i) sv[i] = camera.ProjectCamera(out[i].cam);
    for (int i = 1; i + 1 < n; ++i) {
        const ScreenVertex v[3] = {sv[0], sv[i], sv[i + 1]};
        const AColor c[3] = {out[0].colour, out[i].colour, out[i + 1].colour};
        DrawTriangle(image, v, c, clip);
    }
}

void DrawWorldLine(RasterImage& image, const RasterCamera& camera, const Point3& a, const Point3& b,
                   const AColor& colour, const PixelRect& clip, float depthBias) {
    Point3 ca = camera.ToCamera(a), cb = camera.ToCamera(b);
    const float nearZ = -camera.nearDist;
    const bool aIn = ca.z <= nearZ, bIn = cb.z <= nearZ;
    if (!aIn && !bIn) return;
    if (aIn != bIn) {
        const float t = (nearZ - ca.z) / (cb.z - ca.z);
        const Point3 cut = ca + (cb - ca) * t;
        (aIn ? cb : ca) = cut;
    }
    DrawLine(image, camera.ProjectCamera(ca), camera.ProjectCamera(cb), colour, colour, clip,
             depthBias);
}

} // namespace contorra
