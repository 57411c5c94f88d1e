// Saving the editor's show: kept pictures copied from the show as it is on
// the disk, disc pictures loaded from the title disc, each record written
// to the new version, which replaces the old one only once complete. The
// chosen music track is copied the same way.
#include "saverfile/save.h"

#include "disc/picture.h"
#include "disc/picture_entry.h"
#include "resources/resource.h"
#include "saverfile/format.h"
#include "saverfile/show_writer.h"
#include "ui/progress.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kCaption[] = "Quillmere Saver";
constexpr long kMusicChunk = 102400;

void Report(HWND editor, const char *fileName) {
    char text[MAX_PATH + 128];
    std::snprintf(text, sizeof text, "'%s' を保存できませんでした。以前の内容はそのまま残っています。", fileName);
    MessageBoxA(editor, text, kCaption, MB_OK | MB_ICONEXCLAMATION);
}

// The system directory with a trailing backslash.
std::string SystemFolder() {
    char dir[MAX_PATH] = "";
    GetSystemDirectoryA(dir, sizeof dir);
    std::string folder = dir;
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

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
        char path[MAX_PATH];
        OFSTRUCT info{};
        if (PicturePath(kinds[i], entry.content, entry.picture, path, sizeof path) &&
            OpenFile(path, &info, OF_EXIST) != HFILE_ERROR)
            *missing = false;
    }
    return nullptr;
}

// What a saved record will say of its entry once the save has succeeded.
struct Saved {
    PictureEntry *entry;
    int16_t position;
    int32_t offset;
    uint32_t fullSize, previewSize;
};

}  // namespace

bool MusicPathOf(const char *fileName, char *path, size_t size) {
    std::string folder = SystemFolder();
    size_t name = std::strcspn(fileName, ".");
    int n = std::snprintf(path, size, "%sSOUND\\%.*s", folder.c_str(), static_cast<int>(name), fileName);
    return name > 0 && n > 0 && static_cast<size_t>(n) < size;
}

bool CopyMusic(HWND owner, const char *source, const char *target, const char *newPath) {
    HWND progress = owner ? OpenProgressWindow(GetModuleHandleA(nullptr), owner, IDD_SAVING) : nullptr;
    if (progress) SetProgressText(progress, "ＢＧＭを保存しています...");
    const char *slash = std::strrchr(target, '\\');
    std::string folder(target, slash ? static_cast<size_t>(slash - target) : 0);
    CreateDirectoryA(folder.c_str(), nullptr);  // an existing one is fine
    // The track first: without it nothing is written at all.
    OFSTRUCT info{};
    HFILE from = OpenFile(source, &info, OF_READ);
    HFILE to = from == HFILE_ERROR ? HFILE_ERROR : OpenFile(newPath, &info, OF_CREATE | OF_WRITE);
    bool ok = from != HFILE_ERROR && to != HFILE_ERROR;
    HGLOBAL memory = ok ? GlobalAlloc(GMEM_FIXED, kMusicChunk) : nullptr;
    if (ok && !memory) {
        MessageBoxA(owner,
                    "サウンドファイルを保存するのに必要なメモリが不足しています。"
                    "動作中のアプリケーションを終了してからもう一度実行してください。",
                    kCaption, MB_OK);
        ok = false;
    }
    if (ok) {
        auto *buffer = static_cast<char *>(GlobalLock(memory));
        LONG size = _llseek(from, 0, FILE_END);
        ok = size >= 0 && _llseek(from, 0, FILE_BEGIN) == 0;
        for (int chunk = 1; ok; chunk++) {
            if (progress) SendMessageA(progress, WM_PROGRESS, static_cast<WPARAM>(chunk), size / kMusicChunk);
            // An error reads as HFILE_ERROR, never as a count of bytes.
            long got = _hread(from, buffer, kMusicChunk);
            if (got < 0 || (got > 0 && _hwrite(to, buffer, got) != got)) ok = false;
            if (got < kMusicChunk) break;
        }
        ok = ok && FlushFileBuffers(reinterpret_cast<HANDLE>(static_cast<intptr_t>(to)));
        GlobalFree(memory);
    }
    if (from != HFILE_ERROR) _lclose(from);
    if (to != HFILE_ERROR && _lclose(to) != 0) ok = false;
    if (!ok && to != HFILE_ERROR) DeleteFileA(newPath);
    CloseProgressWindow(progress);
    return ok;
}

