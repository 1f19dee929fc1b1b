#pragma once
// The keyboard settings page, whose chart brings Qt Charts and Qt OpenGL.

#include <QWidget>

#include "windows/SettingsActions.h"

namespace model {
class AppModel;
}

extern "C" QWidget* tuftleMakeKeyboardPage(model::AppModel& model, const windows::SettingsActions& actions);
