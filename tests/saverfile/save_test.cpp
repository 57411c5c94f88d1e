// Saving the editor's show: kept pictures byte for byte, disc pictures from
// the disc, the count true to the records, the music beside the show; and a
// save that fails at any allocation or write leaves the old show and its
// music exactly as they were.
#include <cstring>

#include "disc/picture.h"
#include "saverfile/load.h"
#include "saverfile/save.h"
#include "support/boxes.h"
#include "support/editor_fixture.h"

namespace {

Bytes Picture(int width, int height, uint32_t colour) {
    return MakePackedDib(width, height, 24, [=](int x, int y) { return colour ^ static_cast<uint32_t>(x * 7 + y); });
}

class Save : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        if (IsSkipped()) return;
        discE.Catalogue(CatalogueText("T", {"A"}, {"M1", "M2"}));
        // Pictures 1 and 2 have standard pictures, picture 2 a large one too, picture 3 neither.
        for (int p = 1; p <= 3; p++) discE.Picture(1, 1, p, MakeBmpFile(Picture(10, 8, 0x010101 * p)));
        discE.Picture(2, 1, 1, MakeBmpFile(Picture(64, 48, 0x102030)));
        discE.Picture(2, 1, 2, MakeBmpFile(Picture(64, 48, 0x405060)));
        discE.Picture(3, 1, 2, MakeBmpFile(Picture(128, 96, 0x708090)));
        Bytes track(250000);
        for (size_t i = 0; i < track.size(); i++) track[i] = static_cast<uint8_t>(i * 31);
        discE.File("DAT\\SOUND\\S\\01.WAV", track);
        discE.File("DAT\\SOUND\\S\\02.WAV", MakeWav(100));
        ASSERT_TRUE(ScanForTitleDisc());
        system = SystemDirectory() + "\\";
        CreateDirectoryA((system + "SOUND").c_str(), nullptr);
    }
    void TearDown() override {
        for (const char *f : {"SOUND\\EDIT", "SOUND\\A", "SOUND\\QMSAVER.TMP", "QMSAVER.TMP"}) DeleteDosFile(system + f);
        EditorTest::TearDown();
    }
    bool SaveAs(const char *name, int track = -1, bool large = false, std::vector<ShownBox> *boxes = nullptr) {
        bool ok = false;
        auto shown = BoxesShownDuring([&] { ok = SaveShow(editor, name, track, large); });
        if (boxes) *boxes = shown;
        return ok;
    }
    // The blocks of record n (1-based) of a show file.
    static ShowRecord RecordOf(const Bytes &show, int n) {
        size_t at = 4;
        for (int i = 1;; i++) {
            uint32_t full, preview;
            std::memcpy(&full, show.data() + at, 4);
            std::memcpy(&preview, show.data() + at + 4, 4);
            if (i == n)
                return {Bytes(show.begin() + static_cast<long>(at + 8), show.begin() + static_cast<long>(at + 8 + full)),
                        Bytes(show.begin() + static_cast<long>(at + 8 + full),
                              show.begin() + static_cast<long>(at + 8 + full + preview))};
            at += 8 + full + preview;
        }
    }
    static int32_t CountOf(const Bytes &show) {
        int32_t count = 0;
        std::memcpy(&count, show.data(), 4);
        return count;
    }
    // The disc picture's bytes as the loader holds them: the BMP file without its file header.
    Bytes DiscBlock(int kind, int picture) {
        char path[MAX_PATH];
        PicturePath(kind, 1, picture, path, sizeof path);
        Bytes file = ReadDosFile(path);
        return Bytes(file.begin() + 14, file.end());
    }
    std::string system;
};

