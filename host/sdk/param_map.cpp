#include "host/sdk/param_map.h"

#include <cstdio>

#include "host/sdk/custom_controls.h"
#include "host/sdk/inode.h"
#include "host/sdk/interface.h"
#include "host/sdk/param_block.h"
#include "host/sdk/pick_mode.h"
#include "host/sdk/texmap.h"
#include "host/sdk/view_exp.h"
#include "host/sdk/win32_window.h"

namespace {

bool IsIntType(ParamType2 t) {
    switch (BaseType(t)) {
    case TYPE_INT:
    case TYPE_BOOL:
    case TYPE_TIMEVALUE:
    case TYPE_RADIOBTN_INDEX:
    case TYPE_INDEX:
        return true;
    default:
        return false;
    }
}

HWND Item(HWND dlg, const ParamDef& def, std::size_t i) {
    return i < def.ctrl_IDs.size() ? GetDlgItem(dlg, def.ctrl_IDs[i]) : nullptr;
}

bool Holds(const ParamDef& def, int id) {
    for (int c : def.ctrl_IDs)
        if (c == id) return true;
    return false;
}

// The value a radio button stands for: its declared value, else its place.
int RadioValue(const ParamDef& def, std::size_t i) {
    return i < def.radio_values.size() ? def.radio_values[i] : static_cast<int>(i);
}

} // namespace

// The pick mode behind a pick-node button: the picked node becomes the
// parameter's value; the button stays pressed while the mode runs.
class MapPickMode : public PickModeCallback, public PickNodeCallback {
public:
    MapPickMode(IParamMap2* map, const ParamDef& def) : map_(map), def_(def) {}

    BOOL HitTest(IObjParam* ip, HWND hWnd, ViewExp*, IPoint2 m, int) override {
        return ip->PickNode(hWnd, m, this) != nullptr;
    }
    BOOL Pick(IObjParam*, ViewExp* vpt) override {
        HitRecord* hit = vpt ? vpt->GetClosestHit() : nullptr;
        if (!hit || !hit->nodeRef || !map_->pb_) return FALSE;
        map_->pb_->SetValue(def_.ID, map_->Now(), static_cast<ReferenceTarget*>(hit->nodeRef),
                            map_->Entry(def_));
        map_->Invalidate(def_.ID);
        return TRUE;
    }
    // A right click gives up.
    BOOL RightClick(IObjParam*, ViewExp*) override { return TRUE; }
    void EnterMode(IObjParam*) override { Press(true); }
    void ExitMode(IObjParam*) override { Press(false); }
    PickNodeCallback* GetFilter() override { return this; }

    // Nodes that hold the block's owner would make it depend on itself; a
    // parameter declared for a class takes only nodes whose object is one.
    BOOL Filter(INode* node) override {
        ReferenceMaker* owner = map_->pb_ ? map_->pb_->GetOwner() : nullptr;
        Object* obj = node->GetObjectRef();
        if (owner && static_cast<ReferenceMaker*>(obj) == owner) return FALSE;
        for (int i = 0; i < node->NumWSModifiers(); ++i)
            if (owner && static_cast<ReferenceMaker*>(node->GetWSModifier(i)) == owner) return FALSE;
        if (def_.classID != Class_ID() && (!obj || obj->ClassID() != def_.classID)) return FALSE;
        return TRUE;
    }

    bool active = false;

private:
    void Press(bool on) {
        active = on;
        if (ICustButton* b = GetICustButton(Item(map_->hWnd_, def_, 0))) {
            b->SetCheck(on);
            ReleaseICustButton(b);
        }
    }

    IParamMap2* map_;
    const ParamDef& def_;
};

IParamMap2::IParamMap2(ParamBlockDesc2* desc, const MapDef& map, IParamBlock2* pb, HWND hWnd)
    : desc_(desc), map_(map), pb_(pb), hWnd_(hWnd), proc_(map.proc) {
    if (pb_) pb_->SetMap(this, map_.id);
}

