// Dialog templates made into windows, and the standard controls in them.
#include "host/app/png_file.h"
#include "tests/ui/ui_fixture.h"

using namespace uitest;
namespace ui = contorra::ui;

namespace {

class Dialogs : public UiTest {
protected:
    // The WM_COMMAND notifications the dialog got: (id, code).
    std::vector<std::pair<int, int>> Commands(HWND dlg) const {
        std::vector<std::pair<int, int>> out;
        for (const Logged& l : Log())
            if (l.wnd == dlg && l.msg == WM_COMMAND) out.emplace_back(LOWORD(l.wParam), HIWORD(l.wParam));
        return out;
    }
};

const char* const kRollout = R"(
100 DIALOGEX 0, 0, 108, 98
STYLE DS_SETFONT | WS_CHILD | WS_VISIBLE
FONT 8, "MS Sans Serif", 0, 0, 0x0
BEGIN
    RTEXT           "Iteration:",-1,4,20,44,8
    CONTROL         "",10,"CustEdit",WS_TABSTOP,50,18,35,10
    CONTROL         "",11,"SpinnerControl",0x0,86,18,7,10
    CONTROL         "Exact Fit",12,"Button",BS_AUTOCHECKBOX | WS_TABSTOP,14,48,80,10
    PUSHBUTTON      "Generate",13,14,78,80,14
    CONTROL         "Hidden",14,"Button",BS_PUSHBUTTON | NOT WS_VISIBLE,0,0,10,10
END
)";

TEST_F(Dialogs, TemplateBecomesWindowsInDialogUnits) {
    HWND dlg = Dialog(kRollout);
    ASSERT_TRUE(dlg);
    // MS Sans Serif 8 stands for DejaVu Sans at 10 pixels, base units 6 x 13:
    // x * 6 / 4 and y * 13 / 8, rounded.
    RECT r{50, 18, 85, 28};
    MapDialogRect(dlg, &r);
    EXPECT_EQ(r.left, 75);
    EXPECT_EQ(r.top, 29);
    EXPECT_EQ(r.right, 128);
    EXPECT_EQ(r.bottom, 46);
    RECT client;
    GetClientRect(dlg, &client);
    EXPECT_EQ(client.right, 162);
    EXPECT_EQ(client.bottom, 159);
    RECT edit;
    GetWindowRect(GetDlgItem(dlg, 10), &edit);
    EXPECT_EQ(edit.left, 75);
    EXPECT_EQ(edit.top, 29);
    EXPECT_EQ(edit.right - edit.left, 53);

    EXPECT_EQ(win32host::WindowClassName(GetDlgItem(dlg, 11)), "SpinnerControl");
    EXPECT_EQ(win32host::WindowClassName(GetDlgItem(dlg, 13)), "Button");
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg, 13)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, 14))) << "NOT WS_VISIBLE takes the default away";
    char text[32] = {};
    GetDlgItemTextA(dlg, 13, text, sizeof text);
    EXPECT_STREQ(text, "Generate");
    EXPECT_EQ(GetWindowLongPtr(GetDlgItem(dlg, 12), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);

    // WM_INITDIALOG comes once every control exists; the dialog is shown
    // after it and painted when the host next pumps.
    const auto msgs = MessagesOf(dlg);
    EXPECT_EQ(msgs, (std::vector<UINT>{WM_SETFONT, WM_INITDIALOG, WM_SHOWWINDOW}));
    ui::PumpMessages();
    EXPECT_EQ(MessagesOf(dlg).at(3), static_cast<UINT>(WM_PAINT));
}

