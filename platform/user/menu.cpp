// Menus: loaded from the program's MENU resources, the states of their
// items, the bar a top-level window shows under its caption, and the popup
// a press on the bar opens, tracked in its own loop until the user chooses
// an item or closes it, as Windows tracks a menu.
#include "user.h"

#include <algorithm>
#include <map>

namespace headless {
namespace {

constexpr uintptr_t kFirstMenu = 0x5000000;
const char kPopupClass[] = "#32768";

// Sizes of Wine's default look: the space around a bar item's text, a popup's
// border, the column left of an item's text that holds its check mark.
constexpr int kBarItemMargin = 6;
constexpr int kPopupBorder = 3;
constexpr int kCheckColumn = 16;
constexpr int kSeparatorHeight = 9;

struct MenuItem {
    UINT type = MF_STRING;  // MF_STRING, MF_SEPARATOR or MF_POPUP
    UINT state = 0;         // MF_GRAYED, MF_DISABLED, MF_CHECKED
    UINT id = 0;            // a popup item's is its menu's handle, as Windows has it
    HMENU popup = nullptr;
    std::string text;       // UTF-8; '&' marks the access key
};

struct Menu {
    std::vector<MenuItem> items;
};

struct MenuTable {
    std::map<uintptr_t, Menu> menus;
    uintptr_t next = kFirstMenu;
};

MenuTable &table() {
    static MenuTable t;
    return t;
}

const bool registered = (OnReset([] { table() = MenuTable{}; }), true);

// Painting looks menus up without touching the last error.
Menu *Lookup(HMENU menu) {
    auto it = table().menus.find(reinterpret_cast<uintptr_t>(menu));
    return it == table().menus.end() ? nullptr : &it->second;
}

Menu *FindMenu(HMENU menu) {
    Menu *m = Lookup(menu);
    if (!m) SetLastError(ERROR_INVALID_MENU_HANDLE);
    return m;
}

HMENU NewMenu() {
    uintptr_t h = table().next;
    table().next += 4;
    table().menus[h] = Menu{};
    return reinterpret_cast<HMENU>(h);
}

bool Unusable(const MenuItem &item) { return (item.state & (MF_GRAYED | MF_DISABLED)) != 0; }

// An item by position, or by command anywhere in the menu and its popups;
// the popups are searched before the item that opens them, as Windows does.
MenuItem *FindItem(HMENU menu, UINT item, UINT flags) {
    Menu *m = FindMenu(menu);
    if (!m) return nullptr;
    if (flags & MF_BYPOSITION) return item < m->items.size() ? &m->items[item] : nullptr;
    MenuItem *opener = nullptr;
    for (MenuItem &i : m->items) {
        if (i.popup) {
            if (MenuItem *found = FindItem(i.popup, item, flags)) return found;
            if (i.id == item) opener = &i;
        } else if (i.id == item) {
            return &i;
        }
    }
    return opener;
}

// ---- the MENU resource, as the resource compiler writes it ------------------------

struct MenuReader {
    const BYTE *data;
    size_t size, pos = 0;
    bool ok = true;

