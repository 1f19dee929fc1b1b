// The two pets together: the dispatcher, the shared staging and end, and every behaviour.
// Each behaviour that starts owns a fresh relationship token; its later steps and its end act
// only while the token is still current, so whatever takes the pets over cancels them.
#include <algorithm>
#include <cmath>

#include "model/AppModel.h"
#include "pets/coordination/PetWindowCoordinator.h"
#include "pets/view/PetView.h"
#include "platform/Services.h"

namespace pets {
namespace {

using model::PetActivity;
using platform::Point;

constexpr double kSide = PetWindowCoordinator::kPetSide;
// Farther apart than this the pets do not run or walk to each other.
constexpr double kMaxReach = 350;

// A chase: the leader runs ahead and a little down, the follower after it.
constexpr double kChaseInset = 18;
constexpr double kChaseRun = 150;
constexpr double kChaseDrop = 20;
constexpr double kChaseGap = 54;
constexpr double kChaseSpeedFactor = 1.2;
constexpr double kChaseStartup = 0.26;
constexpr double kMinChaseRun = 0.58;
constexpr double kStrideLength = 36;
constexpr double kMinStride = 0.19;
constexpr double kMaxStride = 0.49;

constexpr double kHighFiveInset = 16;
constexpr double kHighFiveMargin = 58;

double distance(Point a, Point b) {
    return std::hypot(b.x - a.x, b.y - a.y);
}

}  // namespace

bool PetWindowCoordinator::performRelationship(model::PetRelationshipEvent event) {
    using enum model::PetRelationshipEvent;
    switch (event) {
        case none:
            return false;
        case cuddle:
            relationshipGeneration = newToken();
            cuddlePets();
            return true;
        case celebrate: {
            relationshipGeneration = newToken();
            if (petViews.empty()) return false;
            petViews[0]->setActivity(PetActivity::playing);
            petViews[0]->celebrate();
            scheduleRelationshipEnd(1.8, std::nullopt);
            return true;
        }
        case chase:
            chasePets();
            return true;
        case searchForFriend:
            this->searchForFriend();
            return true;
        case wakeSleepyFriend:
            this->wakeSleepyFriend();
            return true;
        case greet:
            greetPets();
            return true;
        case highFive:
            highFivePets();
            return true;
        case copycat:
            copycatPets();
            return true;
        case lookout:
            lookoutPets();
            return true;
        case shareSnack:
            shareSnackPets();
            return true;
        case comfort:
            comfortPets();
            return true;
    }
    return false;
}

void PetWindowCoordinator::scheduleRelationshipEnd(double delay, std::optional<Uuid> token) {
    const Uuid held = token.value_or(relationshipGeneration);
    platform::mainLoop().after(delay, weakly([this, held] {
                                   if (relationshipGeneration == held) sendPetsHome(true, false);
                               }));
}

void PetWindowCoordinator::afterRelationship(double delay, Uuid token, bool needsTwoPets, std::function<void()> step) {
    platform::mainLoop().after(delay, weakly([this, token, needsTwoPets, step = std::move(step)] {
                                   if (relationshipGeneration != token) return;
                                   if (needsTwoPets && model_.petCount.get() != 2) return;
                                   step();
                               }));
}

bool PetWindowCoordinator::hasTwoPetsAndHomes() const {
    return model_.petCount.get() == 2 && homes.size() == 2 && panels.size() >= 2 && petViews.size() >= 2;
}

bool PetWindowCoordinator::homesOnOneDisplay() const {
    return homes[0].displayID == homes[1].displayID;
}

bool PetWindowCoordinator::homesWithinReach() const {
    return homesOnOneDisplay() && distance(homes[0].origin, homes[1].origin) < kMaxReach;
}

// ---- the behaviours that keep the pets in place

void PetWindowCoordinator::copycatPets() {
    if (!hasTwoPetsAndHomes()) return;
    const Uuid token = relationshipGeneration = newToken();
    petViews[0]->setActivity(PetActivity::copycat);
    afterRelationship(0.28, token, true, [this] { petViews[1]->setActivity(PetActivity::copycat); });
    scheduleRelationshipEnd(2.6, token);
}

void PetWindowCoordinator::lookoutPets() {
    if (model_.petCount.get() != 2 || petViews.size() < 2) return;
    sendPetsHome(true, false);
    const Uuid token = relationshipGeneration = newToken();
    afterRelationship(2.0, token, true, [this] {
        if (model_.isFocusActive.get()) return;
        petViews[0]->setActivity(PetActivity::searching);
        petViews[1]->setActivity(PetActivity::drowsy);
    });
    scheduleRelationshipEnd(5.0, token);
}

void PetWindowCoordinator::shareSnackPets() {
    if (model_.petCount.get() != 2 || petViews.size() < 2) return;
    const Uuid token = relationshipGeneration = newToken();
    const int sharer = behaviorTurn & 1;
    const int partner = sharer ^ 1;
    petViews[size_t(sharer)]->setActivity(PetActivity::eating);
    petViews[size_t(partner)]->setActivity(PetActivity::searching);
    afterRelationship(0.85, token, false, [this, partner] {
        petViews[size_t(partner)]->setActivity(PetActivity::eating);
        petViews[size_t(partner)]->playSceneAccent();
    });
    laughTogether(2.5, token, sharer, partner, PetActivity::stretching);
    scheduleRelationshipEnd(3.4, token);
}

void PetWindowCoordinator::comfortPets() {
    if (model_.petCount.get() != 2 || petViews.size() < 2) return;
    const Uuid token = relationshipGeneration = newToken();
    const int crying = behaviorTurn & 1;
    const int comforter = crying ^ 1;
    petViews[size_t(crying)]->setActivity(PetActivity::crying);
    petViews[size_t(comforter)]->setActivity(PetActivity::searching);
    afterRelationship(0.85, token, false,
                      [this, comforter] { petViews[size_t(comforter)]->setActivity(PetActivity::greeting); });
    laughTogether(2.2, token, crying, comforter, PetActivity::cuddling);
    scheduleRelationshipEnd(3.2, token);
}

void PetWindowCoordinator::laughTogether(double delay, Uuid token, int laughing, int other, PetActivity then) {
    afterRelationship(delay, token, false, [this, laughing, other, then] {
        petViews[size_t(laughing)]->setActivity(PetActivity::laughing);
        petViews[size_t(other)]->setActivity(then);
    });
}

// ---- the behaviours that move the pets

void PetWindowCoordinator::cuddlePets() {
    if (!hasTwoPetsAndHomes()) return;
    if (!homesOnOneDisplay()) return copycatPets();
    const Point meeting = homes[0].origin;
    petViews[0]->setHomeAttached(false, true);
    petViews[1]->setHomeAttached(false, true);
    petViews[0]->setActivity(PetActivity::cuddling);
    petViews[1]->setActivity(PetActivity::cuddling);
    move(panels[0], meeting, true, 0.8, false, std::nullopt);
    move(panels[1], homes[0].alongEdge(meeting, 36), true, 0.8, false, std::nullopt);
    scheduleRelationshipEnd(3.0, std::nullopt);
}

// Toward `aim` from `start`, no farther than one roam and inside `area`.
Point PetWindowCoordinator::chaseTarget(Point start, Point aim, const platform::Rect& area) const {
    double vx = aim.x - start.x, vy = aim.y - start.y;
    const double d = std::hypot(vx, vy);
    const double reach = model_.cadenceProfile().roamDistance.upperBound;
    if (d > reach && d > 0) vx *= reach / d, vy *= reach / d;
    return {std::min(std::max(start.x + vx, area.minX()), area.maxX() - kSide),
            std::min(std::max(start.y + vy, area.minY()), area.maxY() - kSide)};
}

void PetWindowCoordinator::chaseRun(int petID, Point to) {
    const double speed = kChaseSpeedFactor * model_.cadenceProfile().travelSpeed;
    const Point from = panels[size_t(petID)]->frame().origin;
    const double run = std::max(distance(from, to) / speed + kChaseStartup, kMinChaseRun);
    move(panels[size_t(petID)], to, true, run, true, std::clamp(kStrideLength / speed, kMinStride, kMaxStride));
}

void PetWindowCoordinator::chasePets() {
    if (!hasTwoPetsAndHomes()) return;
    const auto display = homesWithinReach() ? currentDisplay(homes[0].displayID) : std::nullopt;
    if (!display) return copycatPets();
    const Uuid token = relationshipGeneration = newToken();
    const int leader = behaviorTurn & 1;
    const int follower = leader ^ 1;
    const platform::Rect area = display->visibleFrame.insetBy(kChaseInset, kChaseInset);
    const Point p = panels[size_t(leader)]->frame().origin;
    const double dir = p.x < area.midX() ? 1 : -1;
    const Point target = chaseTarget(p, {p.x + kChaseRun * dir, p.y - kChaseDrop}, area);
    const double speed = kChaseSpeedFactor * model_.cadenceProfile().travelSpeed;
    const double run = std::max(distance(p, target) / speed + kChaseStartup, kMinChaseRun);

    petViews[size_t(leader)]->leaveHome();
    petViews[size_t(follower)]->leaveHome();
    petViews[size_t(leader)]->setActivity(PetActivity::chasing);
    petViews[size_t(follower)]->setActivity(PetActivity::searching);
    afterRelationship(0.24, token, false, [this, leader, target] { chaseRun(leader, target); });
    afterRelationship(0.5, token, false, [this, follower, target, dir, area] {
        petViews[size_t(follower)]->setActivity(PetActivity::chasing);
        const Point q = panels[size_t(follower)]->frame().origin;
        chaseRun(follower, chaseTarget(q, {target.x - kChaseGap * dir, target.y}, area));
    });
    scheduleRelationshipEnd(std::max(run + 1.45, 3.4), token);
}

void PetWindowCoordinator::searchForFriend() {
    if (!hasTwoPetsAndHomes()) return;
    if (!homesWithinReach()) return copycatPets();
    const Uuid token = relationshipGeneration = newToken();
    petViews[0]->setActivity(PetActivity::searching);
    petViews[1]->setActivity(PetActivity::peeking);
    petViews[0]->leaveHome();
    move(panels[0], homes[1].alongEdge(homes[1].origin, -34), true, 1.35, true, std::nullopt);
    afterRelationship(1.45, token, false, [this] {
        petViews[0]->setActivity(PetActivity::cuddling);
        petViews[1]->setActivity(PetActivity::cuddling);
    });
    scheduleRelationshipEnd(3.1, token);
}

void PetWindowCoordinator::wakeSleepyFriend() {
    if (!hasTwoPetsAndHomes()) return;
    if (!homesWithinReach()) return copycatPets();
    const Uuid token = relationshipGeneration = newToken();
    petViews[0]->setActivity(PetActivity::waking);
    petViews[1]->setActivity(PetActivity::sleeping);
    petViews[0]->leaveHome();
    move(panels[0], homes[1].alongEdge(homes[1].origin, -38), true, 0.9, true, std::nullopt);
    afterRelationship(1.2, token, false, [this] {
        petViews[1]->setActivity(PetActivity::waking);
        petViews[1]->celebrate();
    });
    scheduleRelationshipEnd(2.8, token);
}

void PetWindowCoordinator::greetPets() {
    if (!hasTwoPetsAndHomes()) return;
    if (!homesOnOneDisplay()) return copycatPets();
    const Uuid token = relationshipGeneration = newToken();
    const Point mid{(homes[0].origin.x + homes[1].origin.x) / 2, (homes[0].origin.y + homes[1].origin.y) / 2};
    const int greeter = behaviorTurn & 1;
    const int other = greeter ^ 1;
    petViews[size_t(greeter)]->setActivity(PetActivity::greeting);
    petViews[size_t(other)]->setActivity(PetActivity::searching);
    petViews[0]->leaveHome();
    petViews[1]->leaveHome();
    move(panels[0], homes[0].alongEdge(mid, -25), true, 0.85, false, std::nullopt);
    move(panels[1], homes[0].alongEdge(mid, 25), true, 1.0, false, std::nullopt);
    afterRelationship(0.42, token, false,
                      [this, other] { petViews[size_t(other)]->setActivity(PetActivity::greeting); });
    afterRelationship(1.0, token, false, [this, token] {
        petViews[0]->settleAtHome();
        afterRelationship(0.18, token, false, [this] { petViews[1]->settleAtHome(); });
    });
    scheduleRelationshipEnd(2.8, token);
}

void PetWindowCoordinator::highFivePets() {
    const auto display =
        hasTwoPetsAndHomes() && homesOnOneDisplay() ? currentDisplay(homes[0].displayID) : std::nullopt;
    if (!display) return copycatPets();
    const platform::Rect area = display->visibleFrame.insetBy(kHighFiveInset, kHighFiveInset);
    const Point n{(homes[0].approachOrigin.x + homes[1].approachOrigin.x) / 2,
                  (homes[0].approachOrigin.y + homes[1].approachOrigin.y) / 2};
    const double x = std::min(std::max(n.x, area.minX() + kHighFiveMargin), area.maxX() - kHighFiveMargin);
    const double y = std::min(std::max(n.y, area.minY()), area.maxY() - kSide);
    const struct {
        Point to;
        double duration;
    } walks[] = {{{x - 43, y}, 0.9}, {{x - 5, y}, 1.05}};
    for (int pet : {0, 1}) {
        invalidateMovement(pet);
        petViews[size_t(pet)]->leaveHome();
        petViews[size_t(pet)]->setActivity(PetActivity::roaming);
        move(panels[size_t(pet)], walks[pet].to, true, walks[pet].duration, true, std::nullopt);
    }
    const Uuid token = relationshipGeneration = newToken();
    afterRelationship(1.08, token, true, [this] {
        petViews[0]->setActivity(PetActivity::highFiving);
        petViews[0]->playHighFiveBurst(true);
        petViews[1]->setActivity(PetActivity::highFiving);
        petViews[1]->playHighFiveBurst(false);
    });
    scheduleRelationshipEnd(3.2, token);
}

}  // namespace pets
