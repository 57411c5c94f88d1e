// The standard handles. Natively the output is never a console: a program
// finds that GetConsoleMode fails and writes bytes (UTF-8) with WriteFile.
#include "kernel.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

// Above every handle the file calls hand out; the low bits are the descriptor.
constexpr intptr_t kStandardBase = 0x7F000;

int DescriptorOf(HANDLE h) {
    intptr_t v = reinterpret_cast<intptr_t>(h);
    return v >= kStandardBase && v <= kStandardBase + 2 ? static_cast<int>(v - kStandardBase) : -1;
}

}  // namespace

HANDLE WINAPI GetStdHandle(DWORD which) {
    switch (which) {
    case STD_INPUT_HANDLE: return reinterpret_cast<HANDLE>(kStandardBase + STDIN_FILENO);
    case STD_OUTPUT_HANDLE: return reinterpret_cast<HANDLE>(kStandardBase + STDOUT_FILENO);
    case STD_ERROR_HANDLE: return reinterpret_cast<HANDLE>(kStandardBase + STDERR_FILENO);
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_HANDLE_VALUE;
}

BOOL WINAPI GetConsoleMode(HANDLE, LPDWORD) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

// As on Windows with the output redirected: there is no console to write to.
BOOL WINAPI WriteConsoleW(HANDLE, const VOID *, DWORD, LPDWORD written, LPVOID) {
    if (written) *written = 0;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID data, DWORD bytes, LPDWORD written, LPOVERLAPPED) {
    if (written) *written = 0;
    int fd = DescriptorOf(file);
    if (fd < 0) {
        // A file of CreateFileW: the handle-based calls do the writing.
        long n = _hwrite(static_cast<HFILE>(HandleToLong(file)), static_cast<LPCSTR>(data), static_cast<long>(bytes));
        if (n < 0) return FALSE;
        if (written) *written = static_cast<DWORD>(n);
        return TRUE;
    }
    DWORD done = 0;
    while (done < bytes) {
        ssize_t n = write(fd, static_cast<const char *>(data) + done, bytes - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return FALSE;
        }
        done += static_cast<DWORD>(n);
    }
    if (written) *written = done;
    return TRUE;
}

HLOCAL WINAPI LocalFree(HLOCAL memory) {
    std::free(memory);
    return nullptr;
}
