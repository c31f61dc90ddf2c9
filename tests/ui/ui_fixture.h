#pragma once
// A window system installed for each test, a window class that records its
// messages, and dialogs made from template text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/app/resource_script.h"
#include "host/app/ui/ui_driver.h"
#include "host/app/ui/window_manager.h"
#include "host/sdk/custom_controls.h"
#include "host/sdk/win32.h"

namespace uitest {

struct Logged {
    HWND wnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Every message of recorder windows and of dialogs with RecordingDialogProc.
std::vector<Logged>& Log();
// The messages of the log, only those in `which`, as "name:msg" strings where
// name is the window's text.
std::vector<std::string> Sequence(std::initializer_list<UINT> which);

LRESULT CALLBACK RecorderProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RecordingDialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

class UiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A top-level recorder window at (x, y) on the screen, or a child of parent.
    HWND Recorder(const char* name, int x, int y, int w, int h, HWND parent = nullptr, int id = 0,
                  DWORD style = WS_VISIBLE);
    // A dialog from one template's text (DIALOGEX ... BEGIN ... END) at the
    // screen's top left, with RecordingDialogProc.
    HWND Dialog(const std::string& templateText);
    // The messages of the log sent to wnd, in order.
    std::vector<UINT> MessagesOf(HWND wnd) const;

    contorra::ui::WindowSystemScope scope;
};

} // namespace uitest