TEST_F(Save, KeptPicturesAreCopiedByteForByteInTheListsOrder) {
    std::vector<ShowRecord> records = {{Picture(40, 30, 0xAA0000), Picture(8, 6, 1)},
                                       {Picture(20, 50, 0x00BB00), Picture(4, 10, 2)},
                                       {Picture(30, 30, 0x0000CC), Bytes{}}};
    WriteSystemFile("EDIT.QMS", MakeShow(records));
    SetCurrentDirectoryA(system.c_str());
    ASSERT_TRUE(LoadShowForEditing(editor, "EDIT.QMS"));
    // The first and last pictures change places.
    LPARAM first = SendMessageA(list, LB_GETITEMDATA, 0, 0), last = SendMessageA(list, LB_GETITEMDATA, 2, 0);
    SendMessageA(list, LB_SETITEMDATA, 0, last);
    SendMessageA(list, LB_SETITEMDATA, 2, first);
    ASSERT_TRUE(SaveAs("EDIT.QMS"));
    Bytes saved = ReadDosFile(system + "EDIT.QMS");
    EXPECT_EQ(CountOf(saved), 3);
    EXPECT_TRUE(RecordOf(saved, 1).full == records[2].full && RecordOf(saved, 1).preview == records[2].preview);
    EXPECT_TRUE(RecordOf(saved, 2).full == records[1].full);
    EXPECT_TRUE(RecordOf(saved, 3).full == records[0].full && RecordOf(saved, 3).preview == records[0].preview);
    // The entries describe the new file: saving again changes nothing.
    auto entries = Entries();
    EXPECT_EQ(entries[0]->filePosition, 1);
    EXPECT_EQ(entries[0]->fileOffset, 4);
    EXPECT_EQ(entries[2]->filePosition, 3);
    ASSERT_TRUE(SaveAs("EDIT.QMS"));
    EXPECT_TRUE(ReadDosFile(system + "EDIT.QMS") == saved);
    EXPECT_FALSE(GetFileAttributesA((system + "QMSAVER.TMP").c_str()) != INVALID_FILE_ATTRIBUTES) << "nothing left behind";
}

TEST_F(Save, DiscPicturesComeFromTheDiscAndOnlyThoseItHasAreCounted) {
    for (int p = 1; p <= 3; p++) Add(DiscEntry(1, p, Picture(10, 8, 0x010101 * p)));
    ASSERT_TRUE(SaveAs("A.QMS"));
    Bytes saved = ReadDosFile(system + "A.QMS");
    written.push_back(system + "A.QMS");
    EXPECT_EQ(CountOf(saved), 2) << "picture 3 has no full-screen picture: left out of count and records";
    EXPECT_TRUE(RecordOf(saved, 1).full == DiscBlock(kStandardBmp, 1));
    EXPECT_TRUE(RecordOf(saved, 1).preview == Picture(10, 8, 0x010101));
    EXPECT_TRUE(RecordOf(saved, 2).full == DiscBlock(kStandardBmp, 2));
    EXPECT_EQ(saved.size(), 4 + 2 * 8 + RecordOf(saved, 1).full.size() + RecordOf(saved, 1).preview.size() +
                                RecordOf(saved, 2).full.size() + RecordOf(saved, 2).preview.size());
    auto entries = Entries();
    EXPECT_EQ(entries[1]->kind, KIND_KEPT);
    EXPECT_EQ(entries[1]->filePosition, 2);
    EXPECT_EQ(entries[2]->kind, KIND_DISC) << "the picture left out is still the disc's";

    // The large size where the disc has it, the standard one where it has not.
    ASSERT_TRUE(SaveAs("A.QMS", -1, true));
    saved = ReadDosFile(system + "A.QMS");
    EXPECT_TRUE(RecordOf(saved, 1).full == DiscBlock(kStandardBmp, 1));
    EXPECT_TRUE(RecordOf(saved, 2).full == DiscBlock(kStandardBmp, 2)) << "kept since the first save";
    Clear();
    Add(DiscEntry(1, 2, Picture(10, 8, 2)));
    ASSERT_TRUE(SaveAs("A.QMS", -1, true));
    EXPECT_TRUE(RecordOf(ReadDosFile(system + "A.QMS"), 1).full == DiscBlock(kLargeBmp, 2));
}

