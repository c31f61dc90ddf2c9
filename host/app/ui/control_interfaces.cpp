// Handing out the host controls' interfaces, and the colour picker.
#include "host/app/ui/host_controls.h"

namespace contorra::ui {
namespace {

template <class I, class C>
std::shared_ptr<ControlBase> Make(const CREATESTRUCTA&) {
    return std::make_shared<C>();
}

} // namespace

void RegisterCustomControls(WindowManager& wm) {
    wm.AddControlClass("CustEdit", Make<ICustEdit, CustEditControl>);
    wm.AddControlClass("Edit", Make<ICustEdit, CustEditControl>);
    wm.AddControlClass("SpinnerControl", Make<ISpinnerControl, SpinnerControl>);
    wm.AddControlClass("CustButton", Make<ICustButton, CustButtonControl>);
    wm.AddControlClass("ColorSwatch", Make<IColorSwatch, ColorSwatchControl>);
}

namespace {

template <class I>
I* HandOut(WindowManager& wm, HWND wnd,
           std::map<ICustomControl*, std::pair<std::shared_ptr<ControlBase>, int>>& out) {
    Window* w = wm.Find(wnd);
    if (!w || !w->control) return nullptr;
    I* i = dynamic_cast<I*>(w->control.get());
    if (!i) return nullptr;
    auto& entry = out[i];
    entry.first = w->control;
    ++entry.second;
    return i;
}

} // namespace

ICustEdit* WindowManager::GetICustEdit(HWND wnd) {
    return HandOut<ICustEdit>(*this, wnd, handedOut_);
}

ISpinnerControl* WindowManager::GetISpinner(HWND wnd) {
    return HandOut<ISpinnerControl>(*this, wnd, handedOut_);
}

ICustButton* WindowManager::GetICustButton(HWND wnd) {
    return HandOut<ICustButton>(*this, wnd, handedOut_);
}

IColorSwatch* WindowManager::GetIColorSwatch(HWND wnd) {
    return HandOut<IColorSwatch>(*this, wnd, handedOut_);
}

void WindowManager::ReleaseControl(ICustomControl* c) {
    auto it = handedOut_.find(c);
    if (it == handedOut_.end()) return;
    if (--it->second.second <= 0) handedOut_.erase(it);
}

int WindowManager::HSVDlg_Do(HWND, DWORD* colour, IPoint2* pos, HSVCallback* callback,
                             const MCHAR* title) {
    if (!colour) return FALSE;
    COLORREF c = *colour & 0xffffff;
    const bool accepted = colorPicker && colorPicker(title ? title : "", c);
    if (callback) {
        callback->ButtonDown();
        if (accepted) callback->ColorChanged(c & 0xffffff, TRUE);
        callback->ButtonUp(accepted ? TRUE : FALSE);
        callback->BeingDestroyed(pos ? *pos : IPoint2());
    }
    if (!accepted) return FALSE;
    *colour = c & 0xffffff;
    return TRUE;
}

} // namespace contorra::ui
