// Saving the editor's show: kept pictures byte for byte, disc pictures from
// the disc, the count true to the records, the music beside the show; and a
// save that fails at any allocation or write leaves the old show and its
// music exactly as they were.
#include <cstring>

#include "disc/picture.h"
#include "saverfile/load.h"
#include "photo/photo.h"
#include "platform/testing/layer.h"
#include "saverfile/format.h"
#include "saverfile/places.h"
#include "saverfile/save.h"
#include "support/boxes.h"
#include "support/editor_fixture.h"
#include "support/jpeg.h"

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
        system = ShowDirectory() + "\\";
        MakeFolder((system + "SOUND").c_str());
    }
    void TearDown() override {
        for (const char *f : {"SOUND\\EDIT", "SOUND\\A", "SOUND\\QMSAVER.TMP", "QMSAVER.TMP"}) DeleteDosFile(system + f);
        EditorTest::TearDown();
    }
    // Saves the show list, as the editor does; the save itself shows no box.
    SaveResult SaveList(const char *name, int track = -1, bool large = false) {
        SaveResult result;
        EXPECT_TRUE(BoxesShownDuring([&] { result = SaveShow(Entries(), name, track, large); }).empty());
        return result;
    }
    bool SaveAs(const char *name, int track = -1, bool large = false) {
        return SaveList(name, track, large).status == SaveStatus::kSaved;
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
    EnterFolder(system.c_str());
    LoadedShow loaded = LoadShowForEditing("EDIT.QMS");
    ASSERT_EQ(loaded.error, kLoaded);
    Append(loaded.entries);
    // The first and last pictures change places.
    LPARAM first = SendMessageW(list, LB_GETITEMDATA, 0, 0), last = SendMessageW(list, LB_GETITEMDATA, 2, 0);
    SendMessageW(list, LB_SETITEMDATA, 0, last);
    SendMessageW(list, LB_SETITEMDATA, 2, first);
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
    ExpectNothingOfASaveLeftBehind("a save over the show");
}

TEST_F(Save, DiscPicturesComeFromTheDiscAndOnlyThoseItHasAreCounted) {
    for (int p = 1; p <= 3; p++) Add(DiscEntry(1, p, Picture(10, 8, 0x010101 * p)));
    SaveResult result = SaveList("A.QMS");
    EXPECT_EQ(result.status, SaveStatus::kSaved);
    Bytes saved = ReadDosFile(system + "A.QMS");
    written.push_back(system + "A.QMS");
    EXPECT_EQ(CountOf(saved), 2) << "picture 3 has no full-screen picture: left out of count and records";
    ASSERT_EQ(result.leftOut.size(), 1u);
    EXPECT_EQ(result.leftOut[0].index, 2u);
    EXPECT_EQ(result.leftOut[0].reason, LeftOutReason::kNotOnDisc);
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
    // A track the disc lacks: nothing changes.
    Bytes show = ReadDosFile(system + "A.B.QMS");
    EXPECT_EQ(SaveList("A.B.QMS", 7).status, SaveStatus::kFailed);
    ExpectNothingOfASaveLeftBehind("a track the disc lacks");
    EXPECT_TRUE(ReadDosFile(system + "SOUND\\A") == ReadDosFile(source));
    EXPECT_TRUE(ReadDosFile(system + "A.B.QMS") == show);
}

