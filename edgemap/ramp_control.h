#pragma once
// The ramp control (window class "CustGradientRamp"): paints a map's marker
// ramp with its markers and edits it with the mouse. It tells its parent of
// a marker chosen or released (GE_RAMP_MARKER_CHOSEN) and of a marker being
// dragged (GE_RAMP_MARKER_DRAGGED), lParam the marker.
#include <functional>

#include "edgemap/marker_ramp.h"
#include "host/sdk/custom_controls.h"
#include "host/sdk/win32.h"
#include "module/window_classes.h"

constexpr UINT GE_RAMP_REPAINT = WM_USER;              // 0x400
constexpr UINT GE_RAMP_MARKER_CHOSEN = WM_USER + 4;    // 0x404
constexpr UINT GE_RAMP_MARKER_DRAGGED = WM_USER + 5;   // 0x405

class IGradientRamp : public ICustomControl {
public:
    // Kept in wnd's user-data slot until destroyed.
    IGradientRamp(HWND wnd, MarkerRamp* ramp);
    // Clears the slot and destroys the window.
    ~IGradientRamp() override;
    IGradientRamp(const IGradientRamp&) = delete;
    IGradientRamp& operator=(const IGradientRamp&) = delete;

    HWND GetHwnd() override { return wnd_; }
    void Enable(BOOL onOff = TRUE) override;
    void Disable() override { Enable(FALSE); }
    BOOL IsEnabled() override;

    MarkerRamp* Ramp() { return ramp_; }
    void SetRamp(MarkerRamp* ramp) { ramp_ = ramp; }
    // Called after every edit that may add, remove or reorder markers,
    // before the parent hears of it.
    void SetEditHook(std::function<void()> hook) { edited_ = std::move(hook); }

    // Columns of the ramp colour, then the markers' triangles.
    void Paint();
    // Ramp position under client x, not clamped, and the distance within
    // which a marker counts as hit.
    float PositionAt(int x) const;
    float Tolerance() const;
    // The client x where the marker at position p is drawn.
    int ColumnOf(float p) const;

    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    int RampWidth() const;
    void Edited();
    void Post(UINT msg, int marker);
    void PickMarkerColour(int marker);

    HWND wnd_;
    MarkerRamp* ramp_;
    std::function<void()> edited_;
};

IGradientRamp* GetIGradientRamp(HWND wnd);

// A ramp colour as the screen shows it.
COLORREF RampScreenColour(const AColor& c);
