#include "host/app/ui/control_drawing.h"

#include <algorithm>

#include "host/app/ui/window_tree.h"

namespace contorra::ui {

void FillSolid(HDC dc, const RECT& r, COLORREF c) {
    SetDCBrushColor(dc, c);
    FillRect(dc, &r, reinterpret_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void DrawBevel(HDC dc, const RECT& r, bool sunken) {
    const COLORREF light = ThemeColour(COLOR_BTNHIGHLIGHT), dark = ThemeColour(COLOR_BTNSHADOW);
    FillSolid(dc, {r.left, r.top, r.right, r.top + 1}, sunken ? dark : light);
    FillSolid(dc, {r.left, r.top, r.left + 1, r.bottom}, sunken ? dark : light);
    FillSolid(dc, {r.left, r.bottom - 1, r.right, r.bottom}, sunken ? light : dark);
    FillSolid(dc, {r.right - 1, r.top, r.right, r.bottom}, sunken ? light : dark);
}

void DrawArrow(HDC dc, const RECT& r, bool up, COLORREF c) {
    const int cx = (r.left + r.right) / 2;
    const int h = std::max(1, std::min<int>((r.bottom - r.top) / 2, (r.right - r.left) / 2));
    const int top = (r.top + r.bottom - h) / 2;
    SetDCBrushColor(dc, c);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    POINT pts[3];
    if (up) {
        pts[0] = {cx - h, top + h};
        pts[1] = {cx + h, top + h};
        pts[2] = {cx, top};
    } else {
        pts[0] = {cx - h, top};
        pts[1] = {cx + h, top};
        pts[2] = {cx, top + h};
    }
    Polygon(dc, pts, 3);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
}

void DrawLabel(HDC dc, RECT r, const std::string& text, UINT format, bool enabled) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ThemeColour(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextA(dc, text.c_str(), -1, &r, format);
}

std::string WindowText(HWND wnd) {
    const int n = GetWindowTextLengthA(wnd);
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    GetWindowTextA(wnd, s.data(), n + 1);
    s.resize(static_cast<std::size_t>(n));
    return s;
}

RECT ClientRect(HWND wnd) {
    RECT r;
    GetClientRect(wnd, &r);
    return r;
}

void NotifyParent(HWND wnd, WORD code) {
    if (HWND parent = GetParent(wnd))
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(wnd), code),
                     reinterpret_cast<LPARAM>(wnd));
}

} // namespace contorra::ui
