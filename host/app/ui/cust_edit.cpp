// The host's edit field ("CustEdit", and "Edit" in templates): one line of
// text with a caret; Enter and leaving the field hand a linked spinner what
// was typed.
#include <algorithm>
#include <cstdlib>
#include <utility>
#include <cstring>

#include "host/app/ui/control_drawing.h"
#include "host/app/ui/host_controls.h"

namespace contorra::ui {

namespace {

// Left edge of the text inside the edit's bevel.
constexpr int TextLeft = 3;

int TextWidth(HWND wnd, const std::string& text) {
    HDC dc = GetDC(wnd);
    SIZE ext{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &ext);
    ReleaseDC(wnd, dc);
    return ext.cx;
}

} // namespace

LRESULT CustEditControl::Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        if (!IsWindowEnabled(wnd)) return 0;
        // The first click selects everything; a click in a focused edit
        // puts the caret under the pointer.
        if (focused_) {
            selectAll_ = false;
            caret_ = CaretAt(wnd, static_cast<short>(LOWORD(lParam)));
            InvalidateRect(wnd, nullptr, TRUE);
        } else {
            SetFocus(wnd);
        }
        return 0;
    case WM_SETFOCUS:
        focused_ = selectAll_ = true;
        before_ = WindowText(wnd);
        caret_ = before_.size();
        InvalidateRect(wnd, nullptr, TRUE);
        return 0;
    case WM_KILLFOCUS:
        focused_ = false;
        if (WindowText(wnd) != before_) Commit(false);
        InvalidateRect(wnd, nullptr, TRUE);
        return 0;
    case WM_KEYDOWN:
        if (focused_ && Key(wnd, static_cast<int>(wParam))) return 0;
        return DefWindowProcA(wnd, msg, wParam, lParam);
    case WM_CHAR: {
        if (!focused_) return 0;
        const char c = static_cast<char>(wParam);
        std::string text = WindowText(wnd);
        if (c == '\r') {
            Commit(true);
            return 0;
        }
        if (selectAll_ && (c == '\b' || static_cast<unsigned char>(c) >= 32)) {
            text.clear();
            caret_ = 0;
        }
        caret_ = std::min(caret_, text.size());
        if (c == 27) {
            text = before_;
            caret_ = text.size();
        } else if (c == '\b') {
            if (caret_ > 0) text.erase(--caret_, 1);
        } else if (static_cast<unsigned char>(c) >= 32) {
            text.insert(caret_++, 1, c);
        } else {
            return 0;
        }
        Replace(wnd, std::move(text), caret_);
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

// The caret keys; true when the key was one of them.
bool CustEditControl::Key(HWND wnd, int vk) {
    std::string text = WindowText(wnd);
    std::size_t caret = std::min(caret_, text.size());
    switch (vk) {
    case VK_LEFT:
        // Out of a selection the caret lands at its start, as it does in the host.
        caret = selectAll_ ? 0 : caret - (caret > 0);
        break;
    case VK_RIGHT:
        caret = selectAll_ ? text.size() : caret + (caret < text.size());
        break;
    case VK_HOME:
        caret = 0;
        break;
    case VK_END:
        caret = text.size();
        break;
    case VK_DELETE:
        if (selectAll_) {
            text.clear();
            caret = 0;
        } else if (caret < text.size()) {
            text.erase(caret, 1);
        }
        break;
    default:
        return false;
    }
    Replace(wnd, std::move(text), caret);
    return true;
}

void CustEditControl::Replace(HWND wnd, std::string text, std::size_t caret) {
    selectAll_ = false;
    caret_ = caret;
    if (text != WindowText(wnd)) DefWindowProcA(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    InvalidateRect(wnd, nullptr, TRUE);
}

// The gap between characters nearest to x.
std::size_t CustEditControl::CaretAt(HWND wnd, int x) const {
    const std::string text = WindowText(wnd);
    std::size_t best = 0;
    int bestDistance = std::abs(x - TextLeft);
    for (std::size_t i = 1; i <= text.size(); ++i) {
        const int d = std::abs(x - (TextLeft + TextWidth(wnd, text.substr(0, i))));
        if (d < bestDistance) best = i, bestDistance = d;
    }
    return best;
}

void CustEditControl::Commit(bool enter) {
    HWND wnd = hwnd;
    if (spinner && !spinner->TakeTyped(WindowText(wnd)) && hwnd)
        DefWindowProcA(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(spinner->EditText().c_str()));
    if (!hwnd) return;
    before_ = WindowText(wnd);
    caret_ = before_.size();
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
    RECT inner{r.left + TextLeft, r.top + 1, r.right - 2, r.bottom - 1};
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
        SIZE before{};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(std::min(caret_, text.size())), &before);
        const int x = std::min<int>(inner.left + before.cx, inner.right - 1);
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
    caret_ = before_.size();
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