    WORD Word() {
        if (!ok || pos > size || size - pos < 2) {
            ok = false;
            return 0;
        }
        WORD v = static_cast<WORD>(data[pos] | data[pos + 1] << 8);
        pos += 2;
        return v;
    }
    std::string Text() {
        std::u16string s;
        for (WORD c; ok && (c = Word()) != 0;) s.push_back(static_cast<char16_t>(c));
        return Utf8(s);
    }
};

// One level of items, up to the one marked MF_END; a popup's items follow it.
bool ParseLevel(MenuReader &r, HMENU menu, int depth) {
    if (depth > 8) return false;
    for (;;) {
        WORD flags = r.Word();
        if (flags & ~(MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP | MF_END))
            ReportUnimplemented("menu items that break a column, help, bitmap or owner-drawn items");
        MenuItem item;
        item.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
        if (flags & MF_POPUP) {
            item.type = MF_POPUP;
            item.text = r.Text();
            if (!r.ok) return false;
            item.popup = NewMenu();
            item.id = static_cast<UINT>(reinterpret_cast<uintptr_t>(item.popup));
        } else {
            item.id = r.Word();
            item.text = r.Text();
            // What the resource compiler writes for MENUITEM SEPARATOR; it is never enabled.
            if (item.id == 0 && item.text.empty()) {
                item.type = MF_SEPARATOR;
                item.state |= MF_GRAYED | MF_DISABLED;
            }
        }
        if (!r.ok) return false;
        HMENU popup = item.popup;
        Lookup(menu)->items.push_back(std::move(item));
        if (popup && !ParseLevel(r, popup, depth + 1)) return false;
        if (flags & MF_END) return true;
    }
}

// ---- geometry ------------------------------------------------------------------------

int TextWidth(HDC hdc, const std::string &text) {
    RECT r{0, 0, 0, 0};
    DrawTextW(hdc, Utf16(text).c_str(), -1, &r, DT_SINGLELINE | DT_CALCRECT);
    return r.right - r.left;
}

// A bar's items side by side from its left, in the system font.
std::vector<RECT> BarItemRects(const Menu &m, RECT bar) {
    std::vector<RECT> rects;
    HDC hdc = GetDC(nullptr);
    int x = bar.left;
    for (const MenuItem &item : m.items) {
        int width = TextWidth(hdc, item.text) + 2 * kBarItemMargin;
        rects.push_back({x, bar.top, x + width, bar.bottom - 1});
        x += width;
    }
    ReleaseDC(nullptr, hdc);
    return rects;
}

// The bar item under pt (screen), or -1.
int BarItemAt(HWND hwnd, POINT pt) {
    Window *w = FindWindowRecord(hwnd);
    Menu *m = w ? Lookup(w->menu) : nullptr;
    RECT bar = w ? MenuBarRect(*w) : RECT{};
    if (!m || !PtInRect(&bar, pt)) return -1;
    std::vector<RECT> rects = BarItemRects(*m, bar);
    for (size_t i = 0; i < rects.size(); i++)
        if (PtInRect(&rects[i], pt)) return static_cast<int>(i);
    return -1;
}

// A popup's items one under the other inside its border, in window coordinates.
std::vector<RECT> PopupItemRects(const Menu &m, SIZE *size = nullptr) {
    HDC hdc = GetDC(nullptr);
    TEXTMETRICW tm{};
    GetTextMetricsW(hdc, &tm);
    int width = 0;
    for (const MenuItem &item : m.items) width = std::max(width, TextWidth(hdc, item.text));
    ReleaseDC(nullptr, hdc);
    width += 2 * kCheckColumn;
    std::vector<RECT> rects;
    int y = kPopupBorder;
    for (const MenuItem &item : m.items) {
        int height = item.type == MF_SEPARATOR ? kSeparatorHeight : std::max<int>(17, tm.tmHeight + 4);
        rects.push_back({kPopupBorder, y, kPopupBorder + width, y + height});
        y += height;
    }
    if (size) *size = {width + 2 * kPopupBorder, y + kPopupBorder};
    return rects;
}

// ---- drawing ----------------------------------------------------------------------------

void Fill(HDC hdc, RECT r, int color) { FillOnScreen(hdc, r, ToPixel(SystemColor(color))); }

void Edge(HDC hdc, RECT r, int topLeft, int bottomRight) {
    Fill(hdc, {r.left, r.top, r.right, r.top + 1}, topLeft);
    Fill(hdc, {r.left, r.top, r.left + 1, r.bottom}, topLeft);
    Fill(hdc, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    Fill(hdc, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

void ItemText(HDC hdc, const MenuItem &item, RECT r, UINT format) {
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, SystemColor(Unusable(item) ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
    DrawTextW(hdc, Utf16(item.text).c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | format);
}

// A tick two pixels thick in the check column.
void CheckMark(HDC hdc, RECT item, bool grayed) {
    int x = item.left + 4, y = (item.top + item.bottom) / 2 - 1;
    int color = grayed ? COLOR_GRAYTEXT : COLOR_MENUTEXT;
    for (int i = 0; i < 7; i++) {
        int dy = i < 3 ? i : 4 - i;  // down three, then up four
        Fill(hdc, {x + i, y + dy, x + i + 1, y + dy + 2}, color);
    }
}

void PaintPopup(HWND popup, HDC hdc) {
    Menu *m = Lookup(reinterpret_cast<HMENU>(GetWindowLongPtrW(popup, 0)));
    RECT whole;
    GetClientRect(popup, &whole);
    Fill(hdc, whole, COLOR_MENU);
    Edge(hdc, whole, COLOR_3DLIGHT, COLOR_3DDKSHADOW);
    InflateRect(&whole, -1, -1);
    Edge(hdc, whole, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
    if (!m) return;
    std::vector<RECT> rects = PopupItemRects(*m);
    for (size_t i = 0; i < rects.size(); i++) {
        const MenuItem &item = m->items[i];
        RECT r = rects[i];
        if (item.type == MF_SEPARATOR) {
            int y = (r.top + r.bottom) / 2 - 1;
            Fill(hdc, {r.left + 1, y, r.right - 1, y + 1}, COLOR_BTNSHADOW);
            Fill(hdc, {r.left + 1, y + 1, r.right - 1, y + 2}, COLOR_BTNHIGHLIGHT);
            continue;
        }
        if (item.state & MF_CHECKED) CheckMark(hdc, r, Unusable(item));
        r.left += kCheckColumn;
        ItemText(hdc, item, r, DT_LEFT);
    }
}

LRESULT CALLBACK PopupProc(HWND popup, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(popup, &ps);
        PaintPopup(popup, hdc);
        EndPaint(popup, &ps);
        return 0;
    }
    return DefWindowProcW(popup, message, wParam, lParam);
}

// ---- tracking a menu from the bar ------------------------------------------------------

struct Tracking {
    HWND owner;
    HMENU bar;
    int open = -1;  // the bar item whose popup is shown
    HWND popup = nullptr;
};

void ClosePopup(Tracking &t) {
    if (t.popup && IsWindow(t.popup)) DestroyWindow(t.popup);
    t.popup = nullptr;
    t.open = -1;
}

// Shows the popup of a bar item under it, once its owner has heard WM_INITMENUPOPUP.
void OpenPopup(Tracking &t, int index) {
    ClosePopup(t);
    Menu *m = Lookup(t.bar);
    if (!m || index < 0 || index >= static_cast<int>(m->items.size())) return;
    MenuItem &item = m->items[index];
    if (!item.popup || Unusable(item)) return;
    HMENU popupMenu = item.popup;
    SendMessageW(t.owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popupMenu), index);
    Window *w = FindWindowRecord(t.owner);
    Menu *items = Lookup(popupMenu);
    m = Lookup(t.bar);
    if (!w || !items || !m || index >= static_cast<int>(m->items.size())) return;
    RECT bar = MenuBarRect(*w);
    RECT title = BarItemRects(*m, bar)[index];
    SIZE size;
    PopupItemRects(*items, &size);
    HWND popup = CreateWindowExW(WS_EX_TOPMOST, Utf16(kPopupClass).c_str(), L"", WS_POPUP, title.left, bar.bottom, size.cx, size.cy,
                                 t.owner, nullptr, nullptr, nullptr);
    if (!popup) return;
    SetWindowLongPtrW(popup, 0, reinterpret_cast<LONG_PTR>(popupMenu));
    ShowWindow(popup, SW_SHOWNA);
    UpdateWindow(popup);
    t.popup = popup;
    t.open = index;
}

// The item of the open popup under pt (screen), or null.
const MenuItem *PopupItemAt(const Tracking &t, POINT pt) {
    RECT r;
    Menu *m = t.popup ? Lookup(reinterpret_cast<HMENU>(GetWindowLongPtrW(t.popup, 0))) : nullptr;
    if (!m || !GetWindowRect(t.popup, &r)) return nullptr;
    POINT at{pt.x - r.left, pt.y - r.top};
    std::vector<RECT> rects = PopupItemRects(*m);
    for (size_t i = 0; i < rects.size(); i++)
        if (PtInRect(&rects[i], at)) return &m->items[i];
    return nullptr;
}

bool InPopup(const Tracking &t, POINT pt) {
    RECT r;
    return t.popup && GetWindowRect(t.popup, &r) && PtInRect(&r, pt);
}

bool IsMouseMessage(UINT message) {
    // The client and the non-client mouse messages (WM_NCMOUSEMOVE to WM_NCMBUTTONDBLCLK).
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || (message >= 0x00A0 && message <= 0x00A9);
}

bool IsButtonDown(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
           message == WM_NCLBUTTONDOWN || message == WM_LBUTTONDBLCLK;
}

// On the virtual clock with nothing scheduled the loop would wait for ever:
// the user has walked away, and the menu closes.
bool NothingWillHappen() {
    const TimeLimit &limit = timeLimit();
    return ClockIsVirtual() && NextEventTime() == UINT64_MAX && !(limit.set && !limit.fired);
}

}  // namespace

bool IsMenuHandle(HMENU menu) { return Lookup(menu) != nullptr; }

void RegisterMenuClass() { RegisterSystemClass(kPopupClass, PopupProc, CS_DBLCLKS, sizeof(LONG_PTR)); }

void DrawMenuBarItems(HDC hdc, RECT bar, HMENU menu) {
    Fill(hdc, bar, COLOR_MENU);
    Menu *m = Lookup(menu);
    if (!m) return;
    std::vector<RECT> rects = BarItemRects(*m, bar);
    if (!rects.empty() && rects.back().right > bar.right)
        ReportUnimplemented("a menu bar too narrow for its items (Windows gives it another row)");
    for (size_t i = 0; i < rects.size(); i++) ItemText(hdc, m->items[i], rects[i], DT_CENTER);
}

// Mouse messages in the loop carry the point on the screen, as Wine reads
// them; a press elsewhere closes the menu, a release on an enabled item
// chooses it, and the owner hears WM_COMMAND once the menu is gone.
void TrackMenuBar(HWND hwnd, POINT pt) {
    Window *w = FindWindowRecord(hwnd);
    if (!w || !Lookup(w->menu)) return;
    int index = BarItemAt(hwnd, pt);
    if (index < 0) return;
    Tracking t{hwnd, w->menu};
    SendMessageW(hwnd, WM_ENTERMENULOOP, FALSE, 0);
    SendMessageW(hwnd, WM_INITMENU, reinterpret_cast<WPARAM>(t.bar), 0);
    UINT chosen = 0;
    bool done = false;
    if (Menu *m = Lookup(t.bar); m && !m->items[index].popup) {
        // A command on the bar itself is chosen by the press.
        if (!Unusable(m->items[index])) chosen = m->items[index].id;
        done = true;
    } else {
        OpenPopup(t, index);
    }
    while (!done && IsWindow(hwnd)) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (NothingWillHappen()) break;
            GetMessageW(&msg, nullptr, 0, 0);
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (IsMouseMessage(msg.message)) {
            POINT at{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
            if (IsButtonDown(msg.message) && !InPopup(t, at)) {
                // Another title opens its popup; the open one's title keeps it (as Wine does).
                int bar = BarItemAt(hwnd, at);
                if (bar < 0) done = true;
                else if (bar != t.open) OpenPopup(t, bar);
            } else if ((msg.message == WM_LBUTTONUP || msg.message == WM_RBUTTONUP) && InPopup(t, at)) {
                const MenuItem *item = PopupItemAt(t, at);
                if (item && item->type == MF_STRING && !Unusable(*item)) {
                    chosen = item->id;
                    done = true;
                }
            }
            continue;
        }
        if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
            // Esc closes the popup first and leaves the bar in menu mode; a second Esc leaves that.
            if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
                if (t.popup) ClosePopup(t);
                else done = true;
            }
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    ClosePopup(t);
    if (!IsWindow(hwnd)) return;
    SendMessageW(hwnd, WM_EXITMENULOOP, FALSE, 0);
    if (chosen) PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
}

}  // namespace headless

using namespace headless;

namespace {

// A menu from a template as RT_MENU holds it; one in memory carries no size
// and is read as far as it goes.
HMENU MenuFromTemplate(const BYTE *data, size_t size) {
    MenuReader r{data, size};
    WORD version = r.Word();
    WORD headerSize = r.Word();
    if (version != 0) {
        ReportUnimplemented("MENUEX resources");
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    r.pos += headerSize;
    HMENU menu = NewMenu();
    if (r.pos > r.size || !ParseLevel(r, menu, 0)) {
        DestroyMenu(menu);
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return menu;
}

// The menu resource of that name, in the language the loader picks.
HMENU LoadMenuResource(HINSTANCE instance, const ResourceId &name) {
    const Resource *res = (instance == nullptr || instance == MainInstance())
                              ? FindResourceRecord(name, ResourceId{4, {}})  // RT_MENU
                              : nullptr;
    if (!res) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return MenuFromTemplate(res->data, res->size);
}

}  // namespace

HMENU WINAPI LoadMenuIndirectW(const MENUTEMPLATEW *menuTemplate) {
    if (!menuTemplate) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return MenuFromTemplate(static_cast<const BYTE *>(menuTemplate), SIZE_MAX / 2);
}

HMENU WINAPI LoadMenuW(HINSTANCE instance, LPCWSTR name) { return LoadMenuResource(instance, ResourceId::From(name)); }

BOOL WINAPI DestroyMenu(HMENU menu) {
    Menu *m = FindMenu(menu);
    if (!m) return FALSE;
    std::vector<HMENU> popups;
    for (const MenuItem &item : m->items)
        if (item.popup) popups.push_back(item.popup);
    table().menus.erase(reinterpret_cast<uintptr_t>(menu));
    for (HMENU popup : popups) DestroyMenu(popup);
    return TRUE;
}

HMENU WINAPI GetMenu(HWND hwnd) {
    Window *w = FindWindowRecord(hwnd);
    return w && !(w->style & WS_CHILD) ? w->menu : nullptr;
}

// The window keeps its size; its client area gives or takes the bar's height.
BOOL WINAPI SetMenu(HWND hwnd, HMENU menu) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if ((w->style & WS_CHILD) || (menu && !FindMenu(menu))) return FALSE;
    if (w->menu == menu) return TRUE;
    w->menu = menu;
    FrameChanged(hwnd);
    return TRUE;
}

BOOL WINAPI DrawMenuBar(HWND hwnd) {
    Window *w = FindWindowRecord(hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (IsWindowVisible(hwnd)) DrawNonClient(hwnd);
    return TRUE;
}

HMENU WINAPI GetSubMenu(HMENU menu, int position) {
    MenuItem *item = position >= 0 ? FindItem(menu, static_cast<UINT>(position), MF_BYPOSITION) : nullptr;
    return item ? item->popup : nullptr;
}

int WINAPI GetMenuItemCount(HMENU menu) {
    Menu *m = FindMenu(menu);
    return m ? static_cast<int>(m->items.size()) : -1;
}

UINT WINAPI GetMenuItemID(HMENU menu, int position) {
    MenuItem *item = position >= 0 ? FindItem(menu, static_cast<UINT>(position), MF_BYPOSITION) : nullptr;
    return item && !item->popup ? item->id : static_cast<UINT>(-1);
}

// The previous MF_GRAYED and MF_DISABLED bits, or -1 for no such item.
BOOL WINAPI EnableMenuItem(HMENU menu, UINT id, UINT enable) {
    MenuItem *item = FindItem(menu, id, enable);
    if (!item) return -1;
    UINT previous = item->state & (MF_GRAYED | MF_DISABLED);
    item->state = (item->state & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return static_cast<BOOL>(previous);
}

DWORD WINAPI CheckMenuItem(HMENU menu, UINT id, UINT check) {
    MenuItem *item = FindItem(menu, id, check);
    if (!item) return static_cast<DWORD>(-1);
    DWORD previous = item->state & MF_CHECKED;
    item->state = (item->state & ~MF_CHECKED) | (check & MF_CHECKED);
    return previous;
}

// A popup item: its menu's item count in the high byte over its flags.
UINT WINAPI GetMenuState(HMENU menu, UINT id, UINT flags) {
    MenuItem *item = FindItem(menu, id, flags);
    if (!item) return static_cast<UINT>(-1);
    if (item->popup) {
        Menu *popup = Lookup(item->popup);
        if (!popup) return static_cast<UINT>(-1);
        return static_cast<UINT>(popup->items.size()) << 8 | ((item->type | item->state) & 0xFF);
    }
    return item->type | item->state;
}

// An item's text, '&' and all: the units copied (cut to fit), or its length
// without a buffer; 0 for no such item.
int WINAPI GetMenuStringW(HMENU menu, UINT id, LPWSTR text, int size, UINT flags) {
    MenuItem *item = FindItem(menu, id, flags);
    if (!item) return 0;
    if (!text || size <= 0) return static_cast<int>(Utf16(item->text).size());
    return static_cast<int>(CopyOut(item->text, text, static_cast<size_t>(size), true));
}
