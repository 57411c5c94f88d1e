// The saver's own password handling on the Windows 95 family, through the
// system's PASSWORD.CPL, MPR.DLL and IMM32.DLL (stand-ins on the layer).
#include <stdexcept>
#include <vector>

#include "support/saver_fixture.h"

namespace {

#define SKIP_WITHOUT_95 SKIP_WITHOUT_LAYER("Wine runs as the NT family; the 95 family exists only on the portable layer")

struct Calls {
    int verify = 0;
    BOOL verifyAnswer = FALSE;
    bool verifyThrows = false;
    std::vector<HWND> verifyWindows;
    int change = 0;
    std::string changeKey;
    HWND changeOwner = nullptr;
    std::vector<std::pair<HWND, HIMC>> imm;
};
Calls calls;

BOOL WINAPI FakeVerify(HWND hwnd) {
    calls.verify++;
    calls.verifyWindows.push_back(hwnd);
    if (calls.verifyThrows) throw std::runtime_error("password service failed");
    return calls.verifyAnswer;
}

DWORD WINAPI FakeChange(LPCSTR key, HWND owner, DWORD, DWORD) {
    calls.change++;
    calls.changeKey = key;
    calls.changeOwner = owner;
    return 0;
}

const HIMC kSystemContext = reinterpret_cast<HIMC>(0x5150);

HIMC WINAPI FakeAssociate(HWND hwnd, HIMC context) {
    calls.imm.push_back({hwnd, context});
    return calls.imm.size() == 1 ? kSystemContext : nullptr;
}

class Password : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        calls = Calls{};
        if (!Layer::Available()) return;
        Layer::RegisterModule("PASSWORD.CPL", {{"VerifyScreenSavePwd", reinterpret_cast<FARPROC>(FakeVerify)}});
        Layer::RegisterModule("MPR.DLL", {{"PwdChangePasswordA", reinterpret_cast<FARPROC>(FakeChange)}});
    }

    HWND StartWithPassword() {
        UseWindows95(true);
        HWND hwnd = CreateSaverWindow(nullptr, nullptr);
        Pump();
        return hwnd;
    }
};

TEST_F(Password, RefusedCheckKeepsTheSaverAndTheSamePositionDoesNotAskAgain) {
    SKIP_WITHOUT_95;
    SetCursorPos(100, 100);
    HWND hwnd = StartWithPassword();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(Layer::ScreenSaverRunning());
    SetCursorPos(110, 100);
    EXPECT_FALSE(Pump().quit);
    EXPECT_EQ(calls.verify, 1);
    ASSERT_EQ(calls.verifyWindows.size(), 1u);
    EXPECT_EQ(calls.verifyWindows[0], hwnd);
    EXPECT_TRUE(IsWindow(hwnd));

    Layer::AdvanceClock(1000);
    PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(110, 100));
    EXPECT_FALSE(Pump().quit);
    EXPECT_EQ(calls.verify, 1) << "the refused position closed the saver again";

    calls.verifyAnswer = TRUE;
    PostMessageW(hwnd, WM_KEYDOWN, 'K', 0);
    EXPECT_TRUE(Pump().quit);
    EXPECT_EQ(calls.verify, 2);
    EXPECT_FALSE(IsWindow(hwnd));
    UnloadPasswordCheck();
    EXPECT_FALSE(Layer::ScreenSaverRunning());
    EXPECT_EQ(Layer::ModuleLoadCount("PASSWORD.CPL"), 0);
}

TEST_F(Password, SecondCloseWithin200msIsRefusedWithoutAsking) {
    SKIP_WITHOUT_95;
    HWND hwnd = StartWithPassword();
    PostMessageW(hwnd, WM_KEYDOWN, 'K', 0);
    Pump();
    ASSERT_EQ(calls.verify, 1);
    calls.verifyAnswer = TRUE;
    Layer::AdvanceClock(199);
    PostMessageW(hwnd, WM_KEYDOWN, 'K', 0);
    EXPECT_FALSE(Pump().quit);
    EXPECT_EQ(calls.verify, 1);
    Layer::AdvanceClock(1);
    PostMessageW(hwnd, WM_KEYDOWN, 'K', 0);
    EXPECT_TRUE(Pump().quit);
    EXPECT_EQ(calls.verify, 2);
}

TEST_F(Password, TimerTicksWaitingDuringTheCheckAreDropped) {
    SKIP_WITHOUT_95;
    HWND hwnd = StartWithPassword();
    SetTimer(hwnd, 1, 100, nullptr);
    Layer::AdvanceClock(150);
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, hwnd, WM_TIMER, WM_TIMER, PM_NOREMOVE)) << "a stale tick survived the check";
    EXPECT_EQ(calls.verify, 1);
}

