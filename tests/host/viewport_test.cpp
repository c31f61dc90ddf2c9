// The host's viewports: objects drawn and picked through their own Display
// and HitTest, cameras fitted to the scene, snapping, regions, and the
// renderer asking objects for their render mesh.
#include <gtest/gtest.h>

#include <set>

#include "host/app/renderer.h"
#include "host/app/scene.h"
#include "host/app/viewport.h"
#include "host/sdk/box_object.h"
#include "host/sdk/spline_shape.h"
#include "host/sdk/tri_object.h"
#include "host/sdk/ui_colors.h"
#include "tests/host/grid_mesh.h"

using contorra::RasterImage;
using contorra::ViewKind;
using contorra::Viewport;
using contorra::ViewOptions;

namespace {

ViewOptions Options(bool shaded, int w = 200, int h = 200) {
    ViewOptions o;
    o.width = w;
    o.height = h;
    o.shaded = shaded;
    o.grid = false;
    return o;
}

INode* Box(Scene& scene, const char* name, float side, float height, const Point3& at) {
    auto* box = new BoxObject();
    box->width = box->length = side;
    box->height = height;
    INode* node = scene.CreateNode(box, name);
    node->SetNodeTM(0, TransMatrix(at));
    return node;
}

INode* Line(Scene& scene, const char* name, const Point3& a, const Point3& b) {
    SplineShape* s = CreateNewSplineShape();
    PolyLine& l = s->shape.NewLine();
    l.Append(a);
    l.Append(b);
    return scene.CreateNode(s, name);
}

IPoint2 PixelOf(const Viewport& vp, const Point3& world) {
    const contorra::ScreenVertex v = vp.Camera().Project(world);
    return IPoint2(static_cast<int>(v.x), static_cast<int>(v.y));
}

} // namespace

TEST(Viewport, PicksTheNearestObjectFirstAndNothingInAnEmptyCorner) {
    Scene scene;
    INode* low = Box(scene, "low", 40.0f, 5.0f, Point3(0.0f, 0.0f, 0.0f));
    INode* high = Box(scene, "high", 10.0f, 20.0f, Point3(0.0f, 0.0f, 0.0f));
    INode* hidden = Box(scene, "hidden", 10.0f, 50.0f, Point3(0.0f, 0.0f, 0.0f));
    hidden->Hide(TRUE);
    const std::vector<INode*> nodes = scene.Nodes();
    for (bool shaded : {false, true}) {
        Viewport vp(ViewKind::Top, Options(shaded));
        vp.ZoomExtents(nodes);
        if (shaded) {
            // From above the taller box's roof is in front; from the front
            // the wider box's side, and above it only the taller box.
            EXPECT_EQ(vp.Pick(nodes, PixelOf(vp, Point3(1.0f, 1.0f, 20.0f))),
                      (std::vector<INode*>{high, low}));
            Viewport front(ViewKind::Front, Options(true));
            front.ZoomExtents(nodes);
            EXPECT_EQ(front.Pick(nodes, PixelOf(front, Point3(1.0f, 0.0f, 2.0f))),
                      (std::vector<INode*>{low, high}));
            EXPECT_EQ(front.Pick(nodes, PixelOf(front, Point3(1.0f, 0.0f, 10.0f))),
                      (std::vector<INode*>{high}));
        } else {
            // Wire-frame picks edges: the low box's edge, away from the high one.
            EXPECT_EQ(vp.Pick(nodes, PixelOf(vp, Point3(20.0f, 0.0f, 5.0f))),
                      (std::vector<INode*>{low}));
            // Inside the high box's roof but far from its edges: nothing in wire-frame.
            EXPECT_TRUE(vp.Pick(nodes, PixelOf(vp, Point3(12.0f, 12.0f, 5.0f))).empty());
        }
        EXPECT_TRUE(vp.Pick(nodes, IPoint2(1, 1)).empty());
    }
}

TEST(Viewport, ZoomExtentsFitsEveryNodeInEveryView) {
    Scene scene;
    Box(scene, "a", 10.0f, 3.0f, Point3(1000.0f, -200.0f, 50.0f));
    Line(scene, "b", Point3(-300.0f, 400.0f, 0.0f), Point3(-250.0f, 420.0f, 90.0f));
    const std::vector<INode*> nodes = scene.Nodes();
    Box3 all;
    for (INode* n : nodes) all += contorra::NodeWorldBox(n, 0, nullptr);
    ASSERT_FALSE(all.IsEmpty());
    for (ViewKind kind : {ViewKind::Top, ViewKind::Front, ViewKind::Left, ViewKind::Perspective}) {
        Viewport vp(kind, Options(false, 300, 150));
        vp.ZoomExtents(nodes);
        float minX = 1e9f, maxX = -1e9f;
        for (int i = 0; i < 8; ++i) {
            const contorra::ScreenVertex v = vp.Camera().Project(all[i]);
            EXPECT_GE(v.x, 0.0f) << contorra::ViewName(kind);
            EXPECT_LE(v.x, 300.0f) << contorra::ViewName(kind);
            EXPECT_GE(v.y, 0.0f) << contorra::ViewName(kind);
            EXPECT_LE(v.y, 150.0f) << contorra::ViewName(kind);
            EXPECT_GT(v.z, 0.0f) << contorra::ViewName(kind);
            EXPECT_LT(v.z, 1.0f) << contorra::ViewName(kind);
            minX = std::min(minX, v.x);
            maxX = std::max(maxX, v.x);
        }
        // Fitted, not merely inside: the scene spans most of the view.
        EXPECT_GT(maxX - minX, 100.0f) << contorra::ViewName(kind);
    }
}

