#include "cli/console.h"

#include "text/text.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdarg>
#include <cstdio>

namespace {

void Write(DWORD which, const char *format, va_list args) {
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (handle && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        std::wstring wide = Wide(text);
        DWORD written = 0;
        WriteConsoleW(handle, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    FILE *stream = which == STD_ERROR_HANDLE ? stderr : stdout;
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

}  // namespace

void Out(const char *format, ...) {
    va_list args;
    va_start(args, format);
    Write(STD_OUTPUT_HANDLE, format, args);
    va_end(args);
}

void Err(const char *format, ...) {
    va_list args;
    va_start(args, format);
    Write(STD_ERROR_HANDLE, format, args);
    va_end(args);
}

std::vector<std::string> CommandLineArguments() {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR *words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!words) return arguments;
    for (int i = 1; i < count; i++) arguments.push_back(Utf8(words[i]));
    LocalFree(words);
    return arguments;
}
