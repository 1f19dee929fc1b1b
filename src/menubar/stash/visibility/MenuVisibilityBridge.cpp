#include "menubar/stash/visibility/MenuVisibilityBridge.h"

#include <exception>
#include <numeric>

#include "platform/Services.h"

namespace menubar::stash {
namespace {

constexpr int kSystemItemCount = 64;

platform::MenuVisibilityError bridgeError(long code) {
    return {kMenuVisibilityErrorDomain, code};
}

}  // namespace

bool QBMenuVisibilityAvailable() {
    return platform::menuVisibility().isAvailable();
}

MenuVisibilityAssertionHandle QBMenuVisibilityActivate(const std::vector<std::string>& allowedBundleIdentifiers,
                                                       MenuVisibilityCompletion completion) {
    // The desktop may answer on any thread, or at once: the caller hears it on a later turn.
    auto& loop = platform::mainLoop();
    auto report = [&loop, completion = std::move(completion)](std::optional<platform::MenuVisibilityError> error) {
        loop.post([completion, error] { completion(error); });
    };
    if (!QBMenuVisibilityAvailable()) {
        report(bridgeError(kMenuVisibilityUnavailable));
        return nullptr;
    }
    // Every system item stays visible.
    std::vector<int> systemItems(kSystemItemCount);
    std::iota(systemItems.begin(), systemItems.end(), 0);
    try {
        return platform::menuVisibility().activate(systemItems, allowedBundleIdentifiers, report);
    } catch (...) {
        report(bridgeError(kMenuVisibilityRaised));
        return nullptr;
    }
}

void QBMenuVisibilityInvalidate(const MenuVisibilityAssertionHandle& assertion) {
    if (!assertion) return;
    try {
        assertion->invalidate();
    } catch (...) {
        // An assertion that fails to end has nothing more we can do to it.
    }
}

}  // namespace menubar::stash
