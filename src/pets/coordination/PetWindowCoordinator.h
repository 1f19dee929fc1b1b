#pragma once

#include <array>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "model/PetChoiceRules.h"
#include "model/PetEnums.h"
#include "model/PetModels.h"
#include "model/WellbeingModels.h"
#include "pets/coordination/DisplayGeometry.h"
#include "pets/PetHome.h"
#include "pets/coordination/WindowWalkCandidate.h"
#include "platform/Geometry.h"
#include "platform/MainLoop.h"
#include "platform/Panel.h"
#include "platform/Random.h"
#include "platform/Subscription.h"

namespace model {
class AppModel;
struct KeyboardReactionEvent;
}  // namespace model

namespace pets {

class PetView;

// The floating panel that holds a pet or the reminder sign: borderless, never focused, never
// kept on a screen by the window system.
using PetPanel = platform::Panel;

// Owns the two desktop pets: their panels and views, their homes on the screens, every
// pending movement and every behaviour. Created once by the application controller and
// started once; it lives as long as the process. Main thread only.
//
// Times kept only in memory ("busy until", "next at", holds, the demonstration's end) are on
// the main loop's monotonic media clock, so setting the system clock back never freezes the
// pets.
class PetWindowCoordinator final {
public:
    static constexpr int kPetSlots = 2;
    static constexpr double kPetSide = 52;
    static constexpr double distantPast = -std::numeric_limits<double>::infinity();

    // Creates nothing and subscribes to nothing until start().
    explicit PetWindowCoordinator(model::AppModel& model);
    ~PetWindowCoordinator();
    PetWindowCoordinator(const PetWindowCoordinator&) = delete;
    PetWindowCoordinator& operator=(const PetWindowCoordinator&) = delete;

    // Builds the pets, places them at home, follows the model, the screens and the desktop,
    // and starts the behaviour and visibility timers. A second call returns at once.
    void start();
    bool isStarted() const { return !panels.empty(); }
    model::AppModel& model() const { return model_; }

    // Ends a running demonstration and a shown reminder sign, then brings every shown pet home
    // (hidden ones too). `holdPosition` keeps them there for a while.
    model::PetHomeCommandResult sendPetsHome(bool animated, bool holdPosition);
    // Plays one life scene or pose on the target's pets; false, with nothing played, when the
    // pets are hidden or the target's pets do not exist.
    bool performDesktopScene(model::PetLifeScene scene, model::DesktopDemoTarget target);
    bool performDesktopPose(model::PetActivity pose, model::DesktopDemoTarget target);
    // Every life scene and pose in turn, with the same refusal rule.
    bool demonstrateAll(model::DesktopDemoTarget target);
    // Whether a demonstration would be played now: the pets are shown and exist.
    bool mayDemonstrate() const;

    // Written before each demonstration: a new generation supersedes the delayed steps of an
    // earlier one, and the coordinator's own behaviour pauses until the media time given.
    platform::Uuid desktopDemoGeneration;
    double desktopDemoUntil = distantPast;

private:
    friend struct CoordinatorTestAccess;
    using Uuid = platform::Uuid;
    template <typename T>
    using PerPet = std::array<T, kPetSlots>;

    // ---- start-up (PetWindowCoordinator.cpp)
    void createPets();
    void dismissReminder();
    // `body` run later only while this coordinator exists.
    std::function<void()> weakly(std::function<void()> body) const;
    static bool isPetID(int petID) { return petID >= 0 && petID < kPetSlots; }
    double now() const;
    static bool reduceMotion();
    static Uuid newToken();

    // ---- the clip rule (PetWindowCoordinator.cpp)
    bool mayStartClip(model::PetClipKind kind, int petID) const;
    void claimClip(model::PetClipKind kind, int petID, double duration);
    void releaseClip(model::PetClipKind kind, int petID);
    void resetDirector(int petID);

    // ---- homes (CoordinatorHomes.cpp)
    void rebuildHomes(bool animated);
    // The homes for `petCount` pets on the screens as they are now; remembers the screens for
    // the home-edge clipping.
    std::vector<PetHome> resolveHomes(int petCount, const std::vector<model::PetHomePreference>& preferences);
    // Puts a pet panel at `origin` and hides whatever part of it lies behind the pet's home edge.
    void placePanel(PetPanel& panel, platform::Point origin);
    void updateHomeEdgeClip(int petID);
    void applyHomeEdgeClip(int petID, platform::Point origin);
    std::optional<platform::Rect> homeEdgeClip(int petID, platform::Point origin) const;
    // Tells the model how many pets are away from home, when that changed.
    void publishPetsAwayFromHome();
    static std::optional<platform::Rect> edgeClip(model::HomeEdge edge, platform::Point restOrigin,
                                                  double boundaryOffset, platform::Point origin);

