// Parameter maps in the host's command panel: opening a rollout sets its
// controls from the block, a control's change sets its parameter at the
// current time, SetValue shows the new value at once, a table shows the
// entry chosen, a pick button picks through the viewport's hit test, and
// the user procedure gets the host's messages; the panel stacks, closes and
// scrolls its rollouts. Without a panel the rollouts stay windowless.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/app/ui/command_panel.h"
#include "host/app/core_interface.h"
#include "host/app/resource_script.h"
#include "host/app/ui/ui_driver.h"
#include "host/app/ui/window_manager.h"
#include "host/sdk/inode.h"
#include "host/sdk/param_block2.h"
#include "host/sdk/pick_mode.h"
#include "host/sdk/tri_object.h"
#include "host/sdk/view_exp.h"

namespace {

enum { kCount = 0, kSize = 1, kOn = 2, kMode = 3, kTint = 4, kTarget = 5, kWidths = 6 };

class MapDesc : public ClassDesc2 {
public:
    int IsPublic() override { return 1; }
    void* Create(BOOL) override { return nullptr; }
    const MCHAR* ClassName() override { return "MapTester"; }
    SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
    Class_ID ClassID() override { return Class_ID(0x5a5a, 0xa5a5); }
    const MCHAR* Category() override { return "Tests"; }
    HINSTANCE HInstance() override { return reinterpret_cast<HINSTANCE>(0x7e57); }
};
MapDesc mapDesc;

// The messages the user procedure gets, as "message:control".
class LogProc : public ParamMap2UserDlgProc {
public:
    INT_PTR DlgProc(TimeValue, IParamMap2* map, HWND, UINT msg, WPARAM wParam, LPARAM) override {
        if (msg == WM_INITDIALOG) {
            // The controls are set up before the procedure sees the dialog.
            char text[32] = "";
            GetDlgItemText(map->GetHWnd(), 100, text, sizeof text);
            log.push_back("init:" + std::string(text));
        } else if (msg == WM_COMMAND || msg == CC_SPINNER_CHANGE || msg == WM_DESTROY) {
            log.push_back(std::to_string(msg) + ":" + std::to_string(LOWORD(wParam)));
        }
        return FALSE;
    }
    void DeleteThis() override {}
    std::vector<std::string> log;
};
LogProc logProc;

ParamBlockDesc2 mapBlock(
    BlockLayout(0, "parameters", 0, &mapDesc, P_AUTO_CONSTRUCT | P_AUTO_UI, 0)
        .Rollout(0, 900, 0, 0, 0, &logProc)
        .Param(ParamDef(kCount, "Count", TYPE_INT).Default(10).Range(1, 16).Spinner(
            0, EDITTYPE_INT, 100, 101, SPIN_AUTOSCALE))
        .Param(ParamDef(kSize, "Size", TYPE_FLOAT).Default(2.5f).Range(0.5f, 50.0f).Spinner(
            0, EDITTYPE_UNIVERSE, 102, 103, 0.5f))
        .Param(ParamDef(kOn, "On", TYPE_BOOL).Default(false).CheckBox(0, 104))
        .Param(ParamDef(kMode, "Mode", TYPE_INT).Default(1).Range(0, 1).Radio(0, {105, 106}))
        .Param(ParamDef(kTint, "Tint", TYPE_RGBA).Default(Color(1.0f, 0.0f, 0.0f))
                   .Ui(0, TYPE_COLORSWATCH, {107}))
        .Param(ParamDef(kTarget, "Target", TYPE_INODE).PickNodeButton(0, 108))
        .Param(ParamDef(kWidths, "Widths", TYPE_FLOAT_TAB).Table(3).Default(4.0f).Range(0.0f, 9.0f)
                   .Spinner(0, EDITTYPE_FLOAT, 109, 110, 0.1f)));

const char* kScript = R"(
900 DIALOGEX 0, 0, 108, 120
STYLE DS_SETFONT | WS_CHILD | WS_VISIBLE
FONT 8, "MS Sans Serif", 0, 0, 0x0
BEGIN
    CONTROL         "",100,"CustEdit",WS_TABSTOP,50,4,35,10
    CONTROL         "",101,"SpinnerControl",0x0,86,4,7,10
    CONTROL         "",102,"CustEdit",WS_TABSTOP,50,18,35,10
    CONTROL         "",103,"SpinnerControl",0x0,86,18,7,10
    CONTROL         "On",104,"Button",BS_AUTOCHECKBOX | WS_TABSTOP,8,32,80,10
    CONTROL         "Equals",105,"Button",BS_AUTORADIOBUTTON,8,46,40,10
    CONTROL         "Difference",106,"Button",BS_AUTORADIOBUTTON,50,46,50,10
    CONTROL         "",107,"ColorSwatch",0x0,8,60,30,12
    CONTROL         "Target",108,"CustButton",WS_TABSTOP,8,76,90,12
    CONTROL         "",109,"CustEdit",WS_TABSTOP,50,92,35,10
    CONTROL         "",110,"SpinnerControl",0x0,86,92,7,10
END
)";

