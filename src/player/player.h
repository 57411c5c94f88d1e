// The slideshow player: the application side of the saver window.
#pragma once

#include <windows.h>

// Sees each message of the saver window after the host. Returns true when
// the message is finished here (with *result to return), false to pass it
// on to the default saver procedure.
bool PlayerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT *result);
