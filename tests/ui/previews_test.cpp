// The previews of a folder's photos in the editor: the list shows every
// photo at once and the previews come while the editor waits for the user,
// one per turn of its loop, those on the screen first; far ones are let go
// past a bound and made again when scrolled back to; Add all takes photos
// without decoding them, and the show saved from them holds each photo.
#include <chrono>
#include <cstring>

#include "disc/picture.h"
#include "resources/resource.h"
#include "support/boxes.h"
#include "saverfile/save.h"
#include "support/configuration_fixture.h"
#include "support/folder_dialog.h"
#include "support/jpeg.h"
#include "support/save_dialog.h"
#include "text/language.h"
#include "ui/editor.h"
#include "ui/progress.h"

namespace {

const char kFolder[] = "C:\\QMS-MANY";

class Previews : public ConfigurationTest {
protected:
    void SetUp() override {
        ConfigurationTest::SetUp();
        if (IsSkipped()) return;
        MakeFolder(kFolder);
        MakeDisc();
        OpenConfiguration();
    }
    void TearDown() override {
        for (const std::string &name : made) DeleteDosFile(Path(name));
        RemoveFolder(kFolder);
        ConfigurationTest::TearDown();
    }
    static std::string Path(const std::string &name) { return std::string(kFolder) + "\\" + name; }
    // Photo i is WidthOf(i) pixels wide: which one a preview or a record
    // came from shows in its width.
    static int WidthOf(int i) { return 20 + i % 50; }
    void Photos(int count, bool jpeg) {
        char name[32];
        for (int i = 0; i < count; i++) {
            std::snprintf(name, sizeof name, "p%04d.%s", i, jpeg ? "jpg" : "bmp");
            Bytes file = jpeg ? MakeJpeg(WidthOf(i), 15, PhotoPixel)
                              : MakeBmpFile(MakePackedDib(WidthOf(i), 6, 24, [](int x, int y) {
                                    return static_cast<uint32_t>(x * 3 + y);
                                }));
            ASSERT_TRUE(WriteDosFile(Path(name), file));
            made.push_back(name);
        }
    }
    static void ChooseFolder(HWND editor) {
        int last = static_cast<int>(SendDlgItemMessageW(editor, IDC_CONTENTS, CB_GETCOUNT, 0, 0)) - 1;
        AnswerFolderChoosers([&] { ChooseComboItem(editor, IDC_CONTENTS, last); }, {kFolder});
    }
    static bool HasPreview(const PictureEntry *e) { return e && e->preview && !IsPlaceholder(e->preview); }
    static int PreviewsIn(HWND editor, int listId) {
        int n = 0;
        for (PictureEntry *e : Entries(editor, listId)) n += HasPreview(e);
        return n;
    }
    // The items on the screen: [first, end).
    static std::pair<int, int> Visible(HWND editor, int listId) { return VisibleItems(GetDlgItem(editor, listId)); }
    static bool VisibleHavePreviews(HWND editor, int listId) {
        auto [first, end] = Visible(editor, listId);
        std::vector<PictureEntry *> entries = Entries(editor, listId);
        for (int i = first; i < end; i++)
            if (!HasPreview(entries[static_cast<size_t>(i)])) return false;
        return end > first;
    }
    static void ScrollTo(HWND editor, int listId, int top) {
        SendDlgItemMessageW(editor, listId, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
    }
    std::vector<std::string> made;
};

TEST_F(Previews, AFolderIsListedWholeAtOnceAndOnlyWhatIsSeenIsDecoded) {
    Photos(200, true);
    RunEditor("", [&](HWND editor) {
        ChooseFolder(editor);
        std::vector<PictureEntry *> entries = Entries(editor, IDC_SOURCE_LIST);
        ASSERT_EQ(entries.size(), 200u) << "every photo listed at once";
        EXPECT_EQ(PreviewsIn(editor, IDC_SOURCE_LIST), 0) << "none decoded while the folder is read";
        for (size_t i = 0; i < entries.size(); i++) {
            EXPECT_EQ(entries[i]->kind, KIND_FILE);
            EXPECT_EQ(entries[i]->filePath, Path(made[i]));
        }
        RunLoop([&] { return VisibleHavePreviews(editor, IDC_SOURCE_LIST); });
        auto [first, end] = Visible(editor, IDC_SOURCE_LIST);
        ASSERT_GT(end, first);
        entries = Entries(editor, IDC_SOURCE_LIST);
        for (int i = first; i < end; i++) {
            ASSERT_TRUE(HasPreview(entries[static_cast<size_t>(i)])) << i;
            EXPECT_EQ(entries[static_cast<size_t>(i)]->preview->biWidth, WidthOf(i)) << "item " << i << "'s own photo";
        }
        int page = end - first;
        EXPECT_TRUE(HasPreview(entries[static_cast<size_t>(end)])) << "the next screenful is made ahead";
        for (size_t i = static_cast<size_t>(end + page); i < entries.size(); i++)
            EXPECT_FALSE(HasPreview(entries[i])) << "item " << i << " is far from the view";
        EXPECT_LE(PreviewsIn(editor, IDC_SOURCE_LIST), 2 * page);

        // Scrolled to, a far one comes.
        ScrollTo(editor, IDC_SOURCE_LIST, 150);
        RunLoop([&] { return VisibleHavePreviews(editor, IDC_SOURCE_LIST); });
        EXPECT_TRUE(HasPreview(Entries(editor, IDC_SOURCE_LIST)[150]));
        EXPECT_EQ(Entries(editor, IDC_SOURCE_LIST)[150]->preview->biWidth, WidthOf(150));
        EXPECT_FALSE(HasPreview(Entries(editor, IDC_SOURCE_LIST)[100])) << "between the two views";
        SendMessageW(editor, WM_CLOSE, 0, 0);
    });
}

// The list draws a photo without preview as an empty frame, its preview
// once made: the item's middle changes from the window's colour.
TEST_F(Previews, AnItemIsDrawnAgainWithItsPreviewOnceMade) {
    SKIP_WITHOUT_LAYER("reads the layer's screen");
    Photos(3, false);
    RunEditor("", [&](HWND editor) {
        ChooseFolder(editor);
        HWND list = GetDlgItem(editor, IDC_SOURCE_LIST);
        RECT item;
        SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
        POINT middle{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
        ClientToScreen(list, &middle);
        // Painted, not yet made.
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageW(&msg);
        EXPECT_EQ(PreviewsIn(editor, IDC_SOURCE_LIST), 0) << "no preview is made while painting";
        uint32_t before = Layer::ScreenPixel(middle.x, middle.y);
        RunLoop([] { return false; });
        ASSERT_EQ(PreviewsIn(editor, IDC_SOURCE_LIST), 3);
        uint32_t after = Layer::ScreenPixel(middle.x, middle.y);
        EXPECT_NE(after, before) << "the preview is on the screen";
        EXPECT_EQ(after & 0xFFFF00u, 0u) << std::hex << after << ": the photo's blues (x * 3 + y)";
        SendMessageW(editor, WM_CLOSE, 0, 0);
    });
}

// A preview takes one turn of the loop, so whatever the user does next is
// answered before the following one is made.
TEST_F(Previews, TheEditorAnswersBetweenTwoPreviews) {
    Photos(200, true);
    RunEditor("", [&](HWND editor) {
        ChooseFolder(editor);
        int before = 0, turns = 0;
        // Turns until some previews but not all that are coming are made.
        while (turns++ < 5000 && PreviewsIn(editor, IDC_SOURCE_LIST) < 3) {
            MSG msg;
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&msg);
                int now = PreviewsIn(editor, IDC_SOURCE_LIST);
                EXPECT_LE(now - before, 1) << "one preview per message at most";
                before = now;
            } else if (Layer::Available()) {
                Layer::AdvanceClock(Layer::NextEventIn());
            } else {
                Sleep(1);
            }
        }
        ASSERT_GE(PreviewsIn(editor, IDC_SOURCE_LIST), 3);
        // The user double-clicks an item while previews are still to make:
        // the command is the next thing the editor does.
        SelectItem(editor, IDC_SOURCE_LIST, 1);
        PostMessageW(editor, WM_COMMAND, MAKEWPARAM(IDC_ADD, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(editor, IDC_ADD)));
        int previews = PreviewsIn(editor, IDC_SOURCE_LIST);
        MSG msg;
        ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
        DispatchMessageW(&msg);
        EXPECT_EQ(Entries(editor, IDC_SHOW_LIST).size(), 1u) << "answered at once";
        EXPECT_EQ(PreviewsIn(editor, IDC_SOURCE_LIST), previews) << "no preview before the answer";
        BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDNO});
    });
}

