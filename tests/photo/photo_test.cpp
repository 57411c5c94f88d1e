// The user's own pictures through LoadPhoto: JPEG, PNG and BMP files of
// every kind a photo comes in, turned upright, fitted, made 24-bit or 256
// colours; damage of any kind gives null, quietly. Runs against Windows
// (the libraries built for it) and the layer.
#include <cstring>
#include <random>

#include "photo/photo.h"
#include "support/boxes.h"
#include "support/exif.h"
#include "support/jpeg.h"
#include "support/png.h"
#include "support/rle.h"
#include "support/show_fixture.h"

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// Four quarters of four colours: top left red, top right green, bottom left blue, bottom right white.
uint32_t Quarters(int x, int y, int w, int h) {
    static const uint32_t colours[4] = {kRed, kGreen, kBlue, kWhite};
    return colours[(y >= h / 2) * 2 + (x >= w / 2)];
}

// Smooth shades, so that a quantised or resampled picture can be held to the original.
uint32_t Shades(int x, int y) {
    return static_cast<uint32_t>(x * 255 / 159) << 16 | static_cast<uint32_t>(y * 255 / 119) << 8 |
           static_cast<uint32_t>(128 + 100 * ((x + y) % 40) / 40);
}

// The colour at (x, y) counted from the top left, as 0xRRGGBB, for 24 and 8 bits.
uint32_t ColourAt(PackedDib dib, int x, int y) {
    const BYTE *base = reinterpret_cast<const BYTE *>(dib);
    const BYTE *row = base + dib->biSize + 4 * dib->biClrUsed +
                      static_cast<size_t>(DibStride(dib->biWidth, dib->biBitCount)) * (dib->biHeight - 1 - y);
    const BYTE *p = dib->biBitCount == 8 ? base + dib->biSize + 4 * row[x] : row + 3 * x;
    return static_cast<uint32_t>(p[2]) << 16 | p[1] << 8 | p[0];
}

int Distance(uint32_t a, uint32_t b) {
    int d = 0;
    for (int shift : {0, 8, 16}) d = std::max(d, std::abs(static_cast<int>(a >> shift & 255) - static_cast<int>(b >> shift & 255)));
    return d;
}

// Mean difference per channel between two pictures of one size, pixel by
// pixel (block 1) or between the means of blocks of block x block pixels,
// which dithering keeps while it moves each pixel's error to its neighbours.
double MeanError(PackedDib a, PackedDib b, int block = 1) {
    double sum = 0;
    int blocks = 0;
    for (int by = 0; by + block <= a->biHeight; by += block)
        for (int bx = 0; bx + block <= a->biWidth; bx += block, blocks++)
            for (int shift : {0, 8, 16}) {
                int d = 0;
                for (int y = by; y < by + block; y++)
                    for (int x = bx; x < bx + block; x++)
                        d += static_cast<int>(ColourAt(a, x, y) >> shift & 255) - static_cast<int>(ColourAt(b, x, y) >> shift & 255);
                sum += std::abs(d) / double(block * block);
            }
    return sum / (3.0 * blocks);
}

class Photo : public SystemFileTest {
protected:
    std::string Write(const char *name, const Bytes &bytes) { return WriteSystemFile(name, bytes); }

    // Loads the photo; nothing the libraries say may reach the user.
    PackedDib Load(const std::string &path, int maxWidth, int maxHeight, int bits = 24) {
        PackedDib dib = nullptr;
        std::vector<ShownBox> boxes = BoxesShownDuring([&] { dib = LoadPhoto(path.c_str(), maxWidth, maxHeight, bits); });
        EXPECT_TRUE(boxes.empty()) << path << ": " << (boxes.empty() ? "" : boxes[0].caption + ": " + boxes[0].text);
        return dib;
    }

    // A result is a bitmap like the program's others: DibCreate's block, bottom-up, its table whole.
    static void ExpectProgramBitmap(PackedDib dib, int bits, const std::string &what) {
        ASSERT_NE(dib, nullptr) << what;
        EXPECT_EQ(dib->biSize, 40u) << what;
        EXPECT_GT(dib->biHeight, 0) << what;
        EXPECT_EQ(dib->biBitCount, bits) << what;
        EXPECT_EQ(dib->biCompression, static_cast<DWORD>(BI_RGB)) << what;
        EXPECT_EQ(dib->biClrUsed, bits == 8 ? 256u : 0u) << what;
        uint32_t image = DibStride(dib->biWidth, bits) * static_cast<uint32_t>(dib->biHeight);
        EXPECT_EQ(dib->biSizeImage, image) << what;
        EXPECT_EQ(GlobalSize(GlobalHandle(dib)), image + 1064) << what;
    }
};

