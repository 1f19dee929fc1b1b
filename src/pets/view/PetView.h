#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "anim/EmitterLayer.h"
#include "anim/Image.h"
#include "anim/Layer.h"
#include "anim/ShapeLayer.h"
#include "anim/TextLayer.h"
#include "model/PetEnums.h"
#include "model/PetHomeRules.h"
#include "model/PetModels.h"
#include "pets/PetHome.h"
#include "platform/Geometry.h"
#include "platform/MainLoop.h"
#include "platform/Panel.h"
#include "platform/Subscription.h"

namespace pets {

// Every layer of one pet. The body hangs under six nested containers, outermost first: home
// pose, ambient loop, one-shot actions and travel, cursor lean, drag lean, secondary motion.
// Each carries one family of motion, so the families add up by nesting. Shape layers other
// than the shadow and the accessory keep a zero frame at their parent's origin: their paths
// are in the view's coordinates and a transform on them pivots about the view's corner.
struct PetViewLayers {
    std::shared_ptr<anim::Layer> root = anim::Layer::make();
    std::shared_ptr<anim::ShapeLayer> shadowLayer = anim::ShapeLayer::make();
    std::shared_ptr<anim::Layer> homePoseLayer = anim::Layer::make();
    std::shared_ptr<anim::Layer> ambientLayer = anim::Layer::make();
    std::shared_ptr<anim::Layer> actionLayer = anim::Layer::make();
    std::shared_ptr<anim::Layer> attentionLayer = anim::Layer::make();
    std::shared_ptr<anim::Layer> interactionLayer = anim::Layer::make();
    std::shared_ptr<anim::Layer> secondaryLayer = anim::Layer::make();
    std::shared_ptr<anim::Layer> furEchoLayer = anim::Layer::make();
    std::shared_ptr<anim::Layer> furLayer = anim::Layer::make();
    std::shared_ptr<anim::ShapeLayer> accessoryLayer = anim::ShapeLayer::make();
    std::shared_ptr<anim::Layer> faceLayoutLayer = anim::Layer::make();
    std::shared_ptr<anim::Layer> faceLayer = anim::Layer::make();
    std::shared_ptr<anim::Layer> pawLayer = anim::Layer::make();
    std::shared_ptr<anim::Layer> gripLayer = anim::Layer::make();
    std::shared_ptr<anim::ShapeLayer> leftGripOutline = anim::ShapeLayer::make();
    std::shared_ptr<anim::ShapeLayer> rightGripOutline = anim::ShapeLayer::make();
    std::shared_ptr<anim::ShapeLayer> leftEye = anim::ShapeLayer::make();
    std::shared_ptr<anim::ShapeLayer> rightEye = anim::ShapeLayer::make();
    std::shared_ptr<anim::ShapeLayer> leftPupil = anim::ShapeLayer::make();
    std::shared_ptr<anim::ShapeLayer> rightPupil = anim::ShapeLayer::make();
    std::shared_ptr<anim::ShapeLayer> leftPaw = anim::ShapeLayer::make();
    std::shared_ptr<anim::ShapeLayer> rightPaw = anim::ShapeLayer::make();
    std::shared_ptr<anim::EmitterLayer> sparkleLayer = anim::EmitterLayer::make();
    std::shared_ptr<anim::Layer> sceneLayer = anim::Layer::make();
    std::shared_ptr<anim::ShapeLayer> snackLayer = anim::ShapeLayer::make();
    std::shared_ptr<anim::ShapeLayer> snackDetailLayer = anim::ShapeLayer::make();
    std::shared_ptr<anim::ShapeLayer> mouthLayer = anim::ShapeLayer::make();
    std::shared_ptr<anim::ShapeLayer> leftTearLayer = anim::ShapeLayer::make();
    std::shared_ptr<anim::ShapeLayer> rightTearLayer = anim::ShapeLayer::make();
    std::shared_ptr<anim::ShapeLayer> tearSplashLayer = anim::ShapeLayer::make();
    std::shared_ptr<anim::ShapeLayer> highFiveLayer = anim::ShapeLayer::make();
    std::shared_ptr<anim::ShapeLayer> signLayer = anim::ShapeLayer::make();
    std::shared_ptr<anim::TextLayer> signTextLayer = anim::TextLayer::make();
    std::shared_ptr<anim::TextLayer> signCaptionLayer = anim::TextLayer::make();
    std::shared_ptr<anim::ShapeLayer> signHandsLayer = anim::ShapeLayer::make();
    std::shared_ptr<anim::ShapeLayer> effortLayer = anim::ShapeLayer::make();
};

// One pet, drawn as a layer tree that a pet panel or a widget hosts through layer(). The pet
// has no sprite frames: one fur bitmap, with face, paws, shadow, grip, accessory and scene
// props as shape and text layers; everything that moves is moved by animations on the layers.
// Its look follows `activity` and the home state; it is designed for a 52-point square.
// Main thread only. Timers and notification steps hold the view weakly.
class PetView {
public:
    static constexpr double designSize = 52;

