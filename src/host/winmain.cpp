// Entry point of qmsaver.scr.
#include "host/host.h"

#include "text/text.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    host.instance = instance;
    SetUnhandledExceptionFilter(SaverFailureFilter);
    DetectPlatform();
    return RunFromCommandLine(Utf8(GetCommandLineW()).c_str());
}
