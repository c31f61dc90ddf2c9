// contorra ui with the material editor: a script that shapes the default
// ramp into edge_gradient.json's through the ramp control saves a material
// whose render is byte for byte the JSON scene's; a material the scene does
// not hold is refused by name.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/e2e/run_command.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSource = CONTORRA_SOURCE_DIR;

class MaterialEditorCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("contorra_mtl_" + std::to_string(getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    RunResult Render(const fs::path& scene, const fs::path& png) {
        return RunShell(QuietContorra("render " + Quote(scene.string()) + " -o " +
                                      Quote(png.string()) + " --size 320x240 --threads 2"));
    }
    fs::path dir;
};

TEST_F(MaterialEditorCommand, TheRampShapedInTheControlRendersAsTheJsonRamp) {
    const RunResult ui = RunShell(QuietContorra(
        "ui " + Quote((kSource / "examples/edge_gradient_default.json").string()) + " " +
        Quote((kSource / "examples/ui/edge_gradient_ramp.json").string()) + " --out " +
        Quote((dir / "shots").string()) + " --save " + Quote((dir / "ramp.cscene").string())));
    ASSERT_EQ(ui.code, 0) << ui.err;
    EXPECT_TRUE(fs::exists(dir / "shots/edge_gradient_ramp.png"));

    ASSERT_EQ(Render(dir / "ramp.cscene", dir / "from_ui.png").code, 0);
    ASSERT_EQ(Render(kSource / "examples/edge_gradient.json", dir / "from_json.png").code, 0);
    ASSERT_EQ(Render(kSource / "examples/edge_gradient_default.json", dir / "default.png").code, 0);
    const std::string json = Slurp(dir / "from_json.png");
    EXPECT_EQ(Slurp(dir / "from_ui.png"), json);
    // The default ramp looks otherwise, so the comparison can fail.
    EXPECT_NE(Slurp(dir / "default.png"), json);
}

TEST_F(MaterialEditorCommand, AnUnknownMaterialOrMapClassNamesTheStep) {
    std::ofstream(dir / "bad.json") << R"({"steps": [{"do": "material", "name": "stone"}]})";
    const RunResult r = RunShell(QuietContorra(
        "ui " + Quote((kSource / "examples/edge_gradient.json").string()) + " " +
        Quote((dir / "bad.json").string()) + " --out " + Quote((dir / "shots").string())));
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("bad.json: step 1 (material): no material named \"stone\""),
              std::string::npos)
        << r.err;

    std::ofstream(dir / "browse.json") << R"({"steps": [{"do": "browse", "map": "Marble"}]})";
    const RunResult b = RunShell(QuietContorra(
        "ui " + Quote((kSource / "examples/edge_gradient.json").string()) + " " +
        Quote((dir / "browse.json").string()) + " --out " + Quote((dir / "shots").string())));
    EXPECT_EQ(b.code, 2);
    EXPECT_NE(b.err.find("step 1 (browse): no texture map class named \"Marble\""),
              std::string::npos)
        << b.err;
}

} // namespace
