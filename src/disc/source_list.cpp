#include "disc/source_list.h"

#include "disc/catalogue.h"
#include "disc/picture.h"
#include "disc/picture_entry.h"
#include "resources/resource.h"
#include "ui/progress.h"

namespace {

constexpr int kItemHeight = 70;

// A picture's entry with its preview; null at the end of the content.
PictureEntry *EntryFor(int content, int picture) {
    PictureEntry *entry = NewPictureEntry();
    if (!entry) return nullptr;
    entry->picture = static_cast<int16_t>(picture);
    entry->preview = LoadPicture(kPreview, content, picture);
    if (!entry->preview) entry->preview = PlaceholderPicture(content, picture);
    if (!entry->preview) {
        FreePictureEntry(entry);
        return nullptr;
    }
    return entry;
}

}  // namespace

int FillSourceList(HWND dialog, int listId, int content) {
    // Without a disc the picture paths would name files beside the shows.
    if (!catalogue.discFound) return 0;
    HWND waiting = OpenProgressWindow(GetModuleHandleA(nullptr), dialog, IDD_READING);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    HWND list = GetDlgItem(dialog, listId);
    int added = 0;
    for (int picture = 1; picture <= kMostPicturesInAContent; picture++) {
        PictureEntry *entry = EntryFor(content, picture);
        if (!entry) break;
        LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
        if (index < 0) {
            FreePictureEntry(entry);
            break;
        }
        SendMessageA(list, LB_SETITEMHEIGHT, static_cast<WPARAM>(index), MAKELPARAM(kItemHeight, 0));
        added++;
    }
    CloseProgressWindow(waiting);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return added;
}
