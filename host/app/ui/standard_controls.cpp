// The standard controls dialogs use: buttons of every kind, static texts and
// drop-down lists.
#include <algorithm>
#include <vector>

#include "host/app/ui/control_drawing.h"
#include "host/app/ui/window_tree.h"

namespace contorra::ui {
namespace {

DWORD Style(HWND wnd) {
    return static_cast<DWORD>(GetWindowLongPtr(wnd, GWL_STYLE));
}

bool ClassIs(HWND wnd, const char* name) {
    const std::string& c = win32host::WindowClassName(wnd);
    return c.size() == std::char_traits<char>::length(name) &&
           std::equal(c.begin(), c.end(), name,
                      [](char a, char b) { return std::tolower(a) == std::tolower(b); });
}

bool IsRadio(HWND wnd) {
    const DWORD t = Style(wnd) & BS_TYPEMASK;
    return ClassIs(wnd, "Button") && (t == BS_RADIOBUTTON || t == BS_AUTORADIOBUTTON);
}

// The siblings of wnd's group: from the nearest one at or before it with
// WS_GROUP up to the next one with WS_GROUP.
std::vector<HWND> GroupOf(HWND wnd) {
    WindowManager* wm = ActiveWindowManager();
    Window* parent = wm ? wm->Find(GetParent(wnd)) : nullptr;
    if (!parent) return {wnd};
    const auto& kids = parent->children;
    auto at = std::find(kids.begin(), kids.end(), wnd);
    auto first = at;
    while (first != kids.begin() && !(Style(*first) & WS_GROUP)) --first;
    auto last = at + 1;
    while (last != kids.end() && !(Style(*last) & WS_GROUP)) ++last;
    return {first, last};
}

class ButtonControl : public ControlBase {
public:
    LRESULT Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
        const DWORD type = Style(wnd) & BS_TYPEMASK;
        switch (msg) {
        case WM_LBUTTONDOWN:
            if (type == BS_GROUPBOX) return 0;
            // Buttons take the focus, so an edit being typed in is committed.
            SetFocus(wnd);
            pushed_ = tracking_ = true;
            SetCapture(wnd);
            InvalidateRect(wnd, nullptr, TRUE);
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
            tracking_ = false;
            const bool clicked = pushed_;
            pushed_ = false;
            ReleaseCapture();
            InvalidateRect(wnd, nullptr, TRUE);
            if (clicked) Click(wnd, type);
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (tracking_ && reinterpret_cast<HWND>(lParam) != wnd) {
                tracking_ = pushed_ = false;
                InvalidateRect(wnd, nullptr, TRUE);
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == ' ' || wParam == VK_RETURN) Click(wnd, type);
            return 0;
        case BM_CLICK:
            Click(wnd, type);
            return 0;
        case BM_GETCHECK:
            return check_;
        case BM_SETCHECK:
            if (check_ != static_cast<UINT>(wParam)) {
                check_ = static_cast<UINT>(wParam);
                InvalidateRect(wnd, nullptr, TRUE);
            }
            return 0;
        case WM_ENABLE:
            InvalidateRect(wnd, nullptr, TRUE);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint(wnd, type);
            return 0;
        default:
            return DefWindowProcA(wnd, msg, wParam, lParam);
        }
    }

private:
    void Click(HWND wnd, DWORD type) {
        if (type == BS_AUTOCHECKBOX) SendMessageA(wnd, BM_SETCHECK, check_ ? BST_UNCHECKED : BST_CHECKED, 0);
        if (type == BS_AUTO3STATE) SendMessageA(wnd, BM_SETCHECK, (check_ + 1) % 3, 0);
        if (type == BS_AUTORADIOBUTTON) {
            for (HWND other : GroupOf(wnd))
                if (other != wnd && IsRadio(other)) SendMessageA(other, BM_SETCHECK, BST_UNCHECKED, 0);
            SendMessageA(wnd, BM_SETCHECK, BST_CHECKED, 0);
        }
        NotifyParent(wnd, BN_CLICKED);
    }

