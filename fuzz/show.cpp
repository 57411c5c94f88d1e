// Shows as the player walks them: a dozen ticks on the full screen, then in
// a preview; the player draws what it can and never leaves the file.
#include "target.h"

#include "text/text.h"

#include "host/host.h"
#include "player/player.h"
#include "player/settings.h"

namespace {

void Play(HWND parent, int ticks) {
    ResetProgramState();
    HWND hwnd = CreateSaverWindow(parent, nullptr);
    if (!hwnd) return;
    HDC hdc = GetDC(hwnd);
    for (int i = 0; i < ticks && player.showFile != HFILE_ERROR; i++) {
        DrawNextPicture(hwnd, hdc);
        LONG here = _llseek(player.showFile, 0, FILE_CURRENT);
        LONG end = _llseek(player.showFile, 0, FILE_END);
        _llseek(player.showFile, here, FILE_BEGIN);
        FUZZ_CHECK(here >= 4 && here <= end);
    }
    ReleaseDC(hwnd, hdc);
    DestroyWindow(hwnd);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    FuzzMachine();
    WritePrivateProfileStringW(L"ScreenSaver.QM Custom Saver 2.1", L"ItemName", L"FUZZ.QMS", L"control.ini");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (!WriteInput("C:\\WINDOWS\\SYSTEM\\FUZZ.QMS", data, size)) return 0;
    Play(nullptr, 12);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"FuzzPanel";
    RegisterClassW(&wc);
    HWND panel = CreateWindowExW(0, L"FuzzPanel", L"", WS_POPUP | WS_VISIBLE, 0, 0, 152, 112, nullptr, nullptr, nullptr, nullptr);
    Play(panel, 12);
    DestroyWindow(panel);
    return 0;
}
