#pragma once
// The settings window (with the achievement wall among its pages) and the welcome window: code
// that runs only while one of them is open.

#include <functional>
#include <memory>
#include <string>

#include "platform/Window.h"
#include "windows/SettingsActions.h"

namespace model {
class AppModel;
}

namespace app::modules {

// What the windows' module makes.
struct WindowMakers {
    std::unique_ptr<platform::Window> (*settings)(model::AppModel& model, windows::SettingsActions actions);
    std::unique_ptr<platform::Window> (*onboarding)(model::AppModel& model, const std::string& title,
                                                    std::function<void()> onComplete);
};

// The program's side: the windows, built by the module loaded with the first of them. Without
// the module, a small window that says why.
std::unique_ptr<platform::Window> makeSettingsWindow(model::AppModel& model, windows::SettingsActions actions);
std::unique_ptr<platform::Window> makeOnboardingWindow(model::AppModel& model, const std::string& title,
                                                       std::function<void()> onComplete);

}  // namespace app::modules

extern "C" const app::modules::WindowMakers* tuftleWindowMakers();
