// Writes a small sample show for the demo and for the checks under Wine:
// pictures of several sizes and depths drawn here, a WAV tune, and the
// settings that make the saver play them.
//
//   sampleshow SYSTEM_DIR WINDOWS_DIR NAME [INTERVAL]
//
// SYSTEM_DIR gets NAME.QMS and SOUND/NAME; WINDOWS_DIR/control.ini names the
// show. The first picture is a 320 x 240 red field framed in white, so a
// check can find it on the screen.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/builders.h"

namespace {

uint32_t Rgb(double r, double g, double b) {
    auto c = [](double v) { return static_cast<uint32_t>(std::lround(std::fmin(255, std::fmax(0, v)))); };
    return c(r) << 16 | c(g) << 8 | c(b);
}

// Every picture is drawn at full size and again at preview size.
struct Picture {
    int width, height, bits;
    std::function<uint32_t(double u, double v)> color;  // u, v in 0..1
    std::vector<uint32_t> table;                        // for palette pictures
};

Bytes Render(const Picture &p, int width, int height) {
    return MakePackedDib(width, height, p.bits,
                         [&](int x, int y) { return p.color((x + 0.5) / width, (y + 0.5) / height); }, -1, p.table);
}

Picture Marker() {
    return {320, 240, 24, [](double u, double v) {
                bool frame = u < 0.03 || u > 0.97 || v < 0.04 || v > 0.96;
                return frame ? 0xFFFFFFu : 0xD02020u;
            }};
}

Picture Landscape() {
    return {640, 480, 24, [](double u, double v) {
                double hill = 0.72 - 0.08 * std::sin(u * 7.0) - 0.05 * std::cos(u * 13.0);
                if ((u - 0.75) * (u - 0.75) * 1.8 + (v - 0.22) * (v - 0.22) < 0.006) return Rgb(255, 220, 90);
                if (v > hill) return Rgb(40 + 60 * (1 - v), 120 + 80 * (1 - v), 50);
                return Rgb(70 + 120 * v, 130 + 90 * v, 230);
            }};
}

// 256 colours of a rainbow in concentric rings.
Picture Rings() {
    std::vector<uint32_t> table;
    for (int i = 0; i < 256; i++) {
        double a = i / 256.0 * 6.2831853;
        table.push_back(Rgb(128 + 127 * std::sin(a), 128 + 127 * std::sin(a + 2.094), 128 + 127 * std::sin(a + 4.188)));
    }
    return {320, 240, 8, [](double u, double v) {
                double d = std::hypot((u - 0.5) * 4 / 3, v - 0.5);
                return static_cast<uint32_t>(d * 1024) & 255;
            },
            table};
}

Picture Tiles() {
    return {800, 600, 24, [](double u, double v) {
                int tx = static_cast<int>(u * 16), ty = static_cast<int>(v * 12);
                double shade = ((tx + ty) % 2) ? 0.55 : 0.85;
                return Rgb(255 * shade * (0.5 + 0.5 * u), 200 * shade, 255 * shade * (1 - 0.5 * v));
            }};
}

// Sixteen stripes in the sixteen standard colours.
Picture Stripes() {
    return {200, 200, 4, [](double u, double v) { return static_cast<uint32_t>((u + v) * 8) & 15; },
            {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0, 0x808080, 0xFF0000,
             0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF}};
}

bool Save(const std::filesystem::path &path, const Bytes &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// Puts the saver's section into control.ini; the file's other sections stay.
bool NameShow(const std::filesystem::path &ini, const std::string &show, const std::string &interval) {
    const std::string section = "[ScreenSaver.QM Custom Saver 2.1]";
    std::string kept, line;
    bool inSection = false;
    std::ifstream in(ini, std::ios::binary);
    while (std::getline(in, line)) {
        std::string bare = line;
        if (!bare.empty() && bare.back() == '\r') bare.pop_back();
        if (!bare.empty() && bare[0] == '[') {
            inSection = bare.size() == section.size() &&
                        std::equal(bare.begin(), bare.end(), section.begin(),
                                   [](char a, char b) { return std::tolower(a) == std::tolower(b); });
        }
        if (!inSection) kept += bare + "\r\n";
    }
    in.close();
    std::ofstream out(ini, std::ios::binary | std::ios::trunc);
    out << kept << section << "\r\nItemName=" << show << "\r\nInterval=" << interval << "\r\nVolume=5\r\n";
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: sampleshow SYSTEM_DIR WINDOWS_DIR NAME [INTERVAL]\n");
        return 2;
    }
    std::filesystem::path system = argv[1], windows = argv[2];
    std::string name = argv[3];
    std::string interval = argc > 4 ? argv[4] : "5";
    std::filesystem::create_directories(system / "SOUND");
    std::filesystem::create_directories(windows);

    std::vector<ShowRecord> records;
    for (const Picture &p : {Marker(), Landscape(), Rings(), Tiles(), Stripes()}) {
        int pw = p.width == p.height ? 75 : 100, ph = p.width == p.height ? 75 : 100 * p.height / p.width;
        records.push_back({Render(p, p.width, p.height), Render(p, pw, ph)});
    }
    bool ok = Save(system / (name + ".QMS"), MakeShow(records)) && Save(system / "SOUND" / name, MakeWav(4000));
    ok = ok && NameShow(windows / "control.ini", name + ".QMS", interval);
    if (!ok) std::fprintf(stderr, "sampleshow: cannot write the show\n");
    return ok ? 0 : 1;
}
