// The program's text. Inside, text is UTF-8 (std::string, char arrays): the
// sources' literals, paths, names and the catalogue's texts alike. Windows is
// spoken to only through the W calls, in UTF-16, converted here at the call.
// Files keep their own encodings: the title disc's catalogue is code page
// 932 and is converted with that code page named, whatever the system's.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// A path Windows allows (MAX_PATH UTF-16 units) in UTF-8: up to three bytes a unit.
constexpr size_t kPathBytes = MAX_PATH * 3;

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
std::string Utf8(const WCHAR *wide);
// A text in the given code page, as UTF-8.
std::string FromCodePage(UINT codePage, std::string_view text);
// Copies text into a slot of size bytes, cut at a whole character and terminated.
void CopyText(char *slot, size_t size, std::string_view text);
// How many UTF-16 units Windows counts in a text (a path's length against MAX_PATH).
size_t WideLength(std::string_view utf8);
// Whether two file names are the same name, as Windows compares them (case aside).
bool SameName(std::string_view a, std::string_view b);

// ---- windows' and dialogs' texts -----------------------------------------------

std::string WindowText(HWND window);
BOOL SetWindowTextUtf8(HWND window, std::string_view text);
std::string ItemText(HWND dialog, int id);
BOOL SetItemText(HWND dialog, int id, std::string_view text);
// A message that hands a control a text in lParam (LB_ADDSTRING, CB_ADDSTRING ...).
LRESULT SendItemText(HWND dialog, int id, UINT message, WPARAM wParam, std::string_view text);
// The text of item index of a list box or combo box (LB_GETTEXT or CB_GETLBTEXT); "" when there is none.
std::string ListItemText(HWND control, int index, bool combo);
int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type);

// ---- files by name ----------------------------------------------------------------

// A file opened for the handle-based calls (_lread, _llseek, _lclose ...):
// read only, read and write, or made anew (empty) for writing and reading.
// HFILE_ERROR on failure, GetLastError saying why.
HFILE OpenForReading(const char *path);
HFILE OpenForUpdate(const char *path);
HFILE CreateAnew(const char *path);
DWORD FileAttributes(const char *path);
BOOL RemoveFile(const char *path);
BOOL MakeFolder(const char *path);
BOOL MoveFileTo(const char *from, const char *to, DWORD flags);  // MoveFileExW
std::string CurrentFolder();
BOOL EnterFolder(const char *path);
