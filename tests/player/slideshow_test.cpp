// The slideshow cycle: when ticks come, which record each tick reads, the
// error banner, the music and the volume.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>

#include "player/player.h"
#include "saverfile/places.h"
#include "player/settings.h"
#include "support/fixtures.h"
#include "support/show_fixture.h"
#include "resources/resource.h"
#include "text/language.h"

namespace {

#define SKIP_WITHOUT_CLOCK SKIP_WITHOUT_LAYER("counts ticks to the millisecond on the layer's virtual clock")

ShowRecord Record(uint8_t fill, size_t fullSize = 64, size_t previewSize = 16) {
    return {Bytes(fullSize, fill), Bytes(previewSize, fill)};
}

using Slideshow = ShowTest;

TEST_F(Slideshow, FirstTickAfterOneSecondThenEveryInterval) {
    SKIP_WITHOUT_CLOCK;
    InstallShow("THREE.QMS", MakeShow({Record(1), Record(2), Record(3)}));
    SetSetting("Interval", "7");
    Start();
    RunFor(999);
    EXPECT_EQ(player.pictureIndex, 0);
    RunFor(1);
    EXPECT_EQ(player.pictureIndex, 1);
    RunFor(6999);
    EXPECT_EQ(player.pictureIndex, 1);
    RunFor(1);
    EXPECT_EQ(player.pictureIndex, 2);
    RunFor(7000);
    EXPECT_EQ(player.pictureIndex, 3);
    RunFor(7000);
    EXPECT_EQ(player.pictureIndex, 1) << "the show starts again after the last record";
    RunFor(7000);
    EXPECT_EQ(player.pictureIndex, 2);
}

TEST_F(Slideshow, EachTickReadsTheNextRecordInFileOrder) {
    SKIP_WITHOUT_CLOCK;
    // Records of different sizes: reading one wrongly puts the next out of step.
    InstallShow("SIZES.QMS", MakeShow({Record(1, 100, 30), Record(2, 7, 1), Record(3, 4000, 999)}));
    HWND hwnd = Start();
    std::vector<LONG> positions;
    for (int i = 0; i < 4; i++) {
        RunFor(i == 0 ? 1000 : 10000);
        positions.push_back(_llseek(player.showFile, 0, FILE_CURRENT));
    }
    EXPECT_EQ(positions, (std::vector<LONG>{4 + 8 + 130, 4 + 8 + 130 + 8 + 8, 4 + 8 + 130 + 8 + 8 + 8 + 4999,
                                            4 + 8 + 130}));
    DestroyWindow(hwnd);
    EXPECT_EQ(player.showFile, HFILE_ERROR) << "the show file is closed at the end";
}

TEST_F(Slideshow, ShortFileDrawsNothingForTheMissingRecordsAndWrapsOnTheCount) {
    SKIP_WITHOUT_CLOCK;
    Bytes show = MakeShow({Record(1), Record(2)}, 4);
    show.resize(show.size() + 5);  // a cut-off third record header
    InstallShow("SHORT.QMS", show);
    Start();
    std::vector<int> indices;
    for (int i = 0; i < 6; i++) {
        RunFor(i == 0 ? 1000 : 10000);
        indices.push_back(player.pictureIndex);
    }
    EXPECT_EQ(indices, (std::vector<int>{1, 2, 3, 4, 1, 2}));
}

TEST_F(Slideshow, HugeBlockSizesDoNotMoveThePlayerOutsideTheFile) {
    SKIP_WITHOUT_CLOCK;
    Bytes show = MakeShow({Record(1), Record(2)});
    // The first record claims a full-screen block of almost 4 GB.
    show[4] = 0xF0, show[5] = 0xFF, show[6] = 0xFF, show[7] = 0xFF;
    InstallShow("HUGE.QMS", show);
    Start();
    for (int i = 0; i < 5; i++) {
        RunFor(i == 0 ? 1000 : 10000);
        LONG pos = _llseek(player.showFile, 0, FILE_CURRENT);
        EXPECT_GE(pos, 4);
        EXPECT_LE(pos, static_cast<LONG>(show.size())) << "tick " << i;
    }
}

// The banner scrolls 10 pixels to the left every 100 ms from the right edge.
class Banner : public Slideshow {
protected:
    // Where white text pixels are in the top rows, as [first, last] columns.
    std::pair<int, int> WhiteColumns(HWND hwnd) {
        HDC hdc = GetDC(hwnd);
        RECT r;
        GetClientRect(hwnd, &r);
        SIZE extent{};
        GetTextExtentPoint32W(hdc, L"S", 1, &extent);
        int first = -1, last = -1;
        for (int x = 0; x < r.right; x++)
            for (int y = 0; y < extent.cy; y++)
                if (GetPixel(hdc, x, y) == RGB(255, 255, 255)) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
        ReleaseDC(hwnd, hdc);
        return {first, last};
    }
};

TEST_F(Banner, MissingShowScrollsFromTheRightEdge) {
    SetSetting("ItemName", "NOSUCH.QMS");
    HWND hwnd = Start();
    RECT client;
    GetClientRect(hwnd, &client);
    if (Layer::Available()) {
        RunFor(1000);
        EXPECT_EQ(player.bannerX, client.right - 10);
        RunFor(100);
        EXPECT_EQ(player.bannerX, client.right - 20);
    } else {
        // Real time: wait for the first step, then look where the text is.
        for (int i = 0; i < 500 && player.bannerX == 0; i++) RunFor(10);
        ASSERT_GT(player.bannerX, client.right - 60);
        ASSERT_LT(player.bannerX, client.right);
    }
    auto [first, last] = WhiteColumns(hwnd);
    EXPECT_GE(first, player.bannerX) << "text left of the banner's position";
    EXPECT_LT(first, player.bannerX + 10) << "the banner's first letter is missing";
    EXPECT_GT(last, first) << "the text runs on to the right edge";
    EXPECT_LT(last, client.right);
    EXPECT_EQ(player.showFile, HFILE_ERROR);
}

TEST_F(Banner, EmptyNameScrollsTheMissingFileBannerWithoutMusic) {
    SKIP_WITHOUT_CLOCK;
    SetSetting("ItemName", "");
    Start();
    RunFor(1000);
    EXPECT_EQ(player.bannerX, 630);
    EXPECT_STREQ(player.musicPath, "");
    EXPECT_EQ(Layer::OpenWaveDevices(), 0);
}

TEST_F(Banner, WrapsAtTheLeftAndRestartsWhenItStandsAtZero) {
    SKIP_WITHOUT_CLOCK;
    SetSetting("ItemName", "NOSUCH.QMS");
    HWND hwnd = Start();
    RunFor(1000);
    HDC hdc = GetDC(hwnd);
    SIZE extent;
    const WCHAR text[] = L"Sorry, Can' find screen saver file!";
    GetTextExtentPoint32W(hdc, text, static_cast<int>(std::size(text) - 1), &extent);
    ReleaseDC(hwnd, hdc);
    // 640 is a multiple of 10: the banner reaches 0 exactly and starts over.
    std::vector<int> xs;
    for (int i = 0; i < 64; i++) {
        xs.push_back(player.bannerX);
        RunFor(100);
    }
    EXPECT_EQ(xs.front(), 630);
    EXPECT_EQ(xs[62], 10);
    EXPECT_EQ(xs[63], 0);
    EXPECT_EQ(player.bannerX, 630);
    EXPECT_EQ(Layer::ScreenPixel(5, 2), 0u) << "the restart blackens the whole screen";
}

TEST_F(Banner, LeavesTheScreenOnWidthsThatAreNotMultiplesOfTen) {
    SKIP_WITHOUT_CLOCK;
    Layer::SetScreen(645, 480, 24);
    SetSetting("ItemName", "NOSUCH.QMS");
    HWND hwnd = Start();
    HDC hdc = GetDC(hwnd);
    SIZE extent;
    const WCHAR text[] = L"Sorry, Can' find screen saver file!";
    GetTextExtentPoint32W(hdc, text, static_cast<int>(std::size(text) - 1), &extent);
    ReleaseDC(hwnd, hdc);
    RunFor(1000);
    EXPECT_EQ(player.bannerX, 635);
    int lowest = player.bannerX;
    for (int i = 0; i < 200 && player.bannerX <= lowest; i++) {
        lowest = player.bannerX;
        RunFor(100);
    }
    EXPECT_GE(lowest, -extent.cx);
    EXPECT_LT(lowest, -extent.cx + 10) << "the banner wraps once its text has left the screen";
    EXPECT_EQ(player.bannerX, 635);
}

// The banner is the language's own sentence: it wraps once that text, not
// the other language's, has left the screen.
TEST_F(Banner, SpeaksTheLanguageInUse) {
    SKIP_WITHOUT_CLOCK;
    SetSetting("ItemName", "NOSUCH.QMS");
    std::map<Language, LONG> widths;
    for (Language language : {Language::kJapanese, Language::kEnglish}) {
        ResetProgramState();
        UseLanguage(language);
        Layer::SetScreen(645, 480, 24);  // not a multiple of 10: the banner wraps only once off the screen
        HWND hwnd = Start();
        HDC hdc = GetDC(hwnd);
        std::wstring text = Wide(Text(IDS_BANNER_NO_SHOW));
        SIZE extent{};
        GetTextExtentPoint32W(hdc, text.c_str(), static_cast<int>(text.size()), &extent);
        ReleaseDC(hwnd, hdc);
        widths[language] = extent.cx;
        RunFor(1000);
        int lowest = player.bannerX;
        for (int i = 0; i < 300 && player.bannerX <= lowest; i++) {
            lowest = player.bannerX;
            RunFor(100);
        }
        EXPECT_GE(lowest, -extent.cx) << static_cast<int>(language);
        EXPECT_LT(lowest, -extent.cx + 10) << static_cast<int>(language);
    }
    UseLanguage(Language::kEnglish);
    EXPECT_EQ(Text(IDS_BANNER_NO_SHOW), "Sorry, the screen saver file cannot be found.");
    EXPECT_GT(widths[Language::kEnglish], widths[Language::kJapanese] + 20) << "the two sentences differ in length";
}

TEST_F(Banner, DamagedCountsAreShownAsAMissingShow) {
    SKIP_WITHOUT_CLOCK;
    for (int32_t count : {0, -1, 32768, 0x7FFFFFFF}) {
        ResetProgramState();
        InstallShow("COUNT.QMS", MakeShow({Record(1)}, count));
        HWND hwnd = Start();
        RunFor(1000);
        EXPECT_EQ(player.showFile, HFILE_ERROR) << count;
        EXPECT_EQ(player.pictureIndex, 0) << count;
        EXPECT_EQ(player.bannerX, 630) << count;
        DestroyWindow(hwnd);
        Pump();
    }
}

TEST_F(Slideshow, MusicPathIsTheSoundFolderBesideTheShowAndTheNameWithoutExtension) {
    char path[MAX_PATH];
    ASSERT_TRUE(MusicPathOf("C:\\WINDOWS\\SYSTEM\\NAME.QMS", path, sizeof path));
    EXPECT_STREQ(path, "C:\\WINDOWS\\SYSTEM\\SOUND\\NAME");
    ASSERT_TRUE(MusicPathOf("C:\\WINDOWS\\SYSTEM\\A.B.QMS", path, sizeof path));
    EXPECT_STREQ(path, "C:\\WINDOWS\\SYSTEM\\SOUND\\A");
    EXPECT_FALSE(MusicPathOf("C:\\WINDOWS\\SYSTEM\\", path, sizeof path));
    EXPECT_FALSE(MusicPathOf("C:\\WINDOWS\\SYSTEM\\.QMS", path, sizeof path)) << "a name that starts with a dot has no music";
    ASSERT_TRUE(MusicPathOf("D:\\WIN.95\\SYSTEM\\SHOW.QMS", path, sizeof path));
    EXPECT_STREQ(path, "D:\\WIN.95\\SYSTEM\\SOUND\\SHOW") << "a dot in a folder name is not the extension";
    EXPECT_FALSE(MusicPathOf("C:\\SHOW.QMS", path, 10)) << "too small a buffer";
}

class Music : public Slideshow {
protected:
    void SetUp() override {
        Slideshow::SetUp();
        if (!Layer::Available()) GTEST_SKIP() << "reads what the wave device plays on the portable layer";
    }
};

TEST_F(Music, StartsAtTheFirstTickAndLoops) {
    InstallShow("TUNE.QMS", MakeShow({Record(1)}));
    InstallMusic("TUNE", 1500);
    Start();
    std::string expected = ShowDirectory() + "\\SOUND\\TUNE";
    EXPECT_STREQ(player.musicPath, expected.c_str());
    RunFor(999);
    EXPECT_EQ(Layer::PlayingWave(), "");
    RunFor(1);
    EXPECT_EQ(Layer::PlayingWave(), expected);
    RunFor(1499);
    EXPECT_EQ(Layer::PlayingWave(), expected);
    RunFor(1);
    EXPECT_EQ(Layer::PlayingWave(), expected) << "the music starts over when it ends";
    EXPECT_EQ(Layer::OpenWaveDevices(), 1);
    RunFor(30000);
    EXPECT_EQ(Layer::PlayingWave(), expected);
    EXPECT_EQ(Layer::OpenWaveDevices(), 1) << "a restart opens no second device";
}

// Closing the last wave device unloads the sound driver; a driver still
// finishing its play then crashes the saver. The music starts over on the
// device it was opened on, from its start, however often it ends.
TEST_F(Slideshow, MusicStartsOverOnTheSameDeviceAtEachEnd) {
    InstallShow("LOOP.QMS", MakeShow({Record(1)}));
    InstallMusic("LOOP", 300);
    Start();
    RunFor(1000);
    for (int i = 0; i < 100 && player.musicDevice == static_cast<MCIDEVICEID>(-1); i++) RunFor(10);
    MCIDEVICEID device = player.musicDevice;
    // Under Windows a device that cannot play reports so, and is closed.
    if (!Layer::Available() && device == static_cast<MCIDEVICEID>(-1))
        GTEST_SKIP() << "this machine's wave device cannot play";
    ASSERT_NE(device, static_cast<MCIDEVICEID>(-1)) << "the music did not open";
    std::vector<WPARAM> flags;
    std::vector<MCIDEVICEID> devices;
    RunFor(3000, [&](const MSG &msg) {
        if (msg.message != MM_MCINOTIFY) return;
        flags.push_back(msg.wParam);
        devices.push_back(static_cast<MCIDEVICEID>(msg.lParam));
    });
    if (!Layer::Available() && !flags.empty() && flags.front() == MCI_NOTIFY_FAILURE)
        GTEST_SKIP() << "this machine's wave device cannot play";
    // 300 ms of music in 3 s: ten ends on the virtual clock, a few at least in real time.
    if (Layer::Available()) EXPECT_EQ(flags.size(), 10u);
    else EXPECT_GE(flags.size(), 3u);
    EXPECT_EQ(std::count(flags.begin(), flags.end(), MCI_NOTIFY_SUCCESSFUL), static_cast<long>(flags.size()))
        << "every end was a play that finished";
    EXPECT_EQ(std::count(devices.begin(), devices.end(), device), static_cast<long>(devices.size()))
        << "a restart played on another device";
    EXPECT_EQ(player.musicDevice, device);
    if (Layer::Available()) {
        EXPECT_EQ(Layer::OpenWaveDevices(), 1);
        EXPECT_EQ(Layer::PlayingWave(), ShowDirectory() + "\\SOUND\\LOOP");
    }
    DestroyWindow(host.saverWindow);
    EXPECT_EQ(player.musicDevice, static_cast<MCIDEVICEID>(-1)) << "the end of the show closes the music";
    if (Layer::Available()) EXPECT_EQ(Layer::OpenWaveDevices(), 0);
}

TEST_F(Music, AbortedOrSupersededPlaysAreNotRestarted) {
    InstallShow("TUNE.QMS", MakeShow({Record(1)}));
    InstallMusic("TUNE", 60000);
    HWND hwnd = Start();
    RunFor(1000);
    ASSERT_NE(Layer::PlayingWave(), "");
    StopMusic();
    RunFor(10);
    EXPECT_EQ(Layer::PlayingWave(), "") << "an aborted play came back";
    SendMessageW(hwnd, MM_MCINOTIFY, MCI_NOTIFY_SUPERSEDED, 0);
    EXPECT_EQ(Layer::PlayingWave(), "");
    SendMessageW(hwnd, MM_MCINOTIFY, MCI_NOTIFY_FAILURE, 0);
    EXPECT_EQ(Layer::PlayingWave(), "") << "a failed play is not retried";
    SendMessageW(hwnd, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, 0);
    EXPECT_NE(Layer::PlayingWave(), "");
}

TEST_F(Music, AMissingOrBrokenMusicFileRunsSilently) {
    InstallShow("QUIET.QMS", MakeShow({Record(1), Record(2)}));
    Start();
    RunFor(11000);
    EXPECT_EQ(Layer::PlayingWave(), "");
    EXPECT_EQ(Layer::OpenWaveDevices(), 0);
    EXPECT_EQ(player.pictureIndex, 2) << "the show goes on without music";
    DestroyWindow(host.saverWindow);
    Pump();

    ResetProgramState();
    InstallMusic("QUIET", 1000);
    std::string music = ShowDirectory() + "\\SOUND\\QUIET";
    ASSERT_TRUE(WriteDosFile(music, Bytes(200, 'x')));
    Start();
    RunFor(1000);
    EXPECT_EQ(Layer::OpenWaveDevices(), 0) << "a file that is not WAV audio does not open";
    EXPECT_EQ(player.pictureIndex, 1);
}

TEST_F(Music, ADeviceThatCannotPlayLeavesTheSaverResponsive) {
    InstallShow("TUNE.QMS", MakeShow({Record(1), Record(2)}));
    InstallMusic("TUNE", 5000);
    Layer::FailWavePlays(true);
    HWND hwnd = Start();
    RunFor(1000);
    // The failure comes back as a notification; it must not start another
    // play, whose failure would come back in turn, for ever.
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, hwnd, MM_MCINOTIFY, MM_MCINOTIFY, PM_NOREMOVE));
    EXPECT_EQ(Layer::OpenWaveDevices(), 0) << "the failed device is closed";
    RunFor(10000);
    EXPECT_EQ(player.pictureIndex, 2) << "the show goes on silently";
    PostMessageW(hwnd, WM_KEYDOWN, 'K', 0);
    EXPECT_TRUE(Pump().quit) << "a key still ends the saver";
}

