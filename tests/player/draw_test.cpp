// Each tick draws the next picture: where it goes on the screen and in the
// preview, its palette, and what happens to blocks that cannot be drawn.
#include <cstring>
#include <random>

#include "player/player.h"
#include "support/show_fixture.h"

namespace {

#define SKIP_WITHOUT_CLOCK SKIP_WITHOUT_LAYER("steps the show's ticks on the layer's virtual clock")

const uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

Bytes Solid(int w, int h, uint32_t color) {
    return MakePackedDib(w, h, 24, [=](int, int) { return color; });
}

// Each pixel tells where it is: red x, green y, blue the high bits of both.
Bytes Coordinates(int w, int h) {
    return MakePackedDib(w, h, 24, [](int x, int y) {
        return static_cast<uint32_t>((x & 255) << 16 | (y & 255) << 8 | (x >> 8) << 4 | (y >> 8));
    });
}

ShowRecord Pictures(const Bytes &full, const Bytes &preview) { return {full, preview}; }

// The placement generator, counted out independently of the player.
struct Generator {
    uint32_t state = 1;
    int Next() {
        state = state * 214013u + 2531011u;
        return static_cast<int>(state >> 16 & 0x7FFF);
    }
};

class Draw : public ShowTest {
protected:
    // The colour on the screen, read through the window's DC as Windows has it.
    uint32_t At(HWND hwnd, int x, int y) {
        HDC hdc = GetDC(hwnd);
        COLORREF c = GetPixel(hdc, x, y);
        ReleaseDC(hwnd, hdc);
        return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
    }
    // The smallest rectangle holding every non-black pixel (layer only).
    RECT Drawn() {
        RECT r{INT32_MAX, INT32_MAX, -1, -1};
        int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                if (Layer::ScreenPixel(x, y) != 0) {
                    r.left = std::min<LONG>(r.left, x), r.top = std::min<LONG>(r.top, y);
                    r.right = std::max<LONG>(r.right, x + 1), r.bottom = std::max<LONG>(r.bottom, y + 1);
                }
        return r;
    }
    void ExpectRect(RECT r, int left, int top, int right, int bottom, const char *what) {
        EXPECT_EQ(r.left, left) << what;
        EXPECT_EQ(r.top, top) << what;
        EXPECT_EQ(r.right, right) << what;
        EXPECT_EQ(r.bottom, bottom) << what;
    }
};

TEST_F(Draw, PicturesAreCentredOnScreensUpTo800Wide) {
    SKIP_WITHOUT_CLOCK;
    InstallShow("PLACE.QMS", MakeShow({Pictures(Solid(640, 480, kGreen), Solid(10, 10, kRed))}));
    Layer::SetScreen(640, 480, 24);
    Start();
    RunFor(1000);
    ExpectRect(Drawn(), 0, 0, 640, 480, "640 x 480 on 640 x 480");
    DestroyWindow(host.saverWindow);
    Pump();

    ResetProgramState();
    Layer::SetScreen(800, 600, 24);
    Start();
    RunFor(1000);
    ExpectRect(Drawn(), 80, 60, 720, 540, "640 x 480 on 800 x 600");
}

TEST_F(Draw, LargerPicturesAreCroppedEvenly) {
    SKIP_WITHOUT_CLOCK;
    Layer::SetScreen(800, 600, 24);
    InstallShow("BIG.QMS", MakeShow({Pictures(Coordinates(1025, 769), Solid(10, 10, kRed))}));
    Start();
    RunFor(1000);
    // (800 - 1025) / 2 = -112 and (600 - 769) / 2 = -84, halved toward zero.
    uint32_t p = Layer::ScreenPixel(0, 0);
    EXPECT_EQ(p >> 16, 112u);
    EXPECT_EQ(p >> 8 & 255, 84u);
}

TEST_F(Draw, WideScreensPlaceSmallerPicturesByTheGenerator) {
    SKIP_WITHOUT_CLOCK;
    Layer::SetScreen(1024, 768, 24);
    InstallShow("WIDE.QMS", MakeShow({Pictures(Solid(640, 480, kGreen), Solid(8, 8, kRed)),
                                      Pictures(Solid(1024, 300, kBlue), Solid(8, 8, kRed))}));
    for (int run = 0; run < 2; run++) {
        ResetProgramState();
        Start();
        Generator g;
        RunFor(1000);
        int x = g.Next() % (1024 - 640), y = g.Next() % (768 - 480);
        ExpectRect(Drawn(), x, y, x + 640, y + 480, "first picture");
        RunFor(10000);
        ExpectRect(Drawn(), 0, 234, 1024, 534, "a picture as wide as the screen is centred");
        RunFor(10000);
        x = g.Next() % (1024 - 640), y = g.Next() % (768 - 480);
        ExpectRect(Drawn(), x, y, x + 640, y + 480, "third tick, the first picture again");
        DestroyWindow(host.saverWindow);
        Pump();
    }
}

TEST_F(Draw, ThreePicturesPlayInOrderCentredOnBlack) {
    if (Layer::Available()) Layer::SetScreen(800, 600, 24);
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 800) << "the virtual display must be 800 x 600";
    SetSetting("Interval", "1");
    InstallShow("THREE.QMS", MakeShow({Pictures(Solid(320, 240, kRed), Solid(8, 8, kRed)),
                                       Pictures(Solid(320, 240, kGreen), Solid(8, 8, kGreen)),
                                       Pictures(Solid(320, 240, kBlue), Solid(8, 8, kBlue))}));
    HWND hwnd = Start();
    // Each picture spans 240..559 by 180..419.
    auto expectPicture = [&](uint32_t color, const char *what) {
        EXPECT_EQ(At(hwnd, 400, 300), color) << what;
        EXPECT_EQ(At(hwnd, 240, 180), color) << what;
        EXPECT_EQ(At(hwnd, 559, 419), color) << what;
        EXPECT_EQ(At(hwnd, 239, 180), 0u) << what;
        EXPECT_EQ(At(hwnd, 560, 419), 0u) << what;
        EXPECT_EQ(At(hwnd, 400, 179), 0u) << what;
        EXPECT_EQ(At(hwnd, 400, 420), 0u) << what;
        EXPECT_EQ(At(hwnd, 0, 0), 0u) << what;
    };
    auto waitFor = [&](int index) {
        for (int i = 0; i < 400 && player.pictureIndex != index; i++) RunFor(10);
    };
    waitFor(1);
    expectPicture(kRed, "first tick");
    waitFor(2);
    expectPicture(kGreen, "second tick");
    waitFor(3);
    expectPicture(kBlue, "third tick");
    waitFor(1);
    expectPicture(kRed, "fourth tick: the first again");
}

