#include "host/app/raster_graphics_window.h"

#include <algorithm>
#include <cmath>

#include "host/app/relief_colours.h"
#include "host/app/text_label.h"

namespace contorra {
namespace {

// Depth 0..1 as the window reports it for faces.
DWORD DepthDistance(float z) {
    if (!(z > 0.0f)) return 0; // not a number too
    return static_cast<DWORD>(std::min(z, 1.0f) * 16777215.0f);
}

float SegmentDistance(float px, float py, const ScreenVertex& a, const ScreenVertex& b) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float len2 = dx * dx + dy * dy;
    float t = len2 > 0.0f ? ((px - a.x) * dx + (py - a.y) * dy) / len2 : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    const float ex = a.x + t * dx - px, ey = a.y + t * dy - py;
    return std::sqrt(ex * ex + ey * ey);
}

// Whether segments p-q and r-s cross (touching counts).
bool Cross(float px, float py, float qx, float qy, float rx, float ry, float sx, float sy) {
    auto side = [](float ax, float ay, float bx, float by, float cx, float cy) {
        return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
    };
    const float d1 = side(rx, ry, sx, sy, px, py), d2 = side(rx, ry, sx, sy, qx, qy);
    const float d3 = side(px, py, qx, qy, rx, ry), d4 = side(px, py, qx, qy, sx, sy);
    return ((d1 <= 0.0f && d2 >= 0.0f) || (d1 >= 0.0f && d2 <= 0.0f)) &&
           ((d3 <= 0.0f && d4 >= 0.0f) || (d3 >= 0.0f && d4 <= 0.0f));
}

} // namespace

RasterGraphicsWindow::RasterGraphicsWindow(RasterImage& image, const RasterCamera& camera)
    : image_(image), camera_(camera) {
    setTransform(Matrix3());
}

void RasterGraphicsWindow::setTransform(const Matrix3& m) {
    tm_ = m;
    objToCam_ = m * camera_.view;
}

void RasterGraphicsWindow::setColor(ColorType t, float r, float g, float b) {
    const AColor c(r, g, b, 1.0f);
    if (t == LINE_COLOR) line_ = c;
    if (t == FILL_COLOR) fill_ = c;
    if (t == TEXT_COLOR) text_ = c;
}

void RasterGraphicsWindow::setHitRegion(HitRegion* rgn) {
    if (rgn) region_ = *rgn;
    hitDistance_ = 0xFFFFFFFFu;
}

void RasterGraphicsWindow::Hit(DWORD distance) {
    hit_ = true;
    hitDistance_ = std::min(hitDistance_, distance);
}

bool RasterGraphicsWindow::Inside(float x, float y) const {
    switch (region_.type) {
    case RECT_RGN:
        return x >= region_.rect.left && x <= region_.rect.right + 1 && y >= region_.rect.top &&
               y <= region_.rect.bottom + 1;
    case CIRCLE_RGN: {
        const float dx = x - (region_.centre.x + 0.5f), dy = y - (region_.centre.y + 0.5f);
        return dx * dx + dy * dy <= static_cast<float>(region_.radius) * region_.radius;
    }
    case FENCE_RGN: {
        bool in = false;
        const auto& f = region_.fence;
        for (std::size_t i = 0, j = f.size() - 1; i < f.size(); j = i++) {
            const float ax = f[i].x + 0.5f, ay = f[i].y + 0.5f, bx = f[j].x + 0.5f,
                        by = f[j].y + 0.5f;
            if ((ay <= y && y < by) || (by <= y && y < ay))
                if (x < (bx - ax) * (y - ay) / (by - ay) + ax) in = !in;
        }
        return in;
    }
    default: {
        const float e = static_cast<float>(region_.epsilon);
        return std::fabs(x - (region_.pt.x + 0.5f)) <= e && std::fabs(y - (region_.pt.y + 0.5f)) <= e;
    }
    }
}

