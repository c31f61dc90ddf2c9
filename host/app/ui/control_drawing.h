#pragma once
// Drawing shared by the host's controls, in plain GDI calls and the grey
// theme's colours.
#include <string>

#include "host/sdk/win32.h"

namespace contorra::ui {

void FillSolid(HDC dc, const RECT& r, COLORREF c);
// A one-pixel bevel: raised (light top left) or sunken.
void DrawBevel(HDC dc, const RECT& r, bool sunken);
// A filled triangle pointing up or down, centred in r.
void DrawArrow(HDC dc, const RECT& r, bool up, COLORREF c);
// Text in the control's font, greyed when disabled.
void DrawLabel(HDC dc, RECT r, const std::string& text, UINT format, bool enabled);
// The window's text.
std::string WindowText(HWND wnd);
// Client rectangle.
RECT ClientRect(HWND wnd);
// The parent gets WM_COMMAND with the id and code.
void NotifyParent(HWND wnd, WORD code);

} // namespace contorra::ui
