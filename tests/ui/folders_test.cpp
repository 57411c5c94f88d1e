// The user's own pictures in the editor: the Pictures folder and a folder
// the user chooses as contents of the chooser, their pictures listed by
// name, taken into the show, and saved fitted as every picture is.
#include <algorithm>
#include <cstring>

#include <shlobj.h>

#include "disc/picture.h"
#include "host/host.h"
#include "photo/folder.h"
#include "text/language.h"
#include "player/player.h"
#include "player/settings.h"
#include "saverfile/places.h"
#include "resources/resource.h"
#include "support/boxes.h"
#include "support/configuration_fixture.h"
#include "support/folder_dialog.h"
#include "support/jpeg.h"
#include "support/png.h"
#include "support/save_dialog.h"

namespace {

const char kFolder[] = "C:\\QMS-PHOTOS";
const char kTitle[] = "画像のあるフォルダーを選んでください。";

class Folders : public ConfigurationTest {
protected:
    void SetUp() override {
        ConfigurationTest::SetUp();
        if (IsSkipped()) return;
        MakeFolder(kFolder);
        // Listed by name in any case, whatever the extension's case; other files are not pictures.
        Picture("b.BMP", 60, RGB(0, 200, 0));
        Picture("A.bmp", 40, RGB(200, 0, 0));
        WriteDosFile(Path("c.Jpeg"), MakeJpeg(80, 30, PhotoPixel));
        WriteDosFile(Path("d.png"), MakePng(50, 30, [](int x, int) { return static_cast<uint32_t>(x * 5) << 8; }));
        made.insert(made.end(), {"c.Jpeg", "d.png"});
        WriteDosFile(Path("broken.bmp"), Bytes{'B', 'M', 1, 2, 3});
        WriteDosFile(Path("notes.txt"), MakeBmpFile(MakePackedDib(8, 8, 24, [](int, int) { return 0u; })));
        MakeDisc();
        OpenConfiguration();
        blocks = Layer::Available() ? Layer::LiveGlobalBlocks() : 0;
    }
    void TearDown() override {
        if (Layer::Available() && !IsSkipped()) EXPECT_EQ(Layer::LiveGlobalBlocks(), blocks);
        for (const std::string &name : made) DeleteDosFile(Path(name));
        for (const char *name : {"broken.bmp", "notes.txt"}) DeleteDosFile(Path(name));
        for (const std::string &name : subfolders) RemoveFolder(Path(name));
        RemoveFolder(kFolder);
        ConfigurationTest::TearDown();
    }
    static std::string Path(const std::string &name) { return std::string(kFolder) + "\\" + name; }
    // A picture file of width x 30 in one colour (a BMP, whatever its name says).
    void Picture(const std::string &name, int width, COLORREF c) {
        uint32_t rgb = uint32_t{GetRValue(c)} << 16 | uint32_t{GetGValue(c)} << 8 | GetBValue(c);
        WriteDosFile(Path(name), MakeBmpFile(MakePackedDib(width, 30, 24, [rgb](int, int) { return rgb; })));
        made.push_back(name);
    }
    static int Count(HWND editor, int comboId) {
        return static_cast<int>(SendDlgItemMessageW(editor, comboId, CB_GETCOUNT, 0, 0));
    }
    // Chooses "フォルダーを選ぶ..." and answers the chooser.
    static std::vector<FolderChooserShown> ChooseFolder(HWND editor, const std::string &answer) {
        return AnswerFolderChoosers([&] { ChooseComboItem(editor, IDC_CONTENTS, Count(editor, IDC_CONTENTS) - 1); },
                                    {answer});
    }
    static std::vector<std::string> Files(HWND editor, int listId) {
        std::vector<std::string> files;
        for (PictureEntry *e : Entries(editor, listId)) files.push_back(e->filePath ? e->filePath : "(none)");
        return files;
    }
    std::vector<std::string> made, subfolders;
    int blocks = 0;
};

TEST_F(Folders, AChosenFolderBecomesAContentOfItsOwn) {
    RunEditor("", [&](HWND editor) {
        std::vector<FolderChooserShown> shown = ChooseFolder(editor, kFolder);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].owner, editor);
        EXPECT_EQ(shown[0].title, kTitle);
        EXPECT_EQ(ComboTexts(editor, IDC_CONTENTS),
                  (std::vector<std::string>{"春の湖", "夏の湖", "マイ ピクチャ", "QMS-PHOTOS", "フォルダーを選ぶ..."}));
        EXPECT_EQ(SendDlgItemMessageW(editor, IDC_CONTENTS, CB_GETCURSEL, 0, 0), 3);
        // Listed by name before any is read: one that is no picture too.
        EXPECT_EQ(Files(editor, IDC_SOURCE_LIST), (std::vector<std::string>{Path("A.bmp"), Path("b.BMP"),
                                                                           Path("broken.bmp"), Path("c.Jpeg"),
                                                                           Path("d.png")}));
        std::vector<PictureEntry *> source = Entries(editor, IDC_SOURCE_LIST);
        RunLoop([&] { return source[4]->preview != nullptr; });
        for (int i = 0; i < 5; i++) {
            EXPECT_EQ(source[i]->kind, KIND_FILE);
            EXPECT_EQ(source[i]->picture, i + 1);
            ASSERT_NE(source[i]->preview, nullptr);
        }
        EXPECT_EQ(source[0]->preview->biWidth, 40);
        EXPECT_TRUE(IsPlaceholder(source[2]->preview)) << "no picture: the placeholder";
        // Previews fitted in 100 x 75: an 80 x 30 photo keeps its size.
        EXPECT_EQ(source[3]->preview->biWidth, 80);
        EXPECT_EQ(source[3]->preview->biHeight, 30);
        EXPECT_FALSE(SaveEnabled(editor)) << "a change of content is no change to the show";

        // Cancel goes back to the folder shown; the same folder again is not listed twice.
        shown = ChooseFolder(editor, "");
        EXPECT_EQ(shown.size(), 1u);
        EXPECT_EQ(SendDlgItemMessageW(editor, IDC_CONTENTS, CB_GETCURSEL, 0, 0), 3);
        EXPECT_EQ(Entries(editor, IDC_SOURCE_LIST).size(), 5u);
        ChooseComboItem(editor, IDC_CONTENTS, 1);
        EXPECT_EQ(Entries(editor, IDC_SOURCE_LIST).size(), 2u) << "the disc's second content";
        ChooseFolder(editor, kFolder);
        EXPECT_EQ(Count(editor, IDC_CONTENTS), 5);
        EXPECT_EQ(SendDlgItemMessageW(editor, IDC_CONTENTS, CB_GETCURSEL, 0, 0), 3);
        EXPECT_EQ(Entries(editor, IDC_SOURCE_LIST).size(), 5u);

        // Add and Add all take copies, with their files.
        SelectItem(editor, IDC_SOURCE_LIST, 1);
        Click(editor, IDC_ADD);
        Click(editor, IDC_ADD_ALL);
        EXPECT_EQ(Files(editor, IDC_SHOW_LIST),
                  (std::vector<std::string>{Path("b.BMP"), Path("A.bmp"), Path("b.BMP"), Path("broken.bmp"),
                                            Path("c.Jpeg"), Path("d.png")}));
        std::vector<PictureEntry *> listed = Entries(editor, IDC_SOURCE_LIST);
        for (PictureEntry *e : Entries(editor, IDC_SHOW_LIST)) {
            EXPECT_EQ(e->kind, KIND_FILE);
            for (PictureEntry *s : listed) EXPECT_NE(e->filePath, s->filePath) << "a copy of its own";
        }
        EXPECT_TRUE(SaveEnabled(editor));
        BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDNO});
    });
}

