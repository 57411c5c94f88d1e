// The dialog manager and the standard controls, as the program relies on
// them: the order of a dialog's first messages, the dialog keys, and each
// control's notifications and item bookkeeping. Runs against Windows (Wine)
// and the layer alike; where they differ, Windows is right.
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "text/language.h"
#include "support/saver_fixture.h"
#include "wide.h"

namespace {

// ---- a dialog whose procedure writes down what it hears ------------------------

std::vector<std::string> heard;
bool controlsAtInit = false;
INT_PTR endWith = 0;

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_SETFONT: heard.push_back("WM_SETFONT"); break;
    case WM_INITDIALOG:
        heard.push_back("WM_INITDIALOG");
        controlsAtInit = GetDlgItem(dialog, IDC_TRACKS) && GetDlgItem(dialog, IDOK) && GetDlgItem(dialog, IDCANCEL);
        return TRUE;
    case WM_COMMAND:
        heard.push_back("WM_COMMAND " + std::to_string(LOWORD(wParam)));
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam) + 100);
        return TRUE;
    default:
        if (heard.empty()) heard.push_back("first " + std::to_string(message));
    }
    return FALSE;
}

class Dialogs : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        heard.clear();
        controlsAtInit = false;
    }
    // Runs the music template with the recording procedure; keys go to the
    // focused control once the modal loop runs.
    INT_PTR RunWithKeys(std::vector<WPARAM> keys) {
        AfterLoopStarts([keys] {
            for (WPARAM key : keys) {
                PostMessageW(GetFocus(), WM_KEYDOWN, key, 0);
                PostMessageW(GetFocus(), WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
            }
        });
        return RunDialog(GetModuleHandleW(nullptr), IDD_MUSIC, nullptr, RecordingProc, 0);
    }
};

TEST_F(Dialogs, FontComesFirstAndControlsExistBeforeInit) {
    EXPECT_EQ(RunWithKeys({VK_ESCAPE}), IDCANCEL + 100);
    ASSERT_GE(heard.size(), 2u);
    EXPECT_EQ(heard[0], "WM_SETFONT") << "nothing reaches the dialog procedure before its font";
    EXPECT_EQ(heard[1], "WM_INITDIALOG");
    EXPECT_TRUE(controlsAtInit);
}

TEST_F(Dialogs, EnterPressesTheDefaultButtonAndEscCancels) {
    auto commands = [] {
        std::vector<std::string> buttons;
        for (const std::string &h : heard)
            if (h == "WM_COMMAND 1" || h == "WM_COMMAND 2") buttons.push_back(h);
        return buttons;
    };
    EXPECT_EQ(RunWithKeys({VK_RETURN}), IDOK + 100) << "Enter on the combo box: the default button, OK";
    EXPECT_EQ(commands(), std::vector<std::string>{"WM_COMMAND 1"});
    heard.clear();
    EXPECT_EQ(RunWithKeys({VK_ESCAPE}), IDCANCEL + 100);
    EXPECT_EQ(commands(), std::vector<std::string>{"WM_COMMAND 2"});
    heard.clear();
    // Tab moves the focus to the next control that takes it: the Cancel button, which Enter then presses.
    EXPECT_EQ(RunWithKeys({VK_TAB, VK_RETURN}), IDCANCEL + 100);
}

TEST_F(Dialogs, DialogUnitsFollowTheDialogFont) {
    HWND dialog = MakeDialog(GetModuleHandleW(nullptr), IDD_MUSIC, nullptr, RecordingProc, 0);
    ASSERT_NE(dialog, nullptr);
    RECT units{0, 0, 180, 61};
    ASSERT_TRUE(MapDialogRect(dialog, &units));
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, units.right) << "the client area is the template's size";
    EXPECT_EQ(client.bottom, units.bottom);
    // The OK button at 132, 44, 39 x 14 units.
    RECT button{132, 44, 132 + 39, 44 + 14};
    MapDialogRect(dialog, &button);
    RECT ok;
    GetWindowRect(GetDlgItem(dialog, IDOK), &ok);
    POINT corner{ok.left, ok.top};
    ScreenToClient(dialog, &corner);
    EXPECT_EQ(corner.x, button.left);
    EXPECT_EQ(corner.y, button.top);
    EXPECT_EQ(ok.right - ok.left, button.right - button.left);
    DestroyWindow(dialog);
}

