#include "support/folder_dialog.h"

#include <shlobj.h>

#include <algorithm>
#include <deque>

namespace {

// The chooser's tree of folders and the text above it.
constexpr int kFolderTree = 0x3741;
constexpr int kTitle = 0x3742;

struct Answering {
    std::deque<std::string> answers;
    std::vector<FolderChooserShown> shown;
    std::vector<HWND> seen;
};
Answering *answering = nullptr;

BOOL CALLBACK Answer(HWND window, LPARAM) {
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) != "#32770" || !IsWindowVisible(window) || !GetDlgItem(window, kFolderTree)) return TRUE;
    Answering &a = *answering;
    if (std::find(a.seen.begin(), a.seen.end(), window) != a.seen.end()) return TRUE;
    a.seen.push_back(window);
    char title[MAX_PATH] = "";
    GetDlgItemTextA(window, kTitle, title, sizeof title);
    a.shown.push_back({GetWindow(window, GW_OWNER), title});
    std::string answer;
    if (!a.answers.empty()) {
        answer = a.answers.front();
        a.answers.pop_front();
    }
    if (!answer.empty())
        SendMessageA(window, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(answer.c_str()));
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer.empty() ? IDCANCEL : IDOK, BN_CLICKED), 0);
    return TRUE;
}

// Runs inside the chooser's own modal loop.
void CALLBACK LookForChoosers(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), Answer, 0); }

}  // namespace

std::vector<FolderChooserShown> AnswerFolderChoosers(const std::function<void()> &run,
                                                     std::vector<std::string> answers) {
    Answering a;
    a.answers.assign(answers.begin(), answers.end());
    Answering *outer = answering;
    answering = &a;
    UINT_PTR timer = SetTimer(nullptr, 0, 40, LookForChoosers);
    run();
    KillTimer(nullptr, timer);
    answering = outer;
    return a.shown;
}
