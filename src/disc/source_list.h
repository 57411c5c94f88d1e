// The editor's source list: the previews of one content of the title disc.
#pragma once

#include <vector>

#include "disc/picture_entry.h"

// The most pictures a content has.
constexpr int kMostPicturesInAContent = 128;

// One entry per picture of content (1-based), each holding its picture
// number and preview (the placeholder for a picture that has a full-screen
// file but no preview), the caller's to keep or free. The content ends at
// the first picture with neither, or after 128; without a disc it is empty.
std::vector<PictureEntry *> FillSourceList(int content);
