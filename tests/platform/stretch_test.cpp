// StretchDIBits at every depth and in run-length form, stretched and shrunk,
// clipped to windows; the stretch mode; logical palettes and, on the layer's
// 8-bit screen, what a realised palette does to the colours drawn.
#include "support/fixtures.h"
#include "support/rle.h"
#include "support/saver_fixture.h"

#include <algorithm>
#include <climits>

namespace {

constexpr int kWidth = 320, kHeight = 240;
constexpr COLORREF kCanvas = RGB(10, 20, 30);

COLORREF Ref(uint32_t rgb) { return RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF); }

BITMAPINFOHEADER &Header(Bytes &dib) { return *reinterpret_cast<BITMAPINFOHEADER *>(dib.data()); }

// Distinct colours, none of them the canvas or a static colour.
std::vector<uint32_t> Colours(int n) {
    std::vector<uint32_t> t;
    for (int i = 0; i < n; i++)
        t.push_back(uint32_t(40 + i * 3) << 16 | uint32_t(200 - i * 2) << 8 | uint32_t(i * 7 % 251));
    return t;
}

// A colour naming its pixel: red is x, green is y.
uint32_t Where(int x, int y) { return uint32_t(x) << 16 | uint32_t(y) << 8 | 77; }
int SourceX(COLORREF c) { return GetRValue(c); }
int SourceY(COLORREF c) { return GetGValue(c); }

class Stretch : public DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        OpenWindow(kWidth, kHeight);
        if (dc) Paint(dc);
    }

    static void Paint(HDC target) {
        RECT all{0, 0, kWidth, kHeight};
        HBRUSH brush = CreateSolidBrush(kCanvas);
        FillRect(target, &all, brush);
        DeleteObject(brush);
    }

    static const BYTE *Bits(const Bytes &dib) {
        auto *h = reinterpret_cast<const BITMAPINFOHEADER *>(dib.data());
        DWORD colours = h->biClrUsed ? h->biClrUsed : (h->biBitCount <= 8 ? 1u << h->biBitCount : 0);
        return dib.data() + h->biSize + 4 * colours;
    }
    int Draw(const Bytes &dib, int x, int y, int dw, int dh, int sx, int sy, int sw, int sh, HDC target = nullptr,
             const BYTE *bits = nullptr) {
        return StretchDIBits(target ? target : dc, x, y, dw, dh, sx, sy, sw, sh, bits ? bits : Bits(dib),
                             reinterpret_cast<const BITMAPINFO *>(dib.data()), DIB_RGB_COLORS, SRCCOPY);
    }
    int DrawOwn(const Bytes &dib, int x, int y) {
        int w = reinterpret_cast<const BITMAPINFOHEADER *>(dib.data())->biWidth;
        int h = std::abs(reinterpret_cast<const BITMAPINFOHEADER *>(dib.data())->biHeight);
        return Draw(dib, x, y, w, h, 0, 0, w, h);
    }
    COLORREF At(int x, int y) { return GetPixel(dc, x, y); }
    int Changed(RECT r) {
        int n = 0;
        for (int y = r.top; y < r.bottom; y++)
            for (int x = r.left; x < r.right; x++) n += At(x, y) != kCanvas;
        return n;
    }
};

// ---- depths, colour tables, orientation -------------------------------------

TEST_F(Stretch, EachDepthDrawsItsColoursWhereItIsPut) {
    const int w = 13, h = 7, x0 = 40, y0 = 30;
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        Paint(dc);
        int n = bits <= 8 ? 1 << bits : 0;
        auto table = Colours(n);
        auto index = [n](int x, int y) { return uint32_t(x * 3 + y * 5) % uint32_t(n); };
        auto direct = [](int x, int y) {
            return uint32_t(x * 19) << 16 | uint32_t(y * 31) << 8 | uint32_t(x * y * 7 % 256);
        };
        Bytes dib = bits <= 8 ? MakePackedDib(w, h, bits, index, -1, table) : MakePackedDib(w, h, bits, direct);
        ASSERT_EQ(DrawOwn(dib, x0, y0), h) << "the bitmap's lines";
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                uint32_t want = bits <= 8 ? table[index(x, y)] : direct(x, y);
                if (bits == 16) {
                    // 5 bits a channel, widened back by repeating the top bits
                    auto widen = [](uint32_t v) { return (v >> 3) << 3 | v >> 5; };
                    want = widen(want >> 16 & 0xFF) << 16 | widen(want >> 8 & 0xFF) << 8 | widen(want & 0xFF);
                }
                ASSERT_EQ(At(x0 + x, y0 + y), Ref(want)) << x << "," << y;
            }
        EXPECT_EQ(Changed(RECT{0, 0, kWidth, kHeight}), w * h) << "nothing around the picture";
    }
}

