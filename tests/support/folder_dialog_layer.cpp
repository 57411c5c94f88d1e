#include "support/folder_dialog.h"

#include "platform/testing/layer.h"

std::vector<FolderChooserShown> AnswerFolderChoosers(const std::function<void()> &run,
                                                     std::vector<std::string> answers) {
    size_t before = Layer::FolderDialogsShown().size();
    Layer::AnswerFolderDialogs(std::move(answers));
    run();
    Layer::AnswerFolderDialogs({});  // what is left over answers no later chooser
    std::vector<FolderChooserShown> shown;
    auto all = Layer::FolderDialogsShown();
    for (size_t i = before; i < all.size(); i++) shown.push_back({all[i].owner, all[i].title});
    return shown;
}
