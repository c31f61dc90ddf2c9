// contorra ui: a script that sets the terrain's level count through its
// spinner's edit and presses "Generate Surface" saves the mesh contorra build
// makes with that level count; screenshots come out; a bad step writes nothing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/e2e/run_command.h"

namespace {

namespace fs = std::filesystem;

const fs::path kBuildDir = fs::path(CONTORRA_BINARY).parent_path();
const fs::path kSource = CONTORRA_SOURCE_DIR;

std::string Contorra(const std::string& args) {
    return Quote(CONTORRA_BINARY) + " --quiet --plugin " + Quote((kBuildDir / "contorra.dlo").string()) +
           " " + args;
}

// The terrain line of e2e_mesh_digest: name, counts and digest.
std::string TerrainDigest(const fs::path& scene) {
    const RunResult r = RunShell(Quote((kBuildDir / "e2e_mesh_digest").string()) + " " +
                                 Quote((kBuildDir / "contorra.dlo").string()) + " " +
                                 Quote(scene.string()));
    EXPECT_EQ(r.code, 0) << r.err;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("Terrain ", 0) == 0) return line;
    return "(no terrain in " + scene.string() + ")";
}

class UiCommand : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kBuildDir / "e2e_mesh_digest")) GTEST_SKIP() << "the digest helper is not built";
        dir = fs::temp_directory_path() / ("contorra_ui_" + std::to_string(getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(UiCommand, GenerateThroughThePanelMatchesTheCommandLineBuild) {
    // The same scene with 8 levels, built by contorra build.
    std::string scene = Slurp(kSource / "examples/full_site.json");
    const std::string from = "\"Interations\": 10";
    const std::size_t at = scene.find(from);
    ASSERT_NE(at, std::string::npos);
    scene.replace(at, from.size(), "\"Interations\": 8");
    std::ofstream(dir / "site8.json") << scene;
    const RunResult built = RunShell(Contorra("build " + Quote((dir / "site8.json").string()) +
                                              " --save " + Quote((dir / "built.cscene").string())));
    ASSERT_EQ(built.code, 0) << built.err;

    const RunResult ui = RunShell(Contorra(
        "ui " + Quote((kSource / "examples/full_site.json").string()) + " " +
        Quote((kSource / "examples/ui/generate.json").string()) + " --out " +
        Quote((dir / "shots").string()) + " --save " + Quote((dir / "ui.cscene").string())));
    ASSERT_EQ(ui.code, 0) << ui.err;
    EXPECT_EQ(TerrainDigest(dir / "ui.cscene"), TerrainDigest(dir / "built.cscene"));
    EXPECT_TRUE(fs::exists(dir / "shots/generate.png"));
    EXPECT_TRUE(fs::exists(dir / "shots/panel.png"));
}

TEST_F(UiCommand, CancelInTheProgressWindowShortensTheBuildWhichStillEnds) {
    const std::string steps = R"({"do": "select", "node": "Terrain"},
        {"do": "type", "control": 1088, "text": "8", "enter": true},)";
    std::ofstream(dir / "plain.json")
        << R"({"steps": [)" << steps << R"({"do": "click", "control": "Generate Surface"}]})";
    std::ofstream(dir / "cancel.json")
        << R"({"steps": [)" << steps
        << R"({"do": "cancel", "title": "Surface Building", "percent": 30},
              {"do": "click", "control": "Generate Surface"}]})";
    for (const char* name : {"plain", "cancel"}) {
        const RunResult r = RunShell(Contorra(
            "ui " + Quote((kSource / "examples/full_site.json").string()) + " " +
            Quote((dir / (std::string(name) + ".json")).string()) + " --out " +
            Quote((dir / "shots").string()) + " --save " +
            Quote((dir / (std::string(name) + ".cscene")).string())));
        ASSERT_EQ(r.code, 0) << r.err;
    }
    const std::string plain = TerrainDigest(dir / "plain.cscene");
    const std::string cancelled = TerrainDigest(dir / "cancel.cscene");
    EXPECT_NE(cancelled, plain);
    // "Terrain VERTS FACES DIGEST": the cut-short build still made a mesh.
    std::istringstream in(cancelled);
    std::string name;
    int verts = 0, faces = 0;
    in >> name >> verts >> faces;
    EXPECT_GT(faces, 0) << cancelled;
}

