// The show editor, used as a user uses it: opening on the disc, taking
// pictures into the show and ordering them, the options, sizing, the
// previews on the screen, saving and the close prompt.
#include <cstring>

#include "disc/picture.h"
#include "player/settings.h"
#include "resources/resource.h"
#include "saverfile/format.h"
#include "support/boxes.h"
#include "support/configuration_fixture.h"
#include "support/save_dialog.h"
#include "ui/editor.h"

namespace {

class Editor : public ConfigurationTest {
protected:
    void SetUp() override {
        ConfigurationTest::SetUp();
        if (IsSkipped()) return;
        MakeDisc();
        OpenConfiguration();
        blocks = Layer::Available() ? Layer::LiveGlobalBlocks() : 0;
    }
    void TearDown() override {
        // Every entry and every preview of its own went with the editor.
        if (Layer::Available() && !IsSkipped()) EXPECT_EQ(Layer::LiveGlobalBlocks(), blocks);
        ConfigurationTest::TearDown();
    }
    static std::vector<int> Pictures(HWND editor) {
        std::vector<int> pictures;
        for (PictureEntry *e : Entries(editor, IDC_SHOW_LIST)) pictures.push_back(e->content * 10 + e->picture);
        return pictures;
    }
    static int Selected(HWND editor, int listId) {
        return static_cast<int>(SendDlgItemMessageW(editor, listId, LB_GETCURSEL, 0, 0));
    }
    // A show of three records, each picture a field of 10 * its number in red.
    void WriteShow(const char *name) {
        std::vector<ShowRecord> records;
        for (int i = 1; i <= 3; i++) {
            auto red = [i](int, int) { return static_cast<uint32_t>(10 * i) << 16; };
            records.push_back({MakePackedDib(40 + i, 30, 24, red), MakePackedDib(100, 75, 24, red)});
        }
        WriteSystemFile(name, MakeShow(records));
    }
    static std::string Setting(const char *key) {
        return StoredSetting(key);
    }
    int blocks = 0;
};

TEST_F(Editor, OpensANewShowOnTheFirstContentOfTheDisc) {
    StoreSetting("UseLSize", "1");
    StoreSetting("Use8bit", "1");
    ReadSettings();
    std::vector<ShownBox> boxes;
    INT_PTR result = RunEditor("", [&](HWND editor) {
        EXPECT_EQ(Text(editor), "QM Custom Saver - Untitled");
        EXPECT_EQ(Text(GetDlgItem(editor, IDC_TITLE)), "湖の四季");
        EXPECT_EQ(ComboTexts(editor, IDC_CONTENTS),
                  (std::vector<std::string>{"春の湖", "夏の湖", "マイ ピクチャ", "フォルダーを選ぶ..."}));
        EXPECT_EQ(SendDlgItemMessageW(editor, IDC_CONTENTS, CB_GETCURSEL, 0, 0), 0);
        std::vector<PictureEntry *> source = Entries(editor, IDC_SOURCE_LIST);
        ASSERT_EQ(source.size(), 4u);
        for (int i = 0; i < 4; i++) EXPECT_EQ(source[i]->picture, i + 1);
        EXPECT_FALSE(IsPlaceholder(source[2]->preview));
        EXPECT_TRUE(IsPlaceholder(source[3]->preview)) << "the picture without preview";
        EXPECT_TRUE(Entries(editor, IDC_SHOW_LIST).empty());
        EXPECT_FALSE(SaveEnabled(editor));
        EXPECT_EQ(SendDlgItemMessageW(editor, IDC_USE_LARGE, BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_FALSE(MenuState(editor, IDM_MATCH_DISPLAY) & MF_CHECKED);
        EXPECT_TRUE(MenuState(editor, IDM_ALWAYS_256) & MF_CHECKED);
        // As tall as the desktop allows, from near its top.
        RECT window, desktop;
        GetWindowRect(editor, &window);
        GetWindowRect(GetDesktopWindow(), &desktop);
        EXPECT_EQ(window.top, 10);
        EXPECT_EQ(window.bottom - window.top, desktop.bottom - desktop.top - 50);
        EXPECT_TRUE(IsWindowVisible(editor));
        // Unchanged: closing asks nothing.
        boxes = BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); });
        EXPECT_FALSE(StillOpen(editor));
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Editor, WithoutADiscTheChooserOffersTheUsersFolders) {
    discE.Remove();
    ScanForTitleDisc();
    RunEditor("", [&](HWND editor) {
        EXPECT_EQ(Text(GetDlgItem(editor, IDC_TITLE)), "");
        EXPECT_EQ(ComboTexts(editor, IDC_CONTENTS), (std::vector<std::string>{"マイ ピクチャ", "フォルダーを選ぶ..."}));
        EXPECT_EQ(SendDlgItemMessageW(editor, IDC_CONTENTS, CB_GETCURSEL, 0, 0), 0);
        // The layer's Pictures folder starts empty; a user's may not.
        if (!Layer::Available()) return;
        EXPECT_TRUE(Entries(editor, IDC_SOURCE_LIST).empty());
        int beeps = Beeps();
        Click(editor, IDC_ADD);
        EXPECT_TRUE(Entries(editor, IDC_SHOW_LIST).empty());
        EXPECT_FALSE(SaveEnabled(editor));
        if (Layer::Available()) EXPECT_EQ(Beeps(), beeps + 1);
    });
}

TEST_F(Editor, AddDoubleClickAndAddAllAppendCopiesInSourceOrder) {
    RunEditor("", [&](HWND editor) {
        SelectItem(editor, IDC_SOURCE_LIST, 2);
        Click(editor, IDC_ADD);
        DoubleClickItem(editor, IDC_SOURCE_LIST, 0);
        EXPECT_EQ(Pictures(editor), (std::vector<int>{13, 11}));
        EXPECT_TRUE(SaveEnabled(editor));
        // A copy of the preview, not the source's block.
        PictureEntry *first = Entries(editor, IDC_SHOW_LIST)[0];
        EXPECT_NE(first->preview, Entries(editor, IDC_SOURCE_LIST)[2]->preview);
        EXPECT_EQ(first->kind, KIND_DISC);

        // Another content: the source side changes, the show stays.
        ChooseComboItem(editor, IDC_CONTENTS, 1);
        ASSERT_EQ(Entries(editor, IDC_SOURCE_LIST).size(), 2u);
        EXPECT_EQ(Pictures(editor), (std::vector<int>{13, 11}));
        Click(editor, IDC_ADD_ALL);
        ChooseComboItem(editor, IDC_CONTENTS, 0);
        Click(editor, IDC_ADD_ALL);
        EXPECT_EQ(Pictures(editor), (std::vector<int>{13, 11, 21, 22, 11, 12, 13, 14}));
        std::vector<PictureEntry *> show = Entries(editor, IDC_SHOW_LIST);
        EXPECT_TRUE(IsPlaceholder(show[7]->preview)) << "the placeholder is shared, not copied";
        auto colourOf = [](const PictureEntry *e) {
            const BYTE *p = reinterpret_cast<const BYTE *>(e->preview) + e->preview->biSize;
            return RGB(p[2], p[1], p[0]);
        };
        EXPECT_EQ(colourOf(show[0]), PreviewColour(1, 3));
        EXPECT_EQ(colourOf(show[3]), PreviewColour(2, 2));
        // The last one added is in view.
        HWND list = GetDlgItem(editor, IDC_SHOW_LIST);
        RECT client, last;
        GetClientRect(list, &client);
        SendMessageW(list, LB_GETITEMRECT, 7, reinterpret_cast<LPARAM>(&last));
        EXPECT_GE(last.top, 0);
        EXPECT_LE(last.bottom, client.bottom);

        BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDNO});
    });
}

