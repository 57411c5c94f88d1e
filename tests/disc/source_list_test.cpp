// The editor's source list filled from a content of the disc: an entry per
// picture with its preview, the placeholder where only the full-screen
// picture is there, the end of the content at the first gap, at most 128
// pictures, each entry released once.
#include "disc/picture.h"
#include "disc/picture_entry.h"
#include "disc/source_list.h"
#include "resources/resource.h"
#include "support/editor_fixture.h"

namespace {

class SourceList : public EditorTest {
protected:
    static Bytes Preview(int width) {
        return MakeBmpFile(MakePackedDib(width, 75, 8, [](int x, int) { return static_cast<uint32_t>(x); }));
    }
    // Fills the source list with a content, as the editor does.
    size_t Fill(int content) {
        std::vector<PictureEntry *> entries = FillSourceList(content);
        Append(entries, IDC_SOURCE_LIST);
        return entries.size();
    }
};

TEST_F(SourceList, ContentEndsAtTheFirstPictureWithNeitherFile) {
    discE.Catalogue(CatalogueText("T", {"A", "B"}, {}));
    for (int p = 1; p <= 7; p++) discE.Picture(1, 2, p, Preview(90 + p));
    discE.Picture(2, 2, 4, Preview(10));  // a full-screen file too: no difference
    discE.Picture(1, 2, 9, Preview(99));  // after the gap: not listed
    ASSERT_TRUE(ScanForTitleDisc());
    int blocks = Layer::Available() ? Layer::LiveGlobalBlocks() : 0;
    EXPECT_EQ(Fill(2), 7u);
    std::vector<PictureEntry *> entries = Entries(IDC_SOURCE_LIST);
    ASSERT_EQ(entries.size(), 7u);
    for (int i = 0; i < 7; i++) {
        EXPECT_EQ(entries[i]->picture, i + 1);
        EXPECT_EQ(entries[i]->kind, 0);
        ASSERT_NE(entries[i]->preview, nullptr);
        EXPECT_EQ(entries[i]->preview->biWidth, 91 + i);
    }
    // Each entry and its preview go exactly once with the list; the entry
    // that ended the content went at once.
    DestroyWindow(editor);
    editor = nullptr;
    EXPECT_EQ(released, 7);
    if (Layer::Available()) EXPECT_EQ(Layer::LiveGlobalBlocks(), blocks);
}

TEST_F(SourceList, PictureWithoutPreviewShowsThePlaceholder) {
    discE.Catalogue(CatalogueText("T", {"A"}, {}));
    discE.Picture(1, 1, 1, Preview(91));
    discE.Picture(2, 1, 2, Preview(300));  // only its full-screen picture
    discE.Picture(1, 1, 3, Preview(93));
    ASSERT_TRUE(ScanForTitleDisc());
    EXPECT_EQ(Fill(1), 3u);
    std::vector<PictureEntry *> entries = Entries(IDC_SOURCE_LIST);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_TRUE(IsPlaceholder(entries[1]->preview));
    EXPECT_EQ(entries[1]->preview->biWidth, 100);
    EXPECT_FALSE(IsPlaceholder(entries[0]->preview));
}

TEST_F(SourceList, NeverMoreThan128Pictures) {
    discE.Catalogue(CatalogueText("T", {"A"}, {}));
    Bytes small = Preview(2);
    for (int p = 1; p <= 130; p++) discE.Picture(1, 1, p, small);
    ASSERT_TRUE(ScanForTitleDisc());
    EXPECT_EQ(Fill(1), 128u);
    EXPECT_EQ(SendDlgItemMessageW(editor, IDC_SOURCE_LIST, LB_GETCOUNT, 0, 0), 128);
}

TEST_F(SourceList, NoDiscNoPictures) {
    EXPECT_FALSE(ScanForTitleDisc());
    EXPECT_EQ(Fill(1), 0u);
    EXPECT_EQ(SendDlgItemMessageW(editor, IDC_SOURCE_LIST, LB_GETCOUNT, 0, 0), 0);
}

}  // namespace
