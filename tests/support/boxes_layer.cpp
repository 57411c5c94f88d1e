#include "support/boxes.h"

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

std::vector<ShownBox> BoxesShownDuring(const std::function<void()> &fn, const std::vector<int> &answers,
                                       const std::function<void()> &whileUp) {
    size_t before = Layer::MessageBoxesShown().size();
    Layer::AnswerMessageBoxes(answers);
    Layer::WhileMessageBoxUp(whileUp);
    fn();
    Layer::WhileMessageBoxUp({});
    Layer::AnswerMessageBoxes({});
    std::vector<ShownBox> boxes;
    auto shown = Layer::MessageBoxesShown();
    for (size_t i = before; i < shown.size(); i++) boxes.push_back({ToProgram(shown[i].caption), ToProgram(shown[i].text), shown[i].owner});
    return boxes;
}
