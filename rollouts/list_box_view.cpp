#include "rollouts/list_box_view.h"

#include <algorithm>
#include <cstring>

#include "host/sdk/inode.h"
#include "host/sdk/interface.h"
#include "host/sdk/object.h"

const ListKind kSplinesList = {"SplinesListBoxView", 15, 9, 10, {3, 4, 9, 13}, 1, {{11, 2}, {0, 0}}};
const ListKind kPlatformsList = {
    "PlatformListBoxView", 30, 4, 5, {3, 3, 9, 29}, 2, {{11, 3}, {11, 16}}};
const ListKind kInsertList = {"InsertListBoxView", 15, 10, 5, {3, 4, 9, 13}, 1, {{11, 2}, {0, 0}}};
// The UVW list scrolls until its last entry has gone past the top.
const ListKind kUVWMapList = {"UVWMapListBoxView", 15, 10, 0, {2, 3, 9, 16}, 1, {{11, 0}, {0, 0}}};

void DrawText(HDC dc, int x, int y, const char* text) {
    TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
}

namespace {

constexpr COLORREF kBackground = RGB(220, 220, 220);
constexpr COLORREF kSelected = RGB(130, 150, 220);
constexpr COLORREF kFocus = RGB(0, 50, 200);

bool KeyHeld(int left, int right) {
    return GetAsyncKeyState(left) != 0 || GetAsyncKeyState(right) != 0;
}

} // namespace

ListBoxView::ListBoxView(const ListKind& kind, ParamID nodeTable, RowTextFn rowText)
    : kind_(kind), nodeTable_(nodeTable), rowText_(std::move(rowText)) {}

void ListBoxView::Attach(HWND hwnd, IParamBlock2* pb) {
    hwnd_ = hwnd;
    SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowScrollBar(hwnd, SB_VERT, TRUE);
    pblock_ = pb;
    flags_.fill(0);
    UpdateScrollRange();
    Invalidate();
    NotifyParent();
}

