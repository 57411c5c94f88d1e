// The headless screen written to a PNG file through libpng, and read back
// here with libpng.
#include "support/saver_fixture.h"

#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

class ScreenImage : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        if (!Layer::Available()) return;
        Layer::SetScreen(kWidth, kHeight, 24);
        HDC dc = GetDC(nullptr);
        // Colour steps in both directions, so a row or a channel out of place shows.
        for (int y = 0; y < kHeight; y++)
            for (int x = 0; x < kWidth; x++) SetPixel(dc, x, y, Colour(x, y));
        ReleaseDC(nullptr, dc);
    }
    static COLORREF Colour(int x, int y) { return RGB(x * 4, y * 8, (x + y) % 2 ? 200 : 30); }
    static std::string Scratch(const char *name) { return ::testing::TempDir() + name; }
    static constexpr int kWidth = 60, kHeight = 30;
};

TEST_F(ScreenImage, PngHoldsTheScreenCompressedAndAnUnwritablePathFails) {
    SKIP_WITHOUT_LAYER("the headless screen is the layer's");
    std::string path = Scratch("screen-image-test.png");
    ASSERT_TRUE(Layer::SaveScreen(path));

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str())) << image.message;
    EXPECT_EQ(image.width, static_cast<png_uint_32>(kWidth));
    EXPECT_EQ(image.height, static_cast<png_uint_32>(kHeight));
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) << image.message;
    for (int y = 0; y < kHeight; y++)
        for (int x = 0; x < kWidth; x++) {
            const png_byte *p = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
            ASSERT_EQ(RGB(p[0], p[1], p[2]), Colour(x, y)) << x << "," << y;
        }

    // A plain screen packs into far less than its pixels.
    Layer::SetScreen(640, 480, 24);
    ASSERT_TRUE(Layer::SaveScreen(path));
    FILE *f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::fclose(f);
    EXPECT_LT(size, 640 * 480 * 3 / 100);
    std::remove(path.c_str());

    EXPECT_FALSE(Layer::SaveScreen(::testing::TempDir() + "no-such-folder/screen.png"));
}

}  // namespace
