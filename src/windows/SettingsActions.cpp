#include "windows/SettingsActions.h"

namespace windows {

bool trayShowsEntry(const SettingsActions& actions) {
    return !actions.trayShowsEntry || actions.trayShowsEntry();
}

std::string appVersion(const std::function<std::optional<std::string>(const std::string&)>& infoString) {
    const auto read = [&](const char* key, const char* fallback) {
        auto value = infoString ? infoString(key) : std::nullopt;
        return value ? *value : std::string(fallback);
    };
    return "v" + read("CFBundleShortVersionString", "0.0.0-dev") + " (Build " + read("CFBundleVersion", "0") + ")";
}

}  // namespace windows
