#include "host/app/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace contorra {

namespace {

// What a file that is not a regular file is, for the message.
const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "is a directory, not a file";
    if (S_ISFIFO(mode)) return "is a named pipe (FIFO), not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a regular file";
    if (S_ISSOCK(mode)) return "is a socket, not a regular file";
    return "is not a regular file";
}

std::string OpenProblem(int err) {
    if (err == ENOENT) return "cannot open: no such file";
    if (err == EACCES || err == EPERM) return "cannot open: permission denied";
    if (err == ENOTDIR) return "cannot open: a folder in the path is a file";
    return std::string("cannot open: ") + std::strerror(err);
}

// The file open for reading, or -1 with the problem set. O_NONBLOCK keeps a FIFO
// without a writer from blocking the open; the descriptor is refused anyway.
int OpenRegular(const std::string& path, std::string& problem) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        struct stat st {};
        // A socket cannot be opened at all; say what it is rather than ENXIO.
        if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            problem = KindOf(st.st_mode);
        else
            problem = OpenProblem(err);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        problem = std::string("cannot read: ") + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        problem = KindOf(st.st_mode);
        ::close(fd);
        return -1;
    }
    return fd;
}

template <class Buffer> bool ReadAll(const std::string& path, Buffer& out, std::string& problem) {
    out.clear();
    const int fd = OpenRegular(path, problem);
    if (fd < 0) return false;
    // Reads block from here on: a regular file never says EAGAIN, but be plain.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    char chunk[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            problem = "cannot read after " + std::to_string(out.size()) +
                      " bytes: " + std::strerror(errno);
            ::close(fd);
            out.clear();
            return false;
        }
        out.insert(out.end(), chunk, chunk + n);
    }
    ::close(fd);
    return true;
}

} // namespace

bool CheckInputFile(const std::string& path, std::string& problem) {
    const int fd = OpenRegular(path, problem);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool ReadInputFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                   std::string& problem) {
    return ReadAll(path, bytes, problem);
}

bool ReadInputFile(const std::string& path, std::string& text, std::string& problem) {
    return ReadAll(path, text, problem);
}

} // namespace contorra
