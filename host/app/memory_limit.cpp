#include "host/app/memory_limit.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <vector>

namespace contorra {

namespace {

std::string ReadSmallFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::optional<std::uint64_t> Number(const std::string& text) {
    std::istringstream in(text);
    std::uint64_t v = 0;
    if (!(in >> v)) return std::nullopt;
    return v;
}

struct CgroupLimit {
    std::string max, current;
};

// The limits on the way from this process's cgroup to the root: version 2
// (memory.max, memory.current) and version 1 (memory.limit_in_bytes,
// memory.usage_in_bytes), where the file system shows them.
std::vector<CgroupLimit> CgroupLimits() {
    std::vector<CgroupLimit> out;
    auto walk = [&out](std::string folder, const std::string& root, const char* max,
                       const char* current) {
        for (;;) {
            const std::string m = ReadSmallFile(folder + "/" + max);
            if (!m.empty()) out.push_back({m, ReadSmallFile(folder + "/" + current)});
            const auto slash = folder.find_last_of('/');
            if (folder.size() <= root.size() || slash == std::string::npos) break;
            folder.erase(slash);
        }
    };
    std::istringstream in(ReadSmallFile("/proc/self/cgroup"));
    std::string v2 = "/", v1 = "/";
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("0::", 0) == 0) v2 = line.substr(3);
        if (const auto p = line.find(":memory:"); p != std::string::npos) v1 = line.substr(p + 8);
    }
    auto trim = [](std::string s) { return s == "/" ? std::string() : s; };
    walk("/sys/fs/cgroup" + trim(v2), "/sys/fs/cgroup", "memory.max", "memory.current");
    walk("/sys/fs/cgroup/memory" + trim(v1), "/sys/fs/cgroup/memory", "memory.limit_in_bytes",
         "memory.usage_in_bytes");
    return out;
}

} // namespace

std::optional<MemoryAvailable> AvailableMemoryFrom(const std::string& meminfo,
                                                   const std::string& cgroupMax,
                                                   const std::string& cgroupCurrent) {
    std::optional<MemoryAvailable> best;
    std::istringstream in(meminfo);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("MemAvailable:", 0) == 0)
            if (auto kb = Number(line.substr(13)))
                best = MemoryAvailable{*kb * 1024, "MemAvailable in /proc/meminfo"};
    // "max" (no limit) is not a number and drops out here.
    const auto limit = Number(cgroupMax);
    if (limit) {
        const std::uint64_t used = Number(cgroupCurrent).value_or(0);
        const std::uint64_t left = *limit > used ? *limit - used : 0;
        if (!best || left < best->bytes)
            best = MemoryAvailable{left, "the cgroup's memory limit less its current use"};
    }
    return best;
}

std::optional<MemoryAvailable> AvailableMemory() {
    const std::string meminfo = ReadSmallFile("/proc/meminfo");
    std::optional<MemoryAvailable> best = AvailableMemoryFrom(meminfo, "", "");
    for (const CgroupLimit& c : CgroupLimits()) {
        auto next = AvailableMemoryFrom(meminfo, c.max, c.current);
        if (next && (!best || next->bytes < best->bytes)) best = next;
    }
    return best;
}

std::optional<std::uint64_t> ParseMemorySize(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.'))
        ++i;
    if (i == 0) return std::nullopt;
    double value = 0.0;
    try {
        std::size_t used = 0;
        value = std::stod(text.substr(0, i), &used);
        if (used != i) return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    std::string unit = text.substr(i);
    for (char& c : unit) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    double scale = 1.0;
    const std::string prefixes = "KMGT";
    if (!unit.empty() && unit != "B") {
        const auto p = prefixes.find(unit[0]);
        const std::string rest = unit.substr(1);
        if (p == std::string::npos || !(rest.empty() || rest == "B" || rest == "IB"))
            return std::nullopt;
        scale = std::pow(1024.0, static_cast<double>(p + 1));
    }
    const double bytes = std::floor(value * scale);
    if (!(bytes >= 1.0) || bytes > 1.8e19) return std::nullopt;
    return static_cast<std::uint64_t>(bytes);
}

std::string FormatBytes(std::uint64_t bytes) {
    static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    if (bytes < 1024) return std::to_string(bytes) + " bytes";
    double v = static_cast<double>(bytes) / 1024.0;
    int u = 0;
    while (v >= 1024.0 && u < 5) {
        v /= 1024.0;
        ++u;
    }
    std::ostringstream s;
    s << std::fixed << std::setprecision(v < 10.0 ? 2 : v < 100.0 ? 1 : 0) << v << " " << kUnits[u];
    return s.str();
}

} // namespace contorra
