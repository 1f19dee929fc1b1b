#include <QLabel>
#include <QVBoxLayout>
#include <cstdio>

#include "ModuleLoader.h"
#include "Windows.h"
#include "model/L10n.h"
#include "model/LocalizedAlert.h"
#include "platform/qt/QtWindow.h"

namespace app::modules {
namespace {

// The keyboard page's module builds on the windows' code.
platform::ModuleFile& windowsModule() {
    static auto& module = loadModule(TUFTLE_WINDOWS_MODULE, platform::ModuleFile::Symbols::sharedWithLaterModules);
    return module;
}

const WindowMakers* makers() {
    auto* entry = windowsModule().symbol("tuftleWindowMakers");
    return entry ? reinterpret_cast<decltype(&tuftleWindowMakers)>(entry)() : nullptr;
}

// `what` names the part in the log, `shown` in the window.
std::unique_ptr<platform::Window> unavailableWindow(const std::string& title, const char* what,
                                                    const std::string& shown) {
    const auto& error = windowsModule().error();
    std::fprintf(stderr, "tuftle: the %s could not be loaded: %s\n", what, error.english().c_str());
    auto window = std::make_unique<platform::qt::QtWindow>(title, platform::Size{480, 160});
    auto* layout = new QVBoxLayout(window->contentWidget());
    auto* message = new QLabel(QString::fromStdString(model::notLoadedText(shown, error)));
    message->setWordWrap(true);
    message->setAlignment(Qt::AlignCenter);
    layout->addWidget(message);
    return window;
}

}  // namespace

std::unique_ptr<platform::Window> makeSettingsWindow(model::AppModel& model, windows::SettingsActions actions) {
    if (const auto* found = makers()) return found->settings(model, std::move(actions));
    return unavailableWindow("tuftle", "settings window", model::L10n::t("设置窗口"));
}

std::unique_ptr<platform::Window> makeOnboardingWindow(model::AppModel& model, const std::string& title,
                                                       std::function<void()> onComplete) {
    if (const auto* found = makers()) return found->onboarding(model, title, std::move(onComplete));
    return unavailableWindow(title, "welcome window", model::L10n::t("欢迎窗口"));
}

}  // namespace app::modules