IParamMap2::~IParamMap2() {
    for (auto& [id, mode] : pickModes_)
        if (mode->active && ip_ && ip_->GetCurPickMode() == mode.get()) ip_->ClearPickMode();
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

void IParamMap2::Invalidate() {
    ++invalidations_;
    if (!windowed_) return;
    for (const ParamDef& def : desc_->paramdefs)
        if (def.ui_map == map_.id) Show(def);
}

void IParamMap2::Invalidate(ParamID id, int tabIndex) {
    ++invalidations_;
    const ParamDef* def = desc_->GetParamDefPtr(id);
    if (!windowed_ || !def || def->ui_map != map_.id) return;
    if (tabIndex >= 0 && IsTabType(def->type) && tabIndex != GetTableIndex(id)) return;
    Show(*def);
}

void IParamMap2::SetTableIndex(ParamID id, int index) {
    tableIndex_[id] = index;
    Invalidate(id);
}

int IParamMap2::GetTableIndex(ParamID id) const {
    auto it = tableIndex_.find(id);
    return it == tableIndex_.end() ? 0 : it->second;
}

void IParamMap2::Enable(ParamID id, BOOL onOff) {
    const ParamDef* def = desc_->GetParamDefPtr(id);
    if (!windowed_ || !def || def->ui_map != map_.id) return;
    for (std::size_t i = 0; i < def->ctrl_IDs.size(); ++i) EnableWindow(Item(hWnd_, *def, i), onOff);
}

void IParamMap2::SetUserDlgProc(ParamMap2UserDlgProc* proc) {
    const bool fresh = proc && proc != proc_;
    proc_ = proc;
    if (fresh && windowed_ && IsWindow(hWnd_)) Send(Now(), WM_INITDIALOG, 0, 0);
}

TimeValue IParamMap2::Now() const {
    if (imp_) return imp_->GetTime();
    Interface* ip = ip_ ? ip_ : GetCOREInterface();
    return ip ? ip->GetTime() : 0;
}

int IParamMap2::Entry(const ParamDef& def) const {
    return IsTabType(def.type) ? GetTableIndex(def.ID) : 0;
}

void IParamMap2::SetUp(const ParamDef& def) {
    switch (def.ctrl_type) {
    case TYPE_SPINNER: {
        ISpinnerControl* s = GetISpinner(Item(hWnd_, def, 1));
        if (!s) return;
        s->LinkToEdit(Item(hWnd_, def, 0), static_cast<::EditSpinnerType>(def.spin_type));
        if (IsIntType(def.type)) {
            s->SetLimits(def.has_range ? def.range_low.i : -999999999,
                         def.has_range ? def.range_high.i : 999999999, FALSE);
            s->SetResetValue(def.def.i);
        } else {
            s->SetLimits(def.has_range ? def.range_low.f : -1e30f,
                         def.has_range ? def.range_high.f : 1e30f, FALSE);
            s->SetResetValue(def.def.f);
        }
        if (def.scale == SPIN_AUTOSCALE) s->SetAutoScale(TRUE);
        else s->SetScale(def.scale);
        ReleaseISpinner(s);
        break;
    }
    case TYPE_PICKNODEBUTTON:
    case TYPE_CHECKBUTTON:
        if (ICustButton* b = GetICustButton(Item(hWnd_, def, 0))) {
            b->SetType(CBT_CHECK);
            b->SetHighlightColor(GREEN_WASH);
            ReleaseICustButton(b);
        }
        break;
    default:
        break;
    }
}

void IParamMap2::Show(const ParamDef& def) {
    if (!pb_) return;
    const TimeValue t = Now();
    const int entry = Entry(def);
    switch (def.ctrl_type) {
    case TYPE_SPINNER:
        if (ISpinnerControl* s = GetISpinner(Item(hWnd_, def, 1))) {
            if (IsIntType(def.type)) s->SetValue(pb_->GetInt(def.ID, t, entry), FALSE);
            else s->SetValue(pb_->GetFloat(def.ID, t, entry), FALSE);
            ReleaseISpinner(s);
        }
        break;
    case TYPE_SINGLECHECKBOX:
        CheckDlgButton(hWnd_, def.ctrl_IDs.at(0),
                       pb_->GetInt(def.ID, t, entry) ? BST_CHECKED : BST_UNCHECKED);
        break;
    case TYPE_RADIO: {
        const int v = pb_->GetInt(def.ID, t, entry);
        for (std::size_t i = 0; i < def.ctrl_IDs.size(); ++i)
            CheckDlgButton(hWnd_, def.ctrl_IDs[i], RadioValue(def, i) == v ? BST_CHECKED : BST_UNCHECKED);
        break;
    }
    case TYPE_COLORSWATCH:
        if (IColorSwatch* s = GetIColorSwatch(Item(hWnd_, def, 0))) {
            s->SetColor(pb_->GetColor(def.ID, t, entry), FALSE);
            ReleaseIColorSwatch(s);
        }
        break;
    case TYPE_EDITBOX: {
        char text[64];
        if (BaseType(def.type) == TYPE_STRING || BaseType(def.type) == TYPE_FILENAME) {
            const MCHAR* s = pb_->GetStr(def.ID, t, entry);
            SetDlgItemText(hWnd_, def.ctrl_IDs.at(0), s ? s : "");
            break;
        }
        if (IsIntType(def.type)) std::snprintf(text, sizeof text, "%d", pb_->GetInt(def.ID, t, entry));
        else std::snprintf(text, sizeof text, "%g", static_cast<double>(pb_->GetFloat(def.ID, t, entry)));
        SetDlgItemText(hWnd_, def.ctrl_IDs.at(0), text);
        break;
    }
    case TYPE_CHECKBUTTON:
        if (ICustButton* b = GetICustButton(Item(hWnd_, def, 0))) {
            b->SetCheck(pb_->GetInt(def.ID, t, entry) != 0);
            ReleaseICustButton(b);
        }
        break;
    case TYPE_PICKNODEBUTTON:
        if (ICustButton* b = GetICustButton(Item(hWnd_, def, 0))) {
            INode* node = pb_->GetINode(def.ID, t, entry);
            b->SetText(node ? node->GetName() : "None");
            ReleaseICustButton(b);
        }
        break;
    default:
        break;
    }
}

bool IParamMap2::Take(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!pb_) return false;
    const int id = LOWORD(wParam);
    const ParamDef* def = nullptr;
    for (const ParamDef& d : desc_->paramdefs)
        if (d.ui_map == map_.id && Holds(d, id)) def = &d;
    if (!def) return false;
    const TimeValue t = Now();
    const int entry = Entry(*def);
    switch (msg) {
    case CC_SPINNER_CHANGE: {
        if (def->ctrl_type != TYPE_SPINNER || def->ctrl_IDs.at(1) != id) return false;
        auto* s = reinterpret_cast<ISpinnerControl*>(lParam);
        ISpinnerControl* own = s ? nullptr : GetISpinner(Item(hWnd_, *def, 1));
        if (!s) s = own;
        if (!s) return false;
        if (IsIntType(def->type)) pb_->SetValue(def->ID, t, s->GetIVal(), entry);
        else pb_->SetValue(def->ID, t, s->GetFVal(), entry);
        if (own) ReleaseISpinner(own);
        return true;
    }
    case CC_COLOR_CHANGE: {
        if (def->ctrl_type != TYPE_COLORSWATCH) return false;
        IColorSwatch* s = GetIColorSwatch(Item(hWnd_, *def, 0));
        if (!s) return false;
        pb_->SetValue(def->ID, t, s->GetColorValue(), entry);
        ReleaseIColorSwatch(s);
        return true;
    }
    case WM_CUSTEDIT_ENTER: {
        if (def->ctrl_type != TYPE_EDITBOX) return false;
        char text[512] = "";
        GetDlgItemText(hWnd_, id, text, sizeof text);
        if (BaseType(def->type) == TYPE_STRING || BaseType(def->type) == TYPE_FILENAME)
            pb_->SetValue(def->ID, t, static_cast<const MCHAR*>(text), entry);
        else if (IsIntType(def->type)) pb_->SetValue(def->ID, t, std::atoi(text), entry);
        else pb_->SetValue(def->ID, t, static_cast<float>(std::atof(text)), entry);
        Show(*def);
        return true;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) return false;
        switch (def->ctrl_type) {
        case TYPE_SINGLECHECKBOX:
            pb_->SetValue(def->ID, t, IsDlgButtonChecked(hWnd_, id) == BST_CHECKED ? 1 : 0, entry);
            return true;
        case TYPE_RADIO:
            for (std::size_t i = 0; i < def->ctrl_IDs.size(); ++i)
                if (def->ctrl_IDs[i] == id) pb_->SetValue(def->ID, t, RadioValue(*def, i), entry);
            Show(*def);
            return true;
        case TYPE_CHECKBUTTON:
            if (ICustButton* b = GetICustButton(Item(hWnd_, *def, 0))) {
                pb_->SetValue(def->ID, t, b->IsChecked() ? 1 : 0, entry);
                ReleaseICustButton(b);
            }
            return true;
        case TYPE_PICKNODEBUTTON: {
            Interface* ip = ip_ ? ip_ : GetCOREInterface();
            if (!ip) return true;
            std::unique_ptr<MapPickMode>& mode = pickModes_[def->ID];
            if (!mode) mode = std::make_unique<MapPickMode>(this, *def);
            // A second press ends the mode, as the host's pick buttons do.
            if (ip->GetCurPickMode() == mode.get()) ip->ClearPickMode();
            else ip->SetPickMode(mode.get());
            // The button reflects the mode, not its own toggling.
            if (ICustButton* b = GetICustButton(Item(hWnd_, *def, 0))) {
                b->SetCheck(mode->active);
                ReleaseICustButton(b);
            }
            return true;
        }
        default:
            return false;
        }
    default:
        return false;
    }
}

