// Composing a show from one's own pictures: each picture fitted into the
// screen size (scaled down, never up, its shape kept) and into a 100 x 75
// preview, written through the same record writer and save transaction as
// the editor's save, which puts the show and its music in place together.
#include "cli/make.h"

#include "image/dib.h"
#include "image/jpeg.h"
#include "saverfile/format.h"
#include "saverfile/transaction.h"

#include <stb_image_resize.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kPreviewWidth = 100, kPreviewHeight = 75;

int Fail(const std::string &why) {
    std::fprintf(stderr, "qmshow: %s\n", why.c_str());
    return 1;
}

// A picture as rows of red, green and blue, top row first.
struct Rgb {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;
};

// The colour of pixel x of a bottom-up row of a packed DIB, as 0xRRGGBB.
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
                                       : static_cast<uint32_t>(row[4 * x] | row[4 * x + 1] << 8 | row[4 * x + 2] << 16 | static_cast<uint32_t>(row[4 * x + 3]) << 24);
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

bool ToRgb(const BITMAPINFOHEADER *dib, Rgb &out) {
    if (dib->biCompression == BI_RLE8 || dib->biCompression == BI_RLE4) return false;
    out.width = dib->biWidth;
    out.height = dib->biHeight;
    out.pixels.resize(size_t{3} * static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
    const BYTE *rows = reinterpret_cast<const BYTE *>(dib) + dib->biSize + DibTableBytes(dib);
    uint32_t stride = DibStride(static_cast<uint32_t>(out.width), dib->biBitCount);
    for (int y = 0; y < out.height; y++) {
        const BYTE *row = rows + size_t{stride} * static_cast<size_t>(out.height - 1 - y);
        unsigned char *to = out.pixels.data() + size_t{3} * static_cast<size_t>(out.width) * static_cast<size_t>(y);
        for (int x = 0; x < out.width; x++, to += 3) {
            uint32_t c = PixelAt(dib, row, x);
            to[0] = static_cast<unsigned char>(c >> 16), to[1] = static_cast<unsigned char>(c >> 8), to[2] = static_cast<unsigned char>(c);
        }
    }
    return true;
}

// A BMP or JPEG file, told apart by its first bytes, loaded as the program loads pictures.
PackedDib LoadAnyPicture(const char *path) {
    OFSTRUCT info{};
    HFILE file = OpenFile(path, &info, OF_READ);
    if (file == HFILE_ERROR) return nullptr;
    BYTE start[2] = {};
    UINT got = _lread(file, start, 2);
    _lclose(file);
    return got == 2 && start[0] == 0xFF && start[1] == 0xD8 ? JpegLoadFile(path) : DibLoadFile(path);
}

// The picture fitted into width x height (never enlarged, its shape kept) as
// a 24-bit packed DIB; null without memory.
PackedDib Fitted(const Rgb &picture, int width, int height) {
    double scale = std::min({1.0, static_cast<double>(width) / picture.width, static_cast<double>(height) / picture.height});
    int w = std::max(1, static_cast<int>(picture.width * scale + 0.5)), h = std::max(1, static_cast<int>(picture.height * scale + 0.5));
    std::vector<unsigned char> scaled(size_t{3} * static_cast<size_t>(w) * static_cast<size_t>(h));
    if (w == picture.width && h == picture.height) scaled = picture.pixels;
    else if (!stbir_resize_uint8_srgb(picture.pixels.data(), picture.width, picture.height, 0, scaled.data(), w, h, 0, 3,
                                      STBIR_ALPHA_CHANNEL_NONE, 0))
        return nullptr;
    PackedDib dib = DibCreate(24, w, h);
    if (!dib) return nullptr;
    BYTE *rows = reinterpret_cast<BYTE *>(dib) + dib->biSize;
    uint32_t stride = DibStride(static_cast<uint32_t>(w), 24);
    for (int y = 0; y < h; y++) {
        BYTE *to = rows + size_t{stride} * static_cast<size_t>(h - 1 - y);
        const unsigned char *from = scaled.data() + size_t{3} * static_cast<size_t>(w) * static_cast<size_t>(y);
        for (int x = 0; x < w; x++, to += 3, from += 3) to[0] = from[2], to[1] = from[1], to[2] = from[0];
    }
    return dib;
}

uint32_t BlockSize(PackedDib dib) { return static_cast<uint32_t>(GlobalSize(GlobalHandle(dib))); }

// The show's file name alone: shows live in the system directory.
std::string BareName(const char *path) {
    std::string name = path;
    size_t cut = name.find_last_of("\\/:");
    return cut == std::string::npos ? name : name.substr(cut + 1);
}

}  // namespace

int MakeShowCommand(int argc, char **argv) {
    const char *music = nullptr;
    int width = 800, height = 600;
    std::vector<const char *> pictures;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--music") == 0 && i + 1 < argc) music = argv[++i];
        else if (std::strcmp(argv[i], "--screen") == 0 && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width < 1 || height < 1 || width > 16384 ||
                height > 16384)
                return 2;
        } else if (argv[i][0] == '-' && argv[i][1] == '-') {
            return 2;
        } else {
            pictures.push_back(argv[i]);
        }
    }
    if (argc < 1 || pictures.empty() || pictures.size() > static_cast<size_t>(kMaxPictures)) return 2;
    std::string name = BareName(argv[0]);
    if (name.empty()) return 2;
    std::string path = SystemFolder() + name;

    ShowWriter writer;
    if (!BeginShow(writer, path.c_str())) return Fail("cannot write " + path);
    for (const char *picture : pictures) {
        PackedDib dib = LoadAnyPicture(picture);
        Rgb rgb;
        bool converted = dib && ToRgb(dib, rgb);
        DibFree(dib);
        if (!converted) {
            AbandonShow(writer);
            return Fail(std::string(picture) + ": not a picture this tool can use (BMP or JPEG, not run-length coded)");
        }
        PackedDib full = Fitted(rgb, width, height), preview = Fitted(rgb, kPreviewWidth, kPreviewHeight);
        bool written = full && preview && WriteShowRecord(writer, full, BlockSize(full), preview, BlockSize(preview));
        DibFree(full);
        DibFree(preview);
        if (!written) {
            AbandonShow(writer);
            return Fail("cannot write " + path);
        }
    }
    switch (CommitShow(writer, music, nullptr)) {
    case CommitResult::kCommitted: break;
    case CommitResult::kNoMusicMemory: return Fail(std::string("no memory to copy the music ") + music);
    case CommitResult::kFailed:
        return Fail(music ? "cannot write " + path + " with the music " + music : "cannot write " + path);
    }
    std::printf("show\t%s\t%zu\n", path.c_str(), pictures.size());
    char musicPath[MAX_PATH];
    if (music && MusicPathOf(name.c_str(), musicPath, sizeof musicPath)) std::printf("music\t%s\n", musicPath);
    return 0;
}