TEST_F(Editor, UpDownAndDeleteMoveAndRemoveTheSelectedPicture) {
    RunEditor("", [&](HWND editor) {
        Click(editor, IDC_ADD_ALL);
        int beeps = Beeps();
        Click(editor, IDC_UP);  // nothing selected
        SelectItem(editor, IDC_SHOW_LIST, 0);
        Click(editor, IDC_UP);
        SelectItem(editor, IDC_SHOW_LIST, 3);
        Click(editor, IDC_DOWN);
        EXPECT_EQ(Pictures(editor), (std::vector<int>{11, 12, 13, 14}));
        if (Layer::Available()) EXPECT_EQ(Beeps(), beeps + 3);

        SelectItem(editor, IDC_SHOW_LIST, 2);
        Click(editor, IDC_UP);
        EXPECT_EQ(Pictures(editor), (std::vector<int>{11, 13, 12, 14}));
        EXPECT_EQ(Selected(editor, IDC_SHOW_LIST), 1);
        Click(editor, IDC_DOWN);
        EXPECT_EQ(Pictures(editor), (std::vector<int>{11, 12, 13, 14}));
        EXPECT_EQ(Selected(editor, IDC_SHOW_LIST), 2);

        Click(editor, IDC_DELETE);
        EXPECT_EQ(Pictures(editor), (std::vector<int>{11, 12, 14}));
        EXPECT_EQ(Selected(editor, IDC_SHOW_LIST), LB_ERR);
        beeps = Beeps();
        Click(editor, IDC_DELETE);
        EXPECT_EQ(Pictures(editor).size(), 3u);
        if (Layer::Available()) EXPECT_EQ(Beeps(), beeps + 1);
        EXPECT_TRUE(SaveEnabled(editor));
        BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDNO});
    });
}

