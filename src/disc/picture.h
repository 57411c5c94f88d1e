// Pictures and music of the title disc by number: the file a picture kind
// names, and the picture loaded from it.
#pragma once

#include "image/dib.h"

#include <cstddef>

// What a picture kind names on the disc.
enum PictureKind {
    kPreview = 1,             // DAT\nn\S\nnn.BMP, the small picture of the source list
    kStandardBmp = 2,         // DAT\nn\O\nnn.BMP
    kLargeBmp = 3,            // DAT\nn\LO\nnn.BMP
    kStandardJpeg = 4,        // DAT\nn\O\nnn.JPG
    kLargeJpeg = 5,           // DAT\nn\LO\nnn.JPG
    kStandard256 = 12,        // DAT\nn\L\nnn.BMP, also for kind 14
    kLarge256 = 13,           // DAT\nn\LL\nnn.BMP, also for kind 15
    kMusicTrack = 100,        // the sound folder's nn.WAV; the track number goes as the content
};
// Kinds 2 to 5 become their 256-colour variants by adding this.
constexpr int k256ColourOffset = 10;

// The path of a picture of the disc in the catalogue (or of a music track);
// false, with an empty path, for a kind that names no file.
bool PicturePath(int kind, int content, int picture, char *path, size_t size);

// Whether shows are to hold 256-colour pictures: the Use8bit setting, or a
// palette screen.
bool Wants256Colours();

// A picture of the disc as a packed DIB; null when there is none. On a
// palette screen, or with the Use8bit setting, the full-screen kinds take
// their 256-colour BMP instead.
PackedDib LoadPicture(int kind, int content, int picture);

// The program's "no preview" picture for a picture of the disc that has a
// full-screen file but no preview; null when it has neither. The
// placeholder is shared and never freed (DibFree leaves it alone).
PackedDib PlaceholderPicture(int content, int picture);
bool IsPlaceholder(const BITMAPINFOHEADER *dib);
