// The MCI waveaudio device opens what Windows opens: run against both.
#include <windows.h>
#include <mmsystem.h>

#include <vector>

#include "support/fixtures.h"
#include "support/show_fixture.h"
#include "wide.h"

namespace {

class Mci : public SystemFileTest {
protected:
    std::string Write(const char *name, const Bytes &bytes) { return WriteSystemFile(name, bytes); }
    MCIERROR Open(const std::string &path, MCIDEVICEID *id, const char *type = "waveaudio") {
        MCI_WAVE_OPEN_PARMSW open{};
        std::wstring wideType = W(type), element = W(path);
        open.lpstrDeviceType = wideType.c_str();
        open.lpstrElementName = element.c_str();
        open.dwBufferSeconds = 9;
        MCIERROR error = mciSendCommandW(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAVE_OPEN_BUFFER,
                                         reinterpret_cast<DWORD_PTR>(&open));
        *id = open.wDeviceID;
        return error;
    }
    MCIERROR Play(MCIDEVICEID id, HWND window, DWORD flags, DWORD from = 0, DWORD to = 0) {
        MCI_PLAY_PARMS play{};
        play.dwCallback = reinterpret_cast<DWORD_PTR>(window);
        play.dwFrom = from;
        play.dwTo = to;
        return mciSendCommandW(id, MCI_PLAY, flags, reinterpret_cast<DWORD_PTR>(&play));
    }
    // The notifications that reach window within the given time, as
    // (flag, device) pairs, and when the first of each flag came.
    struct Notification {
        WPARAM flag;
        MCIDEVICEID device;
        DWORD after;  // milliseconds from the call
    };
    std::vector<Notification> Notifications(HWND window, DWORD milliseconds) {
        std::vector<Notification> seen;
        DWORD start = GetTickCount();
        for (;;) {
            MSG msg;
            while (PeekMessageW(&msg, window, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE))
                seen.push_back({msg.wParam, static_cast<MCIDEVICEID>(msg.lParam), GetTickCount() - start});
            if (GetTickCount() - start >= milliseconds) return seen;
            if (Layer::Available()) Layer::AdvanceClock(10);
            else Sleep(10);
        }
    }
};

TEST_F(Mci, OnlyExistingWaveFilesOpen) {
    MCIDEVICEID id = 0;
    EXPECT_NE(Open(SystemDirectory() + "\\QMSNONE.WAV", &id), 0u) << "a missing file";
    EXPECT_NE(Open(Write("QMSTEXT.WAV", Bytes(300, 'x')), &id), 0u) << "a file that is not WAV audio";
    ASSERT_EQ(Open(Write("QMSTUNE.WAV", MakeWav(500)), &id), 0u);
    EXPECT_NE(id, 0u);
    MCI_GENERIC_PARMS generic{};
    EXPECT_EQ(mciSendCommandW(id, MCI_STOP, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&generic)), 0u);
    EXPECT_EQ(mciSendCommandW(id, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&generic)), 0u);
    EXPECT_NE(mciSendCommandW(id, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&generic)), 0u)
        << "a closed device is gone";
}

TEST_F(Mci, AFinishedPlayNotifiesSuccess) {
    MCIDEVICEID id = 0;
    ASSERT_EQ(Open(Write("QMSTUNE.WAV", MakeWav(300)), &id), 0u);
    HWND window = MakePlainWindow(10, 10);
    MCI_PLAY_PARMS play{};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(window);
    ASSERT_EQ(mciSendCommandW(id, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play)), 0u);
    MSG msg{};
    bool notified = false;
    DWORD start = GetTickCount();
    for (int i = 0; i < 300 && !notified; i++) {
        notified = PeekMessageW(&msg, window, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE) != 0;
        if (Layer::Available()) Layer::AdvanceClock(10);
        else Sleep(10);
    }
    // Not every machine can play sound; without a device the play fails at once.
    ASSERT_TRUE(notified);
    if (msg.wParam == MCI_NOTIFY_FAILURE) {
        EXPECT_FALSE(Layer::Available()) << "the layer's silent device always plays";
    } else {
        EXPECT_EQ(msg.wParam, static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL));
        EXPECT_GE(GetTickCount() - start, 290u) << "not before the tune's length";
    }
    EXPECT_EQ(static_cast<MCIDEVICEID>(msg.lParam), id);
    MCI_GENERIC_PARMS generic{};
    mciSendCommandW(id, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&generic));
    DestroyWindow(window);
}

// A second play meets the first one's pending notification: towards the
// same end it supersedes it, towards another end it aborts it. A play from
// the start after the end plays the whole music again.
TEST_F(Mci, APlayMeetsThePendingNotificationAsWindowsSays) {
    MCIDEVICEID id = 0;
    ASSERT_EQ(Open(Write("QMSTUNE.WAV", MakeWav(600)), &id), 0u);
    HWND window = MakePlainWindow(10, 10);
    ASSERT_EQ(Play(id, window, MCI_NOTIFY), 0u);
    ASSERT_EQ(Play(id, window, MCI_NOTIFY | MCI_FROM, 0), 0u);
    std::vector<Notification> seen = Notifications(window, 1500);
    ASSERT_FALSE(seen.empty());
    if (!Layer::Available() && seen.back().flag == MCI_NOTIFY_FAILURE)
        GTEST_SKIP() << "this machine's wave device cannot play";
    ASSERT_EQ(seen.size(), 2u);
    if (Layer::Available()) EXPECT_EQ(seen[0].flag, static_cast<WPARAM>(MCI_NOTIFY_SUPERSEDED));
    else  // Wine's waveaudio aborts where Windows, as documented, supersedes.
        EXPECT_TRUE(seen[0].flag == MCI_NOTIFY_SUPERSEDED || seen[0].flag == MCI_NOTIFY_ABORTED) << seen[0].flag;
    EXPECT_EQ(seen[1].flag, static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL));
    EXPECT_GE(seen[1].after, 590u) << "the second play ended before the music";
    for (const Notification &n : seen) EXPECT_EQ(n.device, id);

    // At the end: from the start again, the whole length.
    ASSERT_EQ(Play(id, window, MCI_NOTIFY | MCI_FROM, 0), 0u);
    seen = Notifications(window, 1200);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].flag, static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL));
    EXPECT_GE(seen[0].after, 590u);

    // A play that ends elsewhere aborts the pending notification.
    ASSERT_EQ(Play(id, window, MCI_NOTIFY | MCI_FROM, 0), 0u);
    ASSERT_EQ(Play(id, window, MCI_NOTIFY | MCI_FROM | MCI_TO, 0, 200), 0u);
    seen = Notifications(window, 1200);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].flag, static_cast<WPARAM>(MCI_NOTIFY_ABORTED));
    EXPECT_EQ(seen[1].flag, static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL));
    EXPECT_LT(seen[1].after, 590u) << "the play went on past its end";

    MCI_GENERIC_PARMS generic{};
    mciSendCommandW(id, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&generic));
    DestroyWindow(window);
}

}  // namespace
