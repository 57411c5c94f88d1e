// The editor's content chooser and the source list it fills: the title
// disc's contents, the user's Pictures folder and the folders the user
// chose. A folder is listed with its subfolders by name only; the previews
// come later (picture_lists.cpp).
#include "ui/contents.h"

#include "disc/catalogue.h"
#include "disc/source_list.h"
#include "resources/resource.h"
#include "text/glyphs.h"
#include "text/language.h"
#include "text/text.h"
#include "ui/listing.h"
#include "ui/picture_lists.h"
#include "ui/progress.h"

#include <shlobj.h>

#include <string>
#include <vector>

namespace editor {

namespace {

const Source *SourceOfItem(HWND dialog, int item) {
    const EditorState &state = *StateOf(dialog);
    LRESULT index = SendDlgItemMessageW(dialog, IDC_CONTENTS, CB_GETITEMDATA, static_cast<WPARAM>(item), 0);
    if (item < 0 || index < 0 || static_cast<size_t>(index) >= state.sources.size()) return nullptr;
    return &state.sources[static_cast<size_t>(index)];
}

// Adds an item for source to the chooser at index (-1: the end); its index.
int AddSource(HWND dialog, int index, const char *name, Source source) {
    EditorState &state = *StateOf(dialog);
    LRESULT item = SendItemText(dialog, IDC_CONTENTS, CB_INSERTSTRING, static_cast<WPARAM>(index), name);
    if (item < 0) return -1;
    state.sources.push_back(std::move(source));
    SendDlgItemMessageW(dialog, IDC_CONTENTS, CB_SETITEMDATA, static_cast<WPARAM>(item),
                        static_cast<LPARAM>(state.sources.size() - 1));
    return static_cast<int>(item);
}

// Fills the source list with a content of the disc, the disc-reading
// window up meanwhile: no message loop runs while the disc is read.
void FillFromDisc(HWND dialog, int content) {
    if (!catalogue.discFound) return;
    HWND waiting = OpenProgressWindow(StateOf(dialog)->instance, dialog, IDD_READING);
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    AppendEntries(dialog, IDC_SOURCE_LIST, FillSourceList(content));
    CloseProgressWindow(waiting);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

// Fills the source list with the photos of a folder and its subfolders,
// listed by name only: their previews are made later, while the editor
// waits for the user, so that a folder of thousands opens at once. A long
// listing counts what it finds in a window of its own, which can stop it.
void FillFromFolder(HWND dialog, const std::string &folder) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    std::vector<PictureEntry *> entries;
    for (const std::string &path : ListPhotoFolder(StateOf(dialog)->instance, dialog, folder)) {
        PictureEntry *entry = NewPictureEntry();
        if (!entry || !SetEntryFile(entry, path.c_str())) {
            FreePictureEntry(entry);
            break;
        }
        entry->kind = KIND_FILE;
        entry->picture = static_cast<int16_t>(entries.size() + 1);
        entries.push_back(entry);
    }
    AppendEntries(dialog, IDC_SOURCE_LIST, entries);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

// The folder chooser; false on Cancel.
bool AskForFolder(HWND dialog, std::string &folder) {
    HRESULT com = CoInitialize(nullptr);
    WCHAR name[MAX_PATH] = L"";
    std::wstring title = Wide(Text(IDS_FOLDER_CHOOSER));
    BROWSEINFOW info{};
    info.hwndOwner = dialog;
    info.pszDisplayName = name;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    WCHAR path[MAX_PATH] = L"";
    bool ok = chosen && SHGetPathFromIDListW(chosen, path) && *path;
    if (chosen) CoTaskMemFree(chosen);
    if (SUCCEEDED(com)) CoUninitialize();
    if (ok) folder = Utf8(path);
    return ok;
}

// A folder the user chose: its own item, named by the folder, before the
// one that chooses (or the item it already has).
int FolderItem(HWND dialog, const std::string &folder) {
    int count = static_cast<int>(SendDlgItemMessageW(dialog, IDC_CONTENTS, CB_GETCOUNT, 0, 0));
    for (int item = 0; item < count; item++) {
        const Source *source = SourceOfItem(dialog, item);
        if (source && source->content == 0 && !source->asksForFolder && SameName(source->folder, folder))
            return item;
    }
    size_t cut = folder.find_last_of('\\');
    std::string name = cut == std::string::npos || cut + 1 == folder.size() ? folder : folder.substr(cut + 1);
    // The item that chooses is always the last.
    return AddSource(dialog, count - 1, name.c_str(), Source{0, folder, false});
}

}  // namespace

// The disc content the source list shows; 0 for a folder.
int16_t ShownContent(HWND dialog) {
    const Source *source = SourceOfItem(dialog, StateOf(dialog)->shownItem);
    return static_cast<int16_t>(source ? source->content : 0);
}

// The source list shows the pictures of the chooser's item.
void ShowSource(HWND dialog, int item) {
    const Source *source = SourceOfItem(dialog, item);
    if (!source) return;
    StateOf(dialog)->shownItem = item;
    ListMessage(dialog, IDC_SOURCE_LIST, LB_RESETCONTENT);
    StateOf(dialog)->sourcePreviews = 0;
    if (source->content > 0) FillFromDisc(dialog, source->content);
    else FillFromFolder(dialog, source->folder);
}

void ChangeContent(HWND dialog) {
    int item = static_cast<int>(SendDlgItemMessageW(dialog, IDC_CONTENTS, CB_GETCURSEL, 0, 0));
    const Source *source = SourceOfItem(dialog, item);
    if (!source) return;
    if (source->asksForFolder) {
        std::string folder;
        item = AskForFolder(dialog, folder) ? FolderItem(dialog, folder) : -1;
        if (item < 0) {
            // Cancel: the list still shows what it showed.
            SendDlgItemMessageW(dialog, IDC_CONTENTS, CB_SETCURSEL, static_cast<WPARAM>(StateOf(dialog)->shownItem), 0);
            return;
        }
        SendDlgItemMessageW(dialog, IDC_CONTENTS, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        UseFontWithGlyphs(dialog);  // the folder's own name
    }
    ShowSource(dialog, item);
}

// The chooser's items: the disc's contents, then the user's Pictures
// folder and the item that chooses another folder.
void FillChooser(HWND dialog) {
    if (catalogue.discFound) {
        SetItemText(dialog, IDC_TITLE, catalogue.title);
        for (int i = 0; i < catalogue.contentCount; i++)
            AddSource(dialog, -1, catalogue.contentNames[i], Source{i + 1, "", false});
    }
    WCHAR pictures[MAX_PATH] = L"";
    if (SUCCEEDED(SHGetFolderPathW(dialog, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, pictures)) && *pictures)
        AddSource(dialog, -1, Text(IDS_MY_PICTURES).c_str(), Source{0, Utf8(pictures), false});
    AddSource(dialog, -1, Text(IDS_CHOOSE_FOLDER).c_str(), Source{0, "", true});
    SendDlgItemMessageW(dialog, IDC_CONTENTS, CB_SETCURSEL, 0, 0);
}

}  // namespace editor
