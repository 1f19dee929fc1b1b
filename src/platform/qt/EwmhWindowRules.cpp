#include "platform/qt/EwmhWindowRules.h"

#include "platform/WindowList.h"

namespace platform::qt::ewmh {

std::optional<int> listedLayer(WindowType type, const WindowState& state) {
    if (state.hidden) return std::nullopt;
    switch (type) {
        case WindowType::desktop:
            return std::nullopt;
        case WindowType::dock:
            return windowLayer::dock;
        case WindowType::toolbar:
        case WindowType::utility:
        case WindowType::splash:
            return windowLayer::floating;
        case WindowType::menu:
        case WindowType::dropdownMenu:
        case WindowType::popupMenu:
        case WindowType::tooltip:
        case WindowType::notification:
        case WindowType::combo:
        case WindowType::dnd:
            return windowLayer::popUp;
        case WindowType::normal:
        case WindowType::dialog:
            break;
    }
    // A window kept both above and below is a contradiction; the window manager stacks it
    // above, as openbox does.
    if (state.above) return windowLayer::floating;
    if (state.below) return windowLayer::below;
    return windowLayer::normal;
}

Rect frameBounds(long clientRootX, long clientRootY, long clientWidth, long clientHeight, const FrameExtents& extents,
                 const FrameExtents& clientMargins) {
    // A frame wider than any screen would be a broken property, not a frame.
    constexpr long kMaxExtent = 4096;
    const auto sane = [](const FrameExtents& e) {
        for (long v : {e.left, e.right, e.top, e.bottom})
            if (v < 0 || v > kMaxExtent) return false;
        return true;
    };
    FrameExtents e = sane(extents) ? extents : FrameExtents{};
    if (e == FrameExtents{} && sane(clientMargins) && clientMargins.left + clientMargins.right < clientWidth &&
        clientMargins.top + clientMargins.bottom < clientHeight) {
        // Inset: the margins count against the client as negative extents.
        e = {-clientMargins.left, -clientMargins.right, -clientMargins.top, -clientMargins.bottom};
    }
    return {static_cast<double>(clientRootX - e.left), static_cast<double>(clientRootY - e.top),
            static_cast<double>(clientWidth + e.left + e.right), static_cast<double>(clientHeight + e.top + e.bottom)};
}

}  // namespace platform::qt::ewmh
