#pragma once
// The graphics window of a viewport, drawn with the software raster: lines
// and lit triangles through a camera into an image, or, in pick mode,
// nothing drawn and every primitive tested against the hit region.
#include <optional>
#include <vector>

#include "host/app/software_raster.h"
#include "host/sdk/graphics_window.h"

namespace contorra {

class RasterGraphicsWindow : public GraphicsWindow {
public:
    RasterGraphicsWindow(RasterImage& image, const RasterCamera& camera);

    const RasterCamera& Camera() const { return camera_; }
    // Faces tinted by world elevation over [zLow, zHigh] and hill-shaded
    // instead of lit in their material's colour.
    void SetRelief(float zLow, float zHigh) { relief_ = std::pair(zLow, zHigh); }
    // Lines win against faces they lie on by this much depth.
    float lineBias = 2e-3f;

    void setTransform(const Matrix3& m) override;
    Matrix3 getTransform() override { return tm_; }
    void setColor(ColorType t, float r, float g, float b) override;
    void setRndLimits(DWORD limits) override { limits_ = limits; }
    DWORD getRndLimits() override { return limits_; }
    void setMaterial(const Material& m) override { material_ = m; }
    Material* getMaterial() override { return &material_; }
    int getWinSizeX() override { return camera_.width; }
    int getWinSizeY() override { return camera_.height; }

    void setHitRegion(HitRegion* rgn) override;
    void clearHitCode() override { hit_ = false; }
    BOOL checkHitCode() override { return hit_ ? TRUE : FALSE; }
    DWORD getHitDistance() override { return hitDistance_; }

    void startSegments() override {}
    void segment(Point3* xyz, int vis) override;
    void endSegments() override {}
    void polyline(int ct, Point3* xyz, Point3* rgb, int closed, int* edgeFlags) override;
    void triangle(Point3* xyz, Point3* normals) override;
    // Each point transformed and projected once.
    void indexedSegments(const Point3* xyz, int numPts, const DWORD* ends, int count) override;
    void indexedTriangles(const Point3* xyz, int numPts, const DWORD* corners,
                          const Point3* normals, int count) override;
    void text(Point3* xyz, const MCHAR* s) override;
    void marker(Point3* xyz, MarkerType type) override;

private:
    bool Picking() const { return (limits_ & GW_PICK) != 0; }
    void Line(const Point3& a, const Point3& b, const AColor& ca, const AColor& cb);
    void Hit(DWORD distance);
    void PickSegment(const ScreenVertex& a, const ScreenVertex& b);
    void PickTriangle(const ScreenVertex v[3]);
    bool Inside(float x, float y) const;
    // Points in camera space, and projected where in front of the near plane.
    void Project(const Point3* xyz, int numPts);
    AColor Lit(const Point3& world, const Point3& objectNormal) const;
    // Whether a segment or triangle of this pixel box could meet the region.
    bool MayHit(float x0, float y0, float x1, float y1) const;

    RasterImage& image_;
    RasterCamera camera_;
    Matrix3 tm_;
    Matrix3 objToCam_;
    DWORD limits_ = GW_Z_BUFFER | GW_ILLUM;
    AColor line_{1.0f, 1.0f, 1.0f, 1.0f};
    AColor fill_{0.5f, 0.5f, 0.5f, 1.0f};
    AColor text_{1.0f, 1.0f, 1.0f, 1.0f};
    Material material_;
    std::optional<std::pair<float, float>> relief_;
    HitRegion region_;
    bool hit_ = false;
    DWORD hitDistance_ = 0xFFFFFFFFu;
    std::vector<Point3> cam_;
    std::vector<ScreenVertex> screen_;
    std::vector<char> front_;
};

} // namespace contorra
