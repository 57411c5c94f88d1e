#include "disc/picture_entry.h"

#include <cstring>

PictureEntry *NewPictureEntry() {
    // Its real size: the pointers make it larger than on the 32-bit systems of old.
    return static_cast<PictureEntry *>(GlobalAlloc(GPTR, sizeof(PictureEntry)));
}

void FreePictureEntry(PictureEntry *entry) {
    if (!entry) return;
    DibFree(entry->preview);  // leaves the placeholder alone
    DibFree(entry->fullData);
    SetEntryFile(entry, nullptr);
    GlobalFree(entry);
}

bool SetEntryFile(PictureEntry *entry, const char *path) {
    char *copy = nullptr;
    if (path) {
        size_t size = std::strlen(path) + 1;
        copy = static_cast<char *>(GlobalAlloc(GMEM_FIXED, size));
        if (!copy) return false;
        std::memcpy(copy, path, size);
    }
    if (entry->filePath) GlobalFree(entry->filePath);
    entry->filePath = copy;
    return true;
}