    explicit PetView(model::PetProfile profile);
    ~PetView();
    PetView(const PetView&) = delete;
    PetView& operator=(const PetView&) = delete;

    // ---- hosting and geometry

    // The view's own layer, the root of the tree its host draws.
    const std::shared_ptr<anim::Layer>& layer() const { return layers_.root; }
    const PetViewLayers& layers() const { return layers_; }
    // In the host's coordinates; a new size lays the tree out again.
    platform::Rect frame() const { return frame_; }
    void setFrame(const platform::Rect& frame);
    // The frame's size at the origin: the coordinates of every layer path.
    platform::Rect bounds() const { return {0, 0, frame_.width(), frame_.height()}; }
    // Frames, fixed paths, grip paws and face offset for the current bounds.
    void layout();

    // ---- what the pet does

    const model::PetProfile& profile() const { return profile_; }
    model::PetActivity activity() const { return activity_; }
    // A changed activity re-applies the look; the same one again changes nothing.
    void setActivity(model::PetActivity activity);
    // The look of the current activity, applied again.
    void applyActivity();

    std::function<void()> onTap;
    std::function<void()> onDragStarted;
    // Proposed window origin in, the origin to use out.
    std::function<platform::Point(platform::Point)> onDragMoved;
    std::function<void(const model::PetDragRelease&)> onDragFinished;
    // After the pet clung to its home or let go of it.
    std::function<void()> onHomeAttachmentChanged;

    // ---- home

    // Takes the home's kind, edge and boundary offset, keeping the attachment state.
    void configureHome(const PetHome& home);
    // Clings to the home or lets go; detaching also forgets a manual perch.
    void setHomeAttached(bool attached, bool animated);
    bool isHomeAttached() const { return isHomeAttached_; }
    // Grip paws hooked over the boundary. After writing it, call updateFreePaws().
    bool isGrippingHome() const { return isGrippingHome_; }
    void setGrippingHome(bool gripping) { isGrippingHome_ = gripping; }
    // Shows the free or the grip paws as attachment, grip, travel and activity say.
    void updateFreePaws();
    // Makes a dropped pet cling to a screen edge, perched and peeking.
    void setManualEdgePerch(model::HomeEdge edge, double boundaryOffset, double hiddenTravelDistance);
    model::PetHomeKind homeKind() const { return homeKind_; }
    model::HomeEdge homeEdge() const { return homeEdge_; }
    double homeBoundaryOffset() const { return homeBoundaryOffset_; }
    std::optional<model::HomeEdge> manualPerchEdge() const { return manualPerchEdge_; }
    double manualHiddenTravelDistance() const { return manualHiddenTravelDistance_; }

    model::PetAccessory accessory() const { return accessory_; }
    // A different accessory is drawn at once; the same one again changes nothing.
    void setAccessory(model::PetAccessory accessory);
    const model::PetSkinManifest& skin() const { return skin_; }

