// Version, clock, last error, command line and the process-wide settings of
// the portable layer.
#include "kernel.h"
#include "../testing/hooks.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace headless {

namespace {
// The virtual clock starts well past zero, as a machine that has been up a while.
constexpr uint64_t kBootTick = 100000;

struct System {
    bool win95 = false;
    bool virtualClock = true;
    uint64_t virtualNow = kBootTick;
    std::chrono::steady_clock::time_point realStart = std::chrono::steady_clock::now();
    DWORD lastError = 0;
    std::string commandLine = "qmsaver";  // UTF-8
    std::wstring wideCommandLine = L"qmsaver";
    LPTOP_LEVEL_EXCEPTION_FILTER filter = nullptr;
    TimeLimit limit;
    std::vector<std::string> unimplemented;  // reported once each, kept across resets
    int unimplementedReports = 0;            // since the last reset
};

System &sys() {
    static System s;
    return s;
}

std::vector<std::function<void()>> &resets() {
    static std::vector<std::function<void()>> r;
    return r;
}

std::vector<std::function<void()>> &firstResets() {
    static std::vector<std::function<void()>> r;
    return r;
}
}  // namespace

void ReportUnimplemented(const std::string &what) {
    System &s = sys();
    s.unimplementedReports++;
    if (std::find(s.unimplemented.begin(), s.unimplemented.end(), what) != s.unimplemented.end()) return;
    s.unimplemented.push_back(what);
    std::fprintf(stderr, "portable layer: fixme: %s\n", what.c_str());
}

int UnimplementedReports() { return sys().unimplementedReports; }

uint64_t Now() {
    if (sys().virtualClock) return sys().virtualNow;
    auto elapsed = std::chrono::steady_clock::now() - sys().realStart;
    return kBootTick + std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

bool ClockIsVirtual() { return sys().virtualClock; }

void AdvanceClockTo(uint64_t when) {
    if (sys().virtualClock) {
        if (when > sys().virtualNow) sys().virtualNow = when;
        return;
    }
    uint64_t now = Now();
    if (when > now) std::this_thread::sleep_for(std::chrono::milliseconds(when - now));
}

TimeLimit &timeLimit() { return sys().limit; }

bool &Narrating() {
    static bool narrating = false;
    return narrating;
}

void OnReset(std::function<void()> reset) { resets().push_back(std::move(reset)); }
void OnResetFirst(std::function<void()> reset) { firstResets().push_back(std::move(reset)); }

void ResetAll() {
    System &s = sys();
    s.win95 = false;
    s.virtualClock = true;
    s.virtualNow = kBootTick;
    s.lastError = 0;
    s.filter = nullptr;
    s.limit = TimeLimit{};
    s.unimplementedReports = 0;
    for (auto &r : firstResets()) r();
    for (auto &r : resets()) r();
}

void SetWindows95Family(bool on) { sys().win95 = on; }
void UseVirtualClock(bool on) {
    if (on == sys().virtualClock) return;
    if (on) sys().virtualNow = Now();
    sys().virtualClock = on;
    if (!on) sys().realStart = std::chrono::steady_clock::now() - std::chrono::milliseconds(sys().virtualNow - kBootTick);
}
void SetCommandLine(const std::string &line) {
    sys().commandLine = line;
    sys().wideCommandLine = Utf16(line);
}

// Each argument as Windows quotes it when it joins them: in quotes when it
// has a blank or is empty, a quote in it escaped, and the backslashes before
// a quote (or the closing one) doubled.
std::string JoinCommandLine(int argc, char **argv) {
    std::string line;
    for (int i = 0; i < argc; i++) {
        std::string arg = argv[i];
        if (i > 0) line += ' ';
        if (i == 0) {
            // The program's name is quoted whole; it holds no quotes.
            line += '"' + arg + '"';
            continue;
        }
        bool quote = arg.empty() || arg.find_first_of(" \t") != std::string::npos;
        if (quote) line += '"';
        size_t slashes = 0;
        for (char c : arg) {
            if (c == '\\') {
                slashes++;
                continue;
            }
            if (c == '"') line.append(slashes * 2 + 1, '\\');
            else line.append(slashes, '\\');
            slashes = 0;
            line += c;
        }
        line.append(quote ? slashes * 2 : slashes, '\\');
        if (quote) line += '"';
    }
    return line;
}
LPTOP_LEVEL_EXCEPTION_FILTER InstalledExceptionFilter() { return sys().filter; }

}  // namespace headless

using namespace headless;

namespace {

BOOL VersionInto(LPOSVERSIONINFOW info) {
    if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOW)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (sys().win95) {
        info->dwMajorVersion = 4;
        info->dwMinorVersion = 10;
        info->dwBuildNumber = 0x040A08AE;
        info->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
        CopyOut(" A ", info->szCSDVersion, 128, true);
    } else {
        info->dwMajorVersion = 5;
        info->dwMinorVersion = 1;
        info->dwBuildNumber = 2600;
        info->dwPlatformId = VER_PLATFORM_WIN32_NT;
        CopyOut("Service Pack 3", info->szCSDVersion, 128, true);
    }
    return TRUE;
}

}  // namespace

BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW info) { return VersionInto(info); }

DWORD WINAPI GetTickCount() { return static_cast<DWORD>(Now()); }

VOID WINAPI Sleep(DWORD milliseconds) {
    if (milliseconds == 0) return;
    AdvanceClockTo(Now() + milliseconds);
}

DWORD WINAPI GetLastError() { return sys().lastError; }
VOID WINAPI SetLastError(DWORD error) { sys().lastError = error; }
LPWSTR WINAPI GetCommandLineW() { return sys().wideCommandLine.data(); }

LPTOP_LEVEL_EXCEPTION_FILTER WINAPI SetUnhandledExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter) {
    LPTOP_LEVEL_EXCEPTION_FILTER previous = sys().filter;
    sys().filter = filter;
    return previous;
}

// Rounded to the nearest, halves away from zero, as Windows rounds.
int WINAPI MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    int64_t p = int64_t{number} * numerator, d = denominator;
    if (d < 0) p = -p, d = -d;
    int64_t q = (p >= 0 ? p + d / 2 : p - d / 2) / d;
    return q > INT32_MAX || q < INT32_MIN ? -1 : static_cast<int>(q);
}
