// The editor's content chooser and the source list that shows the chosen
// item's pictures: a content of the title disc, or a folder of the user's
// photos with its subfolders.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/editor_state.h"

namespace editor {

// The chooser's items: the disc's contents, then the user's Pictures
// folder and the item that asks for another folder; the first is chosen.
void FillChooser(HWND dialog);
// The source list shows the pictures of the chooser's item.
void ShowSource(HWND dialog, int item);
// CBN_SELCHANGE: the chosen item's pictures; the item that asks for a
// folder asks, and adds the folder as an item of its own.
void ChangeContent(HWND dialog);
// The disc content the source list shows; 0 for a folder.
int16_t ShownContent(HWND dialog);

}  // namespace editor