class Preview : public Draw {
protected:
    void SetUp() override {
        Draw::SetUp();
        panel = MakePlainWindow(152, 112);
    }
    void TearDown() override {
        DestroyWindow(panel);
        Draw::TearDown();
    }
    HWND ShowInPreview(const Bytes &preview) {
        InstallShow("PREVIEW.QMS", MakeShow({Pictures(Solid(16, 16, kWhite), preview)}));
        HWND hwnd = Start(panel);
        for (int i = 0; i < 400 && player.pictureIndex != 1; i++) RunFor(10);
        return hwnd;
    }
    HWND panel = nullptr;
};

TEST_F(Preview, LargePicturesAreFittedKeepingTheirShape) {
    // 200 x 150 is drawn 152 x 114 from y = -1: the first source row falls
    // above the area, the second comes at its top.
    Bytes wide = MakePackedDib(200, 150, 24, [](int, int y) { return y == 0 ? kRed : kGreen; });
    HWND hwnd = ShowInPreview(wide);
    EXPECT_EQ(At(hwnd, 0, 0), kGreen);
    EXPECT_EQ(At(hwnd, 151, 0), kGreen);
    EXPECT_EQ(At(hwnd, 151, 111), kGreen);
    EXPECT_EQ(At(hwnd, 76, 56), kGreen);
}