// Which stored corners each orientation shows at the top left and the top
// right, as EXIF defines them (0 top left, 1 top right, 2 bottom left, 3 bottom right).
struct Corners {
    int orientation, topLeft, topRight;
};
const Corners kCorners[] = {{1, 0, 1}, {2, 1, 0}, {3, 3, 2}, {4, 2, 3}, {5, 0, 2}, {6, 2, 0}, {7, 3, 1}, {8, 1, 3}};
const uint32_t kCornerColours[4] = {kRed, kGreen, kBlue, kWhite};

void ExpectUpright(PackedDib dib, const Corners &c, int width, int height, const std::string &what) {
    ASSERT_NE(dib, nullptr) << what;
    ASSERT_EQ(dib->biWidth, width) << what;
    ASSERT_EQ(dib->biHeight, height) << what;
    // A few pixels in from each corner, clear of the JPEG's blurred quarter edges.
    EXPECT_LE(Distance(ColourAt(dib, 2, 2), kCornerColours[c.topLeft]), 24) << what << " top left";
    EXPECT_LE(Distance(ColourAt(dib, width - 3, 2), kCornerColours[c.topRight]), 24) << what << " top right";
    // The bottom corners are the stored corners opposite those of the top.
    EXPECT_LE(Distance(ColourAt(dib, width - 3, height - 3), kCornerColours[3 - c.topLeft]), 24) << what << " bottom right";
    EXPECT_LE(Distance(ColourAt(dib, 2, height - 3), kCornerColours[3 - c.topRight]), 24) << what << " bottom left";
}

TEST_F(Photo, EveryExifOrientationPutsTheStoredCornersWhereTheyBelong) {
    JpegOptions exact;
    exact.quality = 100;
    exact.sampling = JpegOptions::k444;
    Bytes jpeg = MakeJpeg(48, 32, [](int x, int y) { return Quarters(x, y, 48, 32); }, exact);
    for (const Corners &c : kCorners) {
        bool turned = c.orientation >= 5;
        std::string what = "orientation " + std::to_string(c.orientation);
        // Both byte orders; a box that takes the picture whole, and one it is fitted into, upright.
        std::string path = Write("QMSEXIF.JPG", WithApp1(jpeg, MakeExifApp1(MakeExifTiff(c.orientation, c.orientation % 2))));
        PackedDib whole = Load(path, 800, 600);
        ExpectUpright(whole, c, turned ? 32 : 48, turned ? 48 : 32, what);
        DibFree(whole);
        PackedDib fitted = Load(path, 24, 24);
        ExpectUpright(fitted, c, turned ? 16 : 24, turned ? 24 : 16, what + " fitted into 24 x 24");
        DibFree(fitted);
        // PNG files carry the same block in an eXIf chunk.
        PngOptions png;
        png.exif = MakeExifTiff(c.orientation, c.orientation % 2 == 0);
        PackedDib fromPng = Load(Write("QMSEXIF.PNG", MakePng(48, 32, [](int x, int y) { return Quarters(x, y, 48, 32); }, png)), 800, 600, 8);
        ExpectUpright(fromPng, c, turned ? 32 : 48, turned ? 48 : 32, what + " from PNG, 8 bits");
        DibFree(fromPng);
    }
}

