// The host's colour swatch ("ColorSwatch"): shows a colour; a click opens
// the colour picker on it.
#include <algorithm>
#include <cmath>

#include "host/app/ui/control_drawing.h"
#include "host/app/ui/host_controls.h"

namespace contorra::ui {

LRESULT ColorSwatchControl::Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        SetFocus(wnd);
        tracking_ = true;
        SetCapture(wnd);
        return 0;
    case WM_LBUTTONUP: {
        if (!tracking_) return 0;
        tracking_ = false;
        if (GetCapture() == wnd) ReleaseCapture();
        const RECT r = ClientRect(wnd);
        if (PtInRect(&r, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) EditThis(TRUE);
        return 0;
    }
    case WM_ENABLE:
        InvalidateRect(wnd, nullptr, TRUE);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        const RECT r = ClientRect(wnd);
        const bool enabled = IsWindowEnabled(wnd);
        FillSolid(dc, r, ThemeColour(COLOR_BTNFACE));
        RECT frame = r;
        FrameRect(dc, &frame, GetSysColorBrush(enabled ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW));
        InflateRect(&frame, -1, -1);
        DrawBevel(dc, frame, true);
        InflateRect(&frame, -1, -1);
        FillSolid(dc, frame, colour_);
        EndPaint(wnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcA(wnd, msg, wParam, lParam);
    }
}

COLORREF ColorSwatchControl::SetColor(COLORREF colour, int notify) {
    const COLORREF old = colour_;
    colour_ = colour & 0xffffff;
    InvalidateRect(hwnd, nullptr, TRUE);
    if (notify && hwnd)
        if (HWND parent = GetParent(hwnd))
            SendMessageA(parent, CC_COLOR_CHANGE, MAKEWPARAM(GetDlgCtrlID(hwnd), TRUE),
                         reinterpret_cast<LPARAM>(static_cast<IColorSwatch*>(this)));
    return old;
}

COLORREF ColorSwatchControl::SetColor(const Color& c, int notify) {
    auto byte = [](float v) { return static_cast<int>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    return SetColor(RGB(byte(c.r), byte(c.g), byte(c.b)), notify);
}

Color ColorSwatchControl::GetColorValue() {
    return Color(GetRValue(colour_) / 255.0f, GetGValue(colour_) / 255.0f, GetBValue(colour_) / 255.0f);
}

void ColorSwatchControl::EditThis(BOOL) {
    if (!hwnd || !IsWindowEnabled(hwnd)) return;
    HWND parent = GetParent(hwnd);
    const WPARAM id = MAKEWPARAM(GetDlgCtrlID(hwnd), 0);
    const auto self = reinterpret_cast<LPARAM>(static_cast<IColorSwatch*>(this));
    if (parent) SendMessageA(parent, CC_COLOR_BUTTONDOWN, id, self);
    DWORD c = colour_;
    if (HSVDlg_Do(parent, &c, nullptr, nullptr, title_.c_str()) && hwnd) SetColor(c, TRUE);
    if (parent && hwnd) SendMessageA(parent, CC_COLOR_BUTTONUP, id, self);
}

} // namespace contorra::ui
