#include "host/sdk/window_system.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>

namespace win32host {
namespace {
std::atomic<WindowSystem*> installed{nullptr};
} // namespace

WindowSystem* InstalledWindowSystem() {
    return installed.load(std::memory_order_acquire);
}

WindowSystem* InstallWindowSystem(WindowSystem* ws) {
    return installed.exchange(ws, std::memory_order_acq_rel);
}

} // namespace win32host

namespace {
using win32host::InstalledWindowSystem;
} // namespace

// Each call goes to the installed window system; without one it answers as
// Win32 does for a window that does not exist.

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param) {
    if (auto* ws = InstalledWindowSystem()) return ws->CreateWindowEx(exStyle, className, windowName, style, x, y, width, height, parent, menuOrId, instance, param);
    return nullptr;
}

LRESULT SendMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (auto* ws = InstalledWindowSystem()) return ws->SendMessage(wnd, msg, wParam, lParam);
    return 0;
}

BOOL PostMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (auto* ws = InstalledWindowSystem()) return ws->PostMessage(wnd, msg, wParam, lParam);
    return FALSE;
}

BOOL SendNotifyMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (auto* ws = InstalledWindowSystem()) return ws->SendNotifyMessage(wnd, msg, wParam, lParam);
    return FALSE;
}

LRESULT DefWindowProcA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (auto* ws = InstalledWindowSystem()) return ws->DefWindowProc(wnd, msg, wParam, lParam);
    return 0;
}

int GetWindowTextA(HWND wnd, LPSTR buf, int max) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetWindowText(wnd, buf, max);
    return 0;
}

int GetWindowTextLengthA(HWND wnd) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetWindowTextLength(wnd);
    return 0;
}

HWND GetDlgItem(HWND dlg, int id) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetDlgItem(dlg, id);
    return nullptr;
}

int GetDlgCtrlID(HWND wnd) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetDlgCtrlID(wnd);
    return 0;
}

BOOL EnableWindow(HWND wnd, BOOL enable) {
    if (auto* ws = InstalledWindowSystem()) return ws->EnableWindow(wnd, enable);
    return FALSE;
}

BOOL IsWindowEnabled(HWND wnd) {
    if (auto* ws = InstalledWindowSystem()) return ws->IsWindowEnabled(wnd);
    return FALSE;
}

BOOL ShowWindow(HWND wnd, int cmd) {
    if (auto* ws = InstalledWindowSystem()) return ws->ShowWindow(wnd, cmd);
    return FALSE;
}

BOOL IsWindowVisible(HWND wnd) {
    if (auto* ws = InstalledWindowSystem()) return ws->IsWindowVisible(wnd);
    return FALSE;
}

HWND SetFocus(HWND wnd) {
    if (auto* ws = InstalledWindowSystem()) return ws->SetFocus(wnd);
    return nullptr;
}

HWND GetFocus() {
    if (auto* ws = InstalledWindowSystem()) return ws->GetFocus();
    return nullptr;
}

HWND SetCapture(HWND wnd) {
    if (auto* ws = InstalledWindowSystem()) return ws->SetCapture(wnd);
    return nullptr;
}

BOOL ReleaseCapture() {
    if (auto* ws = InstalledWindowSystem()) return ws->ReleaseCapture();
    return FALSE;
}

HWND GetCapture() {
    if (auto* ws = InstalledWindowSystem()) return ws->GetCapture();
    return nullptr;
}

UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
    if (auto* ws = InstalledWindowSystem()) return ws->SetTimer(wnd, id, elapseMs, proc);
    return 0;
}

BOOL KillTimer(HWND wnd, UINT_PTR id) {
    if (auto* ws = InstalledWindowSystem()) return ws->KillTimer(wnd, id);
    return FALSE;
}

BOOL InvalidateRect(HWND wnd, const RECT* rect, BOOL erase) {
    if (auto* ws = InstalledWindowSystem()) return ws->InvalidateRect(wnd, rect, erase);
    return FALSE;
}

BOOL UpdateWindow(HWND wnd) {
    if (auto* ws = InstalledWindowSystem()) return ws->UpdateWindow(wnd);
    return FALSE;
}

BOOL GetClientRect(HWND wnd, LPRECT rect) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetClientRect(wnd, rect);
    return FALSE;
}

