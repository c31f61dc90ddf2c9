// How the terrain object shows itself: drawn and picked in the viewports,
// bounded, rendered and placed with the mouse.
#include "host/sdk/inode.h"
#include "host/sdk/param_block_desc.h"
#include "host/sdk/ui_colors.h"
#include "host/sdk/view_exp.h"
#include "module/class_descs.h"
#include "terrain/land_object.h"
#include "terrain/placeholder.h"

float LandObject::DummySize(TimeValue t) {
    Interval valid = FOREVER;
    if (pblock) pblock->GetValue(pb_dummy_size, t, dummySize, valid);
    return dummySize;
}

int LandObject::Display(TimeValue t, INode* inode, ViewExp* vpt, int flags) {
    GraphicsWindow* gw = vpt->getGW();
    gw->setTransform(inode->GetObjectTM(t));
    Rect damage = vpt->GetDammageRect();
    Rect* rect = (flags & 1) ? &damage : nullptr;
    if (inode->Selected()) {
        gw->setColor(LINE_COLOR, GetUIColor(COLOR_SEL_GIZMOS));
        zoneShape.Render(gw, inode->Mtls(), rect, 0xFF, inode->NumMtls());
        gw->setColor(LINE_COLOR, GetUIColor(COLOR_SELECTION));
    } else {
        const DWORD c = inode->GetWireColor();
        gw->setColor(LINE_COLOR, (c & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f,
                     ((c >> 16) & 0xFF) / 255.0f);
    }
    DrawPlaceholder(gw, DummySize(t));
    mesh.render(gw, inode->Mtls(), rect, 0xFF, inode->NumMtls());
    return 0;
}

int LandObject::HitTest(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p,
                        ViewExp* vpt) {
    GraphicsWindow* gw = vpt->getGW();
    HitRegion region;
    MakeHitRegion(region, type, crossing, 4, p);
    gw->setHitRegion(&region);
    const DWORD saved = gw->getRndLimits();
    gw->setRndLimits((saved & ~GW_ILLUM) | GW_PICK);
    gw->clearHitCode();
    gw->setTransform(inode->GetObjectTM(t));
    int result = 0;
    DrawPlaceholder(gw, DummySize(t));
    if (gw->checkHitCode()) {
        result = 1;
        vpt->LogHit(inode, nullptr, gw->getHitDistance(), 0, nullptr);
    } else {
        result = mesh.select(gw, gw->getMaterial(), &region, flags & HIT_ABORTONHIT, 1) ? 1 : 0;
    }
    gw->clearHitCode();
    gw->setRndLimits(saved);
    return result;
}

void LandObject::GetLocalBoundBox(TimeValue t, INode*, ViewExp*, Box3& box) {
    const float d = DummySize(t);
    box.Init();
    box += Point3(-d, -d, 0.0f);
    box += Point3(d, d, 0.0f);
    box += Point3(-d, d, 0.0f);
    box += Point3(d, -d, 0.0f);
    if (mesh.getNumVerts() > 0) box += mesh.getBoundingBox();
}

void LandObject::GetWorldBoundBox(TimeValue t, INode* inode, ViewExp* vpt, Box3& box) {
    Box3 local;
    GetLocalBoundBox(t, inode, vpt, local);
    const Matrix3 tm = inode->GetObjectTM(t);
    box.Init();
    for (int i = 0; i < 8; ++i) box += local[i] * tm;
}

void LandObject::GetDeformBBox(TimeValue t, Box3& box, Matrix3*, BOOL) {
    GetLocalBoundBox(t, nullptr, nullptr, box);
}

Mesh* LandObject::GetRenderMesh(TimeValue, INode*, View&, BOOL& needDelete) {
    needDelete = FALSE;
    return &mesh;
}

namespace {

// Places a new terrain: the first click sets its origin, the drag sizes the
// placeholder, the second click ends.
class LandObjectCreateCallBack : public CreateMouseCallBack {
public:
    LandObject* ob = nullptr;
    Point3 p0;

    int proc(ViewExp* vpt, int msg, int point, int, IPoint2 m, Matrix3& mat) override {
        if (msg == MOUSE_FREEMOVE) {
            vpt->SnapPreview(m, m, nullptr, 0);
            return CREATE_CONTINUE;
        }
        if (msg != MOUSE_POINT && msg != MOUSE_MOVE)
            return msg == MOUSE_ABORT ? CREATE_ABORT : CREATE_CONTINUE;
        if (point == 0) {
            p0 = vpt->SnapPoint(m, m, nullptr, 0);
            mat = TransMatrix(p0);
            if (ob && ob->pblock) ob->pblock->SetValue(pb_dummy_size, 0, 0.0001f);
            return CREATE_CONTINUE;
        }
        if (point == 1) {
            const Point3 p = vpt->SnapPoint(m, m, nullptr, 0);
            mat = TransMatrix(p0);
            float r = Length(p - p0);
            if (r < 0.0001f) r = 10.0f;
            if (ob && ob->pblock) {
                ob->pblock->SetValue(pb_dummy_size, 0, r);
                if (ParamBlockDesc2* pbd = GetLandObjectDesc()->GetParamBlockDesc(0))
                    pbd->InvalidateUI();
            }
            return msg == MOUSE_POINT ? CREATE_STOP : CREATE_CONTINUE;
        }
        return CREATE_CONTINUE;
    }
};

LandObjectCreateCallBack theCreateCallBack;

} // namespace

CreateMouseCallBack* LandObject::GetCreateMouseCallBack() {
    theCreateCallBack.ob = this;
    return &theCreateCallBack;
}