    // ---- life

    // The one-shot blink and micro-motion timers are replaced; the repeating gaze timer is
    // started only when none runs. They restart the life of a pet that is shown again.
    void scheduleBlink();
    void startGazeTracking();
    void scheduleMicroMotion();
    // The gaze is looked at less often while nothing moves it.
    bool gazeResting() const { return gazeResting_; }
    const platform::Timer* blinkTimer() const { return blinkTimer_.get(); }
    const platform::Timer* gazeTimer() const { return gazeTimer_.get(); }
    const platform::Timer* microMotionTimer() const { return microMotionTimer_.get(); }

    // Timers and animations run only while the presentation is active (the panel is shown).
    bool presentationActive() const { return presentationActive_; }
    void setPresentationActive(bool active);

    bool isTravelling() const { return isTravelling_; }
    // Only the sign of `direction` counts.
    void startTravel(double direction, double strideDuration);
    void stopTravel();
    void celebrate();

    // The next key reaction starts strong: the pet was just woken by typing.
    bool wakeBoostPending() const { return wakeBoostPending_; }
    bool cursorWasNear() const { return cursorWasNear_; }
    // The number last put on the count sign.
    std::optional<int64_t> displayedCount() const { return displayedCount_; }

    // The fur image comes from the process's resource bundle; tests point it at a folder of
    // their own (nullopt restores the process's bundle).
    static void setFurBundleRootForTesting(std::optional<std::filesystem::path> root);
    // The fur image of `skin` in the resource bundle at `bundleRoot`; nothing when it is missing.
    static std::shared_ptr<const anim::Image> loadFurImage(const std::filesystem::path& bundleRoot,
                                                           const model::PetSkinManifest& skin);

private:
    // Construction and layers.
    void buildLayers();
    std::shared_ptr<const anim::Image> loadFurCGImage() const;
    static std::shared_ptr<const anim::Image> sparkleImage();

    // Activity.
    void refreshForAccessibilityOptions();

    // Home, pose and paws.
    model::HomeContactPose currentPose() const;
    platform::Point faceOffset() const;
    double pawRotation() const;
    void applyFaceOffset();
    void applyHomePose(bool animated);
    void updateGripPaws();
    void updateAttachedFaceLayout(bool animated);
    void configureEye(anim::ShapeLayer& eye, anim::ShapeLayer& pupil, platform::Point center);
    void updateAccessoryPath();

    // Motion families whose bodies arrive with the behaviour that plays them.
    void applyAmbientAnimation();
    void applySecondaryMotion();
    void updateSceneDecor();
    void playHomePeek();
    void blink();
    // Moves the pupils toward the pointer, or starts their sweep; true when the pointer moved or
    // the sweep began, so that the gaze keeps being looked at often.
    bool updateGaze();
    // Ends the sweep where the pupils are.
    void stopGazeSweep(double t);
    void scheduleGaze(bool resting);
    void lookAgain();
    void playMicroMotion();

    // `body` run later on the main loop, only while this view exists.
    std::function<void()> weakly(std::function<void()> body) const;
    static bool reduceMotion();

    model::PetProfile profile_;
    model::PetActivity activity_ = model::PetActivity::home;
    platform::Rect frame_{0, 0, designSize, designSize};
    PetViewLayers layers_;

    bool isTravelling_ = false;
    std::unique_ptr<platform::Timer> blinkTimer_;
    std::unique_ptr<platform::Timer> gazeTimer_;
    bool gazeResting_ = false;
    int stillLooks_ = 0;
    std::optional<platform::Point> lastPointer_;
    std::unique_ptr<platform::Timer> microMotionTimer_;
    platform::Subscription displayOptionsObserver_;
    platform::Subscription languageObserver_;
    bool presentationActive_ = true;
    bool wakeBoostPending_ = false;

