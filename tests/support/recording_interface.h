#pragma once
// A core interface for tests: records every progress call and cancels on request.
#include <string>
#include <vector>

#include "host/sdk/interface.h"

class RecordingInterface : public Interface {
public:
    struct Event {
        enum Kind { Start, Update, End } kind;
        std::string title; // Start only
        int percent = 0;   // Update only
    };

    std::vector<Event> events;
    // GetCancel answers true from this call on (counting from 1); 0 never cancels.
    int cancelAtCall = 0;
    int cancelCalls = 0;
    TimeValue time = 0;

    RecordingInterface() : previous_(GetCOREInterface()) { SetCOREInterface(this); }
    ~RecordingInterface() override { SetCOREInterface(previous_); }

    BOOL ProgressStart(const MCHAR* title, BOOL, LPTHREAD_START_ROUTINE, void*) override {
        events.push_back({Event::Start, title ? title : "", 0});
        return TRUE;
    }
    void ProgressUpdate(int pct, BOOL, const MCHAR*) override {
        events.push_back({Event::Update, "", pct});
    }
    void ProgressEnd() override { events.push_back({Event::End, "", 0}); }
    BOOL GetCancel() override {
        ++cancelCalls;
        return cancelAtCall > 0 && cancelCalls >= cancelAtCall;
    }
    void SetCancel(BOOL) override {}
    void RedrawViews(TimeValue, DWORD, void*) override {}
    INode* GetINodeByHandle(ULONG) override { return nullptr; }
    INode* GetRootNode() override { return nullptr; }
    TimeValue GetTime() override { return time; }
    void SetPickMode(PickModeCallback*) override {}
    void ClearPickMode() override {}

    // Titles of the progress bars started so far, in order.
    std::vector<std::string> Titles() const {
        std::vector<std::string> t;
        for (const auto& e : events)
            if (e.kind == Event::Start) t.push_back(e.title);
        return t;
    }
    // Percentages reported under the n-th bar titled title.
    std::vector<int> Percents(const std::string& title, int n = 0) const {
        std::vector<int> p;
        int seen = -1;
        bool in = false;
        for (const auto& e : events) {
            if (e.kind == Event::Start) {
                in = e.title == title && ++seen == n;
            } else if (e.kind == Event::Update && in) {
                p.push_back(e.percent);
            } else if (e.kind == Event::End) {
                in = false;
            }
        }
        return p;
    }

private:
    Interface* previous_;
};
