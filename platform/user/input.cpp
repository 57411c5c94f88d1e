// The cursor, system metrics and colours, the icons and cursors handed out
// by name, and rectangle arithmetic.
#include "user.h"
#include "../testing/hooks.h"

#include <algorithm>

namespace headless {
namespace {

struct CursorState {
    POINT pos{320, 240};
    int showCount = 0;
    HCURSOR current = nullptr;
    std::vector<HCURSOR> history;  // every cursor set, for the tests
    HBRUSH colorBrushes[COLOR_3DLIGHT + 1] = {};  // made when first asked for
    bool keysDown[256] = {};
};

CursorState &cursor() {
    static CursorState c;
    return c;
}

// Handles of the system cursors and icons: small tagged values.
constexpr uintptr_t kSystemCursorBase = 0x20000;
constexpr uintptr_t kIconBase = 0x30000;

const bool registered = (OnReset([] {
    cursor() = CursorState{};
    cursor().pos = {screen().width / 2, screen().height / 2};
}), true);

}  // namespace

int CursorShowCount() { return cursor().showCount; }
const std::vector<HCURSOR> &CursorHistory() { return cursor().history; }

void NoteKey(UINT message, WPARAM key) {
    if (key > 255) return;
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) cursor().keysDown[key] = true;
    else if (message == WM_KEYUP || message == WM_SYSKEYUP) cursor().keysDown[key] = false;
}

}  // namespace headless

using namespace headless;

SHORT WINAPI GetKeyState(int key) {
    return key >= 0 && key < 256 && cursor().keysDown[key] ? static_cast<SHORT>(0x8000) : 0;
}

int WINAPI ShowCursor(BOOL show) { return cursor().showCount += show ? 1 : -1; }

BOOL WINAPI GetCursorPos(LPPOINT point) {
    if (!point) return FALSE;
    *point = cursor().pos;
    return TRUE;
}

BOOL WINAPI SetCursorPos(int x, int y) {
    // The cursor stays on a monitor: off them all, it goes to the nearest one's edge.
    RECT m{};
    MONITORINFO info{sizeof info, {}, {}, 0};
    if (GetMonitorInfoW(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST), &info)) m = info.rcMonitor;
    POINT p{std::clamp<LONG>(x, m.left, m.right - 1), std::clamp<LONG>(y, m.top, m.bottom - 1)};
    POINT old = cursor().pos;
    cursor().pos = p;
    // Windows tells the window under the cursor that the mouse moved.
    if (p.x != old.x || p.y != old.y) {
        if (HWND target = WindowAtPoint(p)) {
            RECT r = ClientRectOnScreen(*FindWindowRecord(target));
            PostInput(target, WM_MOUSEMOVE, 0, MAKELPARAM(p.x - r.left, p.y - r.top));
        }
    }
    return TRUE;
}

HCURSOR WINAPI SetCursor(HCURSOR c) {
    HCURSOR previous = cursor().current;
    cursor().current = c;
    cursor().history.push_back(c);
    return previous;
}

HCURSOR WINAPI GetCursor() { return cursor().current; }

namespace {

HCURSOR LoadCursorOf(HINSTANCE instance, bool ordinal, ULONG_PTR id) {
    if (instance == nullptr && ordinal) return reinterpret_cast<HCURSOR>(kSystemCursorBase + LOWORD(id));
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

HICON LoadIconOf(HINSTANCE instance, const ResourceId &name, bool ordinal) {
    if (instance == nullptr && ordinal) return reinterpret_cast<HICON>(kIconBase + name.id);
    const Resource *r =
        (instance == MainInstance()) ? FindResourceRecord(name, ResourceId{14, {}}) : nullptr;  // RT_GROUP_ICON
    if (!r) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HICON>(kIconBase + 0x1000 + (r - Resources().data()));
}

}  // namespace

HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name) {
    return LoadCursorOf(instance, IS_INTRESOURCE(name), reinterpret_cast<ULONG_PTR>(name));
}

HICON WINAPI LoadIconW(HINSTANCE instance, LPCWSTR name) {
    return LoadIconOf(instance, ResourceId::From(name), IS_INTRESOURCE(name));
}

// Sizes as Wine's default look has them.
int WINAPI GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN: return screen().width;
    case SM_CYSCREEN: return screen().height;
    case SM_XVIRTUALSCREEN: return screen().bounds.left;
    case SM_YVIRTUALSCREEN: return screen().bounds.top;
    case SM_CXVIRTUALSCREEN: return screen().bounds.right - screen().bounds.left;
    case SM_CYVIRTUALSCREEN: return screen().bounds.bottom - screen().bounds.top;
    case SM_CMONITORS: return static_cast<int>(screen().monitors.size());
    case SM_SAMEDISPLAYFORMAT: return TRUE;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB: return 17;
    case SM_CYCAPTION: return 19;
    case SM_CYMENU: return 19;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK: return 13;  // the check box's square, as buttons draw it
    }
    return 0;
}

DWORD WINAPI GetSysColor(int index) { return SystemColor(index); }

HBRUSH WINAPI GetSysColorBrush(int index) {
    if (index < 0 || index > COLOR_3DLIGHT) return nullptr;
    HBRUSH &brush = cursor().colorBrushes[index];
    if (!brush) brush = CreateSolidBrush(SystemColor(index));
    return brush;
}

BOOL WINAPI InflateRect(LPRECT rect, int dx, int dy) {
    if (!rect) return FALSE;
    rect->left -= dx;
    rect->right += dx;
    rect->top -= dy;
    rect->bottom += dy;
    return TRUE;
}

BOOL WINAPI PtInRect(const RECT *rect, POINT p) {
    return rect && p.x >= rect->left && p.x < rect->right && p.y >= rect->top && p.y < rect->bottom;
}

BOOL WINAPI OffsetRect(LPRECT rect, int dx, int dy) {
    if (!rect) return FALSE;
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
    return TRUE;
}

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (!rect) return FALSE;
    *rect = {left, top, right, bottom};
    return TRUE;
}
