// qmshow make over a show of the same name that has music: the new show and
// music replace the old ones together or not at all, whatever fails; its
// pictures are loaded as photos (upright, PNG too, 256 colours when asked).
#include <cstring>

#include "cli/make.h"
#include "saverfile/load.h"
#include "saverfile/transaction.h"
#include "support/exif.h"
#include "support/jpeg.h"
#include "support/png.h"
#include "support/show_fixture.h"

namespace {

class MakeShow : public SystemFileTest {
protected:
    void SetUp() override {
        SystemFileTest::SetUp();
        if (IsSkipped()) return;
        system = ShowDirectory() + "\\";
        MakeFolder("C:\\MINE");
        MakeFolder((system + "SOUND").c_str());
        WriteDosFile("C:\\MINE\\A.JPG", MakeJpeg(120, 90, PhotoPixel));
        WriteDosFile("C:\\MINE\\B.BMP",
                     MakeBmpFile(MakePackedDib(30, 40, 24, [](int x, int y) { return static_cast<uint32_t>(x * y); })));
        WriteDosFile("C:\\MINE\\TUNE.WAV", MakeWav(400));
        WriteSystemFile("MINE.QMS", ::MakeShow({{MakePackedDib(8, 8, 24, [](int, int) { return 0x123456u; }),
                                                 MakePackedDib(4, 4, 24, [](int, int) { return 1u; })}}));
        WriteSystemFile("SOUND\\MINE", MakeWav(100));
    }
    void TearDown() override {
        for (const char *f : {"C:\\MINE\\A.JPG", "C:\\MINE\\B.BMP", "C:\\MINE\\TUNE.WAV"}) DeleteDosFile(f);
        RemoveFolder("C:\\MINE");
        SystemFileTest::TearDown();
    }
    int Make() {
        const char *args[] = {"MINE.QMS", "C:\\MINE\\A.JPG", "C:\\MINE\\B.BMP", "--music", "C:\\MINE\\TUNE.WAV"};
        return MakeShowCommand(5, const_cast<char **>(args));
    }
    static int32_t CountOf(const Bytes &show) {
        int32_t count = 0;
        if (show.size() >= 4) std::memcpy(&count, show.data(), 4);
        return count;
    }
    std::string system;
};

TEST_F(MakeShow, ReplacesTheShowAndItsMusicTogether) {
    ASSERT_EQ(Make(), 0);
    EXPECT_EQ(CountOf(ReadDosFile(system + "MINE.QMS")), 2);
    EXPECT_TRUE(ReadDosFile(system + "SOUND\\MINE") == ReadDosFile("C:\\MINE\\TUNE.WAV"));
    ExpectNothingOfASaveLeftBehind("made");
}

// Each record's two bitmaps as the show file holds them.
struct StoredRecord {
    BITMAPINFOHEADER full, preview;
};
std::vector<StoredRecord> RecordsOf(const Bytes &show) {
    std::vector<StoredRecord> records;
    size_t at = 4;
    while (at + 8 <= show.size()) {
        uint32_t sizes[2];
        std::memcpy(sizes, &show[at], 8);
        at += 8;
        StoredRecord r{};
        if (at + sizes[0] + sizes[1] > show.size() || sizes[0] < 40 || sizes[1] < 40) break;
        std::memcpy(&r.full, &show[at], 40);
        std::memcpy(&r.preview, &show[at + sizes[0]], 40);
        at += sizes[0] + sizes[1];
        records.push_back(r);
    }
    return records;
}

TEST_F(MakeShow, TurnsPhotosUprightTakesPngAndMakes256ColourShows) {
    // A phone's picture stored sideways (a quarter turn to undo) and a PNG.
    WriteDosFile("C:\\MINE\\R.JPG", WithApp1(MakeJpeg(120, 90, PhotoPixel), MakeExifApp1(MakeExifTiff(6, true))));
    WriteDosFile("C:\\MINE\\C.PNG", MakePng(200, 100, PhotoPixel));
    for (bool eight : {false, true}) {
        std::vector<const char *> args = {"MINE.QMS", "C:\\MINE\\R.JPG", "C:\\MINE\\C.PNG", "--screen", "64x48"};
        if (eight) args.push_back("--8bit");
        ASSERT_EQ(MakeShowCommand(static_cast<int>(args.size()), const_cast<char **>(args.data())), 0);
        std::vector<StoredRecord> records = RecordsOf(ReadDosFile(system + "MINE.QMS"));
        ASSERT_EQ(records.size(), 2u);
        const int bits = eight ? 8 : 24;
        struct Want {
            int w, h, pw, ph;
        };
        const Want want[2] = {{36, 48, 56, 75}, {64, 32, 100, 50}};
        for (int i = 0; i < 2; i++) {
            const StoredRecord &r = records[static_cast<size_t>(i)];
            std::string what = std::string(eight ? "--8bit " : "") + "record " + std::to_string(i + 1);
            EXPECT_EQ(r.full.biWidth, want[i].w) << what;
            EXPECT_EQ(r.full.biHeight, want[i].h) << what;
            EXPECT_EQ(r.preview.biWidth, want[i].pw) << what;
            EXPECT_EQ(r.preview.biHeight, want[i].ph) << what;
            EXPECT_EQ(r.full.biBitCount, bits) << what;
            EXPECT_EQ(r.preview.biBitCount, bits) << what;
            EXPECT_EQ(r.full.biClrUsed, eight ? 256u : 0u) << what;
            EXPECT_EQ(r.preview.biClrUsed, eight ? 256u : 0u) << what;
        }
    }
    DeleteDosFile("C:\\MINE\\R.JPG");
    DeleteDosFile("C:\\MINE\\C.PNG");
}

TEST_F(MakeShow, FailingAnyAllocationWriteMoveOrCloseLosesNothing) {
    SKIP_WITHOUT_LAYER("fails allocations, writes, moves and closes on the layer");
    Bytes oldShow = ReadDosFile(system + "MINE.QMS"), oldMusic = ReadDosFile(system + "SOUND\\MINE");
    for (int fail = 0; fail < kFaultKinds; fail++) {
        for (int n = 0;; n++) {
            int blocks = Layer::LiveGlobalBlocks();
            std::string what = MakeFault(fail, n);
            int status = Make();
            ClearFaults();
            EXPECT_EQ(Layer::LiveGlobalBlocks(), blocks) << what;
            ExpectNothingOfASaveLeftBehind(what);
            if (status == 0) {
                EXPECT_EQ(CountOf(ReadDosFile(system + "MINE.QMS")), 2) << what;
                EXPECT_TRUE(ReadDosFile(system + "SOUND\\MINE") == ReadDosFile("C:\\MINE\\TUNE.WAV")) << what;
                WriteDosFile(system + "MINE.QMS", oldShow);
                WriteDosFile(system + "SOUND\\MINE", oldMusic);
                break;
            }
            EXPECT_EQ(status, 1) << what;
            EXPECT_TRUE(ReadDosFile(system + "MINE.QMS") == oldShow) << what;
            EXPECT_TRUE(ReadDosFile(system + "SOUND\\MINE") == oldMusic) << what;
            ASSERT_LT(n, 300) << "the sweep must end";
        }
    }
}

// qmshow make stopped at any change to the disk: the next start (of the
// manager, the saver or make itself) finds both old files or both new ones.
TEST_F(MakeShow, StoppedAtAnyStepTheNextStartFindsBothOldOrBothNewFiles) {
    SKIP_WITHOUT_LAYER("cuts the power on the layer's disk");
    Bytes oldShow = ReadDosFile(system + "MINE.QMS"), oldMusic = ReadDosFile(system + "SOUND\\MINE");
    ASSERT_EQ(Make(), 0);
    Bytes newShow = ReadDosFile(system + "MINE.QMS"), newMusic = ReadDosFile(system + "SOUND\\MINE");
    for (int n = 1;; n++) {
        WriteDosFile(system + "MINE.QMS", oldShow);
        WriteDosFile(system + "SOUND\\MINE", oldMusic);
        Layer::StopAfterSteps(n);
        Make();
        bool stopped = Layer::StoppedByPowerCut();
        Layer::StopAfterSteps(0);
        FinishInterruptedSave();
        std::string what = "stopped after step " + std::to_string(n);
        Bytes show = ReadDosFile(system + "MINE.QMS"), music = ReadDosFile(system + "SOUND\\MINE");
        EXPECT_TRUE((show == oldShow && music == oldMusic) || (show == newShow && music == newMusic)) << what;
        ExpectNothingOfASaveLeftBehind(what);
        if (!stopped) break;
        ASSERT_LT(n, 400) << "the sweep must end";
    }
}

// Photos and shows a few folders down: paths of 200 characters and more.
TEST_F(MakeShow, TakesPhotosAndWritesShowsUnderPathsOf200Characters) {
    std::string folder = "C:\\MINE";
    std::vector<std::string> made;
    while (folder.size() < 190) {
        folder += "\\Folder of holiday photos " + std::to_string(made.size());
        ASSERT_TRUE(MakeFolder(folder.c_str())) << folder;
        made.push_back(folder);
    }
    std::string photo = folder + "\\PHOTO.JPG";
    ASSERT_GE(photo.size(), 200u);
    ASSERT_TRUE(WriteDosFile(photo, MakeJpeg(120, 90, PhotoPixel)));
    const char *args[] = {"DEEP.QMS", photo.c_str()};
    EXPECT_EQ(MakeShowCommand(2, const_cast<char **>(args)), 0);
    written.push_back(system + "DEEP.QMS");
    EXPECT_EQ(CountOf(ReadDosFile(system + "DEEP.QMS")), 1);
    // A long path to the show itself opens too.
    LoadedShow loaded = LoadShowForEditing((system + "DEEP.QMS").c_str());
    EXPECT_EQ(loaded.error, kLoaded);
    for (PictureEntry *e : loaded.entries) FreePictureEntry(e);
    DeleteDosFile(photo);
    for (size_t i = made.size(); i-- > 0;) RemoveFolder(made[i].c_str());
}

// More pictures than one show can hold at that size: refused before
// anything is written, the old show kept.
TEST_F(MakeShow, MorePicturesThanAShowHoldsAreRefusedBeforeAnythingIsWritten) {
    Bytes before = ReadDosFile(system + "MINE.QMS");
    WriteDosFile("C:\\MINE\\BIG.JPG", MakeJpeg(1600, 1200, PhotoPixel));
    std::vector<const char *> args{"MINE.QMS"};
    args.insert(args.end(), 1500, "C:\\MINE\\BIG.JPG");
    EXPECT_EQ(MakeShowCommand(static_cast<int>(args.size()), const_cast<char **>(args.data())), 1);
    EXPECT_EQ(ReadDosFile(system + "MINE.QMS"), before);
    ExpectNothingOfASaveLeftBehind("refused");
    DeleteDosFile("C:\\MINE\\BIG.JPG");
}

TEST_F(MakeShow, TheSavesWorkingNamesAreNoShowNames) {
    for (const char *name : {"QMSAVER.TMP", "qmsaver.bak", "QMSAVER.JNL"}) {
        const char *args[] = {name, "C:\\MINE\\A.JPG"};
        EXPECT_EQ(MakeShowCommand(2, const_cast<char **>(args)), 1) << name;
    }
    ExpectNothingOfASaveLeftBehind("refused");
}

// Names of any script, as the command line hands them over in UTF-8: the
// photos are read, and the show and its music are written under the show's name.
TEST_F(MakeShow, ShowsAndPhotosNamedInAnyScriptKeepTheirNames) {
    // Beside the shows, so that the fixture takes them away with the rest.
    std::string cafe = WriteSystemFile("Café ☕.jpg", MakeJpeg(120, 90, PhotoPixel));
    std::string unicode =
        WriteSystemFile("Ünïcödé.png", MakePng(30, 50, [](int x, int) { return static_cast<uint32_t>(x) << 16; }));
    std::string tune = WriteSystemFile("Été.wav", MakeWav(300));
    written.insert(written.end(), {system + "Été 写真.QMS", system + "SOUND\\Été 写真"});
    const char *args[] = {"Été 写真.QMS", cafe.c_str(), unicode.c_str(), "--music", tune.c_str()};
    ASSERT_EQ(MakeShowCommand(5, const_cast<char **>(args)), 0);
    std::vector<StoredRecord> records = RecordsOf(ReadDosFile(system + "Été 写真.QMS"));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].full.biWidth, 120);
    EXPECT_EQ(records[1].full.biWidth, 30);
    EXPECT_EQ(records[1].full.biHeight, 50);
    EXPECT_TRUE(ReadDosFile(system + "SOUND\\Été 写真") == ReadDosFile(tune)) << "the music under the show's name";
    ExpectNothingOfASaveLeftBehind("made");
}

}  // namespace
