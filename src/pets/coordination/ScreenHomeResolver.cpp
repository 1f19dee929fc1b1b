#include "pets/coordination/ScreenHomeResolver.h"

#include <algorithm>

namespace pets {
namespace {

using model::HomeEdge;
using model::PetHomePreference;
using platform::Point;
using platform::Rect;
using platform::Size;

// Half the width of a notch whose neighbouring menu-bar areas are unknown.
constexpr double kFallbackNotchHalfWidth = 90;
// Two pets at the notch sit this far either side of its centre; at the Dock a little closer.
constexpr double kNotchPairOffset = 32;
constexpr double kDockPairOffset = 30;
// The second pet's place on an external display's Dock.
constexpr double kExternalSecondPetOffset = 34;
// A side Dock always outranks a bottom one.
constexpr double kSideDockBonus = 1000;

struct DockInsets {
    double bottom = 0;
    double left = 0;
    double right = 0;
};

DockInsets dockInsets(const DisplayGeometry& d) {
    return {d.visibleFrame.minY() - d.frame.minY(), d.visibleFrame.minX() - d.frame.minX(),
            d.frame.maxX() - d.visibleFrame.maxX()};
}

// The top of a work area holds a home when the pets, hanging from it side by side, could come
// out whole below it: it is no lower than a pet's height above the work area's bottom, and the
// work area spans both pets around the screen's centre.
bool roomAtTop(const DisplayGeometry& d, Size petSize) {
    const double top = std::min(d.visibleFrame.maxY(), d.frame.maxY());
    const double bottom = std::max(d.visibleFrame.minY(), d.frame.minY());
    const double halfRow = petSize.width / 2 + kNotchPairOffset;
    return top - bottom >= petSize.height &&
           d.frame.midX() - halfRow >= std::max(d.visibleFrame.minX(), d.frame.minX()) &&
           d.frame.midX() + halfRow <= std::min(d.visibleFrame.maxX(), d.frame.maxX());
}

double dockScore(const DisplayGeometry& d) {
    const DockInsets insets = dockInsets(d);
    const double side = std::max(insets.left, insets.right);
    return side > 1 ? side + kSideDockBonus : insets.bottom;
}

}  // namespace

std::optional<Rect> ScreenHomeResolver::notchFrame(const platform::Screen& screen) {
    const double t = screen.safeAreaInsets.top;
    if (!(t > 0)) return std::nullopt;
    const Rect& f = screen.frame;
    const double left =
        screen.auxiliaryTopLeftArea ? screen.auxiliaryTopLeftArea->maxX() : f.midX() - kFallbackNotchHalfWidth;
    const double right =
        screen.auxiliaryTopRightArea ? screen.auxiliaryTopRightArea->minX() : f.midX() + kFallbackNotchHalfWidth;
    return Rect{left, f.maxY() - t, std::max(0.0, right - left), t};
}

std::vector<DisplayGeometry> ScreenHomeResolver::geometries(const std::vector<platform::Screen>& screens) {
    std::vector<DisplayGeometry> out;
    out.reserve(screens.size());
    for (const auto& screen : screens) {
        if (screen.displayID == 0) continue;
        out.push_back({screen.displayID, screen.frame, screen.visibleFrame, screen.isBuiltIn,
                       screen.safeAreaInsets.top > 0, notchFrame(screen)});
    }
    return out;
}

PetHome ScreenHomeResolver::dockHome(const DisplayGeometry& d, Size petSize, double o) {
    const double w = petSize.width, h = petSize.height;
    // Depths out from behind the edge: at rest, eyes only, leaning out.
    const double a = std::min(0.58 * w, 30.0);
    const double b = std::min(0.42 * w, 22.0);
    const double c = std::min(0.73 * w, 38.0);
    const DockInsets insets = dockInsets(d);

    PetHome home;
    home.displayID = d.id;
    home.kind = model::PetHomeKind::dock;
    if (insets.bottom >= insets.left && insets.bottom >= insets.right) {
        // A hidden Dock leaves no inset: the pet then sits at the screen's own bottom edge.
        const double base = insets.bottom > 1 ? d.visibleFrame.minY() : d.frame.minY();
        const double x = d.frame.midX() - w / 2 + o;
        home.edge = HomeEdge::bottom;
        home.origin = {x, base - h + a};
        home.approachOrigin = {x, base + 2};
        home.hiddenOrigin = {x, base - h - 1};
        home.eyePeekOrigin = {x, base - h + b};
        home.peekOrigin = {x, base - h + c};
        home.boundaryOffset = h - a;
    } else {
        // At a side the offset moves the pet along the edge.
        const double y = d.frame.midY() - h / 2 + o;
        if (insets.left > insets.right) {
            const double x = d.visibleFrame.minX();
            home.edge = HomeEdge::left;
            home.origin = {x - w + a, y};
            home.approachOrigin = {x + 2, y};
            home.hiddenOrigin = {x - w - 1, y};
            home.eyePeekOrigin = {x - w + b, y};
            home.peekOrigin = {x - w + c, y};
            home.boundaryOffset = w - a;
        } else {
            const double x = d.visibleFrame.maxX();
            home.edge = HomeEdge::right;
            home.origin = {x - a, y};
            home.approachOrigin = {x - w - 2, y};
            home.hiddenOrigin = {x + 1, y};
            home.eyePeekOrigin = {x - b, y};
            home.peekOrigin = {x - c, y};
            home.boundaryOffset = a;
        }
    }
    // Only the approach must lie on the screen; the upper bound wins on a screen smaller than the pet.
    const Rect& f = d.frame;
    home.approachOrigin.x = std::min(std::max(home.approachOrigin.x, f.minX()), f.maxX() - w);
    home.approachOrigin.y = std::min(std::max(home.approachOrigin.y, f.minY()), f.maxY() - h);
    return home;
}

PetHome ScreenHomeResolver::notchHome(const DisplayGeometry& d, Size petSize, double o) {
    const double w = petSize.width, h = petSize.height;
    const double a = std::min(0.66 * h, 34.0);
    const double b = std::min(0.46 * h, 24.0);
    const double c = std::min(0.77 * h, 40.0);
    double cx = d.frame.midX();
    double y0 = d.visibleFrame.maxY();
    if (d.notchFrame) {
        cx = d.notchFrame->midX();
        y0 = d.notchFrame->minY();
    }
    y0 = std::min(y0, d.frame.maxY());
    const double x = cx - w / 2 + o;

    PetHome home;
    home.displayID = d.id;
    home.kind = model::PetHomeKind::notch;
    home.edge = HomeEdge::top;
    home.origin = {x, y0 - a};
    home.approachOrigin = {x, y0 - h};
    home.hiddenOrigin = {x, y0 + 1};
    home.eyePeekOrigin = {x, y0 - b};
    home.peekOrigin = {x, y0 - c};
    home.boundaryOffset = a;
    return home;
}

// A notched built-in display keeps the pets at its notch; without one (always so on Linux) the
// primary screen, listed first, lends the top of its work area, below any top panel.
const DisplayGeometry* ScreenHomeResolver::topDisplay(const std::vector<DisplayGeometry>& displays, Size petSize) {
    const auto builtIn = std::find_if(displays.begin(), displays.end(), [](const auto& d) { return d.isBuiltIn; });
    if (builtIn != displays.end() && builtIn->hasNotch) return &*builtIn;
    if (!displays.empty() && roomAtTop(displays.front(), petSize)) return &displays.front();
    return nullptr;
}

bool ScreenHomeResolver::topHasRoom(const std::vector<DisplayGeometry>& displays, Size petSize) {
    return topDisplay(displays, petSize) != nullptr;
}

std::vector<PetHome> ScreenHomeResolver::homes(int petCount, const std::vector<DisplayGeometry>& displays, Size petSize,
                                               const std::vector<PetHomePreference>& preferences) {
    std::vector<PetHome> out;
    if (displays.empty() || petCount <= 0) return out;

    const DisplayGeometry* builtIn = nullptr;
    const DisplayGeometry* external = nullptr;
    const DisplayGeometry* dockDisplay = &displays.front();
    double bestScore = dockScore(displays.front());
    for (const auto& d : displays) {
        if (d.isBuiltIn && !builtIn) builtIn = &d;
        if (!d.isBuiltIn && !external) external = &d;
        if (const double score = dockScore(d); score > bestScore) {
            bestScore = score;
            dockDisplay = &d;
        }
    }
    const bool notched = builtIn && builtIn->hasNotch;
    const DisplayGeometry* top = topDisplay(displays, petSize);
    const bool single = petCount == 1;

    out.reserve(static_cast<size_t>(petCount));
    for (int i = 0; i < petCount; ++i) {
        const auto index = static_cast<size_t>(i);
        const PetHomePreference p = index < preferences.size() ? preferences[index] : PetHomePreference::automatic;
        // Explicit choices put pet 0 on the left, every other pet on the right; the automatic
        // one alternates by parity.
        const double explicitSide = i == 0 ? -1 : 1;
        const double paritySide = i % 2 == 0 ? -1 : 1;
        switch (p) {
            case PetHomePreference::notch:
                if (top) {
                    out.push_back(notchHome(*top, petSize, single ? 0 : explicitSide * kNotchPairOffset));
                    break;
                }
                [[fallthrough]];
            case PetHomePreference::dock:
                out.push_back(dockHome(*dockDisplay, petSize, single ? 0 : explicitSide * kDockPairOffset));
                break;
            case PetHomePreference::automatic:
                if (i == 1 && external) {
                    out.push_back(dockHome(*external, petSize, kExternalSecondPetOffset));
                } else if (notched) {
                    out.push_back(notchHome(*builtIn, petSize, single ? 0 : paritySide * kNotchPairOffset));
                } else {
                    const DisplayGeometry& target = external ? *external : builtIn ? *builtIn : displays.front();
                    out.push_back(dockHome(target, petSize, single ? 0 : paritySide * kDockPairOffset));
                }
                break;
        }
    }
    return out;
}

}  // namespace pets
