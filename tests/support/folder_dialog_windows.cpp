#include "support/folder_dialog.h"

#include <shlobj.h>

#include <algorithm>
#include <deque>

#include "text/text.h"

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
    WCHAR cls[16] = L"";
    GetClassNameW(window, cls, 16);
    if (std::wstring(cls) != L"#32770" || !IsWindowVisible(window) || !GetDlgItem(window, kFolderTree)) return TRUE;
    Answering &a = *answering;
    if (std::find(a.seen.begin(), a.seen.end(), window) != a.seen.end()) return TRUE;
    a.seen.push_back(window);
    a.shown.push_back({GetWindow(window, GW_OWNER), ItemText(window, kTitle)});
    std::string answer;
    if (!a.answers.empty()) {
        answer = a.answers.front();
        a.answers.pop_front();
    }
    if (!answer.empty()) {
        std::wstring folder = Wide(answer);
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
    }
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(answer.empty() ? IDCANCEL : IDOK, BN_CLICKED), 0);
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
