// Text: the layer keeps it as UTF-8; the W calls hand it over as UTF-16 in
// WCHAR units. Code page 932 (through iconv) is for what is kept in it: the
// title disc's catalogue, the profile file, short file names.
#include "kernel.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace headless {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Converts the whole input with iconv; a sequence the target lacks becomes
// '?', as the Windows calls do with their default character.
std::string Convert(const char *to, const char *from, const char *in, size_t inBytes, bool *lossy) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    out.resize(inBytes * 4 + 16);
    char *src = const_cast<char *>(in), *dst = out.data();
    size_t srcLeft = inBytes, dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) break;
        if (errno == E2BIG || dstLeft == 0) break;
        // A lead byte at the very end is code page 932's default character, ・, as Windows reads it.
        if (errno == EINVAL && std::strcmp(from, "CP932") == 0 && std::strcmp(to, "UTF-8") == 0 && dstLeft >= 3) {
            std::memcpy(dst, "\xE3\x83\xBB", 3);
            dst += 3;
            dstLeft -= 3;
            break;
        }
        // Unconvertible or cut short: one input character becomes '?'.
        *dst++ = '?';
        dstLeft--;
        size_t skip = 1;
        if (std::strcmp(from, "UTF-8") == 0)
            while (skip < srcLeft && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) skip++;
        src += std::min(skip, srcLeft);
        srcLeft -= std::min(skip, srcLeft);
        if (lossy) *lossy = true;
    }
    out.resize(out.size() - dstLeft);
    iconv_close(cd);
    return out;
}

void AppendUtf8(std::string &out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | c >> 6));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | c >> 12));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | c >> 18));
        out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

std::u32string Chars(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        auto b = static_cast<unsigned char>(utf8[i]);
        int n = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        char32_t c = n == 0 ? b : n == 1 ? b & 0x1F : n == 2 ? b & 0x0F : b & 0x07;
        bool ok = n >= 0;
        for (int k = 1; ok && k <= n; k++) {
            if (i + static_cast<size_t>(k) >= utf8.size()) {
                ok = false;
                break;
            }
            auto t = static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]);
            if ((t & 0xC0) != 0x80) ok = false;
            else c = c << 6 | (t & 0x3F);
        }
        // Overlong forms, surrogates and what lies beyond Unicode are not characters.
        static const char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (ok && (c < kLeast[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) ok = false;
        if (!ok) {
            // Each byte that starts no character stands for U+FFFD, as Windows decodes it.
            out.push_back(kReplacement);
            i++;
            continue;
        }
        out.push_back(c);
        i += static_cast<size_t>(n) + 1;
    }
    return out;
}

std::u32string Chars(const WCHAR *units, size_t length) {
    std::u32string out;
    out.reserve(length);
    for (size_t i = 0; i < length; i++) {
        auto u = static_cast<char32_t>(units[i]) & 0xFFFF;
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < length) {
            auto low = static_cast<char32_t>(units[i + 1]) & 0xFFFF;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out.push_back(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i++;
                continue;
            }
        }
        out.push_back(u >= 0xD800 && u <= 0xDFFF ? kReplacement : u);
    }
    return out;
}

std::string Utf8(const std::u32string &chars) {
    std::string out;
    out.reserve(chars.size());
    for (char32_t c : chars) AppendUtf8(out, c);
    return out;
}

std::string Utf8(const WCHAR *wide, int length) {
    if (!wide) return {};
    size_t n = 0;
    if (length < 0) {
        while (wide[n]) n++;
    } else {
        n = static_cast<size_t>(length);
    }
    return Utf8(Chars(wide, n));
}

std::wstring Utf16(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    for (char32_t c : Chars(utf8)) {
        if (c >= 0x10000) {
            out.push_back(static_cast<WCHAR>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<WCHAR>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<WCHAR>(c));
        }
    }
    return out;
}


std::string ToAnsi(std::string_view utf8, bool *lossy) {
    return Convert("CP932", "UTF-8", utf8.data(), utf8.size(), lossy);
}

std::string ToUtf8(const std::string &cp932) { return Convert("UTF-8", "CP932", cp932.data(), cp932.size(), nullptr); }

// The simple upper-case mapping NTFS compares names with: ASCII, Latin-1,
// Latin Extended-A, Greek, Cyrillic and the full-width letters.
char32_t UpperCase(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 0x20;
    if (c < 0x80) return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        if (oddUpper) return (c & 1) ? c : c - 1;
        return (c & 1) ? c - 1 : c;
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF)) return (c & 1) ? c - 1 : c;
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;
    return c;
}

std::u32string Folded(std::string_view utf8) {
    std::u32string chars = Chars(utf8);
    for (char32_t &c : chars) c = UpperCase(c);
    return chars;
}

