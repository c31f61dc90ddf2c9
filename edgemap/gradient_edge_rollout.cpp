#include "edgemap/gradient_edge_rollout.h"

#include "edgemap/gradient_edge_strings.h"
#include "host/sdk/mtl_param_dlg.h"
#include "host/sdk/win32_gdi.h"
#include "host/sdk/win32_window.h"

namespace {

constexpr float kMaxDistance = 10000000.0f;

// Runs f on the spinner of that id, if the dialog holds one.
template <class F> void WithSpinner(HWND dlg, int id, F f) {
    if (ISpinnerControl* s = GetISpinner(GetDlgItem(dlg, id))) {
        f(*s);
        ReleaseISpinner(s);
    }
}

void Enable(HWND dlg, int id, bool on) {
    EnableWindow(GetDlgItem(dlg, id), on);
}

void EnableSpinner(HWND dlg, int id, bool on) {
    WithSpinner(dlg, id, [on](ISpinnerControl& s) { s.Enable(on); });
}

bool Checked(HWND dlg, int id) {
    return IsDlgButtonChecked(dlg, id) == BST_CHECKED;
}

void FillCurveList(HWND list) {
    SendMessage(list, CB_RESETCONTENT, 0, 0);
    for (int id = IDS_GE_LINEAR; id <= IDS_GE_NO; ++id)
        SendMessage(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GradientEdgeString(id).c_str()));
}

} // namespace

GradientEdgeDlgProc::GradientEdgeDlgProc(GradientEdge* map, IMtlParams* imp, HWND hwMtlEdit)
    : map_(map), imp_(imp), hwMtlEdit_(hwMtlEdit), dadMgr_(this) {}

GradientEdgeDlgProc::~GradientEdgeDlgProc() {
    Destroyed();
}

RampMarker* GradientEdgeDlgProc::Active() {
    const int k = map_->ramp.FindByFlag(MARKER_ACTIVE);
    return k >= 0 ? &map_->ramp.markers[k] : nullptr;
}

RampMarker* GradientEdgeDlgProc::MarkerOf(LPARAM lParam) {
    for (RampMarker& m : map_->ramp.markers)
        if (reinterpret_cast<LPARAM>(&m) == lParam) return &m;
    return nullptr;
}

bool GradientEdgeDlgProc::PositionAsDistance() const {
    return hWnd_ && Checked(hWnd_, IDC_GE_POS_AS_DISTANCE);
}

