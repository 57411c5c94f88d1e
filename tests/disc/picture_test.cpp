// Pictures of the title disc by kind, content and number.
#include <cstring>

#include "disc/picture.h"
#include "player/player.h"
#include "player/settings.h"
#include "support/disc_fixture.h"
#include "support/jpeg.h"

namespace {

class Pictures : public DiscTest {
protected:
    void SetUp() override {
        DiscTest::SetUp();
        if (IsSkipped()) return;
        discE.Catalogue(CatalogueText("T", {"A", "B", "C"}, {"M"}));
        ASSERT_TRUE(ScanForTitleDisc());
    }
    // A picture whose width says which file it came from.
    static Bytes Bmp(int width, int bits) {
        return MakeBmpFile(MakePackedDib(width, 5, bits, [](int x, int) { return static_cast<uint32_t>(x); }));
    }
    std::string Path(int kind, int content, int picture) {
        char path[MAX_PATH];
        return PicturePath(kind, content, picture, path, sizeof path) ? path : "(none)";
    }
};

TEST_F(Pictures, EachKindNamesItsFile) {
    EXPECT_EQ(Path(1, 3, 12), "E:\\DAT\\03\\S\\012.BMP");
    EXPECT_EQ(Path(2, 3, 12), "E:\\DAT\\03\\O\\012.BMP");
    EXPECT_EQ(Path(3, 3, 12), "E:\\DAT\\03\\LO\\012.BMP");
    EXPECT_EQ(Path(4, 3, 12), "E:\\DAT\\03\\O\\012.JPG");
    EXPECT_EQ(Path(5, 3, 12), "E:\\DAT\\03\\LO\\012.JPG");
    EXPECT_EQ(Path(12, 3, 12), "E:\\DAT\\03\\L\\012.BMP");
    EXPECT_EQ(Path(14, 3, 12), "E:\\DAT\\03\\L\\012.BMP");
    EXPECT_EQ(Path(13, 3, 12), "E:\\DAT\\03\\LL\\012.BMP");
    EXPECT_EQ(Path(15, 3, 12), "E:\\DAT\\03\\LL\\012.BMP");
    EXPECT_EQ(Path(100, 3, 0), "E:\\DAT\\SOUND\\S\\03.WAV") << "the track number goes as the content";
    for (int kind : {0, 6, 7, 8, 9, 10, 11, 16, 99, -1}) EXPECT_EQ(Path(kind, 3, 12), "(none)") << "kind " << kind;
}

TEST_F(Pictures, EachKindLoadsItsFile) {
    discE.Picture(1, 2, 7, Bmp(11, 24));
    discE.Picture(2, 2, 7, Bmp(12, 24));
    discE.Picture(3, 2, 7, Bmp(13, 24));
    discE.Picture(4, 2, 7, MakeJpeg(14, 5, PhotoPixel));
    discE.Picture(5, 2, 7, MakeJpeg(15, 5, PhotoPixel));
    discE.Picture(12, 2, 7, Bmp(16, 8));
    discE.Picture(13, 2, 7, Bmp(17, 8));
    for (int kind = 1; kind <= 15; kind++) {
        PackedDib dib = LoadPicture(kind, 2, 7);
        int width = kind <= 5 ? 10 + kind : kind == 12 || kind == 14 ? 16 : kind == 13 || kind == 15 ? 17 : 0;
        if (width == 0) {
            EXPECT_EQ(dib, nullptr) << "kind " << kind << " names no file";
            continue;
        }
        ASSERT_NE(dib, nullptr) << "kind " << kind;
        EXPECT_EQ(dib->biWidth, width) << "kind " << kind;
        DibFree(dib);
    }
    EXPECT_EQ(LoadPicture(2, 2, 8), nullptr) << "a picture the disc lacks";
}

TEST_F(Pictures, TwoHundredFiftySixColoursWhenSetOrOnAPaletteScreen) {
    discE.Picture(1, 1, 1, Bmp(11, 8));
    discE.Picture(2, 1, 1, Bmp(12, 24));
    discE.Picture(4, 1, 1, MakeJpeg(14, 5, PhotoPixel));
    discE.Picture(12, 1, 1, Bmp(16, 8));
    discE.Picture(13, 1, 1, Bmp(17, 8));
    auto widthOf = [](int kind) {
        PackedDib dib = LoadPicture(kind, 1, 1);
        int width = dib ? dib->biWidth : 0;
        DibFree(dib);
        return width;
    };
    for (int how = 0; how < 2; how++) {
        settings.use8bit = how == 0;
        player.displayDepth = how == 0 ? 24 : 8;
        EXPECT_EQ(widthOf(4), 16) << "the JPEG's 256-colour BMP (" << how << ")";
        EXPECT_EQ(widthOf(2), 16);
        EXPECT_EQ(widthOf(3), 17);
        EXPECT_EQ(widthOf(5), 17);
        EXPECT_EQ(widthOf(1), 11) << "previews are taken as they are";
    }
    settings.use8bit = 0;
    player.displayDepth = 24;
    EXPECT_EQ(widthOf(4), 14);
}

TEST_F(Pictures, PlaceholderStandsInForAMissingPreviewOnly) {
    discE.Picture(2, 1, 5, Bmp(12, 24));
    PackedDib placeholder = PlaceholderPicture(1, 5);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_EQ(placeholder->biWidth, 100);
    EXPECT_EQ(placeholder->biHeight, 75);
    EXPECT_EQ(placeholder->biBitCount, 8);
    EXPECT_TRUE(IsPlaceholder(placeholder));
    DibFree(placeholder);  // shared: freeing it changes nothing
    EXPECT_EQ(PlaceholderPicture(0, 0), placeholder) << "the same one, even with no disc picture named";
    EXPECT_EQ(placeholder->biWidth, 100);
    EXPECT_EQ(PlaceholderPicture(1, 6), nullptr) << "neither preview nor full-screen picture";

    // A picture of the same size and depth is still not the placeholder.
    discE.Picture(1, 1, 5, MakeBmpFile(MakePackedDib(100, 75, 8, [](int, int) { return 1u; })));
    PackedDib lookalike = LoadPicture(1, 1, 5);
    ASSERT_NE(lookalike, nullptr);
    EXPECT_FALSE(IsPlaceholder(lookalike));
    EXPECT_FALSE(IsPlaceholder(nullptr));
    DibFree(lookalike);
}

}  // namespace
