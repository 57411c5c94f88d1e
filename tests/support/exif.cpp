#include "support/exif.h"

#include <algorithm>

namespace {

struct Writer {
    Bytes out;
    bool big;
    void U16(uint32_t v) {
        if (big) out.push_back(static_cast<uint8_t>(v >> 8)), out.push_back(static_cast<uint8_t>(v));
        else out.push_back(static_cast<uint8_t>(v)), out.push_back(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        if (big) U16(v >> 16), U16(v & 0xFFFF);
        else U16(v & 0xFFFF), U16(v >> 16);
    }
    // A SHORT entry keeps its value in the first two bytes of the value field.
    void Short(uint16_t tag, uint16_t value) { U16(tag), U16(3), U32(1), U16(value), U16(0); }
};

}  // namespace

Bytes MakeExifTiff(int orientation, bool bigEndian) {
    Writer w{{}, bigEndian};
    w.out.assign(2, bigEndian ? 'M' : 'I');
    w.U16(42);
    w.U32(8);
    // Make (an ASCII string kept elsewhere), the orientation, resolution unit: in tag order, as cameras write them.
    uint32_t entries = orientation ? 3 : 2;
    w.U16(entries);
    w.U16(0x010F), w.U16(2), w.U32(6), w.U32(8 + 2 + entries * 12 + 4);
    if (orientation) w.Short(0x0112, static_cast<uint16_t>(orientation));
    w.Short(0x0128, 2);
    w.U32(0);  // no further IFD
    for (char c : std::string("Maker")) w.out.push_back(static_cast<uint8_t>(c));
    w.out.push_back(0);
    return w.out;
}

Bytes MakeExifApp1(const Bytes &tiff) {
    Bytes out(6 + tiff.size(), 0);
    std::copy(tiff.begin(), tiff.end(), std::copy_n("Exif", 4, out.begin()) + 2);
    return out;
}

Bytes WithApp1(const Bytes &jpeg, const Bytes &payload) {
    size_t length = payload.size() + 2;
    Bytes out = {0xFF, 0xD8, 0xFF, 0xE1, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
    out.reserve(out.size() + payload.size() + jpeg.size());
    for (uint8_t b : payload) out.push_back(b);
    for (size_t i = 2; i < jpeg.size(); i++) out.push_back(jpeg[i]);
    return out;
}

Bytes MakeExifTiffWithThumbnail(int orientation, bool bigEndian, const Bytes &thumbnail, uint32_t length) {
    Bytes tiff = MakeExifTiff(orientation, bigEndian);
    Writer w{tiff, bigEndian};
    // IFD0's "no further IFD" becomes the offset of IFD1, put at the end.
    uint32_t entries = orientation ? 3 : 2;
    size_t next = 8 + 2 + entries * 12;
    uint32_t ifd1 = static_cast<uint32_t>(w.out.size());
    Writer at{{}, bigEndian};
    at.U32(ifd1);
    std::copy(at.out.begin(), at.out.end(), w.out.begin() + static_cast<long>(next));
    // Compression (6, JPEG), the thumbnail's offset and length, in tag order.
    w.U16(3);
    w.Short(0x0103, 6);
    uint32_t data = ifd1 + 2 + 3 * 12 + 4;
    w.U16(0x0201), w.U16(4), w.U32(1), w.U32(data);
    w.U16(0x0202), w.U16(4), w.U32(1), w.U32(length ? length : static_cast<uint32_t>(thumbnail.size()));
    w.U32(0);
    w.out.insert(w.out.end(), thumbnail.begin(), thumbnail.end());
    return w.out;
}
