// Window classes and windows: creation and destruction with the messages
// Windows sends on the way, geometry, titles, visibility and activation.
#include "user.h"
#include "../testing/hooks.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <list>
#include <memory>

namespace headless {
namespace {

constexpr uintptr_t kDesktop = 0x10010;
constexpr uintptr_t kFirstWindow = 0x10020;

struct WindowTable {
    std::list<WindowClass> classes;
    std::list<WindowClass> systemClasses;  // the controls and the dialog: registered once, kept across resets
    std::vector<std::unique_ptr<Window>> windows;  // z-order, bottom first
    uintptr_t next = kFirstWindow;
    HWND foreground = nullptr;
    HWND focus = nullptr;
    HWND capture = nullptr;
    bool appActive = false;
};

WindowTable &table() {
    static WindowTable t;
    return t;
}

// The system's own classes, there from the start.
const bool systemClasses = [] {
    RegisterStaticClass();
    RegisterButtonClass();
    RegisterScrollBarClass();
    RegisterListBoxClasses();
    RegisterComboBoxClass();
    RegisterDialogClass();
    RegisterMenuClass();
    return true;
}();

WindowClass *FindClass(const std::string &name) {
    for (auto *list : {&table().classes, &table().systemClasses})
        for (WindowClass &c : *list)
            if (SameName(c.name, name)) return &c;
    return nullptr;
}

bool IsChild(const Window &w) { return (w.style & WS_CHILD) != 0; }

// Whether w lies inside ancestor (a child, a child's child ...).
bool IsInside(const Window &w, HWND ancestor) {
    for (const Window *p = &w; p && IsChild(*p); p = FindWindowRecord(p->parent))
        if (p->parent == ancestor) return true;
    return false;
}

// The width of a window's border on each side, by its style, as Windows
// measures it for AdjustWindowRectEx.
int FrameWidth(DWORD style, DWORD exStyle) {
    int width = 0;
    if (style & WS_THICKFRAME) width = GetSystemMetrics(SM_CXFRAME);
    else if ((exStyle & WS_EX_DLGMODALFRAME) || (style & WS_DLGFRAME)) width = GetSystemMetrics(SM_CXDLGFRAME);
    else if (style & WS_BORDER) width = GetSystemMetrics(SM_CXBORDER);
    if (exStyle & WS_EX_CLIENTEDGE) width += GetSystemMetrics(SM_CXEDGE);
    if (exStyle & WS_EX_STATICEDGE) width += GetSystemMetrics(SM_CXBORDER);
    return width;
}

RECT Insets(DWORD style, DWORD exStyle, bool menu) {
    int frame = FrameWidth(style, exStyle);
    RECT in{frame, frame, frame, frame};
    if ((style & WS_CAPTION) == WS_CAPTION) in.top += GetSystemMetrics(SM_CYCAPTION);
    if (menu) in.top += GetSystemMetrics(SM_CYMENU);
    return in;
}

bool HasMenuBar(const Window &w) { return w.menu && !IsChild(w); }

// Moves a window's children (and theirs) with it.
void MoveDescendants(HWND hwnd, int dx, int dy) {
    if (!dx && !dy) return;
    for (Window *c : AllWindows())
        if (IsInside(*c, hwnd)) OffsetRect(&c->rect, dx, dy);
}

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
        SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
        SendMessageW(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hwnd));
    }
    if (!hwnd) return;
    if (!wasActive) {
        for (Window *w : AllWindows())
            if (!IsChild(*w)) SendMessageW(w->handle, WM_ACTIVATEAPP, TRUE, 0);
    }
    if (!IsWindow(hwnd)) return;
    SendMessageW(hwnd, WM_NCACTIVATE, TRUE, 0);
    SendMessageW(hwnd, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
    if (IsWindow(hwnd)) {
        t.focus = hwnd;
        SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    }
}

