// The host's spinner: two arrow buttons that step the value on a click and
// change it by the mouse's vertical movement times the scale while dragged;
// a right click resets it, or cancels a drag.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "host/app/ui/control_drawing.h"
#include "host/app/ui/host_controls.h"

namespace contorra::ui {
namespace {

bool IntType(EditSpinnerType t) {
    return t == EDITTYPE_INT || t == EDITTYPE_POS_INT || t == EDITTYPE_TIME;
}

} // namespace

SpinnerControl::~SpinnerControl() {
    if (CustEditControl* e = Edit(); e && e->spinner == this) e->spinner = nullptr;
}

CustEditControl* SpinnerControl::Edit() const {
    WindowManager* wm = ActiveWindowManager();
    Window* w = wm && edit_ ? wm->Find(edit_) : nullptr;
    return w ? dynamic_cast<CustEditControl*>(w->control.get()) : nullptr;
}

LRESULT SpinnerControl::Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const int y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_LBUTTONDOWN: {
        const RECT r = ClientRect(wnd);
        // An edit being typed in is committed before the spinner moves.
        SetFocus(wnd);
        down_ = true;
        dragging_ = false;
        upper_ = y < (r.bottom - r.top) / 2;
        startY_ = y;
        startValue_ = value_;
        SetCapture(wnd);
        InvalidateRect(wnd, nullptr, TRUE);
        Notify(CC_SPINNER_BUTTONDOWN, 0);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (!down_) return 0;
        if (y != startY_) dragging_ = true;
        if (dragging_) Set(startValue_ + (startY_ - y) * DragScale(startValue_), true, true);
        return 0;
    case WM_LBUTTONUP: {
        if (!down_) return 0;
        down_ = false;
        if (GetCapture() == wnd) ReleaseCapture();
        if (!dragging_) {
            const double step = isInt_ ? 1.0 : DragScale(value_);
            Set(value_ + (upper_ ? step : -step), true, false);
        }
        dragging_ = false;
        InvalidateRect(wnd, nullptr, TRUE);
        Notify(CC_SPINNER_BUTTONUP, TRUE);
        return 0;
    }
    case WM_RBUTTONDOWN:
        if (down_) {
            // Cancels the drag: the value it started with comes back.
            down_ = dragging_ = false;
            if (GetCapture() == wnd) ReleaseCapture();
            Set(startValue_, true, false);
            InvalidateRect(wnd, nullptr, TRUE);
            Notify(CC_SPINNER_BUTTONUP, FALSE);
            return 0;
        }
        Notify(CC_SPINNER_BUTTONDOWN, 0);
        Set(reset_, true, false);
        Notify(CC_SPINNER_BUTTONUP, TRUE);
        return 0;
    case WM_ENABLE:
        InvalidateRect(wnd, nullptr, TRUE);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        const RECT r = ClientRect(wnd);
        const int mid = (r.bottom - r.top) / 2;
        const RECT halves[2] = {{r.left, r.top, r.right, r.top + mid}, {r.left, r.top + mid, r.right, r.bottom}};
        const COLORREF arrow = ThemeColour(IsWindowEnabled(wnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
        for (int i = 0; i < 2; ++i) {
            FillSolid(dc, halves[i], ThemeColour(COLOR_BTNFACE));
            DrawBevel(dc, halves[i], down_ && !dragging_ && upper_ == (i == 0));
            RECT g = halves[i];
            InflateRect(&g, -1, -1);
            DrawArrow(dc, g, i == 0, arrow);
        }
        EndPaint(wnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcA(wnd, msg, wParam, lParam);
    }
}

double SpinnerControl::DragScale(double start) const {
    if (!autoScale_) return scale_;
    // Auto scale: a hundredth of the value's size per pixel, never less than
    // a tenth of a unit for whole numbers or a thousandth otherwise.
    return std::max(std::abs(start) / 100.0, isInt_ ? 0.1 : 0.001);
}

void SpinnerControl::Set(double v, bool notify, bool dragging) {
    v = std::clamp(v, min_, max_);
    if (isInt_) v = std::round(v);
    const bool changed = v != value_ || indeterminate_;
    value_ = v;
    indeterminate_ = false;
    ShowInEdit();
    if (notify && changed) Notify(CC_SPINNER_CHANGE, dragging ? TRUE : FALSE);
}

void SpinnerControl::Notify(UINT msg, WORD high) {
    if (!hwnd) return;
    if (HWND parent = GetParent(hwnd))
        SendMessageA(parent, msg, MAKEWPARAM(GetDlgCtrlID(hwnd), high),
                     reinterpret_cast<LPARAM>(static_cast<ISpinnerControl*>(this)));
}

std::string SpinnerControl::EditText() const {
    if (indeterminate_) return "";
    char buf[64];
    if (isInt_ || IntType(editType_))
        std::snprintf(buf, sizeof buf, "%d", static_cast<int>(std::lround(value_)));
    else
        std::snprintf(buf, sizeof buf, "%.3f", value_);
    return buf;
}

void SpinnerControl::ShowInEdit() {
    if (CustEditControl* e = Edit()) e->SetText(EditText().c_str());
}

bool SpinnerControl::TakeTyped(const std::string& text) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || !end || *end != '\0' || !std::isfinite(v)) return false;
    Set(v, true, false);
    // The edit shows the value as taken (clamped, rounded), even unchanged.
    ShowInEdit();
    return true;
}

int SpinnerControl::GetIVal() {
    return static_cast<int>(std::lround(value_));
}

void SpinnerControl::Enable(BOOL onOff) {
    EnableWindow(hwnd, onOff);
    if (edit_) EnableWindow(edit_, onOff);
}

void SpinnerControl::SetValue(float v, int notify) {
    const bool ind = indeterminate_;
    indeterminate_ = false;
    Set(v, notify != 0, false);
    // Only the user's own changes end the indeterminate state.
    indeterminate_ = ind;
    if (ind) ShowInEdit();
}

void SpinnerControl::SetValue(int v, int notify) {
    SetValue(static_cast<float>(v), notify);
}

void SpinnerControl::SetLimits(int min, int max, int limitCurValue) {
    isInt_ = true;
    SetLimits(static_cast<float>(min), static_cast<float>(max), limitCurValue);
    isInt_ = true;
}

void SpinnerControl::SetLimits(float min, float max, int limitCurValue) {
    min_ = std::min(min, max);
    max_ = std::max(min, max);
    if (limitCurValue) {
        value_ = std::clamp(value_, min_, max_);
        ShowInEdit();
    }
}

void SpinnerControl::LinkToEdit(HWND edit, EditSpinnerType type) {
    if (CustEditControl* old = Edit(); old && old->spinner == this) old->spinner = nullptr;
    edit_ = edit;
    editType_ = type;
    isInt_ = IntType(type);
    if (isInt_) value_ = std::round(value_);
    if (CustEditControl* e = Edit()) {
        e->spinner = this;
        ShowInEdit();
    }
}

void SpinnerControl::SetIndeterminate(BOOL on) {
    indeterminate_ = on;
    ShowInEdit();
}

} // namespace contorra::ui
