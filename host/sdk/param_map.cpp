#include "host/sdk/param_map.h"

#include "host/sdk/param_block.h"

IParamMap2::IParamMap2(ParamBlockDesc2* desc, const MapDef& map, IParamBlock2* pb, HWND hWnd)
    : desc_(desc), map_(map), pb_(pb), hWnd_(hWnd), proc_(map.proc) {
    if (pb_) pb_->SetMap(this, map_.id);
}

void IParamMap2::SetParamBlock(IParamBlock2* pb) {
    if (pb_) pb_->SetMap(nullptr, map_.id);
    pb_ = pb;
    if (pb_) pb_->SetMap(this, map_.id);
    if (proc_) proc_->SetParamBlock(pb);
    Invalidate();
}

void IParamMap2::SetThing(ReferenceTarget* m) {
    if (proc_) proc_->SetThing(m);
}

INT_PTR IParamMap2::Send(TimeValue t, UINT msg, WPARAM wParam, LPARAM lParam) {
    return proc_ ? proc_->DlgProc(t, this, hWnd_, msg, wParam, lParam) : FALSE;
}

IParamMap2* CreateCPParamMap2(MapID map_id, IParamBlock2* pb, Interface* ip, HINSTANCE hInst,
                              int dialogId, const MCHAR* title, DWORD flags,
                              ParamMap2UserDlgProc* dlgProc) {
    if (!pb) return nullptr;
    ParamBlockDesc2* desc = pb->GetDesc();
    MapDef def;
    if (const MapDef* declared = desc->GetMapDef(map_id)) def = *declared;
    def.id = map_id;
    def.dialogId = dialogId;
    def.rollFlags = flags;
    def.proc = dlgProc;
    (void)hInst;
    HWND wnd = win32host::CreateHeadlessWindow("#32770", nullptr, dialogId);
    SetWindowTextA(wnd, title ? title : "");
    auto* map = new IParamMap2(desc, def, pb, wnd);
    map->SetTitle(title ? title : "");
    map->Send(ip ? ip->GetTime() : 0, WM_INITDIALOG, 0, 0);
    return map;
}

void DestroyCPParamMap2(IParamMap2* m) {
    if (!m) return;
    Interface* ip = GetCOREInterface();
    m->Send(ip ? ip->GetTime() : 0, WM_DESTROY, 0, 0);
    if (IParamBlock2* pb = m->GetParamBlock()) pb->SetMap(nullptr, m->GetMapID());
    DestroyWindow(m->GetHWnd());
    delete m;
}
