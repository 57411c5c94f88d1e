// The EXIF reader finds the orientation in either byte order and gives 1
// (upright) for anything else, reading nothing outside the block however
// its offsets and counts lie.
#include <gtest/gtest.h>

#include "photo/exif.h"
#include "support/exif.h"

namespace {

TEST(ExifOrientation, EachValueInEitherByteOrder) {
    for (bool big : {false, true})
        for (int o = 1; o <= 8; o++) {
            Bytes tiff = MakeExifTiff(o, big);
            EXPECT_EQ(ExifOrientation(tiff.data(), tiff.size()), o) << (big ? "big" : "little") << "-endian " << o;
            Bytes app1 = MakeExifApp1(tiff);
            EXPECT_EQ(ExifOrientationOfApp1(app1.data(), app1.size()), o);
        }
}

TEST(ExifOrientation, UprightWhenTheBlockStatesNoneOrNoUsableOne) {
    Bytes none = MakeExifTiff(0, false);
    EXPECT_EQ(ExifOrientation(none.data(), none.size()), 1) << "no orientation field";
    Bytes nine = MakeExifTiff(6, true);
    nine[8 + 2 + 12 + 9] = 9;  // the value of the second entry
    EXPECT_EQ(ExifOrientation(nine.data(), nine.size()), 1) << "a value EXIF does not define";
    Bytes asLong = MakeExifTiff(6, false);
    asLong[8 + 2 + 12 + 2] = 4;  // type LONG instead of SHORT
    EXPECT_EQ(ExifOrientation(asLong.data(), asLong.size()), 1);
    Bytes badOrder = MakeExifTiff(6, false);
    badOrder[0] = 'X';
    EXPECT_EQ(ExifOrientation(badOrder.data(), badOrder.size()), 1);
    Bytes badMagic = MakeExifTiff(6, true);
    badMagic[3] = 43;
    EXPECT_EQ(ExifOrientation(badMagic.data(), badMagic.size()), 1);
    Bytes xmp = MakeExifApp1(MakeExifTiff(6, false));
    xmp[0] = 'h';  // another APP1 payload, such as XMP's
    EXPECT_EQ(ExifOrientationOfApp1(xmp.data(), xmp.size()), 1);
    EXPECT_EQ(ExifOrientation(nullptr, 0), 1);
}

TEST(ExifOrientation, LyingOffsetsAndCountsReadOnlyWithinTheBlock) {
    Bytes tiff = MakeExifTiff(8, false);
    // The IFD offset past the end, at the very end, or into the header.
    for (uint32_t offset : {0xFFFFFFF0u, static_cast<uint32_t>(tiff.size()), static_cast<uint32_t>(tiff.size() - 1), 4u}) {
        Bytes bad = tiff;
        for (int i = 0; i < 4; i++) bad[4 + i] = static_cast<uint8_t>(offset >> (8 * i));
        EXPECT_EQ(ExifOrientation(bad.data(), bad.size()), 1) << "offset " << offset;
    }
    // A count of more entries than the block holds: those within it still count.
    Bytes many = tiff;
    many[8] = 0xFF, many[9] = 0xFF;
    EXPECT_EQ(ExifOrientation(many.data(), many.size()), 8);
    // Cut anywhere: the field is found while it is whole, never read beyond the cut.
    const size_t fieldEnd = 8 + 2 + 2 * 12;
    for (size_t cut = 0; cut < tiff.size(); cut++) {
        Bytes part(tiff.begin(), tiff.begin() + static_cast<long>(cut));
        EXPECT_EQ(ExifOrientation(part.data(), part.size()), cut >= fieldEnd ? 8 : 1) << "cut at " << cut;
    }
}

}  // namespace

namespace {

// The second IFD's thumbnail is found in either byte order; one that would
// lie past the block, or is not a JPEG, is none.
TEST(ExifThumbnail, FoundInEitherByteOrderAndOnlyWithinTheBlock) {
    const Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xDB, 1, 2, 3, 4, 0xFF, 0xD9};
    for (bool big : {false, true}) {
        Bytes tiff = MakeExifTiffWithThumbnail(6, big, jpeg);
        size_t offset = 0, length = 0;
        ASSERT_TRUE(ExifThumbnail(tiff.data(), tiff.size(), &offset, &length)) << big;
        EXPECT_EQ(length, jpeg.size());
        EXPECT_EQ(Bytes(tiff.begin() + static_cast<long>(offset), tiff.begin() + static_cast<long>(offset + length)), jpeg);
        EXPECT_EQ(ExifOrientation(tiff.data(), tiff.size()), 6) << "the orientation still read";
        Bytes cut(tiff.begin(), tiff.end() - 1);
        EXPECT_FALSE(ExifThumbnail(cut.data(), cut.size(), &offset, &length)) << "one byte past the block";
        Bytes lying = MakeExifTiffWithThumbnail(1, big, jpeg, 0x7FFFFFFF);
        EXPECT_FALSE(ExifThumbnail(lying.data(), lying.size(), &offset, &length)) << "a length past the block";
        Bytes text = MakeExifTiffWithThumbnail(1, big, Bytes{'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'});
        EXPECT_FALSE(ExifThumbnail(text.data(), text.size(), &offset, &length)) << "not a JPEG";
    }
    Bytes plain = MakeExifTiff(1, false);
    size_t offset = 0, length = 0;
    EXPECT_FALSE(ExifThumbnail(plain.data(), plain.size(), &offset, &length)) << "no second IFD";
}

}  // namespace
