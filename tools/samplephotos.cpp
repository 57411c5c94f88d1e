// Writes a folder of photos such as a user has, for the demo: a phone's
// JPEG stored sideways with the EXIF orientation that turns it upright, a
// plain landscape JPEG and a PNG with transparency.
//
//   samplephotos FOLDER
//
// Or a Pictures folder as a phone fills it, for trying the editor at scale:
// COUNT 12-megapixel photos with their EXIF thumbnails, in subfolders of a
// hundred ("Camera Roll", then one per import). Ten photos are made, every
// third held upright as a portrait (stored sideways, EXIF 6); the rest of
// the files are hard links to them. In every one the view's top half is red
// and its bottom half blue, so an upright picture shows red above.
//
//   samplephotos --phones COUNT FOLDER
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

// The view of phone photo i, u and v in 0..1 from the top left.
uint32_t PhoneView(int i, double u, double v) {
    double shade = 0.6 + 0.4 * u;
    return v < 0.5 ? Rgb(230 * shade, 20 * i, 30) : Rgb(30, 20 * i, 230 * shade);
}

int WritePhones(int count, const std::string &folder) {
    const int kLong = 4000, kShort = 3000, kDistinct = 10;
    std::vector<std::string> originals;
    for (int i = 0; i < kDistinct && i < count; i++) {
        bool portrait = i % 3 == 2;
        // Stored as the sensor reads it, 4000 x 3000 either way; a portrait's
        // stored rows are the view's columns from the right (EXIF 6).
        auto stored = [&](int x, int y) {
            if (!portrait) return PhoneView(i, static_cast<double>(x) / kLong, static_cast<double>(y) / kShort);
            return PhoneView(i, static_cast<double>(kShort - 1 - y) / kShort, static_cast<double>(x) / kLong);
        };
        Bytes photo = MakeJpeg(kLong, kShort, stored);
        Bytes thumbnail = MakeJpeg(160, 120, [&](int x, int y) { return stored(x * kLong / 160, y * kShort / 120); });
        char name[64];
        std::snprintf(name, sizeof name, "/Camera Roll/IMG_%04d.JPG", i + 1);
        std::filesystem::create_directories(folder + "/Camera Roll");
        if (!Write(folder + name,
                   WithApp1(photo, MakeExifApp1(MakeExifTiffWithThumbnail(portrait ? 6 : 1, false, thumbnail)))))
            return 1;
        originals.push_back(folder + name);
    }
    for (int n = kDistinct; n < count; n++) {
        char sub[64], name[96];
        if (n < 100) std::snprintf(sub, sizeof sub, "Camera Roll");
        else std::snprintf(sub, sizeof sub, "Import %02d", n / 100);
        std::filesystem::create_directories(folder + "/" + sub);
        std::snprintf(name, sizeof name, "/%s/IMG_%04d.JPG", sub, n + 1);
        std::error_code error;
        std::filesystem::create_hard_link(originals[static_cast<size_t>(n % kDistinct)], folder + name, error);
        if (error) return 1;
    }
    return 0;
}

int main(int argc, char **argv) {
    if (argc == 4 && std::string(argv[1]) == "--phones") {
        int status = WritePhones(std::atoi(argv[2]), argv[3]);
        if (status) std::fprintf(stderr, "samplephotos: cannot write the photos into %s\n", argv[3]);
        return status;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: samplephotos FOLDER\n       samplephotos --phones COUNT FOLDER\n");
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
