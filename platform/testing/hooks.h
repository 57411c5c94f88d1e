// The layer's insides that the test hooks (layer.cpp) and the native
// entry reach: fault injection, scripted answers, what was shown. Each part
// defines its own; this header needs nothing of theirs.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace headless {

// A fresh machine, as each part registered it (OnReset).
void ResetAll();
int UnimplementedReports();
// The logical palette most recently realised into a DC (null when none).
HPALETTE LastRealizedPalette(HDC hdc);
HWND ForegroundWindow();
void ActivateOtherApplication();
int CursorShowCount();
const std::vector<HCURSOR> &CursorHistory();
void SetWindows95Family(bool on);
void UseVirtualClock(bool on);
// The process's command line (UTF-8), and one joined from the host's
// arguments as Windows quotes them.
void SetCommandLine(const std::string &line);
std::string JoinCommandLine(int argc, char **argv);
bool ScreenSaverRunning();
LPTOP_LEVEL_EXCEPTION_FILTER InstalledExceptionFilter();
void RegisterModule(const std::string &name, const std::map<std::string, FARPROC> &exports, bool preloaded);
int ModuleLoadCount(const std::string &name);
bool WriteScreenImage(const std::string &path);
// The run's screenshot: what the screen shows when the time limit comes,
// before its key press, or when the run ends otherwise. Taken once.
void TakeRunScreenshotInto(const std::string &path);
void TakeRunScreenshot();

// Files: drive letters on host folders.
void MapDrive(char letter, const std::string &folder, UINT type);
void UnmapDrive(char letter);
void FailWritesAfter(int writes);
void FailReadsAfter(int reads);
void FailRenamesAfter(int renames, int times, DWORD error);
void FailClosesAfter(int closes);
void WhileFolderRead(std::function<void()> step);
void ProtectFolder(const std::string &dosFolder);
void StopAfterSteps(int steps, bool kill);
bool StoppedByPowerCut();

// Global memory: fault injection and a count of live blocks.
void FailAllocationAfter(int allocations);
int LiveGlobalBlocks();
SIZE_T LargestAllocationRequest();

// Message boxes answered by a script.
struct MessageBoxRecord {
    HWND owner;
    std::string text, caption;
    UINT type;
    int answer;
};
void AnswerMessageBoxes(const std::vector<int> &answers);
void WhileMessageBoxUp(std::function<void()> step);
int Beeps();
const std::vector<MessageBoxRecord> &MessageBoxesShown();

// Save-as dialogs answered by a script (comdlg/savefile.cpp).
struct SaveDialogRecord {
    HWND owner;
    std::string file;                 // lpstrFile as the program filled it
    std::vector<std::string> filter;  // lpstrFilter's strings in turn
    std::string defExt;
    DWORD flags;
    std::string title, initialDir;
    std::string answer;               // the path chosen; "" for Cancel
};
void AnswerSaveDialogs(const std::vector<std::string> &answers);
const std::vector<SaveDialogRecord> &SaveDialogsShown();

// Folder choosers answered by a script (shell/folders.cpp).
struct FolderDialogRecord {
    HWND owner;
    std::string title;
    UINT flags;
    std::string answer;  // the folder chosen; "" for Cancel
};
void AnswerFolderDialogs(const std::vector<std::string> &answers);
const std::vector<FolderDialogRecord> &FolderDialogsShown();

// The headless run's frames: written to folder after each drawn picture.
void WriteFramesTo(const std::string &folder, int limit);

// Sound: what the wave device plays now, and how many devices are open.
std::string PlayingWave();
int OpenWaveDevices();
void FailWavePlays(bool fail);
void FailWaveVolumeReads(bool fail);

// Fonts: the Japanese characters missing from all but fonts asked for with SHIFTJIS_CHARSET.
void HideJapaneseGlyphs(bool hide);
}  // namespace headless

