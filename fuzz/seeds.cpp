// Writes the seed inputs of the fuzz targets, made by the tests' builders:
//   fuzz_seeds FOLDER      gives FOLDER/bmp, FOLDER/jpeg, FOLDER/show, FOLDER/catalogue, FOLDER/exif, FOLDER/photo,
//                          FOLDER/load, FOLDER/save
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/builders.h"
#include "support/codepage_host.h"
#include "support/exif.h"
#include "support/jpeg.h"
#include "support/png.h"
#include "support/rle.h"

namespace {

void Save(const std::filesystem::path &file, const Bytes &bytes) {
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), static_cast<long>(bytes.size()));
}

void Save(const std::filesystem::path &file, const std::string &text) { Save(file, Bytes(text.begin(), text.end())); }

uint32_t Gradient(int x, int y) { return static_cast<uint32_t>((x * 40) & 255) << 16 | static_cast<uint32_t>((y * 30) & 255) << 8 | 0x40; }

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) return 2;
    std::filesystem::path root = argv[1];
    for (const char *target : {"bmp", "jpeg", "show", "catalogue", "exif", "photo", "load", "save"}) std::filesystem::create_directories(root / target);

    // Pictures of every depth and form the loader carries.
    auto index = [](int x, int y) { return static_cast<uint32_t>(x + 2 * y); };
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        Bytes dib = MakePackedDib(7, 5, bits, bits <= 8 ? std::function<uint32_t(int, int)>(index) : Gradient);
        Save(root / "bmp" / ("depth" + std::to_string(bits) + ".bmp"), MakeBmpFile(dib));
        if (bits == 8) Save(root / "bmp" / "packed8.dib", dib);
    }
    Save(root / "bmp" / "rle8.bmp", MakeBmpFile(MakeRleDib(9, 4, 8, RleEncode(9, 4, 8, index), {0, 0xFF0000, 0xFF00})));
    Save(root / "bmp" / "rle4.bmp", MakeBmpFile(MakeRleDib(9, 4, 4, RleEncode(9, 4, 4, index), {0, 0xFF0000, 0xFF00})));
    Bytes masks;
    PutInfoHeader(masks, 2, 2, 16, 3, 8, 0);
    for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu}) Put32(masks, m);
    for (int i = 0; i < 4; i++) Put16(masks, static_cast<uint16_t>(0x1234 * i));
    Save(root / "bmp" / "bitfields.bmp", MakeBmpFile(masks));

    // JPEGs in the encodings the discs and people's photos use.
    JpegOptions baseline, p444, progressive, grey, cmyk;
    p444.sampling = JpegOptions::k444;
    progressive.progressive = true;
    grey.colour = JpegOptions::kGrey;
    cmyk.colour = JpegOptions::kCmyk;
    Save(root / "jpeg" / "baseline.jpg", MakeJpeg(24, 16, PhotoPixel, baseline));
    Save(root / "jpeg" / "444.jpg", MakeJpeg(17, 9, PhotoPixel, p444));
    Save(root / "jpeg" / "progressive.jpg", MakeJpeg(24, 16, PhotoPixel, progressive));
    Save(root / "jpeg" / "grey.jpg", MakeJpeg(16, 16, PhotoPixel, grey));
    Save(root / "jpeg" / "cmyk.jpg", MakeJpeg(16, 8, [](int x, int y) { return 0x10203040u * static_cast<uint32_t>(x + y); }, cmyk));

    // Shows of several records, of the depths the saver stores.
    Bytes full8 = MakePackedDib(12, 9, 8, index), preview8 = MakePackedDib(4, 3, 8, index);
    Bytes full24 = MakePackedDib(12, 9, 24, Gradient), preview24 = MakePackedDib(4, 3, 24, Gradient);
    Save(root / "show" / "two.qms", MakeShow({{full24, preview24}, {full8, preview8}}));
    Save(root / "show" / "one.qms", MakeShow({{full24, preview24}}));
    Save(root / "show" / "masks.qms", MakeShow({{masks, masks}, {full24, preview8}}));

    // Shows opened for editing and saved again: pictures of both depths, with
    // and without a preview, and a preview that draws nothing; one cut short
    // in its last preview, one whose count claims more records than it
    // holds, one whose count is negative.
    Bytes undrawable = preview24;
    undrawable[4] = 0;  // width 0
    Bytes two = MakeShow({{full24, preview24}, {full8, preview8}});
    const std::pair<const char *, Bytes> shows[] = {
        {"mixed.qms", MakeShow({{full24, preview24}, {full8, preview8}, {full24, {}}})},
        {"eight.qms", MakeShow({{full8, preview8}, {full8, preview8}})},
        {"nopreview.qms", MakeShow({{full24, {}}, {full8, {}}})},
        {"undrawable.qms", MakeShow({{full24, undrawable}, {full8, preview8}})},
        {"cut.qms", Bytes(two.begin(), two.end() - 7)},
        {"count.qms", MakeShow({{full24, preview24}, {full8, preview8}}, 5)},
        {"negative.qms", MakeShow({{full8, preview8}}, -1)},
        {"power.qms", MakeShow({{full24, preview24}, {full8, {}}})},
    };
    // The save target's second save fails as the last two bytes say (after
    // how many, then what: 1 allocation, 2 write, 3 read, 4 move, 5 close,
    // 6 the power);
    // past the records they are left alone.
    const uint8_t faults[][2] = {{0, 0}, {2, 2}, {1, 4}, {1, 3}, {3, 5}, {0, 1}, {0, 0}, {9, 6}};
    for (size_t i = 0; i < std::size(shows); i++) {
        Save(root / "load" / shows[i].first, shows[i].second);
        Bytes save = shows[i].second;
        save.insert(save.end(), faults[i], faults[i] + 2);
        Save(root / "save" / shows[i].first, save);
    }

    // Catalogues: plain, with blank lines, and the two special titles.
    Save(root / "catalogue" / "plain.sd", HostCodePage932(CatalogueText("湖の四季", {"春", "夏", "秋"}, {"朝", "夕"})));
    Save(root / "catalogue" / "orva.sd", HostCodePage932(CatalogueText("「ORVA」", {}, {"a", "b"})));
    Save(root / "catalogue" / "kestin.sd", HostCodePage932(CatalogueText("「KESTIN」", {"c"}, {"1"})));
    Save(root / "catalogue" / "blank.sd", std::string("\r\n\r\nT\r\n\r\nDAT\\\r\n\n\nS\\\r\n 2\r\nA\r\n\r\nB\r\n1\r\nM\r\n"));
    // EXIF blocks of each orientation in both byte orders, and one without the field.
    for (bool big : {false, true})
        for (int o = 0; o <= 8; o += big ? 3 : 1)
            Save(root / "exif" / ((big ? "mm" : "ii") + std::to_string(o) + ".tif"), MakeExifTiff(o, big));

    // Photos: JPEGs with an EXIF block, plain and inked, PNGs of each colour
    // type (interlaced, transparent, with an eXIf chunk), BMPs of two depths.
    Save(root / "photo" / "exif.jpg", WithApp1(MakeJpeg(40, 24, PhotoPixel), MakeExifApp1(MakeExifTiff(6, true))));
    Save(root / "photo" / "thumbnail.jpg",
         WithApp1(MakeJpeg(400, 300, PhotoPixel), MakeExifApp1(MakeExifTiffWithThumbnail(6, false, MakeJpeg(160, 120, PhotoPixel)))));
    Save(root / "exif" / "thumbnail.tif", MakeExifTiffWithThumbnail(3, true, MakeJpeg(16, 12, PhotoPixel)));
    Save(root / "photo" / "progressive.jpg", MakeJpeg(33, 20, PhotoPixel, progressive));
    Save(root / "photo" / "cmyk.jpg", MakeJpeg(16, 16, [](int x, int y) { return 0x10203040u * static_cast<uint32_t>(x ^ y); }, cmyk));
    PngOptions rgb, rgba, greyPng, palette;
    rgb.interlaced = true;
    rgb.exif = MakeExifTiff(8, false);
    rgba.kind = PngOptions::kRgba;
    rgba.depth = 16;
    greyPng.kind = PngOptions::kGrey;
    greyPng.depth = 4;
    palette.kind = PngOptions::kPalette;
    palette.palette = {0xFF112233, 0x80445566, 0x00778899};
    Save(root / "photo" / "rgb.png", MakePng(24, 16, PhotoPixel, rgb));
    Save(root / "photo" / "rgba16.png", MakePng(12, 9, [](int x, int y) { return PhotoPixel(x, y) | static_cast<uint32_t>(x * 20) << 24; }, rgba));
    Save(root / "photo" / "grey4.png", MakePng(13, 7, PhotoPixel, greyPng));
    Save(root / "photo" / "palette.png", MakePng(10, 6, [](int x, int y) { return static_cast<uint32_t>((x + y) % 3); }, palette));
    Save(root / "photo" / "depth8.bmp", MakeBmpFile(MakePackedDib(7, 5, 8, index)));
    Save(root / "photo" / "depth24.bmp", MakeBmpFile(MakePackedDib(200, 30, 24, Gradient)));
    return 0;
}
