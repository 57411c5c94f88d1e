// The .QMS saver file: a little-endian picture count, then one record per
// picture, back to back: the sizes of its full-screen and preview blocks,
// then the two blocks, each a packed DIB followed by any slack of the memory
// block it was saved from. No index: records are found by walking.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr LONG kFirstRecordOffset = 4;
constexpr LONG kRecordHeaderSize = 8;
// The player counts pictures in 16 bits.
constexpr int32_t kMaxPictures = 32767;

// The most bytes a record of a picture fitted within width x height at
// bits per pixel (8 or 24) can take, with its preview of at most 100 x 75
// in the same depth: blocks as the pictures are made (room for a colour
// table at any depth), rounded up to 16 bytes as memory blocks may be.
uint64_t PictureRecordBound(int width, int height, int bits);
// How many records of the given sizes, one after the other from the first,
// end within the 2 GB a record's offset can reach.
size_t RecordsThatFit(const uint64_t *recordSizes, size_t count);

struct RecordSizes {
    uint32_t fullSize = 0;
    uint32_t previewSize = 0;
};

// The count at the start of the file (the file must stand there); false
// when fewer than 4 bytes could be read.
bool ReadPictureCount(HFILE file, int32_t *count);
bool WritePictureCount(HFILE file, int32_t count);
// A count the player can show: 1 to 32767 pictures.
bool IsPlayableCount(int32_t count);

// The size pair of the record at the current position; false when fewer
// than 8 bytes could be read.
bool ReadRecordSizes(HFILE file, RecordSizes *sizes);
bool WriteRecordSizes(HFILE file, const RecordSizes &sizes);

// Moves over a block of the given size; false (staying put) when the block
// would reach past the end of the file.
bool SkipBlock(HFILE file, uint32_t size);
// Whether both blocks of a record whose size pair was just read lie within
// the file, so that they can be allocated and read.
bool RecordFitsInFile(HFILE file, const RecordSizes &sizes);
// Back to the first record.
bool RewindToFirstRecord(HFILE file);
// Where the record after the one at offset starts; -1 when out of range.
LONG NextRecordOffset(LONG offset, const RecordSizes &sizes);