TEST_F(Folders, WithoutADiscThePicturesFolderIsShownAtOnce) {
    discE.Remove();
    ScanForTitleDisc();
    WCHAR wide[MAX_PATH] = L"";
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, wide)));
    std::string pictures = Utf8(wide);
    std::string mine = std::string(pictures) + "\\qms-test-picture.bmp";
    ASSERT_TRUE(WriteDosFile(mine, MakeBmpFile(MakePackedDib(20, 10, 24, [](int, int) { return 0x808080u; }))));
    std::vector<std::string> listed;
    RunEditor("", [&](HWND editor) {
        listed = Files(editor, IDC_SOURCE_LIST);
        SendMessageW(editor, WM_CLOSE, 0, 0);
    });
    DeleteDosFile(mine);
    EXPECT_NE(std::find(listed.begin(), listed.end(), mine), listed.end());
}

// The visible windows the editor owns, its boxes and progress windows.
std::vector<HWND> OwnedWindows(HWND owner) {
    std::vector<HWND> owned;
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) owned.push_back(w);
    return owned;
}

// A folder on a slow drive: past a moment the listing counts what it finds
// in a window of its own, which speaks of folders only, while the editor
// takes no input; the window's Cancel, clicked through its own loop, keeps
// what was found until then, in order, and the editor is usable again.
TEST_F(Folders, ALongListingCountsInItsWindowAndItsCancelKeepsWhatWasFound) {
    SKIP_WITHOUT_LAYER("a drive that is slow on cue is the layer's");
    Bytes tiny = MakeBmpFile(MakePackedDib(8, 6, 24, [](int x, int y) { return static_cast<uint32_t>(x * 40 + y); }));
    char name[40];
    for (int f = 0; f < 6; f++) {
        std::snprintf(name, sizeof name, "import %d", f);
        MakeFolder(Path(name).c_str());
        subfolders.push_back(name);
        for (int i = 0; i < 30; i++) {
            std::snprintf(name, sizeof name, "import %d\\%02d.bmp", f, i);
            ASSERT_TRUE(WriteDosFile(Path(name), tiny));
            made.push_back(name);
        }
    }
    std::vector<std::string> all = PhotoFilesIn(kFolder);
    ASSERT_EQ(all.size(), 185u);
    RunEditor("", [&](HWND editor) {
        HWND listing = nullptr;
        std::vector<std::string> shownTexts;
        bool editorTookInput = true;
        Layer::WhileFolderRead([&] {
            Layer::AdvanceClock(20);
            for (HWND w : OwnedWindows(editor)) shownTexts.push_back(Text(GetDlgItem(w, IDC_PROGRESS_TEXT)));
            if (listing || OwnedWindows(editor).empty()) return;
            listing = OwnedWindows(editor)[0];
            editorTookInput = IsWindowEnabled(editor);
            // The user's click, queued for the window's own loop.
            PostMessageW(GetDlgItem(listing, IDCANCEL), BM_CLICK, 0, 0);
        });
        ChooseFolder(editor, kFolder);
        Layer::WhileFolderRead(nullptr);
        ASSERT_TRUE(listing) << "a listing longer than a moment shows its window";
        EXPECT_FALSE(editorTookInput);
        EXPECT_TRUE(IsWindowEnabled(editor));
        EXPECT_FALSE(IsWindow(listing)) << "gone with the listing";
        ASSERT_FALSE(shownTexts.empty());
        int counted = -1;
        for (const std::string &text : shownTexts) {
            EXPECT_EQ(text.find("ＣＤ－ＲＯＭ"), std::string::npos) << text;
            size_t digit = text.find_first_of("0123456789");
            ASSERT_NE(digit, std::string::npos) << text << ": a count";
            counted = std::atoi(text.c_str() + digit);
            EXPECT_EQ(text, FormatText(counted == 1 ? IDS_PHOTO_FOUND : IDS_PHOTOS_FOUND, counted));
        }
        std::vector<std::string> files = Files(editor, IDC_SOURCE_LIST);
        EXPECT_GE(static_cast<int>(files.size()), counted) << "at least what the window counted";
        ASSERT_LT(files.size(), all.size()) << "stopped by Cancel";
        EXPECT_TRUE(std::equal(files.begin(), files.end(), all.begin())) << "the first ones, in order";
        // Usable again: the rest comes when the folder is chosen anew.
        ChooseComboItem(editor, IDC_CONTENTS, 0);
        ChooseComboItem(editor, IDC_CONTENTS, Count(editor, IDC_CONTENTS) - 2);
        EXPECT_EQ(Files(editor, IDC_SOURCE_LIST), all);
        SendMessageW(editor, WM_CLOSE, 0, 0);
    });
}

