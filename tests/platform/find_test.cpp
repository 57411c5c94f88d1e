// File search as the manager lists the shows: patterns matched without
// regard to case, folders listed with "." and "..", and the errors Windows
// sets. Runs against Windows (Wine) and the layer alike.
#include <algorithm>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "support/fixtures.h"
#include "support/saver_fixture.h"
#include "wide.h"

namespace {

class FindFiles : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        GetCurrentDirectoryW(MAX_PATH, original);
        WCHAR windows[MAX_PATH];
        GetWindowsDirectoryW(windows, MAX_PATH);
        folder = U(windows) + "\\QMSFIND";
        CreateDirectoryW(W(folder).c_str(), nullptr);
        CreateDirectoryW(W(folder + "\\SubDir").c_str(), nullptr);
        for (const char *name : {"Alpha.QMS", "beta.qms", "GAMMA.TXT", "noext", "a.qmsx"}) {
            ASSERT_TRUE(WriteDosFile(folder + "\\" + name, Bytes(5, 'x')));
            files.push_back(folder + "\\" + name);
        }
    }
    void TearDown() override {
        SetCurrentDirectoryW(original);
        for (const std::string &f : files) DeleteDosFile(f);
        RemoveDirectoryW(W(folder + "\\SubDir").c_str());
        RemoveDirectoryW(W(folder).c_str());
        SaverTest::TearDown();
    }
    // The names found in the order given, or the error when none was.
    std::vector<std::string> Find(const std::string &pattern, DWORD *error = nullptr) {
        std::vector<std::string> names;
        WIN32_FIND_DATAW data;
        HANDLE search = FindFirstFileW(W(pattern).c_str(), &data);
        if (search == INVALID_HANDLE_VALUE) {
            if (error) *error = GetLastError();
            return names;
        }
        do {
            names.push_back(U(data.cFileName));
            bool directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            EXPECT_EQ(directory, names.back() == "." || names.back() == ".." || names.back() == "SubDir" ||
                                 names.back() == "QMSFIND")
                << names.back();
            if (!directory) EXPECT_EQ(data.nFileSizeLow, 5u);
        } while (FindNextFileW(search, &data));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
        EXPECT_FALSE(FindNextFileW(search, &data)) << "the end stays the end";
        EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(FindClose(search));
        return names;
    }
    static std::vector<std::string> Sorted(std::vector<std::string> names) {
        std::sort(names.begin(), names.end());
        return names;
    }
    WCHAR original[MAX_PATH];
    std::string folder;
    std::vector<std::string> files;
};

TEST_F(FindFiles, PatternsMatchWithoutRegardToCaseAndFoldersComeWithTheirDots) {
    std::vector<std::string> all = Find(folder + "\\*");
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[0], ".");
    EXPECT_EQ(all[1], "..");
    EXPECT_EQ(Sorted(std::vector<std::string>(all.begin() + 2, all.end())),
              Sorted({"Alpha.QMS", "beta.qms", "GAMMA.TXT", "noext", "a.qmsx", "SubDir"}))
        << "names as the disk spells them, the folder among the files";
    EXPECT_EQ(Sorted(Find(folder + "\\*.*")), Sorted(all)) << "*.* takes names without a dot too";
    // A long extension is found by the three letters of its short name, as on FAT.
    EXPECT_EQ(Sorted(Find(folder + "\\*.qms")), Sorted({"Alpha.QMS", "beta.qms", "a.qmsx"}));
    EXPECT_EQ(Sorted(Find(folder + "\\*.QMS")), Sorted({"Alpha.QMS", "beta.qms", "a.qmsx"}));
    EXPECT_EQ(Find(folder + "\\?????.qms"), std::vector<std::string>{"Alpha.QMS"}) << "? is exactly one character";
    EXPECT_EQ(Find(folder + "\\gamma.txt"), std::vector<std::string>{"GAMMA.TXT"});
    EXPECT_EQ(Find(folder), std::vector<std::string>{"QMSFIND"}) << "a folder named without a pattern is itself";
    EXPECT_EQ(Find(folder + "\\SubDir\\*"), (std::vector<std::string>{".", ".."}));
    // The manager's pattern, relative to the current directory.
    ASSERT_TRUE(SetCurrentDirectoryW(W(folder).c_str()));
    EXPECT_EQ(Sorted(Find("*.qms")), Sorted({"Alpha.QMS", "beta.qms", "a.qmsx"}));
}

