// Handle-based files and directories behave as Windows has them: run
// against both.
#include <cstring>

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
    std::string ReadBare(const char *name) {
        OFSTRUCT info{};
        HFILE f = OpenFile(name, &info, OF_READ);
        if (f == HFILE_ERROR) return "<none>";
        char buffer[64] = "";
        UINT n = _lread(f, buffer, sizeof buffer - 1);
        _lclose(f);
        return std::string(buffer, n);
    }
    std::string original, windows, system;
    std::vector<std::string> created;
};

TEST_F(Files, BareNamesAreFoundInTheCurrentThenWindowsThenSystemDirectory) {
    ASSERT_TRUE(SetCurrentDirectoryW(W(system).c_str()));
    Create(system + "\\QMSFIND.TXT", "system");
    EXPECT_EQ(ReadBare("qmsfind.txt"), "system") << "names are found without regard to case";
    ASSERT_TRUE(SetCurrentDirectoryW(W(windows).c_str()));
    EXPECT_EQ(ReadBare("QMSFIND.TXT"), "system");
    Create(windows + "\\QMSFIND.TXT", "windows");
    EXPECT_EQ(ReadBare("QMSFIND.TXT"), "windows");
    ASSERT_TRUE(SetCurrentDirectoryW(W(system).c_str()));
    EXPECT_EQ(ReadBare("QMSFIND.TXT"), "system");
    OFSTRUCT info{};
    EXPECT_NE(OpenFile("QMSFIND.TXT", &info, OF_EXIST), HFILE_ERROR);
    EXPECT_STRCASEEQ(info.szPathName, (system + "\\QMSFIND.TXT").c_str());
    EXPECT_EQ(OpenFile("", &info, OF_READ), HFILE_ERROR);
    EXPECT_EQ(OpenFile("QMSNONE.TXT", &info, OF_READ), HFILE_ERROR);
    EXPECT_EQ(info.nErrCode, ERROR_FILE_NOT_FOUND);
}

TEST_F(Files, ReadWriteSeekAndTruncate) {
    std::string path = system + "\\QMSRW.BIN";
    created.push_back(path);
    OFSTRUCT info{};
    HFILE f = OpenFile(path.c_str(), &info, OF_CREATE | OF_WRITE);
    ASSERT_NE(f, HFILE_ERROR);
    EXPECT_EQ(_lwrite(f, "0123456789", 10), 10u);
    EXPECT_EQ(_llseek(f, 4, FILE_BEGIN), 4);
    EXPECT_EQ(_lwrite(f, "", 0), 0u);  // writing nothing cuts the file here
    EXPECT_EQ(_llseek(f, 0, FILE_END), 4);
    EXPECT_EQ(_llseek(f, -5, FILE_CURRENT), HFILE_ERROR) << "no seeking before the start";
    _lclose(f);

    f = OpenFile(path.c_str(), &info, OF_READ);
    ASSERT_NE(f, HFILE_ERROR);
    char buffer[16] = "";
    EXPECT_EQ(_lread(f, buffer, sizeof buffer), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(_lread(f, buffer, sizeof buffer), 0u) << "at the end a read gives 0 bytes";
    EXPECT_EQ(_llseek(f, 100, FILE_BEGIN), 100) << "seeking past the end is allowed";
    EXPECT_EQ(_hread(f, buffer, 8), 0);
    EXPECT_EQ(_lwrite(f, "x", 1), static_cast<UINT>(HFILE_ERROR)) << "a file opened for reading takes no writes";
    EXPECT_EQ(_lclose(f), 0);
    EXPECT_EQ(_lclose(f), HFILE_ERROR) << "a handle closes once";

    f = OpenFile(path.c_str(), &info, OF_CREATE | OF_WRITE);
    _lclose(f);
    EXPECT_TRUE(ReadDosFile(path).empty()) << "creating truncates";
    EXPECT_NE(OpenFile(path.c_str(), &info, OF_DELETE), HFILE_ERROR);
    EXPECT_EQ(OpenFile(path.c_str(), &info, OF_EXIST), HFILE_ERROR);
    EXPECT_EQ(OpenFile(path.c_str(), &info, OF_DELETE), HFILE_ERROR);
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
