// The host's controls: spinners with their edits, buttons, colour swatches.
#include "tests/ui/ui_fixture.h"

using namespace uitest;
namespace ui = contorra::ui;

namespace {

const char* const kPanel = R"(
1 DIALOGEX 0, 0, 120, 80
STYLE WS_POPUP | WS_VISIBLE
FONT 8, "MS Sans Serif"
BEGIN
    CONTROL "",10,"CustEdit",WS_TABSTOP,4,4,40,10
    CONTROL "",11,"SpinnerControl",0x0,46,4,7,10
    CONTROL "Pick",12,"CustButton",WS_TABSTOP,4,20,50,12
    CONTROL "",13,"ColorSwatch",0x0,60,20,20,12
    CONTROL "",14,"CustEdit",WS_TABSTOP,4,40,40,10
END
)";

struct Note {
    UINT msg;
    int id;
    int high;
    bool operator==(const Note&) const = default;
};

class HostControls : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        dlg = Dialog(kPanel);
        ASSERT_TRUE(dlg);
        spin = GetISpinner(GetDlgItem(dlg, 11));
        edit = GetICustEdit(GetDlgItem(dlg, 10));
        ASSERT_TRUE(spin && edit);
        ui::PumpMessages();
    }
    void TearDown() override {
        ReleaseISpinner(spin);
        ReleaseICustEdit(edit);
        UiTest::TearDown();
    }
    std::vector<Note> Notes(std::initializer_list<UINT> which) const {
        std::vector<Note> out;
        for (const Logged& l : Log())
            for (UINT m : which)
                if (l.wnd == dlg && l.msg == m) out.push_back({m, LOWORD(l.wParam), HIWORD(l.wParam)});
        return out;
    }
    std::string EditText() {
        char buf[64] = {};
        edit->GetText(buf, sizeof buf);
        return buf;
    }
    POINT SpinnerPoint(bool upper) {
        RECT r;
        GetClientRect(GetDlgItem(dlg, 11), &r);
        return ui::ScreenPoint(GetDlgItem(dlg, 11), {r.right / 2, upper ? 2 : r.bottom - 2});
    }

    HWND dlg = nullptr;
    ISpinnerControl* spin = nullptr;
    ICustEdit* edit = nullptr;
};

TEST_F(HostControls, SpinnerKeepsWithinItsLimits) {
    spin->LinkToEdit(GetDlgItem(dlg, 10), EDITTYPE_INT);
    spin->SetValue(500, FALSE);
    EXPECT_EQ(spin->GetIVal(), 500) << "no limits until some are set";
    spin->SetLimits(1, 16);
    spin->SetValue(20, FALSE);
    EXPECT_EQ(spin->GetIVal(), 16);
    EXPECT_EQ(EditText(), "16");
    spin->SetValue(8, FALSE);
    spin->SetLimits(10, 12, FALSE);
    EXPECT_EQ(spin->GetIVal(), 8) << "limits that need not clamp the value";
    spin->SetLimits(10, 12, TRUE);
    EXPECT_EQ(spin->GetIVal(), 10);

    // Typed into the edit: clamped, shown as taken, the change then Enter announced.
    Log().clear();
    ui::EnterText(GetDlgItem(dlg, 10), "99");
    EXPECT_EQ(spin->GetIVal(), 12);
    EXPECT_EQ(EditText(), "12");
    EXPECT_EQ(Notes({CC_SPINNER_CHANGE, WM_CUSTEDIT_ENTER}),
              (std::vector<Note>{{CC_SPINNER_CHANGE, 11, FALSE}, {WM_CUSTEDIT_ENTER, 10, 0}}));
    EXPECT_TRUE(edit->GotReturn());
    EXPECT_FALSE(edit->GotReturn());
    // Not a number: the value stays and the edit shows it again.
    ui::EnterText(GetDlgItem(dlg, 10), "ten");
    EXPECT_EQ(spin->GetIVal(), 12);
    EXPECT_EQ(EditText(), "12");
}

