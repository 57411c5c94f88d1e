// shell32's CommandLineToArgvW: a command line split as Windows splits it.
#include "shell.h"

#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool Blank(WCHAR c) { return c == L' ' || c == L'\t'; }

// The arguments after the program's name: a blank ends one outside quotes,
// 2n backslashes before a quote are n and the quote opens or closes, 2n + 1
// are n and a quote taken as it is; "" inside quotes is one quote.
void SplitArguments(const WCHAR *p, std::vector<std::wstring> &args) {
    for (;;) {
        while (Blank(*p)) p++;
        if (!*p) return;
        std::wstring arg;
        bool quoted = false;
        while (*p && (quoted || !Blank(*p))) {
            if (*p == L'\\') {
                size_t slashes = 0;
                while (*p == L'\\') p++, slashes++;
                if (*p == L'"') {
                    arg.append(slashes / 2, L'\\');
                    if (slashes % 2) {
                        arg += L'"';
                        p++;
                    }
                } else {
                    arg.append(slashes, L'\\');
                }
            } else if (*p == L'"') {
                p++;
                if (quoted && *p == L'"') {
                    arg += L'"';
                    p++;
                } else {
                    quoted = !quoted;
                }
            } else {
                arg += *p++;
            }
        }
        args.push_back(arg);
    }
}

}  // namespace

LPWSTR *WINAPI CommandLineToArgvW(LPCWSTR commandLine, int *count) {
    if (!count) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::vector<std::wstring> args;
    // An empty line stands for the program alone.
    bool empty = !commandLine || !*commandLine;
    const WCHAR *p = empty ? GetCommandLineW() : commandLine;
    // The program's name: up to a blank, or whole within quotes, without escapes.
    std::wstring name;
    if (*p == L'"') {
        for (p++; *p && *p != L'"'; p++) name += *p;
        if (*p) p++;
    } else {
        while (*p && !Blank(*p)) name += *p++;
    }
    args.push_back(name);
    if (!empty) SplitArguments(p, args);
    // One block: the pointers, then the strings, freed at once with LocalFree.
    size_t bytes = (args.size() + 1) * sizeof(LPWSTR);
    for (const std::wstring &a : args) bytes += (a.size() + 1) * sizeof(WCHAR);
    auto *block = static_cast<char *>(std::malloc(bytes));
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto **argv = reinterpret_cast<LPWSTR *>(block);
    auto *text = reinterpret_cast<WCHAR *>(block + (args.size() + 1) * sizeof(LPWSTR));
    for (size_t i = 0; i < args.size(); i++) {
        argv[i] = text;
        std::memcpy(text, args[i].c_str(), (args[i].size() + 1) * sizeof(WCHAR));
        text += args[i].size() + 1;
    }
    argv[args.size()] = nullptr;
    *count = static_cast<int>(args.size());
    return argv;
}
