// Limits contorra keeps before it works: outputs that are the input under
// another name (hard links, symlinks) are refused, and a build stays within
// the memory it announces.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/e2e/run_command.h"

namespace fs = std::filesystem;

namespace {

const fs::path kExamples = fs::path(CONTORRA_SOURCE_DIR) / "examples";

RunResult RunContorra(const std::vector<std::string>& args) {
    std::string cmd = Quote(CONTORRA_BINARY);
    for (const auto& a : args) cmd += ' ' + Quote(a);
    return RunShell(cmd);
}

struct Dir {
    fs::path path;
    explicit Dir(const std::string& name)
        : path(fs::temp_directory_path() /
               ("contorra_limits_" + name + "_" + std::to_string(getpid()))) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~Dir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

// An example scene with its terrain's level count set, written into dir.
fs::path SceneWithLevels(const fs::path& dir, const std::string& example, int levels) {
    nlohmann::json scene = nlohmann::json::parse(Slurp(kExamples / example));
    for (auto& node : scene["nodes"])
        if (node.contains("object") && node["object"].value("type", "") == "terrain")
            node["object"]["parameters"]["Interations"] = levels;
    const fs::path path = dir / example;
    std::ofstream(path) << scene.dump();
    return path;
}

TEST(OutputIdentity, LinksToTheSceneAreTheScene) {
    Dir dir("identity");
    const fs::path scene = SceneWithLevels(dir.path, "contours_only.json", 4);
    const std::string original = Slurp(scene);
    fs::create_hard_link(scene, dir.path / "hard.cscene");
    fs::create_symlink(scene, dir.path / "soft.png");
    fs::create_directory(dir.path / "sub");
    fs::create_directory_symlink(dir.path, dir.path / "up");

    RunResult r =
        RunContorra({"build", scene.string(), "--save", (dir.path / "hard.cscene").string()});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("--save) would overwrite the scene"), std::string::npos) << r.err;
    r = RunContorra({"build", scene.string(), "--preview", (dir.path / "soft.png").string()});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("would overwrite the scene"), std::string::npos) << r.err;
    r = RunContorra({"render", scene.string(), "-o", (dir.path / "soft.png").string()});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("would overwrite the scene"), std::string::npos) << r.err;
    EXPECT_EQ(Slurp(scene), original);

    // Two outputs that do not exist yet, one named through a symlinked folder.
    r = RunContorra({"build", scene.string(), "-o", (dir.path / "sub" / "t.gltf").string(),
                     "--preview", (dir.path / "up" / "sub" / "t.png").string(), "--save",
                     (dir.path / "up" / "sub" / ".." / "sub" / "t.cscene").string()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(fs::exists(dir.path / "sub" / "t.bin"));
}

// Bytes from "12.3 MiB" and the like.
double ParseBytes(const std::string& number, const std::string& unit) {
    const double v = std::stod(number);
    const std::vector<std::string> units = {"bytes", "KiB", "MiB", "GiB", "TiB"};
    for (std::size_t i = 0; i < units.size(); ++i)
        if (unit == units[i]) return v * std::pow(1024.0, static_cast<double>(i));
    return -1.0;
}

// The peak resident size of a child contorra in bytes; -1 when it failed.
long long PeakRss(const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(CONTORRA_BINARY)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        execv(CONTORRA_BINARY, argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return static_cast<long long>(usage.ru_maxrss) * 1024;
}

// GCC names its sanitizers with macros, clang answers __has_feature.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define CONTORRA_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define CONTORRA_SANITIZED 1
#endif

TEST(BuildMemory, StaysWithinTheEstimateItAnnounces) {
#ifdef CONTORRA_SANITIZED
    GTEST_SKIP() << "a sanitizer's shadow memory is no part of the estimate";
#endif
    Dir dir("memory");
    for (const char* example : {"contours_only.json", "full_site.json"}) {
        const fs::path scene = SceneWithLevels(dir.path, example, 10);
        // A limit of one byte makes contorra say what the build needs.
        const RunResult refused = RunContorra({"build", scene.string(), "--max-memory", "1"});
        ASSERT_EQ(refused.code, 2) << refused.err;
        std::smatch m;
        ASSERT_TRUE(std::regex_search(refused.err, m, std::regex("needs about ([0-9.]+) (\\w+)")))
            << refused.err;
        const double estimate = ParseBytes(m[1], m[2]);
        ASSERT_GT(estimate, 0.0) << refused.err;

        const long long peak =
            PeakRss({"--quiet", "build", scene.string(), "-o", (dir.path / "t.obj").string()});
        ASSERT_GT(peak, 0) << example;
        EXPECT_LE(static_cast<double>(peak), estimate) << example;
        // An estimate many times the need would refuse builds that fit.
        EXPECT_GE(static_cast<double>(peak), estimate / 4.0) << example;
    }
}

} // namespace
