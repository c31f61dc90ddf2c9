#include "host/app/ui/ui_driver.h"

#include <algorithm>
#include <stdexcept>

#include "host/app/atomic_file.h"
#include "host/app/png_file.h"
#include "host/app/ui/window_tree.h"

namespace contorra::ui {
namespace {

WindowManager& Wm() {
    WindowManager* wm = ActiveWindowManager();
    if (!wm) throw std::logic_error("no window system is installed");
    return *wm;
}

// A scroll bar the mouse holds.
struct ScrollGrab {
    const WindowManager* owner = nullptr;
    HWND wnd = nullptr;
    int bar = SB_VERT;
    bool thumb = false;
    int grab = 0; // where in the thumb it was taken
    int pos = 0;
};
ScrollGrab grab;

bool Transparent(WindowManager& wm, HWND h) {
    Window* w = wm.Find(h);
    const std::string& c = w->className;
    // Static texts and group boxes let the mouse through, as on Windows.
    if ((c == "Static" || c == "STATIC" || c == "static") && !(w->style & 0x100)) return true;
    if ((c == "Button" || c == "BUTTON" || c == "button") && (w->style & BS_TYPEMASK) == BS_GROUPBOX)
        return true;
    return false;
}

HWND Descend(WindowManager& wm, HWND h, POINT screen) {
    Window* w = wm.Find(h);
    POINT client = screen;
    ScreenToClient(h, &client);
    RECT c;
    GetClientRect(h, &c);
    if (!PtInRect(&c, client)) return h;
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
        Window* k = wm.Find(*it);
        if (!k || !(k->style & WS_VISIBLE) || !PtInRect(&k->rect, client) || Transparent(wm, *it))
            continue;
        return Descend(wm, *it, screen);
    }
    return h;
}

WPARAM KeyFlags(WindowManager& wm) {
    WPARAM f = 0;
    if (wm.KeyDown(VK_LBUTTON)) f |= MK_LBUTTON;
    if (wm.KeyDown(VK_RBUTTON)) f |= MK_RBUTTON;
    if (wm.KeyDown(VK_MBUTTON)) f |= MK_MBUTTON;
    if (wm.KeyDown(VK_SHIFT)) f |= MK_SHIFT;
    if (wm.KeyDown(VK_CONTROL)) f |= MK_CONTROL;
    return f;
}

void SetModifiers(WindowManager& wm, KeyModifiers m) {
    wm.SetKey(VK_SHIFT, m.shift);
    wm.SetKey(VK_LSHIFT, m.shift);
    wm.SetKey(VK_CONTROL, m.ctrl);
    wm.SetKey(VK_LCONTROL, m.ctrl);
    wm.SetKey(VK_MENU, m.alt);
    wm.SetKey(VK_LMENU, m.alt);
}

int ButtonKey(MouseButton b) {
    return b == MouseButton::left ? VK_LBUTTON : b == MouseButton::right ? VK_RBUTTON : VK_MBUTTON;
}

UINT DownMessage(MouseButton b) {
    return b == MouseButton::left ? WM_LBUTTONDOWN : b == MouseButton::right ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
}

UINT UpMessage(MouseButton b) {
    return b == MouseButton::left ? WM_LBUTTONUP : b == MouseButton::right ? WM_RBUTTONUP : WM_MBUTTONUP;
}

// Enabled, with every ancestor (a modal dialog disables its owner).
bool Enabled(HWND h) {
    for (HWND w = h; w; w = GetParent(w))
        if (!IsWindowEnabled(w)) return false;
    return true;
}

// The point in wnd's window coordinates.
POINT InWindow(WindowManager& wm, HWND wnd, POINT screen) {
    Window* top = wm.Find(wm.TopLevelOf(wnd));
    const POINT o = wm.WindowOrigin(wnd);
    return {screen.x - top->rect.left - o.x, screen.y - top->rect.top - o.y};
}

void SendScroll(HWND wnd, int bar, WORD code, int pos) {
    SendMessageA(wnd, bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos), 0);
}

// Track geometry of a bar: where it starts (after the first arrow) and its length.
void Track(const RECT& r, int bar, int& arrow, int& start, int& length) {
    const int len = bar == SB_VERT ? r.bottom - r.top : r.right - r.left;
    arrow = std::min(kScrollBarSize, len / 2);
    start = arrow;
    length = len - 2 * arrow;
}

