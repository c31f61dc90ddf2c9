#pragma once
// The host's window system: the window tree, the message queue, painting onto
// an RGBA canvas, dialogs from resource scripts and the host's controls. One
// is installed as the SDK's backend for as long as a WindowSystemScope lives;
// the plug-in reaches it only through the Win32 calls of host/sdk.
// Everything here runs on the user-interface thread.
#include <memory>

#include "host/app/resource_script.h"
#include "host/sdk/window_system.h"

namespace contorra::ui {

class WindowManager;

// The installed manager, or null.
WindowManager* ActiveWindowManager();

// Installs a new window manager for its lifetime (the previous one, if any,
// comes back after it). Windows still open at the end are destroyed.
class WindowSystemScope {
public:
    WindowSystemScope();
    ~WindowSystemScope();
    WindowSystemScope(const WindowSystemScope&) = delete;
    WindowSystemScope& operator=(const WindowSystemScope&) = delete;
    WindowManager& Manager() { return *manager_; }

private:
    std::unique_ptr<WindowManager> manager_;
    win32host::WindowSystem* previous_ = nullptr;
};

// Dialog templates of a loaded module, for CreateDialogParam and
// DialogBoxParam; the plug-in loader hands them over.
void AddModuleDialogs(HINSTANCE module, const ResourceScript& script);
void ForgetModuleDialogs(HINSTANCE module);
// A dialog made from a template the host holds: the controls are created,
// then WM_INITDIALOG goes to proc.
HWND CreateDialogFromTemplate(const DialogTemplate& tpl, HWND parent, DLGPROC proc,
                              LPARAM initParam);

} // namespace contorra::ui
