// The window tree's messages: order of creation, painting and destruction,
// sent against posted, capture, scroll bars.
#include <algorithm>

#include "tests/ui/ui_fixture.h"

using namespace uitest;
namespace ui = contorra::ui;

namespace {

std::vector<UINT> Only(const std::vector<UINT>& all, std::initializer_list<UINT> keep) {
    std::vector<UINT> out;
    for (UINT m : all)
        if (std::find(keep.begin(), keep.end(), m) != keep.end()) out.push_back(m);
    return out;
}

class WindowMessages : public UiTest {};

TEST_F(WindowMessages, LifeOfAWindowTree) {
    HWND top = Recorder("top", 0, 0, 100, 80);
    HWND child = Recorder("child", 10, 10, 30, 20, top, 7);
    HWND grandchild = Recorder("grand", 2, 2, 10, 10, child, 8);
    ASSERT_TRUE(top && child && grandchild);
    EXPECT_EQ(GetParent(grandchild), child);
    EXPECT_EQ(GetDlgItem(top, 7), child);
    EXPECT_EQ(GetDlgCtrlID(grandchild), 8);
    EXPECT_EQ(Sequence({WM_CREATE}), (std::vector<std::string>{"top:1", "child:1", "grand:1"}));

    // Nothing is painted before the host pumps; then each window is painted
    // once, parents first, erased from within its BeginPaint.
    EXPECT_TRUE(Sequence({WM_PAINT}).empty());
    ui::PumpMessages();
    EXPECT_EQ(Sequence({WM_ERASEBKGND, WM_PAINT}),
              (std::vector<std::string>{"top:15", "top:20", "child:15", "child:20", "grand:15", "grand:20"}));
    Log().clear();
    ui::PumpMessages();
    EXPECT_TRUE(Log().empty()) << "a painted tree is not painted again";

    // WM_DESTROY from the top down, WM_NCDESTROY from the leaves up.
    Log().clear();
    EXPECT_TRUE(DestroyWindow(top));
    EXPECT_EQ(Sequence({WM_DESTROY, WM_NCDESTROY}).size(), 6u);
    std::vector<std::pair<HWND, UINT>> order;
    for (const Logged& l : Log())
        if (l.msg == WM_DESTROY || l.msg == WM_NCDESTROY) order.emplace_back(l.wnd, l.msg);
    const std::vector<std::pair<HWND, UINT>> expected = {
        {top, WM_DESTROY},          {child, WM_DESTROY},   {grandchild, WM_DESTROY},
        {grandchild, WM_NCDESTROY}, {child, WM_NCDESTROY}, {top, WM_NCDESTROY}};
    EXPECT_EQ(order, expected);
    EXPECT_FALSE(IsWindow(top) || IsWindow(child) || IsWindow(grandchild));
    EXPECT_FALSE(DestroyWindow(top));
}

TEST_F(WindowMessages, SentAtOncePostedWhenPumpedHiddenNotPainted) {
    HWND a = Recorder("a", 0, 0, 50, 50);
    HWND hidden = Recorder("hidden", 5, 5, 10, 10, a, 1, 0);
    ui::PumpMessages();
    Log().clear();
    PostMessageA(a, WM_USER + 1, 1, 0);
    SendMessageA(a, WM_USER + 2, 2, 0);
    SendNotifyMessageA(a, WM_USER + 3, 3, 0);
    EXPECT_EQ(Only(MessagesOf(a), {WM_USER + 1, WM_USER + 2, WM_USER + 3}),
              (std::vector<UINT>{WM_USER + 2, WM_USER + 3}));
    ui::PumpMessages();
    EXPECT_EQ(Only(MessagesOf(a), {WM_USER + 1, WM_USER + 2, WM_USER + 3}),
              (std::vector<UINT>{WM_USER + 2, WM_USER + 3, WM_USER + 1}));
    EXPECT_TRUE(Only(MessagesOf(hidden), {WM_PAINT}).empty());
    EXPECT_FALSE(IsWindowVisible(hidden));

    // Showing it paints it; a posted message to a window destroyed meanwhile is dropped.
    ShowWindow(hidden, SW_SHOW);
    PostMessageA(hidden, WM_USER + 4, 0, 0);
    ui::PumpMessages();
    EXPECT_EQ(Only(MessagesOf(hidden), {WM_PAINT}).size(), 1u);
    PostMessageA(hidden, WM_USER + 5, 0, 0);
    DestroyWindow(hidden);
    ui::PumpMessages();
    EXPECT_TRUE(Only(MessagesOf(hidden), {WM_USER + 5}).empty());
}

TEST_F(WindowMessages, InvalidationErasesOnlyWhenAsked) {
    HWND a = Recorder("a", 0, 0, 50, 50);
    ui::PumpMessages();
    Log().clear();
    RECT part{0, 0, 10, 10};
    InvalidateRect(a, &part, FALSE);
    InvalidateRect(a, &part, FALSE);
    ui::PumpMessages();
    EXPECT_EQ(Only(MessagesOf(a), {WM_ERASEBKGND, WM_PAINT}), (std::vector<UINT>{WM_PAINT}));
    Log().clear();
    InvalidateRect(a, nullptr, TRUE);
    UpdateWindow(a);
    EXPECT_EQ(Only(MessagesOf(a), {WM_ERASEBKGND, WM_PAINT}), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
}

TEST_F(WindowMessages, CaptureTakesTheMouseWherever) {
    HWND top = Recorder("top", 100, 100, 200, 100);
    HWND left = Recorder("left", 0, 0, 100, 100, top, 1);
    HWND right = Recorder("right", 100, 0, 100, 100, top, 2);
    ui::PumpMessages();
    EXPECT_EQ(ui::WindowFromPoint({150, 150}), left);
    EXPECT_EQ(ui::WindowFromPoint({250, 150}), right);
    EXPECT_EQ(ui::WindowFromPoint({50, 50}), nullptr);

    Log().clear();
    ui::MouseMove({250, 120});
    ASSERT_FALSE(MessagesOf(right).empty());
    EXPECT_EQ(Log().back().lParam, MAKELPARAM(50, 20)) << "client coordinates of the window under the mouse";

    SetCapture(left);
    EXPECT_EQ(GetCapture(), left);
    Log().clear();
    ui::MouseMove({250, 120}, {true, false, false});
    ASSERT_EQ(MessagesOf(left), (std::vector<UINT>{WM_MOUSEMOVE}));
    EXPECT_TRUE(MessagesOf(right).empty());
    EXPECT_EQ(Log().back().lParam, MAKELPARAM(150, 20)) << "relative to the capturing window";
    EXPECT_EQ(Log().back().wParam & MK_SHIFT, MK_SHIFT);
    EXPECT_NE(GetAsyncKeyState(VK_SHIFT) & 0x8000, 0);

    ReleaseCapture();
    EXPECT_EQ(Only(MessagesOf(left), {WM_CAPTURECHANGED}).size(), 1u);
    Log().clear();
    ui::MouseMove({250, 120});
    EXPECT_TRUE(MessagesOf(left).empty());
    EXPECT_EQ(MessagesOf(right), (std::vector<UINT>{WM_MOUSEMOVE}));
    EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);

    // Destroying the capture releases it.
    SetCapture(right);
    DestroyWindow(right);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(WindowMessages, ScrollPositionsStayInRange) {
    HWND a = Recorder("a", 0, 0, 100, 100);
    ShowScrollBar(a, SB_VERT, TRUE);
    RECT client;
    GetClientRect(a, &client);
    EXPECT_EQ(client.right, 100 - 16) << "the bar takes its width from the client area";
    SetScrollRange(a, SB_VERT, 0, 10, FALSE);
    EXPECT_EQ(SetScrollPos(a, SB_VERT, 15, FALSE), 0);
    EXPECT_EQ(GetScrollPos(a, SB_VERT), 10);
    SetScrollPos(a, SB_VERT, -3, FALSE);
    EXPECT_EQ(GetScrollPos(a, SB_VERT), 0);
    SCROLLINFO si;
    si.fMask = SIF_PAGE | SIF_POS;
    si.nPage = 4;
    si.nPos = 9;
    EXPECT_EQ(SetScrollInfo(a, SB_VERT, &si, TRUE), 7) << "a page of 4 ends at 10";
    // A shrinking range pulls the position in.
    SetScrollRange(a, SB_VERT, 0, 5, FALSE);
    EXPECT_EQ(GetScrollPos(a, SB_VERT), 2);
    int lo = -1, hi = -1;
    GetScrollRange(a, SB_VERT, &lo, &hi);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 5);
}

TEST_F(WindowMessages, ScrollBarClicksAndThumbDrags) {
    HWND a = Recorder("a", 0, 0, 100, 116);
    ShowScrollBar(a, SB_VERT, TRUE);
    SetScrollRange(a, SB_VERT, 0, 100, TRUE);
    ui::PumpMessages();
    auto codes = [&] {
        std::vector<std::pair<int, int>> out;
        for (const Logged& l : Log())
            if (l.msg == WM_VSCROLL) out.emplace_back(LOWORD(l.wParam), HIWORD(l.wParam));
        return out;
    };
    // Arrows at the ends, the track above and below the thumb.
    Log().clear();
    ui::MouseDown({92, 4}, ui::MouseButton::left);
    ui::MouseUp({92, 4}, ui::MouseButton::left);
    ui::MouseDown({92, 110}, ui::MouseButton::left);
    ui::MouseUp({92, 110}, ui::MouseButton::left);
    ui::MouseDown({92, 80}, ui::MouseButton::left);
    ui::MouseUp({92, 80}, ui::MouseButton::left);
    EXPECT_EQ(codes(), (std::vector<std::pair<int, int>>{{SB_LINEUP, 0},
                                                        {SB_ENDSCROLL, 0},
                                                        {SB_LINEDOWN, 0},
                                                        {SB_ENDSCROLL, 0},
                                                        {SB_PAGEDOWN, 0},
                                                        {SB_ENDSCROLL, 0}}));
    EXPECT_TRUE(Only(MessagesOf(a), {WM_LBUTTONDOWN}).empty()) << "bar clicks are not client clicks";

    // The thumb (16 long at the top of an 84-pixel track) dragged to the end.
    Log().clear();
    ui::MouseDown({92, 20}, ui::MouseButton::left);
    ui::MouseMove({92, 60});
    ui::MouseMove({92, 200});
    ui::MouseUp({92, 200}, ui::MouseButton::left);
    const auto got = codes();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].first, SB_THUMBTRACK);
    EXPECT_GT(got[0].second, 40);
    EXPECT_LT(got[0].second, 70);
    EXPECT_EQ(got[1], std::make_pair(static_cast<int>(SB_THUMBTRACK), 100));
    EXPECT_EQ(got[2], std::make_pair(static_cast<int>(SB_THUMBPOSITION), 100));
    EXPECT_EQ(got[3].first, SB_ENDSCROLL);
    EXPECT_EQ(GetScrollPos(a, SB_VERT), 0) << "the window moves its own bar";
}

