// Files opened with CreateFileW and worked through the handle calls, and
// directories by name, behave as Windows has them: run against both.

#include "support/fixtures.h"
#include "support/saver_fixture.h"
#include "wide.h"

namespace {

class Files : public SaverTest {
protected:
    void TearDown() override {
        for (const std::string &f : created) DeleteDosFile(f);
        SetCurrentDirectoryW(W(original).c_str());
        SaverTest::TearDown();
    }
    void SetUp() override {
        SaverTest::SetUp();
        WCHAR path[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, path);
        original = U(path);
        GetWindowsDirectoryW(path, MAX_PATH);
        windows = U(path);
        GetSystemDirectoryW(path, MAX_PATH);
        system = U(path);
    }
    void Create(const std::string &path, const std::string &text) {
        ASSERT_TRUE(WriteDosFile(path, Bytes(text.begin(), text.end())));
        created.push_back(path);
    }
    HFILE Open(const std::string &path, DWORD access, DWORD disposition) {
        HANDLE h = CreateFileW(W(path).c_str(), access, access == GENERIC_READ ? FILE_SHARE_READ : 0, nullptr,
                               disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        return h == INVALID_HANDLE_VALUE ? HFILE_ERROR : static_cast<HFILE>(HandleToLong(h));
    }
    std::string original, windows, system;
    std::vector<std::string> created;
};

TEST_F(Files, ReadWriteSeekAndTruncate) {
    std::string path = system + "\\QMSRW.BIN";
    created.push_back(path);
    HFILE f = Open(path, GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(f, HFILE_ERROR);
    EXPECT_EQ(_lwrite(f, "0123456789", 10), 10u);
    EXPECT_EQ(_llseek(f, 4, FILE_BEGIN), 4);
    EXPECT_EQ(_lwrite(f, "", 0), 0u);  // writing nothing cuts the file here
    EXPECT_EQ(_llseek(f, 0, FILE_END), 4);
    EXPECT_EQ(_llseek(f, -5, FILE_CURRENT), HFILE_ERROR) << "no seeking before the start";
    _lclose(f);

    f = Open(system + "\\qmsrw.bin", GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(f, HFILE_ERROR) << "names are found without regard to case";
    char buffer[16] = "";
    EXPECT_EQ(_lread(f, buffer, sizeof buffer), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(_lread(f, buffer, sizeof buffer), 0u) << "at the end a read gives 0 bytes";
    EXPECT_EQ(_llseek(f, 100, FILE_BEGIN), 100) << "seeking past the end is allowed";
    EXPECT_EQ(_hread(f, buffer, 8), 0);
    EXPECT_EQ(_lwrite(f, "x", 1), static_cast<UINT>(HFILE_ERROR)) << "a file opened for reading takes no writes";
    EXPECT_EQ(_lclose(f), 0);
    EXPECT_EQ(_lclose(f), HFILE_ERROR) << "a handle closes once";

    f = Open(path, GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(f, HFILE_ERROR);
    _lclose(f);
    EXPECT_TRUE(ReadDosFile(path).empty()) << "creating truncates";
    EXPECT_TRUE(DeleteFileW(W(path).c_str()));
    EXPECT_EQ(Open(path, GENERIC_READ, OPEN_EXISTING), HFILE_ERROR);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(DeleteFileW(W(path).c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// A bare name is the current directory's: nothing else is searched.
TEST_F(Files, BareNamesAreTheCurrentDirectorys) {
    Create(system + "\\QMSFIND.TXT", "system");
    ASSERT_TRUE(SetCurrentDirectoryW(W(windows).c_str()));
    EXPECT_EQ(Open("QMSFIND.TXT", GENERIC_READ, OPEN_EXISTING), HFILE_ERROR);
    ASSERT_TRUE(SetCurrentDirectoryW(W(system).c_str()));
    HFILE f = Open("qmsfind.txt", GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(f, HFILE_ERROR);
    char buffer[16] = "";
    EXPECT_EQ(_lread(f, buffer, sizeof buffer), 6u);
    EXPECT_EQ(std::string(buffer, 6), "system");
    _lclose(f);
    EXPECT_EQ(Open("", GENERIC_READ, OPEN_EXISTING), HFILE_ERROR);
}

TEST_F(Files, DirectoriesByName) {
    WCHAR buffer[4];
    UINT needed = GetSystemDirectoryW(buffer, 4);
    EXPECT_EQ(needed, W(system).size() + 1) << "too small a buffer reports the size needed";
    std::string sub = system + "\\QMSDIR";
    EXPECT_TRUE(CreateDirectoryW(W(sub).c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryW(W(sub).c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    std::string lower = system + "\\qmsdir";
    EXPECT_TRUE(SetCurrentDirectoryW(W(lower).c_str()));
    WCHAR current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_STRCASEEQ(U(current).c_str(), sub.c_str());
    Create("INSIDE.TXT", "here");
    EXPECT_EQ(ReadDosFile(sub + "\\inside.txt"), Bytes({'h', 'e', 'r', 'e'}));
    created.push_back(sub + "\\INSIDE.TXT");
    EXPECT_TRUE(SetCurrentDirectoryW(L".."));
    GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_STRCASEEQ(U(current).c_str(), system.c_str());
    DeleteDosFile(sub + "\\INSIDE.TXT");
    RemoveDirectoryW(W(sub).c_str());
    EXPECT_FALSE(SetCurrentDirectoryW(W(system + "\\QMSNOSUCHDIR").c_str()));
}

}  // namespace
