#pragma once
// A build progress reporter for tests that logs every call.
#include "geometry/build_progress.h"
#include "tests/support/progress_log.h"

class RecordingProgress : public BuildProgress, public ProgressLog {
public:
    void Start(const char* title) override { LogStart(title); }
    void Update(int percent) override { LogUpdate(percent); }
    bool Cancelled() override { return PollCancel(); }
    void End() override { LogEnd(); }
};
