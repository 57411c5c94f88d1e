// Drives the configuration dialogs from another process, as a user with a
// large Pictures folder meets them, and times what the user waits for:
//
//   editor_probe SAVER PHOTOS SHOWNAME [SCREEN.BMP]
//
// with a Pictures folder of PHOTOS phone photos made by "samplephotos
// --phones" and no title disc: starts "SAVER /c", clicks New in the
// manager (the editor opens on the Pictures folder) and reports
//   - how long after the click the editor first answers a message;
//   - how many photos the source list holds (PHOTOS expected);
//   - how long until every item on the screen shows its own photo's
//     preview, upright, and the same once scrolled to the middle;
//   - every 100 ms from the click on, a message sent with a 250 ms timeout
//     to the window the user sees (the manager, then the editor): how many
//     were left unanswered and the longest wait;
// then adds the first forty photos, saves the show as SHOWNAME through the
// save-as dialog, times Add all, closes both dialogs (not saving again)
// and waits for the saver to end.
// Exits 0 when the editor answered within a second, listed PHOTOS, drew
// the visible previews within two seconds, saved, took all within a
// second and left no probe unanswered; 1 otherwise. SCREEN.BMP, when given, receives the screen as the
// probe saw it once the first previews were drawn.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "resource.h"

namespace {

DWORD processId = 0;

double Now() {
    static LARGE_INTEGER frequency{};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The saver's visible top-level window that has a control of this id.
HWND WindowWith(int controlId, HWND owner = nullptr) {
    struct Search {
        int id;
        HWND owner, found;
    } search{controlId, owner, nullptr};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto *s = reinterpret_cast<Search *>(p);
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid != processId || !IsWindowVisible(w) || !GetDlgItem(w, s->id)) return TRUE;
            if (s->owner && GetWindow(w, GW_OWNER) != s->owner) return TRUE;
            s->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

template <typename Found>
auto WaitFor(double milliseconds, Found found) -> decltype(found()) {
    double end = Now() + milliseconds;
    for (;;) {
        auto result = found();
        if (result || Now() > end) return result;
        Sleep(10);
    }
}

bool Answers(HWND window, UINT timeout) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeout, &result) != 0;
}

// The probe: every 100 ms a message with a 250 ms timeout to the window
// the user sees.
std::atomic<HWND> target{nullptr};
std::atomic<bool> probing{true};
std::atomic<int> probes{0}, unanswered{0};
std::atomic<int> longestWait{0};

void Probe() {
    while (probing) {
        HWND window = target;
        if (window && IsWindow(window)) {
            double start = Now();
            bool answered = Answers(window, 250);
            int waited = static_cast<int>(Now() - start);
            probes++;
            if (!answered && IsWindow(window)) unanswered++;
            if (waited > longestWait) longestWait = waited;
        }
        Sleep(100);
    }
}

