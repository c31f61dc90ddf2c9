#pragma once
// Refuses work whose memory estimate exceeds what the run may use: the
// --max-memory limit when given, else what the machine has available.
#include <cstdint>
#include <optional>
#include <string>

#include "host/app/memory_estimate.h"
#include "host/app/memory_limit.h"

using contorra::FormatBytes;
using contorra::MemoryEstimate;
using contorra::ParseMemorySize;

// True when `need` fits; otherwise false with error saying what `work` needs,
// what is available, where that figure comes from, and `advice` ("use fewer
// levels").
bool FitsInMemory(const MemoryEstimate& need, std::optional<std::uint64_t> limit,
                  const std::string& work, const std::string& advice, std::string& error);
