// The ListBox control, single selection: lists of strings (sorted or not)
// and owner-drawn lists whose items are the program's own data, of fixed or
// variable height. The owner measures and draws owner-drawn items
// (WM_MEASUREITEM, WM_DRAWITEM) and hears when one goes (WM_DELETEITEM).
// The combo box's drop-down list is one of these too ("ComboLBox").
#include "user.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

namespace headless {
namespace {

struct Item {
    std::string text;
    ULONG_PTR data = 0;
    UINT height = 0;
};

struct ListState : ControlState {
    std::vector<Item> items;
    int selected = -1;   // the selected item, -1 for none
    int caret = -1;      // the item with the focus frame
    int top = 0;         // the first item shown
    UINT itemHeight = 16;
    bool focused = false;
    bool scrolls = false;  // made with WS_VSCROLL: the bar shows while items overflow
    bool redraw = true;    // WM_SETREDRAW: off while many items are put in at once
};

DWORD Style(HWND list) { return static_cast<DWORD>(GetWindowLongW(list, GWL_STYLE)); }
bool OwnerDrawn(HWND list) { return Style(list) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE); }
bool Variable(HWND list) { return Style(list) & LBS_OWNERDRAWVARIABLE; }
bool HasStrings(HWND list) { return !OwnerDrawn(list) || (Style(list) & LBS_HASSTRINGS); }

// The window told about items: the parent, or for a combo box's list the combo box.
HWND Owner(HWND list) { return GetParent(list); }

UINT HeightOf(const ListState &s, int index) {
    return s.items[static_cast<size_t>(index)].height ? s.items[static_cast<size_t>(index)].height : s.itemHeight;
}

RECT ItemRect(HWND list, const ListState &s, int index) {
    RECT client;
    GetClientRect(list, &client);
    int y = 0;
    if (index >= s.top) {
        for (int i = s.top; i < index; i++) y += static_cast<int>(HeightOf(s, i));
    } else {
        for (int i = index; i < s.top; i++) y -= static_cast<int>(HeightOf(s, i));
    }
    return RECT{0, y, client.right, y + static_cast<int>(HeightOf(s, index))};
}

// How many items, from the top one, fit in the list whole.
int VisibleCount(HWND list, const ListState &s) {
    RECT client;
    GetClientRect(list, &client);
    int n = 0, y = 0;
    for (int i = s.top; i < static_cast<int>(s.items.size()); i++) {
        y += static_cast<int>(HeightOf(s, i));
        if (y > client.bottom) break;
        n++;
    }
    return std::max(n, 1);
}

void UpdateScrollBar(HWND list, const ListState &s) {
    if (!s.scrolls || !s.redraw) return;
    int count = static_cast<int>(s.items.size());
    int fits = 0;
    RECT client;
    GetClientRect(list, &client);
    for (int i = 0, y = 0; i < count && (y += static_cast<int>(HeightOf(s, i))) <= client.bottom; i++) fits++;
    // The bar is there only while the items overflow, unless asked to stay.
    if (!(Style(list) & LBS_DISABLENOSCROLL)) ShowScrollBar(list, SB_VERT, fits < count);
    SetScrollRange(list, SB_VERT, 0, std::max(0, count - fits), FALSE);
    SetScrollPos(list, SB_VERT, s.top, TRUE);
}

// The items changed: the bar and the list show it, unless redrawing is off.
void ShowChange(HWND list, const ListState &s) {
    if (!s.redraw) return;
    UpdateScrollBar(list, s);
    InvalidateRect(list, nullptr, TRUE);
}

void SendDrawItem(HWND list, ListState &s, HDC hdc, int index, UINT action) {
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_LISTBOX;
    dis.CtlID = static_cast<UINT>(GetDlgCtrlID(list));
    dis.itemID = static_cast<UINT>(index);
    dis.itemAction = action;
    dis.itemState = (index == s.selected ? ODS_SELECTED : 0) | (s.focused && index == s.caret ? ODS_FOCUS : 0) |
                    (IsWindowEnabled(list) ? 0 : ODS_DISABLED);
    dis.hwndItem = list;
    dis.hDC = hdc;
    dis.rcItem = ItemRect(list, s, index);
    dis.itemData = s.items[static_cast<size_t>(index)].data;
    SendMessageW(Owner(list), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
}

void DrawStringItem(HWND list, const ListState &s, HDC hdc, int index) {
    RECT r = ItemRect(list, s, index);
    bool selected = index == s.selected;
    FillRect(hdc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, SystemColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::string &text = s.items[static_cast<size_t>(index)].text;
    RECT label = r;
    label.left += 2;
    DrawTextW(hdc, Utf16(text).c_str(), -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (s.focused && index == s.caret) {
        for (int x = r.left; x < r.right; x += 2) SetPixel(hdc, x, r.top, 0), SetPixel(hdc, x, r.bottom - 1, 0);
        for (int y = r.top; y < r.bottom; y += 2) SetPixel(hdc, r.left, y, 0), SetPixel(hdc, r.right - 1, y, 0);
    }
}

void DrawItem(HWND list, ListState &s, HDC hdc, int index, UINT action) {
    if (index < 0 || index >= static_cast<int>(s.items.size())) return;
    if (OwnerDrawn(list)) SendDrawItem(list, s, hdc, index, action);
    else DrawStringItem(list, s, hdc, index);
}

// Redraws items now, as Windows does when the selection or focus moves.
void RedrawItems(HWND list, ListState &s, std::initializer_list<int> indices, UINT action) {
    if (!IsWindowVisible(list)) return;
    HDC hdc = ControlDc(list);
    ControlColors(list, hdc, WM_CTLCOLORLISTBOX);
    for (int i : indices) DrawItem(list, s, hdc, i, action);
    ReleaseDC(list, hdc);
}

void Paint(HWND list, ListState &s) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(list, &ps);
    if (HFONT font = ControlFont(list)) SelectObject(hdc, font);
    HBRUSH brush = ControlColors(list, hdc, WM_CTLCOLORLISTBOX);
    RECT client;
    GetClientRect(list, &client);
    FillRect(hdc, &client, brush);
    for (int i = s.top; i < static_cast<int>(s.items.size()); i++) {
        if (ItemRect(list, s, i).top >= client.bottom) break;
        DrawItem(list, s, hdc, i, ODA_DRAWENTIRE);
    }
    EndPaint(list, &ps);
}

void ScrollInto(HWND list, ListState &s, int index) {
    if (index < 0) return;
    if (index < s.top) s.top = index;
    else
        while (index >= s.top + VisibleCount(list, s) && s.top < index) s.top++;
    UpdateScrollBar(list, s);
}

// Moves the selection (and the caret) to index; redraws what changed.
void Select(HWND list, ListState &s, int index, bool notify) {
    int old = s.selected, oldCaret = s.caret;
    int oldTop = s.top;
    s.selected = index;
    if (index >= 0) s.caret = index;
    ScrollInto(list, s, index);
    // With redrawing off the list is drawn whole when it comes back on.
    if (s.redraw && s.top != oldTop) InvalidateRect(list, nullptr, TRUE);
    else if (s.redraw && (old != index || oldCaret != s.caret)) {
        if (oldCaret != s.caret) RedrawItems(list, s, {oldCaret}, ODA_FOCUS);
        if (old != index) RedrawItems(list, s, {old, index}, ODA_SELECT);
        if (oldCaret != s.caret) RedrawItems(list, s, {s.caret}, ODA_FOCUS);
    }
    if (notify && old != index && (Style(list) & LBS_NOTIFY)) NotifyParent(list, LBN_SELCHANGE);
}

void DeleteItemNotice(HWND list, int index, const Item &item) {
    // Owner-drawn lists, and items the program gave data, tell the owner an item goes.
    if (!OwnerDrawn(list) && !item.data) return;
    DELETEITEMSTRUCT dis{};
    dis.CtlType = ODT_LISTBOX;
    dis.CtlID = static_cast<UINT>(GetDlgCtrlID(list));
    dis.itemID = static_cast<UINT>(index);
    dis.hwndItem = list;
    dis.itemData = item.data;
    SendMessageW(Owner(list), WM_DELETEITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
}

UINT MeasureItem(HWND list, const ListState &s, int index, ULONG_PTR data) {
    MEASUREITEMSTRUCT mis{};
    mis.CtlType = ODT_LISTBOX;
    mis.CtlID = static_cast<UINT>(GetDlgCtrlID(list));
    mis.itemID = static_cast<UINT>(index);
    RECT client;
    GetClientRect(list, &client);
    mis.itemWidth = static_cast<UINT>(client.right);
    mis.itemHeight = s.itemHeight;
    mis.itemData = data;
    SendMessageW(Owner(list), WM_MEASUREITEM, mis.CtlID, reinterpret_cast<LPARAM>(&mis));
    return mis.itemHeight;
}

int Insert(HWND list, ListState &s, int index, LPARAM lParam, bool sorted) {
    Item item;
    if (HasStrings(list)) item.text = Utf8(reinterpret_cast<LPCWSTR>(lParam));
    else item.data = static_cast<ULONG_PTR>(lParam);
    if (sorted && HasStrings(list)) {
        // Before the first item that sorts after it, ignoring case.
        index = 0;
        while (index < static_cast<int>(s.items.size()) && lstrcmpiW(Utf16(s.items[static_cast<size_t>(index)].text).c_str(), Utf16(item.text).c_str()) <= 0)
            index++;
    } else if (index < 0 || index > static_cast<int>(s.items.size())) {
        index = static_cast<int>(s.items.size());
    }
    s.items.insert(s.items.begin() + index, item);
    if (s.selected >= index) s.selected++;
    if (s.caret >= index) s.caret++;
    if (Variable(list)) {
        UINT height = MeasureItem(list, s, index, item.data);
        s.items[static_cast<size_t>(index)].height = height;
    }
    ShowChange(list, s);
    return index;
}

// The item leaves the list, then its owner hears of it, as Windows orders it.
LRESULT Delete(HWND list, ListState &s, int index) {
    if (index < 0 || index >= static_cast<int>(s.items.size())) return LB_ERR;
    Item item = s.items[static_cast<size_t>(index)];
    s.items.erase(s.items.begin() + index);
    DeleteItemNotice(list, index, item);
    // The owner may have destroyed the list on hearing it.
    ListState *still = ControlStateOf<ListState>(list);
    if (!still) return 0;
    ListState &again = *still;
    if (again.selected == index) again.selected = -1;
    else if (again.selected > index) again.selected--;
    if (again.caret >= static_cast<int>(again.items.size())) again.caret = static_cast<int>(again.items.size()) - 1;
    again.top = std::min(again.top, std::max(0, static_cast<int>(again.items.size()) - 1));
    ShowChange(list, again);
    return static_cast<LRESULT>(again.items.size());
}

void Reset(HWND list, ListState &s) {
    std::vector<Item> items = std::move(s.items);
    ListState fresh;
    fresh.itemHeight = s.itemHeight;
    fresh.focused = s.focused;
    fresh.scrolls = s.scrolls;
    s = fresh;
    // From the last item to the first.
    for (size_t i = items.size(); i-- > 0;) DeleteItemNotice(list, static_cast<int>(i), items[i]);
    // The owner may have destroyed the list on hearing it.
    if (ListState *still = ControlStateOf<ListState>(list)) ShowChange(list, *still);
}

int ItemAt(HWND list, const ListState &s, int y) {
    for (int i = s.top; i < static_cast<int>(s.items.size()); i++) {
        RECT r = ItemRect(list, s, i);
        if (y >= r.top && y < r.bottom) return i;
    }
    return -1;
}

// The first item from the one after start (wrapping; from the top for -1)
// that begins with text, ignoring case.
// The first item after start, going round, that begins with text (or with
// exact, is text), letters compared without their case.
LRESULT Find(const ListState &s, int start, LPCWSTR wanted, bool exact) {
    if (!wanted) return LB_ERR;
    std::u32string text = Folded(Utf8(wanted));
    int count = static_cast<int>(s.items.size());
    size_t length = text.size();
    for (int n = 1; n <= count; n++) {
        int i = (start + n + count) % count;
        if (start < 0 || start >= count) i = n - 1;
        std::u32string item = Folded(s.items[static_cast<size_t>(i)].text);
        if (exact ? item == text : item.size() >= length && item.compare(0, length, text) == 0)
            return i;
    }
    return LB_ERR;
}

void OnKey(HWND list, ListState &s, WPARAM key) {
    int count = static_cast<int>(s.items.size());
    if (count == 0) return;
    int from = s.caret < 0 ? 0 : s.caret, to = from;
    switch (key) {
    case VK_UP: to = std::max(0, from - 1); break;
    case VK_DOWN: to = std::min(count - 1, from + (s.caret < 0 ? 0 : 1)); break;
    case VK_HOME: to = 0; break;
    case VK_END: to = count - 1; break;
    case VK_PRIOR: to = std::max(0, from - VisibleCount(list, s) + 1); break;
    case VK_NEXT: to = std::min(count - 1, from + VisibleCount(list, s) - 1); break;
    default: return;
    }
    Select(list, s, to, true);
}

void SetFocusState(HWND list, ListState &s, bool focused) {
    s.focused = focused;
    if (s.caret >= 0) RedrawItems(list, s, {s.caret}, ODA_FOCUS);
    if (Style(list) & LBS_NOTIFY) NotifyParent(list, focused ? LBN_SETFOCUS : LBN_KILLFOCUS);
}

LRESULT CALLBACK ListBoxProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) NewControlState<ListState>(list);
    ListState *state = ControlStateOf<ListState>(list);
    if (!state) return DefWindowProcW(list, message, wParam, lParam);
    ListState &s = *state;
    switch (message) {
    case WM_CREATE: {
        ListState made;
        made.scrolls = Style(list) & WS_VSCROLL;
        if (Style(list) & LBS_OWNERDRAWFIXED) made.itemHeight = MeasureItem(list, s, 0, 0);
        s = made;
        UpdateScrollBar(list, s);
        return 0;
    }
    case WM_DESTROY:
        // The items go with the list, each told to the owner.
        Reset(list, s);
        break;
    case WM_NCDESTROY:
        FreeControlState(list);
        ForgetControl(list);
        break;
    case WM_PAINT:
        Paint(list, s);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        UpdateScrollBar(list, s);
        break;
    case WM_SETFONT: {
        SetControlFont(list, reinterpret_cast<HFONT>(wParam));
        if (!OwnerDrawn(list)) {
            HDC hdc = ControlDc(list);
            TEXTMETRICW tm{};
            if (GetTextMetricsW(hdc, &tm)) s.itemHeight = static_cast<UINT>(tm.tmHeight);
            ReleaseDC(list, hdc);
        }
        if (lParam) InvalidateRect(list, nullptr, TRUE);
        return 0;
    }
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(ControlFont(list));
    case WM_SETFOCUS:
        SetFocusState(list, s, true);
        return 0;
    case WM_KILLFOCUS:
        SetFocusState(list, s, false);
        return 0;
    case WM_LBUTTONDOWN: {
        SetFocus(list);
        int index = ItemAt(list, s, static_cast<SHORT>(HIWORD(lParam)));
        if (index >= 0) Select(list, s, index, true);
        return 0;
    }
    case WM_LBUTTONDBLCLK: {
        int index = ItemAt(list, s, static_cast<SHORT>(HIWORD(lParam)));
        if (index >= 0 && (Style(list) & LBS_NOTIFY)) NotifyParent(list, LBN_DBLCLK);
        return 0;
    }
    case WM_KEYDOWN:
        OnKey(list, s, wParam);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETREDRAW:
        // Back on: the bar and the list catch up with what changed meanwhile.
        s.redraw = wParam != 0;
        ShowChange(list, s);
        return 0;
    case LB_INITSTORAGE:
        s.items.reserve(s.items.size() + wParam);
        return static_cast<LRESULT>(s.items.capacity());
    case LB_ADDSTRING:
        return Insert(list, s, -1, lParam, (Style(list) & LBS_SORT) != 0);
    case LB_DELETESTRING:
        return Delete(list, s, static_cast<int>(wParam));
    case LB_RESETCONTENT:
        Reset(list, s);
        return 0;
    case LB_GETCOUNT:
        return static_cast<LRESULT>(s.items.size());
    case LB_GETCURSEL:
        return s.selected;
    case LB_SETCURSEL: {
        int index = static_cast<int>(wParam);
        if (index < -1 || index >= static_cast<int>(s.items.size())) return LB_ERR;
        Select(list, s, index, false);
        return index < 0 ? LB_ERR : index;
    }
    case LB_GETTEXT: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= static_cast<int>(s.items.size()) || !lParam) return LB_ERR;
        const Item &item = s.items[static_cast<size_t>(index)];
        if (!HasStrings(list)) {
            // A list without strings hands out the item's data instead.
            std::memcpy(reinterpret_cast<void *>(lParam), &item.data, sizeof item.data);
            return sizeof item.data;
        }
        // The caller made room for what LB_GETTEXTLEN said.
        return static_cast<LRESULT>(CopyOut(item.text, reinterpret_cast<LPWSTR>(lParam), SIZE_MAX, true));
    }
    case LB_GETTEXTLEN: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= static_cast<int>(s.items.size())) return LB_ERR;
        return HasStrings(list) ? static_cast<LRESULT>(Utf16(s.items[static_cast<size_t>(index)].text).size())
                                : sizeof(ULONG_PTR);
    }
    case LB_GETITEMDATA: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= static_cast<int>(s.items.size())) return LB_ERR;
        return static_cast<LRESULT>(s.items[static_cast<size_t>(index)].data);
    }
    case LB_SETITEMDATA: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= static_cast<int>(s.items.size())) return LB_ERR;
        s.items[static_cast<size_t>(index)].data = static_cast<ULONG_PTR>(lParam);
        return TRUE;
    }
    case LB_SETITEMHEIGHT: {
        int index = static_cast<int>(wParam);
        UINT height = LOWORD(lParam);
        if (height > 255) return LB_ERR;
        if (Variable(list)) {
            if (index < 0 || index >= static_cast<int>(s.items.size())) return LB_ERR;
            s.items[static_cast<size_t>(index)].height = height;
        } else {
            s.itemHeight = height;
        }
        ShowChange(list, s);
        return 0;
    }
    case LB_GETITEMHEIGHT: {
        int index = static_cast<int>(wParam);
        if (Variable(list)) {
            if (index < 0 || index >= static_cast<int>(s.items.size())) return LB_ERR;
            return HeightOf(s, index);
        }
        return s.itemHeight;
    }
    case LB_GETTOPINDEX:
        return s.top;
    case LB_SETTOPINDEX: {
        int index = static_cast<int>(wParam);
        if (index < 0 || (index >= static_cast<int>(s.items.size()) && index != 0)) return LB_ERR;
        s.top = index;
        ShowChange(list, s);
        return 0;
    }
    case LB_GETITEMRECT: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= static_cast<int>(s.items.size()) || !lParam) return LB_ERR;
        *reinterpret_cast<RECT *>(lParam) = ItemRect(list, s, index);
        return 1;
    }
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
        if (!HasStrings(list)) {
            ReportUnimplemented("finding an item by data in a list without strings");
            return LB_ERR;
        }
        return Find(s, static_cast<int>(wParam), reinterpret_cast<LPCWSTR>(lParam),
                    message == LB_FINDSTRINGEXACT);
    }
    return DefWindowProcW(list, message, wParam, lParam);
}

}  // namespace

void RegisterListBoxClasses() {
    RegisterSystemClass("ListBox", ListBoxProc, CS_DBLCLKS);
    RegisterSystemClass("ComboLBox", ListBoxProc, CS_DBLCLKS);
}

}  // namespace headless
