// The program in the user's language: every dialog, menu and box in English
// beside the Japanese, each English text within its control, and the
// language chosen by the user's UI language unless the Language setting
// says otherwise.
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <map>

#include "disc/catalogue.h"
#include "host/host.h"
#include "platform/testing/layer.h"
#include "player/settings.h"
#include "resources/resource.h"
#include "support/boxes.h"
#include "support/configuration_fixture.h"
#include "text/language.h"
#include "ui/music_dialog.h"
#include "ui/progress.h"
#include "ui/settings_dialog.h"

namespace {

struct Control {
    int id;            // as a WORD: DIALOG templates hold ids in 16 bits
    std::string kind;  // the window class
    std::string text;
    int width = 0;     // of the text on one line, in the control's font
    int room = 0;      // that the control gives it
};

struct DialogTexts {
    std::string caption;
    std::vector<Control> controls;
    std::vector<std::string> menu;  // the menu bar's items and their items, in order
};

std::string ClassOf(HWND window) {
    WCHAR name[64] = L"";
    GetClassNameW(window, name, 64);
    return Utf8(name);
}

std::vector<std::string> MenuTexts(HMENU menu) {
    std::vector<std::string> texts;
    for (int i = 0; menu && i < GetMenuItemCount(menu); i++) {
        WCHAR text[128] = L"";
        GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        if (*text) texts.push_back(Utf8(text));
        for (const std::string &inner : MenuTexts(GetSubMenu(menu, i))) texts.push_back(inner);
    }
    return texts;
}

// How wide text is in the control's font, the access key's '&' not drawn.
int TextWidth(HWND control, const std::string &text) {
    HDC hdc = GetDC(control);
    HGDIOBJ old = SelectObject(hdc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    std::wstring wide = Wide(text);
    RECT r{0, 0, 0, 0};
    DrawTextW(hdc, wide.c_str(), static_cast<int>(wide.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(hdc, old);
    ReleaseDC(control, hdc);
    return r.right - r.left;
}

// The room a control gives its text on one line: a button keeps a margin
// inside its edges, a check box draws its box and a gap before the text.
int Room(HWND control) {
    RECT r;
    GetClientRect(control, &r);
    int width = r.right - r.left;
    if (ClassOf(control) != "Button") return width;
    LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) return width - GetSystemMetrics(SM_CXMENUCHECK) - 4;
    return width - 2 * GetSystemMetrics(SM_CXEDGE) - 4;
}

// A dialog's texts as it shows them, its controls in order of their ids
// (the languages may order buttons as each expects).
DialogTexts TextsOf(HWND dialog) {
    DialogTexts texts{WindowText(dialog), {}, MenuTexts(GetMenu(dialog))};
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        std::string text = WindowText(c);
        texts.controls.push_back({LOWORD(GetDlgCtrlID(c)), ClassOf(c), text, TextWidth(c, text), Room(c)});
    }
    std::stable_sort(texts.controls.begin(), texts.controls.end(),
                     [](const Control &a, const Control &b) { return a.id < b.id; });
    return texts;
}

bool IsPlainEnglish(const std::string &text) {
    for (unsigned char c : text)
        if (c >= 0x80 || c == '?') return false;
    return true;
}

// The English dialog has the Japanese one's controls, in the same order, a
// text wherever the Japanese has one, each plain English that fits.
void ExpectEnglish(const std::string &where, const DialogTexts &english, const DialogTexts &japanese) {
    SCOPED_TRACE(where);
    EXPECT_TRUE(IsPlainEnglish(english.caption)) << english.caption;
    if (!japanese.caption.empty()) EXPECT_FALSE(english.caption.empty());
    ASSERT_EQ(english.controls.size(), japanese.controls.size());
    for (size_t i = 0; i < english.controls.size(); i++) {
        const Control &e = english.controls[i], &j = japanese.controls[i];
        EXPECT_EQ(e.id, j.id) << "control " << i;
        EXPECT_EQ(e.kind, j.kind) << "control " << i;
        // Lists and the disc's title hold the user's data.
        if (e.kind == "ComboBox" || e.kind == "ListBox" || e.id == IDC_TITLE) continue;
        EXPECT_EQ(e.text.empty(), j.text.empty()) << "control " << e.id << ": \"" << e.text << "\" for \"" << j.text << "\"";
        EXPECT_TRUE(IsPlainEnglish(e.text)) << "control " << e.id << ": " << e.text;
        if (!e.text.empty()) EXPECT_LE(e.width, e.room) << "\"" << e.text << "\" is cut in control " << e.id;
    }
    ASSERT_EQ(english.menu.size(), japanese.menu.size());
    for (const std::string &item : english.menu) EXPECT_TRUE(IsPlainEnglish(item)) << item;
}

void ExpectEnglishBoxes(const std::vector<ShownBox> &boxes, size_t count) {
    ASSERT_EQ(boxes.size(), count);
    for (const ShownBox &box : boxes) {
        EXPECT_TRUE(IsPlainEnglish(box.text)) << box.text;
        EXPECT_FALSE(box.text.empty());
        EXPECT_TRUE(IsPlainEnglish(box.caption)) << box.caption;
    }
}

class DialogLanguage : public ConfigurationTest {
protected:
    void SetUp() override {
        ConfigurationTest::SetUp();
        if (IsSkipped()) return;
        MakeDisc();
        OpenConfiguration();
        host.instance = GetModuleHandleW(nullptr);
        const char *tracks[] = {"Morning", "夜の雪"};
        catalogue.trackCount = 2;
        for (int i = 0; i < 2; i++) std::strcpy(catalogue.trackNames[i], tracks[i]);
    }
    void TearDown() override {
        if (Layer::Available()) Layer::Reset();
        ConfigurationTest::TearDown();
    }

    // Each dialog's texts in the language, as it opens.
    std::map<std::string, DialogTexts> OpenEach(Language language) {
        UseLanguage(language);
        std::map<std::string, DialogTexts> seen;
        HINSTANCE instance = GetModuleHandleW(nullptr);
        RunManager([&](HWND manager) {
            seen["manager"] = TextsOf(manager);
            Click(manager, IDOK);
        });
        InNextDialog([&] { RunSettingsDialog(instance, nullptr); },
                     [&](HWND dialog) {
                         seen["settings"] = TextsOf(dialog);
                         // The longest interval it shows, in place.
                         for (int i = 0; i < 30; i++)
                             SendMessageW(dialog, WM_HSCROLL, SB_LINEDOWN,
                                          reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_INTERVAL)));
                         seen["settings at 30"] = TextsOf(dialog);
                         Click(dialog, IDCANCEL);
                     });
        InNextDialog([&] { ChooseMusicTrack(instance, nullptr); },
                     [&](HWND dialog) {
                         seen["music"] = TextsOf(dialog);
                         Click(dialog, IDCANCEL);
                     });
        for (int id : {IDD_SAVING, IDD_READING}) {
            HWND window = OpenProgressWindow(instance, nullptr, id);
            std::string name = id == IDD_SAVING ? "saving" : "reading";
            seen[name] = TextsOf(window);
            if (id == IDD_SAVING) {
                SetProgressText(window, ::Text(IDS_SAVING_MUSIC).c_str());
                seen[name + " again"] = TextsOf(window);
            }
            CloseProgressWindow(window);
        }
        // The folder listing's window, also with the longest count it shows.
        DLGPROC plain = [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; };
        HWND listing = MakeDialog(instance, IDD_LISTING, nullptr, plain, 0);
        seen["listing"] = TextsOf(listing);
        SetItemText(listing, IDC_PROGRESS_TEXT, FormatText(IDS_PHOTOS_FOUND, 32767));
        seen["listing again"] = TextsOf(listing);
        DestroyWindow(listing);
        RunEditor("", [&](HWND editor) {
            seen["editor"] = TextsOf(editor);
            SendMessageW(editor, WM_CLOSE, 0, 0);
        });
        return seen;
    }

