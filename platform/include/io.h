// The C runtime's low-level file descriptors, as far as the program uses
// them: a handle from CreateFileW turned into a descriptor, and from there
// into a stream.
#pragma once

#include <cstdint>
#include <cstdio>

#ifndef _O_RDONLY
#define _O_RDONLY 0x0000
#endif
#ifndef _O_BINARY
#define _O_BINARY 0x8000
#endif

// The descriptor takes the handle over: closing it (or its stream) closes
// the handle, which is then no longer valid for _lclose.
int _open_osfhandle(intptr_t osHandle, int flags);
int _close(int fd);
FILE *_fdopen(int fd, const char *mode);
