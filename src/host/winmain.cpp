// Entry point of qmsaver.scr.
#include "host/host.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    host.instance = instance;
    SetUnhandledExceptionFilter(SaverFailureFilter);
    DetectPlatform();
    return RunFromCommandLine(GetCommandLineA());
}
