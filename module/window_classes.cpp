#include "module/window_classes.h"

#include "module/module_globals.h"

const char* const kListBoxViewClassNames[4] = {"SplinesListBoxView", "PlatformListBoxView",
                                               "InsertListBoxView", "UVWMapListBoxView"};

namespace {

// Until the real control arrives its window has nothing to show or answer.
LRESULT CALLBACK PlainWindowProc(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

void RegisterPlain(const char* name) {
    WNDCLASSEX wc;
    wc.lpfnWndProc = PlainWindowProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = name;
    RegisterClassEx(&wc); // a failed registration is ignored
}

} // namespace

// Weak: the real controls of rollouts/ and edgemap/ replace these at link time.
__attribute__((weak)) void RegisterListBoxViewClass(int kind) {
    if (kind >= 0 && kind < 4) RegisterPlain(kListBoxViewClassNames[kind]);
}

__attribute__((weak)) void RegisterGradientRampClass() {
    RegisterPlain(kGradientRampClassName);
}
