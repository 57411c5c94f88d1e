// Writes what the headless screen shows to a BMP or PNG file, so a person
// can look at a run.
#include "../internal.h"

#include <array>
#include <cstdio>
#include <strings.h>

namespace layer {
namespace {

void Put32be(std::vector<uint8_t> &out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
void Put32le(std::vector<uint8_t> &out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
void Put16le(std::vector<uint8_t> &out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

uint32_t Crc32(const uint8_t *p, size_t n) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; i++) {
            uint32_t c = i;
            for (int k = 0; k < 8; k++) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; i++) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void Chunk(std::vector<uint8_t> &out, const char *type, const std::vector<uint8_t> &data) {
    Put32be(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32be(out, Crc32(out.data() + start, out.size() - start));
}

// PNG with the image data in stored (uncompressed) deflate blocks: no
// compression library needed, and every viewer reads it.
std::vector<uint8_t> EncodePng(const Screen &s) {
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(s.height) * (1 + 3 * s.width));
    for (int y = 0; y < s.height; y++) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < s.width; x++) {
            uint32_t p = s.pixels[static_cast<size_t>(y) * s.width + x];
            raw.push_back(static_cast<uint8_t>(p >> 16));
            raw.push_back(static_cast<uint8_t>(p >> 8));
            raw.push_back(static_cast<uint8_t>(p));
        }
    }
    std::vector<uint8_t> z{0x78, 0x01};
    uint32_t a = 1, b = 0;
    for (uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    for (size_t pos = 0; pos < raw.size() || pos == 0;) {
        size_t n = std::min<size_t>(65535, raw.size() - pos);
        bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        Put16le(z, static_cast<uint16_t>(n));
        Put16le(z, static_cast<uint16_t>(~n));
        z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
        pos += n;
        if (last) break;
    }
    Put32be(z, b << 16 | a);

    std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    Put32be(ihdr, s.width);
    Put32be(ihdr, s.height);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB
    Chunk(out, "IHDR", ihdr);
    Chunk(out, "IDAT", z);
    Chunk(out, "IEND", {});
    return out;
}

std::vector<uint8_t> EncodeBmp(const Screen &s) {
    uint32_t stride = (s.width * 3 + 3) & ~3u;
    uint32_t imageSize = stride * s.height;
    std::vector<uint8_t> out{'B', 'M'};
    Put32le(out, 54 + imageSize);
    Put32le(out, 0);
    Put32le(out, 54);
    Put32le(out, 40);
    Put32le(out, s.width);
    Put32le(out, s.height);
    Put16le(out, 1);
    Put16le(out, 24);
    for (uint32_t v : {0u, imageSize, 2835u, 2835u, 0u, 0u}) Put32le(out, v);
    for (int y = s.height - 1; y >= 0; y--) {
        size_t start = out.size();
        for (int x = 0; x < s.width; x++) {
            uint32_t p = s.pixels[static_cast<size_t>(y) * s.width + x];
            out.insert(out.end(), {static_cast<uint8_t>(p), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p >> 16)});
        }
        out.resize(start + stride, 0);
    }
    return out;
}

}  // namespace

bool WriteScreenImage(const std::string &path) {
    bool bmp = path.size() >= 4 && strcasecmp(path.c_str() + path.size() - 4, ".bmp") == 0;
    std::vector<uint8_t> data = bmp ? EncodeBmp(screen()) : EncodePng(screen());
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

namespace {
struct Frames {
    std::string folder;
    int limit = 0;
    int written = 0;
};
Frames &frames() {
    static Frames f;
    return f;
}
}  // namespace

void WriteFramesTo(const std::string &folder, int limit) { frames() = Frames{folder, limit, 0}; }

void OnPictureDrawn() {
    Frames &f = frames();
    if (f.folder.empty() || f.written >= f.limit) return;
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%03d.png", ++f.written);
    WriteScreenImage(f.folder + name);
}

}  // namespace layer
