// Looks at a running saver from another process, as the system sees it:
// exits 0 when a topmost "WindowsScreenSaverClass" window titled "Screen
// Saver" covers the screen within the given seconds, and 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    for (int i = 0; i < seconds * 10; i++) {
        HWND hwnd = FindWindowA("WindowsScreenSaverClass", "Screen Saver");
        if (hwnd) {
            RECT r;
            GetWindowRect(hwnd, &r);
            LONG ex = GetWindowLongA(hwnd, GWL_EXSTYLE);
            int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
            bool ok = (ex & WS_EX_TOPMOST) && r.left == 0 && r.top == 0 && r.right == w && r.bottom == h &&
                      IsWindowVisible(hwnd);
            std::printf("saver window %ld,%ld-%ld,%ld on %dx%d, %s, %s\n", r.left, r.top, r.right, r.bottom, w, h,
                        (ex & WS_EX_TOPMOST) ? "topmost" : "not topmost",
                        IsWindowVisible(hwnd) ? "visible" : "hidden");
            return ok ? 0 : 1;
        }
        Sleep(100);
    }
    std::printf("no saver window\n");
    return 1;
}
