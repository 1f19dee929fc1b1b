#include "app/AppController.h"

#include <cstdio>
#include <utility>

#include "app/LaunchAtLoginManager.h"
#include "menubar/MenuBarEntryController.h"
#include "menubar/stash/MenuBarMealController.h"
#include "model/AppModel.h"
#include "model/CompanionTracker.h"
#include "model/KeyboardCounter.h"
#include "model/L10n.h"
#include "pets/coordination/PetWindowCoordinator.h"
#include "platform/Services.h"

namespace app {
namespace {

constexpr double kOnboardingDelay = 0.45;                // s after start-up
constexpr double kAutomaticUpdateCheckInterval = 86400;  // s
constexpr platform::Size kOnboardingSize{540, 420};

std::string onboardingTitle() {
    return model::L10n::t("欢迎来到栗丸");
}

}  // namespace

AppController& AppController::shared() {
    // Never destroyed: its services hold timers and windows of the backend, which is gone by
    // the time statics are torn down, and the exit handler may still reach the controller.
    static AppController* controller = new AppController(model::AppModel::shared());
    return *controller;
}

AppController::AppController(model::AppModel& model) : model_(model), runtimeHealth_(platform::defaults()) {}

AppController::~AppController() = default;

model::KeyboardCounter& AppController::keyboardCounter() {
    if (!keyboardCounter_) keyboardCounter_ = model::KeyboardCounter::create(&model_);
    return *keyboardCounter_;
}

pets::PetWindowCoordinator& AppController::petCoordinator() {
    if (!petCoordinator_) petCoordinator_ = std::make_unique<pets::PetWindowCoordinator>(model_);
    return *petCoordinator_;
}

model::CompanionTracker& AppController::companionTracker() {
    if (!companionTracker_) companionTracker_ = model::CompanionTracker::create(model_);
    return *companionTracker_;
}

void AppController::start() {
    if (started_) return;
    started_ = true;

    runtimeHealth_.evaluateAtLaunch();
    menubar::stash::MenuBarMealController::shared().engine().start();
    model_.recoveredFromUnexpectedExit = runtimeHealth_.recoveredFromUnexpectedExit();
    if (runtimeHealth_.recoveredFromUnexpectedExit()) {
        std::fprintf(stderr, "tuftle: recovered from an unexpected exit\n");
    }
    petCoordinator().start();
    companionTracker().start();
    requestListenEventAccessIfNeeded();
    keyboardCounter().refresh();
    bringLoginEntryUpToDate();
    refreshLaunchAtLogin();

    // Subscribing replays the current value; only later changes count.
    lastKeyCountingEnabled_ = model_.keyCountingEnabled.get();
    cancellables_.push_back(
        model_.keyCountingEnabled.subscribe([this](const bool& enabled) { keyCountingChanged(enabled); }, false));

    observeSystem();

    // The no-tray notice comes after the welcome window, not over it.
    menubar::MenuBarEntryController::shared().holdNoTrayNotice(
        [this, alive = std::weak_ptr<char>(alive_)] { return !alive.expired() && onboardingWindow_; });
    if (!model_.onboardingCompleted.get()) {
        welcomeDue_ = true;
        platform::mainLoop().after(kOnboardingDelay, [this, alive = std::weak_ptr<char>(alive_)] {
            if (!alive.expired()) showOnboarding();
        });
    }

    restoreVerifiedUpdate();
    scheduleAutomaticUpdateCheck();
}

void AppController::requestListenEventAccessIfNeeded() {
    keyboardCounter();
    auto& taps = platform::keyEventTaps();
    if (model_.keyCountingEnabled.get() && !taps.preflightListenEventAccess())
        model_.keyboardPermissionGranted = taps.requestListenEventAccess();
}

void AppController::openInputMonitoringSettings() {
    keyboardCounter().refresh();
}

void AppController::keyCountingChanged(bool enabled) {
    if (lastKeyCountingEnabled_ == enabled) return;
    lastKeyCountingEnabled_ = enabled;
    if (enabled && !platform::keyEventTaps().preflightListenEventAccess())
        model_.keyboardPermissionGranted = platform::keyEventTaps().requestListenEventAccess();
    keyboardCounter().refresh();
}

void AppController::observeSystem() {
    auto& center = platform::notificationCenter();
    // After a sleep the pets stand at their homes at once.
    cancellables_.push_back(center.addObserver(platform::notifications::systemDidWake, [this] {
        defer([this] {
            keyboardCounter().refresh();
            petCoordinator().sendPetsHome(false, false);
        });
    }));
    // Access granted in the system's settings takes effect when the user comes back.
    cancellables_.push_back(center.addObserver(platform::notifications::applicationDidBecomeActive,
                                               [this] { defer([this] { keyboardCounter().refresh(); }); }));
    cancellables_.push_back(center.addObserver(model::L10n::tuftleLanguageDidChange, [this] {
        defer([this] {
            if (onboardingWindow_) onboardingWindow_->setTitle(onboardingTitle());
            menubar::MenuBarEntryController::shared().refreshLocalizedTooltip();
            menubar::stash::MenuBarMealController::shared().engine().clearMessageAfterLanguageChange();
        });
    }));
}

void AppController::scheduleAutomaticUpdateCheck() {
    if (!model_.automaticUpdateChecks.get()) return;
    auto& defaults = platform::defaults();
    const platform::Date now = platform::mainLoop().now();
    const platform::Date last = defaults.date(kLastAutomaticUpdateCheckKey).value_or(platform::Date::distantPast());
    // A last check ahead of now means the clock was set back: it cannot tell when the check
    // really ran, and waiting for the clock to catch up could stop checks for years.
    const bool due = last > now || now.timeIntervalSince(last) >= kAutomaticUpdateCheckInterval;
    if (!due) return;
    // Written first, whatever the outcome: a failed check waits a day like any other.
    defaults.set(kLastAutomaticUpdateCheckKey, now);
    defer([this] { checkForUpdates(); });
}

void AppController::defer(std::function<void()> work) {
    platform::mainLoop().post([alive = std::weak_ptr<char>(alive_), work = std::move(work)] {
        if (!alive.expired()) work();
    });
}

void AppController::bringLoginEntryUpToDate() {
    std::string problem;
    try {
        if (const auto before = LaunchAtLoginManager::followMovedProgram())
            std::fprintf(stderr, "tuftle: the autostart entry started %s, which is gone; it now starts this program\n",
                         before->c_str());
        LaunchAtLoginManager::markLoginStart();
    } catch (const LaunchAtLoginError& error) {
        problem = error.what();
    }
    // A folder made read-only on purpose stays so: said at the first start that meets it, the
    // same line at every later one would only fill the session's log.
    auto& defaults = platform::defaults();
    if (problem.empty()) {
        if (defaults.string(model::keys::autostartEntryProblemSaid)) defaults.remove(model::keys::autostartEntryProblemSaid);
        return;
    }
    if (defaults.string(model::keys::autostartEntryProblemSaid) == problem) return;
    std::fprintf(stderr, "tuftle: %s\n", problem.c_str());
    defaults.set(model::keys::autostartEntryProblemSaid, problem);
}

void AppController::refreshLaunchAtLogin() {
    model_.launchAtLoginEnabled = LaunchAtLoginManager::status() == LoginItemStatus::enabled;
    model_.launchAtLoginMessage = std::string();
}

void AppController::setLaunchAtLogin(bool enabled) {
    std::optional<std::string> failure;
    try {
        LaunchAtLoginManager::setEnabled(enabled);
    } catch (const LaunchAtLoginError& error) {
        failure = error.what();
    }
    // The switch shows the real state, also after a failure or a change awaiting approval.
    model_.launchAtLoginEnabled = LaunchAtLoginManager::status() == LoginItemStatus::enabled;
    model_.launchAtLoginMessage =
        failure ? model::L10n::format(model::L10n::t("设置失败：%@"), {*failure}) : std::string();
}

void AppController::showOnboarding() {
    if (onboardingWindow_) {
        onboardingWindow_->makeKeyAndOrderFront();
        return;
    }
    // The completion may outlive the controller or the window: it holds both weakly.
    auto windowBox = std::make_shared<std::weak_ptr<platform::Window>>();
    onboardingCompletion_ = [this, alive = std::weak_ptr<char>(alive_), windowBox] {
        if (!alive.expired()) model_.onboardingCompleted = true;
        if (auto window = windowBox->lock()) window->close();
        if (!alive.expired()) releaseOnboardingWindow();
    };

    std::shared_ptr<platform::Window> window =
        onboardingWindowFactory_ ? onboardingWindowFactory_(onboardingTitle(), onboardingCompletion_)
                                 : platform::windowFactory().createWindow(onboardingTitle(), kOnboardingSize);
    *windowBox = window;
    // Released once closed: showing it again builds it afresh.
    window->setOnClosed([this] {
        defer([this] {
            if (onboardingWindow_ && !onboardingWindow_->isVisible()) releaseOnboardingWindow();
        });
    });
    window->center();
    window->makeKeyAndOrderFront();
    onboardingWindow_ = std::move(window);
    welcomeDue_ = false;
    if (reportAfterWelcome_)
        platform::alerts().show(*std::exchange(reportAfterWelcome_, std::nullopt), platform::AlertCause::program);
}

void AppController::releaseOnboardingWindow() {
    onboardingWindow_.reset();
    menubar::MenuBarEntryController::shared().noTrayNoticeMayShow();
}

}  // namespace app