// Inks stored as the library writes them (Adobe's inverted convention), a colour a quarter.
TEST_F(Photo, CmykAndYcckJpegsShowTheirColoursAtEveryScale) {
    const uint32_t inks[4] = {0x00FFFFFF, 0xFF00FFFF, 0xFFFF00FF, 0xFFFFFFFF};  // cyan, magenta, yellow, none
    const uint32_t light[4] = {0x00FFFF, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    for (auto colour : {JpegOptions::kCmyk, JpegOptions::kYcck}) {
        JpegOptions options;
        options.colour = colour;
        options.quality = 100;
        options.sampling = JpegOptions::k444;
        std::string path = Write("QMSINKS.JPG", MakeJpeg(64, 64, [&](int x, int y) { return inks[(y / 32) * 2 + x / 32]; }, options));
        for (int box : {64, 16, 10}) {
            for (int bits : {24, 8}) {
                PackedDib dib = Load(path, box, box, bits);
                std::string what = std::string(colour == JpegOptions::kCmyk ? "CMYK" : "YCCK") + " in " + std::to_string(box) +
                                   ", " + std::to_string(bits) + " bits";
                ExpectProgramBitmap(dib, bits, what);
                if (!dib) continue;
                ASSERT_EQ(dib->biWidth, box) << what;
                for (int q = 0; q < 4; q++)
                    EXPECT_LE(Distance(ColourAt(dib, (q % 2) * box / 2 + box / 4, (q / 2) * box / 2 + box / 4), light[q]), 12)
                        << what << " quarter " << q;
                DibFree(dib);
            }
        }
    }
}

// Where the library's decode at a scale is already the fitted size, the
// photo is exactly that decode: the scale chosen is the smallest that covers.
TEST_F(Photo, JpegsAreDecodedAtTheSmallestCoveringScale) {
    Bytes file = MakeJpeg(800, 600, PhotoPixel);
    std::string path = Write("QMSSCALE.JPG", file);
    struct Case {
        int box, scale;
    };
    for (Case c : {Case{100, 1}, Case{200, 2}, Case{300, 3}, Case{800, 8}}) {
        PackedDib dib = Load(path, c.box, c.box * 3 / 4);
        ExpectProgramBitmap(dib, 24, "box " + std::to_string(c.box));
        if (!dib) continue;
        Bytes want = AsBitmapRows(DecodeJpeg(file, c.scale));
        const BYTE *rows = reinterpret_cast<const BYTE *>(dib) + 40;
        EXPECT_TRUE(Bytes(rows, rows + dib->biSizeImage) == want) << "the library's decode at " << c.scale << "/8";
        DibFree(dib);
    }
    // Between two scales: decoded at the larger one, resampled down.
    PackedDib between = Load(path, 150, 150);
    ASSERT_NE(between, nullptr);
    EXPECT_EQ(between->biWidth, 150);
    EXPECT_EQ(between->biHeight, 113);
    DibFree(between);
}

TEST_F(Photo, FittingNeverEnlargesAndKeepsTheShapeInEveryFormat) {
    auto halves = [](int x, int, int w) { return x < w / 2 ? kRed : kBlue; };
    struct Case {
        const char *name;
        Bytes file;
    };
    const int w = 300, h = 170;
    auto pixel = [&](int x, int y) { return halves(x, y, w); };
    JpegOptions exact;
    exact.quality = 100;
    const Case cases[] = {{"QMSFIT.JPG", MakeJpeg(w, h, pixel, exact)},
                          {"QMSFIT.PNG", MakePng(w, h, pixel)},
                          {"QMSFIT.BMP", MakeBmpFile(MakePackedDib(w, h, 24, pixel))}};
    for (const Case &c : cases) {
        std::string path = Write(c.name, c.file);
        struct Box {
            int w, h, wantW, wantH;
        };
        for (Box b : {Box{800, 600, 300, 170}, Box{150, 150, 150, 85}, Box{100, 20, 35, 20}, Box{301, 171, 300, 170}}) {
            for (int bits : {24, 8}) {
                std::string what = std::string(c.name) + " into " + std::to_string(b.w) + "x" + std::to_string(b.h) + ", " +
                                   std::to_string(bits) + " bits";
                PackedDib dib = Load(path, b.w, b.h, bits);
                ExpectProgramBitmap(dib, bits, what);
                if (!dib) continue;
                EXPECT_EQ(dib->biWidth, b.wantW) << what;
                EXPECT_EQ(dib->biHeight, b.wantH) << what;
                // Left half red, right half blue, whatever the scale.
                EXPECT_LE(Distance(ColourAt(dib, dib->biWidth / 4, dib->biHeight / 2), kRed), 16) << what;
                EXPECT_LE(Distance(ColourAt(dib, dib->biWidth * 3 / 4, dib->biHeight / 2), kBlue), 16) << what;
                DibFree(dib);
            }
        }
    }
}

TEST_F(Photo, PngOfEveryKindAndDepthWithTransparencyOverBlack) {
    const uint8_t greys[4] = {0x00, 0x55, 0xAA, 0xFF};
    auto greyQuarters = [&](int x, int y) { return uint32_t{greys[(y >= 8) * 2 + (x >= 8)]}; };
    struct Case {
        const char *what;
        PngOptions options;
        std::function<uint32_t(int, int)> pixel;
        std::function<uint32_t(int, int)> want;
    };
    auto colourQuarters = [](int x, int y) { return Quarters(x, y, 16, 16); };
    auto opaque = [&](int x, int y) { return 0xFF000000u | colourQuarters(x, y); };
    std::vector<Case> cases;
    for (int depth : {8, 16})
        for (bool interlaced : {false, true}) {
            PngOptions rgb;
            rgb.depth = depth, rgb.interlaced = interlaced;
            cases.push_back({"RGB", rgb, colourQuarters, colourQuarters});
            PngOptions rgba = rgb;
            rgba.kind = PngOptions::kRgba;
            cases.push_back({"RGBA opaque", rgba, opaque, colourQuarters});
        }
    for (int depth : {1, 2, 4, 8, 16}) {
        PngOptions grey;
        grey.kind = PngOptions::kGrey, grey.depth = depth, grey.interlaced = depth == 4;
        int levels = (1 << std::min(depth, 8)) - 1;
        cases.push_back({"grey", grey, greyQuarters, [=](int x, int y) {
                             uint32_t g = (greyQuarters(x, y) >> (8 - std::min(depth, 8))) * 255 / levels;
                             return g * 0x010101;
                         }});
    }
    for (int depth : {1, 2, 4, 8}) {
        PngOptions palette;
        palette.kind = PngOptions::kPalette, palette.depth = depth, palette.interlaced = depth == 8;
        palette.palette = {0xFF000000 | kRed, 0xFF000000 | kGreen};
        cases.push_back({"palette", palette, [](int x, int) { return uint32_t{x >= 8}; },
                         [](int x, int) { return x >= 8 ? kGreen : kRed; }});
    }
    // Transparency: the left column opaque, the middle half covered, the right clear.
    auto alphaOf = [](int x) { return x < 5 ? 255u : x < 11 ? 128u : 0u; };
    auto overBlack = [&](uint32_t rgb, int x) {
        uint32_t out = 0;
        for (int shift : {0, 8, 16}) out |= ((rgb >> shift & 255) * alphaOf(x) + 127) / 255 << shift;
        return out;
    };
    for (int depth : {8, 16}) {
        PngOptions rgba;
        rgba.kind = PngOptions::kRgba, rgba.depth = depth;
        cases.push_back({"RGBA", rgba, [&](int x, int y) { return alphaOf(x) << 24 | colourQuarters(x, y); },
                         [&](int x, int y) { return overBlack(colourQuarters(x, y), x); }});
        PngOptions greyAlpha = rgba;
        greyAlpha.kind = PngOptions::kGreyAlpha;
        cases.push_back({"grey and alpha", greyAlpha, [&](int x, int) { return alphaOf(x) << 24 | 0xC0; },
                         [&](int x, int) { return overBlack(0xC0C0C0, x); }});
    }
    PngOptions trns;
    trns.kind = PngOptions::kPalette, trns.depth = 4;
    trns.palette = {0xFF000000 | kWhite, 0x80000000 | kWhite, 0x00000000 | kWhite};
    cases.push_back({"palette with tRNS", trns, [&](int x, int) { return alphaOf(x) == 255 ? 0u : alphaOf(x) ? 1u : 2u; },
                     [&](int x, int) { return overBlack(kWhite, x); }});

    for (const Case &c : cases) {
        std::string what = std::string(c.what) + " " + std::to_string(c.options.depth) + "-bit" +
                           (c.options.interlaced ? " interlaced" : "");
        PackedDib dib = Load(Write("QMSKIND.PNG", MakePng(16, 16, c.pixel, c.options)), 100, 100);
        ExpectProgramBitmap(dib, 24, what);
        if (!dib) continue;
        ASSERT_EQ(dib->biWidth, 16) << what;
        for (int y = 0; y < 16; y += 3)
            for (int x = 0; x < 16; x++) EXPECT_LE(Distance(ColourAt(dib, x, y), c.want(x, y)), 1) << what << " at " << x << "," << y;
        DibFree(dib);
    }
}

// Over black, a pixel shows its stored values times its alpha, as viewers
// compose it: not lighter for being composed in linear light, whatever
// gamma the file names.
TEST_F(Photo, PngTransparencyIsComposedInTheStoredValuesWhateverTheGamma) {
    constexpr int kWidth = 256, kHeight = 4;
    // Alpha falls from opaque at the left to clear at the right; the colours
    // change along the row and down the picture.
    auto colour = [](int x, int y) {
        return 0xFF0000u | static_cast<uint32_t>((x * 7 + y * 50) & 255) << 8 | static_cast<uint32_t>(0x40 + y * 40);
    };
    auto alphaOf = [](int x) { return static_cast<uint32_t>(255 - x); };
    struct Case {
        std::string what;
        PngOptions options;
        std::function<uint32_t(int, int)> pixel, stored;
    };
    std::vector<Case> cases;
    for (double gamma : {0.0, 0.45455, 1.0})
        for (int depth : {8, 16})
            for (bool interlaced : {false, true}) {
                std::string what = std::to_string(depth) + "-bit" + (interlaced ? " interlaced" : "") +
                                   (gamma > 0 ? " gamma " + std::to_string(gamma) : "");
                PngOptions rgba;
                rgba.kind = PngOptions::kRgba, rgba.depth = depth, rgba.interlaced = interlaced, rgba.gamma = gamma;
                cases.push_back({"RGBA " + what, rgba, [&](int x, int y) { return alphaOf(x) << 24 | colour(x, y); }, colour});
                PngOptions greyAlpha = rgba;
                greyAlpha.kind = PngOptions::kGreyAlpha;
                auto grey = [](int x, int y) { return static_cast<uint32_t>((x + y * 60) & 255) * 0x010101u; };
                cases.push_back({"grey and alpha " + what, greyAlpha, [=](int x, int y) { return alphaOf(x) << 24 | grey(x, y); }, grey});
            }
    for (double gamma : {0.0, 0.45455}) {
        PngOptions palette;
        palette.kind = PngOptions::kPalette, palette.depth = 8, palette.gamma = gamma;
        for (int i = 0; i < 256; i++) palette.palette.push_back(alphaOf(i) << 24 | colour(i, 0));
        cases.push_back({std::string("palette with tRNS") + (gamma > 0 ? " and gamma" : ""), palette,
                         [](int x, int) { return static_cast<uint32_t>(x); }, [&](int x, int) { return colour(x, 0); }});
    }
    for (const Case &c : cases) {
        PackedDib dib = Load(Write("QMSALPHA.PNG", MakePng(kWidth, kHeight, c.pixel, c.options)), 1000, 1000);
        ExpectProgramBitmap(dib, 24, c.what);
        if (!dib) continue;
        ASSERT_EQ(dib->biWidth, kWidth) << c.what;
        // The worst pixel and where it is, so that one bad case says one thing.
        int worst = 0, worstX = 0, worstY = 0;
        uint32_t worstWant = 0;
        for (int y = 0; y < kHeight; y++)
            for (int x = 0; x < kWidth; x++) {
                uint32_t want = 0, stored = c.stored(x, y);
                for (int shift : {0, 8, 16}) want |= ((stored >> shift & 255) * alphaOf(x) + 127) / 255 << shift;
                int d = Distance(ColourAt(dib, x, y), want);
                if (d > worst) worst = d, worstX = x, worstY = y, worstWant = want;
            }
        EXPECT_LE(worst, 1) << c.what << " at " << worstX << "," << worstY << ": " << std::hex
                            << ColourAt(dib, worstX, worstY) << " for " << worstWant;
        DibFree(dib);
    }
}

TEST_F(Photo, BmpOfEveryDepthTheLoaderCarriesAndNoRunLengths) {
    auto colourQuarters = [](int x, int y) { return Quarters(x, y, 18, 10); };
    // The palette depths index a table of the four colours.
    std::vector<uint32_t> table = {kRed, kGreen, kBlue, kWhite};
    auto index = [](int x, int y) { return static_cast<uint32_t>((y >= 5) * 2 + (x >= 9)); };
    std::vector<std::pair<std::string, Bytes>> files;
    for (int bits : {1, 4, 8}) {
        // One bit holds two colours: red and green.
        auto pixel = bits == 1 ? std::function<uint32_t(int, int)>([](int x, int) { return uint32_t{x >= 9}; }) : index;
        files.push_back({std::to_string(bits) + "-bit", MakeBmpFile(MakePackedDib(18, 10, bits, pixel, -1, table))});
    }
    for (int bits : {16, 24, 32}) files.push_back({std::to_string(bits) + "-bit", MakeBmpFile(MakePackedDib(18, 10, bits, colourQuarters))});
    Bytes masks;
    PutInfoHeader(masks, 18, 10, 16, BI_BITFIELDS, 0, 0);
    for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu}) Put32(masks, m);
    for (int y = 9; y >= 0; y--)  // 36 bytes a row: no padding
        for (int x = 0; x < 18; x++) {
            uint32_t c = colourQuarters(x, y);
            Put16(masks, static_cast<uint16_t>((c >> 19 & 31) << 11 | (c >> 10 & 63) << 5 | (c >> 3 & 31)));
        }
    files.push_back({"5-6-5 masks", MakeBmpFile(masks)});
    for (auto &[what, file] : files) {
        PackedDib dib = Load(Write("QMSDEPTH.BMP", file), 100, 100);
        ExpectProgramBitmap(dib, 24, what);
        if (!dib) continue;
        for (int y : {1, 8})
            for (int x : {2, 15}) {
                uint32_t want = what == "1-bit" ? (x >= 9 ? kGreen : kRed) : colourQuarters(x, y);
                EXPECT_EQ(ColourAt(dib, x, y), want) << what << " at " << x << "," << y;
            }
        DibFree(dib);
    }
    for (int bits : {8, 4}) {
        Bytes rle = MakeBmpFile(MakeRleDib(9, 4, bits, RleEncode(9, 4, bits, index), table));
        EXPECT_EQ(Load(Write("QMSRLE.BMP", rle), 100, 100), nullptr) << "run lengths of " << bits << " bits are refused";
    }
}

