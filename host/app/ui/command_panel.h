#pragma once
// The command panel: the rollouts of the object being edited, one below the
// other, each under a title bar that opens or closes it on a click, the
// whole scrolled by a scroll bar or the wheel when taller than the panel.
#include <string>
#include <vector>

#include "host/sdk/win32.h"

namespace contorra {

class CommandPanel {
public:
    // A child window of parent at (x, y), w x h.
    CommandPanel(HWND parent, int x, int y, int w, int h);
    ~CommandPanel();
    CommandPanel(const CommandPanel&) = delete;
    CommandPanel& operator=(const CommandPanel&) = delete;

    HWND Window() const { return wnd_; }

    // A page for the dialog template of module hInst, made with proc and
    // param, added at the bottom, open.
    HWND AddPage(HINSTANCE hInst, int dialogId, DLGPROC proc, const std::string& title,
                 LPARAM param);
    // Destroys the page (its procedure sees WM_DESTROY) and closes the gap.
    void DeletePage(HWND page);

    struct Rollout {
        HWND page = nullptr;
        std::string title;
        bool open = true;
        int width = 0, height = 0;
        RECT titleBar{}; // in the panel's client coordinates, after scrolling
    };
    const std::vector<Rollout>& Rollouts() const { return rollouts_; }
    // The rollout of that title; null when none.
    const Rollout* Find(const std::string& title) const;
    void Toggle(std::size_t index);

    // Pixels scrolled from the top, and the most that can be.
    int ScrollPos() const { return scroll_; }
    int ScrollMax() const;

    static constexpr int kTitleHeight = 18;
    static constexpr int kMargin = 4;
    static constexpr int kGap = 4;
    static constexpr int kWheelStep = 40;

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void Layout();
    void Paint();
    void ScrollTo(int pos);
    int ContentHeight() const;
    int ClientHeight() const;

    HWND wnd_ = nullptr;
    std::vector<Rollout> rollouts_;
    int scroll_ = 0;
};

} // namespace contorra
