#include "module/window_classes.h"

#include "host/sdk/win32_gdi.h"
#include "host/sdk/win32_window.h"
#include "module/module_globals.h"

LRESULT CALLBACK IdleWindowProc(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

int RegisterWindowClasses(std::span<const PluginWindowClass> classes) {
    int registered = 0;
    for (const PluginWindowClass& c : classes) {
        WNDCLASSEX wc;
        wc.lpfnWndProc = c.proc;
        wc.hInstance = hInstance;
        wc.lpszClassName = c.name;
        wc.style = c.style;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        if (c.stockBrush >= 0) wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(c.stockBrush));
        if (RegisterClassEx(&wc)) ++registered;
    }
    return registered;
}
