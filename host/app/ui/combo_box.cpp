// The drop-down list: a field showing the chosen item and, while open, a
// list window of its own on top of everything.
#include <algorithm>
#include <utility>
#include <string>
#include <vector>

#include "host/app/ui/control_drawing.h"
#include "host/app/ui/window_tree.h"

namespace contorra::ui {
namespace {

constexpr int kVisibleItems = 8;

struct Item {
    std::string text;
    LPARAM data = 0;
};

int ItemHeight(HWND wnd) {
    HDC dc = GetDC(wnd);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    ReleaseDC(wnd, dc);
    return tm.tmHeight + 2;
}

class ComboBox;

// The open list; it holds the capture, so a click anywhere else closes it.
class ComboList : public ControlBase {
public:
    explicit ComboList(ComboBox* owner) : owner_(owner) {}
    LRESULT Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    ComboBox* owner_;
    int hot = -1;
};

class ComboBox : public ControlBase {
public:
    LRESULT Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
        case WM_CREATE: {
            const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            // The template's height is the open list's; the field is one line.
            MoveWindow(wnd, cs->x, cs->y, cs->cx, ItemHeight(wnd) + 6, FALSE);
            return 0;
        }
        case WM_DESTROY:
            Close(false);
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(wnd);
            if (list_)
                Close(false);
            else
                Open(wnd);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_DOWN || wParam == VK_UP) {
                const int next = std::clamp(sel_ + (wParam == VK_DOWN ? 1 : -1), 0,
                                            static_cast<int>(items_.size()) - 1);
                Choose(next);
            }
            return 0;
        case CB_ADDSTRING:
            items_.push_back({reinterpret_cast<LPCSTR>(lParam) ? reinterpret_cast<LPCSTR>(lParam) : ""});
            return static_cast<LRESULT>(items_.size()) - 1;
        case CB_INSERTSTRING: {
            const int at = static_cast<int>(wParam) < 0 || wParam > items_.size() ? static_cast<int>(items_.size())
                                                                                 : static_cast<int>(wParam);
            items_.insert(items_.begin() + at, {reinterpret_cast<LPCSTR>(lParam) ? reinterpret_cast<LPCSTR>(lParam) : ""});
            if (sel_ >= at) ++sel_;
            return at;
        }
        case CB_DELETESTRING:
            if (wParam >= items_.size()) return static_cast<LRESULT>(CB_ERR);
            items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(wParam));
            if (sel_ == static_cast<int>(wParam)) sel_ = -1;
            else if (sel_ > static_cast<int>(wParam)) --sel_;
            InvalidateRect(wnd, nullptr, TRUE);
            return static_cast<LRESULT>(items_.size());
        case CB_GETCOUNT:
            return static_cast<LRESULT>(items_.size());
        case CB_GETCURSEL:
            return sel_ < 0 ? static_cast<LRESULT>(static_cast<int>(CB_ERR)) : sel_;
        case CB_SETCURSEL: {
            const int want = static_cast<int>(wParam);
            sel_ = want >= 0 && want < static_cast<int>(items_.size()) ? want : -1;
            InvalidateRect(wnd, nullptr, TRUE);
            return sel_ < 0 ? static_cast<LRESULT>(static_cast<int>(CB_ERR)) : sel_;
        }
        case CB_RESETCONTENT:
            items_.clear();
            sel_ = -1;
            InvalidateRect(wnd, nullptr, TRUE);
            return 0;
        case CB_GETLBTEXTLEN:
            return wParam < items_.size() ? static_cast<LRESULT>(items_[wParam].text.size())
                                          : static_cast<LRESULT>(static_cast<int>(CB_ERR));
        case CB_GETLBTEXT:
            if (wParam >= items_.size() || !lParam) return static_cast<LRESULT>(static_cast<int>(CB_ERR));
            std::copy(items_[wParam].text.begin(), items_[wParam].text.end(), reinterpret_cast<char*>(lParam));
            reinterpret_cast<char*>(lParam)[items_[wParam].text.size()] = '\0';
            return static_cast<LRESULT>(items_[wParam].text.size());
        case CB_SETITEMDATA:
            if (wParam >= items_.size()) return static_cast<LRESULT>(static_cast<int>(CB_ERR));
            items_[wParam].data = lParam;
            return TRUE;
        case CB_GETITEMDATA:
            return wParam < items_.size() ? items_[wParam].data : static_cast<LRESULT>(static_cast<int>(CB_ERR));
        case CB_SHOWDROPDOWN:
            if (wParam && !list_) Open(wnd);
            if (!wParam && list_) Close(false);
            return TRUE;
        case CB_GETDROPPEDSTATE:
            return list_ ? TRUE : FALSE;
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