BOOL GetWindowRect(HWND wnd, LPRECT rect) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetWindowRect(wnd, rect);
    return FALSE;
}

BOOL MoveWindow(HWND wnd, int x, int y, int width, int height, BOOL repaint) {
    if (auto* ws = InstalledWindowSystem()) return ws->MoveWindow(wnd, x, y, width, height, repaint);
    return FALSE;
}

BOOL ScreenToClient(HWND wnd, LPPOINT pt) {
    if (auto* ws = InstalledWindowSystem()) return ws->ScreenToClient(wnd, pt);
    return FALSE;
}

BOOL ClientToScreen(HWND wnd, LPPOINT pt) {
    if (auto* ws = InstalledWindowSystem()) return ws->ClientToScreen(wnd, pt);
    return FALSE;
}

BOOL MapDialogRect(HWND dlg, LPRECT rect) {
    if (auto* ws = InstalledWindowSystem()) return ws->MapDialogRect(dlg, rect);
    return FALSE;
}

BOOL ShowScrollBar(HWND wnd, int bar, BOOL show) {
    if (auto* ws = InstalledWindowSystem()) return ws->ShowScrollBar(wnd, bar, show);
    return FALSE;
}

int SetScrollInfo(HWND wnd, int bar, const SCROLLINFO* info, BOOL redraw) {
    if (auto* ws = InstalledWindowSystem()) return ws->SetScrollInfo(wnd, bar, info, redraw);
    return 0;
}

BOOL GetScrollInfo(HWND wnd, int bar, LPSCROLLINFO info) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetScrollInfo(wnd, bar, info);
    return FALSE;
}

short GetAsyncKeyState(int vk) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetAsyncKeyState(vk);
    return 0;
}

HCURSOR SetCursor(HCURSOR cursor) {
    if (auto* ws = InstalledWindowSystem()) return ws->SetCursor(cursor);
    return nullptr;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    if (auto* ws = InstalledWindowSystem()) return ws->LoadCursor(instance, name);
    return nullptr;
}

HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc, LPARAM initParam) {
    if (auto* ws = InstalledWindowSystem()) return ws->CreateDialogParam(instance, templateName, parent, proc, initParam);
    return nullptr;
}

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc, LPARAM initParam) {
    if (auto* ws = InstalledWindowSystem()) return ws->DialogBoxParam(instance, templateName, parent, proc, initParam);
    return -1;
}

BOOL EndDialog(HWND dlg, INT_PTR result) {
    if (auto* ws = InstalledWindowSystem()) return ws->EndDialog(dlg, result);
    return FALSE;
}

HDC GetDC(HWND wnd) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetDC(wnd);
    return nullptr;
}

int ReleaseDC(HWND wnd, HDC dc) {
    if (auto* ws = InstalledWindowSystem()) return ws->ReleaseDC(wnd, dc);
    return 0;
}

HDC BeginPaint(HWND wnd, LPPAINTSTRUCT ps) {
    if (auto* ws = InstalledWindowSystem()) return ws->BeginPaint(wnd, ps);
    return nullptr;
}

BOOL EndPaint(HWND wnd, const PAINTSTRUCT* ps) {
    if (auto* ws = InstalledWindowSystem()) return ws->EndPaint(wnd, ps);
    return FALSE;
}

HGDIOBJ GetStockObject(int which) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetStockObject(which);
    return nullptr;
}

HPEN CreatePen(int style, int width, COLORREF colour) {
    if (auto* ws = InstalledWindowSystem()) return ws->CreatePen(style, width, colour);
    return nullptr;
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    if (auto* ws = InstalledWindowSystem()) return ws->CreateSolidBrush(colour);
    return nullptr;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) {
    if (auto* ws = InstalledWindowSystem()) return ws->SelectObject(dc, obj);
    return nullptr;
}

BOOL DeleteObject(HGDIOBJ obj) {
    if (auto* ws = InstalledWindowSystem()) return ws->DeleteObject(obj);
    return FALSE;
}

COLORREF SetDCPenColor(HDC dc, COLORREF colour) {
    if (auto* ws = InstalledWindowSystem()) return ws->SetDCPenColor(dc, colour);
    return CLR_INVALID;
}

