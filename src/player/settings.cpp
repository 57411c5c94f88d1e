#include "player/settings.h"

#include "resources/resource.h"
#include "saverfile/places.h"

#include <algorithm>
#include <cstring>

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

const char kSettingsKey[] = "Software\\Quillmere\\QM Custom Saver 2.1";

namespace {

// On NT the settings live in the user's registry key; the 95 family keeps
// them in control.ini, as an NT user's settings started out.
bool InRegistry() { return !OnWindows95Family(); }

void ReadDword(HKEY key, const char *name, DWORD *value) {
    DWORD type = 0, data = 0, size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&data), &size) == ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof data)
        *value = data;
}

// The user's key, once it exists; false (and the profile's values stand) before.
bool ReadRegistrySettings() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    const SettingStrings &s = settingStrings;
    DWORD volume = 5, interval = 10, large = 0, eight = 0;
    ReadDword(key, s.keyVolume, &volume);
    ReadDword(key, s.keyInterval, &interval);
    ReadDword(key, s.keyUseLSize, &large);
    ReadDword(key, s.keyUse8bit, &eight);
    settings.volume = static_cast<uint16_t>(volume);
    settings.interval = static_cast<uint16_t>(interval);
    settings.useLargeSize = static_cast<int32_t>(large);
    settings.use8bit = static_cast<int32_t>(eight);
    char name[MAX_PATH] = "";
    DWORD type = 0, size = sizeof name - 1;
    if (RegQueryValueExA(key, s.keyItemName, nullptr, &type, reinterpret_cast<BYTE *>(name), &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        name[std::min<DWORD>(size, sizeof name - 1)] = 0;
        std::snprintf(settings.itemName, sizeof settings.itemName, "%s", name);
    } else {
        settings.itemName[0] = 0;
    }
    RegCloseKey(key);
    return true;
}

bool WriteRegistryValue(const char *name, DWORD type, const void *data, DWORD size) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

}  // namespace

void ReadSettings() {
    if (InRegistry() && ReadRegistrySettings()) return;
    const SettingStrings &s = settingStrings;
    settings.volume = static_cast<uint16_t>(GetPrivateProfileIntA(s.section, s.keyVolume, 5, s.profile));
    settings.interval = static_cast<uint16_t>(GetPrivateProfileIntA(s.section, s.keyInterval, 10, s.profile));
    settings.useLargeSize = static_cast<int32_t>(GetPrivateProfileIntA(s.section, s.keyUseLSize, 0, s.profile));
    settings.use8bit = static_cast<int32_t>(GetPrivateProfileIntA(s.section, s.keyUse8bit, 0, s.profile));
    GetPrivateProfileStringA(s.section, s.keyItemName, "", settings.itemName, sizeof settings.itemName, s.profile);
}

BOOL WriteSetting(const char *section, const char *key, unsigned value) {
    if (InRegistry()) {
        DWORD data = value;
        return WriteRegistryValue(key, REG_DWORD, &data, sizeof data);
    }
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    return WritePrivateProfileStringA(section, key, text, settingStrings.profile);
}

BOOL WriteItemName(const char *name) {
    const SettingStrings &s = settingStrings;
    if (InRegistry())
        return WriteRegistryValue(s.keyItemName, REG_SZ, name, static_cast<DWORD>(std::strlen(name) + 1));
    return WritePrivateProfileStringA(s.section, s.keyItemName, name, s.profile);
}
