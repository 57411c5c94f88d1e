// Profile files behave as Windows has them: run against both.
#include <cstring>
#include <iterator>

#include "support/fixtures.h"
#include "support/saver_fixture.h"
#include "wide.h"

namespace {

const wchar_t kFile[] = L"qmstest.ini";

class Profile : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        WCHAR dir[MAX_PATH];
        GetWindowsDirectoryW(dir, MAX_PATH);
        path = U(dir) + "\\" + U(kFile);
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
    ASSERT_TRUE(WritePrivateProfileStringW(L"First", L"a", L"1", kFile));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Second", L"b", L"2", kFile));
    ASSERT_TRUE(WritePrivateProfileStringW(L"first", L"C", L"3", kFile));
    ASSERT_TRUE(WritePrivateProfileStringW(L"FIRST", L"A", L"4", kFile));
    std::string text = Text();
    EXPECT_NE(text.find("[First]"), std::string::npos) << text;
    EXPECT_NE(text.find("[Second]"), std::string::npos) << text;
    EXPECT_EQ(text.find("[first]"), std::string::npos) << "a section is matched without regard to case";
    WCHAR value[16];
    GetPrivateProfileStringW(L"first", L"a", L"", value, static_cast<DWORD>(std::size(value)), kFile);
    EXPECT_STREQ(value, L"4");
    GetPrivateProfileStringW(L"First", L"c", L"", value, static_cast<DWORD>(std::size(value)), kFile);
    EXPECT_STREQ(value, L"3");
    GetPrivateProfileStringW(L"SECOND", L"B", L"", value, static_cast<DWORD>(std::size(value)), kFile);
    EXPECT_STREQ(value, L"2");
    // The new key went into its section, before the next one.
    EXPECT_LT(text.find("C=3"), text.find("[Second]")) << text;

    ASSERT_TRUE(WritePrivateProfileStringW(L"First", L"a", nullptr, kFile));
    EXPECT_EQ(GetPrivateProfileStringW(L"First", L"a", L"gone", value, static_cast<DWORD>(std::size(value)), kFile), 4u);
    EXPECT_STREQ(value, L"gone");
    ASSERT_TRUE(WritePrivateProfileStringW(L"Second", nullptr, nullptr, kFile));
    EXPECT_EQ(Text().find("Second"), std::string::npos);
    GetPrivateProfileStringW(L"First", L"c", L"", value, static_cast<DWORD>(std::size(value)), kFile);
    EXPECT_STREQ(value, L"3");
}

TEST_F(Profile, StringsAreCutToTheBufferAndTerminated) {
    WritePrivateProfileStringW(L"S", L"k", L"ABCDEFGHIJ", kFile);
    WCHAR value[6];
    std::memset(value, 'x', sizeof value);
    EXPECT_EQ(GetPrivateProfileStringW(L"S", L"k", L"", value, static_cast<DWORD>(std::size(value)), kFile), 5u);
    EXPECT_STREQ(value, L"ABCDE");
    EXPECT_EQ(GetPrivateProfileStringW(L"S", L"missing", L"dflt", value, static_cast<DWORD>(std::size(value)), kFile), 4u);
    EXPECT_STREQ(value, L"dflt");
    EXPECT_EQ(GetPrivateProfileStringW(L"None", L"k", L"x", value, static_cast<DWORD>(std::size(value)), L"nosuchfile.ini"), 1u);
    EXPECT_STREQ(value, L"x");
}

TEST_F(Profile, IntegersAreReadUpToTheFirstOtherCharacter) {
    struct Case {
        const char *text;
        UINT expected;
    } cases[] = {{"12abc", 12}, {"7", 7}, {"abc", 0}, {"-3", static_cast<UINT>(-3)}, {"0x10", 16}, {"0x1G", 1}, {"  42  ", 42}, {"+8", 8}};
    for (const Case &c : cases) {
        WritePrivateProfileStringW(L"N", L"v", W(c.text).c_str(), kFile);
        EXPECT_EQ(GetPrivateProfileIntW(L"N", L"v", 99, kFile), c.expected) << c.text;
    }
    EXPECT_EQ(GetPrivateProfileIntW(L"N", L"missing", 99, kFile), 99u);
    WritePrivateProfileStringW(L"N", L"v", L"", kFile);
    EXPECT_EQ(GetPrivateProfileIntW(L"N", L"v", 99, kFile), 99u) << "an empty value gives the default";
}

// The file is in the ANSI code page, as the Windows the program was made for keeps it.
TEST_F(Profile, TheFileIsInCodePage932) {
    char probe[4] = "";
    WideCharToMultiByte(CP_ACP, 0, L"\u5024", 1, probe, sizeof probe, nullptr, nullptr);
    if (std::string(probe) != "\x92\x6C") GTEST_SKIP() << "the system's ANSI code page is not 932";
    ASSERT_TRUE(WritePrivateProfileStringW(L"\u5199\u771F", L"\u30AD\u30FC", L"\u5024 \u0424", kFile));
    std::string text = Text();
    EXPECT_NE(text.find("[\x8E\xCA\x90\x5E]"), std::string::npos) << text;
    EXPECT_NE(text.find("\x83\x4C\x81\x5B=\x92\x6C \x84\x55"), std::string::npos) << text;
    WCHAR value[16] = L"";
    EXPECT_EQ(GetPrivateProfileStringW(L"\u5199\u771F", L"\u30AD\u30FC", L"", value, 16, kFile), 3u);
    EXPECT_STREQ(value, L"\u5024 \u0424");
}

}  // namespace
