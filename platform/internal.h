// State shared by the parts of the portable layer, in namespace headless
// (the test hooks are namespace Layer). Nothing outside platform/ includes
// this header; tests go through platform/testing/layer.h.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace headless {

// ---- clock ----------------------------------------------------------------

uint64_t Now();  // milliseconds on the layer's clock
bool ClockIsVirtual();
void AdvanceClockTo(uint64_t when);  // virtual clock: jump; real clock: sleep

// A deadline after which the run ends as if the user had pressed a key.
struct TimeLimit {
    bool set = false;
    uint64_t at = 0;
    bool fired = false;
};
TimeLimit &timeLimit();

// The headless run tells the person at the terminal what a user would see
// or hear: message boxes, music.
bool &Narrating();
// A text of the program, in code page 932, for the person at the terminal.
std::string ToUtf8(const std::string &cp932);
// Text in code page 932 from UTF-16, as the ANSI calls hand it out.
std::string ToAnsi(const std::u16string &text);

// The layer met a branch it does not implement: reported once on stderr,
// counted for the tests.
void ReportUnimplemented(const std::string &what);

// ---- files ----------------------------------------------------------------

// A DOS path as the host's, through the drive table.
bool HostPath(const std::string &dosPath, std::string &host);
// A DOS path made absolute against the current directory, "." and ".." resolved.
bool FullDosPath(const std::string &path, std::string &full);
void ResetFiles(const std::string &driveC);

// ---- modules ----------------------------------------------------------------

struct Resource {
    std::u16string typeName, name;  // empty when the id is numeric
    WORD typeId = 0, nameId = 0;
    WORD language = 0;
    const BYTE *data = nullptr;
    DWORD size = 0;
};
const std::vector<Resource> &Resources();
const Resource *FindResourceRecord(LPCSTR name, LPCSTR type);
HINSTANCE MainInstance();

// ---- reset ------------------------------------------------------------------

// Each part registers how it returns to a fresh machine; tests reset between cases.
void OnReset(std::function<void()> reset);
// For what the other parts' resets may rely on (the screen): run before them.
void OnResetFirst(std::function<void()> reset);

}  // namespace headless

namespace headless {

// ---- the screen -------------------------------------------------------------

// The screen is one or more monitors side by side in screen coordinates,
// the primary at (0, 0); the virtual screen is the rectangle round them all
// (its origin may be negative), and its pixels are kept whole, gaps between
// monitors of different sizes included.
struct Screen {
    int width = 640;               // the primary monitor's size
    int height = 480;
    int depth = 24;                // 8 makes the device report a palette
    std::vector<RECT> monitors{RECT{0, 0, 640, 480}};  // the primary first
    RECT bounds{0, 0, 640, 480};                       // the virtual screen
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, row by row from the virtual screen's top-left corner

