// The slideshow player: the application side of the saver window. It opens
// the show named by the settings, advances one picture per timer tick, keeps
// the music going, and scrolls an error banner when the show cannot run.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "text/text.h"

#include <cstdint>
#include <vector>

struct PlayerState {
    int16_t displayDepth = 24;      // 8 on a palette display
    bool isPreview = false;         // set by the host when it creates a preview window
    DWORD savedWaveVolume = 0;
    bool waveVolumeSaved = false;   // the volume could be read at start, so it is put back at the end
    HFILE showFile = HFILE_ERROR;
    int32_t pictureCount = 0;
    int16_t pictureIndex = 0;       // 1-based number of the picture last shown; 0 before the first
    // A record could not be read or passed over in full (a file cut short):
    // the rest of the file is not read until the show starts over.
    bool restUnreadable = false;
    bool depthMismatch = false;
    int16_t bannerX = 0;            // 0: the banner has not started
    char musicPath[kPathBytes] = "";  // empty: the show has no music
    MCIDEVICEID musicDevice = static_cast<MCIDEVICEID>(-1);
    // The palette of the last 8-bit picture, kept for the deeper ones after it.
    HPALETTE currentPalette = nullptr;
    // The picture placement's generator: never seeded, the same places every run.
    uint32_t randomState = 1;
};

extern PlayerState player;

constexpr UINT_PTR kShowTimer = 1;

// Sees each message of the saver window after the host. Returns true when
// the message is finished here (with *result to return), false to pass it
// on to the default saver procedure.
bool PlayerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result);

// What a tick's drawing came to; the tick decides the timers from it.
enum class DrawResult { Drawn, Nothing, DepthMismatch };

// Makes the show folder the current directory.
void EnterShowFolder();
// player.displayDepth from the screen: 8 on a palette display, else 24.
void ReadDisplayDepth();

// Reads the next picture record of the open show (rewinding after the
// last) and draws its full-screen picture, or its preview in preview mode.
// A palette screen meeting a deeper picture closes the show for good.
DrawResult DrawNextPicture(HWND hwnd, HDC hdc);
// Closes the show file for good (the banner follows).
void CloseShow();
// The next number, 0 to 32767, of the placement's generator.
int NextRandom();

// The monitors under the full-screen window, in its client coordinates
// (the window covers the virtual screen, whose origin may lie left of or
// above the primary's).
struct MonitorLayout {
    RECT primary;              // where the show plays as on a single screen
    std::vector<RECT> others;  // each repeats the primary's picture, centred
};
MonitorLayout MonitorsUnder(HWND hwnd);

// Background music through the MCI waveaudio device; nothing in preview.
void PlayMusic(HWND window, const char *path);
void StopMusic();
void CloseMusic();
// Plays the open device again from its start; opens one only when none is.
void RestartMusic(HWND window);
