// Posted messages, timers on the host's clock and pending paints, delivered
// when the host pumps.
#include <algorithm>

#include "host/app/ui/window_tree.h"

namespace contorra::ui {
namespace {

RECT Union(const RECT& a, const RECT& b) {
    if (IsRectEmpty(&a)) return b;
    if (IsRectEmpty(&b)) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

} // namespace

UINT_PTR WindowManager::SetTimer(HWND wnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
    if (wnd && !Find(wnd)) return 0;
    KillTimer(wnd, id);
    timers_.push_back({wnd, id, std::max(elapseMs, 1u), clock_ + std::max(elapseMs, 1u), proc});
    return id ? id : 1;
}

BOOL WindowManager::KillTimer(HWND wnd, UINT_PTR id) {
    const auto before = timers_.size();
    std::erase_if(timers_, [&](const Timer& t) { return t.wnd == wnd && t.id == id; });
    return before != timers_.size() ? TRUE : FALSE;
}

void WindowManager::AdvanceClock(int ms) {
    const long long end = clock_ + std::max(ms, 0);
    // Timers fire in order of their due time, each as often as it falls due.
    for (;;) {
        Pump();
        auto next = std::min_element(timers_.begin(), timers_.end(),
                                     [](const Timer& a, const Timer& b) { return a.due < b.due; });
        if (next == timers_.end() || next->due > end) break;
        clock_ = next->due;
        next->due += next->elapse;
        const Timer t = *next;
        if (t.proc)
            t.proc(t.wnd, WM_TIMER, t.id, static_cast<DWORD>(clock_));
        else
            SendMessageA(t.wnd, WM_TIMER, t.id, 0);
    }
    clock_ = end;
    Pump();
}

void WindowManager::Pump() {
    // Bounded, so a window that keeps posting to itself cannot hang the host.
    for (int round = 0; round < 100000; ++round) {
        if (!posted_.empty()) {
            const auto m = posted_.front();
            posted_.pop_front();
            SendMessageA(reinterpret_cast<HWND>(m[0]), static_cast<UINT>(m[1]), m[2],
                         static_cast<LPARAM>(m[3]));
            continue;
        }
        // Paint the first window (parents before children) that needs it.
        HWND next = nullptr;
        std::vector<HWND> stack(topLevel_.rbegin(), topLevel_.rend());
        while (!stack.empty() && !next) {
            HWND h = stack.back();
            stack.pop_back();
            Window* w = Find(h);
            if (!w || !(w->style & WS_VISIBLE)) continue;
            if (w->needsPaint) next = h;
            for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) stack.push_back(*it);
        }
        if (!next) return;
        PaintNow(next);
    }
}

void WindowManager::PaintNow(HWND wnd) {
    Window* w = Find(wnd);
    if (!w) return;
    DrawNonClient(*w);
    SendMessageA(wnd, WM_PAINT, 0, 0);
    // A procedure that never begins a paint is not asked again.
    if ((w = Find(wnd))) w->needsPaint = w->needsErase = false;
}

BOOL WindowManager::InvalidateRect(HWND wnd, const RECT* rect, BOOL erase) {
    if (!wnd) {
        for (HWND t : topLevel_) InvalidateRect(t, rect, erase);
        return TRUE;
    }
    Window* w = Find(wnd);
    if (!w) return FALSE;
    RECT client;
    GetClientRect(wnd, &client);
    RECT r = client;
    if (rect) IntersectRect(&r, rect, &client);
    w->needsPaint = true;
    w->needsErase = w->needsErase || erase;
    w->invalid = Union(w->invalid, rect ? r : client);
    // Children are drawn over their parent, so what the parent repaints
    // under them is painted again.
    for (HWND k : w->children) {
        Window* c = Find(k);
        if (!c) continue;
        RECT inter;
        if (!rect || IntersectRect(&inter, &c->rect, &r)) InvalidateRect(k, nullptr, erase);
    }
    return TRUE;
}

BOOL WindowManager::UpdateWindow(HWND wnd) {
    Window* w = Find(wnd);
    if (!w) return FALSE;
    if (w->needsPaint && Visible(wnd)) PaintNow(wnd);
    return TRUE;
}

} // namespace contorra::ui
