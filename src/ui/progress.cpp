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

// text: the line it opens with in place of its template's; null to keep that.
BOOL OnInitDialog(HWND window, const char *text) {
    if (text) SetItemText(window, IDC_PROGRESS_TEXT, text);
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
        return OnInitDialog(window, reinterpret_cast<const char *>(lParam));
    case WM_PROGRESS:
        OnProgress(window, static_cast<int16_t>(LOWORD(wParam)), static_cast<int16_t>(LOWORD(lParam)));
        return TRUE;
    case WM_CLOSE:
        return TRUE;  // the work that opened it closes it
    }
    return FALSE;
}

}  // namespace

HWND OpenProgressWindow(HINSTANCE instance, HWND owner, int templateId, const char *text) {
    return MakeDialog(instance, templateId, owner, ProgressProc, reinterpret_cast<LPARAM>(text));
}

void SetProgressText(HWND window, const char *text) {
    SetItemText(window, IDC_PROGRESS_TEXT, text);
    UseFontWithGlyphs(window);
    UpdateWindow(window);
}

void CloseProgressWindow(HWND window) {
    if (window) DestroyWindow(window);
}
