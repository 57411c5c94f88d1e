// The native saver's entry: sets up the headless machine, runs WinMain,
// and writes what the screen shows at the time limit or when the run ends.
#include "host.h"

#include <csignal>
#include <filesystem>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

namespace {

// A crash reaches the program's unhandled-exception filter, as on Windows,
// then goes on to whatever handled the signal before.
struct sigaction previousActions[32];

void OnFault(int signal) {
    if (LPTOP_LEVEL_EXCEPTION_FILTER filter = headless::InstalledExceptionFilter()) filter(nullptr);
    sigaction(signal, &previousActions[signal], nullptr);
}

void OnTerminate() {
    if (LPTOP_LEVEL_EXCEPTION_FILTER filter = headless::InstalledExceptionFilter()) filter(nullptr);
    std::abort();
}

}  // namespace

int main(int argc, char **argv) {
    headless::RunConfig c = headless::ReadRunConfig();
    headless::SetUpMachine(c);
    if (!c.frames.empty()) {
        std::error_code made;
        std::filesystem::create_directories(c.frames, made);
        headless::WriteFramesTo(c.frames, c.frameLimit);
    }
    headless::TakeRunScreenshotInto(c.screenshot);
    headless::Narrating() = true;
    std::string line = headless::JoinCommandLine(argc, argv);
    headless::SetCommandLine(line);

    struct sigaction action {};
    action.sa_handler = OnFault;
    for (int s : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) sigaction(s, &action, &previousActions[s]);
    std::set_terminate(OnTerminate);

    // WinMain gets the text behind the program name, in the ANSI code page.
    std::string args = headless::ToAnsi(line.substr(std::min(line.size(), std::string(argv[0]).size() + 2)));
    args.erase(0, args.find_first_not_of(' ') == std::string::npos ? args.size() : args.find_first_not_of(' '));
    int result = WinMain(headless::MainInstance(), nullptr, args.data(), SW_SHOWNORMAL);
    headless::WritePendingFrame();

    headless::TakeRunScreenshot();
    return result;
}
