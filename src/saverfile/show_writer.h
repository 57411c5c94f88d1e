// Writing a show without ever putting the one it replaces at risk: the
// records go to a new file beside it (QMSAVER.TMP), which takes the show's
// place (CommitShow) once it is complete, written and closed without error.
// Until then the old show stands as it was; a failure removes the new file.
#pragma once

#include <windows.h>

#include "text/text.h"

#include <cstdint>

struct ShowWriter {
    HFILE file = HFILE_ERROR;
    char newPath[kPathBytes] = "";
    char showPath[kPathBytes] = "";
    int32_t records = 0;
    LONG offset = 0;  // where the next record starts
};

// Starts the new version of the show at path (a full path, or a name in
// the current directory).
bool BeginShow(ShowWriter &writer, const char *path);
// Appends a record: its size pair, then the two blocks.
bool WriteShowRecord(ShowWriter &writer, const void *full, uint32_t fullSize, const void *preview,
                     uint32_t previewSize);
// Writes the count of the records written and closes the new version,
// complete on the disk; on failure it is removed. The old show still stands:
// CommitShow puts the new one in its place.
bool FinishShow(ShowWriter &writer);
// Leaves the old show as it was and removes the new file.
void AbandonShow(ShowWriter &writer);

// The full path of a file in the folder of path: "C:\X\A.QMS" and "B" give "C:\X\B".
bool BesideFile(const char *path, const char *name, char *out, size_t size);
