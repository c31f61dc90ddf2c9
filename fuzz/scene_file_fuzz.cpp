// The saved-scene reader as files reach it: most mutations end at the
// checksum, which is what the reader is meant to do with them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "host/app/core_interface.h"
#include "host/app/scene_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ClassRegistry& registry = fuzzing::Registry();
    Scene scene;
    CoreInterface core(scene, ProgressStyle::Quiet, fuzzing::Discard());
    std::string error;
    LoadSceneBytes(scene, registry, std::vector<std::uint8_t>(data, data + size), "fuzz.cscene",
                   error);
    return 0;
}
