// What the window manager draws of a window itself: borders, the caption
// and the scroll bars.
#include <algorithm>

#include "host/app/ui/control_drawing.h"
#include "host/app/ui/window_tree.h"

namespace contorra::ui {

void WindowManager::DrawNonClient(Window& w) {
    const RECT in = NonClientInsets(w);
    if (!in.left && !in.top && !in.right && !in.bottom) return;
    HDC h = NewDc(w.self, false);
    DeviceContext* dc = Dc(h);
    // Window coordinates, clipped to the window within its parent.
    dc->origin = WindowOrigin(w.self);
    const int width = w.rect.right - w.rect.left, height = w.rect.bottom - w.rect.top;
    PixelRect area{dc->origin.x, dc->origin.y, dc->origin.x + width, dc->origin.y + height};
    if (w.parent) area = area.Intersect(VisibleClient(w.parent));
    dc->clip = Visible(w.self) ? area : PixelRect{};

    const RECT all{0, 0, width, height};
    if (w.exStyle & WS_EX_CLIENTEDGE) {
        DrawBevel(h, all, true);
        DrawBevel(h, {1, 1, width - 1, height - 1}, true);
    } else if (w.style & WS_BORDER) {
        FrameRect(h, &all, GetSysColorBrush(COLOR_WINDOWFRAME));
    }
    if ((w.style & WS_CAPTION) == WS_CAPTION) {
        const int edge = (w.exStyle & WS_EX_CLIENTEDGE) ? 2 : (w.style & WS_BORDER) ? 1 : 0;
        const RECT cap{edge, edge, width - edge, edge + kCaptionHeight};
        FillSolid(h, cap, ThemeColour(COLOR_BTNSHADOW));
        RECT text{cap.left + 6, cap.top, cap.right - 4, cap.bottom};
        SetBkMode(h, TRANSPARENT);
        SetTextColor(h, RGB(255, 255, 255));
        DrawTextA(h, w.text.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    for (int bar : {SB_VERT, SB_HORZ}) {
        const RECT r = ScrollBarRect(w, bar);
        if (IsRectEmpty(&r)) continue;
        const ScrollBarState& s = bar == SB_VERT ? w.vbar : w.hbar;
        const bool vert = bar == SB_VERT;
        const int len = vert ? r.bottom - r.top : r.right - r.left;
        const int arrow = std::min(kScrollBarSize, len / 2);
        FillSolid(h, r, ThemeColour(COLOR_SCROLLBAR));
        const RECT first = vert ? RECT{r.left, r.top, r.right, r.top + arrow}
                                : RECT{r.left, r.top, r.left + arrow, r.bottom};
        const RECT last = vert ? RECT{r.left, r.bottom - arrow, r.right, r.bottom}
                               : RECT{r.right - arrow, r.top, r.right, r.bottom};
        for (const RECT& a : {first, last}) {
            FillSolid(h, a, ThemeColour(COLOR_BTNFACE));
            DrawBevel(h, a, false);
        }
        RECT af = first, al = last;
        InflateRect(&af, -4, -4);
        InflateRect(&al, -4, -4);
        DrawArrow(h, af, true, ThemeColour(COLOR_BTNTEXT));
        DrawArrow(h, al, false, ThemeColour(COLOR_BTNTEXT));
        int start = 0, length = 0;
        ScrollThumb(s.info, arrow, len - 2 * arrow, start, length);
        const RECT thumb = vert ? RECT{r.left, r.top + start, r.right, r.top + start + length}
                                : RECT{r.left + start, r.top, r.left + start + length, r.bottom};
        FillSolid(h, thumb, ThemeColour(COLOR_BTNFACE));
        DrawBevel(h, thumb, false);
    }
    ReleaseDC(w.self, h);
}

} // namespace contorra::ui