TEST_F(Stretch, ColourMasksSayWhereEachChannelIs) {
    // A 16-bit 5-6-5 picture and a 32-bit one with red and blue swapped.
    auto masked = [](int bits, uint32_t red, uint32_t green, uint32_t blue, const std::vector<uint32_t> &pixels) {
        Bytes out;
        PutInfoHeader(out, static_cast<int>(pixels.size()), 1, bits, BI_BITFIELDS, 0, 0);
        for (uint32_t m : {red, green, blue}) Put32(out, m);
        for (uint32_t p : pixels) bits == 16 ? Put16(out, static_cast<uint16_t>(p)) : Put32(out, p);
        while ((out.size() - 52) % 4) out.push_back(0);
        return out;
    };
    Bytes rgb565 = masked(16, 0xF800, 0x07E0, 0x001F, {0xF800, 0x07E0, 0x001F, 0xFFFF});
    ASSERT_EQ(Draw(rgb565, 10, 10, 4, 1, 0, 0, 4, 1, dc, rgb565.data() + 52), 1);
    EXPECT_EQ(At(10, 10), RGB(255, 0, 0));
    EXPECT_EQ(At(11, 10), RGB(0, 255, 0));
    EXPECT_EQ(At(12, 10), RGB(0, 0, 255));
    EXPECT_EQ(At(13, 10), RGB(255, 255, 255));
    Bytes swapped = masked(32, 0x000000FF, 0x0000FF00, 0x00FF0000, {0x000000C0, 0x00A00000, 0x00123456});
    ASSERT_EQ(Draw(swapped, 10, 12, 3, 1, 0, 0, 3, 1, dc, swapped.data() + 52), 1);
    EXPECT_EQ(At(10, 12), RGB(0xC0, 0, 0));
    EXPECT_EQ(At(11, 12), RGB(0, 0, 0xA0));
    EXPECT_EQ(At(12, 12), RGB(0x56, 0x34, 0x12));
    // A mask as wide as the pixel: its top eight bits.
    Bytes wide = masked(32, 0xFFFFFFFF, 0, 0x0000000F, {0xAB00000F, 0x12345678});
    ASSERT_EQ(Draw(wide, 10, 14, 2, 1, 0, 0, 2, 1, dc, wide.data() + 52), 1);
    EXPECT_EQ(At(10, 14), RGB(0xAB, 0, 0xFF));
    EXPECT_EQ(At(11, 14), RGB(0x12, 0, 0x88));
}