TEST_F(Photo, TwoHundredFiftySixColoursLookLikeTheTrueColourPicture) {
    struct Case {
        const char *name, *what;
        Bytes file;
        int box;
    };
    JpegOptions exact;
    exact.quality = 100;
    const Case cases[] = {
        {"QMS8.JPG", "JPEG at its size (the library's quantiser)", MakeJpeg(160, 120, Shades, exact), 160},
        {"QMS8.JPG", "JPEG at a DCT scale (the library's quantiser)", MakeJpeg(160, 120, Shades, exact), 80},
        {"QMS8.JPG", "JPEG resampled", MakeJpeg(160, 120, Shades, exact), 150},
        {"QMS8.PNG", "PNG", MakePng(160, 120, Shades), 160},
        {"QMS8.PNG", "PNG resampled", MakePng(160, 120, Shades), 100},
        {"QMS8.BMP", "BMP", MakeBmpFile(MakePackedDib(160, 120, 24, Shades)), 160},
    };
    for (const Case &c : cases) {
        std::string path = Write(c.name, c.file);
        PackedDib full = Load(path, c.box, c.box, 24), eight = Load(path, c.box, c.box, 8);
        ExpectProgramBitmap(eight, 8, c.what);
        ASSERT_NE(full, nullptr) << c.what;
        if (!eight) continue;
        ASSERT_EQ(eight->biWidth, full->biWidth) << c.what;
        ASSERT_EQ(eight->biHeight, full->biHeight) << c.what;
        EXPECT_LT(MeanError(eight, full), 10.0) << c.what;
        EXPECT_LT(MeanError(eight, full, 4), 3.0) << c.what << ": the dithered shades average out to the picture's";
        // The palette is the picture's own, not the default one: many colours used.
        std::vector<bool> used(256);
        const BYTE *rows = reinterpret_cast<const BYTE *>(eight) + 40 + 1024;
        for (uint32_t i = 0; i < eight->biSizeImage; i++) used[rows[i]] = true;
        EXPECT_GT(std::count(used.begin(), used.end(), true), 64) << c.what;
        DibFree(full);
        DibFree(eight);
    }
}

