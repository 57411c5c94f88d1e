// Resources picked by language, dialogs and menus from templates in memory,
// and Windows' English dialog font. Runs against Windows (Wine) and the
// layer alike: on Windows the UI language is the locale's, on the layer the
// tests set it through the hook and go through each.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "support/saver_fixture.h"
#include "wide.h"

namespace {

constexpr LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
constexpr LANGID kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr LANGID kEnglishUk = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK);
constexpr LANGID kFrench = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);
constexpr LANGID kJapaneseNeutral = MAKELANGID(LANG_JAPANESE, SUBLANG_NEUTRAL);
constexpr LANGID kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_DEFAULT);

// The program's texts in its two languages.
struct Texts {
    const wchar_t *noMemory;  // string IDS_NOMEMORY
    const wchar_t *settings;  // dialog IDD_SETTINGS's caption
    const wchar_t *file;      // menu IDM_EDITOR's first popup
};
const Texts kJapaneseTexts{L"メモリが不足しています。", L"設定", L"ファイル(&F)"};
const Texts kEnglishTexts{L"Not enough memory.", L"Settings", L"&File"};

// What the resources hold for a UI language: Japanese for Japanese, English
// (US, or the neutral fallback to it) for every other language.
const Texts &TextsFor(LANGID language) {
    return PRIMARYLANGID(language) == LANG_JAPANESE ? kJapaneseTexts : kEnglishTexts;
}

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

// Wine takes its ANSI code page, and with it its font substitutes, from the locale.
bool WindowsOnAJapaneseLocale() {
    if (Layer::Available()) return false;
    using GetAcp = UINT(WINAPI *)();
    auto getAcp = reinterpret_cast<GetAcp>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetACP"));
    return getAcp && getAcp() == 932;
}

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

std::wstring CaptionOf(HWND hwnd) {
    WCHAR buffer[256] = {};
    GetWindowTextW(hwnd, buffer, 256);
    return buffer;
}

std::wstring MenuText(HMENU menu, UINT position) {
    WCHAR buffer[256] = {};
    GetMenuStringW(menu, position, buffer, 256, MF_BYPOSITION);
    return buffer;
}

std::wstring LoadedString(UINT id) {
    WCHAR buffer[256] = {};
    LoadStringW(Instance(), id, buffer, 256);
    return buffer;
}

// A string of a string-table block, read from the resource's bytes.
std::wstring BlockString(HRSRC block, UINT id) {
    auto *p = static_cast<const WORD *>(LockResource(LoadResource(Instance(), block)));
    if (!p) return {};
    for (UINT i = 0; i < id % 16; i++) p += 1 + *p;
    return std::wstring(p + 1, p + 1 + *p);
}

HRSRC StringBlock(LANGID language) {
    return FindResourceExW(Instance(), RT_STRING, MAKEINTRESOURCEW(IDS_NOMEMORY / 16 + 1), language);
}

const BYTE *ResourceBytes(LPCWSTR type, UINT id, LANGID language) {
    HRSRC r = FindResourceExW(Instance(), type, MAKEINTRESOURCEW(id), language);
    return r ? static_cast<const BYTE *>(LockResource(LoadResource(Instance(), r))) : nullptr;
}

class Languages : public SaverTest {
protected:
    void TearDown() override {
        for (HWND d : dialogs)
            if (IsWindow(d)) DestroyWindow(d);
        SaverTest::TearDown();
    }

    // The UI languages a test goes through: each of a few on the layer, the
    // one the locale gives on Windows.
    std::vector<LANGID> UiLanguages() {
        if (!Layer::Available()) return {GetUserDefaultUILanguage()};
        return {kJapanese, kEnglishUs, kEnglishUk, kFrench, kJapaneseNeutral,
                kGerman};
    }
    void UseLanguage(LANGID language) {
        if (Layer::Available()) Layer::SetUiLanguage(language);
    }
    HWND Keep(HWND dialog) {
        dialogs.push_back(dialog);
        return dialog;
    }
    std::vector<HWND> dialogs;
};

// ---- the UI language ---------------------------------------------------------------

