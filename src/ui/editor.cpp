// The show editor (template 104, menu 114): its commands, the save and the
// dialog procedure. Both lists are owner-drawn (picture_lists.cpp), one
// PictureEntry per item as its item data; an entry leaves with its item
// (WM_DELETEITEM), so each is released exactly once, also when the dialog
// goes and its lists with it. The content chooser and the source list it
// fills are in contents.cpp.
#include "ui/editor.h"

#include "disc/picture.h"
#include "disc/picture_entry.h"
#include "player/settings.h"
#include "resources/resource.h"
#include "saverfile/load.h"
#include "saverfile/places.h"
#include "saverfile/save.h"
#include "text/glyphs.h"
#include "text/language.h"
#include "text/text.h"
#include "ui/contents.h"
#include "ui/editor_state.h"
#include "ui/music_dialog.h"
#include "ui/picture_lists.h"
#include "ui/progress.h"
#include "ui/settings_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace editor;

constexpr UINT kNothingToActOn = 10;  // the beep of an action that finds no selection
constexpr int kListMargin = 9;        // between the lists' bottom and the window's

void SetModified(HWND dialog, bool modified) {
    StateOf(dialog)->modified = modified;
    EnableMenuItem(GetMenu(dialog), IDM_SAVE, MF_BYCOMMAND | (modified ? MF_ENABLED : MF_GRAYED));
}

// The caption with the show's name: IDS_EDITOR_CAPTION or IDS_SAVED_CAPTION.
void SetCaption(HWND dialog, UINT format, const char *name) { SetWindowTextUtf8(dialog, FormatText(format, name)); }

void CheckColourItems(HWND dialog) {
    HMENU menu = GetMenu(dialog);
    CheckMenuItem(menu, IDM_MATCH_DISPLAY, MF_BYCOMMAND | (settings.use8bit ? MF_UNCHECKED : MF_CHECKED));
    CheckMenuItem(menu, IDM_ALWAYS_256, MF_BYCOMMAND | (settings.use8bit ? MF_CHECKED : MF_UNCHECKED));
}

// A preview for a photo taken into the show: a copy of the list's when it
// has one, else none yet (the show list makes its own when it shows it);
// a photo that could not be read keeps the placeholder.
PackedDib CopyPhotoPreview(const PictureEntry &source) {
    if (!source.preview || IsPlaceholder(source.preview)) return source.preview;
    return DibCopy(source.preview);
}

// A preview for a picture taken into the show: a copy of the source's own
// block, or the shared placeholder.
PackedDib CopyPreview(const PictureEntry &source, int content, int picture) {
    if (DibBlockSize(source.preview) > 0) return DibCopy(source.preview);
    return PlaceholderPicture(content, picture);
}

// Appends the entry to the show and scrolls it into view; false, with the
// entry released, when the list cannot take it.
bool AppendToShow(HWND dialog, PictureEntry *entry) {
    LRESULT index = ListMessage(dialog, IDC_SHOW_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    if (index < 0) {
        FreePictureEntry(entry);
        return false;
    }
    LRESULT count = ListMessage(dialog, IDC_SHOW_LIST, LB_GETCOUNT);
    ListMessage(dialog, IDC_SHOW_LIST, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1));
    // The first item that brings the scroll bar narrows the list: every
    // preview is placed again for the new width.
    InvalidateRect(GetDlgItem(dialog, IDC_SHOW_LIST), nullptr, TRUE);
    return true;
}

