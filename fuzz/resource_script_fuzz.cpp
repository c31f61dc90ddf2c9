// The resource-script reader: strings, dialogs, controls and #define lines.
// Includes are looked up in a folder that does not exist, so every input
// stands alone.
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/app/resource_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    ParseResourceScript(text, "fuzz.rc", "/nonexistent/fuzz", error);
    return 0;
}
