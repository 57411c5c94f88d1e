// Shows opened for editing: the entries are the records before the damage,
// each where the file has it, with its sizes inside the file and a preview
// that is the record's own block (or the placeholder when it draws nothing);
// the error and position say where the loading stopped. Freed, they leave
// nothing behind.
#include "target.h"

#include <cstring>

#include "disc/picture.h"
#include "saverfile/format.h"
#include "saverfile/load.h"

namespace {

const char kPath[] = "C:\\FUZZ.QMS";

uint32_t Get32(const uint8_t *p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

struct Record {
    size_t offset;
    uint32_t fullSize, previewSize;
};

// The file walked here as the format has it, to hold the loader to: its
// whole records in order, and why and where the walk stopped.
struct Walk {
    std::vector<Record> records;
    int error = kLoaded;
    int position = 0;
};

Walk WalkShow(const uint8_t *data, size_t size) {
    Walk walk;
    if (size < 4) {
        walk.error = kNoCount;
        return walk;
    }
    auto count = static_cast<int32_t>(Get32(data));
    size_t at = 4;
    for (int32_t n = 1; n <= count && n <= kMaxPictures; n++) {
        walk.position = n;
        if (size - at < 8) {
            walk.error = kNoSizes;
            break;
        }
        Record r{at, Get32(data + at), Get32(data + at + 4)};
        if (r.fullSize == 0) {
            walk.error = kNoFullPicture;
            break;
        }
        if (uint64_t{r.fullSize} + r.previewSize > size - at - 8) {
            walk.error = kPreviewCut;
            break;
        }
        walk.records.push_back(r);
        at += 8 + size_t{r.fullSize} + r.previewSize;
    }
    return walk;
}

// The preview of an entry: the placeholder when the record has none or one
// that cannot be drawn, else a block of the record's own bytes that the
// editor can draw.
void CheckPreview(const PictureEntry &e, const uint8_t *bytes) {
    FUZZ_CHECK(e.preview != nullptr);
    // The loader's verdict on the bytes, asked of an aligned copy of just them.
    std::vector<uint8_t> copy(bytes, bytes + e.previewSize);
    bool drawable = e.previewSize > 0 &&
                    DibPixelsInBlock(reinterpret_cast<const BITMAPINFOHEADER *>(copy.data()), copy.size());
    if (!drawable) {
        FUZZ_CHECK(IsPlaceholder(e.preview));
        return;
    }
    FUZZ_CHECK(!IsPlaceholder(e.preview));
    FUZZ_CHECK(GlobalSize(GlobalHandle(e.preview)) >= e.previewSize);
    FUZZ_CHECK(std::memcmp(e.preview, bytes, e.previewSize) == 0);
    const BYTE *pixels = DibPixelsInBlock(e.preview, e.previewSize);
    FUZZ_CHECK(pixels != nullptr);
    // Drawn into a list item's box as the editor draws it; ASan sees a read past the block.
    HDC screen = GetDC(nullptr);
    SetStretchBltMode(screen, COLORONCOLOR);
    StretchDIBits(screen, 0, 0, 100, 75, 0, 0, e.preview->biWidth, e.preview->biHeight, pixels,
                  reinterpret_cast<const BITMAPINFO *>(e.preview), DIB_RGB_COLORS, SRCCOPY);
    ReleaseDC(nullptr, screen);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    FuzzMachine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (!WriteInput(kPath, data, size)) return 0;
    int blocks = Layer::LiveGlobalBlocks(), descriptors = Layer::OpenDescriptors();
    LoadedShow show = LoadShowForEditing(kPath);
    Walk walk = WalkShow(data, size);

    FUZZ_CHECK(show.error != kCannotOpen);
    const size_t loaded = show.entries.size();
    FUZZ_CHECK(loaded <= walk.records.size());
    if (show.error == kNoEntryMemory || show.error == kNoPreviewMemory) {
        // Out of memory: it stops at a record the file holds whole.
        FUZZ_CHECK(loaded < walk.records.size());
        FUZZ_CHECK(show.position == static_cast<int>(loaded) + 1);
    } else {
        FUZZ_CHECK(show.error == walk.error);
        FUZZ_CHECK(show.position == walk.position);
        FUZZ_CHECK(loaded == walk.records.size());
    }
    // Loaded through, the position is the last record's; stopped at a record,
    // the one after the last loaded; without a count, none.
    FUZZ_CHECK(show.position == static_cast<int>(loaded) + (show.error == kLoaded || show.error == kNoCount ? 0 : 1));

    for (size_t i = 0; i < loaded; i++) {
        const PictureEntry *e = show.entries[i];
        const Record &r = walk.records[i];
        FUZZ_CHECK(e != nullptr);
        FUZZ_CHECK(e->kind == KIND_KEPT);
        FUZZ_CHECK(e->filePosition == static_cast<int>(i) + 1);
        FUZZ_CHECK(e->fileOffset >= kFirstRecordOffset && static_cast<size_t>(e->fileOffset) == r.offset);
        FUZZ_CHECK(e->fullSize == r.fullSize && e->previewSize == r.previewSize);
        FUZZ_CHECK(e->fullSize > 0);
        FUZZ_CHECK(uint64_t(e->fileOffset) + kRecordHeaderSize + e->fullSize + e->previewSize <= size);
        FUZZ_CHECK(e->fullData == nullptr && e->filePath == nullptr);
        CheckPreview(*e, data + r.offset + kRecordHeaderSize + r.fullSize);
    }

    for (PictureEntry *e : show.entries) FreePictureEntry(e);
    FUZZ_CHECK(Layer::LiveGlobalBlocks() == blocks);
    FUZZ_CHECK(Layer::OpenDescriptors() == descriptors);
    return 0;
}
