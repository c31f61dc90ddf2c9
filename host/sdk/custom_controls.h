#pragma once
// The host's own controls (window classes "CustEdit", "SpinnerControl",
// "CustButton", "ColorSwatch") and the interfaces plug-ins drive them through.
// Get... hands out the interface of a control window (null when the window
// is not such a control); every Get... is paired with its Release....
#include "host/sdk/color.h"
#include "host/sdk/edit_spinner_type.h"
#include "host/sdk/point.h"
#include "host/sdk/win32.h"

// Messages the controls send to their parent. LOWORD(wParam) is always the
// control's id.
// Spinner: HIWORD(wParam) TRUE while the value is being dragged; lParam the
// ISpinnerControl*.
constexpr UINT CC_SPINNER_CHANGE = WM_USER + 0x600;
constexpr UINT CC_SPINNER_BUTTONDOWN = WM_USER + 0x601;
// HIWORD(wParam) FALSE when the drag was cancelled (right button).
constexpr UINT CC_SPINNER_BUTTONUP = WM_USER + 0x602;
// Colour swatch: HIWORD(wParam) TRUE when the change is final (picker
// closed); lParam the IColorSwatch*.
constexpr UINT CC_COLOR_CHANGE = WM_USER + 0x603;
constexpr UINT CC_COLOR_BUTTONDOWN = WM_USER + 0x604;
constexpr UINT CC_COLOR_BUTTONUP = WM_USER + 0x605;
// Custom edit: Enter pressed; wParam the id, lParam the edit's HWND.
constexpr UINT WM_CUSTEDIT_ENTER = WM_USER + 0x610;
// Custom button, with SetButtonDownNotify: WM_COMMAND notifications besides
// BN_CLICKED.
constexpr WORD BN_BUTTONDOWN = 0x0A00;
constexpr WORD BN_BUTTONUP = 0x0A01;
constexpr WORD BN_RIGHTCLICK = 0x0A02;

class DADMgr;

enum CustButType { CBT_PUSH = 0, CBT_CHECK = 1 };

// The host's highlight of a checked button.
constexpr COLORREF GREEN_WASH = RGB(0x8b, 0xc7, 0x6a);

class ICustomControl {
public:
    virtual ~ICustomControl() = default;
    virtual HWND GetHwnd() = 0;
    virtual void Enable(BOOL onOff = TRUE) = 0;
    virtual void Disable() = 0;
    virtual BOOL IsEnabled() = 0;
};

class ICustEdit : public ICustomControl {
public:
    virtual void GetText(MCHAR* buf, int max) = 0;
    virtual void SetText(const MCHAR* text) = 0;
    virtual void SetText(int value) = 0;
    virtual void SetText(float value, int precision = 3) = 0;
    // valid (when given) is FALSE when the text is not a number.
    virtual int GetInt(BOOL* valid = nullptr) = 0;
    virtual float GetFloat(BOOL* valid = nullptr) = 0;
    // Whether Enter was pressed since the last call.
    virtual BOOL GotReturn() = 0;
    virtual void WantReturn(BOOL yes) = 0;
    virtual BOOL HasFocus() = 0;
    virtual void SetLeading(int) {}
};

class ISpinnerControl : public ICustomControl {
public:
    virtual float GetFVal() = 0;
    virtual int GetIVal() = 0;
    virtual void SetAutoScale(BOOL on = TRUE) = 0;
    // Value change per pixel of mouse movement while dragging;
    // SPIN_AUTOSCALE turns auto-scaling on.
    virtual void SetScale(float s) = 0;
    virtual float GetScale() = 0;
    // notify: send CC_SPINNER_CHANGE to the parent.
    virtual void SetValue(float v, int notify) = 0;
    virtual void SetValue(int v, int notify) = 0;
    // limitCurValue: clamp the current value into the new limits.
    virtual void SetLimits(int min, int max, int limitCurValue = TRUE) = 0;
    virtual void SetLimits(float min, float max, int limitCurValue = TRUE) = 0;
    virtual float GetFMin() = 0;
    virtual float GetFMax() = 0;
    // The edit shows the value (and the value follows what is typed there).
    virtual void LinkToEdit(HWND edit, EditSpinnerType type) = 0;
    // Indeterminate: no single value; the edit shows nothing until the next
    // value is set.
    virtual void SetIndeterminate(BOOL on = TRUE) = 0;
    virtual BOOL IsIndeterminate() = 0;
    // The value a right click restores.
    virtual void SetResetValue(float v) = 0;
    virtual void SetResetValue(int v) = 0;
    virtual BOOL IsDragging() = 0;
};

class ICustButton : public ICustomControl {
public:
    virtual void GetText(MCHAR* buf, int max) = 0;
    virtual void SetText(const MCHAR* text) = 0;
    virtual void SetType(CustButType type) = 0;
    virtual CustButType GetType() = 0;
    virtual BOOL IsChecked() = 0;
    virtual void SetCheck(BOOL checked) = 0;
    // The fill of a checked button.
    virtual void SetHighlightColor(COLORREF colour) = 0;
    virtual COLORREF GetHighlightColor() = 0;
    virtual void SetCheckHighlight(BOOL on) = 0;
    // Send BN_BUTTONDOWN / BN_BUTTONUP besides BN_CLICKED.
    virtual void SetButtonDownNotify(BOOL notify) = 0;
    virtual void SetRightClickNotify(BOOL notify) = 0;
    // Things can be dragged off the button and dropped on it through mgr.
    virtual void SetDADMgr(DADMgr* /*mgr*/) {}
    virtual DADMgr* GetDADMgr() { return nullptr; }
};

class IColorSwatch : public ICustomControl {
public:
    // Answers the previous colour; notify sends CC_COLOR_CHANGE.
    virtual COLORREF SetColor(COLORREF colour, int notify = FALSE) = 0;
    virtual COLORREF SetColor(const Color& colour, int notify = FALSE) = 0;
    virtual COLORREF GetColor() = 0;
    virtual Color GetColorValue() = 0;
    // The picker's title.
    virtual void SetTitle(const MCHAR* title) = 0;
    // Opens the picker as a click does.
    virtual void EditThis(BOOL startNew = TRUE) = 0;
};

ICustEdit* GetICustEdit(HWND wnd);
void ReleaseICustEdit(ICustEdit* e);
ISpinnerControl* GetISpinner(HWND wnd);
void ReleaseISpinner(ISpinnerControl* s);
ICustButton* GetICustButton(HWND wnd);
void ReleaseICustButton(ICustButton* b);
// With a colour and a title, sets both.
IColorSwatch* GetIColorSwatch(HWND wnd, COLORREF colour, const MCHAR* title);
IColorSwatch* GetIColorSwatch(HWND wnd);
void ReleaseIColorSwatch(IColorSwatch* s);

// Told of the picker's life; the colour is BGR as COLORREF.
class HSVCallback {
public:
    virtual ~HSVCallback() = default;
    virtual void ButtonDown() {}
    virtual void ButtonUp(BOOL /*accept*/) {}
    virtual void ColorChanged(DWORD /*colour*/, BOOL /*buttonUp*/) {}
    virtual void BeingDestroyed(IPoint2 /*pos*/) {}
};

// The host's colour picker, modal. colour holds the starting colour and, when
// the user accepts, the chosen one. Answers TRUE when accepted.
int HSVDlg_Do(HWND owner, DWORD* colour, IPoint2* pos, HSVCallback* callback, const MCHAR* title);
