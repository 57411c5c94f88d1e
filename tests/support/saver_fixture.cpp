#include "support/saver_fixture.h"

#include "player/player.h"
#include "player/settings.h"

#include <algorithm>

PumpResult Pump(const MessageWatch &watch) {
    PumpResult result;
    MSG msg;
    for (int i = 0; i < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); i++) {
        if (msg.message == WM_QUIT) {
            result.quit = true;
            result.exitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (watch) watch(msg);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return result;
}

void RunFor(DWORD milliseconds, const MessageWatch &watch) {
    DWORD end = GetTickCount() + milliseconds;
    for (;;) {
        Pump(watch);
        DWORD now = GetTickCount();
        if (static_cast<LONG>(end - now) <= 0) break;
        if (Layer::Available()) Layer::AdvanceClock(std::min<DWORD>(end - now, Layer::NextEventIn()));
        else Sleep(std::min<DWORD>(end - now, 5));
    }
    Pump(watch);
}

HWND MakePlainWindow(int width, int height) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TestPlainWindow";
    RegisterClassW(&wc);  // fails harmlessly once registered
    return CreateWindowExW(0, L"TestPlainWindow", L"Display Properties", WS_POPUP | WS_VISIBLE, 10, 10, width, height,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void SaverTest::SetUp() {
    Layer::Reset();
    ResetProgramState();
    SetCursorPos(100, 100);
    Pump();
}

void SaverTest::TearDown() {
    if (host.saverWindow && IsWindow(host.saverWindow)) DestroyWindow(host.saverWindow);
    Pump();
    // The program never reaches a branch the layer leaves out.
    if (Layer::Available()) EXPECT_EQ(Layer::UnimplementedReports(), 0);
    UnloadPasswordCheck();
    // The cursor comes back for whatever runs next.
    while (ShowCursor(TRUE) < 0) {}
}

void SaverTest::UseWindows95(bool withPassword) {
    Layer::SetWindows95Family(true);
    HKEY key;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    DWORD on = withPassword ? 1 : 0;
    RegSetValueExW(key, L"ScreenSaveUsePassword", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&on), sizeof on);
    RegCloseKey(key);
    DetectPlatform();
}

void DrawingTest::OpenWindow(int width, int height) {
    window = MakePlainWindow(width, height);
    ASSERT_NE(window, nullptr);
    Pump();
    dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
}

void DrawingTest::TearDown() {
    if (dc) ReleaseDC(window, dc);
    if (window) DestroyWindow(window);
    SaverTest::TearDown();
}
