// Scroll bars: the ScrollBar control (a dialog's slider, SB_CTL) and the
// scroll bars a window has of its own (WS_VSCROLL, WS_HSCROLL), with the
// calls that set their range and position. The control tells its parent
// with WM_HSCROLL or WM_VSCROLL what the mouse did.
#include "user.h"

#include <algorithm>
#include <map>

namespace headless {
namespace {

struct Bars {
    ScrollState horizontal, vertical;
};

// The control's own record.
struct ScrollBarState : ControlState {
    ScrollState bar;
};

// The state of windows' own bars, by window.
struct ScrollBars {
    std::map<HWND, Bars> windows;
    // A thumb being dragged: the control and the mouse's offset into the thumb.
    HWND dragging = nullptr;
    int grip = 0;
};

ScrollBars &bars() {
    static ScrollBars b;
    return b;
}

bool IsVertical(HWND control) { return (GetWindowLongW(control, GWL_STYLE) & SBS_VERT) != 0; }

// Where the arrows, the track and the thumb of a control are, along its length.
struct Layout {
    int length, arrow, thumb, thumbAt;
};

Layout Measure(HWND control, const ScrollState &s) {
    RECT r;
    GetClientRect(control, &r);
    bool vertical = IsVertical(control);
    int length = vertical ? r.bottom : r.right, thickness = vertical ? r.right : r.bottom;
    Layout l{length, std::min(thickness, length / 2), 0, 0};
    int track = length - 2 * l.arrow, range = s.maximum - s.minimum;
    l.thumb = std::max(l.arrow / 2, std::min(l.arrow, track));
    l.thumbAt = l.arrow + (range > 0 ? static_cast<int>(int64_t{track - l.thumb} * (s.position - s.minimum) / range) : 0);
    return l;
}

void Notify(HWND control, int code, int position) {
    HWND parent = GetParent(control);
    if (!parent) return;
    UINT message = IsVertical(control) ? WM_VSCROLL : WM_HSCROLL;
    SendMessageW(parent, message, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(control));
}

int Along(HWND control, LPARAM lParam) {
    return IsVertical(control) ? static_cast<SHORT>(HIWORD(lParam)) : static_cast<SHORT>(LOWORD(lParam));
}

// The position a thumb dragged to this point stands for.
int PositionAt(HWND control, const ScrollState &s, int along) {
    Layout l = Measure(control, s);
    int track = l.length - 2 * l.arrow - l.thumb;
    if (track <= 0) return s.minimum;
    int offset = std::clamp(along - bars().grip - l.arrow, 0, track);
    return s.minimum + static_cast<int>((int64_t{offset} * (s.maximum - s.minimum) + track / 2) / track);
}

void OnButtonDown(HWND control, const ScrollState &s, LPARAM lParam) {
    Layout l = Measure(control, s);
    int at = Along(control, lParam);
    SetCapture(control);
    if (at < l.arrow) Notify(control, SB_LINEUP, 0);
    else if (at >= l.length - l.arrow) Notify(control, SB_LINEDOWN, 0);
    else if (at < l.thumbAt) Notify(control, SB_PAGEUP, 0);
    else if (at >= l.thumbAt + l.thumb) Notify(control, SB_PAGEDOWN, 0);
    else {
        bars().dragging = control;
        bars().grip = at - l.thumbAt;
    }
}

void OnMouseMove(HWND control, const ScrollState &s, LPARAM lParam) {
    if (bars().dragging != control) return;
    Notify(control, SB_THUMBTRACK, PositionAt(control, s, Along(control, lParam)));
}

void OnButtonUp(HWND control, const ScrollState &s, LPARAM lParam) {
    if (bars().dragging == control) {
        Notify(control, SB_THUMBPOSITION, PositionAt(control, s, Along(control, lParam)));
        bars().dragging = nullptr;
    }
    ReleaseCapture();
    Notify(control, SB_ENDSCROLL, 0);
}

void Draw(HWND control, HDC hdc, const ScrollState &s) {
    RECT r;
    GetClientRect(control, &r);
    DrawScrollBar(hdc, r, IsVertical(control), s, IsWindowEnabled(control) && s.maximum > s.minimum);
}

int SetPosition(ScrollState &s, int position) {
    int old = s.position;
    s.position = std::clamp(position, std::min(s.minimum, s.maximum), std::max(s.minimum, s.maximum));
    return old;
}

LRESULT CALLBACK ScrollBarProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) NewControlState<ScrollBarState>(control);
    ScrollBarState *state = ControlStateOf<ScrollBarState>(control);
    if (!state) return DefWindowProcW(control, message, wParam, lParam);
    ScrollState &s = state->bar;
    switch (message) {
    case WM_CREATE:
        return 0;
    case WM_NCDESTROY:
        FreeControlState(control);
        if (bars().dragging == control) bars().dragging = nullptr;
        break;
    case WM_PAINT:
        PaintControl(control, [&s](HWND bar, HDC hdc) { Draw(bar, hdc, s); });
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        OnButtonDown(control, s, lParam);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(control, s, lParam);
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(control, s, lParam);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case SBM_SETPOS: {
        int old = SetPosition(s, static_cast<int>(wParam));
        if (lParam) InvalidateRect(control, nullptr, TRUE);
        return old;
    }
    case SBM_GETPOS:
        return s.position;
    case SBM_SETRANGE: {
        s.minimum = static_cast<int>(wParam);
        s.maximum = static_cast<int>(lParam);
        SetPosition(s, s.position);
        return TRUE;
    }
    case SBM_GETRANGE: {
        if (wParam) *reinterpret_cast<int *>(wParam) = s.minimum;
        if (lParam) *reinterpret_cast<int *>(lParam) = s.maximum;
        return TRUE;
    }
    }
    return DefWindowProcW(control, message, wParam, lParam);
}

}  // namespace

