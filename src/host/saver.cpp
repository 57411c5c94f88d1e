// The saver window: full screen or inside the control panel's preview,
// with the cursor hidden, the input method off, and the password check of
// the Windows 95 family before it may close.
#include "host/host.h"

#include "player/player.h"
#include "resources/resource.h"

#include <cstdlib>

namespace {

const WCHAR kSaverClass[] = L"WindowsScreenSaverClass";
const WCHAR kSaverTitle[] = L"Screen Saver";

void HideCursor() { SetCursor(nullptr); }

bool IsInputMessage(UINT message) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return true;
    }
    return false;
}

LRESULT OnCreate(HWND hwnd) {
    if (HMODULE imm = GetModuleHandleW(L"IMM32.DLL")) {
        host.imeFunction = ProcAddress<AssociateContextProc>(imm, "ImmAssociateContext");
        if (host.imeFunction) host.savedInputContext = host.imeFunction(hwnd, nullptr);
    }
    GetCursorPos(&host.lastCursor);
    if (!host.isPreview) ShowCursor(FALSE);
    return 0;
}

void OnDestroy(HWND hwnd) {
    if (host.imeFunction && host.savedInputContext) host.imeFunction(hwnd, host.savedInputContext);
    PostQuitMessage(0);
}

// Asks the system's password check, at most once every 200 ms.
BOOL CloseCheck(HWND hwnd) {
    if (!host.verifyFunction) {
        host.closeAllowed = TRUE;
        return host.closeAllowed;
    }
    DWORD now = GetTickCount();
    if (host.lastVerifyTick != static_cast<DWORD>(-1) && now - host.lastVerifyTick < 200) return FALSE;
    host.verifying = TRUE;
    // The check may take a while; timer ticks that piled up meanwhile are stale.
    MSG msg;
    PeekMessageW(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    PeekMessageW(&msg, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
    host.closeAllowed = static_cast<BOOL>(SendMessageW(hwnd, WM_VERIFYPASSWORD, 0, 0));
    host.verifying = FALSE;
    if (!host.closeAllowed) HideCursor();
    host.lastVerifyTick = GetTickCount();
    return host.closeAllowed;
}

}  // namespace

LRESULT DefSaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (host.isPreview || host.closeAllowed) return DefWindowProcW(hwnd, message, wParam, lParam);

    if (host.isWin95Family) {
        if (message == WM_CLOSE && !CloseCheck(hwnd)) {
            GetCursorPos(&host.lastCursor);
            return 0;
        }
        if (message == WM_VERIFYPASSWORD) return host.verifyFunction ? host.verifyFunction(hwnd) : 1;
    }
    if (!host.verifying) {
        switch (message) {
        case WM_SHOWWINDOW:
            if (wParam) HideCursor();
            break;
        case WM_SETCURSOR:
            HideCursor();
            return TRUE;
        case WM_ACTIVATEAPP:
            if (wParam) break;
            [[fallthrough]];
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            PostMessageW(hwnd, WM_CLOSE, 0, 0);
            break;
        case WM_MOUSEMOVE: {
            POINT pt;
            GetCursorPos(&pt);
            if (std::abs(pt.x - host.lastCursor.x) + std::abs(pt.y - host.lastCursor.y) > host.moveThreshold) {
                PostMessageW(hwnd, WM_CLOSE, 0, 0);
                host.lastCursor = pt;
            }
            break;
        }
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The next stop for a message the host does not finish itself: the player,
// then the default saver procedure.
static LRESULT PassOn(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (PlayerWindowProc(hwnd, message, wParam, lParam, &result)) return result;
    return DefSaverProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK SaverClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate(hwnd);
        break;
    case WM_DESTROY:
        OnDestroy(hwnd);
        break;
    case WM_PAINT:
        if (host.closeAllowed) return DefWindowProcW(hwnd, message, wParam, lParam);
        if (!host.isPreview) HideCursor();
        break;
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (host.isPreview) {
            // Help belongs to the control panel. WM_HELP carries a pointer to
            // a HELPINFO that lives only during this call, so Windows refuses
            // to post it: it is sent instead.
            HWND parent = GetParent(hwnd);
            if (message == WM_HELP) SendMessageW(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
            else PostMessageW(parent, message, reinterpret_cast<WPARAM>(parent), lParam);
            return 1;
        }
        break;
    case WM_SYSCOMMAND:
        if (!host.isPreview) {
            switch (wParam & 0xFFF0) {
            case SC_SCREENSAVE:
            case SC_NEXTWINDOW:
            case SC_PREVWINDOW:
                return 0;
            }
        }
        break;
    case WM_TIMER:
        if (host.closeAllowed) return 0;
        Sleep(0);
        break;
    case WM_SETTEXT:
        return 0;
    default:
        if (IsInputMessage(message) && host.closeAllowed) return DefWindowProcW(hwnd, message, wParam, lParam);
        break;
    }
    return PassOn(hwnd, message, wParam, lParam);
}

void LoadPasswordCheck() {
    if (!host.isWin95Family) return;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    DWORD usePassword = 0, size = sizeof usePassword, type = 0;
    if (RegQueryValueExW(key, L"ScreenSaveUsePassword", nullptr, &type,
                         reinterpret_cast<BYTE *>(&usePassword), &size) != ERROR_SUCCESS)
        usePassword = 0;
    RegCloseKey(key);
    if (!usePassword) return;
    host.passwordLibrary = LoadLibraryW(L"PASSWORD.CPL");
    if (!host.passwordLibrary) return;
    host.verifyFunction =
        ProcAddress<VerifyPasswordProc>(host.passwordLibrary, "VerifyScreenSavePwd");
    if (host.verifyFunction) {
        SystemParametersInfoW(SPI_SCREENSAVERRUNNING, TRUE, nullptr, 0);
    } else {
        FreeLibrary(host.passwordLibrary);
        host.passwordLibrary = nullptr;
    }
}

void UnloadPasswordCheck() {
    if (host.isWin95Family) SystemParametersInfoW(SPI_SCREENSAVERRUNNING, FALSE, nullptr, 0);
    if (host.passwordLibrary) FreeLibrary(host.passwordLibrary);
    host.passwordLibrary = nullptr;
    host.verifyFunction = nullptr;
}

HWND CreateSaverWindow(HWND parent, bool *alreadyRunning) {
    if (alreadyRunning) *alreadyRunning = false;
    WNDCLASSW wc{};
    wc.style = CS_OWNDC | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = SaverClassProc;
    wc.hInstance = host.instance;
    wc.hIcon = LoadIconW(host.instance, MAKEINTRESOURCEW(IDI_SAVER));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kSaverClass;

    DWORD style, exStyle = 0;
    int x = 0, y = 0, width, height;
    const WCHAR *title;
    if (parent) {
        RECT r;
        GetClientRect(parent, &r);
        width = r.right;
        height = r.bottom;
        style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
        title = L"Preview";
        host.isPreview = true;
    } else {
        if (HWND running = FindWindowW(kSaverClass, kSaverTitle)) {
            SetForegroundWindow(running);
            if (alreadyRunning) *alreadyRunning = true;
            return nullptr;
        }
        LoadPasswordCheck();
        // Every monitor: the virtual screen, which starts left of or above
        // the primary when a monitor lies there.
        x = GetSystemMetrics(SM_XVIRTUALSCREEN);
        y = GetSystemMetrics(SM_YVIRTUALSCREEN);
        width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
        height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
        style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        exStyle = WS_EX_TOPMOST;
        title = kSaverTitle;
    }
    // The class stays registered from an earlier window of this process.
    RegisterClassW(&wc);
    host.saverWindow =
        CreateWindowExW(exStyle, kSaverClass, title, style, x, y, width, height, parent, nullptr, host.instance, nullptr);
    if (host.saverWindow && !host.isPreview) SetForegroundWindow(host.saverWindow);
    return host.saverWindow;
}

int RunMessageLoop() {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int RunSaver(HWND parent) {
    bool alreadyRunning = false;
    HWND hwnd = CreateSaverWindow(parent, &alreadyRunning);
    if (alreadyRunning) return 0;
    int result = hwnd ? RunMessageLoop() : -1;
    UnloadPasswordCheck();
    return result;
}
