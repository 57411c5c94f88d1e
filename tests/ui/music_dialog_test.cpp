// The music choice: the disc's tracks in the drop-down list, the first one
// selected each time it opens; OK, Cancel and Esc.
#include <cstring>
#include <functional>

#include "disc/catalogue.h"
#include "resources/resource.h"
#include "support/saver_fixture.h"
#include "ui/music_dialog.h"

namespace {

class MusicDialog : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        catalogue.trackCount = 3;
        std::strcpy(catalogue.trackNames[0], "朝の歌");
        std::strcpy(catalogue.trackNames[1], "Low evening hum");
        std::strcpy(catalogue.trackNames[2], "夜");
    }
    int Run(std::function<void(HWND dialog, HWND tracks)> actions) {
        AfterLoopStarts([actions] {
            HWND dialog = GetActiveWindow();
            actions(dialog, GetDlgItem(dialog, IDC_TRACKS));
        });
        return ChooseMusicTrack(GetModuleHandleW(nullptr), nullptr);
    }
    static void Press(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
};

TEST_F(MusicDialog, ListsTheTracksWithTheFirstSelectedEachTime) {
    std::vector<std::string> listed;
    LRESULT selected = -5;
    int chosen = Run([&](HWND dialog, HWND tracks) {
        for (int i = 0; i < SendMessageW(tracks, CB_GETCOUNT, 0, 0); i++) listed.push_back(ListItemText(tracks, i, true));
        selected = SendMessageW(tracks, CB_GETCURSEL, 0, 0);
        SendMessageW(tracks, WM_KEYDOWN, VK_DOWN, 0);
        SendMessageW(tracks, WM_KEYDOWN, VK_DOWN, 0);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(listed, (std::vector<std::string>{"朝の歌", "Low evening hum", "夜"}));
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(chosen, 3);
    // Opened again: the first track again, whatever was chosen before.
    chosen = Run([&](HWND dialog, HWND tracks) {
        selected = SendMessageW(tracks, CB_GETCURSEL, 0, 0);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(selected, 0);
    EXPECT_EQ(chosen, 1);
}

TEST_F(MusicDialog, CancelEscapeAndTheCloseBoxChooseNothing) {
    EXPECT_EQ(Run([](HWND dialog, HWND tracks) {
        SendMessageW(tracks, WM_KEYDOWN, VK_DOWN, 0);
        Press(dialog, IDCANCEL);
    }), 0);
    EXPECT_EQ(Run([](HWND, HWND) { PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); }), 0);
    EXPECT_EQ(Run([](HWND dialog, HWND) { PostMessageW(dialog, WM_CLOSE, 0, 0); }), 0);
    EXPECT_EQ(Run([](HWND, HWND) { PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0); }), 1) << "Enter is OK";
}

TEST_F(MusicDialog, WithoutTracksOkChoosesNothing) {
    catalogue.trackCount = 0;
    LRESULT count = -1;
    EXPECT_EQ(Run([&](HWND dialog, HWND tracks) {
        count = SendMessageW(tracks, CB_GETCOUNT, 0, 0);
        Press(dialog, IDOK);
    }), 0) << "never track 0";
    EXPECT_EQ(count, 0);
}

}  // namespace
