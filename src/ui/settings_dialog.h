// The settings dialog: seconds between pictures and the music's volume.
#pragma once

#include <windows.h>

// Runs the dialog over owner; OK stores both settings where this Windows
// keeps them and returns true, Cancel changes nothing and returns false.
bool RunSettingsDialog(HINSTANCE instance, HWND owner);
// Tells the user that a setting could not be written (and so is gone at
// the next start), once for what was asked.
void ReportUnwritableSettings(HWND owner);
