#include "module/window_classes.h"

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
        if (RegisterClassEx(&wc)) ++registered;
    }
    return registered;
}
