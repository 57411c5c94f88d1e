// Looks at a running saver from another process, as the system sees it:
// exits 0 when a topmost "WindowsScreenSaverClass" window titled "Screen
// Saver" covers the virtual screen (every monitor) within the given
// seconds, and 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    for (int i = 0; i < seconds * 10; i++) {
        HWND hwnd = FindWindowW(L"WindowsScreenSaverClass", L"Screen Saver");
        if (hwnd) {
            RECT r;
            GetWindowRect(hwnd, &r);
            LONG ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
            int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
            int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
            bool ok = (ex & WS_EX_TOPMOST) && r.left == x && r.top == y && r.right == x + w && r.bottom == y + h &&
                      IsWindowVisible(hwnd);
            std::printf("saver window %ld,%ld-%ld,%ld on %dx%d at %d,%d (%d monitors), %s, %s\n", r.left, r.top,
                        r.right, r.bottom, w, h, x, y, GetSystemMetrics(SM_CMONITORS),
                        (ex & WS_EX_TOPMOST) ? "topmost" : "not topmost",
                        IsWindowVisible(hwnd) ? "visible" : "hidden");
            return ok ? 0 : 1;
        }
        Sleep(100);
    }
    std::printf("no saver window\n");
    return 1;
}
