// Saving the show composed in the editor, and its music.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "disc/picture_entry.h"
#include "saverfile/transaction.h"

enum class SaveStatus {
    kSaved,          // the new show (and music) are in place
    kEmpty,          // no pictures: nothing was written
    kNothingFound,   // none of the pictures could be had: nothing was written
    kFailed,         // the old show and its music stand as they were
    kNoMusicMemory,  // likewise, for want of memory to copy the music
    kNotRestored,    // failed, and an old file could not be put back: it waits under keptAs
    kTooLarge,       // more pictures than a show can hold: nothing was written (fitting says how many fit)
};

// Why a picture of the show was not written.
enum class LeftOutReason {
    kDiscAbsent,  // the title disc is not in the drive
    kNotOnDisc,   // the disc in the drive lacks the picture
    kFileMissing, // the user's picture file is gone
    kFileUnreadable, // the user's picture file is there but cannot be read as a picture
};

struct LeftOut {
    size_t index;  // into the entries saved
    LeftOutReason reason;
};

struct SaveResult {
    SaveStatus status = SaveStatus::kFailed;
    std::vector<LeftOut> leftOut;  // pictures the saved show lacks, in show order
    bool musicLeftOut = false;     // the track was not copied: the title disc is not in the drive
    std::string keptAs;            // kNotRestored: where the old file waits
    size_t fitting = 0;            // kTooLarge: how many of the pictures, from the first, a show can hold
};

// How many of the entries, from the first, fit in one show: a record's
// offset must stay below 2 GB. Kept pictures count their own sizes, the
// others the most their pictures can take once fitted (the standard size
// or, with largeSize, the primary screen).
size_t PicturesThatFit(const std::vector<PictureEntry *> &entries, bool largeSize);
// Whether the entries might not all fit, known without reading a photo:
// each photo counted at the whole size. False means PicturesThatFit would
// take them all.
bool ShowCouldBeTooLarge(const std::vector<PictureEntry *> &entries, bool largeSize);

// Writes the entries, in order, to the show fileName in the show folder:
// pictures kept from the show as it is there (or, not yet there, in the
// system directory, whose music then comes along) are copied from it;
// disc pictures are loaded from the title disc (the large size first when
// largeSize is set), the user's picture files fitted within 800 x 600 (or,
// with largeSize, the primary screen); those that cannot be had are left out. With a music
// track (1-based; -1 for none) its music is copied beside the show, unless
// the disc is out of the drive (the old music then stays). The show
// and its music take their old versions' places together, and only once
// both are complete; after any failure the old ones stand as they were.
// Only after a save do the entries written describe their records in the
// new file (KIND_KEPT); the entries left out are untouched.
SaveResult SaveShow(const std::vector<PictureEntry *> &entries, const char *fileName, int musicTrack, bool largeSize,
                    const SaveProgress &progress = nullptr);
