// DOS paths on host folders: a drive table maps each drive letter to a
// folder, names are found without regard to case as on FAT and NTFS, and the
// handle-based file calls work on POSIX descriptors. Paths are UTF-8 inside,
// and so are the host's file names.
#include "kernel.h"
#include "../testing/hooks.h"

#include <io.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <cstdio>
#include <cstring>
#include <map>

namespace headless {
namespace {

struct Drive {
    std::string folder;
    UINT type = DRIVE_FIXED;
};

struct OpenHandle {
    int fd = -1;
    std::string dosPath;
};

struct FileSystem {
    std::map<char, Drive> drives;   // upper-case letter -> drive
    std::string current = "C:\\WINDOWS";
    std::vector<OpenHandle> handles;  // HFILE = index + kFirstHandle
    UINT errorMode = 0;
    int writesUntilFailure = -1;      // test hook: the n-th write fails
    int readsUntilFailure = -1;       // test hook: the n-th read fails
    // Test hooks: after this many, moves fail (so many times in a row, with
    // this error) and a close fails (once).
    int renamesUntilFailure = -1;
    int renameFailures = 0;
    DWORD renameError = ERROR_WRITE_FAULT;
    int closesUntilFailure = -1;
    // Folders the user may read but not change, as a standard account meets
    // the Windows folders: upper-case DOS paths with a trailing backslash.
    std::vector<std::u32string> protectedFolders;
    // A power cut after the n-th change to the disk (create, write, flush,
    // move, delete): the process ends there, or with a test the disk takes
    // no further change.
    int stepsUntilStop = -1;
    bool killAtStop = false;
    bool stopped = false;
    // The hidden and system attributes SetFileAttributesW gave, by host
    // path: the host's files have nowhere to keep them.
    std::map<std::string, DWORD> marks;
};

constexpr int kFirstHandle = 3;

FileSystem &fs() {
    static FileSystem f;
    return f;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Makes a DOS path absolute ("C:\A\B") against the current directory and
// resolves "." and "..". Returns false for a path that names no drive.
bool Absolute(const std::string &path, std::string &out) {
    std::string p = path;
    std::string base = fs().current;
    char drive;
    std::string rest;
    if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
        drive = static_cast<char>(std::toupper(static_cast<unsigned char>(p[0])));
        rest = p.substr(2);
        if (rest.empty() || !IsSeparator(rest[0])) {
            // "E:name" is relative to that drive's current directory: its root here,
            // unless it is the current drive.
            std::string dir = (std::toupper(static_cast<unsigned char>(base[0])) == drive) ? base.substr(2) : "\\";
            rest = dir + "\\" + rest;
        }
    } else if (!p.empty() && IsSeparator(p[0])) {
        if (p.size() > 1 && IsSeparator(p[1])) return false;  // no network paths
        drive = base[0];
        rest = p;
    } else {
        drive = base[0];
        rest = base.substr(2) + "\\" + p;
    }
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= rest.size()) {
        size_t j = i;
        while (j < rest.size() && !IsSeparator(rest[j])) j++;
        std::string part = rest.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            // Trailing dots and spaces of a name are dropped, as Windows does.
            while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
            if (!part.empty()) parts.push_back(part);
        }
        i = j + 1;
    }
    out = std::string(1, drive) + ":";
    for (auto &part : parts) out += "\\" + part;
    if (parts.empty()) out += "\\";
    return true;
}

// The host path of an absolute DOS path; each existing component is found
// without regard to case, missing ones are kept as written. spelled, when
// given, gets the DOS path as the disk spells it.
bool HostOf(const std::string &dos, std::string &host, std::string *spelled = nullptr) {
    auto it = fs().drives.find(dos[0]);
    if (it == fs().drives.end()) return false;
    host = it->second.folder;
    if (spelled) *spelled = dos.substr(0, 2);
    size_t i = 3;
    while (i < dos.size()) {
        size_t j = dos.find('\\', i);
        if (j == std::string::npos) j = dos.size();
        std::string part = dos.substr(i, j - i);
        std::string found = part;
        // A name spelled as the disk spells it needs no search of its
        // folder (a folder of thousands would make every open slow).
        struct stat exact;
        DIR *d = lstat((host + "/" + part).c_str(), &exact) == 0 ? nullptr : opendir(host.c_str());
        if (d) {
            while (dirent *e = readdir(d)) {
                if (SameName(e->d_name, part)) {
                    found = e->d_name;
                    if (found == part) break;
                }
            }
            closedir(d);
        }
        host += "/" + found;
        if (spelled) *spelled += "\\" + found;
        i = j + 1;
    }
    if (spelled && spelled->size() == 2) *spelled += "\\";
    return true;
}