TEST_F(Previews, FarPreviewsAreLetGoAndMadeAgainWhenScrolledBack) {
    SKIP_WITHOUT_LAYER("scrolls through seven hundred photos, quick only on the layer's drive");
    Photos(kMostListPreviews + 100, false);
    RunEditor("", [&](HWND editor) {
        ChooseFolder(editor);
        RunLoop([] { return false; });
        ASSERT_TRUE(VisibleHavePreviews(editor, IDC_SOURCE_LIST));
        auto [first, end] = Visible(editor, IDC_SOURCE_LIST);
        int page = end - first, most = 0;
        int count = static_cast<int>(Entries(editor, IDC_SOURCE_LIST).size());
        for (int top = 0; top < count; top += page) {
            ScrollTo(editor, IDC_SOURCE_LIST, top);
            RunLoop([] { return false; });
            most = std::max(most, PreviewsIn(editor, IDC_SOURCE_LIST));
            ASSERT_TRUE(VisibleHavePreviews(editor, IDC_SOURCE_LIST)) << "at " << top;
        }
        EXPECT_LE(most, kMostListPreviews);
        EXPECT_GT(most, kMostListPreviews / 2) << "the previews are kept up to about the bound";
        std::vector<PictureEntry *> entries = Entries(editor, IDC_SOURCE_LIST);
        EXPECT_FALSE(HasPreview(entries[0])) << "the farthest from the view went first";
        EXPECT_TRUE(HasPreview(entries[static_cast<size_t>(count - 1)]));

        ScrollTo(editor, IDC_SOURCE_LIST, 0);
        RunLoop([] { return false; });
        entries = Entries(editor, IDC_SOURCE_LIST);
        ASSERT_TRUE(HasPreview(entries[0])) << "made again";
        EXPECT_EQ(entries[0]->preview->biWidth, WidthOf(0));
        EXPECT_LE(PreviewsIn(editor, IDC_SOURCE_LIST), kMostListPreviews);
        SendMessageW(editor, WM_CLOSE, 0, 0);
    });
}

