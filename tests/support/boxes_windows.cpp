#include "support/boxes.h"

namespace {

std::vector<ShownBox> *collected = nullptr;
std::vector<HWND> answered;  // a box stays up until its Enter arrives

BOOL CALLBACK AnswerBox(HWND window, LPARAM) {
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) != "#32770" || !IsWindowVisible(window)) return TRUE;
    for (HWND seen : answered)
        if (seen == window) return TRUE;
    answered.push_back(window);
    ShownBox box;
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    box.caption = text;
    text[0] = 0;
    GetDlgItemTextA(window, 0xFFFF, text, sizeof text);  // the box's message
    box.text = text;
    box.owner = GetWindow(window, GW_OWNER);
    collected->push_back(box);
    // Enter: the default button.
    PostMessageA(window, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageA(window, WM_KEYUP, VK_RETURN, 0);
    return TRUE;
}

// Runs inside the box's own modal loop.
void CALLBACK LookForBoxes(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), AnswerBox, 0); }

}  // namespace

std::vector<ShownBox> BoxesShownDuring(const std::function<void()> &fn) {
    std::vector<ShownBox> boxes;
    collected = &boxes;
    answered.clear();
    UINT_PTR timer = SetTimer(nullptr, 0, 30, LookForBoxes);
    fn();
    KillTimer(nullptr, timer);
    collected = nullptr;
    return boxes;
}
