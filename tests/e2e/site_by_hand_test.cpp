// contorra ui: the full site built by hand through the terrain's list
// rollouts (every contour, the pad, the inserts and the road axis picked in
// the viewports, their values set with the rollouts' controls) saves the
// same scene, byte for byte, as contorra build makes from the JSON lists.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/e2e/run_command.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSource = CONTORRA_SOURCE_DIR;

TEST(SiteByHand, PickingAndTypingTheListsBuildsTheSameSceneAsTheJsonLists) {
    const fs::path dir =
        fs::temp_directory_path() / ("contorra_by_hand_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const RunResult built =
        RunShell(QuietContorra("build " + Quote((kSource / "examples/full_site.json").string()) +
                               " --save " + Quote((dir / "built.cscene").string())));
    ASSERT_EQ(built.code, 0) << built.err;
    const RunResult ui = RunShell(QuietContorra(
        "ui " + Quote((kSource / "examples/ui/full_site_empty.json").string()) + " " +
        Quote((kSource / "examples/ui/full_site_by_hand.json").string()) + " --out " +
        Quote((dir / "shots").string()) + " --save " + Quote((dir / "hand.cscene").string())));
    ASSERT_EQ(ui.code, 0) << ui.err;
    const std::string hand = Slurp(dir / "hand.cscene");
    EXPECT_GT(hand.size(), 100000u);
    EXPECT_TRUE(hand == Slurp(dir / "built.cscene"));
    fs::remove_all(dir);
}

} // namespace
