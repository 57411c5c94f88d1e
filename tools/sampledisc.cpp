// Writes a small title disc for the demo: a catalogue, three contents of
// generated pictures (full-colour BMPs with one picture lacking its preview,
// JPEGs, 256-colour BMPs) and two music tracks.
//
//   sampledisc ROOT
//
// ROOT becomes the disc's root folder; map it as a CD-ROM drive.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/builders.h"
#include "support/codepage_host.h"
#include "support/jpeg.h"

namespace {

namespace fs = std::filesystem;

uint32_t Rgb(double r, double g, double b) {
    auto c = [](double v) { return static_cast<uint32_t>(std::lround(std::fmin(255, std::fmax(0, v)))); };
    return c(r) << 16 | c(g) << 8 | c(b);
}

// Picture n of a content as a colour at (u, v), both 0..1 from the top left.
uint32_t Morning(int n, double u, double v) {
    double sunX = 0.2 + 0.12 * n, sunY = 0.55 - 0.06 * n;
    if ((u - sunX) * (u - sunX) * 1.8 + (v - sunY) * (v - sunY) < 0.008) return Rgb(255, 235, 150);
    double hill = 0.7 - 0.07 * std::sin(u * (5 + n)) - 0.04 * std::cos(u * 11);
    if (v > hill) return Rgb(30 + 40 * n, 110 + 60 * (1 - v), 40);
    return Rgb(250 - 120 * v, 180 + 30 * n - 60 * v, 120 + 130 * v);
}

uint32_t Dusk(int n, double u, double v) {
    double sea = 0.62;
    if (v > sea) {
        double wave = 0.5 + 0.5 * std::sin(u * 40 + v * 90 + n);
        return Rgb(40 + 60 * wave, 30 + 30 * wave, 80 + 40 * wave);
    }
    return Rgb(240 - 90 * v - 20 * n, 110 - 60 * v + 15 * n, 90 + 100 * v);
}

uint32_t PatternIndex(int n, double u, double v) {
    double d = std::hypot((u - 0.5) * 4 / 3, v - 0.5);
    return static_cast<uint32_t>(d * (600 + 200 * n) + std::atan2(v - 0.5, u - 0.5) * 40 * n) & 255;
}

std::vector<uint32_t> Rainbow(int n) {
    std::vector<uint32_t> table;
    for (int i = 0; i < 256; i++) {
        double a = i / 256.0 * 6.2831853 + n;
        table.push_back(Rgb(128 + 127 * std::sin(a), 128 + 127 * std::sin(a + 2.094), 128 + 127 * std::sin(a + 4.188)));
    }
    return table;
}

bool Save(const fs::path &path, const Bytes &bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

fs::path PicturePath(const fs::path &root, int content, const char *folder, int picture, const char *extension) {
    char relative[64];
    std::snprintf(relative, sizeof relative, "DAT/%02d/%s/%03d.%s", content, folder, picture, extension);
    return root / relative;
}

// A picture drawn at 640 x 480 and again as its 100 x 75 preview.
template <typename Colour>
Bytes Draw(int width, int height, int bits, Colour colour, const std::vector<uint32_t> &table = {}) {
    return MakePackedDib(width, height, bits,
                         [&](int x, int y) { return colour((x + 0.5) / width, (y + 0.5) / height); }, -1, table);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sampledisc ROOT\n");
        return 2;
    }
    fs::path root = argv[1];
    bool ok = true;
    std::string catalogue = HostCodePage932(CatalogueText("光の風景", {"朝の光", "夕暮れの海", "模様"}, {"そよ風", "Evening tide"}));
    ok = ok && Save(root / "QM.SD", Bytes(catalogue.begin(), catalogue.end()));

    for (int n = 1; n <= 6; n++) {
        auto colour = [n](double u, double v) { return Morning(n, u, v); };
        ok = ok && Save(PicturePath(root, 1, "O", n, "BMP"), MakeBmpFile(Draw(640, 480, 24, colour)));
        // The last picture has no preview: the editor shows its placeholder.
        if (n < 6) ok = ok && Save(PicturePath(root, 1, "S", n, "BMP"), MakeBmpFile(Draw(100, 75, 24, colour)));
    }
    for (int n = 1; n <= 5; n++) {
        auto colour = [n](double u, double v) { return Dusk(n, u, v); };
        Bytes jpeg = MakeJpeg(640, 480, [&](int x, int y) { return colour((x + 0.5) / 640, (y + 0.5) / 480); });
        ok = ok && Save(PicturePath(root, 2, "O", n, "JPG"), jpeg);
        ok = ok && Save(PicturePath(root, 2, "S", n, "BMP"), MakeBmpFile(Draw(100, 75, 24, colour)));
    }
    for (int n = 1; n <= 4; n++) {
        auto index = [n](double u, double v) { return PatternIndex(n, u, v); };
        ok = ok && Save(PicturePath(root, 3, "O", n, "BMP"), MakeBmpFile(Draw(480, 360, 8, index, Rainbow(n))));
        ok = ok && Save(PicturePath(root, 3, "S", n, "BMP"), MakeBmpFile(Draw(100, 75, 8, index, Rainbow(n))));
    }
    ok = ok && Save(root / "DAT/SOUND/S/01.WAV", MakeWav(4000)) && Save(root / "DAT/SOUND/S/02.WAV", MakeWav(6000));
    if (!ok) std::fprintf(stderr, "sampledisc: cannot write the disc under %s\n", root.c_str());
    return ok ? 0 : 1;
}
