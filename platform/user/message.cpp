// The thread's message queue: posted and input messages, WM_QUIT, WM_PAINT
// and WM_TIMER in the order Windows retrieves them, and the default window
// procedure.
#include "user.h"
#include "../testing/hooks.h"

#include <algorithm>
#include <cstring>
#include <deque>

namespace headless {
namespace {

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT elapse;
    uint64_t due;
    TIMERPROC proc;
};

struct Scheduled {
    int id;
    uint64_t when;
    std::function<void()> fn;
};

struct Queue {
    std::deque<MSG> posted;
    std::vector<Scheduled> scheduled;
    int nextScheduled = 1;
    bool quit = false;
    int quitCode = 0;
    std::vector<Timer> timers;
    UINT_PTR nextThreadTimer = 1;
};

Queue &queue() {
    static Queue q;
    return q;
}

// Times Esc was pressed on a virtual clock with nothing left to wait for.
int idlePresses = 0;

const bool registered = (OnReset([] {
                             queue() = Queue{};
                             idlePresses = 0;
                         }),
                         true);

bool InRange(UINT message, UINT first, UINT last) {
    if (first == 0 && last == 0) return true;
    return message >= first && message <= last;
}

bool WindowMatches(HWND msgWindow, HWND filter) {
    if (!filter) return true;
    if (filter == reinterpret_cast<HWND>(-1)) return msgWindow == nullptr;
    for (HWND h = msgWindow; h; ) {
        if (h == filter) return true;
        Window *w = FindWindowRecord(h);
        if (!w || !(w->style & WS_CHILD)) break;
        h = w->parent;
    }
    return false;
}

MSG MakeMsg(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m{hwnd, message, wParam, lParam, static_cast<DWORD>(Now()), {}};
    GetCursorPos(&m.pt);
    return m;
}

// Device events whose time has come, in time order.
void RunDueEvents() {
    Queue &q = queue();
    for (;;) {
        auto due = q.scheduled.end();
        for (auto it = q.scheduled.begin(); it != q.scheduled.end(); ++it)
            if (it->when <= Now() && (due == q.scheduled.end() || it->when < due->when)) due = it;
        if (due == q.scheduled.end()) return;
        std::function<void()> fn = std::move(due->fn);
        q.scheduled.erase(due);
        fn();
    }
}

// The next message as Windows would pick it, without waiting.
bool Pick(MSG *out, HWND hwnd, UINT first, UINT last, bool remove) {
    Queue &q = queue();
    RunDueEvents();
    for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
        if (!InRange(it->message, first, last) || !WindowMatches(it->hwnd, hwnd)) continue;
        *out = *it;
        if (remove) q.posted.erase(it);
        return true;
    }
    if (q.quit) {
        *out = MakeMsg(nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0);
        if (remove) q.quit = false;
        return true;
    }
    if (InRange(WM_PAINT, first, last)) {
        for (Window *w : AllWindows()) {
            if (w->needsPaint && IsWindowVisible(w->handle) && WindowMatches(w->handle, hwnd)) {
                *out = MakeMsg(w->handle, WM_PAINT, 0, 0);
                return true;
            }
        }
    }
    if (InRange(WM_TIMER, first, last)) {
        uint64_t now = Now();
        Timer *due = nullptr;
        for (Timer &t : q.timers)
            if (t.due <= now && WindowMatches(t.hwnd, hwnd) && (!due || t.due < due->due)) due = &t;
        if (due) {
            *out = MakeMsg(due->hwnd, WM_TIMER, due->id, reinterpret_cast<LPARAM>(due->proc));
            if (remove) due->due = now + due->elapse;
            return true;
        }
    }
    return false;
}

