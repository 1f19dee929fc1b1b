#pragma once

#include <string>

#include "windows/SettingsActions.h"

namespace app {

class AppController;

// What the settings pages reach of the application through `controller`, which outlives the
// window; `defaultsFile` is the settings file the about page names.
windows::SettingsActions settingsWindowActions(AppController& controller, std::string defaultsFile);

}  // namespace app