TEST_F(HostControls, SpinnerDragMovesByScaleAndClickSteps) {
    spin->LinkToEdit(GetDlgItem(dlg, 10), EDITTYPE_FLOAT);
    spin->SetLimits(0.0f, 1000.0f);
    spin->SetScale(0.5f);
    spin->SetValue(10.0f, FALSE);
    Log().clear();
    const POINT start = SpinnerPoint(true);
    ui::MouseDown(start, ui::MouseButton::left);
    ui::MouseMove({start.x, start.y - 4});
    EXPECT_TRUE(spin->IsDragging());
    ui::MouseMove({start.x, start.y - 10});
    ui::MouseUp({start.x, start.y - 10}, ui::MouseButton::left);
    EXPECT_FLOAT_EQ(spin->GetFVal(), 15.0f);
    EXPECT_EQ(EditText(), "15.000");
    EXPECT_EQ(Notes({CC_SPINNER_BUTTONDOWN, CC_SPINNER_CHANGE, CC_SPINNER_BUTTONUP}),
              (std::vector<Note>{{CC_SPINNER_BUTTONDOWN, 11, 0},
                                 {CC_SPINNER_CHANGE, 11, TRUE},
                                 {CC_SPINNER_CHANGE, 11, TRUE},
                                 {CC_SPINNER_BUTTONUP, 11, TRUE}}));

    // A click without movement steps once by the scale, up in the upper
    // half and down in the lower.
    const POINT upper = SpinnerPoint(true), lower = SpinnerPoint(false);
    ui::MouseDown(upper, ui::MouseButton::left);
    ui::MouseUp(upper, ui::MouseButton::left);
    EXPECT_FLOAT_EQ(spin->GetFVal(), 15.5f);
    ui::MouseDown(lower, ui::MouseButton::left);
    ui::MouseUp(lower, ui::MouseButton::left);
    ui::MouseDown(lower, ui::MouseButton::left);
    ui::MouseUp(lower, ui::MouseButton::left);
    EXPECT_FLOAT_EQ(spin->GetFVal(), 14.5f);

    // Auto scale: a hundredth of the value per pixel.
    spin->SetAutoScale(TRUE);
    spin->SetValue(200.0f, FALSE);
    ui::Drag(GetDlgItem(dlg, 11), {3, 3}, {3, -7});
    EXPECT_FLOAT_EQ(spin->GetFVal(), 220.0f);
}

TEST_F(HostControls, SpinnerResetAndCancel) {
    spin->LinkToEdit(GetDlgItem(dlg, 10), EDITTYPE_INT);
    spin->SetLimits(0, 100);
    spin->SetScale(1.0f);
    spin->SetResetValue(7);
    spin->SetValue(50, FALSE);
    Log().clear();
    ui::Click(GetDlgItem(dlg, 11), ui::MouseButton::right);
    EXPECT_EQ(spin->GetIVal(), 7);
    EXPECT_EQ(Notes({CC_SPINNER_CHANGE}).size(), 1u);

    // A right click during a drag puts the value back and says it was cancelled.
    Log().clear();
    const POINT start = SpinnerPoint(true);
    ui::MouseDown(start, ui::MouseButton::left);
    ui::MouseMove({start.x, start.y - 20});
    EXPECT_EQ(spin->GetIVal(), 27);
    ui::MouseDown({start.x, start.y - 20}, ui::MouseButton::right);
    EXPECT_EQ(spin->GetIVal(), 7);
    EXPECT_EQ(EditText(), "7");
    EXPECT_EQ(Notes({CC_SPINNER_BUTTONUP}), (std::vector<Note>{{CC_SPINNER_BUTTONUP, 11, FALSE}}));
    EXPECT_EQ(GetCapture(), nullptr);
    // The left button's release afterwards changes nothing.
    ui::MouseUp({start.x, start.y - 20}, ui::MouseButton::left);
    EXPECT_EQ(spin->GetIVal(), 7);
}

