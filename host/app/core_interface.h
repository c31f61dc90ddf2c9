#pragma once
// The host's core interface: progress on stderr, cancel by Ctrl-C, node
// look-up in the scene, the current time and the pick mode.
#include <chrono>
#include <ostream>
#include <string>

#include "host/app/scene.h"
#include "host/sdk/interface.h"

enum class ProgressStyle {
    Quiet, // nothing
    Lines, // a plain line per start, per tenth and per end
    Bar,   // one live line: title, bar, percent, elapsed time
};

// Bar on a terminal, lines otherwise, nothing when quiet.
ProgressStyle ProgressStyleForStderr(bool quiet);

// What a host with windows adds to the core interface: the command panel's
// pages, the viewports' hit testing and redraws, the progress window.
class UserInterfaceHost {
public:
    virtual ~UserInterfaceHost() = default;
    virtual HWND AddRollupPage(HINSTANCE hInst, int dialogId, DLGPROC proc, const MCHAR* title,
                               LPARAM param, DWORD flags) = 0;
    virtual void DeleteRollupPage(HWND page) = 0;
    virtual INode* PickNode(HWND viewport, IPoint2 m, PickNodeCallback* filter) = 0;
    virtual void RedrawViews() = 0;
    virtual void ProgressShown(const std::string& title, int percent) = 0;
    virtual void ProgressHidden() = 0;
};

class CoreInterface : public Interface {
public:
    // Installs itself as the core interface until destroyed.
    CoreInterface(Scene& scene, ProgressStyle style, std::ostream& out);
    ~CoreInterface() override;
    CoreInterface(const CoreInterface&) = delete;
    CoreInterface& operator=(const CoreInterface&) = delete;

    // The progress callback, when given, is called once at the start; the
    // work itself runs in the caller between start and end.
    BOOL ProgressStart(const MCHAR* title, BOOL dispBar, LPTHREAD_START_ROUTINE fn,
                       void* arg) override;
    void ProgressUpdate(int pct, BOOL showPct = TRUE, const MCHAR* title = nullptr) override;
    void ProgressEnd() override;
    // True from the first Ctrl-C (or SetCancel(TRUE)) until SetCancel(FALSE).
    BOOL GetCancel() override;
    void SetCancel(BOOL sw) override;

    // Counted; the viewports of a user interface, when there is one, are
    // drawn again.
    void RedrawViews(TimeValue t, DWORD vpFlags = REDRAW_NORMAL,
                     void* changedObj = nullptr) override;
    INode* GetINodeByHandle(ULONG handle) override;
    INode* GetRootNode() override;
    TimeValue GetTime() override { return time_; }
    void SetTime(TimeValue t) { time_ = t; }
    // The running mode's ExitMode, then the new one's EnterMode.
    void SetPickMode(PickModeCallback* pc) override;
    void ClearPickMode() override { SetPickMode(nullptr); }
    PickModeCallback* GetCurPickMode() override { return pickMode_; }
    PickModeCallback* GetPickMode() const { return pickMode_; }

    // Panel pages and node picks go to the user interface; without one
    // (null) rollouts stay windowless and nothing is picked.
    void SetUserInterface(UserInterfaceHost* ui) { ui_ = ui; }
    HWND AddRollupPage(HINSTANCE hInst, int dialogId, DLGPROC proc, const MCHAR* title,
                       LPARAM param = 0, DWORD flags = 0) override;
    void DeleteRollupPage(HWND page) override;
    INode* PickNode(HWND hWnd, IPoint2 m, PickNodeCallback* filter = nullptr) override;
    // The cores the process may run on until SetWorkerThreadCount says otherwise.
    int GetWorkerThreadCount() override { return threads_; }
    void SetWorkerThreadCount(int n) { threads_ = n > 0 ? n : UsableCores(); }
    static int UsableCores();
    int Redraws() const { return redraws_; }

    // SIGINT: the first sets the cancel flag, the second ends the process.
    static void InstallInterruptHandler();

private:
    void Draw(bool final);
    double Elapsed() const;

    Scene& scene_;
    ProgressStyle style_;
    std::ostream& out_;
    Interface* previous_;
    TimeValue time_ = 0;
    PickModeCallback* pickMode_ = nullptr;
    UserInterfaceHost* ui_ = nullptr;
    int threads_ = UsableCores();
    int redraws_ = 0;

    bool active_ = false;
    std::string title_;
    int percent_ = 0;
    int lastLine_ = -1; // last tenth printed in line style
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
};

// Formats seconds as "4.2s" below a minute, "m:ss" above.
std::string FormatElapsed(double seconds);
