// Saving the editor's show: kept pictures copied from the show as it is on
// the disk, disc pictures loaded from the title disc, each record written
// to the new version, which replaces the old one, together with the chosen
// music, only once both are complete.
#include "saverfile/save.h"
#include "text/text.h"

#include "disc/catalogue.h"
#include "disc/picture.h"
#include "photo/photo.h"
#include "saverfile/format.h"
#include "saverfile/places.h"

#include <algorithm>
#include <string>

namespace {

PackedDib AllocateBlock(uint32_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
    auto *block = memory ? static_cast<PackedDib>(GlobalLock(memory)) : nullptr;
    if (!block && memory) GlobalFree(memory);
    return block;
}

// A record of the show as it is on the disk, copied whole into the new
// version: both blocks in one read and one write.
bool CopyKeptRecord(HFILE old, ShowWriter &writer, const PictureEntry &entry) {
    if (old == HFILE_ERROR || _llseek(old, entry.fileOffset, FILE_BEGIN) != entry.fileOffset) return false;
    RecordSizes sizes;
    // The sizes must be the ones read when the show was opened, and fit in the file.
    if (!ReadRecordSizes(old, &sizes) || sizes.fullSize != entry.fullSize || sizes.previewSize != entry.previewSize ||
        !RecordFitsInFile(old, sizes))
        return false;
    // Both fit in the file, whose length fits in a long.
    long bytes = static_cast<long>(uint64_t{sizes.fullSize} + sizes.previewSize);
    PackedDib blocks = AllocateBlock(static_cast<uint32_t>(bytes));
    if (!blocks) return false;
    const BYTE *full = reinterpret_cast<const BYTE *>(blocks);
    bool copied = _hread(old, blocks, bytes) == bytes &&
                  WriteShowRecord(writer, full, sizes.fullSize, full + sizes.fullSize, sizes.previewSize);
    DibFree(blocks);
    return copied;
}

// The full-screen picture of a disc entry, large or standard as the
// setting asks, in the order its kinds are tried. *missing says that the
// disc has none of those files (rather than one that could not be loaded).
PackedDib LoadFullPicture(const PictureEntry &entry, bool largeSize, bool *missing) {
    static const int kLarge[] = {kLargeBmp, kLargeJpeg, kStandardBmp}, kStandard[] = {kStandardBmp, kStandardJpeg};
    const int *kinds = largeSize ? kLarge : kStandard;
    int count = largeSize ? 3 : 2;
    *missing = true;
    for (int i = 0; i < count; i++) {
        if (PackedDib dib = LoadPicture(kinds[i], entry.content, entry.picture)) return dib;
        char path[kPathBytes];
        if (PicturePath(kinds[i], entry.content, entry.picture, path, sizeof path) && IsFile(path)) *missing = false;
    }
    return nullptr;
}

// What a saved record will say of its entry once the save has succeeded.
struct Saved {
    PictureEntry *entry;
    int16_t position;
    int32_t offset;
    uint32_t fullSize, previewSize;
    PackedDib preview;  // a preview made for the record, to replace the entry's; null to keep it
};

// A picture file of the user's, fitted within the standard size or, with
// largeSize, the primary screen, and its record's preview made from that
// picture: one decode for both, whether or not the editor's list has made
// (or kept) a preview of its own. False when it cannot be loaded;
// *missing says the file is gone.
bool LoadFilePicture(const PictureEntry &entry, bool largeSize, PackedDib *full, PackedDib *preview, bool *missing) {
    int width = largeSize ? GetSystemMetrics(SM_CXSCREEN) : 800, height = largeSize ? GetSystemMetrics(SM_CYSCREEN) : 600;
    *missing = !IsFile(entry.filePath);
    if (*missing) {
        *full = *preview = nullptr;
        return false;
    }
    return LoadPhotoRecord(entry.filePath, width, height, Wants256Colours() ? 8 : 24, full, preview);
}

// The most bytes the entry's record can take once saved. A title disc's
// large pictures are taken as at least 1024 x 768. A photo's header is
// read only when asked; otherwise it counts at the whole size.
uint64_t RecordBound(const PictureEntry &entry, bool largeSize, bool readPhotos) {
    if (entry.kind == KIND_KEPT) return kRecordHeaderSize + uint64_t{entry.fullSize} + entry.previewSize;
    int bits = Wants256Colours() ? 8 : 24;
    int width = largeSize ? GetSystemMetrics(SM_CXSCREEN) : 800, height = largeSize ? GetSystemMetrics(SM_CYSCREEN) : 600;
    // A photo takes the size it is fitted to, from its header; one whose
    // header cannot be read is counted at the whole size.
    int fitWidth = 0, fitHeight = 0;
    if (entry.kind == KIND_FILE && readPhotos && FittedPhotoSize(entry.filePath, width, height, &fitWidth, &fitHeight))
        return PictureRecordBound(fitWidth, fitHeight, bits);
    if (largeSize && entry.kind != KIND_FILE) {
        width = std::max(width, 1024);
        height = std::max(height, 768);
    }
    return PictureRecordBound(width, height, bits);
}

size_t RecordsOfEntriesThatFit(const std::vector<PictureEntry *> &entries, bool largeSize, bool readPhotos) {
    std::vector<uint64_t> sizes;
    sizes.reserve(entries.size());
    for (const PictureEntry *entry : entries) sizes.push_back(entry ? RecordBound(*entry, largeSize, readPhotos) : 0);
    return RecordsThatFit(sizes.data(), sizes.size());
}

}  // namespace

size_t PicturesThatFit(const std::vector<PictureEntry *> &entries, bool largeSize) {
    return RecordsOfEntriesThatFit(entries, largeSize, true);
}