TEST(Viewport, DrawsTheSelectionInTheSelectionColourAndOthersInTheirWireColour) {
    Scene scene;
    INode* a = Line(scene, "a", Point3(-50.0f, -20.0f, 0.0f), Point3(50.0f, -20.0f, 0.0f));
    INode* b = Line(scene, "b", Point3(-50.0f, 20.0f, 0.0f), Point3(50.0f, 20.0f, 0.0f));
    a->SetWireColor(0x0000FF); // red
    b->SetWireColor(0x00FF00); // green
    b->SetSelected(true);
    const std::vector<INode*> nodes = scene.Nodes();
    Viewport vp(ViewKind::Top, Options(false));
    vp.ZoomExtents(nodes);
    const RasterImage image = vp.Draw(nodes);
    auto colourAt = [&](const Point3& p) {
        const IPoint2 px = PixelOf(vp, p);
        return image.Pixel(px.x, px.y);
    };
    EXPECT_EQ(colourAt(Point3(0.0f, -20.0f, 0.0f)), (contorra::Rgba8{255, 0, 0, 255}));
    const Point3 sel = GetUIColor(COLOR_SELECTION);
    EXPECT_EQ(colourAt(Point3(0.0f, 20.0f, 0.0f)), contorra::ToRgba8(AColor(sel.x, sel.y, sel.z)));
    EXPECT_NE(colourAt(Point3(0.0f, 0.0f, 0.0f)), colourAt(Point3(0.0f, 20.0f, 0.0f)));
}

TEST(Viewport, SnapPointLandsOnTheConstructionPlaneAndOnTheGridWhenSnapping) {
    Viewport top(ViewKind::Top, Options(false));
    top.ZoomExtents(Box3(Point3(-100.0f, -100.0f, 0.0f), Point3(100.0f, 100.0f, 10.0f)));
    IPoint2 in(137, 61), out;
    const Point3 free = top.SnapPoint(in, out, nullptr, 0);
    EXPECT_EQ(free.z, 0.0f);
    EXPECT_LE(std::abs(out.x - in.x), 1);
    EXPECT_LE(std::abs(out.y - in.y), 1);
    top.snapping = true;
    const Point3 snapped = top.SnapPoint(in, out, nullptr, 0);
    const float g = top.GridSpacing();
    EXPECT_FLOAT_EQ(snapped.x, std::round(free.x / g) * g);
    EXPECT_FLOAT_EQ(snapped.y, std::round(free.y / g) * g);

    Viewport front(ViewKind::Front, Options(false));
    front.ZoomExtents(Box3(Point3(-100.0f, -100.0f, 0.0f), Point3(100.0f, 100.0f, 10.0f)));
    EXPECT_EQ(front.SnapPoint(in, out, nullptr, 0).y, 0.0f);
    Viewport persp(ViewKind::Perspective, Options(false));
    persp.ZoomExtents(Box3(Point3(-100.0f, -100.0f, 0.0f), Point3(100.0f, 100.0f, 10.0f)));
    IPoint2 centre(100, 100);
    const Point3 ground = persp.SnapPoint(centre, out, nullptr, 0);
    EXPECT_NEAR(ground.z, 0.0f, 1e-3f);
    EXPECT_LE(std::abs(out.x - 100), 1);
    EXPECT_LE(std::abs(out.y - 100), 1);
}

TEST(HitRegion, RegionsOfEveryKindPickWhatTheyCoverOrCross) {
    RasterImage image(100, 100);
    contorra::RasterCamera cam = contorra::RasterCamera::TopView(
        Box3(Point3(0.0f, 0.0f, 0.0f), Point3(100.0f, 100.0f, 0.0f)), 100, 100, 0.0f);
    contorra::RasterGraphicsWindow gw(image, cam);
    gw.setRndLimits(GW_PICK | GW_WIREFRAME);
    // A world line from pixel (20, 50) to pixel (40, 50).
    Point3 seg[2] = {Point3(20.0f, 50.0f, 0.0f), Point3(40.0f, 50.0f, 0.0f)};
    auto hits = [&](int type, int crossing, std::vector<IPoint2> p) {
        HitRegion r;
        MakeHitRegion(r, type, crossing, 4, p.data());
        gw.setHitRegion(&r);
        gw.clearHitCode();
        gw.segment(seg, 1);
        return gw.checkHitCode() != FALSE;
    };
    EXPECT_TRUE(hits(HITTYPE_POINT, 0, {{30, 52}}));
    EXPECT_FALSE(hits(HITTYPE_POINT, 0, {{30, 56}}));
    EXPECT_TRUE(hits(HITTYPE_BOX, 1, {{25, 40}, {35, 60}}));  // crossing
    EXPECT_FALSE(hits(HITTYPE_BOX, 0, {{25, 40}, {35, 60}})); // not wholly inside
    EXPECT_TRUE(hits(HITTYPE_BOX, 0, {{10, 40}, {50, 60}}));
    EXPECT_TRUE(hits(HITTYPE_CIRCLE, 1, {{30, 45}, {30, 39}}));
    EXPECT_FALSE(hits(HITTYPE_CIRCLE, 1, {{30, 30}, {30, 35}}));
    EXPECT_TRUE(hits(HITTYPE_FENCE, 1, {{25, 40}, {35, 40}, {30, 60}, {-100, -100}}));
    EXPECT_FALSE(hits(HITTYPE_FENCE, 0, {{25, 40}, {35, 40}, {30, 60}, {-100, -100}}));
    EXPECT_FALSE(hits(HITTYPE_FENCE, 1, {{60, 40}, {70, 40}, {65, 60}, {-100, -100}}));
}