void RegisterScrollBarClass() {
    RegisterSystemClass("ScrollBar", ScrollBarProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
    OnReset([] { bars() = ScrollBars{}; });
}

namespace {

bool IsScrollBarControl(HWND hwnd) { return ControlStateOf<ScrollBarState>(hwnd) != nullptr; }

// The state a SetScroll call works on: the control's for SB_CTL, else the window's own bar.
ScrollState *StateFor(HWND hwnd, int bar) {
    if (bar == SB_CTL) {
        ScrollBarState *control = ControlStateOf<ScrollBarState>(hwnd);
        return control ? &control->bar : nullptr;
    }
    return WindowScrollBar(hwnd, bar);
}

}  // namespace

ScrollState *WindowScrollBar(HWND hwnd, int bar) {
    if (!FindWindowRecord(hwnd) || (bar != SB_HORZ && bar != SB_VERT)) return nullptr;
    Bars &b = bars().windows[hwnd];
    return bar == SB_VERT ? &b.vertical : &b.horizontal;
}

}  // namespace headless

using namespace headless;

int WINAPI SetScrollPos(HWND hwnd, int bar, int position, BOOL redraw) {
    ScrollState *s = StateFor(hwnd, bar);
    if (!s) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int old = SetPosition(*s, position);
    if (redraw) {
        if (bar == SB_CTL) InvalidateRect(hwnd, nullptr, TRUE);
        else if (Window *w = FindWindowRecord(hwnd)) w->needsFrame = w->needsPaint = true;
    }
    return old;
}

// A window's own bars come and go with their style bit; the client area
// grows or shrinks by the bar and the window hears of its new size.
BOOL WINAPI ShowScrollBar(HWND hwnd, int bar, BOOL show) {
    Window *w = FindWindowRecord(hwnd);
    if (!w || bar == SB_CTL) {
        if (w && IsScrollBarControl(hwnd)) return ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE), TRUE;
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD bits = bar == SB_VERT ? WS_VSCROLL : bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL | WS_HSCROLL;  // SB_BOTH
    DWORD style = show ? w->style | bits : w->style & ~bits;
    if (style == w->style) return TRUE;
    w->style = style;
    FrameChanged(hwnd);
    return TRUE;
}

int WINAPI GetScrollPos(HWND hwnd, int bar) {
    ScrollState *s = StateFor(hwnd, bar);
    return s ? s->position : 0;
}

BOOL WINAPI SetScrollRange(HWND hwnd, int bar, int minimum, int maximum, BOOL redraw) {
    ScrollState *s = StateFor(hwnd, bar);
    if (!s) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    s->minimum = minimum;
    s->maximum = maximum;
    SetPosition(*s, s->position);
    if (redraw) {
        if (bar == SB_CTL) InvalidateRect(hwnd, nullptr, TRUE);
        else if (Window *w = FindWindowRecord(hwnd)) w->needsFrame = w->needsPaint = true;
    }
    return TRUE;
}

BOOL WINAPI GetScrollRange(HWND hwnd, int bar, LPINT minimum, LPINT maximum) {
    ScrollState *s = StateFor(hwnd, bar);
    if (!s || !minimum || !maximum) return FALSE;
    *minimum = s->minimum;
    *maximum = s->maximum;
    return TRUE;
}
