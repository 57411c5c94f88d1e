// The progress windows: modeless, shown and painted at once because no
// message loop runs while they are up; the saving window's bar is drawn
// straight onto it at each WM_PROGRESS.
#include "ui/progress.h"

#include "resources/resource.h"
#include "text/glyphs.h"
#include "text/language.h"
#include "text/text.h"
#include "ui/centre.h"

#include <algorithm>
#include <cstdint>

namespace {

BOOL OnInitDialog(HWND window) {
    CentreWindow(window, GetDesktopWindow());
    UseFontWithGlyphs(window);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return TRUE;
}

// A frame along the bottom, one scroll-bar arrow high, filled from the left
// as far as the steps go; the fill never leaves the frame.
void OnProgress(HWND window, int16_t step, int16_t steps) {
    HDC hdc = GetDC(window);
    if (!hdc) return;
    int h = GetSystemMetrics(SM_CYVSCROLL);
    RECT r;
    GetClientRect(window, &r);
    Rectangle(hdc, r.left + 10, r.bottom - 2 * h, r.right - 10, r.bottom - h);
    if (step != 0 && steps != 0) {
        float done = std::clamp(static_cast<float>(step) / static_cast<float>(steps), 0.0f, 1.0f);
        int width = static_cast<int>(static_cast<float>(r.right - 20) * done);
        if (width > 0) PatBlt(hdc, r.left + 10, r.bottom - 2 * h, width, h, BLACKNESS);
    }
    ReleaseDC(window, hdc);
}

INT_PTR CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(window);
    case WM_PROGRESS:
        OnProgress(window, static_cast<int16_t>(LOWORD(wParam)), static_cast<int16_t>(LOWORD(lParam)));
        return TRUE;
    case WM_CLOSE:
        return TRUE;  // the work that opened it closes it
    }
    return FALSE;
}

}  // namespace

HWND OpenProgressWindow(HINSTANCE instance, HWND owner, int templateId) {
    return MakeDialog(instance, templateId, owner, ProgressProc, 0);
}

void SetProgressText(HWND window, const char *text) {
    SetItemText(window, IDC_PROGRESS_TEXT, text);
    UseFontWithGlyphs(window);
    UpdateWindow(window);
}

void CloseProgressWindow(HWND window) {
    if (window) DestroyWindow(window);
}

void TakeOwnMessages(HWND window) {
    MSG msg;
    while (window && PeekMessageW(&msg, window, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {  // taken whatever the filter: left for the loop it is meant for
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
