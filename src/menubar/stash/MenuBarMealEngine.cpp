#include "menubar/stash/MenuBarMealEngine.h"

namespace menubar::stash {

bool storedWantsCollapsed(const platform::Defaults& defaults) {
    if (!defaults.boolValue(kMenuBarMealEnabledKey).value_or(false)) return false;
    return defaults.boolValue(kMenuBarMealDesiredCollapsedKey).value_or(true);
}

}  // namespace menubar::stash
