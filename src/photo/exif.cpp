// A small reader of the one EXIF field the pipeline needs. Every offset
// comes from the file, so each is checked against the block before use.
#include "photo/exif.h"

#include <cstring>

namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kThumbnailOffsetTag = 0x0201, kThumbnailLengthTag = 0x0202;
constexpr uint16_t kShort = 3, kLong = 4;
constexpr size_t kEntryBytes = 12;

struct Reader {
    const uint8_t *data;
    size_t size;
    bool bigEndian;
    // Callers check that offset + 2 (or + 4) lies within the block.
    uint16_t U16(size_t offset) const {
        return bigEndian ? static_cast<uint16_t>(data[offset] << 8 | data[offset + 1])
                         : static_cast<uint16_t>(data[offset] | data[offset + 1] << 8);
    }
    uint32_t U32(size_t offset) const {
        uint32_t a = U16(offset), b = U16(offset + 2);
        return bigEndian ? a << 16 | b : b << 16 | a;
    }
};

}  // namespace

int ExifOrientation(const uint8_t *tiff, size_t size) {
    if (!tiff || size < 8) return 1;
    Reader r{tiff, size, false};
    if (tiff[0] == 'M' && tiff[1] == 'M') r.bigEndian = true;
    else if (!(tiff[0] == 'I' && tiff[1] == 'I')) return 1;
    if (r.U16(2) != 42) return 1;
    uint32_t ifd = r.U32(4);
    if (ifd < 8 || ifd > size - 2) return 1;
    uint16_t count = r.U16(ifd);
    // Entries past the end of the block are not there: read only those within it.
    size_t fit = (size - ifd - 2) / kEntryBytes;
    if (count > fit) count = static_cast<uint16_t>(fit);
    for (size_t i = 0; i < count; i++) {
        size_t entry = ifd + 2 + i * kEntryBytes;
        if (r.U16(entry) != kOrientationTag) continue;
        // One SHORT, kept in the first two bytes of the entry's value field.
        if (r.U16(entry + 2) != kShort || r.U32(entry + 4) < 1) return 1;
        uint16_t value = r.U16(entry + 8);
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

int ExifOrientationOfApp1(const uint8_t *segment, size_t size) {
    static const uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (!segment || size < sizeof kExif || std::memcmp(segment, kExif, sizeof kExif) != 0) return 1;
    return ExifOrientation(segment + sizeof kExif, size - sizeof kExif);
}

namespace {

// The number of entries of the IFD at ifd that lie within the block.
size_t EntriesWithin(const Reader &r, size_t ifd) {
    size_t count = r.U16(ifd), fit = (r.size - ifd - 2) / kEntryBytes;
    return count < fit ? count : fit;
}

// A SHORT or LONG entry's single value.
bool NumberOf(const Reader &r, size_t entry, uint32_t *value) {
    uint16_t type = r.U16(entry + 2);
    if (r.U32(entry + 4) != 1 || (type != kShort && type != kLong)) return false;
    *value = type == kShort ? r.U16(entry + 8) : r.U32(entry + 8);
    return true;
}

}  // namespace

bool ExifThumbnail(const uint8_t *tiff, size_t size, size_t *offset, size_t *length) {
    if (!tiff || size < 8) return false;
    Reader r{tiff, size, false};
    if (tiff[0] == 'M' && tiff[1] == 'M') r.bigEndian = true;
    else if (!(tiff[0] == 'I' && tiff[1] == 'I')) return false;
    if (r.U16(2) != 42) return false;
    uint32_t ifd0 = r.U32(4);
    if (ifd0 < 8 || ifd0 > size - 2) return false;
    // The next IFD's offset follows IFD0's entries, all of which must be there.
    size_t next = ifd0 + 2 + size_t{r.U16(ifd0)} * kEntryBytes;
    if (next > size - 4) return false;
    uint32_t ifd1 = r.U32(next);
    if (ifd1 < 8 || ifd1 > size - 2) return false;
    uint32_t at = 0, bytes = 0;
    size_t count = EntriesWithin(r, ifd1);
    for (size_t i = 0; i < count; i++) {
        size_t entry = ifd1 + 2 + i * kEntryBytes;
        uint16_t tag = r.U16(entry);
        if (tag == kThumbnailOffsetTag && !NumberOf(r, entry, &at)) return false;
        if (tag == kThumbnailLengthTag && !NumberOf(r, entry, &bytes)) return false;
    }
    if (at == 0 || bytes < 4 || at > size || bytes > size - at) return false;
    if (tiff[at] != 0xFF || tiff[at + 1] != 0xD8) return false;
    *offset = at;
    *length = bytes;
    return true;
}