TEST_F(WindowMessages, TimersRunOnTheHostClock) {
    HWND a = Recorder("a", 0, 0, 10, 10);
    SetTimer(a, 5, 100, nullptr);
    ui::Wait(99);
    EXPECT_TRUE(Only(MessagesOf(a), {WM_TIMER}).empty());
    ui::Wait(250);
    EXPECT_EQ(Only(MessagesOf(a), {WM_TIMER}).size(), 3u);
    KillTimer(a, 5);
    ui::Wait(1000);
    EXPECT_EQ(Only(MessagesOf(a), {WM_TIMER}).size(), 3u);
}

TEST_F(WindowMessages, DisabledWindowsGetNoMouse) {
    HWND top = Recorder("top", 0, 0, 100, 100);
    HWND b = Recorder("b", 0, 0, 50, 50, top, 1);
    EnableWindow(b, FALSE);
    EXPECT_FALSE(IsWindowEnabled(b));
    EXPECT_EQ(Only(MessagesOf(b), {WM_ENABLE}).size(), 1u);
    ui::MouseDown({10, 10}, ui::MouseButton::left);
    EXPECT_TRUE(Only(MessagesOf(b), {WM_LBUTTONDOWN}).empty());
    EnableWindow(top, FALSE);
    EnableWindow(b, TRUE);
    ui::MouseDown({10, 10}, ui::MouseButton::left);
    EXPECT_TRUE(Only(MessagesOf(b), {WM_LBUTTONDOWN}).empty()) << "an ancestor disabled";
}

