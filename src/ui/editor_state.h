// What the show editor's files share: the record the editor keeps with its
// window, and reaching its lists. The editor's commands and its dialog
// procedure are in editor.cpp, the content chooser and the source list it
// fills in contents.cpp, the drawing of both lists and the making of their
// previews in picture_lists.cpp. Only editor.h is for the rest of the program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "disc/picture_entry.h"
#include "ui/editor.h"

namespace editor {

// What an item of the content chooser stands for.
struct Source {
    int content = 0;             // a content of the disc, 1-based; 0 for a folder
    std::string folder;          // a folder of the user's pictures
    bool asksForFolder = false;  // the item that lets the user choose one
};

// What the editor knows while it is open, kept with its window.
struct EditorState {
    HINSTANCE instance = nullptr;
    bool modified = false;      // changes not saved yet; the Save item is enabled exactly then
    bool saving = false;        // a save runs: its boxes must not let another start or the editor close
    bool warnedFull = false;    // the user heard that the show holds more pictures than a show can
    int16_t musicChoice = -1;   // 1-based track chosen since the editor opened; -1 for none
    int initialWidth = 0;       // the window as made from its template: the smallest it may be
    int initialHeight = 0;
    // The show being edited, a bare name in the system directory; empty for a new show.
    char currentFileName[kShowNameSize] = "";
    // The chooser's items, by their item data, and the one whose pictures
    // the source list shows.
    std::vector<Source> sources;
    int shownItem = -1;
    bool makingPreviews = false;  // the preview timer runs
    // Photo previews made or copied into each list since it last counted
    // them: past kMostListPreviews the farthest from the view go.
    int sourcePreviews = 0;
    int showPreviews = 0;
};

// Null before WM_INITDIALOG (WM_GETMINMAXINFO comes while the window is made).
inline EditorState *StateOf(HWND dialog) {
    return reinterpret_cast<EditorState *>(GetWindowLongPtrW(dialog, DWLP_USER));
}

inline LRESULT ListMessage(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendDlgItemMessageW(dialog, id, message, wParam, lParam);
}

inline int Selection(HWND dialog, int id) { return static_cast<int>(ListMessage(dialog, id, LB_GETCURSEL)); }

// The entry of a list's item; null past its end.
inline PictureEntry *EntryAt(HWND dialog, int id, int index) {
    LRESULT data = ListMessage(dialog, id, LB_GETITEMDATA, static_cast<WPARAM>(index));
    return data == LB_ERR ? nullptr : reinterpret_cast<PictureEntry *>(data);
}

}  // namespace editor