// Add all copies the previews there are and decodes none; the show list
// makes the rest as it shows them; the save loads every photo itself.
TEST_F(Previews, AddAllOfManyPhotosIsQuickAndTheSaveHoldsEachPhoto) {
    SKIP_WITHOUT_LAYER("writes sixteen hundred files; the layer's drive is quick about it");
    const int count = 1600;
    Photos(count, false);
    RunEditor("", [&](HWND editor) {
        ChooseFolder(editor);
        RunLoop([] { return false; });
        int listed = PreviewsIn(editor, IDC_SOURCE_LIST);
        ASSERT_GT(listed, 0);
        auto start = std::chrono::steady_clock::now();
        Click(editor, IDC_ADD_ALL);
        auto took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(took).count(), 500);
        std::vector<PictureEntry *> source = Entries(editor, IDC_SOURCE_LIST), show = Entries(editor, IDC_SHOW_LIST);
        ASSERT_EQ(show.size(), static_cast<size_t>(count));
        EXPECT_EQ(PreviewsIn(editor, IDC_SOURCE_LIST), listed) << "no preview made";
        for (int i = 0; i < count; i++) {
            const PictureEntry &a = *source[static_cast<size_t>(i)], &b = *show[static_cast<size_t>(i)];
            EXPECT_EQ(b.kind, KIND_FILE);
            EXPECT_STREQ(b.filePath, a.filePath);
            EXPECT_EQ(HasPreview(&b), HasPreview(&a)) << i << ": a copy of the list's preview, or none";
            if (HasPreview(&b)) EXPECT_NE(b.preview, a.preview) << "a block of its own";
        }
        // The show list is scrolled to its end: the pictures there get theirs.
        RunLoop([] { return false; });
        EXPECT_TRUE(VisibleHavePreviews(editor, IDC_SHOW_LIST));
        EXPECT_TRUE(HasPreview(Entries(editor, IDC_SHOW_LIST)[count - 1]));
        EXPECT_FALSE(HasPreview(Entries(editor, IDC_SHOW_LIST)[count / 2])) << "far from both views";

        AnswerSaveAs([&] { Menu(editor, IDM_SAVE); }, {"MANY.QMS"});
        EXPECT_FALSE(SaveEnabled(editor)) << "saved whole";
        std::vector<Bytes> records = Records("MANY.QMS");
        ASSERT_EQ(records.size(), static_cast<size_t>(count));
        for (int i = 0; i < count; i++) {
            uint32_t fullSize;
            BITMAPINFOHEADER full, preview;
            std::memcpy(&fullSize, records[static_cast<size_t>(i)].data(), 4);
            std::memcpy(&full, records[static_cast<size_t>(i)].data() + 8, sizeof full);
            std::memcpy(&preview, records[static_cast<size_t>(i)].data() + 8 + fullSize, sizeof preview);
            ASSERT_EQ(full.biWidth, WidthOf(i)) << "record " << i;
            ASSERT_EQ(preview.biWidth, WidthOf(i)) << "record " << i << "'s preview, made from its photo";
            ASSERT_EQ(preview.biHeight, 6);
        }
        SendMessageW(editor, WM_CLOSE, 0, 0);
    });
}

