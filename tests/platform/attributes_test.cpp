// File attributes as the photo listing reads them: hidden and system marks
// set and cleared by SetFileAttributesW, seen by GetFileAttributesW and by a
// search; links to folders reported as reparse points and removed without
// what they lead to. Runs against Windows (Wine) and the layer.
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "platform/testing/layer.h"
#include "support/fixtures.h"
#include "support/saver_fixture.h"

namespace {

const std::string kFolder = "C:\\QMS-ATTR";

class Attributes : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        CreateDirectoryW(Wide(kFolder).c_str(), nullptr);
        CreateDirectoryW(Wide(kFolder + "\\Inner").c_str(), nullptr);
        ASSERT_TRUE(WriteDosFile(kFolder + "\\file.txt", Bytes{1}));
    }
    void TearDown() override {
        SetFileAttributesW(Wide(kFolder + "\\Inner").c_str(), FILE_ATTRIBUTE_NORMAL);
        SetFileAttributesW(Wide(kFolder + "\\file.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveFolder(kFolder + "\\link");
        DeleteDosFile(kFolder + "\\file.txt");
        RemoveFolder(kFolder + "\\Inner");
        RemoveFolder(kFolder);
        SaverTest::TearDown();
    }
    // What a search of the folder says of one of its entries.
    static DWORD Found(const std::string &name) {
        WIN32_FIND_DATAW data;
        HANDLE search = FindFirstFileW(Wide(kFolder + "\\*").c_str(), &data);
        if (search == INVALID_HANDLE_VALUE) return INVALID_FILE_ATTRIBUTES;
        DWORD attributes = INVALID_FILE_ATTRIBUTES;
        do
            if (Utf8(data.cFileName) == name) attributes = data.dwFileAttributes;
        while (FindNextFileW(search, &data));
        FindClose(search);
        return attributes;
    }
};

TEST_F(Attributes, HiddenAndSystemMarksAreKeptByFoldersAndFilesUntilCleared) {
    const std::wstring inner = Wide(kFolder + "\\inner"), file = Wide(kFolder + "\\FILE.TXT");
    constexpr DWORD kMarks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    EXPECT_EQ(GetFileAttributesW(inner.c_str()) & kMarks, 0u);
    ASSERT_TRUE(SetFileAttributesW(inner.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetFileAttributesW(inner.c_str()) & (kMarks | FILE_ATTRIBUTE_DIRECTORY), kMarks | FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Found("Inner") & (kMarks | FILE_ATTRIBUTE_DIRECTORY), kMarks | FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesW(file.c_str()) & kMarks, DWORD{FILE_ATTRIBUTE_HIDDEN});
    EXPECT_EQ(Found("file.txt") & kMarks, DWORD{FILE_ATTRIBUTE_HIDDEN});
    ASSERT_TRUE(SetFileAttributesW(inner.c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(Found("Inner") & kMarks, 0u);
    EXPECT_EQ(GetFileAttributesW(inner.c_str()), DWORD{FILE_ATTRIBUTE_DIRECTORY});
    EXPECT_FALSE(SetFileAttributesW(Wide(kFolder + "\\missing").c_str(), FILE_ATTRIBUTE_HIDDEN));
}

TEST_F(Attributes, ALinkToAFolderIsAReparsePointAndGoesAloneWhenRemoved) {
    const std::string link = kFolder + "\\link";
#ifdef _WIN32
    bool made = CreateSymbolicLinkW(Wide(link).c_str(), Wide(kFolder + "\\Inner").c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
#else
    bool made = symlink(Layer::HostPath(kFolder + "\\Inner").c_str(), Layer::HostPath(link).c_str()) == 0;
#endif
    if (!made) GTEST_SKIP() << "this system makes no links to folders";
    constexpr DWORD kLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    EXPECT_EQ(GetFileAttributesW(Wide(link).c_str()) & kLink, kLink);
    EXPECT_EQ(Found("link") & kLink, kLink);
    EXPECT_EQ(Found("Inner") & kLink, DWORD{FILE_ATTRIBUTE_DIRECTORY});
    // Wine removes the link but says it found nothing: what counts is that it is gone.
    BOOL removed = RemoveFolder(link);
    if (Layer::Available()) EXPECT_TRUE(removed);
    EXPECT_EQ(GetFileAttributesW(Wide(link).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(Wide(kFolder + "\\Inner").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
