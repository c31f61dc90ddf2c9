#pragma once
// How much memory the machine can give a run, and sizes as people write them.
#include <cstdint>
#include <optional>
#include <string>

namespace contorra {

struct MemoryAvailable {
    std::uint64_t bytes = 0;
    std::string source; // "MemAvailable in /proc/meminfo", "the cgroup's memory.max", ...
};

// MemAvailable from /proc/meminfo, or what the process's cgroup still allows
// when that is less; nothing when neither can be read.
std::optional<MemoryAvailable> AvailableMemory();
// The same from the texts of /proc/meminfo and of the cgroup's limit and
// current use (empty when there is none).
std::optional<MemoryAvailable> AvailableMemoryFrom(const std::string& meminfo,
                                                   const std::string& cgroupMax,
                                                   const std::string& cgroupCurrent);

// "2G", "500M", "64k", "1.5G", "1000000" (bytes); K, M, G, T are powers of 1024
// and may be followed by "B" or "iB". Nothing for anything else, zero included.
std::optional<std::uint64_t> ParseMemorySize(const std::string& text);
// "1.5 GiB", "200 MiB", "512 bytes".
std::string FormatBytes(std::uint64_t bytes);

} // namespace contorra