// Where no resampling follows the decode, 256 colours are the JPEG
// library's own: its two-pass quantiser's palette and dithered indices.
TEST_F(Photo, JpegsThatNeedNoResamplingTakeTheLibrarysOwnQuantiser) {
    Bytes file = MakeJpeg(160, 120, PhotoPixel);
    std::string path = Write("QMSQUANT.JPG", file);
    for (int scale : {8, 4, 1}) {
        int box = 160 * scale / 8;
        PackedDib dib = Load(path, box, box, 8);
        std::string what = "at " + std::to_string(scale) + "/8";
        ExpectProgramBitmap(dib, 8, what);
        if (!dib) continue;
        DecodedJpeg want = DecodeJpeg(file, scale, true);
        ASSERT_EQ(dib->biWidth, want.width) << what;
        ASSERT_EQ(dib->biHeight, want.height) << what;
        const auto *table = reinterpret_cast<const RGBQUAD *>(reinterpret_cast<const BYTE *>(dib) + 40);
        for (size_t i = 0; i < want.palette.size(); i++)
            ASSERT_EQ(static_cast<uint32_t>(table[i].rgbRed) << 16 | table[i].rgbGreen << 8 | table[i].rgbBlue, want.palette[i])
                << what << " entry " << i;
        for (size_t i = want.palette.size(); i < 256; i++)
            EXPECT_EQ(table[i].rgbRed | table[i].rgbGreen | table[i].rgbBlue, 0) << what << ": unused entries stay black";
        const BYTE *rows = reinterpret_cast<const BYTE *>(dib) + 40 + 1024;
        const uint32_t stride = DibStride(dib->biWidth, 8);
        bool same = true;
        for (int y = 0; y < want.height; y++)
            same &= std::memcmp(rows + stride * (want.height - 1 - y), want.samples.data() + size_t(want.width) * y,
                                static_cast<size_t>(want.width)) == 0;
        EXPECT_TRUE(same) << what << ": the library's indices, bottom-up";
        DibFree(dib);
    }
}

