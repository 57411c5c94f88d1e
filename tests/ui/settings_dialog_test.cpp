// The settings dialog, used as a user uses it: it opens with the stored
// interval and volume, the bars move within their bounds with the "N 秒"
// text following, OK stores and Cancel does not, and it opens where it can
// be seen.
#include <cstdlib>
#include <functional>

#include "player/settings.h"
#include "resources/resource.h"
#include "support/show_fixture.h"
#include "ui/settings_dialog.h"

namespace {

class SettingsDialog : public ShowTest {
protected:
    // Runs the dialog; actions act on it once it is up, and must close it.
    bool Run(std::function<void(HWND)> actions, HWND owner = nullptr) {
        AfterLoopStarts([actions] { actions(GetActiveWindow()); });
        return RunSettingsDialog(GetModuleHandleW(nullptr), owner);
    }
    static int Position(HWND dialog, int id) { return GetScrollPos(GetDlgItem(dialog, id), SB_CTL); }
    static std::string Text(HWND dialog, int id) {
        return ItemText(dialog, id);
    }
    static void Scroll(HWND dialog, int id, int code, int thumb = 0) {
        SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(code, thumb), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    static void Press(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
    static int Stored(const char *key) { return std::atoi(StoredSetting(key, "-1").c_str()); }
};

TEST_F(SettingsDialog, OpensWithTheStoredValuesAndOkStoresTheNewOnes) {
    SetSetting("Interval", "12");
    SetSetting("Volume", "3");
    int interval = 0, volume = 0;
    std::string text;
    bool ok = Run([&](HWND dialog) {
        interval = Position(dialog, IDC_INTERVAL);
        volume = Position(dialog, IDC_VOLUME);
        text = Text(dialog, IDC_INTERVAL_TEXT);
        Scroll(dialog, IDC_INTERVAL, SB_LINEDOWN);
        Scroll(dialog, IDC_VOLUME, SB_PAGEUP);
        Press(dialog, IDOK);
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(interval, 12);
    EXPECT_EQ(volume, 3);
    EXPECT_EQ(text, "12 秒");
    EXPECT_EQ(Stored("Interval"), 13);
    EXPECT_EQ(Stored("Volume"), 2);
}

TEST_F(SettingsDialog, BarsStayWithinTheirBoundsAndTheTextFollows) {
    SetSetting("Interval", "29");
    SetSetting("Volume", "1");
    std::vector<int> intervals, volumes;
    std::vector<std::string> texts;
    Run([&](HWND dialog) {
        for (int code : {SB_LINEDOWN, SB_PAGEDOWN, SB_LINEDOWN, SB_ENDSCROLL}) {
            Scroll(dialog, IDC_INTERVAL, code);
            intervals.push_back(Position(dialog, IDC_INTERVAL));
            texts.push_back(Text(dialog, IDC_INTERVAL_TEXT));
        }
        Scroll(dialog, IDC_INTERVAL, SB_THUMBTRACK, 6);
        Scroll(dialog, IDC_INTERVAL, SB_LINEUP);
        Scroll(dialog, IDC_INTERVAL, SB_PAGEUP);
        intervals.push_back(Position(dialog, IDC_INTERVAL));
        texts.push_back(Text(dialog, IDC_INTERVAL_TEXT));
        for (int code : {SB_LINEUP, SB_PAGEUP, SB_THUMBPOSITION}) {
            Scroll(dialog, IDC_VOLUME, code, 7);
            volumes.push_back(Position(dialog, IDC_VOLUME));
        }
        Scroll(dialog, IDC_VOLUME, SB_PAGEDOWN);
        volumes.push_back(Position(dialog, IDC_VOLUME));
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(intervals, (std::vector<int>{30, 30, 30, 30, 5}));
    EXPECT_EQ(texts, (std::vector<std::string>{"30 秒", "30 秒", "30 秒", "30 秒", "5 秒"}));
    EXPECT_EQ(volumes, (std::vector<int>{0, 0, 7, 7}));
}

TEST_F(SettingsDialog, CancelAndEscapeStoreNothing) {
    SetSetting("Interval", "10");
    SetSetting("Volume", "5");
    EXPECT_FALSE(Run([](HWND dialog) {
        Scroll(dialog, IDC_INTERVAL, SB_LINEDOWN);
        Scroll(dialog, IDC_VOLUME, SB_LINEDOWN);
        Press(dialog, IDCANCEL);
    }));
    EXPECT_FALSE(Run([](HWND dialog) {
        Scroll(dialog, IDC_INTERVAL, SB_LINEDOWN);
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
        (void)dialog;
    }));
    EXPECT_EQ(Stored("Interval"), 10);
    EXPECT_EQ(Stored("Volume"), 5);
}

TEST_F(SettingsDialog, ClickingTheArrowsMovesTheBar) {
    SetSetting("Interval", "10");
    int after = 0;
    Run([&](HWND dialog) {
        HWND bar = GetDlgItem(dialog, IDC_INTERVAL);
        RECT r;
        GetClientRect(bar, &r);
        // The right arrow, then the left one twice.
        for (LONG x : {r.right - 3, LONG{3}, LONG{3}}) {
            PostMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, r.bottom / 2));
            PostMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(x, r.bottom / 2));
        }
        AfterLoopStarts([&after, dialog] {
            after = Position(dialog, IDC_INTERVAL);
            Press(dialog, IDCANCEL);
        });
    });
    EXPECT_EQ(after, 9);
}

TEST_F(SettingsDialog, OpensCentredOverItsOwnerAndInsideTheWorkArea) {
    HWND owner = MakePlainWindow(200, 100);
    RECT placed{};
    Run([&](HWND dialog) {
        GetWindowRect(dialog, &placed);
        Press(dialog, IDCANCEL);
    }, owner);
    RECT o, area;
    GetWindowRect(owner, &o);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
    int width = placed.right - placed.left, height = placed.bottom - placed.top;
    // The owner sits at the top left corner: centring over it would reach past the edge.
    int x = o.left + (o.right - o.left - width) / 2, y = o.top + (o.bottom - o.top - height) / 2;
    EXPECT_EQ(placed.left, std::max<LONG>(x, area.left));
    EXPECT_EQ(placed.top, std::max<LONG>(y, area.top));
    DestroyWindow(owner);

    if (!Layer::Available()) return;
    // A task bar on the left and top; then no work area at all: the screen.
    Layer::SetWorkArea(RECT{60, 40, 640, 480});
    Run([&](HWND dialog) {
        GetWindowRect(dialog, &placed);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(placed.left, (640 - width) / 2);
    Layer::SetWorkArea(RECT{400, 300, 640, 480});
    Run([&](HWND dialog) {
        GetWindowRect(dialog, &placed);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(placed.left, 400) << "pushed right to the work area";
    EXPECT_EQ(placed.top, 300);
    Layer::TakeWorkAreaAway();
    Run([&](HWND dialog) {
        GetWindowRect(dialog, &placed);
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(placed.left, (640 - width) / 2) << "centred on the screen";
    EXPECT_EQ(placed.top, (480 - height) / 2);
}

}  // namespace
