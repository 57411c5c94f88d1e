// The folder choosers the program shows while a test runs it, answered as a
// user would: each answer a DOS path of a folder picked and confirmed with
// OK, "" for Cancel; with no answer left, Cancel. Against Windows the
// choosers are real and answered from a timer inside their modal loop; on
// the layer its script answers them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct FolderChooserShown {
    HWND owner = nullptr;
    std::string title;  // the text above the folders
};

std::vector<FolderChooserShown> AnswerFolderChoosers(const std::function<void()> &run,
                                                     std::vector<std::string> answers);
