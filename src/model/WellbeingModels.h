#pragma once

#include <array>
#include <string>
#include <string_view>

#include "model/RawEnum.h"

namespace model {

// What the pets act out for a few seconds: a focus start or end, or a gentle reminder.
enum class WellbeingAction { focus, focusComplete, stretch, drink, standStretch, lookFar };

// A reminder interval; the raw value is in minutes.
enum class ReminderInterval {
    twenty = 20,
    thirty = 30,
    fortyFive = 45,
    fifty = 50,
    sixty = 60,
    ninety = 90,
    twoHours = 120,
    threeHours = 180,
};

std::string_view rawValue(WellbeingAction v);
constexpr int rawValue(ReminderInterval v) {
    return static_cast<int>(v);
}
// The seconds after which a reminder with this interval is due.
constexpr double thresholdSeconds(ReminderInterval v) {
    return rawValue(v) * 60.0;
}
std::string title(ReminderInterval v);

template <>
struct EnumCases<WellbeingAction> {
    static constexpr std::array values{WellbeingAction::focus,        WellbeingAction::focusComplete,
                                       WellbeingAction::stretch,      WellbeingAction::drink,
                                       WellbeingAction::standStretch, WellbeingAction::lookFar};
};
template <>
struct EnumCases<ReminderInterval> {
    static constexpr std::array values{
        ReminderInterval::twenty, ReminderInterval::thirty, ReminderInterval::fortyFive, ReminderInterval::fifty,
        ReminderInterval::sixty,  ReminderInterval::ninety, ReminderInterval::twoHours,  ReminderInterval::threeHours};
};

}  // namespace model
