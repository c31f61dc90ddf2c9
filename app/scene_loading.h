#pragma once
// What the commands that draw a scene share: the image size and the scene,
// read from JSON (its terrains built first, as a user would) or from a saved
// scene.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/commands.h"
#include "host/app/core_interface.h"
#include "host/app/json_materials.h"
#include "host/app/scene.h"

// "WxH", 1 .. 16384 each.
bool ParseImageSize(const std::string& text, int& w, int& h);

// Fills scene from path. output (may be empty) is the image the command will
// write, refused when it is one of the scene's files. command names the
// subcommand in messages. beforeBuild, when given, runs once the nodes are
// there and before any terrain is built; a code other than kExitOk from it
// ends the load. kExitOk or the exit code after printing why.
int LoadImageScene(const std::string& command, const std::string& path, const std::string& output,
                   Scene& scene, const ClassRegistry& registry, std::optional<std::uint64_t> limit,
                   CoreInterface& core, std::optional<contorra::SceneMaterials>& materials,
                   const std::function<int(Scene&)>& beforeBuild = {});
