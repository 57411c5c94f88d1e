// The title disc: a picture CD-ROM of the series in one of the CD-ROM
// drives, and what its catalogue offers — a title, up to 32 contents
// (numbered picture groups) and up to 32 music tracks.
#pragma once

#include <windows.h>

#include "text/text.h"

#include <cstddef>
#include <cstdint>

constexpr int kMaxContents = 32;
constexpr int kMaxTracks = 32;
// A content or track name on the disc: 64 bytes of code page 932 at most.
// The record holds it in UTF-8, where a character may take three bytes.
constexpr size_t kNameSize = 65;
constexpr size_t kNameTextSize = (kNameSize - 1) * 3 + 1;

struct Catalogue {
    bool discFound = false;
    char discRoot[kPathBytes] = "";   // "E:\", the start of every picture path
    char catalogueFile[kPathBytes] = "";
    char title[kNameTextSize] = "";
    char soundDir[kPathBytes] = "";   // "E:\DAT\SOUND\S\"
    int16_t contentCount = 0;
    char contentNames[kMaxContents][kNameTextSize] = {};
    int16_t trackCount = 0;
    char trackNames[kMaxTracks][kNameTextSize] = {};
};

extern Catalogue catalogue;

// Looks through drives C to Z for a CD-ROM holding a catalogue (QM.SD) or
// the older disc without one, and fills the catalogue from the first found.
// Shows the wait cursor meanwhile.
bool ScanForTitleDisc();
// Whether the disc the catalogue was read from is still in its drive.
bool TitleDiscInDrive();
// The title disc whose root folder is root ("E:\", or a folder holding a
// copy of a disc), read into the catalogue; false when it holds none.
bool ReadTitleDisc(const char *root);

// The catalogue text (code page 932, lines split at CR and LF, blank lines
// skipped) read into c, whose discRoot is already set; its texts in UTF-8.
void ParseCatalogue(const char *text, Catalogue &c);

// Copies a code-page-932 text of length bytes into a slot of size bytes,
// cutting it at a whole character and terminating it.
void CopyCp932(char *slot, size_t size, const char *text, size_t length);