    void Paint(HWND wnd, DWORD type) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        const RECT r = ClientRect(wnd);
        const bool enabled = IsWindowEnabled(wnd);
        const std::string text = WindowText(wnd);
        const bool pushLike = type <= BS_DEFPUSHBUTTON || (Style(wnd) & BS_PUSHLIKE);
        if (type == BS_GROUPBOX) {
            FillSolid(dc, r, ThemeColour(COLOR_BTNFACE));
            SIZE ext{};
            GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &ext);
            const int mid = ext.cy / 2;
            RECT frame{r.left, r.top + mid, r.right, r.bottom};
            DrawBevel(dc, frame, true);
            RECT inner = frame;
            InflateRect(&inner, -1, -1);
            DrawBevel(dc, inner, false);
            if (!text.empty()) {
                RECT label{r.left + 6, r.top, r.left + 10 + ext.cx, r.top + ext.cy};
                FillSolid(dc, label, ThemeColour(COLOR_BTNFACE));
                label.left += 2;
                DrawLabel(dc, label, text, DT_LEFT | DT_SINGLELINE, enabled);
            }
        } else if (pushLike) {
            const bool down = pushed_ || check_ == BST_CHECKED;
            FillSolid(dc, r, ThemeColour(down && !pushed_ ? COLOR_3DLIGHT : COLOR_BTNFACE));
            RECT frame = r;
            if (type == BS_DEFPUSHBUTTON) {
                FrameRect(dc, &frame, GetSysColorBrush(COLOR_WINDOWFRAME));
                InflateRect(&frame, -1, -1);
            }
            DrawBevel(dc, frame, down);
            RECT label = r;
            if (down) OffsetRect(&label, 1, 1);
            DrawLabel(dc, label, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS, enabled);
        } else {
            FillSolid(dc, r, ThemeColour(COLOR_BTNFACE));
            const int box = 12;
            const int top = (r.bottom - r.top - box) / 2;
            const bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
            const RECT b{r.left, top, r.left + box, top + box};
            const COLORREF fill = ThemeColour(pushed_ || !enabled ? COLOR_BTNFACE : COLOR_WINDOW);
            if (radio) {
                SetDCBrushColor(dc, fill);
                SetDCPenColor(dc, ThemeColour(COLOR_BTNSHADOW));
                SelectObject(dc, GetStockObject(DC_BRUSH));
                SelectObject(dc, GetStockObject(DC_PEN));
                Ellipse(dc, b.left, b.top, b.right, b.bottom);
                if (check_) {
                    SetDCBrushColor(dc, ThemeColour(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
                    SelectObject(dc, GetStockObject(NULL_PEN));
                    Ellipse(dc, b.left + 3, b.top + 3, b.right - 3, b.bottom - 3);
                }
            } else {
                FillSolid(dc, b, fill);
                DrawBevel(dc, b, true);
                if (check_) {
                    SetDCPenColor(dc, ThemeColour(check_ == BST_INDETERMINATE || !enabled ? COLOR_GRAYTEXT
                                                                                           : COLOR_BTNTEXT));
                    SelectObject(dc, GetStockObject(DC_PEN));
                    for (int d = 0; d < 2; ++d) {
                        MoveToEx(dc, b.left + 3, b.top + 5 + d, nullptr);
                        LineTo(dc, b.left + 5, b.top + 7 + d);
                        LineTo(dc, b.left + 10, b.top + 2 + d);
                    }
                }
            }
            RECT label{r.left + box + 4, r.top, r.right, r.bottom};
            DrawLabel(dc, label, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS, enabled);
        }
        EndPaint(wnd, &ps);
    }

    UINT check_ = BST_UNCHECKED;
    bool pushed_ = false, tracking_ = false;
};

class StaticControl : public ControlBase {
public:
    LRESULT Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_ERASEBKGND) return 1;
        if (msg == WM_ENABLE) InvalidateRect(wnd, nullptr, TRUE);
        if (msg != WM_PAINT) return DefWindowProcA(wnd, msg, wParam, lParam);
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        const RECT r = ClientRect(wnd);
        FillSolid(dc, r, ThemeColour(COLOR_BTNFACE));
        const DWORD type = Style(wnd) & SS_TYPEMASK;
        const UINT align = type == SS_RIGHT ? DT_RIGHT : type == SS_CENTER ? DT_CENTER : DT_LEFT;
        DrawLabel(dc, r, WindowText(wnd), align | DT_WORDBREAK, IsWindowEnabled(wnd));
        EndPaint(wnd, &ps);
        return 0;
    }
};

} // namespace

void RegisterComboBox(WindowManager& wm);

void RegisterStandardControls(WindowManager& wm) {
    wm.AddControlClass("Button", [](const CREATESTRUCTA&) -> std::shared_ptr<ControlBase> {
        return std::make_shared<ButtonControl>();
    });
    wm.AddControlClass("Static", [](const CREATESTRUCTA&) -> std::shared_ptr<ControlBase> {
        return std::make_shared<StaticControl>();
    });
    RegisterComboBox(wm);
}

} // namespace contorra::ui
