// The program's text: UTF-8 inside, UTF-16 at the W calls, the disc's code
// page named, files by names of any script, and a font with the glyphs.
#include "text/glyphs.h"
#include "text/text.h"

#include "platform/testing/layer.h"
#include "saverfile/places.h"
#include "support/fixtures.h"
#include "support/saver_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(Text, ConvertsBothWaysAndCountsAsWindowsDoes) {
    for (const char *text : {"", "QMSAVER.QMS", "Été 写真", "Фото 写真\\Café ☕.jpg", "Ünïcödé.png", "𝄞 clef"})
        EXPECT_EQ(Utf8(Wide(text)), text) << text;
    EXPECT_EQ(Wide("Été 写真"), std::wstring(L"\u00C9t\u00E9 \u5199\u771F"));
    EXPECT_EQ(WideLength("Été 写真"), 6u);
    // Beyond the first 65,536 characters Windows counts two units, a surrogate pair.
    std::wstring clef = Wide("𝄞");
    ASSERT_EQ(clef.size(), 2u);
    EXPECT_EQ(static_cast<unsigned>(clef[0]), 0xD834u);
    EXPECT_EQ(static_cast<unsigned>(clef[1]), 0xDD1Eu);
}

TEST(Text, TheDiscsCodePageIsNamedWhateverTheSystemsIs) {
    // 日本 and a half-width katakana ｱ in code page 932.
    EXPECT_EQ(FromCodePage(932, "\x93\xfa\x96\x7b"), "日本");
    EXPECT_EQ(FromCodePage(932, "\xb1"), "ｱ");
    EXPECT_EQ(FromCodePage(932, "ABC"), "ABC");
}

TEST(Text, ACopyIsCutAtAWholeCharacter) {
    char slot[5];
    CopyText(slot, sizeof slot, "写真");  // six bytes: the second character does not fit
    EXPECT_STREQ(slot, "写");
    CopyText(slot, sizeof slot, "Café");
    EXPECT_STREQ(slot, "Caf");
    CopyText(slot, sizeof slot, "abc");
    EXPECT_STREQ(slot, "abc");
}

TEST(Text, NamesAreComparedAsWindowsComparesFileNames) {
    EXPECT_TRUE(SameName("CAFÉ ☕.JPG", "café ☕.jpg"));
    EXPECT_TRUE(SameName("ФОТО 写真", "фото 写真"));
    EXPECT_TRUE(SameName("qmsaver.tmp", "QMSAVER.TMP"));
    EXPECT_FALSE(SameName("Été", "Ete"));
    EXPECT_FALSE(SameName("A.QMS", "A.QMS "));
}

class TextFiles : public SaverTest {};

