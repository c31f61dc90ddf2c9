#pragma once
// How the build stages report progress and hear a cancel. The terrain object
// hands in the host's progress bar; tests and benchmarks hand in their own or
// none. Stages never stop the build on a cancel: they only cut their own loop.
class BuildProgress {
public:
    virtual ~BuildProgress() = default;
    virtual void Start(const char* title) = 0;
    virtual void Update(int percent) = 0;
    virtual bool Cancelled() = 0;
    virtual void End() = 0;
};

// One progress bar for the life of a scope; a null reporter shows nothing and
// never cancels.
class ProgressScope {
public:
    ProgressScope(BuildProgress* progress, const char* title) : progress_(progress) {
        if (progress_) progress_->Start(title);
    }
    ~ProgressScope() {
        if (progress_) progress_->End();
    }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    void Update(int percent) {
        if (progress_) progress_->Update(percent);
    }
    bool Cancelled() { return progress_ && progress_->Cancelled(); }

private:
    BuildProgress* progress_;
};
