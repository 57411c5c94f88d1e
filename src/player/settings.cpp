#include "player/settings.h"

#include "resources/resource.h"
#include "saverfile/places.h"
#include "text/language.h"
#include "text/text.h"

#include <algorithm>
#include <cstring>

#include <cstdio>

SettingStrings settingStrings;
Settings settings;

void LoadSettingStrings(HINSTANCE instance) {
    SettingStrings &s = settingStrings;
    auto load = [instance](UINT id, char *slot, size_t size) { CopyText(slot, size, LoadText(instance, id)); };
    load(IDS_SECTION, s.section, sizeof s.section);
    load(IDS_PROFILE, s.profile, sizeof s.profile);
    load(IDS_APPNAME, s.appName, sizeof s.appName);
    load(IDS_KEY_VOLUME, s.keyVolume, sizeof s.keyVolume);
    load(IDS_KEY_INTERVAL, s.keyInterval, sizeof s.keyInterval);
    load(IDS_KEY_USELSIZE, s.keyUseLSize, sizeof s.keyUseLSize);
    load(IDS_KEY_USE8BIT, s.keyUse8bit, sizeof s.keyUse8bit);
    load(IDS_KEY_ITEMNAME, s.keyItemName, sizeof s.keyItemName);
    load(IDS_KEY_LANGUAGE, s.keyLanguage, sizeof s.keyLanguage);
    load(IDS_HELPFILE, s.helpFile, sizeof s.helpFile);
    load(IDS_NOMEMORY, s.noMemory, sizeof s.noMemory);
}

const char kSettingsKey[] = "Software\\Quillmere\\QM Custom Saver 2.1";

namespace {

// On NT the settings live in the user's registry key; the 95 family keeps
// them in control.ini, as an NT user's settings started out.
bool InRegistry() { return !OnWindows95Family(); }

void ReadDword(HKEY key, const char *name, DWORD *value) {
    DWORD type = 0, data = 0, size = sizeof data;
    if (RegQueryValueExW(key, Wide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE *>(&data), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof data)
        *value = data;
}

// A REG_SZ value into slot; empty when there is none.
void ReadText(HKEY key, const char *name, char *slot, size_t size) {
    WCHAR text[MAX_PATH] = L"";
    DWORD type = 0, bytes = sizeof text - sizeof text[0];
    if (RegQueryValueExW(key, Wide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE *>(text), &bytes) ==
            ERROR_SUCCESS &&
        type == REG_SZ) {
        text[std::min<DWORD>(bytes / sizeof text[0], MAX_PATH - 1)] = 0;
        CopyText(slot, size, Utf8(text));
    } else {
        *slot = 0;
    }
}

// The user's key, once it exists; false (and the profile's values stand) before.
bool ReadRegistrySettings() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(kSettingsKey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
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
    ReadText(key, s.keyItemName, settings.itemName, sizeof settings.itemName);
    ReadText(key, s.keyLanguage, settings.language, sizeof settings.language);
    RegCloseKey(key);
    return true;
}

bool WriteRegistryValue(const char *name, DWORD type, const void *data, DWORD size) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, Wide(kSettingsKey).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExW(key, Wide(name).c_str(), 0, type, static_cast<const BYTE *>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

}  // namespace

void ReadSettings() {
    if (InRegistry() && ReadRegistrySettings()) return;
    const SettingStrings &s = settingStrings;
    std::wstring section = Wide(s.section), profile = Wide(s.profile);
    auto number = [&](const char *key, int fallback) {
        return GetPrivateProfileIntW(section.c_str(), Wide(key).c_str(), fallback, profile.c_str());
    };
    settings.volume = static_cast<uint16_t>(number(s.keyVolume, 5));
    settings.interval = static_cast<uint16_t>(number(s.keyInterval, 10));
    settings.useLargeSize = static_cast<int32_t>(number(s.keyUseLSize, 0));
    settings.use8bit = static_cast<int32_t>(number(s.keyUse8bit, 0));
    auto text = [&](const char *key, char *slot, size_t size) {
        WCHAR value[MAX_PATH] = L"";
        GetPrivateProfileStringW(section.c_str(), Wide(key).c_str(), L"", value, MAX_PATH, profile.c_str());
        CopyText(slot, size, Utf8(value));
    };
    text(s.keyItemName, settings.itemName, sizeof settings.itemName);
    text(s.keyLanguage, settings.language, sizeof settings.language);
}

void ChooseLanguage() { UseLanguage(LanguageFor(settings.language, GetUserDefaultUILanguage())); }

BOOL WriteSetting(const char *section, const char *key, unsigned value) {
    if (InRegistry()) {
        DWORD data = value;
        return WriteRegistryValue(key, REG_DWORD, &data, sizeof data);
    }
    char text[16];
    std::snprintf(text, sizeof text, "%u", value);
    return WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(text).c_str(),
                                      Wide(settingStrings.profile).c_str());
}

BOOL WriteItemName(const char *name) {
    const SettingStrings &s = settingStrings;
    std::wstring wide = Wide(name);
    if (InRegistry())
        return WriteRegistryValue(s.keyItemName, REG_SZ, wide.c_str(),
                                  static_cast<DWORD>((wide.size() + 1) * sizeof(WCHAR)));
    return WritePrivateProfileStringW(Wide(s.section).c_str(), Wide(s.keyItemName).c_str(), wide.c_str(),
                                      Wide(s.profile).c_str());
}