// The run's time limit has come: the user presses Esc, which ends the saver
// as any key does and cancels the dialog in front.
bool FireTimeLimit() {
    TimeLimit &limit = timeLimit();
    if (!limit.set || limit.fired || Now() < limit.at) return false;
    limit.fired = true;
    // The run's picture is what the user saw before the key ended it.
    TakeRunScreenshot();
    HWND target = GetFocus() ? GetFocus() : GetForegroundWindow();
    PostInput(target, WM_KEYDOWN, VK_ESCAPE, 1);
    PostInput(target, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0000001u));
    return true;
}


}  // namespace

void PostInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    queue().posted.push_back(MakeMsg(hwnd, message, wParam, lParam));
}

int ScheduleAt(uint64_t when, std::function<void()> fn) {
    Queue &q = queue();
    q.scheduled.push_back({q.nextScheduled, when, std::move(fn)});
    return q.nextScheduled++;
}

void CancelScheduled(int id) {
    auto &s = queue().scheduled;
    s.erase(std::remove_if(s.begin(), s.end(), [&](const Scheduled &e) { return e.id == id; }), s.end());
}

uint64_t NextEventTime() {
    uint64_t next = UINT64_MAX;
    for (const auto &t : queue().timers) next = std::min(next, t.due);
    for (const auto &e : queue().scheduled) next = std::min(next, e.when);
    return next;
}

void PurgeMessagesFor(HWND hwnd) {
    auto &p = queue().posted;
    p.erase(std::remove_if(p.begin(), p.end(), [&](const MSG &m) { return m.hwnd == hwnd; }), p.end());
}

void KillTimersFor(HWND hwnd) {
    auto &t = queue().timers;
    t.erase(std::remove_if(t.begin(), t.end(), [&](const Timer &x) { return x.hwnd == hwnd; }), t.end());
}

}  // namespace headless

using namespace headless;

BOOL WINAPI PeekMessageW(LPMSG msg, HWND hwnd, UINT first, UINT last, UINT remove) {
    if (!msg) return FALSE;
    FireTimeLimit();
    if (!Pick(msg, hwnd, first, last, (remove & PM_REMOVE) != 0)) return FALSE;
    if (remove & PM_REMOVE) NoteKey(msg->message, msg->wParam);
    return TRUE;
}

BOOL WINAPI GetMessageW(LPMSG msg, HWND hwnd, UINT first, UINT last) {
    if (!msg) return -1;
    for (;;) {
        FireTimeLimit();
        if (Pick(msg, hwnd, first, last, true)) {
            NoteKey(msg->message, msg->wParam);
            return msg->message != WM_QUIT;
        }
        // Idle: what was drawn is on the screen; wait for the next timer or the end of the run.
        WritePendingFrame();
        uint64_t next = NextEventTime();
        TimeLimit &limit = timeLimit();
        if (limit.set && !limit.fired) next = std::min(next, limit.at);
        if (next == UINT64_MAX) {
            if (ClockIsVirtual()) {
                // Nothing will ever happen on a virtual clock: end as the time
                // limit would, again for each dialog still up, and when Esc
                // ends nothing, as a WM_QUIT ends every loop.
                if (++idlePresses > 8) {
                    idlePresses = 0;
                    PostQuitMessage(1);
                    continue;
                }
                limit = TimeLimit{true, Now(), false};
                continue;
            }
            next = Now() + 50;
        }
        AdvanceClockTo(next);
    }
}

BOOL WINAPI TranslateMessage(const MSG *msg) {
    return msg && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN);
}

LRESULT WINAPI DispatchMessageW(const MSG *msg) {
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (!msg->hwnd) return 0;
    return SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WINAPI PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd && !IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // System messages whose parameters point into the sender's memory can only be sent.
    switch (message) {
    case WM_CREATE:
    case WM_NCCREATE:
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_HELP:
        SetLastError(ERROR_MESSAGE_SYNC_ONLY);
        return FALSE;
    }
    queue().posted.push_back(MakeMsg(hwnd, message, wParam, lParam));
    return TRUE;
}

LRESULT WINAPI SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return w->proc(hwnd, message, wParam, lParam);
}

