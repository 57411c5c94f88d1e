// qmshow make over a show of the same name that has music: the new show and
// music replace the old ones together or not at all, whatever fails.
#include <cstring>

#include "cli/make.h"
#include "support/jpeg.h"
#include "support/show_fixture.h"

namespace {

class MakeShow : public SystemFileTest {
protected:
    void SetUp() override {
        SystemFileTest::SetUp();
        if (IsSkipped()) return;
        system = SystemDirectory() + "\\";
        CreateDirectoryA("C:\\MINE", nullptr);
        CreateDirectoryA((system + "SOUND").c_str(), nullptr);
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
        RemoveDirectoryA("C:\\MINE");
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

TEST_F(MakeShow, FailingAnyAllocationWriteMoveOrCloseLosesNothing) {
    SKIP_WITHOUT_LAYER("fails allocations, writes, moves and closes on the layer");
    Bytes oldShow = ReadDosFile(system + "MINE.QMS"), oldMusic = ReadDosFile(system + "SOUND\\MINE");
    const char *kinds[] = {"allocation", "write", "move", "close"};
    for (int fail = 0; fail < 4; fail++) {
        for (int n = 0;; n++) {
            int blocks = Layer::LiveGlobalBlocks();
            if (fail == 0) Layer::FailAllocationAfter(n);
            else if (fail == 1) Layer::FailWritesAfter(n);
            else if (fail == 2) Layer::FailRenamesAfter(n);
            else Layer::FailClosesAfter(n);
            int status = Make();
            Layer::FailAllocationAfter(-1);
            Layer::FailWritesAfter(-1);
            Layer::FailRenamesAfter(-1);
            Layer::FailClosesAfter(-1);
            std::string what = std::string(kinds[fail]) + " " + std::to_string(n);
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

}  // namespace
