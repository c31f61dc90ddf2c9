#include "rollouts/list_pick_mode.h"

#include "host/sdk/inode.h"
#include "host/sdk/interface.h"
#include "host/sdk/object.h"
#include "host/sdk/view_exp.h"
#include "rollouts/list_box_view.h"

void ListPickMode::Prepare(ListBoxView* view, ICustButton* button) {
    view_ = view;
    button_ = button;
}

void ListPickMode::Toggle(Interface* ip) {
    if (!ip) return;
    if (ip->GetCurPickMode() == this)
        ip->ClearPickMode();
    else
        ip->SetPickMode(this);
}

void ListPickMode::EndFor(Interface* ip, ListBoxView* view) {
    if (ip && view_ == view && ip->GetCurPickMode() == this) ip->ClearPickMode();
}

BOOL ListPickMode::HitTest(IObjParam* ip, HWND hWnd, ViewExp*, IPoint2 m, int) {
    INode* node = ip->PickNode(hWnd, m, this);
    return node && Filter(node);
}

BOOL ListPickMode::Pick(IObjParam*, ViewExp* vpt) {
    HitRecord* hit = vpt ? vpt->GetClosestHit() : nullptr;
    if (hit && view_) view_->AddNode(static_cast<INode*>(hit->nodeRef));
    return FALSE;
}

void ListPickMode::EnterMode(IObjParam*) {
    if (view_) view_->Invalidate();
    if (button_) button_->SetCheck(TRUE);
    if (view_) view_->Enable(false);
}

void ListPickMode::ExitMode(IObjParam*) {
    if (button_) button_->SetCheck(FALSE);
    if (view_) view_->Enable(true);
}

BOOL ListPickMode::Filter(INode* node) {
    if (!node) return FALSE;
    const ObjectState& os = node->EvalWorldState(0, TRUE);
    if (!os.obj) return FALSE;
    return os.obj->CanConvertToType(accepts_ == Accepts::Shapes ? splineShapeClassID
                                                                 : triObjectClassID);
}
