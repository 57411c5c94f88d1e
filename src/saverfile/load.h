// Opening a show for editing: an entry per record in the editor's show list,
// with only the preview of each record read.
#pragma once

#include <windows.h>

// Appends one KIND_KEPT entry per record of the show fileName (in the
// current directory) to list IDC_SHOW_LIST of editor. A damaged file stops
// the loading with a box saying where; the records before it stay listed.
// True when every record was loaded.
bool LoadShowForEditing(HWND editor, const char *fileName);
