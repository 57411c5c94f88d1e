// The configuration dialog, used as a user uses it: the shows of the system
// directory listed and the one to play selected, Edit and Delete with
// nothing selected, deleting a show with its music, Close storing the
// choice, and the list made again after the editor.
#include "player/settings.h"
#include "resources/resource.h"
#include "support/boxes.h"
#include "support/configuration_fixture.h"
#include "platform/testing/layer.h"
#include "ui/editor.h"

namespace {

class Manager : public ConfigurationTest {
protected:
    void Show(const std::string &name) {
        WriteSystemFile(name, MakeShow({{MakePackedDib(8, 6, 24, [](int, int) { return 0x123456u; }), {}}}));
    }
    void Music(const std::string &name) {
        MakeFolder((ShowDirectory() + "\\SOUND").c_str());
        WriteSystemFile("SOUND\\" + name, MakeWav(100));
    }
    static std::string Selection(HWND manager) {
        LRESULT s = SendDlgItemMessageW(manager, IDC_SHOWS, LB_GETCURSEL, 0, 0);
        if (s < 0) return "(none)";
        return ListItemText(GetDlgItem(manager, IDC_SHOWS), static_cast<int>(s), false);
    }
    // What the manager selects for a stored ItemName.
    std::string SelectedFor(const char *itemName) {
        StoreSetting("ItemName", itemName);
        std::string selected;
        RunManager([&](HWND manager) { selected = Selection(manager); });
        return selected;
    }
    static std::string StoredItemName() {
        return StoredSetting("ItemName", "?");
    }
};

TEST_F(Manager, WithoutShowsTheListIsEmptyAndEditAndDeleteOnlyBeep) {
    std::vector<ShownBox> boxes;
    INT_PTR result = RunManager([&](HWND manager) {
        EXPECT_EQ(Text(manager), "QM Custom Saver");
        EXPECT_TRUE(ListTexts(manager, IDC_SHOWS).empty());
        int beeps = Beeps();
        boxes = BoxesShownDuring([&] {
            Click(manager, IDC_EDIT);
            Click(manager, IDC_DELETE_SHOW);
        });
        if (Layer::Available()) EXPECT_EQ(Beeps(), beeps + 2);
        EXPECT_TRUE(StillOpen(manager)) << "no editor ran";
        Click(manager, IDOK);
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(StoredItemName(), "");
}

TEST_F(Manager, TheStoredNameSelectsTheFirstShowItBeginsInAnyCase) {
    for (const char *name : {"ABC.QMS", "AB.QMS", "abd.qms", "Z.QMS"}) Show(name);
    std::vector<std::string> listed;
    RunManager([&](HWND manager) { listed = ListTexts(manager, IDC_SHOWS); });
    EXPECT_EQ(listed, (std::vector<std::string>{"AB.QMS", "ABC.QMS", "abd.qms", "Z.QMS"}));
    EXPECT_EQ(SelectedFor("ABC"), "ABC.QMS");
    EXPECT_EQ(SelectedFor("abc.qms"), "ABC.QMS");
    EXPECT_EQ(SelectedFor("ab"), "AB.QMS");
    EXPECT_EQ(SelectedFor("ABD"), "abd.qms");
    EXPECT_EQ(SelectedFor("Q"), "(none)");
}

TEST_F(Manager, CloseStoresTheSelectedShow) {
    for (const char *name : {"ONE.QMS", "TWO.QMS"}) Show(name);
    StoreSetting("ItemName", "ONE.QMS");
    RunManager([&](HWND manager) {
        SelectItem(manager, IDC_SHOWS, 1, true);
        EXPECT_STREQ(settings.itemName, "TWO.QMS");
        SendMessageW(manager, WM_COMMAND, IDCANCEL, 0);  // Esc closes the same way
    });
    EXPECT_EQ(StoredItemName(), "TWO.QMS");
    // With nothing selected at the end, the show chosen last is the one stored.
    RunManager([&](HWND manager) {
        SelectItem(manager, IDC_SHOWS, 0, true);
        SendDlgItemMessageW(manager, IDC_SHOWS, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SendMessageW(manager, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(StoredItemName(), "ONE.QMS");
}

TEST_F(Manager, DeleteAsksThenRemovesTheShowAndMusicNoOtherShowPlays) {
    for (const char *name : {"A.QMS", "A.OLD.QMS", "C.QMS"}) Show(name);
    Music("A");
    Music("C");
    StoreSetting("ItemName", "C.QMS");
    std::vector<ShownBox> boxes;
    RunManager([&](HWND manager) {
        boxes = BoxesShownDuring([&] { Click(manager, IDC_DELETE_SHOW); }, {IDNO});
        EXPECT_TRUE(SystemFileExists("C.QMS"));
        BoxesShownDuring([&] { Click(manager, IDC_DELETE_SHOW); }, {IDYES});
        EXPECT_FALSE(SystemFileExists("C.QMS"));
        EXPECT_FALSE(SystemFileExists("SOUND\\C"));
        EXPECT_EQ(ListTexts(manager, IDC_SHOWS), (std::vector<std::string>{"A.OLD.QMS", "A.QMS"}));
        EXPECT_EQ(Selection(manager), "A.OLD.QMS") << "the first show is selected after a delete";
        // A.OLD.QMS plays SOUND\A as well: the music stays with A.QMS.
        BoxesShownDuring([&] { Click(manager, IDC_DELETE_SHOW); }, {IDYES});
        EXPECT_TRUE(SystemFileExists("SOUND\\A"));
        BoxesShownDuring([&] { Click(manager, IDC_DELETE_SHOW); }, {IDYES});
        EXPECT_FALSE(SystemFileExists("SOUND\\A"));
        EXPECT_TRUE(ListTexts(manager, IDC_SHOWS).empty());
    });
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].caption, "ファイルの削除");
    EXPECT_EQ(boxes[0].text, "'C.QMS' を削除してよろしいですか？");
}

TEST_F(Manager, TheListIsMadeAgainAfterTheEditor) {
    Show("OLD.QMS");
    std::vector<std::string> listed;
    std::string editorCaption;
    RunManager([&](HWND manager) {
        InNextDialog([&] { Click(manager, IDC_NEW); },
                     [&](HWND editor) {
                         editorCaption = Text(editor);
                         Show("NEW.QMS");  // as a save from the editor would
                         SendMessageW(editor, WM_CLOSE, 0, 0);
                     });
        listed = ListTexts(manager, IDC_SHOWS);
    });
    EXPECT_EQ(editorCaption, "QM Custom Saver - Untitled");
    EXPECT_EQ(listed, (std::vector<std::string>{"NEW.QMS", "OLD.QMS"}));
}

// Shows an earlier installation left in the system directory are listed
// beside the user's (a name in both once); one the user may not delete
// stays, and a box says so; settings that cannot be written are told.
TEST_F(Manager, ShowsLeftInTheSystemDirectoryAreListedAndOneNotTheUsersToDeleteStays) {
    SKIP_WITHOUT_LAYER("the layer stands in for a standard account");
    std::string left = SystemDirectory() + "\\";
    for (const char *name : {"LEFT.QMS", "BOTH.QMS"}) WriteDosFile(left + name, ::MakeShow({}));
    for (const char *name : {"OWN.QMS", "BOTH.QMS"}) Show(name);
    Layer::ProtectFolder("C:\\WINDOWS");
    std::vector<std::string> listed;
    std::vector<ShownBox> refused, unwritten;
    RunManager([&](HWND manager) {
        listed = ListTexts(manager, IDC_SHOWS);
        SelectItem(manager, IDC_SHOWS, 1, true);  // LEFT.QMS
        refused = BoxesShownDuring([&] { Click(manager, IDC_DELETE_SHOW); }, {IDYES, IDOK});
        // The registry refuses nothing here; control.ini is what a standard account cannot write.
        Layer::SetWindows95Family(true);
        unwritten = BoxesShownDuring([&] { SendMessageW(manager, WM_COMMAND, IDOK, 0); });
        Layer::SetWindows95Family(false);
    });
    EXPECT_EQ(listed, (std::vector<std::string>{"BOTH.QMS", "LEFT.QMS", "OWN.QMS"}));
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_EQ(refused[1].caption, "Quillmere Saver");
    EXPECT_NE(refused[1].text.find("'LEFT.QMS'"), std::string::npos) << refused[1].text;
    EXPECT_NE(FileAttributes((left + "LEFT.QMS").c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(unwritten.size(), 1u);
    EXPECT_NE(unwritten[0].text.find("設定を保存できませんでした"), std::string::npos) << unwritten[0].text;
    for (const char *name : {"LEFT.QMS", "BOTH.QMS"}) RemoveFile((left + name).c_str());
}

}  // namespace
