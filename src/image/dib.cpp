#include "image/dib.h"

#include "text/text.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kInfoHeaderSize = sizeof(BITMAPINFOHEADER);  // 40
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kMaskBytes = 12;  // red, green and blue masks of BI_BITFIELDS
constexpr uint16_t kBmpSignature = 0x4D42;  // "BM"
// Room for the largest colour table, whatever the depth.
constexpr uint32_t kCreateSlack = kInfoHeaderSize + 256 * 4;

const RGBQUAD kStandardColors[16] = {
    {0, 0, 0, 0},     {0, 0, 128, 0},     {0, 128, 0, 0},   {0, 128, 128, 0}, {128, 0, 0, 0},   {128, 0, 128, 0},
    {128, 128, 0, 0}, {192, 192, 192, 0}, {128, 128, 128, 0}, {0, 0, 255, 0}, {0, 255, 0, 0},   {0, 255, 255, 0},
    {255, 0, 0, 0},   {255, 0, 255, 0},   {255, 255, 0, 0}, {255, 255, 255, 0},
};

bool IsSupportedDepth(uint32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// A header the rest of the program can rely on: positive sizes (bottom-up
// rows), a depth and compression it can draw, a colour table its depth
// allows, and sizes that fit a file offset. Top-down bitmaps are refused
// (a caller shows its placeholder instead); colour masks are carried for
// 16 and 32 bits, without a colour table beside them.
bool IsUsableHeader(const BITMAPINFOHEADER &h) {
    if (h.biWidth <= 0 || h.biHeight <= 0 || !IsSupportedDepth(h.biBitCount)) return false;
    bool rle = (h.biCompression == BI_RLE8 && h.biBitCount == 8) || (h.biCompression == BI_RLE4 && h.biBitCount == 4);
    bool masks = h.biCompression == BI_BITFIELDS && (h.biBitCount == 16 || h.biBitCount == 32) && h.biClrUsed == 0;
    if (h.biCompression != BI_RGB && !rle && !masks) return false;
    if (h.biClrUsed > 256 || (h.biBitCount <= 8 && h.biClrUsed > (1u << h.biBitCount))) return false;
    uint64_t image = uint64_t{DibStride(static_cast<uint32_t>(h.biWidth), h.biBitCount)} * static_cast<uint32_t>(h.biHeight);
    return image + kCreateSlack <= 0x7FFFFFFF;
}

// Completes what a loader never leaves at 0: the image size and, for
// palette depths, the number of colours.
void CompleteHeader(BITMAPINFOHEADER &h) {
    uint32_t computed = DibStride(static_cast<uint32_t>(h.biWidth), h.biBitCount) * static_cast<uint32_t>(h.biHeight);
    // Uncompressed rows (with or without colour masks) are always read
    // whole: a smaller stated size would leave the last rows outside the block.
    bool compressed = h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4;
    if (h.biSizeImage == 0 || (!compressed && h.biSizeImage < computed)) h.biSizeImage = computed;
    if (h.biClrUsed == 0 && h.biBitCount <= 8) h.biClrUsed = 1u << h.biBitCount;
}

PackedDib AllocateLocked(UINT flags, size_t bytes) {
    HGLOBAL memory = GlobalAlloc(flags, bytes);
    if (!memory) return nullptr;
    auto *dib = static_cast<PackedDib>(GlobalLock(memory));
    if (!dib) GlobalFree(memory);
    return dib;
}

// Resource bitmaps completed once, in copies of their own, so the module's
// read-only data is never written.
std::map<std::string, std::unique_ptr<uint8_t[]>> &resourceCopies() {
    static auto *copies = new std::map<std::string, std::unique_ptr<uint8_t[]>>;
    return *copies;
}

bool IsResourceCopy(const void *p) {
    for (auto &[key, copy] : resourceCopies())
        if (copy.get() == p) return true;
    return false;
}

}  // namespace

uint32_t DibStride(uint32_t width, uint32_t bitCount) {
    return static_cast<uint32_t>((uint64_t{width} * bitCount + 31) / 32 * 4);
}

