// The save-as dialog as the editor uses it: the structure's size checked
// first, the user's answer handed back as a full path, Cancel and a buffer
// too small told apart. Runs against Windows (Wine), answered through its
// real dialog, and against the layer's script.
#include <windows.h>

#include <commdlg.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "platform/testing/layer.h"
#include "support/fixtures.h"
#include "support/save_dialog.h"
#include "wide.h"
#include "support/saver_fixture.h"

namespace {

const wchar_t kFilter[] = L"Shows (*.QMS)\0*.QMS\0";

class SaveDialog : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        WCHAR dir[MAX_PATH];
        GetWindowsDirectoryW(dir, MAX_PATH);
        windows = U(dir);
        wideWindows = dir;
        owner = MakePlainWindow(200, 100);
        Pump();
    }
    void TearDown() override {
        if (IsWindow(owner)) DestroyWindow(owner);
        SaverTest::TearDown();
    }
    OPENFILENAMEW Options(WCHAR *path, DWORD size) {
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = owner;
        ofn.lpstrFilter = kFilter;
        ofn.lpstrFile = path;
        ofn.nMaxFile = size;
        ofn.lpstrInitialDir = wideWindows.c_str();
        ofn.lpstrDefExt = L"QMS";
        ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
        return ofn;
    }
    // Runs the dialog with the user's answers: its result and extended error.
    std::vector<SaveAsShown> Run(OPENFILENAMEW &ofn, std::vector<std::string> answers) {
        return AnswerSaveAs(
            [&] {
                result = GetSaveFileNameW(&ofn);
                error = CommDlgExtendedError();
            },
            std::move(answers));
    }
    std::string windows;
    std::wstring wideWindows;
    HWND owner = nullptr;
    BOOL result = -1;
    DWORD error = 0xFFFF;
};

TEST_F(SaveDialog, AStructureOfAnotherSizeFailsBeforeAnyDialogShows) {
    // The 64-bit layout, as the Windows headers have it.
    EXPECT_EQ(sizeof(OPENFILENAMEW), 152u);
    EXPECT_EQ(OPENFILENAME_SIZE_VERSION_400W, 136u);
    EXPECT_EQ(offsetof(OPENFILENAMEW, lpstrFile), 48u);
    EXPECT_EQ(offsetof(OPENFILENAMEW, Flags), 96u);
    EXPECT_EQ(offsetof(OPENFILENAMEW, nFileExtension), 102u);
    WCHAR path[MAX_PATH] = L"";
    OPENFILENAMEW ofn = Options(path, MAX_PATH);
    for (DWORD size : {DWORD(0), DWORD(10), DWORD(sizeof ofn + 4), DWORD(OPENFILENAME_SIZE_VERSION_400W + 4)}) {
        ofn.lStructSize = size;
        EXPECT_TRUE(Run(ofn, {windows + "\\QMSNEVER"}).empty()) << size;
        EXPECT_FALSE(result);
        EXPECT_EQ(error, DWORD(CDERR_STRUCTSIZE));
    }
    // The size before Windows 2000 is taken.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    EXPECT_EQ(Run(ofn, {""}).size(), 1u);
    EXPECT_EQ(error, 0u);
}

TEST_F(SaveDialog, TheAnswerComesBackAsAFullPathWithTheDefaultExtension) {
    WCHAR path[MAX_PATH] = L"MYSHOW.QMS";
    OPENFILENAMEW ofn = Options(path, MAX_PATH);
    auto shown = Run(ofn, {windows + "\\NEWSHOW"});
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].owner, owner);
    EXPECT_STRCASEEQ(shown[0].offered.c_str(), "MYSHOW.QMS");
    EXPECT_TRUE(result);
    EXPECT_EQ(error, 0u);
    // Case aside: Wine adds the filter's extension in lower case, Windows lpstrDefExt as given.
    EXPECT_STRCASEEQ(U(path).c_str(), (windows + "\\NEWSHOW.QMS").c_str());
    EXPECT_EQ(ofn.nFileOffset, windows.size() + 1);
    EXPECT_EQ(ofn.nFileExtension, windows.size() + 1 + std::strlen("NEWSHOW."));

    ofn = Options(path, MAX_PATH);
    Run(ofn, {"NAME2"});
    EXPECT_STRCASEEQ(U(path).c_str(), (windows + "\\NAME2.QMS").c_str()) << "a bare name is in the folder the dialog opened in";
    ofn = Options(path, MAX_PATH);
    Run(ofn, {windows + "\\other.txt"});
    EXPECT_STREQ(U(path).c_str(), (windows + "\\other.txt").c_str()) << "an extension typed stays";
    EXPECT_EQ(ofn.nFileExtension, windows.size() + 1 + std::strlen("other."));

    // A file there already is replaced once the user says so.
    std::string existing = windows + "\\QMSEXIST.QMS";
    ASSERT_TRUE(WriteDosFile(existing, Bytes(3, 'x')));
    ofn = Options(path, MAX_PATH);
    Run(ofn, {existing});
    DeleteDosFile(existing);
    EXPECT_TRUE(result);
    EXPECT_STRCASEEQ(U(path).c_str(), existing.c_str());
}

TEST_F(SaveDialog, CancelAndTooSmallABufferAreToldApart) {
    WCHAR path[MAX_PATH] = L"MYSHOW.QMS";
    OPENFILENAMEW ofn = Options(path, MAX_PATH);
    EXPECT_EQ(Run(ofn, {""}).size(), 1u);
    EXPECT_FALSE(result);
    EXPECT_EQ(error, 0u) << "Cancel is no error";
    EXPECT_STREQ(U(path).c_str(), "MYSHOW.QMS");
    EXPECT_EQ(Run(ofn, {}).size(), 1u) << "with no answer left the user cancels";
    EXPECT_FALSE(result);

    std::string answer = windows + "\\LONGERNAME.QMS";
    ofn = Options(path, 10);
    Run(ofn, {answer});
    EXPECT_FALSE(result);
    EXPECT_EQ(error, DWORD(FNERR_BUFFERTOOSMALL));
    WORD needed;
    std::memcpy(&needed, path, sizeof needed);
    EXPECT_EQ(needed, answer.size() + 1) << "the size needed, in the buffer's first two bytes";
}

TEST_F(SaveDialog, TheLayerKeepsWhatEachDialogWasGivenAndTakesTheNextAnswerWhenOneIsRefused) {
    SKIP_WITHOUT_LAYER("reads the layer's record of its dialogs");
    WCHAR path[MAX_PATH] = L"*.QMS";
    OPENFILENAMEW ofn = Options(path, MAX_PATH);
    ofn.Flags |= OFN_PATHMUSTEXIST;
    // A folder that does not exist and a pattern keep the dialog open.
    Run(ofn, {windows + "\\NOFOLDER\\A", "*.TXT", windows + "\\B"});
    EXPECT_TRUE(result);
    EXPECT_STREQ(U(path).c_str(), (windows + "\\B.QMS").c_str());
    auto shown = Layer::SaveDialogsShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].owner, owner);
    EXPECT_EQ(shown[0].file, "*.QMS");
    EXPECT_EQ(shown[0].filter, (std::vector<std::string>{"Shows (*.QMS)", "*.QMS"}));
    EXPECT_EQ(shown[0].defExt, "QMS");
    EXPECT_EQ(shown[0].flags, DWORD(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST));
    EXPECT_EQ(shown[0].initialDir, windows);
    EXPECT_EQ(shown[0].answer, windows + "\\B.QMS");
}

}  // namespace
