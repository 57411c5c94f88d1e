// Opening a show for editing: an entry per record with its place in the
// file and only its preview read; a damaged file loads what comes before
// the damage and says where it is.
#include "disc/picture.h"
#include "saverfile/load.h"
#include "support/boxes.h"
#include "support/editor_fixture.h"

namespace {

Bytes Picture(int width, int height, uint32_t colour) {
    return MakePackedDib(width, height, 24, [=](int, int) { return colour; });
}

std::vector<ShowRecord> ThreeRecords() {
    return {{Picture(64, 48, 0xFF0000), Picture(16, 12, 0xFF0000)},
            {Picture(32, 32, 0x00FF00), Picture(8, 8, 0x00FF00)},
            {Picture(80, 60, 0x0000FF), Picture(20, 15, 0x0000FF)}};
}

class LoadForEditing : public EditorTest {
protected:
    // Loads the show into the show list, as the editor does; no box is shown.
    LoadedShow Load(const char *name) {
        LoadedShow show;
        EXPECT_TRUE(BoxesShownDuring([&] { show = LoadShowForEditing(name); }).empty());
        Append(show.entries);
        return show;
    }
};

TEST_F(LoadForEditing, EachRecordBecomesAKeptEntryWithItsPreviewOnly) {
    auto records = ThreeRecords();
    Bytes show = MakeShow(records);
    WriteSystemFile("EDIT.QMS", show);
    EnterFolder(ShowDirectory().c_str());
    EXPECT_EQ(Load("EDIT.QMS").error, kLoaded);
    auto entries = Entries();
    ASSERT_EQ(entries.size(), 3u);
    LONG offset = 4;
    for (int i = 0; i < 3; i++) {
        const PictureEntry &e = *entries[i];
        EXPECT_EQ(e.kind, KIND_KEPT);
        EXPECT_EQ(e.filePosition, i + 1);
        EXPECT_EQ(e.fileOffset, offset);
        EXPECT_EQ(e.fullSize, records[i].full.size());
        EXPECT_EQ(e.previewSize, records[i].preview.size());
        EXPECT_EQ(e.fullData, nullptr) << "full-screen pictures are not read";
        ASSERT_NE(e.preview, nullptr);
        const uint8_t *p = reinterpret_cast<const uint8_t *>(e.preview);
        EXPECT_TRUE(Bytes(p, p + e.previewSize) == records[i].preview) << "record " << i + 1;
        offset += static_cast<LONG>(8 + records[i].full.size() + records[i].preview.size());
    }
}

TEST_F(LoadForEditing, DamageStopsTheLoadingWhereItIsAndSaysSo) {
    auto records = ThreeRecords();
    Bytes show = MakeShow(records);
    size_t third = 4 + 2 * 8 + records[0].full.size() + records[0].preview.size() + records[1].full.size() +
                   records[1].preview.size();
    // Sizes that claim two gigabytes of a small file: refused before anything is allocated.
    Bytes claims = MakeShow({{Picture(4, 4, 0), Picture(4, 4, 0)}});
    claims[4] = 0xF0, claims[7] = 0x7F;
    struct Case {
        const char *what;
        Bytes file;
        int code, position;
        size_t loaded;
    } cases[] = {
        {"cut in the last record's sizes", Bytes(show.begin(), show.begin() + static_cast<long>(third + 5)), 3, 3, 2},
        {"cut in the last record's preview", Bytes(show.begin(), show.end() - 7), 7, 3, 2},
        {"no count", Bytes{1, 0}, 1, 0, 0},
        {"a full-screen block of no bytes", MakeShow({{Bytes{}, Picture(4, 4, 0)}}), 4, 1, 0},
        {"sizes past the end of the file", claims, 7, 1, 0},
    };
    EnterFolder(ShowDirectory().c_str());
    for (const Case &c : cases) {
        WriteSystemFile("DAMAGED.QMS", c.file);
        LoadedShow loaded = Load("DAMAGED.QMS");
        EXPECT_EQ(loaded.error, c.code) << c.what;
        EXPECT_EQ(loaded.position, c.position) << c.what;
        EXPECT_EQ(Entries().size(), c.loaded) << c.what;
        Clear();
    }
    LoadedShow missing = Load("NOSUCH.QMS");
    EXPECT_EQ(missing.error, kCannotOpen);
    EXPECT_EQ(missing.position, 0);
}

TEST_F(LoadForEditing, RecordsWithoutADrawablePreviewShowThePlaceholder) {
    Bytes broken = Picture(8, 8, 0x123456);
    broken[4] = 0;  // width 0
    WriteSystemFile("NOPREV.QMS", MakeShow({{Picture(16, 16, 1), Bytes{}}, {Picture(16, 16, 2), broken}}));
    EnterFolder(ShowDirectory().c_str());
    EXPECT_EQ(Load("NOPREV.QMS").error, kLoaded);
    auto entries = Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(IsPlaceholder(entries[0]->preview)) << "previewSize 0";
    EXPECT_EQ(entries[0]->previewSize, 0u);
    EXPECT_TRUE(IsPlaceholder(entries[1]->preview)) << "a preview that draws nothing";
    EXPECT_EQ(entries[1]->previewSize, broken.size()) << "the record keeps its sizes";
}

// Every allocation and every read may fail in turn: the loading stops with
// its box, keeps what it had, and leaks nothing.
TEST_F(LoadForEditing, FailingAnyAllocationOrReadLosesNothing) {
    SKIP_WITHOUT_LAYER("fails allocations and reads on the layer");
    WriteSystemFile("SWEEP.QMS", MakeShow(ThreeRecords()));
    EnterFolder(ShowDirectory().c_str());
    for (int fail : {0, 1}) {
        for (int n = 0;; n++) {
            int blocks = Layer::LiveGlobalBlocks();
            if (fail == 0) Layer::FailAllocationAfter(n);
            else Layer::FailReadsAfter(n);
            int error = Load("SWEEP.QMS").error;
            Layer::FailAllocationAfter(-1);
            Layer::FailReadsAfter(-1);
            size_t listed = Entries().size();
            Clear();
            EXPECT_EQ(Layer::LiveGlobalBlocks(), blocks) << (fail ? "read " : "allocation ") << n;
            if (error == kLoaded) {
                EXPECT_EQ(listed, 3u);
                break;
            }
            EXPECT_LT(listed, 3u) << (fail ? "read " : "allocation ") << n;
            ASSERT_LT(n, 50) << "the sweep must end";
        }
    }
}

}  // namespace
