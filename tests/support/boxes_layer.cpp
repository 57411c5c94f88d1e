#include "support/boxes.h"

#include "platform/testing/layer.h"

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
    for (size_t i = before; i < shown.size(); i++) boxes.push_back({shown[i].caption, shown[i].text, shown[i].owner});
    return boxes;
}