TEST_F(Dialogs, AnOwnedWindowGoingHandsTheActivationBackToItsOwner) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND owner = CreateWindowExW(0, L"Static", L"owner", WS_POPUP | WS_VISIBLE | WS_CAPTION, 10, 10, 300, 200, nullptr,
                                 nullptr, instance, nullptr);
    ASSERT_NE(owner, nullptr);
    SetForegroundWindow(owner);
    Pump();
    for (bool destroy : {true, false}) {
        HWND owned = CreateWindowExW(0, L"Static", L"owned", WS_POPUP | WS_VISIBLE | WS_CAPTION, 50, 50, 100, 80, owner,
                                     nullptr, instance, nullptr);
        ASSERT_NE(owned, nullptr);
        EXPECT_EQ(GetActiveWindow(), owned);
        if (destroy) DestroyWindow(owned);
        else ShowWindow(owned, SW_HIDE);
        Pump();
        EXPECT_EQ(GetActiveWindow(), owner) << (destroy ? "destroyed" : "hidden");
        if (!destroy) DestroyWindow(owned);
    }
    // A modal dialog's end does the same.
    AfterLoopStarts([] { PostMessageW(GetActiveWindow(), WM_COMMAND, IDCANCEL, 0); });
    RunDialog(instance, IDD_MUSIC, owner, RecordingProc, 0);
    Pump();
    EXPECT_EQ(GetActiveWindow(), owner) << "after a dialog";
    DestroyWindow(owner);
}

// ---- controls on a plain parent that writes down what they tell it ---------------

struct Told {
    std::vector<std::pair<int, int>> commands;  // control id, notification
    std::vector<ULONG_PTR> deleted;             // item data of WM_DELETEITEM, in order
    std::vector<int> countsAtDelete;            // the list's count when it told
    std::vector<UINT> measured;                 // itemID of WM_MEASUREITEM
    int drawn = 0;
};
Told told;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        told.commands.push_back({LOWORD(wParam), HIWORD(wParam)});
        return 0;
    case WM_DELETEITEM: {
        auto *d = reinterpret_cast<DELETEITEMSTRUCT *>(lParam);
        told.deleted.push_back(d->itemData);
        told.countsAtDelete.push_back(static_cast<int>(SendMessageW(d->hwndItem, LB_GETCOUNT, 0, 0)));
        return TRUE;
    }
    case WM_MEASUREITEM: {
        auto *m = reinterpret_cast<MEASUREITEMSTRUCT *>(lParam);
        told.measured.push_back(m->itemID);
        m->itemHeight = 30;
        return TRUE;
    }
    case WM_DRAWITEM:
        told.drawn++;
        return TRUE;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class Controls : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        told = Told{};
        WNDCLASSW wc{};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TestControlParent";
        RegisterClassW(&wc);
        parent = CreateWindowExW(0, L"TestControlParent", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
        Pump();
    }
    void TearDown() override {
        if (IsWindow(parent)) DestroyWindow(parent);
        UnregisterClassW(L"TestControlParent", GetModuleHandleW(nullptr));
        SaverTest::TearDown();
    }
    HWND Make(const wchar_t *cls, DWORD style, int id, int x = 10, int y = 10, int w = 150, int h = 100) {
        return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), GetModuleHandleW(nullptr), nullptr);
    }
    static void Click(HWND control, int x, int y) {
        SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    HWND parent = nullptr;
};

std::vector<std::string> Strings(HWND list) {
    std::vector<std::string> out;
    int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; i++) {
        WCHAR text[64] = L"";
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        out.push_back(U(text));
    }
    return out;
}

TEST_F(Controls, SortedListInsertsIgnoringCaseAndFindsPrefixesIgnoringCase) {
    HWND list = Make(L"ListBox", LBS_SORT | LBS_NOTIFY | WS_VSCROLL, 1000);
    for (const wchar_t *name : {L"MYSHOW.QMS", L"abc.qms", L"ABD.QMS", L"AB.QMS", L"b.qms"})
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    EXPECT_EQ(Strings(list), (std::vector<std::string>{"AB.QMS", "abc.qms", "ABD.QMS", "b.qms", "MYSHOW.QMS"}));
    EXPECT_EQ(SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"ABCA.QMS")), 2) << "its index";
    EXPECT_EQ(SendMessageW(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"ab")), 0);
    EXPECT_EQ(SendMessageW(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"ABC")), 1);
    EXPECT_EQ(SendMessageW(list, LB_FINDSTRING, 1, reinterpret_cast<LPARAM>(L"ABC")), 2) << "searching after an item";
    EXPECT_EQ(SendMessageW(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"myshow.q")), 5);
    EXPECT_EQ(SendMessageW(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"z")), LB_ERR);
    EXPECT_EQ(SendMessageW(list, LB_FINDSTRING, 4, reinterpret_cast<LPARAM>(L"ab")), 0) << "going round past the end";
    EXPECT_EQ(SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"abd.qms")), 3);
    EXPECT_EQ(SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"ABD")), LB_ERR);
    // A name with '_' goes before the letters.
    EXPECT_EQ(SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"A_.QMS")), 0);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR) << "nothing selected yet";
    EXPECT_EQ(SendMessageW(list, LB_SETCURSEL, 9, 0), LB_ERR);
}

