#include "host/app/viewport.h"

#include <algorithm>
#include <cmath>

#include "host/app/text_label.h"
#include "host/sdk/inode.h"
#include "host/sdk/mesh.h"
#include "host/sdk/ui_colors.h"

namespace contorra {
namespace {

constexpr float kFovY = 0.8f;

struct ViewAxes {
    Point3 back; // from the target towards the eye
    Point3 up;
};

ViewAxes AxesOf(ViewKind kind) {
    switch (kind) {
    case ViewKind::Top:
        return {Point3(0.0f, 0.0f, 1.0f), Point3(0.0f, 1.0f, 0.0f)};
    case ViewKind::Front:
        return {Point3(0.0f, -1.0f, 0.0f), Point3(0.0f, 0.0f, 1.0f)};
    case ViewKind::Left:
        return {Point3(-1.0f, 0.0f, 0.0f), Point3(0.0f, 0.0f, 1.0f)};
    case ViewKind::Perspective:
        break;
    }
    return {Normalize(Point3(1.0f, -1.0f, 0.8f)), Point3(0.0f, 0.0f, 1.0f)};
}

// World box of the node's render mesh; empty when it has none.
Box3 RenderMeshBox(INode* node, TimeValue t) {
    auto* geom = dynamic_cast<GeomObject*>(node->EvalWorldState(t).obj);
    if (!geom) return {};
    View view;
    BOOL needDelete = FALSE;
    Mesh* mesh = geom->GetRenderMesh(t, node, view, needDelete);
    if (!mesh) return {};
    Matrix3 tm = node->GetObjectTM(t);
    const Box3 box = mesh->getNumVerts() > 0 ? mesh->getBoundingBox(&tm) : Box3();
    if (needDelete) delete mesh;
    return box;
}

Rgba8 ToPixel(const Point3& c) {
    return ToRgba8(AColor(c.x, c.y, c.z, 1.0f));
}

} // namespace

const char* ViewName(ViewKind kind) {
    switch (kind) {
    case ViewKind::Top:
        return "Top";
    case ViewKind::Front:
        return "Front";
    case ViewKind::Left:
        return "Left";
    case ViewKind::Perspective:
        break;
    }
    return "Perspective";
}

Box3 NodeWorldBox(INode* node, TimeValue t, ViewExp* vpt) {
    Box3 box;
    if (!node) return box;
    Object* obj = node->EvalWorldState(t).obj;
    if (!obj) return box;
    obj->GetWorldBoundBox(t, node, vpt, box);
    if (box.IsEmpty()) {
        Box3 local;
        obj->GetLocalBoundBox(t, node, vpt, local);
        if (!local.IsEmpty()) box = local * node->GetObjectTM(t);
    }
    return box;
}

Viewport::Viewport(ViewKind kind, const ViewOptions& options)
    : kind_(kind), options_(options),
      image_(std::max(options.width, 1), std::max(options.height, 1),
             ToPixel(GetUIColor(COLOR_VP_INACTIVE))) {
    ZoomExtents(Box3());
}

Viewport::~Viewport() = default;

void Viewport::SetCamera(const RasterCamera& camera) {
    camera_ = camera;
    gw_ = std::make_unique<RasterGraphicsWindow>(image_, camera_);
    gw_->setRndLimits(BaseLimits());
}

DWORD Viewport::BaseLimits() const {
    return options_.shaded ? (GW_Z_BUFFER | GW_ILLUM) : (GW_Z_BUFFER | GW_WIREFRAME);
}

void Viewport::ZoomExtents(const std::vector<INode*>& nodes) {
    Box3 box;
    for (INode* n : nodes)
        if (n && !n->IsHidden()) box += NodeWorldBox(n, options_.time, this);
    ZoomExtents(box);
}

void Viewport::ZoomExtents(const Box3& worldBox) {
    Box3 box = worldBox;
    if (box.IsEmpty()) box = Box3(Point3(-50.0f, -50.0f, 0.0f), Point3(50.0f, 50.0f, 0.0f));
    sceneBox_ = box;
    const Point3 centre = box.Center();
    const ViewAxes axes = AxesOf(kind_);
    const Point3 right = Normalize(CrossProd(axes.up, axes.back));
    const Point3 up = CrossProd(axes.back, right);
    const int w = image_.Width(), h = image_.Height();
    const float aspect = static_cast<float>(w) / static_cast<float>(h);
    float reach = 1e-3f;
    for (int i = 0; i < 8; ++i) reach = std::max(reach, Length(box[i] - centre));

    RasterCamera cam;
    if (kind_ == ViewKind::Perspective) {
        const float tanY = std::tan(kFovY / 2.0f), tanX = tanY * aspect;
        float dist = 1e-3f;
        for (int i = 0; i < 8; ++i) {
            const Point3 c = box[i] - centre;
            const float along = DotProd(c, axes.back);
            dist = std::max({dist, along + std::fabs(DotProd(c, right)) / tanX,
                             along + std::fabs(DotProd(c, up)) / tanY});
        }
        dist *= 1.08f;
        cam = RasterCamera::LookAt(centre + axes.back * dist, centre, axes.up, w, h, true);
        cam.fovY = kFovY;
        cam.nearDist = std::max(dist - 1.5f * reach, dist * 1e-3f);
        cam.farDist = dist + 3.0f * reach;
    } else {
        float halfX = 1e-3f, halfY = 1e-3f;
        for (int i = 0; i < 8; ++i) {
            const Point3 c = box[i] - centre;
            halfX = std::max(halfX, std::fabs(DotProd(c, right)));
            halfY = std::max(halfY, std::fabs(DotProd(c, up)));
        }
        const float dist = 2.0f * reach + 1.0f;
        cam = RasterCamera::LookAt(centre + axes.back * dist, centre, axes.up, w, h, false);
        cam.orthoHeight = 2.0f * std::max(halfY, halfX / aspect) * 1.1f;
        cam.nearDist = dist - 1.5f * reach - 1.0f;
        cam.farDist = dist + 1.5f * reach + 1.0f;
    }
    // Grid lines about a tenth of the view apart, at a power of ten.
    const float across = kind_ == ViewKind::Perspective
                             ? std::max(box.Width().x, box.Width().y)
                             : cam.orthoHeight * std::max(aspect, 1.0f);
    gridSpacing_ = std::pow(10.0f, std::floor(std::log10(std::max(across, 1e-3f) / 8.0f)));
    SetCamera(cam);
}

void Viewport::DrawGrid() {
    // The grid's plane: z = 0, or the one facing an orthographic side view.
    int ua = 0, va = 1; // world axes spanning the plane
    if (kind_ == ViewKind::Front) va = 2;
    if (kind_ == ViewKind::Left) ua = 1, va = 2;
    const Point3 c = sceneBox_.Center();
    float halfU, halfV;
    if (kind_ == ViewKind::Perspective) {
        halfU = 0.6f * std::max(sceneBox_.Width().x, sceneBox_.Width().y);
        halfV = halfU;
    } else {
        const float aspect = static_cast<float>(camera_.width) / static_cast<float>(camera_.height);
        halfV = 0.5f * camera_.orthoHeight;
        halfU = halfV * aspect;
    }
    const float s = gridSpacing_;
    const float cu = c[ua], cv = c[va];
    const long u0 = static_cast<long>(std::floor((cu - halfU) / s));
    const long u1 = static_cast<long>(std::ceil((cu + halfU) / s));
    const long v0 = static_cast<long>(std::floor((cv - halfV) / s));
    const long v1 = static_cast<long>(std::ceil((cv + halfV) / s));
    if (u1 - u0 > 400 || v1 - v0 > 400) return;
    GraphicsWindow* gw = gw_.get();
    gw->setTransform(Matrix3());
    auto at = [&](float u, float v) {
        Point3 p(0.0f, 0.0f, 0.0f);
        p[ua] = u;
        p[va] = v;
        return p;
    };
    auto colourOf = [&](long i) {
        return i == 0 ? GetUIColor(COLOR_WORLD_AXES)
                      : GetUIColor(i % 10 == 0 ? COLOR_GRID_INTENS : COLOR_GRID);
    };
    for (long i = u0; i <= u1; ++i) {
        gw->setColor(LINE_COLOR, colourOf(i));
        Point3 seg[2] = {at(i * s, v0 * s), at(i * s, v1 * s)};
        gw->segment(seg, 1);
    }
    for (long j = v0; j <= v1; ++j) {
        gw->setColor(LINE_COLOR, colourOf(j));
        Point3 seg[2] = {at(u0 * s, j * s), at(u1 * s, j * s)};
        gw->segment(seg, 1);
    }
    // The grid lies under everything drawn after it.
    for (int y = 0; y < image_.Height(); ++y)
        for (int x = 0; x < image_.Width(); ++x) image_.SetDepth(x, y, RasterImage::kFarDepth);
}

void Viewport::DrawBrackets(const Box3& box) {
    if (box.IsEmpty()) return;
    GraphicsWindow* gw = gw_.get();
    gw->setTransform(Matrix3());
    gw->setColor(LINE_COLOR, GetUIColor(COLOR_SELECTION));
    const Point3 reach = box.Width() * 0.2f;
    for (int i = 0; i < 8; ++i) {
        const Point3 corner = box[i];
        for (int axis = 0; axis < 3; ++axis) {
            Point3 along = corner;
            along[axis] += (i >> axis & 1) ? -reach[axis] : reach[axis];
            Point3 seg[2] = {corner, along};
            gw->segment(seg, 1);
        }
    }
}

const RasterImage& Viewport::Draw(const std::vector<INode*>& nodes) {
    image_.Clear(ToPixel(GetUIColor(COLOR_VP_INACTIVE)));
    gw_->setRndLimits(BaseLimits());
    if (options_.grid) DrawGrid();
    if (options_.shaded) {
        // The tint spans the faces' heights, not the lines' (placeholders, outlines).
        Box3 z;
        for (INode* n : nodes)
            if (n && !n->IsHidden()) z += RenderMeshBox(n, options_.time);
        if (!z.IsEmpty()) gw_->SetRelief(z.pmin.z, z.pmax.z);
    }
    const TimeValue t = options_.time;
    for (INode* node : nodes) {
        if (!node || node->IsHidden()) continue;
        Object* obj = node->EvalWorldState(t).obj;
        if (!obj) continue;
        DWORD limits = BaseLimits();
        if (options_.shaded && options_.edgedFaces) limits |= GW_POLY_EDGES;
        gw_->setRndLimits(limits);
        obj->Display(t, node, this, 0);
        if (options_.shaded && node->Selected()) DrawBrackets(NodeWorldBox(node, t, this));
    }
    gw_->setRndLimits(BaseLimits());
    return image_;
}

std::vector<INode*> Viewport::Pick(const std::vector<INode*>& nodes, IPoint2 at) {
    hits_.clear();
    const TimeValue t = options_.time;
    for (INode* node : nodes) {
        if (!node || node->IsHidden()) continue;
        Object* obj = node->EvalWorldState(t).obj;
        if (!obj) continue;
        gw_->setRndLimits(BaseLimits());
        gw_->setHitRegion(nullptr);
        const std::size_t before = hits_.size();
        IPoint2 p = at;
        if (obj->HitTest(t, node, HITTYPE_POINT, FALSE, 0, &p, this) && hits_.size() == before)
            LogHit(node, nullptr, gw_->getHitDistance(), 0, nullptr);
    }
    gw_->setRndLimits(BaseLimits());
    std::stable_sort(hits_.begin(), hits_.end(), [](const HitRecord& a, const HitRecord& b) {
        return a.distance < b.distance;
    });
    std::vector<INode*> out;
    for (const HitRecord& h : hits_)
        if (std::find(out.begin(), out.end(), h.nodeRef) == out.end()) out.push_back(h.nodeRef);
    return out;
}

Point3 Viewport::SnapPoint(IPoint2& in, IPoint2& out, Matrix3*, DWORD) {
    // The ray through the pixel's centre, in camera space, then in world space.
    const float w = static_cast<float>(camera_.width), h = static_cast<float>(camera_.height);
    const float nx = (in.x + 0.5f) / w * 2.0f - 1.0f, ny = 1.0f - (in.y + 0.5f) / h * 2.0f;
    const float aspect = w / h;
    Point3 origin, dir;
    if (camera_.perspective) {
        const float tanY = std::tan(0.5f * camera_.fovY);
        origin = Point3(0.0f, 0.0f, 0.0f);
        dir = Point3(nx * tanY * aspect, ny * tanY, -1.0f);
    } else {
        const float half = 0.5f * camera_.orthoHeight;
        origin = Point3(nx * half * aspect, ny * half, 0.0f);
        dir = Point3(0.0f, 0.0f, -1.0f);
    }
    const Matrix3 camToWorld = Inverse(camera_.view);
    const Point3 o = origin * camToWorld;
    const Point3 d = VectorTransform(camToWorld, dir);
    // The construction plane: z = 0 but in the front (y = 0) and left (x = 0) views.
    int axis = 2;
    if (kind_ == ViewKind::Front) axis = 1;
    if (kind_ == ViewKind::Left) axis = 0;
    Point3 p = o;
    if (std::fabs(d[axis]) > 1e-9f) p = o + d * (-o[axis] / d[axis]);
    p[axis] = 0.0f;
    if (snapping)
        for (int k = 0; k < 3; ++k)
            if (k != axis) p[k] = std::round(p[k] / gridSpacing_) * gridSpacing_;
    const ScreenVertex sv = camera_.Project(p);
    auto pixel = [](float v) {
        return std::isfinite(v) ? static_cast<int>(std::clamp(std::floor(v), -1e9f, 1e9f)) : 0;
    };
    out = IPoint2(pixel(sv.x), pixel(sv.y));
    return p;
}

void Viewport::SnapPreview(IPoint2& in, IPoint2& out, Matrix3* plane2d, DWORD flags) {
    SnapPoint(in, out, plane2d, flags);
}

void Viewport::LogHit(INode* nr, ModContext* mc, DWORD dist, ULONG info, HitData* hitdat) {
    hits_.push_back({nr, mc, dist, info, hitdat});
}

HitRecord* Viewport::GetClosestHit() {
    if (hits_.empty()) return nullptr;
    return &*std::min_element(hits_.begin(), hits_.end(), [](const HitRecord& a,
                                                             const HitRecord& b) {
        return a.distance < b.distance;
    });
}

Rect Viewport::GetDammageRect() {
    return {0, 0, image_.Width() - 1, image_.Height() - 1};
}

RasterImage DrawQuadViews(const std::vector<INode*>& nodes, const ViewOptions& options) {
    const int w = std::max(options.width, 2), h = std::max(options.height, 2);
    const int leftW = w / 2, topH = h / 2;
    RasterImage out(w, h, ToPixel(GetUIColor(COLOR_VP_BORDER)));
    const ViewKind kinds[4] = {ViewKind::Top, ViewKind::Front, ViewKind::Left,
                               ViewKind::Perspective};
    for (int i = 0; i < 4; ++i) {
        const int x0 = (i % 2) ? leftW + 1 : 0, y0 = (i / 2) ? topH + 1 : 0;
        const int vw = (i % 2) ? w - leftW - 1 : leftW, vh = (i / 2) ? h - topH - 1 : topH;
        if (vw < 1 || vh < 1) continue;
        ViewOptions o = options;
        o.width = vw;
        o.height = vh;
        // The perspective view is smooth-shaded, as the host starts it.
        if (kinds[i] == ViewKind::Perspective) o.shaded = true;
        Viewport vp(kinds[i], o);
        vp.ZoomExtents(nodes);
        RasterImage view = vp.Draw(nodes);  // a copy, labelled
        DrawTextLabel(view, 6, 16, ViewName(kinds[i]), ToPixel(GetUIColor(COLOR_VP_LABELS)));
        out.Blit(view, x0, y0);
    }
    return out;
}

} // namespace contorra
