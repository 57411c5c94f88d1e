// Against the real Windows API the layer's hooks do not exist: tests that
// need them ask Available() first and skip.
#include "platform/testing/layer.h"

#include <cstdlib>

namespace Layer {

bool Available() { return false; }
void Reset() {}

[[noreturn]] static void Missing() { std::abort(); }

void SetScreen(int, int, int) { Missing(); }
bool SetScreenLayout(const std::string &) { Missing(); }
void SetDpi(int) { Missing(); }
void HideJapaneseGlyphs(bool) { Missing(); }
void SetUiLanguage(LANGID) { Missing(); }
uint32_t ScreenPixel(int, int) { Missing(); }
bool SaveScreen(const std::string &) { Missing(); }
void UseVirtualClock(bool) { Missing(); }
void AdvanceClock(DWORD) { Missing(); }
void SetTimeLimit(DWORD) { Missing(); }
DWORD NextEventIn() { Missing(); }
void SetWindows95Family(bool) { Missing(); }
void RegisterModule(const std::string &, const std::map<std::string, FARPROC> &, bool) { Missing(); }
int ModuleLoadCount(const std::string &) { Missing(); }
bool ScreenSaverRunning() { Missing(); }
int CursorShowCount() { Missing(); }
std::vector<HCURSOR> CursorHistory() { Missing(); }
void MapDrive(char, const std::string &, UINT) { Missing(); }
std::string HostPath(const std::string &) { Missing(); }
void FailWritesAfter(int) { Missing(); }
void FailReadsAfter(int) { Missing(); }
void FailRenamesAfter(int, int, DWORD) { Missing(); }
void FailClosesAfter(int) { Missing(); }
void WhileFolderRead(std::function<void()>) { Missing(); }
void ProtectFolder(const std::string &) { Missing(); }
void StopAfterSteps(int) { Missing(); }
bool StoppedByPowerCut() { return false; }
void AnswerFolderDialogs(std::vector<std::string>) { Missing(); }
std::vector<FolderDialogShown> FolderDialogsShown() { Missing(); }
std::string PlayingWave() { Missing(); }
int OpenWaveDevices() { Missing(); }
void FailWavePlays(bool) { Missing(); }
void FailWaveVolumeReads(bool) { Missing(); }
COLORREF SystemPaletteColor(int) { Missing(); }
HPALETTE LastRealizedPalette(HDC) { Missing(); }
void FailAllocationAfter(int) { Missing(); }
int LiveGlobalBlocks() { Missing(); }
SIZE_T LargestAllocationRequest() { Missing(); }
int OpenDescriptors() { Missing(); }
void AnswerMessageBoxes(const std::vector<int> &) { Missing(); }
std::vector<MessageBoxShown> MessageBoxesShown() { Missing(); }
void WhileMessageBoxUp(std::function<void()>) { Missing(); }
void AnswerSaveDialogs(std::vector<std::string>) { Missing(); }
std::vector<SaveDialogShown> SaveDialogsShown() { Missing(); }
LPTOP_LEVEL_EXCEPTION_FILTER InstalledExceptionFilter() { Missing(); }
void SetWorkArea(RECT) { Missing(); }
void TakeWorkAreaAway() { Missing(); }
int Beeps() { Missing(); }
int UnimplementedReports() { Missing(); }

}  // namespace Layer
