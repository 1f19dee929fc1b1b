#include "pets/coordination/WindowGeometryReader.h"

#include <cmath>

#include "platform/Services.h"

namespace pets {

std::optional<WindowWalkCandidate> WindowGeometryReader::frontWindow() {
    auto& services = platform::services();
    if (!services.windowList || !services.screens || !services.application) return std::nullopt;
    const auto windows = services.windowList->onScreenWindows();
    if (!windows) return std::nullopt;
    const auto screens = services.screens->screens();
    if (screens.empty()) return std::nullopt;
    return firstOrdinaryWindow(*windows, static_cast<int32_t>(services.application->processId()),
                               screens.front().frame.maxY());
}

std::optional<WindowWalkCandidate> WindowGeometryReader::firstOrdinaryWindow(
    const std::vector<platform::WindowInfo>& windows, int32_t excludingPID, double mainScreenTop) {
    for (const auto& window : windows) {
        // Our own windows always name our process; a window that names none is another
        // program's, in the way like any other.
        if (window.ownerPid == excludingPID) continue;
        if (window.layer != platform::windowLayer::normal || window.number == 0) continue;
        const platform::Rect& b = window.bounds;
        if (!std::isfinite(b.origin.x) || !std::isfinite(b.origin.y) || !std::isfinite(b.size.width) ||
            !std::isfinite(b.size.height))
            continue;
        if (b.width() < kMinimumWidth || b.height() < kMinimumHeight) continue;
        return WindowWalkCandidate{window.number, {b.minX(), mainScreenTop - b.maxY(), b.width(), b.height()}};
    }
    return std::nullopt;
}

}  // namespace pets
