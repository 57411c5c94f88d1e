// The files the tests feed the program, written and read through the
// Win32 file calls, so the same test runs against Windows and the layer.
#pragma once

#include <windows.h>

#include <string>

#include "support/builders.h"
#include "text/text.h"

// Whole files by DOS path.
bool WriteDosFile(const std::string &path, const Bytes &bytes);
Bytes ReadDosFile(const std::string &path);
void DeleteDosFile(const std::string &path);
BOOL RemoveFolder(const std::string &path);
// A UTF-8 text in code page 932, the title disc's: Windows' own conversion, whatever the system's code page.
std::string CodePage932(const std::string &utf8);
std::string SystemDirectory();  // without a trailing backslash
// Where shows are saved (the user's folder on NT), without a trailing backslash.
std::string ShowDirectory();
// The saver's settings where this Windows keeps them (NT: the user's
// registry key; 95: control.ini), as a test sets and reads them.
void ForgetStoredSettings();
void StoreSetting(const char *key, const char *value);
std::string StoredSetting(const char *key, const char *absent = "");
