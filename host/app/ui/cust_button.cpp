// The host's button ("CustButton"): push or check type, a checked button
// filled with its highlight colour; pick buttons and map buttons are these.
#include "host/app/ui/control_drawing.h"
#include "host/app/ui/host_controls.h"
#include "host/app/ui/ui_driver.h"
#include "host/sdk/drag_and_drop.h"

namespace contorra::ui {

LRESULT CustButtonControl::Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        SetFocus(wnd);
        pushed_ = tracking_ = true;
        SetCapture(wnd);
        InvalidateRect(wnd, nullptr, TRUE);
        if (downNotify_) NotifyParent(wnd, BN_BUTTONDOWN);
        return 0;
    case WM_MOUSEMOVE:
        if (tracking_) {
            const RECT r = ClientRect(wnd);
            const bool in = PtInRect(&r, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            if (in != pushed_) {
                pushed_ = in;
                InvalidateRect(wnd, nullptr, TRUE);
            }
        }
        return 0;
    case WM_LBUTTONUP: {
        if (!tracking_) return 0;
        const bool clicked = pushed_;
        tracking_ = pushed_ = false;
        if (GetCapture() == wnd) ReleaseCapture();
        InvalidateRect(wnd, nullptr, TRUE);
        if (!clicked && dad_) DropAt(wnd, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (clicked) {
            if (type_ == CBT_CHECK) checked_ = !checked_;
            NotifyParent(wnd, BN_CLICKED);
        }
        if (downNotify_ && hwnd) NotifyParent(wnd, BN_BUTTONUP);
        return 0;
    }
    case WM_RBUTTONUP:
        if (rightNotify_) NotifyParent(wnd, BN_RIGHTCLICK);
        return 0;
    case WM_ENABLE:
        InvalidateRect(wnd, nullptr, TRUE);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint(wnd);
        return 0;
    default:
        return DefWindowProcA(wnd, msg, wParam, lParam);
    }
}

void CustButtonControl::Paint(HWND wnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    const RECT r = ClientRect(wnd);
    const bool down = pushed_ || checked_;
    FillSolid(dc, r, checked_ && checkHighlight_ ? highlight_ : ThemeColour(COLOR_BTNFACE));
    FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    RECT inner = r;
    InflateRect(&inner, -1, -1);
    DrawBevel(dc, inner, down);
    RECT label{inner.left + 2, inner.top, inner.right - 2, inner.bottom};
    if (down) OffsetRect(&label, 1, 1);
    DrawLabel(dc, label, WindowText(wnd), DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS,
              IsWindowEnabled(wnd));
    EndPaint(wnd, &ps);
}

void CustButtonControl::DropAt(HWND wnd, POINT client) {
    const SClass_ID type = dad_->GetDragType(wnd, client);
    if (!type) return;
    ReferenceTarget* dragged = dad_->GetInstance(wnd, client, type);
    POINT screen = client;
    ClientToScreen(wnd, &screen);
    HWND target = WindowFromPoint(screen);
    ICustButton* b = target && target != wnd ? GetICustButton(target) : nullptr;
    if (!b) return;
    DADMgr* to = b->GetDADMgr();
    ReleaseICustButton(b);
    POINT at = screen;
    ScreenToClient(target, &at);
    if (dragged && to && to->OkToDrop(dragged, wnd, target, at, type)) to->Drop(dragged, target, at, type);
}

void CustButtonControl::GetText(MCHAR* buf, int max) {
    GetWindowTextA(hwnd, buf, max);
}

void CustButtonControl::SetText(const MCHAR* text) {
    SetWindowTextA(hwnd, text ? text : "");
}

void CustButtonControl::SetCheck(BOOL checked) {
    if (checked_ == static_cast<bool>(checked)) return;
    checked_ = checked;
    InvalidateRect(hwnd, nullptr, TRUE);
}

void CustButtonControl::SetHighlightColor(COLORREF colour) {
    highlight_ = colour;
    InvalidateRect(hwnd, nullptr, TRUE);
}

} // namespace contorra::ui
