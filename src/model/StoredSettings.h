#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Defaults.h"

namespace model {

class AppModel;

// One setting the model keeps in the defaults store: its key, and how its property is
// loaded (fallback, clamp or migration), written after each change and put back by a reset.
struct StoredSetting {
    std::string key;
    // Fills the property from the store without publishing.
    std::function<void(AppModel&)> load;
    // Hooks the property to the model's change signal and, unless an operation writes it,
    // makes it write itself under the key after each change.
    std::function<void(AppModel&)> wire;
    // Puts the first-launch value back, publishing and writing it; empty where a reset keeps
    // the setting or puts it back at another step.
    std::function<void(AppModel&)> reset;
    // The stored form of the property's value now, as a change writes it.
    std::function<std::optional<platform::PlistValue>(const AppModel&)> storedForm;
};

// Every setting, once, in the order of a reset (the language first: names are loaded in it).
const std::vector<StoredSetting>& storedSettings();

// Keeps a copy of a value that could not be decoded under the key plus ".unreadable",
// before anything replaces it.
void keepUnreadable(platform::Defaults& defaults, const std::string& key);

}  // namespace model