    long Stride() const { return bounds.right - bounds.left; }
    // A pixel at (x, y) in screen coordinates, which must lie within bounds.
    uint32_t &At(long x, long y) {
        return pixels[static_cast<size_t>(y - bounds.top) * static_cast<size_t>(Stride()) + static_cast<size_t>(x - bounds.left)];
    }
    bool OnMonitor(long x, long y) const;
    // What a person sees there: black in the gaps no monitor shows.
    uint32_t Shown(long x, long y);
};
Screen &screen();
void ResizeScreen(int width, int height, int depth);
// Several monitors (screen coordinates, the primary first at (0, 0)); false
// when they do not make a screen.
bool SetMonitors(const std::vector<RECT> &monitors, int depth);
// A screen as QMSAVER_SCREEN gives it (see the README): "800x600x8",
// "1024x768+1280x1024", "1280x1024+*1024x768", "1024x768/800x600" ...
bool ParseScreenLayout(const std::string &text, std::vector<RECT> &monitors, int &depth);

// ---- device contexts ----------------------------------------------------------

// Where a DC lies on the screen. A DC on the whole screen needs nothing
// more; the window manager places a window's DC and moves it with the window.
struct DcPlacement {
    enum Kind { WholeScreen, Placed, Nowhere } kind = WholeScreen;  // Nowhere: its window is gone
    POINT origin{};   // where the DC's (0, 0) lies on the screen
    RECT visible{};   // the part of the screen it may touch
};

struct DeviceContext {
    DcPlacement placement;
    HGDIOBJ brush = nullptr, pen = nullptr, font = nullptr, palette = nullptr;
    COLORREF textColor = 0, bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
    int stretchMode = BLACKONWHITE;
    bool clipped = false;  // IntersectClipRect narrowed it to clip (DC coordinates)
    RECT clip{};
};
// A DC on the whole screen with the default objects selected, and its end.
HDC NewDc();
void FreeDc(HDC hdc);
DeviceContext *FindDc(HDC hdc);
// Sets one of a DC's attributes and hands back what it was (failed for a bad DC).
template <typename T>
T ExchangeDcAttribute(HDC hdc, T DeviceContext::*field, T value, T failed) {
    DeviceContext *dc = FindDc(hdc);
    if (!dc) return failed;
    T previous = dc->*field;
    dc->*field = value;
    return previous;
}
// Where a DC draws on the screen: its origin, and the rectangle it may touch.
bool DcGeometry(HDC hdc, POINT &origin, RECT &clip);
// Fills a rectangle given in the DC's coordinates, clipped.
void FillOnScreen(HDC hdc, RECT r, uint32_t pixel);
// Fills with a brush object; false when brush is not one.
bool FillWithBrush(HDC hdc, const RECT &r, HGDIOBJ brush);
uint32_t ToPixel(COLORREF c);

// ---- palettes and pictures ------------------------------------------------------

// The colour an 8-bit screen shows at a palette index.
COLORREF SystemPaletteColor(int index);
// Called after each StretchDIBits that drew; the headless run writes its
// frame once the program is idle again (WritePendingFrame).
void OnPictureDrawn();
void WritePendingFrame();
// Palette objects live in the palette module; DeleteObject hands them over.
bool IsPaletteObject(HGDIOBJ object);
bool DeletePaletteObject(HGDIOBJ object);

// ---- fonts and text (gdi/font.cpp, gdi/text.cpp) ----------------------------------

// One character's picture: a 1-bit bitmap, leftmost pixel in the top bit of
// each row's first byte, placed from the pen's position on the baseline.
struct Glyph {
    int advance = 0;  // how far the pen moves
    int left = 0;     // first ink column, from the pen
    int ascent = 0;   // ink rows above the baseline
    int width = 0, height = 0;
    int stride = 0;                 // bytes per row
    const uint8_t *rows = nullptr;  // null: a blank cell
};
bool GlyphInk(const Glyph &g, int x, int y);

// A font as the layer draws it: its faces at one size, loaded once per
// process and kept, with the glyphs it has drawn, across resets.
struct TextFont;
// The font a font object draws with (the system font for the stock
// SYSTEM_FONT, for a face the layer does not have, and for anything else).
const TextFont &FontFor(HGDIOBJ font);
// What GetTextMetricsA says of a font.
const TEXTMETRICA &FontMetrics(const TextFont &font);
// Code page 932 text as its glyphs, one per character: a lead byte takes the
// byte after it, a lone lead byte at the end stands for ・. The glyphs stay
// valid for the life of the process.
std::vector<Glyph> TextGlyphs(const TextFont &font, const char *text, int length);
// The LOGFONT a font object was made from; null for the system font and for
// anything that is not a font (gdi/dc.cpp keeps the objects).
const LOGFONTA *FontObjectLogFont(HGDIOBJ object);
// Text in the DC's font and colours with its top-left at (x, y), as TextOutA
// draws it; with clip (DC coordinates) also kept inside that rectangle, as
// ExtTextOut's ETO_CLIPPED does.
bool DrawTextRun(HDC hdc, int x, int y, const char *text, int length, const RECT *clip);

}  // namespace headless