// With the title disc out of the drive the pictures kept from the show are
// saved, the disc's are left out and said to be, and their entries stay as
// they were, so that a later save with the disc back writes them; the music
// stays as it was.
TEST_F(Save, WithTheDiscOutTheKeptPicturesAreSavedAndTheRestLeftOut) {
    WriteSystemFile("EDIT.QMS", MakeShow({{Picture(40, 30, 0xAA0000), Picture(8, 6, 1)}}));
    WriteSystemFile("SOUND\\EDIT", MakeWav(300));
    Bytes oldMusic = ReadDosFile(system + "SOUND\\EDIT");
    EnterFolder(system.c_str());
    Add(DiscEntry(1, 1, Picture(10, 8, 1)));
    Append(LoadShowForEditing("EDIT.QMS").entries);
    Add(DiscEntry(1, 2, Picture(10, 8, 2)));
    Bytes disc = ReadDosFile("E:\\QM.SD");
    DeleteDosFile("E:\\QM.SD");
    SaveResult result = SaveList("EDIT.QMS", 1);
    EXPECT_EQ(result.status, SaveStatus::kSaved);
    ASSERT_EQ(result.leftOut.size(), 2u);
    EXPECT_EQ(result.leftOut[0].index, 0u);
    EXPECT_EQ(result.leftOut[1].index, 2u);
    EXPECT_EQ(result.leftOut[1].reason, LeftOutReason::kDiscAbsent);
    EXPECT_TRUE(result.musicLeftOut);
    EXPECT_EQ(CountOf(ReadDosFile(system + "EDIT.QMS")), 1);
    EXPECT_TRUE(ReadDosFile(system + "SOUND\\EDIT") == oldMusic) << "the old music stays";
    auto entries = Entries();
    EXPECT_EQ(entries[0]->kind, KIND_DISC);
    EXPECT_EQ(entries[1]->kind, KIND_KEPT);
    EXPECT_EQ(entries[1]->fileOffset, 4);
    EXPECT_EQ(entries[2]->kind, KIND_DISC);
    // The disc back: everything is written, in the list's order.
    WriteDosFile("E:\\QM.SD", disc);
    result = SaveList("EDIT.QMS", 1);
    EXPECT_EQ(result.status, SaveStatus::kSaved);
    EXPECT_TRUE(result.leftOut.empty());
    EXPECT_FALSE(result.musicLeftOut);
    Bytes saved = ReadDosFile(system + "EDIT.QMS");
    EXPECT_EQ(CountOf(saved), 3);
    EXPECT_TRUE(RecordOf(saved, 1).full == DiscBlock(kStandardBmp, 1));
    EXPECT_TRUE(RecordOf(saved, 2).full == Picture(40, 30, 0xAA0000));
    EXPECT_EQ(ReadDosFile(system + "SOUND\\EDIT").size(), 250000u);
    // Nothing at all to be had: no show of no pictures is written.
    Clear();
    Add(DiscEntry(1, 3, Picture(10, 8, 3)));
    EXPECT_EQ(SaveList("EDIT.QMS").status, SaveStatus::kNothingFound);
    EXPECT_TRUE(ReadDosFile(system + "EDIT.QMS") == saved);
    ExpectNothingOfASaveLeftBehind("nothing saved");
}