TEST_F(TextFiles, NamesOfAnyScriptAreMadeOpenedMovedAndRemoved) {
    std::string folder = ShowDirectory() + "\\Фото 写真";
    ASSERT_TRUE(MakeFolder(folder.c_str()) || GetLastError() == ERROR_ALREADY_EXISTS);
    std::string photo = folder + "\\Café ☕.jpg", moved = folder + "\\Ünïcödé.png";
    HFILE file = CreateAnew(photo.c_str());
    ASSERT_NE(file, HFILE_ERROR);
    EXPECT_EQ(_lwrite(file, "bytes", 5), 5u);
    EXPECT_EQ(_lclose(file), 0);
    DWORD attributes = FileAttributes(photo.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(FileAttributes(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    // Found in any case, as the file system finds names.
    EXPECT_NE(FileAttributes((ShowDirectory() + "\\ФОТО 写真\\CAFÉ ☕.JPG").c_str()), INVALID_FILE_ATTRIBUTES);

    file = OpenForReading(photo.c_str());
    ASSERT_NE(file, HFILE_ERROR);
    char read[8] = {};
    EXPECT_EQ(_lread(file, read, sizeof read), 5u);
    EXPECT_STREQ(read, "bytes");
    EXPECT_EQ(_llseek(file, 1, FILE_BEGIN), 1);
    EXPECT_EQ(_lread(file, read, 2), 2u);
    EXPECT_EQ(std::string(read, 2), "yt");
    _lclose(file);

    // The listing hands the names back as they were given.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(folder + "\\*.jpg").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Utf8(found.cFileName), "Café ☕.jpg");
    FindClose(search);

    ASSERT_TRUE(MoveFileTo(photo.c_str(), moved.c_str(), 0));
    EXPECT_EQ(FileAttributes(photo.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadDosFile(moved).size(), 5u);
    EXPECT_TRUE(EnterFolder(folder.c_str()));
    EXPECT_TRUE(SameName(CurrentFolder(), folder));
    EXPECT_TRUE(EnterFolder(ShowDirectory().c_str()));
    EXPECT_TRUE(RemoveFile(moved.c_str()));
    EXPECT_EQ(FileAttributes(moved.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(RemoveDirectoryW(Wide(folder).c_str()));
}

// A window holding a Japanese text in the dialogs' own font.
class GlyphsTest : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent, nullptr);
        label = CreateWindowExW(0, L"STATIC", Wide("スクリーンセーバーファイル").c_str(), WS_CHILD | WS_VISIBLE, 0, 0,
                                280, 20, parent, nullptr, nullptr, nullptr);
        LOGFONTW face{};
        face.lfHeight = -12;
        face.lfCharSet = DEFAULT_CHARSET;
        std::wstring name = Wide("ＭＳ ゴシック");
        wcsncpy(face.lfFaceName, name.c_str(), LF_FACESIZE - 1);
        dialogFont = CreateFontIndirectW(&face);
        SendMessageW(parent, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), FALSE);
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), FALSE);
    }
    void TearDown() override {
        if (Layer::Available()) Layer::HideJapaneseGlyphs(false);
        DestroyWindow(parent);
        DeleteObject(dialogFont);
        SaverTest::TearDown();
    }
    // Whether the label's font has a glyph for each of its characters.
    bool LabelDrawsItsText() {
        HDC hdc = GetDC(label);
        HGDIOBJ old = SelectObject(hdc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
        std::wstring text = Wide("スクリーンセーバーファイル");
        WORD glyphs[32];
        GetGlyphIndicesW(hdc, text.c_str(), static_cast<int>(text.size()), glyphs, GGI_MARK_NONEXISTING_GLYPHS);
        SelectObject(hdc, old);
        ReleaseDC(label, hdc);
        for (size_t i = 0; i < text.size(); i++)
            if (glyphs[i] == 0xFFFF) return false;
        return true;
    }
    HWND parent = nullptr, label = nullptr;
    HFONT dialogFont = nullptr;
};

TEST_F(GlyphsTest, AFontThatHasTheGlyphsIsKept) {
    ASSERT_TRUE(LabelDrawsItsText()) << "the system has no font with Japanese glyphs for the dialogs";
    UseFontWithGlyphs(parent);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), dialogFont);
    HDC hdc = GetDC(label);
    HGDIOBJ old = SelectObject(hdc, dialogFont);
    EXPECT_EQ(FontWithGlyphsFor(hdc, Wide("春の湖")), nullptr);
    SelectObject(hdc, old);
    ReleaseDC(label, hdc);
}

TEST_F(GlyphsTest, WithoutJapaneseGlyphsTheDialogAndBannerTakeAFontThatHasThem) {
    if (!Layer::Available()) GTEST_SKIP() << "needs a system whose fonts lack Japanese; this one's have it";
    Layer::HideJapaneseGlyphs(true);
    ASSERT_FALSE(LabelDrawsItsText());
    UseFontWithGlyphs(parent);
    HFONT taken = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    EXPECT_NE(taken, dialogFont);
    EXPECT_TRUE(LabelDrawsItsText());
    // Of the same size: the dialog's layout still fits it.
    LOGFONTW was{}, now{};
    GetObjectW(dialogFont, sizeof was, &was);
    GetObjectW(taken, sizeof now, &now);
    EXPECT_EQ(now.lfHeight, was.lfHeight);

    HDC hdc = GetDC(label);
    HGDIOBJ old = SelectObject(hdc, dialogFont);
    HFONT banner = FontWithGlyphsFor(hdc, Wide("画像データファイルが見つかりません"));
    EXPECT_NE(banner, nullptr);
    EXPECT_EQ(FontWithGlyphsFor(hdc, L"Screen Saver"), nullptr) << "Latin text needs no other font";
    SelectObject(hdc, old);
    ReleaseDC(label, hdc);
}

// An English dialog keeps its font for its own texts; only a control that
// shows a Japanese name, as a list of shows does, takes the other.
TEST_F(GlyphsTest, OnlyControlsShowingJapaneseTakeAFontThatHasIt) {
    if (!Layer::Available()) GTEST_SKIP() << "needs a system whose fonts lack Japanese; this one's have it";
    Layer::HideJapaneseGlyphs(true);
    SetWindowTextW(label, L"Screen saver files:");
    HWND list = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | LBS_HASSTRINGS, 0, 30, 200, 60, parent,
                                nullptr, nullptr, nullptr);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), FALSE);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Spring.QMS"));
    UseFontWithGlyphs(parent);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)), dialogFont) << "Latin names need no other";
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide("春の湖.QMS").c_str()));
    UseFontWithGlyphs(parent);
    EXPECT_NE(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)), dialogFont);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), dialogFont);
}

}  // namespace
