#pragma once
// The host's own controls behind custom_controls.h's interfaces. Each object
// is its window's control and the interface Get... hands out.
#include <string>

#include "host/app/ui/window_tree.h"

namespace contorra::ui {

class SpinnerControl;

// Shared by every host control: enabling goes through the window.
template <class I>
class HostControl : public ControlBase, public I {
public:
    HWND GetHwnd() override { return hwnd; }
    void Enable(BOOL onOff = TRUE) override { EnableWindow(hwnd, onOff); }
    void Disable() override { EnableWindow(hwnd, FALSE); }
    BOOL IsEnabled() override { return hwnd && IsWindowEnabled(hwnd) ? TRUE : FALSE; }
    ICustomControl* Interface() override { return this; }
};

class CustEditControl : public HostControl<ICustEdit> {
public:
    LRESULT Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void GetText(MCHAR* buf, int max) override;
    void SetText(const MCHAR* text) override;
    void SetText(int value) override;
    void SetText(float value, int precision = 3) override;
    int GetInt(BOOL* valid = nullptr) override;
    float GetFloat(BOOL* valid = nullptr) override;
    BOOL GotReturn() override;
    void WantReturn(BOOL yes) override { wantReturn_ = yes; }
    BOOL HasFocus() override { return focused_ ? TRUE : FALSE; }

    // The spinner whose value this edit shows.
    SpinnerControl* spinner = nullptr;

private:
    void Commit(bool enter);
    void Paint(HWND wnd);
    bool Key(HWND wnd, int vk);
    void Replace(HWND wnd, std::string text, std::size_t caret);
    std::size_t CaretAt(HWND wnd, int x) const;
    std::string before_;
    std::size_t caret_ = 0; // in bytes; the text is one line of single-byte characters
    bool focused_ = false, selectAll_ = false, gotReturn_ = false, wantReturn_ = false;
};

class SpinnerControl : public HostControl<ISpinnerControl> {
public:
    ~SpinnerControl() override;
    LRESULT Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Enable(BOOL onOff = TRUE) override;
    void Disable() override { Enable(FALSE); }
    float GetFVal() override { return static_cast<float>(value_); }
    int GetIVal() override;
    void SetAutoScale(BOOL on = TRUE) override { autoScale_ = on; }
    void SetScale(float s) override {
        if (s < 0) autoScale_ = true;
        else scale_ = s;
    }
    float GetScale() override { return static_cast<float>(scale_); }
    void SetValue(float v, int notify) override;
    void SetValue(int v, int notify) override;
    void SetLimits(int min, int max, int limitCurValue = TRUE) override;
    void SetLimits(float min, float max, int limitCurValue = TRUE) override;
    float GetFMin() override { return static_cast<float>(min_); }
    float GetFMax() override { return static_cast<float>(max_); }
    void LinkToEdit(HWND edit, EditSpinnerType type) override;
    void SetIndeterminate(BOOL on = TRUE) override;
    BOOL IsIndeterminate() override { return indeterminate_ ? TRUE : FALSE; }
    void SetResetValue(float v) override { reset_ = v; }
    void SetResetValue(int v) override { reset_ = v; }
    BOOL IsDragging() override { return dragging_ ? TRUE : FALSE; }

    // What the linked edit shows, and a value typed there (false: not a number).
    std::string EditText() const;
    bool TakeTyped(const std::string& text);
    // Value change per pixel of a drag that started at start.
    double DragScale(double start) const;

private:
    void Set(double v, bool notify, bool dragging);
    void Notify(UINT msg, WORD high);
    void ShowInEdit();
    CustEditControl* Edit() const;

    // No limits until some are set.
    double value_ = 0, min_ = -1e30, max_ = 1e30, scale_ = 0.1, reset_ = 0;
    bool isInt_ = false, autoScale_ = false, indeterminate_ = false;
    HWND edit_ = nullptr;
    EditSpinnerType editType_ = EDITTYPE_FLOAT;
    bool down_ = false, dragging_ = false, upper_ = false;
    int startY_ = 0;
    double startValue_ = 0;
};

class CustButtonControl : public HostControl<ICustButton> {
public:
    LRESULT Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void GetText(MCHAR* buf, int max) override;
    void SetText(const MCHAR* text) override;
    void SetType(CustButType type) override { type_ = type; }
    CustButType GetType() override { return type_; }
    BOOL IsChecked() override { return checked_ ? TRUE : FALSE; }
    void SetCheck(BOOL checked) override;
    void SetHighlightColor(COLORREF colour) override;
    COLORREF GetHighlightColor() override { return highlight_; }
    void SetCheckHighlight(BOOL on) override { checkHighlight_ = on; }
    void SetButtonDownNotify(BOOL notify) override { downNotify_ = notify; }
    void SetRightClickNotify(BOOL notify) override { rightNotify_ = notify; }
    void SetDADMgr(DADMgr* mgr) override { dad_ = mgr; }
    DADMgr* GetDADMgr() override { return dad_; }

private:
    void Paint(HWND wnd);
    // A release outside the button drops what it carries on the button there.
    void DropAt(HWND wnd, POINT client);
    DADMgr* dad_ = nullptr;
    CustButType type_ = CBT_PUSH;
    bool checked_ = false, pushed_ = false, tracking_ = false;
    bool checkHighlight_ = true, downNotify_ = false, rightNotify_ = false;
    COLORREF highlight_ = GREEN_WASH;
};

class ColorSwatchControl : public HostControl<IColorSwatch> {
public:
    LRESULT Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    COLORREF SetColor(COLORREF colour, int notify = FALSE) override;
    COLORREF SetColor(const Color& colour, int notify = FALSE) override;
    COLORREF GetColor() override { return colour_; }
    Color GetColorValue() override;
    void SetTitle(const MCHAR* title) override { title_ = title ? title : ""; }
    void EditThis(BOOL startNew = TRUE) override;

private:
    COLORREF colour_ = RGB(0, 0, 0);
    std::string title_ = "Color";
    bool tracking_ = false;
};

} // namespace contorra::ui
