// The mesh importer on every format it takes by name. The first byte picks
// the extension, the rest is the file, written to a temporary file because
// the importer reads by path (as glTF's side files need).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "host/app/mesh_import.h"

namespace {

const char* const kExtensions[] = {"obj", "ply", "stl", "gltf", "glb", "fbx"};

// A folder of this process for the input file, removed when the process ends.
struct TempFolder {
    std::string path = (std::filesystem::temp_directory_path() / "contorra-fuzz-XXXXXX").string();
    TempFolder() {
        if (!::mkdtemp(path.data())) {
            std::perror("fuzz: mkdtemp");
            std::exit(1);
        }
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string ext = kExtensions[data[0] % (sizeof kExtensions / sizeof *kExtensions)];
    static const TempFolder folder;
    const std::string path = folder.path + "/input." + ext;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);
    try {
        contorra::ImportMesh(path);
    } catch (const std::runtime_error&) {
        // Refused with a message: what a bad file should get.
    }
    std::remove(path.c_str());
    return 0;
}
