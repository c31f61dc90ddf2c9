#include "host/sdk/object_display.h"

#include "host/sdk/box_object.h"
#include "host/sdk/inode.h"
#include "host/sdk/poly_object.h"
#include "host/sdk/spline_shape.h"
#include "host/sdk/tri_object.h"
#include "host/sdk/ui_colors.h"
#include "host/sdk/view_exp.h"

void SetNodeLineColor(INode* inode, ViewExp* vpt) {
    GraphicsWindow* gw = vpt->getGW();
    if (inode->Selected())
        gw->setColor(LINE_COLOR, GetUIColor(COLOR_SELECTION));
    else
        gw->setColor(LINE_COLOR, Color(inode->GetWireColor()));
}

int DisplayNodeMesh(TimeValue t, INode* inode, ViewExp* vpt, int flags, Mesh& mesh) {
    GraphicsWindow* gw = vpt->getGW();
    gw->setTransform(inode->GetObjectTM(t));
    SetNodeLineColor(inode, vpt);
    Rect damage = vpt->GetDammageRect();
    mesh.render(gw, inode->Mtls(), (flags & 1) ? &damage : nullptr, 0xFF, inode->NumMtls());
    return 0;
}

namespace {

// Picking as the host does it: wire-frame lines or unlit faces, tested
// against the region instead of drawn.
template <class Draw>
int HitTestWith(TimeValue t, INode* inode, int type, int crossing, IPoint2* p, ViewExp* vpt,
                Draw&& draw) {
    GraphicsWindow* gw = vpt->getGW();
    HitRegion region;
    MakeHitRegion(region, type, crossing, 4, p);
    gw->setHitRegion(&region);
    const DWORD saved = gw->getRndLimits();
    gw->setRndLimits((saved & ~GW_ILLUM) | GW_PICK);
    gw->clearHitCode();
    gw->setTransform(inode->GetObjectTM(t));
    const int hit = draw(gw, &region) ? 1 : 0;
    gw->clearHitCode();
    gw->setRndLimits(saved);
    return hit;
}

} // namespace

int HitTestNodeMesh(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p,
                    ViewExp* vpt, Mesh& mesh) {
    return HitTestWith(t, inode, type, crossing, p, vpt, [&](GraphicsWindow* gw, HitRegion* r) {
        return mesh.select(gw, gw->getMaterial(), r, flags & HIT_ABORTONHIT, 1);
    });
}

int DisplayNodeShape(TimeValue t, INode* inode, ViewExp* vpt, int flags, PolyShape& shape) {
    GraphicsWindow* gw = vpt->getGW();
    gw->setTransform(inode->GetObjectTM(t));
    SetNodeLineColor(inode, vpt);
    Rect damage = vpt->GetDammageRect();
    shape.Render(gw, inode->Mtls(), (flags & 1) ? &damage : nullptr, 0xFF, inode->NumMtls());
    return 0;
}

int HitTestNodeShape(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p,
                     ViewExp* vpt, PolyShape& shape) {
    return HitTestWith(t, inode, type, crossing, p, vpt, [&](GraphicsWindow* gw, HitRegion* r) {
        return shape.Select(gw, gw->getMaterial(), r, flags & HIT_ABORTONHIT);
    });
}

// The host's own classes.

int TriObject::Display(TimeValue t, INode* inode, ViewExp* vpt, int flags) {
    return DisplayNodeMesh(t, inode, vpt, flags, mesh);
}
int TriObject::HitTest(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p,
                       ViewExp* vpt) {
    return HitTestNodeMesh(t, inode, type, crossing, flags, p, vpt, mesh);
}
void TriObject::GetWorldBoundBox(TimeValue t, INode* inode, ViewExp*, Box3& box) {
    Matrix3 tm = inode->GetObjectTM(t);
    box = mesh.getBoundingBox(&tm);
}

int BoxObject::Display(TimeValue t, INode* inode, ViewExp* vpt, int flags) {
    Mesh m;
    BuildMesh(m);
    return DisplayNodeMesh(t, inode, vpt, flags, m);
}
int BoxObject::HitTest(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p,
                       ViewExp* vpt) {
    Mesh m;
    BuildMesh(m);
    return HitTestNodeMesh(t, inode, type, crossing, flags, p, vpt, m);
}
void BoxObject::GetWorldBoundBox(TimeValue t, INode* inode, ViewExp* vpt, Box3& box) {
    GetLocalBoundBox(t, inode, vpt, box);
    box = box * inode->GetObjectTM(t);
}

int SplineShape::Display(TimeValue t, INode* inode, ViewExp* vpt, int flags) {
    return DisplayNodeShape(t, inode, vpt, flags, shape);
}
int SplineShape::HitTest(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p,
                         ViewExp* vpt) {
    return HitTestNodeShape(t, inode, type, crossing, flags, p, vpt, shape);
}
void SplineShape::GetWorldBoundBox(TimeValue t, INode* inode, ViewExp*, Box3& box) {
    Matrix3 tm = inode->GetObjectTM(t);
    box = shape.BoundBox(&tm);
}

int PolyObject::Display(TimeValue t, INode* inode, ViewExp* vpt, int flags) {
    Mesh m;
    mm.OutToTri(m);
    return DisplayNodeMesh(t, inode, vpt, flags, m);
}
int PolyObject::HitTest(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p,
                        ViewExp* vpt) {
    Mesh m;
    mm.OutToTri(m);
    return HitTestNodeMesh(t, inode, type, crossing, flags, p, vpt, m);
}
void PolyObject::GetWorldBoundBox(TimeValue t, INode* inode, ViewExp*, Box3& box) {
    Mesh m;
    mm.OutToTri(m);
    Matrix3 tm = inode->GetObjectTM(t);
    box = m.getBoundingBox(&tm);
}