TEST_F(Photo, DamagedAndTruncatedFilesOfEachFormatGiveNullQuietly) {
    Bytes png = MakePng(64, 48, PhotoPixel);
    Bytes pngInterlaced;
    {
        PngOptions o;
        o.interlaced = true;
        pngInterlaced = MakePng(64, 48, PhotoPixel, o);
    }
    JpegOptions progressive;
    progressive.progressive = true;
    const std::pair<const char *, Bytes> files[] = {
        {"QMSBAD.JPG", WithApp1(MakeJpeg(64, 48, PhotoPixel), MakeExifApp1(MakeExifTiff(6, true)))},
        {"QMSBADP.JPG", MakeJpeg(64, 48, PhotoPixel, progressive)},
        {"QMSBAD.PNG", png},
        {"QMSBADI.PNG", pngInterlaced},
        {"QMSBAD.BMP", MakeBmpFile(MakePackedDib(64, 48, 24, PhotoPixel))},
    };
    int blocks = Layer::Available() ? Layer::LiveGlobalBlocks() : 0;
    int descriptors = Layer::Available() ? Layer::OpenDescriptors() : 0;
    for (const auto &[name, file] : files) {
        // Cut anywhere short of its end, a file gives nothing.
        for (size_t cut : {size_t{0}, size_t{2}, size_t{9}, size_t{60}, file.size() / 3, file.size() / 2, file.size() - 40, file.size() - 1}) {
            std::string path = Write(name, Bytes(file.begin(), file.begin() + static_cast<long>(cut)));
            for (int bits : {24, 8}) EXPECT_EQ(Load(path, 32, 32, bits), nullptr) << name << " cut at " << cut;
        }
        // Bytes overwritten anywhere: no picture, or one of the size asked for; never a crash.
        std::mt19937 random(3);
        for (int trial = 0; trial < 40; trial++) {
            Bytes damaged = file;
            for (int i = 0; i < 4; i++) damaged[random() % damaged.size()] = static_cast<uint8_t>(random());
            PackedDib dib = Load(Write(name, damaged), 32, 32, trial % 2 ? 8 : 24);
            if (dib) {
                EXPECT_LE(dib->biWidth, 32) << name;
                EXPECT_LE(dib->biHeight, 32) << name;
            }
            DibFree(dib);
        }
    }
    // Scan data of a JPEG that the library cannot step over.
    Bytes jpeg = MakeJpeg(64, 48, PhotoPixel);
    size_t scan = 0;
    for (size_t i = 2; i + 1 < jpeg.size(); i++)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) scan = i;
    for (size_t i = scan + 20; i < scan + 60; i++) jpeg[i] = 0xFF;
    EXPECT_EQ(Load(Write("QMSBAD.JPG", jpeg), 32, 32), nullptr) << "markers in the middle of the scan";
    // A PNG whose pixel chunk fails its check.
    Bytes crc = png;
    for (size_t i = 8; i + 8 < crc.size(); i++)
        if (std::memcmp(&crc[i], "IDAT", 4) == 0) {
            crc[i + 6] ^= 0x40;
            break;
        }
    EXPECT_EQ(Load(Write("QMSBAD.PNG", crc), 32, 32), nullptr) << "an IDAT chunk with a wrong CRC";
    if (Layer::Available()) {
        EXPECT_EQ(Layer::LiveGlobalBlocks(), blocks) << "every failure gives back what it took";
        EXPECT_EQ(Layer::OpenDescriptors(), descriptors);
    }
}