COLORREF SetDCBrushColor(HDC dc, COLORREF colour) {
    if (auto* ws = InstalledWindowSystem()) return ws->SetDCBrushColor(dc, colour);
    return CLR_INVALID;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
    if (auto* ws = InstalledWindowSystem()) return ws->SetTextColor(dc, colour);
    return CLR_INVALID;
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
    if (auto* ws = InstalledWindowSystem()) return ws->SetBkColor(dc, colour);
    return CLR_INVALID;
}

int SetBkMode(HDC dc, int mode) {
    if (auto* ws = InstalledWindowSystem()) return ws->SetBkMode(dc, mode);
    return 0;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    if (auto* ws = InstalledWindowSystem()) return ws->Rectangle(dc, left, top, right, bottom);
    return FALSE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    if (auto* ws = InstalledWindowSystem()) return ws->FillRect(dc, rect, brush);
    return 0;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brush) {
    if (auto* ws = InstalledWindowSystem()) return ws->FrameRect(dc, rect, brush);
    return 0;
}

BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
    if (auto* ws = InstalledWindowSystem()) return ws->MoveToEx(dc, x, y, previous);
    return FALSE;
}

BOOL LineTo(HDC dc, int x, int y) {
    if (auto* ws = InstalledWindowSystem()) return ws->LineTo(dc, x, y);
    return FALSE;
}

BOOL Polygon(HDC dc, const POINT* pts, int count) {
    if (auto* ws = InstalledWindowSystem()) return ws->Polygon(dc, pts, count);
    return FALSE;
}

BOOL Polyline(HDC dc, const POINT* pts, int count) {
    if (auto* ws = InstalledWindowSystem()) return ws->Polyline(dc, pts, count);
    return FALSE;
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
    if (auto* ws = InstalledWindowSystem()) return ws->Ellipse(dc, left, top, right, bottom);
    return FALSE;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) {
    if (auto* ws = InstalledWindowSystem()) return ws->SetPixel(dc, x, y, colour);
    return CLR_INVALID;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetPixel(dc, x, y);
    return CLR_INVALID;
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int count) {
    if (auto* ws = InstalledWindowSystem()) return ws->TextOut(dc, x, y, text, count);
    return FALSE;
}

int DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format) {
    if (auto* ws = InstalledWindowSystem()) return ws->DrawText(dc, text, count, rect, format);
    return 0;
}

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, SIZE* size) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetTextExtentPoint32(dc, text, count, size);
    return FALSE;
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* tm) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetTextMetrics(dc, tm);
    return FALSE;
}

DWORD GetSysColor(int which) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetSysColor(which);
    return 0;
}

HBRUSH GetSysColorBrush(int which) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetSysColorBrush(which);
    return nullptr;
}

HFONT GetAppHFont() {
    if (auto* ws = InstalledWindowSystem()) return ws->GetAppHFont();
    return nullptr;
}

ICustEdit* GetICustEdit(HWND wnd) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetICustEdit(wnd);
    return nullptr;
}

ISpinnerControl* GetISpinner(HWND wnd) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetISpinner(wnd);
    return nullptr;
}

ICustButton* GetICustButton(HWND wnd) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetICustButton(wnd);
    return nullptr;
}

IColorSwatch* GetIColorSwatch(HWND wnd) {
    if (auto* ws = InstalledWindowSystem()) return ws->GetIColorSwatch(wnd);
    return nullptr;
}

int HSVDlg_Do(HWND owner, DWORD* colour, IPoint2* pos, HSVCallback* callback, const MCHAR* title) {
    if (auto* ws = InstalledWindowSystem()) return ws->HSVDlg_Do(owner, colour, pos, callback, title);
    return FALSE;
}

LRESULT CallWindowProcA(WNDPROC proc, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(wnd, msg, wParam, lParam) : 0;
}

LRESULT SendDlgItemMessageA(HWND dlg, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND item = GetDlgItem(dlg, id);
    return item ? SendMessageA(item, msg, wParam, lParam) : 0;
}

BOOL SetDlgItemInt(HWND dlg, int id, UINT value, BOOL isSigned) {
    const std::string text = isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
    return SetDlgItemTextA(dlg, id, text.c_str());
}

