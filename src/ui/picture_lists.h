// The editor's two lists of pictures (the source list and the show list):
// owner-drawn items with their previews, and the previews of the user's
// photos made while the editor waits for the user.
#pragma once

#include <windows.h>

#include <vector>

#include "disc/picture_entry.h"
#include "ui/editor_state.h"

namespace editor {

// The timer that makes the photos' previews, one per tick, so that the
// editor answers between any two of them.
constexpr UINT_PTR kPreviewTimer = 1;

// The dots per inch of the monitor the window is on.
int DpiOf(HWND window);
// An item's height at that many dots per inch: 70 pixels at 96.
int ItemHeightAt(int dpi);

// Puts the entries at the end of the list at the window's item height;
// those the list cannot take are released.
void AppendEntries(HWND dialog, int listId, const std::vector<PictureEntry *> &entries);

// WM_DRAWITEM for either list: a photo without its preview yet is drawn as
// an empty frame and starts the timer. FALSE for another control.
BOOL OnDrawItem(HWND dialog, const DRAWITEMSTRUCT &item);
// The timer's tick: one preview, or the timer stops when those in and near
// the view all have theirs. Nothing is made while a save runs.
void OnPreviewTimer(HWND dialog);

// Whether the entry's preview was made from the user's photo, so that it
// can be let go and made again.
bool MadeFromPhoto(const PictureEntry *entry);
// Lets go of the previews farthest from the view once the list holds more
// than kMostListPreviews made from photos.
void KeepPreviewsBounded(HWND dialog, int listId);

}  // namespace editor
