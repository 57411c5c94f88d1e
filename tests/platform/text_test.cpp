// TextOutW and GetTextExtentPoint32W in the DC's font: measuring, the text
// cell, background modes, Japanese characters and clipping. Nothing here
// knows the font's size; every expectation comes from the calls themselves.
// Then font objects (the dialogs' ＭＳ ゴシック, drawn with IPAGothic on both
// sides, so its metrics are pinned) and DrawTextW, whose expectations again
// come from the font's own measurements.
#include "support/saver_fixture.h"
#include "wide.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

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
    auto getAcp = reinterpret_cast<GetAcp>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetACP"));
    return getAcp && getAcp() == 932;
}

// Smoothed text (as Wine draws it) blends the two colours at glyph edges:
// each channel of such a pixel lies between theirs.
bool Between(COLORREF c, COLORREF a, COLORREF b) {
    auto in = [](int v, int x, int y) { return v >= std::min(x, y) && v <= std::max(x, y); };
    return c != CLR_INVALID && in(GetRValue(c), GetRValue(a), GetRValue(b)) &&
           in(GetGValue(c), GetGValue(a), GetGValue(b)) && in(GetBValue(c), GetBValue(a), GetBValue(b));
}

class TextDrawing : public DrawingTest {
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

    SIZE Extent(const wchar_t *text) {
        SIZE size{-1, -1};
        EXPECT_TRUE(GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size)) << U(text);
        return size;
    }

    BOOL Draw(int x, int y, const wchar_t *text) { return TextOutW(dc, x, y, text, static_cast<int>(wcslen(text))); }

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

TEST_F(TextDrawing, ExtentIsTheSumOfTheCharactersByOneLineHigh) {
    SIZE empty{-1, -1};
    ASSERT_TRUE(GetTextExtentPoint32W(dc, L"", 0, &empty));
    EXPECT_EQ(empty.cx, 0);
    EXPECT_EQ(empty.cy, 0);

    SIZE a = Extent(L"A"), b = Extent(L"B"), ab = Extent(L"AB");
    EXPECT_GT(a.cx, 0);
    EXPECT_GT(a.cy, 0);
    EXPECT_EQ(ab.cx, a.cx + b.cx);
    EXPECT_EQ(ab.cy, a.cy);
    EXPECT_EQ(Extent(L"AAAA").cx, 4 * a.cx);
    EXPECT_GT(Extent(L"Screen saver").cx, Extent(L"Screen").cx);

    SIZE firstTwo{-1, -1};
    ASSERT_TRUE(GetTextExtentPoint32W(dc, L"ABCDEF", 2, &firstTwo)) << "the length counts units, not the string";
    EXPECT_EQ(firstTwo.cx, ab.cx);
    EXPECT_EQ(firstTwo.cy, ab.cy);
}

TEST_F(TextDrawing, OpaqueTextFillsItsCellWithTheBackgroundAndInksGlyphsInTheTextColour) {
    SetBkColor(dc, kBack);
    SetTextColor(dc, kInk);
    const wchar_t *text = L"Hi, there";
    SIZE size = Extent(text);
    ASSERT_TRUE(Draw(20, 30, text));

    RECT cell{20, 30, 20 + size.cx, 30 + size.cy};
    int ink = Count(cell, kInk), back = Count(cell, kBack);
    EXPECT_GT(ink, 0);
    EXPECT_GT(back, Area(cell) / 2) << "most of a text cell is background";
    EXPECT_EQ(CountBetween(cell, kBack, kInk), Area(cell)) << "every pixel of the cell is text or background colour, or a blend of them";
    EXPECT_TRUE(FrameIs(cell, kCanvas)) << "the cell starts at the reference point and ends at the extent";

    ASSERT_TRUE(TextOutW(dc, 200, 80, L"A", 0));
    EXPECT_EQ(Count(RECT{190, 70, 230, 120}, kCanvas), 40 * 50) << "no characters, no cell";
}

