#include "KeyboardPageEntry.h"

#include "windows/qt/SettingsPages.h"

extern "C" __attribute__((visibility("default"))) QWidget* tuftleMakeKeyboardPage(
    model::AppModel& model, const windows::SettingsActions& actions) {
    return windows::qt::makeKeyboardSettings(model, actions);
}
