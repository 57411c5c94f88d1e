// JPEG pictures of a title disc, decoded by the JPEG library into 24-bit
// packed DIBs, so the rest of the program handles them as it handles BMPs.
#pragma once

#include "image/dib.h"

// Null when the file cannot be opened (nothing shown), when the library
// reports an error (shown under "JPEG ERROR"), or when the picture is of a
// colour space or a size the program cannot hold. A warning (data that
// ends early, say) is shown under "JPEG Error" and the picture returned.
PackedDib JpegLoadFile(const char *path);

// Where the library's messages go: message boxes owned by the active window
// unless a reporter is set (the command-line tool writes them to stderr).
typedef void (*JpegReporter)(const char *text, bool isError);
void SetJpegReporter(JpegReporter reporter);

// A row of CMYK samples as the library delivers them (YCCK files too),
// turned into light: blue, green, red. Adobe's files store the inks
// inverted, as the decompression object's saw_Adobe_marker tells.
void JpegInksToBgr(BYTE *out, const BYTE *in, unsigned width, bool inverted);