void RasterGraphicsWindow::PickSegment(const ScreenVertex& a, const ScreenVertex& b) {
    const DWORD near = DepthDistance(std::min(a.z, b.z));
    if (region_.type == POINT_RGN) {
        const float px = region_.pt.x + 0.5f, py = region_.pt.y + 0.5f;
        if (SegmentDistance(px, py, a, b) > static_cast<float>(region_.epsilon)) return;
        // The depth where the segment passes closest to the pixel.
        const float dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
        const float t =
            len2 > 0.0f ? std::clamp(((px - a.x) * dx + (py - a.y) * dy) / len2, 0.0f, 1.0f) : 0.0f;
        Hit(DepthDistance(a.z + t * (b.z - a.z)));
        return;
    }
    const bool ia = Inside(a.x, a.y), ib = Inside(b.x, b.y);
    if (!region_.crossing) {
        if (ia && ib) Hit(near);
        return;
    }
    if (ia || ib) {
        Hit(near);
        return;
    }
    // Crossing the region's outline.
    std::vector<std::pair<float, float>> outline;
    if (region_.type == RECT_RGN) {
        const float l = region_.rect.left, t = region_.rect.top, r = region_.rect.right + 1.0f,
                    bt = region_.rect.bottom + 1.0f;
        outline = {{l, t}, {r, t}, {r, bt}, {l, bt}};
    } else if (region_.type == FENCE_RGN) {
        for (const IPoint2& p : region_.fence) outline.push_back({p.x + 0.5f, p.y + 0.5f});
    } else if (region_.type == CIRCLE_RGN) {
        if (SegmentDistance(region_.centre.x + 0.5f, region_.centre.y + 0.5f, a, b) <=
            static_cast<float>(region_.radius))
            Hit(near);
        return;
    }
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const auto& p = outline[i];
        const auto& q = outline[(i + 1) % outline.size()];
        if (Cross(a.x, a.y, b.x, b.y, p.first, p.second, q.first, q.second)) {
            Hit(near);
            return;
        }
    }
}

void RasterGraphicsWindow::PickTriangle(const ScreenVertex v[3]) {
    if (region_.type == POINT_RGN) {
        const PixelRect px{region_.pt.x, region_.pt.y, region_.pt.x + 1, region_.pt.y + 1};
        RasterizeTriangle(v[0], v[1], v[2], px, [this](const Fragment& f) { Hit(DepthDistance(f.z)); });
        return;
    }
    const float z = std::min({v[0].z, v[1].z, v[2].z});
    const bool all = Inside(v[0].x, v[0].y) && Inside(v[1].x, v[1].y) && Inside(v[2].x, v[2].y);
    if (!region_.crossing) {
        if (all) Hit(DepthDistance(z));
        return;
    }
    const bool before = hit_;
    hit_ = false;
    for (int k = 0; k < 3 && !hit_; ++k) PickSegment(v[k], v[(k + 1) % 3]);
    if (!hit_) {
        // The region wholly inside the triangle.
        float cx = region_.pt.x + 0.5f, cy = region_.pt.y + 0.5f;
        if (region_.type == RECT_RGN) {
            cx = 0.5f * (region_.rect.left + region_.rect.right + 1);
            cy = 0.5f * (region_.rect.top + region_.rect.bottom + 1);
        } else if (region_.type == CIRCLE_RGN) {
            cx = region_.centre.x + 0.5f;
            cy = region_.centre.y + 0.5f;
        } else if (region_.type == FENCE_RGN && !region_.fence.empty()) {
            cx = region_.fence[0].x + 0.5f;
            cy = region_.fence[0].y + 0.5f;
        }
        const PixelRect px{static_cast<int>(cx), static_cast<int>(cy), static_cast<int>(cx) + 1,
                           static_cast<int>(cy) + 1};
        RasterizeTriangle(v[0], v[1], v[2], px, [this](const Fragment&) { hit_ = true; });
    }
    if (hit_) {
        hit_ = before;
        Hit(DepthDistance(z));
    } else {
        hit_ = before;
    }
}

void RasterGraphicsWindow::Line(const Point3& a, const Point3& b, const AColor& ca,
                                const AColor& cb) {
    Point3 pa = a * objToCam_, pb = b * objToCam_;
    const float nearZ = -camera_.nearDist;
    if (camera_.perspective) {
        const bool aIn = pa.z <= nearZ, bIn = pb.z <= nearZ;
        if (!aIn && !bIn) return;
        if (aIn != bIn) {
            const float t = (nearZ - pa.z) / (pb.z - pa.z);
            const Point3 cut = pa + (pb - pa) * t;
            (aIn ? pb : pa) = cut;
        }
    }
    const ScreenVertex sa = camera_.ProjectCamera(pa), sb = camera_.ProjectCamera(pb);
    if (Picking()) {
        PickSegment(sa, sb);
        return;
    }
    DrawLine(image_, sa, sb, ca, cb, image_.Bounds(), lineBias);
}

void RasterGraphicsWindow::segment(Point3* xyz, int vis) {
    if (vis) Line(xyz[0], xyz[1], line_, line_);
}

