// The player's window procedure. The slideshow plugs in here; until then
// every message goes on unchanged.
#include "player/player.h"

bool PlayerWindowProc(HWND, UINT, WPARAM, LPARAM, LRESULT *) { return false; }
