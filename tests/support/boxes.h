// Message boxes the program shows while a test runs it: each is answered
// with its default button, as a user pressing Enter would, and kept for the
// test to read. Against Windows the boxes are real and answered from a
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

std::vector<ShownBox> BoxesShownDuring(const std::function<void()> &fn);
