#include "model/FullScreenDetector.h"

#include <cmath>

#include "platform/Services.h"

namespace model {
namespace {

constexpr double kSizeTolerance = 2.0;  // points

bool coversAScreen(const platform::Rect& bounds, const std::vector<platform::Screen>& screens) {
    if (!std::isfinite(bounds.size.width) || !std::isfinite(bounds.size.height)) return false;
    for (const auto& screen : screens) {
        if (std::abs(screen.frame.width() - bounds.width()) < kSizeTolerance &&
            std::abs(screen.frame.height() - bounds.height()) < kSizeTolerance)
            return true;
    }
    return false;
}

}  // namespace

bool FullScreenDetector::frontmostAppOccupiesFullScreen(const std::vector<platform::Screen>& screens) {
    if (screens.empty()) return false;
    auto& services = platform::services();
    if (!services.windowList) return false;
    const auto frontPid = services.windowList->frontmostApplicationPid();
    if (!frontPid) return false;
    // Our own windows (settings, onboarding) never count.
    if (services.application && *frontPid == services.application->processId()) return false;
    const auto windows = services.windowList->onScreenWindows();
    if (!windows) return false;
    for (const auto& window : *windows) {
        if (window.ownerPid != frontPid) continue;
        if (window.isFullScreen) return true;
        if (window.layer == platform::windowLayer::normal && coversAScreen(window.bounds, screens)) return true;
    }
    return false;
}

}  // namespace model
