#include "app/AppController.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestFiles.h"
#include "anim/Layer.h"
#include "app/AppDelegate.h"
#include "app/LaunchAtLoginManager.h"
#include "app/ProgramStandIn.h"
#include "menubar/MenuBarEntryController.h"
#include "model/AppModelTestSupport.h"
#include "model/CompanionTracker.h"
#include "pets/coordination/PetWindowCoordinator.h"
#include "platform/instance/InstanceTestSupport.h"
#include "platform/program/ResourceBundle.h"

using app::AppController;
using model::AppModel;
using model::KeyboardMonitorState;
using platform::Date;
using updates::UpdateCheckResult;

namespace {

namespace keys = model::keys;

struct AppControllerTest : model::testing::AppModelTest {
    std::unique_ptr<AppModel> model;
    std::unique_ptr<AppController> controller;
    platform::sim::SimKeyEventTapSystem& taps = sim.keyTaps;

    void startApp() {
        model = launch();
        controller = std::make_unique<AppController>(*model);
        controller->start();
    }
    platform::sim::SimWindow* onboarding() const {
        return dynamic_cast<platform::sim::SimWindow*>(controller->onboardingWindow());
    }
    KeyboardMonitorState state() const { return model->keyboardMonitorState.get(); }
};

TEST_F(AppControllerTest, startUp_runsItsStepsInOrder) {
    store("runtime.cleanExit", false);
    store(keys::keyCountingEnabled, true);
    taps.grantOnRequest = true;
    model = launch();
    controller = std::make_unique<AppController>(*model);

    std::vector<std::string> events;
    std::vector<platform::Subscription> subs;
    subs.push_back(model->recoveredFromUnexpectedExit.subscribe(
        [&](const bool& v) { events.push_back(v ? "recovered" : "not recovered"); }, false));
    subs.push_back(model->keyboardPermissionGranted.subscribe(
        [&](const bool& v) { events.push_back(v ? "granted" : "not granted"); }, false));
    subs.push_back(model->keyboardMonitorState.subscribe(
        [&](const KeyboardMonitorState& s) {
            events.push_back(s == KeyboardMonitorState::listening ? "listening" : "other");
        },
        false));
    subs.push_back(
        model->launchAtLoginMessage.subscribe([&](const std::string&) { events.push_back("login"); }, false));

    sim.defaults.clearWriteLog();
    ::testing::internal::CaptureStderr();
    controller->start();
    const std::string errors = ::testing::internal::GetCapturedStderr();

    EXPECT_NE(errors.find("tuftle: recovered from an unexpected exit\n"), std::string::npos);
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events.front(), "recovered");
    EXPECT_EQ(events[1], "granted") << "access is requested before the counter's first refresh";
    EXPECT_EQ(events.back(), "login");
    EXPECT_NE(std::find(events.begin(), events.end(), "listening"), events.end());
    EXPECT_EQ(taps.requestCount, 1);

    EXPECT_TRUE(model->recoveredFromUnexpectedExit.get());
    EXPECT_TRUE(controller->petCoordinator().isStarted());
    EXPECT_TRUE(controller->companionTracker().isStarted());
    EXPECT_EQ(sim.defaults.boolValue("runtime.cleanExit"), false);
    const auto& writes = sim.defaults.writeLog();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front(), "runtime.cleanExit");
    EXPECT_EQ(writes.back(), app::kLastAutomaticUpdateCheckKey);
    EXPECT_EQ(sim.defaults.date(app::kLastAutomaticUpdateCheckKey), now());

    // The check and the onboarding come after start-up returned.
    EXPECT_EQ(model->updateCheckResult.get(), std::nullopt);
    EXPECT_EQ(controller->onboardingWindow(), nullptr);
    sim.loop.runPending();
    EXPECT_EQ(model->updateCheckResult.get(), UpdateCheckResult::notConfigured());
    sim.loop.advance(0.45);
    EXPECT_NE(controller->onboardingWindow(), nullptr);
}

