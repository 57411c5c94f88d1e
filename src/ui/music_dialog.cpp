// The music choice dialog (template 108): the disc's tracks in a drop-down list.
#include "ui/music_dialog.h"

#include "disc/catalogue.h"
#include "resources/resource.h"
#include "text/glyphs.h"
#include "text/language.h"
#include "text/text.h"
#include "ui/centre.h"

namespace {

struct MusicChoice {
    int track = 0;
};

BOOL OnInitDialog(HWND dialog, MusicChoice *choice) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(choice));
    CentreWindow(dialog, GetDesktopWindow());
    HWND tracks = GetDlgItem(dialog, IDC_TRACKS);
    for (int i = 0; i < catalogue.trackCount; i++)
        SendItemText(dialog, IDC_TRACKS, CB_ADDSTRING, 0, catalogue.trackNames[i]);
    SendMessageW(tracks, CB_SETCURSEL, 0, 0);
    UseFontWithGlyphs(dialog);
    return TRUE;
}

void OnCommand(HWND dialog, int id) {
    auto *choice = reinterpret_cast<MusicChoice *>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (id == IDOK) {
        LRESULT selected = SendDlgItemMessageW(dialog, IDC_TRACKS, CB_GETCURSEL, 0, 0);
        // Nothing selected (a disc without tracks) is no choice: as Cancel.
        if (selected == CB_ERR || !choice) {
            EndDialog(dialog, 0);
            return;
        }
        choice->track = static_cast<int>(selected) + 1;
        EndDialog(dialog, 1);
    } else if (id == IDCANCEL) {
        EndDialog(dialog, 0);
    }
}

INT_PTR CALLBACK MusicDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, reinterpret_cast<MusicChoice *>(lParam));
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int ChooseMusicTrack(HINSTANCE instance, HWND owner) {
    MusicChoice choice;
    INT_PTR chosen = RunDialog(instance, IDD_MUSIC, owner, MusicDialogProc,
                                     reinterpret_cast<LPARAM>(&choice));
    return chosen == 1 ? choice.track : 0;
}
