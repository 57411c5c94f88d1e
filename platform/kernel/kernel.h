// What the kernel part of the portable layer shares with the parts above it,
// in namespace headless: the clock, resets, resources, text conversion.
// Nothing outside platform/ includes it; tests go through platform/testing/.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace headless {

// ---- clock ----------------------------------------------------------------

uint64_t Now();  // milliseconds on the layer's clock
bool ClockIsVirtual();
void AdvanceClockTo(uint64_t when);  // virtual clock: jump; real clock: sleep

// A deadline after which the run ends as if the user had pressed a key.
struct TimeLimit {
    bool set = false;
    uint64_t at = 0;
    bool fired = false;
};
TimeLimit &timeLimit();

// The headless run tells the person at the terminal what a user would see
// or hear: message boxes, music.
bool &Narrating();
// A text of the program, in code page 932, for the person at the terminal.
std::string ToUtf8(const std::string &cp932);
// Text in code page 932 from UTF-16, as the ANSI calls hand it out.
std::string ToAnsi(const std::u16string &text);

// The layer met a branch it does not implement: reported once on stderr,
// counted for the tests.
void ReportUnimplemented(const std::string &what);

// ---- files ----------------------------------------------------------------

// A DOS path as the host's, through the drive table.
bool HostPath(const std::string &dosPath, std::string &host);
// A DOS path made absolute against the current directory, "." and ".." resolved.
bool FullDosPath(const std::string &path, std::string &full);
void ResetFiles(const std::string &driveC);
// Whether the program may change the file (not after a power cut, not in
// a folder the user may not write); sets the last error when not.
bool MayChangeFile(const std::string &dosPath);
// The registry: the current user's keys read from drive C:, where every
// change is written back.
void LoadRegistry();
void SaveRegistry();

// ---- modules ----------------------------------------------------------------

struct Resource {
    std::u16string typeName, name;  // empty when the id is numeric
    WORD typeId = 0, nameId = 0;
    WORD language = 0;
    const BYTE *data = nullptr;
    DWORD size = 0;
};
const std::vector<Resource> &Resources();
const Resource *FindResourceRecord(LPCSTR name, LPCSTR type);
HINSTANCE MainInstance();
// A system DLL every process has loaded (user32): its exports the program
// looks up by name. It stays through every reset; a test may put a
// stand-in of another Windows in its place until the next.
void RegisterSystemModule(const std::string &name, const std::map<std::string, FARPROC> &exports);

// ---- reset ------------------------------------------------------------------

// Each part registers how it returns to a fresh machine; tests reset between cases.
void OnReset(std::function<void()> reset);
// For what the other parts' resets may rely on (the screen): run before them.
void OnResetFirst(std::function<void()> reset);

}  // namespace headless
