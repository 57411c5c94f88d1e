// The orientation a camera records in a photo's EXIF data, and the small
// JPEG thumbnail most cameras keep there too.
#pragma once

#include <cstddef>
#include <cstdint>

// The orientation (1-8, as EXIF numbers them) stated in the first IFD of a
// TIFF structure (the body of an EXIF block: byte order, 42, IFD offset);
// 1, upright, when it states none or the bytes are not such a structure.
int ExifOrientation(const uint8_t *tiff, size_t size);
// The same from the payload of a JPEG APP1 segment ("Exif\0\0" and the
// TIFF structure); 1 for any other APP1 segment.
int ExifOrientationOfApp1(const uint8_t *segment, size_t size);

// Where the thumbnail of the second IFD (IFD1: JPEGInterchangeFormat and
// its length) lies within the TIFF structure; false when there is none, or
// it does not lie wholly within the block, or it does not start as a JPEG.
bool ExifThumbnail(const uint8_t *tiff, size_t size, size_t *offset, size_t *length);