TEST_F(Preview, SquarePicturesFillTheHeight) {
    HWND hwnd = ShowInPreview(Solid(100, 100, kBlue));
    // 112 x 112 at (20, 0).
    EXPECT_EQ(At(hwnd, 19, 56), 0u);
    EXPECT_EQ(At(hwnd, 20, 0), kBlue);
    EXPECT_EQ(At(hwnd, 131, 111), kBlue);
    EXPECT_EQ(At(hwnd, 132, 56), 0u);
}

TEST_F(Preview, SmallerPicturesKeepTheirSizeAtTheGeneratorsPlace) {
    HWND hwnd = ShowInPreview(Solid(100, 75, kRed));
    Generator g;
    int x = g.Next() % (152 - 100), y = g.Next() % (112 - 75);
    EXPECT_EQ(At(hwnd, x, y), kRed);
    EXPECT_EQ(At(hwnd, x + 99, y + 74), kRed);
    EXPECT_EQ(At(hwnd, x + 100, y + 74), 0u);
    EXPECT_EQ(At(hwnd, x + 99, y + 75), 0u);
    if (x > 0) EXPECT_EQ(At(hwnd, x - 1, y), 0u);
    if (y > 0) EXPECT_EQ(At(hwnd, x, y - 1), 0u);
}

TEST_F(Draw, PicturesWithColourMasksAreDrawn) {
    SKIP_WITHOUT_CLOCK;
    Bytes masked;
    PutInfoHeader(masked, 32, 32, 16, BI_BITFIELDS, 32 * 64, 0);
    for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu}) Put32(masked, m);
    for (int i = 0; i < 32 * 32; i++) Put16(masked, 0x07E0);
    InstallShow("MASKS.QMS", MakeShow({Pictures(masked, Solid(8, 8, kRed))}));
    Start();
    RunFor(1000);
    EXPECT_EQ(Layer::ScreenPixel(320, 240), kGreen);
    EXPECT_EQ(Layer::ScreenPixel(304, 224), kGreen) << "the picture's corner";
    EXPECT_EQ(Layer::ScreenPixel(303, 224), 0u);
}