bool ResolveHost(const std::string &path, std::string &dos, std::string &host) {
    return !path.empty() && Absolute(path, dos) && HostOf(dos, host);
}

bool IsFile(const std::string &host) {
    struct stat st;
    return stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string &host) {
    struct stat st;
    return stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// What a link to a folder is to Windows: a reparse point, as Wine shows a
// host symbolic link to a directory.
bool IsLinkToFolder(const std::string &host) {
    struct stat st;
    return lstat(host.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && IsDirectory(host);
}

// The attributes SetFileAttributesW gave an entry and the host cannot keep.
DWORD MarksOf(const std::string &host) {
    auto it = fs().marks.find(host);
    return it == fs().marks.end() ? 0 : it->second;
}

OpenHandle *FromHandle(HFILE h) {
    int index = h - kFirstHandle;
    if (index < 0 || index >= static_cast<int>(fs().handles.size()) || fs().handles[index].fd < 0) return nullptr;
    return &fs().handles[index];
}

HFILE NewHandle(int fd, const std::string &dos) {
    auto &hs = fs().handles;
    for (size_t i = 0; i < hs.size(); i++) {
        if (hs[i].fd < 0) {
            hs[i] = {fd, dos};
            return static_cast<HFILE>(i) + kFirstHandle;
        }
    }
    hs.push_back({fd, dos});
    return static_cast<HFILE>(hs.size() - 1) + kFirstHandle;
}

HFILE Fail(DWORD error) {
    SetLastError(error);
    return HFILE_ERROR;
}

// A test can make the disk fill up or go bad: after n more writes (reads)
// every write (read) fails.
bool Allowed(int &n) {
    if (n < 0) return true;
    if (n == 0) return false;
    n--;
    return true;
}

bool IsProtected(const std::string &dos) {
    std::u32string folded = Folded(dos);
    for (const std::u32string &folder : fs().protectedFolders)
        if (folded.compare(0, folder.size(), folder) == 0) return true;
    return false;
}

// Whether a change to the disk may be made: refused after a power cut, and
// in a protected folder.
bool MayChange(const std::string &dos) {
    if (fs().stopped) {
        SetLastError(ERROR_NOT_READY);
        return false;
    }
    if (!dos.empty() && IsProtected(dos)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

// One change made to the disk; the one the power cut comes after stops it all.
void Changed() {
    FileSystem &f = fs();
    if (f.stepsUntilStop <= 0) return;
    if (--f.stepsUntilStop > 0) return;
    if (f.killAtStop) {
        std::fflush(nullptr);
        kill(getpid(), SIGKILL);
    }
    f.stopped = true;
}

// Moves up to bytes through step (a read or a write at an offset), going
// on after interruptions; a read stops early at the end of the file.
template <typename Step>
long Transfer(long bytes, Step step) {
    long total = 0;
    while (total < bytes) {
        ssize_t n = step(total);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetLastError(errno == ENOSPC ? ERROR_DISK_FULL : ERROR_ACCESS_DENIED);
            return HFILE_ERROR;
        }
        if (n == 0) break;
        total += n;
    }
    return total;
}

void CloseAll() {
    for (auto &h : fs().handles)
        if (h.fd >= 0) close(h.fd);
    fs().handles.clear();
}

// Each reset gets a scratch C: drive of its own, removed at the next reset
// and when the process ends.
std::string &scratch() {
    // Never destroyed: the exit handler below still needs it.
    static std::string *path = new std::string;
    return *path;
}

void RemoveScratch() {
    if (scratch().empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(scratch(), ignored);
    scratch().clear();
}

void ResetToScratch();

const bool registered = (OnReset(ResetToScratch), std::atexit(RemoveScratch), true);

}  // namespace

void MapDrive(char letter, const std::string &folder, UINT type) {
    fs().drives[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = Drive{folder, type};
}

void UnmapDrive(char letter) { fs().drives.erase(static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))); }

bool HostPath(const std::string &dosPath, std::string &host) {
    std::string dos;
    return ResolveHost(dosPath, dos, host);
}

bool FullDosPath(const std::string &path, std::string &full) { return !path.empty() && Absolute(path, full); }

void FailWritesAfter(int writes) { fs().writesUntilFailure = writes; }
void FailReadsAfter(int reads) { fs().readsUntilFailure = reads; }
void FailRenamesAfter(int renames, int times, DWORD error) {
    fs().renamesUntilFailure = renames;
    fs().renameFailures = times;
    fs().renameError = error;
}
void FailClosesAfter(int closes) { fs().closesUntilFailure = closes; }
void ProtectFolder(const std::string &dosFolder) {
    std::string full;
    if (!Absolute(dosFolder, full)) return;
    if (full.back() != '\\') full += '\\';
    fs().protectedFolders.push_back(Folded(full));
}
void StopAfterSteps(int steps, bool kill) {
    fs().stepsUntilStop = steps > 0 ? steps : -1;
    fs().killAtStop = kill;
    fs().stopped = false;
}
bool StoppedByPowerCut() { return fs().stopped; }
bool MayChangeFile(const std::string &dosPath) {
    std::string full;
    return MayChange(Absolute(dosPath, full) ? full : dosPath);
}

// A fresh C: drive with the Windows and system directories.
void ResetFiles(const std::string &driveC) {
    CloseAll();
    fs().drives.clear();
    fs().current = "C:\\WINDOWS";
    fs().writesUntilFailure = -1;
    fs().readsUntilFailure = -1;
    FailRenamesAfter(-1, 0, ERROR_WRITE_FAULT);
    fs().closesUntilFailure = -1;
    fs().protectedFolders.clear();
    fs().marks.clear();
    StopAfterSteps(0, false);
    MapDrive('C', driveC, DRIVE_FIXED);
    mkdir(driveC.c_str(), 0755);
    std::string windows, system;
    HostPath("C:\\WINDOWS", windows);
    mkdir(windows.c_str(), 0755);
    HostPath("C:\\WINDOWS\\SYSTEM", system);
    mkdir(system.c_str(), 0755);
    LoadRegistry();
}

namespace {
void ResetToScratch() {
    RemoveScratch();
    char folder[] = "/tmp/qmsaver-c-XXXXXX";
    if (mkdtemp(folder)) scratch() = folder;
    ResetFiles(scratch());
}
}  // namespace

namespace {

// Creates (or empties) a file for reading and writing.
HFILE CreateFileHandle(const std::string &path) {
    std::string dos, host;
    if (!ResolveHost(path, dos, host)) return Fail(ERROR_PATH_NOT_FOUND);
    if (IsDirectory(host)) return Fail(ERROR_ACCESS_DENIED);
    if (!MayChange(dos)) return HFILE_ERROR;
    int fd = open(host.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return Fail(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
    Changed();
    return NewHandle(fd, dos);
}

// Opens an existing file for reading, writing or both.
HFILE OpenFileHandle(const std::string &dos, const std::string &host, bool read, bool write) {
    int access = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    if (write && !MayChange(dos)) return HFILE_ERROR;
    int fd = open(host.c_str(), access | O_CLOEXEC);
    if (fd < 0) return Fail(ERROR_ACCESS_DENIED);
    return NewHandle(fd, dos);
}

// CreateFileW's two ways: an existing file opened, or a file made anew.
HFILE CreateOrOpen(const std::string &path, DWORD access, DWORD disposition) {
    if (disposition == CREATE_ALWAYS) {
        std::string dos, host;
        bool existed = ResolveHost(path, dos, host) && IsFile(host);
        HFILE file = CreateFileHandle(path);
        // Made over an old file: it succeeds, and says so.
        if (file != HFILE_ERROR) SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
        return file;
    }
    if (disposition != OPEN_EXISTING) {
        ReportUnimplemented("CreateFileW with a disposition other than OPEN_EXISTING or CREATE_ALWAYS");
        SetLastError(ERROR_INVALID_PARAMETER);
        return HFILE_ERROR;
    }
    std::string dos, host;
    if (!ResolveHost(path, dos, host)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return HFILE_ERROR;
    }
    if (IsDirectory(host)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return HFILE_ERROR;
    }
    if (!IsFile(host)) {
        std::string folder = host.substr(0, host.rfind('/'));
        SetLastError(IsDirectory(folder) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return HFILE_ERROR;
    }
    return OpenFileHandle(dos, host, (access & GENERIC_READ) != 0, (access & GENERIC_WRITE) != 0);
}

}  // namespace
}  // namespace headless

using namespace headless;

HANDLE WINAPI CreateFileW(LPCWSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD,
                          HANDLE) {
    if (!path || !*path) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    HFILE file = CreateOrOpen(Utf8(path), access, disposition);
    return file == HFILE_ERROR ? INVALID_HANDLE_VALUE : LongToHandle(file);
}

DWORD WINAPI GetFullPathNameW(LPCWSTR name, DWORD size, LPWSTR buffer, LPWSTR *filePart) {
    std::string full;
    if (!name || !*name || !Absolute(Utf8(name), full)) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    size_t n = CopyOut(full, buffer, size, false);
    if (!buffer || n >= size) return static_cast<DWORD>(n);
    if (filePart) {
        WCHAR *slash = nullptr;
        for (WCHAR *p = buffer; *p; p++)
            if (*p == L'\\') slash = p;
        *filePart = slash && slash[1] ? slash + 1 : nullptr;
    }
    return static_cast<DWORD>(n);
}

long WINAPI _hread(HFILE file, LPVOID buffer, long bytes) {
    OpenHandle *h = FromHandle(file);
    if (!h || bytes < 0 || (!buffer && bytes)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return HFILE_ERROR;
    }
    if (bytes > 0 && !Allowed(fs().readsUntilFailure)) {
        SetLastError(ERROR_READ_FAULT);
        return HFILE_ERROR;
    }
    return Transfer(bytes, [&](long done) {
        return read(h->fd, static_cast<char *>(buffer) + done, static_cast<size_t>(bytes - done));
    });
}

UINT WINAPI _lread(HFILE file, LPVOID buffer, UINT bytes) {
    long n = _hread(file, buffer, static_cast<long>(bytes));
    return n < 0 ? static_cast<UINT>(HFILE_ERROR) : static_cast<UINT>(n);
}

long WINAPI _hwrite(HFILE file, LPCSTR buffer, long bytes) {
    OpenHandle *h = FromHandle(file);
    if (!h || bytes < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return HFILE_ERROR;
    }
    if (bytes == 0) {
        // Writing nothing cuts the file at the current position.
        off_t pos = lseek(h->fd, 0, SEEK_CUR);
        if (pos < 0 || ftruncate(h->fd, pos) != 0) return HFILE_ERROR;
        return 0;
    }
    if (!MayChange("")) return HFILE_ERROR;
    if (!Allowed(fs().writesUntilFailure)) {
        SetLastError(ERROR_DISK_FULL);
        return HFILE_ERROR;
    }
    long written = Transfer(bytes, [&](long done) {
        return write(h->fd, buffer + done, static_cast<size_t>(bytes - done));
    });
    if (written > 0) Changed();
    return written;
}

UINT WINAPI _lwrite(HFILE file, LPCSTR buffer, UINT bytes) {
    long n = _hwrite(file, buffer, static_cast<long>(bytes));
    return n < 0 ? static_cast<UINT>(HFILE_ERROR) : static_cast<UINT>(n);
}

LONG WINAPI _llseek(HFILE file, LONG offset, int origin) {
    OpenHandle *h = FromHandle(file);
    if (!h || origin < FILE_BEGIN || origin > FILE_END) {
        SetLastError(ERROR_INVALID_HANDLE);
        return HFILE_ERROR;
    }
    off_t base = origin == FILE_BEGIN ? 0 : lseek(h->fd, 0, origin == FILE_CURRENT ? SEEK_CUR : SEEK_END);
    if (base < 0 || base + offset < 0 || base + offset > 0x7FFFFFFF) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return HFILE_ERROR;
    }
    off_t pos = lseek(h->fd, base + offset, SEEK_SET);
    return pos < 0 ? HFILE_ERROR : static_cast<LONG>(pos);
}

HFILE WINAPI _lclose(HFILE file) {
    OpenHandle *h = FromHandle(file);
    if (!h) {
        SetLastError(ERROR_INVALID_HANDLE);
        return HFILE_ERROR;
    }
    int closed = close(h->fd);
    h->fd = -1;
    // A close made to fail, as one whose delayed writes could not be done.
    if (closed == 0 && !Allowed(fs().closesUntilFailure)) {
        fs().closesUntilFailure = -1;
        SetLastError(ERROR_WRITE_FAULT);
        return HFILE_ERROR;
    }
    if (closed != 0) {
        SetLastError(errno == ENOSPC ? ERROR_DISK_FULL : ERROR_ACCESS_DENIED);
        return HFILE_ERROR;
    }
    return 0;
}

// A file handle's data on the disk.
BOOL WINAPI FlushFileBuffers(HANDLE file) {
    OpenHandle *h = FromHandle(static_cast<HFILE>(reinterpret_cast<intptr_t>(file)));
    if (!h) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!MayChange("") || fsync(h->fd) != 0) return FALSE;
    Changed();
    return TRUE;
}

// A descriptor of the C runtime takes a file handle over, as on
// Windows: the handle is spent, and closing the descriptor closes the file.
int _open_osfhandle(intptr_t osHandle, int) {
    OpenHandle *h = (osHandle >= INT32_MIN && osHandle <= INT32_MAX) ? FromHandle(static_cast<HFILE>(osHandle)) : nullptr;
    if (!h) {
        errno = EBADF;
        return -1;
    }
    int fd = h->fd;
    h->fd = -1;
    return fd;
}

int _close(int fd) { return close(fd); }

FILE *_fdopen(int fd, const char *mode) { return fdopen(fd, mode); }

// Too small a buffer: the size needed, terminator included, and nothing copied.
static UINT CopyPath(const std::string &path, LPWSTR buffer, UINT size) {
    return static_cast<UINT>(CopyOut(path, buffer, size, false));
}

UINT WINAPI GetSystemDirectoryW(LPWSTR buffer, UINT size) { return CopyPath("C:\\WINDOWS\\SYSTEM", buffer, size); }
UINT WINAPI GetWindowsDirectoryW(LPWSTR buffer, UINT size) { return CopyPath("C:\\WINDOWS", buffer, size); }

BOOL WINAPI SetCurrentDirectoryW(LPCWSTR path) {
    std::string dos, host;
    if (!path || !ResolveHost(Utf8(path), dos, host) || !IsDirectory(host)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    // Kept as the disk spells it.
    HostOf(dos, host, &fs().current);
    return TRUE;
}

DWORD WINAPI GetCurrentDirectoryW(DWORD size, LPWSTR buffer) { return CopyPath(fs().current, buffer, size); }

BOOL WINAPI CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES) {
    std::string dos, host;
    if (!path || !ResolveHost(Utf8(path), dos, host)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (IsDirectory(host) || IsFile(host)) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    if (!MayChange(dos)) return FALSE;
    if (mkdir(host.c_str(), 0755) != 0) {
        SetLastError(errno == EEXIST ? ERROR_ALREADY_EXISTS : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI RemoveDirectoryW(LPCWSTR path) {
    std::string dos, host;
    // A link to a folder goes, not the folder it leads to.
    if (!path || !ResolveHost(Utf8(path), dos, host) || !IsDirectory(host) ||
        (IsLinkToFolder(host) ? unlink(host.c_str()) : rmdir(host.c_str())) != 0) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    fs().marks.erase(host);
    return TRUE;
}

BOOL WINAPI DeleteFileW(LPCWSTR path) {
    std::string dos, host;
    if (!path || !ResolveHost(Utf8(path), dos, host) || !IsFile(host)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (!MayChange(dos)) return FALSE;
    if (unlink(host.c_str()) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    Changed();
    return TRUE;
}

// Replacing a file is one rename: the target is the old file or the new one,
// never neither, whenever the program stops.
BOOL WINAPI MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
    std::string fromDos, fromHost, toDos, toHost;
    if (!from || !to || !ResolveHost(Utf8(from), fromDos, fromHost) || !ResolveHost(Utf8(to), toDos, toHost) ||
        access(fromHost.c_str(), F_OK) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    FileSystem &f = fs();
    if (!MayChange(fromDos) || !MayChange(toDos)) return FALSE;
    if (!Allowed(f.renamesUntilFailure)) {
        if (--f.renameFailures <= 0) f.renamesUntilFailure = -1;
        else f.renamesUntilFailure = 0;
        SetLastError(f.renameError);
        return FALSE;
    }
    if (access(toHost.c_str(), F_OK) == 0) {
        if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        if (IsDirectory(toHost)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    if (rename(fromHost.c_str(), toHost.c_str()) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (flags & MOVEFILE_WRITE_THROUGH) {
        // The new name on the disk before the call returns.
        int dir = open(toHost.substr(0, toHost.rfind('/')).c_str(), O_RDONLY | O_DIRECTORY);
        if (dir >= 0) {
            fsync(dir);
            close(dir);
        }
    }
    Changed();
    return TRUE;
}

DWORD WINAPI GetFileAttributesW(LPCWSTR path) {
    std::string dos, host;
    if (!path || !ResolveHost(Utf8(path), dos, host)) return INVALID_FILE_ATTRIBUTES;
    if (IsDirectory(host))
        return FILE_ATTRIBUTE_DIRECTORY | MarksOf(host) | (IsLinkToFolder(host) ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
    if (IsFile(host)) return MarksOf(host) ? MarksOf(host) : FILE_ATTRIBUTE_NORMAL;
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
}

// Only the hidden and system attributes are kept (of files and folders
// alike); the others are taken and forgotten, as a FAT disk's archive bit
// would be here.
BOOL WINAPI SetFileAttributesW(LPCWSTR path, DWORD attributes) {
    std::string dos, host;
    if (!path || !ResolveHost(Utf8(path), dos, host) || (!IsDirectory(host) && !IsFile(host))) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (!MayChange(dos)) return FALSE;
    DWORD marks = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (marks) fs().marks[host] = marks;
    else fs().marks.erase(host);
    return TRUE;
}

UINT WINAPI GetDriveTypeW(LPCWSTR root) {
    std::string r = root ? Utf8(root) : fs().current.substr(0, 3);
    if (r.size() < 2 || r[1] != ':') return DRIVE_NO_ROOT_DIR;
    auto it = fs().drives.find(static_cast<char>(std::toupper(static_cast<unsigned char>(r[0]))));
    return it == fs().drives.end() ? DRIVE_NO_ROOT_DIR : it->second.type;
}

UINT WINAPI SetErrorMode(UINT mode) {
    UINT previous = fs().errorMode;
    fs().errorMode = mode;
    return previous;
}

// ---- file search ------------------------------------------------------------------

namespace headless {
namespace {

constexpr uintptr_t kFirstSearch = 0x6000000;

// An entry a search found: what WIN32_FIND_DATA says of it, its names apart.
struct Found {
    WIN32_FIND_DATAW data{};  // names left empty
    std::string name, alias;
};

// What FindFirstFile found, handed out one entry at a time.
struct FileSearch {
    std::vector<Found> found;
    size_t next = 0;
};

struct Searches {
    std::map<uintptr_t, FileSearch> open;
    uintptr_t next = kFirstSearch;
    std::function<void()> eachEntry;  // a slow drive's step before each entry FindNextFileW hands out
};

Searches &searches() {
    static Searches s;
    return s;
}

const bool searchesRegistered = (OnReset([] { searches() = Searches{}; }), true);

// '*' stands for any run of characters, '?' for exactly one.
bool Glob(const std::u32string &pattern, const std::u32string &name) {
    size_t p = 0, n = 0, star = SIZE_MAX, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            p++, n++;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != SIZE_MAX) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') p++;
    return p == pattern.size();
}

bool Matches(const std::string &pattern, const std::string &name) {
    std::u32string p = Folded(pattern), n = Folded(name);
    if (Glob(p, n)) return true;
    // "*.*" and "name.*" also take names without an extension.
    return p.size() >= 2 && p[p.size() - 2] == '.' && p.back() == '*' && name.find('.') == std::string::npos &&
           Glob(std::u32string(p.begin(), p.end() - 2), n);
}

// How many bytes a character takes in the short name (code page 932); 0
// for one that page lacks.
size_t AnsiWidth(char32_t c) {
    if (c < 0x80) return 1;
    bool lossy = false;
    std::string ansi = ToAnsi(Utf8(std::u32string(1, c)), &lossy);
    return lossy ? 0 : ansi.size();
}

bool IsShortNameChar(char32_t c) {
    return c >= 0x80 ? AnsiWidth(c) > 0 : (c > ' ' && !std::strchr("\"*+,/:;<=>?[\\]|.", static_cast<int>(c)));
}

// The 8.3 alias of a long name ("Long Name File.qms" -> "LONGNA~1.QMS"), or
// "" for a name that is a short name already. Its lengths count code page
// 932 bytes, as FAT keeps short names.
std::string ShortAlias(const std::string &name) {
    size_t dot = name.rfind('.');
    std::u32string base = Chars(dot == std::string::npos || dot == 0 ? name : name.substr(0, dot));
    std::u32string ext = Chars(dot == std::string::npos || dot == 0 ? "" : name.substr(dot + 1));
    auto bytes = [](const std::u32string &part) {
        size_t n = 0;
        for (char32_t c : part) n += std::max<size_t>(1, AnsiWidth(c));
        return n;
    };
    auto valid = [](const std::u32string &part) { return std::all_of(part.begin(), part.end(), IsShortNameChar); };
    if (!base.empty() && bytes(base) <= 8 && bytes(ext) <= 3 && valid(base) && valid(ext)) return "";
    auto squeeze = [](const std::u32string &part, size_t limit) {
        std::u32string out;
        size_t used = 0;
        for (char32_t c : part) {
            if (c == ' ' || c == '.') continue;
            char32_t put = IsShortNameChar(c) ? UpperCase(c) : U'_';
            size_t width = std::max<size_t>(1, AnsiWidth(put));
            if (used + width > limit) break;
            out.push_back(put);
            used += width;
        }
        return Utf8(out);
    };
    std::string alias = squeeze(base, 6) + "~1";
    std::string shortExt = squeeze(ext, 3);
    return shortExt.empty() ? alias : alias + "." + shortExt;
}

// Windows counts file times in 100-nanosecond steps from 1601.
FILETIME ToFileTime(const timespec &t) {
    uint64_t ticks = (static_cast<uint64_t>(t.tv_sec) + 11644473600ULL) * 10000000ULL + t.tv_nsec / 100;
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// The entry at host, which is named name; folder, when open, is the folder
// it is in, which the entry is then looked up in by its name alone
// (a search of a large folder would otherwise walk the whole path for
// each of its entries).
bool Describe(const std::string &host, const std::string &name, bool readOnlyDrive, Found &found,
              int folder = AT_FDCWD) {
    const char *at = folder == AT_FDCWD ? host.c_str() : name.c_str();
    struct stat st;
    if (fstatat(folder, at, &st, 0) != 0 || Utf16(name).size() >= MAX_PATH) return false;
    found = Found{};
    WIN32_FIND_DATAW &data = found.data;
    if (S_ISDIR(st.st_mode)) {
        data.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
        if (IsLinkToFolder(host)) data.dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    } else {
        data.dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE;
        // Read-only is the file's own mark, the same for every user: no one may write it.
        if (readOnlyDrive || !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
            data.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
        data.nFileSizeHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_size) >> 32);
        data.nFileSizeLow = static_cast<DWORD>(st.st_size);
    }
    data.dwFileAttributes |= MarksOf(host);
    data.ftCreationTime = ToFileTime(st.st_ctim);
    data.ftLastAccessTime = ToFileTime(st.st_atim);
    data.ftLastWriteTime = ToFileTime(st.st_mtim);
    found.name = name;
    if (name != "." && name != "..") found.alias = ShortAlias(name);
    return true;
}

// The entries of a folder a pattern names, in the order NTFS lists them:
// "." and ".." first (not in a drive's root), then by name without regard to case.
bool FindEntries(const std::string &pattern, std::vector<Found> &found, DWORD &error) {
    error = ERROR_PATH_NOT_FOUND;
    std::string dos, folderHost;
    if (pattern.empty() || !Absolute(pattern, dos)) return false;
    size_t cut = dos.rfind('\\');
    std::string folder = cut <= 2 ? dos.substr(0, 3) : dos.substr(0, cut);
    std::string name = dos.substr(cut + 1);
    if (!HostOf(folder, folderHost) || !IsDirectory(folderHost)) return false;
    error = ERROR_FILE_NOT_FOUND;
    // A folder named with a separator after it names no entry.
    if (IsSeparator(pattern.back()) || name.empty()) return false;
    auto it = fs().drives.find(dos[0]);
    bool readOnlyDrive = it != fs().drives.end() && it->second.type == DRIVE_CDROM;
    if (name.find_first_of("*?") == std::string::npos) {
        std::string host, spelled;
        HostOf(dos, host, &spelled);
        Found entry;
        if (!Describe(host, spelled.substr(spelled.rfind('\\') + 1), readOnlyDrive, entry)) return false;
        found.push_back(entry);
        return true;
    }
    std::vector<std::string> names;
    if (folder.size() > 3)
        for (const char *dots : {".", ".."})
            if (Matches(name, dots)) names.push_back(dots);
    // Each name folded once, for the match and for the order.
    const bool everything = name == "*" || name == "*.*";
    std::vector<std::pair<std::u32string, std::string>> entries;  // folded, as the disk spells it
    DIR *d = opendir(folderHost.c_str());
    if (d) {
        while (dirent *e = readdir(d)) {
            std::string entry = e->d_name;
            if (entry == "." || entry == "..") continue;
            if (!everything && !Matches(name, entry)) {
                std::string alias = ShortAlias(entry);
                if (alias.empty() || !Matches(name, alias)) continue;
            }
            entries.emplace_back(Folded(entry), std::move(entry));
        }
    }
    std::sort(entries.begin(), entries.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (auto &entry : entries) names.push_back(std::move(entry.second));
    for (const std::string &entry : names) {
        Found data;
        if (Describe(folderHost + "/" + entry, entry, readOnlyDrive, data, d ? dirfd(d) : AT_FDCWD))
            found.push_back(data);
    }
    if (d) closedir(d);
    return !found.empty();
}

void Fill(const Found &f, WIN32_FIND_DATAW &data) {
    data = f.data;
    CopyOut(f.name, data.cFileName, MAX_PATH, true);
    CopyOut(f.alias, data.cAlternateFileName, 14, true);
}

HANDLE FindFirst(const std::string &pattern, WIN32_FIND_DATAW *data) {
    FileSearch search;
    DWORD error;
    if (!data || !FindEntries(pattern, search.found, error)) {
        SetLastError(data ? error : ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    Fill(search.found[0], *data);
    search.next = 1;
    uintptr_t h = searches().next;
    searches().next += 4;
    searches().open[h] = std::move(search);
    return reinterpret_cast<HANDLE>(h);
}

BOOL FindNext(HANDLE find, WIN32_FIND_DATAW *data) {
    auto it = searches().open.find(reinterpret_cast<uintptr_t>(find));
    if (it == searches().open.end() || !data) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (searches().eachEntry) {
        std::function<void()> step = searches().eachEntry;  // the step may set another
        step();
        it = searches().open.find(reinterpret_cast<uintptr_t>(find));
        if (it == searches().open.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    FileSearch &s = it->second;
    if (s.next >= s.found.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    Fill(s.found[s.next++], *data);
    return TRUE;
}

}  // namespace

void WhileFolderRead(std::function<void()> step) { searches().eachEntry = std::move(step); }

}  // namespace headless

HANDLE WINAPI FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data) { return FindFirst(Utf8(pattern), data); }
BOOL WINAPI FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data) { return FindNext(find, data); }

BOOL WINAPI FindClose(HANDLE find) {
    if (searches().open.erase(reinterpret_cast<uintptr_t>(find)) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
