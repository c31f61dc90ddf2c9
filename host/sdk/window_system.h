#pragma once
// The window system behind the Win32 calls of win32*.h and the host's
// controls of custom_controls.h. The running host installs one at start-up
// (host/app/ui/window_manager.h); the SDK's functions forward each call to
// it, so the plug-in and the host share one window tree. The methods take
// the arguments of the Win32 call they stand for.
#include "host/sdk/custom_controls.h"
#include "host/sdk/win32.h"

namespace win32host {

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // Windows and messages.
    virtual HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                                int x, int y, int width, int height, HWND parent, HMENU menuOrId,
                                HINSTANCE instance, LPVOID param) = 0;
    // A dialog window for a template with no controls (rollouts opened before
    // the template's module is known).
    virtual HWND CreateBareDialog(HWND parent, int templateId) = 0;
    virtual int WindowTemplateId(HWND wnd) = 0;
    virtual const std::string& WindowClassName(HWND wnd) = 0;
    virtual BOOL DestroyWindow(HWND wnd) = 0;
    virtual BOOL IsWindow(HWND wnd) = 0;
    virtual HWND GetParent(HWND wnd) = 0;
    virtual LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual BOOL PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual BOOL SendNotifyMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual LRESULT DefWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual LONG_PTR GetWindowLongPtr(HWND wnd, int index) = 0;
    virtual LONG_PTR SetWindowLongPtr(HWND wnd, int index, LONG_PTR value) = 0;
    virtual BOOL SetWindowText(HWND wnd, LPCSTR text) = 0;
    virtual int GetWindowText(HWND wnd, LPSTR buf, int max) = 0;
    virtual int GetWindowTextLength(HWND wnd) = 0;
    virtual HWND GetDlgItem(HWND dlg, int id) = 0;
    virtual int GetDlgCtrlID(HWND wnd) = 0;
    virtual BOOL SetDlgItemText(HWND dlg, int id, LPCSTR text) = 0;
    virtual UINT GetDlgItemText(HWND dlg, int id, LPSTR buf, int max) = 0;
    virtual BOOL EnableWindow(HWND wnd, BOOL enable) = 0;
    virtual BOOL IsWindowEnabled(HWND wnd) = 0;
    virtual BOOL ShowWindow(HWND wnd, int cmd) = 0;
    virtual BOOL IsWindowVisible(HWND wnd) = 0;
    virtual HWND SetFocus(HWND wnd) = 0;
    virtual HWND GetFocus() = 0;
    virtual HWND SetCapture(HWND wnd) = 0;
    virtual BOOL ReleaseCapture() = 0;
    virtual HWND GetCapture() = 0;
    virtual UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) = 0;
    virtual BOOL KillTimer(HWND wnd, UINT_PTR id) = 0;
    virtual BOOL InvalidateRect(HWND wnd, const RECT* rect, BOOL erase) = 0;
    virtual BOOL UpdateWindow(HWND wnd) = 0;
    virtual BOOL GetClientRect(HWND wnd, LPRECT rect) = 0;
    virtual BOOL GetWindowRect(HWND wnd, LPRECT rect) = 0;
    virtual BOOL MoveWindow(HWND wnd, int x, int y, int width, int height, BOOL repaint) = 0;
    virtual BOOL ScreenToClient(HWND wnd, LPPOINT pt) = 0;
    virtual BOOL ClientToScreen(HWND wnd, LPPOINT pt) = 0;
    virtual BOOL MapDialogRect(HWND dlg, LPRECT rect) = 0;
    virtual BOOL ShowScrollBar(HWND wnd, int bar, BOOL show) = 0;
    virtual int SetScrollInfo(HWND wnd, int bar, const SCROLLINFO* info, BOOL redraw) = 0;
    virtual BOOL GetScrollInfo(HWND wnd, int bar, LPSCROLLINFO info) = 0;
    virtual short GetAsyncKeyState(int vk) = 0;
    virtual HCURSOR SetCursor(HCURSOR cursor) = 0;
    virtual HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name) = 0;
    virtual HWND CreateDialogParam(HINSTANCE instance, LPCSTR templateName, HWND parent,
                                   DLGPROC proc, LPARAM initParam) = 0;
    virtual INT_PTR DialogBoxParam(HINSTANCE instance, LPCSTR templateName, HWND parent,
                                   DLGPROC proc, LPARAM initParam) = 0;
    virtual BOOL EndDialog(HWND dlg, INT_PTR result) = 0;

    // Drawing.
    virtual HDC GetDC(HWND wnd) = 0;
    virtual int ReleaseDC(HWND wnd, HDC dc) = 0;
    virtual HDC BeginPaint(HWND wnd, LPPAINTSTRUCT ps) = 0;
    virtual BOOL EndPaint(HWND wnd, const PAINTSTRUCT* ps) = 0;
    virtual HGDIOBJ GetStockObject(int which) = 0;
    virtual HPEN CreatePen(int style, int width, COLORREF colour) = 0;
    virtual HBRUSH CreateSolidBrush(COLORREF colour) = 0;
    virtual HFONT CreateFont(int height, int weight, LPCSTR face) = 0;
    virtual HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) = 0;
    virtual BOOL DeleteObject(HGDIOBJ obj) = 0;
    virtual COLORREF SetDCPenColor(HDC dc, COLORREF colour) = 0;
    virtual COLORREF SetDCBrushColor(HDC dc, COLORREF colour) = 0;
    virtual COLORREF SetTextColor(HDC dc, COLORREF colour) = 0;
    virtual COLORREF SetBkColor(HDC dc, COLORREF colour) = 0;
    virtual int SetBkMode(HDC dc, int mode) = 0;
    virtual BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) = 0;
    virtual int FillRect(HDC dc, const RECT* rect, HBRUSH brush) = 0;
    virtual int FrameRect(HDC dc, const RECT* rect, HBRUSH brush) = 0;
    virtual BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous) = 0;
    virtual BOOL LineTo(HDC dc, int x, int y) = 0;
    virtual BOOL Polygon(HDC dc, const POINT* pts, int count) = 0;
    virtual BOOL Polyline(HDC dc, const POINT* pts, int count) = 0;
    virtual BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) = 0;
    virtual COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) = 0;
    virtual COLORREF GetPixel(HDC dc, int x, int y) = 0;
    virtual BOOL TextOut(HDC dc, int x, int y, LPCSTR text, int count) = 0;
    virtual int DrawText(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format) = 0;
    virtual BOOL GetTextExtentPoint32(HDC dc, LPCSTR text, int count, SIZE* size) = 0;
    virtual BOOL GetTextMetrics(HDC dc, TEXTMETRICA* tm) = 0;
    virtual DWORD GetSysColor(int which) = 0;
    virtual HBRUSH GetSysColorBrush(int which) = 0;
    virtual HFONT GetAppHFont() = 0;

    // The host's controls.
    virtual ICustEdit* GetICustEdit(HWND wnd) = 0;
    virtual ISpinnerControl* GetISpinner(HWND wnd) = 0;
    virtual ICustButton* GetICustButton(HWND wnd) = 0;
    virtual IColorSwatch* GetIColorSwatch(HWND wnd) = 0;
    virtual void ReleaseControl(ICustomControl* c) = 0;
    virtual int HSVDlg_Do(HWND owner, DWORD* colour, IPoint2* pos, HSVCallback* callback,
                          const MCHAR* title) = 0;
};

// The installed window system, or null (then windows are plain records).
WindowSystem* InstalledWindowSystem();
// Installs ws (null uninstalls); answers the one installed before.
WindowSystem* InstallWindowSystem(WindowSystem* ws);

} // namespace win32host
