#include "windows/SettingsSection.h"

namespace windows {

std::string title(SettingsSection section) {
    return model::L10n::t(model::enumRow(section).title);
}

std::string_view symbol(SettingsSection section) {
    return model::enumRow(section).symbol;
}

}  // namespace windows
