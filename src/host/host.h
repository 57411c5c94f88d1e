// The saver host: run modes, the saver window and its dismissal.
#pragma once

#include <windows.h>

typedef BOOL (WINAPI *VerifyPasswordProc)(HWND window);
typedef DWORD (WINAPI *ChangePasswordProc)(LPCSTR regKey, HWND owner, DWORD reserved1, DWORD reserved2);
typedef HIMC (WINAPI *AssociateContextProc)(HWND window, HIMC context);

// A function of a loaded library, typed as the caller knows it.
template <typename Proc>
Proc ProcAddress(HMODULE module, const char *name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Private message: the close check asks the window for the password check.
constexpr UINT WM_VERIFYPASSWORD = 0x8000;

struct HostState {
    HINSTANCE instance = nullptr;
    bool isWin95Family = false;
    bool isPreview = false;

    HWND saverWindow = nullptr;
    POINT lastCursor{};
    int moveThreshold = 4;
    BOOL closeAllowed = FALSE;
    BOOL verifying = FALSE;
    DWORD lastVerifyTick = static_cast<DWORD>(-1);
    HMODULE passwordLibrary = nullptr;
    VerifyPasswordProc verifyFunction = nullptr;
    AssociateContextProc imeFunction = nullptr;
    HIMC savedInputContext = nullptr;
};

extern HostState host;

enum class RunMode { Configure, Saver, Preview, ChangePassword, None };

struct CommandLine {
    RunMode mode = RunMode::None;
    HWND window = nullptr;  // preview parent, or owner of a dialog
};

// Reads a screen-saver command line (program name included) into a mode.
CommandLine ParseCommandLine(const char *line);
// Runs the mode of the command line; the result is the process exit code.
int RunFromCommandLine(const char *line);

// Decides isWin95Family from the reported version.
void DetectPlatform();

// Every process-wide record (host, player, settings, catalogue) as the
// program starts with it: what tests and benchmarks begin each run from.
void ResetProgramState();

// The saver window: RunSaver creates it and runs the message loop until it
// closes. The steps are open to the tests, which drive the loop themselves.
int RunSaver(HWND parent);
HWND CreateSaverWindow(HWND parent, bool *alreadyRunning);
int RunMessageLoop();
void LoadPasswordCheck();
void UnloadPasswordCheck();
void ChangePassword(HWND owner);

LRESULT CALLBACK SaverClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefSaverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The last resort for a failure nothing else caught: the system must not be
// left thinking a saver still runs.
LONG WINAPI SaverFailureFilter(EXCEPTION_POINTERS *info);
