// The saved-scene reader past its checksum: the input is a scene without its
// closing checksum chunk, which is added here, so mutations reach the class
// directory, the hierarchy and every object's own Load.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "host/app/core_interface.h"
#include "host/app/scene_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ClassRegistry& registry = fuzzing::Registry();
    std::vector<std::uint8_t> bytes(data, data + size);
    AppendChecksum(bytes);
    Scene scene;
    CoreInterface core(scene, ProgressStyle::Quiet, fuzzing::Discard());
    std::string error;
    LoadSceneBytes(scene, registry, std::move(bytes), "fuzz.cscene", error);
    return 0;
}