uint32_t DibTableBytes(const BITMAPINFOHEADER *dib) {
    return dib->biCompression == BI_BITFIELDS ? kMaskBytes : 4 * DibColorCount(dib);
}

UINT DibColorCount(const BITMAPINFOHEADER *dib) {
    if (dib->biClrUsed) return dib->biClrUsed;
    return dib->biBitCount <= 8 ? 1u << dib->biBitCount : 0;
}

PackedDib DibCreate(int bitCount, int width, int height) {
    if (width <= 0 || height <= 0 || !IsSupportedDepth(static_cast<uint32_t>(bitCount))) return nullptr;
    uint64_t image = uint64_t{DibStride(static_cast<uint32_t>(width), static_cast<uint32_t>(bitCount))} *
                     static_cast<uint32_t>(height);
    if (image + kCreateSlack > 0x7FFFFFFF) return nullptr;
    PackedDib dib = AllocateLocked(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<size_t>(image) + kCreateSlack);
    if (!dib) return nullptr;
    dib->biSize = kInfoHeaderSize;
    dib->biWidth = width;
    dib->biHeight = height;
    dib->biPlanes = 1;
    dib->biBitCount = static_cast<WORD>(bitCount);
    dib->biCompression = BI_RGB;
    dib->biSizeImage = static_cast<DWORD>(image);
    dib->biClrUsed = bitCount == 4 ? 16 : bitCount == 8 ? 256 : 0;
    auto *table = reinterpret_cast<RGBQUAD *>(dib + 1);
    for (UINT i = 0; i < dib->biClrUsed; i++) table[i] = kStandardColors[i % 16];
    return dib;
}

PackedDib DibReadHeader(HFILE file) {
    if (file == HFILE_ERROR) return nullptr;
    LONG start = _llseek(file, 0, FILE_CURRENT);
    if (start == HFILE_ERROR) return nullptr;
    BYTE fileHeader[14];
    if (_lread(file, fileHeader, sizeof fileHeader) != sizeof fileHeader) return nullptr;
    uint32_t pixelOffset = 0;
    if ((fileHeader[0] | fileHeader[1] << 8) == kBmpSignature) {
        std::memcpy(&pixelOffset, fileHeader + 10, 4);
    } else {
        _llseek(file, start, FILE_BEGIN);  // a packed bitmap: no file header
    }

    BITMAPINFOHEADER h;
    if (_lread(file, &h, kInfoHeaderSize) != kInfoHeaderSize) return nullptr;
    bool core = h.biSize == kCoreHeaderSize;
    if (core) {
        BITMAPCOREHEADER c;
        std::memcpy(&c, &h, sizeof c);
        h = BITMAPINFOHEADER{};
        h.biSize = kInfoHeaderSize;
        h.biWidth = c.bcWidth;
        h.biHeight = c.bcHeight;
        h.biPlanes = c.bcPlanes;
        h.biBitCount = c.bcBitCount;
        _llseek(file, -static_cast<LONG>(kInfoHeaderSize - kCoreHeaderSize), FILE_CURRENT);
    }
    // A later, longer header begins with the colour masks, then colour-space
    // details. The table follows the whole header; the block keeps the plain
    // header with the masks behind it, as the short form has them.
    BYTE longer[256 - kInfoHeaderSize];
    bool masksRead = false;
    if (!core && h.biSize > kInfoHeaderSize && h.biSize <= 256) {
        UINT extra = h.biSize - kInfoHeaderSize;
        if (_lread(file, longer, extra) != extra) return nullptr;
        masksRead = extra >= kMaskBytes;
        h.biSize = kInfoHeaderSize;
    } else if (!core && h.biSize != kInfoHeaderSize) {
        return nullptr;
    }
    if (!IsUsableHeader(h)) return nullptr;
    UINT colors = DibColorCount(&h);
    CompleteHeader(h);

    PackedDib dib = AllocateLocked(GMEM_MOVEABLE, kInfoHeaderSize + DibTableBytes(&h));
    if (!dib) return nullptr;
    *dib = h;
    BYTE *table = reinterpret_cast<BYTE *>(dib + 1);
    if (h.biCompression == BI_BITFIELDS) {
        if (masksRead) std::memcpy(table, longer, kMaskBytes);
        else if (_lread(file, table, kMaskBytes) != kMaskBytes) std::memset(table, 0, kMaskBytes);
    } else if (colors > 0) {
        if (core) {
            // Three-byte entries, widened in place from the last so that no
            // triple is overwritten before it is moved.
            std::memset(table, 0, 4 * colors);
            _lread(file, table, 3 * colors);
            for (UINT i = colors; i-- > 0;) {
                BYTE b = table[3 * i], g = table[3 * i + 1], r = table[3 * i + 2];
                table[4 * i] = b, table[4 * i + 1] = g, table[4 * i + 2] = r, table[4 * i + 3] = 0;
            }
        } else if (_lread(file, table, 4 * colors) != 4 * colors) {
            // What the file lacks stays black rather than undefined.
            std::memset(table, 0, 4 * colors);
        }
    }
    if (pixelOffset != 0) {
        // An offset no file position can reach is a damaged header.
        int64_t pixels = int64_t{start} + pixelOffset;
        if (pixels > 0x7FFFFFFF || _llseek(file, static_cast<LONG>(pixels), FILE_BEGIN) == HFILE_ERROR) {
            DibFree(dib);
            return nullptr;
        }
    }
    return dib;
}

