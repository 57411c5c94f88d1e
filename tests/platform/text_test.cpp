// TextOutA and GetTextExtentPoint32A in the DC's font: measuring, the text
// cell, background modes, code page 932 characters and clipping. Nothing here
// knows the font's size; every expectation comes from the calls themselves.
#include "support/saver_fixture.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kWidth = 320, kHeight = 160;
constexpr COLORREF kCanvas = RGB(0, 0, 128);
constexpr COLORREF kBack = RGB(0, 160, 0);
constexpr COLORREF kInk = RGB(255, 255, 0);

// Wine takes the ANSI code page from the Unix locale; the layer is always a
// Japanese machine.
bool AnsiCodePageIsJapanese() {
    if (Layer::Available()) return true;
    using GetAcp = UINT(WINAPI *)();
    auto getAcp = reinterpret_cast<GetAcp>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetACP"));
    return getAcp && getAcp() == 932;
}

// Smoothed text (as Wine draws it) blends the two colours at glyph edges:
// each channel of such a pixel lies between theirs.
bool Between(COLORREF c, COLORREF a, COLORREF b) {
    auto in = [](int v, int x, int y) { return v >= std::min(x, y) && v <= std::max(x, y); };
    return c != CLR_INVALID && in(GetRValue(c), GetRValue(a), GetRValue(b)) &&
           in(GetGValue(c), GetGValue(a), GetGValue(b)) && in(GetBValue(c), GetBValue(a), GetBValue(b));
}

class Text : public DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        OpenWindow(kWidth, kHeight);
        if (dc) Paint(dc, kCanvas);
    }

    static void Paint(HDC target, COLORREF color) {
        RECT all{0, 0, kWidth, kHeight};
        HBRUSH brush = CreateSolidBrush(color);
        FillRect(target, &all, brush);
        DeleteObject(brush);
    }

    SIZE Extent(const char *text) {
        SIZE size{-1, -1};
        EXPECT_TRUE(GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &size)) << text;
        return size;
    }

    BOOL Draw(int x, int y, const char *text) { return TextOutA(dc, x, y, text, static_cast<int>(strlen(text))); }

    int Count(RECT r, COLORREF color) {
        int n = 0;
        for (int y = r.top; y < r.bottom; y++)
            for (int x = r.left; x < r.right; x++) n += GetPixel(dc, x, y) == color;
        return n;
    }
    int CountBetween(RECT r, COLORREF a, COLORREF b) {
        int n = 0;
        for (int y = r.top; y < r.bottom; y++)
            for (int x = r.left; x < r.right; x++) n += Between(GetPixel(dc, x, y), a, b);
        return n;
    }
    int Area(RECT r) { return (r.right - r.left) * (r.bottom - r.top); }

    // The pixels just outside a rectangle, all round it.
    bool FrameIs(RECT r, COLORREF color) {
        for (int x = r.left - 1; x <= r.right; x++)
            if (GetPixel(dc, x, r.top - 1) != color || GetPixel(dc, x, r.bottom) != color) return false;
        for (int y = r.top; y < r.bottom; y++)
            if (GetPixel(dc, r.left - 1, y) != color || GetPixel(dc, r.right, y) != color) return false;
        return true;
    }
};

TEST_F(Text, ExtentIsTheSumOfTheCharactersByOneLineHigh) {
    SIZE empty{-1, -1};
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "", 0, &empty));
    EXPECT_EQ(empty.cx, 0);
    EXPECT_EQ(empty.cy, 0);

    SIZE a = Extent("A"), b = Extent("B"), ab = Extent("AB");
    EXPECT_GT(a.cx, 0);
    EXPECT_GT(a.cy, 0);
    EXPECT_EQ(ab.cx, a.cx + b.cx);
    EXPECT_EQ(ab.cy, a.cy);
    EXPECT_EQ(Extent("AAAA").cx, 4 * a.cx);
    EXPECT_GT(Extent("Screen saver").cx, Extent("Screen").cx);

    SIZE firstTwo{-1, -1};
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "ABCDEF", 2, &firstTwo)) << "the length counts bytes, not the string";
    EXPECT_EQ(firstTwo.cx, ab.cx);
    EXPECT_EQ(firstTwo.cy, ab.cy);
}