TEST_F(Draw, PaletteScreenRefusesDeeperPicturesForGood) {
    SKIP_WITHOUT_LAYER("needs an 8-bit palette screen");
    Layer::SetScreen(640, 480, 8);
    InstallShow("DEEP.QMS", MakeShow({Pictures(Solid(64, 64, kGreen), Solid(8, 8, kGreen))}));
    HWND hwnd = Start();
    HDC hdc = GetDC(hwnd);
    RECT mark{300, 300, 310, 310};
    FillRect(hdc, &mark, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(hwnd, hdc);
    RunFor(1000);
    EXPECT_TRUE(player.depthMismatch);
    EXPECT_EQ(player.showFile, HFILE_ERROR) << "the file is closed";
    EXPECT_EQ(Layer::ScreenPixel(305, 305), kWhite) << "nothing was blackened or drawn";
    EXPECT_EQ(player.bannerX, 0);
    RunFor(100);
    EXPECT_EQ(player.bannerX, 630) << "the depth banner follows 100 ms later";
    RunFor(100);
    EXPECT_EQ(player.bannerX, 620);
}

TEST_F(Draw, EightBitPicturesKeepTheirColoursOnAPaletteScreen) {
    SKIP_WITHOUT_LAYER("needs an 8-bit palette screen");
    Layer::SetScreen(640, 480, 8);
    // 236 colours: as many as a palette screen has free beside its 20 static ones.
    std::vector<uint32_t> table;
    for (int i = 0; i < 256; i++) {
        int k = i % 236;
        table.push_back(static_cast<uint32_t>((k * 37 % 256) << 16 | (255 - k) << 8 | (k * 11 % 256)));
    }
    Bytes picture = MakePackedDib(256, 4, 8, [](int x, int) { return static_cast<uint32_t>(x); }, -1, table);
    InstallShow("PAL.QMS", MakeShow({Pictures(picture, Solid(8, 8, kRed))}));
    Start();
    RunFor(1000);
    int wrong = 0;
    for (int i = 0; i < 256; i++) wrong += Layer::ScreenPixel(192 + i, 239) != table[i];
    EXPECT_EQ(wrong, 0) << "colours lost on the palette screen";
}

TEST_F(Draw, LastPaletteIsKeptForDeeperPictures) {
    SKIP_WITHOUT_LAYER("reads which palette the layer realised");
    std::vector<uint32_t> table(256, 0x123456);
    Bytes eight = MakePackedDib(16, 16, 8, [](int, int) { return 0u; }, -1, table);
    InstallShow("MIXED.QMS", MakeShow({Pictures(eight, Solid(8, 8, kRed)), Pictures(Solid(16, 16, kGreen), Solid(8, 8, kRed)),
                                       Pictures(eight, Solid(8, 8, kRed))}));
    HWND hwnd = Start();
    HDC hdc = GetDC(hwnd);  // the window's own DC, the one the player draws with
    RunFor(1000);
    HPALETTE first = player.currentPalette;
    ASSERT_NE(first, nullptr);
    PALETTEENTRY entry{};
    ASSERT_EQ(GetPaletteEntries(first, 5, 1, &entry), 1u);
    EXPECT_EQ(entry.peRed, 0x12);
    EXPECT_EQ(entry.peBlue, 0x56);
    RunFor(10000);
    EXPECT_EQ(player.currentPalette, first);
    EXPECT_EQ(Layer::LastRealizedPalette(hdc), first) << "the 24-bit picture was drawn with the earlier palette";
    RunFor(10000);
    EXPECT_NE(player.currentPalette, first) << "the next 8-bit picture brings its own";
    EXPECT_EQ(GetPaletteEntries(first, 0, 1, &entry), 0u) << "the replaced palette was deleted";
    ReleaseDC(hwnd, hdc);
}

TEST_F(Draw, FailedAllocationTellsOnceAndTheShowGoesOn) {
    SKIP_WITHOUT_LAYER("makes the layer's allocation fail and answers the box");
    InstallShow("ALLOC.QMS", MakeShow({Pictures(Solid(64, 64, kRed), Solid(8, 8, kRed)),
                                       Pictures(Solid(64, 64, kGreen), Solid(8, 8, kGreen)),
                                       Pictures(Solid(64, 64, kBlue), Solid(8, 8, kBlue))}));
    HWND hwnd = Start();
    RunFor(1000);
    EXPECT_EQ(Layer::ScreenPixel(320, 240), kRed);
    Layer::FailAllocationAfter(0);
    RunFor(10000);
    auto boxes = Layer::MessageBoxesShown();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "GlobalAllocPtrError num = 2");
    EXPECT_EQ(boxes[0].caption, "Quillmere Saver");
    EXPECT_EQ(boxes[0].owner, hwnd);
    EXPECT_EQ(boxes[0].type & 0xF, static_cast<UINT>(MB_OK));
    EXPECT_EQ(Layer::ScreenPixel(320, 240), kRed) << "nothing drawn for the skipped record";
    RunFor(10000);
    EXPECT_EQ(Layer::ScreenPixel(320, 240), kBlue) << "the next tick goes on with the next record";
    EXPECT_EQ(Layer::MessageBoxesShown().size(), 1u);
}

