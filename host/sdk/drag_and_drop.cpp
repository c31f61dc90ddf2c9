#include "host/sdk/drag_and_drop.h"

MtlBase* TexDADMgr::Thing() const {
    return dlg_ ? dynamic_cast<MtlBase*>(dlg_->GetThing()) : nullptr;
}

SClass_ID TexDADMgr::GetDragType(HWND hwnd, POINT p) {
    return GetInstance(hwnd, p, TEXMAP_CLASS_ID) ? TEXMAP_CLASS_ID : 0;
}

ReferenceTarget* TexDADMgr::GetInstance(HWND hwnd, POINT, SClass_ID type) {
    MtlBase* thing = Thing();
    if (!thing || type != TEXMAP_CLASS_ID) return nullptr;
    const int i = dlg_->FindSubTexFromHWND(hwnd);
    return i >= 0 ? thing->GetSubTexmap(i) : nullptr;
}

BOOL TexDADMgr::OkToDrop(ReferenceTarget* dropThis, HWND, HWND hto, POINT, SClass_ID type) {
    MtlBase* thing = Thing();
    if (!thing || type != TEXMAP_CLASS_ID || !dynamic_cast<Texmap*>(dropThis)) return FALSE;
    if (dropThis == thing) return FALSE;
    return dlg_->FindSubTexFromHWND(hto) >= 0;
}

void TexDADMgr::Drop(ReferenceTarget* dropThis, HWND hwnd, POINT p, SClass_ID type) {
    if (!OkToDrop(dropThis, nullptr, hwnd, p, type)) return;
    Thing()->SetSubTexmap(dlg_->FindSubTexFromHWND(hwnd), static_cast<Texmap*>(dropThis));
}
