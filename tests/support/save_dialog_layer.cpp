#include "support/save_dialog.h"

#include "platform/testing/layer.h"

namespace {

// The hooks speak UTF-8; these tests still hold the program's texts in code page 932.
std::string Convert(const std::string &text, UINT from, UINT to) {
    if (text.empty()) return text;
    int n = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    int m = WideCharToMultiByte(to, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(m), '\0');
    WideCharToMultiByte(to, 0, wide.data(), n, out.data(), m, nullptr, nullptr);
    return out;
}
std::string ToProgram(const std::string &utf8) { return Convert(utf8, CP_UTF8, CP_ACP); }
std::vector<std::string> ToLayer(std::vector<std::string> texts) {
    for (std::string &t : texts) t = Convert(t, CP_ACP, CP_UTF8);
    return texts;
}

}  // namespace

std::vector<SaveAsShown> AnswerSaveAs(const std::function<void()> &run, std::vector<std::string> answers) {
    size_t before = Layer::SaveDialogsShown().size();
    Layer::AnswerSaveDialogs(ToLayer(std::move(answers)));
    run();
    Layer::AnswerSaveDialogs({});  // what is left over answers no later dialog
    std::vector<SaveAsShown> shown;
    auto all = Layer::SaveDialogsShown();
    for (size_t i = before; i < all.size(); i++) {
        // The box offers the name part of lpstrFile; its folder is where the dialog opens.
        const std::string file = ToProgram(all[i].file);
        size_t cut = file.find_last_of("\\/:");
        shown.push_back({all[i].owner, cut == std::string::npos ? file : file.substr(cut + 1)});
    }
    return shown;
}
