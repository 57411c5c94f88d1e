// Placing the configuration dialogs.
#pragma once

#include <windows.h>

// Centres window over the window over (the desktop when null), then moves
// it back inside the work area (or the screen, when the system cannot say
// where the work area is) so that all of it can be seen.
void CentreWindow(HWND window, HWND over);