TEST(Viewport, MeshSelectStopsAtTheFirstHitWhenAskedAndSpansEveryFaceOtherwise) {
    // Counts the faces a select draws.
    struct CountingWindow : contorra::RasterGraphicsWindow {
        using RasterGraphicsWindow::RasterGraphicsWindow;
        int triangles = 0;
        void triangle(Point3* xyz, Point3* n) override {
            ++triangles;
            RasterGraphicsWindow::triangle(xyz, n);
        }
        void indexedTriangles(const Point3* xyz, int np, const DWORD* c, const Point3* n,
                              int count) override {
            triangles += count;
            RasterGraphicsWindow::indexedTriangles(xyz, np, c, n, count);
        }
        std::set<std::pair<DWORD, DWORD>> edges;
        int segments = 0;
        void indexedSegments(const Point3* xyz, int np, const DWORD* e, int count) override {
            segments += count;
            for (int i = 0; i < count; ++i)
                edges.insert({std::min(e[2 * i], e[2 * i + 1]), std::max(e[2 * i], e[2 * i + 1])});
            RasterGraphicsWindow::indexedSegments(xyz, np, e, count);
        }
    };
    RasterImage image(64, 64);
    Mesh grid = GridMesh(9); // 128 faces over 8 x 8 units
    CountingWindow gw(image, contorra::RasterCamera::TopView(grid.getBoundingBox(), 64, 64, 0.0f));
    gw.setRndLimits(GW_Z_BUFFER);
    IPoint2 p(2, 61); // over the first faces
    HitRegion r;
    MakeHitRegion(r, HITTYPE_POINT, 0, 4, &p);
    EXPECT_TRUE(grid.select(&gw, nullptr, &r, TRUE));
    EXPECT_LT(gw.triangles, 4);
    gw.triangles = 0;
    gw.clearHitCode();
    EXPECT_TRUE(grid.select(&gw, nullptr, &r, FALSE));
    EXPECT_EQ(gw.triangles, grid.getNumFaces());
    EXPECT_EQ(gw.getRndLimits(), GW_Z_BUFFER); // restored

    // Wire-frame draws every visible edge once, the open border included,
    // and none of the hidden diagonals; a face turned over changes nothing.
    Mesh small = GridMesh(3);
    std::swap(small.faces[3].v[0], small.faces[3].v[1]);
    small.faces[3].setEdgeVisFlags(EDGE_INVIS, EDGE_VIS, EDGE_VIS);
    gw.setRndLimits(GW_WIREFRAME);
    small.render(&gw, nullptr, nullptr, 0xFF);
    EXPECT_EQ(gw.edges.size(), 12u);
    EXPECT_LE(gw.segments, 14); // the turned face's two inner sides may come twice
    EXPECT_EQ(gw.edges.count({0, 4}), 0u);
}

TEST(Renderer, AsksGeomObjectsForTheirRenderMeshInsteadOfConverting) {
    // A mesh object that only answers GetRenderMesh, never a conversion.
    struct RenderOnly : TriObject {
        int renderCalls = 0;
        int CanConvertToType(Class_ID) override { return FALSE; }
        Mesh* GetRenderMesh(TimeValue t, INode* n, View& v, BOOL& needDelete) override {
            ++renderCalls;
            return TriObject::GetRenderMesh(t, n, v, needDelete);
        }
    };
    Scene scene;
    auto* obj = new RenderOnly();
    obj->mesh = GridMesh(5);
    INode* node = scene.CreateNode(obj, "grid");
    contorra::RenderSettings settings;
    settings.width = settings.height = 32;
    const RasterImage image = contorra::RenderNodes({node}, settings);
    EXPECT_GT(obj->renderCalls, 0);
    const Box3 box = contorra::SceneBox({node}, 0);
    EXPECT_EQ(box.pmax, Point3(4.0f, 4.0f, 0.0f));
    EXPECT_NE(image.Pixel(16, 16), contorra::ToRgba8(settings.background));
}
