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
    const std::uint32_t crc = Crc32(bytes.data(), bytes.size());
    // Chunk 0x0FFF, 10 bytes long, holding the CRC (all little-endian).
    const std::uint8_t trailer[10] = {0xFF,
                                      0x0F,
                                      10,
                                      0,
                                      0,
                                      0,
                                      static_cast<std::uint8_t>(crc),
                                      static_cast<std::uint8_t>(crc >> 8),
                                      static_cast<std::uint8_t>(crc >> 16),
                                      static_cast<std::uint8_t>(crc >> 24)};
    bytes.insert(bytes.end(), trailer, trailer + sizeof trailer);
    Scene scene;
    CoreInterface core(scene, ProgressStyle::Quiet, fuzzing::Discard());
    std::string error;
    LoadSceneBytes(scene, registry, std::move(bytes), "fuzz.cscene", error);
    return 0;
}