    // The manager's New button as the saver's configuration mode shows it,
    // started as Windows starts it.
    static std::string NewButtonOfConfiguration() {
        std::string text;
        InNextDialog([] { RunFromCommandLine("qmsaver.scr /c"); },
                     [&](HWND manager) {
                         text = ItemText(manager, IDC_NEW);
                         Click(manager, IDOK);
                     });
        return text;
    }
};

TEST_F(DialogLanguage, EveryDialogHasItsEnglishTextsEachWithinItsControl) {
    std::map<std::string, DialogTexts> english = OpenEach(Language::kEnglish);
    std::map<std::string, DialogTexts> japanese = OpenEach(Language::kJapanese);
    ASSERT_EQ(english.size(), 10u);
    for (const auto &[name, texts] : english) ExpectEnglish(name, texts, japanese[name]);

    EXPECT_EQ(english["manager"].caption, "QM Custom Saver");
    std::vector<std::string> buttons;
    for (const Control &c : english["manager"].controls)
        if (c.kind == "Button") buttons.push_back(c.text);
    // By id: Close (IDOK), New, Edit, Settings, Delete.
    EXPECT_EQ(buttons, (std::vector<std::string>{"&Close", "&New", "&Edit", "&Settings...", "&Delete"}));
    EXPECT_EQ(english["editor"].caption, "QM Custom Saver - Untitled");
    EXPECT_EQ(english["editor"].menu.front(), "&File");
    EXPECT_EQ(japanese["editor"].menu.front(), "ファイル(&F)");
    EXPECT_EQ(japanese["settings"].caption, "設定");
    EXPECT_EQ(japanese["reading"].controls.front().text, "ＣＤ－ＲＯＭを解析しています。少しお待ちください...");
}

