// Input scripts: a script of every action reads into the steps it says, and
// every malformed step is refused with the file, the step and the problem.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "host/app/ui/ui_script.h"

namespace {

using contorra::ParseUiScript;
using contorra::UiAction;
using contorra::UiScriptError;
using contorra::UiShotTarget;

std::string ErrorOf(const std::string& text) {
    try {
        ParseUiScript(text, "s.json");
    } catch (const UiScriptError& e) {
        return e.what();
    }
    return "(accepted)";
}

std::string OneStep(const std::string& step) {
    return ErrorOf(R"({"steps": [{"do": "select", "node": "T"}, )" + step + "]}");
}

TEST(UiScript, ReadsEveryAction) {
    const auto s = ParseUiScript(R"({"window": {"width": 1000, "height": 700}, "steps": [
        {"do": "select", "node": "Terrain"},
        {"do": "select", "node": null},
        {"do": "open", "rollout": "Parameters"},
        {"do": "click", "control": "Generate Surface", "modifiers": ["shift", "alt"],
         "button": "right", "double": true},
        {"do": "drag", "control": 1089, "rollout": "Parameters", "by": [0, -30], "at": [3, 4]},
        {"do": "type", "control": 1088, "text": "8", "enter": true},
        {"do": "wheel", "clicks": -2},
        {"do": "scroll", "to": 40},
        {"do": "key", "key": "F5", "modifiers": ["ctrl"]},
        {"do": "color", "rgb": [255, 0, 12.5]},
        {"do": "colour", "cancel": true},
        {"do": "pick", "view": "top", "at": [100, 120]},
        {"do": "pick", "view": "persp", "node": "Hill"},
        {"do": "cancel", "percent": 40, "title": "Mesh Building"},
        {"do": "shot", "of": "window", "file": "all.PNG"},
        {"do": "material", "name": "stone"},
        {"do": "browse", "map": "ContorraBorder"},
        {"do": "browse", "map": null},
        {"do": "shot", "of": "editor", "file": "editor.png"}]})",
                                 "s.json");
    EXPECT_EQ(s.width, 1000);
    EXPECT_EQ(s.height, 700);
    ASSERT_EQ(s.steps.size(), 19u);
    EXPECT_EQ(s.steps[0].node, "Terrain");
    EXPECT_EQ(s.steps[1].node, "");
    EXPECT_EQ(s.steps[2].rollout, "Parameters");
    const auto& click = s.steps[3];
    ASSERT_TRUE(click.control);
    EXPECT_EQ(click.control->caption, "Generate Surface");
    EXPECT_EQ(click.control->id, 0);
    EXPECT_TRUE(click.modifiers.shift && click.modifiers.alt && !click.modifiers.ctrl);
    EXPECT_TRUE(click.rightButton && click.doubleClick);
    const auto& drag = s.steps[4];
    EXPECT_EQ(drag.control->id, 1089);
    EXPECT_EQ(drag.control->rollout, "Parameters");
    EXPECT_EQ(std::make_pair(drag.dx, drag.dy), std::make_pair(0, -30));
    EXPECT_EQ(drag.at, std::make_pair(3, 4));
    EXPECT_FALSE(click.at);
    EXPECT_EQ(s.steps[5].text, "8");
    EXPECT_TRUE(s.steps[5].enter);
    EXPECT_EQ(s.steps[6].clicks, -2);
    EXPECT_EQ(s.steps[7].position, 40);
    EXPECT_EQ(contorra::VirtualKeyOf(s.steps[8].key), 0x74);
    EXPECT_TRUE(s.steps[8].modifiers.ctrl);
    EXPECT_EQ(s.steps[9].action, UiAction::Colour);
    EXPECT_FLOAT_EQ(s.steps[9].colour[2], 12.5f);
    EXPECT_TRUE(s.steps[10].colourCancelled);
    EXPECT_EQ(s.steps[11].view, UiShotTarget::Top);
    EXPECT_EQ(s.steps[11].at, std::make_pair(100, 120));
    EXPECT_EQ(s.steps[12].view, UiShotTarget::Perspective);
    EXPECT_EQ(s.steps[12].node, "Hill");
    EXPECT_EQ(s.steps[13].percent, 40);
    EXPECT_EQ(s.steps[13].progressTitle, "Mesh Building");
    EXPECT_EQ(s.steps[14].view, UiShotTarget::Window);
    EXPECT_EQ(s.steps[14].number, 15u);
    EXPECT_EQ(s.steps[15].material, "stone");
    EXPECT_EQ(s.steps[16].mapClass, "ContorraBorder");
    EXPECT_EQ(s.steps[17].action, UiAction::Browse);
    EXPECT_EQ(s.steps[17].mapClass, "");
    EXPECT_EQ(s.steps[18].view, UiShotTarget::Editor);
}