// The active window goes out of sight: its owner takes the activation when
// it can, else the topmost other window that can, as Windows passes it on.
void ActivateAnotherThan(const Window &gone) {
    if (table().foreground != gone.handle) return;
    auto can = [&](const Window *w) {
        return w && w->handle != gone.handle && !IsChild(*w) && w->visible && !w->destroying &&
               IsWindowEnabled(w->handle);
    };
    HWND next = nullptr;
    if (gone.owner && can(FindWindowRecord(gone.owner))) next = gone.owner;
    auto list = AllWindows();
    for (auto it = list.rbegin(); !next && it != list.rend(); ++it)
        if (can(*it)) next = (*it)->handle;
    if (next) {
        Activate(next);
        return;
    }
    table().foreground = nullptr;
    SendMessageW(gone.handle, WM_NCACTIVATE, FALSE, 0);
    SendMessageW(gone.handle, WM_ACTIVATE, WA_INACTIVE, 0);
}

// A window comes to the top with everything inside it, in the same order.
void BringToTop(HWND hwnd) {
    auto &ws = table().windows;
    auto moves = [&](const std::unique_ptr<Window> &w) { return w->handle == hwnd || IsInside(*w, hwnd); };
    auto keep = std::stable_partition(ws.begin(), ws.end(), [&](auto &w) { return !moves(w); });
    (void)keep;
}

// What a window that goes out of sight leaves: the desktop (black) where a
// top-level window was, and everything it covered painted again.
void ExposeBehind(const Window &gone) {
    if (IsChild(gone)) {
        if (gone.parent) InvalidateTree(gone.parent);
        return;
    }
    HDC screenDc = GetDC(nullptr);
    RECT r = gone.rect;
    PatBlt(screenDc, r.left, r.top, r.right - r.left, r.bottom - r.top, BLACKNESS);
    ReleaseDC(nullptr, screenDc);
    for (Window *w : AllWindows()) {
        RECT overlap;
        if (w->handle != gone.handle && !IsChild(*w) && w->visible &&
            (overlap.left = std::max(r.left, w->rect.left)) < (overlap.right = std::min(r.right, w->rect.right)) &&
            (overlap.top = std::max(r.top, w->rect.top)) < (overlap.bottom = std::min(r.bottom, w->rect.bottom)))
            InvalidateTree(w->handle);
    }
}

void SetVisible(Window &w, bool visible) {
    if (w.visible == visible) return;
    HWND h = w.handle;
    SendMessageW(h, WM_SHOWWINDOW, visible, 0);
    Window *again = FindWindowRecord(h);
    if (!again) return;
    again->visible = visible;
    if (visible) InvalidateTree(h);
    else ExposeBehind(*again);
}

const bool registered = (OnReset([] {
    // Windows left over by a test go without running their procedures again.
    table().windows.clear();
    table().classes.clear();
    table().foreground = table().focus = table().capture = nullptr;
    table().appActive = false;
}), true);

}  // namespace

void RegisterSystemClass(const char *name, WNDPROC proc, UINT style, int windowExtra) {
    WNDCLASSW wc{};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = windowExtra;
    table().systemClasses.push_back({name, wc});
}

std::string WindowTitle(HWND hwnd) {
    Window *w = FindWindowRecord(hwnd);
    return w ? w->title : std::string();
}

Window *FindWindowRecord(HWND hwnd) {
    for (auto &w : table().windows)
        if (w->handle == hwnd && !w->destroying) return w.get();
    return nullptr;
}

void FreeControlState(HWND hwnd) {
    if (Window *w = FindWindowRecord(hwnd)) w->control.reset();
}

std::vector<Window *> AllWindows() {
    std::vector<Window *> list;
    for (auto &w : table().windows)
        if (!w->destroying) list.push_back(w.get());
    return list;
}

HWND DesktopHandle() { return reinterpret_cast<HWND>(kDesktop); }

RECT ClientRectOnScreen(const Window &w) {
    RECT in = Insets(w.style, w.exStyle, HasMenuBar(w)), r = w.rect;
    r.left += in.left, r.top += in.top, r.right -= in.right, r.bottom -= in.bottom;
    if (w.style & WS_VSCROLL) r.right -= GetSystemMetrics(SM_CXVSCROLL);
    if (w.style & WS_HSCROLL) r.bottom -= GetSystemMetrics(SM_CYHSCROLL);
    r.right = std::max(r.right, r.left);
    r.bottom = std::max(r.bottom, r.top);
    return r;
}

