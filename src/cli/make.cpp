// Composing a show from one's own pictures: each picture loaded as a photo
// (upright, fitted into the screen size and again into a 100 x 75 preview,
// 24 bits or 256 colours), written through the same record writer and save
// transaction as the editor's save, which puts the show and its music in
// place together.
#include "cli/make.h"

#include "cli/console.h"
#include "photo/photo.h"
#include "saverfile/format.h"
#include "saverfile/transaction.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kPreviewWidth = 100, kPreviewHeight = 75;

int Fail(const std::string &why) {
    Err("qmshow: %s\n", why.c_str());
    return 1;
}

uint32_t BlockSize(PackedDib dib) { return static_cast<uint32_t>(GlobalSize(GlobalHandle(dib))); }

// The show's file name alone: shows live in the show folder.
std::string BareName(const char *path) {
    std::string name = path;
    size_t cut = name.find_last_of("\\/:");
    return cut == std::string::npos ? name : name.substr(cut + 1);
}

}  // namespace

int MakeShowCommand(int argc, char **argv) {
    const char *music = nullptr;
    int width = 800, height = 600, bits = 24;
    std::vector<const char *> pictures;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--music") == 0 && i + 1 < argc) music = argv[++i];
        else if (std::strcmp(argv[i], "--8bit") == 0) bits = 8;
        else if (std::strcmp(argv[i], "--screen") == 0 && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width < 1 || height < 1 || width > 16384 ||
                height > 16384)
                return 2;
        } else if (argv[i][0] == '-' && argv[i][1] == '-') {
            return 2;
        } else {
            pictures.push_back(argv[i]);
        }
    }
    if (argc < 1 || pictures.empty() || pictures.size() > static_cast<size_t>(kMaxPictures)) return 2;
    std::string name = BareName(argv[0]);
    if (name.empty()) return 2;
    if (IsReservedShowName(name.c_str())) return Fail(name + ": a name the save works under; choose another");
    // Where the editor saves, after whatever an earlier save left unfinished.
    FinishInterruptedSave();
    std::string path = ShowFolder() + name;

    // Refused before anything is written: a record's offset must stay below 2 GB.
    std::vector<uint64_t> bounds;
    for (const char *picture : pictures) {
        int fitWidth = width, fitHeight = height;
        FittedPhotoSize(picture, width, height, &fitWidth, &fitHeight);
        bounds.push_back(PictureRecordBound(fitWidth, fitHeight, bits));
    }
    size_t fitting = RecordsThatFit(bounds.data(), bounds.size());
    if (fitting < pictures.size())
        return Fail("too many pictures for one show at this size: " + std::to_string(fitting) + " of them fit");

    ShowWriter writer;
    if (!BeginShow(writer, path.c_str())) return Fail("cannot write " + path);
    for (const char *picture : pictures) {
        PackedDib full = nullptr, preview = nullptr;
        LoadPhotoRecord(picture, width, height, bits, &full, &preview);
        if (!full || !preview) {
            DibFree(full);
            AbandonShow(writer);
            if (FileAttributes(picture) == INVALID_FILE_ATTRIBUTES) return Fail(std::string("cannot open ") + picture);
            // Without memory for a picture there is no telling it from a damaged one.
            return Fail(std::string(picture) + ": not a picture this tool can read (JPEG, PNG or BMP, not run-length coded)");
        }
        bool written = WriteShowRecord(writer, full, BlockSize(full), preview, BlockSize(preview));
        DibFree(full);
        DibFree(preview);
        if (!written) {
            AbandonShow(writer);
            return Fail("cannot write " + path);
        }
    }
    std::string kept;
    switch (CommitShow(writer, music, nullptr, &kept)) {
    case CommitResult::kCommitted: break;
    case CommitResult::kNoMusicMemory: return Fail(std::string("no memory to copy the music ") + music);
    case CommitResult::kNotRestored:
        return Fail("cannot write " + path + "; the old file could not be put back and is kept as " + kept);
    case CommitResult::kFailed:
        return Fail(music ? "cannot write " + path + " with the music " + music : "cannot write " + path);
    }
    Out("show\t%s\t%zu\n", path.c_str(), pictures.size());
    char musicPath[kPathBytes];
    if (music && MusicPathOf(path.c_str(), musicPath, sizeof musicPath)) Out("music\t%s\n", musicPath);
    return 0;
}