UINT GetDlgItemInt(HWND dlg, int id, BOOL* translated, BOOL isSigned) {
    char buf[64] = {};
    GetDlgItemTextA(dlg, id, buf, sizeof buf);
    char* end = nullptr;
    const long long v = isSigned ? std::strtoll(buf, &end, 10) : static_cast<long long>(std::strtoull(buf, &end, 10));
    const bool ok = end != buf && *end == '\0';
    if (translated) *translated = ok ? TRUE : FALSE;
    return ok ? static_cast<UINT>(v) : 0;
}

BOOL CheckDlgButton(HWND dlg, int id, UINT check) {
    HWND item = GetDlgItem(dlg, id);
    if (!item) return FALSE;
    SendMessageA(item, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dlg, int id) {
    HWND item = GetDlgItem(dlg, id);
    return item ? static_cast<UINT>(SendMessageA(item, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dlg, int first, int last, int check) {
    for (int id = first; id <= last; ++id)
        if (HWND item = GetDlgItem(dlg, id))
            SendMessageA(item, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
    return TRUE;
}

BOOL SetScrollRange(HWND wnd, int bar, int minPos, int maxPos, BOOL redraw) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    si.nMin = minPos;
    si.nMax = maxPos;
    SetScrollInfo(wnd, bar, &si, redraw);
    return InstalledWindowSystem() ? TRUE : FALSE;
}

BOOL GetScrollRange(HWND wnd, int bar, int* minPos, int* maxPos) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    const BOOL ok = GetScrollInfo(wnd, bar, &si);
    if (minPos) *minPos = si.nMin;
    if (maxPos) *maxPos = si.nMax;
    return ok;
}

int SetScrollPos(HWND wnd, int bar, int pos, BOOL redraw) {
    const int before = GetScrollPos(wnd, bar);
    SCROLLINFO si;
    si.fMask = SIF_POS;
    si.nPos = pos;
    SetScrollInfo(wnd, bar, &si, redraw);
    return before;
}

int GetScrollPos(HWND wnd, int bar) {
    SCROLLINFO si;
    si.fMask = SIF_POS;
    return GetScrollInfo(wnd, bar, &si) ? si.nPos : 0;
}

short GetKeyState(int vk) {
    return GetAsyncKeyState(vk);
}

HFONT CreateFontA(int height, int, int, int, int weight, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                  DWORD, DWORD, LPCSTR face) {
    if (auto* ws = InstalledWindowSystem()) return ws->CreateFont(height, weight, face);
    return nullptr;
}

void ReleaseICustEdit(ICustEdit* c) {
    if (auto* ws = InstalledWindowSystem(); ws && c) ws->ReleaseControl(c);
}
void ReleaseISpinner(ISpinnerControl* c) {
    if (auto* ws = InstalledWindowSystem(); ws && c) ws->ReleaseControl(c);
}
void ReleaseICustButton(ICustButton* c) {
    if (auto* ws = InstalledWindowSystem(); ws && c) ws->ReleaseControl(c);
}
void ReleaseIColorSwatch(IColorSwatch* c) {
    if (auto* ws = InstalledWindowSystem(); ws && c) ws->ReleaseControl(c);
}

IColorSwatch* GetIColorSwatch(HWND wnd, COLORREF colour, const MCHAR* title) {
    IColorSwatch* s = GetIColorSwatch(wnd);
    if (s) {
        s->SetColor(colour, FALSE);
        s->SetTitle(title);
    }
    return s;
}

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (!rect) return FALSE;
    *rect = {left, top, right, bottom};
    return TRUE;
}

BOOL InflateRect(LPRECT rect, int dx, int dy) {
    if (!rect) return FALSE;
    *rect = {rect->left - dx, rect->top - dy, rect->right + dx, rect->bottom + dy};
    return TRUE;
}

BOOL OffsetRect(LPRECT rect, int dx, int dy) {
    if (!rect) return FALSE;
    *rect = {rect->left + dx, rect->top + dy, rect->right + dx, rect->bottom + dy};
    return TRUE;
}

BOOL PtInRect(const RECT* rect, POINT pt) {
    return rect && pt.x >= rect->left && pt.x < rect->right && pt.y >= rect->top &&
           pt.y < rect->bottom;
}

BOOL IsRectEmpty(const RECT* rect) {
    return !rect || rect->right <= rect->left || rect->bottom <= rect->top;
}

BOOL IntersectRect(LPRECT out, const RECT* a, const RECT* b) {
    if (!out || !a || !b) return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) r = {};
    *out = r;
    return !IsRectEmpty(out);
}
