// Writes what the headless screen shows to a BMP or PNG file, so a person
// can look at a run: the whole virtual screen, every monitor in its place.
#include "gdi.h"
#include "../testing/hooks.h"

#include <png.h>
#include <strings.h>

#include <cstdio>

namespace headless {
namespace {

void Put32le(std::vector<uint8_t> &out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
void Put16le(std::vector<uint8_t> &out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

std::vector<uint8_t> EncodeBmp(Screen &s) {
    const RECT &b = s.bounds;
    uint32_t width = static_cast<uint32_t>(b.right - b.left), height = static_cast<uint32_t>(b.bottom - b.top);
    uint32_t stride = (width * 3 + 3) & ~3u;
    uint32_t imageSize = stride * height;
    std::vector<uint8_t> out{'B', 'M'};
    Put32le(out, 54 + imageSize);
    Put32le(out, 0);
    Put32le(out, 54);
    Put32le(out, 40);
    Put32le(out, width);
    Put32le(out, height);
    Put16le(out, 1);
    Put16le(out, 24);
    for (uint32_t v : {0u, imageSize, 2835u, 2835u, 0u, 0u}) Put32le(out, v);
    for (long y = b.bottom - 1; y >= b.top; y--) {
        size_t start = out.size();
        for (long x = b.left; x < b.right; x++) {
            uint32_t p = s.Shown(x, y);
            out.insert(out.end(), {static_cast<uint8_t>(p), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p >> 16)});
        }
        out.resize(start + stride, 0);
    }
    return out;
}

// The caller says what failed; libpng need not print it too.
void PngFailed(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

// 8-bit RGB rows through libpng, which reports a failure (a full disk) by
// jumping back to the setjmp: the row buffer is made before it, so the jump
// leaves nothing half built.
bool WritePng(Screen &s, FILE *f) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFailed, PngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    const RECT b = s.bounds;
    std::vector<png_byte> row(static_cast<size_t>(b.right - b.left) * 3);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(b.right - b.left), static_cast<png_uint_32>(b.bottom - b.top), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (long y = b.top; y < b.bottom; y++) {
        for (long x = b.left; x < b.right; x++) {
            uint32_t p = s.Shown(x, y);
            size_t at = 3 * static_cast<size_t>(x - b.left);
            row[at] = static_cast<png_byte>(p >> 16);
            row[at + 1] = static_cast<png_byte>(p >> 8);
            row[at + 2] = static_cast<png_byte>(p);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WriteScreenImage(const std::string &path) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok;
    if (path.size() >= 4 && strcasecmp(path.c_str() + path.size() - 4, ".bmp") == 0) {
        std::vector<uint8_t> data = EncodeBmp(screen());
        ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    } else {
        ok = WritePng(screen(), f);
    }
    return std::fclose(f) == 0 && ok;
}

namespace {
struct Frames {
    std::string folder;
    int limit = 0;
    int written = 0;
    bool pending = false;  // a picture was drawn since the last frame
};
Frames &frames() {
    static Frames f;
    return f;
}
}  // namespace

void WriteFramesTo(const std::string &folder, int limit) { frames() = Frames{folder, limit, 0}; }

namespace {
struct RunScreenshot {
    std::string path;
    bool taken = false;
};
RunScreenshot &runScreenshot() {
    static RunScreenshot r;
    return r;
}
}  // namespace

void TakeRunScreenshotInto(const std::string &path) { runScreenshot() = RunScreenshot{path, false}; }

void TakeRunScreenshot() {
    RunScreenshot &r = runScreenshot();
    if (r.path.empty() || r.taken) return;
    r.taken = true;
    if (!WriteScreenImage(r.path)) std::fprintf(stderr, "qmsaver: cannot write %s\n", r.path.c_str());
}

// A tick may draw its picture more than once (once on each monitor): the
// frame is the screen when the drawing is done and the program waits again.
void OnPictureDrawn() { frames().pending = true; }

void WritePendingFrame() {
    Frames &f = frames();
    if (!f.pending) return;
    f.pending = false;
    if (f.folder.empty() || f.written >= f.limit) return;
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%03d.png", ++f.written);
    WriteScreenImage(f.folder + name);
}

}  // namespace headless
