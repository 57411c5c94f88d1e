// The saver file manager (template 2003), the configuration dialog: the
// shows in the system directory, the one the saver plays selected, and the
// ways to a new show, the editor, the settings and deleting a show.
#include "ui/manager.h"

#include "disc/catalogue.h"
#include "player/player.h"
#include "player/settings.h"
#include "resources/resource.h"
#include "saverfile/transaction.h"
#include "text/glyphs.h"
#include "text/language.h"
#include "text/text.h"
#include "ui/centre.h"
#include "ui/editor.h"
#include "ui/settings_dialog.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// What the manager knows while it is open, kept with its window.
struct ManagerState {
    HINSTANCE instance = nullptr;
    // The show chosen last, or edited last: the one the saver plays when
    // the manager closes with nothing selected.
    char currentFileName[kShowNameSize] = "";
};

ManagerState &StateOf(HWND dialog) { return *reinterpret_cast<ManagerState *>(GetWindowLongPtrW(dialog, DWLP_USER)); }

// The selected show's name; false, with name empty, when there is no
// selection (or a name too long for any path the saver makes).
bool SelectedShow(HWND dialog, char (&name)[kPathBytes]) {
    *name = 0;
    LRESULT s = SendDlgItemMessageW(dialog, IDC_SHOWS, LB_GETCURSEL, 0, 0);
    if (s < 0) return false;
    std::string text = ListItemText(GetDlgItem(dialog, IDC_SHOWS), static_cast<int>(s), false);
    if (text.empty() || text.size() >= sizeof name) return false;
    std::memcpy(name, text.c_str(), text.size() + 1);
    return true;
}

void SetCurrentFileName(HWND dialog, const char *name) {
    char (&current)[kShowNameSize] = StateOf(dialog).currentFileName;
    size_t length = std::strlen(name);
    // A name the editor cannot hold is not taken for one.
    if (length >= kShowNameSize || WideLength(name) > kShowNameLength) length = 0;
    std::memcpy(current, name, length);
    current[length] = 0;
}

// The shows of one folder into the list, each name once.
void ListShowsIn(HWND list, const std::string &folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(folder + "*.qms").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsReservedShowName(Utf8(found.cFileName).c_str()) &&
            SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(found.cFileName)) < 0)
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// The shows of the show folder and those left in the system directory, in
// the list's sorted order, with the first one whose name begins with
// ItemName (in any case) selected.
void FillShowList(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_SHOWS);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    std::string own = ShowFolder(), left = SystemShowFolder();
    ListShowsIn(list, own);
    if (!SameName(own, left)) ListShowsIn(list, left);
    std::wstring current = Wide(settings.itemName);
    LRESULT match = SendMessageW(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(current.c_str()));
    if (match >= 0) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(match), 0);
    UseFontWithGlyphs(dialog);
}

// Whether a show other than the one at path plays the same music (A.QMS
// and A.B.QMS both play SOUND\A).
bool MusicSharedWithAnotherShow(const std::string &path, const char *music) {
    std::string folder = path.substr(0, path.rfind('\\') + 1);
    bool shared = false;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(folder + "*.qms").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
        char other[kPathBytes];
        std::string show = folder + Utf8(found.cFileName);
        shared = !SameName(show, path) && MusicPathOf(show.c_str(), other, sizeof other) && SameName(other, music);
    } while (!shared && FindNextFileW(search, &found));
    FindClose(search);
    return shared;
}

void RunEditorAndRefill(HWND dialog) {
    ManagerState &state = StateOf(dialog);
    RunEditor(state.instance, dialog, state.currentFileName);
    FillShowList(dialog);
}

void Edit(HWND dialog) {
    char name[kPathBytes];
    if (!SelectedShow(dialog, name)) {
        MessageBeep(0);
        return;
    }
    if (std::strlen(name) >= kShowNameSize || WideLength(name) > kShowNameLength) {
        ShowMessageBox(dialog, Text(IDS_NAME_TOO_LONG_EDIT), Text(IDS_SHORT_CAPTION), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    SetCurrentFileName(dialog, name);
    RunEditorAndRefill(dialog);
}

void Delete(HWND dialog) {
    char name[kPathBytes];
    if (!SelectedShow(dialog, name)) {
        MessageBeep(0);
        return;
    }
    if (ShowMessageBox(dialog, FormatText(IDS_DELETE_QUESTION, name), Text(IDS_DELETE_TITLE),
                       MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    std::string path = FindShow(name);
    char music[kPathBytes];
    // The music goes with the last show that plays it, and only when the show went.
    if (RemoveFile(path.c_str())) {
        if (MusicPathOf(path.c_str(), music, sizeof music) && !MusicSharedWithAnotherShow(path, music))
            RemoveFile(music);
    } else if (FileAttributes(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // One an administrator left in the system directory stays where it is.
        ShowMessageBox(dialog, FormatText(IDS_DELETE_DENIED, name), Text(IDS_CAPTION), MB_OK | MB_ICONEXCLAMATION);
    }
    FillShowList(dialog);
    SendDlgItemMessageW(dialog, IDC_SHOWS, LB_SETCURSEL, 0, 0);
}

void Close(HWND dialog) {
    char name[kPathBytes];
    if (!SelectedShow(dialog, name)) std::snprintf(name, sizeof name, "%s", StateOf(dialog).currentFileName);
    std::snprintf(settings.itemName, sizeof settings.itemName, "%s", name);
    if (!WriteItemName(name)) ReportUnwritableSettings(dialog);
    EndDialog(dialog, 0);
}

void OnShowListCommand(HWND dialog, int code) {
    char name[kPathBytes];
    if (code == LBN_SELCHANGE && SelectedShow(dialog, name)) {
        SetCurrentFileName(dialog, name);
        std::snprintf(settings.itemName, sizeof settings.itemName, "%s", name);
    } else if (code == LBN_DBLCLK) {
        Edit(dialog);
    }
}

void OnCommand(HWND dialog, int id, int code) {
    switch (id) {
    case IDC_SHOWS: OnShowListCommand(dialog, code); break;
    case IDC_NEW:
        *StateOf(dialog).currentFileName = 0;
        RunEditorAndRefill(dialog);
        break;
    case IDC_EDIT: Edit(dialog); break;
    case IDC_SETTINGS: RunSettingsDialog(StateOf(dialog).instance, dialog); break;
    case IDC_DELETE_SHOW: Delete(dialog); break;
    case IDOK:
    case IDCANCEL: Close(dialog); break;
    }
}

BOOL OnInitDialog(HWND dialog, ManagerState *state) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    LoadSettingStrings(state->instance);
    ReadSettings();
    ScanForTitleDisc();
    FinishInterruptedSave();
    EnterShowFolder();
    FillShowList(dialog);
    ReadDisplayDepth();
    CentreWindow(dialog, GetDesktopWindow());
    ShowWindow(dialog, SW_SHOW);
    return TRUE;
}

INT_PTR CALLBACK ManagerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, reinterpret_cast<ManagerState *>(lParam));
    case WM_COMMAND:
        if (GetWindowLongPtrW(dialog, DWLP_USER)) OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

BOOL RegisterDialogClasses(HINSTANCE) { return TRUE; }

INT_PTR RunConfiguration(HINSTANCE instance, HWND owner) {
    RegisterDialogClasses(instance);
    ManagerState state;
    state.instance = instance;
    return RunDialog(instance, IDD_MANAGER, owner, ManagerDialogProc,
                           reinterpret_cast<LPARAM>(&state));
}
