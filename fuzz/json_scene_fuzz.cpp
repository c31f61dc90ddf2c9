// The JSON scene reader, then the scene and its materials made from what it
// read, as `contorra build` and `render` make them (without building).
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "host/app/core_interface.h"
#include "host/app/json_materials.h"
#include "host/app/json_scene.h"
#include "host/app/json_scene_builder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ClassRegistry& registry = fuzzing::Registry();
    const std::string text(reinterpret_cast<const char*>(data), size);
    Scene scene;
    CoreInterface core(scene, ProgressStyle::Quiet, fuzzing::Discard());
    try {
        // Mesh files named relative to the scene are looked for where none is.
        const contorra::JsonScene json =
            contorra::ParseJsonScene(text, "/nonexistent/fuzz/scene.json");
        contorra::AddJsonScene(json, scene, registry);
        contorra::SceneMaterials materials = contorra::AddJsonMaterials(json, scene, registry);
    } catch (const contorra::SceneFileError&) {
        // A refused scene is the reader doing its work.
    }
    return 0;
}