TEST_F(Stretch, ColourTableShortOfAnIndexGivesBlackAnd16BitGreysWiden) {
    // Eight entries there, four stated: the other four are not the table's.
    Bytes dib = MakePackedDib(4, 1, 8, [](int x, int) { return uint32_t(x * 3); }, 8,
                              {0x112233, 0x445566, 0x778899, 0xAABBCC, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF});
    Header(dib).biClrUsed = 4;
    ASSERT_EQ(Draw(dib, 0, 0, 4, 1, 0, 0, 4, 1, dc, dib.data() + 40 + 8 * 4), 1);
    EXPECT_EQ(At(0, 0), RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(At(1, 0), RGB(0xAA, 0xBB, 0xCC));
    EXPECT_EQ(At(2, 0), RGB(0, 0, 0)) << "index 6 of a 4-entry table";
    Bytes grey = MakePackedDib(2, 1, 16, [](int x, int) { return x ? 0xFFFFFFu : 0x808080u; });
    ASSERT_EQ(DrawOwn(grey, 0, 1), 1);
    EXPECT_EQ(At(0, 1), RGB(0x84, 0x84, 0x84));
    EXPECT_EQ(At(1, 1), RGB(0xFF, 0xFF, 0xFF));
}

TEST_F(Stretch, SourceRowsCountFromTheBottomExceptATopDownBitmapCopiedWhole) {
    Bytes up = MakePackedDib(20, 30, 24, Where);
    ASSERT_EQ(Draw(up, 0, 0, 20, 10, 0, 0, 20, 10), 30);
    EXPECT_EQ(SourceY(At(0, 0)), 20) << "rows 0-9 from the bottom are the last ten";
    EXPECT_EQ(SourceY(At(0, 9)), 29);

    Bytes down = up;  // the same rows read top-down: memory row m is row 29 - m
    Header(down).biHeight = -30;
    ASSERT_EQ(DrawOwn(down, 30, 0), 30);
    EXPECT_EQ(SourceY(At(30, 0)), 29);
    EXPECT_EQ(SourceY(At(30, 29)), 0);
    ASSERT_EQ(Draw(down, 60, 0, 20, 10, 0, 0, 20, 10), 30);
    EXPECT_EQ(SourceY(At(60, 0)), 29) << "own size from the origin: the top rows";
    ASSERT_EQ(Draw(down, 90, 0, 20, 10, 0, 5, 20, 10), 30);
    EXPECT_EQ(SourceY(At(90, 0)), 14) << "otherwise counted from the bottom: memory rows 15-24";
    EXPECT_EQ(SourceY(At(90, 9)), 5);
}

TEST_F(Stretch, ReturnsTheBitmapsLinesUnlessTheSourceMissesIt) {
    Bytes dib = MakePackedDib(40, 30, 24, Where);
    EXPECT_EQ(Draw(dib, -1000, 5, 40, 30, 0, 0, 40, 30), 30) << "wholly clipped";
    EXPECT_EQ(Draw(dib, 5, 5, 0, 30, 0, 0, 40, 30), 30) << "no destination";
    EXPECT_EQ(Changed(RECT{0, 0, kWidth, kHeight}), 0);
    EXPECT_EQ(Draw(dib, 5, 5, 40, 30, 100, 0, 40, 30), 0) << "source right of the bitmap";
    EXPECT_EQ(Draw(dib, 5, 5, 40, 30, 0, 30, 40, 30), 0) << "source above the bitmap";
    EXPECT_EQ(Draw(dib, 5, 5, 40, 30, 0, 0, 0, 30), 0) << "no source";
    EXPECT_EQ(Changed(RECT{0, 0, kWidth, kHeight}), 0);
    // Half the source off the bitmap: that half of the destination stays.
    ASSERT_EQ(Draw(dib, 100, 50, 40, 30, -10, -5, 40, 30), 30);
    EXPECT_EQ(At(109, 50), kCanvas);
    EXPECT_EQ(At(110, 50), Ref(Where(0, 5)));
    EXPECT_EQ(At(110, 74), Ref(Where(0, 29)));
    EXPECT_EQ(At(110, 75), kCanvas);
}

// ---- stretching, clipping, mirroring ----------------------------------------

TEST_F(Stretch, ShrinkingPicksThePixelsWindowsPicks) {
    SetStretchBltMode(dc, COLORONCOLOR);
    Bytes dib = MakePackedDib(200, 150, 24, Where);
    ASSERT_EQ(Draw(dib, 0, 0, 152, 114, 0, 0, 200, 150), 150);
    EXPECT_EQ(At(0, 0), Ref(Where(0, 0)));
    EXPECT_EQ(At(151, 0), Ref(Where(199, 0)));
    EXPECT_EQ(At(0, 113), Ref(Where(0, 149)));
    EXPECT_EQ(At(151, 113), Ref(Where(199, 149)));
    EXPECT_EQ(At(152, 114), kCanvas);
    // Across, the last of the pixels folding together; down, the first.
    EXPECT_EQ(SourceX(At(1, 0)), 2);
    EXPECT_EQ(SourceX(At(75, 0)), 99);
    EXPECT_EQ(SourceY(At(0, 1)), 1);
    EXPECT_EQ(SourceY(At(0, 2)), 3);
    for (int x = 0; x < 152; x++) {
        int s = SourceX(At(x, 50));
        ASSERT_LT(std::abs(2 * s + 1 - (2 * x + 1) * 200 / 152), 3) << "column " << x << " shows " << s;
        if (x) ASSERT_GT(s, SourceX(At(x - 1, 50)));
    }
}

TEST_F(Stretch, EnlargingRepeatsEverySourcePixel) {
    SetStretchBltMode(dc, COLORONCOLOR);
    Bytes dib = MakePackedDib(100, 100, 24, Where);
    ASSERT_EQ(Draw(dib, 0, 0, 112, 112, 0, 0, 100, 100), 100);
    EXPECT_EQ(At(111, 111), Ref(Where(99, 99)));
    EXPECT_EQ(SourceX(At(4, 0)), 4);
    EXPECT_EQ(SourceX(At(5, 0)), 4);
    EXPECT_EQ(SourceY(At(0, 5)), 4);
    int previous = -1;
    for (int x = 0; x < 112; x++) {
        int s = SourceX(At(x, 7));
        ASSERT_TRUE(s == previous || s == previous + 1) << "column " << x;
        previous = s;
    }
    EXPECT_EQ(previous, 99);
}

TEST_F(Stretch, DefaultModeAndsFoldedPixelsAndWhiteOnBlackOrsThem) {
    // One bit per column in blue, one per row in green: what folds shows.
    Bytes dib = MakePackedDib(12, 6, 24, [](int x, int y) { return (1u << (x % 8)) | (1u << (y % 8)) << 8; });
    EXPECT_EQ(GetStretchBltMode(dc), BLACKONWHITE);
    ASSERT_EQ(Draw(dib, 0, 0, 5, 4, 0, 0, 12, 6), 6);
    ASSERT_EQ(SetStretchBltMode(dc, WHITEONBLACK), BLACKONWHITE);
    ASSERT_EQ(Draw(dib, 0, 10, 5, 4, 0, 0, 12, 6), 6);
    // Columns 0-1, 2-4, 5-6, 7-9, 10-11 and rows 0-1, 2, 3-4, 5 fold together.
    const int columns[5] = {0x03, 0x1C, 0x60, 0x83, 0x0C}, rows[4] = {0x03, 0x04, 0x18, 0x20};
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 5; x++) {
            EXPECT_EQ(At(x, y), RGB(0, y == 1 || y == 3 ? rows[y] : 0, 0)) << x << "," << y;
            EXPECT_EQ(At(x, 10 + y), RGB(0, rows[y], columns[x])) << x << "," << y;
        }
}

