// The show editor: the pictures of one content of the title disc on the
// left, the show being composed on the right, saved as a .QMS file in the
// system directory.
#pragma once

#include <windows.h>

#include <cstdint>

struct EditorState {
    bool modified = false;      // changes not saved yet; the Save item is enabled exactly then
    bool saving = false;        // a save runs: its boxes must not let another start or the editor close
    int16_t musicChoice = -1;   // 1-based track chosen since the editor opened; -1 for none
    int initialWidth = 0;       // the window as made from its template: the smallest it may be
    int initialHeight = 0;
    // The show being edited, a bare name in the system directory; empty for
    // a new show. The manager sets it before running the editor.
    char currentFileName[128] = "";
};

extern EditorState editorState;

// Runs the editor over owner on editorState.currentFileName, with the
// catalogue as it was read. 1 when closing saved the show under its known
// name, else 0.
INT_PTR RunEditor(HINSTANCE instance, HWND owner);

// Whether the bare name fits currentFileName and every path the saver
// builds from it (the show in the system directory, its music).
bool IsStorableShowName(const char *name);