TEST_F(Save, MusicIsCopiedBesideTheShowUnderItsNameUpToTheFirstDot) {
    Add(DiscEntry(1, 1, Picture(10, 8, 1)));
    ASSERT_TRUE(SaveAs("A.B.QMS", 1));
    written.push_back(system + "A.B.QMS");
    char source[MAX_PATH];
    PicturePath(kMusicTrack, 1, 0, source, sizeof source);
    EXPECT_TRUE(ReadDosFile(system + "SOUND\\A") == ReadDosFile(source)) << "all 250,000 bytes";
    // A track the disc lacks: nothing changes, and the user hears of it.
    Bytes show = ReadDosFile(system + "A.B.QMS");
    std::vector<ShownBox> boxes;
    EXPECT_FALSE(SaveAs("A.B.QMS", 7, false, &boxes));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Quillmere Saver");
    EXPECT_TRUE(ReadDosFile(system + "SOUND\\A") == ReadDosFile(source));
    EXPECT_TRUE(ReadDosFile(system + "A.B.QMS") == show);
}

// Every allocation, then every write, fails in turn while a changed show
// and new music are saved over the old ones: after each failure the old
// show and music are as they were, nothing is left behind or leaked, and
// the user was told.
TEST_F(Save, FailingAnyAllocationOrWriteLosesNothing) {
    SKIP_WITHOUT_LAYER("fails allocations and writes on the layer");
    WriteSystemFile("EDIT.QMS", MakeShow({{Picture(40, 30, 0xAA0000), Picture(8, 6, 1)},
                                          {Picture(20, 50, 0x00BB00), Picture(4, 10, 2)}}));
    WriteSystemFile("SOUND\\EDIT", MakeWav(300));
    Bytes oldShow = ReadDosFile(system + "EDIT.QMS"), oldMusic = ReadDosFile(system + "SOUND\\EDIT");
    for (int fail : {0, 1}) {
        for (int n = 0;; n++) {
            SetCurrentDirectoryA(system.c_str());
            Clear();
            ASSERT_TRUE(LoadShowForEditing(editor, "EDIT.QMS"));
            Add(DiscEntry(1, 1, Picture(10, 8, 1)));
            int blocks = Layer::LiveGlobalBlocks();
            if (fail == 0) Layer::FailAllocationAfter(n);
            else Layer::FailWritesAfter(n);
            std::vector<ShownBox> boxes;
            bool saved = SaveAs("EDIT.QMS", 1, false, &boxes);
            Layer::FailAllocationAfter(-1);
            Layer::FailWritesAfter(-1);
            std::string what = std::string(fail ? "write " : "allocation ") + std::to_string(n);
            EXPECT_EQ(Layer::LiveGlobalBlocks(), blocks) << what;
            for (const char *left : {"QMSAVER.TMP", "SOUND\\QMSAVER.TMP"})
                EXPECT_EQ(GetFileAttributesA((system + left).c_str()), INVALID_FILE_ATTRIBUTES) << what << ": " << left;
            if (saved) {
                EXPECT_EQ(CountOf(ReadDosFile(system + "EDIT.QMS")), 3) << what;
                EXPECT_EQ(ReadDosFile(system + "SOUND\\EDIT").size(), 250000u) << what;
                WriteDosFile(system + "EDIT.QMS", oldShow);
                WriteDosFile(system + "SOUND\\EDIT", oldMusic);
                break;
            }
            EXPECT_TRUE(ReadDosFile(system + "EDIT.QMS") == oldShow) << what;
            EXPECT_TRUE(ReadDosFile(system + "SOUND\\EDIT") == oldMusic) << what;
            EXPECT_FALSE(boxes.empty()) << what << ": the user is told";
            auto entries = Entries();
            EXPECT_EQ(entries.back()->kind, KIND_DISC) << what << ": the entries still describe the old show";
            ASSERT_LT(n, 200) << "the sweep must end";
        }
    }
}

}  // namespace
