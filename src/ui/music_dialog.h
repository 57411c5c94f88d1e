// The music choice: one of the title disc's tracks for the show.
#pragma once

#include <windows.h>

// Runs the dialog over owner with the catalogue's tracks, the first one
// selected. The 1-based number of the track chosen with OK; 0 when the
// user cancelled or there was no track to choose.
int ChooseMusicTrack(HINSTANCE instance, HWND owner);
