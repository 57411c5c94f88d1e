// The native entry of the command-line tool: the same headless machine as
// the saver's, with the host's root as drive Z: and the host's working
// folder as the current directory, as Wine gives a console program. Host
// paths then work as they stand ("/tmp/x.jpg" is Z:\tmp\x.jpg).
#include "host.h"

#include <unistd.h>

#include <string>

// The tool's own main, renamed by the build.
int ConsoleMain(int argc, char **argv);

int main(int argc, char **argv) {
    headless::RunConfig c = headless::ReadRunConfig();
    if (!c.drives.count('Z')) c.drives['Z'] = {"/", DRIVE_FIXED};
    headless::SetUpMachine(c);
    headless::SetCommandLine(headless::JoinCommandLine(argc, argv));
    char cwd[4096];
    if (c.drives['Z'].first == "/" && getcwd(cwd, sizeof cwd)) {
        std::string dos = std::string("Z:") + cwd;
        for (char &ch : dos)
            if (ch == '/') ch = '\\';
        SetCurrentDirectoryW(headless::Utf16(dos).c_str());
    }
    return ConsoleMain(argc, argv);
}