// The layer lists a folder as NTFS does, by name without regard to case
// (Wine gives the host's own order), each entry described as it is on the
// disk; on a CD-ROM every file is read-only.
TEST_F(FindFiles, TheLayerListsAFolderByNameWithoutRegardToCaseAndDescribesEachEntry) {
    SKIP_WITHOUT_LAYER("the order is NTFS's on the layer; Wine lists in the host's order");
    ASSERT_TRUE(WriteDosFile(folder + "\\longer.qms", Bytes(12, 'y')));
    files.push_back(folder + "\\longer.qms");
    struct Entry {
        std::string name;
        DWORD attributes;
        DWORD size;
    };
    auto search = [](const std::string &pattern) {
        std::vector<Entry> entries;
        WIN32_FIND_DATAW data;
        HANDLE found = FindFirstFileW(W(pattern).c_str(), &data);
        if (found == INVALID_HANDLE_VALUE) return entries;
        do entries.push_back({U(data.cFileName), data.dwFileAttributes, data.nFileSizeLow});
        while (FindNextFileW(found, &data));
        FindClose(found);
        return entries;
    };
    std::vector<Entry> all = search(folder + "\\*");
    std::vector<std::string> names;
    for (const Entry &e : all) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "a.qmsx", "Alpha.QMS", "beta.qms", "GAMMA.TXT", "longer.qms",
                                               "noext", "SubDir"}));
    for (const Entry &e : all) {
        bool folderEntry = e.name == "." || e.name == ".." || e.name == "SubDir";
        EXPECT_EQ((e.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, folderEntry) << e.name;
        EXPECT_EQ(e.attributes & FILE_ATTRIBUTE_READONLY, 0u) << e.name << ": written by this user";
        if (!folderEntry) EXPECT_EQ(e.size, e.name == "longer.qms" ? 12u : 5u) << e.name;
    }
    std::vector<Entry> shortNamed = search(folder + "\\*.qms");
    ASSERT_EQ(shortNamed.size(), 4u);
    EXPECT_EQ(shortNamed[0].name, "a.qmsx") << "found by its short name, in the order of its long one";
    EXPECT_EQ(shortNamed[3].name, "longer.qms");

#ifndef _WIN32
    // A file no one may write is read-only, whoever looks (root too).
    ASSERT_EQ(chmod(Layer::HostPath(folder + "\\longer.qms").c_str(), 0444), 0);
    for (const Entry &e : search(folder + "\\*"))
        EXPECT_EQ(e.attributes & FILE_ATTRIBUTE_READONLY, e.name == "longer.qms" ? DWORD{FILE_ATTRIBUTE_READONLY} : 0u)
            << e.name;
#endif

    // The same folder as a CD-ROM: its files are read-only, its folders folders.
    Layer::MapDrive('G', Layer::HostPath(folder), DRIVE_CDROM);
    std::vector<Entry> disc = search("G:\\*");
    ASSERT_EQ(disc.size(), 7u) << "no dots in a drive's root";
    for (const Entry &e : disc) {
        if (e.name == "SubDir") EXPECT_EQ(e.attributes, DWORD{FILE_ATTRIBUTE_DIRECTORY});
        else EXPECT_EQ(e.attributes, DWORD{FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY}) << e.name;
    }
}

TEST_F(FindFiles, NothingFoundSetsTheErrorWindowsSets) {
    DWORD error = 0;
    EXPECT_TRUE(Find(folder + "\\*.zzz", &error).empty());
    EXPECT_EQ(error, DWORD(ERROR_FILE_NOT_FOUND));
    error = 0;
    EXPECT_TRUE(Find(folder + "\\NOFOLDER\\*.qms", &error).empty());
    EXPECT_EQ(error, DWORD(ERROR_PATH_NOT_FOUND));
    error = 0;
    EXPECT_TRUE(Find(folder + "\\", &error).empty()) << "a folder with a separator after it";
    EXPECT_EQ(error, DWORD(ERROR_FILE_NOT_FOUND));
    error = 0;
    EXPECT_TRUE(Find("", &error).empty());
    EXPECT_EQ(error, DWORD(ERROR_PATH_NOT_FOUND));
    // A drive's root has no "." and "..".
    WCHAR windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((std::wstring(windows, 3) + L"*").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    int dots = 0;
    do dots += std::wstring(data.cFileName) == L"." || std::wstring(data.cFileName) == L"..";
    while (FindNextFileW(search, &data));
    FindClose(search);
    EXPECT_EQ(dots, 0);
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(FindNextFileW(INVALID_HANDLE_VALUE, &data));
}

}  // namespace