void ListBoxView::Detach() {
    if (hwnd_) SetWindowLongPtr(hwnd_, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
}

INode* ListBoxView::NodeAt(int slot) const {
    if (!pblock_ || slot < 0 || slot >= kListSlots) return nullptr;
    INode* node = nullptr;
    Interval valid = FOREVER;
    pblock_->GetValue(nodeTable_, 0, node, valid, slot);
    return node;
}

void ListBoxView::SetNode(int slot, INode* node) {
    pblock_->SetValue(nodeTable_, 0, static_cast<ReferenceTarget*>(node), slot);
}

int ListBoxView::Count() const {
    int n = 0;
    for (int s = 0; s < kListSlots; ++s)
        if (NodeAt(s)) ++n;
    return n;
}

int ListBoxView::SlotAt(int position) const {
    for (int s = 0; s < kListSlots; ++s)
        if (NodeAt(s) && position-- == 0) return s;
    return kListSlots;
}

bool ListBoxView::SelectedAt(int position) const {
    const int s = SlotAt(position);
    return s < kListSlots && flags_[s];
}

bool ListBoxView::FocusedAt(int position) const {
    return SlotAt(position) == anchor_;
}

void ListBoxView::UpdateScrollRange() {
    if (!hwnd_) return;
    const int n = Count();
    const int max = kind_.scrollSpare > 0 ? std::max(n - kind_.scrollSpare, 0) : n;
    SetScrollRange(hwnd_, SB_VERT, 0, max, FALSE);
}

void ListBoxView::Invalidate() {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void ListBoxView::NotifyParent() {
    if (hwnd_) SendNotifyMessage(GetParent(hwnd_), WM_COMMAND, GetDlgCtrlID(hwnd_), 0);
}

void ListBoxView::Enable(bool on) {
    if (hwnd_) EnableWindow(hwnd_, on);
}

void ListBoxView::ClearSelection() {
    flags_.fill(0);
}

void ListBoxView::AddNode(INode* node) {
    if (!pblock_) return;
    if (shapesOnly_) {
        if (!node) return;
        const ObjectState& os = node->EvalWorldState(0, TRUE);
        if (!os.obj || os.obj->SuperClassID() != SHAPE_CLASS_ID) return;
    }
    bool added = false;
    for (int s = 0; s < kListSlots; ++s) {
        INode* held = NodeAt(s);
        if (held == node) break;
        if (!held) {
            SetNode(s, node);
            flags_[s] = 1;
            added = true;
            break;
        }
    }
    if (!added) return;
    UpdateScrollRange();
    Invalidate();
    NotifyParent();
}

void ListBoxView::RemoveSelected() {
    if (!pblock_) return;
    for (int s = 0; s < kListSlots; ++s)
        if (flags_[s]) SetNode(s, nullptr);
    UpdateScrollRange();
    Invalidate();
    NotifyParent();
}

void ListBoxView::SelectAt(int p, bool shift, bool control) {
    if (p < 0) return;
    const int s = SlotAt(p);
    if (s == kListSlots) return;
    if (!control) flags_.fill(0);
    if (shift) {
        if (anchor_ > -1)
            for (int i = std::min(anchor_, s); i <= std::max(anchor_, s); ++i)
                if (!(control && i == anchor_)) flags_[i] ^= 1;
    } else {
        anchor_ = s;
        flags_[s] ^= 1;
    }
    NotifyParent();
}

std::vector<int> ListBoxView::SelectedSlots() const {
    std::vector<int> slots;
    for (int s = 0; s < kListSlots; ++s)
        if (flags_[s]) slots.push_back(s);
    return slots;
}

namespace {

template <class T>
bool Common(const ListBoxView& view, IParamBlock2* pb, const std::vector<int>& slots, ParamID id,
            T& value) {
    if (!pb) return false;
    bool any = false;
    for (int s : slots) {
        if (!view.NodeAt(s)) continue;
        T v{};
        Interval valid = FOREVER;
        pb->GetValue(id, 0, v, valid, s);
        if (!any) {
            value = v;
            any = true;
        } else if (v != value) {
            return false;
        }
    }
    return any;
}

} // namespace

bool ListBoxView::CommonValue(ParamID id, int& value) const {
    return Common(*this, pblock_, SelectedSlots(), id, value);
}

bool ListBoxView::CommonValue(ParamID id, float& value) const {
    return Common(*this, pblock_, SelectedSlots(), id, value);
}

void ListBoxView::SetSelected(ParamID id, int value) {
    if (!pblock_) return;
    for (int s : SelectedSlots()) pblock_->SetValue(id, 0, value, s);
}

void ListBoxView::SetSelected(ParamID id, float value) {
    if (!pblock_) return;
    for (int s : SelectedSlots()) pblock_->SetValue(id, 0, value, s);
}

void ListBoxView::MoveEntry(int direction, const std::vector<ParamID>& values) {
    if (!pblock_) return;
    int slot = anchor_;
    if (slot < 0 || slot >= kListSlots || !NodeAt(slot)) slot = SlotAt(0);
    if (slot == kListSlots) return;
    int p = 0;
    for (int s = 0; s < slot; ++s)
        if (NodeAt(s)) ++p;
    int q = p + direction;
    if (q >= Count()) return;
    if (q < 0) q = 0;
    const int other = SlotAt(q);
    // Every value of both slots is read before any is written.
    struct Values {
        INode* node;
        std::vector<float> f;
        std::vector<int> i;
    };
    auto read = [&](int s) {
        Values v{NodeAt(s), {}, {}};
        for (ParamID id : values) {
            Interval valid = FOREVER;
            if (pblock_->GetParameterType(id) == TYPE_FLOAT_TAB) {
                float f = 0.0f;
                pblock_->GetValue(id, 0, f, valid, s);
                v.f.push_back(f);
            } else {
                int i = 0;
                pblock_->GetValue(id, 0, i, valid, s);
                v.i.push_back(i);
            }
        }
        return v;
    };
    auto write = [&](int s, const Values& v) {
        SetNode(s, v.node);
        std::size_t fi = 0, ii = 0;
        for (ParamID id : values) {
            if (pblock_->GetParameterType(id) == TYPE_FLOAT_TAB)
                pblock_->SetValue(id, 0, v.f[fi++], s);
            else
                pblock_->SetValue(id, 0, v.i[ii++], s);
        }
    };
    const Values a = read(slot), b = read(other);
    write(slot, b);
    write(other, a);
    SelectAt(q, false, false);
    Invalidate();
}

void ListBoxView::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    Interface* ip = GetCOREInterface();
    HFONT font = ip ? ip->GetAppHFont() : GetAppHFont();
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
    HGDIOBJ oldFont = SelectObject(dc, font);
    RECT rc;
    GetClientRect(hwnd_, &rc);
    SetDCBrushColor(dc, kBackground);
    SetDCPenColor(dc, RGB(255, 255, 255));
    Rectangle(dc, 0, 0, rc.right, rc.bottom);
    SetDCPenColor(dc, RGB(160, 160, 160));
    MoveToEx(dc, 0, rc.bottom - 2, nullptr);
    LineTo(dc, 0, 0);
    LineTo(dc, rc.right, 0);
    SetBkColor(dc, kBackground);

    const int top = GetScrollPos(hwnd_, SB_VERT);
    const int count = Count();
    const int h = kind_.rowHeight;
    for (int p = std::max(top, 0); p < count; ++p) {
        const int r = p - top;
        if (r > kind_.lastRow) break;
        const int slot = SlotAt(p);
        INode* node = NodeAt(slot);
        // A splines entry whose node went since the last refresh has nothing to show.
        if (!node) continue;
        const int y = r * h;
        const bool selected = SelectedAt(p);
        const COLORREF fill = selected ? kSelected : kBackground;
        SetTextColor(dc, selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
        SetBkColor(dc, fill);
        SetDCBrushColor(dc, fill);
        SetDCPenColor(dc, FocusedAt(p) ? kFocus : kBackground);
        Rectangle(dc, 1, y + 1, 130, y + h + 1);
        SetDCPenColor(dc, RGB(0, 0, 0));
        SetDCBrushColor(dc, node->GetWireColor());
        Rectangle(dc, kind_.swatch.left, y + kind_.swatch.top, kind_.swatch.right,
                  y + kind_.swatch.bottom);
        std::array<std::string, 2> lines;
        rowText_(pblock_, slot, node, lines);
        for (int l = 0; l < kind_.lines; ++l)
            DrawText(dc, kind_.text[l].x, y + kind_.text[l].y, lines[l].c_str());
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldFont);
    EndPaint(hwnd_, &ps);
}

LRESULT ListBoxView::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_LBUTTONDOWN: {
        // Read once and dropped, so the next reads answer the current state.
        GetAsyncKeyState(VK_LCONTROL);
        GetAsyncKeyState(VK_RCONTROL);
        GetAsyncKeyState(VK_LSHIFT);
        GetAsyncKeyState(VK_RSHIFT);
        const int p = (GET_Y_LPARAM(lParam) - 2) / kind_.rowHeight + GetScrollPos(hwnd_, SB_VERT);
        const bool control = KeyHeld(VK_LCONTROL, VK_RCONTROL);
        const bool shift = KeyHeld(VK_LSHIFT, VK_RSHIFT);
        SelectAt(p, shift, control);
        Invalidate();
        return 0;
    }
    case WM_LBUTTONUP:
        return 0;
    case WM_MOUSEWHEEL:
        SetScrollPos(hwnd_, SB_VERT,
                     GetScrollPos(hwnd_, SB_VERT) - GET_WHEEL_DELTA_WPARAM(wParam) / 48, TRUE);
        Invalidate();
        return 0;
    case WM_VSCROLL: {
        const int pos = GetScrollPos(hwnd_, SB_VERT);
        int to = pos;
        switch (LOWORD(wParam)) {
        case SB_LINEUP: to = pos - 1; break;
        case SB_LINEDOWN: to = pos + 1; break;
        case SB_PAGEUP: to = pos - 8; break;
        case SB_PAGEDOWN: to = pos + 8; break;
        case SB_THUMBPOSITION: to = static_cast<short>(HIWORD(wParam)); break;
        default: return 0;
        }
        SetScrollPos(hwnd_, SB_VERT, to, TRUE);
        Invalidate();
        return 0;
    }
    default:
        return DefWindowProc(hwnd_, msg, wParam, lParam);
    }
}

