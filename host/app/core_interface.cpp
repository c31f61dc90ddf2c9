#include "host/app/core_interface.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>

#include "host/sdk/pick_mode.h"

namespace {

std::atomic<int> interrupts{0};
std::atomic<bool> cancelled{false};

void OnInterrupt(int) {
    if (interrupts.fetch_add(1) >= 1) {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
        return;
    }
    cancelled = true;
    const char msg[] = "\ncontorra: cancelling; the work stops early and keeps what it has (Ctrl-C "
                       "again aborts)\n";
    ssize_t ignored = write(STDERR_FILENO, msg, sizeof msg - 1);
    (void)ignored;
}

constexpr int kBarWidth = 30;

} // namespace

ProgressStyle ProgressStyleForStderr(bool quiet) {
    if (quiet) return ProgressStyle::Quiet;
    return isatty(STDERR_FILENO) ? ProgressStyle::Bar : ProgressStyle::Lines;
}

std::string FormatElapsed(double seconds) {
    char buf[32];
    if (seconds < 60.0) {
        std::snprintf(buf, sizeof buf, "%.1fs", seconds);
    } else {
        long s = static_cast<long>(seconds);
        std::snprintf(buf, sizeof buf, "%ld:%02ld", s / 60, s % 60);
    }
    return buf;
}

int CoreInterface::UsableCores() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof(set), &set) == 0) return std::max(1, CPU_COUNT(&set));
    return 1;
}

CoreInterface::CoreInterface(Scene& scene, ProgressStyle style, std::ostream& out)
    : scene_(scene), style_(style), out_(out), previous_(GetCOREInterface()) {
    SetCOREInterface(this);
}

CoreInterface::~CoreInterface() {
    if (active_) ProgressEnd();
    SetCOREInterface(previous_);
}

void CoreInterface::InstallInterruptHandler() {
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
}

double CoreInterface::Elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

BOOL CoreInterface::ProgressStart(const MCHAR* title, BOOL, LPTHREAD_START_ROUTINE fn, void* arg) {
    if (active_) ProgressEnd();
    active_ = true;
    title_ = title ? title : "";
    percent_ = 0;
    lastLine_ = -1;
    start_ = lastDraw_ = std::chrono::steady_clock::now();
    if (style_ == ProgressStyle::Lines)
        out_ << title_ << " ..." << std::endl;
    else if (style_ == ProgressStyle::Bar)
        Draw(false);
    if (ui_) ui_->ProgressShown(title_, 0);
    if (fn) fn(arg);
    return TRUE;
}

void CoreInterface::ProgressUpdate(int pct, BOOL, const MCHAR* title) {
    if (!active_) return;
    if (title) title_ = title;
    pct = std::max(0, std::min(100, pct));
    bool changed = pct != percent_;
    percent_ = pct;
    if (ui_) ui_->ProgressShown(title_, pct);
    if (style_ == ProgressStyle::Lines) {
        int tenth = pct / 10;
        if (tenth > lastLine_ && tenth > 0 && tenth < 10) {
            out_ << title_ << ": " << tenth * 10 << "%" << std::endl;
            lastLine_ = tenth;
        }
    } else if (style_ == ProgressStyle::Bar) {
        auto now = std::chrono::steady_clock::now();
        // Redraw on a new percentage, and a few times a second for the clock.
        if (changed || now - lastDraw_ > std::chrono::milliseconds(200)) Draw(false);
    }
}

void CoreInterface::ProgressEnd() {
    if (!active_) return;
    if (style_ == ProgressStyle::Lines)
        out_ << title_ << ": done in " << FormatElapsed(Elapsed()) << std::endl;
    else if (style_ == ProgressStyle::Bar)
        Draw(true);
    active_ = false;
    if (ui_) ui_->ProgressHidden();
}

void CoreInterface::Draw(bool final) {
    lastDraw_ = std::chrono::steady_clock::now();
    int filled = percent_ * kBarWidth / 100;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kBarWidth - filled), '-');
    char pct[8];
    std::snprintf(pct, sizeof pct, "%3d%%", percent_);
    out_ << '\r' << title_ << " [" << bar << "] " << pct << ' ' << FormatElapsed(Elapsed())
         << "\x1b[K";
    if (final) out_ << '\n';
    out_.flush();
}

BOOL CoreInterface::GetCancel() {
    return cancelled.load() ? TRUE : FALSE;
}

void CoreInterface::SetCancel(BOOL sw) {
    cancelled = sw != FALSE;
    if (!sw) interrupts = 0;
}

void CoreInterface::RedrawViews(TimeValue, DWORD, void*) {
    ++redraws_;
    if (ui_) ui_->RedrawViews();
}

void CoreInterface::SetPickMode(PickModeCallback* pc) {
    if (pc == pickMode_) return;
    // Cleared first: ExitMode may start another mode or end this one again.
    PickModeCallback* old = pickMode_;
    pickMode_ = nullptr;
    if (old) old->ExitMode(this);
    pickMode_ = pc;
    if (pc) pc->EnterMode(this);
}

HWND CoreInterface::AddRollupPage(HINSTANCE hInst, int dialogId, DLGPROC proc, const MCHAR* title,
                                  LPARAM param, DWORD flags) {
    return ui_ ? ui_->AddRollupPage(hInst, dialogId, proc, title, param, flags) : nullptr;
}

void CoreInterface::DeleteRollupPage(HWND page) {
    if (ui_) ui_->DeleteRollupPage(page);
}

INode* CoreInterface::PickNode(HWND hWnd, IPoint2 m, PickNodeCallback* filter) {
    return ui_ ? ui_->PickNode(hWnd, m, filter) : nullptr;
}

INode* CoreInterface::GetINodeByHandle(ULONG handle) {
    return scene_.FindByHandle(handle);
}

INode* CoreInterface::GetRootNode() {
    return scene_.Root();
}
