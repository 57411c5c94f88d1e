#include "saverfile/format.h"

namespace {

uint32_t Get32(const BYTE *p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

void Put32(BYTE *p, uint32_t v) {
    for (int i = 0; i < 4; i++) p[i] = static_cast<BYTE>(v >> (8 * i));
}

}  // namespace

bool ReadPictureCount(HFILE file, int32_t *count) {
    BYTE bytes[4];
    if (_lread(file, bytes, 4) != 4) return false;
    *count = static_cast<int32_t>(Get32(bytes));
    return true;
}

bool WritePictureCount(HFILE file, int32_t count) {
    BYTE bytes[4];
    Put32(bytes, static_cast<uint32_t>(count));
    return _lwrite(file, reinterpret_cast<LPCSTR>(bytes), 4) == 4;
}

bool IsPlayableCount(int32_t count) { return count >= 1 && count <= kMaxPictures; }

bool ReadRecordSizes(HFILE file, RecordSizes *sizes) {
    BYTE bytes[kRecordHeaderSize];
    if (_lread(file, bytes, kRecordHeaderSize) != kRecordHeaderSize) return false;
    sizes->fullSize = Get32(bytes);
    sizes->previewSize = Get32(bytes + 4);
    return true;
}

bool WriteRecordSizes(HFILE file, const RecordSizes &sizes) {
    BYTE bytes[kRecordHeaderSize];
    Put32(bytes, sizes.fullSize);
    Put32(bytes + 4, sizes.previewSize);
    return _lwrite(file, reinterpret_cast<LPCSTR>(bytes), kRecordHeaderSize) == kRecordHeaderSize;
}

namespace {

// The bytes between the current position and the end of the file; -1 when
// the file cannot say. The position is kept.
int64_t BytesLeft(HFILE file) {
    LONG here = _llseek(file, 0, FILE_CURRENT);
    LONG end = _llseek(file, 0, FILE_END);
    if (here == HFILE_ERROR || end == HFILE_ERROR || _llseek(file, here, FILE_BEGIN) == HFILE_ERROR) return -1;
    return int64_t{end} - here;
}

}  // namespace

bool SkipBlock(HFILE file, uint32_t size) {
    int64_t left = BytesLeft(file);
    if (left < 0 || size > left) return false;
    return _llseek(file, static_cast<LONG>(size), FILE_CURRENT) != HFILE_ERROR;
}

bool RecordFitsInFile(HFILE file, const RecordSizes &sizes) {
    int64_t left = BytesLeft(file);
    return left >= 0 && int64_t{sizes.fullSize} + sizes.previewSize <= left;
}

bool RewindToFirstRecord(HFILE file) { return _llseek(file, kFirstRecordOffset, FILE_BEGIN) == kFirstRecordOffset; }

uint64_t PictureRecordBound(int width, int height, int bits) {
    auto block = [bits](int w, int h) {
        uint64_t stride = (static_cast<uint64_t>(w) * static_cast<uint64_t>(bits) + 31) / 32 * 4;
        // Pictures are made with room for a full colour table, whatever their depth.
        uint64_t size = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD) + stride * static_cast<uint64_t>(h);
        return (size + 15) / 16 * 16;
    };
    return kRecordHeaderSize + block(width, height) + block(100, 75);
}

size_t RecordsThatFit(const uint64_t *recordSizes, size_t count) {
    uint64_t end = kFirstRecordOffset;
    for (size_t i = 0; i < count; i++) {
        end += recordSizes[i];
        if (end > 0x7FFFFFFF) return i;
    }
    return count;
}

LONG NextRecordOffset(LONG offset, const RecordSizes &sizes) {
    int64_t next = static_cast<int64_t>(offset) + kRecordHeaderSize + sizes.fullSize + sizes.previewSize;
    return next > 0x7FFFFFFF ? -1 : static_cast<LONG>(next);
}
