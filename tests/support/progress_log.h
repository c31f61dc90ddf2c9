#pragma once
// A log of progress bars for tests, with a cancel that starts at a chosen poll.
#include <string>
#include <vector>

struct ProgressLog {
    struct Event {
        enum Kind { Start, Update, End } kind;
        std::string title; // Start only
        int percent = 0;   // Update only
    };

    std::vector<Event> events;
    // The cancel poll answers true from this call on (counting from 1); 0 never cancels.
    int cancelAtCall = 0;
    int cancelCalls = 0;

    void LogStart(const char* title) { events.push_back({Event::Start, title ? title : "", 0}); }
    void LogUpdate(int percent) { events.push_back({Event::Update, "", percent}); }
    void LogEnd() { events.push_back({Event::End, "", 0}); }
    bool PollCancel() {
        ++cancelCalls;
        return cancelAtCall > 0 && cancelCalls >= cancelAtCall;
    }

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
};
