#include "support/show_fixture.h"

const char kSettingsSection[] = "ScreenSaver.QM Custom Saver 2.1";

void ShowTest::SetUp() {
    SaverTest::SetUp();
    WritePrivateProfileStringA(kSettingsSection, nullptr, nullptr, "control.ini");
}

void ShowTest::TearDown() {
    SaverTest::TearDown();
    WritePrivateProfileStringA(kSettingsSection, nullptr, nullptr, "control.ini");
    for (const std::string &f : written) DeleteDosFile(f);
}

void ShowTest::SetSetting(const char *key, const char *value) {
    WritePrivateProfileStringA(kSettingsSection, key, value, "control.ini");
}

void ShowTest::InstallShow(const char *name, const Bytes &show) {
    std::string path = SystemDirectory() + "\\" + name;
    ASSERT_TRUE(WriteDosFile(path, show));
    written.push_back(path);
    SetSetting("ItemName", name);
}

void ShowTest::InstallMusic(const char *baseName, unsigned milliseconds) {
    std::string dir = SystemDirectory() + "\\SOUND";
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string path = dir + "\\" + baseName;
    ASSERT_TRUE(WriteDosFile(path, MakeWav(milliseconds)));
    written.push_back(path);
}

HWND ShowTest::Start(HWND parent) {
    HWND hwnd = CreateSaverWindow(parent, nullptr);
    Pump();
    return hwnd;
}
