// The save-as dialog on a machine without a user: a script gives the path
// the user chooses (or Cancel), every dialog is kept with what the program
// gave it, and the headless run tells the person at the terminal.
#include "comdlg.h"
#include "../testing/hooks.h"

#include <commdlg.h>

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
    if (Narrating()) std::fprintf(stderr, "qmsaver: save-as dialog: %s%s\n", what, path.c_str());
}

// The dialog's texts as UTF-8.
std::string Text(LPCWSTR text) { return Utf8(text); }
size_t Length(LPCWSTR text) {
    size_t n = 0;
    while (text[n]) n++;
    return n;
}
// How many WCHARs a UTF-8 text takes.
size_t Units(const std::string &text) { return Utf16(text).size(); }

// lpstrFilter: pairs of strings, ended by an empty one.
std::vector<std::string> FilterStrings(LPCWSTR filter) {
    std::vector<std::string> strings;
    for (LPCWSTR p = filter; p && *p; p += Length(p) + 1) strings.push_back(Text(p));
    return strings;
}

struct Request {
    std::string file, defExt, initialDir;
    DWORD flags;
};

size_t NameStart(const std::string &path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? 0 : cut + 1;
}

// The full path an answer names, the default extension added to a name
// typed without one; false when the dialog would stay open instead.
bool ChosenPath(const Request &ofn, const std::string &answer, std::string &path) {
    size_t start = NameStart(answer);
    std::string name = answer.substr(start), typedFolder = answer.substr(0, start);
    // A pattern typed as a name only filters the dialog's list.
    if (name.empty() || name.find_first_of("*?") != std::string::npos) return false;
    // A name without a folder is in the folder the dialog shows.
    std::string base;
    if (!ofn.initialDir.empty()) base = ofn.initialDir;
    else if (const std::string &file = ofn.file; NameStart(file) > 0) base = file.substr(0, NameStart(file));
    std::string folder = typedFolder;
    bool absolute = typedFolder.size() >= 2 && (typedFolder[1] == ':' || typedFolder[0] == '\\');
    if (!absolute && !base.empty()) folder = base + "\\" + typedFolder;
    std::string full;
    if (!FullDosPath(folder.empty() ? "." : folder, full)) return false;
    if ((ofn.flags & OFN_PATHMUSTEXIST) && GetFileAttributesW(Utf16(full).c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    if (!ofn.defExt.empty() && name.find('.') == std::string::npos) {
        std::u32string ext = Chars(ofn.defExt);
        name += "." + Utf8(ext.substr(0, 3));
    }
    path = full.back() == '\\' ? full + name : full + "\\" + name;
    return true;
}

BOOL SaveFileName(LPOPENFILENAMEW ofn) {
    SaveDialogs &d = dialogs();
    d.lastError = 0;
    if (!ofn || (ofn->lStructSize != sizeof(OPENFILENAMEW) && ofn->lStructSize != OPENFILENAME_SIZE_VERSION_400W)) {
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
    size_t given = 0;
    while (given < ofn->nMaxFile && ofn->lpstrFile[given]) given++;
    Request request{Utf8(ofn->lpstrFile, static_cast<int>(given)), Text(ofn->lpstrDefExt), Text(ofn->lpstrInitialDir),
                    ofn->Flags};
    SaveDialogRecord record{ofn->hwndOwner,        request.file, FilterStrings(ofn->lpstrFilter), request.defExt,
                            ofn->Flags,            Text(ofn->lpstrTitle), request.initialDir,        ""};
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
        if (ChosenPath(request, answer, path)) break;
        Tell("not taken: ", answer);
    }
    // A user who chose an existing file with OFN_OVERWRITEPROMPT has said yes to replacing it.
    Tell(GetFileAttributesW(Utf16(path).c_str()) != INVALID_FILE_ATTRIBUTES && (ofn->Flags & OFN_OVERWRITEPROMPT)
             ? "chose to replace "
             : "chose ",
         path);
    record.answer = path;
    d.shown.push_back(record);
    size_t pathUnits = Units(path);
    if (pathUnits + 1 > ofn->nMaxFile) {
        // The size needed, in the buffer's first two bytes.
        if (ofn->nMaxFile * sizeof(WCHAR) >= 2) {
            WORD needed = static_cast<WORD>(pathUnits + 1);
            std::memcpy(ofn->lpstrFile, &needed, sizeof needed);
        }
        d.lastError = FNERR_BUFFERTOOSMALL;
        return FALSE;
    }
    CopyOut(path, ofn->lpstrFile, ofn->nMaxFile, true);
    size_t start = NameStart(path);
    std::string name = path.substr(start);
    size_t dot = name.rfind('.');
    ofn->nFileOffset = static_cast<WORD>(Units(path.substr(0, start)));
    // No extension: the offset of the terminating null; a name ending in a dot: 0.
    if (dot == std::string::npos) ofn->nFileExtension = static_cast<WORD>(pathUnits);
    else if (dot + 1 == name.size()) ofn->nFileExtension = 0;
    else ofn->nFileExtension = static_cast<WORD>(Units(path.substr(0, start + dot + 1)));
    if (!request.defExt.empty() && dot != std::string::npos && !SameName(name.substr(dot + 1), request.defExt))
        ofn->Flags |= OFN_EXTENSIONDIFFERENT;
    if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > Units(name))
        CopyOut(name, ofn->lpstrFileTitle, ofn->nMaxFileTitle, true);
    return TRUE;
}

}  // namespace

void AnswerSaveDialogs(const std::vector<std::string> &answers) {
    dialogs().answers.assign(answers.begin(), answers.end());
}

const std::vector<SaveDialogRecord> &SaveDialogsShown() { return dialogs().shown; }

}  // namespace headless

using namespace headless;

BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW ofn) {
    return SaveFileName(ofn);
}

DWORD WINAPI CommDlgExtendedError() { return dialogs().lastError; }