TEST_F(Controls, ListShowsItsScrollBarOnlyWhileItsItemsOverflow) {
    HWND list = Make(L"ListBox", LBS_NOINTEGRALHEIGHT | WS_VSCROLL, 1000, 10, 10, 150, 100);
    auto clientWidth = [list] {
        RECT client;
        GetClientRect(list, &client);
        return static_cast<int>(client.right);
    };
    auto hasBar = [list] { return (GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL) != 0; };
    int bare = clientWidth();
    EXPECT_FALSE(hasBar()) << "empty";
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"one"));
    EXPECT_FALSE(hasBar());
    for (int i = 0; i < 20; i++) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"more"));
    EXPECT_TRUE(hasBar()) << "overflowing";
    EXPECT_EQ(clientWidth(), bare - GetSystemMetrics(SM_CXVSCROLL));
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    EXPECT_FALSE(hasBar()) << "emptied";
    EXPECT_EQ(clientWidth(), bare);
    // With LBS_DISABLENOSCROLL it stays, greyed.
    HWND kept = Make(L"ListBox", LBS_NOINTEGRALHEIGHT | LBS_DISABLENOSCROLL | WS_VSCROLL, 1001, 200, 10, 150, 100);
    EXPECT_TRUE(GetWindowLongW(kept, GWL_STYLE) & WS_VSCROLL);
}

// Many items put in at once: room made first, and with redrawing off the
// list neither repaints nor shows its bar until it is back on.
TEST_F(Controls, ListFilledWithRedrawingOffCatchesUpWhenItComesBackOn) {
    HWND list = Make(L"ListBox", LBS_NOINTEGRALHEIGHT | WS_VSCROLL, 1000, 10, 10, 150, 100);
    auto hasBar = [list] { return (GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL) != 0; };
    EXPECT_GE(SendMessageW(list, LB_INITSTORAGE, 50, 0), 50);
    Pump();
    ValidateRect(list, nullptr);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < 50; i++) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"item"));
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 50);
    EXPECT_FALSE(hasBar()) << "not while redrawing is off";
    EXPECT_FALSE(GetUpdateRect(list, nullptr, FALSE)) << "nothing to repaint yet";
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    EXPECT_TRUE(hasBar()) << "back on: the bar for the fifty";
    EXPECT_EQ(Strings(list), std::vector<std::string>(50, "item"));
}

TEST_F(Controls, ListTellsItsParentOfTheUsersSelectionOnly) {
    HWND list = Make(L"ListBox", LBS_NOTIFY, 7);
    for (const wchar_t *s : {L"one", L"two", L"three"}) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    EXPECT_TRUE(told.commands.empty()) << "the program's own selection is not a notification";
    RECT item;
    SendMessageW(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
    Click(list, item.left + 5, item.top + 2);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 2);
    ASSERT_FALSE(told.commands.empty());
    EXPECT_EQ(told.commands.back(), (std::pair<int, int>{7, LBN_SELCHANGE}));
    told.commands.clear();
    SendMessageW(list, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
    ASSERT_FALSE(told.commands.empty());
    EXPECT_EQ(told.commands.back(), (std::pair<int, int>{7, LBN_SELCHANGE}));
    told.commands.clear();
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(item.left + 5, item.top + 2));
    ASSERT_FALSE(told.commands.empty());
    EXPECT_EQ(told.commands.back(), (std::pair<int, int>{7, LBN_DBLCLK}));
}

