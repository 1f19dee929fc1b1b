#pragma once

#include <array>
#include <optional>
#include <utility>

#include "platform/Geometry.h"

// How the EWMH properties of a client window become an entry of the window list. Plain rules,
// kept apart from Xlib so they can be checked without an X server.
namespace platform::qt::ewmh {

enum class WindowType {
    normal,
    dialog,
    desktop,
    dock,
    toolbar,
    menu,
    utility,
    splash,
    dropdownMenu,
    popupMenu,
    tooltip,
    notification,
    combo,
    dnd,
};

// The _NET_WM_WINDOW_TYPE atom names.
inline constexpr std::array<std::pair<const char*, WindowType>, 14> windowTypeAtoms{{
    {"_NET_WM_WINDOW_TYPE_NORMAL", WindowType::normal},
    {"_NET_WM_WINDOW_TYPE_DIALOG", WindowType::dialog},
    {"_NET_WM_WINDOW_TYPE_DESKTOP", WindowType::desktop},
    {"_NET_WM_WINDOW_TYPE_DOCK", WindowType::dock},
    {"_NET_WM_WINDOW_TYPE_TOOLBAR", WindowType::toolbar},
    {"_NET_WM_WINDOW_TYPE_MENU", WindowType::menu},
    {"_NET_WM_WINDOW_TYPE_UTILITY", WindowType::utility},
    {"_NET_WM_WINDOW_TYPE_SPLASH", WindowType::splash},
    {"_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", WindowType::dropdownMenu},
    {"_NET_WM_WINDOW_TYPE_POPUP_MENU", WindowType::popupMenu},
    {"_NET_WM_WINDOW_TYPE_TOOLTIP", WindowType::tooltip},
    {"_NET_WM_WINDOW_TYPE_NOTIFICATION", WindowType::notification},
    {"_NET_WM_WINDOW_TYPE_COMBO", WindowType::combo},
    {"_NET_WM_WINDOW_TYPE_DND", WindowType::dnd},
}};

// The _NET_WM_STATE entries that matter here.
struct WindowState {
    bool above = false;       // _NET_WM_STATE_ABOVE
    bool below = false;       // _NET_WM_STATE_BELOW
    bool fullScreen = false;  // _NET_WM_STATE_FULLSCREEN
    bool hidden = false;      // _NET_WM_STATE_HIDDEN (minimised or shaded away)
};

// The window's layer (platform::windowLayer), or nullopt for a window the list leaves out:
// the desktop itself and hidden windows. Only an ordinary or dialog window that is not kept
// above or below is in the normal layer.
std::optional<int> listedLayer(WindowType type, const WindowState& state);

// _NET_FRAME_EXTENTS: what the window manager's frame adds around the client. Also the shape
// of _GTK_FRAME_EXTENTS: the invisible margins (shadows, resize borders) that a window drawing
// its own decorations keeps inside its client area.
struct FrameExtents {
    long left = 0;
    long right = 0;
    long top = 0;
    long bottom = 0;
    friend bool operator==(const FrameExtents&, const FrameExtents&) = default;
};

// What shows of the window in X pixels, from the client's top-left corner in root coordinates,
// its size, the window manager's frame extents and the client's invisible margins. A frame
// drawn by the window manager is what shows, margins and all; without one the margins are left
// out. Extents that are negative or absurdly large are ignored, and so are margins that leave
// nothing.
Rect frameBounds(long clientRootX, long clientRootY, long clientWidth, long clientHeight, const FrameExtents& extents,
                 const FrameExtents& clientMargins);

}  // namespace platform::qt::ewmh
