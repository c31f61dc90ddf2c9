#include "host/sdk/win32.h"

#include "host/sdk/window_system.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

namespace {

struct Window {
    std::string className;
    HWND parent = nullptr;
    int templateId = 0;
    std::string text;
    std::map<int, std::string> items;
    LONG_PTR userData = 0;
};

struct State {
    std::mutex lock;
    std::vector<win32host::WindowClassRecord> classes;
    std::set<HMODULE> quietModules;
    std::map<HINSTANCE, std::map<UINT, std::string>> strings;
    std::map<HWND, std::unique_ptr<Window>> windows;
};

// Never destroyed: class registries and scenes of the host may still unload
// modules and windows while static destructors run at exit.
State& S() {
    static State* s = new State;
    return *s;
}

Window* Find(HWND wnd) {
    auto it = S().windows.find(wnd);
    return it == S().windows.end() ? nullptr : it->second.get();
}

int CopyOut(const std::string& text, LPSTR buf, int max) {
    if (!buf || max <= 0) return 0;
    int n = std::min(static_cast<int>(text.size()), max - 1);
    std::memcpy(buf, text.data(), static_cast<std::size_t>(n));
    buf[n] = '\0';
    return n;
}

} // namespace

int LoadStringA(HINSTANCE hInstance, UINT id, LPSTR buf, int max) {
    std::lock_guard g(S().lock);
    auto mod = S().strings.find(hInstance);
    if (mod == S().strings.end()) return CopyOut("", buf, max);
    auto it = mod->second.find(id);
    return CopyOut(it == mod->second.end() ? std::string() : it->second, buf, max);
}

BOOL DisableThreadLibraryCalls(HMODULE module) {
    std::lock_guard g(S().lock);
    S().quietModules.insert(module);
    return TRUE;
}

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
    if (!wc || !wc->lpszClassName || !*wc->lpszClassName) return 0;
    std::lock_guard g(S().lock);
    auto& classes = S().classes;
    for (const auto& c : classes)
        if (c.name == wc->lpszClassName) return 0;
    classes.push_back({wc->lpszClassName, *wc});
    classes.back().record.lpszClassName = classes.back().name.c_str();
    return static_cast<ATOM>(0xC000 + classes.size());
}

BOOL UnregisterClassA(LPCSTR name, HINSTANCE) {
    if (!name) return FALSE;
    std::lock_guard g(S().lock);
    auto& classes = S().classes;
    auto it = std::find_if(classes.begin(), classes.end(),
                           [name](const auto& c) { return c.name == name; });
    if (it == classes.end()) return FALSE;
    classes.erase(it);
    return TRUE;
}

BOOL SetDlgItemTextA(HWND dlg, int id, LPCSTR text) {
    if (auto* ws = win32host::InstalledWindowSystem()) return ws->SetDlgItemText(dlg, id, text);
    std::lock_guard g(S().lock);
    Window* w = Find(dlg);
    if (!w) return FALSE;
    w->items[id] = text ? text : "";
    return TRUE;
}

UINT GetDlgItemTextA(HWND dlg, int id, LPSTR buf, int max) {
    if (auto* ws = win32host::InstalledWindowSystem()) return ws->GetDlgItemText(dlg, id, buf, max);
    std::lock_guard g(S().lock);
    Window* w = Find(dlg);
    if (!w) return 0;
    auto it = w->items.find(id);
    return static_cast<UINT>(CopyOut(it == w->items.end() ? std::string() : it->second, buf, max));
}

BOOL SetWindowTextA(HWND wnd, LPCSTR text) {
    if (auto* ws = win32host::InstalledWindowSystem()) return ws->SetWindowText(wnd, text);
    std::lock_guard g(S().lock);
    Window* w = Find(wnd);
    if (!w) return FALSE;
    w->text = text ? text : "";
    return TRUE;
}

LONG_PTR GetWindowLongPtr(HWND wnd, int index) {
    if (auto* ws = win32host::InstalledWindowSystem()) return ws->GetWindowLongPtr(wnd, index);
    std::lock_guard g(S().lock);
    Window* w = Find(wnd);
    return w && index == GWLP_USERDATA ? w->userData : 0;
}

LONG_PTR SetWindowLongPtr(HWND wnd, int index, LONG_PTR value) {
    if (auto* ws = win32host::InstalledWindowSystem()) return ws->SetWindowLongPtr(wnd, index, value);
    std::lock_guard g(S().lock);
    Window* w = Find(wnd);
    if (!w || index != GWLP_USERDATA) return 0;
    LONG_PTR old = w->userData;
    w->userData = value;
    return old;
}

HWND GetParent(HWND wnd) {
    if (auto* ws = win32host::InstalledWindowSystem()) return ws->GetParent(wnd);
    std::lock_guard g(S().lock);
    Window* w = Find(wnd);
    return w ? w->parent : nullptr;
}

BOOL IsWindow(HWND wnd) {
    if (auto* ws = win32host::InstalledWindowSystem()) return ws->IsWindow(wnd);
    std::lock_guard g(S().lock);
    return Find(wnd) ? TRUE : FALSE;
}

BOOL DestroyWindow(HWND wnd) {
    if (auto* ws = win32host::InstalledWindowSystem()) return ws->DestroyWindow(wnd);
    std::lock_guard g(S().lock);
    return S().windows.erase(wnd) ? TRUE : FALSE;
}

namespace win32host {

const std::vector<WindowClassRecord>& RegisteredClasses() {
    return S().classes;
}

void ClearRegisteredClasses() {
    std::lock_guard g(S().lock);
    S().classes.clear();
}

bool ThreadCallsDisabled(HMODULE module) {
    std::lock_guard g(S().lock);
    return S().quietModules.count(module) != 0;
}

void SetModuleStrings(HINSTANCE module, std::map<UINT, std::string> strings) {
    std::lock_guard g(S().lock);
    S().strings[module] = std::move(strings);
}

void ForgetModule(HINSTANCE module) {
    std::lock_guard g(S().lock);
    S().strings.erase(module);
    S().quietModules.erase(module);
    // Its window procedures go with it.
    std::erase_if(S().classes,
                  [module](const WindowClassRecord& c) { return c.record.hInstance == module; });
}

HWND CreateHeadlessWindow(const std::string& className, HWND parent, int templateId) {
    if (auto* ws = win32host::InstalledWindowSystem()) return ws->CreateBareDialog(parent, templateId);
    auto w = std::make_unique<Window>();
    w->className = className;
    w->parent = parent;
    w->templateId = templateId;
    // The record's address is the handle.
    HWND h = reinterpret_cast<HWND>(w.get());
    std::lock_guard g(S().lock);
    S().windows[h] = std::move(w);
    return h;
}

int WindowTemplateId(HWND wnd) {
    if (auto* ws = win32host::InstalledWindowSystem()) return ws->WindowTemplateId(wnd);
    std::lock_guard g(S().lock);
    Window* w = Find(wnd);
    return w ? w->templateId : 0;
}

const std::string& WindowClassName(HWND wnd) {
    if (auto* ws = win32host::InstalledWindowSystem()) return ws->WindowClassName(wnd);
    static const std::string none;
    std::lock_guard g(S().lock);
    Window* w = Find(wnd);
    return w ? w->className : none;
}

} // namespace win32host
