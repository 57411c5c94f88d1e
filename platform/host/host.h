// The native process round the program: the machine it runs on, set up from
// the environment or a config file.
#pragma once

#include "../testing/hooks.h"
#include "../user/user.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace headless {

struct RunConfig {
    std::vector<RECT> monitors{RECT{0, 0, 640, 480}};
    int depth = 24;
    int dpi = 96;
    bool virtualClock = false;
    long long timeLimit = -1;  // milliseconds from start
    std::string screenshot;
    std::string frames;   // folder for a picture of the screen after each drawn picture
    int frameLimit = 50;
    bool win95 = false;
    int failAllocationAfter = -1;  // the allocation after this many fails
    int failWriteAfter = -1;       // every write after this many fails
    int failRenameAfter = -1;      // the file move after this many fails
    int failCloseAfter = -1;       // the file close after this many fails
    int stopAfterStep = 0;         // the process ends after this many changes to the disk (0: never)
    bool standardAccount = false;  // C:\WINDOWS may be read, not changed
    std::map<char, std::pair<std::string, UINT>> drives;  // letter -> folder, drive type
};
// From the config file named by QMSAVER_CONFIG, then the environment.
RunConfig ReadRunConfig();
void SetUpMachine(const RunConfig &config);

}  // namespace headless