class MapTester : public TriObject {
public:
    IParamBlock2* pblock = nullptr;
    MapTester() { mapDesc.MakeAutoParamBlocks(this); }
    Class_ID ClassID() override { return mapDesc.ClassID(); }
    int NumRefs() override { return 1; }
    RefTargetHandle GetReference(int) override { return pblock; }
    void SetReference(int, RefTargetHandle t) override { pblock = static_cast<IParamBlock2*>(t); }
    int NumParamBlocks() override { return 1; }
    IParamBlock2* GetParamBlock(int) override { return pblock; }
    IParamBlock2* GetParamBlockByID(BlockID id) override {
        return pblock && pblock->ID() == id ? pblock : nullptr;
    }
};

// A panel beside no viewports; a pick hits the node the test names.
class PanelHost : public UserInterfaceHost {
public:
    explicit PanelHost(HWND parent) : panel(parent, 0, 0, 216, 200) {}
    HWND AddRollupPage(HINSTANCE hInst, int dialogId, DLGPROC proc, const MCHAR* title,
                       LPARAM param, DWORD) override {
        return panel.AddPage(hInst, dialogId, proc, title, param);
    }
    void DeleteRollupPage(HWND page) override { panel.DeletePage(page); }
    INode* PickNode(HWND, IPoint2, PickNodeCallback* filter) override {
        return under && (!filter || filter->Filter(under)) ? under : nullptr;
    }
    void RedrawViews() override {}
    void ProgressShown(const std::string&, int) override {}
    void ProgressHidden() override {}
    contorra::CommandPanel panel;
    INode* under = nullptr;
};

// Just enough of a viewport to hold the hit a pick leaves.
class HitView : public ViewExp {
public:
    GraphicsWindow* getGW() override { return nullptr; }
    void SnapPreview(IPoint2&, IPoint2&, Matrix3*, DWORD) override {}
    Point3 SnapPoint(IPoint2&, IPoint2&, Matrix3*, DWORD) override { return {}; }
    void LogHit(INode* n, ModContext*, DWORD d, ULONG, HitData*) override { hit = {n, nullptr, d, 0, nullptr}; }
    HitRecord* GetClosestHit() override { return hit.nodeRef ? &hit : nullptr; }
    int NumHits() override { return hit.nodeRef ? 1 : 0; }
    void ClearHitList() override { hit = {}; }
    Rect GetDammageRect() override { return {}; }
    HitRecord hit;
};

class ParamMapPanel : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        auto script = ParseResourceScript(kScript, "test.rc", ".", error);
        ASSERT_TRUE(script) << error;
        contorra::ui::AddModuleDialogs(mapDesc.HInstance(), *script);
        frame = CreateWindowExA(0, "STATIC", "frame", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                nullptr, nullptr, nullptr);
        host = std::make_unique<PanelHost>(frame);
        core.SetUserInterface(host.get());
        logProc.log.clear();
    }
    void TearDown() override {
        core.SetUserInterface(nullptr);
        host.reset();
        contorra::ui::ForgetModuleDialogs(mapDesc.HInstance());
    }

    // The rollout of obj, open in the panel.
    IParamMap2* Open(MapTester& obj) {
        mapDesc.BeginEditParams(&core, &obj, BEGIN_EDIT_CREATE, nullptr);
        contorra::ui::PumpMessages();
        return obj.pblock->GetMap(0);
    }
    HWND Item(IParamMap2* map, int id) { return GetDlgItem(map->GetHWnd(), id); }
    std::string Text(IParamMap2* map, int id) {
        char text[64] = "";
        GetDlgItemText(map->GetHWnd(), id, text, sizeof text);
        return text;
    }

    contorra::ui::WindowSystemScope windows;
    Scene scene;
    CoreInterface core{scene, ProgressStyle::Quiet, std::cerr};
    HWND frame = nullptr;
    std::unique_ptr<PanelHost> host;
};

