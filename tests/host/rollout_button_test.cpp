// Pressing a rollout's button found through the module's resource script,
// with the fixture module: its block shows four rollouts out of map order,
// one with a "Generate Surface" label and control 253 on another button.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "host/app/core_interface.h"
#include "host/app/plugin_loader.h"
#include "host/app/terrain_build.h"
#include "host/sdk/tri_object.h"
#include "tests/host/fixtures/fixture_resource.h"

using namespace contorra;

namespace {

constexpr ParamID kPressed = 1; // map * 10000 + control id of the last command

class RolloutButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
        const std::string dlo = (exe.parent_path() / "fixtures" / "fixture_good.dlo").string();
        std::string error;
        PluginModule* m = registry.LoadModule(dlo, error);
        ASSERT_NE(m, nullptr) << error;
        obj = static_cast<Object*>(static_cast<Animatable*>(m->classes[0]->Create(FALSE)));
        pb = obj->GetParamBlock(0);
    }
    void TearDown() override {
        if (obj) obj->DeleteThis();
    }

    ClassRegistry registry;
    Scene scene;
    std::ostringstream progress;
    CoreInterface core{scene, ProgressStyle::Quiet, progress};
    Object* obj = nullptr;
    IParamBlock2* pb = nullptr;
};

TEST_F(RolloutButtonTest, GenerateGoesToTheRolloutWhoseDialogHoldsTheButton) {
    std::string error;
    ASSERT_TRUE(PressGenerate(obj, &core, error)) << error;
    EXPECT_EQ(pb->GetInt(kPressed), 1 * 10000 + IDC_FIXTURE_GENERATE)
        << "map 1 and the button's id, not the label's map 3 or control 253";
    for (MapID map : {0, 1, 2, 3}) EXPECT_EQ(pb->GetMap(map), nullptr) << "closed again";

    ASSERT_TRUE(PressRolloutButton(obj, &core, "Reset", error)) << error;
    EXPECT_EQ(pb->GetInt(kPressed), 3 * 10000 + IDC_RESET);
}

TEST_F(RolloutButtonTest, NoButtonOrTwoAreRefusedWithTheScriptAndThePlaces) {
    std::string error;
    EXPECT_FALSE(PressRolloutButton(obj, &core, "Close", error));
    EXPECT_NE(error.find("fixture_good.rc: no rollout of the \"FixtureBox\" object "
                         "(dialogs 101, 102, 150, 103) holds a push button \"Close\""),
              std::string::npos)
        << error;

    EXPECT_FALSE(PressRolloutButton(obj, &core, "Apply", error));
    EXPECT_NE(error.find("2 push buttons \"Apply\" where one is needed: control 1301 (map 3, "
                         "dialog 102), control 1302 (map 1, dialog 103)"),
              std::string::npos)
        << error;
    EXPECT_EQ(pb->GetInt(kPressed), 0) << "nothing was sent";

    TriObject* plain = CreateNewTriObject();
    EXPECT_FALSE(PressGenerate(plain, &core, error));
    EXPECT_NE(error.find("has no rollouts declared by a plug-in module"), std::string::npos)
        << error;
    plain->DeleteThis();
}

TEST(RolloutButtons, OnlyPushButtonsOfTheMapsDialogsCountByTheirShownCaption) {
    std::string error;
    const auto script = ParseResourceScript(R"(
10 DIALOG 0, 0, 50, 50
BEGIN
    LTEXT "Go", 1, 0, 0, 10, 10
    PUSHBUTTON "&Go", 11, 0, 0, 10, 10
END
20 DIALOGEX 0, 0, 50, 50
BEGIN
    CONTROL "Go", 22, "Button", 0, 0, 0, 10, 10
    DEFPUSHBUTTON "Go", 21, 0, 0, 10, 10
    PUSHBUTTON "Save && Go", 23, 0, 0, 10, 10
END
30 DIALOG 0, 0, 50, 50
BEGIN
    PUSHBUTTON "Go", 31, 0, 0, 10, 10
END
)",
                                            "inline.rc", ".", error);
    ASSERT_TRUE(script) << error;
    const std::vector<MapDef> maps = {{5, 20}, {7, 10}, {8, 99}};
    const std::vector<RolloutButton> go = FindRolloutButtons(maps, *script, "Go");
    ASSERT_EQ(go.size(), 2u);
    EXPECT_EQ(go[0].map, 5);
    EXPECT_EQ(go[0].dialogId, 20);
    EXPECT_EQ(go[0].controlId, 21);
    EXPECT_EQ(go[1].map, 7);
    EXPECT_EQ(go[1].controlId, 11);
    const std::vector<RolloutButton> save = FindRolloutButtons(maps, *script, "Save & Go");
    ASSERT_EQ(save.size(), 1u);
    EXPECT_EQ(save[0].controlId, 23);
    EXPECT_TRUE(FindRolloutButtons(maps, *script, "&Go").empty());
}

} // namespace