TEST_F(AppControllerTest, secondStart_installsNothingTwice) {
    startApp();
    const size_t timers = sim.loop.activeTimerCount();
    controller->start();
    EXPECT_EQ(sim.loop.activeTimerCount(), timers);
    sim.loop.advance(1);
    EXPECT_EQ(sim.windows.createdCount(), 1u);
}

TEST_F(AppControllerTest, keyCountingSwitch_passesOnlyRealChangesAndAsksEachTimeItGoesOn) {
    startApp();
    model->keyCountingEnabled = true;
    EXPECT_EQ(taps.requestCount, 1);
    EXPECT_EQ(state(), KeyboardMonitorState::permissionRequired);

    model->keyCountingEnabled = true;  // the same value again
    EXPECT_EQ(taps.requestCount, 1);

    model->keyCountingEnabled = false;
    EXPECT_EQ(taps.requestCount, 1);
    EXPECT_EQ(state(), KeyboardMonitorState::disabled);

    model->keyCountingEnabled = true;
    EXPECT_EQ(taps.requestCount, 2);

    // With access there is nothing to ask: counting starts at once.
    model->keyCountingEnabled = false;
    taps.accessGranted = true;
    model->keyCountingEnabled = true;
    EXPECT_EQ(taps.requestCount, 2);
    EXPECT_EQ(state(), KeyboardMonitorState::listening);
}

TEST_F(AppControllerTest, keyCountingWithAccessAtStart_listensWithoutAsking) {
    store(keys::keyCountingEnabled, true);
    taps.accessGranted = true;
    startApp();
    EXPECT_EQ(taps.requestCount, 0);
    EXPECT_EQ(state(), KeyboardMonitorState::listening);
    EXPECT_TRUE(model->keyboardPermissionGranted.get());
}

TEST_F(AppControllerTest, wakeAndActivation_refreshTheKeyCounter) {
    store(keys::keyCountingEnabled, true);
    startApp();
    ASSERT_EQ(state(), KeyboardMonitorState::permissionRequired);

    // Granted meanwhile; no time passes, so the permission poll cannot be what notices it.
    taps.accessGranted = true;
    sim.notifications.post(platform::notifications::applicationDidBecomeActive);
    EXPECT_EQ(state(), KeyboardMonitorState::permissionRequired) << "the work runs on a later turn";
    sim.loop.runPending();
    EXPECT_EQ(state(), KeyboardMonitorState::listening);

    taps.disableBySystem(platform::KeyTapEventType::tapDisabledByTimeout, true);
    sim.loop.runPending();
    ASSERT_EQ(state(), KeyboardMonitorState::failed);
    sim.notifications.post(platform::notifications::systemDidWake);
    sim.loop.runPending();
    EXPECT_EQ(state(), KeyboardMonitorState::listening);
}

// Whether start-up checks for updates, by the stamp of the last automatic check (its age in
// seconds, or a stored value that is no date), and what stamp it leaves.
TEST_F(AppControllerTest, automaticUpdateCheck_runsOncePerDayAndStampsIt) {
    struct Case {
        const char* when;
        std::optional<double> age;
        bool stampIsText, checksOff, checks;
    };
    for (const Case& c : {Case{"less than a day ago", 86399, false, false, false},
                          Case{"a day ago", 86400, false, false, true}, Case{"never", std::nullopt, false, false, true},
                          Case{"a stamp that is no date", std::nullopt, true, false, true},
                          Case{"ahead of a clock set back", -90 * 86400.0, false, false, true},
                          Case{"automatic checks off", std::nullopt, false, true, false}}) {
        sim.defaults.remove(app::kLastAutomaticUpdateCheckKey);
        if (c.age) store(app::kLastAutomaticUpdateCheckKey, now().addingTimeInterval(-*c.age));
        if (c.stampIsText) store(app::kLastAutomaticUpdateCheckKey, "yesterday");
        store(keys::automaticUpdateChecks, !c.checksOff);
        store("runtime.cleanExit", true);
        startApp();
        sim.loop.runPending();
        EXPECT_EQ(model->updateCheckResult.get().has_value(), c.checks) << c.when;
        const auto stamp = sim.defaults.date(app::kLastAutomaticUpdateCheckKey);
        if (c.checks)
            EXPECT_EQ(stamp, now()) << c.when;
        else if (c.checksOff)
            EXPECT_FALSE(sim.defaults.hasObject(app::kLastAutomaticUpdateCheckKey)) << c.when;
        else
            EXPECT_EQ(stamp, now().addingTimeInterval(-*c.age)) << c.when;
        controller.reset();
        model.reset();
    }
}

