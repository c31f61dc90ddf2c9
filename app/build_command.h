#pragma once
// contorra build: a terrain from a JSON scene, written as a mesh, a saved
// scene and a preview image.
#include <cstdint>
#include <optional>

#include "app/commands.h"
#include "host/app/json_scene.h"
#include "host/sdk/inode.h"

Command AddBuildCommand(CLI::App& app, const GlobalOptions& options);

// Before a terrain of the JSON scene is built: warns of list entries the
// build will skip and of inserts reaching past the height grid, refuses contours it cannot use and
// builds that would not fit in memory (limit: --max-memory, else what the machine has). kExitOk or
// the exit code after printing why.
int CheckTerrainBuild(const contorra::JsonScene& json, INode* terrain,
                      std::optional<std::uint64_t> limit);
