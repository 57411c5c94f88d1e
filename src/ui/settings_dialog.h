// The settings dialog: seconds between pictures and the music's volume.
#pragma once

#include <windows.h>

// Runs the dialog over owner; OK stores both settings in control.ini and
// returns true, Cancel changes nothing and returns false.
bool RunSettingsDialog(HINSTANCE instance, HWND owner);
