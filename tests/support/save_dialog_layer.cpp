#include "support/save_dialog.h"

#include "platform/testing/layer.h"

std::vector<SaveAsShown> AnswerSaveAs(const std::function<void()> &run, std::vector<std::string> answers) {
    size_t before = Layer::SaveDialogsShown().size();
    Layer::AnswerSaveDialogs(std::move(answers));
    run();
    Layer::AnswerSaveDialogs({});  // what is left over answers no later dialog
    std::vector<SaveAsShown> shown;
    auto all = Layer::SaveDialogsShown();
    for (size_t i = before; i < all.size(); i++) {
        // The box offers the name part of lpstrFile; its folder is where the dialog opens.
        const std::string &file = all[i].file;
        size_t cut = file.find_last_of("\\/:");
        shown.push_back({all[i].owner, cut == std::string::npos ? file : file.substr(cut + 1)});
    }
    return shown;
}
