// A small registry in memory: keys by path, without regard to case, holding
// typed values. A string value is kept as Windows keeps it, UTF-16 bytes
// with their terminator.
#include "kernel.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace headless {
namespace {

struct Value {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct Registry {
    std::map<std::string, std::map<std::string, Value>> keys;  // lower-case path -> values
    std::map<uintptr_t, std::string> open;                      // handle -> path
    uintptr_t next = 0x1000;
};

Registry &reg() {
    static Registry r;
    return r;
}

// A name as the registry compares it: case aside.
std::string Lower(const std::string &s) { return Utf8(Folded(s)); }

// REG_SZ bytes as UTF-16 little-endian, and back, each with a terminator.
std::vector<BYTE> WideBytes(const std::string &utf8) {
    std::vector<BYTE> bytes;
    for (WCHAR u : Utf16(utf8)) {
        bytes.push_back(static_cast<BYTE>(u & 0xFF));
        bytes.push_back(static_cast<BYTE>(u >> 8 & 0xFF));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

std::string FromWideBytes(const std::vector<BYTE> &bytes) {
    std::wstring units;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        WCHAR u = static_cast<WCHAR>(bytes[i] | bytes[i + 1] << 8);
        if (u == 0) break;
        units.push_back(u);
    }
    return Utf8(units.c_str(), static_cast<int>(units.size()));
}

bool PathOf(HKEY key, std::string &path) {
    path.clear();
    if (key == HKEY_CLASSES_ROOT) path = "hkcr";
    else if (key == HKEY_CURRENT_USER) path = "hkcu";
    else if (key == HKEY_LOCAL_MACHINE) path = "hklm";
    if (!path.empty()) return true;
    auto it = reg().open.find(reinterpret_cast<uintptr_t>(key));
    if (it == reg().open.end()) return false;
    path = it->second;
    return true;
}

std::string Join(const std::string &base, const char *sub) {
    std::string path = base;
    if (sub && *sub) path += "\\" + Lower(sub);
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

HKEY OpenHandle(const std::string &path) {
    uintptr_t h = reg().next;
    reg().next += 4;
    reg().open[h] = path;
    return reinterpret_cast<HKEY>(h);
}

// The current user's keys live in a file on drive C:, so that they last
// from one run to the next as on Windows: one line per value, its key's
// path, name, type and bytes in hex.
std::string StoreFile() {
    std::string host;
    return HostPath("C:\\Users\\User\\ntuser.reg", host) ? host : std::string();
}

}  // namespace

void SaveRegistry() {
    std::string file = StoreFile();
    if (file.empty()) return;
    std::string text;
    char hex[3];
    for (const auto &[path, values] : reg().keys) {
        if (path.compare(0, 4, "hkcu") != 0) continue;
        text += "key\t" + path + "\n";
        for (const auto &[name, value] : values) {
            text += "value\t" + path + "\t" + name + "\t" + std::to_string(value.type) + "\t";
            for (BYTE b : value.data) {
                std::snprintf(hex, sizeof hex, "%02x", b);
                text += hex;
            }
            text += "\n";
        }
    }
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

void LoadRegistry() {
    reg() = Registry{};
    std::ifstream in(StoreFile(), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        for (size_t at = 0;;) {
            size_t tab = line.find('\t', at);
            f.push_back(line.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
            if (tab == std::string::npos) break;
            at = tab + 1;
        }
        if (f.size() == 2 && f[0] == "key") reg().keys[f[1]];
        if (f.size() != 5 || f[0] != "value") continue;
        Value v;
        v.type = static_cast<DWORD>(std::strtoul(f[3].c_str(), nullptr, 10));
        for (size_t i = 0; i + 1 < f[4].size(); i += 2)
            v.data.push_back(static_cast<BYTE>(std::strtoul(f[4].substr(i, 2).c_str(), nullptr, 16)));
        reg().keys[f[1]][f[2]] = v;
    }
}

namespace {
const bool registered = (OnReset([] { reg() = Registry{}; }), true);

}  // namespace
}  // namespace headless

namespace headless {
namespace {


LSTATUS OpenKey(HKEY key, const char *subKey, PHKEY result) {
    std::string base;
    if (!result) return 87;
    *result = nullptr;
    if (!PathOf(key, base)) return ERROR_INVALID_HANDLE;
    std::string path = Join(base, subKey);
    if (!reg().keys.count(path)) return ERROR_FILE_NOT_FOUND;
    *result = OpenHandle(path);
    return ERROR_SUCCESS;
}

LSTATUS CreateKey(HKEY key, const char *subKey, PHKEY result, LPDWORD disposition) {
    std::string base;
    if (!result) return 87;
    if (!PathOf(key, base)) return ERROR_INVALID_HANDLE;
    std::string path = Join(base, subKey);
    bool existed = reg().keys.count(path) != 0;
    // Every key on the way exists too.
    for (size_t pos = path.find('\\'); pos != std::string::npos; pos = path.find('\\', pos + 1))
        reg().keys[path.substr(0, pos)];
    reg().keys[path];
    if (disposition) *disposition = existed ? 2 : 1;  // REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY
    if (!existed) SaveRegistry();
    *result = OpenHandle(path);
    return ERROR_SUCCESS;
}

LSTATUS QueryValue(HKEY key, const char *name, LPDWORD type, LPBYTE data, LPDWORD size) {
    std::string path;
    if (!PathOf(key, path)) return ERROR_INVALID_HANDLE;
    auto &values = reg().keys[path];
    auto it = values.find(Lower(name ? name : ""));
    if (it == values.end()) return ERROR_FILE_NOT_FOUND;
    Value v = it->second;
    if (v.type == REG_SZ) {
        // Handed out in the caller's WCHARs.
        std::wstring units = Utf16(FromWideBytes(v.data));
        units.push_back(0);
        auto *p = reinterpret_cast<const BYTE *>(units.data());
        v.data.assign(p, p + units.size() * sizeof(WCHAR));
    }
    if (type) *type = v.type;
    DWORD needed = static_cast<DWORD>(v.data.size());
    if (!size) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    if (data && *size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (data && needed) std::memcpy(data, v.data.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LSTATUS SetValue(HKEY key, const char *name, DWORD type, const BYTE *data, DWORD size) {
    std::string path;
    if (!PathOf(key, path)) return ERROR_INVALID_HANDLE;
    Value v;
    v.type = type;
    if (data) v.data.assign(data, data + size);
    if (type == REG_SZ) {
        // Kept as UTF-16 bytes (WCHAR is wider here than on Windows).
        std::wstring units(v.data.size() / sizeof(WCHAR), L'\0');
        std::memcpy(units.data(), v.data.data(), units.size() * sizeof(WCHAR));
        v.data = WideBytes(Utf8(units.c_str()));
    }
    reg().keys[path][Lower(name ? name : "")] = v;
    SaveRegistry();
    return ERROR_SUCCESS;
}

// A key without subkeys goes with its values, as on Windows.
LSTATUS DeleteKey(HKEY key, const char *subKey) {
    std::string base;
    if (!PathOf(key, base)) return ERROR_INVALID_HANDLE;
    std::string path = Join(base, subKey);
    if (!reg().keys.count(path)) return ERROR_FILE_NOT_FOUND;
    for (const auto &[other, values] : reg().keys)
        if (other.size() > path.size() && other.compare(0, path.size() + 1, path + "\\") == 0) return ERROR_ACCESS_DENIED;
    reg().keys.erase(path);
    SaveRegistry();
    return ERROR_SUCCESS;
}

}  // namespace
}  // namespace headless

using namespace headless;

LSTATUS WINAPI RegCloseKey(HKEY key) {
    return reg().open.erase(reinterpret_cast<uintptr_t>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS WINAPI RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM, PHKEY result) {
    return OpenKey(key, Utf8Arg::Wide(subKey).get(), result);
}
LSTATUS WINAPI RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM, void *, PHKEY result,
                               LPDWORD disposition) {
    return CreateKey(key, Utf8Arg::Wide(subKey).get(), result, disposition);
}
LSTATUS WINAPI RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
    return QueryValue(key, Utf8Arg::Wide(name).get(), type, data, size);
}
LSTATUS WINAPI RegSetValueExW(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE *data, DWORD size) {
    return SetValue(key, Utf8Arg::Wide(name).get(), type, data, size);
}
LSTATUS WINAPI RegDeleteKeyW(HKEY key, LPCWSTR subKey) { return DeleteKey(key, Utf8Arg::Wide(subKey).get()); }
