// The monitors as user32 reports them: run against Windows (whatever monitors
// the display has) and against the layer's screens of several monitors.
#include "support/saver_fixture.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Monitor {
    HMONITOR handle;
    RECT rect;
};

BOOL CALLBACK Collect(HMONITOR handle, HDC, LPRECT rect, LPARAM data) {
    reinterpret_cast<std::vector<Monitor> *>(data)->push_back({handle, *rect});
    return TRUE;
}

std::vector<Monitor> AllMonitors(const RECT *clip = nullptr) {
    std::vector<Monitor> list;
    EXPECT_TRUE(EnumDisplayMonitors(nullptr, clip, Collect, reinterpret_cast<LPARAM>(&list)));
    return list;
}

bool Same(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

using DisplayMonitors = SaverTest;

// One primary at the origin, the virtual screen round them all, each point
// on the monitor that holds it, a point off them all as the flags ask.
TEST_F(DisplayMonitors, TheMonitorsMakeUpTheVirtualScreen) {
    std::vector<std::string> layouts{""};  // what the display has
    if (Layer::Available()) layouts = {"640x480", "1280x1024+*1024x768", "800x600/*1024x768x8", "1024x768+*1280x1024+800x600"};
    for (const std::string &layout : layouts) {
        if (!layout.empty()) ASSERT_TRUE(Layer::SetScreenLayout(layout));
        const RECT primary{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        std::vector<Monitor> monitors = AllMonitors();
        ASSERT_EQ(static_cast<int>(monitors.size()), GetSystemMetrics(SM_CMONITORS)) << layout;
        RECT all = primary;
        for (const Monitor &m : monitors) {
            MONITORINFOEXW info{};
            info.cbSize = sizeof info;
            ASSERT_TRUE(GetMonitorInfoW(m.handle, &info)) << layout;
            EXPECT_TRUE(Same(info.rcMonitor, m.rect)) << layout;
            EXPECT_EQ((info.dwFlags & MONITORINFOF_PRIMARY) != 0, Same(m.rect, primary)) << layout;
            EXPECT_EQ(MonitorFromPoint({m.rect.right - 1, m.rect.bottom - 1}, MONITOR_DEFAULTTONULL), m.handle) << layout;
            all = {std::min(all.left, m.rect.left), std::min(all.top, m.rect.top), std::max(all.right, m.rect.right),
                   std::max(all.bottom, m.rect.bottom)};
        }
        int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
        EXPECT_TRUE(Same(all, {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)}))
            << layout;
        POINT off{all.left - 5, all.top - 5};
        EXPECT_EQ(MonitorFromPoint(off, MONITOR_DEFAULTTONULL), nullptr) << layout;
        EXPECT_EQ(MonitorFromPoint(off, MONITOR_DEFAULTTOPRIMARY), MonitorFromPoint({0, 0}, MONITOR_DEFAULTTONULL));
        EXPECT_EQ(MonitorFromPoint(off, MONITOR_DEFAULTTONEAREST), MonitorFromPoint({all.left, all.top}, MONITOR_DEFAULTTONEAREST));
        // Windows keeps the desktop window on the primary, for older programs.
        RECT desktop;
        GetWindowRect(GetDesktopWindow(), &desktop);
        EXPECT_TRUE(Same(desktop, primary)) << layout;
        MONITORINFO small{};
        small.cbSize = sizeof small - 1;
        EXPECT_FALSE(GetMonitorInfoW(monitors[0].handle, &small)) << "a size no monitor record has";
    }
}

TEST_F(DisplayMonitors, AWindowOrAClipIsOnTheMonitorsItTouches) {
    if (Layer::Available()) ASSERT_TRUE(Layer::SetScreenLayout("1280x1024+*1024x768"));
    std::vector<Monitor> monitors = AllMonitors();
    if (monitors.size() < 2) GTEST_SKIP() << "needs a second monitor; the display has one";
    HMONITOR primary = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTONULL);
    const Monitor &other = monitors[0].handle == primary ? monitors[1] : monitors[0];
    // Three quarters of the window on the other monitor, beside or below the primary.
    const RECT &o = other.rect;
    LONG x = o.left >= 0 && o.top == 0 ? o.left - 50 : o.left < 0 ? o.right - 150 : o.left + 10;
    LONG y = o.top == 0 ? 10 : o.top > 0 ? o.top - 25 : o.bottom - 75;
    HWND hwnd = MakePlainWindow(200, 100);
    SetWindowPos(hwnd, nullptr, x, y, 200, 100, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONULL), other.handle);
    DestroyWindow(hwnd);
    EXPECT_EQ(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), primary) << "a window that is gone";
    // Clipped, only the monitors the clip touches, each cut to it; a callback that stops makes it fail.
    RECT clip{o.left + 1, o.top + 1, o.left + 2, o.top + 2};
    std::vector<Monitor> touched = AllMonitors(&clip);
    ASSERT_EQ(touched.size(), 1u);
    EXPECT_EQ(touched[0].handle, other.handle);
    EXPECT_TRUE(Same(touched[0].rect, clip));
    EXPECT_FALSE(EnumDisplayMonitors(nullptr, nullptr, [](HMONITOR, HDC, LPRECT, LPARAM) -> BOOL { return FALSE; }, 0));
}

