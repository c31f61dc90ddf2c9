// A terrain saved to a scene file answers the same heights when another process
// reads the file back.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kBuildDir = fs::path(CONTORRA_BINARY).parent_path();

struct Output {
    int code = -1;
    std::string text;
};

Output RunTool(const std::string& args) {
    std::string cmd = "'";
    cmd += (kBuildDir / "e2e_terrain_heights").string() + "' '" +
           (kBuildDir / "contorra.dlo").string() + "' " + args;
    Output o;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return o;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) o.text.append(buf, n);
    const int status = pclose(p);
    o.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return o;
}

struct Probe {
    double x, y, z;
};

std::vector<Probe> Parse(const std::string& text) {
    std::vector<Probe> v;
    std::istringstream in(text);
    Probe p{};
    while (in >> p.x >> p.y >> p.z) v.push_back(p);
    return v;
}

} // namespace

TEST(SavedTerrain, AnswersTheSameHeightsInANewProcess) {
    if (!fs::exists(kBuildDir / "e2e_terrain_heights") || !fs::exists(kBuildDir / "contorra.dlo"))
        GTEST_SKIP() << "the plug-in or its test helper is not built";
    const fs::path scene =
        fs::temp_directory_path() / ("saved_terrain_" + std::to_string(getpid()) + ".cscene");

    const Output written = RunTool("write '" + scene.string() + "' 10000");
    ASSERT_EQ(written.code, 0);
    const Output read = RunTool("read '" + scene.string() + "'");
    fs::remove(scene);
    ASSERT_EQ(read.code, 0);

    const std::vector<Probe> before = Parse(written.text), after = Parse(read.text);
    ASSERT_EQ(before.size(), 10000u);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(read.text, written.text);

    // The heights are those of the surface the terrain mesh was sampled from,
    // and nothing outside the mesh.
    int inside = 0;
    for (const Probe& p : after) {
        if (p.x > 0.0 && p.x < 60.0 && p.y > 0.0 && p.y < 60.0) {
            const double f = 5.0 * std::sin(p.x / 10.0) * std::cos(p.y / 12.0) + 0.2 * p.x;
            ASSERT_NEAR(p.z, f, 0.05) << p.x << ", " << p.y;
            ++inside;
        } else if (p.x < -0.01 || p.x > 60.01 || p.y < -0.01 || p.y > 60.01) {
            ASSERT_EQ(p.z, 0.0) << p.x << ", " << p.y;
        }
    }
    EXPECT_GT(inside, 6000);
}
