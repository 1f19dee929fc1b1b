#include "model/WellbeingModels.h"

#include "model/L10n.h"

namespace model {

std::string_view rawValue(WellbeingAction v) {
    switch (v) {
        case WellbeingAction::focus:
            return "focus";
        case WellbeingAction::focusComplete:
            return "focusComplete";
        case WellbeingAction::stretch:
            return "stretch";
        case WellbeingAction::drink:
            return "drink";
        case WellbeingAction::standStretch:
            return "standStretch";
        case WellbeingAction::lookFar:
            return "lookFar";
    }
    return "";
}

std::string title(ReminderInterval v) {
    switch (v) {
        case ReminderInterval::twenty:
            return L10n::minutes(20);
        case ReminderInterval::thirty:
            return L10n::minutes(30);
        case ReminderInterval::fortyFive:
            return L10n::minutes(45);
        case ReminderInterval::fifty:
            return L10n::minutes(50);
        case ReminderInterval::sixty:
            return L10n::hours(1);
        case ReminderInterval::ninety:
            // Written out whole: the hours and minutes words together are too long for its picker.
            return L10n::t("1 小时 30 分钟");
        case ReminderInterval::twoHours:
            return L10n::hours(2);
        case ReminderInterval::threeHours:
            return L10n::hours(3);
    }
    return {};
}

}  // namespace model
