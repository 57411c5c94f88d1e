// The slideshow cycle: start on WM_CREATE, one picture per timer tick, the
// music kept going, everything released on WM_DESTROY. A show that cannot
// run scrolls an error banner along the top of the screen instead.
#include "player/player.h"
#include "text/glyphs.h"
#include "text/language.h"

#include "player/settings.h"
#include "resources/resource.h"
#include "saverfile/format.h"
#include "saverfile/transaction.h"

#include <algorithm>
#include <cstring>

PlayerState player;

void CloseShow() {
    if (player.showFile != HFILE_ERROR) _lclose(player.showFile);
    player.showFile = HFILE_ERROR;
}

void EnterShowFolder() { EnterFolder(ShowFolder().c_str()); }

void ReadDisplayDepth() {
    if (HDC screen = GetDC(nullptr)) {
        player.displayDepth = (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) ? 8 : 24;
        ReleaseDC(nullptr, screen);
    }
}

namespace {

void OpenShow() {
    if (!*settings.itemName) return;
    player.showFile = OpenForReading(FindShow(settings.itemName).c_str());
    if (player.showFile == HFILE_ERROR) return;
    // A count the player cannot walk safely means a damaged file, shown as a missing one.
    if (!ReadPictureCount(player.showFile, &player.pictureCount) || !IsPlayableCount(player.pictureCount))
        CloseShow();
}

void Start(HWND hwnd, const CREATESTRUCTW &create) {
    // A window inside another is the control panel's preview.
    player.isPreview = (create.style & WS_CHILD) != 0;
    EnterShowFolder();
    ReadDisplayDepth();

    LoadSettingStrings(create.hInstance);
    ReadSettings();
    SetTimer(hwnd, kShowTimer, 1000, nullptr);

    if (!player.isPreview) {
        // A save the process never came back from is finished or undone first.
        FinishInterruptedSave();
        // Only a volume that can be put back at the end is changed.
        player.waveVolumeSaved = waveOutGetVolume(nullptr, &player.savedWaveVolume) == MMSYSERR_NOERROR;
        // Volume 7 is full scale; anything above it too.
        DWORD v = std::min<DWORD>(static_cast<DWORD>(settings.volume) * 9362, 0xFFFF);
        if (player.waveVolumeSaved) waveOutSetVolume(nullptr, v << 16 | v);
    }

    if (player.pictureIndex != 0) return;
    if (!MusicPathOf(FindShow(settings.itemName).c_str(), player.musicPath, sizeof player.musicPath))
        player.musicPath[0] = 0;
    OpenShow();
}

// One step of the banner along the top of the primary monitor: it moves 10
// pixels to the left and starts again at the right edge once it has left
// the monitor (or stands exactly at 0, which means "not started").
void DrawBanner(HWND hwnd, HDC hdc) {
    std::wstring text = Wide(Text(player.depthMismatch ? IDS_BANNER_DEPTH : IDS_BANNER_NO_SHOW));
    int length = static_cast<int>(text.size());
    // A Western system's font has no Japanese: one that has it draws the banner.
    HGDIOBJ oldFont = nullptr;
    if (HFONT font = FontWithGlyphsFor(hdc, text)) oldFont = SelectObject(hdc, font);
    SIZE extent{};
    GetTextExtentPoint32W(hdc, text.c_str(), length, &extent);
    RECT client;
    GetClientRect(hwnd, &client);
    const RECT primary = MonitorsUnder(hwnd).primary;
    int width = primary.right - primary.left;
    bool starting = player.bannerX == 0;
    if (starting) PatBlt(hdc, 0, 0, client.right, client.bottom, BLACKNESS);  // every monitor
    // Cut off at the primary's edges: the other monitors stay black.
    IntersectClipRect(hdc, primary.left, primary.top, primary.right, primary.bottom);
    if (starting) player.bannerX = static_cast<int16_t>(width);
    else PatBlt(hdc, primary.left + player.bannerX, primary.top, extent.cx, extent.cy, BLACKNESS);
    player.bannerX = static_cast<int16_t>(player.bannerX - 10);
    if (player.bannerX < -extent.cx) player.bannerX = static_cast<int16_t>(width - 10);
    SetBkColor(hdc, RGB(0, 0, 0));
    SetTextColor(hdc, RGB(255, 255, 255));
    TextOutW(hdc, primary.left + player.bannerX, primary.top, text.c_str(), length);
    SelectClipRgn(hdc, nullptr);
    if (oldFont) SelectObject(hdc, oldFont);
}

void Tick(HWND hwnd) {
    HDC hdc = GetDC(hwnd);
    if (player.showFile == HFILE_ERROR || player.depthMismatch) {
        if (hdc) {
            DrawBanner(hwnd, hdc);
            ReleaseDC(hwnd, hdc);
        }
        SetTimer(hwnd, kShowTimer, 100, nullptr);
        return;
    }
    if (!player.isPreview && player.pictureIndex < 1 && player.musicPath[0]) PlayMusic(hwnd, player.musicPath);
    DrawResult drawn = DrawResult::Nothing;
    if (hdc) {
        drawn = DrawNextPicture(hwnd, hdc);
        ReleaseDC(hwnd, hdc);
    }
    // A depth mismatch ends the show: the banner comes at the next tick.
    UINT next = drawn == DrawResult::DepthMismatch ? 100 : static_cast<UINT>(settings.interval) * 1000;
    SetTimer(hwnd, kShowTimer, next, nullptr);
}

void Stop() {
    if (!player.isPreview) {
        StopMusic();
        CloseMusic();
        // A volume that could not be read is not "restored" to a guess.
        if (player.waveVolumeSaved) waveOutSetVolume(nullptr, player.savedWaveVolume);
    }
    CloseShow();
    if (player.currentPalette) DeleteObject(player.currentPalette);
    player.currentPalette = nullptr;
}

}  // namespace

bool PlayerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result) {
    switch (message) {
    case WM_CREATE:
        Start(hwnd, *reinterpret_cast<CREATESTRUCTW *>(lParam));
        break;
    case WM_TIMER:
        if (wParam == kShowTimer) {
            KillTimer(hwnd, kShowTimer);
            Tick(hwnd);
        }
        break;
    case MM_MCINOTIFY:
        // The music starts over when it has played to its end. A play that
        // failed is not retried: on a machine whose sound device cannot play,
        // each retry fails at once and the notifications would flood the
        // queue ahead of the user's input.
        if (wParam == MCI_NOTIFY_SUCCESSFUL) RestartMusic(hwnd);
        else if (wParam == MCI_NOTIFY_FAILURE) CloseMusic();
        break;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        *result = 0;
        return true;
    }
    case WM_DESTROY:
        Stop();
        break;
    }
    return false;
}
