// Names no single code page holds, and Japanese names on a system whose code
// page is not Japanese: a show, a folder of photos and a title disc named so
// go from the editor to the manager to the screen, each name kept exactly.
// Under Wine tools/test runs them on a Japanese and on an English locale.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "disc/catalogue.h"
#include "host/host.h"
#include "player/player.h"
#include "player/settings.h"
#include "resources/resource.h"
#include "saverfile/places.h"
#include "support/boxes.h"
#include "support/configuration_fixture.h"
#include "support/folder_dialog.h"
#include "support/jpeg.h"
#include "support/png.h"
#include "support/save_dialog.h"

namespace {

const char kShow[] = "Été 写真.QMS";
const char kFolder[] = "C:\\Фото 写真";
const char kFolderName[] = "Фото 写真";
const char kCafe[] = "Café ☕.jpg";
const char kUnicode[] = "Ünïcödé.png";
const uint32_t kCafeColour = 0xD02020, kUnicodeColour = 0x2040E0;

class UnicodeNames : public ConfigurationTest {
protected:
    void SetUp() override {
        ConfigurationTest::SetUp();
        if (IsSkipped()) return;
        if (Layer::Available()) Layer::SetScreen(800, 600, 24);
    }
    void TearDown() override {
        if (!IsSkipped()) {
            for (const char *name : {kCafe, kUnicode}) DeleteDosFile(InFolder(name));
            RemoveFolder(kFolder);
        }
        ConfigurationTest::TearDown();
    }
    static std::string InFolder(const std::string &name) { return std::string(kFolder) + "\\" + name; }
    // The folder of two photos, one colour each: a JPEG 120 x 90 and a PNG 90 x 120.
    static void MakeFolderOfPhotos() {
        ASSERT_TRUE(MakeFolder(kFolder)) << "error " << GetLastError();
        ASSERT_TRUE(WriteDosFile(InFolder(kCafe), MakeJpeg(120, 90, [](int, int) { return kCafeColour; })));
        ASSERT_TRUE(WriteDosFile(InFolder(kUnicode), MakePng(90, 120, [](int, int) { return kUnicodeColour; })));
    }
    // Chooses "フォルダーを選ぶ..." and answers the chooser with the folder.
    static std::vector<FolderChooserShown> ChooseFolder(HWND editor, const std::string &answer) {
        int last = static_cast<int>(SendDlgItemMessageW(editor, IDC_CONTENTS, CB_GETCOUNT, 0, 0)) - 1;
        return AnswerFolderChoosers([&] { ChooseComboItem(editor, IDC_CONTENTS, last); }, {answer});
    }
    static std::vector<std::string> Files(HWND editor, int listId) {
        std::vector<std::string> files;
        for (PictureEntry *e : Entries(editor, listId)) files.push_back(e->filePath ? e->filePath : "(none)");
        return files;
    }
    // The show the settings name, played by the saver until its first picture is up.
    HWND PlayStoredShow() {
        ReadSettings();
        HWND saver = CreateSaverWindow(nullptr, nullptr);
        Pump();
        for (int i = 0; i < 400 && player.pictureIndex != 1; i++) RunFor(10);
        return saver;
    }
    static uint32_t At(HWND hwnd, int x, int y) {
        HDC hdc = GetDC(hwnd);
        COLORREF c = GetPixel(hdc, x, y);
        ReleaseDC(hwnd, hdc);
        return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
    }
    // Within a JPEG's loss of one colour.
    static bool Near(uint32_t a, uint32_t b) {
        for (int shift : {0, 8, 16})
            if (std::abs(static_cast<int>(a >> shift & 255) - static_cast<int>(b >> shift & 255)) > 12) return false;
        return true;
    }
    static void CloseSaver(HWND saver) {
        DestroyWindow(saver);
        Pump();
    }
    // Saved under the name typed into the save-as dialog; what boxes came up meanwhile.
    static std::vector<ShownBox> SaveAs(HWND editor, const std::string &name) {
        size_t dialogs = 0;
        std::vector<ShownBox> boxes =
            BoxesShownDuring([&] { dialogs = AnswerSaveAs([&] { Menu(editor, IDM_SAVE); }, {name}).size(); });
        EXPECT_EQ(dialogs, 1u);
        return boxes;
    }
    // Closed without saving whatever is left to save.
    static void CloseEditor(HWND editor) {
        BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDNO});
    }
};

