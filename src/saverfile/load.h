// Opening a show for editing: an entry per record, with only the preview of
// each record read.
#pragma once

#include <windows.h>

#include <vector>

#include "disc/picture_entry.h"

// Why loading stopped, as the editor's box says it.
enum LoadError {
    kLoaded = 0,
    kCannotOpen = -1,
    kNoCount = 1,
    kNoEntryMemory = 2,
    kNoSizes = 3,
    kNoFullPicture = 4,
    kNoPreviewMemory = 6,
    kPreviewCut = 7,
};

struct LoadedShow {
    std::vector<PictureEntry *> entries;  // the caller's to keep or free
    int error = kLoaded;
    int position = 0;  // the 1-based record at which loading stopped (0 before the first)
};

// One KIND_KEPT entry per record of the show fileName (a bare show name,
// found as FindShow finds it, or a path), in file order. A damaged file stops the loading where the
// damage is; the records before it are there.
LoadedShow LoadShowForEditing(const char *fileName);