TEST_F(Editor, OptionsAreWrittenAtOnceAndAreNoChangeToTheShow) {
    RunEditor("", [&](HWND editor) {
        Click(editor, IDC_USE_LARGE);
        EXPECT_EQ(Setting("UseLSize"), "1");
        EXPECT_EQ(settings.useLargeSize, 1);
        Click(editor, IDC_USE_LARGE);
        EXPECT_EQ(Setting("UseLSize"), "0");
        Menu(editor, IDM_ALWAYS_256);
        EXPECT_EQ(Setting("Use8bit"), "1");
        EXPECT_TRUE(MenuState(editor, IDM_ALWAYS_256) & MF_CHECKED);
        EXPECT_FALSE(MenuState(editor, IDM_MATCH_DISPLAY) & MF_CHECKED);
        Menu(editor, IDM_MATCH_DISPLAY);
        EXPECT_EQ(Setting("Use8bit"), "0");
        EXPECT_EQ(settings.use8bit, 0);
        EXPECT_TRUE(MenuState(editor, IDM_MATCH_DISPLAY) & MF_CHECKED);
        ChooseComboItem(editor, IDC_CONTENTS, 1);
        EXPECT_FALSE(SaveEnabled(editor));
    });
}

TEST_F(Editor, OnlyTheHeightChangesAndTheListsFollowTheBottom) {
    RunEditor("", [&](HWND editor) {
        auto size = [editor](int width, int height) {
            SetWindowPos(editor, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            RECT r;
            GetWindowRect(editor, &r);
            return SIZE{r.right - r.left, r.bottom - r.top};
        };
        auto listsEndNineAboveTheBottom = [editor] {
            RECT client;
            GetClientRect(editor, &client);
            for (int id : {IDC_SOURCE_LIST, IDC_SHOW_LIST}) {
                RECT r;
                GetWindowRect(GetDlgItem(editor, id), &r);
                MapWindowPoints(nullptr, editor, reinterpret_cast<POINT *>(&r), 2);
                EXPECT_EQ(r.bottom, client.bottom - 9) << "list " << id;
            }
        };
        RECT start;
        GetWindowRect(editor, &start);
        int width = start.right - start.left;
        SIZE smallest = size(width + 80, 40);
        EXPECT_EQ(smallest.cx, width);
        EXPECT_EQ(smallest.cy, TemplateHeight()) << "never below the template's height";
        EXPECT_GT(smallest.cy, 300);
        listsEndNineAboveTheBottom();
        SIZE taller = size(width - 80, smallest.cy + 100);
        EXPECT_EQ(taller.cx, width);
        EXPECT_EQ(taller.cy, smallest.cy + 100);
        listsEndNineAboveTheBottom();
    });
}

TEST_F(Editor, PreviewsAreDrawnSmallerInTheMiddleOfTheirItems) {
    RunEditor("", [&](HWND editor) {
        HWND list = GetDlgItem(editor, IDC_SOURCE_LIST);
        SelectItem(editor, IDC_SOURCE_LIST, 1);
        UpdateWindow(editor);
        RECT item;
        SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
        // A 100 x 75 preview goes 86 x 56 at ((R - 93) / 2 + 7, T + 7).
        int x = (item.right - 93) / 2 + 7, y = item.top + 7;
        COLORREF colour = PreviewColour(1, 1);
        HDC dc = GetDC(list);
        EXPECT_EQ(GetPixel(dc, x, y), colour);
        EXPECT_EQ(GetPixel(dc, x + 85, y + 55), colour);
        for (POINT outside : {POINT{x - 1, y + 20}, POINT{x + 86, y + 20}, POINT{x + 20, y - 1}, POINT{x + 20, y + 56}})
            EXPECT_NE(GetPixel(dc, outside.x, outside.y), colour) << outside.x << "," << outside.y;
        // The selected item (the second) is framed in black 3 pixels in; the first is not.
        RECT second;
        SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
        EXPECT_EQ(GetPixel(dc, second.left + 3, second.top + 30), RGB(0, 0, 0));
        EXPECT_EQ(GetPixel(dc, item.left + 3, item.top + 30), GetSysColor(COLOR_WINDOW));
        ReleaseDC(list, dc);
    });
}

TEST_F(Editor, AnExistingShowOpensWithItsPicturesAndSavesInTheNewOrder) {
    WriteShow("OLD.QMS");
    MakeFolder((ShowDirectory() + "\\SOUND").c_str());
    WriteSystemFile("SOUND\\OLD", MakeWav(200));
    Bytes music = ReadDosFile(ShowDirectory() + "\\SOUND\\OLD");
    std::vector<Bytes> before = Records("OLD.QMS");
    ASSERT_EQ(before.size(), 3u);
    std::vector<ShownBox> boxes;
    INT_PTR result = RunEditor("OLD.QMS", [&](HWND editor) {
        EXPECT_EQ(Text(editor), "QM Custom Saver - OLD.QMS");
        std::vector<PictureEntry *> show = Entries(editor, IDC_SHOW_LIST);
        ASSERT_EQ(show.size(), 3u);
        for (int i = 0; i < 3; i++) {
            EXPECT_EQ(show[i]->kind, KIND_KEPT);
            EXPECT_EQ(show[i]->filePosition, i + 1);
        }
        EXPECT_FALSE(SaveEnabled(editor));
        SelectItem(editor, IDC_SHOW_LIST, 0);
        Click(editor, IDC_DOWN);
        boxes = BoxesShownDuring([&] { Menu(editor, IDM_SAVE); });
        EXPECT_FALSE(SaveEnabled(editor));
        EXPECT_EQ(Text(editor), "QM Custom Saver - OLD.QMS");
        // Saved once more after another change, from the file as the first
        // save left it: the first picture, now second and selected, goes.
        Click(editor, IDC_DELETE);
        Menu(editor, IDM_SAVE);
        SendMessageW(editor, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Records("OLD.QMS"), (std::vector<Bytes>{before[1], before[2]}));
    EXPECT_EQ(ReadDosFile(ShowDirectory() + "\\SOUND\\OLD"), music) << "no music chosen: its file stays";
}

TEST_F(Editor, ClosingWithChangesAsksWhetherToSave) {
    WriteShow("OLD.QMS");
    std::vector<Bytes> before = Records("OLD.QMS");
    // No: ends without writing.
    std::vector<ShownBox> boxes;
    INT_PTR result = RunEditor("OLD.QMS", [&](HWND editor) {
        SelectItem(editor, IDC_SHOW_LIST, 0);
        Click(editor, IDC_DELETE);
        boxes = BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDNO});
        EXPECT_FALSE(StillOpen(editor));
    });
    EXPECT_EQ(result, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "'OLD.QMS' への変更を保存しますか？");
    EXPECT_EQ(boxes[0].caption, "Quillmere Saver");
    EXPECT_EQ(Records("OLD.QMS"), before);
    EXPECT_EQ(editorName, "") << "No forgets the show's name";

    // Cancel keeps the editor; Yes saves under the show's name and ends with 1.
    result = RunEditor("OLD.QMS", [&](HWND editor) {
        SelectItem(editor, IDC_SHOW_LIST, 0);
        Click(editor, IDC_DELETE);
        BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDCANCEL});
        EXPECT_TRUE(StillOpen(editor));
        EXPECT_TRUE(SaveEnabled(editor));
        BoxesShownDuring([&] { Menu(editor, IDM_CLOSE); }, {IDYES});
        EXPECT_FALSE(StillOpen(editor));
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Records("OLD.QMS"), (std::vector<Bytes>{before[1], before[2]}));
}

