#pragma once
// The part of Win32 that the plug-in calls, standing on its own here. The
// calls go to the window system the running host installs
// (host/sdk/window_system.h). Without one, window handles name plain records:
// a headless window remembers its class, parent and the texts of its dialog
// items, so plug-in code that sets texts runs and can be checked without a
// display. Windows, messages and controls are declared in win32_window.h,
// drawing in win32_gdi.h; both come with this header.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/sdk/base_types.h"

#define WINAPI
#define APIENTRY
#define CALLBACK
#define DLLEXPORT extern "C" __attribute__((visibility("default")))

struct HINSTANCE__;
struct HWND__;
struct HMENU__;
struct HICON__;
struct HCURSOR__;
struct HBRUSH__;
struct HDC__;
struct HPEN__;
struct HFONT__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using HWND = HWND__*;
using HMENU = HMENU__*;
using HICON = HICON__*;
using HCURSOR = HCURSOR__*;
using HBRUSH = HBRUSH__*;
using HDC = HDC__*;
using HPEN = HPEN__*;
using HFONT = HFONT__*;
// Any pen, brush or font, as on Windows.
using HGDIOBJ = void*;

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using ATOM = WORD;
using LPVOID = void*;
using LPSTR = char*;
using LPCSTR = const char*;
using LONG = std::int32_t;
using COLORREF = DWORD;

struct POINT {
    LONG x = 0, y = 0;
};
struct SIZE {
    LONG cx = 0, cy = 0;
};
// Right and bottom are outside the rectangle.
struct RECT {
    LONG left = 0, top = 0, right = 0, bottom = 0;
};
using LPRECT = RECT*;
using LPPOINT = POINT*;

constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xff) | ((g & 0xff) << 8) | ((b & 0xff) << 16));
}
constexpr BYTE GetRValue(COLORREF c) {
    return static_cast<BYTE>(c & 0xff);
}
constexpr BYTE GetGValue(COLORREF c) {
    return static_cast<BYTE>((c >> 8) & 0xff);
}
constexpr BYTE GetBValue(COLORREF c) {
    return static_cast<BYTE>((c >> 16) & 0xff);
}
// Resource ids passed where a name is expected.
inline LPCSTR MAKEINTRESOURCEA(std::uintptr_t id) {
    return reinterpret_cast<LPCSTR>(id & 0xffff);
}
#define MAKEINTRESOURCE MAKEINTRESOURCEA
inline bool IS_INTRESOURCE(LPCSTR p) {
    return (reinterpret_cast<std::uintptr_t>(p) >> 16) == 0;
}

constexpr WORD LOWORD(std::uintptr_t v) {
    return static_cast<WORD>(v & 0xffff);
}
constexpr WORD HIWORD(std::uintptr_t v) {
    return static_cast<WORD>((v >> 16) & 0xffff);
}
constexpr DWORD MAKELONG(WORD lo, WORD hi) {
    return static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16);
}

// Library entry notifications.
constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_THREAD_ATTACH = 2;
constexpr DWORD DLL_THREAD_DETACH = 3;

// Window messages the plug-in handles or sends.
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_USER = 0x0400;
// The rest of the messages are in win32_window.h.

// Window class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_PARENTDC = 0x0080;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

struct WNDCLASSEXA {
    UINT cbSize = sizeof(WNDCLASSEXA);
    UINT style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HINSTANCE hInstance = nullptr;
    HICON hIcon = nullptr;
    HCURSOR hCursor = nullptr;
    HBRUSH hbrBackground = nullptr;
    LPCSTR lpszMenuName = nullptr;
    LPCSTR lpszClassName = nullptr;
    HICON hIconSm = nullptr;
};
using WNDCLASSEX = WNDCLASSEXA;

// Loads string id of the module's string table into buf (at most max - 1
// characters and a terminating zero); answers the characters copied, 0 when
// the module or the string is unknown.
int LoadStringA(HINSTANCE hInstance, UINT id, LPSTR buf, int max);
#define LoadString LoadStringA
BOOL DisableThreadLibraryCalls(HMODULE module);
// Keeps the class record in the host's registry; 0 when the name is taken
// or missing.
ATOM RegisterClassExA(const WNDCLASSEXA* wc);
#define RegisterClassEx RegisterClassExA
BOOL UnregisterClassA(LPCSTR name, HINSTANCE hInstance);
#define UnregisterClass UnregisterClassA

BOOL SetDlgItemTextA(HWND dlg, int id, LPCSTR text);
#define SetDlgItemText SetDlgItemTextA
// Copies the item's text into buf; answers its length (0 when unknown).
UINT GetDlgItemTextA(HWND dlg, int id, LPSTR buf, int max);
#define GetDlgItemText GetDlgItemTextA
BOOL SetWindowTextA(HWND wnd, LPCSTR text);
#define SetWindowText SetWindowTextA
LONG_PTR GetWindowLongPtr(HWND wnd, int index);
LONG_PTR SetWindowLongPtr(HWND wnd, int index, LONG_PTR value);
constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;
// A dialog's own slots.
constexpr int DWLP_MSGRESULT = 0;
constexpr int DWLP_DLGPROC = 8;
constexpr int DWLP_USER = 16;
HWND GetParent(HWND wnd);
BOOL IsWindow(HWND wnd);
BOOL DestroyWindow(HWND wnd);

// What the host keeps of the Win32 world: the registered classes, the string
// tables of loaded modules and the headless windows.
namespace win32host {

struct WindowClassRecord {
    std::string name;
    WNDCLASSEXA record;
};

// Registered classes in registration order.
const std::vector<WindowClassRecord>& RegisteredClasses();
void ClearRegisteredClasses();
// Modules that asked to skip thread notifications.
bool ThreadCallsDisabled(HMODULE module);

// The loader hands over each module's string table once it has read it.
void SetModuleStrings(HINSTANCE module, std::map<UINT, std::string> strings);
// Drops the module's strings and the window classes it registered.
void ForgetModule(HINSTANCE module);

// A headless window of the given class (dialog template id for dialogs);
// destroyed with DestroyWindow.
HWND CreateHeadlessWindow(const std::string& className, HWND parent, int templateId = 0);
int WindowTemplateId(HWND wnd);
const std::string& WindowClassName(HWND wnd);

} // namespace win32host

#include "host/sdk/win32_gdi.h"
#include "host/sdk/win32_window.h"
