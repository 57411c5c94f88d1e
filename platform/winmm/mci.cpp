// The MCI waveaudio device and the wave output volume. Headless, a play
// makes no sound but keeps time: it ends, and notifies, once the file's
// real duration has passed on the layer's clock.
#include <mmsystem.h>

#include "winmm.h"
#include "../testing/hooks.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>

namespace headless {
namespace {

struct WaveDevice {
    std::string path;       // the element as the program named it
    uint64_t durationMs = 0;
    uint64_t positionMs = 0;
    bool playing = false;
    uint64_t playStartedAt = 0, playStartPosition = 0, playEnd = 0;
    HWND notifyWindow = nullptr;
    int scheduled = 0;      // the pending end-of-play event, 0 when none
};

struct Mci {
    std::map<MCIDEVICEID, WaveDevice> devices;
    MCIDEVICEID next = 1;
    DWORD volume = 0xFFFFFFFF;
    bool playsFail = false;  // a sound device that opens files but cannot play them
    bool volumeUnreadable = false;  // a mixer that takes a volume but cannot tell it
};

Mci &mci() {
    static Mci m;
    return m;
}

const bool registered = (OnReset([] { mci() = Mci{}; }), true);

uint32_t Read32(const unsigned char *p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

// Duration of a RIFF WAVE file from its format and data chunks; false when
// the file is not one.
bool WaveDuration(const std::string &host, uint64_t &ms) {
    std::ifstream in(host, std::ios::binary);
    unsigned char header[12];
    if (!in.read(reinterpret_cast<char *>(header), 12) || std::memcmp(header, "RIFF", 4) != 0 ||
        std::memcmp(header + 8, "WAVE", 4) != 0)
        return false;
    uint32_t bytesPerSecond = 0;
    for (;;) {
        unsigned char chunk[8];
        if (!in.read(reinterpret_cast<char *>(chunk), 8)) return false;
        uint32_t size = Read32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            unsigned char fmt[16];
            if (size < 16 || !in.read(reinterpret_cast<char *>(fmt), 16)) return false;
            bytesPerSecond = Read32(fmt + 8);
            in.seekg(size - 16 + (size & 1), std::ios::cur);
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (bytesPerSecond == 0) return false;
            ms = static_cast<uint64_t>(size) * 1000 / bytesPerSecond;
            return true;
        } else {
            in.seekg(size + (size & 1), std::ios::cur);
        }
    }
}

void Notify(WaveDevice &d, MCIDEVICEID id, WPARAM flag) {
    if (d.notifyWindow) PostMessageW(d.notifyWindow, MM_MCINOTIFY, flag, static_cast<LPARAM>(id));
    d.notifyWindow = nullptr;
}

uint64_t Position(const WaveDevice &d) {
    if (!d.playing) return d.positionMs;
    return std::min(d.durationMs, d.playStartPosition + (Now() - d.playStartedAt));
}

// Ends a play early: the position stays where it was, a pending
// notification is told it was aborted.
void Halt(WaveDevice &d, MCIDEVICEID id) {
    d.positionMs = Position(d);
    d.playing = false;
    if (d.scheduled) CancelScheduled(d.scheduled);
    d.scheduled = 0;
    Notify(d, id, MCI_NOTIFY_ABORTED);
}

MCIERROR OpenDevice(DWORD_PTR flags, const Utf8Arg &type, const Utf8Arg &element, MCIDEVICEID &opened) {
    if (!(flags & MCI_OPEN_TYPE) || type.null || !SameName(type.text, "waveaudio")) return MCIERR_INVALID_DEVICE_NAME;
    WaveDevice d;
    if (flags & MCI_OPEN_ELEMENT) {
        std::string host;
        if (element.null || !HostPath(element.text, host)) return MCIERR_FILE_NOT_FOUND;
        std::ifstream probe(host, std::ios::binary);
        if (!probe) return MCIERR_FILE_NOT_FOUND;
        if (!WaveDuration(host, d.durationMs)) return MCIERR_INVALID_FILE;
        d.path = element.text;
    }
    MCIDEVICEID id = mci().next++;
    mci().devices[id] = d;
    opened = id;
    return 0;
}

// MCI_OPEN_PARMS and MCI_WAVE_OPEN_PARMS begin alike; the device takes the first's fields.
MCIERROR Open(DWORD_PTR flags, MCI_OPEN_PARMSW *p) {
    if (!p) return MCIERR_INVALID_DEVICE_NAME;
    Utf8Arg type = Utf8Arg::Wide(p->lpstrDeviceType), element = Utf8Arg::Wide(p->lpstrElementName);
    MCIERROR error = OpenDevice(flags, type, element, p->wDeviceID);
    if (error && Narrating() && !element.null)
        std::fprintf(stderr, "qmsaver: music %s cannot be opened (MCI error %u)\n", element.text.c_str(), error);
    return error;
}


MCIERROR Play(MCIDEVICEID id, WaveDevice &d, DWORD_PTR flags, MCI_PLAY_PARMS *p) {
    if (d.path.empty()) return MCIERR_UNRECOGNIZED_COMMAND;
    if (mci().playsFail) {
        // The command is taken; the device reports the failure at once.
        if ((flags & MCI_NOTIFY) && p) {
            d.notifyWindow = reinterpret_cast<HWND>(p->dwCallback);
            Notify(d, id, MCI_NOTIFY_FAILURE);
        }
        return 0;
    }
    uint64_t from = (flags & MCI_FROM) && p ? p->dwFrom : Position(d);
    uint64_t to = (flags & MCI_TO) && p ? std::min<uint64_t>(p->dwTo, d.durationMs) : d.durationMs;
    if (d.scheduled) CancelScheduled(d.scheduled);
    d.scheduled = 0;
    // A pending notification waits for the play to reach its end. A new play
    // towards the same end supersedes it when it asks for one itself (or
    // takes it over when it does not); one towards another end aborts it.
    if (d.notifyWindow) {
        bool sameEnd = d.playing && to == d.playEnd;
        if (!sameEnd) Notify(d, id, MCI_NOTIFY_ABORTED);
        else if (flags & MCI_NOTIFY) Notify(d, id, MCI_NOTIFY_SUPERSEDED);
    }
    if (Narrating())
        std::fprintf(stderr, "qmsaver: music plays %s (%.1f s)\n", d.path.c_str(), d.durationMs / 1000.0);
    d.playing = true;
    d.playStartedAt = Now();
    d.playStartPosition = std::min(from, d.durationMs);
    d.playEnd = to;
    if ((flags & MCI_NOTIFY) && p) d.notifyWindow = reinterpret_cast<HWND>(p->dwCallback);
    uint64_t length = to > d.playStartPosition ? to - d.playStartPosition : 0;
    d.scheduled = ScheduleAt(Now() + length, [id, to] {
        auto it = mci().devices.find(id);
        if (it == mci().devices.end()) return;
        WaveDevice &dev = it->second;
        dev.scheduled = 0;
        dev.playing = false;
        dev.positionMs = to;
        Notify(dev, id, MCI_NOTIFY_SUCCESSFUL);
    });
    return 0;
}

}  // namespace

std::string PlayingWave() {
    for (auto &[id, d] : mci().devices)
        if (d.playing && Position(d) < d.durationMs) return d.path;
    return {};
}

int OpenWaveDevices() { return static_cast<int>(mci().devices.size()); }

void FailWavePlays(bool fail) { mci().playsFail = fail; }
void FailWaveVolumeReads(bool fail) { mci().volumeUnreadable = fail; }

}  // namespace headless