// A first start that cannot save says so above the welcome window, not under it; a later
// start says so at once.
TEST_F(AppControllerTest, settingsNotSaved_isToldAfterTheWelcomeWindowOpens) {
    for (const bool firstStart : {true, false}) {
        SCOPED_TRACE(firstStart ? "first start" : "later start");
        sim.alerts.clear();
        if (!firstStart) sim.defaults.set("onboardingCompleted", true);
        startApp();
        controller->reportSettingsNotSaved("cannot make the folder /home/a/.config: Permission denied");
        EXPECT_EQ(sim.alerts.shown.size(), firstStart ? 0u : 1u) << "before the welcome window";
        sim.loop.advance(1);
        ASSERT_EQ(sim.alerts.shown.size(), 1u);
        EXPECT_EQ(sim.alerts.causes[0], platform::AlertCause::program) << "it leaves the keyboard where it is";
        EXPECT_EQ(onboarding() != nullptr, firstStart);
        controller.reset();
        model.reset();
    }
}

TEST_F(AppControllerTest, onboardingNotCompleted_showsOneWindowAfterAShortDelay) {
    startApp();
    sim.loop.advance(0.44);
    EXPECT_EQ(sim.windows.createdCount(), 0u);
    sim.loop.advance(0.01);
    auto* window = onboarding();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->contentSize(), (platform::Size{540, 420}));
    EXPECT_EQ(window->title(), model::L10n::t("欢迎来到栗丸"));
    EXPECT_EQ(window->centerCount, 1);

    controller->showOnboarding();
    EXPECT_EQ(sim.windows.createdCount(), 1u);
    EXPECT_EQ(window->orderFrontCount, 2);
}

TEST_F(AppControllerTest, onboardingCompleted_showsNoWindow) {
    store(keys::onboardingCompleted, true);
    startApp();
    sim.loop.advance(5);
    EXPECT_EQ(sim.windows.createdCount(), 0u);
}

TEST_F(AppControllerTest, finishingOnboarding_recordsItAndClosesTheWindow) {
    startApp();
    sim.loop.advance(0.45);
    auto* window = onboarding();
    ASSERT_NE(window, nullptr);
    controller->onboardingCompletion()();
    EXPECT_TRUE(model->onboardingCompleted.get());
    EXPECT_EQ(sim.defaults.boolValue(keys::onboardingCompleted), true);
    EXPECT_EQ(controller->onboardingWindow(), nullptr);
    EXPECT_EQ(sim.windows.window(0), nullptr) << "the window is gone";
}

// On a first start without a tray the notice waits for the welcome window, however it closes.
TEST_F(AppControllerTest, noTrayNotice_waitsUntilTheWelcomeWindowHasClosed) {
    struct Case {
        const char* what;
        bool finished;
    } cases[] = {{"finished", true}, {"closed with its button", false}};
    for (const auto& c : cases) {
        sim.defaults.remove(menubar::MenuBarEntryController::noTrayNoticeShownKey);
        store(keys::onboardingCompleted, false);
        auto& entry = menubar::MenuBarEntryController::shared();
        entry.start();
        sim.statusBar.lastItem->docked = false;
        startApp();
        sim.loop.advance(menubar::MenuBarEntryController::trayGrace + 1);
        ASSERT_NE(onboarding(), nullptr) << c.what;
        EXPECT_TRUE(sim.alerts.shown.empty()) << c.what << ": not over the welcome window";
        if (c.finished)
            controller->onboardingCompletion()();
        else
            onboarding()->clickCloseButton();
        sim.loop.advance(0);
        EXPECT_EQ(sim.alerts.shown.size(), 1u) << c.what;
        sim.alerts.clear();
        controller.reset();
        entry.stop();
    }
}

