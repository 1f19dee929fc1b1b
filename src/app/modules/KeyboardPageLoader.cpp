// The program's own makeKeyboardSettings: builds the page in its module.
#include <QLabel>
#include <cstdio>

#include "KeyboardPage.h"
#include "ModuleLoader.h"
#include "windows/qt/SettingsPages.h"

namespace windows::qt {

QWidget* makeKeyboardSettings(model::AppModel& model, const SettingsActions& actions) {
    static const auto loaded = app::modules::loadEntry(TUFTLE_KEYBOARD_PAGE_MODULE, "tuftleMakeKeyboardPage");
    if (loaded.entry) return reinterpret_cast<decltype(&tuftleMakeKeyboardPage)>(loaded.entry)(model, actions);
    std::fprintf(stderr, "tuftle: the keyboard page could not be loaded: %s\n", loaded.error.c_str());
    auto* page = new QLabel(QString::fromStdString("The keyboard page could not be loaded: " + loaded.error));
    page->setWordWrap(true);
    page->setAlignment(Qt::AlignCenter);
    return page;
}

}  // namespace windows::qt