TEST_F(Dialogs, ButtonsNotifyAndCheck) {
    HWND dlg = Dialog(kRollout);
    ui::PumpMessages();
    Log().clear();
    ui::Click(GetDlgItem(dlg, 13));
    ui::Click(GetDlgItem(dlg, 12));
    EXPECT_EQ(Commands(dlg), (std::vector<std::pair<int, int>>{{13, BN_CLICKED}, {12, BN_CLICKED}}));
    EXPECT_EQ(IsDlgButtonChecked(dlg, 12), BST_CHECKED);
    ui::Click(GetDlgItem(dlg, 12));
    EXPECT_EQ(IsDlgButtonChecked(dlg, 12), BST_UNCHECKED);
    CheckDlgButton(dlg, 12, BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 12), BST_CHECKED);
    EXPECT_EQ(Commands(dlg).size(), 3u) << "checking from code sends nothing";

    // Released outside the button: no click.
    Log().clear();
    const POINT in = ui::ScreenPoint(GetDlgItem(dlg, 13));
    ui::MouseDown(in, ui::MouseButton::left);
    ui::MouseMove({in.x + 200, in.y});
    ui::MouseUp({in.x + 200, in.y}, ui::MouseButton::left);
    EXPECT_TRUE(Commands(dlg).empty());
    // Disabled: no click either.
    EnableWindow(GetDlgItem(dlg, 13), FALSE);
    ui::Click(GetDlgItem(dlg, 13));
    EXPECT_TRUE(Commands(dlg).empty());
}

TEST_F(Dialogs, RadioButtonsKeepToTheirGroup) {
    HWND dlg = Dialog(R"(
1 DIALOGEX 0, 0, 100, 100
STYLE WS_POPUP | WS_VISIBLE
FONT 8, "MS Sans Serif"
BEGIN
    CONTROL "A1",1,"Button",BS_AUTORADIOBUTTON | WS_GROUP,0,0,50,10
    CONTROL "A2",2,"Button",BS_AUTORADIOBUTTON,0,10,50,10
    CONTROL "A3",3,"Button",BS_AUTORADIOBUTTON,0,20,50,10
    CONTROL "B1",4,"Button",BS_AUTORADIOBUTTON | WS_GROUP,0,30,50,10
    CONTROL "B2",5,"Button",BS_AUTORADIOBUTTON,0,40,50,10
END
)");
    ASSERT_TRUE(dlg);
    ui::Click(GetDlgItem(dlg, 4));
    ui::Click(GetDlgItem(dlg, 1));
    ui::Click(GetDlgItem(dlg, 3));
    EXPECT_EQ(IsDlgButtonChecked(dlg, 1), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 3), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 4), BST_CHECKED) << "the other group is left alone";
    CheckRadioButton(dlg, 1, 3, 2);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 2), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 3), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 4), BST_CHECKED);
}

TEST_F(Dialogs, DropDownListNotifiesOnlyTheUsersChanges) {
    HWND dlg = Dialog(R"(
1 DIALOGEX 0, 0, 100, 100
STYLE WS_POPUP | WS_VISIBLE
FONT 8, "MS Sans Serif"
BEGIN
    COMBOBOX 7,4,4,80,60,CBS_DROPDOWNLIST | WS_VSCROLL
END
)");
    HWND combo = GetDlgItem(dlg, 7);
    ASSERT_TRUE(combo);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), static_cast<LRESULT>(static_cast<int>(CB_ERR)));
    for (const char* s : {"Linear", "Exponential", "Gamma"})
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 5, 0), static_cast<LRESULT>(static_cast<int>(CB_ERR)));
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    Log().clear();

    // Open the list, pick the second item.
    ui::Click(combo);
    ASSERT_TRUE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    RECT field;
    GetWindowRect(combo, &field);
    const int row = 13 + 2;
    const POINT second{field.left + 10, field.bottom + 1 + row + row / 2};
    ui::MouseMove(second);
    ui::MouseDown(second, ui::MouseButton::left);
    ui::MouseUp(second, ui::MouseButton::left);
    EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(Commands(dlg), (std::vector<std::pair<int, int>>{{7, CBN_DROPDOWN}, {7, CBN_SELCHANGE}, {7, CBN_CLOSEUP}}));

    // Picking the chosen item again changes nothing; a click elsewhere closes.
    Log().clear();
    ui::Click(combo);
    ui::MouseDown(second, ui::MouseButton::left);
    ui::MouseUp(second, ui::MouseButton::left);
    ui::Click(combo);
    ui::MouseDown({500, 500}, ui::MouseButton::left);
    EXPECT_FALSE(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0));
    for (const auto& c : Commands(dlg)) EXPECT_NE(c.second, CBN_SELCHANGE);
    char text[32] = {};
    SendMessageA(combo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Gamma");
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), static_cast<LRESULT>(static_cast<int>(CB_ERR)));
}

