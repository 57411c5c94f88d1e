// Tests that run a show: its file in the system directory, its name and
// settings in control.ini, its music in SOUND; all removed afterwards.
#pragma once

#include <string>
#include <vector>

#include "support/fixtures.h"
#include "support/saver_fixture.h"

extern const char kSettingsSection[];

// Tests that write files into the system directory, removed afterwards.
class SystemFileTest : public SaverTest {
protected:
    void TearDown() override;
    // Writes the file and returns its full path.
    std::string WriteSystemFile(const std::string &name, const Bytes &bytes);
    // Nothing a save writes beside a show or its music is left there.
    static void ExpectNothingOfASaveLeftBehind(const std::string &what);
    // The faults a save is swept with (layer only): the n-th allocation,
    // write, move or close fails; then none. Its name for the failure text.
    static constexpr int kFaultKinds = 4;
    static std::string MakeFault(int kind, int n);
    static void ClearFaults();
    std::vector<std::string> written;
};

class ShowTest : public SystemFileTest {
protected:
    void SetUp() override;
    void TearDown() override;

    void SetSetting(const char *key, const char *value);
    // Writes the show into the system directory and makes it the one to play.
    void InstallShow(const char *name, const Bytes &show);
    void InstallMusic(const char *baseName, unsigned milliseconds);
    // Creates the saver window (full screen, or a preview in parent).
    HWND Start(HWND parent = nullptr);
};