// The notice promises that starting the program again opens its panel only where it does.
TEST_F(AppControllerTest, noTrayNotice_promisesASecondStartOnlyWhereOneReachesThePanel) {
    const struct {
        bool reachable;
        bool promises;
    } rows[] = {{true, true}, {false, false}};
    model::L10n::setAppLanguageChoice(model::AppLanguageChoice::english);
    for (const auto& row : rows) {
        sim.defaults.remove(menubar::MenuBarEntryController::noTrayNoticeShownKey);
        store(keys::onboardingCompleted, true);
        auto& entry = menubar::MenuBarEntryController::shared();
        entry.setSecondStartOpensPanel(row.reachable);
        entry.start();
        sim.statusBar.lastItem->docked = false;
        startApp();
        sim.loop.advance(menubar::MenuBarEntryController::trayGrace + 1);
        ASSERT_EQ(sim.alerts.shown.size(), 1u);
        EXPECT_EQ(sim.alerts.shown[0].informativeText.find("start Tuftle again") != std::string::npos, row.promises)
            << sim.alerts.shown[0].informativeText;
        sim.alerts.clear();
        controller.reset();
        entry.stop();
    }
    menubar::MenuBarEntryController::shared().setSecondStartOpensPanel(true);
    model::L10n::setAppLanguageChoice(std::nullopt);
}

TEST_F(AppControllerTest, closingOnboardingWithItsButton_keepsItUnfinishedAndReleasesTheWindow) {
    startApp();
    sim.loop.advance(0.45);
    auto* window = onboarding();
    ASSERT_NE(window, nullptr);
    window->clickCloseButton();
    sim.loop.advance(0);
    EXPECT_FALSE(model->onboardingCompleted.get());
    EXPECT_EQ(sim.windows.window(0), nullptr);
    controller->showOnboarding();
    EXPECT_TRUE(onboarding()->isVisible());
    EXPECT_EQ(sim.windows.createdCount(), 2u);
}

TEST_F(AppControllerTest, languageChange_retitlesTheOpenOnboardingWindow) {
    startApp();
    sim.loop.advance(0.45);
    ASSERT_NE(onboarding(), nullptr);
    model->setAppLanguage(model::AppLanguageChoice::simplifiedChinese);
    sim.loop.runPending();
    EXPECT_EQ(onboarding()->title(), "欢迎来到栗丸");
    model->setAppLanguage(model::AppLanguageChoice::english);
    sim.loop.runPending();
    EXPECT_EQ(onboarding()->title(), model::L10n::t("欢迎来到栗丸"));
}

TEST_F(AppControllerTest, controllerGone_itsDelayedStepsAndObserversDoNothing) {
    store(keys::keyCountingEnabled, true);
    startApp();
    controller.reset();
    taps.accessGranted = true;
    sim.notifications.post(platform::notifications::systemDidWake);
    model->keyCountingEnabled = false;
    sim.loop.advance(1);
    EXPECT_EQ(sim.windows.createdCount(), 0u);
    EXPECT_EQ(model->updateCheckResult.get(), std::nullopt);
    EXPECT_EQ(state(), KeyboardMonitorState::permissionRequired);
}

// Points the login item at a folder of the test's own.
class TemporaryAutostart {
public:
    TemporaryAutostart() { app::LaunchAtLoginManager::setAutostartDirectoryForTesting(root_ / "autostart"); }
    ~TemporaryAutostart() { app::LaunchAtLoginManager::setAutostartDirectoryForTesting(std::nullopt); }
    // Makes the folder impossible to create: a file stands where it would go.
    void blockFolder() const { testfiles::writeFile(root_ / "autostart", "not a folder"); }
    const std::filesystem::path& folder() const { return root_.path(); }

private:
    testfiles::TemporaryFolder root_{"tuftle-autostart"};
};

