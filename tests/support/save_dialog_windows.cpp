#include "support/save_dialog.h"

#include <algorithm>
#include <deque>

#include "text/text.h"

namespace {

// The file name box of the explorer-style dialog (cmb13) or of the old one (edt1).
constexpr int kNameCombo = 0x47C;
constexpr int kNameEdit = 0x480;

struct Answering {
    std::deque<std::string> answers;
    std::vector<SaveAsShown> shown;
    std::vector<HWND> seen;
    HWND pending = nullptr;  // a dialog given an answer it has not acted on yet
    DWORD pendingSince = 0;
};
Answering *answering = nullptr;

HWND NameBox(HWND dialog) {
    HWND box = GetDlgItem(dialog, kNameCombo);
    return box ? box : GetDlgItem(dialog, kNameEdit);
}

bool IsDialog(HWND window) {
    WCHAR cls[16] = L"";
    GetClassNameW(window, cls, 16);
    return std::wstring(cls) == L"#32770" && IsWindowVisible(window);
}

void Press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

BOOL CALLBACK Answer(HWND window, LPARAM) {
    if (!IsDialog(window)) return TRUE;
    HWND owner = GetWindow(window, GW_OWNER);
    if (!NameBox(window)) {
        // The dialog's own question (replace the file?) or complaint: Yes, or OK.
        if (owner && NameBox(owner)) Press(window, GetDlgItem(window, IDYES) ? IDYES : IDOK);
        return TRUE;
    }
    // A dialog with a box of its own up takes no answer now.
    if (!IsWindowEnabled(window)) return TRUE;
    Answering &a = *answering;
    if (std::find(a.seen.begin(), a.seen.end(), window) == a.seen.end()) {
        a.seen.push_back(window);
        a.shown.push_back({owner, WindowText(NameBox(window))});
    } else if (a.pending == window && GetTickCount() - a.pendingSince < 500) {
        return TRUE;  // still busy with the last answer
    }
    // A dialog still up after an answer refused it: the user types the next one.
    std::string answer;
    if (!a.answers.empty()) {
        answer = a.answers.front();
        a.answers.pop_front();
    }
    a.pending = window;
    a.pendingSince = GetTickCount();
    if (answer.empty()) {
        Press(window, IDCANCEL);
        return TRUE;
    }
    SetWindowTextUtf8(NameBox(window), answer);
    Press(window, IDOK);
    return TRUE;
}

// Runs inside the dialog's own modal loop.
void CALLBACK LookForDialogs(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), Answer, 0); }

}  // namespace

std::vector<SaveAsShown> AnswerSaveAs(const std::function<void()> &run, std::vector<std::string> answers) {
    Answering a;
    a.answers.assign(answers.begin(), answers.end());
    Answering *outer = answering;
    answering = &a;
    UINT_PTR timer = SetTimer(nullptr, 0, 40, LookForDialogs);
    run();
    KillTimer(nullptr, timer);
    answering = outer;
    return a.shown;
}
