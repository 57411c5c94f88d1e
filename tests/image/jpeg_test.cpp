// JPEG pictures become 24-bit packed DIBs exactly as the library decodes
// them; what the library reports reaches the user in a box. Runs against
// Windows (the library built for it) and the layer.
#include <cstring>
#include <random>

#include "image/jpeg.h"
#include "support/boxes.h"
#include "support/jpeg.h"
#include "support/show_fixture.h"

namespace {

class Jpeg : public SystemFileTest {
protected:
    std::string Write(const char *name, const Bytes &bytes) { return WriteSystemFile(name, bytes); }

    // Decodes the file, answering any box; the boxes come back in *boxes.
    PackedDib Load(const std::string &path, std::vector<ShownBox> *boxes) {
        PackedDib dib = nullptr;
        *boxes = BoxesShownDuring([&] { dib = JpegLoadFile(path.c_str()); });
        return dib;
    }

    // The file is not held open: on Windows it could not be deleted, on
    // the layer a descriptor would be left.
    void ExpectClosed(const std::string &path, int descriptorsBefore) {
        if (Layer::Available()) EXPECT_EQ(Layer::OpenDescriptors(), descriptorsBefore);
        EXPECT_TRUE(RemoveFile(path.c_str())) << "the decoder left " << path << " open";
    }
};

// Where the entropy-coded data of the first scan starts.
size_t ScanDataStart(const Bytes &file) {
    for (size_t i = 2; i + 3 < file.size(); i++)
        if (file[i] == 0xFF && file[i + 1] == 0xDA) return i + 2 + (file[i + 2] << 8 | file[i + 3]);
    return file.size();
}

Bytes PixelRows(PackedDib dib) {
    const uint8_t *p = reinterpret_cast<const uint8_t *>(dib) + 40;
    return Bytes(p, p + dib->biSizeImage);
}

TEST_F(Jpeg, ThreeByTwoPictureIsStoredBottomUpInBlueGreenRed) {
    const uint32_t colours[2][3] = {{0xFF0000, 0x00FF00, 0x0000FF}, {0xFFFFFF, 0x000000, 0x808080}};
    JpegOptions exact;
    exact.quality = 100;
    exact.sampling = JpegOptions::k444;
    Bytes file = MakeJpeg(3, 2, [&](int x, int y) { return colours[y][x]; }, exact);
    std::vector<ShownBox> boxes;
    PackedDib dib = Load(Write("QMS3X2.JPG", file), &boxes);
    ASSERT_NE(dib, nullptr);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(dib->biSize, 40u);
    EXPECT_EQ(dib->biWidth, 3);
    EXPECT_EQ(dib->biHeight, 2);
    EXPECT_EQ(dib->biBitCount, 24);
    EXPECT_EQ(dib->biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(dib->biClrUsed, 0u);
    EXPECT_EQ(dib->biSizeImage, 24u) << "stride 12";
    EXPECT_EQ(GlobalSize(GlobalHandle(dib)), 1088u);

    const uint8_t *rows = reinterpret_cast<const uint8_t *>(dib) + 40;
    // Top row second: red at 52, green, blue; bottom row first: white, black, grey.
    EXPECT_GE(rows[12 + 2], 250);
    EXPECT_LE(rows[12 + 0], 5);
    EXPECT_GE(rows[12 + 4], 250);
    EXPECT_GE(rows[12 + 6], 250);
    EXPECT_LE(rows[12 + 8], 5);
    EXPECT_GE(rows[0], 250);
    EXPECT_LE(rows[3], 5);
    EXPECT_NEAR(rows[6], 128, 3);
    for (int pad : {9, 10, 11, 21, 22, 23}) EXPECT_EQ(rows[pad], 0) << "padding byte " << pad;
    EXPECT_EQ(PixelRows(dib), AsBitmapRows(DecodeJpeg(file)));
    DibFree(dib);
}

TEST_F(Jpeg, EncodingsDecodeToExactlyTheLibrarysPixels) {
    struct Case {
        const char *what;
        int width, height;
        JpegOptions options;
    };
    JpegOptions p420, p444, progressive, grey, greyProgressive;
    p444.sampling = JpegOptions::k444;
    progressive.progressive = true;
    grey.colour = JpegOptions::kGrey;
    greyProgressive.colour = JpegOptions::kGrey;
    greyProgressive.progressive = true;
    const Case cases[] = {
        {"4:2:0", 160, 120, p420},        {"4:4:4", 160, 120, p444},          {"odd 4:2:0", 37, 23, p420},
        {"odd 4:4:4", 29, 17, p444},      {"one pixel", 1, 1, p420},         {"progressive", 101, 67, progressive},
        {"greyscale", 45, 31, grey},      {"grey progressive", 33, 9, greyProgressive},
    };
    for (const Case &c : cases) {
        Bytes file = MakeJpeg(c.width, c.height, PhotoPixel, c.options);
        std::vector<ShownBox> boxes;
        PackedDib dib = Load(Write("QMSENC.JPG", file), &boxes);
        ASSERT_NE(dib, nullptr) << c.what;
        EXPECT_TRUE(boxes.empty()) << c.what;
        EXPECT_EQ(dib->biWidth, c.width) << c.what;
        EXPECT_EQ(dib->biHeight, c.height) << c.what;
        EXPECT_EQ(dib->biBitCount, 24) << c.what;
        EXPECT_TRUE(PixelRows(dib) == AsBitmapRows(DecodeJpeg(file))) << c.what;
        DibFree(dib);
    }
}

// Inks stored by the library (Adobe's inverted convention, as it writes
// them), each quarter of the picture one colour.
TEST_F(Jpeg, CmykAndYcckPicturesShowTheirColours) {
    struct Quarter {
        uint32_t stored;  // C, M, Y, K bytes as written: 255 means no ink
        uint32_t rgb;
    };
    const Quarter quarters[4] = {
        {0xFFFFFFFF, 0xFFFFFF},  // no ink: white
        {0x00FFFFFF, 0x00FFFF},  // full cyan
        {0xFF00FFFF, 0xFF00FF},  // full magenta
        {0xFFFFFF00, 0x000000},  // full black
    };
    for (auto colour : {JpegOptions::kCmyk, JpegOptions::kYcck}) {
        JpegOptions options;
        options.colour = colour;
        options.quality = 100;
        options.sampling = JpegOptions::k444;
        Bytes file = MakeJpeg(32, 32, [&](int x, int y) { return quarters[(y / 16) * 2 + x / 16].stored; }, options);
        ASSERT_TRUE(DecodeJpeg(file).adobe) << "the library marks the inks as inverted";
        std::vector<ShownBox> boxes;
        PackedDib dib = Load(Write("QMSCMYK.JPG", file), &boxes);
        ASSERT_NE(dib, nullptr);
        EXPECT_TRUE(boxes.empty());
        const uint8_t *rows = reinterpret_cast<const uint8_t *>(dib) + 40;
        for (int q = 0; q < 4; q++) {
            int x = (q % 2) * 16 + 8, y = (q / 2) * 16 + 8;
            const uint8_t *p = rows + 96 * (31 - y) + 3 * x;
            uint32_t want = quarters[q].rgb;
            EXPECT_NEAR(p[2], static_cast<int>(want >> 16 & 255), 4) << "quarter " << q << " red";
            EXPECT_NEAR(p[1], static_cast<int>(want >> 8 & 255), 4) << "quarter " << q << " green";
            EXPECT_NEAR(p[0], static_cast<int>(want & 255), 4) << "quarter " << q << " blue";
        }
        DibFree(dib);
    }
}

TEST_F(Jpeg, NotAJpegShowsTheLibrarysErrorOnceAndGivesNothing) {
    std::string path = Write("QMSNOT.JPG", Bytes{'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8});
    int descriptors = Layer::Available() ? Layer::OpenDescriptors() : 0;
    int blocks = Layer::Available() ? Layer::LiveGlobalBlocks() : 0;
    std::vector<ShownBox> boxes;
    EXPECT_EQ(Load(path, &boxes), nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "JPEG ERROR");
    EXPECT_EQ(boxes[0].text, "Not a JPEG file: starts with 0x42 0x4d");
    if (Layer::Available()) EXPECT_EQ(Layer::LiveGlobalBlocks(), blocks);
    ExpectClosed(path, descriptors);
}

TEST_F(Jpeg, ErrorAfterThePictureBeganGivesNothingAndReleasesTheBitmap) {
    Bytes file = MakeJpeg(64, 48, PhotoPixel);
    // A second frame header inside the scan data: the scan ends early (a
    // warning), then the decoder meets the header (an error).
    size_t at = (ScanDataStart(file) + file.size()) / 2;
    file[at] = 0xFF;
    file[at + 1] = 0xC0;
    std::string path = Write("QMSDAM.JPG", file);
    int descriptors = Layer::Available() ? Layer::OpenDescriptors() : 0;
    int blocks = Layer::Available() ? Layer::LiveGlobalBlocks() : 0;
    std::vector<ShownBox> boxes;
    EXPECT_EQ(Load(path, &boxes), nullptr);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "JPEG Error");
    EXPECT_EQ(boxes[1].caption, "JPEG ERROR");
    EXPECT_EQ(boxes[1].text, "Invalid JPEG file structure: two SOF markers");
    if (Layer::Available()) {
        EXPECT_EQ(Layer::LiveGlobalBlocks(), blocks) << "the bitmap made before the error";
        EXPECT_GT(Layer::LargestAllocationRequest(), 64u * 48 * 3) << "it was made";
    }
    ExpectClosed(path, descriptors);
}

TEST_F(Jpeg, PictureCutInItsScanShowsOneWarningAndComesBack) {
    Bytes file = MakeJpeg(120, 90, PhotoPixel);
    size_t scan = ScanDataStart(file);
    Bytes cut(file.begin(), file.begin() + static_cast<long>(scan + (file.size() - scan) * 6 / 10));
    std::vector<ShownBox> boxes;
    PackedDib dib = Load(Write("QMSCUT.JPG", cut), &boxes);
    ASSERT_NE(dib, nullptr);
    ASSERT_EQ(boxes.size(), 1u) << "later warnings of the same picture are counted, not shown";
    EXPECT_EQ(boxes[0].caption, "JPEG Error");
    EXPECT_EQ(boxes[0].text, "Premature end of JPEG file");
    EXPECT_EQ(dib->biWidth, 120);
    EXPECT_EQ(dib->biHeight, 90);
    // The top rows were in the file: they are the whole picture's top rows.
    Bytes whole = AsBitmapRows(DecodeJpeg(file)), got = PixelRows(dib);
    size_t stride = 360;
    EXPECT_TRUE(std::equal(got.end() - stride, got.end(), whole.end() - stride)) << "top row";
    DibFree(dib);
}

TEST_F(Jpeg, MissingFileGivesNothingWithoutABox) {
    std::vector<ShownBox> boxes;
    EXPECT_EQ(Load(SystemDirectory() + "\\QMSNONE.JPG", &boxes), nullptr);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Jpeg, PictureTooLargeForABitmapIsRefusedBeforeAnythingIsAllocated) {
    Bytes file = MakeJpeg(16, 16, PhotoPixel);
    // The frame header states 60000 x 60000: ten gigabytes of bitmap.
    for (size_t i = 0; i + 8 < file.size(); i++) {
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            file[i + 5] = 0xEA, file[i + 6] = 0x60, file[i + 7] = 0xEA, file[i + 8] = 0x60;
            break;
        }
    }
    std::vector<ShownBox> boxes;
    EXPECT_EQ(Load(Write("QMSHUGE.JPG", file), &boxes), nullptr);
    EXPECT_TRUE(boxes.empty());
    if (Layer::Available()) EXPECT_LT(Layer::LargestAllocationRequest(), SIZE_T{1} << 20);
}

TEST_F(Jpeg, RandomDamageGivesNothingOrAWholeBitmap) {
    Bytes file = MakeJpeg(48, 40, PhotoPixel);
    std::mt19937 random(7);
    for (int round = 0; round < 40; round++) {
        Bytes damaged = file;
        int changes = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < changes; i++) damaged[random() % damaged.size()] = static_cast<uint8_t>(random());
        if (round % 4 == 0) damaged.resize(random() % damaged.size());
        std::vector<ShownBox> boxes;
        PackedDib dib = Load(Write("QMSRND.JPG", damaged), &boxes);
        if (dib) {
            EXPECT_GT(dib->biWidth, 0);
            EXPECT_GT(dib->biHeight, 0);
            EXPECT_GE(GlobalSize(GlobalHandle(dib)), dib->biSizeImage + 40u) << "round " << round;
        }
        for (const ShownBox &b : boxes) EXPECT_TRUE(b.caption == "JPEG ERROR" || b.caption == "JPEG Error");
        DibFree(dib);
    }
}

}  // namespace
