// JPEG files for the tests, written by the JPEG library, and the library's
// own decode of them to compare the program's pictures with.
#pragma once

#include <functional>

#include "support/builders.h"

struct JpegOptions {
    enum Sampling { k420, k444 };
    enum Colour { kRgb, kGrey, kCmyk, kYcck };
    int quality = 90;
    bool progressive = false;
    Sampling sampling = k420;
    Colour colour = kRgb;
};

// pixel(x, y) gives 0x00RRGGBB (the grey level in the low byte for kGrey,
// 0xCCMMYYKK as stored for kCmyk and kYcck); y = 0 is the top row.
Bytes MakeJpeg(int width, int height, const std::function<uint32_t(int x, int y)> &pixel,
               const JpegOptions &options = {});

// A picture with what photographs have: smooth gradients, hard edges and
// fine texture, so every part of the decoder has work to do.
uint32_t PhotoPixel(int x, int y);

// The library's decode with its default parameters: rows top-down, each
// sample as the library delivers it (red, green, blue; grey; or CMYK).
struct DecodedJpeg {
    int width = 0, height = 0, components = 0;
    bool adobe = false;
    Bytes samples;
    std::vector<uint32_t> palette;  // 0x00RRGGBB entries of a quantised decode
};
// scale: the library's scale M/8 (8 gives the full size); quantised: the
// library's two-pass quantiser to 256 colours, dithered (Floyd-Steinberg),
// the samples then being palette indices.
DecodedJpeg DecodeJpeg(const Bytes &jpeg, int scale = 8, bool quantised = false);
// The decode as a 24-bit packed DIB holds it: bottom-up rows of blue, green
// and red, each row padded to 4 bytes.
Bytes AsBitmapRows(const DecodedJpeg &d);
