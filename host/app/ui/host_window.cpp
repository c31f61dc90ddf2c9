#include "host/app/ui/host_window.h"

#include <algorithm>
#include <cmath>

#include "host/app/text_label.h"
#include "host/app/ui/owned_window.h"
#include "host/app/ui/ui_driver.h"
#include "host/sdk/inode.h"
#include "host/sdk/modifier.h"
#include "host/sdk/pick_mode.h"
#include "host/sdk/ui_colors.h"

namespace contorra {

namespace {

constexpr const char* kFrameClass = "ContorraHostFrame";
constexpr const char* kViewClass = "ContorraViewport";
constexpr const char* kProgressClass = "ContorraProgress";
constexpr int kCancelId = 2; // IDCANCEL

COLORREF UiColour(int which) {
    const Point3 c = GetUIColor(which);
    auto byte = [](float v) { return static_cast<int>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
    return RGB(byte(c.x), byte(c.y), byte(c.z));
}

} // namespace

struct HostWindow::ViewPane {
    HostWindow* host = nullptr;
    ViewKind kind{};
    HWND wnd = nullptr;
    std::unique_ptr<Viewport> vp;
    RasterImage image;
    bool dirty = true;
};

HostWindow::HostWindow(Scene& scene, CoreInterface& core, int width, int height)
    : scene_(scene), core_(core) {
    ui::RegisterHostClass(kFrameClass, &HostWindow::FrameProc);
    ui::RegisterHostClass(kViewClass, &HostWindow::ViewProc);
    ui::RegisterHostClass(kProgressClass, &HostWindow::ProgressProc);
    wnd_ = CreateWindowExA(0, kFrameClass, "Contorra", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                           nullptr, nullptr, nullptr, this);
    const int viewsW = width - kPanelWidth;
    const int leftW = viewsW / 2, topH = height / 2;
    const ViewKind kinds[4] = {ViewKind::Top, ViewKind::Front, ViewKind::Left,
                               ViewKind::Perspective};
    const std::vector<INode*> nodes = scene_.Nodes();
    for (int i = 0; i < 4; ++i) {
        auto pane = std::make_unique<ViewPane>();
        pane->host = this;
        pane->kind = kinds[i];
        const int x0 = (i % 2) ? leftW + 1 : 0, y0 = (i / 2) ? topH + 1 : 0;
        const int w = (i % 2) ? viewsW - leftW - 1 : leftW, h = (i / 2) ? height - topH - 1 : topH;
        ViewOptions o;
        o.width = std::max(w, 1);
        o.height = std::max(h, 1);
        // The perspective view starts smooth-shaded, as the host starts it.
        o.shaded = kinds[i] == ViewKind::Perspective;
        pane->vp = std::make_unique<Viewport>(kinds[i], o);
        pane->vp->ZoomExtents(nodes);
        pane->wnd = CreateWindowExA(0, kViewClass, ViewName(kinds[i]), WS_CHILD | WS_VISIBLE, x0,
                                    y0, o.width, o.height, wnd_, nullptr, nullptr, pane.get());
        panes_.push_back(std::move(pane));
    }
    panel_ = std::make_unique<CommandPanel>(wnd_, viewsW, 0, kPanelWidth, height);
    core_.SetUserInterface(this);
}

HostWindow::~HostWindow() {
    core_.ClearPickMode();
    if (edited_) edited_->EndEditParams(&core_, END_EDIT_REMOVEUI, nullptr);
    core_.SetUserInterface(nullptr);
    if (progress_) DestroyWindow(progress_);
    editor_.reset();
    panel_.reset();
    for (auto& p : panes_) SetWindowLongPtr(p->wnd, GWLP_USERDATA, 0);
    SetWindowLongPtr(wnd_, GWLP_USERDATA, 0);
    DestroyWindow(wnd_);
}

MaterialEditor& HostWindow::Editor() {
    if (!editor_) {
        RECT r{};
        GetWindowRect(wnd_, &r);
        editor_ = std::make_unique<MaterialEditor>(scene_, core_, r.right + 8, r.top);
    }
    return *editor_;
}

Mtl* HostWindow::FindMaterial(const std::string& name) const {
    if (materialLookup_)
        if (Mtl* m = materialLookup_(name)) return m;
    for (INode* n : scene_.Nodes())
        if (Mtl* m = n->GetMtl(); m && m->GetName() == name) return m;
    return nullptr;
}

HWND HostWindow::ViewWindow(ViewKind kind) const {
    for (const auto& p : panes_)
        if (p->kind == kind) return p->wnd;
    return nullptr;
}

Viewport& HostWindow::View(ViewKind kind) {
    for (auto& p : panes_)
        if (p->kind == kind) return *p->vp;
    return *panes_.front()->vp;
}

HostWindow::ViewPane* HostWindow::PaneOf(HWND wnd) {
    for (auto& p : panes_)
        if (p->wnd == wnd) return p.get();
    return nullptr;
}

Animatable* HostWindow::TopOfStack(INode* node) {
    if (!node) return nullptr;
    if (const int n = node->NumWSModifiers(); n > 0) return node->GetWSModifier(n - 1);
    Object* obj = node->GetObjectRef();
    if (auto* derived = dynamic_cast<IDerivedObject*>(obj); derived && derived->NumModifiers() > 0)
        return derived->GetModifier(0);
    return obj;
}

void HostWindow::Select(INode* node) {
    Animatable* next = TopOfStack(node);
    for (INode* n : scene_.Nodes()) n->SetSelected(n == node);
    if (next != edited_) {
        // A pick mode belongs to the panel it was started from.
        core_.ClearPickMode();
        Animatable* prev = edited_;
        // Rollouts stay up from one object to the next of the same class.
        const bool sameClass = prev && next && prev->ClassID() == next->ClassID() &&
                               prev->SuperClassID() == next->SuperClassID();
        if (prev) prev->EndEditParams(&core_, sameClass ? 0 : END_EDIT_REMOVEUI, next);
        edited_ = next;
        if (next) next->BeginEditParams(&core_, BEGIN_EDIT_MOTION, prev);
    }
    selected_ = node;
    RedrawViews();
}

HWND HostWindow::AddRollupPage(HINSTANCE hInst, int dialogId, DLGPROC proc, const MCHAR* title,
                               LPARAM param, DWORD) {
    return panel_->AddPage(hInst, dialogId, proc, title ? title : "", param);
}

void HostWindow::DeleteRollupPage(HWND page) {
    panel_->DeletePage(page);
}

INode* HostWindow::PickNode(HWND viewport, IPoint2 m, PickNodeCallback* filter) {
    ViewPane* pane = PaneOf(viewport);
    if (!pane) return nullptr;
    std::vector<INode*> nodes;
    for (INode* n : scene_.Nodes())
        if (!n->IsHidden() && (!filter || filter->Filter(n))) nodes.push_back(n);
    const std::vector<INode*> hits = pane->vp->Pick(nodes, m);
    if (hits.empty()) return nullptr;
    // The hit list keeps only the node in front, so that GetClosestHit,
    // which goes by distance from the pointer, names the same node.
    pane->vp->ClearHitList();
    pane->vp->LogHit(hits.front(), nullptr, 0, 0, nullptr);
    return hits.front();
}

void HostWindow::RedrawViews() {
    for (auto& p : panes_) {
        p->dirty = true;
        InvalidateRect(p->wnd, nullptr, FALSE);
    }
}

void HostWindow::PaintView(ViewPane& pane) {
    if (pane.dirty) {
        pane.image = pane.vp->Draw(scene_.Nodes());
        const Point3 c = GetUIColor(COLOR_VP_LABELS);
        DrawTextLabel(pane.image, 6, 16, ViewName(pane.kind),
                      Rgba8{static_cast<std::uint8_t>(c.x * 255), static_cast<std::uint8_t>(c.y * 255),
                            static_cast<std::uint8_t>(c.z * 255), 255});
        pane.dirty = false;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(pane.wnd, &ps);
    ui::DrawImage(dc, 0, 0, pane.image);
    EndPaint(pane.wnd, &ps);
}

void HostWindow::ViewClick(ViewPane& pane, POINT at, bool right) {
    const IPoint2 m(at.x, at.y);
    if (PickModeCallback* pm = core_.GetCurPickMode()) {
        if (right) {
            if (pm->RightClick(&core_, pane.vp.get())) core_.ClearPickMode();
            return;
        }
        if (pm->HitTest(&core_, pane.wnd, pane.vp.get(), m, 0) && pm->Pick(&core_, pane.vp.get()))
            core_.ClearPickMode();
        RedrawViews();
        return;
    }
    if (right) return;
    std::vector<INode*> visible;
    for (INode* n : scene_.Nodes())
        if (!n->IsHidden()) visible.push_back(n);
    const std::vector<INode*> hits = pane.vp->Pick(visible, m);
    Select(hits.empty() ? nullptr : hits.front());
}

bool HostWindow::PixelOf(ViewKind kind, INode* node, POINT& at) {
    Viewport& vp = View(kind);
    const Box3 box = NodeWorldBox(node, 0, &vp);
    const ScreenVertex c = vp.Camera().Project(box.Center());
    const int w = vp.Camera().width, h = vp.Camera().height;
    const int cx = std::clamp(static_cast<int>(std::lround(c.x)), 0, w - 1);
    const int cy = std::clamp(static_cast<int>(std::lround(c.y)), 0, h - 1);
    // Rings outwards from the centre, a few pixels apart: the first pixel
    // where the node is the nearest hit is the one a user would click.
    const std::vector<INode*> only{node};
    std::vector<INode*> visible;
    for (INode* n : scene_.Nodes())
        if (!n->IsHidden()) visible.push_back(n);
    for (int r = 0; r < std::max(w, h); r += 3) {
        for (int dy = -r; dy <= r; dy += 3)
            for (int dx = -r; dx <= r; dx += 3) {
                if (std::max(std::abs(dx), std::abs(dy)) != r) continue;
                const int x = cx + dx, y = cy + dy;
                if (x < 0 || y < 0 || x >= w || y >= h) continue;
                if (!vp.Pick(only, IPoint2(x, y)).empty() &&
                    vp.Pick(visible, IPoint2(x, y)).front() == node) {
                    at = POINT{x, y};
                    return true;
                }
            }
    }
    return false;
}

void HostWindow::ArmCancel(const std::string& title, int percent) {
    armed_ = true;
    armedTitle_ = title;
    armedPercent_ = percent;
}

void HostWindow::ActionDone() {
    core_.SetCancel(FALSE);
}

void HostWindow::ProgressShown(const std::string& title, int percent) {
    if (!progress_) {
        RECT r{};
        GetWindowRect(wnd_, &r);
        const int w = 320, h = 96;
        progress_ = CreateWindowExA(0, kProgressClass, "Progress", WS_POPUP | WS_VISIBLE | WS_BORDER,
                                    (r.left + r.right - w) / 2, (r.top + r.bottom - h) / 2, w, h,
                                    wnd_, nullptr, nullptr, this);
        progressBar_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, w - 20, 20,
                                       progress_, reinterpret_cast<HMENU>(100), nullptr, nullptr);
        cancelButton_ = CreateWindowExA(0, "BUTTON", "Cancel", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                        w / 2 - 40, h - 36, 80, 24, progress_,
                                        reinterpret_cast<HMENU>(kCancelId), nullptr, nullptr);
    }
    const std::string text = title + "  " + std::to_string(percent) + "%";
    SetWindowTextA(progressBar_, text.c_str());
    if (armed_ && (armedTitle_.empty() || armedTitle_ == title) && percent >= armedPercent_) {
        armed_ = false;
        ui::Click(cancelButton_);
    }
}

void HostWindow::ProgressHidden() {
    if (!progress_) return;
    SetWindowLongPtr(progress_, GWLP_USERDATA, 0);
    DestroyWindow(progress_);
    progress_ = progressBar_ = cancelButton_ = nullptr;
}

LRESULT CALLBACK HostWindow::FrameProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* host = ui::Owner<HostWindow>(wnd, msg, lParam);
    if (host && msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        RECT c{};
        GetClientRect(wnd, &c);
        HBRUSH border = CreateSolidBrush(UiColour(COLOR_VP_BORDER));
        FillRect(dc, &c, border);
        DeleteObject(border);
        EndPaint(wnd, &ps);
        return 0;
    }
    if (msg == WM_ERASEBKGND) return 1;
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

LRESULT CALLBACK HostWindow::ViewProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* pane = ui::Owner<ViewPane>(wnd, msg, lParam);
    if (!pane) return DefWindowProcA(wnd, msg, wParam, lParam);
    switch (msg) {
    case WM_PAINT:
        pane->host->PaintView(*pane);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        pane->host->ViewClick(*pane, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)},
                              msg == WM_RBUTTONDOWN);
        return 0;
    default:
        return DefWindowProcA(wnd, msg, wParam, lParam);
    }
}

LRESULT CALLBACK HostWindow::ProgressProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* host = ui::Owner<HostWindow>(wnd, msg, lParam);
    if (host && msg == WM_COMMAND && LOWORD(wParam) == kCancelId) {
        host->core_.SetCancel(TRUE);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

} // namespace contorra
