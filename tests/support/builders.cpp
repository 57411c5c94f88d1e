#include "support/builders.h"

void Put16(Bytes &out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes &out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v));
    Put16(out, static_cast<uint16_t>(v >> 16));
}

void PutInfoHeader(Bytes &out, int width, int height, int bitCount, uint32_t compression, uint32_t sizeImage,
                   uint32_t colorsUsed) {
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint16_t>(bitCount));
    Put32(out, compression);
    Put32(out, sizeImage);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, colorsUsed);
    Put32(out, 0);
}

Bytes MakePackedDib(int width, int height, int bitCount, const std::function<uint32_t(int, int)> &pixel,
                    int colors, const std::vector<uint32_t> &table) {
    int tableSize = colors > 0 ? colors : (bitCount <= 8 ? 1 << bitCount : 0);
    uint32_t stride = ((static_cast<uint32_t>(width) * bitCount + 31) / 32) * 4;
    Bytes out;
    PutInfoHeader(out, width, height, bitCount, 0, stride * height, static_cast<uint32_t>(colors >= 0 ? colors : tableSize));
    for (int i = 0; i < tableSize; i++) {
        if (i < static_cast<int>(table.size())) {
            uint32_t c = table[i];
            out.insert(out.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c >> 16), 0});
            continue;
        }
        uint8_t v = static_cast<uint8_t>(tableSize > 1 ? i * 255 / (tableSize - 1) : 0);
        out.insert(out.end(), {v, v, v, 0});
    }
    for (int row = height - 1; row >= 0; row--) {
        Bytes line(stride, 0);
        for (int x = 0; x < width; x++) {
            uint32_t p = pixel(x, row);
            switch (bitCount) {
            case 1: line[x / 8] |= static_cast<uint8_t>((p & 1) << (7 - x % 8)); break;
            case 4: line[x / 2] |= static_cast<uint8_t>((p & 15) << (x % 2 ? 0 : 4)); break;
            case 8: line[x] = static_cast<uint8_t>(p); break;
            case 16: {
                uint16_t v = static_cast<uint16_t>(((p >> 19) & 31) << 10 | ((p >> 11) & 31) << 5 | ((p >> 3) & 31));
                line[2 * x] = static_cast<uint8_t>(v);
                line[2 * x + 1] = static_cast<uint8_t>(v >> 8);
                break;
            }
            case 24:
            case 32: {
                int n = bitCount / 8;
                line[n * x] = static_cast<uint8_t>(p);
                line[n * x + 1] = static_cast<uint8_t>(p >> 8);
                line[n * x + 2] = static_cast<uint8_t>(p >> 16);
                break;
            }
            }
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

Bytes MakeBmpFile(const Bytes &dib) {
    uint32_t headerSize = dib[0] | dib[1] << 8 | dib[2] << 16 | static_cast<uint32_t>(dib[3]) << 24;
    uint32_t bits = dib[14] | dib[15] << 8;
    uint32_t used = dib[32] | dib[33] << 8 | dib[34] << 16 | static_cast<uint32_t>(dib[35]) << 24;
    uint32_t colors = used ? used : (bits <= 8 ? 1u << bits : 0);
    uint32_t masks = dib[16] == 3 ? 12 : 0;  // BI_BITFIELDS
    Bytes out{'B', 'M'};
    Put32(out, static_cast<uint32_t>(14 + dib.size()));
    Put32(out, 0);
    Put32(out, 14 + headerSize + masks + 4 * colors);
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

Bytes MakeShow(const std::vector<ShowRecord> &records, int32_t count) {
    Bytes out;
    Put32(out, static_cast<uint32_t>(count));
    for (const ShowRecord &r : records) {
        Put32(out, static_cast<uint32_t>(r.full.size()));
        Put32(out, static_cast<uint32_t>(r.preview.size()));
        out.insert(out.end(), r.full.begin(), r.full.end());
        out.insert(out.end(), r.preview.begin(), r.preview.end());
    }
    return out;
}

Bytes MakeShow(const std::vector<ShowRecord> &records) {
    return MakeShow(records, static_cast<int32_t>(records.size()));
}

Bytes MakeWav(unsigned milliseconds) {
    const uint32_t rate = 8000;
    uint32_t samples = rate * milliseconds / 1000;
    Bytes out{'R', 'I', 'F', 'F'};
    Put32(out, 36 + samples);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, 1);  // mono
    Put32(out, rate);
    Put32(out, rate);  // bytes per second
    Put16(out, 1);
    Put16(out, 8);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, samples);
    for (uint32_t i = 0; i < samples; i++) out.push_back(static_cast<uint8_t>(128 + ((i / 10) % 2 ? 20 : -20)));
    return out;
}

std::string CatalogueText(const std::string &title, const std::vector<std::string> &contents,
                          const std::vector<std::string> &tracks, const std::string &soundDir) {
    std::string text = title + "\r\nDAT\\\r\n" + soundDir + "\r\n" + std::to_string(contents.size()) + "\r\n";
    for (const std::string &c : contents) text += c + "\r\n";
    text += std::to_string(tracks.size()) + "\r\n";
    for (const std::string &t : tracks) text += t + "\r\n";
    return text;
}
