#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "app/commands.h"
#include "host/app/program_folder.h"

std::string DefaultPluginPath() {
    return (contorra::ProgramFolder() / "contorra.dlo").string();
}

bool LoadPlugin(const GlobalOptions& options, ClassRegistry& registry) {
    std::string path = options.plugin;
    if (path.empty())
        if (const char* env = std::getenv("CONTORRA_PLUGIN"); env && *env) path = env;
    if (path.empty()) path = DefaultPluginPath();
    std::string error;
    PluginModule* module = registry.LoadModule(path, error);
    if (!module) {
        std::cerr << "contorra: " << error << "\n";
        return false;
    }
    if (!module->resourceWarning.empty()) Warn(module->resourceWarning);
    return true;
}

void Warn(const std::string& message) {
    std::cerr << "contorra: warning: " << message << "\n";
}