// The bar lies under the caption, inside the border and above a client edge.
RECT MenuBarRect(const Window &w) {
    if (!HasMenuBar(w)) return {};
    int border = FrameWidth(w.style, w.exStyle & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
    int top = w.rect.top + border + ((w.style & WS_CAPTION) == WS_CAPTION ? GetSystemMetrics(SM_CYCAPTION) : 0);
    return {w.rect.left + border, top, w.rect.right - border, top + GetSystemMetrics(SM_CYMENU)};
}

// What DefWindowProc does for WM_WINDOWPOSCHANGING and CreateWindowEx before
// WM_NCCREATE: Windows' own limits (the screen and its frame, a least size
// for a framed window), which the window may change, keep the new size.
SIZE LimitWindowSize(HWND hwnd, SIZE size) {
    Window *w = FindWindowRecord(hwnd);
    if (!w || (!(w->style & WS_THICKFRAME) && (w->style & (WS_POPUP | WS_CHILD)))) return size;
    RECT r{0, 0, screen().width, screen().height};
    if (Window *p = IsChild(*w) ? FindWindowRecord(w->parent) : nullptr) {
        RECT c = ClientRectOnScreen(*p);
        r = {0, 0, c.right - c.left, c.bottom - c.top};
    }
    // The maximised size counts the frame only, not the caption, as Windows measures it.
    DWORD style = (w->style & WS_CAPTION) == WS_CAPTION ? w->style & ~WS_BORDER : w->style;
    RECT in = Insets(style, w->exStyle, (w->style & WS_POPUP) && w->menu);
    MINMAXINFO mm{};
    mm.ptReserved = {w->rect.left, w->rect.top};
    mm.ptMaxSize = {r.right + in.left + in.right, r.bottom + in.top + in.bottom};
    mm.ptMaxPosition = {-in.left, -in.top};
    if (w->style & (WS_DLGFRAME | WS_BORDER)) mm.ptMinTrackSize = {112, 27};  // SM_CXMINTRACK, SM_CYMINTRACK
    else mm.ptMinTrackSize = {2 * in.left, 2 * in.top};
    // SM_CXMAXTRACK, SM_CYMAXTRACK: the whole desktop, every monitor.
    mm.ptMaxTrackSize = {screen().bounds.right - screen().bounds.left + 12, screen().bounds.bottom - screen().bounds.top + 12};
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mm));
    size.cx = std::max(std::min<LONG>(size.cx, mm.ptMaxTrackSize.x), mm.ptMinTrackSize.x);
    size.cy = std::max(std::min<LONG>(size.cy, mm.ptMaxTrackSize.y), mm.ptMinTrackSize.y);
    return size;
}

void InvalidateTree(HWND hwnd) {
    for (Window *w : AllWindows()) {
        if (w->handle != hwnd && !IsInside(*w, hwnd)) continue;
        w->needsPaint = w->needsErase = true;
        w->needsFrame = true;
    }
}

void FrameChanged(HWND hwnd) {
    PlaceWindowDcs();
    RECT client;
    GetClientRect(hwnd, &client);
    SendMessageW(hwnd, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));  // SIZE_RESTORED
    if (IsWindow(hwnd)) InvalidateTree(hwnd);
}