TEST_F(ParamMapPanel, OpeningSetsEveryControlFromTheBlock) {
    MapTester obj;
    obj.pblock->SetValue(kSize, 0, 7.5f);
    obj.pblock->SetValue(kOn, 0, 1);
    obj.pblock->SetValue(kMode, 0, 0);
    IParamMap2* map = Open(obj);
    ASSERT_TRUE(map && map->HasWindow());
    ASSERT_EQ(logProc.log.size(), 1u);
    EXPECT_EQ(logProc.log[0], "init:10");

    ISpinnerControl* count = GetISpinner(Item(map, 101));
    ASSERT_TRUE(count);
    EXPECT_EQ(count->GetIVal(), 10);
    EXPECT_FLOAT_EQ(count->GetFMin(), 1.0f);
    EXPECT_FLOAT_EQ(count->GetFMax(), 16.0f);
    ReleaseISpinner(count);
    ISpinnerControl* size = GetISpinner(Item(map, 103));
    EXPECT_FLOAT_EQ(size->GetFVal(), 7.5f);
    EXPECT_FLOAT_EQ(size->GetScale(), 0.5f);
    ReleaseISpinner(size);
    EXPECT_EQ(IsDlgButtonChecked(map->GetHWnd(), 104), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(map->GetHWnd(), 105), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(map->GetHWnd(), 106), BST_UNCHECKED);
    IColorSwatch* tint = GetIColorSwatch(Item(map, 107));
    EXPECT_EQ(tint->GetColor(), RGB(255, 0, 0));
    ReleaseIColorSwatch(tint);
    ICustButton* pick = GetICustButton(Item(map, 108));
    EXPECT_EQ(pick->GetType(), CBT_CHECK);
    ReleaseICustButton(pick);
    EXPECT_EQ(Text(map, 108), "None");

    mapDesc.EndEditParams(&core, &obj, END_EDIT_REMOVEUI, nullptr);
    EXPECT_EQ(logProc.log.back(), std::to_string(WM_DESTROY) + ":0");
    EXPECT_EQ(obj.pblock->GetMap(0), nullptr);
    EXPECT_TRUE(host->panel.Rollouts().empty());
}

TEST_F(ParamMapPanel, ControlsSetTheirParametersAndTheProcedureHearsOfIt) {
    MapTester obj;
    IParamMap2* map = Open(obj);
    ASSERT_TRUE(map);
    // Typed into the spinner's edit, clamped by the spinner to the range.
    contorra::ui::EnterText(Item(map, 100), "40");
    contorra::ui::PumpMessages();
    EXPECT_EQ(obj.pblock->GetInt(kCount), 16);
    contorra::ui::EnterText(Item(map, 100), "8");
    contorra::ui::PumpMessages();
    EXPECT_EQ(obj.pblock->GetInt(kCount), 8);
    EXPECT_NE(std::find(logProc.log.begin(), logProc.log.end(),
                        std::to_string(CC_SPINNER_CHANGE) + ":101"),
              logProc.log.end());

    contorra::ui::Click(Item(map, 104));
    EXPECT_EQ(obj.pblock->GetInt(kOn), 1);
    contorra::ui::Click(Item(map, 104));
    EXPECT_EQ(obj.pblock->GetInt(kOn), 0);
    contorra::ui::Click(Item(map, 105));
    EXPECT_EQ(obj.pblock->GetInt(kMode), 0);
    EXPECT_EQ(IsDlgButtonChecked(map->GetHWnd(), 106), BST_UNCHECKED);

    contorra::ui::SetColorPickerHook([](const std::string&, COLORREF& c) {
        c = RGB(0, 128, 255);
        return true;
    });
    contorra::ui::Click(Item(map, 107));
    contorra::ui::PumpMessages();
    contorra::ui::SetColorPickerHook({});
    const Color tint = obj.pblock->GetColor(kTint);
    EXPECT_NEAR(tint.g, 128.0f / 255.0f, 1e-3f);
    EXPECT_NEAR(tint.b, 1.0f, 1e-6f);

    // The table's spinner edits the entry the map shows.
    map->SetTableIndex(kWidths, 2);
    contorra::ui::EnterText(Item(map, 109), "6.5");
    contorra::ui::PumpMessages();
    EXPECT_FLOAT_EQ(obj.pblock->GetFloat(kWidths, 0, 2), 6.5f);
    EXPECT_FLOAT_EQ(obj.pblock->GetFloat(kWidths, 0, 0), 4.0f);
    mapDesc.EndEditParams(&core, &obj, END_EDIT_REMOVEUI, nullptr);
}

