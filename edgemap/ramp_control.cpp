#include "edgemap/ramp_control.h"

#include <cmath>

#include "host/sdk/win32_gdi.h"
#include "host/sdk/win32_window.h"

namespace {

int Channel(float v) {
    return static_cast<int>(v * 255.0f + 0.5f) % 256;
}

AColor FromScreen(DWORD c, float alpha) {
    return AColor(GetRValue(c) / 255.0f, GetGValue(c) / 255.0f, GetBValue(c) / 255.0f, alpha);
}

float ClampToRamp(float p) {
    if (p < MARKER_MIN_GAP) return 0.0f;
    if (p > 1.0f) return 1.0f;
    return p;
}

} // namespace

COLORREF RampScreenColour(const AColor& c) {
    return RGB(Channel(c.r), Channel(c.g), Channel(c.b));
}

IGradientRamp::IGradientRamp(HWND wnd, MarkerRamp* ramp) : wnd_(wnd), ramp_(ramp) {
    SetWindowLongPtr(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

IGradientRamp::~IGradientRamp() {
    if (IsWindow(wnd_)) {
        SetWindowLongPtr(wnd_, GWLP_USERDATA, 0);
        DestroyWindow(wnd_);
    }
}

void IGradientRamp::Enable(BOOL onOff) {
    EnableWindow(wnd_, onOff);
}

BOOL IGradientRamp::IsEnabled() {
    return IsWindowEnabled(wnd_);
}

IGradientRamp* GetIGradientRamp(HWND wnd) {
    return reinterpret_cast<IGradientRamp*>(GetWindowLongPtr(wnd, GWLP_USERDATA));
}

int IGradientRamp::RampWidth() const {
    RECT c{};
    GetClientRect(wnd_, &c);
    const int half = ramp_->markerSize / 2;
    return std::abs((c.right - half) - (c.left + half)) + 1;
}

float IGradientRamp::PositionAt(int x) const {
    return static_cast<float>(x - ramp_->markerSize / 2) / static_cast<float>(RampWidth() + 1);
}

float IGradientRamp::Tolerance() const {
    return static_cast<float>(ramp_->markerSize) / static_cast<float>(RampWidth() + 1);
}

int IGradientRamp::ColumnOf(float p) const {
    return ramp_->markerSize / 2 + static_cast<int>(static_cast<float>(RampWidth()) * p);
}

void IGradientRamp::Paint() {
    HDC dc = GetDC(wnd_);
    if (!dc) return;
    RECT client{};
    GetClientRect(wnd_, &client);
    const int half = ramp_->markerSize / 2;
    const RECT ramp{client.left + half, client.top, client.right - half, client.bottom};
    const int rampWidth = std::abs(ramp.right - ramp.left) + 1;
    const int clientWidth = std::abs(client.right - client.left) + 1;

    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
    for (int i = 0; i < clientWidth; ++i) {
        const float u = (static_cast<float>(i - half) + 0.5f) / static_cast<float>(rampWidth);
        SetDCPenColor(dc, RampScreenColour(ramp_->EvalRampPlain(u)));
        MoveToEx(dc, i, ramp.top, nullptr);
        LineTo(dc, i, ramp.bottom);
    }
    const int size = ramp_->markerSize;
    const int bottom = ramp.bottom - 1;
    for (RampMarker& m : ramp_->markers) {
        m.position = std::fmin(std::fmax(m.position, 0.0f), 1.0f);
        const int px = ramp.left + static_cast<int>(static_cast<float>(rampWidth) * m.position);
        const COLORREF c = RampScreenColour(m.flags & MARKER_ACTIVE ? m.activeColor : m.reactiveColor);
        SetDCPenColor(dc, c);
        SetDCBrushColor(dc, c);
        const POINT below[3] = {{px - half, bottom}, {px + half, bottom}, {px, bottom - size}};
        const POINT above[3] = {{px - half, ramp.top}, {px + half, ramp.top}, {px, ramp.top + size}};
        Polygon(dc, below, 3);
        Polygon(dc, above, 3);
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    ReleaseDC(wnd_, dc);
}

void IGradientRamp::Edited() {
    if (edited_) edited_();
}

void IGradientRamp::Post(UINT msg, int marker) {
    RampMarker* m = marker >= 0 && marker < ramp_->Count() ? &ramp_->markers[marker] : nullptr;
    PostMessage(GetParent(wnd_), msg, reinterpret_cast<WPARAM>(wnd_), reinterpret_cast<LPARAM>(m));
}

void IGradientRamp::PickMarkerColour(int k) {
    RampMarker& m = ramp_->markers[k];
    const bool active = (m.flags & MARKER_ACTIVE) != 0;
    AColor& edited = active ? m.activeColor : m.reactiveColor;
    DWORD colour = RampScreenColour(edited);
    if (HSVDlg_Do(wnd_, &colour, nullptr, nullptr,
                  active ? "Setup active marker color" : "Setup reactive marker color"))
        edited = FromScreen(colour, edited.a);
    ramp_->SetMarkerColours(m.activeColor, m.reactiveColor);
    Paint();
}

LRESULT IGradientRamp::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam);
    switch (msg) {
    case WM_ERASEBKGND:
    case GE_RAMP_REPAINT:
        Paint();
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(wnd_, &ps);
        EndPaint(wnd_, &ps);
        Paint();
        return 0;
    }
    case WM_LBUTTONDOWN: {
        SetCapture(wnd_);
        ramp_->ClearFlag(MARKER_DRAGGING);
        const float p = ClampToRamp(PositionAt(x));
        if ((wParam & MK_SHIFT) && ramp_->FindByFlag(MARKER_ACTIVE) >= 0) {
            const int copy = ramp_->DuplicateActiveMarker(p);
            ramp_->ClearSelection();
            if (copy >= 0) ramp_->markers[copy].flags |= MARKER_ACTIVE | MARKER_DRAGGING;
        } else if (wParam & MK_CONTROL) {
            if (const int m = ramp_->FindNear(p, Tolerance()); m >= 0) PickMarkerColour(m);
            return 0;
        } else {
            ramp_->ClearSelection();
            int m = ramp_->FindNear(p, Tolerance());
            if (m < 0) m = ramp_->InsertMarker(p, ramp_->EvalRampPlain(p));
            if (m >= 0) ramp_->markers[m].flags |= MARKER_ACTIVE | MARKER_DRAGGING;
        }
        Edited();
        Paint();
        return 0;
    }
    case WM_MOUSEMOVE: {
        const int m = ramp_->FindByFlag(MARKER_DRAGGING);
        if (wParam != MK_LBUTTON || m < 0) return 0;
        ramp_->markers[m].position = ClampToRamp(PositionAt(x));
        ramp_->NormalizeRamp();
        Edited();
        Paint();
        Post(GE_RAMP_MARKER_DRAGGED, ramp_->FindByFlag(MARKER_DRAGGING));
        return 0;
    }
    case WM_LBUTTONUP: {
        if (const int m = ramp_->FindByFlag(MARKER_DRAGGING); m >= 0) {
            RampMarker& dragged = ramp_->markers[m];
            dragged.flags &= ~MARKER_DRAGGING;
            dragged.position = ClampToRamp(PositionAt(x));
            ramp_->NormalizeRamp();
            Edited();
            Paint();
            Post(GE_RAMP_MARKER_CHOSEN, ramp_->FindByFlag(MARKER_ACTIVE));
        }
        if (GetCapture() == wnd_) ReleaseCapture();
        return 0;
    }
    case WM_RBUTTONUP:
        ramp_->DeleteNear(PositionAt(x), Tolerance());
        Edited();
        Paint();
        Post(GE_RAMP_MARKER_CHOSEN, ramp_->FindByFlag(MARKER_ACTIVE));
        return 0;
    default:
        return DefWindowProc(wnd_, msg, wParam, lParam);
    }
}

LRESULT CALLBACK GradientRampWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (IGradientRamp* ramp = GetIGradientRamp(wnd)) return ramp->Handle(msg, wParam, lParam);
    return DefWindowProc(wnd, msg, wParam, lParam);
}
