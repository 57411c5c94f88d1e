#include "support/codepage_host.h"

#include <cerrno>

#include <iconv.h>

std::string HostCodePage932(const std::string &utf8) {
    iconv_t convert = iconv_open("CP932", "UTF-8");
    if (convert == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out;
    char *in = const_cast<char *>(utf8.data());
    size_t inLeft = utf8.size();
    char buffer[256];
    while (inLeft > 0) {
        char *to = buffer;
        size_t toLeft = sizeof buffer;
        size_t done = iconv(convert, &in, &inLeft, &to, &toLeft);
        out.append(buffer, static_cast<size_t>(to - buffer));
        if (done == static_cast<size_t>(-1) && errno != E2BIG) {
            // Not in the code page: one '?' for the whole UTF-8 character.
            out += '?';
            do {
                in++;
                inLeft--;
            } while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80);
        }
    }
    iconv_close(convert);
    return out;
}
