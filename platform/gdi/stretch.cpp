// StretchDIBits and the DC's stretch mode: a packed DIB's pixels put on the
// screen, stretched or shrunk picking the pixels Windows picks, clipped to
// the DC, and reduced to what the screen's depth can show.
#include "gdi.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace headless {
namespace {

// In a converted row: leave the screen's pixel as it is (the gaps of
// run-length data). Screen pixels never have the top byte set.
constexpr uint32_t kKeep = 0xFF000000u;
constexpr DWORD kLargestHeader = 124;  // BITMAPV5HEADER
// Run-length data is expanded whole before it is drawn.
constexpr uint64_t kMostRlePixels = uint64_t{1} << 26;

struct Dib {
    int width = 0;
    int64_t height = 0;  // rows
    bool topDown = false;
    int bitCount = 0;
    DWORD compression = BI_RGB;
    size_t stride = 0;
    const uint8_t *bits = nullptr;
    DWORD rleSize = 0;
    uint32_t colours[256] = {};  // 0x00RRGGBB, black past the end of the table
    // BI_BITFIELDS: where red, green and blue sit in a 16- or 32-bit pixel.
    bool masked = false;
    uint32_t mask[3] = {};
    int maskShift[3] = {}, maskBits[3] = {};
};

// A colour mask as a shift and a number of bits.
void DescribeMask(uint32_t mask, int &shift, int &width) {
    shift = width = 0;
    if (!mask) return;
    while (!(mask >> shift & 1)) shift++;
    while (shift + width < 32 && (mask >> (shift + width) & 1)) width++;
}

uint32_t FromMasks(const Dib &dib, uint32_t v) {
    uint32_t rgb = 0;
    for (int c = 0; c < 3; c++) {
        uint32_t channel = 0;
        if (dib.maskBits[c]) {
            // Eight bits or more: the top eight; fewer are stretched to 0..255.
            uint32_t raw = (v & dib.mask[c]) >> dib.maskShift[c];
            channel = dib.maskBits[c] >= 8 ? raw >> (dib.maskBits[c] - 8) : raw * 255 / ((uint32_t{1} << dib.maskBits[c]) - 1);
        }
        rgb = rgb << 8 | channel;
    }
    return rgb;
}

// The checks Windows makes of a header; anything else is not drawn.
bool ReadDib(const BITMAPINFO *info, const void *bits, Dib &dib) {
    if (!info || !bits) return false;
    BITMAPINFOHEADER h;
    std::memcpy(&h.biSize, info, sizeof h.biSize);
    if (h.biSize < sizeof h || h.biSize > kLargestHeader) return false;
    std::memcpy(&h, info, sizeof h);
    if (h.biWidth <= 0 || h.biHeight == 0) return false;
    dib.width = h.biWidth;
    dib.height = h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight;
    dib.topDown = h.biHeight < 0;
    dib.bitCount = h.biBitCount;
    dib.compression = h.biCompression;
    dib.bits = static_cast<const uint8_t *>(bits);
    if (h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4) {
        if (dib.topDown || h.biSizeImage == 0 || h.biBitCount != (h.biCompression == BI_RLE4 ? 4 : 8)) return false;
        dib.rleSize = h.biSizeImage;
    } else {
        // Colour masks stand right behind the plain header, inside the longer ones.
        dib.masked = h.biCompression == BI_BITFIELDS;
        if (dib.masked) {
            if (h.biBitCount != 16 && h.biBitCount != 32) return false;
            const uint8_t *masks = reinterpret_cast<const uint8_t *>(info) + sizeof h;
            for (int c = 0; c < 3; c++) {
                std::memcpy(&dib.mask[c], masks + 4 * c, 4);
                DescribeMask(dib.mask[c], dib.maskShift[c], dib.maskBits[c]);
            }
        }
        if (h.biPlanes == 0 || h.biBitCount == 0 || (h.biCompression != BI_RGB && !dib.masked)) return false;
        if (h.biBitCount != 1 && h.biBitCount != 4 && h.biBitCount != 8 && h.biBitCount != 16 && h.biBitCount != 24 &&
            h.biBitCount != 32)
            return false;
        // The whole image must be addressable in 32 bits.
        if (UINT32_MAX / h.biBitCount < static_cast<uint32_t>(h.biWidth)) return false;
        dib.stride = (uint64_t{static_cast<uint32_t>(h.biWidth)} * h.biBitCount + 31) / 32 * 4;
        if (UINT32_MAX / dib.stride < static_cast<uint64_t>(dib.height)) return false;
    }
    if (dib.bitCount <= 8) {
        DWORD full = DWORD{1} << dib.bitCount;
        DWORD count = h.biClrUsed ? std::min(h.biClrUsed, full) : full;
        const uint8_t *table = reinterpret_cast<const uint8_t *>(info) + h.biSize;
        for (DWORD i = 0; i < count; i++, table += 4)
            dib.colours[i] = uint32_t{table[2]} << 16 | uint32_t{table[1]} << 8 | table[0];
    }
    return true;
}

// A source extent, negative when it runs the other way, meets [0, size).
bool Overlaps(int64_t start, int64_t length, int64_t size) {
    if (length == 0) return false;
    int64_t lo = length > 0 ? start : start + length + 1, hi = length > 0 ? start + length : start + 1;
    return lo < size && hi > 0;
}

// One axis of the mapping over the destination pixels that get drawn.
struct Axis {
    int64_t first = 0;        // first destination pixel, in screen coordinates
    std::vector<int> pick;    // the source pixel it shows
    std::vector<int> lo, hi;  // the source pixels folded into it (merging modes only)
};

// Windows steps from pixel centre to pixel centre: destination pixel k of D
// takes the source pixels s of S whose centre, scaled, falls in it. When
// shrinking, several fold into one; when stretching, one is repeated.
void Fold(int64_t k, int64_t S, int64_t D, int64_t &lo, int64_t &hi) {
    using Wide = __int128;
    if (S <= D) {
        lo = hi = static_cast<int64_t>(((2 * Wide{k} + 1) * S - 1) / (2 * Wide{D}));
        return;
    }
    lo = static_cast<int64_t>((2 * Wide{k} * S + D) / (2 * Wide{D}));
    hi = static_cast<int64_t>(((2 * Wide{k} + 2) * S - D) / (2 * Wide{D}));
}

// dst and src are where each extent starts, with a negative length when it
// runs backwards (a mirror image). Destination pixels outside [clipLo,
// clipHi) or showing nothing of the bitmap's [0, size) are left out; those
// that remain are contiguous. pickLast: when pixels fold, the last one in
// the copy's direction shows (across a row), otherwise the first (down).
bool BuildAxis(int64_t dst, int64_t dstLength, int64_t src, int64_t srcLength, int64_t clipLo, int64_t clipHi,
               int64_t size, bool pickLast, bool merging, Axis &axis) {
    int64_t D = dstLength < 0 ? -dstLength : dstLength, S = srcLength < 0 ? -srcLength : srcLength;
    int64_t from = dstLength > 0 ? dst : dst + dstLength + 1;
    int64_t to = dstLength > 0 ? dst + dstLength : dst + 1;
    from = std::max(from, clipLo);
    to = std::min(to, clipHi);
    int64_t step = srcLength > 0 ? 1 : -1;
    for (int64_t x = from; x < to && D > 0 && S > 0; x++) {
        int64_t k = dstLength > 0 ? x - dst : dst - x, lo, hi;
        Fold(k, S, D, lo, hi);
        int64_t a = src + step * lo, b = src + step * hi;  // first and last, in the copy's direction
        bool shows;
        if (step > 0) {
            a = std::max<int64_t>(a, 0);
            b = std::min(b, size - 1);
            shows = a <= b;
        } else {
            a = std::min(a, size - 1);
            b = std::max<int64_t>(b, 0);
            shows = a >= b;
        }
        if (!shows) {
            if (!axis.pick.empty()) break;
            continue;
        }
        if (axis.pick.empty()) axis.first = x;
        axis.pick.push_back(static_cast<int>(pickLast ? b : a));
        if (merging) {
            axis.lo.push_back(static_cast<int>(std::min(a, b)));
            axis.hi.push_back(static_cast<int>(std::max(a, b)));
        }
    }
    return !axis.pick.empty();
}

// Expands run-length data into one colour index per pixel, top row first;
// pixels the data never sets keep index 0. With a mask, only the pixels of
// runs are marked, and a line's runs count once an escape closes the line:
// a last line the data leaves open is not drawn.
bool DecodeRle(const Dib &dib, std::vector<uint8_t> &pixels, std::vector<uint8_t> *mask) {
    const size_t w = static_cast<size_t>(dib.width), h = static_cast<size_t>(dib.height);
    if (uint64_t{w} * h > kMostRlePixels) return false;
    pixels.assign(w * h, 0);
    if (mask) mask->assign(w * h, 0);
    const uint8_t *data = dib.bits;
    const size_t size = dib.rleSize;
    const bool nibbles = dib.bitCount == 4;
    size_t x = 0, left = 0, right = 0, i = 0;
    int64_t y = static_cast<int64_t>(h) - 1;  // the data starts with the bottom row
    auto line = [&] { return pixels.data() + static_cast<size_t>(y) * w; };
    while (i + 1 < size) {
        const uint8_t count = data[i], code = data[i + 1];
        i += 2;
        if (count) {
            // count pixels of one index, or of two alternating nibbles
            size_t n = std::min<size_t>(count, w - x);
            uint8_t *out = line() + x;
            for (size_t k = 0; k < n; k++) out[k] = nibbles ? ((k & 1) ? code & 15 : code >> 4) : code;
            right = x += n;
            continue;
        }
        if (code <= 2) {
            if (mask) std::memset(mask->data() + static_cast<size_t>(y) * w + left, 1, right - left);
            if (code == 1) break;  // end of bitmap
            if (code == 0) {       // end of line
                x = left = right = 0;
                if (--y < 0) break;
                continue;
            }
            if (i + 1 >= size) break;  // a move right and up
            left = right = x = std::min<size_t>(x + data[i], w);
            y -= data[i + 1];
            i += 2;
            if (y < 0) break;
            continue;
        }
        // code pixels given one by one, padded to a whole word
        size_t bytes = nibbles ? (code + 1u) / 2 : code;
        if (bytes > size - i) break;
        size_t n = std::min<size_t>(code, w - x);
        uint8_t *out = line() + x;
        for (size_t k = 0; k < n; k++)
            out[k] = nibbles ? ((k & 1) ? data[i + k / 2] & 15 : data[i + k / 2] >> 4) : data[i + k];
        right = x += n;
        i += (bytes + 1) & ~size_t{1};
    }
    return true;
}

// What a colour becomes on the screen.
class Device {
public:
    explicit Device(int depth) : depth_(depth) {
        if (depth_ > 8) return;
        for (int i = 0; i < 256; i++) {
            uint32_t c = ToPixel(SystemPaletteColor(i));
            if (std::find(palette_.begin(), palette_.end(), c) == palette_.end()) palette_.push_back(c);
        }
        cache_.assign(kCacheSize, 0);
    }

