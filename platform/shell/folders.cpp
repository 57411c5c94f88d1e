// The shell's folders on a machine without a user: the Pictures folder on
// drive C:, and a folder chooser whose choices a script gives (or Cancel),
// every chooser kept with what the program gave it.
#include "shell.h"
#include "../testing/hooks.h"

#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>

// What a chooser hands out: the folder's full path, UTF-8.
struct _ITEMIDLIST {
    char path[4 * MAX_PATH];
};

namespace headless {
namespace {

const char kPicturesFolder[] = "C:\\Users\\User\\Pictures";
const char kLocalAppDataFolder[] = "C:\\Users\\User\\AppData\\Local";

struct FolderDialogs {
    std::deque<std::string> answers;
    std::vector<FolderDialogRecord> shown;
};

FolderDialogs &dialogs() {
    static FolderDialogs d;
    return d;
}

const bool registered = (OnReset([] { dialogs() = FolderDialogs{}; }), true);

void Tell(const char *what, const std::string &path) {
    if (Narrating()) std::fprintf(stderr, "qmsaver: folder chooser: %s%s\n", what, path.c_str());
}

bool IsFolder(const std::string &path) {
    DWORD attributes = GetFileAttributesW(Utf16(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void AnswerFolderDialogs(const std::vector<std::string> &answers) {
    dialogs().answers.assign(answers.begin(), answers.end());
}

const std::vector<FolderDialogRecord> &FolderDialogsShown() { return dialogs().shown; }

}  // namespace headless

using namespace headless;

namespace {

HRESULT FolderPath(int folder, LPWSTR path) {
    if (!path) return E_INVALIDARG;
    const char *wanted = nullptr;
    switch (folder & ~CSIDL_FLAG_CREATE) {
    case CSIDL_MYPICTURES: wanted = kPicturesFolder; break;
    case CSIDL_LOCAL_APPDATA: wanted = kLocalAppDataFolder; break;
    default:
        ReportUnimplemented("SHGetFolderPath of folders other than Pictures and local application data");
        *path = 0;
        return E_INVALIDARG;
    }
    // Every user has them, made with the profile.
    std::string made;
    for (const char *p = std::strchr(wanted, '\\'); p; p = std::strchr(p + 1, '\\')) {
        made.assign(wanted, static_cast<size_t>(p - wanted));
        if (made.size() > 2) CreateDirectoryW(Utf16(made).c_str(), nullptr);
    }
    CreateDirectoryW(Utf16(wanted).c_str(), nullptr);
    CopyOut(wanted, path, MAX_PATH, true);
    return S_OK;
}

std::string Text(LPCWSTR text) { return Utf8(text); }

PIDLIST_ABSOLUTE BrowseForFolder(LPBROWSEINFOW info) {
    if (!info) return nullptr;
    if (info->pidlRoot || info->lpfn || (info->ulFlags & ~static_cast<UINT>(BIF_RETURNONLYFSDIRS)))
        ReportUnimplemented("folder choosers with a root, a callback or flags beyond BIF_RETURNONLYFSDIRS");
    FolderDialogs &d = dialogs();
    FolderDialogRecord record{info->hwndOwner, Text(info->lpszTitle), info->ulFlags, ""};
    // The chooser stays open until the user picks a folder that is there, or cancels.
    std::string full;
    for (;;) {
        std::string answer;
        if (!d.answers.empty()) {
            answer = d.answers.front();
            d.answers.pop_front();
        }
        if (answer.empty()) {
            Tell("cancelled", "");
            d.shown.push_back(record);
            return nullptr;
        }
        if (FullDosPath(answer, full) && IsFolder(full)) break;
        Tell("not a folder: ", answer);
    }
    while (full.size() > 3 && full.back() == '\\') full.pop_back();
    Tell("chose ", full);
    record.answer = full;
    d.shown.push_back(record);
    auto *chosen = static_cast<ITEMIDLIST *>(std::calloc(1, sizeof(ITEMIDLIST)));
    if (!chosen || full.size() >= sizeof chosen->path) {
        std::free(chosen);
        return nullptr;
    }
    std::memcpy(chosen->path, full.c_str(), full.size() + 1);
    if (info->pszDisplayName) {
        size_t cut = full.find_last_of('\\');
        std::string name = cut == std::string::npos || full.size() <= 3 ? full : full.substr(cut + 1);
        CopyOut(name, info->pszDisplayName, MAX_PATH, true);
    }
    return chosen;
}

}  // namespace

HRESULT WINAPI SHGetFolderPathW(HWND, int folder, HANDLE, DWORD, LPWSTR path) { return FolderPath(folder, path); }
PIDLIST_ABSOLUTE WINAPI SHBrowseForFolderW(LPBROWSEINFOW info) { return BrowseForFolder(info); }

BOOL WINAPI SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR path) {
    if (!pidl || !path) return FALSE;
    CopyOut(pidl->path, path, MAX_PATH, true);
    return TRUE;
}

HRESULT WINAPI CoInitialize(LPVOID) { return S_OK; }
void WINAPI CoUninitialize() {}
void WINAPI CoTaskMemFree(LPVOID block) { std::free(block); }
