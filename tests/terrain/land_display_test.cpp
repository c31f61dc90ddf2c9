// The terrain object in the viewports: its placeholder, its mesh and zone
// outline drawn and picked, its boxes, render mesh, conversions and creation.
#include <gtest/gtest.h>

#include "host/app/viewport.h"
#include "host/sdk/poly_object.h"
#include "host/sdk/tri_object.h"
#include "tests/support/creation_driver.h"
#include "tests/terrain/terrain_fixtures.h"

using contorra::ViewKind;
using contorra::Viewport;

namespace {

struct Deleter {
    void operator()(Animatable* a) const { a->DeleteThis(); }
};

contorra::ViewOptions TopOptions() {
    contorra::ViewOptions o;
    o.width = o.height = 200;
    o.grid = false;
    return o;
}

IPoint2 PixelOf(const Viewport& vp, const Point3& world) {
    const contorra::ScreenVertex v = vp.Camera().Project(world);
    return IPoint2(static_cast<int>(v.x), static_cast<int>(v.y));
}

// Counts what the object draws through its window.
class CountingView : public ViewExp {
public:
    struct Window : contorra::RasterGraphicsWindow {
        using RasterGraphicsWindow::RasterGraphicsWindow;
        int segments = 0, polylines = 0, triangles = 0;
        void segment(Point3* p, int vis) override {
            ++segments;
            RasterGraphicsWindow::segment(p, vis);
        }
        void polyline(int ct, Point3* p, Point3* rgb, int closed, int* flags) override {
            ++polylines;
            RasterGraphicsWindow::polyline(ct, p, rgb, closed, flags);
        }
        void triangle(Point3* p, Point3* n) override {
            ++triangles;
            RasterGraphicsWindow::triangle(p, n);
        }
        void indexedTriangles(const Point3* p, int np, const DWORD* c, const Point3* n,
                              int count) override {
            triangles += count;
            RasterGraphicsWindow::indexedTriangles(p, np, c, n, count);
        }
        void indexedSegments(const Point3* p, int np, const DWORD* e, int count) override {
            segments += count;
            RasterGraphicsWindow::indexedSegments(p, np, e, count);
        }
    };
    contorra::RasterImage image{100, 100};
    Window gw{image, contorra::RasterCamera::TopView(
                         Box3(Point3(-200.0f, -200.0f, 0.0f), Point3(200.0f, 200.0f, 0.0f)), 100,
                         100)};
    GraphicsWindow* getGW() override { return &gw; }
    void SnapPreview(IPoint2&, IPoint2&, Matrix3*, DWORD) override {}
    Point3 SnapPoint(IPoint2&, IPoint2&, Matrix3*, DWORD) override { return {}; }
    void LogHit(INode*, ModContext*, DWORD, ULONG, HitData*) override {}
    HitRecord* GetClosestHit() override { return nullptr; }
    int NumHits() override { return 0; }
    void ClearHitList() override {}
    Rect GetDammageRect() override { return {0, 0, 99, 99}; }
};

float Wavy(float x, float y) {
    return 3.0f * std::sin(0.2f * x) + 0.05f * x * y;
}

} // namespace

TEST(LandDisplay, APlaceholderBelowATenthIsNeitherDrawnNorHitButStillBounded) {
    TestNodes nodes;
    LandObject* obj = NewLandObject();
    INode* node = nodes.Node(obj, TransMatrix(Point3(10.0f, 20.0f, 0.0f)));
    for (float d : {0.05f, 0.1f, 30.0f}) {
        obj->pblock->SetValue(pb_dummy_size, 0, d);
        CountingView view;
        obj->Display(0, node, &view, 0);
        EXPECT_EQ(view.gw.segments > 0, d >= 0.1f) << d;

        Box3 local;
        obj->GetLocalBoundBox(0, node, nullptr, local);
        EXPECT_EQ(local.pmin, Point3(-d, -d, 0.0f));
        EXPECT_EQ(local.pmax, Point3(d, d, 0.0f));
        Box3 world;
        obj->GetWorldBoundBox(0, node, nullptr, world);
        EXPECT_FLOAT_EQ(world.pmin.x, 10.0f - d);
        EXPECT_FLOAT_EQ(world.pmax.y, 20.0f + d);

        // Picked on the square's left side, a few pixels in from its corner.
        const float scale = d >= 1.0f ? d : 1.0f;
        Viewport vp(ViewKind::Top, TopOptions());
        vp.ZoomExtents(Box3(Point3(10.0f - 2 * scale, 20.0f - 2 * scale, 0.0f),
                            Point3(10.0f + 2 * scale, 20.0f + 2 * scale, 0.0f)));
        const IPoint2 side = PixelOf(vp, Point3(10.0f - d, 20.0f - 0.8f * d, 0.0f));
        EXPECT_EQ(vp.Pick({node}, side).size(), d >= 0.1f ? 1u : 0u) << d;
    }
}