    uint32_t operator()(uint32_t rgb) {
        if (depth_ > 16) return rgb;
        if (depth_ > 8) {
            // 5-6-5, each channel widened back by repeating its top bits
            uint32_t r = rgb >> 19 & 31, g = rgb >> 10 & 63, b = rgb >> 3 & 31;
            return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
        }
        return Nearest(rgb);
    }

private:
    static constexpr size_t kCacheSize = 4096;

    // The closest colour the system palette holds, remembered per colour:
    // a photograph repeats its colours.
    uint32_t Nearest(uint32_t rgb) {
        uint64_t &slot = cache_[(rgb * 2654435761u) >> 20 & (kCacheSize - 1)];
        uint64_t key = uint64_t{rgb | 0x1000000u} << 32;
        if ((slot & ~uint64_t{0xFFFFFFFF}) == key) return static_cast<uint32_t>(slot);
        uint32_t best = 0;
        int bestDistance = -1;
        for (uint32_t c : palette_) {
            int dr = int(rgb >> 16 & 0xFF) - int(c >> 16 & 0xFF), dg = int(rgb >> 8 & 0xFF) - int(c >> 8 & 0xFF),
                db = int(rgb & 0xFF) - int(c & 0xFF);
            int d = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || d < bestDistance) {
                best = c;
                bestDistance = d;
            }
        }
        slot = key | best;
        return best;
    }