TEST_F(AppControllerTest, launchAtLogin_showsTheRealStateAndWhyAChangeFailed) {
    TemporaryAutostart autostart;
    startApp();
    EXPECT_FALSE(model->launchAtLoginEnabled.get());
    EXPECT_EQ(model->launchAtLoginMessage.get(), "");

    autostart.blockFolder();
    controller->setLaunchAtLogin(true);
    EXPECT_FALSE(model->launchAtLoginEnabled.get()) << "not reported as on when it is not";
    const std::string message = model->launchAtLoginMessage.get();
    const std::string prefix = model::L10n::format(model::L10n::t("设置失败：%@"), {std::string()});
    EXPECT_EQ(message.rfind(prefix, 0), 0u) << message;
    EXPECT_GT(message.size(), prefix.size()) << "the reason follows";

    std::filesystem::remove(app::LaunchAtLoginManager::autostartFilePath().parent_path());
    controller->setLaunchAtLogin(true);
    EXPECT_TRUE(model->launchAtLoginEnabled.get());
    EXPECT_EQ(model->launchAtLoginMessage.get(), "") << "success clears the old message";

    controller->setLaunchAtLogin(false);
    EXPECT_FALSE(model->launchAtLoginEnabled.get());
    EXPECT_EQ(model->launchAtLoginMessage.get(), "");
}

// The entry, written before it marked the starts it makes, also gets the mark.
TEST_F(AppControllerTest, startUp_pointsTheAutostartEntryOfAMovedTreeAtThisProgram) {
    TemporaryAutostart autostart;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    const std::filesystem::path before = autostart.folder() / "old-prefix" / self.filename();
    std::string unmarked = app::LaunchAtLoginManager::desktopEntry(before);
    const std::string mark = std::string(" ") + app::LaunchAtLoginManager::loginStartArgument;
    unmarked.erase(unmarked.find(mark), mark.size());
    testfiles::writeFile(app::LaunchAtLoginManager::autostartFilePath(), unmarked);

    ::testing::internal::CaptureStderr();
    startApp();
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(testfiles::readFile(app::LaunchAtLoginManager::autostartFilePath()),
              app::LaunchAtLoginManager::desktopEntry(self));
    EXPECT_NE(errors.find(before.string()), std::string::npos) << "says what it changed: " << errors;
    EXPECT_TRUE(model->launchAtLoginEnabled.get());
}

// A start that cannot mark the entry says why once, not again while the folder stays read-only;
// one that meets no problem forgets it.
TEST_F(AppControllerTest, startUp_saysOnceWhyTheAutostartEntryCannotBeMarked) {
    TemporaryAutostart autostart;
    const app::testing::ProgramStandIn program(autostart.folder());
    const std::filesystem::path& self = program.path();
    const std::filesystem::path entry = app::LaunchAtLoginManager::autostartFilePath();
    std::string unmarked = app::LaunchAtLoginManager::desktopEntry(self);
    const std::string mark = std::string(" ") + app::LaunchAtLoginManager::loginStartArgument;
    unmarked.erase(unmarked.find(mark), mark.size());
    testfiles::writeFile(entry, unmarked);
    ASSERT_EQ(::chmod(autostart.folder().c_str(), 0711), 0);
    // Root writes to any folder: the starts run as another user, whose entry it is.
    if (::geteuid() == 0) {
        for (const auto& owned : {entry.parent_path(), entry})
            ASSERT_EQ(::chown(owned.c_str(), platform::testing::kNobody, platform::testing::kNobody), 0);
    }
    // Found as this user: the one the child becomes may not reach the build tree it lies in.
    platform::ResourceBundle::module();
    const std::string said = platform::testing::inChild([&] {
        std::string said;
        for (const mode_t folderMode : {0555, 0555, 0755}) {
            ::chmod(entry.parent_path().c_str(), folderMode);
            int out[2];
            if (::pipe(out) != 0) return std::string("no pipe");
            const int kept = ::dup(2);
            ::dup2(out[1], 2);
            startApp();
            ::dup2(kept, 2);
            ::close(kept);
            ::close(out[1]);
            std::string errors;
            char buffer[512];
            for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) errors.append(buffer, size_t(n));
            ::close(out[0]);
            std::istringstream lines(errors);
            said += "[";
            for (std::string line; std::getline(lines, line);)
                if (line.find("autostart entry") != std::string::npos) said += line;
            said += "]";
        }
        return said + (sim.defaults.string(keys::autostartEntryProblemSaid) ? " kept" : " forgotten");
    });
    EXPECT_EQ(said, "[tuftle: Could not rewrite the autostart entry " + entry.string() +
                        ": Permission denied][][] forgotten");
    EXPECT_EQ(testfiles::readFile(entry), app::LaunchAtLoginManager::desktopEntry(self));
}

