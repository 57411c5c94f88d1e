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

// What a chooser hands out: the folder's full path.
struct _ITEMIDLIST {
    char path[MAX_PATH];
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
    if (Narrating()) std::fprintf(stderr, "qmsaver: folder chooser: %s%s\n", what, ToUtf8(path).c_str());
}

bool IsFolder(const std::string &path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void AnswerFolderDialogs(const std::vector<std::string> &answers) {
    dialogs().answers.assign(answers.begin(), answers.end());
}

const std::vector<FolderDialogRecord> &FolderDialogsShown() { return dialogs().shown; }

}  // namespace headless

using namespace headless;

HRESULT WINAPI SHGetFolderPathA(HWND, int folder, HANDLE, DWORD, LPSTR path) {
    if (!path) return E_INVALIDARG;
    const char *wanted = nullptr;
    switch (folder & ~CSIDL_FLAG_CREATE) {
    case CSIDL_MYPICTURES: wanted = kPicturesFolder; break;
    case CSIDL_LOCAL_APPDATA: wanted = kLocalAppDataFolder; break;
    default:
        ReportUnimplemented("SHGetFolderPathA of folders other than Pictures and local application data");
        *path = 0;
        return E_INVALIDARG;
    }
    // Every user has them, made with the profile.
    std::string made;
    for (const char *p = std::strchr(wanted, '\\'); p; p = std::strchr(p + 1, '\\')) {
        made.assign(wanted, static_cast<size_t>(p - wanted));
        if (made.size() > 2) CreateDirectoryA(made.c_str(), nullptr);
    }
    CreateDirectoryA(wanted, nullptr);
    std::strcpy(path, wanted);
    return S_OK;
}

PIDLIST_ABSOLUTE WINAPI SHBrowseForFolderA(LPBROWSEINFOA info) {
    if (!info) return nullptr;
    if (info->pidlRoot || info->lpfn || (info->ulFlags & ~static_cast<UINT>(BIF_RETURNONLYFSDIRS)))
        ReportUnimplemented("folder choosers with a root, a callback or flags beyond BIF_RETURNONLYFSDIRS");
    FolderDialogs &d = dialogs();
    FolderDialogRecord record{info->hwndOwner, info->lpszTitle ? info->lpszTitle : "", info->ulFlags, ""};
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
        std::snprintf(info->pszDisplayName, MAX_PATH, "%s", name.c_str());
    }
    return chosen;
}

BOOL WINAPI SHGetPathFromIDListA(PCIDLIST_ABSOLUTE pidl, LPSTR path) {
    if (!pidl || !path) return FALSE;
    std::memcpy(path, pidl->path, std::strlen(pidl->path) + 1);
    return TRUE;
}

HRESULT WINAPI CoInitialize(LPVOID) { return S_OK; }
void WINAPI CoUninitialize() {}
void WINAPI CoTaskMemFree(LPVOID block) { std::free(block); }
