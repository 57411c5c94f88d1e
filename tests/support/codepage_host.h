// Code page 932 for the plain host programs (sample disc, fuzz seeds), which
// write a title disc's catalogue without Windows' calls: the C library's iconv.
#pragma once

#include <string>

// The UTF-8 text in code page 932; characters it lacks become '?'.
std::string HostCodePage932(const std::string &utf8);
