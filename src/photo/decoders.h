// The decoders of the three kinds of picture file LoadPhoto takes, each
// through its library onto the shared road of pipeline.h.
#pragma once

#include "image/dib.h"

#include <cstddef>

// A JPEG or PNG file open at its start, read through a buffer of its own
// as the library asks for more; the caller closes it.
PackedDib LoadJpegPhoto(HFILE file, int maxWidth, int maxHeight, int bits);
PackedDib LoadPngPhoto(HFILE file, int maxWidth, int maxHeight, int bits);
// The preview of a JPEG file from its EXIF thumbnail; null when it has none
// fit to stand for the photo (see LoadPhotoPreview).
PackedDib LoadJpegThumbnail(HFILE file, int maxWidth, int maxHeight, int bits);

// The bytes of an open file in pieces of a size the libraries read well.
struct PhotoReader {
    HFILE file;
    BYTE piece[64 * 1024];
};
// The next piece's length: 0 at the end of the file or when it cannot be read.
size_t ReadPiece(PhotoReader &reader);
// A BMP file, through the program's own loader.
PackedDib LoadBmpPhoto(const char *path, int maxWidth, int maxHeight, int bits);