TEST_F(Editor, ANewShowIsSavedUnderTheChosenNameInTheSystemDirectory) {
    const std::string elsewhere = "C:\\QMSAVER-ELSEWHERE";
    MakeFolder(elsewhere.c_str());
    std::vector<SaveAsShown> cancelled, chosen;
    std::string caption;
    RunEditor("", [&](HWND editor) {
        Click(editor, IDC_ADD_ALL);
        InNextDialog([&] { Click(editor, IDC_CHOOSE_MUSIC); },
                     [](HWND music) {
                         SendDlgItemMessageW(music, IDC_TRACKS, CB_SETCURSEL, 1, 0);
                         Click(music, IDOK);
                     });
        cancelled = AnswerSaveAs([&] { Menu(editor, IDM_SAVE); }, {""});
        EXPECT_TRUE(SaveEnabled(editor)) << "a cancelled save leaves the changes to save";
        EXPECT_TRUE(ShowsInShowDirectory().empty());
        // The user browses to another folder: the show still goes beside the others.
        chosen = AnswerSaveAs([&] { Menu(editor, IDM_SAVE); }, {elsewhere + "\\Trip"});
        caption = Text(editor);
        EXPECT_FALSE(SaveEnabled(editor));
        // Saved once: the next save goes under that name without asking.
        SelectItem(editor, IDC_SHOW_LIST, 0);
        Click(editor, IDC_DELETE);
        EXPECT_TRUE(AnswerSaveAs([&] { Menu(editor, IDM_SAVE); }, {}).empty());
    });
    ASSERT_EQ(cancelled.size(), 1u);
    EXPECT_EQ(cancelled[0].offered, "*.QMS");
    EXPECT_EQ(chosen.size(), 1u);
    // The dialog adds the extension (in the case the system likes).
    std::vector<std::string> shows = ShowsInShowDirectory();
    ASSERT_EQ(shows.size(), 1u);
    EXPECT_TRUE(SameName(shows[0], "Trip.QMS")) << shows[0];
    EXPECT_EQ(caption, "Quillmere Saver - " + shows[0]);
    EXPECT_EQ(Records(shows[0]).size(), 3u);
    EXPECT_EQ(FileAttributes((elsewhere + "\\Trip.QMS").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadDosFile(ShowDirectory() + "\\SOUND\\Trip"), tracks[2]);
    RemoveFolder(elsewhere.c_str());
}

TEST_F(Editor, ANameTheSaverCouldNotOpenOrAShowOfThatNameElsewhereIsNotTakenSilently) {
    WriteShow("OLD.QMS");
    Bytes old = ReadDosFile(ShowDirectory() + "\\OLD.QMS");
    const std::string elsewhere = "C:\\QMSAVER-ELSEWHERE";
    MakeFolder(elsewhere.c_str());
    std::vector<ShownBox> refused, replaced;
    RunEditor("", [&](HWND editor) {
        Click(editor, IDC_ADD_ALL);
        // A name longer than a show's name may be.
        refused = BoxesShownDuring([&] { AnswerSaveAs([&] { Menu(editor, IDM_SAVE); }, {std::string(130, 'N')}); });
        EXPECT_TRUE(SaveEnabled(editor));
        // OLD.QMS is not in the folder browsed to, but is where the show goes.
        replaced = BoxesShownDuring([&] { AnswerSaveAs([&] { Menu(editor, IDM_SAVE); }, {elsewhere + "\\OLD.QMS"}); },
                                    {IDNO});
        EXPECT_TRUE(SaveEnabled(editor));
        EXPECT_EQ(ReadDosFile(ShowDirectory() + "\\OLD.QMS"), old);
        BoxesShownDuring([&] { AnswerSaveAs([&] { Menu(editor, IDM_SAVE); }, {elsewhere + "\\OLD.QMS"}); }, {IDYES});
        EXPECT_FALSE(SaveEnabled(editor));
    });
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_NE(refused[0].text.find("長すぎる"), std::string::npos) << refused[0].text;
    ASSERT_EQ(replaced.size(), 1u);
    EXPECT_EQ(replaced[0].text, "'OLD.QMS' は既に存在します。\r\n上書きしますか？");
    EXPECT_EQ(Records("OLD.QMS").size(), 4u);
    EXPECT_EQ(ShowsInShowDirectory(), std::vector<std::string>{"OLD.QMS"});
    RemoveFolder(elsewhere.c_str());
}

TEST_F(Editor, ClosingANewShowWithChangesSavesItUnderANameOrStays) {
    std::vector<ShownBox> boxes;
    INT_PTR result = RunEditor("", [&](HWND editor) {
        Click(editor, IDC_ADD_ALL);
        // Yes, then Cancel in the save-as dialog: the editor stays with its changes.
        boxes = BoxesShownDuring([&] { AnswerSaveAs([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {""}); }, {IDYES});
        EXPECT_TRUE(StillOpen(editor));
        EXPECT_TRUE(SaveEnabled(editor));
        BoxesShownDuring([&] { AnswerSaveAs([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {"SPRING"}); }, {IDYES});
        EXPECT_FALSE(StillOpen(editor));
    });
    EXPECT_EQ(result, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "'Untitled' への変更を保存しますか？");
    EXPECT_EQ(Records("SPRING.QMS").size(), 4u);
}

TEST_F(Editor, AFailedSaveKeepsTheOldShowAndTheChangesToSave) {
    WriteShow("OLD.QMS");
    Bytes before = ReadDosFile(ShowDirectory() + "\\OLD.QMS");
    // A folder where the save writes its new version makes every save fail.
    std::string blocker = ShowDirectory() + "\\QMSAVER.TMP";
    RunEditor("OLD.QMS", [&](HWND editor) {
        SelectItem(editor, IDC_SHOW_LIST, 2);
        Click(editor, IDC_UP);
        ASSERT_TRUE(MakeFolder(blocker.c_str()));
        std::vector<ShownBox> boxes = BoxesShownDuring([&] { Menu(editor, IDM_SAVE); });
        EXPECT_EQ(boxes.size(), 1u) << "the failure is reported";
        EXPECT_TRUE(SaveEnabled(editor));
        // Closing still asks; Yes tries again and fails again.
        boxes = BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDCANCEL});
        EXPECT_EQ(boxes.size(), 1u);
        boxes = BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDYES});
        EXPECT_EQ(boxes.size(), 2u) << "the question and the failure";
        EXPECT_TRUE(StillOpen(editor)) << "a failed save does not end the editor";
        EXPECT_EQ(ReadDosFile(ShowDirectory() + "\\OLD.QMS"), before);
        // With the disk mended, Yes saves and ends the editor.
        RemoveFolder(blocker.c_str());
        BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDYES});
        EXPECT_FALSE(StillOpen(editor));
    });
    RemoveFolder(blocker.c_str());
    EXPECT_NE(ReadDosFile(ShowDirectory() + "\\OLD.QMS"), before);
}