// A file another program holds for a moment is moved once it lets go; one
// held for good fails the save, with the old show and music as they were.
TEST_F(Save, MovesRefusedForAMomentAreTriedAgain) {
    SKIP_WITHOUT_LAYER("makes moves fail on the layer");
    WriteSystemFile("EDIT.QMS", MakeShow({{Picture(40, 30, 0xAA0000), Picture(8, 6, 1)}}));
    WriteSystemFile("SOUND\\EDIT", MakeWav(300));
    Bytes oldShow = ReadDosFile(system + "EDIT.QMS"), oldMusic = ReadDosFile(system + "SOUND\\EDIT");
    EnterFolder(system.c_str());
    Append(LoadShowForEditing("EDIT.QMS").entries);
    Add(DiscEntry(1, 1, Picture(10, 8, 1)));
    for (DWORD error : {ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED, ERROR_LOCK_VIOLATION}) {
        // The music's move into place is the fourth: every try of it fails.
        Layer::FailRenamesAfter(3, kMoveAttempts, error);
        EXPECT_EQ(SaveList("EDIT.QMS", 1).status, SaveStatus::kFailed) << error;
        Layer::FailRenamesAfter(-1);
        EXPECT_TRUE(ReadDosFile(system + "EDIT.QMS") == oldShow) << error;
        EXPECT_TRUE(ReadDosFile(system + "SOUND\\EDIT") == oldMusic) << error;
        ExpectNothingOfASaveLeftBehind("held for good");
        EXPECT_EQ(Entries()[1]->kind, KIND_DISC) << "the entries still describe the old show";
    }
    Layer::FailRenamesAfter(3, kMoveAttempts - 1, ERROR_SHARING_VIOLATION);
    DWORD start = GetTickCount();
    EXPECT_EQ(SaveList("EDIT.QMS", 1).status, SaveStatus::kSaved);
    EXPECT_LE(GetTickCount() - start, 500u) << "the wait is short";
    EXPECT_EQ(CountOf(ReadDosFile(system + "EDIT.QMS")), 2);
    EXPECT_EQ(ReadDosFile(system + "SOUND\\EDIT").size(), 250000u);
    ExpectNothingOfASaveLeftBehind("held for a moment");
    // An error no wait mends is not waited for.
    WriteDosFile(system + "EDIT.QMS", oldShow);
    Clear();
    Append(LoadShowForEditing("EDIT.QMS").entries);
    Layer::FailRenamesAfter(1, 1, ERROR_WRITE_FAULT);
    start = GetTickCount();
    EXPECT_EQ(SaveList("EDIT.QMS").status, SaveStatus::kFailed);
    EXPECT_EQ(GetTickCount() - start, 0u);
    EXPECT_TRUE(ReadDosFile(system + "EDIT.QMS") == oldShow);
}

// Every allocation, write, move and close fails in turn while a changed
// show and new music are saved over the old ones: after each failure the
// old show and music are as they were, nothing is left behind or leaked,
// and the entries still describe the old show.
TEST_F(Save, FailingAnyAllocationWriteMoveOrCloseLosesNothing) {
    SKIP_WITHOUT_LAYER("fails allocations, writes, moves and closes on the layer");
    WriteSystemFile("EDIT.QMS", MakeShow({{Picture(40, 30, 0xAA0000), Picture(8, 6, 1)},
                                          {Picture(20, 50, 0x00BB00), Picture(4, 10, 2)}}));
    WriteSystemFile("SOUND\\EDIT", MakeWav(300));
    Bytes oldShow = ReadDosFile(system + "EDIT.QMS"), oldMusic = ReadDosFile(system + "SOUND\\EDIT");
    for (int fail = 0; fail < kFaultKinds; fail++) {
        for (int n = 0;; n++) {
            EnterFolder(system.c_str());
            Clear();
            LoadedShow loaded = LoadShowForEditing("EDIT.QMS");
            ASSERT_EQ(loaded.error, kLoaded);
            Append(loaded.entries);
            Add(DiscEntry(1, 1, Picture(10, 8, 1)));
            int blocks = Layer::LiveGlobalBlocks();
            std::string what = MakeFault(fail, n);
            SaveStatus status = SaveList("EDIT.QMS", 1).status;
            ClearFaults();
            EXPECT_EQ(Layer::LiveGlobalBlocks(), blocks) << what;
            ExpectNothingOfASaveLeftBehind(what);
            if (status == SaveStatus::kSaved) {
                EXPECT_EQ(CountOf(ReadDosFile(system + "EDIT.QMS")), 3) << what;
                EXPECT_EQ(ReadDosFile(system + "SOUND\\EDIT").size(), 250000u) << what;
                EXPECT_EQ(Entries().back()->kind, KIND_KEPT) << what;
                WriteDosFile(system + "EDIT.QMS", oldShow);
                WriteDosFile(system + "SOUND\\EDIT", oldMusic);
                break;
            }
            EXPECT_TRUE(status == SaveStatus::kFailed || status == SaveStatus::kNoMusicMemory) << what;
            EXPECT_TRUE(ReadDosFile(system + "EDIT.QMS") == oldShow) << what;
            EXPECT_TRUE(ReadDosFile(system + "SOUND\\EDIT") == oldMusic) << what;
            auto entries = Entries();
            EXPECT_EQ(entries.back()->kind, KIND_DISC) << what << ": the entries still describe the old show";
            EXPECT_EQ(entries[1]->fileOffset, static_cast<int32_t>(4 + 8 + Picture(40, 30, 0).size() + Picture(8, 6, 0).size()))
                << what;
            ASSERT_LT(n, 200) << "the sweep must end";
        }
    }
}

