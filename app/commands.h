#pragma once
// The subcommands of contorra: each adds itself to the parser and runs on
// the options it was given. Exit codes: 0 success, 1 failure, 2 bad usage
// or bad input.
#include <CLI/CLI.hpp>

#include <functional>
#include <memory>
#include <string>

#include "host/app/plugin_loader.h"

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitBadInput = 2;

struct GlobalOptions {
    std::string plugin; // --plugin, else CONTORRA_PLUGIN, else beside the executable
    bool quiet = false;
};

// Loads the plug-in the options name into the registry; on failure prints
// the reason on stderr and answers false.
bool LoadPlugin(const GlobalOptions& options, ClassRegistry& registry);
// contorra.dlo in the folder of the running executable.
std::string DefaultPluginPath();

// "contorra: warning: MESSAGE" on stderr. Warnings are not progress: --quiet
// keeps them.
void Warn(const std::string& message);

using Command = std::function<int()>;

Command AddConformCommand(CLI::App& app, const GlobalOptions& options);
Command AddClassesCommand(CLI::App& app, const GlobalOptions& options);
Command AddInfoCommand(CLI::App& app, const GlobalOptions& options);
Command AddRenderCommand(CLI::App& app, const GlobalOptions& options);
Command AddViewCommand(CLI::App& app, const GlobalOptions& options);
Command AddPickCommand(CLI::App& app, const GlobalOptions& options);
Command AddUiCommand(CLI::App& app, const GlobalOptions& options);
