// Window classes and windows: creation and destruction with the messages
// Windows sends on the way, geometry, titles, visibility and activation.
#include "../internal.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <list>
#include <memory>

namespace layer {
namespace {

constexpr uintptr_t kDesktop = 0x10010;
constexpr uintptr_t kFirstWindow = 0x10020;

struct WindowTable {
    std::list<WindowClass> classes;
    std::vector<std::unique_ptr<Window>> windows;  // z-order, bottom first
    uintptr_t next = kFirstWindow;
    HWND foreground = nullptr;
    HWND focus = nullptr;
    bool appActive = false;
};

WindowTable &table() {
    static WindowTable t;
    return t;
}

WindowClass *FindClass(LPCSTR name) {
    if (!name) return nullptr;
    for (WindowClass &c : table().classes) {
        if (IS_INTRESOURCE(name)) continue;
        if (strcasecmp(c.name.c_str(), name) == 0) return &c;
    }
    return nullptr;
}

bool IsChild(const Window &w) { return (w.style & WS_CHILD) != 0; }

HWND TopLevelOf(HWND hwnd) {
    Window *w = FindWindowRecord(hwnd);
    while (w && IsChild(*w) && w->parent) w = FindWindowRecord(w->parent);
    return w ? w->handle : nullptr;
}

void Activate(HWND hwnd) {
    WindowTable &t = table();
    HWND old = t.foreground;
    if (old == hwnd) return;
    bool wasActive = t.appActive;
    t.foreground = hwnd;
    t.appActive = hwnd != nullptr;
    if (old && IsWindow(old)) {
        SendMessageA(old, WM_NCACTIVATE, FALSE, 0);
        SendMessageA(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hwnd));
    }
    if (!hwnd) return;
    if (!wasActive) {
        for (Window *w : AllWindows())
            if (!IsChild(*w)) SendMessageA(w->handle, WM_ACTIVATEAPP, TRUE, 0);
    }
    if (!IsWindow(hwnd)) return;
    SendMessageA(hwnd, WM_NCACTIVATE, TRUE, 0);
    SendMessageA(hwnd, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
    if (IsWindow(hwnd)) {
        t.focus = hwnd;
        SendMessageA(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    }
}

void BringToTop(HWND hwnd) {
    auto &ws = table().windows;
    auto it = std::find_if(ws.begin(), ws.end(), [&](auto &w) { return w->handle == hwnd; });
    if (it == ws.end()) return;
    std::unique_ptr<Window> w = std::move(*it);
    ws.erase(it);
    ws.push_back(std::move(w));
}

void SetVisible(Window &w, bool visible) {
    if (w.visible == visible) return;
    HWND h = w.handle;
    SendMessageA(h, WM_SHOWWINDOW, visible, 0);
    Window *again = FindWindowRecord(h);
    if (!again) return;
    again->visible = visible;
    if (visible) {
        again->needsPaint = true;
        again->needsErase = true;
    }
}

const bool registered = (OnReset([] {
    // Windows left over by a test go without running their procedures again.
    table().windows.clear();
    table().classes.clear();
    table().foreground = table().focus = nullptr;
    table().appActive = false;
}), true);

}  // namespace

Window *FindWindowRecord(HWND hwnd) {
    for (auto &w : table().windows)
        if (w->handle == hwnd && !w->destroying) return w.get();
    return nullptr;
}

std::vector<Window *> AllWindows() {
    std::vector<Window *> list;
    for (auto &w : table().windows)
        if (!w->destroying) list.push_back(w.get());
    return list;
}

HWND DesktopHandle() { return reinterpret_cast<HWND>(kDesktop); }

RECT ClientRectOnScreen(const Window &w) { return w.rect; }

HWND WindowAtPoint(POINT pt) {
    auto list = AllWindows();
    HWND best = nullptr;
    // Top-level windows in z-order, top first; then the deepest child under the point.
    for (auto it = list.rbegin(); it != list.rend() && !best; ++it) {
        Window *w = *it;
        if (IsChild(*w) || !w->visible) continue;
        if (pt.x >= w->rect.left && pt.x < w->rect.right && pt.y >= w->rect.top && pt.y < w->rect.bottom)
            best = w->handle;
    }
    for (bool deeper = best != nullptr; deeper;) {
        deeper = false;
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            Window *w = *it;
            if (w->parent == best && IsChild(*w) && w->visible && pt.x >= w->rect.left && pt.x < w->rect.right &&
                pt.y >= w->rect.top && pt.y < w->rect.bottom) {
                best = w->handle;
                deeper = true;
                break;
            }
        }
    }
    return best;
}

HWND ForegroundWindow() { return table().foreground; }

// Another program takes the foreground: our windows hear that the
// application was deactivated.
void ActivateOtherApplication() {
    WindowTable &t = table();
    HWND old = t.foreground;
    t.foreground = nullptr;
    t.focus = nullptr;
    t.appActive = false;
    if (old && IsWindow(old)) {
        SendMessageA(old, WM_NCACTIVATE, FALSE, 0);
        SendMessageA(old, WM_ACTIVATE, WA_INACTIVE, 0);
    }
    for (Window *w : AllWindows())
        if (!IsChild(*w)) SendMessageA(w->handle, WM_ACTIVATEAPP, FALSE, 0);
}

}  // namespace layer