TEST_F(Languages, TheUiLanguageIsTheHooksAndResetGoesBackToTheDefault) {
    SKIP_WITHOUT_LAYER("the UI language is the locale's");
    Layer::SetUiLanguage(kFrench);
    EXPECT_EQ(GetUserDefaultUILanguage(), kFrench);
    EXPECT_EQ(GetSystemDefaultUILanguage(), kFrench);
    EXPECT_EQ(GetThreadUILanguage(), kFrench);
    Layer::Reset();
    const char *env = std::getenv("QMSAVER_UI_LANGUAGE");
    if (!env) EXPECT_EQ(GetUserDefaultUILanguage(), kJapanese);
    EXPECT_EQ(GetSystemDefaultUILanguage(), GetUserDefaultUILanguage());
    EXPECT_EQ(GetThreadUILanguage(), GetUserDefaultUILanguage());
}

#ifndef _WIN32
// The environment's choice, read again at each reset.
TEST_F(Languages, TheEnvironmentNamesTheUiLanguageByNameOrNumber) {
    SKIP_WITHOUT_LAYER("the UI language is the locale's");
    const char *before = std::getenv("QMSAVER_UI_LANGUAGE");
    std::string saved = before ? before : "";
    const std::pair<const char *, LANGID> cases[] = {
        {"en", kEnglishUs}, {"ja", kJapanese}, {"0x040c", kFrench}, {"0809", kEnglishUk}, {"EN", kEnglishUs},
        {"klingon", kJapanese}, {"", kJapanese}, {"0x0", kJapanese}};
    for (auto [text, want] : cases) {
        setenv("QMSAVER_UI_LANGUAGE", text, 1);
        Layer::Reset();
        EXPECT_EQ(GetUserDefaultUILanguage(), want) << text;
        EXPECT_EQ(LoadedString(IDS_NOMEMORY), TextsFor(want).noMemory) << text;
    }
    if (before) setenv("QMSAVER_UI_LANGUAGE", saved.c_str(), 1);
    else unsetenv("QMSAVER_UI_LANGUAGE");
    Layer::Reset();
}
#endif

TEST_F(Languages, TheThreeCallsAgree) {
    EXPECT_EQ(GetThreadUILanguage(), GetUserDefaultUILanguage());
    EXPECT_NE(GetUserDefaultUILanguage(), 0);
}

// ---- the default pick ------------------------------------------------------------

TEST_F(Languages, StringsDialogsAndMenusComeInTheUiLanguage) {
    for (LANGID language : UiLanguages()) {
        UseLanguage(language);
        const Texts &want = TextsFor(language);
        SCOPED_TRACE(std::to_string(language));
        EXPECT_EQ(LoadedString(IDS_NOMEMORY), want.noMemory);

        HWND dialog = Keep(CreateDialogParamW(Instance(), MAKEINTRESOURCEW(IDD_SETTINGS), nullptr, QuietProc, 0));
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(CaptionOf(dialog), want.settings);

        HMENU menu = LoadMenuW(Instance(), MAKEINTRESOURCEW(IDM_EDITOR));
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(MenuText(menu, 0), want.file);
        DestroyMenu(menu);
    }
}

TEST_F(Languages, FindResourceTakesTheUiLanguagesEntryAndNeutralOnesAlways) {
    for (LANGID language : UiLanguages()) {
        UseLanguage(language);
        SCOPED_TRACE(std::to_string(language));
        HRSRC block = FindResourceW(Instance(), MAKEINTRESOURCEW(IDS_NOMEMORY / 16 + 1), RT_STRING);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(BlockString(block, IDS_NOMEMORY), TextsFor(language).noMemory);
        // The version and the icons are in no language: every UI finds them.
        EXPECT_NE(FindResourceW(Instance(), MAKEINTRESOURCEW(1), RT_VERSION), nullptr);
        EXPECT_NE(LoadIconW(Instance(), MAKEINTRESOURCEW(IDI_SAVER)), nullptr);
    }
}

// ---- FindResourceExW ------------------------------------------------------------

TEST_F(Languages, FindResourceExGivesTheLanguageAskedForWhateverTheUi) {
    for (LANGID language : UiLanguages()) {
        UseLanguage(language);
        SCOPED_TRACE(std::to_string(language));
        EXPECT_EQ(BlockString(StringBlock(kJapanese), IDS_NOMEMORY), kJapaneseTexts.noMemory);
        EXPECT_EQ(BlockString(StringBlock(kEnglishUs), IDS_NOMEMORY), kEnglishTexts.noMemory);
        // Neutral asks for the thread's language, with the default pick's fallbacks.
        EXPECT_EQ(BlockString(StringBlock(MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)), IDS_NOMEMORY),
                  TextsFor(language).noMemory);
        HRSRC english = FindResourceExW(Instance(), RT_DIALOG, MAKEINTRESOURCEW(IDD_SETTINGS), kEnglishUs);
        HRSRC japanese = FindResourceExW(Instance(), RT_DIALOG, MAKEINTRESOURCEW(IDD_SETTINGS), kJapanese);
        ASSERT_NE(english, nullptr);
        ASSERT_NE(japanese, nullptr);
        EXPECT_NE(english, japanese);
    }
}