TEST_F(Draw, FailedAllocationInPreviewSkipsTheRecordSilently) {
    SKIP_WITHOUT_LAYER("makes the layer's allocation fail");
    HWND panel = MakePlainWindow(152, 112);
    InstallShow("ALLOC.QMS", MakeShow({Pictures(Solid(300, 300, kRed), Solid(152, 112, kRed)),
                                       Pictures(Solid(300, 300, kGreen), Solid(152, 112, kGreen))}));
    HWND hwnd = Start(panel);
    Layer::FailAllocationAfter(0);
    RunFor(1000);
    EXPECT_TRUE(Layer::MessageBoxesShown().empty());
    RunFor(10000);
    EXPECT_EQ(At(hwnd, 76, 56), kGreen) << "the record after the skipped one is read whole";
    DestroyWindow(panel);
}

TEST_F(Draw, BlocksThatDoNotHoldTheirBitmapAreSkipped) {
    SKIP_WITHOUT_CLOCK;
    struct Damage {
        const char *what;
        size_t offset;
        uint32_t value;
    } damages[] = {
        {"rows past the block", 8, 1000},
        {"header larger than the block", 0, 5000},
        {"zero width", 4, 0},
        {"colour table past the block", 32, 0x01000000},
        {"run lengths of another depth", 16, BI_RLE4},
    };
    for (const Damage &d : damages) {
        ResetProgramState();
        Bytes broken = Solid(64, 64, kGreen);
        std::memcpy(broken.data() + d.offset, &d.value, 4);
        InstallShow("BROKEN.QMS", MakeShow({Pictures(Solid(64, 64, kRed), Solid(8, 8, kRed)),
                                            Pictures(broken, Solid(8, 8, kGreen)),
                                            Pictures(Solid(64, 64, kBlue), Solid(8, 8, kBlue))}));
        HWND hwnd = Start();
        RunFor(1000);
        RunFor(10000);
        EXPECT_EQ(Layer::ScreenPixel(320, 240), kRed) << d.what << ": nothing drawn";
        RunFor(10000);
        EXPECT_EQ(Layer::ScreenPixel(320, 240), kBlue) << d.what << ": the show goes on";
        DestroyWindow(hwnd);
        Pump();
    }
}

}  // namespace

namespace {

// An 8-bit picture "with colour masks" has no colour table behind its
// header: its palette must not be read from there (the sanitizers watch).
TEST_F(Draw, EightBitPictureWithMasksIsPassedOver) {
    SKIP_WITHOUT_CLOCK;
    Bytes masked;
    PutInfoHeader(masked, 2, 2, 8, BI_BITFIELDS, 8, 0);
    for (uint32_t m : {0xE0u, 0x1Cu, 0x03u}) Put32(masked, m);
    masked.resize(masked.size() + 8, 0x55);
    InstallShow("MASKED.QMS", MakeShow({Pictures(Solid(64, 64, kRed), masked), Pictures(masked, masked),
                                        Pictures(Solid(64, 64, kBlue), masked)}));
    Start();
    RunFor(1000);
    RunFor(10000);
    EXPECT_EQ(Layer::ScreenPixel(320, 240), kRed) << "nothing drawn";
    EXPECT_EQ(player.currentPalette, nullptr) << "no palette from a table that is not there";
    RunFor(10000);
    EXPECT_EQ(Layer::ScreenPixel(320, 240), kBlue);
}

// Damaged copies of a good show: the player draws what it can, skips the
// rest, and neither crashes nor reads outside its blocks (the sanitizers
// watch this run).
TEST_F(Draw, RandomlyDamagedShowsKeepTheSaverRunning) {
    SKIP_WITHOUT_CLOCK;
    std::mt19937 random(8122026);
    Bytes good = MakeShow({Pictures(Solid(64, 48, kRed), Solid(16, 12, kRed)),
                           Pictures(MakePackedDib(40, 30, 8, [](int x, int y) { return uint32_t(x + y); }),
                                    MakePackedDib(10, 8, 8, [](int x, int) { return uint32_t(x); })),
                           Pictures(MakePackedDib(33, 17, 4, [](int x, int) { return uint32_t(x & 15); }),
                                    Solid(8, 4, kBlue))});
    for (int round = 0; round < 40; round++) {
        Bytes show = good;
        for (int c = 0; c < 1 + static_cast<int>(random() % 6); c++) {
            size_t at = random() % show.size();
            show[at] = static_cast<uint8_t>(random());
        }
        if (random() % 4 == 0) show.resize(4 + random() % (show.size() - 4));
        ResetProgramState();
        InstallShow("DAMAGED.QMS", show);
        HWND panel = round % 3 == 0 ? MakePlainWindow(152, 112) : nullptr;
        HWND hwnd = Start(panel);
        ASSERT_NE(hwnd, nullptr);
        RunFor(1000 + 10000 * 5);
        EXPECT_TRUE(IsWindow(hwnd)) << "round " << round;
        DestroyWindow(panel ? panel : hwnd);
        Pump();
    }
}

}  // namespace

