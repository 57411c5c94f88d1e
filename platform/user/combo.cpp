// The ComboBox control as a drop-down list (CBS_DROPDOWNLIST): a field that
// shows the selected string and a button that drops a list below it. The
// arrow keys change the selection while the list is closed; a click on an
// item of the dropped list chooses it. The parent hears CBN_SELCHANGE when
// the user changes the selection, not when the program does.
#include "user.h"

#include <algorithm>
#include <cstring>

namespace headless {
namespace {

struct ComboState : ControlState {
    std::vector<std::string> items;
    std::vector<LRESULT> data;  // each item's item data
    int selected = -1;
    int droppedHeight = 100;  // the height the template gave: field and list together
    HWND dropped = nullptr;   // the list while it is down
    bool focused = false;
};

int FieldHeight(HWND combo) {
    HDC hdc = ControlDc(combo);
    TEXTMETRICW tm{};
    int height = GetTextMetricsW(hdc, &tm) ? tm.tmHeight : 16;
    ReleaseDC(combo, hdc);
    // The text and the field's sunken edge around it.
    return height + 8;
}

// The window is as tall as its field in its font; the list drops below it.
void FitToField(HWND combo) {
    RECT r;
    GetWindowRect(combo, &r);
    POINT at{r.left, r.top};
    ScreenToClient(GetParent(combo), &at);
    SetWindowPos(combo, nullptr, at.x, at.y, r.right - r.left, FieldHeight(combo), SWP_NOZORDER);
}

void Draw(HWND combo, HDC hdc, const ComboState &s) {
    RECT r;
    GetClientRect(combo, &r);
    if (HFONT font = ControlFont(combo)) SelectObject(hdc, font);
    FillRect(hdc, &r, GetSysColorBrush(COLOR_BTNFACE));
    RECT field{r.left, r.top, r.right, std::min<LONG>(r.bottom, FieldHeight(combo))};
    FillRect(hdc, &field, GetSysColorBrush(IsWindowEnabled(combo) ? COLOR_WINDOW : COLOR_BTNFACE));
    FrameRect(hdc, &field, GetSysColorBrush(COLOR_BTNSHADOW));
    int arrow = GetSystemMetrics(SM_CXVSCROLL);
    RECT button{field.right - arrow - 1, field.top + 1, field.right - 1, field.bottom - 1};
    FillRect(hdc, &button, GetSysColorBrush(COLOR_BTNFACE));
    FrameRect(hdc, &button, GetSysColorBrush(COLOR_BTNSHADOW));
    int cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2;
    for (int i = 0; i < 4; i++) {
        RECT row{cx - 3 + i, cy - 2 + i, cx + 4 - i, cy - 1 + i};
        FillRect(hdc, &row, GetSysColorBrush(COLOR_BTNTEXT));
    }
    RECT text{field.left + 3, field.top + 2, button.left - 1, field.bottom - 2};
    bool highlight = s.focused && !s.dropped;
    if (highlight) FillRect(hdc, &text, GetSysColorBrush(COLOR_HIGHLIGHT));
    if (s.selected >= 0) {
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, SystemColor(highlight ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        const std::string &item = s.items[static_cast<size_t>(s.selected)];
        DrawTextW(hdc, Utf16(item).c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

ControlPainter Painter(const ComboState &s) {
    return [&s](HWND combo, HDC hdc) { Draw(combo, hdc, s); };
}

void PaintNow(HWND combo, const ComboState &s) { RepaintControl(combo, Painter(s)); }

void ChangeSelection(HWND combo, ComboState &s, int index, bool byUser) {
    if (index == s.selected) return;
    s.selected = index;
    PaintNow(combo, s);
    if (byUser) NotifyParent(combo, CBN_SELCHANGE);
}

void CloseUp(HWND combo, ComboState &s, bool chosen) {
    HWND list = s.dropped;
    if (!list) return;
    int index = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
    s.dropped = nullptr;
    DestroyWindow(list);
    if (chosen && index >= 0) ChangeSelection(combo, s, index, true);
    NotifyParent(combo, chosen ? CBN_SELENDOK : CBN_SELENDCANCEL);
    NotifyParent(combo, CBN_CLOSEUP);
    InvalidateTree(GetParent(combo));
}

LRESULT CALLBACK DroppedListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);

void DropDown(HWND combo, ComboState &s) {
    if (s.dropped) return;
    NotifyParent(combo, CBN_DROPDOWN);
    RECT r;
    GetWindowRect(combo, &r);
    int field = FieldHeight(combo);
    int height = std::max(s.droppedHeight - field, 20);
    // A list of its own, below the field, over everything else.
    HWND list = CreateWindowExW(WS_EX_TOPMOST, L"ComboLBox", L"", WS_POPUP | WS_BORDER | WS_VSCROLL, r.left,
                                r.top + field, r.right - r.left, height, combo, nullptr, nullptr, nullptr);
    if (!list) return;
    s.dropped = list;
    if (HFONT font = ControlFont(combo)) SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    for (const std::string &item : s.items)
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf16(item).c_str()));
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(s.selected), 0);
    SetWindowLongPtrW(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(GetWindowLongPtrW(list, GWLP_WNDPROC)));
    SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DroppedListProc));
    ShowWindow(list, SW_SHOWNA);
    UpdateWindow(list);
}