// QMSAVER_SCREEN's layouts: '+' puts the next monitor to the right, '/'
// below, '*' marks the primary, which lies at the origin and comes first.
TEST_F(DisplayMonitors, ScreenLayoutsPlaceEachMonitorBesideTheOneBefore) {
    SKIP_WITHOUT_LAYER("the layer's screen layouts");
    const std::pair<const char *, std::vector<RECT>> cases[] = {
        {"1024x768+1280x1024", {{0, 0, 1024, 768}, {1024, 0, 2304, 1024}}},
        {"1280x1024+*1024x768", {{0, 0, 1024, 768}, {-1280, 0, 0, 1024}}},
        {"640x480+*800x600/1024x768+320x200", {{0, 0, 800, 600}, {-640, 0, 0, 480}, {0, 600, 1024, 1368}, {1024, 600, 1344, 800}}},
    };
    for (const auto &[layout, expected] : cases) {
        ASSERT_TRUE(Layer::SetScreenLayout(layout)) << layout;
        std::vector<Monitor> monitors = AllMonitors();
        ASSERT_EQ(monitors.size(), expected.size()) << layout;
        for (size_t i = 0; i < monitors.size(); i++) EXPECT_TRUE(Same(monitors[i].rect, expected[i])) << layout << " " << i;
    }
    for (const char *bad : {"", "800x", "*800x600+*640x480", "800x600+", "800x600-640x480", "800x600x8+640x480x24", "9000x600"})
        EXPECT_FALSE(Layer::SetScreenLayout(bad)) << bad;
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 4) << "a refused layout leaves the screen as it was";
}

// A window has the DPI of the screen (the program is aware of it per
// monitor, and each monitor here has the system's), through the call as
// the program finds it in user32; no window has none. Under Wine the
// prefix's DPI, which tools/test names when it sets one.
TEST_F(DisplayMonitors, AWindowHasTheScreensDpi) {
    std::vector<int> dpis{0};  // the system's
    if (Layer::Available()) dpis = {96, 144};
    HWND window = MakePlainWindow(100, 80);
    using GetDpiProc = UINT(WINAPI *)(HWND);
    auto getDpi = reinterpret_cast<GetDpiProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    ASSERT_NE(getDpi, nullptr);
    for (int dpi : dpis) {
        if (dpi) Layer::SetDpi(dpi);
        HDC screen = GetDC(nullptr);
        int logPixels = GetDeviceCaps(screen, LOGPIXELSY);
        EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), logPixels);
        ReleaseDC(nullptr, screen);
        if (dpi) EXPECT_EQ(logPixels, dpi);
        if (const char *expected = std::getenv("QMSAVER_EXPECTED_DPI")) EXPECT_EQ(logPixels, std::atoi(expected));
        EXPECT_EQ(getDpi(window), static_cast<UINT>(logPixels));
        EXPECT_EQ(GetDpiForWindow(window), static_cast<UINT>(logPixels));
    }
    DestroyWindow(window);
    SetLastError(0);
    EXPECT_EQ(getDpi(window), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

}  // namespace
