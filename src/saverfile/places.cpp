#include "saverfile/places.h"

#include "text/text.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

const char kNewVersionName[] = "QMSAVER.TMP";
const char kBackupName[] = "QMSAVER.BAK";
const char kJournalName[] = "QMSAVER.JNL";

namespace {

const char kUserFolderName[] = "QM Custom Saver";

std::string WithBackslash(std::string folder) {
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder;
}

}  // namespace

bool IsFile(const char *path) {
    DWORD attributes = path ? FileAttributes(path) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool OnWindows95Family() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExW(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

std::string SystemShowFolder() {
    WCHAR dir[MAX_PATH] = L"";
    UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    return WithBackslash(n > 0 && n < MAX_PATH ? Utf8(dir) : "");
}

std::string ShowFolder() {
    if (OnWindows95Family()) return SystemShowFolder();
    WCHAR local[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, local)) || !*local)
        return SystemShowFolder();
    std::string folder = WithBackslash(Utf8(local)) + kUserFolderName;
    MakeFolder(folder.c_str());  // an existing one is fine
    return folder + '\\';
}

std::string FindShow(const char *name) {
    std::string own = ShowFolder() + (name ? name : "");
    if (!name || !*name || IsFile(own.c_str()) || OnWindows95Family()) return own;
    std::string left = SystemShowFolder() + name;
    return IsFile(left.c_str()) ? left : own;
}

bool MusicPathOf(const char *showPath, char *path, size_t size) {
    const char *slash = std::strrchr(showPath, '\\');
    const char *name = slash ? slash + 1 : showPath;
    size_t stem = std::strcspn(name, ".");
    int n = std::snprintf(path, size, "%.*sSOUND\\%.*s", static_cast<int>(name - showPath), showPath,
                          static_cast<int>(stem), name);
    return stem > 0 && n > 0 && static_cast<size_t>(n) < size;
}

bool IsReservedShowName(const char *name) {
    for (const char *reserved : {kNewVersionName, kBackupName, kJournalName})
        if (SameName(name, reserved)) return true;
    return false;
}
