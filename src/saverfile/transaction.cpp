#include "saverfile/transaction.h"

#include <cstdio>
#include <cstring>

namespace {

const char kBackupName[] = "QMSAVER.BAK";
constexpr long kMusicChunk = 102400;
// A file held by another program is usually let go within a fraction of a
// second; longer than that, the save is reported as failed.
constexpr DWORD kMoveRetryWait = 50;

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

enum class CopyResult { kCopied, kFailed, kNoMemory };

// Copies the WAV file source into newPath, complete on the disk, in
// 102400-byte pieces; with nothing left behind when it cannot.
CopyResult CopyMusic(const char *source, const char *newPath, const SaveProgress &progress) {
    // The track first: without it nothing is written at all.
    OFSTRUCT info{};
    HFILE from = OpenFile(source, &info, OF_READ);
    HFILE to = from == HFILE_ERROR ? HFILE_ERROR : OpenFile(newPath, &info, OF_CREATE | OF_WRITE);
    CopyResult result = from != HFILE_ERROR && to != HFILE_ERROR ? CopyResult::kCopied : CopyResult::kFailed;
    HGLOBAL memory = result == CopyResult::kCopied ? GlobalAlloc(GMEM_FIXED, kMusicChunk) : nullptr;
    if (result == CopyResult::kCopied && !memory) result = CopyResult::kNoMemory;
    if (memory) {
        auto *buffer = static_cast<char *>(GlobalLock(memory));
        LONG size = _llseek(from, 0, FILE_END);
        bool ok = size >= 0 && _llseek(from, 0, FILE_BEGIN) == 0;
        for (int chunk = 1; ok; chunk++) {
            if (progress) progress(SaveStage::kMusic, chunk, static_cast<int>(size / kMusicChunk));
            // An error reads as HFILE_ERROR, never as a count of bytes.
            long got = _hread(from, buffer, kMusicChunk);
            if (got < 0 || (got > 0 && _hwrite(to, buffer, got) != got)) ok = false;
            if (got < kMusicChunk) break;
        }
        if (!ok || !FlushFileBuffers(reinterpret_cast<HANDLE>(static_cast<intptr_t>(to)))) result = CopyResult::kFailed;
        GlobalFree(memory);
    }
    if (from != HFILE_ERROR) _lclose(from);
    if (to != HFILE_ERROR && _lclose(to) != 0) result = CopyResult::kFailed;
    if (result != CopyResult::kCopied && to != HFILE_ERROR) DeleteFileA(newPath);
    return result;
}

// The show's bare name from its full path.
const char *BareName(const char *path) {
    const char *slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

}  // namespace

bool MoveFileRetrying(const char *from, const char *to, DWORD flags) {
    for (int attempt = 1;; attempt++) {
        if (MoveFileExA(from, to, flags | MOVEFILE_WRITE_THROUGH)) return true;
        DWORD error = GetLastError();
        bool heldByAnother = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
                             error == ERROR_LOCK_VIOLATION;
        if (!heldByAnother || attempt == kMoveAttempts) return false;
        Sleep(kMoveRetryWait);
    }
}

bool PutInPlace(const std::vector<Replacement> &files) {
    struct Step {
        std::string backup;  // where the replaced file waits; empty when there was none
        bool placed = false;
    };
    std::vector<Step> steps;
    bool ok = true;
    for (const Replacement &file : files) {
        Step step;
        if (Exists(file.target)) {
            char backup[MAX_PATH];
            ok = BesideFile(file.target.c_str(), kBackupName, backup, sizeof backup) &&
                 MoveFileRetrying(file.target.c_str(), backup, MOVEFILE_REPLACE_EXISTING);
            if (!ok) break;
            step.backup = backup;
        }
        steps.push_back(step);
        ok = MoveFileRetrying(file.newPath.c_str(), file.target.c_str(), MOVEFILE_REPLACE_EXISTING);
        if (!ok) break;
        steps.back().placed = true;
    }
    if (ok) {
        for (const Step &step : steps)
            if (!step.backup.empty()) DeleteFileA(step.backup.c_str());
        return true;
    }
    // Back as it was, the last step first. A replaced file that cannot be
    // moved back stays under its backup name: never deleted, so never lost.
    for (size_t i = steps.size(); i-- > 0;) {
        const char *target = files[i].target.c_str();
        if (!steps[i].backup.empty()) MoveFileRetrying(steps[i].backup.c_str(), target, MOVEFILE_REPLACE_EXISTING);
        else if (steps[i].placed) DeleteFileA(target);
    }
    for (const Replacement &file : files) DeleteFileA(file.newPath.c_str());
    return false;
}

std::string SystemFolder() {
    char dir[MAX_PATH] = "";
    GetSystemDirectoryA(dir, sizeof dir);
    std::string folder = dir;
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

bool MusicPathOf(const char *fileName, char *path, size_t size) {
    std::string folder = SystemFolder();
    size_t name = std::strcspn(fileName, ".");
    int n = std::snprintf(path, size, "%sSOUND\\%.*s", folder.c_str(), static_cast<int>(name), fileName);
    return name > 0 && n > 0 && static_cast<size_t>(n) < size;
}

CommitResult CommitShow(ShowWriter &writer, const char *musicSource, const SaveProgress &progress) {
    if (!FinishShow(writer)) return CommitResult::kFailed;
    std::vector<Replacement> files{{writer.newPath, writer.showPath}};
    if (musicSource) {
        char music[MAX_PATH], musicNew[MAX_PATH];
        bool named = MusicPathOf(BareName(writer.showPath), music, sizeof music) &&
                     BesideFile(music, "QMSAVER.TMP", musicNew, sizeof musicNew);
        if (named) {
            std::string folder(music, static_cast<size_t>(std::strrchr(music, '\\') - music));
            CreateDirectoryA(folder.c_str(), nullptr);  // an existing one is fine
        }
        CopyResult copied = named ? CopyMusic(musicSource, musicNew, progress) : CopyResult::kFailed;
        if (copied != CopyResult::kCopied) {
            DeleteFileA(writer.newPath);
            return copied == CopyResult::kNoMemory ? CommitResult::kNoMusicMemory : CommitResult::kFailed;
        }
        files.push_back({musicNew, music});
    }
    return PutInPlace(files) ? CommitResult::kCommitted : CommitResult::kFailed;
}