namespace {

// A copy cut short anywhere inside a record: the player draws what the file
// holds, never reads picture bytes as sizes, shows no box, and starts again
// from the first record at the wrap.
TEST_F(Draw, ShowCutAnywhereInsideARecordPlaysOnWithoutABox) {
    SKIP_WITHOUT_CLOCK;
    // White previews: their bytes, read as sizes, would ask for gigabytes.
    std::vector<ShowRecord> records;
    for (uint32_t colour : {kRed, kGreen, kBlue, kGreen, kBlue}) records.push_back(Pictures(Solid(8, 8, colour), Solid(4, 4, kWhite)));
    Bytes whole = MakeShow(records);
    size_t record = (whole.size() - 4) / 5;
    for (size_t cut = 4 + record + 1; cut < 4 + 2 * record; cut++) {
        ResetProgramState();
        InstallShow("CUT.QMS", Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)));
        HWND hwnd = Start();
        std::vector<int> indices;
        std::vector<uint32_t> shown;
        for (int tick = 0; tick < 7; tick++) {
            RunFor(tick == 0 ? 1000 : 10000);
            indices.push_back(player.pictureIndex);
            shown.push_back(Layer::ScreenPixel(320, 240));
        }
        EXPECT_EQ(indices, (std::vector<int>{1, 2, 3, 4, 5, 1, 2})) << "cut at " << cut;
        EXPECT_EQ(shown, (std::vector<uint32_t>(7, kRed))) << "cut at " << cut;
        EXPECT_TRUE(Layer::MessageBoxesShown().empty()) << "cut at " << cut;
        EXPECT_LT(Layer::LargestAllocationRequest(), SIZE_T{4096}) << "cut at " << cut;
        DestroyWindow(hwnd);
        Pump();
    }
}

TEST_F(Draw, LargestCountWrapsToTheFirstPicture) {
    SKIP_WITHOUT_CLOCK;
    InstallShow("MANY.QMS", MakeShow({Pictures(Solid(8, 8, kRed), Solid(4, 4, kRed)),
                                      Pictures(Solid(8, 8, kGreen), Solid(4, 4, kGreen))},
                                     32767));
    Start();
    RunFor(1000);
    ASSERT_EQ(player.pictureIndex, 1);
    player.pictureIndex = 32766;
    RunFor(10000);
    EXPECT_EQ(player.pictureIndex, 32767);
    RunFor(10000);
    EXPECT_EQ(player.pictureIndex, 1) << "the index wraps instead of turning negative";
    EXPECT_EQ(Layer::ScreenPixel(320, 240), kRed);
    RunFor(10000);
    EXPECT_EQ(player.pictureIndex, 2);
    EXPECT_EQ(Layer::ScreenPixel(320, 240), kGreen);
}

}  // namespace
