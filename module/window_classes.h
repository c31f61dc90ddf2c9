#pragma once
// The plug-in's window classes: each name registered with its own window
// procedure for the module's instance.
#include <span>

#include "host/sdk/win32.h"

struct PluginWindowClass {
    const char* name;
    WNDPROC proc;
    UINT style = 0;
    // The class brush: a stock object, or none (-1).
    int stockBrush = -1;
};

// The ramp control's procedure (edgemap/ramp_control.cpp).
LRESULT CALLBACK GradientRampWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Answers every message as a window with nothing to show: the procedure of a
// class whose control does not exist yet.
LRESULT CALLBACK IdleWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The four list views' procedure, defined with the views in rollouts/.
LRESULT CALLBACK ListBoxViewProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Registers each class for hInstance, in order; a name already taken stays as
// it was. Answers how many were registered.
int RegisterWindowClasses(std::span<const PluginWindowClass> classes);

// The module's classes in registration order (module/class_list.cpp).
std::span<const PluginWindowClass> PluginWindowClasses();
