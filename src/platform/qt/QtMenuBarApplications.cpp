#include "platform/qt/QtMenuBarApplications.h"

#include <fstream>
#include <set>
#include <string>

namespace platform::qt {

std::vector<RunningApplication> QtMenuBarApplications::runningApplications() const {
    std::vector<RunningApplication> running;
    std::set<long> seen;
    for (const auto& window : windows_.onScreenWindows().value_or(std::vector<WindowInfo>{})) {
        if (!window.ownerPid || !seen.insert(*window.ownerPid).second) continue;
        RunningApplication application{*window.ownerPid, std::nullopt, false};
        std::ifstream comm("/proc/" + std::to_string(*window.ownerPid) + "/comm");
        if (std::string name; std::getline(comm, name) && !name.empty()) application.bundleIdentifier = name;
        running.push_back(std::move(application));
    }
    return running;
}

std::shared_ptr<MenuVisibilityAssertion> QtMenuVisibility::activate(
    const std::vector<int>&, const std::vector<std::string>&,
    std::function<void(std::optional<MenuVisibilityError>)> done) {
    done(MenuVisibilityError{"Fernmote.MenuVisibility", 1});
    return nullptr;
}

}  // namespace platform::qt
