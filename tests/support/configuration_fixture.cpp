#include "support/configuration_fixture.h"

#include <cstdio>
#include <cstring>

#include "player/player.h"
#include "player/settings.h"
#include "resources/resource.h"
#include "support/jpeg.h"
#include "text/language.h"
#include "ui/editor.h"
#include "ui/manager.h"

namespace {

const char kAside[] = "\\qms-aside";

}  // namespace

void ConfigurationTest::SetUp() {
    DiscTest::SetUp();
    if (IsSkipped()) return;
    ForgetStoredSettings();
    // The manager lists every show of the system directory: others wait aside.
    std::string system = ShowDirectory();
    MakeFolder((system + kAside).c_str());
    setAside = ShowsInShowDirectory();
    for (const std::string &name : setAside)
        MoveFileTo((system + "\\" + name).c_str(), (system + kAside + "\\" + name).c_str(), 0);
}

void ConfigurationTest::TearDown() {
    std::string system = ShowDirectory();
    // What the test's shows left behind: every show there now, and its music.
    for (const std::string &name : ShowsInShowDirectory()) {
        RemoveFile((system + "\\" + name).c_str());
        RemoveFile((system + "\\SOUND\\" + name.substr(0, name.find('.'))).c_str());
    }
    for (const std::string &name : setAside)
        MoveFileTo((system + kAside + "\\" + name).c_str(), (system + "\\" + name).c_str(), 0);
    RemoveFolder((system + kAside).c_str());
    ForgetStoredSettings();
    DiscTest::TearDown();
}

COLORREF ConfigurationTest::PreviewColour(int content, int picture) {
    return RGB(40 * picture, 200 - 60 * content, 30 + 50 * content);
}

void ConfigurationTest::MakeDisc() {
    discE.Catalogue(CatalogueText("湖の四季", {"春の湖", "夏の湖"}, {"朝", "夕"}));
    auto field = [](COLORREF c, int width, int height) {
        uint32_t rgb = uint32_t{GetRValue(c)} << 16 | uint32_t{GetGValue(c)} << 8 | GetBValue(c);
        return MakePackedDib(width, height, 24, [rgb](int, int) { return rgb; });
    };
    for (int p = 1; p <= 4; p++) {
        if (p < 4) previews[1][p] = MakeBmpFile(field(PreviewColour(1, p), 100, 75));
        fullFiles[1][p] = MakeBmpFile(field(RGB(10 * p, 0, 0), 64 + p, 48));
    }
    for (int p = 1; p <= 2; p++) {
        previews[2][p] = MakeBmpFile(field(PreviewColour(2, p), 100, 75));
        fullFiles[2][p] = MakeJpeg(80, 60 + p, PhotoPixel);
    }
    for (int c = 1; c <= 2; c++)
        for (int p = 1; p <= 4; p++) {
            if (!previews[c][p].empty()) discE.Picture(1, c, p, previews[c][p]);
            if (!fullFiles[c][p].empty()) discE.Picture(c == 1 ? 2 : 4, c, p, fullFiles[c][p]);
        }
    for (int t = 1; t <= 2; t++) {
        discE.Track(t, 200 + 300 * t);
        tracks[t] = ReadDosFile("E:\\DAT\\SOUND\\S\\0" + std::to_string(t) + ".WAV");
    }
}

void ConfigurationTest::OpenConfiguration() {
    LoadSettingStrings(GetModuleHandleW(nullptr));
    ReadSettings();
    ScanForTitleDisc();
    EnterShowFolder();
    ReadDisplayDepth();
}

INT_PTR ConfigurationTest::RunEditor(const std::string &name, const std::function<void(HWND)> &steps) {
    char fileName[kShowNameSize];
    std::snprintf(fileName, sizeof fileName, "%s", name.c_str());
    INT_PTR result = 0;
    InNextDialog([&] { result = ::RunEditor(GetModuleHandleW(nullptr), nullptr, fileName); }, steps);
    editorName = fileName;
    return result;
}

int ConfigurationTest::TemplateHeight() {
    DLGPROC plain = [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; };
    HWND made = MakeDialog(GetModuleHandleW(nullptr), IDD_EDITOR, nullptr, plain, 0);
    RECT r{};
    GetWindowRect(made, &r);
    DestroyWindow(made);
    return r.bottom - r.top;
}

INT_PTR ConfigurationTest::RunManager(const std::function<void(HWND)> &steps) {
    INT_PTR result = 0;
    InNextDialog([&] { result = RunConfiguration(GetModuleHandleW(nullptr), nullptr); }, steps);
    return result;
}

bool ConfigurationTest::Turn() {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        return true;
    }
    if (!Layer::Available()) {
        Sleep(5);
        return true;
    }
    DWORD next = Layer::NextEventIn();
    if (next > 60000) return false;
    Layer::AdvanceClock(next);
    return true;
}

void ConfigurationTest::RunLoop(const std::function<bool()> &done, int turns) {
    int after = -1;
    for (int i = 0; i < turns && Turn(); i++) {
        if (Layer::Available()) continue;
        if (after < 0 && done()) after = 60;
        if (after >= 0 && after-- == 0) break;
    }
}

UINT ConfigurationTest::MenuState(HWND editor, int id) { return GetMenuState(GetMenu(editor), id, MF_BYCOMMAND); }

bool ConfigurationTest::SaveEnabled(HWND editor) { return !(MenuState(editor, IDM_SAVE) & (MF_GRAYED | MF_DISABLED)); }

std::string ConfigurationTest::Text(HWND window) {
    return WindowText(window);
}

std::vector<PictureEntry *> ConfigurationTest::Entries(HWND editor, int listId) {
    std::vector<PictureEntry *> entries;
    HWND list = GetDlgItem(editor, listId);
    for (int i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); i++)
        entries.push_back(reinterpret_cast<PictureEntry *>(SendMessageW(list, LB_GETITEMDATA, i, 0)));
    return entries;
}

namespace {

std::vector<std::string> ItemTexts(HWND control, bool combo) {
    std::vector<std::string> texts;
    for (int i = 0; i < SendMessageW(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0); i++)
        texts.push_back(ListItemText(control, i, combo));
    return texts;
}

}  // namespace

std::vector<std::string> ConfigurationTest::ListTexts(HWND dialog, int listId) {
    return ItemTexts(GetDlgItem(dialog, listId), false);
}

std::vector<std::string> ConfigurationTest::ComboTexts(HWND dialog, int comboId) {
    return ItemTexts(GetDlgItem(dialog, comboId), true);
}

std::vector<std::string> ConfigurationTest::ShowsInShowDirectory() {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(ShowDirectory() + "\\*.qms").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(Utf8(found.cFileName));
    while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::vector<Bytes> ConfigurationTest::Records(const std::string &name) {
    Bytes file = ReadDosFile(ShowDirectory() + "\\" + name);
    std::vector<Bytes> records;
    size_t at = 4;
    while (at + 8 <= file.size()) {
        uint32_t full, preview;
        std::memcpy(&full, &file[at], 4);
        std::memcpy(&preview, &file[at + 4], 4);
        size_t end = at + 8 + size_t{full} + preview;
        if (end > file.size()) break;
        records.emplace_back(file.begin() + static_cast<long>(at), file.begin() + static_cast<long>(end));
        at = end;
    }
    return records;
}

bool ConfigurationTest::SystemFileExists(const std::string &name) {
    return FileAttributes((ShowDirectory() + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

int ConfigurationTest::Beeps() { return Layer::Available() ? Layer::Beeps() : 0; }
