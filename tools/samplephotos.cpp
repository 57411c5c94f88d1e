// Writes a folder of photos such as a user has, for the demo: a phone's
// JPEG stored sideways with the EXIF orientation that turns it upright, a
// plain landscape JPEG and a PNG with transparency.
//
//   samplephotos FOLDER
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/builders.h"
#include "support/exif.h"
#include "support/jpeg.h"
#include "support/png.h"

namespace {

uint32_t Rgb(double r, double g, double b) {
    auto c = [](double v) { return static_cast<uint32_t>(std::lround(std::fmin(255, std::fmax(0, v)))); };
    return c(r) << 16 | c(g) << 8 | c(b);
}

// A view with the sky above, as the eye sees it: u, v in 0..1 from the top left.
uint32_t Harbour(double u, double v) {
    if ((u - 0.7) * (u - 0.7) + (v - 0.25) * (v - 0.25) < 0.006) return Rgb(255, 240, 190);
    if (v < 0.55) return Rgb(90 + 120 * v, 140 + 150 * v, 230);
    double wave = 0.02 * std::sin(u * 60 + v * 20);
    return Rgb(20, 70 + 90 * (v + wave), 110 + 60 * v);
}

bool Write(const std::string &path, const Bytes &bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: samplephotos FOLDER\n");
        return 2;
    }
    std::string folder = argv[1];
    std::filesystem::create_directories(folder);
    // Held upright, 1200 x 1600; the phone stores it turned a quarter to the
    // left (its rows the view's columns from the right) and says so: EXIF 6.
    const int w = 1200, h = 1600;
    Bytes sideways = MakeJpeg(h, w, [](int x, int y) { return Harbour(static_cast<double>(w - 1 - y) / w, static_cast<double>(x) / h); });
    bool ok = Write(folder + "/IMG_0001.JPG", WithApp1(sideways, MakeExifApp1(MakeExifTiff(6, false))));
    ok = Write(folder + "/IMG_0002.JPG",
               MakeJpeg(1600, 1200, [](int x, int y) { return Harbour(x / 1600.0, y / 1200.0) ^ 0x202000; })) && ok;
    PngOptions rgba;
    rgba.kind = PngOptions::kRgba;
    ok = Write(folder + "/sunset.png", MakePng(1024, 768, [](int x, int y) {
             double d = std::hypot(x - 512.0, y - 384.0) / 640.0;
             uint32_t alpha = d < 0.9 ? 255u : 0u;  // the corners transparent: black in the show
             return alpha << 24 | Rgb(255 - 160 * d, 170 - 120 * d, 60 + 90 * d);
         }, rgba)) && ok;
    if (!ok) std::fprintf(stderr, "samplephotos: cannot write into %s\n", folder.c_str());
    return ok ? 0 : 1;
}
