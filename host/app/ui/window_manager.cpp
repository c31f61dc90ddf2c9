#include "host/app/ui/window_manager.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "host/app/ascii_lower.h"
#include "host/app/font_face.h"
#include "host/app/plugin_loader.h"
#include "host/app/ui/window_tree.h"

namespace contorra::ui {
namespace {

WindowManager* active = nullptr;

int CopyOut(const std::string& text, LPSTR buf, int max) {
    if (!buf || max <= 0) return 0;
    const int n = std::min(static_cast<int>(text.size()), max - 1);
    std::memcpy(buf, text.data(), static_cast<std::size_t>(n));
    buf[n] = '\0';
    return n;
}

} // namespace

// The dialog class: the template's procedure first, the host's defaults for
// what it leaves.
LRESULT CALLBACK DialogWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WindowManager* wm = active;
    Window* w = wm ? wm->Find(wnd) : nullptr;
    if (!w) return 0;
    if (DLGPROC proc = w->dlgProc) {
        w->dialogSlots[DWLP_MSGRESULT] = 0;
        const INT_PTR handled = proc(wnd, msg, wParam, lParam);
        if (handled) {
            w = wm->Find(wnd);
            const LONG_PTR result = w ? w->dialogSlots[DWLP_MSGRESULT] : 0;
            return result ? result : handled;
        }
    }
    if (msg == WM_INITDIALOG) return TRUE;
    return wm->DefWindowProcA(wnd, msg, wParam, lParam);
}

// The host's control classes: the window's control object gets its messages.
LRESULT CALLBACK ControlWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WindowManager* wm = active;
    Window* w = wm ? wm->Find(wnd) : nullptr;
    if (!w || !w->control) return wm ? wm->DefWindowProcA(wnd, msg, wParam, lParam) : 0;
    std::shared_ptr<ControlBase> keep = w->control;
    return keep->Proc(wnd, msg, wParam, lParam);
}

LRESULT CALLBACK PlainWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return active ? active->DefWindowProcA(wnd, msg, wParam, lParam) : 0;
}

WindowManager* ActiveWindowManager() {
    return active;
}

WindowSystemScope::WindowSystemScope() : manager_(std::make_unique<WindowManager>()) {
    previous_ = win32host::InstallWindowSystem(manager_.get());
}

WindowSystemScope::~WindowSystemScope() {
    // Windows go while the system is still installed, so their procedures
    // can still call it.
    while (!manager_->TopLevel().empty()) manager_->DestroyWindow(manager_->TopLevel().back());
    win32host::InstallWindowSystem(previous_);
    active = dynamic_cast<WindowManager*>(previous_);
}

WindowManager::WindowManager() {
    active = this;
    RegisterStandardControls(*this);
    RegisterCustomControls(*this);
}

WindowManager::~WindowManager() {
    if (active == this) active = nullptr;
}

void WindowManager::AddControlClass(const std::string& name, ControlFactory make) {
    controlClasses_[AsciiLower(name)] = make;
}

Window* WindowManager::Find(HWND wnd) const {
    auto it = windows_.find(wnd);
    return it == windows_.end() ? nullptr : it->second.get();
}

HWND WindowManager::NewWindow(std::unique_ptr<Window> w) {
    HWND h = reinterpret_cast<HWND>(w.get());
    w->self = h;
    if (Window* p = Find(w->parent))
        p->children.push_back(h);
    else {
        w->parent = nullptr;
        topLevel_.push_back(h);
    }
    windows_[h] = std::move(w);
    return h;
}

