// Every bundled example builds the same terrain meshes, byte for byte, as the
// ones recorded in golden/mesh_digests.txt (re-record with
// tests/e2e/golden/record-mesh-digests only when a change means to alter them).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "tests/e2e/run_command.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSource = CONTORRA_SOURCE_DIR;
const fs::path kBuildDir = fs::path(CONTORRA_BINARY).parent_path();

// "node verts faces digest" lines by example name.
std::map<std::string, std::string> Golden() {
    std::map<std::string, std::string> byExample;
    std::ifstream in(kSource / "tests/e2e/golden/mesh_digests.txt");
    std::string line;
    while (std::getline(in, line)) {
        const auto space = line.find(' ');
        if (space != std::string::npos)
            byExample[line.substr(0, space)] += line.substr(space + 1) + "\n";
    }
    return byExample;
}

// One thread, or more than there are pieces in some stages: the same meshes.
TEST(MeshDigest, EveryExampleBuildsTheRecordedMeshesOnAnyThreadCount) {
    const auto golden = Golden();
    ASSERT_FALSE(golden.empty()) << "no recorded digests";
    const fs::path dir = fs::temp_directory_path() / ("contorra_digest_" + std::to_string(getpid()));
    fs::create_directories(dir);
    for (const char* threads : {"1", "3"})
    for (const auto& [name, expected] : golden) {
        SCOPED_TRACE(std::string(threads) + " threads");
        const fs::path scene = kSource / "examples" / (name + ".json");
        const fs::path saved = dir / (name + ".cscene");
        const RunResult build =
            RunShell(Quote(CONTORRA_BINARY) + " -q build --threads " + threads + " " +
                     Quote(scene.string()) + " --save " + Quote(saved.string()));
        ASSERT_EQ(build.code, 0) << name << ": " << build.err;
        const RunResult digest =
            RunShell(Quote((kBuildDir / "e2e_mesh_digest").string()) + " " +
                     Quote((kBuildDir / "contorra.dlo").string()) + " " + Quote(saved.string()));
        ASSERT_EQ(digest.code, 0) << name << ": " << digest.err;
        EXPECT_EQ(digest.out, expected) << name;
    }
    fs::remove_all(dir);
}

} // namespace
