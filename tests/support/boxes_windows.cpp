#include "support/boxes.h"

#include "text/text.h"

namespace {

std::vector<ShownBox> *collected = nullptr;
std::vector<HWND> answered;  // a box stays up until its answer arrives
std::vector<int> answers;     // still to give, in order
std::function<void()> whileUp;

BOOL CALLBACK NoteOtherControl(HWND child, LPARAM other) {
    WCHAR cls[16] = L"";
    GetClassNameW(child, cls, 16);
    if (lstrcmpiW(cls, L"Button") != 0 && lstrcmpiW(cls, L"Static") != 0) *reinterpret_cast<bool *>(other) = true;
    return TRUE;
}

// A message box is a dialog of buttons and statics, its text in static
// 0xFFFF; the program's own dialogs hold lists, boxes or bars as well, and
// its progress windows have no such static.
bool IsMessageBox(HWND window) {
    WCHAR cls[16] = L"";
    GetClassNameW(window, cls, 16);
    if (std::wstring(cls) != L"#32770" || !IsWindowVisible(window) || !GetDlgItem(window, 0xFFFF)) return false;
    bool other = false;
    EnumChildWindows(window, NoteOtherControl, reinterpret_cast<LPARAM>(&other));
    return !other;
}

BOOL CALLBACK AnswerBox(HWND window, LPARAM) {
    if (!IsMessageBox(window)) return TRUE;
    for (HWND seen : answered)
        if (seen == window) return TRUE;
    answered.push_back(window);
    ShownBox box;
    box.caption = WindowText(window);
    box.text = ItemText(window, 0xFFFF);  // the box's message
    box.owner = GetWindow(window, GW_OWNER);
    collected->push_back(box);
    if (whileUp) {
        std::function<void()> step = whileUp;
        step();
    }
    if (!answers.empty()) {
        int id = answers.front();
        answers.erase(answers.begin());
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
        return TRUE;
    }
    // Enter: the default button.
    PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(window, WM_KEYUP, VK_RETURN, 0);
    return TRUE;
}

// Runs inside the box's own modal loop.
void CALLBACK LookForBoxes(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), AnswerBox, 0); }

}  // namespace

std::vector<ShownBox> BoxesShownDuring(const std::function<void()> &fn, const std::vector<int> &given,
                                       const std::function<void()> &step) {
    std::vector<ShownBox> boxes;
    collected = &boxes;
    answered.clear();
    answers = given;
    whileUp = step;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, LookForBoxes);
    fn();
    KillTimer(nullptr, timer);
    collected = nullptr;
    whileUp = nullptr;
    return boxes;
}
