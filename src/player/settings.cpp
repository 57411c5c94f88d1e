#include "player/settings.h"

#include "resources/resource.h"

#include <cstdio>

SettingStrings settingStrings;
Settings settings;

void LoadSettingStrings(HINSTANCE instance) {
    SettingStrings &s = settingStrings;
    LoadStringA(instance, IDS_SECTION, s.section, sizeof s.section);
    LoadStringA(instance, IDS_PROFILE, s.profile, sizeof s.profile);
    LoadStringA(instance, IDS_APPNAME, s.appName, sizeof s.appName);
    LoadStringA(instance, IDS_KEY_VOLUME, s.keyVolume, sizeof s.keyVolume);
    LoadStringA(instance, IDS_KEY_INTERVAL, s.keyInterval, sizeof s.keyInterval);
    LoadStringA(instance, IDS_KEY_USELSIZE, s.keyUseLSize, sizeof s.keyUseLSize);
    LoadStringA(instance, IDS_KEY_USE8BIT, s.keyUse8bit, sizeof s.keyUse8bit);
    LoadStringA(instance, IDS_KEY_ITEMNAME, s.keyItemName, sizeof s.keyItemName);
    LoadStringA(instance, IDS_HELPFILE, s.helpFile, sizeof s.helpFile);
    LoadStringA(instance, IDS_NOMEMORY, s.noMemory, sizeof s.noMemory);
}

void ReadSettings() {
    const SettingStrings &s = settingStrings;
    settings.volume = static_cast<uint16_t>(GetPrivateProfileIntA(s.section, s.keyVolume, 5, s.profile));
    settings.interval = static_cast<uint16_t>(GetPrivateProfileIntA(s.section, s.keyInterval, 10, s.profile));
    settings.useLargeSize = static_cast<int32_t>(GetPrivateProfileIntA(s.section, s.keyUseLSize, 0, s.profile));
    settings.use8bit = static_cast<int32_t>(GetPrivateProfileIntA(s.section, s.keyUse8bit, 0, s.profile));
    GetPrivateProfileStringA(s.section, s.keyItemName, "", settings.itemName, sizeof settings.itemName, s.profile);
}

BOOL WriteSetting(const char *section, const char *key, unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    return WritePrivateProfileStringA(section, key, text, settingStrings.profile);
}
