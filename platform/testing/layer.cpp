// The test hooks, over the layer's own state.
#include "layer.h"

#include "../internal.h"

#include <dirent.h>

#include <algorithm>

namespace Layer {

bool Available() { return true; }
void Reset() { layer::ResetAll(); }

void SetScreen(int width, int height, int depth) {
    layer::ResizeScreen(width, height, depth);
    SetCursorPos(width / 2, height / 2);
}

uint32_t ScreenPixel(int x, int y) {
    const layer::Screen &s = layer::screen();
    if (x < 0 || y < 0 || x >= s.width || y >= s.height) return 0xFFFFFFFF;
    return s.pixels[static_cast<size_t>(y) * s.width + x];
}

bool SaveScreen(const std::string &path) { return layer::WriteScreenImage(path); }

void UseVirtualClock(bool on) { layer::SetVirtualClock(on); }
void AdvanceClock(DWORD milliseconds) { layer::AdvanceClockTo(layer::Now() + milliseconds); }

DWORD NextEventIn() {
    uint64_t next = layer::NextEventTime();
    uint64_t now = layer::Now();
    if (next == UINT64_MAX) return 0x7FFFFFFF;
    return next <= now ? 0 : static_cast<DWORD>(std::min<uint64_t>(next - now, 0x7FFFFFFF));
}

void SetTimeLimit(DWORD tick) {
    layer::timeLimit() = layer::TimeLimit{true, tick, false};
}

void SetWindows95Family(bool on) { layer::SetWin95(on); }

void RegisterModule(const std::string &name, const std::map<std::string, FARPROC> &exports, bool preloaded) {
    layer::RegisterStandIn(name, exports, preloaded);
}

int ModuleLoadCount(const std::string &name) { return layer::LoadCount(name); }
bool ScreenSaverRunning() { return layer::ScreenSaverRunningFlag(); }
int CursorShowCount() { return layer::CursorShowCounter(); }
std::vector<HCURSOR> CursorHistory() { return layer::CursorHistory(); }
void MapDrive(char letter, const std::string &hostFolder, UINT driveType) {
    layer::MapDrive(letter, hostFolder, driveType);
}

std::string HostPath(const std::string &dosPath) {
    std::string host;
    return layer::HostPath(dosPath, host) ? host : std::string();
}

void FailWritesAfter(int writes) { layer::FailWriteAfter(writes); }
std::string PlayingWave() { return layer::PlayingWave(); }
int OpenWaveDevices() { return layer::OpenWaveDevices(); }
void FailWavePlays(bool fail) { layer::FailWavePlays(fail); }

COLORREF SystemPaletteColor(int index) { return layer::SystemPaletteColor(index); }
HPALETTE LastRealizedPalette(HDC hdc) { return layer::LastRealizedPalette(hdc); }
void FailAllocationAfter(int allocations) { layer::FailAllocationAfter(allocations); }
int LiveGlobalBlocks() { return layer::LiveGlobalBlocks(); }
SIZE_T LargestAllocationRequest() { return layer::LargestAllocationRequest(); }

int OpenDescriptors() {
    int count = 0;
    if (DIR *d = opendir("/proc/self/fd")) {
        while (readdir(d)) count++;
        closedir(d);
    }
    return count;
}
void AnswerMessageBoxes(const std::vector<int> &answers) { layer::AnswerMessageBoxes(answers); }

std::vector<MessageBoxShown> MessageBoxesShown() {
    std::vector<MessageBoxShown> list;
    for (const auto &m : layer::MessageBoxesShown()) list.push_back({m.owner, m.text, m.caption, m.type, m.answer});
    return list;
}

LPTOP_LEVEL_EXCEPTION_FILTER InstalledExceptionFilter() { return layer::ExceptionFilter(); }

}  // namespace Layer
