#include <algorithm>

#include "model/AppModel.h"
#include "pets/coordination/PetWindowCoordinator.h"
#include "pets/coordination/ScreenHomeResolver.h"
#include "pets/view/PetView.h"
#include "platform/Services.h"

namespace pets {
namespace {

using model::HomeEdge;
using platform::Point;
using platform::Rect;

constexpr double kSide = PetWindowCoordinator::kPetSide;
// The pet may draw beyond its square (hops, sparkles): a clip cuts only at the home edge and
// leaves this much room on the other sides.
constexpr double kReach = kSide;

bool overlaps(double min0, double max0, double min1, double max1) {
    return min0 < max1 && min1 < max0;
}

}  // namespace

std::vector<PetHome> PetWindowCoordinator::resolveHomes(int petCount,
                                                        const std::vector<model::PetHomePreference>& preferences) {
    homeDisplays_ = ScreenHomeResolver::geometries(platform::screenList().screens());
    return ScreenHomeResolver::homes(petCount, homeDisplays_, {kSide, kSide}, preferences);
}

void PetWindowCoordinator::rebuildHomes(bool animated) {
    homes = resolveHomes(model_.petCount.get(), model_.homePreferences.get());
    for (size_t i = 0; i < homes.size() && i < petViews.size(); ++i) petViews[i]->configureHome(homes[i]);
    sendPetsHome(animated, false);
    publishPetsAwayFromHome();
}

// A pet is at home while it clings to a home of its own: one carried, one left clinging to a
// screen edge where it was dropped, or one out on a walk or a scene is away.
void PetWindowCoordinator::publishPetsAwayFromHome() {
    const int shown = std::min(model_.petCount.get(), int(petViews.size()));
    int away = 0;
    for (int i = 0; i < shown; ++i)
        if (size_t(i) >= homes.size() || !petViews[size_t(i)]->isHomeAttached() || manuallyPlacedPetIDs.contains(i))
            ++away;
    if (away != model_.petsAwayFromHome.get()) model_.petsAwayFromHome = away;
}

void PetWindowCoordinator::placePanel(PetPanel& panel, Point origin) {
    panel.setFrameOrigin(origin);
    if (auto petID = petIndex(panel)) updateHomeEdgeClip(*petID);
}

void PetWindowCoordinator::updateHomeEdgeClip(int petID) {
    if (petID >= 0 && size_t(petID) < panels.size()) applyHomeEdgeClip(petID, panels[size_t(petID)]->frame().origin);
}

void PetWindowCoordinator::applyHomeEdgeClip(int petID, Point origin) {
    if (petID < 0 || size_t(petID) >= panels.size()) return;
    PetPanel& panel = *panels[size_t(petID)];
    auto clip = homeEdgeClip(petID, origin);
    if (clip != panel.clipRect()) panel.setClipRect(clip);
}

// The window system cannot be trusted to keep the taskbar above the pets, so the pet itself
// leaves out what lies beyond the edge it clings to: the panel draws only the part on the
// screen side. A home's edge counts only alongside the home's screen, where the taskbar or the
// top bar is; a screen-edge perch's edge counts until the pet is picked up again.
std::optional<Rect> PetWindowCoordinator::homeEdgeClip(int petID, Point origin) const {
    if (petID < 0) return std::nullopt;
    const auto i = size_t(petID);
    if (auto perch = manualEdgePerches.find(petID); perch != manualEdgePerches.end() &&
                                                    manuallyPlacedPetIDs.contains(petID) && i < petViews.size() &&
                                                    petViews[i]->activity() != model::PetActivity::dragged)
        return edgeClip(perch->second.edge, perch->second.origin, perch->second.boundaryOffset, origin);
    if (i >= homes.size()) return std::nullopt;
    const PetHome& home = homes[i];
    auto display = std::find_if(homeDisplays_.begin(), homeDisplays_.end(),
                                [&](const DisplayGeometry& d) { return d.id == home.displayID; });
    if (display == homeDisplays_.end()) return std::nullopt;
    const Rect& screen = display->frame;
    const bool horizontalEdge = home.edge == HomeEdge::bottom || home.edge == HomeEdge::top;
    if (horizontalEdge ? !overlaps(origin.x, origin.x + kSide, screen.minX(), screen.maxX())
                       : !overlaps(origin.y, origin.y + kSide, screen.minY(), screen.maxY()))
        return std::nullopt;
    return edgeClip(home.edge, home.origin, home.boundaryOffset, origin);
}

// What stays of a panel at `origin` on the near side of an edge that lies `boundaryOffset`
// into a panel at `restOrigin`.
std::optional<Rect> PetWindowCoordinator::edgeClip(HomeEdge edge, Point restOrigin, double boundaryOffset,
                                                   Point origin) {
    switch (edge) {
        case HomeEdge::bottom: {
            const double cut = std::clamp(restOrigin.y + boundaryOffset - origin.y, 0.0, kSide);
            if (cut <= 0) return std::nullopt;
            return Rect{-kReach, cut, kSide + 2 * kReach, kSide + kReach - cut};
        }
        case HomeEdge::top: {
            const double keep = std::clamp(restOrigin.y + boundaryOffset - origin.y, 0.0, kSide);
            if (keep >= kSide) return std::nullopt;
            return Rect{-kReach, -kReach, kSide + 2 * kReach, kReach + keep};
        }
        case HomeEdge::left: {
            const double cut = std::clamp(restOrigin.x + boundaryOffset - origin.x, 0.0, kSide);
            if (cut <= 0) return std::nullopt;
            return Rect{cut, -kReach, kSide + kReach - cut, kSide + 2 * kReach};
        }
        case HomeEdge::right: {
            const double keep = std::clamp(restOrigin.x + boundaryOffset - origin.x, 0.0, kSide);
            if (keep >= kSide) return std::nullopt;
            return Rect{-kReach, -kReach, kReach + keep, kSide + 2 * kReach};
        }
    }
    return std::nullopt;
}

}  // namespace pets
