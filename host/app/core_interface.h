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

    // No viewports: a redraw is only counted.
    void RedrawViews(TimeValue t, DWORD vpFlags = REDRAW_NORMAL,
                     void* changedObj = nullptr) override;
    INode* GetINodeByHandle(ULONG handle) override;
    INode* GetRootNode() override;
    TimeValue GetTime() override { return time_; }
    void SetTime(TimeValue t) { time_ = t; }
    void SetPickMode(PickModeCallback* pc) override { pickMode_ = pc; }
    void ClearPickMode() override { pickMode_ = nullptr; }
    PickModeCallback* GetPickMode() const { return pickMode_; }
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