TEST_F(Controls, OwnerDrawnItemsAreMeasuredAndTheirGoingIsTold) {
    HWND list = Make(L"ListBox", LBS_OWNERDRAWVARIABLE | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL, 1006, 10, 10,
                     120, 200);
    for (ULONG_PTR data : {0x1111u, 0x2222u, 0x3333u, 0x4444u})
        SendMessageW(list, LB_ADDSTRING, 0, static_cast<LPARAM>(data));
    EXPECT_EQ(told.measured, (std::vector<UINT>{0, 1, 2, 3})) << "each new item is measured";
    EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 2, 0), 30);
    SendMessageW(list, LB_SETITEMHEIGHT, 2, MAKELPARAM(70, 0));
    EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 2, 0), 70);
    EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 1, 0), 30) << "the others keep theirs";
    EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, 3, 0), 0x4444);
    // An item without strings hands out its data through LB_GETTEXT too, pointer-sized.
    ULONG_PTR text[2] = {0, 0x5A5A};
    EXPECT_EQ(SendMessageW(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text)), static_cast<LRESULT>(sizeof(ULONG_PTR)));
    EXPECT_EQ(text[0], 0x2222u);
    EXPECT_EQ(text[1], 0x5A5Au);

    EXPECT_EQ(SendMessageW(list, LB_DELETESTRING, 1, 0), 3) << "the items left";
    EXPECT_EQ(told.deleted, (std::vector<ULONG_PTR>{0x2222}));
    EXPECT_EQ(told.countsAtDelete, (std::vector<int>{3})) << "told once the item has left the list";
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(told.deleted, (std::vector<ULONG_PTR>{0x2222, 0x4444, 0x3333, 0x1111})) << "the last item first";
    SendMessageW(list, LB_ADDSTRING, 0, 0x5555);
    DestroyWindow(list);
    EXPECT_EQ(told.deleted.back(), 0x5555u) << "a list that goes tells of its items";
}

TEST_F(Controls, ButtonsAndCheckBoxesTellClicks) {
    HWND button = Make(L"Button", BS_PUSHBUTTON, 40, 10, 10, 80, 24);
    HWND check = Make(L"Button", BS_AUTOCHECKBOX, 41, 10, 50, 120, 20);
    Click(button, 5, 5);
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(told.commands, (std::vector<std::pair<int, int>>{{40, BN_CLICKED}, {40, BN_CLICKED}}));
    told.commands.clear();
    // A click that leaves the button before the release is no click.
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(300, 5));
    EXPECT_TRUE(told.commands.empty());

    EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    Click(check, 3, 3);
    EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(check, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(told.commands, (std::vector<std::pair<int, int>>{{41, BN_CLICKED}})) << "BM_SETCHECK tells nothing";
}

TEST_F(Controls, DropDownListChangesOnArrowKeysAndTellsOnlyThen) {
    HWND combo = Make(L"ComboBox", CBS_DROPDOWNLIST | WS_VSCROLL, 1010, 10, 10, 200, 120);
    for (const wchar_t *s : {L"朝", L"夕", L"夜"}) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 0, 0), 0);
    EXPECT_TRUE(told.commands.empty());
    SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    bool changed = false;
    for (auto [id, code] : told.commands) changed |= id == 1010 && code == CBN_SELCHANGE;
    EXPECT_TRUE(changed);
    WCHAR text[16] = L"";
    SendMessageW(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"夕");
    EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 5, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1) << "an index past the end changes nothing";
    EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR) << "-1 clears the selection";
    RECT r;
    GetWindowRect(combo, &r);
    EXPECT_LT(r.bottom - r.top, 60) << "the window is as tall as its field; the list drops below";
}

TEST_F(Controls, DropDownListInsertsBeforeItsSelectionAndKeepsItemData) {
    HWND combo = Make(L"ComboBox", CBS_DROPDOWNLIST | WS_VSCROLL, 1010, 10, 10, 200, 120);
    for (const wchar_t *s : {L"A", L"C"}) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    EXPECT_EQ(SendMessageW(combo, CB_SETITEMDATA, 1, 77), TRUE);
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(SendMessageW(combo, CB_INSERTSTRING, 1, reinterpret_cast<LPARAM>(L"B")), 1);
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2) << "the selection stays with its item";
    EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 2, 0), 77);
    EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 1, 0), 0) << "a new item's data is 0";
    EXPECT_EQ(SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"D")), 3);
    EXPECT_EQ(SendMessageW(combo, CB_INSERTSTRING, 9, reinterpret_cast<LPARAM>(L"X")), CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 9, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_SETITEMDATA, 9, 1), CB_ERR);
    WCHAR text[8] = L"";
    SendMessageW(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"B");
    EXPECT_TRUE(told.commands.empty()) << "inserting tells the parent nothing";
}

TEST_F(Controls, ScrollBarKeepsItsPositionInItsRange) {
    HWND bar = Make(L"ScrollBar", SBS_HORZ, 1011, 10, 10, 150, 17);
    EXPECT_TRUE(SetScrollRange(bar, SB_CTL, 5, 30, FALSE));
    EXPECT_EQ(SetScrollPos(bar, SB_CTL, 12, TRUE), 5) << "the old position: the range's start";
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 12);
    SetScrollPos(bar, SB_CTL, 99, TRUE);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 30);
    int low = 0, high = 0;
    EXPECT_TRUE(GetScrollRange(bar, SB_CTL, &low, &high));
    EXPECT_EQ(low, 5);
    EXPECT_EQ(high, 30);
}

}  // namespace
