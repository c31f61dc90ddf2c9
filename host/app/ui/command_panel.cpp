#include "host/app/ui/command_panel.h"

#include <algorithm>

namespace contorra {

namespace {

constexpr const char* kPanelClass = "ContorraCommandPanel";

} // namespace

CommandPanel::CommandPanel(HWND parent, int x, int y, int w, int h) {
    WNDCLASSEXA wc;
    wc.style = 0;
    wc.lpfnWndProc = &CommandPanel::Proc;
    wc.lpszClassName = kPanelClass;
    // Registered again for each window system; a second registration answers 0.
    RegisterClassExA(&wc);
    wnd_ = CreateWindowExA(0, kPanelClass, "Command Panel", WS_CHILD | WS_VISIBLE | WS_VSCROLL, x, y,
                           w, h, parent, nullptr, nullptr, this);
    ShowScrollBar(wnd_, SB_VERT, FALSE);
}

CommandPanel::~CommandPanel() {
    for (Rollout& r : rollouts_)
        if (IsWindow(r.page)) DestroyWindow(r.page);
    if (IsWindow(wnd_)) {
        SetWindowLongPtr(wnd_, GWLP_USERDATA, 0);
        DestroyWindow(wnd_);
    }
}

HWND CommandPanel::AddPage(HINSTANCE hInst, int dialogId, DLGPROC proc, const std::string& title,
                           LPARAM param) {
    HWND page = CreateDialogParamA(hInst, MAKEINTRESOURCEA(static_cast<std::uintptr_t>(dialogId)),
                                   wnd_, proc, param);
    if (!page) return nullptr;
    RECT r{};
    GetWindowRect(page, &r);
    Rollout ro;
    ro.page = page;
    ro.title = title;
    ro.width = r.right - r.left;
    ro.height = r.bottom - r.top;
    rollouts_.push_back(ro);
    ShowWindow(page, SW_SHOW);
    Layout();
    return page;
}

void CommandPanel::DeletePage(HWND page) {
    auto it = std::find_if(rollouts_.begin(), rollouts_.end(),
                           [page](const Rollout& r) { return r.page == page; });
    if (it == rollouts_.end()) return;
    rollouts_.erase(it);
    DestroyWindow(page);
    Layout();
}

const CommandPanel::Rollout* CommandPanel::Find(const std::string& title) const {
    for (const Rollout& r : rollouts_)
        if (r.title == title) return &r;
    return nullptr;
}

void CommandPanel::Toggle(std::size_t index) {
    if (index >= rollouts_.size()) return;
    rollouts_[index].open = !rollouts_[index].open;
    Layout();
}

int CommandPanel::ContentHeight() const {
    int h = kMargin;
    for (const Rollout& r : rollouts_) h += kTitleHeight + (r.open ? r.height : 0) + kGap;
    return h;
}

int CommandPanel::ClientHeight() const {
    RECT c{};
    GetClientRect(wnd_, &c);
    return c.bottom - c.top;
}

int CommandPanel::ScrollMax() const {
    return std::max(0, ContentHeight() - ClientHeight());
}

void CommandPanel::ScrollTo(int pos) {
    pos = std::clamp(pos, 0, ScrollMax());
    if (pos == scroll_) return;
    scroll_ = pos;
    Layout();
}

void CommandPanel::Layout() {
    const int content = ContentHeight();
    // The bar shows only while there is something to scroll to.
    const bool needBar = content > ClientHeight();
    ShowScrollBar(wnd_, SB_VERT, needBar);
    scroll_ = std::clamp(scroll_, 0, ScrollMax());
    if (needBar) {
        SCROLLINFO si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMin = 0;
        si.nMax = content - 1;
        si.nPage = static_cast<UINT>(ClientHeight());
        si.nPos = scroll_;
        SetScrollInfo(wnd_, SB_VERT, &si, TRUE);
    }
    RECT c{};
    GetClientRect(wnd_, &c);
    const int width = c.right - c.left;
    int y = kMargin - scroll_;
    for (Rollout& r : rollouts_) {
        const int x = std::max(kMargin, (width - r.width) / 2);
        r.titleBar = RECT{kMargin, y, width - kMargin, y + kTitleHeight};
        y += kTitleHeight;
        if (r.open) {
            MoveWindow(r.page, x, y, r.width, r.height, TRUE);
            ShowWindow(r.page, SW_SHOW);
            y += r.height;
        } else {
            ShowWindow(r.page, SW_HIDE);
        }
        y += kGap;
    }
    InvalidateRect(wnd_, nullptr, TRUE);
}

void CommandPanel::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd_, &ps);
    RECT c{};
    GetClientRect(wnd_, &c);
    FillRect(dc, &c, GetSysColorBrush(COLOR_BTNFACE));
    SelectObject(dc, GetAppHFont());
    SelectObject(dc, GetStockObject(DC_PEN));
    SelectObject(dc, GetStockObject(DC_BRUSH));
    SetBkMode(dc, TRANSPARENT);
    for (const Rollout& r : rollouts_) {
        const RECT& t = r.titleBar;
        SetDCPenColor(dc, GetSysColor(COLOR_BTNSHADOW));
        SetDCBrushColor(dc, GetSysColor(COLOR_3DLIGHT));
        Rectangle(dc, t.left, t.top, t.right, t.bottom);
        // An open rollout's frame runs down its sides to its end.
        if (r.open) {
            SelectObject(dc, GetStockObject(NULL_BRUSH));
            Rectangle(dc, t.left, t.bottom - 1, t.right, t.bottom + r.height + 1);
            SelectObject(dc, GetStockObject(DC_BRUSH));
        }
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        RECT sign{t.left + 4, t.top, t.left + 16, t.bottom};
        DrawTextA(dc, r.open ? "-" : "+", -1, &sign, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        RECT text = t;
        DrawTextA(dc, r.title.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    EndPaint(wnd_, &ps);
}

LRESULT CommandPanel::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN: {
        POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        for (std::size_t i = 0; i < rollouts_.size(); ++i)
            if (PtInRect(&rollouts_[i].titleBar, p)) {
                Toggle(i);
                break;
            }
        return 0;
    }
    case WM_MOUSEWHEEL: {
        // A notch away from the user shows what lies above.
        const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        ScrollTo(scroll_ - notches * kWheelStep);
        return 0;
    }
    case WM_VSCROLL: {
        const int page = ClientHeight();
        switch (LOWORD(wParam)) {
        case SB_LINEUP:
            ScrollTo(scroll_ - kWheelStep / 2);
            break;
        case SB_LINEDOWN:
            ScrollTo(scroll_ + kWheelStep / 2);
            break;
        case SB_PAGEUP:
            ScrollTo(scroll_ - page);
            break;
        case SB_PAGEDOWN:
            ScrollTo(scroll_ + page);
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            ScrollTo(static_cast<short>(HIWORD(wParam)));
            break;
        case SB_TOP:
            ScrollTo(0);
            break;
        case SB_BOTTOM:
            ScrollTo(ScrollMax());
            break;
        default:
            break;
        }
        return 0;
    }
    default:
        return DefWindowProcA(wnd_, msg, wParam, lParam);
    }
}

LRESULT CALLBACK CommandPanel::Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtr(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        static_cast<CommandPanel*>(cs->lpCreateParams)->wnd_ = wnd;
        return 0;
    }
    auto* panel = reinterpret_cast<CommandPanel*>(GetWindowLongPtr(wnd, GWLP_USERDATA));
    return panel ? panel->Handle(msg, wParam, lParam) : DefWindowProcA(wnd, msg, wParam, lParam);
}

} // namespace contorra