void RasterGraphicsWindow::polyline(int ct, Point3* xyz, Point3* rgb, int closed, int* edgeFlags) {
    auto colour = [&](int i) {
        return rgb ? AColor(rgb[i].x, rgb[i].y, rgb[i].z, 1.0f) : line_;
    };
    const int n = closed ? ct : ct - 1;
    for (int i = 0; i < n; ++i) {
        if (edgeFlags && !edgeFlags[i]) continue;
        const int j = (i + 1) % ct;
        Line(xyz[i], xyz[j], colour(i), colour(j));
    }
}

void RasterGraphicsWindow::triangle(Point3* xyz, Point3* normals) {
    Point3 cam[3];
    bool front = true;
    for (int k = 0; k < 3; ++k) {
        cam[k] = xyz[k] * objToCam_;
        if (camera_.perspective && !(cam[k].z <= -camera_.nearDist)) front = false;
    }
    if (Picking()) {
        if (!front) return;
        ScreenVertex v[3];
        for (int k = 0; k < 3; ++k) v[k] = camera_.ProjectCamera(cam[k]);
        PickTriangle(v);
        return;
    }
    if (limits_ & GW_WIREFRAME) return;
    AColor colours[3];
    const Point3 faceNormal = CrossProd(xyz[1] - xyz[0], xyz[2] - xyz[0]);
    for (int k = 0; k < 3; ++k) colours[k] = Lit(xyz[k] * tm_, normals ? normals[k] : faceNormal);
    if (front) {
        ScreenVertex v[3];
        for (int k = 0; k < 3; ++k) v[k] = camera_.ProjectCamera(cam[k]);
        DrawTriangle(image_, v, colours, image_.Bounds());
    } else {
        Point3 world[3];
        for (int k = 0; k < 3; ++k) world[k] = xyz[k] * tm_;
        DrawWorldTriangle(image_, camera_, world, colours, image_.Bounds());
    }
}

AColor RasterGraphicsWindow::Lit(const Point3& world, const Point3& objectNormal) const {
    Color base = material_.Kd;
    if (relief_) {
        const float span = relief_->second - relief_->first;
        base = ElevationTint(span > 0.0f ? (world.z - relief_->first) / span : 0.5f);
    }
    const float shade = (limits_ & GW_ILLUM) ? HillShade(VectorTransform(tm_, objectNormal)) : 1.0f;
    return AColor(base * shade, 1.0f);
}

void RasterGraphicsWindow::Project(const Point3* xyz, int numPts) {
    const std::size_t n = static_cast<std::size_t>(std::max(numPts, 0));
    cam_.resize(n);
    screen_.resize(n);
    front_.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        cam_[i] = xyz[i] * objToCam_;
        front_[i] = !camera_.perspective || cam_[i].z <= -camera_.nearDist;
        if (front_[i]) screen_[i] = camera_.ProjectCamera(cam_[i]);
    }
}

bool RasterGraphicsWindow::MayHit(float x0, float y0, float x1, float y1) const {
    float l, t, r, b;
    switch (region_.type) {
    case RECT_RGN:
        l = region_.rect.left, t = region_.rect.top, r = region_.rect.right + 1.0f,
        b = region_.rect.bottom + 1.0f;
        break;
    case CIRCLE_RGN:
        l = region_.centre.x - static_cast<float>(region_.radius) - 1.0f;
        r = region_.centre.x + static_cast<float>(region_.radius) + 2.0f;
        t = region_.centre.y - static_cast<float>(region_.radius) - 1.0f;
        b = region_.centre.y + static_cast<float>(region_.radius) + 2.0f;
        break;
    case FENCE_RGN:
        return true;
    default:
        l = region_.pt.x - static_cast<float>(region_.epsilon) - 1.0f;
        r = region_.pt.x + static_cast<float>(region_.epsilon) + 2.0f;
        t = region_.pt.y - static_cast<float>(region_.epsilon) - 1.0f;
        b = region_.pt.y + static_cast<float>(region_.epsilon) + 2.0f;
    }
    // A window region needs the whole primitive inside; one outside the
    // region's box cannot be inside it either.
    return x1 >= l && x0 <= r && y1 >= t && y0 <= b;
}