INT_PTR IParamMap2::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
    Take(msg, wParam, lParam);
    return Send(Now(), msg, wParam, lParam);
}

INT_PTR CALLBACK IParamMap2::DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* map = reinterpret_cast<IParamMap2*>(lParam);
        if (!map) return FALSE;
        SetWindowLongPtr(hWnd, GWLP_USERDATA, lParam);
        map->hWnd_ = hWnd;
        map->windowed_ = true;
        for (const ParamDef& def : map->desc_->paramdefs)
            if (def.ui_map == map->map_.id) {
                map->SetUp(def);
                map->Show(def);
            }
        map->Send(map->Now(), WM_INITDIALOG, wParam, 0);
        return TRUE;
    }
    auto* map = reinterpret_cast<IParamMap2*>(GetWindowLongPtr(hWnd, GWLP_USERDATA));
    if (!map) return FALSE;
    if (msg == WM_DESTROY) {
        SetWindowLongPtr(hWnd, GWLP_USERDATA, 0);
        return map->Send(map->Now(), WM_DESTROY, wParam, lParam);
    }
    return map->Message(msg, wParam, lParam);
}

IParamMap2* IParamMap2::Open(MapID map_id, IParamBlock2* pb, int dialogId, const MCHAR* title,
                             DWORD flags, ParamMap2UserDlgProc* dlgProc,
                             const std::function<bool(IParamMap2*, LPARAM)>& addPage, TimeValue now) {
    ParamBlockDesc2* desc = pb->GetDesc();
    MapDef def;
    if (const MapDef* declared = desc->GetMapDef(map_id)) def = *declared;
    def.id = map_id;
    def.dialogId = dialogId;
    def.rollFlags = flags;
    def.proc = dlgProc;
    auto* map = new IParamMap2(desc, def, pb, nullptr);
    map->SetTitle(title ? title : "");
    if (addPage(map, reinterpret_cast<LPARAM>(map))) return map;
    map->windowed_ = false;
    HWND wnd = win32host::CreateHeadlessWindow("#32770", nullptr, dialogId);
    SetWindowTextA(wnd, title ? title : "");
    map->hWnd_ = wnd;
    map->Send(now, WM_INITDIALOG, 0, 0);
    return map;
}