TEST(LandDisplay, AMeshFarFromTheOriginIsBoundedWithThePlaceholderAndPickedThroughItsFaces) {
    TestNodes nodes;
    LandObject* obj = NewLandObject();
    obj->pblock->SetValue(pb_dummy_size, 0, 5.0f);
    SetBuiltMesh(obj, SurfaceMesh(8, 10.0f, Wavy, Point2(1000.0f, 2000.0f)));
    INode* node = nodes.Node(obj);
    Box3 box;
    obj->GetLocalBoundBox(0, node, nullptr, box);
    const Box3 meshBox = obj->mesh.getBoundingBox();
    EXPECT_EQ(box.pmin.x, -5.0f);
    EXPECT_EQ(box.pmin.y, -5.0f);
    EXPECT_EQ(box.pmax.x, meshBox.pmax.x);
    EXPECT_EQ(box.pmax.y, meshBox.pmax.y);
    EXPECT_EQ(box.pmax.z, meshBox.pmax.z);
    EXPECT_EQ(box.pmin.z, std::min(0.0f, meshBox.pmin.z));
    Box3 deform;
    Matrix3 tm = TransMatrix(Point3(1e4f, 0.0f, 0.0f));
    obj->GetDeformBBox(0, deform, &tm, TRUE);
    EXPECT_EQ(deform.pmin, box.pmin);
    EXPECT_EQ(deform.pmax, box.pmax);

    contorra::ViewOptions o = TopOptions();
    o.shaded = true;
    Viewport vp(ViewKind::Top, o);
    vp.ZoomExtents({node});
    // Inside a face of the mesh, far from the placeholder: a hit through Mesh::select.
    EXPECT_EQ(vp.Pick({node}, PixelOf(vp, Point3(1043.0f, 2037.0f, 0.0f))),
              (std::vector<INode*>{node}));
    EXPECT_TRUE(vp.Pick({node}, PixelOf(vp, Point3(500.0f, 1000.0f, 0.0f))).empty());
}

TEST(LandDisplay, TheZoneShapeIsDrawnOnlyWhenSelected) {
    TestNodes nodes;
    LandObject* obj = NewLandObject();
    PolyLine& zone = obj->zoneShape.NewLine();
    zone.Append(Point3(-50.0f, 0.0f, 0.0f));
    zone.Append(Point3(50.0f, 0.0f, 0.0f));
    SetBuiltMesh(obj, SurfaceMesh(4, 10.0f, Wavy));
    INode* node = nodes.Node(obj);
    for (bool selected : {false, true}) {
        node->SetSelected(selected);
        CountingView view;
        view.gw.setRndLimits(GW_Z_BUFFER | GW_ILLUM);
        obj->Display(0, node, &view, 0);
        EXPECT_EQ(view.gw.polylines, selected ? 1 : 0);
        EXPECT_EQ(view.gw.triangles, obj->mesh.getNumFaces()); // the mesh either way
    }
}