    int depth_;
    std::vector<uint32_t> palette_;
    std::vector<uint64_t> cache_;
};

enum class Merge { None, And, Or };

template <class Fetch>
void Sample(const Axis &ax, Merge merge, Fetch fetch, uint32_t *out) {
    const size_t n = ax.pick.size();
    if (merge == Merge::None) {
        for (size_t i = 0; i < n; i++) out[i] = fetch(ax.pick[i]);
        return;
    }
    for (size_t i = 0; i < n; i++) {
        uint32_t v = fetch(ax.lo[i]);
        for (int s = ax.lo[i] + 1; s <= ax.hi[i]; s++) v = merge == Merge::And ? v & fetch(s) : v | fetch(s);
        out[i] = v;
    }
}

uint32_t Widen555(uint32_t v) {
    uint32_t r = v >> 10 & 31, g = v >> 5 & 31, b = v & 31;
    return (r << 3 | r >> 2) << 16 | (g << 3 | g >> 2) << 8 | (b << 3 | b >> 2);
}

// One source row into screen pixels for each destination column. table
// holds the colour table already as screen pixels; mask (run-length data
// at its own size) marks the pixels the data set.
void ConvertRow(const Dib &dib, const uint8_t *row, const uint8_t *mask, const uint32_t *table, const Axis &ax,
                Merge merge, Device &device, uint32_t *out) {
    switch (dib.bitCount) {
    case 1: Sample(ax, merge, [&](int s) { return table[row[s >> 3] >> (7 - (s & 7)) & 1]; }, out); break;
    case 4: Sample(ax, merge, [&](int s) { return table[row[s >> 1] >> ((s & 1) ? 0 : 4) & 15]; }, out); break;
    case 8:
        if (mask) Sample(ax, merge, [&](int s) { return mask[s] ? table[row[s]] : kKeep; }, out);
        else Sample(ax, merge, [&](int s) { return table[row[s]]; }, out);
        break;
    case 16:
        if (dib.masked)
            Sample(ax, merge, [&](int s) { return device(FromMasks(dib, row[2 * s] | uint32_t{row[2 * s + 1]} << 8)); }, out);
        else
            Sample(ax, merge, [&](int s) { return device(Widen555(row[2 * s] | uint32_t{row[2 * s + 1]} << 8)); }, out);
        break;
    case 32:
        if (dib.masked) {
            Sample(ax, merge,
                   [&](int s) {
                       uint32_t v;
                       std::memcpy(&v, row + 4 * static_cast<size_t>(s), 4);
                       return device(FromMasks(dib, v));
                   },
                   out);
            break;
        }
        [[fallthrough]];
    case 24: {
        const int n = dib.bitCount / 8;
        Sample(ax, merge,
               [&](int s) {
                   const uint8_t *p = row + static_cast<size_t>(s) * n;
                   return device(uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0]);
               },
               out);
        break;
    }
    }
}

}  // namespace
}  // namespace headless

