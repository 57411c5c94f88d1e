// The editor's source list: the previews of one content of the title disc.
#pragma once

#include <windows.h>

// The most pictures a content has.
constexpr int kMostPicturesInAContent = 128;

// Appends one item per picture of content (1-based) to the owner-drawn list
// box listId of dialog, each with a PictureEntry holding its picture number
// and preview (the placeholder for a picture that has a full-screen file but
// no preview), 70 pixels high. The content ends at the first picture with
// neither, or after 128. The disc-reading window stays up meanwhile, with
// the wait cursor. Returns the number of items added.
int FillSourceList(HWND dialog, int listId, int content);
