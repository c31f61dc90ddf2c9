#include "host/sdk/class_desc.h"

#include <algorithm>

#include "host/sdk/param_block.h"
#include "host/sdk/param_map.h"

ClassDesc2::~ClassDesc2() {
    // Rollouts still open at the end belong to nobody else.
    for (OpenMap& o : open_) {
        if (IParamBlock2* pb = o.map->GetParamBlock()) pb->SetMap(nullptr, o.map->GetMapID());
        // The user procedure may be gone by now: the window dies unheard.
        SetWindowLongPtr(o.map->GetHWnd(), GWLP_USERDATA, 0);
        DestroyWindow(o.map->GetHWnd());
        delete o.map;
    }
}

int ClassDesc2::NumParamBlockDescs() {
    Collect();
    return static_cast<int>(descs_.size());
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDesc(int i) {
    Collect();
    return i >= 0 && i < static_cast<int>(descs_.size()) ? descs_[static_cast<std::size_t>(i)]
                                                         : nullptr;
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDescByID(BlockID id) {
    Collect();
    for (ParamBlockDesc2* d : descs_)
        if (d->ID == id) return d;
    return nullptr;
}

void ClassDesc2::AddParamBlockDesc(ParamBlockDesc2* pbd) {
    if (pbd && std::find(descs_.begin(), descs_.end(), pbd) == descs_.end()) descs_.push_back(pbd);
}

void ClassDesc2::MakeAutoParamBlocks(ReferenceMaker* owner) {
    if (!owner) return;
    Collect();
    for (ParamBlockDesc2* d : descs_) {
        if (!(d->flags & P_AUTO_CONSTRUCT) || d->ref < 0) continue;
        owner->ReplaceReference(d->ref, CreateParameterBlock2(d, owner));
    }
}

void ClassDesc2::BeginEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG, Animatable*) {
    if (!obj) return;
    Collect();
    if (!open_.empty()) {
        // Already open for another object of this class: switch it over.
        for (OpenMap& o : open_) {
            IParamBlock2* pb = obj->GetParamBlockByID(o.desc->ID);
            o.map->SetParamBlock(pb);
            if (obj->IsRefTarget()) o.map->SetThing(static_cast<ReferenceTarget*>(obj));
        }
        edited_ = obj;
        return;
    }
    edited_ = obj;
    for (ParamBlockDesc2* d : descs_) {
        if (!(d->flags & P_AUTO_UI)) continue;
        IParamBlock2* pb = obj->GetParamBlockByID(d->ID);
        if (!pb) continue;
        for (const MapDef& m : d->maps) {
            char title[256] = "";
            LoadStringA(HInstance(), static_cast<UINT>(m.title), title, sizeof title);
            IParamMap2* map = CreateCPParamMap2(m.id, pb, ip, HInstance(), m.dialogId, title,
                                                m.rollFlags, m.proc);
            open_.push_back({d, map});
        }
    }
}

void ClassDesc2::EndEditParams(IObjParam*, ReferenceMaker* obj, ULONG flags, Animatable*) {
    if (obj && edited_ && obj != edited_) return;
    // Panel rollouts stay up for the next object of this class unless the
    // host asks for them to go; windowless ones would have nothing to keep
    // them alive, so they always go.
    const bool inPanel = std::any_of(open_.begin(), open_.end(),
                                     [](const OpenMap& o) { return o.map->HasWindow(); });
    if (inPanel && !(flags & END_EDIT_REMOVEUI)) return;
    for (OpenMap& o : open_) DestroyCPParamMap2(o.map);
    open_.clear();
    edited_ = nullptr;
}

IParamMap2* ClassDesc2::GetParamMap(ParamBlockDesc2* pbd, MapID id) {
    for (OpenMap& o : open_)
        if (o.desc == pbd && o.map->GetMapID() == id) return o.map;
    return nullptr;
}

void ClassDesc2::SetUserDlgProc(ParamBlockDesc2* pbd, MapID id, ParamMap2UserDlgProc* proc) {
    if (!pbd) return;
    for (MapDef& m : pbd->maps)
        if (m.id == id) m.proc = proc;
    if (IParamMap2* map = GetParamMap(pbd, id)) map->SetUserDlgProc(proc);
}

void ClassDesc2::InvalidateUI(ParamBlockDesc2* pbd) {
    for (OpenMap& o : open_)
        if (o.desc == pbd) o.map->Invalidate();
}