PackedDib DibLoadFile(const char *path) {
    HFILE file = OpenForReading(path);
    if (file == HFILE_ERROR) return nullptr;
    PackedDib dib = DibReadHeader(file);
    if (!dib) {
        _lclose(file);
        return nullptr;
    }
    // The file must hold what its header promises before any of it is
    // allocated: run-length data whole, uncompressed rows at least half (a
    // copy cut short still shows its lower rows; less than that is a damaged
    // header, not a picture), and no stated size beyond the rows that the
    // file lacks.
    LONG here = _llseek(file, 0, FILE_CURRENT);
    LONG end = _llseek(file, 0, FILE_END);
    _llseek(file, here, FILE_BEGIN);
    bool compressed = dib->biCompression == BI_RLE8 || dib->biCompression == BI_RLE4;
    uint64_t rows = compressed ? 0 : uint64_t{DibStride(static_cast<uint32_t>(dib->biWidth), dib->biBitCount)} *
                                         static_cast<uint32_t>(dib->biHeight);
    uint64_t held = here == HFILE_ERROR || end == HFILE_ERROR || end < here ? 0 : static_cast<uint64_t>(end - here);
    if (dib->biSizeImage > std::max(rows, held) || held < rows / 2) {
        DibFree(dib);
        _lclose(file);
        return nullptr;
    }
    size_t table = DibTableBytes(dib);
    size_t total = dib->biSize + table + dib->biSizeImage;
    DWORD imageSize = dib->biSizeImage;
    HGLOBAL memory = GlobalHandle(dib);
    GlobalUnlock(memory);
    HGLOBAL resized = GlobalReAlloc(memory, total, 0);
    dib = resized ? static_cast<PackedDib>(GlobalLock(resized)) : nullptr;
    if (!dib) {
        GlobalFree(resized ? resized : memory);
        _lclose(file);
        return nullptr;
    }
    // The pixels in one read, straight into their place.
    BYTE *pixels = reinterpret_cast<BYTE *>(dib) + dib->biSize + table;
    long got = _hread(file, pixels, static_cast<long>(imageSize));
    if (got < static_cast<long>(imageSize)) std::memset(pixels + (got > 0 ? got : 0), 0, imageSize - (got > 0 ? got : 0));
    _lclose(file);
    return dib;
}

