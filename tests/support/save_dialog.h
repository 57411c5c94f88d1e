// The save-as dialogs the program shows while a test runs it, answered as a
// user would: each answer a DOS path typed into the file name box and
// confirmed with Save (a question about replacing a file answered Yes), ""
// for Cancel; with no answer left, Cancel. Against Windows the dialogs are
// real and answered from a timer inside their modal loop; on the layer its
// script answers them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct SaveAsShown {
    HWND owner = nullptr;
    std::string offered;  // the name the file name box held when the dialog came up
};

std::vector<SaveAsShown> AnswerSaveAs(const std::function<void()> &run, std::vector<std::string> answers);