// The dropped list: a click on an item chooses it, Enter chooses, Esc closes.
LRESULT CALLBACK DroppedListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    auto base = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(list, GWLP_USERDATA));
    // The combo box whose list this is.
    HWND combo = nullptr;
    ComboState *s = nullptr;
    for (Window *w : AllWindows())
        if (auto *state = dynamic_cast<ComboState *>(w->control.get()); state && state->dropped == list) {
            combo = w->handle;
            s = state;
        }
    if (!combo) return CallWindowProcW(base, list, message, wParam, lParam);
    switch (message) {
    case WM_LBUTTONUP:
        CloseUp(combo, *s, true);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
            CloseUp(combo, *s, wParam == VK_RETURN);
            return 0;
        }
        break;
    }
    return CallWindowProcW(base, list, message, wParam, lParam);
}

void OnKey(HWND combo, ComboState &s, WPARAM key) {
    if (s.dropped) {
        SendMessageW(s.dropped, WM_KEYDOWN, key, 0);
        return;
    }
    int count = static_cast<int>(s.items.size());
    if (key == VK_F4) {
        DropDown(combo, s);
        return;
    }
    if (count == 0) return;
    int to = s.selected;
    switch (key) {
    case VK_UP:
    case VK_LEFT: to = std::max(0, s.selected - 1); break;
    case VK_DOWN:
    case VK_RIGHT: to = std::min(count - 1, s.selected + 1); break;
    case VK_HOME: to = 0; break;
    case VK_END: to = count - 1; break;
    default: return;
    }
    ChangeSelection(combo, s, to, true);
}

LRESULT CALLBACK ComboProc(HWND combo, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) NewControlState<ComboState>(combo);
    ComboState *state = ControlStateOf<ComboState>(combo);
    if (!state) return DefWindowProcW(combo, message, wParam, lParam);
    ComboState &s = *state;
    switch (message) {
    case WM_CREATE: {
        auto *cs = reinterpret_cast<CREATESTRUCTW *>(lParam);
        if ((cs->style & 3) != CBS_DROPDOWNLIST) ReportUnimplemented("a combo box other than a drop-down list");
        s.droppedHeight = cs->cy;
        // Scroll bars are the dropped list's, not the field's.
        SetWindowLongPtrW(combo, GWL_STYLE, cs->style & ~(WS_VSCROLL | WS_HSCROLL));
        FitToField(combo);
        return 0;
    }
    case WM_SETFONT:
        SetControlFont(combo, reinterpret_cast<HFONT>(wParam));
        FitToField(combo);
        if (lParam) PaintNow(combo, s);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(ControlFont(combo));
    case WM_DESTROY:
        if (HWND list = s.dropped) {
            s.dropped = nullptr;
            DestroyWindow(list);
        }
        break;
    case WM_NCDESTROY:
        FreeControlState(combo);
        ForgetControl(combo);
        break;
    case WM_PAINT:
        PaintControl(combo, Painter(s));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        SetFocus(combo);
        if (s.dropped) CloseUp(combo, s, false);
        else DropDown(combo, s);
        return 0;
    case WM_KEYDOWN:
        OnKey(combo, s, wParam);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        s.focused = message == WM_SETFOCUS;
        if (message == WM_KILLFOCUS) CloseUp(combo, s, false);
        PaintNow(combo, s);
        NotifyParent(combo, message == WM_SETFOCUS ? CBN_SETFOCUS : CBN_KILLFOCUS);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS | (s.dropped ? DLGC_WANTMESSAGE : 0);
    case CB_ADDSTRING: {
        s.items.push_back(Utf8(reinterpret_cast<LPCWSTR>(lParam)));
        s.data.push_back(0);
        return static_cast<LRESULT>(s.items.size() - 1);
    }
    case CB_INSERTSTRING: {
        int index = static_cast<int>(wParam);
        if (index < -1 || index > static_cast<int>(s.items.size())) return CB_ERR;
        if (index == -1) index = static_cast<int>(s.items.size());
        s.items.insert(s.items.begin() + index, Utf8(reinterpret_cast<LPCWSTR>(lParam)));
        s.data.insert(s.data.begin() + index, 0);
        // The selection stays with its item.
        if (s.selected >= index) s.selected++;
        return index;
    }
    case CB_SETITEMDATA:
    case CB_GETITEMDATA: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= static_cast<int>(s.items.size())) return CB_ERR;
        if (message == CB_GETITEMDATA) return s.data[static_cast<size_t>(index)];
        s.data[static_cast<size_t>(index)] = lParam;
        return TRUE;
    }
    case CB_RESETCONTENT: {
        s.items.clear();
        s.data.clear();
        s.selected = -1;
        PaintNow(combo, s);
        return CB_OKAY;
    }
    case CB_GETCOUNT:
        return static_cast<LRESULT>(s.items.size());
    case CB_GETCURSEL:
        return s.selected;
    case CB_SETCURSEL: {
        int index = static_cast<int>(wParam);
        if (index < -1 || index >= static_cast<int>(s.items.size())) return CB_ERR;
        ChangeSelection(combo, s, index, false);
        return index < 0 ? CB_ERR : index;
    }
    case CB_GETLBTEXT: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= static_cast<int>(s.items.size()) || !lParam) return CB_ERR;
        const std::string &item = s.items[static_cast<size_t>(index)];
        return static_cast<LRESULT>(CopyOut(item, reinterpret_cast<LPWSTR>(lParam), SIZE_MAX, true));
    }
    case CB_GETLBTEXTLEN: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= static_cast<int>(s.items.size())) return CB_ERR;
        return static_cast<LRESULT>(Utf16(s.items[static_cast<size_t>(index)]).size());
    }
    }
    return DefWindowProcW(combo, message, wParam, lParam);
}

}  // namespace

void RegisterComboBoxClass() {
    RegisterSystemClass("ComboBox", ComboProc, CS_DBLCLKS);
}

}  // namespace headless
