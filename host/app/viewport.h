#pragma once
// The host's viewports: the four standard views with their default cameras,
// zoom extents over the nodes' world boxes, the home grid, wire-frame or
// smooth-shaded drawing with edged faces, and hit testing that asks every
// object to test itself, as the modelling host does.
#include <memory>
#include <string>
#include <vector>

#include "host/app/raster_graphics_window.h"
#include "host/app/software_raster.h"
#include "host/sdk/view_exp.h"

class INode;

namespace contorra {

enum class ViewKind { Top, Front, Left, Perspective };

// "Top", "Front", "Left", "Perspective".
const char* ViewName(ViewKind kind);

struct ViewOptions {
    int width = 640;
    int height = 480;
    // Smooth-shaded faces tinted by elevation; wire-frame otherwise.
    bool shaded = false;
    // Visible edges over every shaded face.
    bool edgedFaces = false;
    bool grid = true;
    TimeValue time = 0;
};

// The node's evaluated object's world box, asked of the object.
Box3 NodeWorldBox(INode* node, TimeValue t, ViewExp* vpt);

class Viewport : public ViewExp {
public:
    Viewport(ViewKind kind, const ViewOptions& options);
    ~Viewport() override;

    ViewKind Kind() const { return kind_; }
    const RasterCamera& Camera() const { return camera_; }
    // Distance between home grid lines, set by the last zoom.
    float GridSpacing() const { return gridSpacing_; }
    // SnapPoint rounds to the home grid while on.
    bool snapping = false;

    // Fits the box of the nodes' world boxes (a default square when empty).
    void ZoomExtents(const std::vector<INode*>& nodes);
    void ZoomExtents(const Box3& worldBox);

    // The grid, then every node that is not hidden, as its object draws it.
    const RasterImage& Draw(const std::vector<INode*>& nodes);
    // The nodes whose objects report a hit at the pixel, closest first; ties
    // keep the nodes' order.
    std::vector<INode*> Pick(const std::vector<INode*>& nodes, IPoint2 at);

    // ViewExp
    GraphicsWindow* getGW() override { return gw_.get(); }
    void SnapPreview(IPoint2& in, IPoint2& out, Matrix3* plane2d, DWORD flags) override;
    Point3 SnapPoint(IPoint2& in, IPoint2& out, Matrix3* plane2d, DWORD flags) override;
    void LogHit(INode* nr, ModContext* mc, DWORD dist, ULONG info, HitData* hitdat) override;
    HitRecord* GetClosestHit() override;
    int NumHits() override { return static_cast<int>(hits_.size()); }
    void ClearHitList() override { hits_.clear(); }
    Rect GetDammageRect() override;

private:
    void SetCamera(const RasterCamera& camera);
    void DrawGrid();
    // Selection brackets at the box's corners, shaded views only: the
    // selection colour would hide the shading.
    void DrawBrackets(const Box3& box);
    DWORD BaseLimits() const;

    ViewKind kind_;
    ViewOptions options_;
    RasterCamera camera_;
    RasterImage image_;
    std::unique_ptr<RasterGraphicsWindow> gw_;
    std::vector<HitRecord> hits_;
    Box3 sceneBox_;
    float gridSpacing_ = 10.0f;
};

// The host's 2 x 2 layout (top, front, left, perspective), each view zoomed
// to the nodes and labelled, in options.width x options.height.
RasterImage DrawQuadViews(const std::vector<INode*>& nodes, const ViewOptions& options);

} // namespace contorra
