// The whole job, as a user does it: in the configuration dialog a new show
// is composed from the title disc (pictures of two contents, a track),
// saved under a name, chosen and played by the saver with its music; then
// edited again, its kept pictures carried over byte for byte.
#include <cstring>

#include "player/player.h"
#include "player/settings.h"
#include "resources/resource.h"
#include "support/boxes.h"
#include "support/configuration_fixture.h"
#include "support/jpeg.h"
#include "support/save_dialog.h"

namespace {

class Configuration : public ConfigurationTest {
protected:
    struct Blocks {
        Bytes full, preview;
    };
    static Blocks Split(const Bytes &record) {
        uint32_t full;
        std::memcpy(&full, record.data(), 4);
        return {Bytes(record.begin() + 8, record.begin() + 8 + full), Bytes(record.begin() + 8 + full, record.end())};
    }
    // A packed DIB as it stands in a BMP file after the 14-byte file header.
    static Bytes InFile(const Bytes &bmp) { return Bytes(bmp.begin() + 14, bmp.end()); }
    static Bytes Rows(const Bytes &dib) { return Bytes(dib.begin() + 40, dib.end()); }
};

TEST_F(Configuration, AShowComposedInTheDialogsIsPlayedAndEditedAgain) {
    MakeDisc();
    std::vector<std::string> listed;
    RunManager([&](HWND manager) {
        InNextDialog([&] { Click(manager, IDC_NEW); },
                     [&](HWND editor) {
                         ChooseComboItem(editor, IDC_CONTENTS, 1);
                         Click(editor, IDC_ADD_ALL);
                         ChooseComboItem(editor, IDC_CONTENTS, 0);
                         DoubleClickItem(editor, IDC_SOURCE_LIST, 0);
                         DoubleClickItem(editor, IDC_SOURCE_LIST, 2);
                         InNextDialog([&] { Click(editor, IDC_CHOOSE_MUSIC); },
                                      [](HWND music) {
                                          SendDlgItemMessageW(music, IDC_TRACKS, CB_SETCURSEL, 1, 0);
                                          Click(music, IDOK);
                                      });
                         AnswerSaveAs([&] { Menu(editor, IDM_SAVE); }, {"C:\\TRIP.QMS"});
                         Menu(editor, IDM_CLOSE);
                     });
        listed = ListTexts(manager, IDC_SHOWS);
        SelectItem(manager, IDC_SHOWS, 0, true);
        Click(manager, IDOK);
    });
    ASSERT_EQ(listed, std::vector<std::string>{"TRIP.QMS"});

    // The disc's pictures: the JPEGs as the library decodes them, the BMPs
    // as they are, each with its preview; and the chosen track.
    std::vector<Bytes> records = Records("TRIP.QMS");
    ASSERT_EQ(records.size(), 4u);
    for (int i = 0; i < 2; i++) {
        Blocks b = Split(records[i]);
        // The decoder's block has room to spare after the rows.
        Bytes expected = AsBitmapRows(DecodeJpeg(fullFiles[2][i + 1])), rows = Rows(b.full);
        ASSERT_GE(rows.size(), expected.size());
        EXPECT_EQ(Bytes(rows.begin(), rows.begin() + static_cast<long>(expected.size())), expected) << "JPEG " << i + 1;
        EXPECT_EQ(b.preview, InFile(previews[2][i + 1]));
    }
    for (int i = 2; i < 4; i++) {
        int picture = i == 2 ? 1 : 3;
        Blocks b = Split(records[i]);
        EXPECT_EQ(Rows(b.full), Rows(InFile(fullFiles[1][picture]))) << "BMP " << picture;
        EXPECT_EQ(b.preview, InFile(previews[1][picture]));
    }
    EXPECT_EQ(ReadDosFile(ShowDirectory() + "\\SOUND\\TRIP"), tracks[2]);

    // The saver plays it with its music.
    HWND saver = CreateSaverWindow(nullptr, nullptr);
    ASSERT_NE(saver, nullptr);
    RunFor(1100);
    EXPECT_STREQ(settings.itemName, "TRIP.QMS");
    EXPECT_EQ(player.pictureCount, 4);
    EXPECT_EQ(player.pictureIndex, 1);
    std::string music = ShowDirectory() + "\\SOUND\\TRIP";
    EXPECT_STREQ(player.musicPath, music.c_str());
    if (Layer::Available()) EXPECT_EQ(Layer::PlayingWave(), music);
    DestroyWindow(saver);
    Pump();

    // Edit: the second picture goes, the last moves up; what is kept is kept exactly.
    std::vector<ShownBox> boxes;
    RunManager([&](HWND manager) {
        InNextDialog([&] { Click(manager, IDC_EDIT); },
                     [&](HWND editor) {
                         SelectItem(editor, IDC_SHOW_LIST, 1);
                         Click(editor, IDC_DELETE);
                         SelectItem(editor, IDC_SHOW_LIST, 2);
                         Click(editor, IDC_UP);
                         boxes = BoxesShownDuring([&] { Menu(editor, IDM_SAVE); });
                         Menu(editor, IDM_CLOSE);
                     });
        Click(manager, IDOK);
    });
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Records("TRIP.QMS"), (std::vector<Bytes>{records[0], records[3], records[2]}));
    EXPECT_EQ(ReadDosFile(music), tracks[2]);
}

}  // namespace