// The process may stop at any change it makes to the disk (a power cut):
// the next start finds both old files or both new ones, and nothing else.
TEST_F(Save, StoppedAtAnyStepTheNextStartFindsBothOldOrBothNewFiles) {
    SKIP_WITHOUT_LAYER("cuts the power on the layer's disk");
    for (int p = 1; p <= 2; p++) Add(DiscEntry(1, p, Picture(10, 8, 0x010101 * p)));
    Bytes oldShow = MakeShow({{Picture(8, 8, 0x445566), Picture(4, 4, 1)}}), oldMusic = MakeWav(50);
    auto putOld = [&] {
        WriteDosFile(system + "EDIT.QMS", oldShow);
        WriteDosFile(system + "SOUND\\EDIT", oldMusic);
    };
    putOld();
    ASSERT_TRUE(SaveAs("EDIT.QMS", 2));
    Bytes newShow = ReadDosFile(system + "EDIT.QMS"), newMusic = ReadDosFile(system + "SOUND\\EDIT");
    ASSERT_NE(newShow, oldShow);
    int steps = 0;
    for (int n = 1;; n++) {
        putOld();
        for (PictureEntry *e : Entries()) e->kind = KIND_DISC;
        Layer::StopAfterSteps(n);
        SaveShow(Entries(), "EDIT.QMS", 2, false);
        bool stopped = Layer::StoppedByPowerCut();
        Layer::StopAfterSteps(0);
        FinishInterruptedSave();  // the next start
        std::string what = "stopped after step " + std::to_string(n);
        Bytes show = ReadDosFile(system + "EDIT.QMS"), music = ReadDosFile(system + "SOUND\\EDIT");
        EXPECT_TRUE((show == oldShow && music == oldMusic) || (show == newShow && music == newMusic)) << what;
        ExpectNothingOfASaveLeftBehind(what);
        if (!stopped) break;
        steps = n;
        ASSERT_LT(n, 400) << "the sweep must end";
    }
    EXPECT_GT(steps, 6) << "a save of a show and its music takes several steps";
}

// A show an earlier installation left in the system directory is found and
// edited there; saved, it goes to the user's folder with its music, and
// from then on that copy is the one found.
TEST_F(Save, AShowLeftInTheSystemDirectoryIsSavedIntoTheUsersFolderWithItsMusic) {
    if (OnWindows95Family()) GTEST_SKIP() << "on the 95 family the system directory is the show folder";
    std::string left = SystemDirectory() + "\\";
    if (left == system) GTEST_SKIP() << "no folder of the user's";
    MakeFolder((left + "SOUND").c_str());
    Bytes music = MakeWav(70);
    if (!WriteDosFile(left + "LEFT.QMS", MakeShow({{Picture(8, 8, 0x112233), Picture(4, 4, 1)}})))
        GTEST_SKIP() << "only an administrator can leave a show in the system directory";
    WriteDosFile(left + "SOUND\\LEFT", music);
    EXPECT_EQ(FindShow("LEFT.QMS"), left + "LEFT.QMS");
    LoadedShow loaded = LoadShowForEditing("LEFT.QMS");
    ASSERT_EQ(loaded.error, kLoaded);
    Append(loaded.entries);
    Add(DiscEntry(1, 1, Picture(10, 8, 1)));
    ASSERT_TRUE(SaveAs("LEFT.QMS"));
    EXPECT_EQ(FindShow("LEFT.QMS"), system + "LEFT.QMS");
    EXPECT_EQ(CountOf(ReadDosFile(system + "LEFT.QMS")), 2);
    EXPECT_TRUE(ReadDosFile(system + "SOUND\\LEFT") == music) << "the music came along";
    EXPECT_EQ(CountOf(ReadDosFile(left + "LEFT.QMS")), 1) << "the system directory's copy is not written";
    ExpectNothingOfASaveLeftBehind("a show moved to the user's folder");
    for (const char *f : {"LEFT.QMS", "SOUND\\LEFT"}) {
        DeleteDosFile(system + f);
        DeleteDosFile(left + f);
    }
}

