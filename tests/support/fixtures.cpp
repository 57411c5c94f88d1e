#include "support/fixtures.h"

#include "player/settings.h"
#include "saverfile/places.h"

#include <cstdlib>
#include <cstring>

bool WriteDosFile(const std::string &path, const Bytes &bytes) {
    HFILE f = CreateAnew(path.c_str());
    if (f == HFILE_ERROR) return false;
    bool ok = bytes.empty() ||
              _hwrite(f, reinterpret_cast<LPCSTR>(bytes.data()), static_cast<long>(bytes.size())) ==
                  static_cast<long>(bytes.size());
    _lclose(f);
    return ok;
}

Bytes ReadDosFile(const std::string &path) {
    HFILE f = OpenForReading(path.c_str());
    if (f == HFILE_ERROR) return {};
    LONG size = _llseek(f, 0, FILE_END);
    _llseek(f, 0, FILE_BEGIN);
    Bytes bytes(size > 0 ? static_cast<size_t>(size) : 0);
    if (size > 0) _hread(f, bytes.data(), size);
    _lclose(f);
    return bytes;
}

void DeleteDosFile(const std::string &path) { RemoveFile(path.c_str()); }

BOOL RemoveFolder(const std::string &path) { return RemoveDirectoryW(Wide(path).c_str()); }

std::string CodePage932(const std::string &utf8) {
    std::wstring wide = Wide(utf8);
    if (wide.empty()) return {};
    int length = WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr, nullptr);
    return text;
}

std::string SystemDirectory() {
    WCHAR dir[MAX_PATH] = L"";
    GetSystemDirectoryW(dir, MAX_PATH);
    return Utf8(dir);
}

std::string ShowDirectory() {
    std::string folder = ShowFolder();
    return folder.substr(0, folder.size() - 1);
}

namespace {
const WCHAR kStoredSection[] = L"ScreenSaver.QM Custom Saver 2.1";
}

void ForgetStoredSettings() {
    WritePrivateProfileStringW(kStoredSection, nullptr, nullptr, L"control.ini");
    RegDeleteKeyW(HKEY_CURRENT_USER, Wide(kSettingsKey).c_str());
}

void StoreSetting(const char *key, const char *value) {
    if (OnWindows95Family()) {
        WritePrivateProfileStringW(kStoredSection, Wide(key).c_str(), Wide(value).c_str(), L"control.ini");
        return;
    }
    HKEY k;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, Wide(kSettingsKey).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
        return;
    std::wstring name = Wide(key);
    if (std::strcmp(key, "ItemName") == 0 || std::strcmp(key, "Language") == 0) {
        std::wstring text = Wide(value);
        RegSetValueExW(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
    } else {
        DWORD number = static_cast<DWORD>(std::strtoul(value, nullptr, 10));
        RegSetValueExW(k, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&number), sizeof number);
    }
    RegCloseKey(k);
}

std::string StoredSetting(const char *key, const char *absent) {
    WCHAR value[MAX_PATH] = L"";
    if (OnWindows95Family()) {
        GetPrivateProfileStringW(kStoredSection, Wide(key).c_str(), Wide(absent).c_str(), value, MAX_PATH, L"control.ini");
        return Utf8(value);
    }
    HKEY k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(kSettingsKey).c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return absent;
    DWORD type = 0, size = sizeof value - sizeof(WCHAR);
    std::string result = absent;
    if (RegQueryValueExW(k, Wide(key).c_str(), nullptr, &type, reinterpret_cast<BYTE *>(value), &size) == ERROR_SUCCESS) {
        if (type == REG_DWORD && size == 4) {
            DWORD number;
            std::memcpy(&number, value, 4);
            result = std::to_string(number);
        } else if (type == REG_SZ) {
            value[size / sizeof(WCHAR)] = 0;
            result = Utf8(value);
        }
    }
    RegCloseKey(k);
    return result;
}