bool ScrollBarDown(WindowManager& wm, HWND wnd, POINT screen) {
    Window* w = wm.Find(wnd);
    const POINT p = InWindow(wm, wnd, screen);
    for (int bar : {SB_VERT, SB_HORZ}) {
        const RECT r = wm.ScrollBarRect(*w, bar);
        if (!PtInRect(&r, p)) continue;
        const int along = bar == SB_VERT ? p.y - r.top : p.x - r.left;
        int arrow = 0, start = 0, length = 0, thumbStart = 0, thumbLength = 0;
        Track(r, bar, arrow, start, length);
        const SCROLLINFO& s = (bar == SB_VERT ? w->vbar : w->hbar).info;
        ScrollThumb(s, start, length, thumbStart, thumbLength);
        grab = {&wm, wnd, bar, false, 0, s.nPos};
        if (along < arrow)
            SendScroll(wnd, bar, SB_LINEUP, 0);
        else if (along >= arrow + length)
            SendScroll(wnd, bar, SB_LINEDOWN, 0);
        else if (along < thumbStart)
            SendScroll(wnd, bar, SB_PAGEUP, 0);
        else if (along >= thumbStart + thumbLength)
            SendScroll(wnd, bar, SB_PAGEDOWN, 0);
        else {
            grab.thumb = true;
            grab.grab = along - thumbStart;
        }
        return true;
    }
    return false;
}

void ScrollBarMove(WindowManager& wm, POINT screen) {
    Window* w = wm.Find(grab.wnd);
    if (!w || !grab.thumb) return;
    const POINT p = InWindow(wm, grab.wnd, screen);
    const RECT r = wm.ScrollBarRect(*w, grab.bar);
    int arrow = 0, start = 0, length = 0, thumbStart = 0, thumbLength = 0;
    Track(r, grab.bar, arrow, start, length);
    SCROLLINFO& s = (grab.bar == SB_VERT ? w->vbar : w->hbar).info;
    ScrollThumb(s, start, length, thumbStart, thumbLength);
    const int along = grab.bar == SB_VERT ? p.y - r.top : p.x - r.left;
    grab.pos = ScrollPosAt(s, length, thumbLength, along - grab.grab - start);
    s.nTrackPos = grab.pos;
    SendScroll(grab.wnd, grab.bar, SB_THUMBTRACK, grab.pos);
}

void ScrollBarUp() {
    if (!grab.wnd || !IsWindow(grab.wnd)) {
        grab = {};
        return;
    }
    const ScrollGrab g = grab;
    grab = {};
    if (g.thumb) SendScroll(g.wnd, g.bar, SB_THUMBPOSITION, g.pos);
    SendScroll(g.wnd, g.bar, SB_ENDSCROLL, 0);
}

void SendMouse(WindowManager& wm, UINT msg, POINT pt) {
    HWND target = wm.GetCapture() ? wm.GetCapture() : WindowFromPoint(pt);
    if (target && (wm.GetCapture() || Enabled(target))) {
        POINT client = pt;
        ScreenToClient(target, &client);
        SendMessageA(target, msg, KeyFlags(wm), MAKELPARAM(client.x, client.y));
    }
    wm.Pump();
}

} // namespace

void PumpMessages() {
    Wm().Pump();
}

void Wait(int milliseconds) {
    Wm().AdvanceClock(milliseconds);
}

RasterImage CaptureWindow(HWND wnd) {
    WindowManager& wm = Wm();
    Window* w = wm.Find(wnd);
    if (!w) throw std::invalid_argument("no such window to capture");
    wm.InvalidateRect(wnd, nullptr, TRUE);
    wm.Pump();
    RECT r;
    wm.GetWindowRect(wnd, &r);
    RasterImage image(std::max<int>(1, r.right - r.left), std::max<int>(1, r.bottom - r.top),
                      ToPixel(ThemeColour(COLOR_BTNFACE)));
    // Its own top-level window, then any shown above it (open lists, dialogs).
    const auto& tops = wm.TopLevel();
    const HWND own = wm.TopLevelOf(wnd);
    bool above = false;
    for (HWND t : tops) {
        if (t == own) above = true;
        if (!above || !wm.Visible(t)) continue;
        Window* tw = wm.Find(t);
        if (!tw->surface) continue;
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x) {
                const int sx = r.left + x - tw->rect.left, sy = r.top + y - tw->rect.top;
                if (sx < 0 || sy < 0 || sx >= tw->surface->Width() || sy >= tw->surface->Height()) continue;
                image.SetPixel(x, y, tw->surface->Pixel(sx, sy));
            }
    }
    return image;
}