TEST_F(Text, OpaqueTextFillsItsCellWithTheBackgroundAndInksGlyphsInTheTextColour) {
    SetBkColor(dc, kBack);
    SetTextColor(dc, kInk);
    const char *text = "Hi, there";
    SIZE size = Extent(text);
    ASSERT_TRUE(Draw(20, 30, text));

    RECT cell{20, 30, 20 + size.cx, 30 + size.cy};
    int ink = Count(cell, kInk), back = Count(cell, kBack);
    EXPECT_GT(ink, 0);
    EXPECT_GT(back, Area(cell) / 2) << "most of a text cell is background";
    EXPECT_EQ(CountBetween(cell, kBack, kInk), Area(cell)) << "every pixel of the cell is text or background colour, or a blend of them";
    EXPECT_TRUE(FrameIs(cell, kCanvas)) << "the cell starts at the reference point and ends at the extent";

    ASSERT_TRUE(TextOutA(dc, 200, 80, "A", 0));
    EXPECT_EQ(Count(RECT{190, 70, 230, 120}, kCanvas), 40 * 50) << "no characters, no cell";
}

TEST_F(Text, TransparentTextLeavesTheBackgroundAndInksTheSameGlyphs) {
    // The banner's colours: white on black.
    SetBkColor(dc, RGB(0, 0, 0));
    SetTextColor(dc, RGB(255, 255, 255));
    const char *text = "Slides 1/12";
    SIZE size = Extent(text);
    ASSERT_TRUE(Draw(20, 10, text));
    SetBkMode(dc, TRANSPARENT);
    ASSERT_TRUE(Draw(20, 60, text));

    const COLORREF white = RGB(255, 255, 255);
    int ink = 0, untouched = 0;
    for (int y = 0; y < size.cy; y++)
        for (int x = 0; x < size.cx; x++) {
            COLORREF opaque = GetPixel(dc, 20 + x, 10 + y), clear = GetPixel(dc, 20 + x, 60 + y);
            ASSERT_EQ(opaque == white, clear == white) << x << "," << y;
            ASSERT_TRUE(Between(clear, kCanvas, white)) << x << "," << y << " has the background colour";
            ink += clear == white;
            untouched += clear == kCanvas;
        }
    EXPECT_GT(ink, 0);
    EXPECT_GT(untouched, size.cx * size.cy / 2);
    EXPECT_TRUE(FrameIs(RECT{20, 60, 20 + size.cx, 60 + size.cy}, kCanvas));
}

TEST_F(Text, DoubleByteCharactersAreOneFullWidthCharacterEach) {
    if (!AnsiCodePageIsJapanese()) GTEST_SKIP() << "the ANSI code page is not 932 (run Wine with a Japanese locale)";
    SIZE a = Extent("A"), nichi = Extent("日"), hon = Extent("本"), both = Extent("日本");
    EXPECT_GT(nichi.cx, a.cx);
    EXPECT_GT(hon.cx, a.cx);
    EXPECT_EQ(both.cx, nichi.cx + hon.cx) << "four bytes, two characters";
    EXPECT_EQ(both.cy, a.cy);

    SIZE loneLead{-1, -1};
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "日本", 3, &loneLead));
    EXPECT_GT(loneLead.cx, nichi.cx) << "a lead byte without its trail byte is still a character";
    EXPECT_LT(loneLead.cx, both.cx);

    SIZE halfKana = Extent("ｱ"), fullKana = Extent("ア");
    EXPECT_GT(halfKana.cx, 0);
    EXPECT_LT(halfKana.cx, fullKana.cx);

    SetBkColor(dc, kBack);
    SetTextColor(dc, kInk);
    ASSERT_TRUE(Draw(10, 10, "日本"));
    ASSERT_TRUE(Draw(10, 40, "ｱ"));
    EXPECT_GT(Count(RECT{10, 10, 10 + nichi.cx, 10 + a.cy}, kInk), 0);
    EXPECT_GT(Count(RECT{10 + nichi.cx, 10, 10 + both.cx, 10 + a.cy}, kInk), 0);
    EXPECT_GT(Count(RECT{10, 40, 10 + halfKana.cx, 40 + a.cy}, kInk), 0);
    bool differ = false;
    for (int y = 10; y < 10 + a.cy && !differ; y++)
        for (int x = 0; x < std::min(nichi.cx, hon.cx) && !differ; x++)
            differ = (GetPixel(dc, 10 + x, y) == kInk) != (GetPixel(dc, 10 + nichi.cx + x, y) == kInk);
    EXPECT_TRUE(differ) << "日 and 本 are drawn with their own glyphs";
}

