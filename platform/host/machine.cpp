// The headless machine a native program runs on, set up from the
// environment or from a small config file: screen, clock, version, drives.
#include "host.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <strings.h>

namespace {

std::string DefaultDriveC() {
    const char *home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.qmsaver/drive_c";
}

void Apply(headless::RunConfig &c, const std::string &key, const std::string &value) {
    if (key == "screen") {
        std::vector<RECT> monitors;
        int depth = 24;
        if (headless::ParseScreenLayout(value, monitors, depth)) {
            c.monitors = monitors;
            c.depth = depth;
        } else {
            std::fprintf(stderr,
                         "qmsaver: screen must look like 800x600, 800x600x8 or 1024x768+*1280x1024/800x600, not '%s'\n",
                         value.c_str());
        }
    } else if (key == "dpi") {
        // As Windows' scaling offers it, 100 % to 500 %.
        int dpi = std::atoi(value.c_str());
        if (dpi >= 96 && dpi <= 480) c.dpi = dpi;
        else std::fprintf(stderr, "qmsaver: dpi must be a number from 96 to 480, not '%s'\n", value.c_str());
    } else if (key == "clock") {
        c.virtualClock = strcasecmp(value.c_str(), "virtual") == 0;
    } else if (key == "time_limit") {
        c.timeLimit = std::atoll(value.c_str());
    } else if (key == "screenshot") {
        c.screenshot = value;
    } else if (key == "frames") {
        c.frames = value;
    } else if (key == "frame_limit") {
        c.frameLimit = std::atoi(value.c_str());
    } else if (key.size() == 7 && key.compare(0, 6, "drive_") == 0 && std::isalpha(static_cast<unsigned char>(key[6]))) {
        // drive_e = /some/folder[,cdrom]
        std::string folder = value;
        UINT type = DRIVE_FIXED;
        size_t comma = value.rfind(',');
        if (comma != std::string::npos && strcasecmp(value.c_str() + comma + 1, "cdrom") == 0) {
            folder = value.substr(0, comma);
            type = DRIVE_CDROM;
        }
        c.drives[static_cast<char>(std::toupper(static_cast<unsigned char>(key[6])))] = {folder, type};
    } else if (key == "windows") {
        c.win95 = value == "95" || value == "98" || value == "me" || value == "ME";
    } else if (key == "fail_allocation_after") {
        c.failAllocationAfter = std::atoi(value.c_str());
    } else if (key == "fail_write_after") {
        c.failWriteAfter = std::atoi(value.c_str());
    } else if (key == "fail_rename_after") {
        c.failRenameAfter = std::atoi(value.c_str());
    } else if (key == "fail_close_after") {
        c.failCloseAfter = std::atoi(value.c_str());
    } else if (key == "stop_after_step") {
        c.stopAfterStep = std::atoi(value.c_str());
    } else if (key == "standard_account") {
        c.standardAccount = value == "1" || strcasecmp(value.c_str(), "yes") == 0;
    }
}

// Lines "key = value"; '#' starts a comment.
void ReadConfigFile(headless::RunConfig &c, const char *path) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "qmsaver: cannot read config file %s\n", path);
        return;
    }
    std::string line;
    auto trim = [](std::string s) {
        size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
        return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
    };
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        size_t eq = line.find('=');
        if (eq != std::string::npos) Apply(c, trim(line.substr(0, eq)), trim(line.substr(eq + 1)));
    }
}

}  // namespace

namespace headless {

RunConfig ReadRunConfig() {
    RunConfig c;
    if (const char *file = std::getenv("QMSAVER_CONFIG")) ReadConfigFile(c, file);
    const std::pair<const char *, const char *> vars[] = {
        {"QMSAVER_SCREEN", "screen"},         {"QMSAVER_CLOCK", "clock"},
        {"QMSAVER_TIME_LIMIT", "time_limit"}, {"QMSAVER_SCREENSHOT", "screenshot"},
        {"QMSAVER_WINDOWS", "windows"},      {"QMSAVER_FRAMES", "frames"},
        {"QMSAVER_FAIL_ALLOCATION_AFTER", "fail_allocation_after"},
        {"QMSAVER_FAIL_WRITE_AFTER", "fail_write_after"},
        {"QMSAVER_FAIL_RENAME_AFTER", "fail_rename_after"},
        {"QMSAVER_FAIL_CLOSE_AFTER", "fail_close_after"},
        {"QMSAVER_STOP_AFTER_STEP", "stop_after_step"},
        {"QMSAVER_STANDARD_ACCOUNT", "standard_account"},
        {"QMSAVER_FRAME_LIMIT", "frame_limit"},
        {"QMSAVER_DPI", "dpi"},
    };
    for (auto [var, key] : vars)
        if (const char *v = std::getenv(var)) Apply(c, key, v);
    for (char letter = 'A'; letter <= 'Z'; letter++) {
        std::string var = std::string("QMSAVER_DRIVE_") + letter;
        if (const char *v = std::getenv(var.c_str())) Apply(c, std::string("drive_") + char(std::tolower(letter)), v);
    }
    if (!c.drives.count('C')) c.drives['C'] = {DefaultDriveC(), DRIVE_FIXED};
    return c;
}

void SetUpMachine(const RunConfig &c) {
    ResetAll();
    SetMonitors(c.monitors, c.depth);
    screen().dpi = c.dpi;
    auto drives = c.drives;
    std::error_code ignored;
    std::filesystem::create_directories(drives['C'].first, ignored);
    ResetFiles(drives['C'].first);
    for (auto &[letter, drive] : drives)
        if (letter != 'C') MapDrive(letter, drive.first, drive.second);
    SetCursorPos(c.monitors[0].right / 2, c.monitors[0].bottom / 2);
    UseVirtualClock(c.virtualClock);
    SetWindows95Family(c.win95);
    // Failures made to order, so a failure path can be walked from outside.
    if (c.failAllocationAfter >= 0) FailAllocationAfter(c.failAllocationAfter);
    if (c.failWriteAfter >= 0) FailWritesAfter(c.failWriteAfter);
    if (c.failRenameAfter >= 0) FailRenamesAfter(c.failRenameAfter, 1, ERROR_WRITE_FAULT);
    if (c.failCloseAfter >= 0) FailClosesAfter(c.failCloseAfter);
    // The process ends at once after that change to the disk, as at a power cut.
    if (c.stopAfterStep > 0) StopAfterSteps(c.stopAfterStep, true);
    // A standard account may not change the Windows folders (the 95 family knows no such thing).
    if (c.standardAccount && !c.win95) ProtectFolder("C:\\WINDOWS");
    if (c.timeLimit >= 0) timeLimit() = TimeLimit{true, Now() + c.timeLimit, false};
}

}  // namespace headless