    void Open(HWND wnd) {
        if (!IsWindowEnabled(wnd)) return;
        RECT r;
        GetWindowRect(wnd, &r);
        const int rows = std::clamp(static_cast<int>(items_.size()), 1, kVisibleItems);
        list_ = CreateWindowExA(0, "#host-combolist", "", WS_POPUP | WS_VISIBLE | WS_BORDER, r.left, r.bottom,
                                r.right - r.left, rows * ItemHeight(wnd) + 2, nullptr, nullptr, nullptr, this);
        SetCapture(list_);
        NotifyParent(wnd, CBN_DROPDOWN);
    }

    // With pick, the list's hot item becomes the choice.
    void Close(bool pick, int item = -1) {
        if (!list_) return;
        HWND l = std::exchange(list_, nullptr);
        if (GetCapture() == l) ReleaseCapture();
        DestroyWindow(l);
        if (pick && item >= 0) Choose(item);
        if (hwnd) NotifyParent(hwnd, CBN_CLOSEUP);
    }

    void Choose(int item) {
        if (item < 0 || item >= static_cast<int>(items_.size()) || item == sel_) return;
        sel_ = item;
        InvalidateRect(hwnd, nullptr, TRUE);
        NotifyParent(hwnd, CBN_SELCHANGE);
    }

    void Paint(HWND wnd) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        const RECT r = ClientRect(wnd);
        const bool enabled = IsWindowEnabled(wnd);
        FillSolid(dc, r, ThemeColour(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
        DrawBevel(dc, r, true);
        const int button = r.bottom - r.top - 2;
        const RECT arrow{r.right - 1 - button, r.top + 1, r.right - 1, r.bottom - 1};
        FillSolid(dc, arrow, ThemeColour(COLOR_BTNFACE));
        DrawBevel(dc, arrow, list_ != nullptr);
        RECT glyph = arrow;
        InflateRect(&glyph, -4, -5);
        DrawArrow(dc, glyph, false, ThemeColour(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        if (sel_ >= 0) {
            RECT text{r.left + 3, r.top, arrow.left - 2, r.bottom};
            DrawLabel(dc, text, items_[static_cast<std::size_t>(sel_)].text,
                      DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS, enabled);
        }
        EndPaint(wnd, &ps);
    }

    std::vector<Item> items_;
    int sel_ = -1;
    HWND list_ = nullptr;
    friend class ComboList;
};

LRESULT ComboList::Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const int rowHeight = owner_->hwnd ? ItemHeight(owner_->hwnd) : 14;
    const RECT client = ClientRect(wnd);
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_MOUSEMOVE: {
        const int h = PtInRect(&client, pt) ? pt.y / rowHeight : -1;
        if (h != hot) {
            hot = h;
            InvalidateRect(wnd, nullptr, TRUE);
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
        if (!PtInRect(&client, pt)) owner_->Close(false);
        return 0;
    case WM_LBUTTONUP:
        if (PtInRect(&client, pt)) owner_->Close(true, pt.y / rowHeight);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        FillSolid(dc, client, ThemeColour(COLOR_WINDOW));
        for (std::size_t i = 0; i < owner_->items_.size(); ++i) {
            const RECT row{0, static_cast<LONG>(i) * rowHeight, client.right, static_cast<LONG>(i + 1) * rowHeight};
            const bool lit = static_cast<int>(i) == (hot >= 0 ? hot : owner_->sel_);
            if (lit) FillSolid(dc, row, ThemeColour(COLOR_HIGHLIGHT));
            RECT text = row;
            text.left += 3;
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, ThemeColour(lit ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
            DrawTextA(dc, owner_->items_[i].text.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        EndPaint(wnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcA(wnd, msg, wParam, lParam);
    }
}

} // namespace

void RegisterComboBox(WindowManager& wm) {
    wm.AddControlClass("ComboBox", [](const CREATESTRUCTA&) -> std::shared_ptr<ControlBase> {
        return std::make_shared<ComboBox>();
    });
    wm.AddControlClass("#host-combolist", [](const CREATESTRUCTA& cs) -> std::shared_ptr<ControlBase> {
        return std::make_shared<ComboList>(static_cast<ComboBox*>(cs.lpCreateParams));
    });
}

} // namespace contorra::ui