void GradientEdgeDlgProc::InitDialog(HWND hWnd) {
    hWnd_ = hWnd;
    const RampMarker* a = Active();
    for (int id : {IDC_GE_IN_RAMP, IDC_GE_OUT_RAMP}) FillCurveList(GetDlgItem(hWnd, id));
    if (a) {
        SendDlgItemMessage(hWnd, IDC_GE_IN_RAMP, CB_SETCURSEL, static_cast<WPARAM>(a->inType), 0);
        SendDlgItemMessage(hWnd, IDC_GE_OUT_RAMP, CB_SETCURSEL, static_cast<WPARAM>(a->outType), 0);
    }
    baseMapButton_ = GetICustButton(GetDlgItem(hWnd, IDC_GE_BASE_MAP));
    transparentMapButton_ = GetICustButton(GetDlgItem(hWnd, IDC_GE_TRANSPARENT_MAP));
    for (ICustButton* b : {baseMapButton_, transparentMapButton_})
        if (b) b->SetDADMgr(&dadMgr_);

    if (HWND rampWnd = GetDlgItem(hWnd, IDC_GE_RAMP)) {
        ramp_ = new IGradientRamp(rampWnd, &map_->ramp);
        ramp_->SetEditHook([this] { MarkersChanged(); });
        ramp_->Paint();
    }
    baseSwatch_ = GetIColorSwatch(GetDlgItem(hWnd, IDC_GE_BASE_COLOR), RGB(0, 0, 0), "Color");
    transparentSwatch_ =
        GetIColorSwatch(GetDlgItem(hWnd, IDC_GE_TRANSPARENT_COLOR), RGB(0, 0, 0), "Color");
    if (a) {
        WithSpinner(hWnd, IDC_GE_POS_SPIN, [](ISpinnerControl& s) { s.SetScale(0.01f); });
        LinkPosition(a);
        if (baseSwatch_) baseSwatch_->SetColor(RampScreenColour(a->baseColor));
        if (transparentSwatch_) transparentSwatch_->SetColor(RampScreenColour(a->transparentColor));
        CheckDlgButton(hWnd, IDC_GE_BASE_MAP_ON, a->baseMapOn ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(hWnd, IDC_GE_TRANSPARENT_MAP_ON, a->transparentMapOn ? BST_CHECKED : BST_UNCHECKED);
    }
    WithSpinner(hWnd, IDC_GE_DISTANCE_SPIN, [](ISpinnerControl& s) {
        s.SetAutoScale(TRUE);
        s.SetResetValue(0.1f);
    });
    ApplyEnablingRules();
    RefreshMapButtons();
}

void GradientEdgeDlgProc::Destroyed() {
    if (map_ && map_->dialog == this) {
        map_->dialog = nullptr;
        map_->outputDialog = nullptr;
    }
    if (baseSwatch_) ReleaseIColorSwatch(baseSwatch_);
    if (transparentSwatch_) ReleaseIColorSwatch(transparentSwatch_);
    if (baseMapButton_) ReleaseICustButton(baseMapButton_);
    if (transparentMapButton_) ReleaseICustButton(transparentMapButton_);
    baseSwatch_ = transparentSwatch_ = nullptr;
    baseMapButton_ = transparentMapButton_ = nullptr;
    delete ramp_;
    ramp_ = nullptr;
    hWnd_ = nullptr;
}

void GradientEdgeDlgProc::ApplyEnablingRules() {
    if (!hWnd_) return;
    const bool matId = Checked(hWnd_, IDC_GE_MATID);
    EnableSpinner(hWnd_, IDC_GE_ANGLE_SPIN, Checked(hWnd_, IDC_GE_COMPLANAR));
    for (int id : {IDC_GE_SMOOTH_EQUALS, IDC_GE_SMOOTH_DIFFERENCE}) Enable(hWnd_, id, Checked(hWnd_, IDC_GE_SMOOTH));
    for (int id : {IDC_GE_MATID_EQUALS, IDC_GE_MATID_DIFFERENCE, IDC_GE_MATID_RANGE}) Enable(hWnd_, id, matId);
    const bool range = matId && Checked(hWnd_, IDC_GE_MATID_RANGE);
    for (int id : {IDC_GE_MATID1_SPIN, IDC_GE_MATID2_SPIN}) EnableSpinner(hWnd_, id, range);
}

void GradientEdgeDlgProc::LinkPosition(const RampMarker* m) {
    const bool asDistance = PositionAsDistance();
    WithSpinner(hWnd_, IDC_GE_POS_SPIN, [&](ISpinnerControl& s) {
        s.LinkToEdit(GetDlgItem(hWnd_, IDC_GE_POS_EDIT), asDistance ? EDITTYPE_UNIVERSE : EDITTYPE_FLOAT);
        if (asDistance) s.SetLimits(0.0f, kMaxDistance, FALSE);
        else s.SetLimits(0.0f, 1.0f, FALSE);
    });
    ShowPosition(m);
}

void GradientEdgeDlgProc::ShowPosition(const RampMarker* m) {
    if (!m || !hWnd_) return;
    const float v = PositionAsDistance() ? map_->distance * m->position : m->position;
    WithSpinner(hWnd_, IDC_GE_POS_SPIN, [v](ISpinnerControl& s) { s.SetValue(v, FALSE); });
}

void GradientEdgeDlgProc::ShowMarker(const RampMarker* m) {
    if (!hWnd_) return;
    if (m) {
        if (baseSwatch_) baseSwatch_->SetColor(RampScreenColour(m->baseColor));
        if (transparentSwatch_) transparentSwatch_->SetColor(RampScreenColour(m->transparentColor));
        ShowPosition(m);
        SendDlgItemMessage(hWnd_, IDC_GE_IN_RAMP, CB_SETCURSEL, static_cast<WPARAM>(m->inType), 0);
        SendDlgItemMessage(hWnd_, IDC_GE_OUT_RAMP, CB_SETCURSEL, static_cast<WPARAM>(m->outType), 0);
        CheckDlgButton(hWnd_, IDC_GE_BASE_MAP_ON, m->baseMapOn ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(hWnd_, IDC_GE_TRANSPARENT_MAP_ON, m->transparentMapOn ? BST_CHECKED : BST_UNCHECKED);
    }
    RefreshMapButtons();
}

void GradientEdgeDlgProc::RefreshMapButtons() {
    if (!hWnd_) return;
    const RampMarker* a = Active();
    auto show = [](ICustButton* b, Texmap* m) {
        if (!b) return;
        MSTR name = m ? m->GetName() : MSTR();
        if (m) {
            MSTR cls;
            m->GetClassName(cls);
            name += name.empty() ? cls : " (" + cls + ")";
        }
        b->SetText(m ? name.c_str() : "None");
    };
    show(baseMapButton_, a ? a->baseMap : nullptr);
    show(transparentMapButton_, a ? a->transparentMap : nullptr);
}

void GradientEdgeDlgProc::RepaintRamp() {
    if (hWnd_) SendDlgItemMessage(hWnd_, IDC_GE_RAMP, GE_RAMP_REPAINT, 0, 0);
}

void GradientEdgeDlgProc::MarkersChanged() {
    map_->SyncMarkerReferences();
    map_->DiscardTexHandle();
    map_->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    if (imp_) imp_->MtlChanged();
}

void GradientEdgeDlgProc::Command(int id, int code) {
    RampMarker* a = Active();
    switch (id) {
    case IDC_GE_SMOOTH:
    case IDC_GE_COMPLANAR:
    case IDC_GE_MATID:
    case IDC_GE_MATID_RANGE:
        ApplyEnablingRules();
        break;
    case IDC_GE_BASE_MAP_ON:
    case IDC_GE_TRANSPARENT_MAP_ON:
        if (!a) break;
        (id == IDC_GE_BASE_MAP_ON ? a->baseMapOn : a->transparentMapOn) = Checked(hWnd_, id) ? 1 : 0;
        MarkersChanged();
        break;
    case IDC_GE_POS_AS_DISTANCE:
        LinkPosition(a);
        break;
    case IDC_GE_IN_RAMP:
    case IDC_GE_OUT_RAMP: {
        if (code != CBN_SELCHANGE || !a) break;
        const LRESULT sel = SendDlgItemMessage(hWnd_, id, CB_GETCURSEL, 0, 0);
        (id == IDC_GE_IN_RAMP ? a->inType : a->outType) = sel < 0 ? 0 : static_cast<int>(sel);
        RepaintRamp();
        MarkersChanged();
        break;
    }
    case IDC_GE_BASE_MAP:
    case IDC_GE_TRANSPARENT_MAP: {
        if (code != BN_CLICKED || !hwMtlEdit_) break;
        const int k = map_->ramp.IndexOfFlag(MARKER_ACTIVE);
        PostMessage(hwMtlEdit_, WM_TEXMAP_BUTTON, static_cast<WPARAM>(2 * k + (id == IDC_GE_TRANSPARENT_MAP)),
                    reinterpret_cast<LPARAM>(static_cast<ReferenceTarget*>(map_)));
        break;
    }
    default:
        break;
    }
}

void GradientEdgeDlgProc::SpinnerMessage(int id) {
    RampMarker* a = Active();
    if (!a) return;
    if (id == IDC_GE_DISTANCE_SPIN || id == IDC_GE_DISTANCE_EDIT) {
        WithSpinner(hWnd_, IDC_GE_DISTANCE_SPIN, [this](ISpinnerControl& s) { map_->distance = s.GetFVal(); });
        ShowPosition(a);
    } else if (id == IDC_GE_POS_SPIN || id == IDC_GE_POS_EDIT) {
        float v = a->position;
        WithSpinner(hWnd_, IDC_GE_POS_SPIN, [&v](ISpinnerControl& s) { v = s.GetFVal(); });
        if (!PositionAsDistance()) a->position = v;
        else if (map_->distance > 0.0f) a->position = v / map_->distance;
        MarkersChanged();
    } else {
        return;
    }
    RepaintRamp();
}

void GradientEdgeDlgProc::SwatchMessage(int id) {
    RampMarker* a = Active();
    if (!a) return;
    if (id == IDC_GE_BASE_COLOR && baseSwatch_)
        a->baseColor = AColor(baseSwatch_->GetColorValue(), a->baseColor.a);
    else if (id == IDC_GE_TRANSPARENT_COLOR && transparentSwatch_)
        a->transparentColor = AColor(transparentSwatch_->GetColorValue(), a->transparentColor.a);
    else
        return;
    RepaintRamp();
    MarkersChanged();
}

INT_PTR GradientEdgeDlgProc::DlgProc(TimeValue, IParamMap2*, HWND hWnd, UINT msg, WPARAM wParam,
                                     LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        InitDialog(hWnd);
        return TRUE;
    case WM_PAINT:
        if (!painted_) {
            painted_ = true;
            ReloadDialog();
        }
        return FALSE;
    case WM_COMMAND:
        Command(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case CC_SPINNER_CHANGE:
    case CC_SPINNER_BUTTONUP:
    case WM_CUSTEDIT_ENTER:
        SpinnerMessage(LOWORD(wParam));
        return TRUE;
    case CC_COLOR_CHANGE:
        SwatchMessage(LOWORD(wParam));
        return TRUE;
    case GE_RAMP_MARKER_CHOSEN:
        ShowMarker(MarkerOf(lParam));
        return TRUE;
    case GE_RAMP_MARKER_DRAGGED:
        ShowPosition(MarkerOf(lParam));
        return TRUE;
    case WM_DESTROY:
        Destroyed();
        return TRUE;
    default:
        return FALSE;
    }
}

void GradientEdgeDlgProc::SetThing(ReferenceTarget* m) {
    auto* next = dynamic_cast<GradientEdge*>(m);
    if (!next || next == map_) return;
    // The output's dialog goes with the rollout, so that the new map's
    // SetDlgThing knows it.
    next->outputDialog = map_->outputDialog;
    if (map_->dialog == this) {
        map_->dialog = nullptr;
        map_->outputDialog = nullptr;
    }
    map_ = next;
    map_->dialog = this;
    map_->editorWindow = hwMtlEdit_;
    if (ramp_) ramp_->SetRamp(&map_->ramp);
    RepaintRamp();
    ShowMarker(Active());
    RefreshMapButtons();
}

void GradientEdgeDlgProc::SetTime(TimeValue t) {
    Interval valid = FOREVER;
    map_->Update(t, valid);
}

void GradientEdgeDlgProc::ReloadDialog() {
    SetTime(imp_ ? imp_->GetTime() : 0);
    RefreshMapButtons();
    if (imp_) imp_->MtlChanged();
}

int GradientEdgeDlgProc::FindSubTexFromHWND(HWND wnd) {
    if (!wnd || !hWnd_) return -1;
    const int k = map_->ramp.IndexOfFlag(MARKER_ACTIVE);
    if (wnd == GetDlgItem(hWnd_, IDC_GE_BASE_MAP)) return 2 * k;
    if (wnd == GetDlgItem(hWnd_, IDC_GE_TRANSPARENT_MAP)) return 2 * k + 1;
    return -1;
}


ParamDlg* GradientEdge::CreateParamDlg(HWND hwMtlEdit, IMtlParams* imp) {
    IAutoMParamDlg* main = CreateAutoMParamDlg(GetGradientEdgeDesc(), hwMtlEdit, imp, this);
    if (!main) return nullptr;
    if (texout) {
        outputDialog = texout->CreateParamDlg(hwMtlEdit, imp);
        main->AddDlg(outputDialog);
    }
    auto* proc = new GradientEdgeDlgProc(this, imp, hwMtlEdit);
    dialog = proc;
    if (IParamMap2* rollout = main->GetMap(0)) rollout->SetUserDlgProc(proc);
    editorWindow = hwMtlEdit;
    return main;
}