COLORREF SystemColor(int index) {
    switch (index) {
    case COLOR_SCROLLBAR: return RGB(0xC8, 0xC8, 0xC8);
    case COLOR_BACKGROUND: return RGB(0, 0, 0);
    case COLOR_ACTIVECAPTION: return RGB(0x32, 0x96, 0xFA);
    case COLOR_INACTIVECAPTION: return RGB(0x80, 0x80, 0x80);
    case COLOR_MENU: return RGB(0xF5, 0xF5, 0xF5);
    case COLOR_WINDOW: return RGB(0xFF, 0xFF, 0xFF);
    case COLOR_WINDOWFRAME: return RGB(0x9E, 0x9E, 0x9E);
    case COLOR_MENUTEXT:
    case COLOR_WINDOWTEXT:
    case COLOR_CAPTIONTEXT:
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_ACTIVEBORDER: return RGB(0xFF, 0xFF, 0xFF);
    case COLOR_INACTIVEBORDER: return RGB(0xFF, 0xFF, 0xFF);
    case COLOR_APPWORKSPACE: return RGB(0x80, 0x80, 0x80);
    case COLOR_HIGHLIGHT: return RGB(0x30, 0x96, 0xFA);
    case COLOR_HIGHLIGHTTEXT: return RGB(0xFF, 0xFF, 0xFF);
    case COLOR_BTNFACE: return RGB(0xF5, 0xF5, 0xF5);
    case COLOR_BTNSHADOW:
    case COLOR_GRAYTEXT: return RGB(0xA6, 0xA6, 0xA6);
    case COLOR_INACTIVECAPTIONTEXT: return RGB(0xC8, 0xC8, 0xC8);
    case COLOR_BTNHIGHLIGHT: return RGB(0xFF, 0xFF, 0xFF);
    case COLOR_3DDKSHADOW: return RGB(0x6A, 0x6A, 0x6A);
    case COLOR_3DLIGHT: return RGB(0xE3, 0xE3, 0xE3);
    }
    return 0;
}

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
        SendMessageW(old, WM_NCACTIVATE, FALSE, 0);
        SendMessageW(old, WM_ACTIVATE, WA_INACTIVE, 0);
    }
    for (Window *w : AllWindows())
        if (!IsChild(*w)) SendMessageW(w->handle, WM_ACTIVATEAPP, FALSE, 0);
}

}  // namespace headless

using namespace headless;

namespace {

ATOM Register(const WNDCLASSW &wc, const std::string &name) {
    for (WindowClass &c : table().classes)
        if (SameName(c.name, name)) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    WNDCLASSW kept = wc;
    kept.lpszClassName = kept.lpszMenuName = nullptr;
    table().classes.push_back({name, kept});
    return static_cast<ATOM>(0xC000 + table().classes.size());
}

BOOL Unregister(const std::string &className) {
    auto &cs = table().classes;
    for (auto it = cs.begin(); it != cs.end(); ++it) {
        if (SameName(it->name, className)) {
            for (Window *w : AllWindows())
                if (w->cls == &*it) {
                    SetLastError(ERROR_CLASS_HAS_WINDOWS);
                    return FALSE;
                }
            cs.erase(it);
            return TRUE;
        }
    }
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

}  // namespace

ATOM WINAPI RegisterClassW(const WNDCLASSW *wc) {
    if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !wc->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return Register(*wc, Utf8(wc->lpszClassName));
}

BOOL WINAPI UnregisterClassW(LPCWSTR className, HINSTANCE) {
    if (IS_INTRESOURCE(className)) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    return Unregister(Utf8(className));
}

HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    WindowClass *cls = className && !IS_INTRESOURCE(className) ? FindClass(Utf8(className)) : nullptr;
    if (!cls) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    Window *parentRecord = parent ? FindWindowRecord(parent) : nullptr;
    if (parent && !parentRecord && parent != DesktopHandle()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if ((style & WS_CHILD) && !parent) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) width = height = 0;
    // A top-level window's menu argument is its menu bar.
    if (!(style & WS_CHILD) && menu && !IsMenuHandle(menu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return nullptr;
    }

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
        w.id = static_cast<int>(reinterpret_cast<intptr_t>(menu));
        RECT origin = parentRecord ? ClientRectOnScreen(*parentRecord) : RECT{};
        w.rect = {origin.left + x, origin.top + y, origin.left + x + width, origin.top + y + height};
    } else {
        w.owner = parentRecord ? TopLevelOf(parent) : nullptr;
        w.rect = {x, y, x + width, y + height};
        w.menu = menu;
    }
    w.extra.assign(static_cast<size_t>(std::max(0, cls->wc.cbWndExtra)), 0);
    HWND hwnd = w.handle;
    table().windows.push_back(std::move(record));

    // The window's limits come first, before WM_NCCREATE.
    SIZE limited = LimitWindowSize(hwnd, SIZE{width, height});
    if (Window *again = FindWindowRecord(hwnd)) {
        width = limited.cx, height = limited.cy;
        again->rect.right = again->rect.left + width;
        again->rect.bottom = again->rect.top + height;
        PlaceWindowDcs();
    }