// Saved, a folder's picture is loaded again from its file, fitted; then it
// is kept like every saved picture. A file gone by then is left out, the
// user is told, and it stays in the show to save.
TEST_F(Folders, FolderPicturesAreSavedFromTheirFiles) {
    RunEditor("", [&](HWND editor) {
        ChooseFolder(editor, kFolder);
        Click(editor, IDC_ADD_ALL);
        // The file that is no picture is listed too: out of the show with it.
        ASSERT_EQ(Files(editor, IDC_SHOW_LIST)[2], Path("broken.bmp"));
        SelectItem(editor, IDC_SHOW_LIST, 2);
        Click(editor, IDC_DELETE);
        AnswerSaveAs([&] { Menu(editor, IDM_SAVE); }, {"MINE.QMS"});
        EXPECT_FALSE(SaveEnabled(editor));
        for (PictureEntry *e : Entries(editor, IDC_SHOW_LIST)) {
            EXPECT_EQ(e->kind, KIND_KEPT);
            EXPECT_EQ(e->filePath, nullptr);
        }
        std::vector<Bytes> records = Records("MINE.QMS");
        ASSERT_EQ(records.size(), 4u);
        BITMAPINFOHEADER full;
        std::memcpy(&full, records[1].data() + 8, sizeof full);
        EXPECT_EQ(full.biWidth, 60);
        EXPECT_EQ(full.biHeight, 30);
        EXPECT_EQ(full.biBitCount, 24);

        // One more picture whose file goes before the save.
        SelectItem(editor, IDC_SOURCE_LIST, 3);
        Click(editor, IDC_ADD);
        SelectItem(editor, IDC_SOURCE_LIST, 0);
        Click(editor, IDC_ADD);
        DeleteDosFile(Path("c.Jpeg"));
        std::vector<ShownBox> boxes = BoxesShownDuring([&] { Menu(editor, IDM_SAVE); });
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text.find("1 枚の画像のファイルが見つからないため、保存できませんでした。"), 0u) << boxes[0].text;
        EXPECT_EQ(Records("MINE.QMS").size(), 5u);
        EXPECT_TRUE(SaveEnabled(editor)) << "the picture left out is still to save";
        std::vector<PictureEntry *> show = Entries(editor, IDC_SHOW_LIST);
        ASSERT_EQ(show.size(), 6u);
        EXPECT_EQ(show[4]->kind, KIND_FILE);
        EXPECT_EQ(show[5]->kind, KIND_KEPT);
        BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDNO});
    });
}

