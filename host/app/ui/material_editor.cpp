#include "host/app/ui/material_editor.h"

#include <algorithm>

#include "host/app/core_interface.h"
#include "host/app/renderer.h"
#include "host/app/resource_script.h"
#include "host/app/scene.h"
#include "host/app/ui/owned_window.h"
#include "host/app/ui/ui_driver.h"
#include "host/app/ui/window_manager.h"
#include "host/sdk/custom_controls.h"
#include "host/sdk/drag_and_drop.h"
#include "host/sdk/inode.h"
#include "host/sdk/tri_object.h"

namespace contorra {

namespace {

constexpr const char* kEditorClass = "ContorraMaterialEditor";
constexpr const char* kSampleClass = "ContorraSampleSlot";
constexpr int kMapsPanel = 9110;
constexpr int kMapsSlots = 2;
constexpr int kSlotLabel0 = 9111; // label and button of slot i: 9111 + 2i, 9112 + 2i
constexpr int kTop = MaterialEditor::kSampleSize + 16;
// The editor's windows are cleared to the face colour.
const HBRUSH kFace = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_BTNFACE + 1));

// The host's dialog templates, in the resource script's own words.
constexpr const char* kHostDialogs = R"(
9100 DIALOGEX 0, 0, 212, 34
STYLE DS_SETFONT | WS_CHILD | WS_VISIBLE
FONT 8, "MS Sans Serif", 0, 0, 0x0
BEGIN
    RTEXT           "Output Amount:",-1,4,6,62,8
    CONTROL         "",9101,"CustEdit",WS_TABSTOP,70,5,40,10
    CONTROL         "",9102,"SpinnerControl",0x0,111,5,7,10
    RTEXT           "RGB Level:",-1,4,20,62,8
    CONTROL         "",9103,"CustEdit",WS_TABSTOP,70,19,40,10
    CONTROL         "",9104,"SpinnerControl",0x0,111,19,7,10
END

9110 DIALOGEX 0, 0, 212, 36
STYLE DS_SETFONT | WS_CHILD | WS_VISIBLE
FONT 8, "MS Sans Serif", 0, 0, 0x0
BEGIN
    RTEXT           "",9111,4,6,50,8
    CONTROL         "None",9112,"CustButton",WS_TABSTOP,58,4,148,12
    RTEXT           "",9113,4,20,50,8
    CONTROL         "None",9114,"CustButton",WS_TABSTOP,58,18,148,12
END
)";

std::string Describe(MtlBase* m) {
    if (!m) return "";
    MSTR cls;
    m->GetClassName(cls);
    return m->GetName().empty() ? cls : m->GetName() + " (" + cls + ")";
}

// A flat plane of 10 x 10 squares, 10 units wide: its open border gives
// edge-based maps something to show.
Object* SamplePlane() {
    constexpr int n = 10;
    TriObject* obj = CreateNewTriObject();
    Mesh& m = obj->GetMesh();
    const int row = n + 1;
    m.setNumVerts(row * row);
    for (int i = 0; i < row * row; ++i)
        m.setVert(i, Point3(static_cast<float>(i % row), static_cast<float>(i / row), 0.0f));
    m.setNumFaces(2 * n * n);
    for (int f = 0; f < 2 * n * n; ++f) {
        const int a = f / 2 / n * row + f / 2 % n, c = a + row + 1;
        m.faces[f].setVerts(a, f % 2 ? c : a + 1, f % 2 ? c - 1 : c);
        m.faces[f].setEdgeVisFlags(EDGE_VIS, EDGE_VIS, EDGE_VIS);
        m.faces[f].setSmGroup(1);
    }
    m.buildNormals();
    return obj;
}

} // namespace

void AddHostDialogs() {
    std::string error;
    if (auto script = ParseResourceScript(kHostDialogs, "host dialogs", "", error))
        ui::AddModuleDialogs(GetHostInstance(), *script);
}

MaterialEditor::MaterialEditor(Scene& scene, CoreInterface& core, int x, int y)
    : scene_(scene), core_(core) {
    AddHostDialogs();
    ui::RegisterHostClass(kEditorClass, &MaterialEditor::FrameProc, kFace);
    ui::RegisterHostClass(kSampleClass, &MaterialEditor::SampleProc, kFace);
    wnd_ = CreateWindowExA(0, kEditorClass, "Material Editor", WS_POPUP | WS_VISIBLE, x, y, kWidth,
                           kHeight, nullptr, nullptr, nullptr, this);
    sample_ = CreateWindowExA(0, kSampleClass, "Sample", WS_CHILD | WS_VISIBLE | WS_BORDER, 8, 8,
                              kSampleSize + 2, kSampleSize + 2, wnd_, nullptr, nullptr, this);
    name_ = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, kSampleSize + 20, 10,
                            kWidth - kSampleSize - 28, 32, wnd_, nullptr, nullptr, nullptr);
    parent_ = CreateWindowExA(0, "Button", "Go to Parent", WS_CHILD | WS_VISIBLE | WS_DISABLED,
                              kSampleSize + 20, 48, 100, 22, wnd_,
                              reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(kParentButton)),
                              nullptr, nullptr);
    for (HWND w : {name_, parent_})
        SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(GetAppHFont()), FALSE);
    panel_ = std::make_unique<CommandPanel>(wnd_, 0, kTop, kWidth, kHeight - kTop);
}

MaterialEditor::~MaterialEditor() {
    CloseDialog();
    panel_.reset();
    SetWindowLongPtr(sample_, GWLP_USERDATA, 0);
    SetWindowLongPtr(wnd_, GWLP_USERDATA, 0);
    DestroyWindow(wnd_);
}