    CREATESTRUCTW cs{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style), title, className,
                     exStyle};
    if (!SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        DestroyWindow(hwnd);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!IsWindow(hwnd)) return nullptr;
    RECT client;
    GetClientRect(hwnd, &client);
    SendMessageW(hwnd, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
    SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
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
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
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
        ExposeBehind(*w);
    }
    WindowTable &t = table();
    if ((w = FindWindowRecord(hwnd))) ActivateAnotherThan(*w);
    if (t.focus == hwnd || (t.focus && FindWindowRecord(t.focus) && IsInside(*FindWindowRecord(t.focus), hwnd))) {
        t.focus = nullptr;
        // The parent of a control that had the focus is left without it.
    }
    KillTimersFor(hwnd);
    SendMessageW(hwnd, WM_DESTROY, 0, 0);
    for (Window *c : AllWindows())
        if (c->parent == hwnd) DestroyWindow(c->handle);
    SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
    w = FindWindowRecord(hwnd);
    if (w) w->destroying = true;
    // A window's menu bar goes with it.
    if (w && HasMenuBar(*w) && IsMenuHandle(w->menu)) DestroyMenu(w->menu);
    KillTimersFor(hwnd);
    PurgeMessagesFor(hwnd);
    auto &ws = t.windows;
    ws.erase(std::remove_if(ws.begin(), ws.end(), [&](auto &r) { return r->handle == hwnd; }), ws.end());
    PlaceWindowDcs();
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
    if (!show && (w = FindWindowRecord(hwnd)) && !IsChild(*w)) ActivateAnotherThan(*w);
    if (show && (command == SW_SHOWNA || command == SW_SHOWNOACTIVATE) && IsWindow(hwnd) && !IsChild(*w)) BringToTop(hwnd);
    if (show && (command == SW_SHOW || command == SW_SHOWNORMAL) && IsWindow(hwnd) && !IsChild(*w)) {
        BringToTop(hwnd);
        Activate(hwnd);
    }
    return was;
}

// Paints what waits to be painted in the window and everything inside it,
// parents before children, as Windows does (RDW_UPDATENOW | RDW_ALLCHILDREN).
BOOL WINAPI UpdateWindow(HWND hwnd) {
    if (!FindWindowRecord(hwnd)) return FALSE;
    std::vector<HWND> tree;
    for (Window *w : AllWindows())
        if (w->handle == hwnd || IsInside(*w, hwnd)) tree.push_back(w->handle);
    for (HWND h : tree) {
        Window *w = FindWindowRecord(h);
        if (w && w->needsPaint && IsWindowVisible(h)) SendMessageW(h, WM_PAINT, 0, 0);
    }
    return TRUE;
}

namespace {

HWND FindTopLevel(const Utf8Arg &className, const Utf8Arg &title) {
    auto list = AllWindows();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        Window *w = *it;
        if (IsChild(*w)) continue;
        if (!className.null && !SameName(w->cls->name, className.text)) continue;
        if (!title.null && w->title != title.text) continue;
        return w->handle;
    }
    return nullptr;
}

}  // namespace

HWND WINAPI FindWindowW(LPCWSTR className, LPCWSTR title) {
    return FindTopLevel(Utf8Arg::Wide(className), Utf8Arg::Wide(title));
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
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return IsChild(*w) ? w->parent : w->owner;
}

HWND WINAPI GetDesktopWindow() { return DesktopHandle(); }

HWND WINAPI WindowFromPoint(POINT pt) { return WindowAtPoint(pt); }

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
    if (!rect) return FALSE;
    if (hwnd == DesktopHandle()) {
        // The primary monitor, whatever the others, as Windows keeps it for older programs.
        *rect = {0, 0, screen().width, screen().height};
        return TRUE;
    }
    Window *w = FindWindowRecord(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = w->rect;
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
    RECT r;
    if (!rect || !GetWindowRect(hwnd, &r)) return FALSE;
    if (Window *w = FindWindowRecord(hwnd)) r = ClientRectOnScreen(*w);
    *rect = {0, 0, r.right - r.left, r.bottom - r.top};
    return TRUE;
}