TEST_F(ParamMapPanel, SetValueShowsTheShownEntryOnly) {
    MapTester obj;
    IParamMap2* map = Open(obj);
    ASSERT_TRUE(map);
    ISpinnerControl* count = GetISpinner(Item(map, 101));
    ISpinnerControl* widths = GetISpinner(Item(map, 110));
    // The block tells its open maps; the control follows at once.
    obj.pblock->SetValue(kCount, 0, 3);
    EXPECT_EQ(count->GetIVal(), 3);
    // Entry 1 of the table is not the one shown.
    obj.pblock->SetValue(kWidths, 0, 1.5f, 1);
    EXPECT_FLOAT_EQ(widths->GetFVal(), 4.0f);
    map->Invalidate();
    EXPECT_FLOAT_EQ(widths->GetFVal(), 4.0f);
    map->SetTableIndex(kWidths, 1);
    EXPECT_FLOAT_EQ(widths->GetFVal(), 1.5f);
    obj.pblock->SetValue(kWidths, 0, 2.5f, 1);
    EXPECT_FLOAT_EQ(widths->GetFVal(), 2.5f);
    ReleaseISpinner(widths);
    ReleaseISpinner(count);
    mapDesc.EndEditParams(&core, &obj, END_EDIT_REMOVEUI, nullptr);
}

TEST_F(ParamMapPanel, ThePickButtonRunsAPickModeThatSetsTheNode) {
    // The scene owns the object through its node.
    auto* owned = new MapTester;
    MapTester& obj = *owned;
    INode* self = scene.CreateNode(owned, "Self");
    IParamMap2* map = Open(obj);
    ASSERT_TRUE(map);
    INode* hill = scene.CreateNode(new TriObject(), "Hill");
    HitView view;

    contorra::ui::Click(Item(map, 108));
    PickModeCallback* mode = core.GetCurPickMode();
    ASSERT_TRUE(mode);
    ICustButton* button = GetICustButton(Item(map, 108));
    EXPECT_TRUE(button->IsChecked());
    // The node holding the block's owner is refused; nothing is under the pointer.
    host->under = self;
    EXPECT_FALSE(mode->HitTest(&core, nullptr, &view, IPoint2(1, 1), 0));
    host->under = hill;
    ASSERT_TRUE(mode->HitTest(&core, nullptr, &view, IPoint2(1, 1), 0));
    view.LogHit(hill, nullptr, 0, 0, nullptr);
    EXPECT_TRUE(mode->Pick(&core, &view));
    core.ClearPickMode();
    EXPECT_EQ(obj.pblock->GetINode(kTarget), hill);
    EXPECT_EQ(Text(map, 108), "Hill");
    EXPECT_FALSE(button->IsChecked());
    // A second press of a running mode's button ends it.
    contorra::ui::Click(Item(map, 108));
    contorra::ui::Click(Item(map, 108));
    EXPECT_EQ(core.GetCurPickMode(), nullptr);
    ReleaseICustButton(button);
    mapDesc.EndEditParams(&core, &obj, END_EDIT_REMOVEUI, nullptr);
}

