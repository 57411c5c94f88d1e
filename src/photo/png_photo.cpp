// Photos from PNG files through libpng: every colour type and depth made
// 8-bit blue-green-red by the library's own transformations, interlaced
// passes put together by it, transparency composed over black (the screen
// the saver shows pictures on) in the stored values, as browsers and
// viewers show such a picture: never in linear light, whatever gamma the
// file names. Damage of any kind gives no picture.
#include "photo/decoders.h"

#include "photo/exif.h"
#include "photo/pipeline.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include <png.h>

namespace {

// The file's pieces as libpng asks for them, a few bytes or a chunk at a time.
struct Source {
    PhotoReader reader;
    size_t at = 0, held = 0;
};

// What a decode keeps outside the frame the library jumps back to.
struct PngDecode {
    png_structp png = nullptr;
    png_infop info = nullptr;
    Source source;
    png_bytep *rows = nullptr;
    png_bytep withAlpha = nullptr;  // blue-green-red-alpha rows, before they are composed
    PhotoPlan plan;
};

void ReadBytes(png_structp png, png_bytep out, size_t count) {
    auto *s = static_cast<Source *>(png_get_io_ptr(png));
    while (count > 0) {
        if (s->at == s->held) {
            s->held = ReadPiece(s->reader);
            s->at = 0;
            if (s->held == 0) png_error(png, "the file ends early");
        }
        size_t n = std::min(count, s->held - s->at);
        std::memcpy(out, s->reader.piece + s->at, n);
        s->at += n, out += n, count -= n;
    }
}

// Nothing the library says reaches the user.
[[noreturn]] void Fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void Quiet(png_structp, png_const_charp) {}

// A row of blue-green-red-alpha pixels over black, in the values stored:
// each colour times its alpha, rounded.
void OverBlack(png_const_bytep from, png_bytep to, png_uint_32 width) {
    for (png_uint_32 x = 0; x < width; x++, from += 4, to += 3) {
        const unsigned alpha = from[3];
        for (int c = 0; c < 3; c++) to[c] = static_cast<png_byte>((from[c] * alpha + 127) / 255);
    }
}

// Nothing here needs destroying: the library may jump back into this frame.
bool Decode(PngDecode &d, int maxWidth, int maxHeight, int bits) {
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Quiet);
    if (!d.png) return false;
    d.info = png_create_info_struct(d.png);
    if (!d.info) return false;
    if (setjmp(png_jmpbuf(d.png))) return false;
    png_set_read_fn(d.png, &d.source, ReadBytes);
    png_read_info(d.png, d.info);
    const png_uint_32 width = png_get_image_width(d.png, d.info), height = png_get_image_height(d.png, d.info);
    const int type = png_get_color_type(d.png, d.info);
    // An EXIF chunk ahead of the pixels turns the picture as it does a JPEG.
    int orientation = 1;
    png_uint_32 exifSize = 0;
    png_bytep exif = nullptr;
    if (png_get_eXIf_1(d.png, d.info, &exifSize, &exif) && exif) orientation = ExifOrientation(exif, exifSize);
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF ||
        !PlanPhoto(d.plan, static_cast<int>(width), static_cast<int>(height), orientation, maxWidth, maxHeight, bits))
        return false;
    png_set_expand(d.png);  // palettes, grey below 8 bits and tRNS transparency
    png_set_scale_16(d.png);
    png_set_gray_to_rgb(d.png);
    png_set_bgr(d.png);
    const bool transparent = (type & PNG_COLOR_MASK_ALPHA) || png_get_valid(d.png, d.info, PNG_INFO_tRNS);
    const int passes = png_set_interlace_handling(d.png);
    png_read_update_info(d.png, d.info);
    const size_t channels = transparent ? 4 : 3;
    if (png_get_channels(d.png, d.info) != channels || png_get_rowbytes(d.png, d.info) != size_t{width} * channels)
        return false;
    if (!PrepareDecode(d.plan, static_cast<int>(width), static_cast<int>(height))) return false;
    d.rows = static_cast<png_bytep *>(std::malloc(sizeof(png_bytep) * height));
    if (!d.rows) return false;
    // Straight into place, bottom-up.
    for (png_uint_32 y = 0; y < height; y++) d.rows[y] = d.plan.decoded.rows + (size_t{height} - 1 - y) * d.plan.decoded.stride;
    if (!transparent) {
        png_read_image(d.png, d.rows);
    } else {
        // One row at a time, composed as it is done; an interlaced picture
        // keeps every row until its last pass.
        const size_t rowBytes = size_t{width} * 4, kept = passes > 1 ? height : 1;
        if (rowBytes > SIZE_MAX / kept) return false;
        d.withAlpha = static_cast<png_bytep>(std::malloc(rowBytes * kept));
        if (!d.withAlpha) return false;
        for (int pass = 0; pass < passes; pass++)
            for (png_uint_32 y = 0; y < height; y++) {
                png_bytep row = d.withAlpha + (kept > 1 ? y : 0) * rowBytes;
                png_read_row(d.png, row, nullptr);
                if (pass == passes - 1) OverBlack(row, d.rows[y], width);
            }
    }
    // A file cut short after its pixels is damaged all the same.
    png_read_end(d.png, nullptr);
    return true;
}

}  // namespace

PackedDib LoadPngPhoto(HFILE file, int maxWidth, int maxHeight, int bits) {
    // Too large for the stack with its reader's buffer.
    auto *d = new (std::nothrow) PngDecode;
    if (!d) return nullptr;
    d->source.reader.file = file;
    bool decoded = Decode(*d, maxWidth, maxHeight, bits);
    if (d->png) png_destroy_read_struct(&d->png, d->info ? &d->info : nullptr, nullptr);
    std::free(d->rows);
    std::free(d->withAlpha);
    PackedDib dib = nullptr;
    if (decoded) dib = FinishPhoto(d->plan, d->plan.decoded);
    else AbandonPhoto(d->plan);
    delete d;
    return dib;
}