TEST_F(DialogLanguage, EditorsChooserAndBoxesSpeakEnglish) {
    UseLanguage(Language::kEnglish);
    std::vector<ShownBox> boxes;
    RunEditor("", [&](HWND editor) {
        std::vector<std::string> items = ComboTexts(editor, IDC_CONTENTS);
        ASSERT_GE(items.size(), 2u);
        EXPECT_EQ(items.back(), "Choose a folder...");
        if (items.size() == 4u) EXPECT_EQ(items[2], "Pictures");
        Click(editor, IDC_ADD_ALL);
        // Closing with the change asks, in English, and No closes.
        boxes = BoxesShownDuring([&] { SendMessageW(editor, WM_CLOSE, 0, 0); }, {IDNO});
    });
    ExpectEnglishBoxes(boxes, 1);
    EXPECT_EQ(boxes[0].caption, "Quillmere Saver");
    EXPECT_NE(boxes[0].text.find("'Untitled'"), std::string::npos) << boxes[0].text;

    WriteSystemFile("GONE.QMS", MakeShow({{MakePackedDib(8, 6, 24, [](int, int) { return 0x123456u; }), {}}}));
    RunManager([&](HWND manager) {
        SelectItem(manager, IDC_SHOWS, 0, true);
        boxes = BoxesShownDuring([&] { Click(manager, IDC_DELETE_SHOW); }, {IDNO});
        Click(manager, IDOK);
    });
    ExpectEnglishBoxes(boxes, 1);
    EXPECT_NE(boxes[0].text.find("'GONE.QMS'"), std::string::npos) << boxes[0].text;
}

// Every text with arguments takes the same ones in both languages: a
// translation that asks for others would print garbage, or worse.
TEST_F(DialogLanguage, BothLanguagesFormatTheirTextsWithTheSameArguments) {
    auto conversions = [](const std::string &format) {
        std::string found;
        for (size_t i = 0; i < format.size(); i++) {
            if (format[i] != '%') continue;
            size_t end = format.find_first_of("sdlu%", i + 1);
            if (end == std::string::npos) break;
            if (format[end] == 'l') end++;
            found += format.substr(i, end - i + 1) + " ";
            i = end;
        }
        return found;
    };
    int compared = 0;
    for (UINT id = 1; id < 4096; id++) {
        UseLanguage(Language::kJapanese);
        std::string japanese = ::Text(id);
        UseLanguage(Language::kEnglish);
        std::string english = ::Text(id);
        EXPECT_EQ(japanese.empty(), english.empty()) << "string " << id;
        if (japanese.empty()) continue;
        EXPECT_EQ(conversions(english), conversions(japanese)) << "string " << id << ": " << english;
        compared++;
    }
    EXPECT_GT(compared, 50);
}

TEST_F(DialogLanguage, TheSettingOverridesTheUsersLanguageBothWays) {
    for (bool win95 : {false, true}) {
        if (win95 && !Layer::Available()) continue;
        if (Layer::Available()) Layer::SetWindows95Family(win95);
        StoreSetting("Language", "en");
        EXPECT_EQ(NewButtonOfConfiguration(), "&New") << "95 family " << win95;
        StoreSetting("Language", "ja");
        EXPECT_EQ(NewButtonOfConfiguration(), "新規(&N)") << "95 family " << win95;
        StoreSetting("Language", "EN");
        EXPECT_EQ(NewButtonOfConfiguration(), "&New") << "95 family " << win95;
        ForgetStoredSettings();
    }
}

TEST_F(DialogLanguage, WithoutTheSettingTheUsersLanguageDecides) {
    StoreSetting("Language", "fr");  // not one the program speaks: as if unset
    if (Layer::Available()) {
        for (auto [ui, expected] : {std::pair<LANGID, const char *>{0x0411, "新規(&N)"}, {0x0409, "&New"},
                                    {0x040c, "&New"}, {0x0804, "&New"}}) {
            Layer::SetUiLanguage(ui);
            EXPECT_EQ(NewButtonOfConfiguration(), expected) << std::hex << ui;
        }
        return;
    }
    // Under Wine the user's language is the locale the tests run on.
    const char *locale = std::getenv("LANG");
    if (!locale || !*locale) GTEST_SKIP() << "no LANG to say which language the system has";
    bool japanese = std::strncmp(locale, "ja", 2) == 0;
    EXPECT_EQ(PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE, japanese) << locale;
    EXPECT_EQ(NewButtonOfConfiguration(), japanese ? "新規(&N)" : "&New") << locale;
}

}  // namespace