IParamMap2* CreateCPParamMap2(MapID map_id, IParamBlock2* pb, Interface* ip, HINSTANCE hInst,
                              int dialogId, const MCHAR* title, DWORD flags,
                              ParamMap2UserDlgProc* dlgProc) {
    if (!pb) return nullptr;
    return IParamMap2::Open(
        map_id, pb, dialogId, title, flags, dlgProc,
        [&](IParamMap2* map, LPARAM param) {
            map->ip_ = ip;
            return ip && ip->AddRollupPage(hInst, dialogId, &IParamMap2::DialogProc,
                                           title ? title : "", param, flags);
        },
        ip ? ip->GetTime() : 0);
}

void DestroyCPParamMap2(IParamMap2* m) {
    if (!m) return;
    if (m->windowed_) {
        // WM_DESTROY reaches the user procedure through DialogProc.
        if (m->ip_) m->ip_->DeleteRollupPage(m->hWnd_);
        else DestroyWindow(m->hWnd_);
        if (IParamBlock2* pb = m->GetParamBlock()) pb->SetMap(nullptr, m->GetMapID());
    } else {
        Interface* ip = GetCOREInterface();
        m->Send(ip ? ip->GetTime() : 0, WM_DESTROY, 0, 0);
        if (IParamBlock2* pb = m->GetParamBlock()) pb->SetMap(nullptr, m->GetMapID());
        DestroyWindow(m->hWnd_);
    }
    delete m;
}

IParamMap2* CreateMParamMap2(MapID map_id, IParamBlock2* pb, IMtlParams* imp, HINSTANCE hInst,
                             int dialogId, const MCHAR* title, DWORD flags,
                             ParamMap2UserDlgProc* dlgProc) {
    if (!pb || !imp) return nullptr;
    return IParamMap2::Open(
        map_id, pb, dialogId, title, flags, dlgProc,
        [&](IParamMap2* map, LPARAM param) {
            map->imp_ = imp;
            return imp->AddRollupPage(hInst, dialogId, &IParamMap2::DialogProc, title ? title : "",
                                      param, flags) != nullptr;
        },
        imp->GetTime());
}

void DestroyMParamMap2(IParamMap2* m) {
    if (!m) return;
    if (m->windowed_) {
        m->imp_->DeleteRollupPage(m->hWnd_);
    } else {
        m->Send(m->imp_->GetTime(), WM_DESTROY, 0, 0);
        DestroyWindow(m->hWnd_);
    }
    if (IParamBlock2* pb = m->GetParamBlock()) pb->SetMap(nullptr, m->GetMapID());
    delete m;
}
