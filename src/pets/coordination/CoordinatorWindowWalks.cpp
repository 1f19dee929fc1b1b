// Window walks: a pet climbs onto the top edge of the front-most window of another program,
// walks along it, perches at the far end and goes home.
#include <algorithm>
#include <cmath>

#include "model/AppModel.h"
#include "pets/coordination/PetWindowCoordinator.h"
#include "pets/coordination/ScreenHomeResolver.h"
#include "pets/coordination/WindowGeometryReader.h"
#include "pets/view/PetView.h"
#include "platform/Services.h"

namespace pets {
namespace {

using platform::Point;

constexpr double kSide = PetWindowCoordinator::kPetSide;
// The panel stands this far below the edge, so the pet's feet are on it.
constexpr double kEdgeDrop = 12;
constexpr double kFrameMargin = 4;
constexpr double kLeftInset = 84;
constexpr double kRightInset = 30;
constexpr double kScreenInset = 5;
constexpr double kMinimumSpan = 95;
constexpr double kApproachSpeed = 190;
constexpr double kEdgeSpeed = 180;
constexpr double kLegStartup = 0.24;
constexpr double kMinApproach = 0.9;
constexpr double kMinEdgeWalk = 1.3;
constexpr double kMaxLeg = 5.0;
constexpr double kStartDelay = 0.32;
constexpr double kLegGap = 0.04;
constexpr double kPerchDelay = 0.05;
constexpr double kPerchTime = 1.1;
// Less than this in every value and the window still counts as the one walked on.
constexpr double kDriftTolerance = 9;

bool sameWindow(const WindowWalkCandidate& now, const WindowWalkCandidate& walked) {
    const auto& a = now.bounds;
    const auto& b = walked.bounds;
    return now.id == walked.id && std::abs(a.minX() - b.minX()) < kDriftTolerance &&
           std::abs(a.minY() - b.minY()) < kDriftTolerance && std::abs(a.width() - b.width()) < kDriftTolerance &&
           std::abs(a.height() - b.height()) < kDriftTolerance;
}

}  // namespace

std::optional<DisplayGeometry> PetWindowCoordinator::currentDisplay(uint32_t displayID) const {
    for (const auto& display : ScreenHomeResolver::geometries(platform::screenList().screens()))
        if (display.id == displayID) return display;
    return std::nullopt;
}

bool PetWindowCoordinator::startWindowWalk(int petID) {
    const auto i = size_t(petID);
    if (!isPetID(petID) || i >= panels.size() || i >= petViews.size() || i >= homes.size()) return false;
    const auto candidate = WindowGeometryReader::frontWindow();
    if (!candidate) return false;
    const auto display = currentDisplay(homes[i].displayID);
    if (!display) return false;
    const platform::Rect vis = display->visibleFrame;
    const platform::Rect w = candidate->bounds;
    if (w.width() < WindowGeometryReader::kMinimumWidth || w.height() < WindowGeometryReader::kMinimumHeight ||
        !w.intersects(vis))
        return false;
    const double lineY = w.maxY() - kEdgeDrop;
    // The whole pet stays inside the visible frame: a maximised window offers no room above it.
    if (lineY < vis.minY() + kFrameMargin || lineY + kSide > vis.maxY() - kFrameMargin) return false;
    const double left = std::max(w.minX() + kLeftInset, vis.minX() + kScreenInset);
    const double right = std::min(w.maxX() - kSide - kRightInset, vis.maxX() - kSide - kScreenInset);
    if (right - left < kMinimumSpan) return false;

    PetView& view = *petViews[i];
    const bool rightward = view.profile().energetic;
    const Point first{rightward ? left : right, lineY};
    const Point last{rightward ? right : left, lineY};

    const Uuid token = newToken();
    windowWalkGenerations[i] = token;
    activeWindowWalks[petID] = *candidate;
    view.leaveHome();
    view.setActivity(model::PetActivity::roaming);

    const Point o = panels[i]->frame().origin;
    const double approach =
        std::clamp(std::hypot(first.x - o.x, first.y - o.y) / kApproachSpeed + kLegStartup, kMinApproach, kMaxLeg);
    const double edge = std::clamp(std::abs(last.x - first.x) / kEdgeSpeed + kLegStartup, kMinEdgeWalk, kMaxLeg);
    const WindowWalkCandidate walked = *candidate;
    auto& loop = platform::mainLoop();
    loop.after(kStartDelay, weakly([this, petID, token, walked, first, approach] {
                   if (!windowWalkHolds(petID, token, walked)) return;
                   move(panels[size_t(petID)], first, true, approach, true, std::nullopt);
               }));
    loop.after(kStartDelay + approach + kLegGap, weakly([this, petID, token, walked, last, edge] {
                   if (!windowWalkHolds(petID, token, walked)) return;
                   move(panels[size_t(petID)], last, true, edge, true, std::nullopt);
                   platform::mainLoop().after(edge + kPerchDelay, weakly([this, petID, token, walked] {
                                                  perchOnWindow(petID, token, walked);
                                              }));
               }));
    return true;
}

bool PetWindowCoordinator::windowWalkHolds(int petID, Uuid token, const WindowWalkCandidate& walked) const {
    if (!isPetID(petID) || windowWalkGenerations[size_t(petID)] != token) return false;
    const auto walk = activeWindowWalks.find(petID);
    return walk != activeWindowWalks.end() && walk->second == walked;
}

void PetWindowCoordinator::perchOnWindow(int petID, Uuid token, const WindowWalkCandidate& walked) {
    if (!windowWalkHolds(petID, token, walked)) return;
    petViews[size_t(petID)]->setActivity(model::PetActivity::perched);
    platform::mainLoop().after(kPerchTime, weakly([this, petID, token, walked] {
                                   if (!windowWalkHolds(petID, token, walked)) return;
                                   activeWindowWalks.erase(petID);
                                   movePetHome(petID, true);
                               }));
}

void PetWindowCoordinator::validateWindowWalks() {
    if (activeWindowWalks.empty()) return;
    const auto walks = activeWindowWalks;
    for (const auto& [petID, walked] : walks) {
        const auto front = WindowGeometryReader::frontWindow();
        if (front && sameWindow(*front, walked)) continue;
        endWindowWalk(petID);
    }
}

void PetWindowCoordinator::cancelWindowWalks() {
    const auto walks = activeWindowWalks;
    for (const auto& walk : walks) endWindowWalk(walk.first);
}

void PetWindowCoordinator::endWindowWalk(int petID) {
    invalidateMovement(petID);
    if (petID < model_.petCount.get() && petsShown()) movePetHome(petID, true);
}

}  // namespace pets
