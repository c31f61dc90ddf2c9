#include "app/scene_loading.h"

#include <cctype>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "app/build_command.h"
#include "app/output_check.h"
#include "host/app/json_scene.h"
#include "host/app/json_scene_builder.h"
#include "host/app/scene_file.h"
#include "host/app/terrain_build.h"

namespace {

bool IsJson(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".json";
}

} // namespace

bool ParseImageSize(const std::string& text, int& w, int& h) {
    char x = 0, rest = 0;
    std::istringstream in(text);
    if (!(in >> w >> x >> h) || x != 'x' || in >> rest) return false;
    return w >= 1 && h >= 1 && w <= 16384 && h <= 16384;
}

int LoadImageScene(const std::string& command, const std::string& path, const std::string& output,
                   Scene& scene, const ClassRegistry& registry, std::optional<std::uint64_t> limit,
                   CoreInterface& core, std::optional<contorra::SceneMaterials>& materials,
                   const std::function<int(Scene&)>& beforeBuild) {
    std::vector<INode*> terrains;
    contorra::JsonScene js;
    if (IsJson(path)) {
        try {
            js = contorra::ReadJsonScene(path);
            if (!output.empty()) {
                const std::vector<OutputFile> outputs{{output, "the image (-o)", {".png"}}};
                if (std::string error; !CheckOutputFiles(outputs, MeshFilesOf(js), error)) {
                    std::cerr << "contorra " << command << ": " << error << "\n";
                    return kExitBadInput;
                }
            }
            terrains = contorra::AddJsonScene(js, scene, registry);
            materials.emplace(contorra::AddJsonMaterials(js, scene, registry));
        } catch (const contorra::SceneFileError& e) {
            std::cerr << "contorra: " << e.what() << "\n";
            return kExitBadInput;
        }
    } else {
        std::string error;
        if (!LoadSceneFile(scene, registry, path, error)) {
            std::cerr << "contorra: " << error << "\n";
            return kExitBadInput;
        }
    }
    if (beforeBuild)
        if (int code = beforeBuild(scene); code != kExitOk) return code;
    // A JSON terrain is only a recipe until its surface is generated.
    for (INode* t : terrains) {
        if (int code = CheckTerrainBuild(js, t, limit); code != kExitOk) return code;
        std::string error;
        if (!contorra::PressGenerate(t->GetObjectRef(), &core, error)) {
            std::cerr << "contorra: " << error << "\n";
            return kExitFailure;
        }
    }
    return kExitOk;
}

