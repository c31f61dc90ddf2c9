#include "app/memory_check.h"

bool FitsInMemory(const MemoryEstimate& need, std::optional<std::uint64_t> limit,
                  const std::string& work, const std::string& advice, std::string& error) {
    std::string source = "--max-memory";
    if (!limit) {
        const auto available = contorra::AvailableMemory();
        if (!available) return true; // nothing to compare with: the work runs
        limit = available->bytes;
        source = available->source;
    }
    if (need.total <= *limit) return true;
    error = work + " needs about " + FormatBytes(need.total) + " of memory (" + need.detail +
            "), but only " + FormatBytes(*limit) + " may be used (" + source + "); " + advice +
            ", or raise the limit with --max-memory";
    return false;
}
