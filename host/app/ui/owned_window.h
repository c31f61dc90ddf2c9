#pragma once
// Windows of the host's own classes (the host window, its views, the
// material editor) keep the object that runs them in their user data.
#include <cstdint>

#include "host/sdk/win32.h"

namespace contorra::ui {

// A class registered for an earlier window system answers 0 here, which is
// harmless: the class is the same.
inline void RegisterHostClass(const char* name, WNDPROC proc, HBRUSH background = nullptr) {
    WNDCLASSEXA wc;
    wc.lpfnWndProc = proc;
    wc.lpszClassName = name;
    wc.hbrBackground = background;
    RegisterClassExA(&wc);
}

// The window's own object, kept in its user data from WM_CREATE on.
template <class T> T* Owner(HWND wnd, UINT msg, LPARAM lParam) {
    if (msg == WM_CREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtr(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    return reinterpret_cast<T*>(GetWindowLongPtr(wnd, GWLP_USERDATA));
}

} // namespace contorra::ui