using namespace headless;

static MCIERROR Command(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params) {
    auto it = mci().devices.find(device);
    if (it == mci().devices.end()) return MCIERR_INVALID_DEVICE_ID;
    WaveDevice &d = it->second;
    auto *generic = reinterpret_cast<MCI_GENERIC_PARMS *>(params);
    switch (message) {
    case MCI_PLAY:
        return Play(device, d, flags, reinterpret_cast<MCI_PLAY_PARMS *>(params));
    case MCI_STOP:
        Halt(d, device);
        break;
    case MCI_CLOSE:
        Halt(d, device);
        mci().devices.erase(it);
        break;
    default:
        return MCIERR_UNRECOGNIZED_COMMAND;
    }
    if ((flags & MCI_NOTIFY) && generic && generic->dwCallback)
        PostMessageW(reinterpret_cast<HWND>(generic->dwCallback), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL,
                     static_cast<LPARAM>(device));
    return 0;
}

MCIERROR WINAPI mciSendCommandW(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params) {
    if (message == MCI_OPEN) return Open(flags, reinterpret_cast<MCI_OPEN_PARMSW *>(params));
    return Command(device, message, flags, params);
}


UINT WINAPI waveOutGetNumDevs() { return 1; }

MMRESULT WINAPI waveOutGetVolume(HWAVEOUT device, LPDWORD volume) {
    if (reinterpret_cast<uintptr_t>(device) != 0) return MMSYSERR_BADDEVICEID;
    if (!volume) return MMSYSERR_INVALPARAM;
    if (mci().volumeUnreadable) return MMSYSERR_NOTSUPPORTED;
    *volume = mci().volume;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutSetVolume(HWAVEOUT device, DWORD volume) {
    if (reinterpret_cast<uintptr_t>(device) != 0) return MMSYSERR_BADDEVICEID;
    mci().volume = volume;
    return MMSYSERR_NOERROR;
}
