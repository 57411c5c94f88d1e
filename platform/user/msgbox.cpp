// Message boxes on a machine without a user: a script gives the answers,
// and every box is kept for the tests to read. The headless run also tells
// the person at the terminal.
#include "user.h"
#include "../testing/hooks.h"

#include <cstdio>
#include <deque>

namespace headless {
namespace {

struct Boxes {
    std::deque<int> answers;
    std::vector<MessageBoxRecord> shown;
    std::function<void()> whileUp;
    int beeps = 0;
};

Boxes &boxes() {
    static Boxes b;
    return b;
}

const bool registered = (OnReset([] { boxes() = Boxes{}; }), true);

int DefaultButton(UINT type) {
    int buttons[3] = {IDOK, 0, 0};
    switch (type & 0xF) {
    case MB_OKCANCEL: buttons[1] = IDCANCEL; break;
    case MB_YESNOCANCEL: buttons[0] = IDYES, buttons[1] = IDNO, buttons[2] = IDCANCEL; break;
    case MB_YESNO: buttons[0] = IDYES, buttons[1] = IDNO; break;
    }
    int index = (type & MB_DEFBUTTON3) ? 2 : (type & MB_DEFBUTTON2) ? 1 : 0;
    return buttons[index] ? buttons[index] : buttons[0];
}

}  // namespace

void AnswerMessageBoxes(const std::vector<int> &answers) { boxes().answers.assign(answers.begin(), answers.end()); }
void WhileMessageBoxUp(std::function<void()> step) { boxes().whileUp = std::move(step); }
const std::vector<MessageBoxRecord> &MessageBoxesShown() { return boxes().shown; }
int Beeps() { return boxes().beeps; }

}  // namespace headless

using namespace headless;

namespace {

int ShowBox(HWND owner, const Utf8Arg &text, const Utf8Arg &caption, UINT type) {
    int answer = DefaultButton(type);
    if (!boxes().answers.empty()) {
        answer = boxes().answers.front();
        boxes().answers.pop_front();
    }
    std::string t = text.text, c = caption.null ? "Error" : caption.text;
    boxes().shown.push_back({owner, t, c, type, answer});
    if (Narrating())
        std::fprintf(stderr, "qmsaver: message box \"%s\": %s (answered %d)\n", c.c_str(), t.c_str(), answer);
    // What the user does elsewhere while the box waits for its answer.
    if (boxes().whileUp) {
        std::function<void()> step = boxes().whileUp;
        step();
    }
    return answer;
}

}  // namespace

int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    return ShowBox(owner, Utf8Arg::Wide(text), Utf8Arg::Wide(caption), type);
}

BOOL WINAPI MessageBeep(UINT) {
    boxes().beeps++;
    return TRUE;
}
