// Every bundled example builds the same terrain meshes, byte for byte, as the
// ones recorded in golden/mesh_digests.txt (re-record with
// tests/e2e/golden/record-mesh-digests only when a change means to alter them).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

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

std::string RunCommand(const std::string& cmd) {
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return out;
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    const int status = pclose(p);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) out += "(exit status " + std::to_string(status) + ")\n";
    return out;
}

TEST(MeshDigest, EveryExampleBuildsTheRecordedMeshes) {
    const auto golden = Golden();
    ASSERT_FALSE(golden.empty()) << "no recorded digests";
    const fs::path dir = fs::temp_directory_path() / ("contorra_digest_" + std::to_string(getpid()));
    fs::create_directories(dir);
    for (const auto& [name, expected] : golden) {
        const fs::path scene = kSource / "examples" / (name + ".json");
        const fs::path saved = dir / (name + ".cscene");
        const std::string build = "'" + std::string(CONTORRA_BINARY) + "' -q build '" +
                                  scene.string() + "' --save '" + saved.string() + "' 2>&1";
        ASSERT_EQ(RunCommand(build), "") << name;
        const std::string digest = RunCommand("'" + (kBuildDir / "e2e_mesh_digest").string() + "' '" +
                                       (kBuildDir / "contorra.dlo").string() + "' '" +
                                       saved.string() + "'");
        EXPECT_EQ(digest, expected) << name;
    }
    fs::remove_all(dir);
}

} // namespace
