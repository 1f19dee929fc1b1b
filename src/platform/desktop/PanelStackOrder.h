#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace platform {

// What a child of the root is to the pet panels, in the X server's stacking order.
enum class StackRole {
    unread,   // not looked at (yet): below what decides where the panels go
    panel,    // a pet panel shown
    hidden,   // not viewable
    window,   // viewable and managed by the window manager
    overlay,  // viewable, override-redirect, and free to be covered by the panels
    ceiling,  // viewable and to stay over the panels while it is open
};

// Where the panels go: right below or right above the child `sibling` (bottom first).
struct PanelStackMove {
    size_t sibling = 0;
    bool below = false;
    bool operator==(const PanelStackMove&) const = default;
};

// Whether the roles read from the top down (the children below the lowest one read are still
// `unread`) settle where the panels go: every panel and the topmost managed window lie above the
// unread ones, or nothing is unread. Other programs' menus count only above that window, so
// whatever lies below it is never read, however many windows other programs keep there.
bool stackReadFarEnough(const std::vector<StackRole>& stack);

// The viewable override-redirect children whose window type decides whether they are ceilings:
// those above the topmost managed window (bottom first).
std::vector<size_t> ceilingCandidates(const std::vector<StackRole>& stack);

// Nothing when the panels already stand where they belong: below the lowest ceiling with no
// viewable window between them and it, or, without a ceiling, above every viewable window.
// Otherwise right below the lowest ceiling, or right above the topmost viewable window. A
// window that maps on top meanwhile stays over them, which a raise to the top would not keep.
std::optional<PanelStackMove> panelStackMove(const std::vector<StackRole>& stack);

}  // namespace platform