TEST_F(Stretch, PartOffTheWindowShowsTheMatchingPartAsIfUnclipped) {
    Bytes own = MakePackedDib(60, 40, 24, Where);
    ASSERT_EQ(DrawOwn(own, -20, -10), 40);
    EXPECT_EQ(At(0, 0), Ref(Where(20, 10)));
    EXPECT_EQ(At(39, 29), Ref(Where(59, 39)));
    EXPECT_EQ(At(40, 5), kCanvas);

    // A shrunk picture cut at the window's corner matches the uncut one.
    SetStretchBltMode(dc, COLORONCOLOR);
    Paint(dc);
    Bytes big = MakePackedDib(200, 150, 24, Where);
    ASSERT_EQ(Draw(big, -37, -20, 152, 114, 0, 0, 200, 150), 150);
    ASSERT_EQ(Draw(big, 150, 100, 152, 114, 0, 0, 200, 150), 150);
    for (int y = 0; y < 94; y += 7)
        for (int x = 0; x < 115; x++) ASSERT_EQ(At(x, y), At(150 + 37 + x, 100 + 20 + y)) << x << "," << y;
}

TEST_F(Stretch, ChildWindowClipsToItself) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TestStretchChild";
    RegisterClassW(&wc);
    HWND child = CreateWindowExW(0, L"TestStretchChild", L"", WS_CHILD | WS_VISIBLE, 50, 40, 100, 80, window, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(child, nullptr);
    Pump();
    Paint(dc);
    HDC childDc = GetDC(child);
    Bytes dib = MakePackedDib(200, 150, 24, Where);
    EXPECT_EQ(Draw(dib, -10, -10, 200, 150, 0, 0, 200, 150, childDc), 150);
    ReleaseDC(child, childDc);
    EXPECT_EQ(At(50, 40), Ref(Where(10, 10)));
    EXPECT_EQ(At(149, 119), Ref(Where(109, 89)));
    EXPECT_EQ(Changed(RECT{0, 0, kWidth, kHeight}), 100 * 80) << "nothing outside the child";
    DestroyWindow(child);
}

TEST_F(Stretch, NegativeExtentsMirrorThePicture) {
    Bytes dib = MakePackedDib(40, 30, 24, Where);
    ASSERT_EQ(Draw(dib, 45, 5, -40, 30, 0, 0, 40, 30), 30);
    EXPECT_EQ(At(45, 5), Ref(Where(0, 0))) << "a negative width runs left from x";
    EXPECT_EQ(At(6, 5), Ref(Where(39, 0)));
    EXPECT_EQ(At(5, 5), kCanvas);
    ASSERT_EQ(Draw(dib, 60, 5, 40, 30, 0, 30, 40, -30), 30);
    EXPECT_EQ(At(60, 5), Ref(Where(0, 29))) << "upside down";
    EXPECT_EQ(At(60, 34), Ref(Where(0, 0)));
}

// ---- what is refused, what is read --------------------------------------------