// More pictures than one show can hold: Add all warns once, saying how
// many fit, a further Add says nothing, and the save is refused with
// nothing written.
TEST_F(Previews, AShowTooLargeForTheFormatIsWarnedOfOnceAndNotSaved) {
    SKIP_WITHOUT_LAYER("writes fifteen hundred files; the layer's drive is quick about it");
    // Photos that fill the standard size, small files all the same.
    Bytes photo = MakeJpeg(800, 600, [](int, int) { return 0x336699u; });
    char name[32];
    for (int i = 0; i < 1500; i++) {
        std::snprintf(name, sizeof name, "w%04d.jpg", i);
        ASSERT_TRUE(WriteDosFile(Path(name), photo));
        made.push_back(name);
    }
    RunEditor("", [&](HWND editor) {
        ChooseFolder(editor);
        std::vector<ShownBox> boxes = BoxesShownDuring([&] { Click(editor, IDC_ADD_ALL); });
        ASSERT_EQ(boxes.size(), 1u);
        size_t fitting = PicturesThatFit(Entries(editor, IDC_SHOW_LIST), false);
        EXPECT_GT(fitting, 1400u);
        EXPECT_LT(fitting, 1500u);
        EXPECT_NE(boxes[0].text.find(std::to_string(fitting)), std::string::npos) << boxes[0].text;
        SelectItem(editor, IDC_SOURCE_LIST, 0);
        EXPECT_TRUE(BoxesShownDuring([&] { Click(editor, IDC_ADD); }).empty()) << "once";
        boxes = BoxesShownDuring([&] { AnswerSaveAs([&] { Menu(editor, IDM_SAVE); }, {"HUGE.QMS"}); });
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].text.find(std::to_string(fitting)), std::string::npos) << boxes[0].text;
        EXPECT_TRUE(SaveEnabled(editor)) << "still to save";
        BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDNO});
    });
    EXPECT_FALSE(SystemFileExists("HUGE.QMS"));
    EXPECT_TRUE(ShowsInShowDirectory().empty()) << "nothing written";
}

// A photo that is no picture is listed like the others; tried, it shows
// the placeholder and is not tried again.
TEST_F(Previews, AFileThatIsNoPictureShowsThePlaceholder) {
    Photos(2, false);
    ASSERT_TRUE(WriteDosFile(Path("p0000x.bmp"), Bytes{'B', 'M', 1, 2, 3}));
    made.push_back("p0000x.bmp");
    RunEditor("", [&](HWND editor) {
        ChooseFolder(editor);
        RunLoop([&] {
            std::vector<PictureEntry *> e = Entries(editor, IDC_SOURCE_LIST);
            return e.size() == 3 && e[1]->preview;
        });
        std::vector<PictureEntry *> entries = Entries(editor, IDC_SOURCE_LIST);
        ASSERT_EQ(entries.size(), 3u);
        EXPECT_TRUE(IsPlaceholder(entries[1]->preview));
        EXPECT_TRUE(HasPreview(entries[0]));
        EXPECT_TRUE(HasPreview(entries[2]));
        // Taken into the show it keeps the placeholder, shared, not a copy.
        SelectItem(editor, IDC_SOURCE_LIST, 1);
        Click(editor, IDC_ADD);
        EXPECT_TRUE(IsPlaceholder(Entries(editor, IDC_SHOW_LIST)[0]->preview));
        BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDNO});
    });
}

}  // namespace
