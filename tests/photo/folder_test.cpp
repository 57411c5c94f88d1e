// A folder of the user's photos: its pictures and its subfolders' at any
// depth, in the order of their paths, at most as many as a show counts,
// without entering hidden, system or linked folders, and stopped on the
// caller's word. Runs against Windows (Wine) and the layer.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "photo/folder.h"
#include "platform/testing/layer.h"
#include "support/fixtures.h"
#include "support/saver_fixture.h"

namespace {

const std::string kTree = "C:\\QMS-TREE";

// Makes link a link to the folder target: a host symbolic link on the
// layer, a symbolic link on Windows. False when the system will not.
bool LinkFolder(const std::string &link, const std::string &target) {
#ifdef _WIN32
    return CreateSymbolicLinkW(Wide(link).c_str(), Wide(target).c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) != 0;
#else
    return symlink(Layer::HostPath(target).c_str(), Layer::HostPath(link).c_str()) == 0;
#endif
}

// Removes a tree made by a test; links go without what they lead to.
void RemoveTree(const std::string &folder) {
    WIN32_FIND_DATAW file;
    HANDLE search = FindFirstFileW(Wide(folder + "\\*").c_str(), &file);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = Utf8(file.cFileName), path = folder + "\\" + name;
            if (name == "." || name == "..") continue;
            if (!(file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteDosFile(path);
            else if (file.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) RemoveFolder(path);
            else {
                SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
                RemoveTree(path);
            }
        } while (FindNextFileW(search, &file));
        FindClose(search);
    }
    RemoveFolder(folder);
}

class PhotoFolder : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        RemoveTree(kTree);
        ASSERT_TRUE(CreateDirectoryW(Wide(kTree).c_str(), nullptr));
    }
    void TearDown() override {
        RemoveTree(kTree);
        SaverTest::TearDown();
    }
    // Folders on the way are made; the file's bytes are no picture's: the
    // listing goes by names.
    static void File(const std::string &relative) {
        for (size_t cut = relative.find('\\'); cut != std::string::npos; cut = relative.find('\\', cut + 1))
            CreateDirectoryW(Wide(kTree + "\\" + relative.substr(0, cut)).c_str(), nullptr);
        ASSERT_TRUE(WriteDosFile(kTree + "\\" + relative, Bytes{1, 2, 3}));
    }
    static void Folder(const std::string &relative) {
        ASSERT_TRUE(CreateDirectoryW(Wide(kTree + "\\" + relative).c_str(), nullptr)) << relative;
    }
    static std::vector<std::string> Full(const std::vector<std::string> &relative) {
        std::vector<std::string> paths;
        for (const std::string &r : relative) paths.push_back(kTree + "\\" + r);
        return paths;
    }
};

TEST_F(PhotoFolder, SubfoldersAtAnyDepthAreListedInTheOrderOfTheirPaths) {
    for (const char *name : {"sub.png", "B.jpg", "a.png", "notes.txt", "sub\\z.JPEG", "sub\\deeper\\m.png",
                             "sub\\deeper\\readme", "sub\\a.bmp", "c\\x.jpg", "c\\deepest\\of\\all\\y.Bmp"})
        File(name);
    Folder("empty");
    // Case ignored (a before B), and a folder's paths before the names its
    // name begins (sub\... before sub.png), which plain character order
    // would put the other way round.
    EXPECT_EQ(PhotoFilesIn(kTree), Full({"a.png", "B.jpg", "c\\deepest\\of\\all\\y.Bmp", "c\\x.jpg", "sub\\a.bmp",
                                         "sub\\deeper\\m.png", "sub\\z.JPEG", "sub.png"}));
    // A folder named with its separator lists the same; a subfolder lists its own.
    EXPECT_EQ(PhotoFilesIn(kTree + "\\"), PhotoFilesIn(kTree));
    EXPECT_EQ(PhotoFilesIn(kTree + "\\SUB"), std::vector<std::string>({kTree + "\\SUB\\a.bmp",
                                                                       kTree + "\\SUB\\deeper\\m.png",
                                                                       kTree + "\\SUB\\z.JPEG"}));
    EXPECT_TRUE(PhotoFilesIn(kTree + "\\empty").empty());
    EXPECT_TRUE(PhotoFilesIn(kTree + "\\missing").empty());
}