INT_PTR CALLBACK OkCancelProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_COMMAND && LOWORD(wParam) == 1) EndDialog(wnd, 42);
    return msg == WM_INITDIALOG;
}

TEST_F(Dialogs, ModalDialogsRunUntilEnded) {
    std::string error;
    auto script = ParseResourceScript(R"(
5 DIALOGEX 0, 0, 80, 40
STYLE WS_POPUP | WS_CAPTION
CAPTION "Question"
FONT 8, "MS Sans Serif"
BEGIN
    DEFPUSHBUTTON "OK",1,4,20,30,14
END
)",
                                      "modal.rc", ".", error);
    ASSERT_TRUE(script) << error;
    HINSTANCE module = reinterpret_cast<HINSTANCE>(0x5000);
    ui::AddModuleDialogs(module, *script);
    HWND owner = Recorder("owner", 0, 0, 50, 50);
    bool ownerDisabledMeanwhile = false;
    ui::SetModalDialogHook([&](HWND dlg) {
        ownerDisabledMeanwhile = !IsWindowEnabled(owner);
        ui::Click(GetDlgItem(dlg, 1));
    });
    EXPECT_EQ(DialogBoxParamA(module, MAKEINTRESOURCEA(5), owner, OkCancelProc, 0), 42);
    EXPECT_TRUE(ownerDisabledMeanwhile);
    EXPECT_TRUE(IsWindowEnabled(owner));
    ui::SetModalDialogHook([](HWND) {});
    EXPECT_EQ(DialogBoxParamA(module, MAKEINTRESOURCEA(5), owner, OkCancelProc, 0), 2) << "left open: cancelled";
    EXPECT_EQ(DialogBoxParamA(module, MAKEINTRESOURCEA(6), owner, OkCancelProc, 0), -1);
    ui::ForgetModuleDialogs(module);
}

TEST_F(Dialogs, ScreenshotOfTheMainRollout) {
    std::string error;
    auto script = ReadResourceScript("module/contorra.rc", error);
    ASSERT_TRUE(script) << error;
    const DialogTemplate* tpl = script->Dialog(125);
    ASSERT_TRUE(tpl);
    HWND dlg = ui::CreateDialogFromTemplate(*tpl, nullptr, RecordingDialogProc, 0);
    ASSERT_TRUE(dlg);
    ISpinnerControl* spin = GetISpinner(GetDlgItem(dlg, static_cast<int>(script->symbols.at("IDC_ITER_SPIN"))));
    ASSERT_TRUE(spin);
    spin->LinkToEdit(GetDlgItem(dlg, static_cast<int>(script->symbols.at("IDC_ITER_EDIT"))), EDITTYPE_INT);
    spin->SetLimits(1, 16);
    spin->SetValue(10, FALSE);
    ReleaseISpinner(spin);
    const auto path = std::filesystem::temp_directory_path() / "contorra_ui_main_rollout.png";
    ui::WriteWindowPng(dlg, path);
    const contorra::RasterImage image = contorra::ReadPng(path);
    EXPECT_EQ(image.Width(), 162);
    EXPECT_EQ(image.Height(), 159);
    // The push button's face and its caption's dark pixels are there.
    int dark = 0;
    for (int y = 126; y < 148; ++y)
        for (int x = 21; x < 141; ++x)
            if (image.Pixel(x, y).r < 80) ++dark;
    EXPECT_GT(dark, 20);
    if (!std::getenv("CONTORRA_KEEP_SHOTS")) std::filesystem::remove(path);
}

} // namespace
