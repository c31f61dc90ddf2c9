// Where windows are: rectangles, client areas, coordinates between them,
// dialog units and scroll bars.
#include <algorithm>

#include "host/app/ui/window_tree.h"

namespace contorra::ui {
namespace {

int Width(const RECT& r) {
    return r.right - r.left;
}
int Height(const RECT& r) {
    return r.bottom - r.top;
}

RECT Union(const RECT& a, const RECT& b) {
    if (IsRectEmpty(&a)) return b;
    if (IsRectEmpty(&b)) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

} // namespace

RECT WindowManager::NonClientInsets(const Window& w) const {
    RECT in;
    int edge = 0;
    if (w.exStyle & WS_EX_CLIENTEDGE) edge = 2;
    else if (w.style & WS_BORDER) edge = 1;
    in.left = in.top = in.right = in.bottom = edge;
    if ((w.style & WS_CAPTION) == WS_CAPTION) in.top += kCaptionHeight;
    if (w.vbar.shown) in.right += kScrollBarSize;
    if (w.hbar.shown) in.bottom += kScrollBarSize;
    return in;
}

BOOL WindowManager::GetClientRect(HWND wnd, LPRECT rect) {
    Window* w = Find(wnd);
    if (!w || !rect) return FALSE;
    const RECT in = NonClientInsets(*w);
    *rect = {0, 0, std::max(0, Width(w->rect) - in.left - in.right),
             std::max(0, Height(w->rect) - in.top - in.bottom)};
    return TRUE;
}

POINT WindowManager::WindowOrigin(HWND wnd) const {
    Window* w = Find(wnd);
    if (!w || !w->parent) return {0, 0};
    POINT p = ClientOrigin(w->parent);
    return {p.x + w->rect.left, p.y + w->rect.top};
}

POINT WindowManager::ClientOrigin(HWND wnd) const {
    Window* w = Find(wnd);
    if (!w) return {0, 0};
    POINT p = WindowOrigin(wnd);
    const RECT in = NonClientInsets(*w);
    return {p.x + in.left, p.y + in.top};
}

HWND WindowManager::TopLevelOf(HWND wnd) const {
    Window* w = Find(wnd);
    while (w && w->parent) w = Find(w->parent);
    return w ? w->self : nullptr;
}

PixelRect WindowManager::VisibleClient(HWND wnd) const {
    Window* w = Find(wnd);
    if (!w) return {};
    RECT c;
    const_cast<WindowManager*>(this)->GetClientRect(wnd, &c);
    const POINT o = ClientOrigin(wnd);
    PixelRect r{o.x, o.y, o.x + c.right, o.y + c.bottom};
    if (w->parent) r = r.Intersect(VisibleClient(w->parent));
    return r;
}

BOOL WindowManager::GetWindowRect(HWND wnd, LPRECT rect) {
    Window* w = Find(wnd);
    if (!w || !rect) return FALSE;
    Window* top = Find(TopLevelOf(wnd));
    const POINT o = WindowOrigin(wnd);
    *rect = {top->rect.left + o.x, top->rect.top + o.y, top->rect.left + o.x + Width(w->rect),
             top->rect.top + o.y + Height(w->rect)};
    return TRUE;
}

BOOL WindowManager::MoveWindow(HWND wnd, int x, int y, int width, int height, BOOL repaint) {
    Window* w = Find(wnd);
    if (!w) return FALSE;
    const RECT old = w->rect;
    w->rect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
    if (!w->parent) EnsureSurface(*w);
    if (Width(old) != width || Height(old) != height) {
        RECT c;
        GetClientRect(wnd, &c);
        SendMessageA(wnd, WM_SIZE, 0, MAKELPARAM(c.right, c.bottom));
    }
    if ((w = Find(wnd)) && repaint) {
        InvalidateRect(wnd, nullptr, TRUE);
        if (w->parent) {
            RECT r = Union(old, w->rect);
            InvalidateRect(w->parent, &r, TRUE);
        }
    }
    return TRUE;
}

BOOL WindowManager::ScreenToClient(HWND wnd, LPPOINT pt) {
    Window* w = Find(wnd);
    if (!w || !pt) return FALSE;
    Window* top = Find(TopLevelOf(wnd));
    const POINT o = ClientOrigin(wnd);
    pt->x -= top->rect.left + o.x;
    pt->y -= top->rect.top + o.y;
    return TRUE;
}

BOOL WindowManager::ClientToScreen(HWND wnd, LPPOINT pt) {
    Window* w = Find(wnd);
    if (!w || !pt) return FALSE;
    Window* top = Find(TopLevelOf(wnd));
    const POINT o = ClientOrigin(wnd);
    pt->x += top->rect.left + o.x;
    pt->y += top->rect.top + o.y;
    return TRUE;
}

BOOL WindowManager::MapDialogRect(HWND dlg, LPRECT rect) {
    Window* w = Find(dlg);
    if (!w || !rect || !w->baseX) return FALSE;
    // MulDiv rounds half away from zero, as Windows does.
    auto mul = [](LONG v, int num, int den) {
        const long long p = static_cast<long long>(v) * num;
        return static_cast<LONG>(p >= 0 ? (p + den / 2) / den : -((-p + den / 2) / den));
    };
    *rect = {mul(rect->left, w->baseX, 4), mul(rect->top, w->baseY, 8),
             mul(rect->right, w->baseX, 4), mul(rect->bottom, w->baseY, 8)};
    return TRUE;
}

RECT WindowManager::ScrollBarRect(const Window& w, int bar) const {
    const RECT in = NonClientInsets(w);
    const int wd = Width(w.rect), ht = Height(w.rect);
    const int edge = (w.exStyle & WS_EX_CLIENTEDGE) ? 2 : (w.style & WS_BORDER) ? 1 : 0;
    if (bar == SB_VERT && w.vbar.shown)
        return {wd - edge - kScrollBarSize, in.top, wd - edge, ht - in.bottom};
    if (bar == SB_HORZ && w.hbar.shown)
        return {in.left, ht - edge - kScrollBarSize, wd - in.right, ht - edge};
    return {};
}

BOOL WindowManager::ShowScrollBar(HWND wnd, int bar, BOOL show) {
    Window* w = Find(wnd);
    if (!w || bar == SB_CTL) return FALSE;
    const bool before = w->vbar.shown || w->hbar.shown;
    if (bar == SB_VERT || bar == SB_BOTH) w->vbar.shown = show;
    if (bar == SB_HORZ || bar == SB_BOTH) w->hbar.shown = show;
    if (before != (w->vbar.shown || w->hbar.shown) || show) {
        RECT c;
        GetClientRect(wnd, &c);
        SendMessageA(wnd, WM_SIZE, 0, MAKELPARAM(c.right, c.bottom));
        InvalidateRect(wnd, nullptr, TRUE);
    }
    return TRUE;
}

int WindowManager::SetScrollInfo(HWND wnd, int bar, const SCROLLINFO* info, BOOL redraw) {
    Window* w = Find(wnd);
    if (!w || !info || (bar != SB_VERT && bar != SB_HORZ)) return 0;
    SCROLLINFO& s = (bar == SB_VERT ? w->vbar : w->hbar).info;
    if (info->fMask & SIF_RANGE) {
        s.nMin = info->nMin;
        s.nMax = info->nMax;
    }
    if (info->fMask & SIF_PAGE) s.nPage = info->nPage;
    if (info->fMask & SIF_POS) s.nPos = info->nPos;
    // The position stays within min .. max - page + 1.
    const int span = s.nMax - s.nMin + 1;
    s.nPage = std::min<UINT>(s.nPage, static_cast<UINT>(std::max(span, 0)));
    const int top = std::max(s.nMin, s.nMax - std::max(static_cast<int>(s.nPage) - 1, 0));
    s.nPos = std::clamp(s.nPos, s.nMin, top);
    if (redraw) {
        Window& ww = *w;
        if (ww.vbar.shown || ww.hbar.shown) InvalidateRect(wnd, nullptr, FALSE);
    }
    return s.nPos;
}

BOOL WindowManager::GetScrollInfo(HWND wnd, int bar, LPSCROLLINFO info) {
    Window* w = Find(wnd);
    if (!w || !info || (bar != SB_VERT && bar != SB_HORZ)) return FALSE;
    const SCROLLINFO& s = (bar == SB_VERT ? w->vbar : w->hbar).info;
    if (info->fMask & SIF_RANGE) {
        info->nMin = s.nMin;
        info->nMax = s.nMax;
    }
    if (info->fMask & SIF_PAGE) info->nPage = s.nPage;
    if (info->fMask & SIF_POS) info->nPos = s.nPos;
    if (info->fMask & SIF_TRACKPOS) info->nTrackPos = s.nTrackPos;
    return TRUE;
}

} // namespace contorra::ui
