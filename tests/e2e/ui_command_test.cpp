// contorra ui: a script that sets the terrain's level count through its
// spinner's edit and presses "Generate Surface" saves the mesh contorra build
// makes with that level count; screenshots come out; a bad step writes nothing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>

#include "tests/e2e/run_command.h"

namespace {

namespace fs = std::filesystem;

const fs::path kBuildDir = fs::path(CONTORRA_BINARY).parent_path();
const fs::path kSource = CONTORRA_SOURCE_DIR;

// The terrain line of e2e_mesh_digest: name, counts and digest.
std::string TerrainDigest(const fs::path& scene) {
    const RunResult r =
        RunShell(Quote((kBuildDir / "e2e_mesh_digest").string()) + " " +
                 Quote((kBuildDir / "contorra.dlo").string()) + " " + Quote(scene.string()));
    EXPECT_EQ(r.code, 0) << r.err;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("Terrain ", 0) == 0) return line;
    return "(no terrain in " + scene.string() + ")";
}

class UiCommand : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kBuildDir / "e2e_mesh_digest"))
            GTEST_SKIP() << "the digest helper is not built";
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
    const RunResult built =
        RunShell(QuietContorra("build " + Quote((dir / "site8.json").string()) + " --save " +
                               Quote((dir / "built.cscene").string())));
    ASSERT_EQ(built.code, 0) << built.err;

    const RunResult ui = RunShell(QuietContorra(
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
        {"do": "close", "rollout": "Splines"}, {"do": "close", "rollout": "Platforms"},
        {"do": "close", "rollout": "Insert"}, {"do": "close", "rollout": "UVWMap"},
        {"do": "type", "control": 1088, "text": "8", "enter": true},)";
    std::ofstream(dir / "plain.json")
        << R"({"steps": [)" << steps << R"({"do": "click", "control": "Generate Surface"}]})";
    std::ofstream(dir / "cancel.json")
        << R"({"steps": [)" << steps
        << R"({"do": "cancel", "title": "Surface Building", "percent": 30},
              {"do": "click", "control": "Generate Surface"}]})";
    for (const char* name : {"plain", "cancel"}) {
        const RunResult r =
            RunShell(QuietContorra("ui " + Quote((kSource / "examples/full_site.json").string()) +
                                   " " + Quote((dir / (std::string(name) + ".json")).string()) +
                                   " --out " + Quote((dir / "shots").string()) + " --save " +
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
    const RunResult r = RunShell(QuietContorra(
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
    const RunResult t = RunShell(QuietContorra(
        "ui " + Quote((kSource / "examples/contours_only.json").string()) + " " +
        Quote((dir / "typo.json").string()) + " --out " + Quote((dir / "shots").string())));
    EXPECT_EQ(t.code, 2);
    EXPECT_NE(t.err.find("typo.json: step 1 (select): unknown key \"nod\""), std::string::npos)
        << t.err;
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
    const RunResult r = RunShell(QuietContorra(
        "ui " + Quote((kSource / "examples/draped_road.json").string()) + " " +
        Quote((dir / "pick.json").string()) + " --out " + Quote((dir / "shots").string()) +
        " --save " + Quote((dir / "picked.cscene").string())));
    ASSERT_EQ(r.code, 0) << r.err;
    const RunResult info =
        RunShell(QuietContorra("info " + Quote((dir / "picked.cscene").string())));
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
        {"do": "close", "rollout": "Splines"}, {"do": "close", "rollout": "Platforms"},
        {"do": "close", "rollout": "Insert"}, {"do": "close", "rollout": "UVWMap"},
        {"do": "type", "control": 1088, "text": "8"},
        {"do": "key", "key": "Enter"},
        {"do": "click", "control": 1089, "at": [1, 1]}]})";
    const std::string scene = Quote((kSource / "examples/contours_only.json").string());
    const RunResult r = RunShell(QuietContorra(
        "ui " + scene + " " + Quote((dir / "keys.json").string()) + " --out " +
        Quote((dir / "shots").string()) + " --save " + Quote((dir / "keys.cscene").string())));
    ASSERT_EQ(r.code, 0) << r.err;
    const RunResult info = RunShell(QuietContorra("info " + Quote((dir / "keys.cscene").string())));
    EXPECT_NE(info.out.find("Interations = 9"), std::string::npos) << info.out;

    std::ofstream(dir / "outside.json") << R"({"steps": [
        {"do": "select", "node": "Terrain"},
        {"do": "close", "rollout": "Splines"}, {"do": "close", "rollout": "Platforms"},
        {"do": "close", "rollout": "Insert"}, {"do": "close", "rollout": "UVWMap"},
        {"do": "click", "control": 1089, "at": [0, 400]}]})";
    const RunResult o =
        RunShell(QuietContorra("ui " + scene + " " + Quote((dir / "outside.json").string()) +
                               " --out " + Quote((dir / "shots2").string())));
    EXPECT_EQ(o.code, 2);
    EXPECT_NE(o.err.find("step 6 (click): \"at\" 0,400 lies outside the control"),
              std::string::npos)
        << o.err;
}

TEST_F(UiCommand, TheWheelAndTheScrollBarBringTheMainRolloutIntoView) {
    // In a small window the main rollout lies below the four list rollouts;
    // its level count can be typed only once the panel has moved down.
    const std::string scene = Quote((kSource / "examples/contours_only.json").string());
    const std::string head = R"({"window": {"width": 640, "height": 480}, "steps": [
        {"do": "select", "node": "Terrain"},)";
    const std::string type = R"({"do": "type", "control": 1088, "text": "TEXT", "enter": true}]})";
    auto run = [&](const std::string& name, const std::string& move, const std::string& text) {
        std::string t = type;
        t.replace(t.find("TEXT"), 4, text);
        std::ofstream(dir / (name + ".json")) << head << move << t;
        return RunShell(QuietContorra("ui " + scene + " " +
                                      Quote((dir / (name + ".json")).string()) + " --out " +
                                      Quote((dir / name).string()) + " --save " +
                                      Quote((dir / (name + ".cscene")).string())));
    };
    const RunResult still = run("still", "", "7");
    EXPECT_EQ(still.code, 2);
    EXPECT_NE(still.err.find("step 2 (type): control 1088 is scrolled out of the panel"),
              std::string::npos)
        << still.err;

    for (const auto& [name, move, text] : {std::tuple<std::string, std::string, std::string>{
                                               "wheel", R"({"do": "wheel", "clicks": -40},)", "8"},
                                           {"bar", R"({"do": "scroll", "to": 100000},)", "9"}}) {
        const RunResult r = run(name, move, text);
        ASSERT_EQ(r.code, 0) << name << ": " << r.err;
        const RunResult info =
            RunShell(QuietContorra("info " + Quote((dir / (name + ".cscene")).string())));
        EXPECT_NE(info.out.find("Interations = " + text), std::string::npos)
            << name << ": " << info.out;
    }
    // A turn back up hides it again.
    const RunResult back =
        run("back", R"({"do": "scroll", "to": 100000}, {"do": "wheel", "clicks": 40},)", "6");
    EXPECT_EQ(back.code, 2) << back.err;
}

} // namespace