TEST_F(Music, VolumeIsSetForTheShowAndRestoredAfter) {
    InstallShow("TUNE.QMS", MakeShow({Record(1)}));
    waveOutSetVolume(nullptr, 0x12345678);
    for (auto [setting, expected] : {std::pair{"0", 0x00000000u}, {"7", 0xFFFEFFFEu}, {"3", 0x6DB66DB6u}, {"9", 0xFFFFFFFFu}}) {
        SetSetting("Volume", setting);
        HWND hwnd = Start();
        DWORD during = 0;
        waveOutGetVolume(nullptr, &during);
        EXPECT_EQ(during, expected) << "volume " << setting;
        DestroyWindow(hwnd);
        DWORD after = 0;
        waveOutGetVolume(nullptr, &after);
        EXPECT_EQ(after, 0x12345678u);
        Pump();
        ResetProgramState();
    }
}

TEST_F(Music, AVolumeThatCannotBeReadIsLeftAlone) {
    InstallShow("TUNE.QMS", MakeShow({Record(1)}));
    waveOutSetVolume(nullptr, 0x12345678);
    Layer::FailWaveVolumeReads(true);
    SetSetting("Volume", "3");
    HWND hwnd = Start();
    DestroyWindow(hwnd);
    Layer::FailWaveVolumeReads(false);
    DWORD after = 0;
    waveOutGetVolume(nullptr, &after);
    EXPECT_EQ(after, 0x12345678u) << "never set: there was nothing known to put back";
}

TEST_F(Music, PreviewLeavesMusicAndVolumeAlone) {
    InstallShow("TUNE.QMS", MakeShow({Record(1)}));
    InstallMusic("TUNE", 5000);
    SetSetting("Volume", "0");
    waveOutSetVolume(nullptr, 0x11111111);
    HWND panel = MakePlainWindow(152, 112);
    Start(panel);
    RunFor(1000);
    EXPECT_EQ(player.pictureIndex, 1);
    EXPECT_EQ(Layer::PlayingWave(), "");
    DWORD volume = 0;
    waveOutGetVolume(nullptr, &volume);
    EXPECT_EQ(volume, 0x11111111u);
    DestroyWindow(panel);
}

TEST_F(Slideshow, BackgroundIsErasedBlack) {
    SetSetting("ItemName", "NOSUCH.QMS");
    HWND hwnd = Start();
    HDC hdc = GetDC(hwnd);
    RECT r{0, 0, 50, 50};
    FillRect(hdc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0), 0);
    EXPECT_EQ(GetPixel(hdc, 10, 10), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(hdc, 49, 49), RGB(0, 0, 0));
    ReleaseDC(hwnd, hdc);
}

}  // namespace
