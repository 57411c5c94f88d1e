// Shows saved over themselves, whatever the old file holds: the records
// loaded from it are saved back, all of them in order with the disc's first
// track as music, then in reverse with one of them twice and the second
// track, while one allocation, write, read, move or close fails, or the
// power is cut, as the input's last bytes say. A save copies each kept
// record byte for byte and counts them truly; a failed one leaves the old
// show and its music as they were; one the power cut leaves both old files
// or both new ones once the next start has finished it; none leaves
// anything else in the show's folder or its SOUND folder, or any memory or
// file open.
#include "target.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>

#include "disc/catalogue.h"
#include "saverfile/format.h"
#include "saverfile/load.h"
#include "saverfile/places.h"
#include "saverfile/save.h"
#include "saverfile/transaction.h"
#include "text/text.h"

namespace {

using Bytes = std::vector<uint8_t>;

const char kName[] = "FUZZ.QMS";
const char kMusicName[] = "FUZZ";  // the show's name up to its first dot
std::string folder;                // where shows live, ending in a backslash
Bytes tracks[2];                   // the disc's music, tracks 1 and 2

void Put32(Bytes &out, uint32_t v) {
    for (int i = 0; i < 4; i++) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool SameName(const char *a, const char *b) {
    for (; *a && *b; a++, b++)
        if (std::toupper(static_cast<unsigned char>(*a)) != std::toupper(static_cast<unsigned char>(*b))) return false;
    return *a == *b;
}

// The names in a folder, without "." and "..".
std::vector<std::string> FolderEntries(const std::string &path) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(Wide(path + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = Utf8(found.cFileName);
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

// Nothing of a save is left beside the show or its music: the show's folder
// holds the show (when there is one) and SOUND, which holds the music.
void CheckNothingLeftBehind() {
    for (const std::string &name : FolderEntries(folder))
        FUZZ_CHECK(SameName(name.c_str(), kName) || SameName(name.c_str(), "SOUND"));
    for (const std::string &name : FolderEntries(folder + "SOUND\\")) FUZZ_CHECK(SameName(name.c_str(), kMusicName));
}

std::string MusicPath() { return folder + "SOUND\\" + kMusicName; }

// A file's bytes; nothing when it is not there.
std::optional<Bytes> FileOrNothing(const std::string &path) {
    Bytes bytes;
    if (!ReadBack(path, &bytes)) return std::nullopt;
    return bytes;
}

// What the show must be after saving these entries of the file old: the
// count, then each entry's record (size pair and blocks) as old holds it.
Bytes ExpectedShow(const Bytes &old, const std::vector<PictureEntry *> &list) {
    Bytes show;
    Put32(show, static_cast<uint32_t>(list.size()));
    for (const PictureEntry *e : list) {
        size_t at = static_cast<size_t>(e->fileOffset), length = kRecordHeaderSize + size_t{e->fullSize} + e->previewSize;
        FUZZ_CHECK(e->fileOffset >= kFirstRecordOffset && at + length <= old.size());
        show.insert(show.end(), old.begin() + static_cast<long>(at), old.begin() + static_cast<long>(at + length));
    }
    return show;
}

// The entries describe the new file's records; an entry listed twice, the
// later of its two.
void CheckEntriesDescribe(const Bytes &show, const std::vector<PictureEntry *> &list) {
    size_t at = kFirstRecordOffset;
    for (size_t i = 0; i < list.size(); i++) {
        const PictureEntry *e = list[i];
        bool last = std::find(list.begin() + static_cast<long>(i) + 1, list.end(), e) == list.end();
        if (last) {
            FUZZ_CHECK(e->kind == KIND_KEPT);
            FUZZ_CHECK(e->filePosition == static_cast<int>(i) + 1);
            FUZZ_CHECK(static_cast<size_t>(e->fileOffset) == at);
        }
        at += kRecordHeaderSize + size_t{e->fullSize} + e->previewSize;
    }
    FUZZ_CHECK(at == show.size());
}

// The saved show opened again: as many records, of the same sizes.
void CheckLoadsBack(const std::vector<PictureEntry *> &list) {
    EnterFolder(folder.c_str());
    LoadedShow again = LoadShowForEditing(kName);
    FUZZ_CHECK(again.error == kLoaded);
    FUZZ_CHECK(again.entries.size() == list.size());
    for (size_t i = 0; i < again.entries.size(); i++) {
        FUZZ_CHECK(again.entries[i]->fullSize == list[i]->fullSize);
        FUZZ_CHECK(again.entries[i]->previewSize == list[i]->previewSize);
    }
    for (PictureEntry *e : again.entries) FreePictureEntry(e);
}

struct EntryState {
    int16_t kind, filePosition;
    int32_t fileOffset;
    uint32_t fullSize, previewSize;
    PackedDib preview;
    bool operator==(const EntryState &) const = default;
};

EntryState StateOf(const PictureEntry &e) {
    return {e.kind, e.filePosition, e.fileOffset, e.fullSize, e.previewSize, e.preview};
}

// The fault of the second save, from the input's last two bytes (so that a
// mutation of the show keeps it): the last picks what fails, the one before
// after how many of them.
struct Fault {
    int kind = 0;  // 0 none, 1 allocation, 2 write, 3 read, 4 move, 5 close, 6 power cut
    int after = 0;
};

Fault FaultOf(const uint8_t *data, size_t size) {
    if (size < 2) return {};
    return {data[size - 1] % 7, data[size - 2] % 32};
}

void ArmFault(const Fault &fault) {
    switch (fault.kind) {
    case 1: Layer::FailAllocationAfter(fault.after); break;
    case 2: Layer::FailWritesAfter(fault.after); break;
    case 3: Layer::FailReadsAfter(fault.after); break;
    case 4: Layer::FailRenamesAfter(fault.after); break;
    case 5: Layer::FailClosesAfter(fault.after); break;
    case 6: Layer::StopAfterSteps(fault.after + 1); break;
    default: break;
    }
}

// Saves the list with the music track under the fault; returns whether it
// was saved, having checked the show, the music and the entries either way.
bool SaveAndCheck(const std::vector<PictureEntry *> &list, int track, const Fault &fault) {
    const std::string show = folder + kName, music = MusicPath();
    std::optional<Bytes> oldShow = FileOrNothing(show), oldMusic = FileOrNothing(music);
    FUZZ_CHECK(oldShow.has_value());
    Bytes expected = ExpectedShow(*oldShow, list);
    std::vector<EntryState> before;
    for (const PictureEntry *e : list) before.push_back(StateOf(*e));

    ArmFault(fault);
    SaveResult result = SaveShow(list, kName, track, false);
    Layer::FailAllocationAfter(-1);
    Layer::FailWritesAfter(-1);
    Layer::FailReadsAfter(-1);
    Layer::FailRenamesAfter(-1);
    Layer::FailClosesAfter(-1);
    if (Layer::StoppedByPowerCut()) {
        // The process is gone; the next start finishes or undoes the save.
        Layer::StopAfterSteps(0);
        FinishInterruptedSave();
        CheckNothingLeftBehind();
        std::optional<Bytes> nowShow = FileOrNothing(show), nowMusic = FileOrNothing(music);
        bool done = nowShow == expected && nowMusic == tracks[track - 1];
        FUZZ_CHECK(done || (nowShow == oldShow && nowMusic == oldMusic));
        // A save the user was told is done stays done.
        FUZZ_CHECK(done || result.status != SaveStatus::kSaved);
        return done;
    }
    Layer::StopAfterSteps(0);

    // Kept pictures only, the disc in the drive: nothing is left out.
    FUZZ_CHECK(result.leftOut.empty() && !result.musicLeftOut);
    CheckNothingLeftBehind();
    if (result.status == SaveStatus::kSaved) {
        std::optional<Bytes> saved = FileOrNothing(show);
        FUZZ_CHECK(saved == expected);
        FUZZ_CHECK(FileOrNothing(music) == tracks[track - 1]);
        CheckEntriesDescribe(*saved, list);
        CheckLoadsBack(list);
        return true;
    }
    FUZZ_CHECK(result.status == (list.empty() ? SaveStatus::kEmpty : SaveStatus::kFailed) ||
               result.status == SaveStatus::kNoMusicMemory);
    FUZZ_CHECK(FileOrNothing(show) == oldShow);
    FUZZ_CHECK(FileOrNothing(music) == oldMusic);
    for (size_t i = 0; i < list.size(); i++) FUZZ_CHECK(StateOf(*list[i]) == before[i]);
    return false;
}

// A file written through the layer before the disc's drive is mapped.
void MakeFile(const char *path, const Bytes &bytes) { FUZZ_CHECK(WriteInput(path, bytes.data(), bytes.size())); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    FuzzMachine();
    // Every save flushes the show, its music and their folders to the disk.
    DriveCInMemory();
    folder = ShowFolder();
    // A title disc with two tracks of different lengths in a CD-ROM drive.
    for (const char *dir : {"C:\\cdrom", "C:\\cdrom\\DAT", "C:\\cdrom\\DAT\\SOUND", "C:\\cdrom\\DAT\\SOUND\\S"})
        MakeFolder(dir);
    std::string catalogue = "FUZZ\r\nDAT\\\r\nDAT\\SOUND\\S\\\r\n1\r\nA\r\n2\r\nM1\r\nM2\r\n";
    MakeFile("C:\\cdrom\\QM.SD", Bytes(catalogue.begin(), catalogue.end()));
    for (int t = 0; t < 2; t++) {
        tracks[t].resize(3000 + 2000 * static_cast<size_t>(t));
        for (size_t i = 0; i < tracks[t].size(); i++) tracks[t][i] = static_cast<uint8_t>(i * (t ? 7 : 13));
        MakeFile(t ? "C:\\cdrom\\DAT\\SOUND\\S\\02.WAV" : "C:\\cdrom\\DAT\\SOUND\\S\\01.WAV", tracks[t]);
    }
    Layer::MapDrive('E', Layer::HostPath("C:\\cdrom"), DRIVE_CDROM);
    FUZZ_CHECK(ScanForTitleDisc());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // What the last input saved goes; nothing else may be there.
    RemoveFile((folder + kName).c_str());
    RemoveFile(MusicPath().c_str());
    CheckNothingLeftBehind();
    // The folder is the target's own: were this write to fail, no run would check anything.
    FUZZ_CHECK(WriteInput(folder + kName, data, size));
    int blocks = Layer::LiveGlobalBlocks(), descriptors = Layer::OpenDescriptors();

    EnterFolder(folder.c_str());
    LoadedShow loaded = LoadShowForEditing(kName);
    std::vector<PictureEntry *> entries = loaded.entries;
    // Nothing fails on the way, so every save of what loaded is done.
    FUZZ_CHECK(SaveAndCheck(entries, 1, Fault{}) == !entries.empty());

    // Backwards, with the middle one twice: the copies seek back and forth.
    std::vector<PictureEntry *> reordered(entries.rbegin(), entries.rend());
    if (!entries.empty()) reordered.push_back(entries[entries.size() / 2]);
    Fault fault = FaultOf(data, size);
    // A show of more pictures than the player counts is refused.
    bool playable = !reordered.empty() && reordered.size() <= size_t{kMaxPictures};
    FUZZ_CHECK(SaveAndCheck(reordered, 2, fault) || fault.kind != 0 || !playable);

    for (PictureEntry *e : entries) FreePictureEntry(e);
    FUZZ_CHECK(Layer::LiveGlobalBlocks() == blocks);
    FUZZ_CHECK(Layer::OpenDescriptors() == descriptors);
    return 0;
}
