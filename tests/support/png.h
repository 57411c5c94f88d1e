// PNG files for the tests, written by libpng, of every colour type, depth
// and interlacing a photo may come in.
#pragma once

#include <functional>

#include "support/builders.h"

struct PngOptions {
    enum Kind { kRgb, kRgba, kGrey, kGreyAlpha, kPalette };
    Kind kind = kRgb;
    int depth = 8;              // bits a sample: 1, 2, 4, 8 or 16 as the kind allows
    bool interlaced = false;    // Adam7
    std::vector<uint32_t> palette;  // 0xAARRGGBB entries of kPalette; any alpha below 255 gives a tRNS chunk
    Bytes exif;                 // an eXIf chunk ahead of the pixels when not empty
    double gamma = 0;           // a gAMA chunk of this file gamma when above 0 (0.45455 for a camera's)
};

// pixel(x, y) gives 0xAARRGGBB (the alpha ignored without one; the grey
// level in the low byte; the palette index for kPalette); y = 0 is the top
// row. Samples of fewer than 8 bits take the high bits, 16-bit ones the
// byte twice.
Bytes MakePng(int width, int height, const std::function<uint32_t(int x, int y)> &pixel, const PngOptions &options = {});
