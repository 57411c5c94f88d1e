#include "saverfile/load.h"

#include "saverfile/places.h"

#include <cstring>

#include "disc/picture.h"
#include "disc/picture_entry.h"
#include "saverfile/format.h"
#include "text/text.h"

namespace {

// The preview block of the record whose size pair was just read; the file
// is left at the next record. 0 when loaded, else why not.
int LoadPreview(HFILE file, const RecordSizes &sizes, PictureEntry *entry) {
    // A record the file does not hold is a cut one, whatever it says.
    if (!RecordFitsInFile(file, sizes)) return kPreviewCut;
    if (!SkipBlock(file, sizes.fullSize)) return kPreviewCut;
    if (sizes.previewSize == 0) {
        entry->preview = PlaceholderPicture(0, 0);
        return 0;
    }
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizes.previewSize);
    auto *block = memory ? static_cast<PackedDib>(GlobalLock(memory)) : nullptr;
    if (!block) {
        if (memory) GlobalFree(memory);
        return kNoPreviewMemory;
    }
    // The size lies within the file, so it fits in a long.
    long bytes = static_cast<long>(sizes.previewSize);
    if (_hread(file, block, bytes) != bytes) {
        DibFree(block);
        return kPreviewCut;
    }
    // A block the player could not draw is shown as the placeholder: nothing
    // later measures a picture that is not there.
    if (!DibPixelsInBlock(block, sizes.previewSize)) {
        DibFree(block);
        entry->preview = PlaceholderPicture(0, 0);
        return 0;
    }
    entry->preview = block;
    return 0;
}

}  // namespace

LoadedShow LoadShowForEditing(const char *fileName) {
    LoadedShow show;
    // A bare name is a show's: in the show folder, or left in the system directory.
    bool bare = !std::strpbrk(fileName, "\\:");
    HFILE file = OpenForReading(bare ? FindShow(fileName).c_str() : fileName);
    int &error = show.error;
    int32_t count = 0;
    if (file == HFILE_ERROR) error = kCannotOpen;
    else if (!ReadPictureCount(file, &count)) error = kNoCount;
    for (int32_t n = 1; !error && n <= count && n <= kMaxPictures; n++) {
        show.position = n;
        PictureEntry *entry = NewPictureEntry();
        if (!entry) {
            error = kNoEntryMemory;
            break;
        }
        entry->kind = KIND_KEPT;
        entry->filePosition = static_cast<int16_t>(n);
        entry->fileOffset = _llseek(file, 0, FILE_CURRENT);
        RecordSizes sizes;
        if (!ReadRecordSizes(file, &sizes)) error = kNoSizes;
        else if (sizes.fullSize == 0) error = kNoFullPicture;
        else error = LoadPreview(file, sizes, entry);
        if (error) {
            FreePictureEntry(entry);
            break;
        }
        entry->fullSize = sizes.fullSize;
        entry->previewSize = sizes.previewSize;
        show.entries.push_back(entry);
    }
    if (file != HFILE_ERROR) _lclose(file);
    return show;
}