using namespace headless;

int WINAPI SetStretchBltMode(HDC hdc, int mode) {
    if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
    return ExchangeDcAttribute(hdc, &DeviceContext::stretchMode, mode, 0);
}

int WINAPI GetStretchBltMode(HDC hdc) {
    DeviceContext *dc = FindDc(hdc);
    return dc ? dc->stretchMode : 0;
}

int WINAPI StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                         int srcWidth, int srcHeight, const VOID *bits, const BITMAPINFO *info, UINT usage, DWORD rop) {
    Dib dib;
    if (!ReadDib(info, bits, dib)) return 0;
    // Only what the program asks for: colour tables of RGB, a plain copy.
    if (usage != DIB_RGB_COLORS || rop != SRCCOPY) return 0;
    DeviceContext *dc = FindDc(hdc);
    POINT origin;
    RECT clip;
    if (!dc || !DcGeometry(hdc, origin, clip)) return 0;

    const int64_t height = dib.height;
    const bool ownSizeFromOrigin = xSrc == 0 && ySrc == 0 && srcWidth == destWidth && srcHeight == destHeight;
    // Source rows count up from the bitmap's bottom, even in a top-down
    // bitmap unless it is copied at its own size from its origin.
    int64_t sy = ySrc, sh = srcHeight;
    if (!dib.topDown || !ownSizeFromOrigin) sy = height - sy - sh;
    // An upside-down source starting just past the bitmap slides back onto it.
    if (sy >= height && sy + sh + 1 < height) sy = height - 1;
    else if (sy > 0 && sy + sh + 1 < 0) sy = -sh - 1;
    if (!Overlaps(xSrc, srcWidth, dib.width) || !Overlaps(sy, sh, height)) return 0;
    // Windows counts the bitmap's lines, drawn or clipped away.
    const int lines = static_cast<int>(height);

    // The mode matters only where pixels fold: BLACKONWHITE keeps the
    // darker bits of them, WHITEONBLACK the lighter, the others pick one.
    const bool folds = std::abs(int64_t{srcWidth}) > std::abs(int64_t{destWidth}) ||
                       std::abs(int64_t{srcHeight}) > std::abs(int64_t{destHeight});
    const Merge merge = !folds                              ? Merge::None
                        : dc->stretchMode == BLACKONWHITE ? Merge::And
                        : dc->stretchMode == WHITEONBLACK ? Merge::Or
                                                          : Merge::None;
    Axis across, down;
    if (!BuildAxis(int64_t{origin.x} + xDest, destWidth, xSrc, srcWidth, clip.left, clip.right, dib.width, true,
                   merge != Merge::None, across) ||
        !BuildAxis(int64_t{origin.y} + yDest, destHeight, sy, sh, clip.top, clip.bottom, height, false,
                   merge != Merge::None, down))
        return lines;

    // Run-length data becomes a top-down bitmap of 8-bit indices.
    std::vector<uint8_t> expanded, mask;
    if (dib.compression == BI_RLE8 || dib.compression == BI_RLE4) {
        bool gapsKept = ownSizeFromOrigin;
        if (!DecodeRle(dib, expanded, gapsKept ? &mask : nullptr)) return 0;
        dib.bits = expanded.data();
        dib.stride = static_cast<size_t>(dib.width);
        dib.topDown = true;
        dib.bitCount = 8;
    }

    Screen &s = screen();
    Device device(s.depth);
    uint32_t table[256];
    for (int i = 0; i < 256; i++) table[i] = device(dib.colours[i]);

    auto rowOf = [&](int y) {
        size_t memoryRow = dib.topDown ? static_cast<size_t>(y) : static_cast<size_t>(height - 1 - y);
        return memoryRow * dib.stride;
    };
    const size_t n = across.pick.size();
    std::vector<uint32_t> converted(mask.empty() && merge == Merge::None ? 0 : n);
    const uint32_t *lastRow = nullptr;
    int lastLo = -1, lastHi = -1;
    for (size_t r = 0; r < down.pick.size(); r++) {
        uint32_t *out = &s.At(static_cast<long>(across.first), static_cast<long>(down.first + static_cast<int64_t>(r)));
        int lo = merge == Merge::None ? down.pick[r] : down.lo[r], hi = merge == Merge::None ? lo : down.hi[r];
        if (!mask.empty()) {
            // Own size, so no row repeats; the gaps keep what the screen shows.
            size_t at = rowOf(lo);
            ConvertRow(dib, dib.bits + at, mask.data() + at, table, across, merge, device, converted.data());
            for (size_t i = 0; i < n; i++)
                if (converted[i] != kKeep) out[i] = converted[i];
            continue;
        }
        if (lo == lastLo && hi == lastHi) {
            // Stretched: this row shows the same source rows as the one above.
            std::memcpy(out, lastRow, n * sizeof *out);
        } else {
            ConvertRow(dib, dib.bits + rowOf(lo), nullptr, table, across, merge, device, out);
            for (int y = lo + 1; y <= hi; y++) {
                ConvertRow(dib, dib.bits + rowOf(y), nullptr, table, across, merge, device, converted.data());
                for (size_t i = 0; i < n; i++)
                    out[i] = merge == Merge::And ? out[i] & converted[i] : out[i] | converted[i];
            }
            // Merged colours need not be in the system palette.
            if (merge != Merge::None && s.depth <= 8)
                for (size_t i = 0; i < n; i++) out[i] = device(out[i]);
        }
        lastRow = out;
        lastLo = lo;
        lastHi = hi;
    }
    OnPictureDrawn();
    return lines;
}
