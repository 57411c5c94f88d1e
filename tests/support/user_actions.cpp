#include "support/user_actions.h"

namespace {

std::function<void()> pendingAction;

void CALLBACK RunPendingAction(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (auto fn = std::move(pendingAction)) fn();
}

}  // namespace

void AfterLoopStarts(std::function<void()> fn) {
    pendingAction = std::move(fn);
    SetTimer(nullptr, 0, 50, RunPendingAction);
}

void InNextDialog(const std::function<void()> &fn, const std::function<void(HWND)> &steps) {
    AfterLoopStarts([&steps] {
        // The modal dialog whose loop runs now is the thread's active window.
        HWND dialog = GetActiveWindow();
        steps(dialog);
        if (StillOpen(dialog)) EndDialog(dialog, -1);
    });
    fn();
}

bool StillOpen(HWND dialog) { return IsWindow(dialog) && IsWindowVisible(dialog); }

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void Menu(HWND dialog, int id) { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void SelectItem(HWND dialog, int listId, int index, bool notify) {
    HWND list = GetDlgItem(dialog, listId);
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (notify) SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

void DoubleClickItem(HWND dialog, int listId, int index) {
    HWND list = GetDlgItem(dialog, listId);
    RECT item{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
}

void ChooseComboItem(HWND dialog, int comboId, int index) {
    HWND combo = GetDlgItem(dialog, comboId);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

std::pair<int, int> VisibleItems(HWND list) {
    RECT client, item;
    GetClientRect(list, &client);
    int first = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0)), end = first;
    int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    while (end < count && SendMessageW(list, LB_GETITEMRECT, end, reinterpret_cast<LPARAM>(&item)) != LB_ERR &&
           item.top < client.bottom)
        end++;
    return {first, end};
}
