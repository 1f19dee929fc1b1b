#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/MenuVisibility.h"

namespace menubar::stash {

// The only way into the desktop's menu-visibility interface. Keeps no state and lets no
// failure through: availability answers false, activation reports an error, invalidation
// does nothing.
inline constexpr const char* kMenuVisibilityErrorDomain = "Fernmote.MenuVisibility";
// The interface is not available on this desktop.
inline constexpr long kMenuVisibilityUnavailable = 1;
// The desktop failed inside while the assertion was built or activated.
inline constexpr long kMenuVisibilityRaised = 2;

using MenuVisibilityAssertionHandle = std::shared_ptr<platform::MenuVisibilityAssertion>;
using MenuVisibilityCompletion = std::function<void(std::optional<platform::MenuVisibilityError>)>;

bool QBMenuVisibilityAvailable();
// Asks that only the allowed programs' items (and every system item) stay visible. The
// completion always runs later on the main loop, never inside this call: nothing means the
// desktop took the assertion. Returns the assertion, or nothing when it could not be made.
MenuVisibilityAssertionHandle QBMenuVisibilityActivate(const std::vector<std::string>& allowedBundleIdentifiers,
                                                       MenuVisibilityCompletion completion);
// Ends the assertion; nothing does nothing.
void QBMenuVisibilityInvalidate(const MenuVisibilityAssertionHandle& assertion);

}  // namespace menubar::stash