TEST(UiScript, KeyNames) {
    EXPECT_EQ(contorra::VirtualKeyOf("Enter"), 0x0D);
    EXPECT_EQ(contorra::VirtualKeyOf("a"), 'A');
    EXPECT_EQ(contorra::VirtualKeyOf("7"), '7');
    EXPECT_EQ(contorra::VirtualKeyOf("F1"), 0x70);
    EXPECT_EQ(contorra::VirtualKeyOf("F12"), 0x7B);
    for (const char* bad : {"F13", "F0", "Ent", "", "#", "F1x"})
        EXPECT_EQ(contorra::VirtualKeyOf(bad), 0) << bad;
}

TEST(UiScript, RefusesMalformedScriptsNamingTheStep) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {ErrorOf("{\"steps\": [\n  {\"do\": }]}"), "s.json: not JSON at line 2, column 10"},
        {ErrorOf("[]"), "s.json: expected an object with \"steps\""},
        {ErrorOf(R"({"step": []})"), "s.json: unknown key \"step\""},
        {ErrorOf(R"({"steps": {}})"), "s.json: \"steps\" must be a list of steps"},
        {ErrorOf(R"({"window": {"width": 100, "height": 100}, "steps": []})"),
         "s.json: \"window\" must be 640x480 .. 8192x8192, got 100x100"},
        {OneStep("3"), "s.json: step 2: expected an object with \"do\", got an integer"},
        {OneStep(R"({"node": "T"})"), "s.json: step 2: no \"do\""},
        {OneStep(R"({"do": "clik"})"), "s.json: step 2: unknown action \"clik\" (known: select,"},
        {OneStep(R"({"do": "click", "controll": 3})"),
         "s.json: step 2 (click): unknown key \"controll\" for this action"},
        {OneStep(R"({"do": "click"})"), "s.json: step 2 (click): missing \"control\""},
        {OneStep(R"({"do": "click", "control": 0})"),
         "s.json: step 2 (click): \"control\" is 0, outside 1 .. 65535"},
        {OneStep(R"({"do": "click", "control": [1]})"),
         "s.json: step 2 (click): \"control\" must be a control id (an integer) or a caption"},
        {OneStep(R"({"do": "click", "control": 5, "modifiers": ["meta"]})"),
         "s.json: step 2 (click): \"modifiers\" holds \"meta\""},
        {OneStep(R"({"do": "click", "control": 5, "button": "middle"})"),
         "\"button\" must be \"left\" or \"right\""},
        {OneStep(R"({"do": "drag", "control": 5, "by": [1]})"),
         "step 2 (drag): \"by\" must be a list of two integers"},
        {OneStep(R"({"do": "type", "control": 5, "text": 8})"),
         "step 2 (type): \"text\" must be a string, got an integer"},
        {OneStep(R"({"do": "wheel", "clicks": 0})"), "\"clicks\" is 0"},
        {OneStep(R"({"do": "wheel", "clicks": 1, "at": [2, 2]})"), "name the \"control\" too"},
        {OneStep(R"({"do": "click", "control": 5, "at": [-1, 2]})"), "\"at\" holds a value outside 0 .. 16383"},
        {OneStep(R"({"do": "key", "key": "Hyper"})"), "step 2 (key): unknown key \"Hyper\""},
        {OneStep(R"({"do": "colour", "rgb": [1, 2, 300]})"),
         "step 2 (colour): \"rgb\" must be a list of three numbers 0 .. 255"},
        {OneStep(R"({"do": "colour"})"), "give either \"rgb\" (the colour chosen) or \"cancel\""},
        {OneStep(R"({"do": "pick", "view": "window", "at": [1, 1]})"),
         "step 2 (pick): \"view\" is \"window\"; expected top, front, left or persp"},
        {OneStep(R"({"do": "pick", "view": "top"})"), "give either \"at\""},
        {OneStep(R"({"do": "cancel", "percent": 101})"), "\"percent\" is 101, outside 0 .. 100"},
        {OneStep(R"({"do": "material"})"), "step 2 (material): missing \"name\""},
        {OneStep(R"({"do": "browse", "map": 3})"), "step 2 (browse): \"map\" must be a string"},
        {OneStep(R"({"do": "shot", "of": "panel", "file": "../x.png"})"),
         "step 2 (shot): \"file\" must be a plain file name"},
        {OneStep(R"({"do": "shot", "of": "panel", "file": "x.jpg"})"),
         "\"file\" must end in .png, got \"x.jpg\""},
        {ErrorOf(R"({"steps": [{"do": "shot", "of": "panel", "file": "a.png"},
                               {"do": "shot", "of": "top", "file": "a.png"}]})"),
         "s.json: step 2 (shot): \"a.png\" is written by an earlier step already"},
    };
    for (const auto& [error, expected] : cases)
        EXPECT_NE(error.find(expected), std::string::npos) << error << "\nexpected: " << expected;
}

TEST(UiScript, MissingFileIsNamed) {
    try {
        contorra::ReadUiScript("/nonexistent/script.json");
        FAIL() << "read a missing file";
    } catch (const UiScriptError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("/nonexistent/script.json: ", 0), 0u) << e.what();
    }
}

} // namespace
