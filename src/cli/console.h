// qmshow's words to the person at the terminal. Text is UTF-8 inside; a
// Windows console takes it as UTF-16 (WriteConsoleW), whatever its code
// page, and a file or a pipe takes UTF-8.
#pragma once

#include <string>
#include <vector>

// printf-like, to standard output and standard error.
void Out(const char *format, ...) __attribute__((format(gnu_printf, 1, 2)));
void Err(const char *format, ...) __attribute__((format(gnu_printf, 1, 2)));
// The command line's arguments after the program's name, in UTF-8: every
// name the system allows, not only those of the ANSI code page.
std::vector<std::string> CommandLineArguments();
