#pragma once
// Output files that appear whole or not at all. The writer writes into a
// private folder beside the target; only when it returns successfully are the
// files renamed into place, so a failing or interrupted write never leaves a
// half-written file and keeps the user's existing file as it was.
#include <filesystem>
#include <functional>

namespace contorra {

class AtomicOutput {
public:
    // Throws std::runtime_error when the staging folder cannot be made.
    explicit AtomicOutput(const std::filesystem::path& target);
    ~AtomicOutput(); // removes whatever was not committed
    AtomicOutput(const AtomicOutput&) = delete;
    AtomicOutput& operator=(const AtomicOutput&) = delete;

    // Where to write: the target's file name inside the staging folder. Files
    // written beside it (a sidecar such as a .bin buffer) move along on commit.
    const std::filesystem::path& StagedPath() const { return staged_; }

    // Flushes and renames every staged file into the target's folder, the
    // target itself last. Throws std::runtime_error naming the file on failure.
    void Commit();

private:
    std::filesystem::path target_, dir_, staged_;
    bool committed_ = false;
};

// Runs write(stagedPath) and commits; on any exception the target is untouched
// and the exception passes on.
void WriteAtomically(const std::filesystem::path& target,
                     const std::function<void(const std::filesystem::path& staged)>& write);

} // namespace contorra
