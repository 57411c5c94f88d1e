#include "support/rle.h"

RleWriter &RleWriter::Run(int count, uint8_t value) {
    data_.insert(data_.end(), {static_cast<uint8_t>(count), value});
    return *this;
}

RleWriter &RleWriter::Literal(const std::vector<uint8_t> &indices) {
    data_.insert(data_.end(), {0, static_cast<uint8_t>(indices.size())});
    size_t start = data_.size();
    if (bitCount_ == 8) {
        data_.insert(data_.end(), indices.begin(), indices.end());
    } else {
        for (size_t i = 0; i < indices.size(); i += 2)
            data_.push_back(static_cast<uint8_t>(indices[i] << 4 | (i + 1 < indices.size() ? indices[i + 1] & 15 : 0)));
    }
    if ((data_.size() - start) % 2) data_.push_back(0);  // literals end on a word
    return *this;
}

RleWriter &RleWriter::EndOfLine() { return Run(0, 0); }
RleWriter &RleWriter::EndOfBitmap() { return Run(0, 1); }

RleWriter &RleWriter::Delta(int right, int up) {
    data_.insert(data_.end(), {0, 2, static_cast<uint8_t>(right), static_cast<uint8_t>(up)});
    return *this;
}

Bytes RleEncode(int width, int height, int bitCount, const std::function<uint32_t(int, int)> &index) {
    RleWriter out(bitCount);
    for (int y = height - 1; y >= 0; y--) {
        std::vector<uint8_t> literal;
        auto flush = [&] {
            if (literal.size() >= 3) out.Literal(literal);
            else for (uint8_t v : literal) out.Run(1, static_cast<uint8_t>(bitCount == 4 ? v * 17 : v));
            literal.clear();
        };
        for (int x = 0; x < width;) {
            uint8_t v = static_cast<uint8_t>(index(x, y));
            int n = 1;
            while (x + n < width && n < 255 && index(x + n, y) == v) n++;
            if (n == 1 && literal.size() < 255) {
                literal.push_back(v);
            } else {
                flush();
                out.Run(n, static_cast<uint8_t>(bitCount == 4 ? v * 17 : v));
            }
            x += n;
        }
        flush();
        if (y > 0) out.EndOfLine();
    }
    out.EndOfBitmap();
    return out.data();
}

Bytes MakeRleDib(int width, int height, int bitCount, const Bytes &data, const std::vector<uint32_t> &table) {
    Bytes out;
    PutInfoHeader(out, width, height, bitCount, bitCount == 4 ? 2 : 1,  // BI_RLE4, BI_RLE8
                  static_cast<uint32_t>(data.size()), static_cast<uint32_t>(table.size()));
    for (uint32_t c : table) {
        Put16(out, static_cast<uint16_t>(c));  // blue, green
        Put16(out, static_cast<uint16_t>(c >> 16 & 0xFF));  // red, reserved
    }
    out.insert(out.end(), data.begin(), data.end());
    return out;
}
