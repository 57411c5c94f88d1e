// What ends the saver and what does not.
#include "support/saver_fixture.h"

namespace {

std::vector<UINT> panelMessages;
std::vector<WPARAM> panelParams;

LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP || message == WM_CONTEXTMENU) {
        panelMessages.push_back(message);
        panelParams.push_back(wParam);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class Dismissal : public SaverTest {
protected:
    HWND StartFullScreen() {
        HWND hwnd = CreateSaverWindow(nullptr, nullptr);
        Pump();
        return hwnd;
    }
};

TEST_F(Dismissal, SmallMouseJitterKeepsTheSaverLargerMovesClose) {
    SetCursorPos(100, 100);
    HWND hwnd = StartFullScreen();
    ASSERT_NE(hwnd, nullptr);
    SetCursorPos(102, 102);  // |dx| + |dy| = 4
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(102, 102));
    EXPECT_FALSE(Pump().quit);
    EXPECT_TRUE(IsWindow(hwnd));
    SetCursorPos(98, 98);
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(98, 98));
    EXPECT_FALSE(Pump().quit) << "movement is measured from where the saver started";
    SetCursorPos(103, 102);  // 5
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(103, 102));
    PumpResult r = Pump();
    EXPECT_TRUE(r.quit);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_FALSE(IsWindow(hwnd));
}

// The window covers every monitor: the mouse is under it on each, and a
// move is measured there as on the primary.
TEST_F(Dismissal, AMoveOnAnotherMonitorCloses) {
    SKIP_WITHOUT_LAYER("moves the mouse over the layer's second monitor");
    ASSERT_TRUE(Layer::SetScreenLayout("1024x768+1280x1024"));
    SetCursorPos(1500, 300);
    HWND hwnd = StartFullScreen();
    ASSERT_NE(hwnd, nullptr);
    SetCursorPos(1502, 302);
    EXPECT_FALSE(Pump().quit) << "a jitter of 4";
    SetCursorPos(1503, 302);
    EXPECT_TRUE(Pump().quit);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Dismissal, KeysClicksAndDeactivationClose) {
    struct Case {
        const char *what;
        UINT message;
        WPARAM wParam;
    };
    const Case cases[] = {
        {"key", WM_KEYDOWN, 'Q'},          {"system key", WM_SYSKEYDOWN, VK_SHIFT},
        {"left click", WM_LBUTTONDOWN, 0}, {"right click", WM_RBUTTONDOWN, 0},
        {"middle click", WM_MBUTTONDOWN, 0}, {"deactivation", WM_ACTIVATEAPP, FALSE},
    };
    for (const Case &c : cases) {
        ResetProgramState();
        HWND hwnd = StartFullScreen();
        ASSERT_NE(hwnd, nullptr) << c.what;
        SendMessageW(hwnd, c.message, c.wParam, 0);
        PumpResult r = Pump();
        EXPECT_TRUE(r.quit) << c.what;
        EXPECT_FALSE(IsWindow(hwnd)) << c.what;
    }
}

TEST_F(Dismissal, ActivationAndKeyReleasesDoNotClose) {
    HWND hwnd = StartFullScreen();
    SendMessageW(hwnd, WM_ACTIVATEAPP, TRUE, 0);
    SendMessageW(hwnd, WM_KEYUP, 'Q', 0);
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    EXPECT_FALSE(Pump().quit);
    EXPECT_TRUE(IsWindow(hwnd));
}

TEST_F(Dismissal, SecondFullScreenStartBringsTheFirstForward) {
    HWND first = StartFullScreen();
    ASSERT_NE(first, nullptr);
    HWND other = MakePlainWindow(10, 10);
    SetForegroundWindow(other);
    Pump();
    HostState firstState = host;
    EXPECT_EQ(RunSaver(nullptr), 0);
    EXPECT_EQ(GetForegroundWindow(), first);
    EXPECT_TRUE(IsWindow(first));
    host = firstState;
    DestroyWindow(other);
    Pump();
}

TEST_F(Dismissal, PreviewPassesHelpAndContextMenuToTheControlPanel) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = host.instance;
    wc.lpszClassName = L"TestPanelHelp";
    RegisterClassW(&wc);
    HWND panel = CreateWindowExW(0, L"TestPanelHelp", L"", WS_POPUP | WS_VISIBLE, 0, 0, 152, 112, nullptr, nullptr,
                                 host.instance, nullptr);
    HWND preview = CreateSaverWindow(panel, nullptr);
    ASSERT_NE(preview, nullptr);
    Pump();
    EXPECT_EQ(SendMessageW(preview, WM_HELP, 0, 0), 1);
    EXPECT_EQ(SendMessageW(preview, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(preview), MAKELPARAM(5, 5)), 1);
    Pump();
    ASSERT_EQ(panelMessages.size(), 2u);
    EXPECT_EQ(panelMessages[0], static_cast<UINT>(WM_HELP));
    EXPECT_EQ(panelMessages[1], static_cast<UINT>(WM_CONTEXTMENU));
    EXPECT_EQ(panelParams[0], reinterpret_cast<WPARAM>(panel));
    EXPECT_EQ(panelParams[1], reinterpret_cast<WPARAM>(panel));
    // Why help is sent rather than posted: Windows refuses to post it.
    EXPECT_FALSE(PostMessageW(panel, WM_HELP, 0, 0));
    DestroyWindow(panel);
    EXPECT_FALSE(IsWindow(preview));
    EXPECT_TRUE(Pump().quit);
    UnregisterClassW(L"TestPanelHelp", host.instance);
}

TEST_F(Dismissal, WindowTitleCannotBeChanged) {
    HWND hwnd = StartFullScreen();
    SetWindowTextW(hwnd, L"Something else");
    EXPECT_EQ(WindowText(hwnd), "Screen Saver");
}

}  // namespace