// In 256 colours the full-screen picture and the preview of a folder's
// picture are both stored with a palette: the preview mode draws the
// record's preview.
TEST_F(Folders, In256ColoursBothBlocksHaveAPalette) {
    StoreSetting("Use8bit", "1");
    ReadSettings();
    RunEditor("", [&](HWND editor) {
        ChooseFolder(editor, kFolder);
        SelectItem(editor, IDC_SOURCE_LIST, 0);
        Click(editor, IDC_ADD);
        AnswerSaveAs([&] { Menu(editor, IDM_SAVE); }, {"MINE8.QMS"});
        std::vector<Bytes> records = Records("MINE8.QMS");
        ASSERT_EQ(records.size(), 1u);
        uint32_t fullSize;
        std::memcpy(&fullSize, records[0].data(), 4);
        BITMAPINFOHEADER full, preview;
        std::memcpy(&full, records[0].data() + 8, sizeof full);
        std::memcpy(&preview, records[0].data() + 8 + fullSize, sizeof preview);
        EXPECT_EQ(full.biBitCount, 8);
        EXPECT_EQ(full.biClrUsed, 256u);
        EXPECT_EQ(preview.biBitCount, 8);
        EXPECT_EQ(Entries(editor, IDC_SHOW_LIST)[0]->preview->biBitCount, 8) << "the list shows what was saved";
        SendMessageW(editor, WM_CLOSE, 0, 0);
    });
}

