// The host's edit field ("CustEdit", and "Edit" in templates): one line of
// text; Enter and leaving the field hand a linked spinner what was typed.
#include <algorithm>
#include <cstdlib>
#include <utility>
#include <cstring>

#include "host/app/ui/control_drawing.h"
#include "host/app/ui/host_controls.h"

namespace contorra::ui {

LRESULT CustEditControl::Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        if (IsWindowEnabled(wnd)) SetFocus(wnd);
        return 0;
    case WM_SETFOCUS:
        focused_ = selectAll_ = true;
        before_ = WindowText(wnd);
        InvalidateRect(wnd, nullptr, TRUE);
        return 0;
    case WM_KILLFOCUS:
        focused_ = false;
        if (WindowText(wnd) != before_) Commit(false);
        InvalidateRect(wnd, nullptr, TRUE);
        return 0;
    case WM_CHAR: {
        if (!focused_) return 0;
        const char c = static_cast<char>(wParam);
        std::string text = WindowText(wnd);
        if (c == '\r') {
            Commit(true);
            return 0;
        }
        if (c == 27) {
            text = before_;
        } else if (c == '\b') {
            if (selectAll_)
                text.clear();
            else if (!text.empty())
                text.pop_back();
        } else if (static_cast<unsigned char>(c) >= 32) {
            if (selectAll_) text.clear();
            text += c;
        } else {
            return 0;
        }
        selectAll_ = false;
        DefWindowProcA(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        return 0;
    }
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

void CustEditControl::Commit(bool enter) {
    HWND wnd = hwnd;
    if (spinner && !spinner->TakeTyped(WindowText(wnd)) && hwnd)
        DefWindowProcA(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(spinner->EditText().c_str()));
    if (!hwnd) return;
    before_ = WindowText(wnd);
    selectAll_ = true;
    InvalidateRect(wnd, nullptr, TRUE);
    if (enter) {
        gotReturn_ = true;
        if (HWND parent = GetParent(wnd))
            SendMessageA(parent, WM_CUSTEDIT_ENTER, static_cast<WPARAM>(GetDlgCtrlID(wnd)),
                         reinterpret_cast<LPARAM>(wnd));
    }
}

void CustEditControl::Paint(HWND wnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    const RECT r = ClientRect(wnd);
    const bool enabled = IsWindowEnabled(wnd);
    FillSolid(dc, r, ThemeColour(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    DrawBevel(dc, r, true);
    const std::string text = WindowText(wnd);
    RECT inner{r.left + 3, r.top + 1, r.right - 2, r.bottom - 1};
    SIZE ext{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &ext);
    const int top = inner.top + (inner.bottom - inner.top - ext.cy) / 2;
    if (focused_ && selectAll_ && !text.empty()) {
        FillSolid(dc, {inner.left, top, inner.left + ext.cx, top + ext.cy}, ThemeColour(COLOR_HIGHLIGHT));
        SetTextColor(dc, ThemeColour(COLOR_HIGHLIGHTTEXT));
    } else {
        SetTextColor(dc, ThemeColour(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    }
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text.c_str(), -1, &inner, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (focused_ && !selectAll_) {
        const int x = std::min<int>(inner.left + ext.cx, inner.right - 1);
        FillSolid(dc, {x, top, x + 1, top + ext.cy}, ThemeColour(COLOR_WINDOWTEXT));
    }
    EndPaint(wnd, &ps);
}

void CustEditControl::GetText(MCHAR* buf, int max) {
    GetWindowTextA(hwnd, buf, max);
}

void CustEditControl::SetText(const MCHAR* text) {
    SetWindowTextA(hwnd, text ? text : "");
    before_ = text ? text : "";
}

void CustEditControl::SetText(int value) {
    SetText(std::to_string(value).c_str());
}

void CustEditControl::SetText(float value, int precision) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", std::clamp(precision, 0, 9), static_cast<double>(value));
    SetText(buf);
}

int CustEditControl::GetInt(BOOL* valid) {
    const std::string text = WindowText(hwnd);
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    const bool ok = !text.empty() && end && *end == '\0';
    if (valid) *valid = ok ? TRUE : FALSE;
    return ok ? static_cast<int>(v) : 0;
}

float CustEditControl::GetFloat(BOOL* valid) {
    const std::string text = WindowText(hwnd);
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    const bool ok = !text.empty() && end && *end == '\0';
    if (valid) *valid = ok ? TRUE : FALSE;
    return ok ? static_cast<float>(v) : 0.0f;
}

BOOL CustEditControl::GotReturn() {
    return std::exchange(gotReturn_, false) ? TRUE : FALSE;
}

} // namespace contorra::ui
