#pragma once
// Inside the window manager: the window records, device contexts, GDI
// objects and the manager class that answers the SDK's calls. Only the files
// of host/app/ui include this.
#include <array>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/app/software_raster.h"
#include "host/app/ui/window_manager.h"

namespace contorra {
class FontFace;
}

namespace contorra::ui {

// A host control's object, kept by its window. Its interface pointer is
// handed out by Get... and stays valid until released, even past the
// window's end.
class ControlBase {
public:
    virtual ~ControlBase() = default;
    virtual LRESULT Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual ICustomControl* Interface() { return nullptr; }
    HWND hwnd = nullptr;
};

struct ScrollBarState {
    bool shown = false;
    SCROLLINFO info;
};

struct Window {
    std::string className;
    WNDPROC proc = nullptr;
    DLGPROC dlgProc = nullptr;
    HWND self = nullptr;
    HWND parent = nullptr;
    std::vector<HWND> children; // bottom to top
    DWORD style = 0, exStyle = 0;
    int id = 0;
    RECT rect; // in the parent's client area; top-level windows: the screen
    std::string text;
    LONG_PTR userData = 0;
    std::map<int, LONG_PTR> dialogSlots;
    std::map<int, std::string> looseItems; // texts of items the dialog does not have
    int templateId = 0;
    HINSTANCE instance = nullptr;
    HBRUSH background = nullptr;
    HFONT font = nullptr;
    int baseX = 0, baseY = 0; // dialog base units
    bool destroying = false;
    bool needsPaint = false, needsErase = false;
    RECT invalid;
    ScrollBarState vbar, hbar;
    std::shared_ptr<ControlBase> control;
    bool modalEnded = false;
    INT_PTR modalResult = 0;
    std::unique_ptr<RasterImage> surface; // top-level windows only
};

enum class GdiKind { pen, brush, font };

struct GdiObject {
    GdiKind kind = GdiKind::pen;
    bool stock = false;
    int special = -1; // DC_PEN, DC_BRUSH, NULL_PEN, NULL_BRUSH for stock objects that use the DC's state
    COLORREF colour = 0;
    int width = 1;
    int style = PS_SOLID;
    const FontFace* face = nullptr;
};

struct DeviceContext {
    HWND wnd = nullptr;
    RasterImage* surface = nullptr;
    POINT origin;    // client (0, 0) in the surface
    PixelRect clip;  // in the surface
    GdiObject* pen = nullptr;
    GdiObject* brush = nullptr;
    GdiObject* font = nullptr;
    COLORREF dcPen = RGB(0, 0, 0), dcBrush = RGB(255, 255, 255);
    COLORREF text = RGB(0, 0, 0), back = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    POINT pos;
    bool paint = false;
};

constexpr int kScrollBarSize = 16;
constexpr int kCaptionHeight = 20;

class WindowManager : public win32host::WindowSystem {
public:
    WindowManager();
    ~WindowManager() override;

