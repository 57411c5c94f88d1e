// The command line Windows starts a screen saver with, and the mode it picks.
#include "host/host.h"

#include "player/settings.h"
#include "saverfile/places.h"
#include "ui/manager.h"

HostState host;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

const char *SkipProgramName(const char *p) {
    while (IsBlank(*p)) p++;
    if (*p == '"') {
        p++;
        while (*p && *p != '"') p++;
        if (*p == '"') p++;
    } else {
        while (*p && !IsBlank(*p)) p++;
    }
    return p;
}

// Leading digits only: no sign, no hexadecimal. A window handle is pointer-sized.
HWND ReadWindowHandle(const char *p) {
    while (IsBlank(*p)) p++;
    uintptr_t value = 0;
    while (*p >= '0' && *p <= '9') value = value * 10 + static_cast<uintptr_t>(*p++ - '0');
    return reinterpret_cast<HWND>(value);
}

}  // namespace

void DetectPlatform() {
    host.isWin95Family = OnWindows95Family();
}

CommandLine ParseCommandLine(const char *line) {
    const char *p = SkipProgramName(line ? line : "");
    while (IsBlank(*p) || *p == '-' || *p == '/') p++;
    CommandLine cl;
    switch (*p) {
    case '\0':
        cl.mode = RunMode::Configure;
        break;
    case 'c':
    case 'C':
        cl.mode = RunMode::Configure;
        cl.window = GetForegroundWindow();
        break;
    case 's':
    case 'S':
        cl.mode = RunMode::Saver;
        break;
    case 'p':
    case 'P':
    case 'l':
    case 'L':
        cl.mode = RunMode::Preview;
        cl.window = ReadWindowHandle(p + 1);
        break;
    case 'a':
    case 'A':
        if (!host.isWin95Family) break;
        cl.mode = RunMode::ChangePassword;
        cl.window = ReadWindowHandle(p + 1);
        if (!cl.window || !IsWindow(cl.window)) cl.window = GetForegroundWindow();
        break;
    }
    return cl;
}

void ChangePassword(HWND owner) {
    HMODULE library = LoadLibraryW(L"MPR.DLL");
    if (!library) return;
    auto change = ProcAddress<ChangePasswordProc>(library, "PwdChangePasswordA");
    if (change) change("SCRSAVE", owner, 0, 0);
    FreeLibrary(library);
}

int RunFromCommandLine(const char *line) {
    try {
        CommandLine cl = ParseCommandLine(line);
        // Every window of every mode speaks the language chosen here.
        LoadSettingStrings(host.instance);
        ReadSettings();
        ChooseLanguage();
        switch (cl.mode) {
        case RunMode::Configure:
            return static_cast<int>(RunConfiguration(host.instance, cl.window));
        case RunMode::Saver:
            return RunSaver(nullptr);
        case RunMode::Preview:
            if (!cl.window || !IsWindow(cl.window)) return -1;
            return RunSaver(cl.window);
        case RunMode::ChangePassword:
            ChangePassword(cl.window);
            return 0;
        case RunMode::None:
            break;
        }
        return -1;
    } catch (...) {
        SaverFailureFilter(nullptr);
        return -1;
    }
}

LONG WINAPI SaverFailureFilter(EXCEPTION_POINTERS *) {
    if (host.isWin95Family) SystemParametersInfoW(SPI_SCREENSAVERRUNNING, FALSE, nullptr, 0);
    return EXCEPTION_CONTINUE_SEARCH;
}