// A new show entry for the source list's item index: a photo keeps its
// file, a disc picture its content and number. Null without memory.
PictureEntry *ShowEntryFor(HWND dialog, const PictureEntry &source, int16_t content, int index) {
    PictureEntry *entry = NewPictureEntry();
    if (!entry) return nullptr;
    *entry = source;
    entry->fullData = nullptr;
    entry->filePath = nullptr;
    entry->kind = source.kind == KIND_FILE ? KIND_FILE : KIND_DISC;
    entry->content = entry->kind == KIND_FILE ? 0 : content;
    entry->picture = static_cast<int16_t>(index + 1);
    // A photo is never decoded here, so that taking thousands stays quick.
    entry->preview = entry->kind == KIND_FILE ? CopyPhotoPreview(source) : CopyPreview(source, content, index + 1);
    bool previewOk = entry->preview || entry->kind == KIND_FILE;
    if (!previewOk || !SetEntryFile(entry, source.filePath)) {
        FreePictureEntry(entry);
        return nullptr;
    }
    if (MadeFromPhoto(entry)) StateOf(dialog)->showPreviews++;
    return entry;
}

// The first time the show list holds more pictures than one show can, the
// user hears how many fit; the save would refuse it. Sizes are read from
// the photos only once the show could be too large at all.
void WarnIfTooLarge(HWND dialog) {
    EditorState &state = *StateOf(dialog);
    if (state.warnedFull) return;
    int count = static_cast<int>(ListMessage(dialog, IDC_SHOW_LIST, LB_GETCOUNT));
    std::vector<PictureEntry *> entries;
    for (int i = 0; i < count; i++)
        if (PictureEntry *entry = EntryAt(dialog, IDC_SHOW_LIST, i)) entries.push_back(entry);
    bool large = settings.useLargeSize != 0;
    if (!ShowCouldBeTooLarge(entries, large)) return;  // no photo need be read
    size_t fitting = PicturesThatFit(entries, large);
    if (fitting >= entries.size()) return;
    state.warnedFull = true;
    ShowMessageBox(dialog, FormatText(IDS_SHOW_GETTING_FULL, static_cast<int>(fitting)), Text(IDS_CAPTION),
                   MB_OK | MB_ICONINFORMATION);
}

void Add(HWND dialog) {
    int s = Selection(dialog, IDC_SOURCE_LIST);
    if (s < 0) {
        MessageBeep(kNothingToActOn);
        return;
    }
    PictureEntry *source = EntryAt(dialog, IDC_SOURCE_LIST, s);
    if (!source || (!source->preview && source->kind != KIND_FILE)) return;
    PictureEntry *entry = ShowEntryFor(dialog, *source, ShownContent(dialog), s);
    if (!entry) return;
    if (!AppendToShow(dialog, entry)) return;
    SetModified(dialog, true);
    WarnIfTooLarge(dialog);
    KeepPreviewsBounded(dialog, IDC_SHOW_LIST);
}

void AddAll(HWND dialog) {
    int16_t count = static_cast<int16_t>(ListMessage(dialog, IDC_SOURCE_LIST, LB_GETCOUNT));
    int16_t content = ShownContent(dialog);
    std::vector<PictureEntry *> entries;
    for (int16_t i = 0; i < count; i++) {
        PictureEntry *source = EntryAt(dialog, IDC_SOURCE_LIST, i);
        if (!source) continue;
        PictureEntry *entry = ShowEntryFor(dialog, *source, content, i);
        if (!entry) break;
        entries.push_back(entry);
    }
    // Put in all at once: one scroll and one repaint for all of them.
    AppendEntries(dialog, IDC_SHOW_LIST, entries);
    LRESULT total = ListMessage(dialog, IDC_SHOW_LIST, LB_GETCOUNT);
    if (total > 0) ListMessage(dialog, IDC_SHOW_LIST, LB_SETTOPINDEX, static_cast<WPARAM>(total - 1));
    KeepPreviewsBounded(dialog, IDC_SHOW_LIST);
    SetModified(dialog, true);
    WarnIfTooLarge(dialog);
}

// Moves an item by exchanging item data: nothing leaves the list, so no
// entry is released on the way.
void Exchange(HWND dialog, int a, int b) {
    LRESULT first = ListMessage(dialog, IDC_SHOW_LIST, LB_GETITEMDATA, static_cast<WPARAM>(a));
    LRESULT second = ListMessage(dialog, IDC_SHOW_LIST, LB_GETITEMDATA, static_cast<WPARAM>(b));
    if (first == LB_ERR || second == LB_ERR || !first || !second) return;
    ListMessage(dialog, IDC_SHOW_LIST, LB_SETITEMDATA, static_cast<WPARAM>(a), second);
    ListMessage(dialog, IDC_SHOW_LIST, LB_SETITEMDATA, static_cast<WPARAM>(b), first);
}