    // --- WindowSystem ---
    HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                         int y, int width, int height, HWND parent, HMENU menuOrId,
                         HINSTANCE instance, LPVOID param) override;
    HWND CreateBareDialog(HWND parent, int templateId) override;
    int WindowTemplateId(HWND wnd) override;
    const std::string& WindowClassName(HWND wnd) override;
    BOOL DestroyWindow(HWND wnd) override;
    BOOL IsWindow(HWND wnd) override;
    HWND GetParent(HWND wnd) override;
    LRESULT SendMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL PostMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    BOOL SendNotifyMessageA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefWindowProcA(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    LONG_PTR GetWindowLongPtr(HWND wnd, int index) override;
    LONG_PTR SetWindowLongPtr(HWND wnd, int index, LONG_PTR value) override;
    BOOL SetWindowTextA(HWND wnd, LPCSTR text) override;
    int GetWindowTextA(HWND wnd, LPSTR buf, int max) override;
    int GetWindowTextLengthA(HWND wnd) override;
    HWND GetDlgItem(HWND dlg, int id) override;
    int GetDlgCtrlID(HWND wnd) override;
    BOOL SetDlgItemTextA(HWND dlg, int id, LPCSTR text) override;
    UINT GetDlgItemTextA(HWND dlg, int id, LPSTR buf, int max) override;
    BOOL EnableWindow(HWND wnd, BOOL enable) override;
    BOOL IsWindowEnabled(HWND wnd) override;
    BOOL ShowWindow(HWND wnd, int cmd) override;
    BOOL IsWindowVisible(HWND wnd) override;
    HWND SetFocus(HWND wnd) override;
    HWND GetFocus() override;
    HWND SetCapture(HWND wnd) override;
    BOOL ReleaseCapture() override;
    HWND GetCapture() override;
    UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) override;
    BOOL KillTimer(HWND wnd, UINT_PTR id) override;
    BOOL InvalidateRect(HWND wnd, const RECT* rect, BOOL erase) override;
    BOOL UpdateWindow(HWND wnd) override;
    BOOL GetClientRect(HWND wnd, LPRECT rect) override;
    BOOL GetWindowRect(HWND wnd, LPRECT rect) override;
    BOOL MoveWindow(HWND wnd, int x, int y, int width, int height, BOOL repaint) override;
    BOOL ScreenToClient(HWND wnd, LPPOINT pt) override;
    BOOL ClientToScreen(HWND wnd, LPPOINT pt) override;
    BOOL MapDialogRect(HWND dlg, LPRECT rect) override;
    BOOL ShowScrollBar(HWND wnd, int bar, BOOL show) override;
    int SetScrollInfo(HWND wnd, int bar, const SCROLLINFO* info, BOOL redraw) override;
    BOOL GetScrollInfo(HWND wnd, int bar, LPSCROLLINFO info) override;
    short GetAsyncKeyState(int vk) override;
    HCURSOR SetCursor(HCURSOR cursor) override;
    HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) override;
    HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc,
                            LPARAM initParam) override;
    INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc,
                            LPARAM initParam) override;
    BOOL EndDialog(HWND dlg, INT_PTR result) override;

    HDC GetDC(HWND wnd) override;
    int ReleaseDC(HWND wnd, HDC dc) override;
    HDC BeginPaint(HWND wnd, LPPAINTSTRUCT ps) override;
    BOOL EndPaint(HWND wnd, const PAINTSTRUCT* ps) override;
    HGDIOBJ GetStockObject(int which) override;
    HPEN CreatePen(int style, int width, COLORREF colour) override;
    HBRUSH CreateSolidBrush(COLORREF colour) override;
    HFONT CreateFontA(int height, int weight, LPCSTR face) override;
    HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) override;
    BOOL DeleteObject(HGDIOBJ obj) override;
    COLORREF SetDCPenColor(HDC dc, COLORREF colour) override;
    COLORREF SetDCBrushColor(HDC dc, COLORREF colour) override;
    COLORREF SetTextColor(HDC dc, COLORREF colour) override;
    COLORREF SetBkColor(HDC dc, COLORREF colour) override;
    int SetBkMode(HDC dc, int mode) override;
    BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) override;
    int FillRect(HDC dc, const RECT* rect, HBRUSH brush) override;
    int FrameRect(HDC dc, const RECT* rect, HBRUSH brush) override;
    BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous) override;
    BOOL LineTo(HDC dc, int x, int y) override;
    BOOL Polygon(HDC dc, const POINT* pts, int count) override;
    BOOL Polyline(HDC dc, const POINT* pts, int count) override;
    BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) override;
    COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour) override;
    COLORREF GetPixel(HDC dc, int x, int y) override;
    BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int count) override;
    int DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format) override;
    BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, SIZE* size) override;
    BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* tm) override;
    DWORD GetSysColor(int which) override;
    HBRUSH GetSysColorBrush(int which) override;
    HFONT GetAppHFont() override;

    ICustEdit* GetICustEdit(HWND wnd) override;
    ISpinnerControl* GetISpinner(HWND wnd) override;
    ICustButton* GetICustButton(HWND wnd) override;
    IColorSwatch* GetIColorSwatch(HWND wnd) override;
    void ReleaseControl(ICustomControl* c) override;
    int HSVDlg_Do(HWND owner, DWORD* colour, IPoint2* pos, HSVCallback* callback,
                  const MCHAR* title) override;

    // --- the host's side ---
    Window* Find(HWND wnd) const;
    // Top-level windows, bottom to top.
    const std::vector<HWND>& TopLevel() const { return topLevel_; }
    void Pump();
    void AdvanceClock(int ms);
    void SetKey(int vk, bool down) { keys_[static_cast<std::size_t>(vk & 0xff)] = down; }
    bool KeyDown(int vk) const { return keys_[static_cast<std::size_t>(vk & 0xff)]; }
    // Client (0, 0) and the window's own corner in its top-level surface.
    POINT ClientOrigin(HWND wnd) const;
    POINT WindowOrigin(HWND wnd) const;
    // The client area in surface pixels, clipped by the ancestors.
    PixelRect VisibleClient(HWND wnd) const;
    RECT NonClientInsets(const Window& w) const; // left, top, right, bottom widths
    HWND TopLevelOf(HWND wnd) const;
    bool Visible(HWND wnd) const; // it and every ancestor
    void PaintNow(HWND wnd);
    // Scroll bar areas in window coordinates (empty when hidden).
    RECT ScrollBarRect(const Window& w, int bar) const;
    FontFace const* FaceOf(HFONT font) const;
    // Dialog templates of modules.
    std::map<HINSTANCE, std::map<int, DialogTemplate>> moduleDialogs;
    std::function<bool(const std::string&, COLORREF&)> colorPicker;
    std::function<void(HWND)> modalHook;
    HWND CreateDialogIndirect(const DialogTemplate& tpl, HWND parent, DLGPROC proc, LPARAM init);
    // Copies a picture into a device context at client (x, y).
    void BlitImage(HDC dc, int x, int y, const RasterImage& image);
    // Registers the host's control classes' factories.
    using ControlFactory = std::shared_ptr<ControlBase> (*)(const CREATESTRUCTA&);
    void AddControlClass(const std::string& name, ControlFactory make);

