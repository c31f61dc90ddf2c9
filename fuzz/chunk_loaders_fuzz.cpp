// Every class's own Load, the plug-in's classes and the host's, and each
// class's parameter blocks: the first byte picks the loader, the rest is the
// object's data chunk as the scene reader hands it over. What loads is saved
// again, since a load that leaves an object its Save cannot write is a fault
// as well.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/loader_list.h"
#include "host/app/chunk_io.h"
#include "host/app/core_interface.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<fuzzing::Loader> loaders = fuzzing::Loaders(fuzzing::Registry());
    if (size < 1 || loaders.empty()) return 0;
    const fuzzing::Loader& pick = loaders[data[0] % loaders.size()];
    Scene scene;
    CoreInterface core(scene, ProgressStyle::Quiet, fuzzing::Discard());
    ReferenceTarget* obj = fuzzing::Make(pick);
    if (!obj) return 0;
    MemoryLoad in(std::vector<std::uint8_t>(data + 1, data + size));
    if (obj->Load(&in) == IO_OK) {
        MemorySave out;
        out.BeginChunk(0x0312);
        if (obj->Save(&out) != IO_OK) {
            std::fprintf(stderr, "fuzz: a loaded %s could not be saved\n", pick.name.c_str());
            std::abort();
        }
        out.EndChunk();
    }
    obj->DeleteThis();
    return 0;
}
