#pragma once
// What the host does as the user: paint a window tree into a picture and
// deliver mouse, keys and text, pumping the message queue until it is idle
// after each step. Points are screen coordinates unless named client.
// Every call needs an installed window system (window_manager.h) and throws
// std::logic_error without one.
#include <filesystem>
#include <functional>
#include <string>

#include "host/app/software_raster.h"
#include "host/sdk/win32.h"

namespace contorra::ui {

struct KeyModifiers {
    bool shift = false, ctrl = false, alt = false;
};

enum class MouseButton { left, right, middle };

// Delivers posted messages, timers that are due and pending paints until
// nothing is left.
void PumpMessages();

// wnd and its visible children painted into a picture of wnd's size.
RasterImage CaptureWindow(HWND wnd);
// The same written as a PNG, whole or not at all.
void WriteWindowPng(HWND wnd, const std::filesystem::path& path);
// Copies a picture into a device context at (x, y) of its window (for
// windows that show pictures the host renders, such as viewports).
void DrawImage(HDC dc, int x, int y, const RasterImage& image);

// Top-level windows hold their position in screen coordinates; this finds
// the deepest visible window under pt (null when none).
HWND WindowFromPoint(POINT pt);
// Depth first, wnd included.
HWND FindControl(HWND root, int id);
HWND FindControlByText(HWND root, const std::string& text);
// The screen point of a client point of wnd; the centre when none is given.
POINT ScreenPoint(HWND wnd);
POINT ScreenPoint(HWND wnd, POINT client);

// Mouse: to the window under the point, or to the capture.
void MouseDown(POINT pt, MouseButton button, KeyModifiers mods = {});
void MouseUp(POINT pt, MouseButton button, KeyModifiers mods = {});
void MouseMove(POINT pt, KeyModifiers mods = {});
void MouseWheel(POINT pt, int delta, KeyModifiers mods = {});
// Down and up at the centre of wnd.
void Click(HWND wnd, MouseButton button = MouseButton::left, KeyModifiers mods = {});
// Down at from, steps moves to to, up at to (client points of wnd).
void Drag(HWND wnd, POINT from, POINT to, MouseButton button = MouseButton::left,
          KeyModifiers mods = {}, int steps = 8);

// Keys go to the focus window (the window under no point).
void KeyDown(int vk, KeyModifiers mods = {});
void KeyUp(int vk, KeyModifiers mods = {});
void PressKey(int vk, KeyModifiers mods = {});
// WM_CHAR per character to the focus window.
void TypeText(const std::string& text);
// Gives the focus to wnd and types text, then Enter.
void EnterText(HWND wnd, const std::string& text);

// The colour picker's answer: called with the picker's title and starting
// colour; returns false to cancel, or true with the chosen colour in colour.
// Without a hook the picker is cancelled.
using ColorPickerHook = std::function<bool(const std::string& title, COLORREF& colour)>;
void SetColorPickerHook(ColorPickerHook hook);

// Modal dialogs (DialogBoxParam) call the hook once they are set up; what it
// does stands for the user. A dialog still open when it returns is ended with
// IDCANCEL (2). Without a hook modal dialogs end at once with IDCANCEL.
using ModalDialogHook = std::function<void(HWND dialog)>;
void SetModalDialogHook(ModalDialogHook hook);

// Advances the host's clock (timers run on it, not on real time) and
// delivers the timers that fall due.
void Wait(int milliseconds);

} // namespace contorra::ui
