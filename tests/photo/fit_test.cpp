// Fitting a picture into a box: never enlarged, never outside the box, its
// shape kept to within a pixel; and the JPEG library's scale the smallest
// that still covers the fitted size.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "photo/pipeline.h"

namespace {

TEST(FitInto, ScalesDownNeverUpAndKeepsTheShapeWithinAPixel) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> side(1, 6000), box(1, 1200);
    for (int i = 0; i < 20000; i++) {
        int w = side(random), h = side(random), bw = box(random), bh = box(random);
        int fw = 0, fh = 0;
        ASSERT_TRUE(FitInto(w, h, bw, bh, &fw, &fh));
        std::string what = std::to_string(w) + "x" + std::to_string(h) + " into " + std::to_string(bw) + "x" + std::to_string(bh);
        ASSERT_GE(fw, 1) << what;
        ASSERT_GE(fh, 1) << what;
        ASSERT_LE(fw, std::min(w, bw)) << what;
        ASSERT_LE(fh, std::min(h, bh)) << what;
        // Both sides within a pixel of the picture scaled by one factor, the largest that fits.
        double scale = std::min({1.0, double(bw) / w, double(bh) / h});
        ASSERT_LE(std::abs(fw - w * scale), 1.0) << what;
        ASSERT_LE(std::abs(fh - h * scale), 1.0) << what;
        // The box is filled along one side unless the picture already fits.
        if (w > bw || h > bh) ASSERT_TRUE(fw == bw || fh == bh) << what;
        else ASSERT_TRUE(fw == w && fh == h) << what;
    }
}

TEST(FitInto, TheCameraAndScreenSizes) {
    int fw, fh;
    ASSERT_TRUE(FitInto(4896, 3672, 800, 600, &fw, &fh));
    EXPECT_EQ(fw, 800);
    EXPECT_EQ(fh, 600);
    ASSERT_TRUE(FitInto(3672, 4896, 800, 600, &fw, &fh));
    EXPECT_EQ(fw, 450);
    EXPECT_EQ(fh, 600);
    ASSERT_TRUE(FitInto(640, 480, 800, 600, &fw, &fh));
    EXPECT_EQ(fw, 640) << "never enlarged";
    ASSERT_TRUE(FitInto(5000, 10, 100, 75, &fw, &fh));
    EXPECT_EQ(fw, 100);
    EXPECT_EQ(fh, 1) << "a sliver keeps a row";
    EXPECT_FALSE(FitInto(0, 10, 100, 75, &fw, &fh));
    EXPECT_FALSE(FitInto(10, 10, 0, 75, &fw, &fh));
}

TEST(JpegScaleFor, TheSmallestScaleWhoseDecodeCoversTheFittedSize) {
    auto decoded = [](int side, int m) { return (side * m + 7) / 8; };  // the library rounds up
    std::mt19937 random(11);
    std::uniform_int_distribution<int> side(1, 7000), box(1, 1200);
    for (int i = 0; i < 20000; i++) {
        int w = side(random), h = side(random), fw, fh;
        ASSERT_TRUE(FitInto(w, h, box(random), box(random), &fw, &fh));
        int m = JpegScaleFor(w, h, fw, fh);
        ASSERT_GE(m, 1);
        ASSERT_LE(m, 8);
        ASSERT_TRUE(decoded(w, m) >= fw && decoded(h, m) >= fh) << w << "x" << h << " at " << m << "/8 covers " << fw << "x" << fh;
        if (m > 1) ASSERT_FALSE(decoded(w, m - 1) >= fw && decoded(h, m - 1) >= fh) << "a smaller scale covers " << w << "x" << h;
    }
    EXPECT_EQ(JpegScaleFor(4896, 3672, 800, 600), 2);
    EXPECT_EQ(JpegScaleFor(4896, 3672, 100, 75), 1);
    EXPECT_EQ(JpegScaleFor(800, 600, 800, 600), 8);
}

}  // namespace