TEST_F(Languages, FindResourceExFailsForALanguageTheResourceLacksUnlessItIsInNone) {
    for (LANGID absent : {kFrench, kEnglishUk, kJapaneseNeutral}) {
        SCOPED_TRACE(std::to_string(absent));
        SetLastError(0);
        EXPECT_EQ(StringBlock(absent), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND));
    }
    // A resource in no language answers for every language.
    HRSRC version = FindResourceExW(Instance(), RT_VERSION, MAKEINTRESOURCEW(1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_NE(version, nullptr);
    for (LANGID language : {kJapanese, kEnglishUs, kFrench})
        EXPECT_EQ(FindResourceExW(Instance(), RT_VERSION, MAKEINTRESOURCEW(1), language), version) << language;
    // A name that is not there at all is another error.
    SetLastError(0);
    EXPECT_EQ(FindResourceExW(Instance(), RT_DIALOG, MAKEINTRESOURCEW(9999), kJapanese), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

// ---- dialogs from templates in memory -------------------------------------------------

// Writes a template's words as a resource compiler would.
struct TemplateWriter {
    std::vector<BYTE> bytes;
    void Word(WORD w) {
        bytes.push_back(static_cast<BYTE>(w & 0xFF));
        bytes.push_back(static_cast<BYTE>(w >> 8));
    }
    void Dword(DWORD d) {
        Word(static_cast<WORD>(d & 0xFFFF));
        Word(static_cast<WORD>(d >> 16));
    }
    void Byte(BYTE b) { bytes.push_back(b); }
    void Text(const wchar_t *text) {
        for (const wchar_t *p = text; *p; p++) Word(static_cast<WORD>(*p));
        Word(0);
    }
    void Align() {
        while (bytes.size() % 4) bytes.push_back(0);
    }
    // The dialog template's bytes, placed as Windows wants them (DWORD aligned).
    LPCDLGTEMPLATEW Template() {
        aligned.assign((bytes.size() + 3) / 4, 0);
        std::memcpy(aligned.data(), bytes.data(), bytes.size());
        return reinterpret_cast<LPCDLGTEMPLATEW>(aligned.data());
    }
    std::vector<DWORD> aligned;
};

constexpr int kLabelId = 10;

// A DLGTEMPLATE: a caption, an 8-point font (the shell font unless told
// otherwise), a label and an OK button.
TemplateWriter PlainTemplate(DWORD fontStyle = DS_SHELLFONT) {
    TemplateWriter w;
    w.Dword(WS_POPUP | WS_CAPTION | DS_MODALFRAME | fontStyle);
    w.Dword(0);
    w.Word(2);
    for (short v : {10, 10, 120, 60}) w.Word(static_cast<WORD>(v));
    w.Word(0);  // no menu
    w.Word(0);  // the dialog class
    w.Text(L"Built here");
    w.Word(8);
    w.Text(L"MS Shell Dlg");
    // A static label.
    w.Align();
    w.Dword(WS_CHILD | WS_VISIBLE | SS_LEFT);
    w.Dword(0);
    for (short v : {7, 7, 100, 10}) w.Word(static_cast<WORD>(v));
    w.Word(kLabelId);
    w.Word(0xFFFF), w.Word(0x0082);
    w.Text(L"Label text");
    w.Word(0);
    // The default button.
    w.Align();
    w.Dword(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON);
    w.Dword(0);
    for (short v : {60, 40, 50, 14}) w.Word(static_cast<WORD>(v));
    w.Word(IDOK);
    w.Word(0xFFFF), w.Word(0x0080);
    w.Text(L"OK");
    w.Word(0);
    return w;
}

std::wstring labelAtInit;
INT_PTR CALLBACK EndAtInitProc(HWND dialog, UINT message, WPARAM, LPARAM param) {
    if (message != WM_INITDIALOG) return FALSE;
    labelAtInit = CaptionOf(GetDlgItem(dialog, kLabelId));
    EndDialog(dialog, param);
    return TRUE;
}

TEST_F(Languages, IndirectDialogsAreBuiltFromATemplateInMemory) {
    TemplateWriter w = PlainTemplate();
    HWND dialog = Keep(CreateDialogIndirectParamW(Instance(), w.Template(), nullptr, QuietProc, 0));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(CaptionOf(dialog), L"Built here");
    EXPECT_EQ(CaptionOf(GetDlgItem(dialog, kLabelId)), L"Label text");
    EXPECT_EQ(CaptionOf(GetDlgItem(dialog, IDOK)), L"OK");
    EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), IDOK);
    // The client area is the template's size in dialog units.
    RECT units{0, 0, 120, 60}, client{};
    ASSERT_TRUE(MapDialogRect(dialog, &units));
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    // A shell font template's "MS Shell Dlg" is the newer face, as Windows
    // documents it; Wine keeps the name, which it maps to the same Tahoma.
    auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    ASSERT_TRUE(GetObjectW(font, sizeof lf, &lf));
    if (Layer::Available()) EXPECT_EQ(std::wstring(lf.lfFaceName), L"MS Shell Dlg 2");
    else EXPECT_EQ(std::wstring(lf.lfFaceName).rfind(L"MS Shell Dlg", 0), 0u) << U(lf.lfFaceName);
    EXPECT_EQ(lf.lfHeight, -11);
}

TEST_F(Languages, WithoutTheShellFontStyleTheTemplatesFaceStaysAsItIs) {
    TemplateWriter w = PlainTemplate(DS_SETFONT);
    HWND dialog = Keep(CreateDialogIndirectParamW(Instance(), w.Template(), nullptr, QuietProc, 0));
    ASSERT_NE(dialog, nullptr);
    auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    ASSERT_TRUE(GetObjectW(font, sizeof lf, &lf));
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"MS Shell Dlg");
}