using namespace layer;

ATOM WINAPI RegisterClassA(const WNDCLASSA *wc) {
    if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !wc->lpfnWndProc) {
        SetLastError(87);
        return 0;
    }
    if (FindClass(wc->lpszClassName)) {
        SetLastError(1410);  // ERROR_CLASS_ALREADY_EXISTS
        return 0;
    }
    table().classes.push_back({wc->lpszClassName, *wc});
    return static_cast<ATOM>(0xC000 + table().classes.size());
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
    auto &cs = table().classes;
    for (auto it = cs.begin(); it != cs.end(); ++it) {
        if (!IS_INTRESOURCE(className) && strcasecmp(it->name.c_str(), className) == 0) {
            for (Window *w : AllWindows())
                if (w->cls == &*it) {
                    SetLastError(1412);  // ERROR_CLASS_HAS_WINDOWS
                    return FALSE;
                }
            cs.erase(it);
            return TRUE;
        }
    }
    SetLastError(1411);  // ERROR_CLASS_DOES_NOT_EXIST
    return FALSE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    WindowClass *cls = FindClass(className);
    if (!cls) {
        SetLastError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
        return nullptr;
    }
    Window *parentRecord = parent ? FindWindowRecord(parent) : nullptr;
    if (parent && !parentRecord && parent != DesktopHandle()) {
        SetLastError(1400);  // ERROR_INVALID_WINDOW_HANDLE
        return nullptr;
    }
    if ((style & WS_CHILD) && !parent) {
        SetLastError(1406);  // ERROR_TLW_WITH_WSCHILD
        return nullptr;
    }
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) width = height = 0;

    auto record = std::make_unique<Window>();
    Window &w = *record;
    w.handle = reinterpret_cast<HWND>(table().next);
    table().next += 4;
    w.cls = cls;
    w.style = style & ~WS_VISIBLE;
    w.exStyle = exStyle;
    w.proc = cls->wc.lpfnWndProc;
    if (style & WS_CHILD) {
        w.parent = parent;
        RECT origin = parentRecord ? parentRecord->rect : RECT{};
        w.rect = {origin.left + x, origin.top + y, origin.left + x + width, origin.top + y + height};
    } else {
        w.owner = parentRecord ? TopLevelOf(parent) : nullptr;
        w.rect = {x, y, x + width, y + height};
    }
    HWND hwnd = w.handle;
    table().windows.push_back(std::move(record));

    CREATESTRUCTA cs{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style), title, className,
                     exStyle};
    if (!SendMessageA(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        DestroyWindow(hwnd);
        SetLastError(1400);
        return nullptr;
    }
    if (SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!IsWindow(hwnd)) return nullptr;
    SendMessageA(hwnd, WM_SIZE, 0, MAKELPARAM(width, height));
    SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
    if ((style & WS_VISIBLE) && IsWindow(hwnd)) {
        Window *again = FindWindowRecord(hwnd);
        again->style |= WS_VISIBLE;
        SetVisible(*again, true);
        if (!(style & WS_CHILD) && IsWindow(hwnd)) Activate(hwnd);
    }
    return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hwnd) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) {
        SetLastError(1400);
        return FALSE;
    }
    // Owned windows go first, then this window, its children after it.
    for (Window *o : AllWindows())
        if (o->owner == hwnd) DestroyWindow(o->handle);
    w = FindWindowRecord(hwnd);
    if (!w) return TRUE;
    if (w->visible) {
        w->visible = false;
        w->style &= ~WS_VISIBLE;
    }
    WindowTable &t = table();
    if (t.foreground == hwnd) {
        t.foreground = nullptr;
        SendMessageA(hwnd, WM_NCACTIVATE, FALSE, 0);
        SendMessageA(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
    }
    if (t.focus == hwnd) t.focus = nullptr;
    KillTimersFor(hwnd);
    SendMessageA(hwnd, WM_DESTROY, 0, 0);
    for (Window *c : AllWindows())
        if (c->parent == hwnd) DestroyWindow(c->handle);
    SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
    w = FindWindowRecord(hwnd);
    if (w) w->destroying = true;
    KillTimersFor(hwnd);
    PurgeMessagesFor(hwnd);
    auto &ws = t.windows;
    ws.erase(std::remove_if(ws.begin(), ws.end(), [&](auto &r) { return r->handle == hwnd; }), ws.end());
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hwnd) { return hwnd == DesktopHandle() || FindWindowRecord(hwnd) != nullptr; }

