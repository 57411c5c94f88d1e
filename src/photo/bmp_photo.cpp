// Photos from BMP files, loaded by the program's own loader: every depth
// and colour-mask form it carries, made blue-green-red rows for the
// resampler (a 24-bit file's rows serve as they are). Run-length coded
// files are refused: the loader keeps their codes, not pixels.
#include "photo/decoders.h"

#include "photo/pipeline.h"
#include "text/text.h"

#include <cstring>

namespace {

bool IsRunLength(const BITMAPINFOHEADER *dib) { return dib->biCompression == BI_RLE8 || dib->biCompression == BI_RLE4; }

// The loader shows what it can of a file cut short; a photo must be whole.
bool HoldsItsRows(const char *path) {
    HFILE file = OpenForReading(path);
    if (file == HFILE_ERROR) return false;
    PackedDib header = DibReadHeader(file);
    bool whole = false;
    if (header && !IsRunLength(header)) {
        LONG here = _llseek(file, 0, FILE_CURRENT), end = _llseek(file, 0, FILE_END);
        uint64_t rows = uint64_t{DibStride(static_cast<uint32_t>(header->biWidth), header->biBitCount)} *
                        static_cast<uint32_t>(header->biHeight);
        whole = here != HFILE_ERROR && end != HFILE_ERROR && end >= here && static_cast<uint64_t>(end - here) >= rows;
    }
    DibFree(header);
    _lclose(file);
    return whole;
}

// The colour of pixel x of a row of a packed DIB, as 0xRRGGBB.
uint32_t PixelAt(const BITMAPINFOHEADER *dib, const BYTE *row, int x) {
    const auto *table = reinterpret_cast<const RGBQUAD *>(reinterpret_cast<const BYTE *>(dib) + dib->biSize);
    auto fromTable = [&](unsigned index) {
        if (index >= DibColorCount(dib)) return 0u;
        return static_cast<uint32_t>(table[index].rgbRed) << 16 | table[index].rgbGreen << 8 | table[index].rgbBlue;
    };
    switch (dib->biBitCount) {
    case 1: return fromTable(row[x / 8] >> (7 - x % 8) & 1);
    case 4: return fromTable(x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4);
    case 8: return fromTable(row[x]);
    case 24: return static_cast<uint32_t>(row[3 * x + 2]) << 16 | row[3 * x + 1] << 8 | row[3 * x];
    }
    // 16 and 32 bits: the masks the bitmap carries, or the plain 5-5-5 and 8-8-8 layouts.
    uint32_t v = dib->biBitCount == 16 ? static_cast<uint32_t>(row[2 * x] | row[2 * x + 1] << 8)
                                       : static_cast<uint32_t>(row[4 * x] | row[4 * x + 1] << 8 | row[4 * x + 2] << 16 |
                                                               static_cast<uint32_t>(row[4 * x + 3]) << 24);
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (dib->biBitCount == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    if (dib->biCompression == BI_BITFIELDS) std::memcpy(masks, table, sizeof masks);
    uint32_t rgb = 0;
    for (uint32_t mask : masks) {
        uint32_t channel = 0;
        if (mask) {
            int shift = 0, bits = 0;
            while (!(mask >> shift & 1)) shift++;
            while (shift + bits < 32 && (mask >> (shift + bits) & 1)) bits++;
            uint32_t raw = (v & mask) >> shift;
            channel = bits >= 8 ? raw >> (bits - 8) : raw * 255 / ((1u << bits) - 1);
        }
        rgb = rgb << 8 | channel;
    }
    return rgb;
}

// The bitmap's rows into target, both bottom-up.
void ConvertRows(const BITMAPINFOHEADER *dib, const Raster &target) {
    const BYTE *rows = reinterpret_cast<const BYTE *>(dib) + dib->biSize + DibTableBytes(dib);
    const uint32_t stride = DibStride(static_cast<uint32_t>(dib->biWidth), dib->biBitCount);
    for (int y = 0; y < target.height; y++) {
        const BYTE *row = rows + size_t{stride} * static_cast<size_t>(y);
        BYTE *to = target.rows + target.stride * static_cast<size_t>(y);
        for (int x = 0; x < target.width; x++, to += 3) {
            uint32_t c = PixelAt(dib, row, x);
            to[0] = static_cast<BYTE>(c), to[1] = static_cast<BYTE>(c >> 8), to[2] = static_cast<BYTE>(c >> 16);
        }
    }
}

}  // namespace

PackedDib LoadBmpPhoto(const char *path, int maxWidth, int maxHeight, int bits) {
    if (!HoldsItsRows(path)) return nullptr;
    PackedDib dib = DibLoadFile(path);
    if (!dib) return nullptr;
    PhotoPlan plan;
    PackedDib result = nullptr;
    if (!IsRunLength(dib) && PlanPhoto(plan, dib->biWidth, dib->biHeight, 1, maxWidth, maxHeight, bits)) {
        if (dib->biBitCount == 24 && dib->biCompression == BI_RGB) {
            result = FinishPhoto(plan, RasterOf(dib));
        } else if (PrepareDecode(plan, dib->biWidth, dib->biHeight)) {
            ConvertRows(dib, plan.decoded);
            result = FinishPhoto(plan, plan.decoded);
        } else {
            AbandonPhoto(plan);
        }
    }
    DibFree(dib);
    return result;
}