TEST_F(AppControllerTest, terminate_writesPendingKeyPressesBeforeTheCleanExit) {
    store(keys::keyCountingEnabled, true);
    startApp();
    for (int i = 0; i < 3; ++i) model->recordKeystroke(now());
    app::TuftleAppDelegate delegate(*controller);
    sim.defaults.clearWriteLog();
    delegate.applicationWillTerminate();

    EXPECT_EQ(storedJson(keys::keystrokeLedger)->at("allTimeCount"), 3);
    EXPECT_EQ(sim.defaults.boolValue("runtime.cleanExit"), true);
    const auto& writes = sim.defaults.writeLog();
    const auto ledger = std::find(writes.begin(), writes.end(), keys::keystrokeLedger);
    const auto cleanExit = std::find(writes.begin(), writes.end(), "runtime.cleanExit");
    EXPECT_LT(ledger, cleanExit);
    EXPECT_EQ(model->updateDownloadState.get(), updates::UpdateDownloadState::idle());
}

TEST_F(AppControllerTest, terminate_storesPressesTheTapHadNotHandedOverYet) {
    store(keys::keyCountingEnabled, true);
    taps.accessGranted = true;
    startApp();
    ASSERT_EQ(state(), KeyboardMonitorState::listening);
    taps.pressKey();  // read, its turn of the main loop never comes
    taps.holdPresses = true;
    for (int i = 0; i < 5; ++i) taps.pressKey();
    app::TuftleAppDelegate(*controller).applicationWillTerminate();
    const auto stored = storedJson(keys::keystrokeLedger);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->at("allTimeCount"), 6);
}

// What a long-running program holds for its pets: their layers, the animations on them and the
// main loop's timers, over the live panels.
struct PetHoldings {
    size_t layers = 0, animations = 0, timers = 0;
    void add(const anim::Layer& layer) {
        ++layers;
        animations += layer.heldAnimationCount();
        for (const auto& sub : layer.sublayers()) add(*sub);
    }
    void keepLargest(const PetHoldings& o) {
        layers = std::max(layers, o.layers), animations = std::max(animations, o.animations);
        timers = std::max(timers, o.timers);
    }
};

TEST_F(AppControllerTest, daysOfPetLifeAndTyping_pileUpNoLayersAnimationsOrTimers) {
    store(keys::keyCountingEnabled, true);
    taps.grantOnRequest = true;
    startApp();
    auto holdings = [&] {
        PetHoldings now;
        for (size_t i = 0; i < sim.panels.createdCount(); ++i)
            if (auto* panel = sim.panels.panel(i); panel && panel->rootLayer()) now.add(*panel->rootLayer());
        now.timers = sim.loop.activeTimerCount();
        return now;
    };
    // A day of ten-minute steps, a burst of typing in each: reactions, signs, reminders and
    // scenes all come and go.
    auto liveADay = [&] {
        PetHoldings largest;
        for (int step = 0; step < 24 * 6; ++step) {
            for (int press = 0; press < 30; ++press) taps.pressKey(), sim.loop.advance(0.2);
            sim.loop.advance(600 - 30 * 0.2);
            largest.keepLargest(holdings());
        }
        return largest;
    };
    // The busiest moment of a day varies with the scenes chosen; what piles up grows day after day.
    const PetHoldings first = liveADay();
    ASSERT_GT(first.layers, 0u) << "the pets are on their panels";
    PetHoldings later;
    for (int day = 0; day < 3; ++day) later.keepLargest(liveADay());
    EXPECT_LE(later.layers, 2 * first.layers);
    EXPECT_LE(later.animations, 2 * first.animations);
    EXPECT_LE(later.timers, 2 * first.timers);
}

}  // namespace
