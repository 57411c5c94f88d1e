// What the kernel part of the portable layer shares with the parts above it,
// in namespace headless: the clock, resets, resources, text conversion.
// Nothing outside platform/ includes it; tests go through platform/testing/.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
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

// ---- text -------------------------------------------------------------------

// The layer keeps text as UTF-8. The W calls pass UTF-16, one unit per WCHAR;
// code page 932 is for what is kept in it or measured by it (the profile file,
// short file names, line breaking, WinMain's command line). Null gives "".
std::string Utf8(const WCHAR *wide, int length = -1);
std::string Utf8(const std::u32string &chars);
std::string Utf8(const std::u16string &units);
std::wstring Utf16(std::string_view utf8);
std::u32string Chars(std::string_view utf8);
std::u32string Chars(const WCHAR *units, size_t length);
std::string ToAnsi(std::string_view utf8, bool *lossy = nullptr);
std::string ToUtf8(const std::string &cp932);
// Names as NTFS compares them: each character upper-cased alone.
char32_t UpperCase(char32_t c);
std::u32string Folded(std::string_view utf8);
bool SameName(std::string_view a, std::string_view b);

// Hands a text out as Windows' calls fill a caller's buffer of size units
// (terminator included): cut to fit when truncate, else nothing copied.
// Returns the units copied without the terminator, or, when not truncating
// and the buffer is short, the size needed with it.
size_t CopyOut(std::string_view utf8, LPWSTR buffer, size_t size, bool truncate);
// A call's text argument as UTF-8, null kept apart from "".
struct Utf8Arg {
    std::string text;
    bool null = true;
    static Utf8Arg Wide(LPCWSTR wide) { return wide ? Utf8Arg{Utf8(wide), false} : Utf8Arg{}; }
    const char *get() const { return null ? nullptr : text.c_str(); }
};

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
// A resource's name or type as the calls give it: a number (MAKEINTRESOURCE,
// or a name "#12"), or a name.
struct ResourceId {
    WORD id = 0;
    std::string name;  // UTF-8; empty for a number
    static ResourceId From(LPCSTR ansi);
    static ResourceId From(LPCWSTR wide);
};
// A resource in the language Windows' loader would pick for the UI
// language, and one in the language given (or else in no language).
const Resource *FindResourceRecord(const ResourceId &name, const ResourceId &type);
const Resource *FindResourceRecord(const ResourceId &name, const ResourceId &type, LANGID language);
// The user's (and system's, and thread's) UI language.
LANGID UiLanguage();
void SetUiLanguage(LANGID language);
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
