#include "support/fixtures.h"

void Put16(Bytes &out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes &out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v));
    Put16(out, static_cast<uint16_t>(v >> 16));
}

Bytes MakePackedDib(int width, int height, int bitCount, const std::function<uint32_t(int, int)> &pixel,
                    int colors) {
    int tableSize = colors >= 0 ? colors : (bitCount <= 8 ? 1 << bitCount : 0);
    uint32_t stride = ((static_cast<uint32_t>(width) * bitCount + 31) / 32) * 4;
    Bytes out;
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint16_t>(bitCount));
    Put32(out, 0);
    Put32(out, stride * height);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(colors >= 0 ? colors : (bitCount <= 8 ? tableSize : 0)));
    Put32(out, 0);
    // A grey ramp unless the test draws its own colours with the indices.
    for (int i = 0; i < tableSize; i++) {
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

bool WriteDosFile(const std::string &path, const Bytes &bytes) {
    OFSTRUCT info{};
    HFILE f = OpenFile(path.c_str(), &info, OF_CREATE | OF_WRITE);
    if (f == HFILE_ERROR) return false;
    bool ok = bytes.empty() ||
              _hwrite(f, reinterpret_cast<LPCSTR>(bytes.data()), static_cast<long>(bytes.size())) ==
                  static_cast<long>(bytes.size());
    _lclose(f);
    return ok;
}

Bytes ReadDosFile(const std::string &path) {
    OFSTRUCT info{};
    HFILE f = OpenFile(path.c_str(), &info, OF_READ);
    if (f == HFILE_ERROR) return {};
    LONG size = _llseek(f, 0, FILE_END);
    _llseek(f, 0, FILE_BEGIN);
    Bytes bytes(size > 0 ? static_cast<size_t>(size) : 0);
    if (size > 0) _hread(f, bytes.data(), size);
    _lclose(f);
    return bytes;
}

void DeleteDosFile(const std::string &path) {
    OFSTRUCT info{};
    OpenFile(path.c_str(), &info, OF_DELETE);
}

std::string SystemDirectory() {
    char dir[MAX_PATH];
    GetSystemDirectoryA(dir, sizeof dir);
    return dir;
}
