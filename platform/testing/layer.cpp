// The test hooks, over the layer's own state.
#include "layer.h"

#include "hooks.h"

#include "../user/user.h"

#include <dirent.h>

#include <algorithm>
#include <map>

namespace Layer {

bool Available() { return true; }
void Reset() { headless::ResetAll(); }

void SetScreen(int width, int height, int depth) {
    headless::ResizeScreen(width, height, depth);
    SetCursorPos(width / 2, height / 2);
}

bool SetScreenLayout(const std::string &layout) {
    std::vector<RECT> monitors;
    int depth;
    if (!headless::ParseScreenLayout(layout, monitors, depth) || !headless::SetMonitors(monitors, depth)) return false;
    SetCursorPos(monitors[0].right / 2, monitors[0].bottom / 2);
    return true;
}

void SetDpi(int dpi) { headless::screen().dpi = dpi; }

uint32_t ScreenPixel(int x, int y) {
    headless::Screen &s = headless::screen();
    if (!s.OnMonitor(x, y)) return 0xFFFFFFFF;
    return s.At(x, y);
}

bool SaveScreen(const std::string &path) { return headless::WriteScreenImage(path); }

void UseVirtualClock(bool on) { headless::UseVirtualClock(on); }
void AdvanceClock(DWORD milliseconds) { headless::AdvanceClockTo(headless::Now() + milliseconds); }

DWORD NextEventIn() {
    uint64_t next = headless::NextEventTime();
    uint64_t now = headless::Now();
    if (next == UINT64_MAX) return 0x7FFFFFFF;
    return next <= now ? 0 : static_cast<DWORD>(std::min<uint64_t>(next - now, 0x7FFFFFFF));
}

void SetTimeLimit(DWORD tick) {
    headless::timeLimit() = headless::TimeLimit{true, tick, false};
}

void SetWindows95Family(bool on) { headless::SetWindows95Family(on); }
void SetUiLanguage(LANGID language) { headless::SetUiLanguage(language); }

void RegisterModule(const std::string &name, const std::map<std::string, FARPROC> &exports, bool preloaded) {
    headless::RegisterModule(name, exports, preloaded);
}

int ModuleLoadCount(const std::string &name) { return headless::ModuleLoadCount(name); }
bool ScreenSaverRunning() { return headless::ScreenSaverRunning(); }
int CursorShowCount() { return headless::CursorShowCount(); }
std::vector<HCURSOR> CursorHistory() { return headless::CursorHistory(); }
void MapDrive(char letter, const std::string &hostFolder, UINT driveType) {
    headless::MapDrive(letter, hostFolder, driveType);
}

std::string HostPath(const std::string &dosPath) {
    std::string host;
    return headless::HostPath(dosPath, host) ? host : std::string();
}

void FailWritesAfter(int writes) { headless::FailWritesAfter(writes); }
void FailReadsAfter(int reads) { headless::FailReadsAfter(reads); }
void WhileFolderRead(std::function<void()> step) { headless::WhileFolderRead(std::move(step)); }
void FailRenamesAfter(int renames, int times, DWORD error) { headless::FailRenamesAfter(renames, times, error); }
void FailClosesAfter(int closes) { headless::FailClosesAfter(closes); }
void ProtectFolder(const std::string &dosFolder) { headless::ProtectFolder(dosFolder); }
void StopAfterSteps(int steps) { headless::StopAfterSteps(steps, false); }
bool StoppedByPowerCut() { return headless::StoppedByPowerCut(); }
std::string PlayingWave() { return headless::PlayingWave(); }
int OpenWaveDevices() { return headless::OpenWaveDevices(); }
void FailWavePlays(bool fail) { headless::FailWavePlays(fail); }
void FailWaveVolumeReads(bool fail) { headless::FailWaveVolumeReads(fail); }
void HideJapaneseGlyphs(bool hide) { headless::HideJapaneseGlyphs(hide); }

COLORREF SystemPaletteColor(int index) { return headless::SystemPaletteColor(index); }
HPALETTE LastRealizedPalette(HDC hdc) { return headless::LastRealizedPalette(hdc); }
void FailAllocationAfter(int allocations) { headless::FailAllocationAfter(allocations); }
int LiveGlobalBlocks() { return headless::LiveGlobalBlocks(); }
SIZE_T LargestAllocationRequest() { return headless::LargestAllocationRequest(); }

int OpenDescriptors() {
    int count = 0;
    if (DIR *d = opendir("/proc/self/fd")) {
        while (readdir(d)) count++;
        closedir(d);
    }
    return count;
}
void AnswerMessageBoxes(const std::vector<int> &answers) { headless::AnswerMessageBoxes(answers); }
void WhileMessageBoxUp(std::function<void()> step) { headless::WhileMessageBoxUp(std::move(step)); }

std::vector<MessageBoxShown> MessageBoxesShown() {
    std::vector<MessageBoxShown> list;
    for (const auto &m : headless::MessageBoxesShown()) list.push_back({m.owner, m.text, m.caption, m.type, m.answer});
    return list;
}

void AnswerSaveDialogs(std::vector<std::string> answers) { headless::AnswerSaveDialogs(answers); }

std::vector<SaveDialogShown> SaveDialogsShown() {
    std::vector<SaveDialogShown> list;
    for (const auto &d : headless::SaveDialogsShown())
        list.push_back({d.owner, d.file, d.filter, d.defExt, d.flags, d.initialDir, d.answer});
    return list;
}

void AnswerFolderDialogs(std::vector<std::string> answers) { headless::AnswerFolderDialogs(answers); }

std::vector<FolderDialogShown> FolderDialogsShown() {
    std::vector<FolderDialogShown> list;
    for (const auto &d : headless::FolderDialogsShown()) list.push_back({d.owner, d.title, d.flags, d.answer});
    return list;
}

LPTOP_LEVEL_EXCEPTION_FILTER InstalledExceptionFilter() { return headless::InstalledExceptionFilter(); }

void SetWorkArea(RECT area) { headless::workArea() = headless::WorkArea{true, false, area}; }
void TakeWorkAreaAway() { headless::workArea() = headless::WorkArea{false, true, {}}; }
int Beeps() { return headless::Beeps(); }
int UnimplementedReports() { return headless::UnimplementedReports(); }

}  // namespace Layer