void Move(HWND dialog, int from, int to) {
    Exchange(dialog, from, to);
    ListMessage(dialog, IDC_SHOW_LIST, LB_SETCURSEL, static_cast<WPARAM>(to));
    InvalidateRect(GetDlgItem(dialog, IDC_SHOW_LIST), nullptr, TRUE);
    SetModified(dialog, true);
}

void Up(HWND dialog) {
    int s = Selection(dialog, IDC_SHOW_LIST);
    if (s < 1) {
        MessageBeep(kNothingToActOn);
        return;
    }
    Move(dialog, s, s - 1);
}

void Down(HWND dialog) {
    int n = static_cast<int>(ListMessage(dialog, IDC_SHOW_LIST, LB_GETCOUNT));
    int s = Selection(dialog, IDC_SHOW_LIST);
    if (s < 0 || s + 1 >= n) {
        MessageBeep(kNothingToActOn);
        return;
    }
    Move(dialog, s, s + 1);
}

void Delete(HWND dialog) {
    int s = Selection(dialog, IDC_SHOW_LIST);
    if (s < 0) {
        MessageBeep(kNothingToActOn);
        return;
    }
    ListMessage(dialog, IDC_SHOW_LIST, LB_DELETESTRING, static_cast<WPARAM>(s));
    SetModified(dialog, true);
}

void LoadShow(HWND dialog, const char *name) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    LoadedShow show = LoadShowForEditing(name);
    AppendEntries(dialog, IDC_SHOW_LIST, show.entries);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    if (show.error == kLoaded) return;
    ShowMessageBox(dialog, FormatText(IDS_LOAD_ERROR, static_cast<long>(show.error), show.position),
                   Text(IDS_CAPTION), MB_OK);
}

void ChooseMusic(HWND dialog) {
    EditorState &state = *StateOf(dialog);
    int track = ChooseMusicTrack(state.instance, dialog);
    if (track <= 0) return;
    state.musicChoice = static_cast<int16_t>(track);
    SetModified(dialog, true);
}