TEST_F(Languages, AnIndirectModalDialogRunsAndReturnsItsResult) {
    TemplateWriter w = PlainTemplate();
    labelAtInit.clear();
    EXPECT_EQ(DialogBoxIndirectParamW(Instance(), w.Template(), nullptr, EndAtInitProc, 42), 42);
    EXPECT_EQ(labelAtInit, L"Label text");
}

TEST_F(Languages, IndirectDialogsTakeTheResourcesOwnBytesInEitherLanguage) {
    for (LANGID language : {kJapanese, kEnglishUs}) {
        auto bytes = reinterpret_cast<LPCDLGTEMPLATEW>(ResourceBytes(RT_DIALOG, IDD_SETTINGS, language));
        ASSERT_NE(bytes, nullptr);
        HWND dialog = Keep(CreateDialogIndirectParamW(Instance(), bytes, nullptr, QuietProc, 0));
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(CaptionOf(dialog), TextsFor(language).settings);
    }
}

TEST_F(Languages, AMenuATemplateNamesComesInTheUiLanguage) {
    for (LANGID language : UiLanguages()) {
        UseLanguage(language);
        SCOPED_TRACE(std::to_string(language));
        // The editor's template in either language names menu 114 by number.
        for (LANGID templateLanguage : {kJapanese, kEnglishUs}) {
            auto bytes = reinterpret_cast<LPCDLGTEMPLATEW>(ResourceBytes(RT_DIALOG, IDD_EDITOR, templateLanguage));
            ASSERT_NE(bytes, nullptr);
            HWND dialog = Keep(CreateDialogIndirectParamW(Instance(), bytes, nullptr, QuietProc, 0));
            ASSERT_NE(dialog, nullptr);
            HMENU menu = GetMenu(dialog);
            ASSERT_NE(menu, nullptr);
            EXPECT_EQ(MenuText(menu, 0), TextsFor(language).file);
            DestroyWindow(dialog);
        }
    }
}

// ---- menus from templates in memory -------------------------------------------------------

