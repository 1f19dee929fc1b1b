#include "KeyboardPage.h"

#include "windows/qt/SettingsPages.h"

extern "C" QWidget* tuftleMakeKeyboardPage(model::AppModel& model, const windows::SettingsActions& actions) {
    return windows::qt::makeKeyboardSettings(model, actions);
}