// Whether every item on the screen shows its own photo's preview, upright:
// photo k of samplephotos' folder is red above with a green of 20 * (k % 10),
// so a point a quarter down the preview tells which photo is drawn there
// (an item still to come is an empty frame of the window's colour, and
// one drawn before a scroll shows another photo's green).
bool VisiblePreviewsDrawn(HWND list) {
    auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    auto top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    auto height = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    RECT client;
    GetClientRect(list, &client);
    if (count <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    bool all = true;
    for (int i = top, y = 0; i < count && y < client.bottom && all; i++, y += height) {
        // The preview takes 56 of a 70-pixel item's height, from 7 down.
        POINT point{client.right / 2, y + height * 21 / 70};
        if (y + height / 2 >= client.bottom) break;
        ClientToScreen(list, &point);
        COLORREF c = GetPixel(screen, point.x, point.y);
        all = GetRValue(c) > 100 && GetBValue(c) < 100 && std::abs(GetGValue(c) - 20 * (i % 10)) <= 12;
    }
    ReleaseDC(nullptr, screen);
    return all;
}

// The save-as dialog's file name box: the Explorer style's combo box, or
// the old style's edit control.
HWND FileNameBox(HWND dialog) {
    if (HWND combo = GetDlgItem(dialog, 0x47c)) {
        HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
        return edit ? edit : combo;
    }
    return GetDlgItem(dialog, 0x480);
}

// The whole screen as a 24-bit BMP file.
bool WriteScreen(const char *path) {
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u, size = stride * static_cast<DWORD>(height);
    std::string pixels(size, '\0');
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), &pixels[0], reinterpret_cast<BITMAPINFO *>(&info),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof info + size), 0, 0,
                          static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof info)};
    FILE *out = std::fopen(path, "wb");
    if (!out) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
              std::fwrite(pixels.data(), 1, size, out) == size;
    return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: editor_probe SAVER PHOTOS SHOWNAME [SCREEN.BMP]\n");
        return 2;
    }
    int expected = std::atoi(argv[2]);
    std::wstring command = L"\"";
    for (const char *c = argv[1]; *c; c++) command += static_cast<wchar_t>(*c);
    command += L"\" /c";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("cannot start %s\n", argv[1]);
        return 1;
    }
    processId = process.dwProcessId;
    bool ok = true;
    HWND manager = WaitFor(30000, [] { return WindowWith(IDC_SHOWS); });
    if (!manager || !WaitFor(10000, [&] { return Answers(manager, 1000); })) {
        std::printf("no manager\n");
        TerminateProcess(process.hProcess, 1);
        return 1;
    }
    std::thread probe(Probe);
    target = manager;
    double clicked = Now();
    PostMessageW(GetDlgItem(manager, IDC_NEW), BM_CLICK, 0, 0);
    HWND editor = WaitFor(60000, [] { return WindowWith(IDC_SOURCE_LIST); });
    double answered = editor ? WaitFor(60000, [&] { return Answers(editor, 50); }) ? Now() : 0 : 0;
    if (!editor || !answered) {
        std::printf("no editor\n");
        TerminateProcess(process.hProcess, 1);
        probing = false;
        probe.join();
        return 1;
    }
    target = editor;
    int answerMs = static_cast<int>(answered - clicked);
    std::printf("editor answered %d ms after New%s\n", answerMs, answerMs <= 1000 ? "" : " (more than a second)");
    ok &= answerMs <= 1000;

    HWND list = GetDlgItem(editor, IDC_SOURCE_LIST);
    auto listed = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    std::printf("source list: %d photos (%d expected)\n", listed, expected);
    ok &= listed == expected;
    bool drawn = WaitFor(30000, [&] { return VisiblePreviewsDrawn(list); });
    int drawnMs = static_cast<int>(Now() - clicked);
    std::printf("visible previews drawn %d ms after New%s\n", drawnMs,
                !drawn ? " (not all)" : drawnMs <= 2000 ? "" : " (more than two seconds)");
    ok &= drawn && drawnMs <= 2000;
    if (argc == 5 && !WriteScreen(argv[4])) std::printf("cannot write %s\n", argv[4]);
    // Scrolled to the middle, as a user looks further down (to another
    // photo than the one in the same place before).
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(listed / 2 + 3), 0);
    double scrolled = Now();
    drawn = WaitFor(30000, [&] { return VisiblePreviewsDrawn(list); });
    std::printf("scrolled to the middle: previews drawn after %d ms%s\n", static_cast<int>(Now() - scrolled),
                drawn ? "" : " (not all)");
    ok &= drawn;

    // The first photos into the show, then saved under the name given: a
    // save long enough for the probe to find whether it answers meanwhile.
    const int kAdded = 40;
    for (int i = 0; i < kAdded && i < listed; i++) {
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
        SendMessageW(editor, WM_COMMAND, MAKEWPARAM(IDC_ADD, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(editor, IDC_ADD)));
    }
    auto inShow = static_cast<int>(SendDlgItemMessageW(editor, IDC_SHOW_LIST, LB_GETCOUNT, 0, 0));
    std::printf("show list: %d pictures\n", inShow);
    PostMessageW(editor, WM_COMMAND, MAKEWPARAM(IDM_SAVE, 0), 0);
    HWND saveAs = WaitFor(20000, [&] {
        HWND d = WindowWith(IDOK, editor);
        return d && FileNameBox(d) ? d : nullptr;
    });
    bool saved = false;
    if (saveAs) {
        std::wstring name;
        for (const char *c = argv[3]; *c; c++) name += static_cast<wchar_t>(*c);
        SendMessageW(FileNameBox(saveAs), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
        double start = Now();
        PostMessageW(GetDlgItem(saveAs, IDOK), BM_CLICK, 0, 0);
        // Saved: the caption names the show.
        saved = WaitFor(120000, [&] {
            WCHAR caption[512] = L"";
            GetWindowTextW(editor, caption, 512);
            return !IsWindow(saveAs) && std::wstring(caption).find(name) != std::wstring::npos;
        });
        std::printf("saved as %s in %d ms%s\n", argv[3], static_cast<int>(Now() - start), saved ? "" : " (not saved)");
    } else {
        std::printf("no save-as dialog\n");
    }
    ok &= saved && inShow == std::min(kAdded, listed);

    // Add all, then closed without saving it.
    double start = Now();
    PostMessageW(GetDlgItem(editor, IDC_ADD_ALL), BM_CLICK, 0, 0);
    Sleep(20);
    bool tookAll = WaitFor(60000, [&] { return Answers(editor, 60000); });
    int allMs = static_cast<int>(Now() - start);
    auto total = static_cast<int>(SendDlgItemMessageW(editor, IDC_SHOW_LIST, LB_GETCOUNT, 0, 0));
    std::printf("add all: %d pictures in the show after %d ms%s\n", total, allMs,
                allMs <= 1000 ? "" : " (more than a second)");
    ok &= tookAll && total == inShow + listed && allMs <= 1000;
    probing = false;
    probe.join();
    std::printf("probes: %d sent, %d unanswered, longest wait %d ms\n", probes.load(), unanswered.load(),
                longestWait.load());
    ok &= unanswered == 0;

    // Closing asks whether to save the pictures added since: No.
    PostMessageW(editor, WM_CLOSE, 0, 0);
    if (HWND box = WaitFor(10000, [&] { return WindowWith(IDNO, editor); }))
        PostMessageW(GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
    WaitFor(10000, [&] { return !IsWindow(editor); });
    PostMessageW(manager, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
        std::printf("the saver did not end\n");
        TerminateProcess(process.hProcess, 1);
        ok = false;
    }
    std::printf("%s\n", ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}
