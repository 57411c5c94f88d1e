// The saver file manager: the configuration dialog.
#pragma once

#include <windows.h>

// Registers the window classes the dialogs need (none of their own).
BOOL RegisterDialogClasses(HINSTANCE instance);
// Runs the manager dialog owned by owner (or none); returns the dialog result.
INT_PTR RunConfiguration(HINSTANCE instance, HWND owner);
INT_PTR CALLBACK ManagerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
