// Saving a show and its music as one: both new versions are written beside
// the old ones, then put in place together. At the end either both old files
// or both new ones are there, and nothing of the save is left behind.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "saverfile/places.h"
#include "saverfile/show_writer.h"

// What a save is doing while the user waits: writing the pictures, then
// copying the music; step of steps within it.
enum class SaveStage { kPictures, kMusic };
using SaveProgress = std::function<void(SaveStage stage, int step, int steps)>;

enum class CommitResult {
    kCommitted,      // the new show (and music) are in place
    kFailed,         // the old show and music stand as they were
    kNoMusicMemory,  // likewise: no memory to copy the music through
    kNotRestored,    // failed, and an old file could not be moved back: it waits under its backup name
};

// Ends the save of the show that writer has written: the show's new version
// completed, the music (a WAV file's path; null to leave the music alone)
// copied beside the show's music file, then both put in place. Whatever
// fails, the old files stand and the new ones are removed.
CommitResult CommitShow(ShowWriter &writer, const char *musicSource, const SaveProgress &progress,
                        std::string *kept = nullptr);

// A new version of a file, written beside it, to take its place.
struct Replacement {
    std::string newPath;
    std::string target;
};
enum class PlaceResult { kPlaced, kFailed, kNotRestored };
// Puts every new version in place, or none: each file replaced is kept
// under a backup name until all are in place, and moved back if one fails.
// The new versions are gone afterwards either way. A record of the save in
// the show folder, written before anything moves, lets the next start
// finish or undo it should the process stop in between. kNotRestored: an
// old file could not be moved back; *kept names the backup it waits under.
PlaceResult PutInPlace(const std::vector<Replacement> &files, std::string *kept = nullptr);
// Run at every start of the manager, the saver and qmshow make: a save the
// process never came back from is finished or undone, and its working
// files are removed, so both old files or both new ones stand.
void FinishInterruptedSave();

// MoveFileExW, tried again for a moment while another program (a virus
// scanner, an indexer) holds one of the files: so many tries, a short wait
// between them.
constexpr int kMoveAttempts = 6;
bool MoveFileRetrying(const char *from, const char *to, DWORD flags);
