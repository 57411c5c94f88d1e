// The save-as dialog on a machine without a user: a script gives the path
// the user chooses (or Cancel), every dialog is kept with what the program
// gave it, and the headless run tells the person at the terminal.
#include "comdlg.h"
#include "../testing/hooks.h"

#include <commdlg.h>
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <deque>

namespace headless {
namespace {

struct SaveDialogs {
    std::deque<std::string> answers;
    std::vector<SaveDialogRecord> shown;
    DWORD lastError = 0;  // CommDlgExtendedError
};

SaveDialogs &dialogs() {
    static SaveDialogs d;
    return d;
}

const bool registered = (OnReset([] { dialogs() = SaveDialogs{}; }), true);

void Tell(const char *what, const std::string &path) {
    if (Narrating()) std::fprintf(stderr, "qmsaver: save-as dialog: %s%s\n", what, ToUtf8(path).c_str());
}

// lpstrFilter: pairs of strings, ended by an empty one.
std::vector<std::string> FilterStrings(LPCSTR filter) {
    std::vector<std::string> strings;
    for (const char *p = filter; p && *p; p += std::strlen(p) + 1) strings.push_back(p);
    return strings;
}

size_t NameStart(const std::string &path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? 0 : cut + 1;
}

// The full path an answer names, the default extension added to a name
// typed without one; false when the dialog would stay open instead.
bool ChosenPath(const OPENFILENAMEA &ofn, const std::string &answer, std::string &path) {
    size_t start = NameStart(answer);
    std::string name = answer.substr(start), typedFolder = answer.substr(0, start);
    // A pattern typed as a name only filters the dialog's list.
    if (name.empty() || name.find_first_of("*?") != std::string::npos) return false;
    // A name without a folder is in the folder the dialog shows.
    std::string base;
    if (ofn.lpstrInitialDir && *ofn.lpstrInitialDir) base = ofn.lpstrInitialDir;
    else if (std::string file = ofn.lpstrFile; NameStart(file) > 0) base = file.substr(0, NameStart(file));
    std::string folder = typedFolder;
    bool absolute = typedFolder.size() >= 2 && (typedFolder[1] == ':' || typedFolder[0] == '\\');
    if (!absolute && !base.empty()) folder = base + "\\" + typedFolder;
    std::string full;
    if (!FullDosPath(folder.empty() ? "." : folder, full)) return false;
    if ((ofn.Flags & OFN_PATHMUSTEXIST) && GetFileAttributesA(full.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    if (ofn.lpstrDefExt && *ofn.lpstrDefExt && name.find('.') == std::string::npos)
        name += "." + std::string(ofn.lpstrDefExt).substr(0, 3);
    path = full.back() == '\\' ? full + name : full + "\\" + name;
    return true;
}

}  // namespace

void AnswerSaveDialogs(const std::vector<std::string> &answers) {
    dialogs().answers.assign(answers.begin(), answers.end());
}

const std::vector<SaveDialogRecord> &SaveDialogsShown() { return dialogs().shown; }

}  // namespace headless

using namespace headless;

BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA ofn) {
    SaveDialogs &d = dialogs();
    d.lastError = 0;
    if (!ofn || (ofn->lStructSize != sizeof(OPENFILENAMEA) && ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400A)) {
        d.lastError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (!ofn->lpstrFile || ofn->nMaxFile == 0) {
        d.lastError = CDERR_INITIALIZATION;
        return FALSE;
    }
    if (ofn->Flags & (OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE | OFN_ALLOWMULTISELECT |
                      OFN_FILEMUSTEXIST | OFN_CREATEPROMPT | OFN_NOREADONLYRETURN))
        ReportUnimplemented("save-as dialogs with hooks, templates, several files or file prompts");
    SaveDialogRecord record{ofn->hwndOwner,
                            std::string(ofn->lpstrFile, strnlen(ofn->lpstrFile, ofn->nMaxFile)),
                            FilterStrings(ofn->lpstrFilter),
                            ofn->lpstrDefExt ? ofn->lpstrDefExt : "",
                            ofn->Flags,
                            ofn->lpstrTitle ? ofn->lpstrTitle : "",
                            ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "",
                            ""};
    // The dialog stays open until an answer it takes, or Cancel.
    std::string path;
    for (;;) {
        std::string answer;
        if (!d.answers.empty()) {
            answer = d.answers.front();
            d.answers.pop_front();
        }
        if (answer.empty()) {
            Tell("cancelled", "");
            d.shown.push_back(record);
            return FALSE;
        }
        if (ChosenPath(*ofn, answer, path)) break;
        Tell("not taken: ", answer);
    }
    // A user who chose an existing file with OFN_OVERWRITEPROMPT has said yes to replacing it.
    Tell(GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES && (ofn->Flags & OFN_OVERWRITEPROMPT)
             ? "chose to replace "
             : "chose ",
         path);
    record.answer = path;
    d.shown.push_back(record);
    if (path.size() + 1 > ofn->nMaxFile) {
        // The size needed, in the buffer's first two bytes.
        if (ofn->nMaxFile >= 2) {
            WORD needed = static_cast<WORD>(path.size() + 1);
            std::memcpy(ofn->lpstrFile, &needed, sizeof needed);
        }
        d.lastError = FNERR_BUFFERTOOSMALL;
        return FALSE;
    }
    std::memcpy(ofn->lpstrFile, path.c_str(), path.size() + 1);
    size_t start = NameStart(path);
    std::string name = path.substr(start);
    size_t dot = name.rfind('.');
    ofn->nFileOffset = static_cast<WORD>(start);
    // No extension: the offset of the terminating null; a name ending in a dot: 0.
    if (dot == std::string::npos) ofn->nFileExtension = static_cast<WORD>(path.size());
    else if (dot + 1 == name.size()) ofn->nFileExtension = 0;
    else ofn->nFileExtension = static_cast<WORD>(start + dot + 1);
    if (ofn->lpstrDefExt && dot != std::string::npos && strcasecmp(name.c_str() + dot + 1, ofn->lpstrDefExt) != 0)
        ofn->Flags |= OFN_EXTENSIONDIFFERENT;
    if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > name.size()) std::memcpy(ofn->lpstrFileTitle, name.c_str(), name.size() + 1);
    return TRUE;
}

DWORD WINAPI CommDlgExtendedError() { return dialogs().lastError; }
