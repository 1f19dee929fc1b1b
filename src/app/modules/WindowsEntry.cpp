#include "Windows.h"

#include "windows/qt/OnboardingView.h"
#include "windows/qt/SettingsWindow.h"

namespace {

std::unique_ptr<platform::Window> settings(model::AppModel& model, windows::SettingsActions actions) {
    return std::make_unique<windows::qt::SettingsWindow>(model, std::move(actions));
}

std::unique_ptr<platform::Window> onboarding(model::AppModel& model, const std::string& title,
                                             std::function<void()> onComplete) {
    return std::make_unique<windows::qt::OnboardingWindow>(model, title, std::move(onComplete));
}

constexpr app::modules::WindowMakers makers{settings, onboarding};

}  // namespace

extern "C" const app::modules::WindowMakers* tuftleWindowMakers() {
    return &makers;
}