TEST_F(Editor, WhileAJpegErrorOfASaveIsUpTheEditorTakesNoCommandAndStaysOpen) {
    WriteShow("OLD.QMS");
    Bytes before = ReadDosFile(ShowDirectory() + "\\OLD.QMS");
    // The first photo of the second content breaks off after its first marker.
    discE.Picture(4, 2, 1, Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F'});
    RunEditor("OLD.QMS", [&](HWND editor) {
        ChooseComboItem(editor, IDC_CONTENTS, 1);
        SelectItem(editor, IDC_SOURCE_LIST, 0);
        Click(editor, IDC_ADD);
        // Under the first box the user chooses Save again and closes the editor.
        bool acted = false;
        std::vector<ShownBox> boxes = BoxesShownDuring([&] { Menu(editor, IDM_SAVE); }, {}, [&] {
            if (acted) return;
            acted = true;
            Menu(editor, IDM_SAVE);
            SendMessageW(editor, WM_CLOSE, 0, 0);
        });
        ASSERT_TRUE(acted);
        EXPECT_EQ(boxes.front().caption.rfind("JPEG", 0), 0u) << "the library's box comes first";
        EXPECT_EQ(boxes.back().text.find("'OLD.QMS' を保存できませんでした"), 0u) << boxes.back().text;
        int failures = 0;
        for (const ShownBox &box : boxes) failures += box.text.find("保存できませんでした") != std::string::npos;
        EXPECT_EQ(failures, 1) << "one save ran";
        EXPECT_TRUE(StillOpen(editor));
        EXPECT_TRUE(SaveEnabled(editor)) << "the changes are still to save";
        EXPECT_EQ(ReadDosFile(ShowDirectory() + "\\OLD.QMS"), before);
        BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDNO});
    });
}

