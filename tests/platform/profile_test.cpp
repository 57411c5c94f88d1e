// Profile files behave as Windows has them: run against both.
#include <cstring>

#include "support/fixtures.h"
#include "support/saver_fixture.h"

namespace {

const char kFile[] = "qmstest.ini";

class Profile : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        char dir[MAX_PATH];
        GetWindowsDirectoryA(dir, sizeof dir);
        path = std::string(dir) + "\\" + kFile;
        DeleteDosFile(path);
    }
    void TearDown() override {
        DeleteDosFile(path);
        SaverTest::TearDown();
    }
    std::string Text() {
        Bytes b = ReadDosFile(path);
        return std::string(b.begin(), b.end());
    }
    std::string path;
};

TEST_F(Profile, WritingCreatesTheFileInTheWindowsDirectoryAndKeepsTheRest) {
    ASSERT_TRUE(WritePrivateProfileStringA("First", "a", "1", kFile));
    ASSERT_TRUE(WritePrivateProfileStringA("Second", "b", "2", kFile));
    ASSERT_TRUE(WritePrivateProfileStringA("first", "C", "3", kFile));
    ASSERT_TRUE(WritePrivateProfileStringA("FIRST", "A", "4", kFile));
    std::string text = Text();
    EXPECT_NE(text.find("[First]"), std::string::npos) << text;
    EXPECT_NE(text.find("[Second]"), std::string::npos) << text;
    EXPECT_EQ(text.find("[first]"), std::string::npos) << "a section is matched without regard to case";
    char value[16];
    GetPrivateProfileStringA("first", "a", "", value, sizeof value, kFile);
    EXPECT_STREQ(value, "4");
    GetPrivateProfileStringA("First", "c", "", value, sizeof value, kFile);
    EXPECT_STREQ(value, "3");
    GetPrivateProfileStringA("SECOND", "B", "", value, sizeof value, kFile);
    EXPECT_STREQ(value, "2");
    // The new key went into its section, before the next one.
    EXPECT_LT(text.find("C=3"), text.find("[Second]")) << text;

    ASSERT_TRUE(WritePrivateProfileStringA("First", "a", nullptr, kFile));
    EXPECT_EQ(GetPrivateProfileStringA("First", "a", "gone", value, sizeof value, kFile), 4u);
    EXPECT_STREQ(value, "gone");
    ASSERT_TRUE(WritePrivateProfileStringA("Second", nullptr, nullptr, kFile));
    EXPECT_EQ(Text().find("Second"), std::string::npos);
    GetPrivateProfileStringA("First", "c", "", value, sizeof value, kFile);
    EXPECT_STREQ(value, "3");
}

TEST_F(Profile, StringsAreCutToTheBufferAndTerminated) {
    WritePrivateProfileStringA("S", "k", "ABCDEFGHIJ", kFile);
    char value[6];
    std::memset(value, 'x', sizeof value);
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", value, sizeof value, kFile), 5u);
    EXPECT_STREQ(value, "ABCDE");
    EXPECT_EQ(GetPrivateProfileStringA("S", "missing", "dflt", value, sizeof value, kFile), 4u);
    EXPECT_STREQ(value, "dflt");
    EXPECT_EQ(GetPrivateProfileStringA("None", "k", "x", value, sizeof value, "nosuchfile.ini"), 1u);
    EXPECT_STREQ(value, "x");
}

TEST_F(Profile, IntegersAreReadUpToTheFirstOtherCharacter) {
    struct Case {
        const char *text;
        UINT expected;
    } cases[] = {{"12abc", 12}, {"7", 7}, {"abc", 0}, {"-3", static_cast<UINT>(-3)}, {"0x10", 16}, {"0x1G", 1}, {"  42  ", 42}, {"+8", 8}};
    for (const Case &c : cases) {
        WritePrivateProfileStringA("N", "v", c.text, kFile);
        EXPECT_EQ(GetPrivateProfileIntA("N", "v", 99, kFile), c.expected) << c.text;
    }
    EXPECT_EQ(GetPrivateProfileIntA("N", "missing", 99, kFile), 99u);
    WritePrivateProfileStringA("N", "v", "", kFile);
    EXPECT_EQ(GetPrivateProfileIntA("N", "v", 99, kFile), 99u) << "an empty value gives the default";
}

}  // namespace
