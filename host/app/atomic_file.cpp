#include "host/app/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace contorra {

namespace {

std::runtime_error SysError(const fs::path& path, const std::string& what, int err) {
    return std::runtime_error(path.string() + ": " + what + ": " + std::strerror(err));
}

void SyncPath(const fs::path& path, int flags) {
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) throw SysError(path, "cannot open for flushing", errno);
    const int rc = ::fsync(fd);
    const int err = errno;
    ::close(fd);
    // Some file systems refuse fsync on folders; that is not a failed write.
    if (rc != 0 && err != EINVAL && err != EROFS) throw SysError(path, "cannot flush", err);
}

} // namespace

AtomicOutput::AtomicOutput(const fs::path& target) : target_(target) {
    if (target_.filename().empty())
        throw std::runtime_error(target_.string() + ": not a file name");
    std::error_code ec;
    if (fs::is_directory(target_, ec)) throw std::runtime_error(target_.string() + ": is a folder");
    fs::path parent = target_.parent_path();
    if (parent.empty()) parent = ".";
    // Appended piece by piece: "." + name makes GCC 12 at -O3 warn falsely (-Wrestrict).
    std::string hidden = ".";
    hidden += target_.filename().string();
    hidden += ".tmp-XXXXXX";
    const std::string pattern = (parent / hidden).string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) throw SysError(target_, "cannot write beside this file", errno);
    dir_ = buf.data();
    staged_ = dir_ / target_.filename();
}

AtomicOutput::~AtomicOutput() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

void AtomicOutput::Commit() {
    if (committed_) return;
    std::error_code ec;
    if (!fs::is_regular_file(staged_, ec))
        throw std::runtime_error(target_.string() + ": nothing was written");
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir_)) {
        if (!entry.is_regular_file())
            throw std::runtime_error(target_.string() + ": unexpected item " +
                                     entry.path().filename().string() + " while writing");
        if (entry.path() != staged_) files.push_back(entry.path());
    }
    files.push_back(staged_); // the target appears only once its sidecars are in place
    for (const auto& f : files) SyncPath(f, O_RDONLY);
    fs::path parent = target_.parent_path();
    if (parent.empty()) parent = ".";
    for (const auto& f : files) {
        const fs::path dest = parent / f.filename();
        if (::rename(f.c_str(), dest.c_str()) != 0) throw SysError(dest, "cannot replace", errno);
    }
    SyncPath(parent, O_RDONLY | O_DIRECTORY);
    committed_ = true;
}

void WriteAtomically(const fs::path& target,
                     const std::function<void(const fs::path& staged)>& write) {
    AtomicOutput out(target);
    write(out.StagedPath());
    out.Commit();
}

} // namespace contorra
