#include "menubar/stash/LegacyMenuBarMealEngine.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "model/L10n.h"
#include "platform/Services.h"

namespace menubar::stash {
namespace {

using model::L10n;

constexpr const char* kControlName = "TuftleMealControl";
constexpr const char* kSpacerBaseName = "TuftleMealSpacer";
constexpr int64_t kControlDefaultPosition = 48;
constexpr int64_t kSpacerDefaultPosition = 49;

constexpr double kControlLengthOn = 56;
constexpr double kControlLengthOff = 28;
constexpr double kSpacerShownLength = 4;
constexpr double kControlWindowMaxWidth = 76;

constexpr double kStartDelay = 0.9;
constexpr double kScreenChangeDelay = 0.85;
constexpr double kRecoveryDelay = 0.85;
constexpr double kRecoveryConfirmDelay = 0.45;
constexpr double kFoldAfterEnableDelay = 0.35;
constexpr double kFoldVerifyDelay = 0.6;
constexpr double kOwnPositionRecheckDelay = 0.45;
constexpr double kLostFaceRecheckDelay = 0.35;
constexpr double kRepairCheckInterval = 0.45;
constexpr int kRepairChecks = 4;
constexpr double kMotionFrameInterval = 0.1;

constexpr std::array<double, 5> kSpitMouth{0.25, 0.8, 1.0, 0.55, 0.0};
constexpr std::array<double, 5> kFeedMouth{0.2, 0.7, 1.0, 0.72, 0.0};

std::string positionKey(const std::string& name) {
    return platform::statusItemPositionKey(name);
}

// Positions of status items live in the standard store, whatever store the settings use.
platform::Defaults& positions() {
    return platform::defaults();
}

std::string foldFailedMessage() {
    return L10n::t("收纳区未能贴到栗丸旁；图标保持展开，请调整栗丸位置后重试。");
}

}  // namespace

LegacyMenuBarMealEngine::LegacyMenuBarMealEngine(platform::Defaults& defaults) : defaults_(defaults) {
    isEnabled_.setSilently(defaults_.boolValue(kMenuBarMealEnabledKey).value_or(false));
    const bool wanted = storedWantsCollapsed(defaults_);
    transaction_ = {transaction_.generation + 1, wanted, true};
    requestedCollapsed_.setSilently(wanted);
    motionGeneration_ = freshStamp();
    layoutGeneration_ = freshStamp();
}

LegacyMenuBarMealEngine::~LegacyMenuBarMealEngine() = default;

std::string LegacyMenuBarMealEngine::spacerAutosaveName(int64_t afterControlPosition) {
    if (afterControlPosition == kControlDefaultPosition) return kSpacerBaseName;
    return "TuftleMealSpacerAt" + std::to_string(afterControlPosition);
}

double LegacyMenuBarMealEngine::hiddenSpacerWidth(const std::vector<platform::Screen>& screens) {
    double widest = 0;
    for (const auto& s : screens) widest = std::max(widest, s.frame.width());
    return std::clamp(2 * widest, 1200.0, 10000.0);
}

void LegacyMenuBarMealEngine::prepareControlPosition() {
    seedOwnPositions(false);
}

void LegacyMenuBarMealEngine::seedOwnPositions(bool force) {
    auto& store = positions();
    const auto controlKey = positionKey(kControlName), spacerKey = positionKey(kSpacerBaseName);
    if (force || !store.hasObject(controlKey)) store.set(controlKey, kControlDefaultPosition);
    if (force || !store.hasObject(spacerKey)) store.set(spacerKey, kSpacerDefaultPosition);
}

void LegacyMenuBarMealEngine::createSpacer() {
    const int64_t controlPosition = positions().integer(positionKey(kControlName)).value_or(kControlDefaultPosition);
    // A name no spacer had before: the bar must not place it from an older spacer's record.
    const std::string name = spacerAutosaveName(controlPosition) + "-" + platform::uuids().next().string();
    positions().set(positionKey(name), std::max<int64_t>(controlPosition, 0));
    spacer_ = platform::statusBar().createStatusItem();
    spacer_->setLength(kSpacerShownLength);
    spacer_->setAutosaveName(name);
    spacer_->setToolTip(L10n::t("栗丸图标收纳区"));
    spacerAutosaveNameInUse_ = name;
    observeSpacerWindow();
}

void LegacyMenuBarMealEngine::removeSpacer() {
    spacerWindowObservers_.clear();
    spacer_.reset();
    const auto name = std::exchange(spacerAutosaveNameInUse_, std::nullopt);
    // The seeded base name carries no "-" and keeps its record.
    if (name && name->find('-') != std::string::npos) positions().remove(positionKey(*name));
}

void LegacyMenuBarMealEngine::observeSpacerWindow() {
    spacerWindowObservers_.clear();
    if (!spacer_ || !spacer_->window()) return;
    spacerWindowObservers_.push_back(
        spacer_->windowDidChange.subscribe([this] { onNextTurn([this] { scheduleRecoveryCheck(); }); }));
}

void LegacyMenuBarMealEngine::expandItems() {
    if (spacer_) spacer_->setLength(kSpacerShownLength);
    if (auto* c = control()) c->setLength(isEnabled_ ? kControlLengthOn : kControlLengthOff);
}

void LegacyMenuBarMealEngine::updateControl() {
    if (!onFaceChange) return;
    onFaceChange({isCollapsed_ ? -1 : 0, 0, isCollapsed_, 0, false, isEnabled_ && !isCollapsed_});
}

platform::StatusItem* LegacyMenuBarMealEngine::control() const {
    return controlLifetime_.expired() ? nullptr : control_;
}

bool LegacyMenuBarMealEngine::controlIsVisible() const {
    auto* c = control();
    if (!c || !c->isVisible()) return false;
    const auto window = c->window();
    if (!window || !window->isVisible || window->frame.width() > kControlWindowMaxWidth) return false;
    const auto face = recoveryFaceFrame ? recoveryFaceFrame() : std::nullopt;
    if (!face) return false;
    std::optional<platform::Screen> screen = window->screen;
    if (!screen)
        for (const auto& s : platform::screenList().screens())
            if (s.frame.intersects(*face)) {
                screen = s;
                break;
            }
    if (!screen) return false;
    const platform::Rect area = screen->auxiliaryTopRightArea.value_or(screen->frame);
    const bool finite = std::isfinite(face->origin.x) && std::isfinite(face->origin.y) &&
                        std::isfinite(face->size.width) && std::isfinite(face->size.height);
    return finite && face->width() >= 20 && face->height() >= 18 && face->minX() >= area.minX() &&
           face->maxX() <= area.maxX() && face->minY() >= area.minY() && face->maxY() <= area.maxY();
}

bool LegacyMenuBarMealEngine::spacerIsAdjacentToControl() const {
    auto* c = control();
    if (!c || !spacer_) return false;
    const auto spacerWindow = spacer_->window(), controlWindow = c->window();
    if (!spacerWindow || !controlWindow || spacerWindow->frame.width() <= 0) return false;
    const double gap = controlWindow->frame.minX() - spacerWindow->frame.maxX();
    return gap >= -2 && gap <= 3;
}

void LegacyMenuBarMealEngine::restoreControlPositionAfterFailedRepair() {
    if (!originalControlPositionDuringRepair_) return;
    const int64_t position = *std::exchange(originalControlPositionDuringRepair_, std::nullopt);
    removeSpacer();
    positions().set(positionKey(kControlName), position);
    if (onRecoveryPositionRepair) onRecoveryPositionRepair();
    if (isEnabled_) createSpacer();
}

void LegacyMenuBarMealEngine::attachControl(platform::StatusItem& item) {
    controlWindowObservers_.clear();
    control_ = &item;
    controlLifetime_ = item.lifetime();
    visibilityObservation_ =
        item.visibilityDidChange.subscribe([this] { onNextTurn([this] { scheduleRecoveryCheck(); }); });
    item.setLength(isEnabled_ ? kControlLengthOn : kControlLengthOff);
    updateControl();
    if (item.window())
        controlWindowObservers_.push_back(
            item.windowDidChange.subscribe([this] { onNextTurn([this] { scheduleRecoveryCheck(); }); }));
}

void LegacyMenuBarMealEngine::start() {
    if (started_) return;
    started_ = true;
    screenObserver_ =
        platform::notificationCenter().addObserver(platform::notifications::screenParametersChanged,
                                                   [this] { onNextTurn([this] { verifyAfterScreenChange(); }); });
    const uint64_t token = transaction_.generation;
    after(kStartDelay, [this, token] { startStep(token); });
}

void LegacyMenuBarMealEngine::stop() {
    // The wish stays stored, so the next launch folds again; pending steps become stale.
    beginOperation(transaction_.wantsCollapsed);
    isCollapsed_ = false;
    expandItems();
    removeSpacer();
    updateControl();
    screenObserver_.cancel();
    controlWindowObservers_.clear();
    visibilityObservation_.cancel();
    started_ = false;
}

void LegacyMenuBarMealEngine::after(double delay, std::function<void()> work) {
    platform::mainLoop().after(delay, [alive = std::weak_ptr<char>(alive_), work = std::move(work)] {
        if (!alive.expired()) work();
    });
}

void LegacyMenuBarMealEngine::onNextTurn(std::function<void()> work) {
    platform::mainLoop().post([alive = std::weak_ptr<char>(alive_), work = std::move(work)] {
        if (!alive.expired()) work();
    });
}

uint64_t LegacyMenuBarMealEngine::beginOperation(bool collapsed) {
    transaction_ = {transaction_.generation + 1, collapsed, true};
    requestedCollapsed_ = collapsed;
    motionGeneration_ = freshStamp();
    layoutGeneration_ = freshStamp();
    pendingRecoveryCheck_.reset();
    spacerRepairPending_ = false;
    restoreControlPositionAfterFailedRepair();
    defaults_.set(kMenuBarMealDesiredCollapsedKey, collapsed);
    return transaction_.generation;
}

bool LegacyMenuBarMealEngine::foldStillWanted(uint64_t token) const {
    return isEnabled_ && transaction_.generation == token && transaction_.wantsCollapsed;
}

void LegacyMenuBarMealEngine::setEnabled(bool enabled) {
    if (enabled == isEnabled_) return;
    isEnabled_ = enabled;
    defaults_.set(kMenuBarMealEnabledKey, enabled);
    // Switching on always wants the icons hidden; switching off stores the wish false.
    const uint64_t token = beginOperation(enabled);
    isCollapsed_ = false;
    if (!enabled) {
        removeSpacer();
        if (auto* c = control()) c->setLength(kControlLengthOff);
        updateControl();
        message_ = L10n::t("已关闭，图标已全部吐出。");
        return;
    }
    attemptedOwnPositionRepair_ = false;
    seedOwnPositions(false);
    if (!spacer_) createSpacer();
    expandItems();
    updateControl();
    after(kFoldAfterEnableDelay, [this, token] {
        if (foldStillWanted(token)) performFold(token, true);
    });
}

void LegacyMenuBarMealEngine::toggle() {
    if (!isEnabled_) return;
    if (transaction_.wantsCollapsed)
        unfold(true);
    else
        performFold(beginOperation(true), true);
}

void LegacyMenuBarMealEngine::unfold(bool animated) {
    beginOperation(false);
    isCollapsed_ = false;
    if (animated) {
        playMealMotion(true, [this] { expandItems(); });
    } else {
        expandItems();
        updateControl();
    }
    if (isEnabled_) message_ = L10n::t("图标已吐出，可继续调整顺序。");
}

void LegacyMenuBarMealEngine::performFold(uint64_t token, bool animated) {
    if (!foldStillWanted(token)) return;
    if (!controlIsVisible()) {
        loseRecoveryFace();
        return;
    }
    std::optional<platform::Screen> screen;
    if (auto* c = control())
        if (auto window = c->window()) screen = window->screen;
    if (!screen) screen = platform::screenList().mainScreen();
    if (!screen) {
        const auto all = platform::screenList().screens();
        if (!all.empty()) screen = all.front();
    }
    const double room =
        screen ? (screen->auxiliaryTopRightArea ? screen->auxiliaryTopRightArea->width() : screen->frame.width() / 2)
               : 0;
    if (!screen || screen->frame.width() < 600 || room < 260) {
        unfold(false);
        message_ = L10n::t("此屏幕菜单栏空间不足，栗丸没有收起图标。");
        return;
    }
    if (!spacerIsAdjacentToControl()) {
        repairSpacerNextToControl(token, animated);
        return;
    }
    auto transition = [this, token, width = screen->frame.width()] { foldTransition(token, width); };
    if (animated) {
        playMealMotion(false, transition);
    } else {
        transition();
        updateControl();
    }
}

void LegacyMenuBarMealEngine::foldTransition(uint64_t token, double chosenScreenWidth) {
    if (!foldStillWanted(token)) return;
    auto screens = platform::screenList().screens();
    if (screens.empty()) {
        platform::Screen chosen;
        chosen.frame = {0, 0, chosenScreenWidth, 0};
        screens.push_back(chosen);
    }
    if (spacer_) spacer_->setLength(hiddenSpacerWidth(screens));
    after(kFoldVerifyDelay, [this, token] {
        if (!foldStillWanted(token)) return;
        if (!controlIsVisible() || !spacerIsAdjacentToControl()) {
            unfold(false);
            message_ = foldFailedMessage();
            return;
        }
        isCollapsed_ = true;
        message_ = L10n::t("图标已收起。右键点击菜单栏栗丸即可吐出。");
        updateControl();
        scheduleRecoveryCheck();
    });
}

void LegacyMenuBarMealEngine::playMealMotion(bool spitting, std::function<void()> transition) {
    const uint64_t motion = motionGeneration_ = freshStamp();
    if (platform::accessibility().reduceMotion()) {
        transition();
        updateControl();
        return;
    }
    const auto& mouth = spitting ? kSpitMouth : kFeedMouth;
    for (int i = 0; i < 5; ++i) {
        after(i * kMotionFrameInterval, [this, motion, i, spitting, transition, opening = mouth[i]] {
            if (motionGeneration_ != motion) return;
            // A spit shows the icons early, before the mouth closes; a feed hides them last.
            if (i == (spitting ? 1 : 4)) transition();
            if (onFaceChange) onFaceChange({-1, opening, isCollapsed_, i / 4.0, spitting, spitting ? i > 0 : i < 4});
            if (i == 4) updateControl();
        });
    }
}

void LegacyMenuBarMealEngine::startStep(uint64_t token) {
    if (!started_ || transaction_.generation != token) return;
    if (isEnabled_) {
        if (!spacer_) {
            seedOwnPositions(false);
            if (!spacer_) createSpacer();
            expandItems();
            updateControl();
        }
        if (transaction_.wantsCollapsed && !isCollapsed_) {
            performFold(token, false);
            return;
        }
        if (isCollapsed_) {
            scheduleRecoveryCheck();
            return;
        }
    }
    verifyInitialControlVisibility(token);
}

void LegacyMenuBarMealEngine::verifyInitialControlVisibility(uint64_t token) {
    if (transaction_.generation != token || controlIsVisible()) return;
    if (attemptedOwnPositionRepair_) {
        if (isEnabled_) setEnabled(false);
        message_ = L10n::t("栗丸菜单栏入口不可见；已重置自身位置并关闭收纳。");
        return;
    }
    attemptedOwnPositionRepair_ = true;
    const uint64_t next = beginOperation(false);
    isCollapsed_ = false;
    expandItems();
    removeSpacer();
    seedOwnPositions(true);
    if (onRecoveryPositionRepair) onRecoveryPositionRepair();
    if (isEnabled_) {
        seedOwnPositions(false);
        if (!spacer_) createSpacer();
        expandItems();
        updateControl();
    }
    after(kOwnPositionRecheckDelay, [this, next] {
        if (transaction_.generation == next) verifyInitialControlVisibility(next);
    });
}

void LegacyMenuBarMealEngine::verifyAfterScreenChange() {
    if (!started_) return;
    const uint64_t layout = layoutGeneration_ = freshStamp();
    const uint64_t token = transaction_.generation;
    // A later change replaces this check.
    after(kScreenChangeDelay, [this, layout, token] {
        if (!started_ || layoutGeneration_ != layout || transaction_.generation != token) return;
        if (isEnabled_ && isCollapsed_) {
            const auto screens = platform::screenList().screens();
            if (!screens.empty() && spacer_) spacer_->setLength(hiddenSpacerWidth(screens));
            scheduleRecoveryCheck();
            return;
        }
        verifyInitialControlVisibility(token);
    });
}

void LegacyMenuBarMealEngine::scheduleRecoveryCheck() {
    if (!isEnabled_ || !isCollapsed_ || !transaction_.wantsCollapsed || spacerRepairPending_ || pendingRecoveryCheck_)
        return;
    const uint64_t check = freshStamp();
    pendingRecoveryCheck_ = check;
    const uint64_t token = transaction_.generation;
    auto current = [this, check, token] { return transaction_.generation == token && pendingRecoveryCheck_ == check; };
    after(kRecoveryDelay, [this, current, token] {
        if (!current()) return;
        if (controlIsVisible() && spacerIsAdjacentToControl()) {
            pendingRecoveryCheck_.reset();
            return;
        }
        // A move in progress settles before anything is repaired.
        after(kRecoveryConfirmDelay, [this, current, token] {
            if (!current() || !isEnabled_ || !isCollapsed_) return;
            pendingRecoveryCheck_.reset();
            if (!controlIsVisible())
                loseRecoveryFace();
            else if (!spacerIsAdjacentToControl())
                repairSpacerNextToControl(token, false);
        });
    });
}

void LegacyMenuBarMealEngine::loseRecoveryFace() {
    setEnabled(false);
    message_ = L10n::t("恢复入口持续不可见，栗丸已为安全自动吐出图标。");
    const uint64_t token = transaction_.generation;
    after(kLostFaceRecheckDelay, [this, token] {
        if (transaction_.generation == token) verifyInitialControlVisibility(token);
    });
}

void LegacyMenuBarMealEngine::repairSpacerNextToControl(uint64_t token, bool animateFold) {
    if (spacerRepairPending_ || transaction_.generation != token || !transaction_.wantsCollapsed ||
        !transaction_.repairAvailable) {
        unfold(false);
        message_ = foldFailedMessage();
        return;
    }
    transaction_.repairAvailable = false;
    spacerRepairPending_ = true;
    pendingRecoveryCheck_.reset();
    motionGeneration_ = freshStamp();
    // A new spacer takes the control's current position under a name the bar has never seen.
    removeSpacer();
    createSpacer();
    message_ = L10n::t("正在将收纳区贴到栗丸左侧。");
    after(kRepairCheckInterval,
          [this, token, animateFold] { finishSpacerRepair(token, kRepairChecks - 1, false, animateFold); });
}

void LegacyMenuBarMealEngine::finishSpacerRepair(uint64_t token, int remaining, bool reanchored, bool animateFold) {
    if (!foldStillWanted(token) || !spacerRepairPending_) return;
    if (controlIsVisible() && spacerIsAdjacentToControl()) {
        spacerRepairPending_ = false;
        originalControlPositionDuringRepair_.reset();
        performFold(token, animateFold);
        return;
    }
    if (remaining >= 1) {
        after(kRepairCheckInterval, [this, token, remaining, reanchored, animateFold] {
            finishSpacerRepair(token, remaining - 1, reanchored, animateFold);
        });
        return;
    }
    if (!reanchored && controlIsVisible() && onRecoveryPositionRepair) {
        reanchorOwnControl(token, animateFold);
        return;
    }
    unfold(false);
    message_ = foldFailedMessage();
    if (!controlIsVisible()) loseRecoveryFace();
}

void LegacyMenuBarMealEngine::reanchorOwnControl(uint64_t token, bool animateFold) {
    const int64_t position = positions().integer(positionKey(kControlName)).value_or(0);
    if (position < 1) {
        unfold(false);
        message_ = L10n::t("收纳区未能贴到栗丸旁；图标保持展开。");
        return;
    }
    // The pet's item one place further along gives the bar a new arrangement to put the
    // next spacer beside it; the old place comes back if that does not help.
    originalControlPositionDuringRepair_ = position;
    removeSpacer();
    positions().set(positionKey(kControlName), position - 1);
    if (onRecoveryPositionRepair) onRecoveryPositionRepair();
    createSpacer();
    after(kRepairCheckInterval,
          [this, token, animateFold] { finishSpacerRepair(token, kRepairChecks - 1, true, animateFold); });
}

}  // namespace menubar::stash
