// The user's own pictures for a show: JPEG, PNG and BMP files, turned
// upright, fitted to a size and made into the program's packed DIBs.
#pragma once

#include "image/dib.h"
// The user's picture file at path (a DOS path, opened through the program's file calls): JPEG, PNG or BMP,
// told apart by its first bytes, not its name. Turned upright by its EXIF orientation, scaled down (never up,
// its shape kept to within a pixel) to fit maxWidth x maxHeight, as a packed DIB of bits bits per pixel:
// 24, or 8 with a 256-colour palette, dithered. Null when the file cannot be read as a picture.
PackedDib LoadPhoto(const char *path, int maxWidth, int maxHeight, int bits);