namespace headless {

// The part of the screen windows are placed in: the whole screen unless set.
struct WorkArea {
    bool set = false;
    bool missing = false;  // SPI_GETWORKAREA fails
    RECT rect{};
};
WorkArea &workArea();

// ---- windows --------------------------------------------------------------

struct WindowClass {
    std::string name;
    WNDCLASSA wc{};
};

struct Window {
    HWND handle = nullptr;
    const WindowClass *cls = nullptr;
    std::string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;  // for WS_CHILD windows
    HWND owner = nullptr;   // for top-level windows
    RECT rect{};            // window rectangle in screen coordinates
    WNDPROC proc = nullptr;
    int id = 0;             // a child's control id
    bool visible = false;
    bool needsPaint = false;
    bool needsErase = false;
    bool needsFrame = false;  // caption and borders to be drawn again
    bool destroying = false;
    LONG_PTR userData = 0;
    std::vector<uint8_t> extra;  // the class's window extra bytes (a dialog's DWLP_ values)
    HMENU menu = nullptr;        // a top-level window's menu bar
};

// The classes Windows has before a program starts (controls, dialogs).
void RegisterSystemClass(const char *name, WNDPROC proc, UINT style, int windowExtra = 0);
void RegisterStaticClass();
void RegisterButtonClass();
void RegisterScrollBarClass();
void RegisterListBoxClasses();
void RegisterComboBoxClass();
void RegisterDialogClass();
void RegisterMenuClass();
Window *FindWindowRecord(HWND hwnd);
std::vector<Window *> AllWindows();  // in z-order, bottom first
HWND DesktopHandle();
// The client area in screen coordinates: the window rectangle less its
// caption, borders and scroll bars.
RECT ClientRectOnScreen(const Window &w);
// Marks a window and everything inside it for painting.
void InvalidateTree(HWND hwnd);
// The frame gave or took client area (a menu bar, a scroll bar): the window
// hears its new client size and is painted again, frame and all.
void FrameChanged(HWND hwnd);
// A size kept within the limits the window gives in WM_GETMINMAXINFO, for
// the windows Windows asks: those with a sizing frame, and overlapped ones.
SIZE LimitWindowSize(HWND hwnd, SIZE size);
// Draws a window's caption, borders and scroll bars (WM_NCPAINT).
void DrawNonClient(HWND hwnd);
// A window's own scroll bar (SB_HORZ or SB_VERT) and its painting.
struct ScrollState {
    int minimum = 0, maximum = 100, position = 0;
};
ScrollState *WindowScrollBar(HWND hwnd, int bar);
void DrawScrollBar(HDC hdc, RECT r, bool vertical, const ScrollState &s, bool enabled);
// WM_NCHITTEST as DefWindowProc answers it (pt on the screen).
LRESULT NonClientHitTest(HWND hwnd, POINT pt);

// ---- menus (user/menu.cpp) ----------------------------------------------------

bool IsMenuHandle(HMENU menu);
// Where a window's menu bar lies on the screen; empty for a window without one.
RECT MenuBarRect(const Window &w);
// Draws a menu bar's items in bar (the DC's coordinates).
void DrawMenuBarItems(HDC hdc, RECT bar, HMENU menu);
// A press on the menu bar at pt (screen): tracks the menu until the user
// chooses an item or closes it, as SC_MOUSEMENU does.
void TrackMenuBar(HWND hwnd, POINT pt);
// ---- what the standard controls share (user/control.cpp) --------------------

// The font a control was given with WM_SETFONT (null: the system font).
HFONT ControlFont(HWND control);
void SetControlFont(HWND control, HFONT font);
void ForgetControl(HWND control);
// Asks the parent for the control's colours (WM_CTLCOLOR...), as Windows
// does before a control paints; the brush to fill with.
HBRUSH ControlColors(HWND control, HDC hdc, UINT message);
// WM_COMMAND to the parent with the control's id and a notification code.
void NotifyParent(HWND control, int code);
// A DC on the control with its font selected.
HDC ControlDc(HWND control);
// A control's painting: in answer to WM_PAINT, and at once when its state
// changes while it is visible (as Windows' controls redraw themselves).
typedef void (*ControlPainter)(HWND control, HDC hdc);
void PaintControl(HWND control, ControlPainter draw);
void RepaintControl(HWND control, ControlPainter draw);

// Keys down now, as the queue's messages have said.
void NoteKey(UINT message, WPARAM key);
// The system colours, as Wine's default look has them.
COLORREF SystemColor(int index);

// ---- message queue --------------------------------------------------------

void PostInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PurgeMessagesFor(HWND hwnd);
// Runs fn from the message loop once the clock reaches when (devices use it
// to post their notifications). Returns an id for CancelScheduled.
int ScheduleAt(uint64_t when, std::function<void()> fn);
void CancelScheduled(int id);
// When the next timer or device event is due; UINT64_MAX when none waits.
uint64_t NextEventTime();
void KillTimersFor(HWND hwnd);
HWND WindowAtPoint(POINT pt);

// ---- device contexts of windows (user/paint.cpp) --------------------------------

// Windows moved, were resized, changed their frames or went away: the DCs
// handed out for them are placed again.
void PlaceWindowDcs();

}  // namespace headless

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
void SetCommandLine(const std::string &line);
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
}  // namespace headless

namespace headless {

struct RunConfig {
    std::vector<RECT> monitors{RECT{0, 0, 640, 480}};
    int depth = 24;
    bool virtualClock = false;
    long long timeLimit = -1;  // milliseconds from start
    std::string screenshot;
    std::string frames;   // folder for a picture of the screen after each drawn picture
    int frameLimit = 50;
    bool win95 = false;
    int failAllocationAfter = -1;  // the allocation after this many fails
    int failWriteAfter = -1;       // every write after this many fails
    int failRenameAfter = -1;      // the file move after this many fails
    int failCloseAfter = -1;       // the file close after this many fails
    std::map<char, std::pair<std::string, UINT>> drives;  // letter -> folder, drive type
};
// From the config file named by QMSAVER_CONFIG, then the environment.
RunConfig ReadRunConfig();
void SetUpMachine(const RunConfig &config);

}  // namespace headless
