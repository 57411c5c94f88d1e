#include "support/show_fixture.h"

const char kSettingsSection[] = "ScreenSaver.QM Custom Saver 2.1";

void SystemFileTest::TearDown() {
    SaverTest::TearDown();
    for (const std::string &f : written) DeleteDosFile(f);
}

std::string SystemFileTest::WriteSystemFile(const std::string &name, const Bytes &bytes) {
    std::string path = ShowDirectory() + "\\" + name;
    EXPECT_TRUE(WriteDosFile(path, bytes)) << path;
    written.push_back(path);
    return path;
}

void SystemFileTest::ExpectNothingOfASaveLeftBehind(const std::string &what) {
    for (const char *left : {"QMSAVER.TMP", "QMSAVER.BAK", "QMSAVER.JNL", "SOUND\\QMSAVER.TMP", "SOUND\\QMSAVER.BAK"}) {
        std::string path = ShowDirectory() + "\\" + left;
        EXPECT_EQ(FileAttributes(path.c_str()), INVALID_FILE_ATTRIBUTES) << what << ": " << left;
    }
}

std::string SystemFileTest::MakeFault(int kind, int n) {
    static const char *kNames[kFaultKinds] = {"allocation", "write", "move", "close"};
    if (kind == 0) Layer::FailAllocationAfter(n);
    else if (kind == 1) Layer::FailWritesAfter(n);
    else if (kind == 2) Layer::FailRenamesAfter(n);
    else Layer::FailClosesAfter(n);
    return std::string(kNames[kind]) + " " + std::to_string(n);
}

void SystemFileTest::ClearFaults() {
    Layer::FailAllocationAfter(-1);
    Layer::FailWritesAfter(-1);
    Layer::FailRenamesAfter(-1);
    Layer::FailClosesAfter(-1);
}

void ShowTest::SetUp() {
    SaverTest::SetUp();
    ForgetStoredSettings();
}

void ShowTest::TearDown() {
    SystemFileTest::TearDown();
    ForgetStoredSettings();
}

void ShowTest::SetSetting(const char *key, const char *value) {
    StoreSetting(key, value);
}

void ShowTest::InstallShow(const char *name, const Bytes &show) {
    WriteSystemFile(name, show);
    SetSetting("ItemName", name);
}

void ShowTest::InstallMusic(const char *baseName, unsigned milliseconds) {
    std::string dir = ShowDirectory() + "\\SOUND";
    MakeFolder(dir.c_str());
    WriteSystemFile(std::string("SOUND\\") + baseName, MakeWav(milliseconds));
}

HWND ShowTest::Start(HWND parent) {
    HWND hwnd = CreateSaverWindow(parent, nullptr);
    Pump();
    return hwnd;
}