TEST_F(HostControls, IndeterminateUntilTheUserSetsAValue) {
    spin->LinkToEdit(GetDlgItem(dlg, 10), EDITTYPE_INT);
    spin->SetLimits(0, 100);
    spin->SetValue(5, FALSE);
    spin->SetIndeterminate(TRUE);
    EXPECT_TRUE(spin->IsIndeterminate());
    EXPECT_EQ(EditText(), "");
    spin->SetValue(6, FALSE);
    EXPECT_TRUE(spin->IsIndeterminate()) << "values set by code keep it";
    EXPECT_EQ(EditText(), "");
    spin->SetIndeterminate(FALSE);
    EXPECT_EQ(EditText(), "6");
    spin->SetIndeterminate(TRUE);
    Log().clear();
    const POINT upper = SpinnerPoint(true);
    ui::MouseDown(upper, ui::MouseButton::left);
    ui::MouseUp(upper, ui::MouseButton::left);
    EXPECT_FALSE(spin->IsIndeterminate());
    EXPECT_EQ(spin->GetIVal(), 7);
    EXPECT_EQ(EditText(), "7");
    EXPECT_EQ(Notes({CC_SPINNER_CHANGE}).size(), 1u);
}

TEST_F(HostControls, DisabledSpinnerTakesItsEditWithIt) {
    spin->LinkToEdit(GetDlgItem(dlg, 10), EDITTYPE_INT);
    spin->SetValue(3, FALSE);
    spin->Disable();
    EXPECT_FALSE(spin->IsEnabled());
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, 10)));
    ui::Click(GetDlgItem(dlg, 11));
    ui::Click(GetDlgItem(dlg, 10));
    EXPECT_EQ(spin->GetIVal(), 3);
    EXPECT_NE(GetFocus(), GetDlgItem(dlg, 10));
    spin->Enable();
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, 10)));
}

TEST_F(HostControls, LeavingAnEditCommitsItWithoutEnter) {
    spin->LinkToEdit(GetDlgItem(dlg, 10), EDITTYPE_INT);
    spin->SetLimits(0, 100);
    ui::Click(GetDlgItem(dlg, 10));
    ui::TypeText("42");
    Log().clear();
    ui::Click(GetDlgItem(dlg, 14));
    EXPECT_EQ(spin->GetIVal(), 42);
    EXPECT_EQ(Notes({CC_SPINNER_CHANGE, WM_CUSTEDIT_ENTER}), (std::vector<Note>{{CC_SPINNER_CHANGE, 11, FALSE}}));
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 14));
    // Clicking a button takes the focus too, so what was typed counts.
    ui::Click(GetDlgItem(dlg, 10));
    ui::TypeText("7");
    ui::Click(GetDlgItem(dlg, 12));
    EXPECT_EQ(spin->GetIVal(), 7);
}

TEST_F(HostControls, AnEditEditsAtItsCaret) {
    HWND e = GetDlgItem(dlg, 10);
    ui::Click(e);
    ui::TypeText("123");
    for (int vk : {VK_LEFT, VK_LEFT, VK_BACK}) ui::PressKey(vk);
    EXPECT_EQ(EditText(), "23");
    ui::TypeText("9");
    ui::PressKey(VK_DELETE);
    EXPECT_EQ(EditText(), "93");
    ui::PressKey(VK_HOME);
    ui::TypeText("-");
    ui::PressKey(VK_END);
    ui::PressKey(VK_BACK);
    EXPECT_EQ(EditText(), "-9");
    // Past either end the caret stays put.
    for (int i = 0; i < 4; ++i) ui::PressKey(VK_RIGHT);
    ui::TypeText("5");
    EXPECT_EQ(EditText(), "-95");

    // The first click selects the whole text, so typing replaces it; a
    // second click puts the caret in the gap nearest the pointer.
    ui::Click(GetDlgItem(dlg, 14));
    ui::Click(e);
    ui::TypeText("7");
    EXPECT_EQ(EditText(), "7");
    edit->SetText("12345");
    ui::Click(GetDlgItem(dlg, 14));
    ui::Click(e);
    SIZE two{};
    HDC dc = GetDC(e);
    GetTextExtentPoint32A(dc, "12", 2, &two);
    ReleaseDC(e, dc);
    const POINT p = ui::ScreenPoint(e, {3 + two.cx + 1, 4});
    ui::MouseDown(p, ui::MouseButton::left);
    ui::MouseUp(p, ui::MouseButton::left);
    ui::TypeText("x");
    EXPECT_EQ(EditText(), "12x345");
    // Escape brings back what the edit held when it got the focus.
    ui::PressKey(VK_ESCAPE);
    EXPECT_EQ(EditText(), "12345");
}

