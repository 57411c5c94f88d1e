// One picture of the editor's lists: where it comes from (the disc, a file
// of the user's, or the show being edited) and its preview. Each list item owns one, as its item
// data.
#pragma once

#include "image/dib.h"

#include <cstdint>

constexpr int16_t KIND_DISC = 2;   // to be read from the title disc when the show is saved
constexpr int16_t KIND_FILE = 3;   // a picture file of the user's, loaded when the show is saved
constexpr int16_t KIND_KEPT = 999; // kept from the show file being edited

struct PictureEntry {
    int16_t kind;           // KIND_DISC, KIND_FILE, KIND_KEPT; 0 for a disc picture of the source list
    int16_t filePosition;   // 1-based record of the show it was loaded from (KIND_KEPT)
    int16_t content;        // 1-based content of the disc (KIND_DISC)
    int16_t picture;        // 1-based picture of the content
    int32_t fileOffset;     // where its record starts in the show (KIND_KEPT)
    uint32_t fullSize;      // block sizes of its record
    uint32_t previewSize;
    PackedDib fullData;     // the full-screen picture while a save writes it
    PackedDib preview;      // its own block, or the shared placeholder
    char *filePath;         // the picture's file (KIND_FILE), in a block of its own
};

// A zero-filled entry in a block of global memory of its own; null when
// there is no memory.
PictureEntry *NewPictureEntry();
// Releases the entry and what it owns: its preview (never the shared
// placeholder), a full-screen picture left in it, and its file's path.
void FreePictureEntry(PictureEntry *entry);
// Gives the entry a copy of path as its file (null: none); false without memory.
bool SetEntryFile(PictureEntry *entry, const char *path);
