// contorra render, run as a user would: the example scene, thread-count
// independence, an edge gradient seen from above, and the errors.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/app/png_file.h"
#include "tests/e2e/run_command.h"

namespace fs = std::filesystem;

namespace {

RunResult Render(const std::string& args) {
    return RunShell("'" CONTORRA_BINARY "' render " + args);
}

class RenderCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("contorra_render_" + std::to_string(getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }
    std::string Write(const std::string& name, const std::string& text) const {
        std::ofstream(dir / name) << text;
        return Path(name);
    }
    fs::path dir;
};

const std::string kExample = CONTORRA_SOURCE_DIR "/examples/edge_gradient.json";

TEST_F(RenderCommand, ExampleRendersTheSameWithOneAndEightThreads) {
    RunResult one = Render("'" + kExample + "' -o '" + Path("one.png") +
                           "' --size 200x150 --threads 1 --quiet");
    ASSERT_EQ(one.code, 0) << one.err;
    EXPECT_EQ(one.err, "");
    RunResult eight =
        Render("'" + kExample + "' -o '" + Path("eight.png") + "' --size 200x150 --threads 8");
    ASSERT_EQ(eight.code, 0) << eight.err;
    EXPECT_NE(eight.err.find("8 threads"), std::string::npos) << eight.err;

    const std::string a = Slurp(Path("one.png")), b = Slurp(Path("eight.png"));
    ASSERT_FALSE(a.empty());
    EXPECT_TRUE(a == b) << "the PNGs differ";
    contorra::RasterImage image = contorra::ReadPng(Path("one.png"));
    EXPECT_EQ(image.Width(), 200);
    EXPECT_EQ(image.Height(), 150);
}

// A 4 x 4 square seen from straight above: red at its open border, green
// from one unit inwards.
TEST_F(RenderCommand, GradientFollowsTheOpenBorderFromAbove) {
    const std::string scene = Write("square.json", R"({
      "materials": [{"name": "m", "diffuse_map": {"type": "GradientEdge",
          "parameters": {"Distance": 1, "open edges": true},
          "markers": [{"position": 0, "color": "#ff0000"}, {"position": 1, "color": "#00ff00"}]}}],
      "nodes": [{"name": "ground", "material": "m", "object": {"type": "mesh",
          "vertices": [[0,0,0],[4,0,0],[4,4,0],[0,4,0]], "faces": [[0,1,2],[0,2,3]]}}]})");
    RunResult r =
        Render("'" + scene + "' -o '" + Path("top.png") + "' --size 100x100 --camera top -q");
    ASSERT_EQ(r.code, 0) << r.err;
    contorra::RasterImage image = contorra::ReadPng(Path("top.png"));
    auto at = [&](int x, int y) { return image.Pixel(x, y); };
    // The square fills the image but for a 2% margin: pixel 3 is about 0.05
    // units in, pixel 50 two units in.
    const std::pair<int, int> border[] = {{3, 50}, {96, 50}, {50, 3}, {50, 96}};
    for (auto [x, y] : border) {
        auto p = at(x, y);
        EXPECT_GT(p.r, 2 * p.g + 20) << x << ", " << y;
    }
    const std::pair<int, int> inside[] = {{50, 50}, {35, 60}};
    for (auto [x, y] : inside) {
        auto p = at(x, y);
        EXPECT_GT(p.g, 2 * p.r + 20) << x << ", " << y;
    }
    // Half a unit in lies between the two.
    auto half = at(14, 50);
    EXPECT_GT(half.r, 30);
    EXPECT_GT(half.g, 30);
}

TEST_F(RenderCommand, UsageErrorsExitTwoAndWriteNothing) {
    const std::string out = Path("never.png");
    const std::string cases[] = {
        "'" + kExample + "'",                              // no output
        "-o '" + out + "'",                                // no scene
        "'" + kExample + "' -o '" + out + "' --size 0x10", // empty image
        "'" + kExample + "' -o '" + out + "' --size 64",
        "'" + kExample + "' -o '" + out + "' --threads 0",
        "'" + kExample + "' -o '" + out + "' --camera 1,2,3",
        "'" + kExample + "' -o '" + out + "' --camera 1,1,1,1,1,1", // eye on the target
        "'" + kExample + "' -o '" + out + "' --fast",
        "'" + kExample + "' -o '" + Path("no-such-folder/x.png") + "'",
    };
    for (const std::string& args : cases) {
        RunResult r = Render(args);
        EXPECT_EQ(r.code, 2) << args << "\n" << r.err;
        EXPECT_FALSE(r.err.empty()) << args;
    }
    EXPECT_FALSE(fs::exists(out));
    RunResult help = Render("--help");
    EXPECT_EQ(help.code, 0);
}

TEST_F(RenderCommand, SceneErrorsNameFileAndJsonPath) {
    const std::string out = Path("bad.png");
    std::ofstream(out) << "old image";
    const std::string scene = Write("bad.json", R"({
      "materials": [{"name": "m", "diffuse_map": {"type": "GradientEdge",
          "markers": [{"position": 0}, {"position": 2}]}}],
      "nodes": []})");
    RunResult r = Render("'" + scene + "' -o '" + out + "'");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find(scene + ": /materials/0/diffuse_map/markers/1/position: "),
              std::string::npos)
        << r.err;
    EXPECT_EQ(Slurp(out), "old image");
}

} // namespace