// A photo that is there but cannot be read is left out as a missing one is;
// the rest is saved and the entry stays to save.
TEST_F(Save, APhotoThatCannotBeReadIsLeftOutAndTheRestSaved) {
    std::string folder = system + "PHOTOS";
    MakeFolder(folder.c_str());
    WriteDosFile(folder + "\\CUT.JPG", Bytes{0xFF, 0xD8, 0xFF, 0xDB, 0, 0});
    Add(DiscEntry(1, 1, Picture(10, 8, 1)));
    PictureEntry *photo = NewPictureEntry();
    photo->kind = KIND_FILE;
    ASSERT_TRUE(SetEntryFile(photo, (folder + "\\CUT.JPG").c_str()));
    Add(photo);
    SaveResult result = SaveList("A.QMS");
    written.push_back(system + "A.QMS");
    EXPECT_EQ(result.status, SaveStatus::kSaved);
    ASSERT_EQ(result.leftOut.size(), 1u);
    EXPECT_EQ(result.leftOut[0].index, 1u);
    EXPECT_EQ(result.leftOut[0].reason, LeftOutReason::kFileUnreadable);
    EXPECT_EQ(CountOf(ReadDosFile(system + "A.QMS")), 1);
    EXPECT_EQ(Entries()[1]->kind, KIND_FILE) << "still to save";
    DeleteDosFile(folder + "\\CUT.JPG");
    RemoveFolder(folder.c_str());
}

