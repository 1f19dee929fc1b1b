// The program's own makeKeyboardSettings: builds the page in its module.
#include <QLabel>
#include <cstdio>

#include "KeyboardPage.h"
#include "ModuleLoader.h"
#include "model/L10n.h"
#include "model/LocalizedAlert.h"
#include "windows/qt/SettingsPages.h"

namespace windows::qt {

QWidget* makeKeyboardSettings(model::AppModel& model, const SettingsActions& actions) {
    static auto& module = app::modules::loadModule(TUFTLE_KEYBOARD_PAGE_MODULE, platform::ModuleFile::Symbols::local);
    if (auto* entry = module.symbol("tuftleMakeKeyboardPage"))
        return reinterpret_cast<decltype(&tuftleMakeKeyboardPage)>(entry)(model, actions);
    std::fprintf(stderr, "tuftle: the keyboard page could not be loaded: %s\n", module.error().english().c_str());
    auto* page = new QLabel(QString::fromStdString(model::notLoadedText(model::L10n::t("键盘页面"), module.error())));
    page->setWordWrap(true);
    page->setAlignment(Qt::AlignCenter);
    return page;
}

}  // namespace windows::qt