TEST_F(Password, WithoutThePasswordSettingNothingIsLoaded) {
    SKIP_WITHOUT_95;
    UseWindows95(false);
    HWND hwnd = CreateSaverWindow(nullptr, nullptr);
    EXPECT_EQ(Layer::ModuleLoadCount("PASSWORD.CPL"), 0);
    EXPECT_FALSE(Layer::ScreenSaverRunning());
    PostMessageW(hwnd, WM_KEYDOWN, 'K', 0);
    EXPECT_TRUE(Pump().quit);
    EXPECT_EQ(calls.verify, 0);
}

TEST_F(Password, LibraryWithoutTheCheckIsUnloadedAgain) {
    SKIP_WITHOUT_95;
    Layer::RegisterModule("PASSWORD.CPL", {});
    HWND hwnd = StartWithPassword();
    EXPECT_EQ(Layer::ModuleLoadCount("PASSWORD.CPL"), 0);
    EXPECT_FALSE(Layer::ScreenSaverRunning());
    PostMessageW(hwnd, WM_KEYDOWN, 'K', 0);
    EXPECT_TRUE(Pump().quit);
}

TEST_F(Password, InputMethodIsTurnedOffAndItsContextRestored) {
    SKIP_WITHOUT_LAYER("needs a stand-in IMM32.DLL that records its calls");
    Layer::RegisterModule("IMM32.DLL", {{"ImmAssociateContext", reinterpret_cast<FARPROC>(FakeAssociate)}}, true);
    HWND hwnd = CreateSaverWindow(nullptr, nullptr);
    ASSERT_EQ(calls.imm.size(), 1u);
    EXPECT_EQ(calls.imm[0].first, hwnd);
    EXPECT_EQ(calls.imm[0].second, nullptr);
    DestroyWindow(hwnd);
    ASSERT_EQ(calls.imm.size(), 2u);
    EXPECT_EQ(calls.imm[1].first, hwnd);
    EXPECT_EQ(calls.imm[1].second, kSystemContext);
}

TEST_F(Password, InputMethodNotLoadedIsLeftAlone) {
    SKIP_WITHOUT_LAYER("needs a stand-in IMM32.DLL that records its calls");
    Layer::RegisterModule("IMM32.DLL", {{"ImmAssociateContext", reinterpret_cast<FARPROC>(FakeAssociate)}}, false);
    HWND hwnd = CreateSaverWindow(nullptr, nullptr);
    DestroyWindow(hwnd);
    EXPECT_TRUE(calls.imm.empty()) << "the saver must not load the input method itself";
}

TEST_F(Password, ChangeGoesToTheGivenWindowOrTheForegroundWindow) {
    SKIP_WITHOUT_95;
    UseWindows95(false);
    HWND panel = MakePlainWindow(100, 100);
    HWND other = MakePlainWindow(50, 50);
    SetForegroundWindow(other);
    std::string line = "qmsaver.scr /a " + std::to_string(reinterpret_cast<uintptr_t>(panel));
    EXPECT_EQ(RunFromCommandLine(line.c_str()), 0);
    EXPECT_EQ(calls.change, 1);
    EXPECT_EQ(calls.changeKey, "SCRSAVE");
    EXPECT_EQ(calls.changeOwner, panel);
    for (const char *args : {"/a", "/a 0", "-A -1"}) {
        EXPECT_EQ(RunFromCommandLine((std::string("qmsaver.scr ") + args).c_str()), 0);
        EXPECT_EQ(calls.changeOwner, other) << args;
    }
    EXPECT_EQ(Layer::ModuleLoadCount("MPR.DLL"), 0);
    Layer::RegisterModule("MPR.DLL", {});
    EXPECT_EQ(RunFromCommandLine("qmsaver.scr /a"), 0) << "a missing function changes nothing";
    EXPECT_EQ(calls.change, 4);
}

TEST_F(Password, AFailureInTheCheckSwitchesTheSaverFlagOff) {
    SKIP_WITHOUT_95;
    UseWindows95(true);
    calls.verifyThrows = true;
    AfterLoopStarts([] { PostMessageW(host.saverWindow, WM_KEYDOWN, 'K', 0); });
    EXPECT_EQ(RunFromCommandLine("qmsaver.scr /s"), -1);
    EXPECT_EQ(calls.verify, 1);
    EXPECT_FALSE(Layer::ScreenSaverRunning());
}

TEST_F(Password, CrashFilterSwitchesTheSaverFlagOff) {
    SKIP_WITHOUT_95;
    UseWindows95(true);
    SystemParametersInfoW(SPI_SCREENSAVERRUNNING, TRUE, nullptr, 0);
    EXPECT_EQ(SaverFailureFilter(nullptr), EXCEPTION_CONTINUE_SEARCH);
    EXPECT_FALSE(Layer::ScreenSaverRunning());
}

}  // namespace