// Two thousand pictures in a folder: all listed, the last one reached and
// added like the first.
TEST_F(Folders, AFolderOfTwoThousandPicturesStaysUsable) {
    SKIP_WITHOUT_LAYER("writes two thousand files; the layer's drive is quick about it");
    Bytes tiny = MakeBmpFile(MakePackedDib(8, 6, 24, [](int x, int y) { return static_cast<uint32_t>(x * 40 + y); }));
    char name[32];
    for (int i = 0; i < 2000; i++) {
        std::snprintf(name, sizeof name, "many%04d.bmp", i);
        WriteDosFile(Path(name), tiny);
        made.push_back(name);
    }
    RunEditor("", [&](HWND editor) {
        ChooseFolder(editor, kFolder);
        ASSERT_EQ(Entries(editor, IDC_SOURCE_LIST).size(), 2005u);
        SelectItem(editor, IDC_SOURCE_LIST, 2004);
        Click(editor, IDC_ADD);
        Click(editor, IDC_ADD_ALL);
        std::vector<std::string> files = Files(editor, IDC_SHOW_LIST);
        ASSERT_EQ(files.size(), 2006u);
        EXPECT_EQ(files[0], Path("many1999.bmp"));
        EXPECT_EQ(files[1], Path("A.bmp"));
        EXPECT_EQ(files[2005], Path("many1999.bmp"));
        BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDNO});
    });
}

// Without a title disc, New still composes a show: from a folder of one's
// own, saved and listed in the manager like any other.
TEST_F(Folders, WithoutADiscNewMakesAShowFromAFolder) {
    discE.Remove();
    std::vector<std::string> listed;
    RunManager([&](HWND manager) {
        InNextDialog([&] { Click(manager, IDC_NEW); },
                     [&](HWND editor) {
                         ChooseFolder(editor, kFolder);
                         Click(editor, IDC_ADD_ALL);
                         BoxesShownDuring(
                             [&] { AnswerSaveAs([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {"OWN.QMS"}); },
                             {IDYES});
                     });
        listed = ListTexts(manager, IDC_SHOWS);
    });
    EXPECT_EQ(listed, (std::vector<std::string>{"OWN.QMS"}));
    EXPECT_EQ(Records("OWN.QMS").size(), 4u);
}

// What a standard account does, which may not write the Windows folders:
// a show composed from the Pictures folder through New, saved, chosen at
// Close, and played. Under Wine tools/test runs it as such a user.
TEST_F(Folders, AStandardAccountComposesFromPicturesSavesAndPlaysTheShow) {
    if (OnWindows95Family()) GTEST_SKIP() << "the 95 family has no standard accounts";
    if (Layer::Available()) Layer::ProtectFolder("C:\\WINDOWS");
    discE.Remove();
    ScanForTitleDisc();
    WCHAR wide[MAX_PATH] = L"";
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, wide)));
    std::string pictures = Utf8(wide);
    std::vector<std::string> mine;
    for (const char *name : {"\\qms-account-1.jpg", "\\qms-account-2.jpg"}) {
        mine.push_back(std::string(pictures) + name);
        ASSERT_TRUE(WriteDosFile(mine.back(), MakeJpeg(160, 120, PhotoPixel)));
    }
    std::vector<ShownBox> boxes;
    RunManager([&](HWND manager) {
        InNextDialog([&] { Click(manager, IDC_NEW); },
                     [&](HWND editor) {
                         Click(editor, IDC_ADD_ALL);
                         boxes = BoxesShownDuring(
                             [&] { AnswerSaveAs([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {"ACCOUNT.QMS"}); },
                             {IDYES});
                     });
        std::vector<std::string> listed = ListTexts(manager, IDC_SHOWS);
        auto at = std::find(listed.begin(), listed.end(), "ACCOUNT.QMS");
        ASSERT_NE(at, listed.end());
        SelectItem(manager, IDC_SHOWS, static_cast<int>(at - listed.begin()), true);
        std::vector<ShownBox> closing = BoxesShownDuring([&] { SendMessageW(manager, WM_COMMAND, IDOK, 0); });
        EXPECT_TRUE(closing.empty()) << "the setting is written";
    });
    for (const std::string &path : mine) DeleteDosFile(path);
    ASSERT_EQ(boxes.size(), 1u) << "only the question whether to save";
    std::string folder = ShowFolder();
    EXPECT_EQ(folder.find(SystemDirectory()), std::string::npos) << folder;
    EXPECT_GE(Records("ACCOUNT.QMS").size(), 2u);
    EXPECT_EQ(StoredSetting("ItemName"), "ACCOUNT.QMS");
    // The saver plays it.
    ReadSettings();
    HWND saver = CreateSaverWindow(nullptr, nullptr);
    ASSERT_NE(saver, nullptr);
    EXPECT_NE(player.showFile, HFILE_ERROR);
    EXPECT_GE(player.pictureCount, 2);
    DestroyWindow(saver);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace
