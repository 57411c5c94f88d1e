// EXIF blocks for the tests: a TIFF structure whose first IFD states an
// orientation among a few other fields, in either byte order, and the
// JPEG APP1 segment that carries it.
#pragma once

#include "support/builders.h"

// orientation 0 leaves the field out.
Bytes MakeExifTiff(int orientation, bool bigEndian);
// The same with a second IFD whose JPEG thumbnail is thumbnail; length,
// when not 0, is the length the IFD states for it.
Bytes MakeExifTiffWithThumbnail(int orientation, bool bigEndian, const Bytes &thumbnail, uint32_t length = 0);
// The APP1 payload: "Exif\0\0" and the TIFF structure.
Bytes MakeExifApp1(const Bytes &tiff);
// The JPEG with an APP1 segment of that payload right behind its SOI marker.
Bytes WithApp1(const Bytes &jpeg, const Bytes &payload);