TEST_F(HostControls, TabWalksTheTabStopsAndCommitsTheEdit) {
    spin->LinkToEdit(GetDlgItem(dlg, 10), EDITTYPE_INT);
    spin->SetLimits(0, 100);
    ui::Click(GetDlgItem(dlg, 10));
    ui::TypeText("42");
    ui::PressKey(VK_TAB);
    EXPECT_EQ(spin->GetIVal(), 42);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 12)) << "the spinner and the swatch have no tab stop";
    ui::PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 14));
    ui::PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 10)) << "round the end";
    ui::PressKey(VK_TAB, {.shift = true});
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 14));
    EnableWindow(GetDlgItem(dlg, 12), FALSE);
    ui::PressKey(VK_TAB, {.shift = true});
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 10)) << "a disabled control is passed over";
    // Tab never reaches the edit as a character.
    EXPECT_EQ(EditText(), "42");
}

TEST_F(HostControls, CustButtonsPushOrCheck) {
    ICustButton* b = GetICustButton(GetDlgItem(dlg, 12));
    ASSERT_TRUE(b);
    EXPECT_EQ(GetICustButton(GetDlgItem(dlg, 11)), nullptr) << "a spinner is no button";
    Log().clear();
    ui::Click(GetDlgItem(dlg, 12));
    EXPECT_FALSE(b->IsChecked());
    b->SetType(CBT_CHECK);
    ui::Click(GetDlgItem(dlg, 12));
    EXPECT_TRUE(b->IsChecked());
    ui::Click(GetDlgItem(dlg, 12));
    EXPECT_FALSE(b->IsChecked());
    EXPECT_EQ(Notes({WM_COMMAND}), (std::vector<Note>{{WM_COMMAND, 12, BN_CLICKED},
                                                      {WM_COMMAND, 12, BN_CLICKED},
                                                      {WM_COMMAND, 12, BN_CLICKED}}));
    b->SetText("Terrain01");
    char text[32] = {};
    b->GetText(text, sizeof text);
    EXPECT_STREQ(text, "Terrain01");
    // The interface outlives its window until released.
    DestroyWindow(dlg);
    EXPECT_EQ(b->GetHwnd(), nullptr);
    b->SetCheck(TRUE);
    ReleaseICustButton(b);
}

TEST_F(HostControls, SwatchAsksThePicker) {
    IColorSwatch* sw = GetIColorSwatch(GetDlgItem(dlg, 13), RGB(10, 20, 30), "Base");
    ASSERT_TRUE(sw);
    EXPECT_EQ(sw->GetColor(), RGB(10, 20, 30));
    std::string asked;
    ui::SetColorPickerHook([&](const std::string& title, COLORREF& c) {
        asked = title;
        if (c != RGB(10, 20, 30)) return false;
        c = RGB(200, 100, 50);
        return true;
    });
    Log().clear();
    ui::Click(GetDlgItem(dlg, 13));
    EXPECT_EQ(asked, "Base");
    EXPECT_EQ(sw->GetColor(), RGB(200, 100, 50));
    const auto notes = Notes({CC_COLOR_CHANGE});
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].id, 13);
    // Cancelled: nothing changes, nothing is said.
    Log().clear();
    ui::Click(GetDlgItem(dlg, 13));
    EXPECT_EQ(sw->GetColor(), RGB(200, 100, 50));
    EXPECT_TRUE(Notes({CC_COLOR_CHANGE}).empty());
    ReleaseIColorSwatch(sw);
}

} // namespace

