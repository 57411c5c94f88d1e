#include "support/png.h"

#include <png.h>

namespace {

void Append(png_structp png, png_bytep data, size_t size) {
    auto *out = static_cast<Bytes *>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

void NoFlush(png_structp) {}

}  // namespace

Bytes MakePng(int width, int height, const std::function<uint32_t(int, int)> &pixel, const PngOptions &options) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, Append, NoFlush);
    int type = PNG_COLOR_TYPE_RGB, samples = 3;
    switch (options.kind) {
    case PngOptions::kRgb: break;
    case PngOptions::kRgba: type = PNG_COLOR_TYPE_RGB_ALPHA, samples = 4; break;
    case PngOptions::kGrey: type = PNG_COLOR_TYPE_GRAY, samples = 1; break;
    case PngOptions::kGreyAlpha: type = PNG_COLOR_TYPE_GRAY_ALPHA, samples = 2; break;
    case PngOptions::kPalette: type = PNG_COLOR_TYPE_PALETTE, samples = 1; break;
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), options.depth, type,
                 options.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (options.kind == PngOptions::kPalette) {
        std::vector<png_color> colours;
        std::vector<png_byte> alpha;
        bool transparent = false;
        for (uint32_t c : options.palette) {
            colours.push_back(png_color{static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8), static_cast<png_byte>(c)});
            alpha.push_back(static_cast<png_byte>(c >> 24));
            transparent |= (c >> 24) != 255;
        }
        png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
        if (transparent) png_set_tRNS(png, info, alpha.data(), static_cast<int>(alpha.size()), nullptr);
    }
    if (options.gamma > 0) png_set_gAMA(png, info, options.gamma);
    if (!options.exif.empty())
        png_set_eXIf_1(png, info, static_cast<png_uint_32>(options.exif.size()), const_cast<png_bytep>(options.exif.data()));
    png_write_info(png, info);

    // Every row packed in the file's own form, then handed over at once
    // (the library makes the interlaced passes from the whole picture).
    size_t bitsPerRow = static_cast<size_t>(width) * samples * options.depth;
    size_t rowBytes = (bitsPerRow + 7) / 8;
    Bytes image(rowBytes * height, 0);
    std::vector<png_bytep> rows;
    for (int y = 0; y < height; y++) {
        png_bytep row = image.data() + rowBytes * y;
        rows.push_back(row);
        size_t bit = 0;
        for (int x = 0; x < width; x++) {
            uint32_t p = pixel(x, y);
            uint32_t values[4];
            switch (options.kind) {
            case PngOptions::kRgb: values[0] = p >> 16 & 255, values[1] = p >> 8 & 255, values[2] = p & 255; break;
            case PngOptions::kRgba: values[0] = p >> 16 & 255, values[1] = p >> 8 & 255, values[2] = p & 255, values[3] = p >> 24; break;
            case PngOptions::kGrey: values[0] = p & 255; break;
            case PngOptions::kGreyAlpha: values[0] = p & 255, values[1] = p >> 24; break;
            case PngOptions::kPalette: values[0] = p & 255; break;
            }
            for (int s = 0; s < samples; s++) {
                uint32_t v = values[s];
                if (options.depth == 16) {
                    row[bit / 8] = static_cast<png_byte>(v), row[bit / 8 + 1] = static_cast<png_byte>(v);
                } else if (options.depth == 8) {
                    row[bit / 8] = static_cast<png_byte>(v);
                } else {
                    // An index keeps its value; a grey level its high bits.
                    if (options.kind != PngOptions::kPalette) v >>= 8 - options.depth;
                    row[bit / 8] |= static_cast<png_byte>(v << (8 - options.depth - bit % 8));
                }
                bit += static_cast<size_t>(options.depth);
            }
        }
    }
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}
