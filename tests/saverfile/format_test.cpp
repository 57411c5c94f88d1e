// The saver file's count, size pairs and record walk, as the player reads
// them now and the editor's loading and saving will.
#include "saverfile/format.h"
#include "support/fixtures.h"
#include "support/saver_fixture.h"

namespace {

class Format : public SaverTest {
protected:
    void TearDown() override {
        if (file != HFILE_ERROR) _lclose(file);
        DeleteDosFile(path);
        SaverTest::TearDown();
    }
    void Open(const Bytes &bytes) {
        path = SystemDirectory() + "\\QMSFORMAT.QMS";
        ASSERT_TRUE(WriteDosFile(path, bytes));
        file = OpenForReading(path.c_str());
        ASSERT_NE(file, HFILE_ERROR);
    }
    std::string path;
    HFILE file = HFILE_ERROR;
};

TEST_F(Format, WrittenCountsAndSizesReadBack) {
    path = SystemDirectory() + "\\QMSFORMAT.QMS";
    HFILE out = CreateAnew(path.c_str());
    ASSERT_NE(out, HFILE_ERROR);
    EXPECT_TRUE(WritePictureCount(out, 2));
    EXPECT_TRUE(WriteRecordSizes(out, {0x01020304u, 0xA0B0C0D0u}));
    _lclose(out);
    Bytes bytes = ReadDosFile(path);
    EXPECT_EQ(bytes, (Bytes{2, 0, 0, 0, 4, 3, 2, 1, 0xD0, 0xC0, 0xB0, 0xA0})) << "little-endian, back to back";

    Open(bytes);
    int32_t count = 0;
    ASSERT_TRUE(ReadPictureCount(file, &count));
    EXPECT_EQ(count, 2);
    RecordSizes sizes;
    ASSERT_TRUE(ReadRecordSizes(file, &sizes));
    EXPECT_EQ(sizes.fullSize, 0x01020304u);
    EXPECT_EQ(sizes.previewSize, 0xA0B0C0D0u);
    EXPECT_FALSE(ReadRecordSizes(file, &sizes)) << "nothing left for another pair";
}

TEST_F(Format, RecordsAreFoundByWalking) {
    Bytes show = MakeShow({{Bytes(10, 1), Bytes(3, 1)}, {Bytes(0, 2), Bytes(7, 2)}, {Bytes(100, 3), Bytes(1, 3)}});
    Open(show);
    int32_t count = 0;
    ASSERT_TRUE(ReadPictureCount(file, &count));
    LONG offset = kFirstRecordOffset;
    for (int i = 0; i < count; i++) {
        EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), offset) << "record " << i;
        RecordSizes sizes;
        ASSERT_TRUE(ReadRecordSizes(file, &sizes));
        ASSERT_TRUE(SkipBlock(file, sizes.fullSize));
        BYTE first = 0;
        if (sizes.previewSize) {
            _lread(file, &first, 1);
            EXPECT_EQ(first, i + 1) << "the preview block of record " << i;
            _llseek(file, -1, FILE_CURRENT);
        }
        ASSERT_TRUE(SkipBlock(file, sizes.previewSize));
        offset = NextRecordOffset(offset, sizes);
    }
    EXPECT_EQ(offset, static_cast<LONG>(show.size()));
    EXPECT_TRUE(RewindToFirstRecord(file));
    EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), kFirstRecordOffset);
}

TEST_F(Format, BlocksPastTheEndAreNotSkipped) {
    Open(MakeShow({{Bytes(10, 1), Bytes(3, 1)}}));
    _llseek(file, 12, FILE_BEGIN);
    EXPECT_FALSE(SkipBlock(file, 14)) << "13 bytes are left";
    EXPECT_EQ(_llseek(file, 0, FILE_CURRENT), 12) << "a refused skip stays put";
    EXPECT_FALSE(SkipBlock(file, 0xFFFFFFF0u));
    EXPECT_TRUE(SkipBlock(file, 13));
    EXPECT_EQ(NextRecordOffset(4, {0x7FFFFFF0u, 0x7FFFFFF0u}), -1) << "no offset past 2 GB";
}

TEST_F(Format, OnlyCountsThePlayerCanWalkArePlayable) {
    EXPECT_FALSE(IsPlayableCount(0));
    EXPECT_FALSE(IsPlayableCount(-1));
    EXPECT_TRUE(IsPlayableCount(1));
    EXPECT_TRUE(IsPlayableCount(32767));
    EXPECT_FALSE(IsPlayableCount(32768));
    Open(Bytes{1, 0, 0});
    int32_t count = 0;
    EXPECT_FALSE(ReadPictureCount(file, &count)) << "three bytes are no count";
}

}  // namespace
