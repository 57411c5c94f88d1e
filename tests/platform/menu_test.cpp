// Menus and sizing as the editor relies on them: the menu its template
// names, above a client area of the template's size; the items' states; a
// click on an item giving WM_COMMAND; and the limits a window sets in
// WM_GETMINMAXINFO. Runs against Windows (Wine) and the layer alike.
#include <functional>
#include <vector>

#include "resources/resource.h"
#include "text/language.h"
#include "support/saver_fixture.h"

namespace {

std::vector<WPARAM> menuCommands;  // WM_COMMAND with lParam 0
std::vector<HMENU> popupsInitialised;
bool menuLoopEnded = false;

INT_PTR CALLBACK EditorLikeProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
        if (lParam == 0) menuCommands.push_back(wParam);
        return TRUE;
    case WM_INITMENUPOPUP: popupsInitialised.push_back(reinterpret_cast<HMENU>(wParam)); return TRUE;
    case WM_EXITMENULOOP: menuLoopEnded = true; return TRUE;
    }
    return FALSE;
}

std::vector<UINT> Ids(HMENU menu) {
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(menu); i++) ids.push_back(GetMenuItemID(menu, i));
    return ids;
}

class Menus : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        menuCommands.clear();
        popupsInitialised.clear();
    }
    void TearDown() override {
        if (dialog && IsWindow(dialog)) DestroyWindow(dialog);
        SaverTest::TearDown();
    }
    void OpenEditorTemplate() {
        dialog = MakeDialog(GetModuleHandleW(nullptr), IDD_EDITOR, nullptr, EditorLikeProc, 0);
        ASSERT_NE(dialog, nullptr);
        ShowWindow(dialog, SW_SHOW);
        Pump();
    }
    HWND dialog = nullptr;
};

TEST_F(Menus, TemplateMenuSitsAboveAClientAreaOfTheTemplatesSize) {
    OpenEditorTemplate();
    HMENU menu = GetMenu(dialog);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    HMENU file = GetSubMenu(menu, 0);
    EXPECT_EQ(Ids(file), (std::vector<UINT>{IDM_SAVE, 0, IDM_CLOSE})) << "the separator's id is 0";
    EXPECT_EQ(Ids(GetSubMenu(menu, 1)), (std::vector<UINT>{IDM_MATCH_DISPLAY, IDM_ALWAYS_256}));

    RECT units{0, 0, 309, 207}, client, window;
    MapDialogRect(dialog, &units);
    GetClientRect(dialog, &client);
    GetWindowRect(dialog, &window);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    DWORD style = GetWindowLongW(dialog, GWL_STYLE), exStyle = GetWindowLongW(dialog, GWL_EXSTYLE);
    RECT withBar = client, without = client;
    AdjustWindowRectEx(&withBar, style, TRUE, exStyle);
    AdjustWindowRectEx(&without, style, FALSE, exStyle);
    EXPECT_EQ(without.top - withBar.top, GetSystemMetrics(SM_CYMENU));
    EXPECT_EQ(window.right - window.left, withBar.right - withBar.left);
    EXPECT_EQ(window.bottom - window.top, withBar.bottom - withBar.top) << "frame, caption and one row of menu";

    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    EXPECT_EQ(SendMessageW(dialog, WM_NCHITTEST, 0, MAKELPARAM(origin.x + 10, origin.y - 5)), HTMENU);
    EXPECT_EQ(SendMessageW(dialog, WM_NCHITTEST, 0, MAKELPARAM(origin.x + 10, origin.y + 5)), HTCLIENT);

    // Without its menu the window keeps its size and the client area takes the bar's room.
    ASSERT_TRUE(SetMenu(dialog, nullptr));
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.bottom, units.bottom + GetSystemMetrics(SM_CYMENU));
    ASSERT_TRUE(SetMenu(dialog, menu));
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.bottom, units.bottom);

    DestroyWindow(dialog);
    EXPECT_EQ(GetMenuItemCount(menu), -1) << "a window's menu goes with it";
    EXPECT_EQ(GetMenuItemCount(file), -1);
}

