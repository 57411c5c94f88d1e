// The saver's five settings in control.ini, and the resource strings that
// name the file, its section and its keys.
#pragma once

#include <windows.h>

#include "text/text.h"

#include <cstdint>

struct SettingStrings {
    char section[40];      // "ScreenSaver.QM Custom Saver 2.1"
    char profile[13];      // "control.ini", found in the Windows directory
    char appName[22 * 3];  // UTF-8: up to three bytes a character
    char keyVolume[16];
    char keyInterval[16];
    char keyUseLSize[16];
    char keyUse8bit[16];
    char keyItemName[16];
    char keyLanguage[16];
    char helpFile[13];
    char noMemory[255 * 3];
};

struct Settings {
    uint16_t volume = 5;      // music volume step 0..7
    uint16_t interval = 10;   // seconds between pictures
    int32_t useLargeSize = 0; // the save takes the large picture size
    int32_t use8bit = 0;      // pictures are taken in their 256-colour variants
    // The show to play, a bare file name in the system directory. Room for
    // any name the save-as dialog allows, not only 8.3 ones, in UTF-8.
    char itemName[kPathBytes] = "";
    // "ja" or "en" when the user chose the program's language; empty (or
    // anything else) leaves it to the user's UI language.
    char language[8] = "";
};

extern SettingStrings settingStrings;
extern Settings settings;

void LoadSettingStrings(HINSTANCE instance);
void ReadSettings();
// Speaks the language the settings read last and the user's UI language give.
void ChooseLanguage();
// Where NT keeps the settings, under HKEY_CURRENT_USER.
extern const char kSettingsKey[];
// A setting written where this Windows keeps them (on NT the registry, the
// section then unused); FALSE when it could not be.
BOOL WriteSetting(const char *section, const char *key, unsigned value);
BOOL WriteItemName(const char *name);