// A show's record from one decode: the full picture exactly as LoadPhoto
// fits it, its preview made from that picture by the same rules, and both
// in 256 colours when asked; a file that is no picture gives neither.
TEST_F(Photo, ARecordsTwoPicturesComeFromOneDecodeByTheSameRules) {
    std::string sideways = Write("SIDE.JPG", WithApp1(MakeJpeg(1600, 1200, PhotoPixel), MakeExifApp1(MakeExifTiff(6, true))));
    for (int bits : {24, 8}) {
        std::string what = std::to_string(bits) + " bits";
        PackedDib full = nullptr, preview = nullptr;
        ASSERT_TRUE(LoadPhotoRecord(sideways.c_str(), 800, 600, bits, &full, &preview)) << what;
        ExpectProgramBitmap(full, bits, what);
        ExpectProgramBitmap(preview, bits, what);
        PackedDib alone = Load(sideways, 800, 600, 24);
        EXPECT_EQ(full->biWidth, alone->biWidth) << what << ": upright and fitted as LoadPhoto does";
        EXPECT_EQ(full->biHeight, alone->biHeight) << what;
        if (bits == 24) EXPECT_EQ(std::memcmp(DibPixels(full), DibPixels(alone), full->biSizeImage), 0) << what;
        EXPECT_EQ(preview->biWidth, 56) << what << ": 450 x 600 fitted into 100 x 75";
        EXPECT_EQ(preview->biHeight, 75) << what;
        PackedDib direct = Load(sideways, 100, 75, 24);
        if (bits == 24) EXPECT_LT(MeanError(preview, direct), 3.0) << what << ": the same picture as the file's own";
        for (PackedDib dib : {full, preview, alone, direct}) DibFree(dib);
    }
    std::string text = Write("NOTE.JPG", Bytes{'h', 'e', 'l', 'l', 'o'});
    PackedDib full = reinterpret_cast<PackedDib>(1), preview = reinterpret_cast<PackedDib>(1);
    EXPECT_FALSE(LoadPhotoRecord(text.c_str(), 800, 600, 24, &full, &preview));
    EXPECT_EQ(full, nullptr);
    EXPECT_EQ(preview, nullptr);
}