TEST(LandDisplay, ConversionsAreIndependentCopiesOfTheMeshAndTheRenderMeshIsTheMeshItself) {
    std::unique_ptr<LandObject, Deleter> obj(NewLandObject());
    SetBuiltMesh(obj.get(), SurfaceMesh(3, 2.0f, Wavy));
    Mesh& m = obj->mesh;
    m.setFaceMtlIndex(4, 6);
    m.setMapSupport(2);
    m.Map(2).tv[5] = Point3(0.25f, 0.5f, 0.0f);

    std::unique_ptr<Object, Deleter> tri(obj->ConvertToType(0, triObjectClassID));
    std::unique_ptr<Object, Deleter> poly(obj->ConvertToType(0, polyObjectClassID));
    ASSERT_TRUE(tri && poly);
    const Mesh original = m;
    m.verts[0] = Point3(99.0f, 99.0f, 99.0f);
    m.setFaceMtlIndex(4, 1);
    m.Map(2).tv[5] = Point3();
    const Mesh& copy = static_cast<TriObject*>(tri.get())->GetMesh();
    EXPECT_EQ(copy.verts, original.verts);
    EXPECT_EQ(copy.faces, original.faces);
    EXPECT_EQ(copy.getFaceMtlIndex(4), 6);
    ASSERT_TRUE(copy.mapSupport(2));
    EXPECT_EQ(copy.Map(2).tv, original.Map(2).tv);
    EXPECT_EQ(copy.Map(2).tf, original.Map(2).tf);

    MNMesh& mn = static_cast<PolyObject*>(poly.get())->GetMesh();
    ASSERT_EQ(mn.numf, original.getNumFaces());
    ASSERT_EQ(mn.numv, original.getNumVerts());
    for (int f = 0; f < mn.numf; ++f) {
        ASSERT_EQ(mn.f[f].deg, 3);
        for (int k = 0; k < 3; ++k) EXPECT_EQ(mn.f[f].vtx[k], static_cast<int>(original.faces[f].v[k]));
    }
    EXPECT_EQ(mn.v[0].p, original.verts[0]);

    EXPECT_EQ(obj->ConvertToType(0, splineShapeClassID), nullptr);
    View view;
    BOOL needDelete = TRUE;
    EXPECT_EQ(obj->GetRenderMesh(0, nullptr, view, needDelete), &obj->mesh);
    EXPECT_FALSE(needDelete);
    EXPECT_EQ(obj->IsMappable(), 1);
    EXPECT_EQ(obj->NumMapChannels(), 100);
    EXPECT_EQ(obj->NumMapsUsed(), 1);
}

TEST(LandCreation, ClickClickGivesTenDragGivesTheDistanceAndAbortAborts) {
    TestNodes nodes;
    contorra::ViewOptions o = TopOptions();
    Viewport vp(ViewKind::Top, o);
    vp.ZoomExtents(Box3(Point3(-100.0f, -100.0f, 0.0f), Point3(100.0f, 100.0f, 0.0f)));
    const IPoint2 at = PixelOf(vp, Point3(20.0f, 30.0f, 0.0f));
    IPoint2 out;
    const Point3 origin = vp.SnapPoint(const_cast<IPoint2&>(at), out, nullptr, 0);
    {
        LandObject* obj = NewLandObject();
        nodes.Node(obj);
        CreationDriver drive(&vp, obj->GetCreateMouseCallBack());
        EXPECT_EQ(drive.Hover(at), CREATE_CONTINUE);
        EXPECT_EQ(drive.Click(at), CREATE_CONTINUE);
        EXPECT_FLOAT_EQ(obj->pblock->GetFloat(pb_dummy_size, 0), 0.0001f);
        EXPECT_EQ(drive.Transform().GetTrans(), origin);
        EXPECT_EQ(drive.Click(at), CREATE_STOP);
        EXPECT_FLOAT_EQ(obj->DummySize(0), 10.0f);
        EXPECT_EQ(drive.Transform().GetTrans(), origin);
    }
    {
        LandObject* obj = NewLandObject();
        nodes.Node(obj);
        CreationDriver drive(&vp, obj->GetCreateMouseCallBack());
        drive.Click(at);
        const IPoint2 far = PixelOf(vp, Point3(60.0f, 30.0f, 0.0f));
        IPoint2 farOut;
        const Point3 farPoint = vp.SnapPoint(const_cast<IPoint2&>(far), farOut, nullptr, 0);
        EXPECT_EQ(drive.Drag(far), CREATE_CONTINUE);
        EXPECT_FLOAT_EQ(obj->DummySize(0), Length(farPoint - origin));
        EXPECT_EQ(drive.Drag(at), CREATE_CONTINUE); // back to the start: too short, so 10
        EXPECT_FLOAT_EQ(obj->DummySize(0), 10.0f);
        EXPECT_EQ(drive.Abort(), CREATE_ABORT);
        EXPECT_TRUE(drive.Over());
    }
}