TEST_F(TextDrawing, TransparentTextLeavesTheBackgroundAndInksTheSameGlyphs) {
    // The banner's colours: white on black.
    SetBkColor(dc, RGB(0, 0, 0));
    SetTextColor(dc, RGB(255, 255, 255));
    const wchar_t *text = L"Slides 1/12";
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

TEST_F(TextDrawing, DoubleByteCharactersAreOneFullWidthCharacterEach) {
    if (!AnsiCodePageIsJapanese()) GTEST_SKIP() << "the ANSI code page is not 932 (run Wine with a Japanese locale)";
    SIZE a = Extent(L"A"), nichi = Extent(L"日"), hon = Extent(L"本"), both = Extent(L"日本");
    EXPECT_GT(nichi.cx, a.cx);
    EXPECT_GT(hon.cx, a.cx);
    EXPECT_EQ(both.cx, nichi.cx + hon.cx) << "two units, two characters";
    EXPECT_EQ(both.cy, a.cy);

    SIZE halfKana = Extent(L"ｱ"), fullKana = Extent(L"ア");
    EXPECT_GT(halfKana.cx, 0);
    EXPECT_LT(halfKana.cx, fullKana.cx);

    SetBkColor(dc, kBack);
    SetTextColor(dc, kInk);
    ASSERT_TRUE(Draw(10, 10, L"日本"));
    ASSERT_TRUE(Draw(10, 40, L"ｱ"));
    EXPECT_GT(Count(RECT{10, 10, 10 + nichi.cx, 10 + a.cy}, kInk), 0);
    EXPECT_GT(Count(RECT{10 + nichi.cx, 10, 10 + both.cx, 10 + a.cy}, kInk), 0);
    EXPECT_GT(Count(RECT{10, 40, 10 + halfKana.cx, 40 + a.cy}, kInk), 0);
    bool differ = false;
    for (int y = 10; y < 10 + a.cy && !differ; y++)
        for (int x = 0; x < std::min(nichi.cx, hon.cx) && !differ; x++)
            differ = (GetPixel(dc, 10 + x, y) == kInk) != (GetPixel(dc, 10 + nichi.cx + x, y) == kInk);
    EXPECT_TRUE(differ) << "日 and 本 are drawn with their own glyphs";
}

TEST_F(TextDrawing, TextIsClippedToTheWindowAndToAChildWindow) {
    SetBkColor(dc, kBack);
    SetTextColor(dc, kInk);
    const wchar_t *text = L"Clipped";
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

    EXPECT_TRUE(Draw(-100000, 70, L"Far to the left"));
    EXPECT_TRUE(Draw(kWidth + 100000, 70, L"Far to the right"));
    EXPECT_EQ(Count(RECT{0, 70, kWidth, 70 + size.cy}, kCanvas), kWidth * size.cy);

    HWND child = CreateWindowExW(0, L"TestPlainWindow", L"", WS_CHILD | WS_VISIBLE, 40, 100, 30, 8, window, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(child, nullptr);
    Pump();
    Paint(dc, kCanvas);
    HDC childDc = GetDC(child);
    SetBkColor(childDc, kBack);
    SetTextColor(childDc, kInk);
    EXPECT_TRUE(TextOutW(childDc, -3, -4, L"Child text", 10));
    ReleaseDC(child, childDc);

    RECT inside{40, 100, 70, 108};
    EXPECT_EQ(CountBetween(inside, kBack, kInk), Area(inside)) << "the text covers the whole child";
    EXPECT_GT(Count(inside, kBack), 0);
    EXPECT_TRUE(FrameIs(inside, kCanvas)) << "and nothing of the parent around it";
    EXPECT_EQ(Count(RECT{70, 96, 160, 124}, kCanvas), 90 * 28);
    DestroyWindow(child);
}

TEST_F(TextDrawing, BadArgumentsFailAndDrawNothing) {
    SIZE size{-1, -1};
    EXPECT_FALSE(TextOutW(nullptr, 10, 10, L"A", 1));
    EXPECT_FALSE(GetTextExtentPoint32W(nullptr, L"A", 1, &size));
    // Wine's W calls read a null string or one of negative length and fault;
    // the layer refuses both.
    if (Layer::Available()) {
        EXPECT_FALSE(TextOutW(dc, 10, 10, L"A", -1));
        EXPECT_FALSE(GetTextExtentPoint32W(dc, L"A", -1, &size));
        EXPECT_FALSE(TextOutW(dc, 10, 10, nullptr, 3));
        EXPECT_FALSE(GetTextExtentPoint32W(dc, nullptr, 3, &size));
    }
    EXPECT_EQ(Count(RECT{0, 0, 80, 40}, kCanvas), 80 * 40);
}

// ---- font objects ----------------------------------------------------------------

// A font as the dialogs make one: by face name and LOGFONT height.
HFONT MakeFont(LONG height, const wchar_t *face) {
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

class Fonts : public TextDrawing {
protected:
    void TearDown() override {
        if (dc) SelectObject(dc, GetStockObject(SYSTEM_FONT));
        for (HFONT f : made) EXPECT_TRUE(DeleteObject(f));
        TextDrawing::TearDown();
    }

    // Makes a font and selects it into the window's DC.
    HFONT Use(LONG height, const wchar_t *face = L"MS Gothic") {
        HFONT f = MakeFont(height, face);
        EXPECT_NE(f, nullptr) << face;
        made.push_back(f);
        SelectObject(dc, f);
        return f;
    }

    TEXTMETRICW Metrics() {
        TEXTMETRICW tm{};
        EXPECT_TRUE(GetTextMetricsW(dc, &tm));
        return tm;
    }

    // The smallest rectangle holding every pixel that is not the canvas.
    RECT Drawn() {
        RECT r{kWidth, kHeight, 0, 0};
        for (int y = 0; y < kHeight; y++)
            for (int x = 0; x < kWidth; x++)
                if (GetPixel(dc, x, y) != kCanvas) {
                    r.left = std::min<LONG>(r.left, x), r.top = std::min<LONG>(r.top, y);
                    r.right = std::max<LONG>(r.right, x + 1), r.bottom = std::max<LONG>(r.bottom, y + 1);
                }
        return r;
    }

    std::vector<HFONT> made;
};

std::string Show(const RECT &r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

TEST_F(Fonts, NinePointGothicHasTheSameMetricsUnderEveryOfItsNames) {
    if (!AnsiCodePageIsJapanese()) GTEST_SKIP() << "the Japanese faces are set up with a Japanese locale";
    for (const wchar_t *face : {L"ＭＳ ゴシック", L"MS Gothic", L"ＭＳ Ｐゴシック", L"MS UI Gothic"}) {
        Use(-12, face);  // 9 points at 96 dots per inch
        TEXTMETRICW tm = Metrics();
        EXPECT_EQ(tm.tmHeight, 13) << face;
        EXPECT_EQ(tm.tmAscent, 11) << face;
        EXPECT_EQ(tm.tmDescent, 2) << face;
        EXPECT_EQ(tm.tmInternalLeading, 1) << face;
        EXPECT_EQ(tm.tmExternalLeading, 0) << face;
        EXPECT_EQ(tm.tmAveCharWidth, 6) << face;
        EXPECT_EQ(tm.tmMaxCharWidth, 17) << face;
        EXPECT_EQ(tm.tmWeight, FW_NORMAL) << face;
        EXPECT_EQ(tm.tmCharSet, SHIFTJIS_CHARSET) << face;
        EXPECT_EQ(tm.tmPitchAndFamily & (TMPF_FIXED_PITCH | TMPF_TRUETYPE), TMPF_TRUETYPE)
            << "fixed pitch, outline: " << face;
    }
    // The same from a LOGFONT, and the stock dialog font.
    LOGFONTW lf{};
    lf.lfHeight = -12;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    wcscpy(lf.lfFaceName, L"ＭＳ ゴシック");
    HFONT indirect = CreateFontIndirectW(&lf);
    ASSERT_NE(indirect, nullptr);
    made.push_back(indirect);
    SelectObject(dc, indirect);
    EXPECT_EQ(Metrics().tmHeight, 13);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW gui = Metrics();
    EXPECT_EQ(gui.tmHeight, 13);
    EXPECT_EQ(gui.tmAscent, 11);
    EXPECT_EQ(gui.tmAveCharWidth, 6);
}

TEST_F(Fonts, NegativeHeightIsTheCharacterHeightAndPositiveTheCell) {
    for (LONG em : {9, 12, 16, 24}) {
        Use(-em);
        TEXTMETRICW tm = Metrics();
        EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, em);
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
        EXPECT_EQ(Extent(L"A").cy, tm.tmHeight);
    }
    for (LONG cell : {12, 16}) {
        Use(cell);
        EXPECT_EQ(Metrics().tmHeight, cell);
    }
    Use(16);
    LONG sixteen = Metrics().tmHeight;
    Use(0);
    EXPECT_EQ(Metrics().tmHeight, sixteen) << "no height asks for the default";
}

TEST_F(Fonts, FullWidthCharactersAreTwoHalfWidthCellsAtEverySize) {
    if (!AnsiCodePageIsJapanese()) GTEST_SKIP() << "the ANSI code page is not 932 (run Wine with a Japanese locale)";
    for (LONG em : {9, 12, 13, 16}) {
        Use(-em);
        LONG half = Extent(L"A").cx;
        EXPECT_EQ(half, Metrics().tmAveCharWidth) << em;
        EXPECT_EQ(Extent(L"W").cx, half) << "fixed pitch, " << em;
        EXPECT_EQ(Extent(L"i").cx, half) << em;
        EXPECT_EQ(Extent(L"ｱ").cx, half) << "half-width katakana, " << em;
        EXPECT_EQ(Extent(L"日").cx, 2 * half) << em;
        EXPECT_EQ(Extent(L"ア").cx, 2 * half) << em;
        EXPECT_EQ(Extent(L"日本語abc").cx, 9 * half) << em;
    }
}

TEST_F(Fonts, TextIsDrawnAndMeasuredInTheSelectedFont) {
    SIZE system = Extent(L"Ab");
    HFONT small = MakeFont(-12, L"MS Gothic"), large = MakeFont(-24, L"MS Gothic");
    made = {small, large};
    EXPECT_EQ(SelectObject(dc, small), GetStockObject(SYSTEM_FONT));
    SIZE twelve = Extent(L"Ab");
    EXPECT_EQ(twelve.cy, Metrics().tmHeight);
    EXPECT_EQ(SelectObject(dc, large), small);
    SIZE twentyFour = Extent(L"Ab");
    EXPECT_EQ(twentyFour.cx, 2 * twelve.cx);
    EXPECT_GT(twentyFour.cy, twelve.cy);

    // The opaque cell and the ink follow the font.
    SetBkColor(dc, kBack);
    SetTextColor(dc, kInk);
    ASSERT_TRUE(Draw(20, 20, L"Ab"));
    EXPECT_EQ(Show(Drawn()), Show(RECT{20, 20, 20 + twentyFour.cx, 20 + twentyFour.cy}));
    int largeInk = Count(RECT{0, 0, kWidth, kHeight}, kInk);
    Paint(dc, kCanvas);
    SelectObject(dc, small);
    ASSERT_TRUE(Draw(20, 20, L"Ab"));
    EXPECT_EQ(Show(Drawn()), Show(RECT{20, 20, 20 + twelve.cx, 20 + twelve.cy}));
    EXPECT_GT(largeInk, 2 * Count(RECT{0, 0, kWidth, kHeight}, kInk)) << "twice the size, about four times the ink";

    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(Extent(L"Ab").cx, system.cx) << "back to the system font";
}

TEST_F(Fonts, BadArgumentsFail) {
    TEXTMETRICW tm{};
    EXPECT_FALSE(GetTextMetricsW(nullptr, &tm));
    EXPECT_EQ(CreateFontIndirectW(nullptr), nullptr);
}

TEST_F(Fonts, SystemFontKeepsItsSixteenPixelCellAndUnknownFacesUseIt) {
    SKIP_WITHOUT_LAYER("Wine's system font is its own");
    for (const wchar_t *face : {L"", L"No Such Face"}) {
        Use(-30, face);
        TEXTMETRICW tm = Metrics();
        EXPECT_EQ(tm.tmHeight, 16) << face;
        EXPECT_EQ(tm.tmAscent, 14) << face;
        EXPECT_EQ(tm.tmDescent, 2) << face;
        EXPECT_EQ(tm.tmAveCharWidth, 8) << face;
        EXPECT_EQ(tm.tmMaxCharWidth, 16) << face;
        EXPECT_EQ(Extent(L"A").cx, 8) << face;
        EXPECT_EQ(Extent(L"ｱ").cx, 8) << face;
        EXPECT_EQ(Extent(L"日").cx, 16) << face;
    }
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(Metrics().tmHeight, 16);
}

// ---- DrawTextW --------------------------------------------------------------------

class DrawTexts : public Fonts {
protected:
    void SetUp() override {
        Fonts::SetUp();
        if (!dc) return;
        Use(-12);
        tm = Metrics();
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kInk);
    }

    int Lines(const wchar_t *text, int width, UINT format, RECT *out = nullptr) {
        RECT r{10, 10, 10 + width, 150};
        int height = DrawTextW(dc, text, -1, &r, format | DT_CALCRECT);
        if (out) *out = r;
        EXPECT_EQ(height, r.bottom - r.top) << text;
        return height / tm.tmHeight;
    }
    LONG Width(const wchar_t *text, int width, UINT format) {
        RECT r{};
        Lines(text, width, format, &r);
        return r.right - r.left;
    }

    // The columns inked on one row.
    std::vector<int> InkOnRow(int y) {
        std::vector<int> xs;
        for (int x = 0; x < kWidth; x++)
            if (GetPixel(dc, x, y) == kInk) xs.push_back(x);
        return xs;
    }
    static std::vector<int> Run(int from, int to) {
        std::vector<int> xs;
        for (int x = from; x < to; x++) xs.push_back(x);
        return xs;
    }

    TEXTMETRICW tm{};
};

TEST_F(DrawTexts, CalcRectMeasuresWithoutDrawing) {
    RECT r{10, 20, 200, 100};
    EXPECT_EQ(DrawTextW(dc, L"File", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_CENTER), tm.tmHeight);
    EXPECT_EQ(Show(r), Show(RECT{10, 20, 10 + Extent(L"File").cx, 20 + tm.tmHeight})) << "not centred";

    r = RECT{10, 20, 200, 100};
    EXPECT_EQ(DrawTextW(dc, L"ab\r\ncdef\nx", -1, &r, DT_CALCRECT), 3 * tm.tmHeight);
    EXPECT_EQ(Show(r), Show(RECT{10, 20, 10 + Extent(L"cdef").cx, 20 + 3 * tm.tmHeight})) << "the widest line";
    EXPECT_EQ(Count(RECT{0, 0, kWidth, kHeight}, kCanvas), kWidth * kHeight);

    // Nothing to measure: no width, a line's height only for a single line.
    r = RECT{10, 20, 200, 100};
    EXPECT_EQ(DrawTextW(dc, L"", -1, &r, DT_CALCRECT), tm.tmHeight);
    EXPECT_EQ(Show(r), Show(RECT{10, 20, 10, 20}));
    r = RECT{10, 20, 200, 100};
    EXPECT_EQ(DrawTextW(dc, L"", -1, &r, DT_CALCRECT | DT_SINGLELINE), tm.tmHeight);
    EXPECT_EQ(Show(r), Show(RECT{10, 20, 10, 20 + tm.tmHeight}));
    r = RECT{10, 20, 200, 100};
    EXPECT_EQ(DrawTextW(dc, L"File", 0, &r, DT_CALCRECT), tm.tmHeight) << "no characters: a line's height";
    EXPECT_EQ(Show(r), Show(RECT{10, 20, 200, 100}));
}

TEST_F(DrawTexts, SingleLinesAreAlignedInTheRectangle) {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, kBack);
    const LONG cx = Extent(L"Abc").cx, cy = tm.tmHeight;
    RECT box{20, 10, 171, 60};
    int height = DrawTextW(dc, L"Abc", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    LONG top = 10 + 50 / 2 - cy / 2, left = (20 + 171 - cx) / 2;
    EXPECT_EQ(Show(Drawn()), Show(RECT{left, top, left + cx, top + cy}));
    EXPECT_EQ(height, top + cy - 10) << "from the rectangle's top to the text's bottom";

    Paint(dc, kCanvas);
    height = DrawTextW(dc, L"Abc", -1, &box, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    EXPECT_EQ(Show(Drawn()), Show(RECT{171 - cx, 60 - cy, 171, 60}));
    EXPECT_EQ(height, 50);

    Paint(dc, kCanvas);
    height = DrawTextW(dc, L"Abc", -1, &box, DT_VCENTER | DT_BOTTOM);
    EXPECT_EQ(Show(Drawn()), Show(RECT{20, 10, 20 + cx, 10 + cy})) << "vertical placement needs DT_SINGLELINE";
    EXPECT_EQ(height, cy);
}

TEST_F(DrawTexts, TextStaysInsideTheRectangleUnlessNoClip) {
    RECT box{20, 10, 60, 60};
    const wchar_t *text = L"abcdefghijklmnop";
    ASSERT_GT(Extent(text).cx, 40);
    DrawTextW(dc, text, -1, &box, DT_SINGLELINE);
    RECT drawn = Drawn();
    EXPECT_GT(Count(box, kInk), 0);
    EXPECT_TRUE(drawn.left >= 20 && drawn.right <= 60 && drawn.top >= 10 && drawn.bottom <= 60) << Show(drawn);
    Paint(dc, kCanvas);
    DrawTextW(dc, text, -1, &box, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(Count(RECT{60, 10, kWidth, 60}, kInk), 0);
}

TEST_F(DrawTexts, AmpersandUnderlinesTheNextCharacter) {
    EXPECT_EQ(Width(L"&File", 200, DT_SINGLELINE), Extent(L"File").cx);
    EXPECT_EQ(Width(L"&File", 200, DT_SINGLELINE | DT_NOPREFIX), Extent(L"&File").cx);
    EXPECT_EQ(Width(L"a&&b", 200, DT_SINGLELINE), Extent(L"a&b").cx);

    // A one-pixel line below the baseline, one pixel short of the character.
    const int under = 10 + tm.tmAscent + 1;
    RECT r{10, 10, 200, 60};
    DrawTextW(dc, L"&File", -1, &r, DT_SINGLELINE);
    EXPECT_EQ(InkOnRow(under), Run(10, 10 + Extent(L"F").cx - 1));
    Paint(dc, kCanvas);
    DrawTextW(dc, L"Fi&le", -1, &r, DT_SINGLELINE);
    EXPECT_EQ(InkOnRow(under), Run(10 + Extent(L"Fi").cx, 10 + Extent(L"Fil").cx - 1));
    for (const wchar_t *plain : {L"File", L"a&&b"}) {
        Paint(dc, kCanvas);
        DrawTextW(dc, plain, -1, &r, DT_SINGLELINE);
        EXPECT_TRUE(InkOnRow(under).empty()) << plain;
    }
    if (AnsiCodePageIsJapanese()) {
        Paint(dc, kCanvas);
        DrawTextW(dc, L"&日本", -1, &r, DT_SINGLELINE);
        EXPECT_EQ(InkOnRow(under), Run(10, 10 + Extent(L"日").cx - 1)) << "under the whole double-byte character";
    }
}

TEST_F(DrawTexts, WordBreakEndsLinesAtSpacesAndKeepsLongWordsWhole) {
    const int room = Extent(L"aaa bbb c").cx - 1;
    RECT r{};
    EXPECT_EQ(Lines(L"aaa bbb ccc", room, DT_WORDBREAK, &r), 2);
    EXPECT_EQ(r.right - r.left, Extent(L"aaa bbb ").cx) << "a left-aligned line keeps the space at its break";
    EXPECT_EQ(Width(L"aaa bbb ccc", room, DT_WORDBREAK | DT_CENTER), Extent(L"aaa bbb").cx);
    EXPECT_EQ(Lines(L"aaa bbb ccc", room, DT_WORDBREAK | DT_SINGLELINE), 1);
    EXPECT_EQ(Lines(L"abcdefghij", Extent(L"abc").cx, DT_WORDBREAK, &r), 1);
    EXPECT_EQ(r.right - r.left, Extent(L"abcdefghij").cx) << "a word wider than the line is not broken";
    EXPECT_EQ(Lines(L"ab\r\n\r\ncd", 200, DT_WORDBREAK), 3);
}

TEST_F(DrawTexts, DoubleByteTextBreaksBetweenCharactersButNoLineStartsWithAClosingMark) {
    if (!AnsiCodePageIsJapanese()) GTEST_SKIP() << "the ANSI code page is not 932 (run Wine with a Japanese locale)";
    const int full = Extent(L"日").cx;
    RECT r{};
    EXPECT_EQ(Lines(L"日本語の文章です", 4 * full + 1, DT_WORDBREAK, &r), 2);
    EXPECT_EQ(r.right - r.left, 4 * full);
    EXPECT_EQ(Lines(L"abc日本", Extent(L"abc日").cx, DT_WORDBREAK), 2) << "between a word and a kanji";
    // あい / う。え / おかき / く: 。 pulls う onto its line.
    EXPECT_EQ(Lines(L"あいう。えおかきく", 3 * full + full / 2, DT_WORDBREAK), 4);
    EXPECT_EQ(Width(L"ああ「い", 3 * full, DT_WORDBREAK), 2 * full) << "ああ / 「い: 「 keeps to what follows";

    // Drawn: the second line starts at the left with the fifth character.
    Paint(dc, kCanvas);
    RECT box{10, 10, 10 + 4 * full + 1, 150};
    EXPECT_EQ(DrawTextW(dc, L"日本語の日本語の", -1, &box, DT_WORDBREAK), 2 * tm.tmHeight);
    for (int y = 0; y < tm.tmHeight; y++)
        for (int x = 0; x < 4 * full; x++)
            ASSERT_EQ(GetPixel(dc, 10 + x, 10 + y), GetPixel(dc, 10 + x, 10 + tm.tmHeight + y)) << x << "," << y;
    EXPECT_GT(Count(RECT{10, 10, 10 + 4 * full, 10 + tm.tmHeight}, kInk), 0);
}

TEST_F(DrawTexts, TabsExpandToEightAverageCharactersAndBadArgumentsFail) {
    EXPECT_EQ(Width(L"a\tb", 200, DT_SINGLELINE | DT_EXPANDTABS), 8 * tm.tmAveCharWidth + Extent(L"b").cx);
    EXPECT_EQ(Width(L"abcdefghi\tb", 200, DT_SINGLELINE | DT_EXPANDTABS), 16 * tm.tmAveCharWidth + Extent(L"b").cx);
    EXPECT_EQ(Width(L"a\tb", 200, DT_SINGLELINE), Extent(L"a\tb").cx) << "unexpanded, a tab is a character";

    RECT r{10, 10, 100, 100};
    EXPECT_EQ(DrawTextW(nullptr, L"a", 1, &r, 0), 0);
    EXPECT_EQ(DrawTextW(dc, nullptr, 3, &r, 0), 0);
    EXPECT_EQ(DrawTextW(dc, L"abc", 0, &r, 0), tm.tmHeight) << "no characters: a line's height, nothing drawn";
    EXPECT_EQ(Count(RECT{0, 0, kWidth, kHeight}, kCanvas), kWidth * kHeight);
}

}  // namespace
