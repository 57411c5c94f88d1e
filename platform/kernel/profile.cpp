// Profile (.ini) files as Windows reads and writes them: a bare file name
// lives in the Windows directory, sections and keys match without regard to
// case, and writing keeps the rest of the file as it was. The file is in the
// ANSI code page (932); the calls' texts are UTF-8 here.
#include "kernel.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace headless {
namespace {

std::string Trim(const std::string &s) {
    size_t a = s.find_first_not_of(" \t\r\n"), b = s.find_last_not_of(" \t\r\n");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

bool ProfileHostPath(const char *file, std::string &host) {
    std::string name = file ? file : "win.ini";
    if (name.find_first_of("\\/:") == std::string::npos) name = "C:\\WINDOWS\\" + name;
    return HostPath(name, host);
}

std::vector<std::string> ReadLines(const std::string &host) {
    std::vector<std::string> lines;
    std::ifstream in(host, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(ToUtf8(line));
    }
    return lines;
}

bool SectionName(const std::string &line, std::string &name) {
    std::string t = Trim(line);
    if (t.size() < 2 || t[0] != '[') return false;
    size_t close = t.find(']');
    name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

bool KeyValue(const std::string &line, std::string &key, std::string &value) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(line.substr(0, eq));
    value = Trim(line.substr(eq + 1));
    return true;
}

// The value of a key, or false when the file, section or key is missing.
bool Lookup(const char *file, const char *section, const char *key, std::string &value) {
    std::string host;
    if (!ProfileHostPath(file, host)) return false;
    bool inSection = false;
    for (const std::string &line : ReadLines(host)) {
        std::string name, k, v;
        if (SectionName(line, name)) {
            inSection = SameName(name, section);
        } else if (inSection && KeyValue(line, k, v) && SameName(k, key)) {
            // A value in matching quotes is handed out without them.
            if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
            value = v;
            return true;
        }
    }
    return false;
}

std::string ProfileString(const char *section, const char *key, const char *defaultValue, const char *file) {
    std::string value;
    if (section && key && Lookup(file, section, key, value)) return value;
    // The default loses its trailing blanks, as Windows hands it out.
    std::string def = defaultValue ? defaultValue : "";
    while (!def.empty() && def.back() == ' ') def.pop_back();
    return def;
}

UINT ProfileInt(const char *section, const char *key, INT defaultValue, const char *file) {
    std::string value;
    if (!section || !key || !Lookup(file, section, key, value) || value.empty())
        return static_cast<UINT>(defaultValue);
    // As Windows reads a number: a sign, then digits in the base a prefix
    // names (0x, 0o, 0b; decimal otherwise), up to the first other character.
    const char *p = value.c_str();
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    UINT base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) base = 16;
    else if (p[0] == '0' && (p[1] == 'o' || p[1] == 'O')) base = 8;
    else if (p[0] == '0' && (p[1] == 'b' || p[1] == 'B')) base = 2;
    if (base != 10) p += 2;
    UINT result = 0;
    for (;; p++) {
        UINT digit = *p >= '0' && *p <= '9'   ? static_cast<UINT>(*p - '0')
                     : *p >= 'a' && *p <= 'f' ? static_cast<UINT>(*p - 'a' + 10)
                     : *p >= 'A' && *p <= 'F' ? static_cast<UINT>(*p - 'A' + 10)
                                              : 99;
        if (digit >= base) break;
        result = result * base + digit;
    }
    return negative ? 0u - result : result;
}

BOOL WriteProfileString(const char *section, const char *key, const char *value, const char *file) {
    std::string host;
    if (!section || !ProfileHostPath(file, host)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string name = file ? file : "win.ini";
    if (name.find_first_of("\\/:") == std::string::npos) name = "C:\\WINDOWS\\" + name;
    if (!MayChangeFile(name)) return FALSE;
    std::vector<std::string> lines = ReadLines(host);
    std::vector<std::string> out;
    bool inSection = false, sectionFound = false, written = false;
    std::string entry = key && value ? std::string(key) + "=" + value : std::string();
    size_t sectionEnd = 0;
    for (const std::string &line : lines) {
        std::string name, k, v;
        if (SectionName(line, name)) {
            inSection = SameName(name, section);
            if (inSection) sectionFound = true;
            if (inSection && !key) continue;  // the whole section goes
        } else if (inSection) {
            if (!key) continue;
            if (KeyValue(line, k, v) && SameName(k, key)) {
                if (value && !written) out.push_back(entry);
                written = true;
                continue;
            }
        }
        out.push_back(line);
        if (inSection) sectionEnd = out.size();
    }
    if (key && value && !written) {
        if (sectionFound) {
            // New keys go after the last non-blank line of the section.
            while (sectionEnd > 0 && Trim(out[sectionEnd - 1]).empty()) sectionEnd--;
            out.insert(out.begin() + static_cast<long>(sectionEnd), entry);
        } else {
            out.push_back(std::string("[") + section + "]");
            out.push_back(entry);
        }
    }
    std::ofstream f(host, std::ios::binary | std::ios::trunc);
    for (const std::string &line : out) f << ToAnsi(line) << "\r\n";
    f.close();
    if (!f) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

}  // namespace
}  // namespace headless

using namespace headless;

DWORD WINAPI GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size,
                                      LPCWSTR file) {
    std::string value = ProfileString(Utf8Arg::Wide(section).get(), Utf8Arg::Wide(key).get(),
                                      Utf8Arg::Wide(defaultValue).get(), Utf8Arg::Wide(file).get());
    return static_cast<DWORD>(CopyOut(value, buffer, size, true));
}

UINT WINAPI GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR file) {
    return ProfileInt(Utf8Arg::Wide(section).get(), Utf8Arg::Wide(key).get(), defaultValue, Utf8Arg::Wide(file).get());
}

BOOL WINAPI WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file) {
    return WriteProfileString(Utf8Arg::Wide(section).get(), Utf8Arg::Wide(key).get(), Utf8Arg::Wide(value).get(),
                              Utf8Arg::Wide(file).get());
}