TEST_F(ParamMapPanel, ThePanelStacksClosesAndScrollsRollouts) {
    MapTester a;
    IParamMap2* map = Open(a);
    ASSERT_TRUE(map);
    // A second page of the same template below the first.
    HWND second = host->panel.AddPage(mapDesc.HInstance(), 900, &IParamMap2::DialogProc, "Second",
                                      0);
    ASSERT_TRUE(second);
    const auto& rolls = host->panel.Rollouts();
    ASSERT_EQ(rolls.size(), 2u);
    EXPECT_EQ(rolls[1].titleBar.top, rolls[0].titleBar.bottom + rolls[0].height +
                                         contorra::CommandPanel::kGap);
    // Two open rollouts are taller than the 200-pixel panel.
    const int most = host->panel.ScrollMax();
    EXPECT_GT(most, 0);
    SendMessageA(host->panel.Window(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30000), 0);
    EXPECT_EQ(host->panel.ScrollPos(), most);
    SendMessageA(host->panel.Window(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(host->panel.ScrollPos(), most - contorra::CommandPanel::kWheelStep);
    SendMessageA(host->panel.Window(), WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    EXPECT_EQ(host->panel.ScrollPos(), 0);
    // A click on the first title bar closes it: the second moves up, the page hides.
    const RECT t = rolls[0].titleBar;
    contorra::ui::MouseDown(contorra::ui::ScreenPoint(host->panel.Window(), {t.left + 20, t.top + 5}),
                            contorra::ui::MouseButton::left);
    EXPECT_FALSE(rolls[0].open);
    EXPECT_FALSE(IsWindowVisible(map->GetHWnd()));
    EXPECT_EQ(rolls[1].titleBar.top, rolls[0].titleBar.bottom + contorra::CommandPanel::kGap);
    host->panel.DeletePage(second);
    mapDesc.EndEditParams(&core, &a, END_EDIT_REMOVEUI, nullptr);
}

TEST_F(ParamMapPanel, ANextObjectOfTheClassKeepsTheRolloutsAndShowsItsValues) {
    MapTester a, b;
    b.pblock->SetValue(kCount, 0, 5);
    IParamMap2* map = Open(a);
    ASSERT_TRUE(map);
    const HWND page = map->GetHWnd();
    mapDesc.EndEditParams(&core, &a, 0, &b);
    mapDesc.BeginEditParams(&core, &b, BEGIN_EDIT_MOTION, &a);
    EXPECT_EQ(b.pblock->GetMap(0), map);
    EXPECT_EQ(a.pblock->GetMap(0), nullptr);
    EXPECT_EQ(map->GetHWnd(), page);
    EXPECT_EQ(host->panel.Rollouts().size(), 1u);
    EXPECT_EQ(Text(map, 100), "5");
    // The controls now set the second object's block.
    contorra::ui::EnterText(Item(map, 100), "7");
    contorra::ui::PumpMessages();
    EXPECT_EQ(b.pblock->GetInt(kCount), 7);
    EXPECT_EQ(a.pblock->GetInt(kCount), 10);
    mapDesc.EndEditParams(&core, &b, END_EDIT_REMOVEUI, nullptr);
    EXPECT_TRUE(host->panel.Rollouts().empty());
}

TEST(ParamMapWindowless, RolloutsStayRecordsWithoutAPanel) {
    Scene scene;
    CoreInterface core(scene, ProgressStyle::Quiet, std::cerr);
    MapTester obj;
    logProc.log.clear();
    mapDesc.BeginEditParams(&core, &obj, BEGIN_EDIT_CREATE, nullptr);
    IParamMap2* map = obj.pblock->GetMap(0);
    ASSERT_TRUE(map);
    EXPECT_FALSE(map->HasWindow());
    EXPECT_EQ(logProc.log, std::vector<std::string>{"init:"});
    map->Invalidate(kCount);
    EXPECT_EQ(map->Invalidations(), 1);
    mapDesc.EndEditParams(&core, &obj, END_EDIT_REMOVEUI, nullptr);
    EXPECT_EQ(logProc.log.back(), std::to_string(WM_DESTROY) + ":0");
}

} // namespace
