// The monitors of the headless screen as user32 reports them: their
// handles, rectangles and work areas, which one a point, a rectangle or a
// window is on, and their DPI; and the system parameters the program asks
// for.
#include "user.h"
#include "../testing/hooks.h"

#include <algorithm>
#include <cstdio>

namespace headless {
namespace {

// Handles stay the same for as long as the monitor is there.
constexpr uintptr_t kMonitorBase = 0x70000;

HMONITOR MonitorHandle(size_t index) { return reinterpret_cast<HMONITOR>(kMonitorBase + 4 * index); }

// The monitor's index, or -1 for a handle that names none.
long MonitorIndex(HMONITOR monitor) {
    uintptr_t h = reinterpret_cast<uintptr_t>(monitor);
    if (h < kMonitorBase || (h - kMonitorBase) % 4) return -1;
    size_t index = (h - kMonitorBase) / 4;
    return index < screen().monitors.size() ? static_cast<long>(index) : -1;
}

int64_t Overlap(const RECT &a, const RECT &b) {
    int64_t w = int64_t{std::min(a.right, b.right)} - std::max(a.left, b.left);
    int64_t h = int64_t{std::min(a.bottom, b.bottom)} - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// Squared distance between two rectangles that do not overlap.
int64_t Distance(const RECT &a, const RECT &b) {
    int64_t dx = std::max<int64_t>({0, int64_t{a.left} - b.right + 1, int64_t{b.left} - a.right + 1});
    int64_t dy = std::max<int64_t>({0, int64_t{a.top} - b.bottom + 1, int64_t{b.top} - a.bottom + 1});
    return dx * dx + dy * dy;
}

// The monitor a rectangle overlaps most; without one, as the flags say.
HMONITOR FromRect(RECT r, DWORD flags) {
    // An empty rectangle stands for its corner.
    if (r.right <= r.left) r.right = r.left + 1;
    if (r.bottom <= r.top) r.bottom = r.top + 1;
    const std::vector<RECT> &monitors = screen().monitors;
    size_t best = 0;
    int64_t most = 0;
    for (size_t i = 0; i < monitors.size(); i++) {
        int64_t area = Overlap(r, monitors[i]);
        if (area > most) most = area, best = i;
    }
    if (most > 0) return MonitorHandle(best);
    if (flags & MONITOR_DEFAULTTONEAREST) {
        for (size_t i = 1; i < monitors.size(); i++)
            if (Distance(r, monitors[i]) < Distance(r, monitors[best])) best = i;
        return MonitorHandle(best);
    }
    return (flags & MONITOR_DEFAULTTOPRIMARY) ? MonitorHandle(0) : nullptr;
}

// What SystemParametersInfo keeps.
struct Settings {
    bool screenSaverRunning = false;
    WorkArea workArea;
};

Settings &settings() {
    static Settings s;
    return s;
}

const bool registered = (OnResetFirst([] { settings() = Settings{}; }), true);

// user32 as Windows 10 1607 and later have it, with the calls older ones
// lack, which the program looks up.
const bool user32 =
    (RegisterSystemModule("user32.dll", {{"GetDpiForWindow", reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(GetDpiForWindow))}}),
     true);

}  // namespace

WorkArea &workArea() { return settings().workArea; }
bool ScreenSaverRunning() { return settings().screenSaverRunning; }

}  // namespace headless

using namespace headless;

BOOL WINAPI EnumDisplayMonitors(HDC hdc, LPCRECT clip, MONITORENUMPROC proc, LPARAM data) {
    if (!proc) return FALSE;
    if (hdc) {
        ReportUnimplemented("EnumDisplayMonitors over a device context");
        return FALSE;
    }
    // The list may change under a callback that resets the machine: walk a copy.
    const std::vector<RECT> monitors = screen().monitors;
    for (size_t i = 0; i < monitors.size(); i++) {
        if (clip && !Overlap(*clip, monitors[i])) continue;
        // The part of the monitor inside the clipping rectangle, as Wine hands
        // it out (the documentation speaks of the whole monitor).
        RECT r = monitors[i];
        if (clip)
            r = {std::max(r.left, clip->left), std::max(r.top, clip->top), std::min(r.right, clip->right),
                 std::min(r.bottom, clip->bottom)};
        // A callback that stops the enumeration makes it fail.
        if (!proc(MonitorHandle(i), nullptr, &r, data)) return FALSE;
    }
    return TRUE;
}

BOOL WINAPI GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) {
    long index = MonitorIndex(monitor);
    if (index < 0) {
        SetLastError(ERROR_INVALID_MONITOR_HANDLE);
        return FALSE;
    }
    if (!info || (info->cbSize != sizeof(MONITORINFO) && info->cbSize != sizeof(MONITORINFOEXW))) return FALSE;
    const RECT &m = screen().monitors[static_cast<size_t>(index)];
    info->rcMonitor = m;
    // A task bar lives on the primary only.
    info->rcWork = index == 0 && workArea().set ? workArea().rect : m;
    info->dwFlags = index == 0 ? MONITORINFOF_PRIMARY : 0;
    if (info->cbSize == sizeof(MONITORINFOEXW))
        CopyOut("\\\\.\\DISPLAY" + std::to_string(index + 1), reinterpret_cast<LPMONITORINFOEXW>(info)->szDevice,
                CCHDEVICENAME, true);
    return TRUE;
}

HMONITOR WINAPI MonitorFromPoint(POINT pt, DWORD flags) { return FromRect(RECT{pt.x, pt.y, pt.x + 1, pt.y + 1}, flags); }

HMONITOR WINAPI MonitorFromRect(LPCRECT rect, DWORD flags) {
    if (!rect) return nullptr;
    return FromRect(*rect, flags);
}

// Every monitor has the screen's DPI, and the program is aware of it per
// monitor (its manifest says so): the DPI as it is, not 96.
UINT WINAPI GetDpiForWindow(HWND hwnd) {
    if (!IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<UINT>(screen().dpi);
}

HMONITOR WINAPI MonitorFromWindow(HWND hwnd, DWORD flags) {
    RECT r;
    if (GetWindowRect(hwnd, &r)) return FromRect(r, flags);
    // A window that is not there is on no monitor: the primary, unless asked for none.
    return (flags & (MONITOR_DEFAULTTOPRIMARY | MONITOR_DEFAULTTONEAREST)) ? MonitorHandle(0) : nullptr;
}

BOOL WINAPI SystemParametersInfoW(UINT action, UINT uiParam, PVOID pvParam, UINT) {
    if (action == SPI_SCREENSAVERRUNNING) {
        settings().screenSaverRunning = uiParam != 0;
        return TRUE;
    }
    if (action == SPI_GETWORKAREA && pvParam) {
        // The whole screen unless a test gave the desktop a task bar, or took the area away.
        const WorkArea &area = workArea();
        if (area.missing) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        // The primary monitor's, as Windows answers on several.
        *static_cast<RECT *>(pvParam) = area.set ? area.rect : RECT{0, 0, screen().width, screen().height};
        return TRUE;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}