    // ---- movement (CoordinatorMovement.cpp)
    void move(const std::shared_ptr<PetPanel>& panel, platform::Point to, bool animated, double duration,
              bool locomotion, std::optional<double> strideDuration);
    void stopFrameAnimation(const PetPanel& panel);
    void frameAnimationTick(const std::weak_ptr<PetPanel>& weakPanel, const PetPanel* key, Uuid token, double startTime,
                            double duration, bool locomotion, platform::Point from, platform::Point to);
    // Drops a finished or stopped motion's timer after the current turn: it may be the one
    // that is firing.
    void retireFrameTimer(const PetPanel* key);
    void movePetHome(int petID, bool animated);
    void arrivalStep(int step, int petID, Uuid token, const PetHome& home);
    void invalidateMovement(int petID);
    void invalidatePendingMovements();
    void scheduleReturnHome(int petID);
    std::optional<int> petIndex(const PetPanel& panel) const;

    // ---- model observation (CoordinatorObservation.cpp)
    void observeModel();
    void updateVisibility(bool visible, int petCount);
    void refreshFullScreenVisibility();
    void applyPetCountTransition(int from, int to);
    void applyHomePreferences(const std::vector<model::PetHomePreference>& preferences);
    void snapHome(int petID);

    // ---- the behaviour tick (CoordinatorBehaviorTick.cpp)
    void rescheduleAutonomousScenes(bool initial, std::optional<int> petCount);
    void advanceBehaviors();
    void holdPetsAtHome();
    std::vector<int> readyPetIDs(double at) const;
    double idleSeconds() const;
    // Each true when it started its behaviour, which ends the tick.
    bool tryWindowWalk(const std::vector<int>& ready);
    bool tryRelationship(const std::vector<int>& ready, double idle, double at);
    void playNextLifeScene(int petID, double at);
    void applyAmbientPose(int petID, double idle, double at);
    void reattachAfterRest(int petID, const PetHome& home);

    // ---- life scenes, roaming, peeks and scoots at home (CoordinatorLifeScenes.cpp)
    void playLifeScene(model::PetLifeScene scene, int petID);
    // `action` runs after `delay` only while the scene of `token` is still the pet's and the
    // pet is still free to play it.
    void scheduleSceneBeat(int petID, Uuid token, double delay, std::function<void()> action);
    void finishLifeScene(int petID);
    void roam(int petID, Uuid token);
    void playHomePeek(int petID);
    void playHomeScoot(int petID);
    // The motion's token, or nothing when the pet cannot start one (away from home it is sent home).
    std::optional<Uuid> enterHomeMotion(int petID);
    void homeMotionStage(bool peek, size_t stage, int petID, Uuid token, const PetHome& home);

    // ---- window walks (CoordinatorWindowWalks.cpp)
    bool startWindowWalk(int petID);
    // Each step of a walk goes on only while the walk is the pet's and its window unchanged.
    bool windowWalkHolds(int petID, Uuid token, const WindowWalkCandidate& walked) const;
    void perchOnWindow(int petID, Uuid token, const WindowWalkCandidate& walked);
    void validateWindowWalks();
    void cancelWindowWalks();
    void endWindowWalk(int petID);
    // The screen with that number as it is now, not as the homes last saw it.
    std::optional<DisplayGeometry> currentDisplay(uint32_t displayID) const;

    // ---- two-pet relationships (CoordinatorRelationships.cpp)
    bool performRelationship(model::PetRelationshipEvent event);
    // No token means the one current now.
    void scheduleRelationshipEnd(double delay, std::optional<Uuid> token);
    void afterRelationship(double delay, Uuid token, bool needsTwoPets, std::function<void()> step);
    bool hasTwoPetsAndHomes() const;
    bool homesOnOneDisplay() const;
    bool homesWithinReach() const;
    void copycatPets();
    void lookoutPets();
    void shareSnackPets();
    void comfortPets();
    void laughTogether(double delay, Uuid token, int laughing, int other, model::PetActivity then);
    void cuddlePets();
    void chasePets();
    platform::Point chaseTarget(platform::Point start, platform::Point aim, const platform::Rect& area) const;
    void chaseRun(int petID, platform::Point to);
    void searchForFriend();
    void wakeSleepyFriend();
    void greetPets();
    void highFivePets();

    // ---- reminders and focus (CoordinatorReminders.cpp)
    // A preview the user asked for is not held back by a focus session.
    bool canShowReminder(bool preview = false) const;
    void presentReminder(model::WellbeingAction action, bool preview = false);
    void showReminderSign(model::WellbeingAction action, platform::Point origin);
    // Stops a running two-pet relationship, its end included; the pets but `presenter` go home.
    void endRelationship(int presenter);
    void reactToWellbeing(model::WellbeingAction action);
    void focusActivityChanged(bool active);

