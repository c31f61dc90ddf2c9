#include "host/sdk/mtl_param_dlg.h"

#include <algorithm>

#include "host/sdk/class_desc.h"
#include "host/sdk/param_block.h"
#include "host/sdk/param_map.h"

IAutoMParamDlg::IAutoMParamDlg(ClassDesc2* cd, ReferenceTarget* thing, IMtlParams* imp,
                               HWND hwMtlEdit)
    : cd_(cd), thing_(thing), imp_(imp), hwMtlEdit_(hwMtlEdit) {
    for (int i = 0; i < cd->NumParamBlockDescs(); ++i) {
        ParamBlockDesc2* d = cd->GetParamBlockDesc(i);
        if (!(d->flags & P_AUTO_UI)) continue;
        IParamBlock2* pb = thing->GetParamBlockByID(d->ID);
        if (!pb) continue;
        for (const MapDef& m : d->maps) {
            char title[256] = "";
            LoadStringA(cd->HInstance(), static_cast<UINT>(m.title), title, sizeof title);
            if (IParamMap2* map = CreateMParamMap2(m.id, pb, imp, cd->HInstance(), m.dialogId, title,
                                                   m.rollFlags, m.proc))
                maps_.push_back(map);
        }
    }
}

IAutoMParamDlg::~IAutoMParamDlg() = default;

Class_ID IAutoMParamDlg::ClassID() {
    return thing_ ? thing_->ClassID() : cd_->ClassID();
}

void IAutoMParamDlg::SetThing(ReferenceTarget* m) {
    if (!m || m == thing_) return;
    thing_ = m;
    for (IParamMap2* map : maps_) {
        map->SetParamBlock(m->GetParamBlockByID(map->GetDesc()->ID));
        map->SetThing(m);
    }
    for (ParamDlg* d : secondaries_) {
        auto* mtl = dynamic_cast<MtlBase*>(m);
        if (!mtl || !mtl->SetDlgThing(d)) d->SetThing(m);
    }
}

void IAutoMParamDlg::SetTime(TimeValue t) {
    for (IParamMap2* map : maps_)
        if (ParamMap2UserDlgProc* p = map->GetUserDlgProc()) p->Update(t);
    for (ParamDlg* d : secondaries_) d->SetTime(t);
}

void IAutoMParamDlg::ReloadDialog() {
    for (IParamMap2* map : maps_) map->Invalidate();
    for (ParamDlg* d : secondaries_) d->ReloadDialog();
}

void IAutoMParamDlg::ActivateDlg(BOOL onOff) {
    for (ParamDlg* d : secondaries_) d->ActivateDlg(onOff);
}

int IAutoMParamDlg::FindSubTexFromHWND(HWND wnd) {
    for (IParamMap2* map : maps_)
        if (auto* d = dynamic_cast<ParamDlg*>(map->GetUserDlgProc()))
            if (int i = d->FindSubTexFromHWND(wnd); i >= 0) return i;
    return -1;
}

void IAutoMParamDlg::AddDlg(ParamDlg* dlg) {
    if (dlg) secondaries_.push_back(dlg);
}

void IAutoMParamDlg::DeleteThis() {
    std::vector<ParamMap2UserDlgProc*> procs;
    for (IParamMap2* map : maps_) {
        ParamMap2UserDlgProc* p = map->GetUserDlgProc();
        if (p && std::find(procs.begin(), procs.end(), p) == procs.end()) procs.push_back(p);
        DestroyMParamMap2(map);
    }
    maps_.clear();
    // The procedures heard WM_DESTROY with their rollouts.
    for (ParamMap2UserDlgProc* p : procs) p->DeleteThis();
    for (ParamDlg* d : secondaries_) d->DeleteThis();
    secondaries_.clear();
    delete this;
}

IAutoMParamDlg* CreateAutoMParamDlg(ClassDesc2* cd, HWND hwMtlEdit, IMtlParams* imp,
                                    ReferenceTarget* obj) {
    if (!cd || !imp || !obj) return nullptr;
    return new IAutoMParamDlg(cd, obj, imp, hwMtlEdit);
}
