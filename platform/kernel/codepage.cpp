// Code page conversions: the ANSI code page 932 and UTF-8 to and from wide
// characters, through iconv.
#include "kernel.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include <cstring>
#include <string>

namespace {

const char *CharsetOf(UINT codePage) {
    switch (codePage) {
    case CP_ACP:
    case CP_OEMCP:
    case 932: return "CP932";
    case CP_UTF8: return "UTF-8";
    }
    return nullptr;
}

// Converts the whole input; a sequence the target lacks becomes '?', as the
// Windows calls do with their default character.
std::string Convert(const char *to, const char *from, const char *in, size_t inBytes, size_t unitBytes, bool *lossy) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return out;
    out.resize(inBytes * 4 + 16);
    char *src = const_cast<char *>(in), *dst = out.data();
    size_t srcLeft = inBytes, dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) break;
        // Unconvertible or cut short: one input unit becomes '?'.
        std::string question = Convert(to, "ASCII", "?", 1, 1, nullptr);
        if (question.size() > dstLeft) break;
        std::memcpy(dst, question.data(), question.size());
        dst += question.size();
        dstLeft -= question.size();
        size_t skip = std::min(unitBytes, srcLeft);
        src += skip;
        srcLeft -= skip;
        if (lossy) *lossy = true;
    }
    out.resize(out.size() - dstLeft);
    iconv_close(cd);
    return out;
}

// The wide characters of this host, in iconv's name.
const char kWide[] = "WCHAR_T";

}  // namespace

namespace headless {
std::string ToUtf8(const std::string &cp932) { return Convert("UTF-8", "CP932", cp932.data(), cp932.size(), 1, nullptr); }
}  // namespace headless

UINT WINAPI GetACP() { return 932; }
UINT WINAPI GetConsoleOutputCP() { return CP_UTF8; }

BOOL WINAPI IsDBCSLeadByteEx(UINT codePage, BYTE c) {
    if (codePage != 932 && codePage != CP_ACP && codePage != CP_OEMCP) return FALSE;
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Letters compared without their case, a double-byte character as a whole
// (its second byte may look like a letter). The program compares file names
// for equality; the order here is by code, not the system's linguistic one.
int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) {
    if (!a || !b) return a ? 1 : b ? -1 : 0;
    // To lower case, so that '_' and its neighbours come before the letters, as in Windows.
    auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    for (size_t i = 0;; i++) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        bool lead = IsDBCSLeadByteEx(932, x) && x == y && a[i + 1];
        if (lead) {
            i++;
            x = static_cast<unsigned char>(a[i]);
            y = static_cast<unsigned char>(b[i]);
        } else {
            x = static_cast<unsigned char>(fold(x));
            y = static_cast<unsigned char>(fold(y));
        }
        if (x != y) return x < y ? -1 : 1;
        if (x == 0) return 0;
    }
}

int WINAPI MultiByteToWideChar(UINT codePage, DWORD, LPCSTR text, int length, LPWSTR wide, int wideSize) {
    const char *charset = CharsetOf(codePage);
    if (!charset || !text || wideSize < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t bytes = length < 0 ? std::strlen(text) + 1 : static_cast<size_t>(length);
    std::string converted = Convert(kWide, charset, text, bytes, 1, nullptr);
    int needed = static_cast<int>(converted.size() / sizeof(WCHAR));
    if (wideSize == 0) return needed;
    if (needed > wideSize) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(wide, converted.data(), converted.size());
    return needed;
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wide, int length, LPSTR text, int size, LPCSTR,
                               BOOL *usedDefault) {
    const char *charset = CharsetOf(codePage);
    if (!charset || !wide || size < 0) {
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
    bool lossy = false;
    std::string converted =
        Convert(charset, kWide, reinterpret_cast<const char *>(wide), units * sizeof(WCHAR), sizeof(WCHAR), &lossy);
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
