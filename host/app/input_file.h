#pragma once
// Reading a file the user named as input. Only regular files are read: a
// directory, a device, a FIFO or a socket is refused without being opened for
// reading, so nothing blocks or runs forever, and every failure is a message
// that names the file and the problem.
#include <cstdint>
#include <string>
#include <vector>

namespace contorra {

// True when path is a regular file this process may open; otherwise false
// with the problem ("is a directory, not a file"), without the path.
bool CheckInputFile(const std::string& path, std::string& problem);

// The whole file; false with the problem when it is no regular file, cannot
// be opened or a read fails part way.
bool ReadInputFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& problem);
bool ReadInputFile(const std::string& path, std::string& text, std::string& problem);

} // namespace contorra