TEST_F(PhotoFolder, TheListingStopsAtTheMostAShowCountsTakingTheFirstInOrder) {
    // Under Wine the files alone take nearly two minutes to write.
    SKIP_WITHOUT_LAYER("writes 33000 files, straight on the host's drive in memory");
    // 100 folders of 330: 33000 pictures, 233 too many. The folders are
    // made in reverse, so the first ones made are not the first listed.
    std::string tree = kTree, memory;
#ifndef _WIN32
    char folder[] = "/dev/shm/qmsaver-tree-XXXXXX";
    if (mkdtemp(folder)) {
        memory = folder;
        Layer::MapDrive('T', memory, DRIVE_FIXED);
        tree = "T:\\QMS-TREE";
        ASSERT_TRUE(CreateDirectoryW(Wide(tree).c_str(), nullptr));
    }
#endif
    constexpr int kFolders = 100, kEach = 330;
    char name[32];
    for (int f = kFolders - 1; f >= 0; f--) {
        std::snprintf(name, sizeof name, "d%02d", f);
        ASSERT_TRUE(CreateDirectoryW(Wide(tree + "\\" + name).c_str(), nullptr)) << name;
        std::string host = Layer::HostPath(tree + "\\" + name);
        for (int i = 0; i < kEach; i++) {
            char file[16];
            std::snprintf(file, sizeof file, "p%03d.bmp", i);
            std::ofstream(host + "/" + file, std::ios::binary) << 'B';
            ASSERT_TRUE(std::ifstream(host + "/" + file).good()) << name << file;
        }
    }
    std::vector<size_t> reported;
    std::vector<std::string> found = PhotoFilesIn(tree, [&](size_t n) {
        reported.push_back(n);
        return true;
    });
    if (!memory.empty()) std::filesystem::remove_all(memory);
    ASSERT_EQ(found.size(), kMostPicturesInAFolder);
    EXPECT_EQ(found.front(), tree + "\\d00\\p000.bmp");
    std::snprintf(name, sizeof name, "d%02d\\p%03d.bmp", int(kMostPicturesInAFolder / kEach),
                  int(kMostPicturesInAFolder % kEach - 1));
    EXPECT_EQ(found.back(), tree + "\\" + name);
    for (size_t i = 1; i < found.size(); i++) ASSERT_LT(found[i - 1], found[i]) << i;
    // Told as each folder is entered and every so many pictures, never going back.
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.front(), 0u);
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
    EXPECT_GE(reported.size(), size_t{kMostPicturesInAFolder / kPicturesBetweenProgress});
    EXPECT_LE(reported.back(), kMostPicturesInAFolder);
}

TEST_F(PhotoFolder, HiddenSystemAndLinkedFoldersAreNotEntered) {
    for (const char *name : {"seen\\a.jpg", "hidden\\b.jpg", "system\\c.jpg", "both\\d.jpg", "top.png"}) File(name);
    ASSERT_TRUE(SetFileAttributesW(Wide(kTree + "\\hidden").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesW(Wide(kTree + "\\system").c_str(), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(SetFileAttributesW(Wide(kTree + "\\both").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    const std::vector<std::string> visible = Full({"seen\\a.jpg", "top.png"});
    EXPECT_EQ(PhotoFilesIn(kTree), visible);
    // The folder asked for is listed whatever it is.
    EXPECT_EQ(PhotoFilesIn(kTree + "\\hidden"), Full({"hidden\\b.jpg"}));
    // Shown again, they are listed again.
    ASSERT_TRUE(SetFileAttributesW(Wide(kTree + "\\system").c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(PhotoFilesIn(kTree), Full({"seen\\a.jpg", "system\\c.jpg", "top.png"}));

    // A link back to the tree's top and one to a folder beside it: neither
    // is followed, so the listing ends and lists each picture once.
    if (!LinkFolder(kTree + "\\seen\\loop", kTree) || !LinkFolder(kTree + "\\elsewhere", kTree + "\\system"))
        GTEST_SKIP() << "this system makes no links to folders";
    EXPECT_NE(GetFileAttributesW(Wide(kTree + "\\seen\\loop").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    EXPECT_EQ(PhotoFilesIn(kTree), Full({"seen\\a.jpg", "system\\c.jpg", "top.png"}));
}

TEST_F(PhotoFolder, StoppingGivesWhatWasFoundSoFarInOrder) {
    // 150 pictures in the top folder and 150 in a subfolder listed before them.
    char name[32];
    Folder("0 first");
    for (int i = 0; i < 150; i++) {
        std::snprintf(name, sizeof name, "0 first\\%03d.png", i);
        File(name);
        std::snprintf(name, sizeof name, "%03d.jpg", i);
        File(name);
    }
    std::vector<std::string> all = PhotoFilesIn(kTree);
    ASSERT_EQ(all.size(), 300u);
    // Stopped after the first round of pictures.
    std::vector<size_t> reported;
    std::vector<std::string> some = PhotoFilesIn(kTree, [&](size_t n) {
        reported.push_back(n);
        return n < kPicturesBetweenProgress;
    });
    ASSERT_EQ(some.size(), kPicturesBetweenProgress);
    EXPECT_TRUE(std::equal(some.begin(), some.end(), all.begin()));
    EXPECT_EQ(reported, std::vector<size_t>({0, 0, kPicturesBetweenProgress}));
    // Stopped at a later report: the second round's end.
    some = PhotoFilesIn(kTree, [&](size_t n) { return n < 100 || n % kPicturesBetweenProgress != 0 || n >= 150; });
    EXPECT_EQ(some.size(), 128u);
    // Stopped at once: nothing.
    EXPECT_TRUE(PhotoFilesIn(kTree, [](size_t) { return false; }).empty());
}

}  // namespace