    model::PetHomeKind homeKind_ = model::PetHomeKind::dock;
    model::HomeEdge homeEdge_ = model::HomeEdge::bottom;
    double homeBoundaryOffset_ = 27;
    bool isHomeAttached_ = false;
    bool isGrippingHome_ = false;
    std::optional<model::HomeEdge> manualPerchEdge_;
    double manualHiddenTravelDistance_ = 0;
    bool cursorWasNear_ = false;
    model::PetAccessory accessory_ = model::PetAccessory::none;
    model::PetSkinManifest skin_ = model::PetSkinManifest::original();
    std::optional<int64_t> displayedCount_;

    // Expires with the view; delayed steps hold it weakly.
    std::shared_ptr<int> life_ = std::make_shared<int>(0);

    // ---- home moves, travel, celebrations and scenes
public:
    // The push-off before the pet walks away: it lets go of its home.
    void leaveHome();
    // The first appearance at home, out of hiding; the second pet comes out a little later.
    // Nothing while hidden or under Reduce Motion.
    void revealAtHome();
    // Arrival at the home origin: the grip follows the attachment.
    void settleAtHome();
    // A star flash and a paw slap toward the partner's side.
    void playHighFiveBurst(bool towardRight);
    // The settings preview shows one activity on demand, with its signature effect.
    void replayPreview(model::PetActivity activity, model::KeyboardReactionStyle keyboardStyle);
    // Holds up the count sign with `count` on it.
    void showCount(int64_t count);
    // The short accent of the current life scene (eating, laughing, crying, showing the count).
    void playSceneAccent();

private:
    // Toward the inside of the home: where the pet hides (or pushes off from).
    platform::Point homeTravelOffset(bool hidden) const;
    // `beginTime` is a media time, 0 for at once.
    void animateGripArrival(double duration, double beginTime);
    void effortBurst(double direction);

    // ---- tap and drag, keyboard reactions, eyes and attention, idle life
public:
    // The panel that shows this pet: its mouse events come here, a drag moves it, and the gaze
    // measures the pointer from its centre. Without one the pet takes no gestures and its eyes
    // rest; nothing is kept alive by it.
    void setWindow(const std::shared_ptr<platform::Panel>& window);
    // Only the round body takes presses (view coordinates): the corners let clicks through.
    bool hitTest(platform::Point point) const;
    void mouseDown(const platform::PanelMouseEvent& event);
    void mouseDragged(const platform::PanelMouseEvent& event);
    void mouseUp(const platform::PanelMouseEvent& event);
    // The wobble of a pet let go at `velocity` (points per second); it ends the drag lean.
    void playDragRelease(platform::Vector velocity);
    // The smoothed pointer velocity of the gesture, at most 720 points per second.
    platform::Vector dragVelocity() const { return dragVelocity_; }
    // From the press to the latest pointer position, in a straight line.
    double draggedDistance() const { return draggedDistance_; }
    // One short typing gesture; `intensity` (0...1) sets its strength.
    void reactToKeyPress(model::KeyboardReactionStyle style, double intensity);
    // The squash of the ground shadow under a landing; not while the pet clings to its home.
    void animateShadowPulse(double duration);

private:
    platform::Panel* window() const;
    void playPickupBounce();
    static anim::Transform dragTransform(platform::Vector velocity);
    void playKeyboardBounce(double energy);
    void alternatePaws();
    void playFaceNod(double energy);
    void playFluffShake(double energy);
    void playHeadTilt(double energy);
    void playMiniHop(double energy);
    void pulseEyes();
    void applyCursorAttention(platform::Vector delta);
    void playCuriousPaw(platform::Vector toward);

    std::weak_ptr<platform::Panel> window_;
    std::optional<platform::Point> dragStartMouse_;
    std::optional<platform::Point> dragStartOrigin_;
    double draggedDistance_ = 0;
    std::optional<platform::Point> lastDragMouse_;
    std::optional<double> lastDragTimestamp_;
    platform::Vector dragVelocity_;
};

}  // namespace pets
