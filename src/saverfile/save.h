// Saving the show composed in the editor, and its music.
#pragma once

#include <windows.h>

#include <cstddef>

// Writes the pictures of the editor's show list (IDC_SHOW_LIST), in list
// order, to the show fileName in the system directory: pictures kept from
// the show as it is there are copied from it; disc pictures are loaded from
// the title disc (the large size first when largeSize is set). The new
// version replaces the old only once complete; after any failure the old
// show is as it was, a box says so, and false comes back. After a
// successful save every entry describes its record in the new file. With a
// music track (1-based; -1 for none) the music is saved too: the show and
// its music take their old versions' places only when both are complete.
bool SaveShow(HWND editor, const char *fileName, int musicTrack, bool largeSize);

// Copies the WAV file source into newPath, a new version of the music file
// target (whose folder is made when missing), complete on the disk, in
// 102400-byte pieces with the saving window over owner (none without an
// owner); false, with nothing left behind, when it cannot.
bool CopyMusic(HWND owner, const char *source, const char *target, const char *newPath);

// Where the music of the show fileName lives: the system directory's
// SOUND folder, the name up to its first dot.
bool MusicPathOf(const char *fileName, char *path, size_t size);
