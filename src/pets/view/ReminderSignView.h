#pragma once

#include <memory>
#include <string>

#include "anim/Layer.h"
#include "model/WellbeingModels.h"

namespace pets {

// The card a pet holds up beside itself when a wellbeing reminder falls due: a symbol, a title
// and one line, in fixed colours so that it looks the same in light and dark appearance. It
// takes no mouse input; its panel lets clicks through.
class ReminderSignView final {
public:
    static constexpr double width = 196;
    static constexpr double height = 72;

    struct Content {
        std::string symbol;
        std::string title;
        std::string line;
    };
    // Symbol name and localised texts for `action`; any non-reminder action reads as a rest.
    static Content content(model::WellbeingAction action);

    explicit ReminderSignView(model::WellbeingAction action);
    // The card, `width` x `height` points, origin at the bottom-left.
    const std::shared_ptr<anim::Layer>& layer() const { return root_; }
    // Title and line together, as a screen reader reads the card.
    const std::string& accessibilityLabel() const { return label_; }

private:
    std::shared_ptr<anim::Layer> root_;
    std::string label_;
};

}  // namespace pets