TEST_F(Stretch, MalformedHeadersAreRefusedAndDrawNothing) {
    Bytes good = MakePackedDib(40, 30, 8, [](int x, int y) { return uint32_t(x + y); });
    const std::pair<const char *, std::function<void(BITMAPINFOHEADER &)>> cases[] = {
        {"width 0", [](auto &h) { h.biWidth = 0; }},           {"negative width", [](auto &h) { h.biWidth = -40; }},
        {"height 0", [](auto &h) { h.biHeight = 0; }},         {"0 bits", [](auto &h) { h.biBitCount = 0; }},
        {"2 bits", [](auto &h) { h.biBitCount = 2; }},         {"7 bits", [](auto &h) { h.biBitCount = 7; }},
        {"0 planes", [](auto &h) { h.biPlanes = 0; }},         {"header size 0", [](auto &h) { h.biSize = 0; }},
        {"header size 39", [](auto &h) { h.biSize = 39; }},    {"compression 9", [](auto &h) { h.biCompression = 9; }},
        {"8-bit bit fields", [](auto &h) { h.biCompression = BI_BITFIELDS; }},
        {"RLE8 of no bytes", [](auto &h) { h.biCompression = BI_RLE8, h.biSizeImage = 0; }},
        {"top-down RLE8", [](auto &h) { h.biCompression = BI_RLE8, h.biHeight = -30; }},
        {"RLE4 of 8 bits", [](auto &h) { h.biCompression = BI_RLE4; }},
        {"4 GB of rows", [](auto &h) { h.biHeight = 0x7FFFFFFF; }},
        {"width past 32 bits", [](auto &h) { h.biWidth = 0x7FFFFFFF; }},
    };
    for (const auto &[what, change] : cases) {
        Bytes bad = good;
        change(Header(bad));
        EXPECT_EQ(Draw(bad, 5, 5, 40, 30, 0, 0, 40, 30, dc, Bits(good)), 0) << what;
    }
    auto info = reinterpret_cast<const BITMAPINFO *>(good.data());
    EXPECT_EQ(StretchDIBits(dc, 5, 5, 40, 30, 0, 0, 40, 30, nullptr, info, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(StretchDIBits(dc, 5, 5, 40, 30, 0, 0, 40, 30, Bits(good), nullptr, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(StretchDIBits(nullptr, 5, 5, 40, 30, 0, 0, 40, 30, Bits(good), info, DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(Changed(RECT{0, 0, kWidth, kHeight}), 0);
}

TEST_F(Stretch, ReadsOnlyTheRowsTheSourceNames) {
    // A million rows stated, thirty given: the bottom thirty are all it needs.
    Bytes dib = MakePackedDib(40, 30, 8, [](int x, int y) { return uint32_t(x + 4 * y); });
    Header(dib).biHeight = 1000000;
    const BYTE *end = dib.data() + dib.size();
    Bytes rows(Bits(dib), end);  // exactly thirty rows on the heap
    EXPECT_EQ(Draw(dib, 0, 0, 40, 30, 0, 0, 40, 30, dc, rows.data()), 1000000);
    EXPECT_EQ(At(3, 0), RGB(3, 3, 3)) << "as in a bitmap of thirty rows";
    EXPECT_EQ(At(3, 29), RGB(3 + 116, 3 + 116, 3 + 116));
}

// ---- run-length data ----------------------------------------------------------

TEST_F(Stretch, RunLengthPicturesDrawTheirColours) {
    for (int bits : {8, 4}) {
        SCOPED_TRACE(bits);
        const int n = 1 << bits;
        auto table = Colours(n);
        // Runs, single pixels and literal stretches on every row.
        auto index = [n](int x, int y) { return uint32_t(x < 9 ? y : x < 12 ? x * 7 + y : (x / 4) * 3) % uint32_t(n); };
        Bytes dib = MakeRleDib(23, 6, bits, RleEncode(23, 6, bits, index), table);
        ASSERT_EQ(DrawOwn(dib, 20, 10), 6);
        for (int y = 0; y < 6; y++)
            for (int x = 0; x < 23; x++) ASSERT_EQ(At(20 + x, 10 + y), Ref(table[index(x, y)])) << x << "," << y;
        Paint(dc);
    }
    // A 4-bit run alternates the two nibbles of its byte.
    auto table = Colours(16);
    Bytes pairs = MakeRleDib(6, 1, 4, RleWriter(4).Run(5, 0x12).EndOfBitmap().data(), table);
    ASSERT_EQ(DrawOwn(pairs, 0, 0), 1);
    for (int x = 0; x < 5; x++) EXPECT_EQ(At(x, 0), Ref(table[x % 2 ? 2 : 1])) << x;
    EXPECT_EQ(At(5, 0), kCanvas);
}

TEST_F(Stretch, RunLengthGapsKeepTheScreenAtOwnSizeAndTakeColourZeroStretched) {
    auto table = Colours(8);
    // Bottom row: 2 of 3, a jump of 2, 2 of 4, a run past the row's end;
    // middle row: 1 of 5; top row: never reached.
    RleWriter w(8);
    w.Run(2, 3).Delta(2, 0).Run(2, 4).Run(9, 6).EndOfLine().Run(1, 5).EndOfBitmap();
    Bytes dib = MakeRleDib(8, 3, 8, w.data(), table);
    ASSERT_EQ(DrawOwn(dib, 10, 10), 3);
    const int bottom[8] = {3, 3, -1, -1, 4, 4, 6, 6};
    for (int x = 0; x < 8; x++) EXPECT_EQ(At(10 + x, 12), bottom[x] < 0 ? kCanvas : Ref(table[bottom[x]])) << x;
    EXPECT_EQ(At(10, 11), Ref(table[5]));
    EXPECT_EQ(Changed(RECT{10, 10, 18, 11}) + Changed(RECT{11, 11, 18, 12}) + Changed(RECT{18, 10, 30, 13}), 0);

    // A last line the data leaves open is not drawn.
    Bytes open = MakeRleDib(8, 3, 8, RleWriter(8).Run(2, 3).Delta(1, 1).Run(2, 4).data(), table);
    Paint(dc);
    ASSERT_EQ(DrawOwn(open, 10, 10), 3);
    EXPECT_EQ(At(10, 12), Ref(table[3]));
    EXPECT_EQ(Changed(RECT{10, 10, 18, 12}), 0);

    Paint(dc);
    ASSERT_EQ(Draw(dib, 10, 10, 16, 6, 0, 0, 8, 3), 3);
    EXPECT_EQ(At(14, 14), Ref(table[0])) << "skipped";
    EXPECT_EQ(At(25, 10), Ref(table[0])) << "after the end of the bitmap";
    EXPECT_EQ(At(18, 15), Ref(table[4]));
}

TEST_F(Stretch, ModeIsKeptPerDcAndInvalidModesRefused) {
    EXPECT_EQ(GetStretchBltMode(dc), BLACKONWHITE);
    EXPECT_EQ(SetStretchBltMode(dc, COLORONCOLOR), BLACKONWHITE);
    EXPECT_EQ(SetStretchBltMode(dc, 0), 0);
    EXPECT_EQ(SetStretchBltMode(dc, HALFTONE + 1), 0);
    EXPECT_EQ(GetStretchBltMode(dc), COLORONCOLOR);
    EXPECT_EQ(SetStretchBltMode(nullptr, COLORONCOLOR), 0);
    EXPECT_EQ(GetStretchBltMode(nullptr), 0);
    HDC other = GetDC(window);
    EXPECT_EQ(GetStretchBltMode(other), BLACKONWHITE);
    ReleaseDC(window, other);
}

// ---- palettes -------------------------------------------------------------------

struct Logical {
    WORD version = 0x300, count = 0;
    PALETTEENTRY entries[300];
};

HPALETTE MakePalette(const std::vector<uint32_t> &colours, WORD version = 0x300) {
    static Logical lp;
    lp = Logical{version, static_cast<WORD>(colours.size()), {}};
    for (size_t i = 0; i < colours.size(); i++)
        lp.entries[i] = {BYTE(colours[i] >> 16), BYTE(colours[i] >> 8), BYTE(colours[i]), BYTE(colours[i] >> 24)};
    return CreatePalette(reinterpret_cast<const LOGPALETTE *>(&lp));
}

using Palette = Stretch;

TEST_F(Palette, EntriesComeBackAsCreatedWhateverTheVersionOrCount) {
    HPALETTE p = MakePalette({0x112233, uint32_t(PC_NOCOLLAPSE) << 24 | 0x445566,
                              uint32_t(PC_RESERVED) << 24 | 0x778899, 0x80000000u | 0xAABBCC});
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(GetPaletteEntries(p, 0, 0, nullptr), 4u) << "a count of 0 asks the size";
    PALETTEENTRY e[4] = {};
    ASSERT_EQ(GetPaletteEntries(p, 1, 10, e), 3u);
    EXPECT_EQ(e[0].peRed, 0x44);
    EXPECT_EQ(e[0].peFlags, PC_NOCOLLAPSE);
    EXPECT_EQ(e[1].peFlags, PC_RESERVED);
    EXPECT_EQ(e[2].peBlue, 0xCC);
    EXPECT_EQ(e[2].peFlags, 0x80);
    EXPECT_EQ(GetPaletteEntries(p, 4, 1, e), 0u);
    EXPECT_TRUE(DeleteObject(p));

    for (auto [version, count] : {std::pair<WORD, int>{0x200, 4}, {0x300, 0}, {0x300, 300}}) {
        HPALETTE q = MakePalette(std::vector<uint32_t>(count, 0x010203), version);
        ASSERT_NE(q, nullptr) << version << " " << count;
        EXPECT_EQ(GetPaletteEntries(q, 0, 0, nullptr), UINT(count));
        DeleteObject(q);
    }
    EXPECT_EQ(CreatePalette(nullptr), nullptr);
}

TEST_F(Palette, DefaultPaletteIsTheTwentyStaticColours) {
    const uint32_t statics[20] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080,
                                  0xC0C0C0, 0xC0DCC0, 0xA6CAF0, 0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000,
                                  0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    auto stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    PALETTEENTRY e[32] = {};
    ASSERT_EQ(GetPaletteEntries(stock, 0, 32, e), 20u);
    for (int i = 0; i < 20; i++) EXPECT_EQ(RGB(e[i].peRed, e[i].peGreen, e[i].peBlue), Ref(statics[i])) << i;
    if (!Layer::Available()) return;
    for (int i = 0; i < 10; i++) {
        EXPECT_EQ(Layer::SystemPaletteColor(i), Ref(statics[i])) << i;
        EXPECT_EQ(Layer::SystemPaletteColor(246 + i), Ref(statics[10 + i])) << i;
    }
}

TEST_F(Palette, SelectGivesBackThePreviousAndADeletedPaletteLeavesOnlyItsHandle) {
    HPALETTE p = MakePalette(Colours(8));
    HGDIOBJ stock = GetStockObject(DEFAULT_PALETTE);
    EXPECT_EQ(SelectPalette(dc, p, FALSE), stock);
    EXPECT_EQ(SelectPalette(dc, static_cast<HPALETTE>(GetStockObject(WHITE_BRUSH)), FALSE), nullptr);
    EXPECT_EQ(SelectPalette(dc, nullptr, FALSE), nullptr);
    EXPECT_EQ(SelectPalette(nullptr, p, FALSE), nullptr);
    EXPECT_EQ(SelectObject(dc, p), nullptr) << "palettes go through SelectPalette";
    EXPECT_EQ(RealizePalette(dc), 0u) << "a true-colour screen maps nothing";
    if (Layer::Available()) EXPECT_EQ(Layer::LastRealizedPalette(dc), p);

    EXPECT_TRUE(DeleteObject(p)) << "even while selected";
    EXPECT_EQ(GetPaletteEntries(p, 0, 0, nullptr), 0u);
    EXPECT_EQ(RealizePalette(dc), 0u);
    if (Layer::Available()) EXPECT_EQ(Layer::LastRealizedPalette(dc), nullptr);
    EXPECT_EQ(SelectPalette(dc, static_cast<HPALETTE>(stock), FALSE), p);
    EXPECT_FALSE(DeleteObject(p));
    EXPECT_TRUE(DeleteObject(stock)) << "a stock object stays";
    EXPECT_EQ(GetPaletteEntries(static_cast<HPALETTE>(stock), 0, 0, nullptr), 20u);
}

// ---- the layer's 8- and 16-bit screens ------------------------------------------

TEST_F(Palette, EightBitPictureKeepsItsColoursOnlyWithItsPaletteRealised) {
    SKIP_WITHOUT_LAYER("the Wine display is true colour");
    Layer::SetScreen(640, 480, 8);
    auto colours = Colours(64);
    colours[7] = 0xFF0000;  // a static colour: reused, not copied
    Bytes dib = MakePackedDib(16, 8, 8, [](int x, int y) { return uint32_t(x + 16 * (y % 4)); }, 64, colours);
    ASSERT_EQ(DrawOwn(dib, 0, 0), 8);
    // Without it, each colour is the nearest static one: 0x28C800 is green.
    EXPECT_EQ(At(0, 0), RGB(0, 255, 0));
    EXPECT_EQ(At(7, 0), RGB(255, 0, 0));
    auto stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    PALETTEENTRY statics[20];
    ASSERT_EQ(GetPaletteEntries(stock, 0, 20, statics), 20u);
    auto nearestStatic = [&](uint32_t c) {
        int best = 0, bestDistance = INT_MAX;
        for (int i = 0; i < 20; i++) {
            int dr = int(c >> 16 & 0xFF) - statics[i].peRed, dg = int(c >> 8 & 0xFF) - statics[i].peGreen,
                db = int(c & 0xFF) - statics[i].peBlue;
            if (dr * dr + dg * dg + db * db < bestDistance) best = i, bestDistance = dr * dr + dg * dg + db * db;
        }
        return RGB(statics[best].peRed, statics[best].peGreen, statics[best].peBlue);
    };
    // Thousands of colours, each to its own nearest.
    auto spread = [](int x, int y) {
        return uint32_t(x * 3) << 16 | uint32_t(y * 4) << 8 | uint32_t((x * 7 + y * 13) % 256);
    };
    Bytes photo = MakePackedDib(80, 64, 24, spread);
    ASSERT_EQ(DrawOwn(photo, 100, 100), 64);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 80; x++) ASSERT_EQ(At(100 + x, 100 + y), nearestStatic(spread(x, y))) << x << "," << y;

    HPALETTE p = MakePalette(colours);
    HPALETTE old = SelectPalette(dc, p, FALSE);
    EXPECT_EQ(RealizePalette(dc), 64u);
    EXPECT_EQ(RealizePalette(dc), 0u) << "already in place";
    EXPECT_EQ(Layer::LastRealizedPalette(dc), p);
    EXPECT_EQ(Layer::SystemPaletteColor(10), Ref(colours[0]));
    EXPECT_EQ(Layer::SystemPaletteColor(16), Ref(colours[6]));
    EXPECT_EQ(Layer::SystemPaletteColor(17), Ref(colours[8]));
    EXPECT_EQ(Layer::SystemPaletteColor(73), RGB(0, 0, 0)) << "still free";
    ASSERT_EQ(DrawOwn(dib, 0, 0), 8);
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 16; x++) ASSERT_EQ(At(x, y), Ref(colours[x + 16 * (y % 4)])) << x << "," << y;

    // A true-colour picture drawn now takes the nearest of those colours.
    SelectPalette(dc, old, FALSE);
    Bytes nearby = MakePackedDib(3, 1, 24, [&](int x, int) {
        return x == 0 ? colours[20] + 0x010102 : x == 1 ? 0xFEFEFEu : 0x2AC701u;
    });
    ASSERT_EQ(DrawOwn(nearby, 0, 20), 1);
    EXPECT_EQ(At(0, 20), Ref(colours[20]));
    EXPECT_EQ(At(1, 20), RGB(255, 255, 255));
    EXPECT_EQ(At(2, 20), Ref(colours[0]));
    EXPECT_TRUE(DeleteObject(p));
}

TEST_F(Palette, EntriesShareAStaticColourUnlessToldOtherwise) {
    SKIP_WITHOUT_LAYER("the Wine display is true colour");
    Layer::SetScreen(640, 480, 8);
    HPALETTE p = MakePalette({0xFF0000, uint32_t(PC_NOCOLLAPSE) << 24 | 0xFF0000,
                              uint32_t(PC_EXPLICIT) << 24 | 0x000005, uint32_t(PC_RESERVED) << 24 | 0x010203,
                              0x445566, 0x445566});
    SelectPalette(dc, p, FALSE);
    EXPECT_EQ(RealizePalette(dc), 6u);
    // Red twice (once reused, once kept apart), index 5 named outright, the
    // reserved colour on its own, the last two sharing one entry.
    EXPECT_EQ(Layer::SystemPaletteColor(10), RGB(255, 0, 0));
    EXPECT_EQ(Layer::SystemPaletteColor(11), RGB(1, 2, 3));
    EXPECT_EQ(Layer::SystemPaletteColor(12), RGB(0x44, 0x55, 0x66));
    EXPECT_EQ(Layer::SystemPaletteColor(13), RGB(0, 0, 0));
    EXPECT_EQ(Layer::SystemPaletteColor(5), RGB(128, 0, 128)) << "named, not overwritten";
}

TEST_F(Palette, ForegroundTakesTheFreeEntriesBackgroundWhatIsLeftAndResetFreesAll) {
    SKIP_WITHOUT_LAYER("the Wine display is true colour");
    Layer::SetScreen(640, 480, 8);
    HDC other = GetDC(window);
    HPALETTE a = MakePalette({0x111111, 0x222222, 0x333333}), b = MakePalette({0x444444, 0x555555});
    SelectPalette(dc, a, FALSE);
    ASSERT_EQ(RealizePalette(dc), 3u);
    SelectPalette(other, b, TRUE);
    ASSERT_EQ(RealizePalette(other), 2u);
    EXPECT_EQ(Layer::SystemPaletteColor(10), RGB(0x11, 0x11, 0x11));
    EXPECT_EQ(Layer::SystemPaletteColor(13), RGB(0x44, 0x44, 0x44)) << "after the foreground palette's";
    SelectPalette(other, b, FALSE);
    ASSERT_EQ(RealizePalette(other), 2u) << "now mapped elsewhere";
    EXPECT_EQ(Layer::SystemPaletteColor(10), RGB(0x44, 0x44, 0x44));
    EXPECT_EQ(Layer::SystemPaletteColor(12), RGB(0, 0, 0)) << "a's colours are gone";
    Bytes dib = MakePackedDib(1, 1, 24, [](int, int) { return 0x343434u; });
    ASSERT_EQ(DrawOwn(dib, 0, 0), 1);
    EXPECT_EQ(At(0, 0), RGB(0x44, 0x44, 0x44)) << "nearest of what the screen holds now";
    ReleaseDC(window, other);

    Layer::Reset();
    dc = nullptr;
    window = nullptr;
    EXPECT_EQ(GetPaletteEntries(a, 0, 0, nullptr), 0u);
    EXPECT_EQ(Layer::SystemPaletteColor(10), RGB(0, 0, 0));
    EXPECT_EQ(Layer::SystemPaletteColor(255), RGB(255, 255, 255));
    EXPECT_EQ(Layer::SystemPaletteColor(256), CLR_INVALID);
}

TEST_F(Stretch, SixteenBitScreenKeepsFiveSixFiveBits) {
    SKIP_WITHOUT_LAYER("the Wine display is 24-bit");
    Layer::SetScreen(640, 480, 16);
    Bytes dib = MakePackedDib(2, 1, 24, [](int x, int) { return x ? 0xFFFFFFu : 0x123456u; });
    ASSERT_EQ(DrawOwn(dib, 0, 0), 1);
    EXPECT_EQ(At(0, 0), RGB(0x10, 0x34, 0x52));
    EXPECT_EQ(At(1, 0), RGB(0xFF, 0xFF, 0xFF));
}

}  // namespace