bool SameName(std::string_view a, std::string_view b) { return Folded(a) == Folded(b); }

}  // namespace headless

using namespace headless;

BOOL WINAPI IsDBCSLeadByteEx(UINT codePage, BYTE c) {
    if (codePage != 932 && codePage != CP_ACP && codePage != CP_OEMCP) return FALSE;
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// By UTF-16 unit after upper-casing, as NTFS orders names.
int WINAPI CompareStringOrdinal(LPCWSTR a, int aLength, LPCWSTR b, int bLength, BOOL ignoreCase) {
    if (!a || !b) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto length = [](LPCWSTR s, int n) {
        if (n >= 0) return static_cast<size_t>(n);
        size_t k = 0;
        while (s[k]) k++;
        return k;
    };
    size_t na = length(a, aLength), nb = length(b, bLength);
    for (size_t i = 0; i < na && i < nb; i++) {
        char32_t x = static_cast<char32_t>(a[i]) & 0xFFFF, y = static_cast<char32_t>(b[i]) & 0xFFFF;
        if (ignoreCase) x = UpperCase(x), y = UpperCase(y);
        if (x != y) return x < y ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
    }
    return na < nb ? CSTR_LESS_THAN : na > nb ? CSTR_GREATER_THAN : CSTR_EQUAL;
}

// Letters compared in lower case, so that '_' and its neighbours come before
// them, as in Windows; ordinal beyond the letters. The program compares file
// names for equality; the order is by code, not the system's linguistic one.
int WINAPI lstrcmpiW(LPCWSTR a, LPCWSTR b) {
    if (!a || !b) return a ? 1 : b ? -1 : 0;
    for (size_t i = 0;; i++) {
        char32_t x = static_cast<char32_t>(a[i]) & 0xFFFF, y = static_cast<char32_t>(b[i]) & 0xFFFF;
        x = UpperCase(x), y = UpperCase(y);
        if (x >= 'A' && x <= 'Z') x += 0x20;
        if (y >= 'A' && y <= 'Z') y += 0x20;
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}

// WCHAR is the host's 32-bit wchar_t, but what the W calls pass in it is
// UTF-16: one unit per WCHAR, a character beyond U+FFFF as a surrogate pair.
int WINAPI MultiByteToWideChar(UINT codePage, DWORD, LPCSTR text, int length, LPWSTR wide, int wideSize) {
    bool ansi = codePage == CP_ACP || codePage == CP_OEMCP || codePage == 932;
    if ((!ansi && codePage != CP_UTF8) || !text || wideSize < 0 || length == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t bytes = length < 0 ? std::strlen(text) + 1 : static_cast<size_t>(length);
    std::string utf8 = ansi ? Convert("UTF-8", "CP932", text, bytes, nullptr) : std::string(text, bytes);
    std::wstring units = Utf16(utf8);
    int needed = static_cast<int>(units.size());
    if (wideSize == 0) return needed;
    if (needed > wideSize) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(units.begin(), units.end(), wide);
    return needed;
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wide, int length, LPSTR text, int size, LPCSTR,
                               BOOL *usedDefault) {
    bool ansi = codePage == CP_ACP || codePage == CP_OEMCP || codePage == 932;
    if ((!ansi && codePage != CP_UTF8) || !wide || size < 0 || length == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t units = 0;
    if (length < 0) {
        while (wide[units]) units++;
        units++;
    } else {
        units = static_cast<size_t>(length);
    }
    std::string utf8 = Utf8(Chars(wide, units));
    bool lossy = false;
    std::string converted = ansi ? ToAnsi(utf8, &lossy) : utf8;
    if (usedDefault) *usedDefault = lossy;
    int needed = static_cast<int>(converted.size());
    if (size == 0) return needed;
    if (needed > size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(text, converted.data(), converted.size());
    return needed;
}

namespace headless {

size_t CopyOut(std::string_view utf8, LPWSTR buffer, size_t size, bool truncate) {
    std::wstring units = Utf16(utf8);
    if (!truncate && (!buffer || size <= units.size())) return units.size() + 1;
    if (!buffer || size == 0) return 0;
    size_t n = std::min(units.size(), size - 1);
    // A surrogate pair is not cut in two.
    if (n > 0 && n < units.size() && (units[n - 1] & 0xFC00) == 0xD800) n--;
    std::copy(units.begin(), units.begin() + static_cast<ptrdiff_t>(n), buffer);
    buffer[n] = 0;
    return n;
}

}  // namespace headless

namespace headless {
std::string Utf8(const std::u16string &units) {
    std::wstring wide(units.begin(), units.end());
    return Utf8(wide.c_str(), static_cast<int>(wide.size()));
}
}  // namespace headless
