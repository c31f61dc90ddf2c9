#pragma once
// contorra build: a terrain from a JSON scene, written as a mesh, a saved
// scene and a preview image.
#include "app/commands.h"

Command AddBuildCommand(CLI::App& app, const GlobalOptions& options);
