// Run-length data of BI_RLE8 and BI_RLE4 bitmaps, written escape by escape
// or encoded from an index image, and the packed DIB that carries it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "support/builders.h"

class RleWriter {
public:
    explicit RleWriter(int bitCount) : bitCount_(bitCount) {}
    // count pixels of one index; with 4 bits, the two nibbles of value alternate.
    RleWriter &Run(int count, uint8_t value);
    // Three or more pixels given one by one (absolute mode).
    RleWriter &Literal(const std::vector<uint8_t> &indices);
    RleWriter &EndOfLine();
    RleWriter &Delta(int right, int up);
    RleWriter &EndOfBitmap();
    const Bytes &data() const { return data_; }

private:
    int bitCount_;
    Bytes data_;
};

// The image row by row from the bottom: repeats as runs, the rest literally.
Bytes RleEncode(int width, int height, int bitCount, const std::function<uint32_t(int x, int y)> &index);

// Header (biSizeImage = data size), colour table (0x00RRGGBB entries, all
// of them stated in biClrUsed), then the data.
Bytes MakeRleDib(int width, int height, int bitCount, const Bytes &data, const std::vector<uint32_t> &table);
