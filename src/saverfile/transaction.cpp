#include "saverfile/transaction.h"

#include "saverfile/places.h"
#include "text/text.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr long kMusicChunk = 102400;
// A file held by another program is usually let go within a fraction of a
// second; longer than that, the save is reported as failed.
constexpr DWORD kMoveRetryWait = 50;

bool Exists(const std::string &path) { return IsFile(path.c_str()); }

enum class CopyResult { kCopied, kFailed, kNoMemory };

// Copies the WAV file source into newPath, complete on the disk, in
// 102400-byte pieces; with nothing left behind when it cannot.
CopyResult CopyMusic(const char *source, const char *newPath, const SaveProgress &progress) {
    // The track first: without it nothing is written at all.
    HFILE from = OpenForReading(source);
    HFILE to = from == HFILE_ERROR ? HFILE_ERROR : CreateAnew(newPath);
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
    if (result != CopyResult::kCopied && to != HFILE_ERROR) RemoveFile(newPath);
    return result;
}

}  // namespace

bool MoveFileRetrying(const char *from, const char *to, DWORD flags) {
    for (int attempt = 1;; attempt++) {
        if (MoveFileTo(from, to, flags | MOVEFILE_WRITE_THROUGH)) return true;
        DWORD error = GetLastError();
        bool heldByAnother = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
                             error == ERROR_LOCK_VIOLATION;
        if (!heldByAnother || attempt == kMoveAttempts) return false;
        Sleep(kMoveRetryWait);
    }
}