// A show larger than the format can hold (a record's offset stays below
// 2 GB) is refused before anything is written, with how many of its
// pictures fit; the bound counted for a photo is never below what its
// record really takes, nor far above it.
TEST_F(Save, AShowTooLargeForTheFormatIsRefusedBeforeAnythingIsWritten) {
    std::string folder = system + "PHOTOS", photo = folder + "\\WIDE.JPG";
    MakeFolder(folder.c_str());
    WriteDosFile(photo, MakeJpeg(1600, 1200, PhotoPixel));
    PackedDib full = LoadPhoto(photo.c_str(), 800, 600, 24), preview = LoadPhoto(photo.c_str(), 100, 75, 24);
    ASSERT_TRUE(full && preview);
    uint64_t real = kRecordHeaderSize + uint64_t{DibBlockSize(full)} + DibBlockSize(preview);
    DibFree(full);
    DibFree(preview);
    uint64_t bound = PictureRecordBound(800, 600, 24);
    EXPECT_LE(real, bound);
    EXPECT_GE(real * 100, bound * 99) << "a 4:3 photo fills the standard size: the bound is not loose";

    for (int i = 0; i < 1500; i++) {
        PictureEntry *entry = NewPictureEntry();
        entry->kind = KIND_FILE;
        ASSERT_TRUE(SetEntryFile(entry, photo.c_str()));
        Add(entry);
    }
    SaveResult result = SaveList("BIG.QMS");
    EXPECT_EQ(result.status, SaveStatus::kTooLarge);
    EXPECT_GT(result.fitting, 1400u);
    EXPECT_LT(result.fitting, 1500u);
    std::vector<uint64_t> sizes(result.fitting + 1, bound);
    EXPECT_EQ(RecordsThatFit(sizes.data(), sizes.size()), result.fitting) << "one more would not fit";
    EXPECT_EQ(FileAttributes((system + "BIG.QMS").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(FileAttributes((system + "QMSAVER.TMP").c_str()), INVALID_FILE_ATTRIBUTES) << "nothing written";
    EXPECT_EQ(PicturesThatFit(Entries(), false), result.fitting);
    if (Layer::Available()) {
        // Large pictures on a 1920 x 1080 screen: fitted to 1440 x 1080, about 460.
        Layer::SetScreen(1920, 1080, 24);
        size_t large = PicturesThatFit(Entries(), true);
        EXPECT_GT(large, 400u);
        EXPECT_LT(large, 500u);
    }
    EXPECT_TRUE(ShowCouldBeTooLarge(Entries(), false));
    // Small photos take only their own size: as many of them fit.
    std::string small = folder + "\\SMALL.JPG";
    WriteDosFile(small, MakeJpeg(120, 90, PhotoPixel));
    for (PictureEntry *entry : Entries()) ASSERT_TRUE(SetEntryFile(entry, small.c_str()));
    EXPECT_EQ(PicturesThatFit(Entries(), false), 1500u);
    EXPECT_TRUE(ShowCouldBeTooLarge(Entries(), false)) << "unread, each photo could be whole-size";
    DeleteDosFile(small);
    DeleteDosFile(photo);
    RemoveFolder(folder.c_str());
}

// Whether a show could be too large is known without reading a photo, and
// never says no to one that is: pictures kept from a show count their own
// sizes, however large, photos the whole size.
TEST_F(Save, WhetherAShowCouldBeTooLargeIsKnownWithoutReadingAPhoto) {
    auto kept = [](uint32_t fullSize) {
        PictureEntry *entry = NewPictureEntry();
        entry->kind = KIND_KEPT;
        entry->fullSize = fullSize;
        entry->previewSize = 22540;
        return entry;
    };
    // 1000 kept 1920 x 1080 pictures: 6.2 GB, though 1000 standard-size ones would fit.
    for (int i = 0; i < 1000; i++) Add(kept(1920 * 1080 * 3 + 40));
    EXPECT_TRUE(ShowCouldBeTooLarge(Entries(), false));
    EXPECT_LT(PicturesThatFit(Entries(), false), 400u);
    Clear();
    // 1000 photos that are not there: counted at 800 x 600, they fit.
    for (int i = 0; i < 1000; i++) {
        PictureEntry *entry = NewPictureEntry();
        entry->kind = KIND_FILE;
        ASSERT_TRUE(SetEntryFile(entry, "C:\\NOWHERE\\GONE.JPG"));
        Add(entry);
    }
    EXPECT_FALSE(ShowCouldBeTooLarge(Entries(), false));
    Add(kept(0x7FFFFFFF));
    EXPECT_TRUE(ShowCouldBeTooLarge(Entries(), false));
}

// An old file that cannot be moved back is never lost: the save says where
// it waits, and the next start puts it back.
TEST_F(Save, AnOldFileThatCannotBeMovedBackIsReportedAndPutBackAtTheNextStart) {
    SKIP_WITHOUT_LAYER("fails moves on the layer");
    Add(DiscEntry(1, 1, Picture(10, 8, 1)));
    Bytes oldShow = MakeShow({{Picture(8, 8, 0x445566), Picture(4, 4, 1)}}), oldMusic = MakeWav(50);
    WriteDosFile(system + "EDIT.QMS", oldShow);
    WriteDosFile(system + "SOUND\\EDIT", oldMusic);
    // The show and the old music moved aside; then the new music's move and the move back fail.
    Layer::FailRenamesAfter(3, 2);
    SaveResult result = SaveList("EDIT.QMS", 2);
    Layer::FailRenamesAfter(-1, 0);
    EXPECT_EQ(result.status, SaveStatus::kNotRestored);
    EXPECT_EQ(result.keptAs, system + "SOUND\\QMSAVER.BAK");
    EXPECT_TRUE(ReadDosFile(result.keptAs) == oldMusic) << "kept, never deleted";
    EXPECT_TRUE(ReadDosFile(system + "EDIT.QMS") == oldShow);
    FinishInterruptedSave();
    EXPECT_TRUE(ReadDosFile(system + "SOUND\\EDIT") == oldMusic);
    ExpectNothingOfASaveLeftBehind("the next start");
}

}  // namespace