bool SaveShow(HWND editor, const char *fileName, int musicTrack, bool largeSize) {
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    std::string folder = SystemFolder();
    SetCurrentDirectoryA(folder.c_str());
    HWND list = GetDlgItem(editor, IDC_SHOW_LIST);
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    if (count <= 0) {
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        return true;  // an empty show writes nothing
    }
    HWND progress = OpenProgressWindow(GetModuleHandleA(nullptr), editor, IDD_SAVING);
    std::string path = folder + fileName;
    OFSTRUCT info{};
    HFILE old = OpenFile(path.c_str(), &info, OF_READ);
    ShowWriter writer;
    std::vector<Saved> saved;
    bool ok = count <= kMaxPictures && BeginShow(writer, path.c_str());
    for (int i = 0; ok && i < count; i++) {
        SendMessageA(progress, WM_PROGRESS, static_cast<WPARAM>(i + 1), count);
        auto *entry = reinterpret_cast<PictureEntry *>(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
        if (!entry || entry == reinterpret_cast<PictureEntry *>(LB_ERR)) {
            ok = false;
            break;
        }
        Saved record{entry, static_cast<int16_t>(writer.records + 1), writer.offset, 0, 0};
        if (entry->kind == KIND_KEPT) {
            ok = CopyKeptRecord(old, writer, *entry);
            record.fullSize = entry->fullSize;
            record.previewSize = entry->previewSize;
        } else {
            // A disc picture the disc does not have is left out of the show;
            // one it has but that cannot be loaded now fails the save.
            bool missing = false;
            PackedDib full = LoadFullPicture(*entry, largeSize, &missing);
            if (!full) {
                ok = missing;
                continue;
            }
            record.fullSize = DibBlockSize(full);
            record.previewSize = DibBlockSize(entry->preview);
            ok = WriteShowRecord(writer, full, record.fullSize, entry->preview, record.previewSize);
            DibFree(full);
        }
        if (ok) saved.push_back(record);
    }
    if (old != HFILE_ERROR) _lclose(old);
    if (ok) ok = FinishShow(writer);
    else AbandonShow(writer);
    CloseProgressWindow(progress);

    // The music's new version too, before either takes the old one's place:
    // a failure before that leaves the show and its music as they were.
    char music[MAX_PATH], musicNew[MAX_PATH];
    bool withMusic = musicTrack > 0;
    if (ok && withMusic) {
        char source[MAX_PATH];
        ok = MusicPathOf(fileName, music, sizeof music) && BesideFile(music, "QMSAVER.TMP", musicNew, sizeof musicNew) &&
             PicturePath(kMusicTrack, musicTrack, 0, source, sizeof source) &&
             CopyMusic(editor, source, music, musicNew);
        if (!ok) DeleteFileA(writer.newPath);
    }
    if (ok) ok = ReplaceFile(writer.newPath, writer.showPath);
    if (withMusic && ok) ok = ReplaceFile(musicNew, music);
    else if (withMusic) DeleteFileA(musicNew);
    if (ok) {
        // Only now do the entries describe the new file; after a failure they
        // still describe the old one, which is intact, so saving again works.
        for (const Saved &r : saved) {
            r.entry->kind = KIND_KEPT;
            r.entry->filePosition = r.position;
            r.entry->fileOffset = r.offset;
            r.entry->fullSize = r.fullSize;
            r.entry->previewSize = r.previewSize;
        }
    } else {
        Report(editor, fileName);
    }
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    return ok;
}
