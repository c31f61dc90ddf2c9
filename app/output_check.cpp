#include <filesystem>

#include "app/commands.h"

namespace fs = std::filesystem;

bool CheckOutput(const std::string& path, const char* what, std::string& error) {
    if (path.empty()) return true;
    fs::path parent = fs::path(path).parent_path();
    if (parent.empty()) parent = ".";
    std::error_code ec;
    if (!fs::is_directory(parent, ec)) {
        error = path + ": cannot write the " + what + ": the folder " + parent.string() +
                " does not exist";
        return false;
    }
    if (fs::is_directory(path, ec)) {
        error = path + ": cannot write the " + what + ": this is a folder";
        return false;
    }
    return true;
}
