// The show editor: the pictures of one content of the title disc on the
// left, the show being composed on the right, saved as a .QMS file in the
// system directory.
#pragma once

#include <windows.h>

#include <cstddef>

// A show's bare name: at most 127 characters (UTF-16 units, as Windows
// counts them), held in UTF-8 with its terminator.
constexpr size_t kShowNameLength = 127;
constexpr size_t kShowNameSize = kShowNameLength * 3 + 1;

// The most previews of the user's photos each list keeps at a time; those
// farthest from the view go first and are made again when scrolled back to.
constexpr int kMostListPreviews = 600;

// Runs the editor over owner on the show fileName (empty for a new show),
// with the catalogue as it was read. On return fileName holds the show's
// name as the editor left it: the name it was saved under, or empty after
// the close prompt's No, or its Yes on a named show. 1 when closing saved
// the show under its known name, else 0.
INT_PTR RunEditor(HINSTANCE instance, HWND owner, char (&fileName)[kShowNameSize]);

// Whether the bare name fits a show's name and every path the saver
// builds from it (the show in the show folder, its music).
bool IsStorableShowName(const char *name);
