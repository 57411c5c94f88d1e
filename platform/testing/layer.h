// Hooks into the portable layer for tests and for the headless run: the
// machine's screen, clock and version, stand-ins for system modules, and a
// look at what the program did to the system. On Windows the tests link a
// version of these in which Available() is false, and skip what needs them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace Layer {

// True on the portable layer, false against the real Windows API.
bool Available();

// A fresh machine: no windows, empty queue, NT version, virtual clock at a
// non-zero tick, 640 x 480 x 24 black screen, empty registry, no stand-ins.
void Reset();

// The headless machine's screen. Depth 8 makes the device report a palette.
void SetScreen(int width, int height, int depth);
// A screen of several monitors, written as QMSAVER_SCREEN takes it:
// "1024x768+1280x1024" side by side, the first the primary; "*" marks
// another primary ("1280x1024+*1024x768"), "/" puts the next one below.
// False (the screen unchanged) for a layout that is not one.
bool SetScreenLayout(const std::string &layout);
// Dots per inch of every monitor (96 after Reset), as GetDpiForWindow and
// GetDeviceCaps(LOGPIXELSY) report it and dialogs made from now on size
// their font by. Windows already up are not told: send them WM_DPICHANGED
// as Windows would.
void SetDpi(int dpi);
// Screen coordinates (negative left of or above the primary); 0xFFFFFFFF
// where no monitor is.
uint32_t ScreenPixel(int x, int y);  // 0x00RRGGBB
bool SaveScreen(const std::string &path);  // .bmp, otherwise PNG; the whole virtual screen

// The clock. On the virtual clock an idle message loop jumps to the next
// due timer; Advance moves it by hand.
void UseVirtualClock(bool on);
void AdvanceClock(DWORD milliseconds);
// Milliseconds until the next timer or device event is due (0 when one is
// due now, a large number when nothing is waiting).
DWORD NextEventIn();
// The run ends as if a key were pressed once the clock reaches this tick.
void SetTimeLimit(DWORD tick);

// Which Windows the machine reports: the 95 family or NT.
void SetWindows95Family(bool on);

// The user's UI language (GetUserDefaultUILanguage and its kin), by which
// resources are picked: QMSAVER_UI_LANGUAGE's ("ja", "en" or a LANGID in
// hexadecimal), else Japanese (0x0411), again after Reset.
void SetUiLanguage(LANGID language);

// A system DLL the program loads by name: its exported functions.
// "preloaded" modules are found by GetModuleHandleW before any LoadLibraryW.
void RegisterModule(const std::string &name, const std::map<std::string, FARPROC> &exports,
                    bool preloaded = false);
int ModuleLoadCount(const std::string &name);  // LoadLibraryW less FreeLibrary

// What the program did to the system.
bool ScreenSaverRunning();  // SPI_SCREENSAVERRUNNING as last set
int CursorShowCount();      // ShowCursor's counter, 0 when shown
std::vector<HCURSOR> CursorHistory();  // every cursor SetCursor set, in order

// Text in and out of these hooks is UTF-8.
//
// Files. C: is a fresh scratch folder after each Reset, with C:\WINDOWS and
// C:\WINDOWS\SYSTEM. Other drives map to host folders of the test's choosing.
void MapDrive(char letter, const std::string &hostFolder, UINT driveType);
std::string HostPath(const std::string &dosPath);  // where a DOS path lives on the host
// After this many more successful writes, every write fails as on a full disk;
// after this many more reads, every read fails as on a bad disc.
void FailWritesAfter(int writes);
void FailReadsAfter(int reads);
// After this many more successful moves (MoveFileExW), the next fails with
// error, times moves in a row; after this many more closes, the next fails
// (the file is closed all the same, as when its delayed writes are lost).
void FailRenamesAfter(int renames, int times = 1, DWORD error = ERROR_WRITE_FAULT);
void FailClosesAfter(int closes);
// A slow drive: step runs before each FindNextFileW hands out an entry
// (it may advance the clock, or act on a window the wait shows); none
// after Reset or with an empty step.
void WhileFolderRead(std::function<void()> step);
// A standard account's view of a folder: read, but never changed (every
// create, write, move or delete in it is refused with ERROR_ACCESS_DENIED).
void ProtectFolder(const std::string &dosFolder);
// A power cut after the n-th change to the disk (a file created, a write,
// a flush, a move, a delete; 0: none): from then on every change is
// refused, so the disk stays as the cut left it. Off again with 0.
void StopAfterSteps(int steps);
bool StoppedByPowerCut();