LRESULT CALLBACK ListBoxViewProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* view = reinterpret_cast<ListBoxView*>(GetWindowLongPtr(wnd, GWLP_USERDATA));
    if (!view || view->Window() != wnd) return DefWindowProc(wnd, msg, wParam, lParam);
    return view->Message(msg, wParam, lParam);
}

// The splines variant.

SplinesListBoxView::SplinesListBoxView(ParamID nodeTable, RowTextFn rowText)
    : ListBoxView(kSplinesList, nodeTable, std::move(rowText)) {}

void SplinesListBoxView::Attach(HWND hwnd, IParamBlock2*) {
    hwnd_ = hwnd;
    SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowScrollBar(hwnd, SB_VERT, TRUE);
}

void SplinesListBoxView::Refresh(IParamBlock2* pb) {
    pblock_ = pb;
    std::array<unsigned char, kListSlots> was{};
    for (const Entry& e : entries_)
        if (e.slot >= 0 && e.slot < kListSlots) was[e.slot] = e.selected;
    entries_.clear();
    for (int s = 0; s < kListSlots; ++s)
        if (NodeAt(s)) entries_.push_back({was[s], s});
    UpdateScrollRange();
    Invalidate();
}

int SplinesListBoxView::SlotAt(int position) const {
    return position >= 0 && position < Count() ? entries_[position].slot : kListSlots;
}