namespace {

// The record of a save in progress, beside the show: a mode byte (F while
// the new files go in, U once they are being taken out again), a line per
// file (whether the target was there, the new version, the backup, the
// target), and "end". Written and flushed before the first file moves, it
// lets the next start finish or undo a save the process never came back
// from; only a complete record says that anything may have moved.
struct Journal {
    std::string path;
    bool undo = false;
    struct Line {
        bool hadOld;
        std::string newPath, backup, target;
    };
    std::vector<Line> lines;
};

bool WriteJournal(const Journal &journal) {
    std::string text = journal.undo ? "U\r\n" : "F\r\n";
    for (const Journal::Line &l : journal.lines)
        text += (l.hadOld ? "1\t" : "0\t") + l.newPath + "\t" + l.backup + "\t" + l.target + "\r\n";
    text += "end\r\n";
    HFILE file = CreateAnew(journal.path.c_str());
    if (file == HFILE_ERROR) return false;
    bool ok = _hwrite(file, text.data(), static_cast<long>(text.size())) == static_cast<long>(text.size()) &&
              FlushFileBuffers(reinterpret_cast<HANDLE>(static_cast<intptr_t>(file)));
    ok = _lclose(file) == 0 && ok;
    if (!ok) RemoveFile(journal.path.c_str());
    return ok;
}

// Turns the record to undoing: one byte, rewritten in place.
bool MarkJournalUndo(const Journal &journal) {
    HFILE file = OpenForUpdate(journal.path.c_str());
    if (file == HFILE_ERROR) return false;
    bool ok = _hwrite(file, "U", 1) == 1 && FlushFileBuffers(reinterpret_cast<HANDLE>(static_cast<intptr_t>(file)));
    return _lclose(file) == 0 && ok;
}

// False for a record cut short, or none.
bool ReadJournal(Journal &journal) {
    HFILE file = OpenForReading(journal.path.c_str());
    if (file == HFILE_ERROR) return false;
    std::string text;
    char buffer[1024];
    for (long got; (got = _hread(file, buffer, sizeof buffer)) > 0 && text.size() < 65536;)
        text.append(buffer, static_cast<size_t>(got));
    _lclose(file);
    if (text.size() < 3 || (text[0] != 'F' && text[0] != 'U')) return false;
    journal.undo = text[0] == 'U';
    size_t at = text.find("\r\n") + 2;
    for (size_t next; (next = text.find("\r\n", at)) != std::string::npos; at = next + 2) {
        std::string line = text.substr(at, next - at);
        if (line == "end") return true;
        size_t a = line.find('\t'), b = line.find('\t', a + 1), c = b == std::string::npos ? b : line.find('\t', b + 1);
        if (a != 1 || b == std::string::npos || c == std::string::npos) return false;
        journal.lines.push_back({line[0] == '1', line.substr(a + 1, b - a - 1), line.substr(b + 1, c - b - 1),
                                 line.substr(c + 1)});
    }
    return false;
}

// Takes every file back to what it was before the save; false when a
// replaced file could not be moved back (*kept names where it waits).
bool Undo(const Journal &journal, std::string *kept) {
    bool restored = true;
    for (size_t i = journal.lines.size(); i-- > 0;) {
        const Journal::Line &l = journal.lines[i];
        if (l.hadOld) {
            if (Exists(l.backup) && !MoveFileRetrying(l.backup.c_str(), l.target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
                restored = false;
                if (kept) *kept = l.backup;
            }
        } else if (!Exists(l.newPath) && Exists(l.target)) {
            // The target was not there before the save: what stands there now is the new version.
            RemoveFile(l.target.c_str());
        }
        if (Exists(l.newPath)) RemoveFile(l.newPath.c_str());
    }
    return restored;
}

// Puts whatever is still to go in place; false when a move fails.
bool Redo(const Journal &journal) {
    for (const Journal::Line &l : journal.lines) {
        if (!Exists(l.newPath)) continue;
        if (Exists(l.target) && !Exists(l.backup) &&
            !MoveFileRetrying(l.target.c_str(), l.backup.c_str(), MOVEFILE_REPLACE_EXISTING))
            return false;
        if (!MoveFileRetrying(l.newPath.c_str(), l.target.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    }
    for (const Journal::Line &l : journal.lines)
        if (Exists(l.backup)) RemoveFile(l.backup.c_str());
    return true;
}

}  // namespace

PlaceResult PutInPlace(const std::vector<Replacement> &files, std::string *kept) {
    Journal journal;
    journal.path = ShowFolder() + kJournalName;
    auto dropNew = [&files] {
        for (const Replacement &f : files) RemoveFile(f.newPath.c_str());
    };
    for (const Replacement &file : files) {
        char backup[kPathBytes];
        if (!BesideFile(file.target.c_str(), kBackupName, backup, sizeof backup)) {
            dropNew();
            return PlaceResult::kFailed;
        }
        journal.lines.push_back({Exists(file.target), file.newPath, backup, file.target});
    }
    if (!WriteJournal(journal)) {
        dropNew();
        return PlaceResult::kFailed;
    }
    bool ok = true;
    for (const Journal::Line &l : journal.lines) {
        ok = (!l.hadOld || MoveFileRetrying(l.target.c_str(), l.backup.c_str(), MOVEFILE_REPLACE_EXISTING)) &&
             MoveFileRetrying(l.newPath.c_str(), l.target.c_str(), MOVEFILE_REPLACE_EXISTING);
        if (!ok) break;
    }
    if (ok) {
        for (const Journal::Line &l : journal.lines)
            if (l.hadOld) RemoveFile(l.backup.c_str());
        RemoveFile(journal.path.c_str());
        return PlaceResult::kPlaced;
    }
    // Back as it was, the last step first. A replaced file that cannot be
    // moved back stays under its backup name, and the record stays too, so
    // the next start tries again: never deleted, so never lost.
    journal.undo = true;
    MarkJournalUndo(journal);
    if (!Undo(journal, kept)) return PlaceResult::kNotRestored;
    RemoveFile(journal.path.c_str());
    return PlaceResult::kFailed;
}

void FinishInterruptedSave() {
    std::string folder = ShowFolder();
    Journal journal;
    journal.path = folder + kJournalName;
    if (Exists(journal.path)) {
        // A record cut short was being written: nothing had moved yet.
        if (!ReadJournal(journal)) journal = Journal{journal.path, true, {}};
        if (journal.undo ? !Undo(journal, nullptr) : !Redo(journal)) return;  // tried again at the next start
        RemoveFile(journal.path.c_str());
    }
    // New versions written before the record was: the save never got to move anything.
    for (const std::string &left : {folder + kNewVersionName, folder + "SOUND\\" + kNewVersionName})
        if (Exists(left)) RemoveFile(left.c_str());
}

CommitResult CommitShow(ShowWriter &writer, const char *musicSource, const SaveProgress &progress, std::string *kept) {
    if (!FinishShow(writer)) return CommitResult::kFailed;
    std::vector<Replacement> files{{writer.newPath, writer.showPath}};
    if (musicSource) {
        char music[kPathBytes], musicNew[MAX_PATH];
        bool named = MusicPathOf(writer.showPath, music, sizeof music) &&
                     BesideFile(music, kNewVersionName, musicNew, sizeof musicNew);
        if (named) {
            std::string folder(music, static_cast<size_t>(std::strrchr(music, '\\') - music));
            MakeFolder(folder.c_str());  // an existing one is fine
        }
        CopyResult copied = named ? CopyMusic(musicSource, musicNew, progress) : CopyResult::kFailed;
        if (copied != CopyResult::kCopied) {
            RemoveFile(writer.newPath);
            return copied == CopyResult::kNoMemory ? CommitResult::kNoMusicMemory : CommitResult::kFailed;
        }
        files.push_back({musicNew, music});
    }
    switch (PutInPlace(files, kept)) {
    case PlaceResult::kPlaced: return CommitResult::kCommitted;
    case PlaceResult::kNotRestored: return CommitResult::kNotRestored;
    default: return CommitResult::kFailed;
    }
}