private:
    HWND NewWindow(std::unique_ptr<Window> w);
    void DestroyTree(HWND wnd);
    void FreeTree(HWND wnd);
    void DrawNonClient(Window& w);
    void EnsureSurface(Window& w);
    DeviceContext* Dc(HDC dc) const;
    GdiObject* Obj(HGDIOBJ obj) const;
    GdiObject* NewObject(GdiObject o);
    HDC NewDc(HWND wnd, bool paint);
    void FillSurface(DeviceContext& dc, const PixelRect& r, COLORREF c);
    void PlotPen(DeviceContext& dc, int x, int y, COLORREF c, int width);
    COLORREF PenColour(const DeviceContext& dc, bool* none) const;
    COLORREF BrushColour(const DeviceContext& dc, const GdiObject* brush, bool* none) const;
    void FillPolygon(DeviceContext& dc, const POINT* pts, int count, COLORREF c);

    std::map<HWND, std::unique_ptr<Window>> windows_;
    std::vector<HWND> topLevel_;
    std::deque<std::array<std::uintptr_t, 4>> posted_;
    struct Timer {
        HWND wnd;
        UINT_PTR id;
        UINT elapse;
        long long due;
        TIMERPROC proc;
    };
    std::vector<Timer> timers_;
    long long clock_ = 0;
    std::array<bool, 256> keys_{};
    HWND focus_ = nullptr, capture_ = nullptr;
    HCURSOR cursor_ = nullptr;
    std::map<HDC, std::unique_ptr<DeviceContext>> dcs_;
    std::map<HGDIOBJ, std::unique_ptr<GdiObject>> objects_;
    std::map<int, HGDIOBJ> stock_;
    std::map<int, HBRUSH> sysBrushes_;
    HFONT appFont_ = nullptr;
    std::map<std::string, ControlFactory> controlClasses_; // lower-case names
    std::map<ICustomControl*, std::pair<std::shared_ptr<ControlBase>, int>> handedOut_;
    const std::string none_;
};

// The procedures of the dialog class, the host's controls and windows of no
// known class.
LRESULT CALLBACK DialogWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ControlWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK PlainWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Built-in classes, each in its own file.
void RegisterStandardControls(WindowManager& wm);
void RegisterCustomControls(WindowManager& wm);

// The face of a dialog font: "MS Sans Serif" and "MS Shell Dlg" at p points
// become DejaVu Sans at p * 1.25 pixels (8 points: 10 pixels, whose base
// units, 6 x 13, are those of the original face).
const FontFace* DialogFace(int points);

// The host's grey theme.
COLORREF ThemeColour(int sysColour);
Rgba8 ToPixel(COLORREF c);

// The thumb of a scroll bar whose track (between the arrows) starts at
// trackStart and is trackLength long: where it starts and how long it is.
void ScrollThumb(const SCROLLINFO& s, int trackStart, int trackLength, int& start, int& length);
// The position a thumb whose top is at offset (from trackStart) stands for.
int ScrollPosAt(const SCROLLINFO& s, int trackLength, int thumbLength, int offset);

} // namespace contorra::ui
