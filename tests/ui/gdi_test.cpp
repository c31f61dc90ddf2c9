// GDI onto the canvas: the pixels Windows itself would touch, no more.
#include <functional>

#include "tests/ui/ui_fixture.h"

using namespace uitest;
namespace ui = contorra::ui;

namespace {

std::function<void(HDC)> painter;

LRESULT CALLBACK PainterProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        if (painter) painter(dc);
        EndPaint(wnd, &ps);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

class Gdi : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        WNDCLASSEXA wc;
        wc.lpfnWndProc = PainterProc;
        wc.lpszClassName = "TestPainter";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        RegisterClassExA(&wc);
        painter = nullptr;
    }
    void TearDown() override {
        UnregisterClassA("TestPainter", nullptr);
        painter = nullptr;
        UiTest::TearDown();
    }
    // A 40 x 30 window painted by p, captured.
    contorra::RasterImage Paint(std::function<void(HDC)> p) {
        painter = std::move(p);
        HWND w = CreateWindowExA(0, "TestPainter", "", WS_VISIBLE, 0, 0, 40, 30, nullptr, nullptr,
                                 nullptr, nullptr);
        contorra::RasterImage image = ui::CaptureWindow(w);
        DestroyWindow(w);
        return image;
    }
    static COLORREF At(const contorra::RasterImage& image, int x, int y) {
        const auto p = image.Pixel(x, y);
        return RGB(p.r, p.g, p.b);
    }
};

TEST_F(Gdi, RectangleOutlinesInsideAndLeavesRightAndBottomOut) {
    const auto image = Paint([](HDC dc) {
        SelectObject(dc, GetStockObject(DC_PEN));
        SelectObject(dc, GetStockObject(DC_BRUSH));
        SetDCPenColor(dc, kRed);
        SetDCBrushColor(dc, kBlue);
        Rectangle(dc, 2, 3, 8, 9);
    });
    for (int x = 2; x < 8; ++x) {
        EXPECT_EQ(At(image, x, 3), kRed) << x;
        EXPECT_EQ(At(image, x, 8), kRed) << x;
        EXPECT_EQ(At(image, x, 9), kWhite) << x;
    }
    for (int y = 3; y < 9; ++y) {
        EXPECT_EQ(At(image, 2, y), kRed) << y;
        EXPECT_EQ(At(image, 7, y), kRed) << y;
        EXPECT_EQ(At(image, 8, y), kWhite) << y;
        EXPECT_EQ(At(image, 1, y), kWhite) << y;
    }
    EXPECT_EQ(At(image, 3, 4), kBlue);
    EXPECT_EQ(At(image, 6, 7), kBlue);
    EXPECT_EQ(At(image, 2, 2), kWhite);
}

TEST_F(Gdi, NullPenAndNullBrushDrawNothingOfTheirPart) {
    const auto image = Paint([](HDC dc) {
        SelectObject(dc, GetStockObject(NULL_PEN));
        SelectObject(dc, GetStockObject(BLACK_BRUSH));
        Rectangle(dc, 0, 0, 4, 4);
        SelectObject(dc, GetStockObject(BLACK_PEN));
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, 10, 10, 16, 16);
    });
    EXPECT_EQ(At(image, 0, 0), RGB(0, 0, 0)) << "no outline: the fill reaches the edge";
    EXPECT_EQ(At(image, 3, 3), RGB(0, 0, 0));
    EXPECT_EQ(At(image, 4, 4), kWhite);
    EXPECT_EQ(At(image, 10, 10), RGB(0, 0, 0));
    EXPECT_EQ(At(image, 12, 12), kWhite) << "hollow";
}

TEST_F(Gdi, FillAndFrameLeaveRightAndBottomOut) {
    const auto image = Paint([](HDC dc) {
        HBRUSH red = CreateSolidBrush(kRed);
        const RECT fill{1, 1, 5, 4};
        FillRect(dc, &fill, red);
        const RECT frame{10, 10, 15, 14};
        FrameRect(dc, &frame, red);
        DeleteObject(red);
    });
    EXPECT_EQ(At(image, 1, 1), kRed);
    EXPECT_EQ(At(image, 4, 3), kRed);
    EXPECT_EQ(At(image, 5, 3), kWhite);
    EXPECT_EQ(At(image, 4, 4), kWhite);
    EXPECT_EQ(At(image, 10, 10), kRed);
    EXPECT_EQ(At(image, 14, 13), kRed);
    EXPECT_EQ(At(image, 12, 12), kWhite);
    EXPECT_EQ(At(image, 15, 13), kWhite);
}