HWND WindowManager::CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName,
                                    DWORD style, int x, int y, int width, int height, HWND parent,
                                    HMENU menuOrId, HINSTANCE instance, LPVOID param) {
    if (!className || IS_INTRESOURCE(className)) return nullptr;
    if (parent && !Find(parent)) return nullptr;
    auto w = std::make_unique<Window>();
    w->className = className;
    w->style = style;
    w->exStyle = exStyle;
    w->parent = (style & WS_CHILD) ? parent : nullptr;
    if (!(style & WS_CHILD) && parent) w->parent = nullptr; // owned pop-ups stand on the screen
    w->id = (style & WS_CHILD) ? static_cast<int>(reinterpret_cast<std::uintptr_t>(menuOrId)) : 0;
    w->rect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
    w->text = windowName ? windowName : "";
    w->instance = instance;
    w->font = appFont_ ? appFont_ : GetAppHFont();

    CREATESTRUCTA cs;
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hMenu = menuOrId;
    cs.hwndParent = parent;
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = windowName;
    cs.lpszClass = className;
    cs.dwExStyle = exStyle;

    const std::string lower = AsciiLower(className);
    if (auto it = controlClasses_.find(lower); it != controlClasses_.end()) {
        w->proc = ControlWindowProc;
        w->control = it->second(cs);
    } else if (lower == "#32770") {
        w->proc = DialogWindowProc;
        w->background = GetSysColorBrush(COLOR_BTNFACE);
    } else if (lower == "#host-empty") {
        w->proc = PlainWindowProc;
    } else {
        const win32host::WindowClassRecord* found = nullptr;
        for (const auto& c : win32host::RegisteredClasses())
            if (AsciiLower(c.name) == lower) found = &c;
        if (!found) return nullptr;
        w->proc = found->record.lpfnWndProc ? found->record.lpfnWndProc : PlainWindowProc;
        w->background = found->record.hbrBackground;
    }
    Window* raw = w.get();
    HWND h = NewWindow(std::move(w));
    if (raw->control) raw->control->hwnd = h;
    if (!raw->parent) EnsureSurface(*raw);
    if (SendMessageA(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(h);
        return nullptr;
    }
    if (Find(h) && (style & WS_VISIBLE)) InvalidateRect(h, nullptr, TRUE);
    return Find(h) ? h : nullptr;
}

HWND WindowManager::CreateBareDialog(HWND parent, int templateId) {
    DialogTemplate tpl;
    tpl.id = templateId;
    tpl.style = static_cast<long>(WS_CHILD | WS_VISIBLE);
    HWND h = CreateDialogIndirect(tpl, parent, nullptr, 0);
    return h;
}

int WindowManager::WindowTemplateId(HWND wnd) {
    Window* w = Find(wnd);
    return w ? w->templateId : 0;
}

const std::string& WindowManager::WindowClassName(HWND wnd) {
    Window* w = Find(wnd);
    return w ? w->className : none_;
}

BOOL WindowManager::DestroyWindow(HWND wnd) {
    Window* w = Find(wnd);
    if (!w || w->destroying) return FALSE;
    if (w->parent)
        if (Window* p = Find(w->parent); p && !p->destroying) {
            RECT r = w->rect;
            InvalidateRect(w->parent, &r, TRUE);
        }
    DestroyTree(wnd);
    FreeTree(wnd);
    return TRUE;
}

// WM_DESTROY goes to the window first, then to its children, as Windows
// sends it; WM_NCDESTROY and the records' end go children first.
void WindowManager::DestroyTree(HWND wnd) {
    Window* w = Find(wnd);
    if (!w) return;
    w->destroying = true;
    if (capture_ == wnd) ReleaseCapture();
    if (focus_ == wnd) focus_ = nullptr;
    SendMessageA(wnd, WM_DESTROY, 0, 0);
    w = Find(wnd);
    if (!w) return;
    const std::vector<HWND> kids = w->children;
    for (HWND k : kids) DestroyTree(k);
}

void WindowManager::FreeTree(HWND wnd) {
    Window* w = Find(wnd);
    if (!w) return;
    const std::vector<HWND> kids = w->children;
    for (HWND k : kids) FreeTree(k);
    SendMessageA(wnd, WM_NCDESTROY, 0, 0);
    w = Find(wnd);
    if (!w) return;
    if (Window* p = Find(w->parent))
        std::erase(p->children, wnd);
    std::erase(topLevel_, wnd);
    std::erase_if(timers_, [wnd](const Timer& t) { return t.wnd == wnd; });
    std::erase_if(posted_, [wnd](const auto& m) { return reinterpret_cast<HWND>(m[0]) == wnd; });
    for (auto it = dcs_.begin(); it != dcs_.end();)
        it = it->second->wnd == wnd ? dcs_.erase(it) : std::next(it);
    if (w->control) w->control->hwnd = nullptr;
    windows_.erase(wnd);
}

BOOL WindowManager::IsWindow(HWND wnd) {
    return Find(wnd) ? TRUE : FALSE;
}

HWND WindowManager::GetParent(HWND wnd) {
    Window* w = Find(wnd);
    return w ? w->parent : nullptr;
}

LRESULT WindowManager::SendMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* w = Find(wnd);
    if (!w || !w->proc) return 0;
    return w->proc(wnd, msg, wParam, lParam);
}

BOOL WindowManager::PostMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!Find(wnd)) return FALSE;
    posted_.push_back({reinterpret_cast<std::uintptr_t>(wnd), msg, wParam,
                       static_cast<std::uintptr_t>(lParam)});
    return TRUE;
}

