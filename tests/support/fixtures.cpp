#include "support/fixtures.h"

#include "player/settings.h"
#include "saverfile/places.h"

#include <cstdlib>
#include <cstring>

bool WriteDosFile(const std::string &path, const Bytes &bytes) {
    HFILE f = _lcreat(path.c_str(), 0);
    if (f == HFILE_ERROR) return false;
    bool ok = bytes.empty() ||
              _hwrite(f, reinterpret_cast<LPCSTR>(bytes.data()), static_cast<long>(bytes.size())) ==
                  static_cast<long>(bytes.size());
    _lclose(f);
    return ok;
}

Bytes ReadDosFile(const std::string &path) {
    HFILE f = _lopen(path.c_str(), OF_READ);
    if (f == HFILE_ERROR) return {};
    LONG size = _llseek(f, 0, FILE_END);
    _llseek(f, 0, FILE_BEGIN);
    Bytes bytes(size > 0 ? static_cast<size_t>(size) : 0);
    if (size > 0) _hread(f, bytes.data(), size);
    _lclose(f);
    return bytes;
}

void DeleteDosFile(const std::string &path) { DeleteFileA(path.c_str()); }

std::string SystemDirectory() {
    char dir[MAX_PATH];
    GetSystemDirectoryA(dir, sizeof dir);
    return dir;
}

std::string ShowDirectory() {
    std::string folder = ShowFolder();
    return folder.substr(0, folder.size() - 1);
}

namespace {
const char kStoredSection[] = "ScreenSaver.QM Custom Saver 2.1";
}

void ForgetStoredSettings() {
    WritePrivateProfileStringA(kStoredSection, nullptr, nullptr, "control.ini");
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}

void StoreSetting(const char *key, const char *value) {
    if (OnWindows95Family()) {
        WritePrivateProfileStringA(kStoredSection, key, value, "control.ini");
        return;
    }
    HKEY k;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS)
        return;
    if (std::strcmp(key, "ItemName") == 0) {
        RegSetValueExA(k, key, 0, REG_SZ, reinterpret_cast<const BYTE *>(value), static_cast<DWORD>(std::strlen(value) + 1));
    } else {
        DWORD number = static_cast<DWORD>(std::strtoul(value, nullptr, 10));
        RegSetValueExA(k, key, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number);
    }
    RegCloseKey(k);
}

std::string StoredSetting(const char *key, const char *absent) {
    char value[MAX_PATH] = "";
    if (OnWindows95Family()) {
        GetPrivateProfileStringA(kStoredSection, key, absent, value, sizeof value, "control.ini");
        return value;
    }
    HKEY k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &k) != ERROR_SUCCESS) return absent;
    DWORD type = 0, size = sizeof value - 1;
    std::string result = absent;
    if (RegQueryValueExA(k, key, nullptr, &type, reinterpret_cast<BYTE *>(value), &size) == ERROR_SUCCESS) {
        if (type == REG_DWORD && size == 4) {
            DWORD number;
            std::memcpy(&number, value, 4);
            result = std::to_string(number);
        } else if (type == REG_SZ) {
            value[size] = 0;
            result = value;
        }
    }
    RegCloseKey(k);
    return result;
}