// A list preview comes from the EXIF thumbnail only when it stands for the
// photo: it covers the preview's size and has the photo's shape once
// upright. A thumbnail of its own colour tells which was used.
TEST_F(Photo, AListPreviewComesFromTheExifThumbnailOnlyWhenItFits) {
    const uint32_t kThumbColour = 0xC02010;
    auto thumb = [&](int w, int h) { return MakeJpeg(w, h, [&](int, int) { return kThumbColour; }); };
    auto photo = [&](const char *name, int w, int h, int orientation, const Bytes &thumbnail) {
        return Write(name, WithApp1(MakeJpeg(w, h, PhotoPixel),
                                    MakeExifApp1(MakeExifTiffWithThumbnail(orientation, false, thumbnail))));
    };
    auto fromThumbnail = [&](PackedDib dib) { return Distance(ColourAt(dib, dib->biWidth / 2, dib->biHeight / 2), kThumbColour) < 24; };
    struct Case {
        const char *name;
        int w, h, orientation, tw, th;
        bool used;
        int pw, ph;  // the preview's size
    };
    const Case cases[] = {
        {"T43.JPG", 1600, 1200, 1, 160, 120, true, 100, 75},
        {"TSIDE.JPG", 1600, 1200, 6, 160, 120, true, 56, 75},       // stored sideways, thumbnail too
        {"TBARS.JPG", 1600, 900, 1, 160, 120, false, 100, 56},      // 16:9 with bars in a 4:3 thumbnail
        {"TSMALL.JPG", 1600, 1200, 1, 80, 60, false, 100, 75},      // smaller than the preview
        {"TNEAR.JPG", 1601, 1200, 1, 160, 120, true, 100, 75},      // within a pixel of the shape
    };
    for (const Case &c : cases) {
        std::string path = photo(c.name, c.w, c.h, c.orientation, thumb(c.tw, c.th));
        PackedDib preview = LoadPhotoPreview(path.c_str(), 100, 75, 24);
        ASSERT_NE(preview, nullptr) << c.name;
        EXPECT_EQ(fromThumbnail(preview), c.used) << c.name;
        EXPECT_EQ(preview->biWidth, c.pw) << c.name;
        EXPECT_EQ(preview->biHeight, c.ph) << c.name;
        DibFree(preview);
    }
    // A damaged thumbnail is passed over for the photo itself.
    Bytes cut = thumb(160, 120);
    cut.resize(cut.size() / 2);
    std::string damaged = photo("TCUT.JPG", 1600, 1200, 1, cut);
    PackedDib preview = LoadPhotoPreview(damaged.c_str(), 100, 75, 8);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->biBitCount, 8);
    DibFree(preview);
}

TEST_F(Photo, TheFirstBytesSayWhatAFileIsNotItsName) {
    JpegOptions exact;
    exact.quality = 100;
    EXPECT_NE(Load(Write("QMSJPEG.PNG", MakeJpeg(20, 10, [](int, int) { return kRed; })), 100, 100), nullptr);
    PackedDib png = Load(Write("QMSPNG.BMP", MakePng(20, 10, [](int, int) { return kGreen; })), 100, 100);
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(ColourAt(png, 5, 5), kGreen);
    DibFree(png);
    EXPECT_NE(Load(Write("QMSBMP.JPG", MakeBmpFile(MakePackedDib(20, 10, 24, [](int, int) { return kBlue; }))), 100, 100), nullptr);
    EXPECT_EQ(Load(Write("QMSTEXT.JPG", Bytes{'h', 'e', 'l', 'l', 'o'}), 100, 100), nullptr);
    // A packed bitmap without its file header is no picture file.
    EXPECT_EQ(Load(Write("QMSDIB.BMP", MakePackedDib(20, 10, 24, [](int, int) { return kBlue; })), 100, 100), nullptr);
    EXPECT_EQ(Load(SystemDirectory() + "\\QMSNONE.JPG", 100, 100), nullptr);
    std::string good = Write("QMSGOOD.PNG", MakePng(20, 10, [](int, int) { return kGreen; }));
    EXPECT_EQ(LoadPhoto(good.c_str(), 0, 100, 24), nullptr) << "a box without pixels";
    EXPECT_EQ(LoadPhoto(good.c_str(), 100, 100, 16), nullptr) << "only 24 and 8 bits";
    // A file it read is closed: it can be deleted at once.
    DibFree(LoadPhoto(good.c_str(), 100, 100, 24));
    EXPECT_TRUE(RemoveFile(good.c_str()));
}

TEST_F(Photo, AFailedAllocationAnywhereGivesNullAndLeaksNothing) {
    SKIP_WITHOUT_LAYER("fails allocations on the layer");
    const std::pair<const char *, Bytes> files[] = {
        {"QMSMEM.JPG", MakeJpeg(120, 90, PhotoPixel)},
        {"QMSMEM.PNG", MakePng(120, 90, PhotoPixel)},
        {"QMSMEM.BMP", MakeBmpFile(MakePackedDib(120, 90, 8, [](int x, int y) { return static_cast<uint32_t>(x ^ y); }))},
    };
    for (const auto &[name, file] : files) {
        std::string path = Write(name, file);
        for (int bits : {24, 8}) {
            for (int n = 0;; n++) {
                int blocks = Layer::LiveGlobalBlocks();
                Layer::FailAllocationAfter(n);
                PackedDib dib = LoadPhoto(path.c_str(), 50, 50, bits);
                Layer::FailAllocationAfter(-1);
                if (dib) {
                    EXPECT_EQ(Layer::LiveGlobalBlocks(), blocks + 1) << name << " after " << n;
                    DibFree(dib);
                    break;
                }
                EXPECT_EQ(Layer::LiveGlobalBlocks(), blocks) << name << " failing allocation " << n;
                ASSERT_LT(n, 20) << "the sweep must end";
            }
        }
    }
}

}  // namespace