PackedDib DibLoadResource(HINSTANCE module, LPCWSTR id) {
    std::string key = std::to_string(reinterpret_cast<uintptr_t>(module)) + "/" +
                      (IS_INTRESOURCE(id) ? "#" + std::to_string(LOWORD(id)) : Utf8(id));
    auto &copies = resourceCopies();
    auto found = copies.find(key);
    if (found != copies.end()) return reinterpret_cast<PackedDib>(found->second.get());

    HRSRC info = FindResourceW(module, id, RT_BITMAP);
    HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
    const void *data = loaded ? LockResource(loaded) : nullptr;
    DWORD size = info ? SizeofResource(module, info) : 0;
    if (!data || size < kInfoHeaderSize) return nullptr;
    BITMAPINFOHEADER h;
    std::memcpy(&h, data, kInfoHeaderSize);
    if (h.biSize != kInfoHeaderSize || !IsUsableHeader(h)) return nullptr;
    CompleteHeader(h);
    size_t needed = kInfoHeaderSize + size_t{DibTableBytes(&h)} + h.biSizeImage;
    if (needed > size) return nullptr;
    auto copy = std::make_unique<uint8_t[]>(needed);
    std::memcpy(copy.get(), data, needed);
    std::memcpy(copy.get(), &h, kInfoHeaderSize);
    PackedDib dib = reinterpret_cast<PackedDib>(copy.get());
    copies[key] = std::move(copy);
    return dib;
}

void DibFree(PackedDib dib) {
    if (!dib || IsResourceCopy(dib)) return;
    HGLOBAL memory = GlobalHandle(dib);
    if (!memory) return;
    GlobalUnlock(memory);
    GlobalFree(memory);
}

uint32_t DibBlockSize(const BITMAPINFOHEADER *dib) {
    if (!dib || IsResourceCopy(dib)) return 0;
    HGLOBAL memory = GlobalHandle(dib);
    return memory ? static_cast<uint32_t>(GlobalSize(memory)) : 0;
}

PackedDib DibCopy(const BITMAPINFOHEADER *dib) {
    uint32_t size = DibBlockSize(dib);
    if (size == 0) return nullptr;
    PackedDib copy = AllocateLocked(GMEM_MOVEABLE, size);
    if (copy) std::memcpy(copy, dib, size);
    return copy;
}

const BYTE *DibPixels(const BITMAPINFOHEADER *dib) {
    if (!dib) return nullptr;
    // A resource bitmap was checked and completed when it was loaded.
    if (IsResourceCopy(dib)) return reinterpret_cast<const BYTE *>(dib) + dib->biSize + DibTableBytes(dib);
    return DibPixelsInBlock(dib, DibBlockSize(dib));
}

const BYTE *DibPixelsInBlock(const BITMAPINFOHEADER *block, size_t blockSize) {
    if (!block || blockSize < kInfoHeaderSize) return nullptr;
    const BITMAPINFOHEADER &h = *block;
    if (h.biSize < kInfoHeaderSize || h.biSize > blockSize || h.biWidth <= 0 || h.biHeight <= 0 ||
        !IsSupportedDepth(h.biBitCount))
        return nullptr;
    // Only the forms that can be drawn: masks for 16 and 32 bits, run lengths of their own depth.
    bool drawable = h.biCompression == BI_RGB || (h.biCompression == BI_BITFIELDS && (h.biBitCount == 16 || h.biBitCount == 32)) ||
                    (h.biCompression == BI_RLE8 && h.biBitCount == 8) || (h.biCompression == BI_RLE4 && h.biBitCount == 4);
    if (!drawable) return nullptr;
    // The drawing call reads the whole colour table the header implies.
    uint64_t tableEnd = uint64_t{h.biSize} + (h.biCompression == BI_BITFIELDS ? kMaskBytes : 4 * uint64_t{DibColorCount(&h)});
    uint64_t pixelStart = h.biCompression == BI_BITFIELDS ? uint64_t{h.biSize} + 12 : uint64_t{h.biSize} + 4 * uint64_t{h.biClrUsed};
    uint64_t rows = uint64_t{DibStride(static_cast<uint32_t>(h.biWidth), h.biBitCount)} * static_cast<uint32_t>(h.biHeight);
    if (h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4) {
        // Run-length data without a stated length has no end to stop at.
        if (h.biSizeImage == 0) return nullptr;
        rows = h.biSizeImage;
    }
    if (tableEnd > blockSize || pixelStart + rows > blockSize) return nullptr;
    return reinterpret_cast<const BYTE *>(block) + pixelStart;
}