    // ---- desktop demonstrations (CoordinatorDemos.cpp)
    std::vector<int> demoPets(model::DesktopDemoTarget target) const;
    void performDesktopPose(model::PetActivity pose, int petID);

    // ---- taps and drags (CoordinatorGestures.cpp)
    void celebrate(int petID);
    void beginDrag(int petID);
    platform::Point clampedDragOrigin(platform::Point proposed);
    void finishDrag(const model::PetDragRelease& release, int petID);
    // The pet is no longer where the user put it: it takes its home's look again.
    void endManualPlacement(int petID);

    // ---- typing reactions and key-count milestones (CoordinatorKeyboard.cpp)
    void reactToTyping(const model::KeyboardReactionEvent& event);
    void performKeyboardReaction(const model::PetKeyboardReaction& entry, const model::KeyboardReactionEvent& reaction,
                                 Uuid token, bool wasPerched);
    void playTypingMotion(const model::PetKeyboardReaction& entry, const model::KeyboardReactionEvent& reaction,
                          Uuid token, bool wasPerched);
    void showCountSign(int petID, Uuid token, bool wasPerched);
    void showCountOnPerch(int petID, const model::ScreenEdgePerch& perch, Uuid token);
    // Walks back onto a screen-edge perch and clings there, unless `stillCurrent` says otherwise.
    void returnToPerch(int petID, const model::ScreenEdgePerch& perch, double walk, std::function<bool()> stillCurrent);
    void presentKeyboardMilestone(int64_t count);
    void setGrip(int petID, bool gripping, bool animated);
    // One of the pets the model asks for, with a panel of its own.
    bool isShownPet(int petID) const;
    bool petsShown() const;

    // ---- stored state
    model::AppModel& model_;
    std::vector<std::shared_ptr<PetPanel>> panels;
    std::vector<std::unique_ptr<PetView>> petViews;
    std::vector<PetHome> homes;
    std::unique_ptr<platform::Timer> behaviorTimer;
    std::unique_ptr<platform::Timer> visibilityTimer;
    std::vector<platform::Subscription> cancellables;
    PerPet<model::PetAnimationDirector> animationDirectors{};
    std::optional<int> activeMilestonePetID;
    std::vector<int64_t> pendingMilestones;
    Uuid relationshipGeneration;
    PerPet<Uuid> returnHomeGenerations;
    PerPet<Uuid> homeMovementGenerations;
    PerPet<Uuid> keyboardReactionGenerations;
    PerPet<Uuid> windowWalkGenerations;
    std::map<int, WindowWalkCandidate> activeWindowWalks;
    std::map<const PetPanel*, std::unique_ptr<platform::Timer>> frameAnimationTimers;
    std::map<const PetPanel*, Uuid> frameAnimationTokens;
    double nextWindowWalkAttemptAt = distantPast;
    int behaviorTurn = 0;
    // What a press on the pet cut short, for the tap that may follow it: the press itself ends
    // the pet's scene and lets go of its home.
    PerPet<bool> pressCutScene{false, false};
    PerPet<bool> pressFoundAttached{false, false};
    std::set<int> manuallyPlacedPetIDs;
    std::map<int, model::ScreenEdgePerch> manualEdgePerches;
    double nextRelationshipAt = distantPast;
    // While the last relationship may still hold the pets.
    double relationshipBusyUntil = distantPast;
    PerPet<double> nextSceneAt{distantPast, distantPast};
    PerPet<double> nextAmbientPoseAt{distantPast, distantPast};
    PerPet<Uuid> sceneGenerations;
    PerPet<double> sceneBusyUntil{distantPast, distantPast};
    PerPet<std::optional<model::PetLifeScene>> previousScene{};
    PerPet<bool> keyboardSceneReturnPending{false, false};
    Uuid wellbeingGeneration;
    Uuid focusPresentationGeneration;
    int appliedPetCount = 2;
    std::optional<double> explicitHomeHoldUntil;
    PerPet<double> countSignVisibleUntil{distantPast, distantPast};
    std::shared_ptr<PetPanel> reminderPanel;
    std::optional<int> reminderPetID;
    std::optional<model::WellbeingAction> pendingReminder;

    // The screens the homes were last computed from: the home-edge clipping asks which screen
    // a home lies on.
    std::vector<DisplayGeometry> homeDisplays_;
    // The screen and desktop observers stay for the coordinator's life.
    std::vector<platform::Subscription> systemObservers_;
    // Expires with the coordinator; timers and delayed steps hold it weakly.
    std::shared_ptr<char> alive_ = std::make_shared<char>(0);
};

}  // namespace pets