TEST_F(Gdi, LinesLeaveOutTheirEndPoint) {
    const auto image = Paint([](HDC dc) {
        HPEN red = CreatePen(PS_SOLID, 1, kRed);
        HGDIOBJ old = SelectObject(dc, red);
        MoveToEx(dc, 1, 1, nullptr);
        LineTo(dc, 6, 1);
        LineTo(dc, 6, 5);
        MoveToEx(dc, 10, 10, nullptr);
        LineTo(dc, 14, 14);
        SelectObject(dc, old);
        EXPECT_FALSE(DeleteObject(GetStockObject(BLACK_PEN))) << "stock objects stay";
        EXPECT_TRUE(DeleteObject(red));
    });
    for (int x = 1; x < 6; ++x) EXPECT_EQ(At(image, x, 1), kRed) << x;
    for (int y = 1; y < 5; ++y) EXPECT_EQ(At(image, 6, y), kRed) << y;
    EXPECT_EQ(At(image, 6, 5), kWhite);
    EXPECT_EQ(At(image, 0, 1), kWhite);
    for (int i = 10; i < 14; ++i) EXPECT_EQ(At(image, i, i), kRed) << i;
    EXPECT_EQ(At(image, 14, 14), kWhite);
}

TEST_F(Gdi, PolygonFillsInsideItsOutline) {
    const auto image = Paint([](HDC dc) {
        SelectObject(dc, GetStockObject(DC_PEN));
        SelectObject(dc, GetStockObject(DC_BRUSH));
        SetDCPenColor(dc, kRed);
        SetDCBrushColor(dc, kBlue);
        const POINT tri[3] = {{2, 2}, {22, 2}, {2, 22}};
        Polygon(dc, tri, 3);
    });
    EXPECT_EQ(At(image, 2, 2), kRed);
    EXPECT_EQ(At(image, 2, 12), kRed);
    EXPECT_EQ(At(image, 6, 6), kBlue);
    EXPECT_EQ(At(image, 20, 20), kWhite);
}

TEST_F(Gdi, DrawingStaysInsideTheWindow) {
    // A child's drawing never reaches its parent's pixels.
    painter = [](HDC dc) {
        HBRUSH red = CreateSolidBrush(kRed);
        const RECT everywhere{-100, -100, 100, 100};
        FillRect(dc, &everywhere, red);
        DeleteObject(red);
    };
    HWND top = Recorder("top", 0, 0, 40, 30);
    HWND child = CreateWindowExA(0, "TestPainter", "", WS_CHILD | WS_VISIBLE, 10, 5, 8, 6, top, nullptr,
                                 nullptr, nullptr);
    ASSERT_TRUE(child);
    const auto image = ui::CaptureWindow(top);
    EXPECT_EQ(At(image, 10, 5), kRed);
    EXPECT_EQ(At(image, 17, 10), kRed);
    EXPECT_EQ(At(image, 18, 10), kWhite);
    EXPECT_EQ(At(image, 9, 5), kWhite);
    EXPECT_EQ(At(image, 10, 11), kWhite);
}

TEST_F(Gdi, TextIsDrawnWhereItsExtentSays) {
    SIZE ext{};
    RECT calc{0, 0, 200, 0};
    int ellipsisWidth = 0;
    const auto image = Paint([&](HDC dc) {
        SelectObject(dc, GetAppHFont());
        GetTextExtentPoint32A(dc, "Hi", 2, &ext);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        TextOutA(dc, 3, 2, "Hi", 2);
        DrawTextA(dc, "Hi", -1, &calc, DT_CALCRECT | DT_SINGLELINE);
        RECT narrow{0, 0, 30, 20};
        DrawTextA(dc, "A rather long caption", -1, &narrow, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
        ellipsisWidth = narrow.right;
    });
    ASSERT_GT(ext.cx, 0);
    EXPECT_EQ(ext.cy, 13) << "the host font's cell";
    EXPECT_EQ(calc.right, ext.cx);
    EXPECT_EQ(calc.bottom, ext.cy);
    EXPECT_LE(ellipsisWidth, 30);
    int inked = 0, outside = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            if (At(image, x, y) == kWhite) continue;
            const bool in = x >= 3 && x < 3 + ext.cx && y >= 2 && y < 2 + ext.cy;
            (in ? inked : outside)++;
        }
    EXPECT_GT(inked, 10);
    EXPECT_EQ(outside, 0);
}

TEST_F(Gdi, DrawTextPlacesByFormat) {
    // Centred and right-aligned copies of one word land where their flags say.
    SIZE ext{};
    const auto image = Paint([&](HDC dc) {
        GetTextExtentPoint32A(dc, "I", 1, &ext);
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, kBlue);
        RECT r{0, 0, 40, 30};
        DrawTextA(dc, "I", -1, &r, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    });
    // The opaque background shows the text's cell.
    EXPECT_EQ(At(image, 39, 29), kBlue);
    EXPECT_EQ(At(image, 40 - ext.cx, 30 - ext.cy), kBlue);
    EXPECT_EQ(At(image, 39 - ext.cx, 29), kWhite);
    EXPECT_EQ(At(image, 39, 29 - ext.cy), kWhite);
}

} // namespace
