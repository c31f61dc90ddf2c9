#include "app/output_check.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "host/app/ascii_lower.h"
#include "host/app/mesh_export.h"

namespace fs = std::filesystem;

namespace {

std::string LowerExtension(const std::string& path) {
    return contorra::AsciiLower(fs::path(path).extension().string());
}

std::string Choices(const std::vector<std::string>& extensions) {
    std::string s;
    for (std::size_t i = 0; i < extensions.size(); ++i)
        s += (i == 0 ? "" : i + 1 == extensions.size() ? " or " : ", ") + extensions[i];
    return s;
}

} // namespace

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    const bool ea = ::stat(a.c_str(), &sa) == 0, eb = ::stat(b.c_str(), &sb) == 0;
    if (ea && eb) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    if (ea != eb) return false;
    // Neither exists yet: the same place once symlinked folders are resolved.
    std::error_code ec1, ec2;
    const fs::path pa = fs::weakly_canonical(fs::absolute(a), ec1);
    const fs::path pb = fs::weakly_canonical(fs::absolute(b), ec2);
    if (ec1 || ec2) return fs::absolute(a).lexically_normal() == fs::absolute(b).lexically_normal();
    return pa == pb;
}

namespace {

// The folder must exist and the path must not be one.
bool CheckPlace(const std::string& path, const std::string& what, std::string& error) {
    fs::path parent = fs::path(path).parent_path();
    if (parent.empty()) parent = ".";
    std::error_code ec;
    if (!fs::is_directory(parent, ec)) {
        error =
            path + ": cannot write " + what + ": the folder " + parent.string() + " does not exist";
        return false;
    }
    if (fs::is_directory(path, ec)) {
        error = path + ": cannot write " + what + ": this is a folder";
        return false;
    }
    return true;
}

} // namespace

bool CheckOutputFiles(const std::vector<OutputFile>& outputs, const std::vector<InputFile>& inputs,
                      std::string& error) {
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const OutputFile& out = outputs[i];
        if (out.path.empty()) continue;
        const auto& exts = out.extensions;
        if (!exts.empty() &&
            std::find(exts.begin(), exts.end(), LowerExtension(out.path)) == exts.end()) {
            error = out.path + ": " + out.what + " writes " + Choices(exts) +
                    " files; the name must end in " + Choices(exts);
            return false;
        }
        if (!CheckPlace(out.path, out.what, error)) return false;
        for (const InputFile& in : inputs)
            if (!in.path.empty() && SameFile(out.path, in.path)) {
                error = out.path + ": " + out.what + " would overwrite " + in.what + " (" +
                        in.path + ", the same file)";
                return false;
            }
        for (std::size_t k = 0; k < i; ++k)
            if (!outputs[k].path.empty() && SameFile(out.path, outputs[k].path)) {
                error = out.path + ": " + out.what + " and " + outputs[k].what +
                        " would write the same file (" + outputs[k].path + ")";
                return false;
            }
    }
    return true;
}

std::vector<InputFile> MeshFilesOf(const contorra::JsonScene& json) {
    std::vector<InputFile> files;
    for (const contorra::JsonNode& n : json.nodes)
        if (const auto* m = std::get_if<contorra::JsonMesh>(&n.object); m && !m->file.empty())
            files.push_back({m->file.string(), "the mesh file of " + n.path});
    return files;
}

void AddMeshSidecars(std::vector<OutputFile>& outputs, const std::string& mesh) {
    if (mesh.empty()) return;
    for (const fs::path& side : contorra::MeshSidecars(mesh))
        outputs.push_back({side.string(), "the file written beside the mesh", {}});
}