TEST_F(Text, TextIsClippedToTheWindowAndToAChildWindow) {
    SetBkColor(dc, kBack);
    SetTextColor(dc, kInk);
    const char *text = "Clipped";
    SIZE size = Extent(text);
    ASSERT_TRUE(Draw(0, 10, text));
    ASSERT_TRUE(Draw(-5, 40, text));
    int ink = 0;
    for (int y = 0; y < size.cy; y++)
        for (int x = 0; x + 5 < size.cx; x++) {
            ASSERT_EQ(GetPixel(dc, x, 40 + y), GetPixel(dc, x + 5, 10 + y)) << x << "," << y;
            ink += GetPixel(dc, x, 40 + y) == kInk;
        }
    EXPECT_GT(ink, 0);

    EXPECT_TRUE(Draw(-100000, 70, "Far to the left"));
    EXPECT_TRUE(Draw(kWidth + 100000, 70, "Far to the right"));
    EXPECT_EQ(Count(RECT{0, 70, kWidth, 70 + size.cy}, kCanvas), kWidth * size.cy);

    HWND child = CreateWindowExA(0, "TestPlainWindow", "", WS_CHILD | WS_VISIBLE, 40, 100, 30, 8, window, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(child, nullptr);
    Pump();
    Paint(dc, kCanvas);
    HDC childDc = GetDC(child);
    SetBkColor(childDc, kBack);
    SetTextColor(childDc, kInk);
    EXPECT_TRUE(TextOutA(childDc, -3, -4, "Child text", 10));
    ReleaseDC(child, childDc);

    RECT inside{40, 100, 70, 108};
    EXPECT_EQ(CountBetween(inside, kBack, kInk), Area(inside)) << "the text covers the whole child";
    EXPECT_GT(Count(inside, kBack), 0);
    EXPECT_TRUE(FrameIs(inside, kCanvas)) << "and nothing of the parent around it";
    EXPECT_EQ(Count(RECT{70, 96, 160, 124}, kCanvas), 90 * 28);
    DestroyWindow(child);
}

TEST_F(Text, BadArgumentsFailAndDrawNothing) {
    SIZE size{-1, -1};
    EXPECT_FALSE(TextOutA(nullptr, 10, 10, "A", 1));
    EXPECT_FALSE(GetTextExtentPoint32A(nullptr, "A", 1, &size));
    EXPECT_FALSE(TextOutA(dc, 10, 10, "A", -1));
    EXPECT_FALSE(GetTextExtentPoint32A(dc, "A", -1, &size));
    BOOL drawn = TextOutA(dc, 10, 10, nullptr, 3);
    BOOL measured = GetTextExtentPoint32A(dc, nullptr, 3, &size);
    // Wine accepts a null string and draws nothing; the layer refuses it.
    if (Layer::Available()) {
        EXPECT_FALSE(drawn);
        EXPECT_FALSE(measured);
    }
    EXPECT_EQ(Count(RECT{0, 0, 80, 40}, kCanvas), 80 * 40);
}

}  // namespace
