// Packed device-independent bitmaps: header, colour table and bottom-up
// pixel rows in one movable global memory block, locked for its whole life
// and handed around as the pointer to its memory. Saver files store
// pictures in exactly this form.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

typedef BITMAPINFOHEADER *PackedDib;

// Bytes per pixel row: the row's bits rounded up to 32.
uint32_t DibStride(uint32_t width, uint32_t bitCount);
// Colour-table entries: biClrUsed, or 2^bits for 8 bits and less.
UINT DibColorCount(const BITMAPINFOHEADER *dib);
// Bytes between header and pixels: the colour table, or the three colour
// masks of a BI_BITFIELDS bitmap.
uint32_t DibTableBytes(const BITMAPINFOHEADER *dib);

// A zero-filled bitmap with the default colour table; its block holds
// room for a full 256-entry table whatever the depth.
PackedDib DibCreate(int bitCount, int width, int height);
// Header and colour table of a BMP file (or a packed bitmap without file
// header) at the file's current position; leaves the file at the pixels.
PackedDib DibReadHeader(HFILE file);
PackedDib DibLoadFile(const char *path);
// A bitmap resource of the module, not a block: DibFree leaves it alone.
PackedDib DibLoadResource(HINSTANCE module, LPCWSTR id);
void DibFree(PackedDib dib);
// The size of the block a bitmap of its own lives in; 0 for a resource
// bitmap, which is shared and not a block.
uint32_t DibBlockSize(const BITMAPINFOHEADER *dib);
// A bitmap of its own copied whole into a new block of the same size; null
// for a resource bitmap or when there is no memory.
PackedDib DibCopy(const BITMAPINFOHEADER *dib);
// Where the pixel rows of a bitmap the program holds (a block or a resource
// bitmap) start, checked as DibPixelsInBlock checks them.
const BYTE *DibPixels(const BITMAPINFOHEADER *dib);

// Where the pixel rows of a packed bitmap of blockSize bytes start, as
// stored pictures are read (the masks of BI_BITFIELDS take 12 bytes, else
// biClrUsed entries); null when the header, colour table or rows do not fit
// in the block or the bitmap has no pixels.
const BYTE *DibPixelsInBlock(const BITMAPINFOHEADER *block, size_t blockSize);