void RasterGraphicsWindow::indexedSegments(const Point3* xyz, int numPts, const DWORD* ends,
                                           int count) {
    Project(xyz, numPts);
    const bool pick = Picking();
    for (int i = 0; i < count; ++i) {
        const DWORD a = ends[2 * i], b = ends[2 * i + 1];
        if (!front_[a] || !front_[b]) {
            Line(xyz[a], xyz[b], line_, line_); // crosses the near plane: clipped there
            continue;
        }
        const ScreenVertex& sa = screen_[a];
        const ScreenVertex& sb = screen_[b];
        if (pick) {
            if (MayHit(std::min(sa.x, sb.x), std::min(sa.y, sb.y), std::max(sa.x, sb.x),
                       std::max(sa.y, sb.y)))
                PickSegment(sa, sb);
            continue;
        }
        DrawLine(image_, sa, sb, line_, line_, image_.Bounds(), lineBias);
    }
}

void RasterGraphicsWindow::indexedTriangles(const Point3* xyz, int numPts, const DWORD* corners,
                                            const Point3* normals, int count) {
    const bool pick = Picking();
    if (!pick && (limits_ & GW_WIREFRAME)) return;
    Project(xyz, numPts);
    for (int i = 0; i < count; ++i) {
        const DWORD* c = corners + 3 * i;
        if (!front_[c[0]] || !front_[c[1]] || !front_[c[2]]) {
            if (pick) continue;
            Point3 p[3] = {xyz[c[0]], xyz[c[1]], xyz[c[2]]};
            Point3 n[3];
            if (normals) std::copy(normals + 3 * i, normals + 3 * i + 3, n);
            triangle(p, normals ? n : nullptr);
            continue;
        }
        const ScreenVertex v[3] = {screen_[c[0]], screen_[c[1]], screen_[c[2]]};
        if (pick) {
            if (MayHit(std::min({v[0].x, v[1].x, v[2].x}), std::min({v[0].y, v[1].y, v[2].y}),
                       std::max({v[0].x, v[1].x, v[2].x}), std::max({v[0].y, v[1].y, v[2].y})))
                PickTriangle(v);
            continue;
        }
        AColor colours[3];
        const Point3 faceNormal = normals ? Point3() : CrossProd(xyz[c[1]] - xyz[c[0]], xyz[c[2]] - xyz[c[0]]);
        for (int k = 0; k < 3; ++k)
            colours[k] = Lit(xyz[c[k]] * tm_, normals ? normals[3 * i + k] : faceNormal);
        DrawTriangle(image_, v, colours, image_.Bounds());
    }
}

void RasterGraphicsWindow::text(Point3* xyz, const MCHAR* s) {
    const Point3 cam = xyz[0] * objToCam_;
    if (camera_.perspective && !(cam.z <= -camera_.nearDist)) return;
    const ScreenVertex v = camera_.ProjectCamera(cam);
    if (Picking()) {
        if (Inside(v.x, v.y)) Hit(DepthDistance(v.z));
        return;
    }
    if (!(std::fabs(v.x) < 1e6f && std::fabs(v.y) < 1e6f)) return;
    DrawTextLabel(image_, static_cast<int>(v.x), static_cast<int>(v.y), s, ToRgba8(text_));
}

void RasterGraphicsWindow::marker(Point3* xyz, MarkerType type) {
    const Point3 cam = xyz[0] * objToCam_;
    if (camera_.perspective && !(cam.z <= -camera_.nearDist)) return;
    const ScreenVertex v = camera_.ProjectCamera(cam);
    if (Picking()) {
        const float d = SegmentDistance(region_.pt.x + 0.5f, region_.pt.y + 0.5f, v, v);
        if (region_.type == POINT_RGN ? d <= region_.epsilon : Inside(v.x, v.y))
            Hit(DepthDistance(v.z));
        return;
    }
    const float r = type == POINT_MRKR ? 1.0f : 3.0f;
    auto seg = [&](float x0, float y0, float x1, float y1) {
        ScreenVertex a{v.x + x0, v.y + y0, v.z, 1.0f}, b{v.x + x1, v.y + y1, v.z, 1.0f};
        DrawLine(image_, a, b, line_, line_, image_.Bounds(), lineBias);
    };
    if (type == X_MRKR || type == ASTERISK_MRKR) {
        seg(-r, -r, r, r);
        seg(-r, r, r, -r);
    }
    if (type != X_MRKR) {
        seg(-r, 0.0f, r, 0.0f);
        seg(0.0f, -r, 0.0f, r);
    }
    if (type == HOLLOW_BOX_MRKR || type == CIRCLE_MRKR) {
        seg(-r, -r, r, -r);
        seg(r, -r, r, r);
        seg(r, r, -r, r);
        seg(-r, r, -r, -r);
    }
}

} // namespace contorra