void WriteWindowPng(HWND wnd, const std::filesystem::path& path) {
    const RasterImage image = CaptureWindow(wnd);
    WriteAtomically(path, [&image](const std::filesystem::path& staged) { WritePng(staged, image); });
}

void DrawImage(HDC dc, int x, int y, const RasterImage& image) {
    Wm().BlitImage(dc, x, y, image);
}

HWND WindowFromPoint(POINT pt) {
    WindowManager& wm = Wm();
    const auto& tops = wm.TopLevel();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        Window* w = wm.Find(*it);
        if (w && (w->style & WS_VISIBLE) && PtInRect(&w->rect, pt)) return Descend(wm, *it, pt);
    }
    return nullptr;
}

HWND FindControl(HWND root, int id) {
    WindowManager& wm = Wm();
    Window* w = wm.Find(root);
    if (!w) return nullptr;
    if (w->id == id && w->parent) return root;
    for (HWND k : w->children)
        if (HWND found = FindControl(k, id)) return found;
    return nullptr;
}

HWND FindControlByText(HWND root, const std::string& text) {
    WindowManager& wm = Wm();
    Window* w = wm.Find(root);
    if (!w) return nullptr;
    std::string plain;
    for (std::size_t i = 0; i < w->text.size(); ++i)
        if (w->text[i] != '&' || (i + 1 < w->text.size() && w->text[i + 1] == '&' && ++i)) plain += w->text[i];
    if (w->text == text || plain == text) return root;
    for (HWND k : w->children)
        if (HWND found = FindControlByText(k, text)) return found;
    return nullptr;
}

POINT ScreenPoint(HWND wnd) {
    RECT c;
    if (!GetClientRect(wnd, &c)) throw std::invalid_argument("no such window");
    return ScreenPoint(wnd, {c.right / 2, c.bottom / 2});
}

POINT ScreenPoint(HWND wnd, POINT client) {
    Wm();
    ClientToScreen(wnd, &client);
    return client;
}

// A grab left by a window system that has gone is forgotten.
static void ForgetStaleGrab(const WindowManager& wm) {
    if (grab.owner != &wm) grab = {};
}

void MouseDown(POINT pt, MouseButton button, KeyModifiers mods) {
    WindowManager& wm = Wm();
    ForgetStaleGrab(wm);
    SetModifiers(wm, mods);
    wm.SetKey(ButtonKey(button), true);
    if (!wm.GetCapture() && button == MouseButton::left)
        if (HWND target = WindowFromPoint(pt); target && Enabled(target) && ScrollBarDown(wm, target, pt)) {
            wm.Pump();
            return;
        }
    SendMouse(wm, DownMessage(button), pt);
}

void MouseUp(POINT pt, MouseButton button, KeyModifiers mods) {
    WindowManager& wm = Wm();
    ForgetStaleGrab(wm);
    SetModifiers(wm, mods);
    wm.SetKey(ButtonKey(button), false);
    if (grab.wnd && button == MouseButton::left) {
        ScrollBarUp();
        wm.Pump();
        return;
    }
    SendMouse(wm, UpMessage(button), pt);
}

void MouseMove(POINT pt, KeyModifiers mods) {
    WindowManager& wm = Wm();
    ForgetStaleGrab(wm);
    SetModifiers(wm, mods);
    if (grab.wnd) {
        ScrollBarMove(wm, pt);
        wm.Pump();
        return;
    }
    SendMouse(wm, WM_MOUSEMOVE, pt);
}

void MouseWheel(POINT pt, int delta, KeyModifiers mods) {
    WindowManager& wm = Wm();
    SetModifiers(wm, mods);
    if (HWND target = WindowFromPoint(pt); target && Enabled(target))
        SendMessageA(target, WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(KeyFlags(wm)), delta),
                     MAKELPARAM(pt.x, pt.y));
    wm.Pump();
}

