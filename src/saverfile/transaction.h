// Saving a show and its music as one: both new versions are written beside
// the old ones, then put in place together. At the end either both old files
// or both new ones are there, and nothing of the save is left behind.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "saverfile/show_writer.h"

// What a save is doing while the user waits: writing the pictures, then
// copying the music; step of steps within it.
enum class SaveStage { kPictures, kMusic };
using SaveProgress = std::function<void(SaveStage stage, int step, int steps)>;

enum class CommitResult {
    kCommitted,      // the new show (and music) are in place
    kFailed,         // the old show and music stand as they were
    kNoMusicMemory,  // likewise: no memory to copy the music through
};

// Ends the save of the show that writer has written: the show's new version
// completed, the music (a WAV file's path; null to leave the music alone)
// copied beside the show's music file, then both put in place. Whatever
// fails, the old files stand and the new ones are removed.
CommitResult CommitShow(ShowWriter &writer, const char *musicSource, const SaveProgress &progress);

// A new version of a file, written beside it, to take its place.
struct Replacement {
    std::string newPath;
    std::string target;
};
// Puts every new version in place, or none: each file replaced is kept
// under a backup name until all are in place, and moved back if one fails.
// The new versions are gone afterwards either way.
bool PutInPlace(const std::vector<Replacement> &files);

// MoveFileExA, tried again for a moment while another program (a virus
// scanner, an indexer) holds one of the files: so many tries, a short wait
// between them.
constexpr int kMoveAttempts = 6;
bool MoveFileRetrying(const char *from, const char *to, DWORD flags);

// The system directory with a trailing backslash: where shows are saved.
std::string SystemFolder();

// Where the music of the show fileName lives: the system directory's
// SOUND folder, the name up to its first dot.
bool MusicPathOf(const char *fileName, char *path, size_t size);