BOOL WINAPI SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
    if (!FindWindowRecord(hwnd)) return FALSE;
    if (!(flags & SWP_NOSIZE)) {
        SIZE limited = LimitWindowSize(hwnd, SIZE{cx, cy});
        cx = limited.cx, cy = limited.cy;
    }
    Window *w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    RECT origin{};
    if (IsChild(*w)) {
        if (Window *p = FindWindowRecord(w->parent)) origin = ClientRectOnScreen(*p);
    }
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
    MoveDescendants(hwnd, r.left - w->rect.left, r.top - w->rect.top);
    w->rect = r;
    PlaceWindowDcs();
    if (!(flags & SWP_NOZORDER)) BringToTop(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    if (!(flags & SWP_NOSIZE)) SendMessageW(hwnd, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
    if (IsWindow(hwnd)) InvalidateTree(hwnd);
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER);
}

LONG WINAPI GetWindowLongW(HWND hwnd, int index) { return static_cast<LONG>(GetWindowLongPtrW(hwnd, index)); }

LONG_PTR WINAPI GetWindowLongPtrW(HWND hwnd, int index) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(IsChild(*w) ? w->parent : w->owner);
    case GWLP_ID: return w->id;
    case GWLP_USERDATA: return w->userData;
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    }
    if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
        LONG_PTR value;
        std::memcpy(&value, w->extra.data() + index, sizeof value);
        return value;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

LONG_PTR WINAPI SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR old = GetWindowLongPtrW(hwnd, index);
    switch (index) {
    case GWL_STYLE: w->style = static_cast<DWORD>(value); PlaceWindowDcs(); return old;
    case GWL_EXSTYLE: w->exStyle = static_cast<DWORD>(value); PlaceWindowDcs(); return old;
    case GWLP_ID: w->id = static_cast<int>(value); return old;
    case GWLP_USERDATA: w->userData = value; return old;
    case GWLP_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(value); return old;
    }
    if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
        std::memcpy(w->extra.data() + index, &value, sizeof value);
        return old;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

HWND WINAPI GetWindow(HWND hwnd, UINT relation) {
    if (hwnd == DesktopHandle()) {
        // The desktop's children are the top-level windows, the topmost first.
        if (relation != GW_CHILD) return nullptr;
        auto list = AllWindows();
        for (auto it = list.rbegin(); it != list.rend(); ++it)
            if (!IsChild(**it)) return (*it)->handle;
        return nullptr;
    }
    Window *w = FindWindowRecord(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (relation == GW_OWNER) return IsChild(*w) ? nullptr : w->owner;
    // Siblings in z-order, top first, as Windows lists them.
    std::vector<Window *> list = AllWindows();
    std::reverse(list.begin(), list.end());
    auto sibling = [&](const Window *x) {
        return IsChild(*w) ? (IsChild(*x) && x->parent == w->parent) : !IsChild(*x);
    };
    if (relation == GW_CHILD) {
        for (Window *x : list)
            if (IsChild(*x) && x->parent == hwnd) return x->handle;
        return nullptr;
    }
    auto at = std::find(list.begin(), list.end(), w);
    if (relation == GW_HWNDNEXT) {
        for (auto it = at + 1; it != list.end(); ++it)
            if (sibling(*it)) return (*it)->handle;
    } else if (relation == GW_HWNDPREV) {
        for (auto it = std::make_reverse_iterator(at); it != list.rend(); ++it)
            if (sibling(*it)) return (*it)->handle;
    }
    return nullptr;
}

BOOL WINAPI IsChild(HWND parent, HWND hwnd) {
    Window *w = FindWindowRecord(hwnd);
    return w && IsInside(*w, parent);
}

BOOL WINAPI IsWindowEnabled(HWND hwnd) {
    Window *w = FindWindowRecord(hwnd);
    return w && !(w->style & WS_DISABLED);
}

BOOL WINAPI EnableWindow(HWND hwnd, BOOL enable) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    BOOL wasDisabled = (w->style & WS_DISABLED) != 0;
    if (enable == !wasDisabled) return wasDisabled;
    if (enable) w->style &= ~WS_DISABLED;
    else w->style |= WS_DISABLED;
    // A window that loses its input loses the focus too.
    if (!enable && GetFocus() && (GetFocus() == hwnd || IsChild(hwnd, GetFocus()))) SetFocus(nullptr);
    SendMessageW(hwnd, WM_ENABLE, enable, 0);
    if (IsWindow(hwnd)) InvalidateTree(hwnd);
    return wasDisabled;
}