BOOL WINAPI IsWindowVisible(HWND hwnd) {
    if (hwnd == DesktopHandle()) return TRUE;
    for (Window *w = FindWindowRecord(hwnd); w; w = IsChild(*w) ? FindWindowRecord(w->parent) : nullptr) {
        if (!w->visible) return FALSE;
        if (!IsChild(*w)) return TRUE;
    }
    return FALSE;
}

BOOL WINAPI ShowWindow(HWND hwnd, int command) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    bool was = w->visible;
    bool show = command != SW_HIDE;
    if (show) w->style |= WS_VISIBLE;
    else w->style &= ~WS_VISIBLE;
    SetVisible(*w, show);
    if (show && (command == SW_SHOW || command == SW_SHOWNORMAL) && IsWindow(hwnd) && !IsChild(*w)) {
        BringToTop(hwnd);
        Activate(hwnd);
    }
    return was;
}

BOOL WINAPI UpdateWindow(HWND hwnd) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    if (w->needsPaint && w->visible) SendMessageA(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR title) {
    auto list = AllWindows();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        Window *w = *it;
        if (IsChild(*w)) continue;
        if (className && strcasecmp(w->cls->name.c_str(), className) != 0) continue;
        if (title && w->title != title) continue;
        return w->handle;
    }
    return nullptr;
}

HWND WINAPI GetForegroundWindow() { return table().foreground; }
HWND WINAPI GetActiveWindow() { return table().foreground; }
HWND WINAPI GetFocus() { return table().focus; }

BOOL WINAPI SetForegroundWindow(HWND hwnd) {
    HWND top = TopLevelOf(hwnd);
    if (!top) return FALSE;
    BringToTop(top);
    Activate(top);
    return TRUE;
}

HWND WINAPI GetParent(HWND hwnd) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) {
        SetLastError(1400);
        return nullptr;
    }
    return IsChild(*w) ? w->parent : w->owner;
}

HWND WINAPI GetDesktopWindow() { return DesktopHandle(); }

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
    if (!rect) return FALSE;
    if (hwnd == DesktopHandle()) {
        *rect = {0, 0, screen().width, screen().height};
        return TRUE;
    }
    Window *w = FindWindowRecord(hwnd);
    if (!w) {
        SetLastError(1400);
        return FALSE;
    }
    *rect = w->rect;
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
    RECT r;
    if (!rect || !GetWindowRect(hwnd, &r)) return FALSE;
    *rect = {0, 0, r.right - r.left, r.bottom - r.top};
    return TRUE;
}

BOOL WINAPI SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    RECT origin{};
    if (IsChild(*w)) GetWindowRect(w->parent, &origin);
    RECT r = w->rect;
    if (!(flags & SWP_NOMOVE)) {
        r.right += origin.left + x - r.left;
        r.bottom += origin.top + y - r.top;
        r.left = origin.left + x;
        r.top = origin.top + y;
    }
    if (!(flags & SWP_NOSIZE)) {
        r.right = r.left + cx;
        r.bottom = r.top + cy;
    }
    w->rect = r;
    if (!(flags & SWP_NOZORDER)) BringToTop(hwnd);
    SendMessageA(hwnd, WM_SIZE, 0, MAKELPARAM(r.right - r.left, r.bottom - r.top));
    if (Window *again = FindWindowRecord(hwnd)) again->needsPaint = again->needsErase = true;
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER);
}

LONG WINAPI GetWindowLongA(HWND hwnd, int index) { return static_cast<LONG>(GetWindowLongPtrA(hwnd, index)); }

LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) {
        SetLastError(1400);
        return 0;
    }
    switch (index) {
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(IsChild(*w) ? w->parent : w->owner);
    }
    SetLastError(1413);  // ERROR_INVALID_INDEX
    return 0;
}

int WINAPI GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
    if (!buffer || size <= 0) return 0;
    return static_cast<int>(SendMessageA(hwnd, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer)));
}

BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text) {
    if (!IsWindow(hwnd)) return FALSE;
    return static_cast<BOOL>(SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

int WINAPI GetClassNameA(HWND hwnd, LPSTR buffer, int size) {
    Window *w = FindWindowRecord(hwnd);
    if (!w || !buffer || size <= 0) return 0;
    size_t n = std::min(w->cls->name.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, w->cls->name.data(), n);
    buffer[n] = 0;
    return static_cast<int>(n);
}

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT *, BOOL erase) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    w->needsPaint = true;
    if (erase) w->needsErase = true;
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND hwnd, const RECT *) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    w->needsPaint = false;
    return TRUE;
}
