// The shell calls the editor makes: the user's Pictures folder, and the
// folder chooser handing back the folder picked (or nothing on Cancel).
// Runs against Windows (Wine), answered through its real chooser, and
// against the layer's script.
#include <windows.h>

#include <shlobj.h>

#include <string>

#include "support/fixtures.h"
#include "support/folder_dialog.h"
#include "support/saver_fixture.h"
#include "wide.h"

namespace {

const char kChosen[] = "C:\\QMS-CHOSEN";

class Shell : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        owner = MakePlainWindow(200, 100);
        CreateDirectoryW(W(kChosen).c_str(), nullptr);
        Pump();
    }
    void TearDown() override {
        if (IsWindow(owner)) DestroyWindow(owner);
        RemoveDirectoryW(W(kChosen).c_str());
        SaverTest::TearDown();
    }
    // The chooser as the editor opens it; the folder picked, or "" on Cancel.
    std::string Choose(const std::string &answer, std::string *displayName, std::vector<FolderChooserShown> *shown) {
        WCHAR name[MAX_PATH] = L"";
        BROWSEINFOW info{};
        info.hwndOwner = owner;
        info.pszDisplayName = name;
        info.lpszTitle = L"フォルダー";
        info.ulFlags = BIF_RETURNONLYFSDIRS;
        PIDLIST_ABSOLUTE chosen = nullptr;
        CoInitialize(nullptr);
        *shown = AnswerFolderChoosers([&] { chosen = SHBrowseForFolderW(&info); }, {answer});
        WCHAR path[MAX_PATH] = L"";
        if (chosen) {
            EXPECT_TRUE(SHGetPathFromIDListW(chosen, path));
            CoTaskMemFree(chosen);
        }
        CoUninitialize();
        *displayName = U(name);
        return U(path);
    }
    HWND owner = nullptr;
};

TEST_F(Shell, ThePicturesFolderIsAFolderOfTheUser) {
    WCHAR path[MAX_PATH] = L"";
    ASSERT_EQ(SHGetFolderPathW(owner, CSIDL_MYPICTURES, nullptr, SHGFP_TYPE_CURRENT, path), S_OK);
    DWORD attributes = GetFileAttributesW(path);
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << U(path);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(U(path).rfind("C:\\", 0), 0u) << U(path);
    EXPECT_NE(U(path).back(), '\\') << "no trailing backslash";
}

TEST_F(Shell, TheChooserHandsBackTheFolderPickedOrNothing) {
    std::string name;
    std::vector<FolderChooserShown> shown;
    std::string path = Choose(kChosen, &name, &shown);
    EXPECT_EQ(path, kChosen);
    EXPECT_FALSE(name.empty()) << "its display name, whose form differs between systems";
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].owner, owner);
    EXPECT_EQ(shown[0].title, "フォルダー");
    EXPECT_EQ(Choose("", &name, &shown), "") << "Cancel";
    EXPECT_EQ(shown.size(), 1u);
}

}  // namespace
