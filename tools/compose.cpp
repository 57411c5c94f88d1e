// Composes a show in the configuration dialog as a user would, from the
// title disc in the CD-ROM drive (tools/sampledisc makes one):
//   compose [-l ja|en] FOLDER NAME [PHOTOS]
// in the language -l names (the user's, as the saver would choose it, when
// there is none).
// New; every picture of the second content, three of the first (one of
// them without a preview) and all of the third; with PHOTOS (a DOS path),
// that folder chosen with "フォルダーを選ぶ..." and all its pictures; the
// first track; Save as NAME; Close; NAME chosen in the list; the shortest interval in Settings;
// Close. On the way the editor and the manager are photographed: natively
// the tool writes the headless screen to FOLDER/NAME.png itself; on Windows
// it prints "shoot NAME" and holds still for a second and a half, for a
// screenshot from outside.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/testing/layer.h"
#include "resources/resource.h"
#include "support/folder_dialog.h"
#include "support/save_dialog.h"
#include "support/user_actions.h"
#include "text/language.h"
#include "text/text.h"
#include "ui/manager.h"

namespace {

std::string folder, photos;

void Shoot(HWND window, const char *name) {
    // Let every change be painted first: the windows it stands over (its
    // owners), then the window itself.
    std::vector<HWND> chain;
    for (HWND w = window; w; w = GetWindow(w, GW_OWNER)) chain.push_back(w);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        RedrawWindow(*it, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (Layer::Available()) {
        Layer::SaveScreen(folder + "/" + name + ".png");
        return;
    }
    GdiFlush();
    std::printf("shoot %s\n", name);
    std::fflush(stdout);
    Sleep(1500);
}

// The editor makes the previews of a folder's photos while it waits for
// the user: its loop runs a while first, so the picture shows them.
void LetTheLoopRun() {
    for (int turn = 0; turn < 5000; turn++) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else if (!Layer::Available()) {
            if (turn > 400) return;
            Sleep(5);
        } else {
            DWORD next = Layer::NextEventIn();
            if (next > 1000) return;
            Layer::AdvanceClock(next);
        }
    }
}

void ComposeInEditor(HWND editor, const std::string &name, bool *saved) {
    ChooseComboItem(editor, IDC_CONTENTS, 1);
    Click(editor, IDC_ADD_ALL);
    ChooseComboItem(editor, IDC_CONTENTS, 0);
    SelectItem(editor, IDC_SOURCE_LIST, 0);
    Click(editor, IDC_ADD);
    DoubleClickItem(editor, IDC_SOURCE_LIST, 2);
    DoubleClickItem(editor, IDC_SOURCE_LIST, 5);
    ChooseComboItem(editor, IDC_CONTENTS, 2);
    Click(editor, IDC_ADD_ALL);
    if (!photos.empty()) {
        // The last item of the chooser asks for a folder.
        int chooser = static_cast<int>(SendDlgItemMessageW(editor, IDC_CONTENTS, CB_GETCOUNT, 0, 0)) - 1;
        AnswerFolderChoosers([&] { ChooseComboItem(editor, IDC_CONTENTS, chooser); }, {photos});
        Click(editor, IDC_ADD_ALL);
    }
    InNextDialog([&] { Click(editor, IDC_CHOOSE_MUSIC); },
                 [](HWND music) {
                     SendDlgItemMessageW(music, IDC_TRACKS, CB_SETCURSEL, 0, 0);
                     Click(music, IDOK);
                 });
    AnswerSaveAs([&] { Menu(editor, IDM_SAVE); }, {name});
    *saved = WindowText(editor).find(name) != std::string::npos;
    SelectItem(editor, IDC_SOURCE_LIST, 1);
    SelectItem(editor, IDC_SHOW_LIST, 2);
    LetTheLoopRun();
    Shoot(editor, "editor");
    Menu(editor, IDM_CLOSE);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc >= 3 && std::string(argv[1]) == "-l") {
        UseLanguage(LanguageFor(argv[2], GetUserDefaultUILanguage()));
        argc -= 2;
        argv += 2;
    }
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: compose [-l ja|en] FOLDER NAME [PHOTOS]\n");
        return 2;
    }
    folder = argv[1];
    if (argc == 4) photos = argv[3];
    std::string name = argv[2];
    bool saved = false, listed = false;
    InNextDialog([] { RunConfiguration(GetModuleHandleW(nullptr), nullptr); },
                 [&](HWND manager) {
                     InNextDialog([&] { Click(manager, IDC_NEW); },
                                  [&](HWND editor) { ComposeInEditor(editor, name, &saved); });
                     std::string file = name + ".QMS";
                     LRESULT index = SendItemText(manager, IDC_SHOWS, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), file);
                     listed = index >= 0;
                     if (listed) SelectItem(manager, IDC_SHOWS, static_cast<int>(index), true);
                     Shoot(manager, "manager");
                     // The shortest interval, the bar's thumb dragged to its left end.
                     InNextDialog([&] { Click(manager, IDC_SETTINGS); },
                                  [](HWND settings) {
                                      HWND bar = GetDlgItem(settings, IDC_INTERVAL);
                                      SendMessageW(settings, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0),
                                                   reinterpret_cast<LPARAM>(bar));
                                      Click(settings, IDOK);
                                  });
                     Click(manager, IDOK);
                 });
    if (!saved || !listed) std::fprintf(stderr, "compose: the show %s was %s\n", name.c_str(), saved ? "not listed" : "not saved");
    return saved && listed ? 0 : 1;
}
