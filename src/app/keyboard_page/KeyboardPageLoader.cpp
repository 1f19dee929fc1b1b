// The program's own makeKeyboardSettings: loads the page's module from beside the executable the
// first time the page opens and builds the page there.
#include <dlfcn.h>

#include <QLabel>
#include <cstdio>
#include <filesystem>
#include <string>

#include "KeyboardPageEntry.h"
#include "windows/qt/SettingsPages.h"

namespace windows::qt {
namespace {

struct LoadedModule {
    TuftleKeyboardPageFactory factory = nullptr;
    std::string error;
};

LoadedModule loadModule() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    const auto file = (ec ? std::filesystem::path() : exe.parent_path()) / TUFTLE_KEYBOARD_PAGE_MODULE_FILE;
    // Bound at once, so a module that does not fit this program fails here and not mid-page.
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return {nullptr, ::dlerror()};
    auto* factory = reinterpret_cast<TuftleKeyboardPageFactory>(::dlsym(handle, TUFTLE_KEYBOARD_PAGE_ENTRY));
    if (!factory) return {nullptr, ::dlerror()};
    return {factory, {}};  // kept loaded: the page's classes live in it
}

}  // namespace

QWidget* makeKeyboardSettings(model::AppModel& model, const SettingsActions& actions) {
    static const LoadedModule module = loadModule();
    if (module.factory) return module.factory(model, actions);
    std::fprintf(stderr, "tuftle: the keyboard page could not be loaded: %s\n", module.error.c_str());
    auto* page = new QLabel(QString::fromStdString("The keyboard page could not be loaded: " + module.error));
    page->setWordWrap(true);
    page->setAlignment(Qt::AlignCenter);
    return page;
}

}  // namespace windows::qt
