// Message boxes the program shows while a test runs it: each is answered
// with the next of the answers given (IDYES, IDNO ...) or, when none is
// left, with its default button, as a user pressing Enter would, and kept
// for the test to read. Against Windows the boxes are real and answered from a
// timer inside their modal loop; on the layer its script answers them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct ShownBox {
    std::string caption;
    std::string text;
    HWND owner = nullptr;
};

// whileUp, when given, runs while each box is up, before it is answered: what
// the user does meanwhile in the program's other windows.
std::vector<ShownBox> BoxesShownDuring(const std::function<void()> &fn, const std::vector<int> &answers = {},
                                       const std::function<void()> &whileUp = {});
