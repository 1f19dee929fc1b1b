#include "menubar/stash/NativeMenuBarMealEngine.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "model/L10n.h"
#include "platform/program/ResourceBundle.h"
#include "platform/Services.h"

namespace menubar::stash {
namespace {

using model::L10n;

constexpr double kControlLengthOn = 56;
constexpr double kControlLengthOff = 28;
constexpr double kRecoveryInterval = 2.0;
constexpr double kRestoreFoldDelay = 1.0;
constexpr double kWatchdogDelay = 6.0;
constexpr double kMeasureDelay = 0.3;
constexpr double kConfirmInterval = 0.3;
constexpr int kConfirmTicks = 8;
// The first ticks only wait: the bar needs a moment to lay itself out anew.
constexpr int kFirstTestedTick = 7;
constexpr double kNewApplicationDeadline = 3.0;
constexpr double kMovedTolerance = 4.0;
constexpr double kBandSlack = 4.0;
constexpr double kLeftSlack = 1.0;
constexpr double kFrameInterval = 0.1;
constexpr std::array<double, 5> kMouth{0.2, 0.7, 1.0, 0.6, 0.0};

constexpr const char* kNotFinished = "收纳未能完成，图标已保持展开，请重试。";
constexpr const char* kMoveIntoView = "请将栗丸移到可见位置后重试，图标保持展开。";

bool isFinite(const platform::Rect& r) {
    return std::isfinite(r.minX()) && std::isfinite(r.minY()) && std::isfinite(r.width()) &&
           std::isfinite(r.height());
}

bool whollyInside(const platform::Rect& inner, const platform::Rect& outer) {
    return inner.minX() >= outer.minX() && inner.maxX() <= outer.maxX() && inner.minY() >= outer.minY() &&
           inner.maxY() <= outer.maxY();
}

// This program's own identifier, which every assertion allows.
const std::optional<std::string>& ownBundleIdentifier() {
    static const std::optional<std::string> own = [] {
        const auto bundle = platform::ResourceBundle::find();
        return bundle ? bundle->infoString("CFBundleIdentifier") : std::nullopt;
    }();
    return own;
}

}  // namespace

NativeMenuBarMealEngine::NativeMenuBarMealEngine(platform::Defaults& defaults,
                                                 std::shared_ptr<MenuBarAccessibilityInventory> inventory)
    : defaults_(defaults),
      inventory_(inventory ? std::move(inventory) : std::make_shared<MenuBarAccessibilityInventory>()) {
    isEnabled_.setSilently(defaults_.boolValue(kMenuBarMealEnabledKey).value_or(false));
    requestedCollapsed_.setSilently(storedWantsCollapsed(defaults_));
    motionID_ = freshStamp();
    pendingID_ = freshStamp();
}

NativeMenuBarMealEngine::~NativeMenuBarMealEngine() {
    QBMenuVisibilityInvalidate(assertion_);
    QBMenuVisibilityInvalidate(pending_);
}

platform::StatusItem* NativeMenuBarMealEngine::control() const {
    return controlLifetime_.expired() ? nullptr : control_;
}

void NativeMenuBarMealEngine::setControlLength(bool on) {
    if (auto* c = control()) c->setLength(on ? kControlLengthOn : kControlLengthOff);
}

void NativeMenuBarMealEngine::after(double delay, std::function<void()> work) {
    auto guarded = [alive = std::weak_ptr<char>(alive_), work = std::move(work)] {
        if (!alive.expired()) work();
    };
    if (delay <= 0)
        platform::mainLoop().post(std::move(guarded));
    else
        platform::mainLoop().after(delay, std::move(guarded));
}

void NativeMenuBarMealEngine::cancelRequests() {
    ++token_;
    motionID_ = freshStamp();
    pendingID_ = freshStamp();
    QBMenuVisibilityInvalidate(std::exchange(assertion_, nullptr));
    QBMenuVisibilityInvalidate(std::exchange(pending_, nullptr));
    allowed_.clear();
    newApplications_.clear();
    lostChecks_ = 0;
}

void NativeMenuBarMealEngine::attachControl(platform::StatusItem& item) {
    control_ = &item;
    controlLifetime_ = item.lifetime();
    setControlLength(isEnabled_);
    visibilityObservation_ = item.visibilityDidChange.subscribe([this] { after(0, [this] { checkRecovery(); }); });
    updateFace();
}

void NativeMenuBarMealEngine::start() {
    if (started_) return;
    started_ = true;
    timer_ = platform::mainLoop().schedule(kRecoveryInterval, 0, true, [this] { checkRecovery(); });
    observers_.push_back(platform::menuBarApplications().didLaunchApplication.subscribe(
        [this](const platform::RunningApplication& launched) {
            after(0, [this, id = launched.bundleIdentifier] { preserveNewApplication(id); });
        }));
    observers_.push_back(platform::notificationCenter().addObserver(
        platform::notifications::screenParametersChanged, [this] {
            after(0, [this] {
                // Measurements taken for a fold in progress no longer hold.
                if (requestedCollapsed_ && !isCollapsed_) unfold(false);
                checkRecovery();
            });
        }));
    const uint64_t token = token_;
    after(kRestoreFoldDelay, [this, token] {
        if (started_ && token_ == token && isEnabled_ && requestedCollapsed_) fold(false);
    });
}

void NativeMenuBarMealEngine::stop() {
    started_ = false;
    cancelRequests();
    isCollapsed_ = false;
    if (timer_) timer_->invalidate();
    timer_.reset();
    visibilityObservation_.cancel();
    observers_.clear();
    updateFace();
}

void NativeMenuBarMealEngine::setEnabled(bool enabled) {
    if (enabled == isEnabled_) return;
    cancelRequests();
    isEnabled_ = enabled;
    isCollapsed_ = false;
    defaults_.set(kMenuBarMealEnabledKey, enabled);
    setControlLength(enabled);
    if (enabled) {
        fold(true);
        return;
    }
    requestedCollapsed_ = false;
    defaults_.set(kMenuBarMealDesiredCollapsedKey, false);
    message_ = L10n::t("已关闭，图标已全部吐出。");
    updateFace();
}

void NativeMenuBarMealEngine::toggle() {
    if (!isEnabled_) return;
    if (requestedCollapsed_)
        unfold(true);
    else
        fold(true);
}

void NativeMenuBarMealEngine::authorizeAndRetry() {
    if (!isEnabled_) return;
    auto& applications = platform::menuBarApplications();
    if (!applications.isTrusted()) {
        applications.promptForTrust();
        message_ = L10n::t("请在系统设置中允许辅助功能，然后点击“授权后重试”。");
        return;
    }
    fold(true);
}

void NativeMenuBarMealEngine::giveUp(const char* text) {
    const std::string message = L10n::t(text);
    unfold(false);
    message_ = message;
}

void NativeMenuBarMealEngine::unfold(bool animated) {
    cancelRequests();
    requestedCollapsed_ = false;
    isCollapsed_ = false;
    defaults_.set(kMenuBarMealDesiredCollapsedKey, false);
    message_ = L10n::t("图标已吐出，可继续调整顺序。");
    if (animated)
        animate(true);
    else
        updateFace();
}

void NativeMenuBarMealEngine::fold(bool animated) {
    if (!isEnabled_ || isCollapsed_) return;
    cancelRequests();
    requestedCollapsed_ = true;
    defaults_.set(kMenuBarMealDesiredCollapsedKey, true);
    if (!QBMenuVisibilityAvailable()) return giveUp("此系统暂不支持图标收纳，图标保持展开。");
    if (!platform::menuBarApplications().isTrusted()) return giveUp("图标收纳需要辅助功能权限；未授权时保持展开。");
    if (!control()) return giveUp(kMoveIntoView);
    const uint64_t op = token_;
    message_ = L10n::t("正在确认菜单栏位置…");
    after(kWatchdogDelay, [this, op] {
        if (token_ == op && requestedCollapsed_ && !isCollapsed_) giveUp(kNotFinished);
    });
    after(kMeasureDelay, [this, op, animated] {
        if (token_ == op && isEnabled_) measure(op, animated);
    });
}

void NativeMenuBarMealEngine::measure(uint64_t op, bool animated) {
    const auto* c = control();
    const auto window = c ? c->window() : std::nullopt;
    if (!window || !recoveryVisible()) return giveUp(kMoveIntoView);
    const platform::Rect measured = MenuBarAccessibilityInventory::axFrame(window->frame);
    inventory_->snapshot(
        [this, alive = std::weak_ptr<char>(alive_), op, animated, measured](const MenuBarInventorySnapshot& snapshot) {
            if (!alive.expired()) foldWithSnapshot(op, animated, measured, snapshot);
        });
}

void NativeMenuBarMealEngine::foldWithSnapshot(uint64_t op, bool animated, const platform::Rect& measured,
                                               const MenuBarInventorySnapshot& snapshot) {
    if (token_ != op || !isEnabled_ || !requestedCollapsed_) return;
    const auto* c = control();
    const auto window = c ? c->window() : std::nullopt;
    const auto& own = ownBundleIdentifier();
    if (!window) return giveUp("菜单栏位置仍在变化，请停止拖动后重试。");
    const platform::Rect now = MenuBarAccessibilityInventory::axFrame(window->frame);
    if (std::abs(now.minX() - measured.minX()) >= kMovedTolerance ||
        std::abs(now.minY() - measured.minY()) >= kMovedTolerance || !recoveryVisible() || !own)
        return giveUp("菜单栏位置仍在变化，请停止拖动后重试。");
    if (!window->screen) return giveUp(kNotFinished);

    const platform::Rect& screen = window->screen->frame;
    const double h = std::max(window->frame.height(), platform::statusBar().thickness()) + kBandSlack;
    const platform::Rect band = MenuBarAccessibilityInventory::axFrame({screen.minX(), screen.maxY() - h, screen.width(), h});
    std::set<std::string> keep = snapshot.uncertain, hide;
    keep.insert(*own);
    for (const auto& item : snapshot.items) {
        const auto& f = item.frame;
        const bool measurable = f.width() > 0 && f.height() > 0 && isFinite(f) && whollyInside(f, band);
        if (measurable && f.maxX() <= measured.minX() + kLeftSlack)
            hide.insert(item.bundle);
        else
            keep.insert(item.bundle);
    }
    // A program with any item right of the pet, off the bar or unreadable keeps all its items.
    for (const auto& id : keep) hide.erase(id);
    std::set<std::string> all = snapshot.running;
    for (const auto& app : platform::menuBarApplications().runningApplications())
        if (app.bundleIdentifier) all.insert(*app.bundleIdentifier);
    allowed_.clear();
    for (const auto& id : all)
        if (!hide.contains(id)) allowed_.insert(id);
    allowed_.insert(*own);
    allowed_.merge(newApplications_);
    newApplications_.clear();
    activate(op, [this, op, animated] { confirmApplied(op, animated, kConfirmTicks); });
}

void NativeMenuBarMealEngine::activate(uint64_t op, std::function<void()> completion) {
    const uint64_t id = pendingID_ = freshStamp();
    QBMenuVisibilityInvalidate(std::exchange(pending_, nullptr));
    // The completion always comes later, so the handle is known by the time it is read.
    auto returned = std::make_shared<MenuVisibilityAssertionHandle>();
    *returned = QBMenuVisibilityActivate(
        {allowed_.begin(), allowed_.end()},
        [this, alive = std::weak_ptr<char>(alive_), op, id, returned,
         completion = std::move(completion)](std::optional<platform::MenuVisibilityError> error) {
            // An assertion nobody waits for any more must not keep icons hidden.
            if (alive.expired() || token_ != op || pendingID_ != id || !isEnabled_ || !requestedCollapsed_) {
                QBMenuVisibilityInvalidate(*returned);
                return;
            }
            pending_ = nullptr;
            if (error || !*returned) {
                QBMenuVisibilityInvalidate(*returned);
                return giveUp(kNotFinished);
            }
            QBMenuVisibilityInvalidate(std::exchange(assertion_, *returned));
            completion();
        });
    pending_ = *returned;
}

void NativeMenuBarMealEngine::confirmApplied(uint64_t op, bool animated, int remaining) {
    after(kConfirmInterval, [this, op, animated, remaining] {
        if (token_ != op || !requestedCollapsed_ || !assertion_) return;
        if (remaining < kFirstTestedTick) {
            if (recoveryVisible()) {
                if (!newApplications_.empty()) {
                    allowed_.merge(newApplications_);
                    newApplications_.clear();
                    activate(op, [this, op, animated, remaining] { confirmApplied(op, animated, remaining); });
                    return;
                }
                isCollapsed_ = true;
                message_ = L10n::t("图标已收起。右键点击菜单栏栗丸即可吐出。");
                if (animated)
                    animate(false);
                else
                    updateFace();
                return;
            }
            if (remaining < 1) return giveUp(kMoveIntoView);
        }
        confirmApplied(op, animated, remaining - 1);
    });
}

bool NativeMenuBarMealEngine::recoveryVisible() const {
    const auto* c = control();
    if (!platform::menuBarApplications().isTrusted() || !c || !c->isVisible()) return false;
    const auto face = recoveryFaceFrame ? recoveryFaceFrame() : std::nullopt;
    if (!face) return false;
    const auto window = c->window();
    if (!window || !window->screen) return false;
    const double h = std::max(window->frame.height(), platform::statusBar().thickness());
    const platform::Rect& screen = window->screen->frame;
    const platform::Rect area = window->screen->auxiliaryTopRightArea.value_or(
        platform::Rect{screen.minX(), screen.maxY() - (h + kBandSlack), screen.width(), h + kBandSlack});
    if (!isFinite(*face) || face->width() < 20 || face->height() < 18 || !whollyInside(*face, area)) return false;
    const auto hit = MenuBarAccessibilityInventory::hitBelongsToProcess(MenuBarAccessibilityInventory::axFrame(*face),
                                                                       platform::application().processId());
    return hit.value_or(false);
}

void NativeMenuBarMealEngine::checkRecovery() {
    if (!started_ || !isEnabled_ || !isCollapsed_) return;
    // The user may be dragging items on the bar.
    const auto& pointer = platform::pointer();
    if (pointer.isCommandHeld() || pointer.isAnyButtonPressed()) return;
    if (recoveryVisible()) {
        lostChecks_ = 0;
        return;
    }
    if (++lostChecks_ < 2) return;
    setEnabled(false);
    message_ = L10n::t("恢复入口持续不可见，栗丸已为安全自动吐出图标。");
}

void NativeMenuBarMealEngine::preserveNewApplication(const std::optional<std::string>& bundleIdentifier) {
    if (!started_ || !isEnabled_ || !requestedCollapsed_ || !bundleIdentifier) return;
    if (!isCollapsed_) {
        newApplications_.insert(*bundleIdentifier);
        return;
    }
    if (allowed_.contains(*bundleIdentifier)) return;
    allowed_.insert(*bundleIdentifier);
    const uint64_t op = token_;
    activate(op, [this] { checkRecovery(); });
    const uint64_t id = pendingID_;
    after(kNewApplicationDeadline, [this, op, id] {
        if (token_ == op && pendingID_ == id && pending_) giveUp(kNotFinished);
    });
}

void NativeMenuBarMealEngine::updateFace() {
    if (onFaceChange) onFaceChange({isCollapsed_ ? -1 : 0, 0, isCollapsed_, 0, false, isEnabled_ && !isCollapsed_});
}

void NativeMenuBarMealEngine::animate(bool spitting) {
    const uint64_t motion = motionID_ = freshStamp();
    if (platform::accessibility().reduceMotion()) return updateFace();
    for (int i = 0; i < 5; ++i)
        after(i * kFrameInterval, [this, motion, i, spitting] {
            if (motionID_ != motion) return;
            if (onFaceChange) onFaceChange({-1, kMouth[i], isCollapsed_, i / 4.0, spitting, true});
            if (i == 4) updateFace();
        });
}

}  // namespace menubar::stash
