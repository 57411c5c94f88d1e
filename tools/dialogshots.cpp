// Opens each of the program's dialogs in turn, as the configuration mode
// shows them, so that a picture can be taken of it:
//   dialogshots [-l ja|en] FOLDER
// in the language -l names (the user's, as the saver would choose it, when
// there is none).
// Natively the tool writes the headless screen to FOLDER/dialog-NAME.png
// itself; on Windows it prints "shoot NAME" and holds the dialog up for a
// second and a half, for a screenshot from outside (tools/demo).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "disc/catalogue.h"
#include "platform/testing/layer.h"
#include "resources/resource.h"
#include "text/language.h"
#include "ui/music_dialog.h"
#include "ui/progress.h"
#include "ui/settings_dialog.h"

namespace {

std::string folder;
std::function<void()> whenUp;

void Shoot(const char *name) {
    if (Layer::Available()) {
        Layer::SaveScreen(folder + "/dialog-" + name + ".png");
        return;
    }
    std::printf("shoot %s\n", name);
    std::fflush(stdout);
    Sleep(1500);
}

// Runs inside the modal dialog's own loop once it is up.
void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (auto fn = std::move(whenUp)) fn();
}

void WhenUp(std::function<void()> fn) {
    whenUp = std::move(fn);
    SetTimer(nullptr, 0, 300, Fire);
}

// Lets a modeless window's painting happen, draws on it, then takes its picture.
void ShootModeless(HWND window, const char *name, std::function<void()> draw = {}) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (draw) draw();
    Shoot(name);
    CloseProgressWindow(window);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc >= 3 && std::string(argv[1]) == "-l") {
        UseLanguage(LanguageFor(argv[2], GetUserDefaultUILanguage()));
        argc -= 2;
        argv += 2;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialogshots [-l ja|en] FOLDER\n");
        return 2;
    }
    folder = argv[1];
    HINSTANCE instance = GetModuleHandleW(nullptr);

    WhenUp([] {
        Shoot("settings");
        PostMessageW(GetActiveWindow(), WM_COMMAND, IDCANCEL, 0);
    });
    RunSettingsDialog(instance, nullptr);

    catalogue = Catalogue{};
    const char *tracks[] = {"朝の歌", "Low evening hum", "Ridges", "夜の雪"};
    catalogue.trackCount = 4;
    for (int i = 0; i < 4; i++) std::strcpy(catalogue.trackNames[i], tracks[i]);
    WhenUp([] {
        Shoot("music");
        PostMessageW(GetActiveWindow(), WM_COMMAND, IDCANCEL, 0);
    });
    ChooseMusicTrack(instance, nullptr);

    HWND saving = OpenProgressWindow(instance, nullptr, IDD_SAVING);
    ShootModeless(saving, "saving", [saving] { SendMessageW(saving, WM_PROGRESS, 2, 5); });
    ShootModeless(OpenProgressWindow(instance, nullptr, IDD_READING), "reading");
    return 0;
}
