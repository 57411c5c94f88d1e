// The saver file manager: the configuration dialog.
#pragma once

#include <windows.h>

// Registers the window classes the dialogs need (none of their own).
BOOL RegisterDialogClasses(HINSTANCE instance);
// Runs the configuration dialog owned by owner (or none): the shows in the
// system directory, leading to the editor, the settings and deletion. 0 when closed.
INT_PTR RunConfiguration(HINSTANCE instance, HWND owner);
