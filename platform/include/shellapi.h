// shell32's command-line parsing. The result is one block: free it with LocalFree.
#pragma once

#include <windows.h>

LPWSTR *WINAPI CommandLineToArgvW(LPCWSTR commandLine, int *count);
