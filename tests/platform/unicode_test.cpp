// Text through the W calls: UTF-16 units in WCHARs, file names no code page
// holds, handles of CreateFileW, fonts without Japanese, the command line and
// the registry. Run against both where the layer's hooks are not needed.
#include <windows.h>

#include <shellapi.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "support/saver_fixture.h"

namespace {

std::string U8(const char8_t *text) { return reinterpret_cast<const char *>(text); }

std::wstring Wide(const std::string &utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

std::string Narrow(const std::wstring &wide, UINT codePage, BOOL *usedDefault = nullptr) {
    int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n, nullptr,
                        codePage == CP_UTF8 ? nullptr : usedDefault);
    return text;
}

TEST(Utf16, ConversionsGiveUnitsAndPairsAndComeBackWhole) {
    std::string text = U8(u8"Caf\u00E9 \u2615 \u5199\u771F \U0001F600");
    std::wstring wide = Wide(text);
    // Each character up to U+FFFF is one unit; U+1F600 is a surrogate pair.
    ASSERT_EQ(wide.size(), 12u);
    EXPECT_EQ(wide[3], 0x00E9);
    EXPECT_EQ(wide[7], 0x5199);
    EXPECT_EQ(wide[10], 0xD83D);
    EXPECT_EQ(wide[11], 0xDE00);
    EXPECT_EQ(Narrow(wide, CP_UTF8), text);

    // Code page 932 has the kanji and the Cyrillic, not the cup.
    BOOL usedDefault = FALSE;
    EXPECT_EQ(Narrow(L"\u5199\u771F\u0424", 932, &usedDefault), "\x8E\xCA\x90\x5E\x84\x55");
    EXPECT_FALSE(usedDefault);
    EXPECT_EQ(Narrow(L"\u2615", 932, &usedDefault), "?");
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(Wide(std::string("\x8E\xCA\x90\x5E", 4)), std::wstring(L"\uFFFD\u0290^")) << "read as UTF-8, not as kanji";
    wchar_t back[4] = {};
    EXPECT_EQ(MultiByteToWideChar(932, 0, "\x8E\xCA\x90\x5E", 4, back, 4), 2);
    EXPECT_EQ(std::wstring(back, 2), L"\u5199\u771F");

    // A unit that pairs with nothing is U+FFFD in UTF-8.
    EXPECT_EQ(Narrow(std::wstring(1, static_cast<wchar_t>(0xD83D)) + L"x", CP_UTF8), "\xEF\xBF\xBDx");
}

TEST(Utf16, NamesCompareWithoutCaseOverLatinAndCyrillic) {
    EXPECT_EQ(CompareStringOrdinal(L"caf\u00E9 \u0444\u043E\u0442\u043E", -1, L"CAF\u00C9 \u0424\u041E\u0422\u041E", -1,
                                   TRUE),
              CSTR_EQUAL);
    EXPECT_EQ(CompareStringOrdinal(L"caf\u00E9", -1, L"CAF\u00C9", -1, FALSE), CSTR_GREATER_THAN);
    EXPECT_EQ(CompareStringOrdinal(L"abc", 2, L"abd", 2, FALSE), CSTR_EQUAL) << "only the lengths given";
    EXPECT_EQ(CompareStringOrdinal(L"ab", -1, L"abc", -1, TRUE), CSTR_LESS_THAN);
    EXPECT_EQ(lstrcmpiW(L"\u0401\u043B\u043A\u0430", L"\u0451\u041B\u041A\u0410"), 0);
    EXPECT_LT(lstrcmpiW(L"apple", L"Banana"), 0);
}

class UnicodeFiles : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        WCHAR windows[MAX_PATH] = L"";
        ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
        base = windows;
    }
    void TearDown() override {
        for (auto it = made.rbegin(); it != made.rend(); ++it)
            if (!DeleteFileW(it->c_str())) RemoveDirectoryW(it->c_str());
        SaverTest::TearDown();
    }
    HFILE Open(const std::wstring &path, DWORD access, DWORD disposition) {
        HANDLE h = CreateFileW(path.c_str(), access, access == GENERIC_READ ? FILE_SHARE_READ : 0, nullptr,
                               disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        return h == INVALID_HANDLE_VALUE ? HFILE_ERROR : static_cast<HFILE>(HandleToLong(h));
    }
    std::string Read(const std::wstring &path) {
        HFILE f = Open(path, GENERIC_READ, OPEN_EXISTING);
        if (f == HFILE_ERROR) return "<none>";
        char buffer[64] = "";
        UINT n = _lread(f, buffer, sizeof buffer);
        _lclose(f);
        return std::string(buffer, n == HFILE_ERROR ? 0 : n);
    }
    std::wstring base;
    std::vector<std::wstring> made;
};