BOOL WindowManager::SendNotifyMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // One thread: the message is handled at once, as for a window of the
    // calling thread.
    if (!Find(wnd)) return FALSE;
    SendMessageA(wnd, msg, wParam, lParam);
    return TRUE;
}

LRESULT WindowManager::DefWindowProcA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* w = Find(wnd);
    if (!w) return 0;
    switch (msg) {
    case WM_SETTEXT:
        w->text = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
        InvalidateRect(wnd, nullptr, TRUE);
        return TRUE;
    case WM_GETTEXT:
        return CopyOut(w->text, reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->text.size());
    case WM_ERASEBKGND: {
        HBRUSH b = w->background;
        const auto asColour = reinterpret_cast<std::uintptr_t>(b);
        if (b && asColour <= 64) b = GetSysColorBrush(static_cast<int>(asColour) - 1);
        if (!b) return 0;
        RECT r;
        GetClientRect(wnd, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, b);
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(wnd, &ps);
        EndPaint(wnd, &ps);
        return 0;
    }
    case WM_SETFONT:
        w->font = reinterpret_cast<HFONT>(wParam);
        if (lParam) InvalidateRect(wnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(w->font);
    case WM_MOUSEWHEEL:
        return w->parent ? SendMessageA(w->parent, msg, wParam, lParam) : 0;
    case WM_CLOSE:
        DestroyWindow(wnd);
        return 0;
    default:
        return 0;
    }
}

LONG_PTR WindowManager::GetWindowLongPtr(HWND wnd, int index) {
    Window* w = Find(wnd);
    if (!w) return 0;
    switch (index) {
    case GWLP_USERDATA: return w->userData;
    case GWLP_ID: return w->id;
    case GWL_STYLE: return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(w->exStyle);
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    default: {
        auto it = w->dialogSlots.find(index);
        return it == w->dialogSlots.end() ? 0 : it->second;
    }
    }
}

LONG_PTR WindowManager::SetWindowLongPtr(HWND wnd, int index, LONG_PTR value) {
    Window* w = Find(wnd);
    if (!w) return 0;
    LONG_PTR old = GetWindowLongPtr(wnd, index);
    switch (index) {
    case GWLP_USERDATA: w->userData = value; break;
    case GWLP_ID: w->id = static_cast<int>(value); break;
    case GWL_STYLE: w->style = static_cast<DWORD>(value); break;
    case GWL_EXSTYLE: w->exStyle = static_cast<DWORD>(value); break;
    case GWLP_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(value); break;
    default: w->dialogSlots[index] = value; break;
    }
    return old;
}

