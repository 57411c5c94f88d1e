// The monitors the full-screen window covers, in the window's own
// coordinates: the show plays on the primary as on a single screen, and
// every other monitor repeats its picture.
#include "player/player.h"

namespace {

struct Found {
    std::vector<RECT> monitors;  // screen coordinates
    bool primaryFound = false;
    RECT primary{};
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT rect, LPARAM data) {
    auto *found = reinterpret_cast<Found *>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!found->primaryFound && GetMonitorInfoW(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY)) {
        found->primaryFound = true;
        found->primary = *rect;
    } else {
        found->monitors.push_back(*rect);
    }
    return TRUE;
}

}  // namespace

MonitorLayout MonitorsUnder(HWND hwnd) {
    Found found;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&found));
    // The primary holds the origin; a system that names none has only it.
    if (!found.primaryFound) found.primary = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    MonitorLayout layout;
    layout.primary = found.primary;
    OffsetRect(&layout.primary, -origin.x, -origin.y);
    for (RECT r : found.monitors) {
        OffsetRect(&r, -origin.x, -origin.y);
        layout.others.push_back(r);
    }
    return layout;
}