TEST_F(UnicodeFiles, NamesBeyondTheCodePageAreMadeFoundOpenedMovedAndDeleted) {
    std::wstring folder = base + L"\\\u0424\u043E\u0442\u043E \u5199\u771F";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    made.push_back(folder);
    std::wstring file = folder + L"\\Caf\u00E9 \u2615.jpg";
    HFILE f = Open(file, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(f, HFILE_ERROR);
    made.push_back(file);
    EXPECT_EQ(_lwrite(f, "photo", 5), 5u);
    EXPECT_EQ(_lclose(f), 0);

    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*.JPG").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::wstring(found.cFileName), L"Caf\u00E9 \u2615.jpg") << "spelled as it was made";
    EXPECT_EQ(found.nFileSizeLow, 5u);
    EXPECT_FALSE(FindNextFileW(search, &found));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    FindClose(search);

    // Found without regard to case, in the folder's name and the file's.
    std::wstring shouted = base + L"\\\u0424\u041E\u0422\u041E \u5199\u771F\\CAF\u00C9 \u2615.JPG";
    DWORD attributes = GetFileAttributesW(shouted.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Read(shouted), "photo");

    std::wstring moved = folder + L"\\\u0401\u043B\u043A\u0430.jpg";
    ASSERT_TRUE(MoveFileExW(shouted.c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING));
    made.push_back(moved);
    EXPECT_EQ(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Read(folder + L"\\\u0451\u043B\u043A\u0430.JPG"), "photo");
    EXPECT_TRUE(DeleteFileW((folder + L"\\\u0451\u041B\u041A\u0410.jpg").c_str()));
    EXPECT_EQ(GetFileAttributesW(moved.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
    EXPECT_EQ(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(UnicodeFiles, TheHostNamesAreUtf8) {
    SKIP_WITHOUT_LAYER("the host's file names are the layer's");
    std::wstring file = base + L"\\\u5199\u771F \u00E9.txt";
    HFILE f = Open(file, GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(f, HFILE_ERROR);
    made.push_back(file);
    _lclose(f);
    std::string host = Layer::HostPath("C:\\WINDOWS") + "/" + U8(u8"\u5199\u771F \u00E9.txt");
    EXPECT_TRUE(std::ifstream(host).good()) << host;
    EXPECT_EQ(Layer::HostPath(U8(u8"C:\\WINDOWS\\\u5199\u771F \u00C9.TXT")), host);
}

TEST_F(UnicodeFiles, CreateFileHandlesServeTheHandleCalls) {
    std::wstring file = base + L"\\\u00DCnic\u00F6de.bin";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    made.push_back(file);
    HFILE f = static_cast<HFILE>(HandleToLong(h));
    EXPECT_EQ(LongToHandle(f), h);
    EXPECT_EQ(_lwrite(f, "0123456789", 10), 10u);
    EXPECT_EQ(_llseek(f, 2, FILE_BEGIN), 2);
    char three[4] = "";
    EXPECT_EQ(_lread(f, three, 3), 3u);
    EXPECT_STREQ(three, "234");
    EXPECT_EQ(_llseek(f, 0, FILE_END), 10);
    EXPECT_TRUE(FlushFileBuffers(h));
    EXPECT_EQ(_lclose(f), 0);
    EXPECT_EQ(_lclose(f), HFILE_ERROR) << "closed once";

    // Made again over the old one: empty, and it says the file was there.
    h = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                    nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(_llseek(static_cast<HFILE>(HandleToLong(h)), 0, FILE_END), 0);
    _lclose(static_cast<HFILE>(HandleToLong(h)));

    std::wstring missing = base + L"\\\u65E0.bin";
    EXPECT_EQ(CreateFileW(missing.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    std::wstring noFolder = base + L"\\\u65E0\\x.bin";
    EXPECT_EQ(CreateFileW(noFolder.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(UnicodeFiles, CreateFileHandlesMeetTheDisksFaults) {
    SKIP_WITHOUT_LAYER("faults are made by the layer's hooks");
    std::wstring file = base + L"\\\u00C9crit.bin";
    made.push_back(file);
    HFILE f = Open(file, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(f, HFILE_ERROR);
    Layer::FailWritesAfter(1);
    EXPECT_EQ(_lwrite(f, "ab", 2), 2u);
    EXPECT_EQ(_lwrite(f, "cd", 2), static_cast<UINT>(HFILE_ERROR)) << "the disk is full";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    Layer::FailWritesAfter(-1);
    _lclose(f);

    Layer::FailReadsAfter(0);
    EXPECT_EQ(Read(file), "") << "a bad disc reads nothing";
    Layer::FailReadsAfter(-1);
    EXPECT_EQ(Read(file), "ab");

    // A power cut after one change: the create is that change, then nothing more is written.
    std::wstring cut = base + L"\\\u00C9teint.bin";
    made.push_back(cut);
    Layer::StopAfterSteps(1);
    f = Open(cut, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(f, HFILE_ERROR);
    EXPECT_TRUE(Layer::StoppedByPowerCut());
    EXPECT_EQ(_lwrite(f, "x", 1), static_cast<UINT>(HFILE_ERROR));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_READY));
    _lclose(f);
    Layer::StopAfterSteps(0);

    // A folder a standard account may only read: no file is made there, one is read.
    Layer::ProtectFolder(U8(u8"C:\\WINDOWS"));
    EXPECT_EQ(Open(base + L"\\\u00C9.bin", GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS), HFILE_ERROR);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Open(file, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING), HFILE_ERROR) << "nor opened for writing";
    EXPECT_EQ(Read(file), "ab");
}

class Glyphs : public SaverTest {
protected:
    void SetUp() override {
        SaverTest::SetUp();
        hdc = GetDC(nullptr);
    }
    void TearDown() override {
        ReleaseDC(nullptr, hdc);
        SaverTest::TearDown();
    }
    HFONT Font(const wchar_t *face, BYTE charSet) {
        LOGFONTW lf{};
        lf.lfHeight = -12;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = charSet;
        wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
        HFONT font = CreateFontIndirectW(&lf);
        fonts.push_back(font);
        return font;
    }
    std::vector<WORD> Indices(HGDIOBJ font, const wchar_t *text) {
        HGDIOBJ old = SelectObject(hdc, font);
        std::vector<WORD> indices(wcslen(text));
        DWORD n = GetGlyphIndicesW(hdc, text, static_cast<int>(indices.size()), indices.data(),
                                   GGI_MARK_NONEXISTING_GLYPHS);
        SelectObject(hdc, old);
        if (n != indices.size()) indices.clear();
        return indices;
    }
    // The pixels a text leaves on a white patch of the screen.
    std::vector<uint32_t> Drawn(HGDIOBJ font, const wchar_t *text) {
        RECT patch{0, 0, 40, 20};
        FillRect(hdc, &patch, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        HGDIOBJ old = SelectObject(hdc, font);
        SetBkMode(hdc, TRANSPARENT);
        TextOutW(hdc, 2, 2, text, static_cast<int>(wcslen(text)));
        SelectObject(hdc, old);
        std::vector<uint32_t> pixels;
        for (int y = 0; y < 20; y++)
            for (int x = 0; x < 40; x++) pixels.push_back(Layer::ScreenPixel(x, y));
        return pixels;
    }
    ~Glyphs() override {
        for (HFONT f : fonts) DeleteObject(f);
    }
    HDC hdc = nullptr;
    std::vector<HFONT> fonts;
};

TEST_F(Glyphs, JapaneseGoMissingFromAllButAShiftJisFontWhileHidden) {
    SKIP_WITHOUT_LAYER("a Windows without the Japanese font is the layer's to stand for");
    HFONT dialog = Font(L"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF", DEFAULT_CHARSET);
    HFONT japanese = Font(L"", SHIFTJIS_CHARSET);
    HGDIOBJ system = GetStockObject(SYSTEM_FONT);
    const wchar_t *text = L"\u5199A\u30AB";
    for (HGDIOBJ font : {static_cast<HGDIOBJ>(dialog), static_cast<HGDIOBJ>(japanese), system}) {
        std::vector<WORD> all = Indices(font, text);
        ASSERT_EQ(all.size(), 3u);
        for (WORD index : all) EXPECT_NE(index, 0xFFFF) << "every character has its glyph";
    }
    std::vector<uint32_t> shown = Drawn(dialog, L"\u5199");

    Layer::HideJapaneseGlyphs(true);
    for (HGDIOBJ font : {static_cast<HGDIOBJ>(dialog), system}) {
        std::vector<WORD> hidden = Indices(font, text);
        ASSERT_EQ(hidden.size(), 3u);
        EXPECT_EQ(hidden[0], 0xFFFF);
        EXPECT_NE(hidden[1], 0xFFFF) << "Latin letters stay";
        EXPECT_EQ(hidden[2], 0xFFFF);
    }
    std::vector<WORD> kept = Indices(japanese, text);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_NE(kept[0], 0xFFFF) << "a font asked for with SHIFTJIS_CHARSET has them";
    EXPECT_NE(kept[2], 0xFFFF);
    EXPECT_NE(Drawn(dialog, L"\u5199"), shown) << "drawn as the missing glyph";
    EXPECT_EQ(Drawn(dialog, L"\u5199"), Drawn(dialog, L"\u30AB")) << "one missing glyph for all";

    Layer::HideJapaneseGlyphs(false);
    EXPECT_EQ(Drawn(dialog, L"\u5199"), shown);
    EXPECT_EQ(Layer::UnimplementedReports(), 0);
}

TEST_F(Glyphs, FontsDescribeThemselvesInUtf16) {
    const wchar_t *face = L"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF";
    HFONT dialog = Font(face, SHIFTJIS_CHARSET);
    LOGFONTW back{};
    ASSERT_EQ(GetObjectW(dialog, sizeof back, &back), static_cast<int>(sizeof back));
    EXPECT_EQ(std::wstring(back.lfFaceName), face);
    EXPECT_EQ(back.lfHeight, -12);
    EXPECT_EQ(back.lfCharSet, SHIFTJIS_CHARSET);
    HGDIOBJ old = SelectObject(hdc, dialog);
    WCHAR name[LF_FACESIZE] = L"";
    EXPECT_GT(GetTextFaceW(hdc, LF_FACESIZE, name), 0);
    if (Layer::Available()) EXPECT_EQ(std::wstring(name), face);
    SIZE one{}, two{};
    EXPECT_TRUE(GetTextExtentPoint32W(hdc, L"\u5199", 1, &one));
    EXPECT_TRUE(GetTextExtentPoint32W(hdc, L"\u5199\u771F", 2, &two));
    EXPECT_GT(one.cx, 0);
    EXPECT_EQ(two.cx, 2 * one.cx) << "a kanji is one character of one width";
    SelectObject(hdc, old);
}

TEST(CommandLine, ArgumentsSplitAsWindowsSplitsThem) {
    int count = 0;
    LPWSTR *args = CommandLineToArgvW(
        L"\"C:\\Program Files\\qmshow.exe\" make \"\u0424\u043E\u0442\u043E \u5199\u771F\\a b.qms\" plain "
        L"\"say \\\"hi\\\"\" back\\\\slash\\\\ \"\"",
        &count);
    ASSERT_NE(args, nullptr);
    ASSERT_EQ(count, 7);
    EXPECT_EQ(std::wstring(args[0]), L"C:\\Program Files\\qmshow.exe");
    EXPECT_EQ(std::wstring(args[1]), L"make");
    EXPECT_EQ(std::wstring(args[2]), L"\u0424\u043E\u0442\u043E \u5199\u771F\\a b.qms");
    EXPECT_EQ(std::wstring(args[3]), L"plain");
    EXPECT_EQ(std::wstring(args[4]), L"say \"hi\"");
    EXPECT_EQ(std::wstring(args[5]), L"back\\\\slash\\\\") << "backslashes before no quote stay as they are";
    EXPECT_EQ(std::wstring(args[6]), L"");
    EXPECT_EQ(args[7], nullptr);
    EXPECT_EQ(LocalFree(args), nullptr);

    // The process's own line: the program first.
    args = CommandLineToArgvW(GetCommandLineW(), &count);
    ASSERT_NE(args, nullptr);
    EXPECT_GE(count, 1);
    EXPECT_GT(wcslen(args[0]), 0u);
    LocalFree(args);
}

TEST(StandardOutput, IsNoConsoleHereAndTakesBytes) {
    SKIP_WITHOUT_LAYER("a Windows test run may have a console");
    HANDLE out = GetStdHandle(STD_ERROR_HANDLE);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    DWORD mode = 0, written = 0;
    EXPECT_FALSE(GetConsoleMode(out, &mode));
    EXPECT_FALSE(WriteConsoleW(out, L"x", 1, &written, nullptr));
    std::string line = U8(u8"\u5199\u771F ok\n");
    EXPECT_TRUE(WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr));
    EXPECT_EQ(written, line.size());
}

TEST_F(UnicodeFiles, RegistryStringsKeepTheirCharacters) {
    const wchar_t *path = L"Software\\Quillmere Layer Test\\\u0424\u043E\u0442\u043E";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    std::wstring value = std::wstring(L"\u5199\u771F Caf\u00E9 ") + static_cast<wchar_t>(0xD83D) +
                         static_cast<wchar_t>(0xDE00);
    DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR));
    EXPECT_EQ(RegSetValueExW(key, L"Folder", 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()), bytes),
              ERROR_SUCCESS);
    RegCloseKey(key);

    // Named in another case, read back: its size first, then the units with their terminator.
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\QUILLMERE LAYER TEST\\\u0444\u043E\u0442\u043E", 0,
                            KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD type = REG_NONE, size = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"folder", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, bytes);
    std::vector<WCHAR> back(value.size() + 1, L'x');
    EXPECT_EQ(RegQueryValueExW(key, L"Folder", nullptr, &type, reinterpret_cast<BYTE *>(back.data()), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(back.data()), value);
    EXPECT_EQ(back.back(), L'\0');
    DWORD small = 4;
    EXPECT_EQ(RegQueryValueExW(key, L"Folder", nullptr, &type, reinterpret_cast<BYTE *>(back.data()), &small),
              ERROR_MORE_DATA);
    EXPECT_EQ(small, bytes);
    RegCloseKey(key);

    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, path), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Quillmere Layer Test"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

}  // namespace