namespace {

class ControlPictures : public UiTest {};

TEST_F(ControlPictures, StatesShowInTheScreenshot) {
    HWND dlg = Dialog(R"(
1 DIALOGEX 0, 0, 140, 90
STYLE WS_POPUP | WS_VISIBLE
FONT 8, "MS Sans Serif"
BEGIN
    GROUPBOX "Type",-1,2,2,70,44
    CONTROL "Set ID",1,"Button",BS_AUTORADIOBUTTON | WS_GROUP,6,12,60,10
    CONTROL "Hole",2,"Button",BS_AUTORADIOBUTTON,6,24,60,10
    CONTROL "Split",3,"Button",BS_AUTOCHECKBOX,6,34,60,10
    CONTROL "Add Object",4,"CustButton",WS_TABSTOP,76,4,60,12
    CONTROL "",5,"ColorSwatch",0x0,76,20,30,12
    COMBOBOX 6,76,36,60,50,CBS_DROPDOWNLIST
    CONTROL "",7,"CustEdit",WS_TABSTOP,6,52,40,10
    CONTROL "",8,"SpinnerControl",0x0,47,52,7,10
END
)");
    ASSERT_TRUE(dlg);
    ui::Click(GetDlgItem(dlg, 2));
    ui::Click(GetDlgItem(dlg, 3));
    ICustButton* b = GetICustButton(GetDlgItem(dlg, 4));
    b->SetType(CBT_CHECK);
    b->SetCheck(TRUE);
    IColorSwatch* sw = GetIColorSwatch(GetDlgItem(dlg, 5), RGB(200, 40, 40), "Color");
    ISpinnerControl* spin = GetISpinner(GetDlgItem(dlg, 8));
    spin->LinkToEdit(GetDlgItem(dlg, 7), EDITTYPE_FLOAT);
    spin->SetValue(12.5f, FALSE);
    for (const char* s : {"Do not change", "Set ID", "Hole"})
        SendDlgItemMessageA(dlg, 6, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    SendDlgItemMessageA(dlg, 6, CB_SETCURSEL, 1, 0);
    ui::Click(GetDlgItem(dlg, 6));

    const auto image = ui::CaptureWindow(dlg);
    if (std::getenv("CONTORRA_KEEP_SHOTS"))
        ui::WriteWindowPng(dlg, std::filesystem::temp_directory_path() / "contorra_ui_controls.png");
    auto colourAt = [&](HWND wnd, int dx, int dy) {
        RECT w, d;
        GetWindowRect(wnd, &w);
        GetWindowRect(dlg, &d);
        const auto p = image.Pixel(w.left - d.left + dx, w.top - d.top + dy);
        return RGB(p.r, p.g, p.b);
    };
    EXPECT_EQ(colourAt(GetDlgItem(dlg, 4), 4, 4), GREEN_WASH) << "a checked button shows its highlight";
    EXPECT_EQ(colourAt(GetDlgItem(dlg, 5), 10, 6), RGB(200, 40, 40));
    // The open list lies over the dialog below the field: its first row is white.
    RECT field;
    GetWindowRect(GetDlgItem(dlg, 6), &field);
    RECT d;
    GetWindowRect(dlg, &d);
    const auto row = image.Pixel(field.right - d.left - 3, field.bottom - d.top + 3);
    EXPECT_EQ(RGB(row.r, row.g, row.b), RGB(255, 255, 255));
    EXPECT_EQ(IsDlgButtonChecked(dlg, 2), BST_CHECKED);
    ReleaseICustButton(b);
    ReleaseIColorSwatch(sw);
    ReleaseISpinner(spin);
}

} // namespace