TEST_F(Editor, ADamagedShowOpensWithThePicturesBeforeTheDamageAndSaysWhere) {
    WriteShow("OLD.QMS");
    Bytes show = ReadDosFile(ShowDirectory() + "\\OLD.QMS");
    WriteSystemFile("OLD.QMS", Bytes(show.begin(), show.end() - 9));
    std::vector<ShownBox> boxes;
    size_t listed = 0;
    HWND opened = nullptr;
    boxes = BoxesShownDuring([&] {
        RunEditor("OLD.QMS", [&](HWND editor) {
            opened = editor;
            listed = Entries(editor, IDC_SHOW_LIST).size();
            SendMessageW(editor, WM_CLOSE, 0, 0);
        });
    });
    EXPECT_EQ(listed, 2u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "画像データファイルを読み込み中にエラーが発生しました。\r\n"
              "ファイルが壊れている可能性がありますので、作成し直すことをお勧めします。(7,3)");
    EXPECT_EQ(boxes[0].caption, "Quillmere Saver");
    EXPECT_EQ(boxes[0].owner, opened);
}

// The disc out of the drive at save time: what can be saved is, the user
// hears how many pictures could not be, and they stay in the show with the
// changes still to save, so that closing asks and the disc can go back in.
TEST_F(Editor, PicturesTheDiscWasOutForStayInTheShowToSave) {
    WriteShow("OLD.QMS");
    Bytes disc = ReadDosFile("E:\\QM.SD");
    RunEditor("OLD.QMS", [&](HWND editor) {
        SelectItem(editor, IDC_SOURCE_LIST, 1);
        Click(editor, IDC_ADD);
        Click(editor, IDC_ADD);
        DeleteDosFile("E:\\QM.SD");
        std::vector<ShownBox> boxes = BoxesShownDuring([&] { Menu(editor, IDM_SAVE); });
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "Quillmere Saver");
        EXPECT_EQ(boxes[0].text.find("タイトルディスクがドライブに入っていないため、2 枚の画像を保存できませんでした。"), 0u)
            << boxes[0].text;
        EXPECT_EQ(Records("OLD.QMS").size(), 3u) << "the kept pictures are saved";
        EXPECT_EQ(Pictures(editor).size(), 5u) << "the pictures left out stay in the show";
        EXPECT_TRUE(SaveEnabled(editor));
        boxes = BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDCANCEL});
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "'OLD.QMS' への変更を保存しますか？");
        // The disc back in: Yes saves them all and ends the editor.
        WriteDosFile("E:\\QM.SD", disc);
        boxes = BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDYES});
        EXPECT_EQ(boxes.size(), 1u);
        EXPECT_FALSE(StillOpen(editor));
    });
    std::vector<Bytes> records = Records("OLD.QMS");
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[3], records[4]) << "the same picture twice";
}

}  // namespace