TEST_F(Languages, LoadMenuIndirectBuildsTheMenuATemplateDescribes) {
    TemplateWriter w;
    w.Word(0), w.Word(0);  // version 0, no header bytes
    w.Word(MF_POPUP), w.Text(L"&Tools");
    w.Word(0), w.Word(301), w.Text(L"&Run");
    w.Word(MF_GRAYED), w.Word(302), w.Text(L"&Stop");
    w.Word(0), w.Word(0), w.Text(L"");  // a separator
    w.Word(MF_CHECKED | MF_END), w.Word(303), w.Text(L"&Loop");
    w.Word(MF_END), w.Word(310), w.Text(L"&Help");
    HMENU menu = LoadMenuIndirectW(w.Template());
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    EXPECT_EQ(MenuText(menu, 0), L"&Tools");
    EXPECT_EQ(MenuText(menu, 1), L"&Help");
    EXPECT_EQ(GetMenuItemID(menu, 1), 310u);
    HMENU tools = GetSubMenu(menu, 0);
    ASSERT_NE(tools, nullptr);
    ASSERT_EQ(GetMenuItemCount(tools), 4);
    EXPECT_EQ(GetMenuItemID(tools, 0), 301u);
    EXPECT_EQ(GetMenuState(tools, 302, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
    EXPECT_EQ(GetMenuState(tools, 2, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(GetMenuState(tools, 303, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(MenuText(tools, 3), L"&Loop");
    EXPECT_TRUE(DestroyMenu(menu));
}

TEST_F(Languages, LoadMenuIndirectTakesTheResourcesBytesInEitherLanguage) {
    for (LANGID language : {kJapanese, kEnglishUs}) {
        const BYTE *bytes = ResourceBytes(RT_MENU, IDM_EDITOR, language);
        ASSERT_NE(bytes, nullptr);
        HMENU menu = LoadMenuIndirectW(bytes);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(MenuText(menu, 0), TextsFor(language).file);
        HMENU fromName = LoadMenuW(Instance(), MAKEINTRESOURCEW(IDM_EDITOR));
        ASSERT_NE(fromName, nullptr);
        EXPECT_EQ(GetMenuItemCount(menu), GetMenuItemCount(fromName));
        DestroyMenu(fromName);
        DestroyMenu(menu);
    }
}

TEST_F(Languages, SetMenuPutsAnotherBarOnTheWindowAndTheClientAreaFollows) {
    HWND window = MakePlainWindow(300, 200);
    ASSERT_NE(window, nullptr);
    RECT before{}, with{}, after{};
    GetClientRect(window, &before);
    HMENU menu = LoadMenuIndirectW(ResourceBytes(RT_MENU, IDM_EDITOR, kEnglishUs));
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(SetMenu(window, menu));
    EXPECT_EQ(GetMenu(window), menu);
    GetClientRect(window, &with);
    EXPECT_LT(with.bottom, before.bottom);
    EXPECT_EQ(with.right, before.right);
    ASSERT_TRUE(SetMenu(window, nullptr));
    GetClientRect(window, &after);
    EXPECT_EQ(after.bottom, before.bottom);
    DestroyMenu(menu);
    DestroyWindow(window);
}

// ---- the English dialog font ------------------------------------------------------------------

class DialogFont : public DrawingTest {
protected:
    void SetUp() override {
        DrawingTest::SetUp();
        OpenWindow(400, 200);
    }
    void TearDown() override {
        if (dc) SelectObject(dc, GetStockObject(SYSTEM_FONT));
        for (HFONT f : made) DeleteObject(f);
        DrawingTest::TearDown();
    }
    // An 8-point font at 96 dpi, as the English dialogs ask for it.
    void Use(const wchar_t *face, LONG weight = FW_NORMAL) {
        LOGFONTW lf{};
        lf.lfHeight = -MulDiv(8, 96, 72);
        lf.lfWeight = weight;
        lf.lfCharSet = DEFAULT_CHARSET;
        wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
        HFONT f = CreateFontIndirectW(&lf);
        ASSERT_NE(f, nullptr);
        made.push_back(f);
        SelectObject(dc, f);
    }
    SIZE Extent(const wchar_t *text) {
        SIZE size{};
        EXPECT_TRUE(GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size));
        return size;
    }
    TEXTMETRICW Metrics() {
        TEXTMETRICW tm{};
        EXPECT_TRUE(GetTextMetricsW(dc, &tm));
        return tm;
    }
    std::vector<HFONT> made;
};

// Tahoma at 8 points as Wine measures it (60, 103 and 58 pixels), with
// room for the pixel or two another hinting gives.
struct Expected {
    const wchar_t *text;
    LONG least, most;
};
const Expected kStrings[] = {{L"&Settings...", 55, 65}, {L"Use lar&ge pictures", 95, 110}, {L"30 seconds", 53, 62}};

TEST_F(DialogFont, ShellDialogFaceMeasuresEnglishTextAsTahomaDoes) {
    Use(L"MS Shell Dlg 2");
    TEXTMETRICW tm = Metrics();
    EXPECT_EQ(tm.tmAscent, 11);
    EXPECT_GE(tm.tmDescent, 2);
    EXPECT_LE(tm.tmDescent, 3);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_GE(tm.tmAveCharWidth, 4);
    EXPECT_LE(tm.tmAveCharWidth, 7);
    for (const Expected &e : kStrings) {
        SIZE size = Extent(e.text);
        EXPECT_GE(size.cx, e.least) << U(e.text);
        EXPECT_LE(size.cx, e.most) << U(e.text);
        EXPECT_EQ(size.cy, tm.tmHeight) << U(e.text);
    }
    // Proportional: narrow letters take less room than wide ones.
    EXPECT_LT(Extent(L"iiiiiiii").cx * 2, Extent(L"WWWWWWWW").cx);
}

TEST_F(DialogFont, TahomaAndTheShellDialogFacesMeasureAlike) {
    std::vector<LONG> tahoma;
    Use(L"Tahoma");
    for (const Expected &e : kStrings) tahoma.push_back(Extent(e.text).cx);
    for (const wchar_t *face : {L"MS Shell Dlg 2", L"MS Shell Dlg"}) {
        // A Japanese Windows maps the older name to its Japanese UI face.
        if (WindowsOnAJapaneseLocale() && std::wstring(face) == L"MS Shell Dlg") continue;
        Use(face);
        std::vector<LONG> widths;
        for (const Expected &e : kStrings) widths.push_back(Extent(e.text).cx);
        EXPECT_EQ(widths, tahoma) << U(face);
    }
}

TEST_F(DialogFont, DrawTextMeasuresAndDrawsWithTheSameAdvances) {
    Use(L"MS Shell Dlg 2");
    // The prefix character is not drawn: the text measures as without it.
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, L"Use lar&ge pictures", -1, &r, DT_CALCRECT | DT_SINGLELINE);
    SIZE plain = Extent(L"Use large pictures");
    EXPECT_EQ(r.right - r.left, plain.cx);
    EXPECT_EQ(r.bottom - r.top, plain.cy);
    // TextOutW inks inside the extent it reports.
    RECT all{0, 0, 400, 200};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    ASSERT_TRUE(TextOutW(dc, 10, 10, L"Use large pictures", 18));
    int left = 400, right = -1;
    for (int y = 10; y < 10 + plain.cy; y++)
        for (int x = 0; x < 400; x++)
            if (GetPixel(dc, x, y) != RGB(255, 255, 255)) left = std::min(left, x), right = std::max(right, x);
    ASSERT_GE(right, left) << "nothing drawn";
    EXPECT_GE(left, 10);
    EXPECT_LT(right, 10 + plain.cx);
    EXPECT_GT(right - left, plain.cx * 3 / 4);
}

TEST_F(DialogFont, BoldIsTheBoldFace) {
    Use(L"Tahoma");
    LONG regular = Extent(L"Use large pictures").cx;
    Use(L"Tahoma", FW_BOLD);
    EXPECT_GT(Extent(L"Use large pictures").cx, regular);
    EXPECT_GE(Metrics().tmWeight, FW_BOLD);
    if (Layer::Available()) EXPECT_EQ(Layer::UnimplementedReports(), 0);
}

TEST_F(DialogFont, JapaneseCharactersAreMarkedMissing) {
    Use(L"MS Shell Dlg 2");
    const wchar_t text[] = L"設定Set";
    WORD indices[5] = {};
    ASSERT_EQ(GetGlyphIndicesW(dc, text, 5, indices, GGI_MARK_NONEXISTING_GLYPHS), 5u);
    EXPECT_EQ(indices[0], 0xFFFF);
    EXPECT_EQ(indices[1], 0xFFFF);
    for (int i = 2; i < 5; i++) EXPECT_NE(indices[i], 0xFFFF) << i;
    EXPECT_NE(indices[2], indices[3]);
}

TEST_F(DialogFont, EnglishDialogsTakeTheirUnitsFromTheShellFont) {
    auto bytes = reinterpret_cast<LPCDLGTEMPLATEW>(ResourceBytes(RT_DIALOG, IDD_SETTINGS, kEnglishUs));
    ASSERT_NE(bytes, nullptr);
    HWND dialog = CreateDialogIndirectParamW(Instance(), bytes, nullptr, QuietProc, 0);
    ASSERT_NE(dialog, nullptr);
    RECT r{0, 0, 4, 8};
    ASSERT_TRUE(MapDialogRect(dialog, &r));
    EXPECT_EQ(r.right, 6);
    EXPECT_EQ(r.bottom, 13);
    auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    ASSERT_TRUE(GetObjectW(font, sizeof lf, &lf));
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"MS Shell Dlg 2");
    EXPECT_EQ(lf.lfHeight, -11);
    DestroyWindow(dialog);
}

}  // namespace