TEST_F(WindowMessages, BareRolloutsKeepTheTextsOfItemsTheyLack) {
    // A rollout opened before its template is known still takes texts.
    HWND bare = win32host::CreateHeadlessWindow("#32770", nullptr, 125);
    ASSERT_TRUE(IsWindow(bare));
    EXPECT_EQ(win32host::WindowTemplateId(bare), 125);
    EXPECT_TRUE(SetDlgItemTextA(bare, 1000, "Version: 1"));
    char text[32] = {};
    EXPECT_EQ(GetDlgItemTextA(bare, 1000, text, sizeof text), 10u);
    EXPECT_STREQ(text, "Version: 1");
    EXPECT_EQ(GetDlgItem(bare, 1000), nullptr);
}

TEST(NoWindowSystem, CallsAnswerAsForNoWindow) {
    ASSERT_EQ(win32host::InstalledWindowSystem(), nullptr);
    HWND rec = win32host::CreateHeadlessWindow("#32770", nullptr, 7);
    EXPECT_TRUE(SetDlgItemTextA(rec, 3, "kept"));
    char text[16] = {};
    GetDlgItemTextA(rec, 3, text, sizeof text);
    EXPECT_STREQ(text, "kept");
    EXPECT_EQ(GetDlgItem(rec, 3), nullptr);
    EXPECT_EQ(SendMessageA(rec, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetDC(rec), nullptr);
    EXPECT_EQ(GetISpinner(rec), nullptr);
    EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);
    EXPECT_TRUE(DestroyWindow(rec));
    {
        ui::WindowSystemScope scope;
        EXPECT_NE(win32host::InstalledWindowSystem(), nullptr);
    }
    EXPECT_EQ(win32host::InstalledWindowSystem(), nullptr);
}

} // namespace