bool SplinesListBoxView::SelectedAt(int position) const {
    return position >= 0 && position < Count() && entries_[position].selected;
}

void SplinesListBoxView::ClearSelection() {
    for (Entry& e : entries_) e.selected = 0;
}

void SplinesListBoxView::AddNode(INode* node) {
    if (!node || !pblock_) return;
    for (int s = 0; s < kListSlots; ++s)
        if (NodeAt(s) == node) return;
    for (int s = 0; s < kListSlots; ++s) {
        if (NodeAt(s)) continue;
        SetNode(s, node);
        entries_.push_back({1, s});
        UpdateScrollRange();
        if (hwnd_) SetScrollPos(hwnd_, SB_VERT, std::max(Count() - 10, 0), TRUE);
        Invalidate();
        return;
    }
}

void SplinesListBoxView::RemoveSelected() {
    if (!pblock_) return;
    std::vector<Entry> kept;
    for (const Entry& e : entries_) {
        if (e.selected)
            SetNode(e.slot, nullptr);
        else
            kept.push_back(e);
    }
    entries_ = std::move(kept);
    UpdateScrollRange();
    Invalidate();
}

void SplinesListBoxView::SelectAt(int p, bool shift, bool control) {
    if (p < 0 || p >= Count()) return;
    if (!control) ClearSelection();
    if (shift) {
        if (anchor_ > -1)
            for (int i = std::min(anchor_, p); i <= std::max(anchor_, p); ++i)
                if (!(control && i == anchor_) && i < Count()) entries_[i].selected ^= 1;
    } else {
        anchor_ = p;
        entries_[p].selected ^= 1;
    }
    NotifyParent();
}

std::vector<int> SplinesListBoxView::SelectedSlots() const {
    std::vector<int> slots;
    for (const Entry& e : entries_)
        if (e.selected) slots.push_back(e.slot);
    return slots;
}