BOOL WindowManager::SetWindowTextA(HWND wnd, LPCSTR text) {
    if (!Find(wnd)) return FALSE;
    return SendMessageA(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE
                                                                                         : FALSE;
}

int WindowManager::GetWindowTextA(HWND wnd, LPSTR buf, int max) {
    if (!Find(wnd)) return CopyOut("", buf, max);
    return static_cast<int>(
        SendMessageA(wnd, WM_GETTEXT, static_cast<WPARAM>(max), reinterpret_cast<LPARAM>(buf)));
}

int WindowManager::GetWindowTextLengthA(HWND wnd) {
    return static_cast<int>(SendMessageA(wnd, WM_GETTEXTLENGTH, 0, 0));
}

HWND WindowManager::GetDlgItem(HWND dlg, int id) {
    Window* w = Find(dlg);
    if (!w) return nullptr;
    for (HWND k : w->children)
        if (Window* c = Find(k); c && c->id == id) return k;
    return nullptr;
}

int WindowManager::GetDlgCtrlID(HWND wnd) {
    Window* w = Find(wnd);
    return w ? w->id : 0;
}

BOOL WindowManager::SetDlgItemTextA(HWND dlg, int id, LPCSTR text) {
    if (HWND item = GetDlgItem(dlg, id)) return SetWindowTextA(item, text);
    Window* w = Find(dlg);
    if (!w) return FALSE;
    // Rollouts opened without their template keep the texts as records do.
    w->looseItems[id] = text ? text : "";
    return TRUE;
}

UINT WindowManager::GetDlgItemTextA(HWND dlg, int id, LPSTR buf, int max) {
    if (HWND item = GetDlgItem(dlg, id)) return static_cast<UINT>(GetWindowTextA(item, buf, max));
    Window* w = Find(dlg);
    auto it = w ? w->looseItems.find(id) : decltype(w->looseItems.end()){};
    return static_cast<UINT>(
        CopyOut(w && it != w->looseItems.end() ? it->second : std::string(), buf, max));
}

BOOL WindowManager::EnableWindow(HWND wnd, BOOL enable) {
    Window* w = Find(wnd);
    if (!w) return FALSE;
    const BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
    if (static_cast<bool>(enable) == !wasDisabled) return wasDisabled;
    if (enable)
        w->style &= ~WS_DISABLED;
    else {
        w->style |= WS_DISABLED;
        if (capture_ == wnd) ReleaseCapture();
        if (focus_ == wnd) SetFocus(nullptr);
    }
    SendMessageA(wnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    InvalidateRect(wnd, nullptr, TRUE);
    return wasDisabled;
}

BOOL WindowManager::IsWindowEnabled(HWND wnd) {
    Window* w = Find(wnd);
    return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL WindowManager::ShowWindow(HWND wnd, int cmd) {
    Window* w = Find(wnd);
    if (!w) return FALSE;
    const BOOL was = (w->style & WS_VISIBLE) ? TRUE : FALSE;
    const bool show = cmd != SW_HIDE;
    if (show == static_cast<bool>(was)) return was;
    SendMessageA(wnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    w = Find(wnd);
    if (!w) return was;
    if (show) {
        w->style |= WS_VISIBLE;
        InvalidateRect(wnd, nullptr, TRUE);
    } else {
        w->style &= ~WS_VISIBLE;
        if (w->parent) {
            RECT r = w->rect;
            InvalidateRect(w->parent, &r, TRUE);
        }
    }
    return was;
}

BOOL WindowManager::IsWindowVisible(HWND wnd) {
    return Visible(wnd) ? TRUE : FALSE;
}

bool WindowManager::Visible(HWND wnd) const {
    for (Window* w = Find(wnd); w; w = Find(w->parent))
        if (!(w->style & WS_VISIBLE)) return false;
    return Find(wnd) != nullptr;
}

HWND WindowManager::SetFocus(HWND wnd) {
    if (wnd && !Find(wnd)) return nullptr;
    HWND old = focus_;
    if (old == wnd) return old;
    focus_ = wnd;
    if (old && Find(old)) SendMessageA(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(wnd), 0);
    if (wnd && focus_ == wnd) SendMessageA(wnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND WindowManager::GetFocus() {
    return focus_;
}

HWND WindowManager::SetCapture(HWND wnd) {
    HWND old = capture_;
    if (!Find(wnd)) return old;
    capture_ = wnd;
    if (old && old != wnd && Find(old))
        SendMessageA(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(wnd));
    return old;
}

BOOL WindowManager::ReleaseCapture() {
    HWND old = capture_;
    capture_ = nullptr;
    if (old && Find(old)) SendMessageA(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND WindowManager::GetCapture() {
    return capture_;
}


short WindowManager::GetAsyncKeyState(int vk) {
    return KeyDown(vk) ? static_cast<short>(0x8000) : 0;
}

HCURSOR WindowManager::SetCursor(HCURSOR cursor) {
    HCURSOR old = cursor_;
    cursor_ = cursor;
    return old;
}

HCURSOR WindowManager::LoadCursorA(HINSTANCE, LPCSTR name) {
    // Cursors are never drawn; the handle names the resource.
    return reinterpret_cast<HCURSOR>(const_cast<char*>(name));
}

HWND WindowManager::CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent,
                                       DLGPROC proc, LPARAM initParam) {
    if (!IS_INTRESOURCE(templateName)) return nullptr;
    const int id = static_cast<int>(reinterpret_cast<std::uintptr_t>(templateName));
    // Templates handed over first, then those of the loaded module's script.
    if (auto mod = moduleDialogs.find(instance); mod != moduleDialogs.end())
        if (auto it = mod->second.find(id); it != mod->second.end())
            return CreateDialogIndirect(it->second, parent, proc, initParam);
    if (const PluginModule* m = LoadedModule(instance))
        if (const DialogTemplate* tpl = m->resources.Dialog(id))
            return CreateDialogIndirect(*tpl, parent, proc, initParam);
    return nullptr;
}

BOOL WindowManager::EndDialog(HWND dlg, INT_PTR result) {
    Window* w = Find(dlg);
    if (!w) return FALSE;
    w->modalEnded = true;
    w->modalResult = result;
    ShowWindow(dlg, SW_HIDE);
    return TRUE;
}

} // namespace contorra::ui