HWND WINAPI SetFocus(HWND hwnd) {
    WindowTable &t = table();
    HWND old = t.focus;
    if (hwnd) {
        Window *w = FindWindowRecord(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        if (w->style & WS_DISABLED) return nullptr;
        HWND top = TopLevelOf(hwnd);
        if (t.foreground != top) {
            BringToTop(top);
            Activate(top);
            old = t.focus;
        }
    }
    if (old == hwnd) return old;
    t.focus = hwnd;
    if (old && IsWindow(old)) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (hwnd && IsWindow(hwnd) && t.focus == hwnd) SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND WINAPI SetCapture(HWND hwnd) {
    HWND old = table().capture;
    table().capture = hwnd;
    return old;
}

BOOL WINAPI ReleaseCapture() {
    table().capture = nullptr;
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hwnd, LPPOINT point) {
    Window *w = FindWindowRecord(hwnd);
    if (!point || (!w && hwnd != DesktopHandle())) return FALSE;
    RECT c = w ? ClientRectOnScreen(*w) : RECT{};
    point->x += c.left;
    point->y += c.top;
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT point) {
    Window *w = FindWindowRecord(hwnd);
    if (!point || (!w && hwnd != DesktopHandle())) return FALSE;
    RECT c = w ? ClientRectOnScreen(*w) : RECT{};
    point->x -= c.left;
    point->y -= c.top;
    return TRUE;
}

int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
    POINT o{0, 0};
    if (from) ClientToScreen(from, &o);
    POINT t{0, 0};
    if (to) ClientToScreen(to, &t);
    int dx = o.x - t.x, dy = o.y - t.y;
    for (UINT i = 0; points && i < count; i++) points[i].x += dx, points[i].y += dy;
    return MAKELONG(dx, dy);
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
    if (!rect) return FALSE;
    RECT in = Insets(style, exStyle, menu != FALSE);
    rect->left -= in.left, rect->top -= in.top, rect->right += in.right, rect->bottom += in.bottom;
    return TRUE;
}

int WINAPI GetWindowTextW(HWND hwnd, LPWSTR buffer, int size) {
    if (!buffer || size <= 0) return 0;
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer)));
}

// The name the window's class was registered under, cut to fit; its length.
int WINAPI GetClassNameW(HWND hwnd, LPWSTR buffer, int size) {
    Window *w = FindWindowRecord(hwnd);
    if (!w || !w->cls) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (!buffer || size <= 0) return 0;
    return static_cast<int>(CopyOut(w->cls->name, buffer, static_cast<size_t>(size), true));
}

int WINAPI GetWindowTextLengthW(HWND hwnd) {
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL WINAPI SetWindowTextW(HWND hwnd, LPCWSTR text) {
    if (!IsWindow(hwnd)) return FALSE;
    return static_cast<BOOL>(SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT *, BOOL erase) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    w->needsPaint = true;
    if (erase) w->needsErase = true;
    return TRUE;
}

// Only the whole-window forms: invalidate (and erase) the window, and with
// RDW_ALLCHILDREN everything inside it, then paint at once on RDW_UPDATENOW.
BOOL WINAPI RedrawWindow(HWND hwnd, const RECT *, HRGN, UINT flags) {
    if (!FindWindowRecord(hwnd)) return FALSE;
    if (flags & RDW_INVALIDATE)
        for (Window *w : AllWindows())
            if (w->handle == hwnd || ((flags & RDW_ALLCHILDREN) && IsInside(*w, hwnd)))
                InvalidateRect(w->handle, nullptr, (flags & RDW_ERASE) != 0);
    if (flags & RDW_UPDATENOW) UpdateWindow(hwnd);
    return TRUE;
}

// Whole windows only: a window to paint reports its client area.
BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT rect, BOOL) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    if (rect) {
        *rect = RECT{};
        if (w->needsPaint) GetClientRect(hwnd, rect);
    }
    return w->needsPaint ? TRUE : FALSE;
}

BOOL WINAPI ValidateRect(HWND hwnd, const RECT *) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) return FALSE;
    w->needsPaint = false;
    return TRUE;
}