LRESULT WINAPI CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

VOID WINAPI PostQuitMessage(int exitCode) {
    queue().quit = true;
    queue().quitCode = exitCode;
}

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (hwnd && !IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    // USER_TIMER_MINIMUM and USER_TIMER_MAXIMUM
    elapse = std::clamp<UINT>(elapse, 10, 0x7FFFFFFF);
    Queue &q = queue();
    if (!hwnd) id = q.nextThreadTimer++;
    for (auto &t : q.timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t = Timer{hwnd, id, elapse, Now() + elapse, proc};
            return hwnd ? 1 : id;
        }
    }
    q.timers.push_back({hwnd, id, elapse, Now() + elapse, proc});
    return hwnd ? 1 : id;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
    auto &t = queue().timers;
    auto it = std::find_if(t.begin(), t.end(), [&](const auto &x) { return x.hwnd == hwnd && x.id == id; });
    if (it == t.end()) {
        SetLastError(ERROR_INVALID_TIMER_ID);
        return FALSE;
    }
    t.erase(it);
    // A WM_TIMER of this timer already in the queue goes too.
    auto &p = queue().posted;
    p.erase(std::remove_if(p.begin(), p.end(),
                           [&](const MSG &m) { return m.message == WM_TIMER && m.hwnd == hwnd && m.wParam == id; }),
            p.end());
    return TRUE;
}

LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) return 0;
    switch (message) {
    case WM_NCCREATE: {
        auto *cs = reinterpret_cast<CREATESTRUCTW *>(lParam);
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) w->title = Utf8(cs->lpszName);
        return TRUE;
    }
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_ERASEBKGND: {
        HBRUSH brush = w->cls->wc.hbrBackground;
        if (!brush) return 0;
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
        return 1;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_SETTEXT:
        w->title = Utf8(reinterpret_cast<LPCWSTR>(lParam));
        if ((w->style & WS_CAPTION) == WS_CAPTION && IsWindowVisible(hwnd)) DrawNonClient(hwnd);
        return TRUE;
    case WM_GETTEXT:
        if (wParam == 0) return 0;
        return static_cast<LRESULT>(CopyOut(w->title, reinterpret_cast<LPWSTR>(lParam), wParam, true));
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(Utf16(w->title).size());
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageW(hwnd, WM_CLOSE, 0, 0);
        if ((wParam & 0xFFF0) == SC_MOUSEMENU)
            TrackMenuBar(hwnd, POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case WM_NCLBUTTONDOWN:
        // A press on the menu bar opens the menu.
        if (wParam == HTMENU) SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOUSEMENU, lParam);
        return 0;
    case WM_HELP:
    case WM_CONTEXTMENU:
        // A child passes the request up to its parent.
        if ((w->style & WS_CHILD) && w->parent) return SendMessageW(w->parent, message, wParam, lParam);
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_ACTIVATE;
    case WM_NCHITTEST:
        return NonClientHitTest(hwnd, POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    case WM_NCPAINT:
        if (IsWindowVisible(hwnd)) DrawNonClient(hwnd);
        return 0;
    case WM_NCACTIVATE:
        // The caption shows whether the window is the active one.
        if ((w->style & WS_CAPTION) == WS_CAPTION && IsWindowVisible(hwnd)) DrawNonClient(hwnd);
        return TRUE;
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR: {
        // Controls draw on the dialog's face colour; lists on the window colour.
        HDC hdc = reinterpret_cast<HDC>(wParam);
        SetTextColor(hdc, SystemColor(COLOR_WINDOWTEXT));
        int back = message == WM_CTLCOLORLISTBOX ? COLOR_WINDOW
                   : message == WM_CTLCOLORSCROLLBAR ? COLOR_SCROLLBAR : COLOR_BTNFACE;
        SetBkColor(hdc, SystemColor(back));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(back));
    }
    case WM_GETFONT:
        return 0;
    }
    return 0;
}
