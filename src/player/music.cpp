// The show's music, played in a loop through the MCI waveaudio device.
#include "player/player.h"

#include "saverfile/places.h"
#include "text/text.h"

#include "player/settings.h"

#include <cstring>

void StopMusic() {
    if (player.isPreview || player.musicDevice == static_cast<MCIDEVICEID>(-1)) return;
    MCI_GENERIC_PARMS params{};
    mciSendCommandW(player.musicDevice, MCI_STOP, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&params));
}

void CloseMusic() {
    if (player.isPreview || player.musicDevice == static_cast<MCIDEVICEID>(-1)) return;
    MCI_GENERIC_PARMS params{};
    mciSendCommandW(player.musicDevice, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&params));
    player.musicDevice = static_cast<MCIDEVICEID>(-1);
}

void PlayMusic(HWND window, const char *path) {
    if (player.isPreview || !path || !*path) return;
    if (player.musicDevice != static_cast<MCIDEVICEID>(-1)) {
        StopMusic();
        CloseMusic();
    }
    std::wstring element = Wide(path);
    MCI_WAVE_OPEN_PARMSW open{};
    open.lpstrDeviceType = L"waveaudio";
    open.lpstrElementName = element.c_str();
    open.dwBufferSeconds = 9;
    // A missing or broken file: the show runs silently.
    if (mciSendCommandW(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAVE_OPEN_BUFFER,
                        reinterpret_cast<DWORD_PTR>(&open)) != 0)
        return;
    player.musicDevice = open.wDeviceID;
    MCI_PLAY_PARMS play{};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(window);
    mciSendCommandW(player.musicDevice, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play));
}

void RestartMusic(HWND window) {
    if (player.isPreview) return;
    if (player.musicDevice == static_cast<MCIDEVICEID>(-1)) {
        char path[kPathBytes];
        if (MusicPathOf(FindShow(settings.itemName).c_str(), path, sizeof path)) PlayMusic(window, path);
        return;
    }
    // The device that played stays open and plays again from its start:
    // closing the last wave device unloads the system's sound driver, which
    // may still be finishing the play that just ended.
    MCI_PLAY_PARMS play{};
    play.dwCallback = reinterpret_cast<DWORD_PTR>(window);
    play.dwFrom = 0;
    mciSendCommandW(player.musicDevice, MCI_PLAY, MCI_FROM | MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play));
}