TEST_F(UiCommand, AFailingStepWritesNothingAndNamesTheStep) {
    std::ofstream(dir / "bad.json") << R"({"steps": [
        {"do": "select", "node": "Terrain"},
        {"do": "shot", "of": "panel", "file": "first.png"},
        {"do": "click", "control": "Generate"}]})";
    const RunResult r = RunShell(Contorra(
        "ui " + Quote((kSource / "examples/contours_only.json").string()) + " " +
        Quote((dir / "bad.json").string()) + " --out " + Quote((dir / "shots").string()) +
        " --save " + Quote((dir / "out.cscene").string())));
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("bad.json: step 3 (click): no control captioned \"Generate\""),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(dir / "shots"));
    EXPECT_FALSE(fs::exists(dir / "out.cscene"));

    std::ofstream(dir / "typo.json") << R"({"steps": [{"do": "select", "nod": "Terrain"}]})";
    const RunResult t = RunShell(Contorra("ui " + Quote((kSource / "examples/contours_only.json").string()) +
                                          " " + Quote((dir / "typo.json").string()) + " --out " +
                                          Quote((dir / "shots").string())));
    EXPECT_EQ(t.code, 2);
    EXPECT_NE(t.err.find("typo.json: step 1 (select): unknown key \"nod\""), std::string::npos) << t.err;
}

TEST_F(UiCommand, TheConformRolloutPicksItsTerrainInAViewport) {
    // The road's modifier is pointed at a contour instead of the terrain,
    // through its pick button and a click on the contour in the top view.
    std::ofstream(dir / "pick.json") << R"({"steps": [
        {"do": "select", "node": "Road"},
        {"do": "shot", "of": "panel", "file": "before.png"},
        {"do": "click", "control": 1016},
        {"do": "pick", "view": "top", "node": "Contour 108"},
        {"do": "shot", "of": "panel", "file": "after.png"}]})";
    const RunResult r = RunShell(Contorra(
        "ui " + Quote((kSource / "examples/draped_road.json").string()) + " " +
        Quote((dir / "pick.json").string()) + " --out " + Quote((dir / "shots").string()) +
        " --save " + Quote((dir / "picked.cscene").string())));
    ASSERT_EQ(r.code, 0) << r.err;
    const RunResult info = RunShell(Contorra("info " + Quote((dir / "picked.cscene").string())));
    ASSERT_EQ(info.code, 0) << info.err;
    EXPECT_NE(info.out.find("Land_Object = node \"Contour 108\""), std::string::npos) << info.out;
    EXPECT_EQ(info.out.find("Land_Object = node \"Terrain\""), std::string::npos) << info.out;
    // The two panel shots differ: the button shows the picked node's name.
    EXPECT_NE(Slurp(dir / "shots/before.png"), Slurp(dir / "shots/after.png"));
}

TEST_F(UiCommand, KeysAndPointsInsideAControlReachIt) {
    // Enter hands the typed 8 to the spinner; a click on the spinner's upper
    // arrow then steps it to 9 (its centre would step down to 7).
    std::ofstream(dir / "keys.json") << R"({"steps": [
        {"do": "select", "node": "Terrain"},
        {"do": "type", "control": 1088, "text": "8"},
        {"do": "key", "key": "Enter"},
        {"do": "click", "control": 1089, "at": [1, 1]}]})";
    const std::string scene = Quote((kSource / "examples/contours_only.json").string());
    const RunResult r = RunShell(Contorra("ui " + scene + " " + Quote((dir / "keys.json").string()) +
                                          " --out " + Quote((dir / "shots").string()) + " --save " +
                                          Quote((dir / "keys.cscene").string())));
    ASSERT_EQ(r.code, 0) << r.err;
    const RunResult info = RunShell(Contorra("info " + Quote((dir / "keys.cscene").string())));
    EXPECT_NE(info.out.find("Interations = 9"), std::string::npos) << info.out;

    std::ofstream(dir / "outside.json") << R"({"steps": [
        {"do": "select", "node": "Terrain"},
        {"do": "click", "control": 1089, "at": [0, 400]}]})";
    const RunResult o = RunShell(Contorra("ui " + scene + " " + Quote((dir / "outside.json").string()) +
                                          " --out " + Quote((dir / "shots2").string())));
    EXPECT_EQ(o.code, 2);
    EXPECT_NE(o.err.find("step 2 (click): \"at\" 0,400 lies outside the control"), std::string::npos)
        << o.err;
}

} // namespace
