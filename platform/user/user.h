// What the user part of the portable layer shares among its files and with
// the parts above it: windows and their classes, the message queue, menus,
// the standard controls, the window half of device contexts.
#pragma once

#include "../gdi/gdi.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

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
    std::string name;  // UTF-8
    WNDCLASSW wc{};    // its names are name's
};

// A standard control's record, kept with its window: made when the control
// is created, fetched once per message, gone with WM_NCDESTROY (or with the
// window, should a reset drop it unannounced).
struct ControlState {
    virtual ~ControlState() = default;
};

struct Window {
    HWND handle = nullptr;
    const WindowClass *cls = nullptr;
    std::string title;  // UTF-8
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
    std::unique_ptr<ControlState> control;  // a standard control's own record
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
// A window's text as it keeps it, UTF-8.
std::string WindowTitle(HWND hwnd);
// The record of a control of type T, made fresh, or as it is; null for a
// window without one.
template <typename T>
T *NewControlState(HWND hwnd) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) return nullptr;
    w->control = std::make_unique<T>();
    return static_cast<T *>(w->control.get());
}
template <typename T>
T *ControlStateOf(HWND hwnd) {
    Window *w = FindWindowRecord(hwnd);
    return w ? dynamic_cast<T *>(w->control.get()) : nullptr;
}
void FreeControlState(HWND hwnd);
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
using ControlPainter = std::function<void(HWND control, HDC hdc)>;
void PaintControl(HWND control, const ControlPainter &draw);
void RepaintControl(HWND control, const ControlPainter &draw);

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
