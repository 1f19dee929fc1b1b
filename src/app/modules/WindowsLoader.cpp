#include <QLabel>
#include <QVBoxLayout>
#include <cstdio>

#include "ModuleLoader.h"
#include "Windows.h"
#include "platform/qt/QtWindow.h"

namespace app::modules {
namespace {

struct LoadedMakers {
    const WindowMakers* makers = nullptr;
    std::string error;
};

const LoadedMakers& loaded() {
    // The keyboard page's module builds on the windows' code.
    static const LoadedMakers result = [] {
        const auto entry = loadEntry(TUFTLE_WINDOWS_MODULE, "tuftleWindowMakers", Sharing::withLaterModules);
        if (!entry.entry) return LoadedMakers{nullptr, entry.error};
        return LoadedMakers{reinterpret_cast<decltype(&tuftleWindowMakers)>(entry.entry)(), {}};
    }();
    return result;
}

std::unique_ptr<platform::Window> unavailableWindow(const std::string& title, const char* what) {
    const auto& error = loaded().error;
    std::fprintf(stderr, "tuftle: the %s could not be loaded: %s\n", what, error.c_str());
    auto window = std::make_unique<platform::qt::QtWindow>(title, platform::Size{480, 160});
    auto* layout = new QVBoxLayout(window->contentWidget());
    auto* message = new QLabel(QString::fromStdString("The " + std::string(what) + " could not be loaded: " + error));
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignCenter);
    layout->addWidget(message);
    return window;
}

}  // namespace

std::unique_ptr<platform::Window> makeSettingsWindow(model::AppModel& model, windows::SettingsActions actions) {
    if (const auto* makers = loaded().makers) return makers->settings(model, std::move(actions));
    return unavailableWindow("tuftle", "settings window");
}

std::unique_ptr<platform::Window> makeOnboardingWindow(model::AppModel& model, const std::string& title,
                                                       std::function<void()> onComplete) {
    if (const auto* makers = loaded().makers) return makers->onboarding(model, title, std::move(onComplete));
    return unavailableWindow(title, "welcome window");
}

}  // namespace app::modules
