// The user's own pictures for a show: JPEG, PNG and BMP files, turned
// upright, fitted to a size and made into the program's packed DIBs.
#pragma once

#include "image/dib.h"
// The user's picture file at path (a DOS path, opened through the program's file calls): JPEG, PNG or BMP,
// told apart by its first bytes, not its name. Turned upright by its EXIF orientation, scaled down (never up,
// its shape kept to within a pixel) to fit maxWidth x maxHeight, as a packed DIB of bits bits per pixel:
// 24, or 8 with a 256-colour palette, dithered. Null when the file cannot be read as a picture.
PackedDib LoadPhoto(const char *path, int maxWidth, int maxHeight, int bits);

// A preview of the photo for the editor's lists: from the small JPEG most
// cameras keep in the EXIF data when, turned upright, it covers the size
// the photo takes fitted into maxWidth x maxHeight and has the photo's
// shape to within a pixel; else from the photo itself, as LoadPhoto makes it.
PackedDib LoadPhotoPreview(const char *path, int maxWidth, int maxHeight, int bits);

// The size the photo takes fitted into maxWidth x maxHeight, from its
// header alone (a few small reads, no decode); for a JPEG, whose EXIF
// orientation is not read for this, the larger of its two ways up. False
// when the header cannot be read.
bool FittedPhotoSize(const char *path, int maxWidth, int maxHeight, int *width, int *height);

// Both pictures of a show's record from one decode of the file: the photo
// fitted into maxWidth x maxHeight as LoadPhoto fits it, and its preview
// fitted into 100 x 75 from that fitted picture by the same rules; bits 24
// or 8. False, both null, when the file cannot be read as a picture or
// memory is short.
bool LoadPhotoRecord(const char *path, int maxWidth, int maxHeight, int bits, PackedDib *full, PackedDib *preview);
