#pragma once
// A core interface for tests: records every progress call and cancels on request.
#include "host/sdk/interface.h"
#include "tests/support/progress_log.h"

class RecordingInterface : public Interface, public ProgressLog {
public:
    TimeValue time = 0;

    RecordingInterface() : previous_(GetCOREInterface()) { SetCOREInterface(this); }
    ~RecordingInterface() override { SetCOREInterface(previous_); }

    BOOL ProgressStart(const MCHAR* title, BOOL, LPTHREAD_START_ROUTINE, void*) override {
        LogStart(title);
        return TRUE;
    }
    void ProgressUpdate(int pct, BOOL, const MCHAR*) override { LogUpdate(pct); }
    void ProgressEnd() override { LogEnd(); }
    BOOL GetCancel() override { return PollCancel(); }
    void SetCancel(BOOL) override {}
    void RedrawViews(TimeValue, DWORD, void*) override {}
    INode* GetINodeByHandle(ULONG) override { return nullptr; }
    INode* GetRootNode() override { return nullptr; }
    TimeValue GetTime() override { return time; }
    void SetPickMode(PickModeCallback*) override {}
    void ClearPickMode() override {}

private:
    Interface* previous_;
};