// Sound: the element the wave device is playing now ("" when silent), the
// number of open wave devices, and the wave output volume.
std::string PlayingWave();
int OpenWaveDevices();
// A sound device that opens files but fails every play, as one without a
// working output does.
void FailWavePlays(bool fail);
// A wave output whose volume can be set but not read (waveOutGetVolume
// fails), as under Wine.
void FailWaveVolumeReads(bool fail);

// A Western Windows without a Japanese font: the dialogs' face ＭＳ ゴシック
// and the default faces lack every Japanese character (drawn as the font's
// missing glyph, 0xFFFF from GetGlyphIndicesW with
// GGI_MARK_NONEXISTING_GLYPHS); a font asked for with SHIFTJIS_CHARSET
// still has them. Off after Reset.
void HideJapaneseGlyphs(bool hide);

// Palettes on an 8-bit screen: the colour the screen shows at a system
// palette index, and the logical palette last realised into a DC.
COLORREF SystemPaletteColor(int index);
HPALETTE LastRealizedPalette(HDC hdc);

// Global memory: the allocation after the next n ones fails (once); the
// number of blocks not yet freed.
void FailAllocationAfter(int allocations);
int LiveGlobalBlocks();
// The largest block asked for since the last Reset, granted or not.
SIZE_T LargestAllocationRequest();
// Open file descriptors of the process, to see that nothing was left open.
int OpenDescriptors();

// Message boxes: answers for the next boxes (the default button when none
// is left), and every box shown since the last Reset.
struct MessageBoxShown {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
    int answer;
};
void AnswerMessageBoxes(const std::vector<int> &answers);
std::vector<MessageBoxShown> MessageBoxesShown();
// Runs step while each box is up, before its answer; none when empty.
void WhileMessageBoxUp(std::function<void()> step);

// Save-as dialogs: the paths the user chooses in the next dialogs, "" for
// Cancel (Cancel when none is left), and every dialog shown since the last
// Reset with what the program gave it.
struct SaveDialogShown {
    HWND owner;
    std::string file;                 // lpstrFile as given: what the name box offers
    std::vector<std::string> filter;  // lpstrFilter's strings in turn
    std::string defExt;
    DWORD flags;
    std::string initialDir;
    std::string answer;               // the full path taken; "" for Cancel
};
void AnswerSaveDialogs(std::vector<std::string> answers);
std::vector<SaveDialogShown> SaveDialogsShown();

// Folder choosers (SHBrowseForFolderW): the folders the user picks in the
// next ones, "" for Cancel (Cancel when none is left), and every chooser
// shown since the last Reset.
struct FolderDialogShown {
    HWND owner;
    std::string title;
    UINT flags;
    std::string answer;  // the folder taken; "" for Cancel
};
void AnswerFolderDialogs(std::vector<std::string> answers);
std::vector<FolderDialogShown> FolderDialogsShown();

// The desktop's work area (SPI_GETWORKAREA): the whole screen after Reset;
// a task bar leaves less; without one the call fails, as on a system that
// cannot say.
void SetWorkArea(RECT area);
void TakeWorkAreaAway();

// MessageBeep calls since the last Reset.
int Beeps();

// Branches of the layer a program reached that the layer does not implement
// (each also reported once on stderr); the tests expect none.
int UnimplementedReports();

// The exception filter the program installed, if any (for failure tests).
LPTOP_LEVEL_EXCEPTION_FILTER InstalledExceptionFilter();

}  // namespace Layer