TEST_F(Menus, EnableAndCheckHandBackThePreviousStateThatGetMenuStateReads) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_EDITOR));
    ASSERT_NE(menu, nullptr);
    HMENU file = GetSubMenu(menu, 0);
    EXPECT_EQ(GetMenuState(menu, 0, MF_BYPOSITION), 3u << 8 | MF_POPUP) << "a popup: its item count over MF_POPUP";
    EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION), UINT(MF_SEPARATOR | MF_GRAYED | MF_DISABLED));
    EXPECT_EQ(GetMenuState(menu, 2, MF_BYPOSITION), UINT(-1));
    EXPECT_EQ(GetMenuItemID(menu, 0), UINT(-1)) << "a popup has no command";
    EXPECT_EQ(GetMenuItemID(file, 3), UINT(-1));
    EXPECT_EQ(GetSubMenu(file, 0), nullptr);

    // By command the whole menu is searched, popups included.
    EXPECT_EQ(EnableMenuItem(menu, IDM_SAVE, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(GetMenuState(menu, IDM_SAVE, MF_BYCOMMAND), UINT(MF_GRAYED));
    EXPECT_EQ(EnableMenuItem(menu, IDM_SAVE, MF_BYCOMMAND | MF_DISABLED), MF_GRAYED);
    EXPECT_EQ(EnableMenuItem(menu, IDM_SAVE, MF_BYCOMMAND | MF_ENABLED), MF_DISABLED);
    EXPECT_EQ(GetMenuState(file, 0, MF_BYPOSITION), UINT(MF_ENABLED));
    EXPECT_EQ(EnableMenuItem(menu, 999, MF_BYCOMMAND | MF_GRAYED), -1);
    EXPECT_EQ(EnableMenuItem(menu, 9, MF_BYPOSITION | MF_GRAYED), -1);
    EXPECT_EQ(EnableMenuItem(menu, 1, MF_BYPOSITION | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(GetMenuState(menu, 1, MF_BYPOSITION), 2u << 8 | MF_POPUP | MF_GRAYED);

    EXPECT_EQ(CheckMenuItem(menu, IDM_ALWAYS_256, MF_BYCOMMAND | MF_CHECKED), DWORD(MF_UNCHECKED));
    EXPECT_EQ(CheckMenuItem(menu, IDM_ALWAYS_256, MF_BYCOMMAND | MF_CHECKED), DWORD(MF_CHECKED));
    EXPECT_EQ(EnableMenuItem(menu, IDM_ALWAYS_256, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED) << "checking is not enabling";
    EXPECT_EQ(GetMenuState(menu, IDM_ALWAYS_256, MF_BYCOMMAND), UINT(MF_CHECKED | MF_GRAYED));
    EXPECT_EQ(CheckMenuItem(menu, IDM_ALWAYS_256, MF_BYCOMMAND | MF_UNCHECKED), DWORD(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(menu, 999, MF_BYCOMMAND | MF_CHECKED), DWORD(-1));

    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_EQ(GetMenuItemCount(menu), -1);
    EXPECT_EQ(GetMenuItemCount(file), -1) << "its popups go with it";
    EXPECT_EQ(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(999)), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
}

// ---- the user's mouse on the menu ---------------------------------------------------

// The popup menu shown now, if any.
HWND ShownPopup() {
    HWND popup = FindWindowW(L"#32768", nullptr);
    return popup && IsWindowVisible(popup) ? popup : nullptr;
}

// Presses and releases the button at a point on the screen. The menu's loop
// reads the point from lParam (as Wine does with posted mouse messages).
void ClickAt(HWND to, int x, int y) {
    PostMessageW(to, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(to, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void PressEsc(HWND to) {
    PostMessageW(to, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(to, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0000001u));
}

// What the user does while the menu is open, one step per timer tick;
// once the steps are done, Esc until the menu loop has ended.
std::vector<std::function<void(HWND popup)>> steps;
size_t nextStep = 0;
HWND menuOwner = nullptr;

void CALLBACK Step(HWND, UINT, UINT_PTR, DWORD) {
    if (nextStep < steps.size()) steps[nextStep++](ShownPopup());
    else if (!menuLoopEnded) PressEsc(ShownPopup() ? ShownPopup() : menuOwner);
}

class MenuClicks : public Menus {
protected:
    // Presses the first title of the menu bar and plays the steps.
    void PressFileMenuAnd(std::vector<std::function<void(HWND)>> play) {
        steps = std::move(play);
        nextStep = 0;
        menuLoopEnded = false;
        menuOwner = dialog;
        POINT origin{0, 0};
        ClientToScreen(dialog, &origin);
        LPARAM title = MAKELPARAM(origin.x + 10, origin.y - GetSystemMetrics(SM_CYMENU) / 2);
        LRESULT hit = SendMessageW(dialog, WM_NCHITTEST, 0, title);
        ASSERT_EQ(hit, HTMENU);
        UINT_PTR timer = SetTimer(nullptr, 0, 60, Step);
        PostMessageW(dialog, WM_NCLBUTTONDOWN, hit, title);
        Pump();  // the menu's loop runs inside
        KillTimer(nullptr, timer);
        Pump();
        EXPECT_TRUE(menuLoopEnded);
        EXPECT_EQ(ShownPopup(), nullptr) << "the popup is gone";
    }
    static void ClickFirstItem(HWND popup) {
        RECT r;
        GetWindowRect(popup, &r);
        ClickAt(popup, r.left + 20, r.top + 8);
    }
    static void ClickLastItem(HWND popup) {
        RECT r;
        GetWindowRect(popup, &r);
        ClickAt(popup, r.left + 20, r.bottom - 8);
    }
};

TEST_F(MenuClicks, AGreyedItemKeepsTheMenuOpenAndAnEnabledOneSendsItsCommand) {
    OpenEditorTemplate();
    HMENU file = GetSubMenu(GetMenu(dialog), 0);
    EnableMenuItem(GetMenu(dialog), IDM_SAVE, MF_BYCOMMAND | MF_GRAYED);
    bool stillOpen = false;
    PressFileMenuAnd({
        [](HWND popup) {
            ASSERT_NE(popup, nullptr);
            ClickFirstItem(popup);
        },
        [&](HWND popup) {
            stillOpen = popup != nullptr;
            if (popup) ClickLastItem(popup);
        },
    });
    EXPECT_TRUE(stillOpen) << "Save is greyed";
    EXPECT_EQ(popupsInitialised, std::vector<HMENU>{file}) << "WM_INITMENUPOPUP before the popup shows";
    EXPECT_EQ(menuCommands, std::vector<WPARAM>{MAKEWPARAM(IDM_CLOSE, 0)});

    menuCommands.clear();
    EnableMenuItem(GetMenu(dialog), IDM_SAVE, MF_BYCOMMAND | MF_ENABLED);
    PressFileMenuAnd({[](HWND popup) {
        if (popup) ClickFirstItem(popup);
    }});
    EXPECT_EQ(menuCommands, std::vector<WPARAM>{MAKEWPARAM(IDM_SAVE, 0)});
}

TEST_F(MenuClicks, EscAndAClickElsewhereCloseTheMenuWithoutACommand) {
    OpenEditorTemplate();
    bool closedByFirstEsc = false;
    PressFileMenuAnd({
        [](HWND popup) { PressEsc(popup); },
        [&](HWND popup) { closedByFirstEsc = popup == nullptr; },  // the bar stays in menu mode until the next Esc
    });
    EXPECT_TRUE(closedByFirstEsc);
    POINT inside{100, 100};
    ClientToScreen(dialog, &inside);
    PressFileMenuAnd({[&](HWND) { ClickAt(dialog, inside.x, inside.y); }});
    EXPECT_TRUE(menuCommands.empty());
}

TEST_F(MenuClicks, BarAndPopupShowTheirItemsGreyedAndChecked) {
    SKIP_WITHOUT_LAYER("reads the headless screen");
    OpenEditorTemplate();
    HMENU menu = GetMenu(dialog);
    EnableMenuItem(menu, IDM_SAVE, MF_BYCOMMAND | MF_GRAYED);
    CheckMenuItem(menu, IDM_CLOSE, MF_BYCOMMAND | MF_CHECKED);
    auto count = [](RECT r, COLORREF color) {
        int n = 0;
        uint32_t want = GetRValue(color) << 16 | GetGValue(color) << 8 | GetBValue(color);
        for (int y = r.top; y < r.bottom; y++)
            for (int x = r.left; x < r.right; x++) n += Layer::ScreenPixel(x, y) == want;
        return n;
    };
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    RECT bar{origin.x, origin.y - GetSystemMetrics(SM_CYMENU), origin.x + 150, origin.y};
    EXPECT_GT(count(bar, GetSysColor(COLOR_MENUTEXT)), 20) << "the titles' text";
    int greyInFirst = 0, inkInFirst = 0, checkInLast = 0;
    PressFileMenuAnd({[&](HWND popup) {
        RECT r;
        ASSERT_TRUE(GetWindowRect(popup, &r));
        RECT first{r.left + 3, r.top + 3, r.right - 3, r.top + 20}, last{r.left + 3, r.bottom - 20, r.left + 16, r.bottom - 3};
        greyInFirst = count(first, GetSysColor(COLOR_GRAYTEXT));
        inkInFirst = count(first, GetSysColor(COLOR_MENUTEXT));
        checkInLast = count(last, GetSysColor(COLOR_MENUTEXT));
    }});
    EXPECT_GT(greyInFirst, 10) << "Save is drawn grey";
    EXPECT_EQ(inkInFirst, 0);
    EXPECT_GT(checkInLast, 6) << "a check mark left of Close";
}

// ---- WM_GETMINMAXINFO -------------------------------------------------------------

int limitsAsked = 0;

LRESULT CALLBACK LimitedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETMINMAXINFO) {
        limitsAsked++;
        auto *limits = reinterpret_cast<MINMAXINFO *>(lParam);
        limits->ptMinTrackSize = {300, 200};
        limits->ptMaxTrackSize = {500, 400};
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(Menus, SizingKeepsWithinTheLimitsOfFramedAndOverlappedWindowsOnly) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = LimitedProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TestLimitedWindow";
    RegisterClassW(&wc);
    auto size = [](HWND hwnd) {
        RECT r;
        GetWindowRect(hwnd, &r);
        return std::make_pair(int(r.right - r.left), int(r.bottom - r.top));
    };
    for (DWORD style : {DWORD(WS_POPUP | WS_THICKFRAME), DWORD(WS_OVERLAPPED | WS_CAPTION),
                        DWORD(WS_POPUP | WS_CAPTION | WS_THICKFRAME)}) {
        limitsAsked = 0;
        HWND hwnd = CreateWindowExW(0, L"TestLimitedWindow", L"", style, 10, 10, 100, 100, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(hwnd, nullptr);
        EXPECT_EQ(size(hwnd), std::make_pair(300, 200)) << std::hex << style << ": made no smaller than the least";
        EXPECT_EQ(limitsAsked, 1);
        SetWindowPos(hwnd, nullptr, 0, 0, 700, 700, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(size(hwnd), std::make_pair(500, 400));
        MoveWindow(hwnd, 0, 0, 40, 40, TRUE);
        EXPECT_EQ(size(hwnd), std::make_pair(300, 200));
        SetWindowPos(hwnd, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        EXPECT_EQ(limitsAsked, 3) << "a move alone does not ask";
        DestroyWindow(hwnd);
    }
    for (DWORD style : {DWORD(WS_POPUP), DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU)}) {
        limitsAsked = 0;
        HWND hwnd = CreateWindowExW(0, L"TestLimitedWindow", L"", style, 10, 10, 100, 100, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
        SetWindowPos(hwnd, nullptr, 0, 0, 700, 700, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(size(hwnd), std::make_pair(700, 700)) << std::hex << style << ": a popup without a sizing frame";
        EXPECT_EQ(limitsAsked, 0);
        DestroyWindow(hwnd);
    }
    UnregisterClassW(L"TestLimitedWindow", GetModuleHandleW(nullptr));
}

}  // namespace