void MaterialEditor::CloseDialog() {
    if (dialog_) dialog_->DeleteThis();
    dialog_ = nullptr;
    if (mapsPage_) panel_->DeletePage(mapsPage_);
    mapsPage_ = nullptr;
}

void MaterialEditor::Open(Mtl* mtl) {
    CloseDialog();
    material_ = mtl;
    path_.clear();
    if (mtl) path_.push_back(mtl);
    ShowCurrent();
}

void MaterialEditor::GoToSubMap(MtlBase* parent, int i) {
    Texmap* sub = parent ? parent->GetSubTexmap(i) : nullptr;
    if (!sub) return;
    CloseDialog();
    path_.push_back(sub);
    ShowCurrent();
}

void MaterialEditor::GoToParent() {
    if (path_.size() < 2) return;
    CloseDialog();
    path_.pop_back();
    ShowCurrent();
}

void MaterialEditor::ShowCurrent() {
    MtlBase* thing = Current();
    SetWindowTextA(name_, Describe(thing).c_str());
    EnableWindow(parent_, path_.size() > 1);
    if (thing) {
        dialog_ = thing->CreateParamDlg(wnd_, this);
        // Without a dialog of its own, the thing's sub-maps are offered.
        if (!dialog_)
            mapsPage_ = panel_->AddPage(GetHostInstance(), kMapsPanel, &MaterialEditor::MapsPanelProc,
                                        "Maps", reinterpret_cast<LPARAM>(this));
    }
    MtlChanged();
}

INT_PTR CALLBACK MaterialEditor::MapsPanelProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtr(wnd, GWLP_USERDATA, lParam);
        auto* ed = reinterpret_cast<MaterialEditor*>(lParam);
        MtlBase* thing = ed->Current();
        for (int i = 0; i < kMapsSlots; ++i) {
            const bool used = thing && i < thing->NumSubTexmaps();
            HWND label = GetDlgItem(wnd, kSlotLabel0 + 2 * i), button = GetDlgItem(wnd, kSlotLabel0 + 2 * i + 1);
            ShowWindow(label, used ? SW_SHOW : SW_HIDE);
            ShowWindow(button, used ? SW_SHOW : SW_HIDE);
            if (!used) continue;
            SetWindowTextA(label, (thing->GetSubTexmapSlotName(i) + ":").c_str());
            Texmap* sub = thing->GetSubTexmap(i);
            SetWindowTextA(button, sub ? Describe(sub).c_str() : "None");
        }
        return TRUE;
    }
    auto* ed = reinterpret_cast<MaterialEditor*>(GetWindowLongPtr(wnd, GWLP_USERDATA));
    if (ed && msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        const int i = (LOWORD(wParam) - kSlotLabel0 - 1) / 2;
        if (i >= 0 && i < kMapsSlots)
            PostMessageA(ed->wnd_, WM_TEXMAP_BUTTON, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(static_cast<ReferenceTarget*>(ed->Current())));
        return TRUE;
    }
    return FALSE;
}

void MaterialEditor::TexmapButton(int index, MtlBase* thing) {
    // Only what is being edited has live buttons.
    if (!thing || thing != Current() || index < 0 || index >= thing->NumSubTexmaps()) return;
    if (!thing->GetSubTexmap(index)) {
        Texmap* chosen = browser_ ? browser_() : nullptr;
        if (!chosen) return;
        thing->SetSubTexmap(index, chosen);
    }
    GoToSubMap(thing, index);
}

void MaterialEditor::MtlChanged() {
    sampleDirty_ = true;
    if (sample_) InvalidateRect(sample_, nullptr, FALSE);
}

TimeValue MaterialEditor::GetTime() {
    return core_.GetTime();
}

HWND MaterialEditor::AddRollupPage(HINSTANCE hInst, int dialogId, DLGPROC proc, const MCHAR* title,
                                   LPARAM param, DWORD) {
    return panel_->AddPage(hInst, dialogId, proc, title ? title : "", param);
}

void MaterialEditor::DeleteRollupPage(HWND page) {
    panel_->DeletePage(page);
}

RasterImage MaterialEditor::RenderSample() {
    RenderSettings settings;
    settings.width = settings.height = kSampleSize;
    settings.time = GetTime();
    if (!material_) return RasterImage(kSampleSize, kSampleSize, {60, 60, 60, 255});
    INode* node = scene_.CreateNode(SamplePlane(), "material editor sample");
    node->SetMtl(material_);
    RasterImage image = RenderNodes({node}, settings);
    // The material stays with the scene's nodes that hold it.
    node->SetMtl(nullptr);
    scene_.DeleteNode(node);
    return image;
}

const RasterImage& MaterialEditor::Sample() {
    if (sampleDirty_) {
        sample_image_ = RenderSample();
        sampleDirty_ = false;
        ++sampleRenders_;
    }
    return sample_image_;
}

LRESULT CALLBACK MaterialEditor::SampleProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* ed = ui::Owner<MaterialEditor>(wnd, msg, lParam);
    if (ed && msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        ui::DrawImage(dc, 0, 0, ed->Sample());
        EndPaint(wnd, &ps);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

LRESULT CALLBACK MaterialEditor::FrameProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* ed = ui::Owner<MaterialEditor>(wnd, msg, lParam);
    if (ed && msg == WM_TEXMAP_BUTTON) {
        ed->TexmapButton(static_cast<int>(wParam),
                         dynamic_cast<MtlBase*>(reinterpret_cast<ReferenceTarget*>(lParam)));
        return 0;
    }
    if (ed && msg == WM_COMMAND && LOWORD(wParam) == kParentButton && HIWORD(wParam) == BN_CLICKED) {
        ed->GoToParent();
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

} // namespace contorra
