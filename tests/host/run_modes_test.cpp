// The command line Windows starts the saver with, and what each mode does.
#include <string>

#include "support/saver_fixture.h"

namespace {

class RunModes : public SaverTest {};

std::string Line(const std::string &args) { return "\"C:\\Program Files\\QM Saver\\qmsaver.scr\" " + args; }

TEST_F(RunModes, LettersPickTheModeWhateverTheirCaseAndPrefix) {
    for (const char *args : {"/s", "-S", " s", "/S", "--s"}) EXPECT_EQ(ParseCommandLine(Line(args).c_str()).mode, RunMode::Saver) << args;
    EXPECT_EQ(ParseCommandLine("qmsaver.scr /s").mode, RunMode::Saver);
    EXPECT_EQ(ParseCommandLine("\"qm saver.scr\"").mode, RunMode::Configure);
    EXPECT_EQ(ParseCommandLine(Line("").c_str()).window, nullptr);
    EXPECT_EQ(ParseCommandLine(Line("/x").c_str()).mode, RunMode::None);
    EXPECT_EQ(ParseCommandLine(Line("/1").c_str()).mode, RunMode::None);
    EXPECT_EQ(RunFromCommandLine(Line("/x").c_str()), -1);
}

TEST_F(RunModes, WindowHandleIsReadAsLeadingDecimalDigits) {
    auto window = [](const char *args) { return reinterpret_cast<uintptr_t>(ParseCommandLine(Line(args).c_str()).window); };
    EXPECT_EQ(window("/p 1234"), 1234u);
    EXPECT_EQ(window("/p1234"), 1234u);
    EXPECT_EQ(window("/P   77xyz"), 77u);
    EXPECT_EQ(window("/l 0x10"), 0u);
    EXPECT_EQ(window("/p -1"), 0u);
    EXPECT_EQ(window("/p 4294967301"), uintptr_t{4294967301u}) << "the handle is pointer-sized";
    EXPECT_EQ(ParseCommandLine(Line("/L 5").c_str()).mode, RunMode::Preview);
}

TEST_F(RunModes, ConfigurationIsOwnedByTheForegroundWindowOnlyWithC) {
    HWND panel = MakePlainWindow(200, 100);
    SetForegroundWindow(panel);
    Pump();
    for (const char *args : {"/c", "/C", "/c:5678", "-c 42"}) {
        CommandLine cl = ParseCommandLine(Line(args).c_str());
        EXPECT_EQ(cl.mode, RunMode::Configure) << args;
        EXPECT_EQ(cl.window, GetForegroundWindow()) << args << ": the text after c is not read";
    }
    CommandLine none = ParseCommandLine(Line("").c_str());
    EXPECT_EQ(none.mode, RunMode::Configure);
    EXPECT_EQ(none.window, nullptr);
    DestroyWindow(panel);
}

TEST_F(RunModes, PreviewOfANonWindowReturnsMinusOneWithoutAWindow) {
    EXPECT_EQ(RunFromCommandLine(Line("/p -1").c_str()), -1);
    EXPECT_EQ(RunFromCommandLine(Line("/l -1").c_str()), -1);
    EXPECT_EQ(RunFromCommandLine(Line("/p").c_str()), -1);
    HWND gone = MakePlainWindow(50, 50);
    DestroyWindow(gone);
    EXPECT_EQ(RunFromCommandLine(Line("/p " + std::to_string(reinterpret_cast<uintptr_t>(gone))).c_str()), -1);
    EXPECT_EQ(host.saverWindow, nullptr);
    EXPECT_FALSE(host.isPreview);
}

TEST_F(RunModes, PreviewRunsAsChildOfTheGivenWindowUntilThatWindowGoes) {
    for (const char *letter : {"/p ", "/l "}) {
        ResetProgramState();
        HWND panel = MakePlainWindow(152, 112);
        HWND seenChild = nullptr, seenParent = nullptr;
        RECT seenRect{};
        LONG seenStyle = 0;
        std::string title;
        AfterLoopStarts([&] {
            seenChild = host.saverWindow;
            seenParent = GetParent(seenChild);
            GetClientRect(seenChild, &seenRect);
            seenStyle = GetWindowLongW(seenChild, GWL_STYLE);
            title = WindowText(seenChild);
            // Keys and clicks never end a preview; only the control panel does.
            PostMessageW(seenChild, WM_KEYDOWN, VK_SPACE, 0);
            PostMessageW(seenChild, WM_LBUTTONDOWN, 0, 0);
            SendMessageW(seenChild, WM_ACTIVATEAPP, FALSE, 0);
            AfterLoopStarts([&] {
                EXPECT_TRUE(IsWindow(seenChild)) << "input closed the preview";
                DestroyWindow(panel);
            });
        });
        std::string line = Line(letter + std::to_string(reinterpret_cast<uintptr_t>(panel)));
        EXPECT_EQ(RunFromCommandLine(line.c_str()), 0) << letter;
        EXPECT_EQ(seenParent, panel);
        EXPECT_EQ(seenRect.right, 152);
        EXPECT_EQ(seenRect.bottom, 112);
        EXPECT_EQ(static_cast<DWORD>(seenStyle) & (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN),
                  static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN));
        EXPECT_EQ(title, "Preview");
        EXPECT_TRUE(host.isPreview);
        EXPECT_FALSE(IsWindow(seenChild));
    }
}

TEST_F(RunModes, FullScreenSaverCoversTheScreenUntilAKey) {
    HWND seen = nullptr;
    RECT rect{};
    LONG exStyle = 0;
    AfterLoopStarts([&] {
        seen = FindWindowW(L"WindowsScreenSaverClass", L"Screen Saver");
        GetWindowRect(seen, &rect);
        exStyle = GetWindowLongW(seen, GWL_EXSTYLE);
        PostMessageW(seen, WM_KEYDOWN, 'A', 0);
    });
    EXPECT_EQ(RunFromCommandLine(Line("/s").c_str()), 0);
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen, host.saverWindow);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_FALSE(IsWindow(seen));
}

TEST_F(RunModes, PasswordChangeExistsOnlyOnThe95Family) {
    if (!host.isWin95Family) EXPECT_EQ(RunFromCommandLine(Line("/a 0").c_str()), -1);
    EXPECT_EQ(ParseCommandLine(Line("/a").c_str()).mode,
              host.isWin95Family ? RunMode::ChangePassword : RunMode::None);
}

}  // namespace