void SetUseLargeSize(HWND dialog) {
    settings.useLargeSize = SendDlgItemMessageW(dialog, IDC_USE_LARGE, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    if (!WriteSetting(settingStrings.section, settingStrings.keyUseLSize, static_cast<unsigned>(settings.useLargeSize)))
        ReportUnwritableSettings(dialog);
}

void SetUse8bit(HWND dialog, int value) {
    settings.use8bit = value;
    CheckColourItems(dialog);
    if (!WriteSetting(settingStrings.section, settingStrings.keyUse8bit, static_cast<unsigned>(value)))
        ReportUnwritableSettings(dialog);
}

void ReportUnstorableName(HWND dialog, const char *name) {
    ShowMessageBox(dialog, FormatText(IDS_NAME_TOO_LONG, name), Text(IDS_CAPTION), MB_OK | MB_ICONEXCLAMATION);
}

// The save-as dialog. Whatever folder the user browses to, the show is
// written in the show folder under the chosen name and extension; a show
// of that name already there (or left in the system directory) is not
// replaced without asking.
bool AskShowName(HWND dialog, char (&name)[kShowNameSize]) {
    std::wstring filter = Wide(Text(IDS_SAVE_FILTER));
    for (WCHAR &c : filter)
        if (c == L'|') c = 0;
    WCHAR path[MAX_PATH] = L"*.QMS";
    std::string showFolder = ShowFolder();
    const char *folder = showFolder.c_str();
    std::wstring initialDir = Wide(showFolder);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = dialog;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = *folder ? initialDir.c_str() : nullptr;
    ofn.lpstrDefExt = L"QMS";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    if (!GetSaveFileNameW(&ofn)) {
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) ReportUnstorableName(dialog, Utf8(path).c_str());
        return false;
    }
    std::wstring chosen(path);
    std::string bareName = ofn.nFileOffset < chosen.size() ? Utf8(chosen.substr(ofn.nFileOffset)) : "";
    const char *bare = bareName.c_str();
    if (IsReservedShowName(bare)) {
        ShowMessageBox(dialog, FormatText(IDS_RESERVED_NAME, bare), Text(IDS_CAPTION), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!IsStorableShowName(bare)) {
        ReportUnstorableName(dialog, bare);
        return false;
    }
    // The dialog asked about the folder browsed to; ask about the one written to.
    std::string browsed = Utf8(chosen.substr(0, std::min<size_t>(ofn.nFileOffset, chosen.size())));
    bool elsewhere = !SameName(browsed, showFolder);
    if ((elsewhere && FileAttributes((showFolder + bare).c_str()) != INVALID_FILE_ATTRIBUTES) ||
        FileAttributes((SystemShowFolder() + bare).c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (ShowMessageBox(dialog, FormatText(IDS_REPLACE, bare), Text(IDS_CAPTION), MB_YESNO | MB_ICONEXCLAMATION) !=
            IDYES)
            return false;
    }
    std::snprintf(name, sizeof name, "%s", bare);
    return true;
}

// The saving window while a save runs: one for the pictures, another,
// with its own line, for the music.
struct SavingWindows {
    HWND owner;
    HINSTANCE instance;
    HWND window = nullptr;
    SaveStage stage = SaveStage::kPictures;

    void Step(SaveStage now, int step, int steps) {
        if (window && now != stage) {
            CloseProgressWindow(window);
            window = nullptr;
        }
        stage = now;
        if (!window) {
            window = OpenProgressWindow(instance, owner, IDD_SAVING);
            if (window && now == SaveStage::kMusic) SetProgressText(window, Text(IDS_SAVING_MUSIC).c_str());
        }
        if (window) SendMessageW(window, WM_PROGRESS, static_cast<WPARAM>(step), steps);
        // A save of many photos takes a while: the window keeps painted,
        // and the system keeps finding the editor answering.
        TakeOwnMessages(window);
    }
    ~SavingWindows() { CloseProgressWindow(window); }
};

// existed: there was a show of that name before the save.
void ReportSaveFailure(HWND dialog, const char *name, SaveStatus status, bool existed, const char *keptAs) {
    if (status == SaveStatus::kNoMusicMemory) ShowMessageBox(dialog, Text(IDS_MUSIC_NO_MEMORY), Text(IDS_CAPTION), MB_OK);
    std::string text = status == SaveStatus::kNotRestored ? FormatText(IDS_SAVE_NOT_RESTORED, name, keptAs)
                       : existed                          ? FormatText(IDS_SAVE_FAILED_KEPT, name)
                                                          : FormatText(IDS_SAVE_FAILED, name);
    ShowMessageBox(dialog, text, Text(IDS_CAPTION), MB_OK | MB_ICONEXCLAMATION);
}

// What the saved show lacks, and that the editor still holds it.
void ReportLeftOut(HWND dialog, const SaveResult &result, const std::vector<PictureEntry *> &entries) {
    int absent = 0, notOnDisc = 0, gone = 0, unreadable = 0;
    const char *firstUnreadable = nullptr;
    for (const LeftOut &left : result.leftOut) {
        if (left.reason == LeftOutReason::kDiscAbsent) absent++;
        else if (left.reason == LeftOutReason::kNotOnDisc) notOnDisc++;
        else if (left.reason == LeftOutReason::kFileMissing) gone++;
        else if (unreadable++ == 0 && left.index < entries.size()) firstUnreadable = entries[left.index]->filePath;
    }
    // A count takes the text for one or for many.
    auto counted = [](UINT many, UINT one, int count) { return count == 1 ? one : many; };
    std::string text;
    if (absent || result.musicLeftOut) {
        std::string what = !absent ? Text(IDS_NO_DISC_MUSIC)
                           : result.musicLeftOut
                               ? FormatText(counted(IDS_NO_DISC_BOTH, IDS_NO_DISC_BOTH_ONE, absent), absent)
                               : FormatText(counted(IDS_NO_DISC_PICTURES, IDS_NO_DISC_PICTURE, absent), absent);
        text = FormatText(IDS_NO_DISC, what.c_str());
    }
    if (notOnDisc) text += FormatText(counted(IDS_NOT_ON_DISC, IDS_NOT_ON_DISC_ONE, notOnDisc), notOnDisc);
    if (gone) text += FormatText(counted(IDS_FILES_GONE, IDS_FILE_GONE, gone), gone);
    if (unreadable)
        text += FormatText(counted(IDS_FILES_UNREADABLE, IDS_FILE_UNREADABLE, unreadable), unreadable,
                           firstUnreadable ? firstUnreadable : "");
    text += Text(IDS_LEFT_IN_LIST);
    if (absent || result.musicLeftOut) text += Text(IDS_INSERT_DISC);
    ShowMessageBox(dialog, text, Text(IDS_CAPTION), MB_OK | MB_ICONEXCLAMATION);
}

// Saves the show under name. Until the save is over the editor acts on no
// command, so a box the save shows (its loop runs the editor's messages)
// cannot start another save or close the editor underneath it. The show
// counts as saved only when all of it was: what was left out keeps the
// editor modified, so closing asks again.
bool SaveUnder(HWND dialog, const char *name) {
    EditorState &state = *StateOf(dialog);
    int count = static_cast<int>(ListMessage(dialog, IDC_SHOW_LIST, LB_GETCOUNT));
    std::vector<PictureEntry *> entries;
    for (int i = 0; i < count; i++)
        if (PictureEntry *entry = EntryAt(dialog, IDC_SHOW_LIST, i)) entries.push_back(entry);
    state.saving = true;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    SaveResult result;
    bool existed = FileAttributes(FindShow(name).c_str()) != INVALID_FILE_ATTRIBUTES;
    {
        SavingWindows windows{dialog, state.instance};
        result = SaveShow(entries, name, state.musicChoice, settings.useLargeSize != 0,
                          [&](SaveStage stage, int step, int steps) { windows.Step(stage, step, steps); });
    }
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    bool complete = result.leftOut.empty() && !result.musicLeftOut;
    bool written = result.status == SaveStatus::kSaved || result.status == SaveStatus::kEmpty;
    if (result.status == SaveStatus::kTooLarge)
        ShowMessageBox(dialog, FormatText(IDS_SHOW_TOO_LARGE, static_cast<int>(result.fitting)), Text(IDS_CAPTION),
                       MB_OK | MB_ICONEXCLAMATION);
    else if (result.status == SaveStatus::kFailed || result.status == SaveStatus::kNoMusicMemory ||
             result.status == SaveStatus::kNotRestored)
        ReportSaveFailure(dialog, name, result.status, existed, result.keptAs.c_str());
    else if (!complete)
        ReportLeftOut(dialog, result, entries);
    state.saving = false;
    SetModified(dialog, !(written && complete));
    return written;
}

void Save(HWND dialog) {
    EditorState &state = *StateOf(dialog);
    if (!state.modified) return;
    if (*state.currentFileName) {
        SaveUnder(dialog, state.currentFileName);
        return;
    }
    char name[kShowNameSize];
    if (!AskShowName(dialog, name) || !SaveUnder(dialog, name)) return;
    std::memcpy(state.currentFileName, name, sizeof name);
    SetCaption(dialog, IDS_SAVED_CAPTION, name);
}

void OnClose(HWND dialog) {
    EditorState &state = *StateOf(dialog);
    if (state.saving) return;
    if (!state.modified) {
        EndDialog(dialog, 0);
        return;
    }
    std::string name = *state.currentFileName ? state.currentFileName : Text(IDS_UNTITLED);
    switch (ShowMessageBox(dialog, FormatText(IDS_SAVE_CHANGES, name.c_str()), Text(IDS_CAPTION), MB_YESNOCANCEL)) {
    case IDYES:
        // A save that failed, or left pictures out, keeps the editor open
        // with the changes still to save.
        if (*state.currentFileName) {
            if (SaveUnder(dialog, state.currentFileName) && !state.modified) {
                EndDialog(dialog, 1);
                *state.currentFileName = 0;
            }
        } else {
            char chosen[kShowNameSize];
            if (!AskShowName(dialog, chosen) || !SaveUnder(dialog, chosen)) break;
            if (state.modified) {
                // Saved in part: the show has its name now.
                std::memcpy(state.currentFileName, chosen, sizeof chosen);
                SetCaption(dialog, IDS_SAVED_CAPTION, chosen);
            } else {
                EndDialog(dialog, 0);
            }
        }
        break;
    case IDNO:
        EndDialog(dialog, 0);
        *state.currentFileName = 0;
        break;
    }
}

void OnCommand(HWND dialog, int id, int code) {
    // A box of a running save has its own loop; nothing here may run meanwhile.
    if (StateOf(dialog)->saving) return;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    switch (id) {
    case IDC_CONTENTS:
        if (code == CBN_SELCHANGE) ChangeContent(dialog);
        break;
    case IDC_SOURCE_LIST:
        if (code == LBN_DBLCLK) Add(dialog);
        break;
    case IDC_ADD: Add(dialog); break;
    case IDC_ADD_ALL: AddAll(dialog); break;
    case IDC_CHOOSE_MUSIC: ChooseMusic(dialog); break;
    case IDC_UP: Up(dialog); break;
    case IDC_DOWN: Down(dialog); break;
    case IDC_DELETE: Delete(dialog); break;
    case IDC_USE_LARGE: SetUseLargeSize(dialog); break;
    case IDM_SAVE: Save(dialog); break;
    case IDM_CLOSE: SendMessageW(dialog, WM_CLOSE, 0, 0); break;
    case IDM_MATCH_DISPLAY: SetUse8bit(dialog, 0); break;
    case IDM_ALWAYS_256: SetUse8bit(dialog, 1); break;
    }
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

BOOL OnInitDialog(HWND dialog, EditorState *state) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    UseMenuOf(dialog, state->instance, IDM_EDITOR);
    FillChooser(dialog);
    RECT window;
    GetWindowRect(dialog, &window);
    state->initialWidth = window.right - window.left;
    state->initialHeight = window.bottom - window.top;
    ShowSource(dialog, 0);
    if (*state->currentFileName) {
        SetCaption(dialog, IDS_EDITOR_CAPTION, state->currentFileName);
        LoadShow(dialog, state->currentFileName);
    } else {
        SetCaption(dialog, IDS_EDITOR_CAPTION, Text(IDS_UNTITLED).c_str());
    }
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    MoveWindow(dialog, window.left, 10, state->initialWidth, desktop.bottom - desktop.top - 50, FALSE);
    ShowWindow(dialog, SW_SHOW);
    SetModified(dialog, false);
    state->musicChoice = -1;
    SendDlgItemMessageW(dialog, IDC_USE_LARGE, BM_SETCHECK, settings.useLargeSize ? BST_CHECKED : BST_UNCHECKED, 0);
    CheckColourItems(dialog);
    UseFontWithGlyphs(dialog);
    return TRUE;
}

// The width stays as made; the height never goes below it.
void OnGetMinMaxInfo(HWND dialog, MINMAXINFO *limits) {
    const EditorState *state = StateOf(dialog);
    if (!state || state->initialWidth <= 0) return;  // before the dialog has its size
    limits->ptMinTrackSize = {state->initialWidth, state->initialHeight};
    limits->ptMaxTrackSize = {state->initialWidth, 32767};
}

void OnSize(HWND dialog, int clientHeight) {
    for (int id : {IDC_SOURCE_LIST, IDC_SHOW_LIST}) {
        HWND list = GetDlgItem(dialog, id);
        if (!list) continue;  // the frame is sized before the controls exist
        RECT r;
        GetWindowRect(list, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
        int height = std::max(0, clientHeight - static_cast<int>(r.top) - kListMargin);
        MoveWindow(list, r.left, r.top, r.right - r.left, height, TRUE);
    }
}

// The window went to a monitor of another DPI, or the user changed the
// scaling: the items take their height at the new DPI, and the window the
// size Windows suggests, which its limits must let it take.
void OnDpiChanged(HWND dialog, int dpi, const RECT &suggested) {
    EditorState *state = StateOf(dialog);
    int width = suggested.right - suggested.left;
    if (state && state->initialWidth > 0) {
        state->initialHeight = MulDiv(state->initialHeight, width, state->initialWidth);
        state->initialWidth = width;
    }
    SetWindowPos(dialog, nullptr, suggested.left, suggested.top, width, suggested.bottom - suggested.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    int height = ItemHeightAt(dpi);
    for (int id : {IDC_SOURCE_LIST, IDC_SHOW_LIST}) {
        auto count = static_cast<int>(ListMessage(dialog, id, LB_GETCOUNT));
        for (int i = 0; i < count; i++) ListMessage(dialog, id, LB_SETITEMHEIGHT, static_cast<WPARAM>(i), MAKELPARAM(height, 0));
        InvalidateRect(GetDlgItem(dialog, id), nullptr, TRUE);
    }
}

INT_PTR CALLBACK EditorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, reinterpret_cast<EditorState *>(lParam));
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(dialog, reinterpret_cast<MINMAXINFO *>(lParam));
        return TRUE;
    case WM_SIZE:
        OnSize(dialog, HIWORD(lParam));
        return FALSE;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT *>(lParam)->itemHeight = static_cast<UINT>(ItemHeightAt(DpiOf(dialog)));
        return TRUE;
    case WM_DPICHANGED:
        OnDpiChanged(dialog, LOWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
        return FALSE;
    case WM_DRAWITEM:
        return OnDrawItem(dialog, *reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));
    case WM_DELETEITEM: {
        auto *item = reinterpret_cast<const DELETEITEMSTRUCT *>(lParam);
        if (item->CtlID == IDC_SOURCE_LIST || item->CtlID == IDC_SHOW_LIST)
            FreePictureEntry(reinterpret_cast<PictureEntry *>(item->itemData));
        return FALSE;
    }
    case WM_COMMAND:
        if (StateOf(dialog)) OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return FALSE;
    case WM_TIMER:
        if (wParam == kPreviewTimer && StateOf(dialog)) OnPreviewTimer(dialog);
        return TRUE;
    case WM_CLOSE:
        if (StateOf(dialog)) OnClose(dialog);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

bool IsStorableShowName(const char *name) {
    size_t length = name ? WideLength(name) : 0;
    if (length == 0 || length > kShowNameLength) return false;
    // Every path made from it fits MAX_PATH: the show, its music and the
    // music's new version in SOUND\.
    size_t longest = std::max(length, std::strlen(kNewVersionName)) + std::strlen("SOUND\\");
    return WideLength(ShowFolder()) + longest < MAX_PATH;
}

INT_PTR RunEditor(HINSTANCE instance, HWND owner, char (&fileName)[kShowNameSize]) {
    EditorState state;
    state.instance = instance;
    std::memcpy(state.currentFileName, fileName, kShowNameSize);
    state.currentFileName[kShowNameSize - 1] = 0;
    INT_PTR result = RunDialog(instance, IDD_EDITOR, owner, EditorDialogProc,
                                     reinterpret_cast<LPARAM>(&state));
    std::memcpy(fileName, state.currentFileName, kShowNameSize);
    return result;
}
