#pragma once
// The keyboard page lives in a module of its own, loaded when the page first opens: its chart
// brings Qt Charts and Qt OpenGL, which a program with no window open should not carry.

#include <QWidget>

#include "windows/SettingsActions.h"

namespace model {
class AppModel;
}

extern "C" {
// The module's one entry: builds the keyboard page.
QWidget* tuftleMakeKeyboardPage(model::AppModel& model, const windows::SettingsActions& actions);
using TuftleKeyboardPageFactory = decltype(&tuftleMakeKeyboardPage);
}

#define TUFTLE_KEYBOARD_PAGE_ENTRY "tuftleMakeKeyboardPage"
