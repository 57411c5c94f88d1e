// Tests that run a show: its file in the system directory, its name and
// settings in control.ini, its music in SOUND; all removed afterwards.
#pragma once

#include <string>
#include <vector>

#include "support/fixtures.h"
#include "support/saver_fixture.h"

extern const char kSettingsSection[];

class ShowTest : public SaverTest {
protected:
    void SetUp() override;
    void TearDown() override;

    void SetSetting(const char *key, const char *value);
    // Writes the show into the system directory and makes it the one to play.
    void InstallShow(const char *name, const Bytes &show);
    void InstallMusic(const char *baseName, unsigned milliseconds);
    // Creates the saver window (full screen, or a preview in parent).
    HWND Start(HWND parent = nullptr);

    std::vector<std::string> written;
};