bool ShowCouldBeTooLarge(const std::vector<PictureEntry *> &entries, bool largeSize) {
    return RecordsOfEntriesThatFit(entries, largeSize, false) < entries.size();
}

SaveResult SaveShow(const std::vector<PictureEntry *> &entries, const char *fileName, int musicTrack, bool largeSize,
                    const SaveProgress &progress) {
    SaveResult result;
    std::string folder = ShowFolder();
    EnterFolder(folder.c_str());
    if (entries.empty()) {
        result.status = SaveStatus::kEmpty;
        return result;
    }
    if (IsReservedShowName(fileName)) return result;
    // Refused before anything is written, rather than after a 2 GB file.
    result.fitting = PicturesThatFit(entries, largeSize);
    if (result.fitting < entries.size()) {
        result.status = SaveStatus::kTooLarge;
        return result;
    }
    int count = static_cast<int>(entries.size());
    std::string path = folder + fileName;
    // The show as it stands, perhaps one an earlier installation left in the system directory.
    std::string oldPath = FindShow(fileName);
    HFILE old = OpenForReading(oldPath.c_str());
    ShowWriter writer;
    std::vector<Saved> saved;
    bool discInDrive = TitleDiscInDrive();
    bool ok = count <= kMaxPictures && BeginShow(writer, path.c_str());
    for (int i = 0; ok && i < count; i++) {
        if (progress) progress(SaveStage::kPictures, i + 1, count);
        PictureEntry *entry = entries[static_cast<size_t>(i)];
        if (!entry) {
            ok = false;
            break;
        }
        Saved record{entry, static_cast<int16_t>(writer.records + 1), writer.offset, 0, 0, nullptr};
        if (entry->kind == KIND_KEPT) {
            ok = CopyKeptRecord(old, writer, *entry);
            record.fullSize = entry->fullSize;
            record.previewSize = entry->previewSize;
        } else if (entry->kind == KIND_FILE) {
            // A file that is gone, or that cannot be read now (cut short,
            // locked), is left out, like a picture the disc lacks: one bad
            // photo must not keep the rest from being saved.
            PackedDib full = nullptr;
            bool missing = false;
            if (!LoadFilePicture(*entry, largeSize, &full, &record.preview, &missing)) {
                result.leftOut.push_back(
                    {static_cast<size_t>(i), missing ? LeftOutReason::kFileMissing : LeftOutReason::kFileUnreadable});
                continue;
            }
            record.fullSize = DibBlockSize(full);
            record.previewSize = DibBlockSize(record.preview);
            ok = WriteShowRecord(writer, full, record.fullSize, record.preview, record.previewSize);
            DibFree(full);
        } else {
            // A disc picture the disc does not have is left out of the show;
            // one it has but that cannot be loaded now fails the save.
            bool missing = false;
            PackedDib full = discInDrive ? LoadFullPicture(*entry, largeSize, &missing) : nullptr;
            if (!full) {
                ok = missing || !discInDrive;
                result.leftOut.push_back(
                    {static_cast<size_t>(i), discInDrive ? LeftOutReason::kNotOnDisc : LeftOutReason::kDiscAbsent});
                continue;
            }
            record.fullSize = DibBlockSize(full);
            record.previewSize = DibBlockSize(entry->preview);
            ok = WriteShowRecord(writer, full, record.fullSize, entry->preview, record.previewSize);
            DibFree(full);
        }
        if (ok) saved.push_back(record);
        else DibFree(record.preview);
    }
    if (old != HFILE_ERROR) _lclose(old);
    auto dropPreviews = [&saved] {
        for (const Saved &r : saved) DibFree(r.preview);
    };
    if (ok && saved.empty()) {
        // A show of no pictures is never written: the old one stays.
        AbandonShow(writer);
        result.status = SaveStatus::kNothingFound;
        return result;
    }
    if (!ok) {
        AbandonShow(writer);
        dropPreviews();
        result.status = SaveStatus::kFailed;
        return result;
    }
    // Without the disc its music cannot be copied either: the show's old
    // music stays, and the user hears that it was left out.
    char source[kPathBytes];
    bool withMusic = musicTrack > 0 && discInDrive;
    result.musicLeftOut = musicTrack > 0 && !discInDrive;
    // A show that moves from the system directory to the user's folder takes its music along.
    if (musicTrack <= 0 && oldPath != path && MusicPathOf(oldPath.c_str(), source, sizeof source) && IsFile(source))
        withMusic = true;
    else if (withMusic && !PicturePath(kMusicTrack, musicTrack, 0, source, sizeof source)) {
        AbandonShow(writer);
        dropPreviews();
        result.status = SaveStatus::kFailed;
        return result;
    }
    switch (CommitShow(writer, withMusic ? source : nullptr, progress, &result.keptAs)) {
    case CommitResult::kCommitted: result.status = SaveStatus::kSaved; break;
    case CommitResult::kFailed: result.status = SaveStatus::kFailed; break;
    case CommitResult::kNoMusicMemory: result.status = SaveStatus::kNoMusicMemory; break;
    case CommitResult::kNotRestored: result.status = SaveStatus::kNotRestored; break;
    }
    if (result.status != SaveStatus::kSaved) {
        dropPreviews();
        return result;
    }
    // Only now do the entries describe the new file; after a failure they
    // still describe the old one, which is intact, so saving again works.
    for (const Saved &r : saved) {
        r.entry->kind = KIND_KEPT;
        r.entry->filePosition = r.position;
        r.entry->fileOffset = r.offset;
        r.entry->fullSize = r.fullSize;
        r.entry->previewSize = r.previewSize;
        if (r.preview) {
            DibFree(r.entry->preview);
            r.entry->preview = r.preview;
        }
        SetEntryFile(r.entry, nullptr);
    }
    return result;
}