// Composed in the editor from the disc, saved under its name, listed and
// chosen in the manager, played, and deleted from the manager again.
TEST_F(UnicodeNames, AShowNamedEteShashinIsSavedListedPlayedAndDeleted) {
    MakeDisc();
    OpenConfiguration();
    std::vector<std::string> listed;
    std::string caption;
    RunManager([&](HWND manager) {
        InNextDialog([&] { Click(manager, IDC_NEW); },
                     [&](HWND editor) {
                         Click(editor, IDC_ADD_ALL);
                         std::vector<ShownBox> boxes = SaveAs(editor, kShow);
                         EXPECT_TRUE(boxes.empty()) << boxes[0].text;
                         caption = Text(editor);
                         CloseEditor(editor);
                     });
        listed = ListTexts(manager, IDC_SHOWS);
        auto at = std::find(listed.begin(), listed.end(), kShow);
        ASSERT_NE(at, listed.end());
        SelectItem(manager, IDC_SHOWS, static_cast<int>(at - listed.begin()), true);
        EXPECT_TRUE(BoxesShownDuring([&] { SendMessageW(manager, WM_COMMAND, IDOK, 0); }).empty());
    });
    EXPECT_EQ(caption, std::string("Quillmere Saver - ") + kShow) << "the caption a save under a new name gives";
    EXPECT_EQ(listed, (std::vector<std::string>{kShow}));
    EXPECT_EQ(ShowsInShowDirectory(), (std::vector<std::string>{kShow})) << "the file's own name, as Windows lists it";
    EXPECT_EQ(Records(kShow).size(), 4u);
    EXPECT_EQ(StoredSetting("ItemName"), kShow);

    // The saver plays it: the disc's first picture, 65 x 48 in RGB(10, 0, 0), in the middle.
    HWND saver = PlayStoredShow();
    ASSERT_NE(saver, nullptr);
    EXPECT_NE(player.showFile, HFILE_ERROR) << "the show named in the settings is opened";
    EXPECT_EQ(player.pictureCount, 4);
    EXPECT_EQ(At(saver, 400, 300), 0x0A0000u) << "the first picture on the screen";
    EXPECT_EQ(At(saver, 0, 0), 0u);
    CloseSaver(saver);

    // Deleted from the manager, with its name in the question.
    std::vector<ShownBox> boxes;
    OpenConfiguration();
    RunManager([&](HWND manager) {
        SelectItem(manager, IDC_SHOWS, 0, true);
        boxes = BoxesShownDuring([&] { Click(manager, IDC_DELETE_SHOW); }, {IDYES});
        listed = ListTexts(manager, IDC_SHOWS);
        BoxesShownDuring([&] { SendMessageW(manager, WM_COMMAND, IDCANCEL, 0); });
    });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, std::string("'") + kShow + "' を削除してよろしいですか？");
    EXPECT_TRUE(listed.empty());
    EXPECT_FALSE(SystemFileExists(kShow));
}

// A folder named in Cyrillic and Japanese holding photos named in Latin
// letters with accents and a symbol: the chooser's answer becomes a content
// under the folder's own name, both photos are listed, saved and played.
TEST_F(UnicodeNames, AFolderOfPhotosNamedInUnicodeIsListedSavedAndPlayed) {
    MakeFolderOfPhotos();
    if (HasFatalFailure()) return;
    MakeDisc();
    OpenConfiguration();
    std::vector<std::string> contents, files;
    RunEditor("", [&](HWND editor) {
        std::vector<FolderChooserShown> shown = ChooseFolder(editor, kFolder);
        EXPECT_EQ(shown.size(), 1u);
        contents = ComboTexts(editor, IDC_CONTENTS);
        files = Files(editor, IDC_SOURCE_LIST);
        Click(editor, IDC_ADD_ALL);
        std::vector<ShownBox> boxes = SaveAs(editor, "PHOTOS.QMS");
        EXPECT_TRUE(boxes.empty()) << boxes[0].text;
        EXPECT_FALSE(SaveEnabled(editor)) << "saved";
        CloseEditor(editor);
    });
    EXPECT_EQ(contents, (std::vector<std::string>{"春の湖", "夏の湖", "マイ ピクチャ", kFolderName, "フォルダーを選ぶ..."}));
    EXPECT_EQ(files, (std::vector<std::string>{InFolder(kCafe), InFolder(kUnicode)}));
    std::vector<Bytes> records = Records("PHOTOS.QMS");
    ASSERT_EQ(records.size(), 2u);
    BITMAPINFOHEADER first, second;
    std::memcpy(&first, records[0].data() + 8, sizeof first);
    std::memcpy(&second, records[1].data() + 8, sizeof second);
    EXPECT_EQ(first.biWidth, 120);
    EXPECT_EQ(first.biHeight, 90);
    EXPECT_EQ(second.biWidth, 90);
    EXPECT_EQ(second.biHeight, 120);

    StoreSetting("ItemName", "PHOTOS.QMS");
    HWND saver = PlayStoredShow();
    ASSERT_NE(saver, nullptr);
    EXPECT_EQ(player.pictureCount, 2);
    uint32_t middle = At(saver, 400, 300);
    EXPECT_TRUE(Near(middle, kCafeColour)) << std::hex << middle << ": the JPEG's colour in the middle";
    EXPECT_EQ(At(saver, 0, 0), 0u);
    CloseSaver(saver);
}

// The catalogue is code page 932 on the disc whatever the system's code
// page: its title and names are read as the Japanese they are, and shown so.
TEST_F(UnicodeNames, AJapaneseTitleDiscReadsRightOnAnyCodePage) {
    discE.Catalogue(CatalogueText("冬の旅", {"雪の朝", "氷の湖"}, {"北風", "Evening"}));
    Bytes stored = ReadDosFile("E:\\QM.SD");
    ASSERT_GE(stored.size(), 6u);
    EXPECT_EQ(Bytes(stored.begin(), stored.begin() + 6), (Bytes{0x93, 0x7E, 0x82, 0xCC, 0x97, 0xB7}))
        << "the disc holds 冬の旅 in code page 932";
    ASSERT_TRUE(ScanForTitleDisc());
    EXPECT_EQ(std::string(catalogue.title), "冬の旅");
    EXPECT_EQ(std::vector<std::string>(catalogue.contentNames, catalogue.contentNames + catalogue.contentCount),
              (std::vector<std::string>{"雪の朝", "氷の湖"}));
    EXPECT_EQ(std::vector<std::string>(catalogue.trackNames, catalogue.trackNames + catalogue.trackCount),
              (std::vector<std::string>{"北風", "Evening"}));

    std::vector<std::string> contents;
    RunEditor("", [&](HWND editor) {
        contents = ComboTexts(editor, IDC_CONTENTS);
        CloseEditor(editor);
    });
    EXPECT_EQ(contents, (std::vector<std::string>{"雪の朝", "氷の湖", "マイ ピクチャ", "フォルダーを選ぶ..."}));
}

}  // namespace
