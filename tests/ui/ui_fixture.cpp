#include "tests/ui/ui_fixture.h"

#include <map>

namespace uitest {

std::vector<Logged>& Log() {
    static std::vector<Logged> log;
    return log;
}

std::vector<std::string> Sequence(std::initializer_list<UINT> which) {
    std::vector<std::string> out;
    // Asking a window for its text sends it a message, which the recorder logs.
    const std::vector<Logged> log = Log();
    for (const Logged& l : log)
        for (UINT m : which)
            if (l.msg == m) {
                char text[64] = {};
                GetWindowTextA(l.wnd, text, sizeof text);
                out.push_back(std::string(text) + ":" + std::to_string(m));
            }
    return out;
}

LRESULT CALLBACK RecorderProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Log().push_back({wnd, msg, wParam, lParam});
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

INT_PTR CALLBACK RecordingDialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Log().push_back({wnd, msg, wParam, lParam});
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

void UiTest::SetUp() {
    Log().clear();
    WNDCLASSEXA wc;
    wc.lpfnWndProc = RecorderProc;
    wc.lpszClassName = "TestRecorder";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(COLOR_WINDOW + 1));
    RegisterClassExA(&wc);
}

void UiTest::TearDown() {
    UnregisterClassA("TestRecorder", nullptr);
}

HWND UiTest::Recorder(const char* name, int x, int y, int w, int h, HWND parent, int id, DWORD style) {
    if (parent) style |= WS_CHILD;
    return CreateWindowExA(0, "TestRecorder", name, style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), nullptr, nullptr);
}

HWND UiTest::Dialog(const std::string& templateText) {
    std::string error;
    auto script = ParseResourceScript(templateText, "test.rc", ".", error);
    EXPECT_TRUE(script) << error;
    if (!script || script->dialogs.empty()) return nullptr;
    return contorra::ui::CreateDialogFromTemplate(script->dialogs.begin()->second, nullptr,
                                                  RecordingDialogProc, 0);
}

std::vector<UINT> UiTest::MessagesOf(HWND wnd) const {
    std::vector<UINT> out;
    for (const Logged& l : Log())
        if (l.wnd == wnd) out.push_back(l.msg);
    return out;
}

} // namespace uitest
