// The show on every monitor: the saver window covers them all, the primary
// plays the show as a single screen would, each other monitor repeats the
// picture centred on it. Natively on the layer's screens of several
// monitors; under Windows on the monitors the display has.
#include "player/player.h"
#include "support/show_fixture.h"

#include <string>
#include <vector>

namespace {

// Each pixel tells where in the picture it is, and none is black.
uint32_t Code(int x, int y) { return static_cast<uint32_t>((x + 1) << 12 | (y + 1)); }
ShowRecord Coded(int w, int h) { return {MakePackedDib(w, h, 24, Code), MakePackedDib(8, 8, 24, Code)}; }

// The placement generator of a single screen, counted out independently.
struct Generator {
    uint32_t state = 1;
    int Next() {
        state = state * 214013u + 2531011u;
        return static_cast<int>(state >> 16 & 0x7FFF);
    }
};

BOOL CALLBACK Collect(HMONITOR, HDC, LPRECT rect, LPARAM data) {
    reinterpret_cast<std::vector<RECT> *>(data)->push_back(*rect);
    return TRUE;
}

class EveryMonitor : public ShowTest {
protected:
    static std::vector<RECT> Monitors() {
        std::vector<RECT> list;
        EnumDisplayMonitors(nullptr, nullptr, Collect, reinterpret_cast<LPARAM>(&list));
        return list;
    }
    static POINT Centred(const RECT &m, int W, int H) {
        return {m.left + (m.right - m.left - W) / 2, m.top + (m.bottom - m.top - H) / 2};
    }
    // Every pixel of the monitor is the coded picture's, drawn at its own
    // size from `at`, or black (layer only).
    void ExpectShows(const RECT &monitor, POINT at, int W, int H, const std::string &what) {
        int wrong = 0;
        for (LONG y = monitor.top; y < monitor.bottom; y++)
            for (LONG x = monitor.left; x < monitor.right; x++) {
                bool inside = x >= at.x && x < at.x + W && y >= at.y && y < at.y + H;
                uint32_t seen = Layer::ScreenPixel(x, y), expected = inside ? Code(x - at.x, y - at.y) : 0;
                if (seen != expected && wrong++ == 0) ADD_FAILURE() << what << ": wrong from " << x << "," << y;
            }
    }
};

TEST_F(EveryMonitor, TheSaverWindowCoversEveryMonitor) {
    std::vector<std::string> layouts{""};  // the display's own
    if (Layer::Available()) layouts = {"1024x768+1280x1024", "1280x1024+*1024x768", "800x600/*1024x768"};
    for (const std::string &layout : layouts) {
        if (!layout.empty()) ASSERT_TRUE(Layer::SetScreenLayout(layout));
        SetSetting("ItemName", "NOSUCH.QMS");
        HWND hwnd = Start();
        RECT r;
        ASSERT_TRUE(GetWindowRect(hwnd, &r)) << layout;
        int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
        EXPECT_EQ(r.left, x) << layout;
        EXPECT_EQ(r.top, y) << layout;
        EXPECT_EQ(r.right, x + GetSystemMetrics(SM_CXVIRTUALSCREEN)) << layout;
        EXPECT_EQ(r.bottom, y + GetSystemMetrics(SM_CYVIRTUALSCREEN)) << layout;
        for (const RECT &m : Monitors())
            for (POINT p : {POINT{m.left, m.top}, POINT{m.right - 1, m.bottom - 1}})
                EXPECT_EQ(WindowFromPoint(p), hwnd) << layout << " at " << p.x << "," << p.y;
        DestroyWindow(hwnd);
        Pump();
        player = PlayerState{};
    }
}

// Three monitors of mixed sizes, the primary (1024 wide: a smaller picture
// goes to the generator's place) in the middle.
TEST_F(EveryMonitor, EachMonitorShowsThePictureAfterEachTick) {
    SKIP_WITHOUT_LAYER("reads every pixel of the layer's screen");
    ASSERT_TRUE(Layer::SetScreenLayout("1280x1024+*1024x768+800x600"));
    const RECT primary{0, 0, 1024, 768}, left{-1280, 0, 0, 1024}, right{1024, 0, 1824, 600};
    InstallShow("THREE.QMS", MakeShow({Coded(640, 480), Coded(1100, 700)}));
    Start();
    Generator g;
    for (int tick = 1; tick <= 3; tick++) {
        RunFor(tick == 1 ? 1000 : 10000);
        std::string what = "tick " + std::to_string(tick);
        if (tick == 2) {
            // Wider than the primary: centred there too, and cropped evenly on the smaller right monitor.
            ExpectShows(primary, {-38, 34}, 1100, 700, what + ", primary");
            ExpectShows(left, {-1280 + 90, 162}, 1100, 700, what + ", left");
            ExpectShows(right, {1024 - 150, -50}, 1100, 700, what + ", right");
            continue;
        }
        // The other monitors take nothing from the generator.
        int x = g.Next() % (1024 - 640), y = g.Next() % (768 - 480);
        ExpectShows(primary, {x, y}, 640, 480, what + ", primary");
        ExpectShows(left, Centred(left, 640, 480), 640, 480, what + ", left");
        ExpectShows(right, Centred(right, 640, 480), 640, 480, what + ", right");
    }
}

TEST_F(EveryMonitor, OneMonitorShowsWhatASingleScreenShowed) {
    SKIP_WITHOUT_LAYER("reads every pixel of the layer's screen");
    InstallShow("ONE.QMS", MakeShow({Coded(640, 480), Coded(900, 500)}));
    Layer::SetScreen(800, 600, 24);
    Start();
    RunFor(1000);
    ExpectShows({0, 0, 800, 600}, {80, 60}, 640, 480, "centred on 800 x 600");
    RunFor(10000);
    ExpectShows({0, 0, 800, 600}, {-50, 50}, 900, 500, "cropped on 800 x 600");
    DestroyWindow(host.saverWindow);
    Pump();
    player = PlayerState{};
    Layer::SetScreen(1024, 768, 24);
    Start();
    RunFor(1000);
    Generator g;
    int x = g.Next() % (1024 - 640), y = g.Next() % (768 - 480);
    ExpectShows({0, 0, 1024, 768}, {x, y}, 640, 480, "the generator's place on 1024 x 768");
}

// An 8-bit picture on both monitors of a palette screen; a deeper one ends
// the show, and the banner scrolls along the primary only, never onto the
// monitor on its left (795 wide: the banner runs out to the left edge
// rather than starting over at 0).
TEST_F(EveryMonitor, APaletteScreenShowsItsBannerOnThePrimaryOnly) {
    SKIP_WITHOUT_LAYER("needs the layer's 8-bit screen of two monitors");
    ASSERT_TRUE(Layer::SetScreenLayout("1280x1024x8+*795x600"));
    std::vector<uint32_t> table;  // fewer colours than the palette has free
    for (int i = 0; i < 256; i++) table.push_back(static_cast<uint32_t>(0x200000 + i % 200 * 0x0101));
    Bytes eight = MakePackedDib(200, 100, 8, [](int x, int) { return static_cast<uint32_t>(x); }, -1, table);
    InstallShow("PAL.QMS", MakeShow({{eight, eight}, Coded(64, 64)}));
    Start();
    RunFor(1000);
    EXPECT_EQ(Layer::ScreenPixel(297, 250), table[0]);     // centred on the primary
    EXPECT_EQ(Layer::ScreenPixel(-740, 462), table[0]);    // and on the left monitor
    EXPECT_EQ(Layer::ScreenPixel(-541, 561), table[199]);
    RunFor(10000);
    ASSERT_TRUE(player.depthMismatch);
    int onPrimary = 0, onLeft = 0;
    for (int step = 0; step < 150; step++) {
        RunFor(100);
        for (int y = 0; y < 16; y++)
            for (int x = -1280; x < 795; x += 2) (x < 0 ? onLeft : onPrimary) += Layer::ScreenPixel(x, y) != 0;
    }
    EXPECT_GT(onPrimary, 0);
    EXPECT_EQ(onLeft, 0) << "the banner left the primary";
    EXPECT_EQ(Layer::ScreenPixel(-740, 462), 0u) << "the banner's start blackens every monitor";
}

// What another monitor shows, read through the saver window's DC.
TEST_F(EveryMonitor, AnotherMonitorShowsThePictureCentredOnIt) {
    if (Layer::Available()) ASSERT_TRUE(Layer::SetScreenLayout("1280x1024+*800x600"));
    if (Monitors().size() < 2) GTEST_SKIP() << "needs a second monitor; the display has one";
    Bytes framed = MakePackedDib(320, 240, 24, [](int x, int y) {
        return x == 0 || y == 0 || x == 319 || y == 239 ? 0xFFFFFFu : 0xD02020u;
    });
    InstallShow("FRAMED.QMS", MakeShow({{framed, framed}}));
    HWND hwnd = Start();
    for (int i = 0; i < 400 && player.pictureIndex != 1; i++) RunFor(10);
    ASSERT_EQ(player.pictureIndex, 1);
    HDC hdc = GetDC(hwnd);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    auto pixel = [&](LONG x, LONG y) { return GetPixel(hdc, x - origin.x, y - origin.y); };
    for (const RECT &m : Monitors()) {
        if (m.left == 0 && m.top == 0) continue;  // the primary
        POINT at = Centred(m, 320, 240);
        EXPECT_EQ(pixel(at.x + 160, at.y + 120), RGB(0xD0, 0x20, 0x20));
        EXPECT_EQ(pixel(at.x, at.y), RGB(255, 255, 255)) << "top-left corner";
        EXPECT_EQ(pixel(at.x + 319, at.y + 239), RGB(255, 255, 255)) << "bottom-right corner";
        EXPECT_EQ(pixel(at.x - 1, at.y), RGB(0, 0, 0));
        EXPECT_EQ(pixel(at.x + 320, at.y + 239), RGB(0, 0, 0));
    }
    ReleaseDC(hwnd, hdc);
}

}  // namespace
