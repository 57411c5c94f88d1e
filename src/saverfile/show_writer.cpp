#include "saverfile/show_writer.h"

#include "saverfile/format.h"
#include "saverfile/places.h"
#include "text/text.h"

#include <cstdio>
#include <cstring>

namespace {

bool WriteAll(HFILE file, const void *data, uint32_t size) {
    return size == 0 ||
           _hwrite(file, static_cast<LPCSTR>(data), static_cast<long>(size)) == static_cast<long>(size);
}

}  // namespace

bool BesideFile(const char *path, const char *name, char *out, size_t size) {
    const char *slash = std::strrchr(path, '\\');
    size_t folder = slash ? static_cast<size_t>(slash - path + 1) : 0;
    int n = std::snprintf(out, size, "%.*s%s", static_cast<int>(folder), path, name);
    return n > 0 && static_cast<size_t>(n) < size;
}

bool BeginShow(ShowWriter &w, const char *path) {
    w = ShowWriter{};
    WCHAR full[MAX_PATH];
    DWORD length = GetFullPathNameW(Wide(path).c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) return false;
    CopyText(w.showPath, sizeof w.showPath, Utf8(full));
    if (!BesideFile(w.showPath, kNewVersionName, w.newPath, sizeof w.newPath)) return false;
    w.file = CreateAnew(w.newPath);
    if (w.file == HFILE_ERROR) return false;
    // The count is written last, when it is known; a file stopped before that counts nothing.
    if (!WritePictureCount(w.file, 0)) {
        AbandonShow(w);
        return false;
    }
    w.offset = kFirstRecordOffset;
    return true;
}

bool WriteShowRecord(ShowWriter &w, const void *full, uint32_t fullSize, const void *preview, uint32_t previewSize) {
    if (w.file == HFILE_ERROR || w.records >= kMaxPictures) return false;
    LONG next = NextRecordOffset(w.offset, RecordSizes{fullSize, previewSize});
    if (next < 0 || !WriteRecordSizes(w.file, RecordSizes{fullSize, previewSize}) || !WriteAll(w.file, full, fullSize) ||
        !WriteAll(w.file, preview, previewSize))
        return false;
    w.offset = next;
    w.records++;
    return true;
}

bool FinishShow(ShowWriter &w) {
    if (w.file == HFILE_ERROR) return false;
    bool written = _llseek(w.file, 0, FILE_BEGIN) == 0 && WritePictureCount(w.file, w.records) &&
                   FlushFileBuffers(reinterpret_cast<HANDLE>(static_cast<intptr_t>(w.file)));
    bool closed = _lclose(w.file) == 0;
    w.file = HFILE_ERROR;
    if (!written || !closed) RemoveFile(w.newPath);
    return written && closed;
}

void AbandonShow(ShowWriter &w) {
    if (w.file != HFILE_ERROR) _lclose(w.file);
    w.file = HFILE_ERROR;
    if (w.newPath[0]) RemoveFile(w.newPath);
}