void Click(HWND wnd, MouseButton button, KeyModifiers mods) {
    const POINT pt = ScreenPoint(wnd);
    MouseDown(pt, button, mods);
    MouseUp(pt, button, mods);
}

void Drag(HWND wnd, POINT from, POINT to, MouseButton button, KeyModifiers mods, int steps) {
    const POINT a = ScreenPoint(wnd, from), b = ScreenPoint(wnd, to);
    MouseDown(a, button, mods);
    steps = std::max(steps, 1);
    for (int i = 1; i <= steps; ++i)
        MouseMove({a.x + (b.x - a.x) * i / steps, a.y + (b.y - a.y) * i / steps}, mods);
    MouseUp(b, button, mods);
}

namespace {

HWND KeyTarget(WindowManager& wm) {
    if (HWND f = wm.GetFocus()) return f;
    return wm.TopLevel().empty() ? nullptr : wm.TopLevel().back();
}

// What the dialog manager does with Tab before the control sees it: the
// focus moves to the next (with Shift the previous) enabled, visible control
// with a tab stop in the focused control's dialog, round the end.
bool TabToNext(WindowManager& wm, bool back) {
    const Window* focused = wm.Find(wm.GetFocus());
    const Window* dialog = focused ? wm.Find(focused->parent) : nullptr;
    if (!dialog) return false;
    const std::vector<HWND>& order = dialog->children;
    const auto at = std::find(order.begin(), order.end(), focused->self);
    if (at == order.end()) return false;
    const std::size_t n = order.size(), from = static_cast<std::size_t>(at - order.begin());
    for (std::size_t step = 1; step < n; ++step) {
        const HWND h = order[(back ? from + n - step : from + step) % n];
        const Window* w = wm.Find(h);
        if (w && (w->style & WS_TABSTOP) && IsWindowVisible(h) && IsWindowEnabled(h)) {
            wm.SetFocus(h);
            return true;
        }
    }
    return false;
}

} // namespace

void KeyDown(int vk, KeyModifiers mods) {
    WindowManager& wm = Wm();
    SetModifiers(wm, mods);
    wm.SetKey(vk, true);
    if (vk == VK_TAB && !mods.ctrl && !mods.alt && TabToNext(wm, mods.shift)) {
        wm.Pump();
        return;
    }
    if (HWND t = KeyTarget(wm)) {
        SendMessageA(t, WM_KEYDOWN, static_cast<WPARAM>(vk), 1);
        // The characters the keyboard's translation makes of these keys.
        const int ch = vk == VK_RETURN ? '\r' : vk == VK_BACK ? '\b' : vk == VK_ESCAPE ? 27 : vk == VK_TAB ? '\t' : 0;
        if (ch && (t = KeyTarget(wm))) SendMessageA(t, WM_CHAR, static_cast<WPARAM>(ch), 1);
    }
    wm.Pump();
}

void KeyUp(int vk, KeyModifiers mods) {
    WindowManager& wm = Wm();
    SetModifiers(wm, mods);
    wm.SetKey(vk, false);
    if (HWND t = KeyTarget(wm)) SendMessageA(t, WM_KEYUP, static_cast<WPARAM>(vk), 1);
    wm.Pump();
}

void PressKey(int vk, KeyModifiers mods) {
    KeyDown(vk, mods);
    KeyUp(vk, mods);
}

void TypeText(const std::string& text) {
    WindowManager& wm = Wm();
    for (unsigned char c : text)
        if (HWND t = KeyTarget(wm)) SendMessageA(t, WM_CHAR, c, 1);
    wm.Pump();
}

void EnterText(HWND wnd, const std::string& text) {
    WindowManager& wm = Wm();
    wm.SetFocus(wnd);
    wm.Pump();
    TypeText(text);
    PressKey(VK_RETURN);
}

void SetColorPickerHook(ColorPickerHook hook) {
    Wm().colorPicker = std::move(hook);
}

void SetModalDialogHook(ModalDialogHook hook) {
    Wm().modalHook = std::move(hook);
}

} // namespace contorra::ui
