#include "disc/picture_entry.h"

PictureEntry *NewPictureEntry() {
    // Its real size: the pointers make it larger than on the 32-bit systems of old.
    return static_cast<PictureEntry *>(GlobalAlloc(GPTR, sizeof(PictureEntry)));
}

void FreePictureEntry(PictureEntry *entry) {
    if (!entry) return;
    DibFree(entry->preview);  // leaves the placeholder alone
    DibFree(entry->fullData);
    GlobalFree(entry);
}
