#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>


#include "TestFiles.h"
#include "app/AppController.h"
#include "model/AppModelTestSupport.h"
#include "model/DataExport.h"
#include "model/TimeZoneTestSupport.h"
#include "pets/coordination/PetWindowCoordinator.h"

using app::AppController;
using updates::UpdateCheckResult;
using updates::UpdateDownloadState;
namespace fs = std::filesystem;

namespace {

using testfiles::readFile;

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> out;
    for (const auto& entry : fs::directory_iterator(folder)) out.push_back(entry.path().filename());
    return out;
}

struct AppControllerActionsTest : model::testing::AppModelTest {
    std::unique_ptr<model::AppModel> model = launch();
    std::unique_ptr<AppController> controller = std::make_unique<AppController>(*model);
    testfiles::TemporaryFolder temporary{"tuftle-actions"};
    fs::path folder = temporary.path();

    platform::sim::SimWindow* window(size_t index) const { return sim.windows.window(index); }
    void breakTheCompanionRecord() {
        auto record = model->companionRecord.get();
        record.totalCompanionSeconds = std::numeric_limits<double>::infinity();
        model->companionRecord = record;
    }
};

// --- export

TEST_F(AppControllerActionsTest, export_writesTheDocumentUnderTheChosenName) {
    model::testing::TimeZoneOverride zone(model::testing::kUtc);
    sim.savePanels.answer = folder / "mine.json";
    controller->exportLocalData();

    ASSERT_EQ(sim.savePanels.requests.size(), 1u);
    const auto& request = sim.savePanels.requests.front();
    EXPECT_EQ(request.title, model::L10n::t("导出栗丸本机数据"));
    EXPECT_EQ(request.proposedFileName, model::proposedExportFileName(now()));
    EXPECT_EQ(request.allowedExtensions, std::vector<std::string>{"json"});
    EXPECT_TRUE(sim.alerts.shown.empty());
    EXPECT_EQ(readFile(folder / "mine.json"), model->exportData());
    EXPECT_EQ(filesIn(folder), std::vector<fs::path>{"mine.json"}) << "no temporary file is left";
}

TEST_F(AppControllerActionsTest, exportCancelled_writesNothingAndSaysNothing) {
    sim.savePanels.answer.reset();
    controller->exportLocalData();
    EXPECT_EQ(sim.savePanels.requests.size(), 1u);
    EXPECT_TRUE(sim.alerts.shown.empty());
    EXPECT_TRUE(filesIn(folder).empty());
}

TEST_F(AppControllerActionsTest, exportIntoAFolderThatCannotBeWritten_showsTheAlertAndLeavesNothing) {
    // Root may write anywhere; a file where the folder should be stops everyone.
    std::ofstream(folder / "notAFolder") << "x";
    sim.savePanels.answer = folder / "notAFolder" / "data.json";
    model->setAppLanguage(model::AppLanguageChoice::simplifiedChinese);
    controller->exportLocalData();

    ASSERT_EQ(sim.alerts.shown.size(), 1u);
    EXPECT_EQ(sim.alerts.shown[0].messageText, "导出失败");
    EXPECT_EQ(sim.alerts.shown[0].buttonTitle, "好") << "the button speaks the program's language too";
    EXPECT_EQ(sim.alerts.causes[0], platform::AlertCause::user) << "it answers the user's export";
    EXPECT_TRUE(sim.alerts.shown[0].informativeText.starts_with("无法将文件“data.json”存储到文件夹“"))
        << sim.alerts.shown[0].informativeText;
    EXPECT_EQ(filesIn(folder), std::vector<fs::path>{"notAFolder"});
    EXPECT_EQ(readFile(folder / "notAFolder"), "x");
}

TEST_F(AppControllerActionsTest, failedExport_neverDestroysTheFileItWouldReplace) {
    std::ofstream(folder / "old.json") << "earlier export";
    sim.savePanels.answer = folder / "old.json";
    breakTheCompanionRecord();
    controller->exportLocalData();
    ASSERT_EQ(sim.alerts.shown.size(), 1u);
    EXPECT_EQ(readFile(folder / "old.json"), "earlier export");

    // Written completely, but the rename cannot replace a folder.
    fs::create_directories(folder / "taken.json" / "inside");
    sim.savePanels.answer = folder / "taken.json";
    auto record = model->companionRecord.get();
    record.totalCompanionSeconds = 5;
    model->companionRecord = record;
    controller->exportLocalData();
    ASSERT_EQ(sim.alerts.shown.size(), 2u);
    EXPECT_TRUE(fs::is_directory(folder / "taken.json" / "inside"));
    EXPECT_EQ(filesIn(folder).size(), 2u) << "only old.json and taken.json: no temporary file";

    sim.savePanels.answer = folder / "old.json";
    controller->exportLocalData();
    EXPECT_EQ(sim.alerts.shown.size(), 2u);
    EXPECT_EQ(readFile(folder / "old.json"), model->exportData()) << "a successful export replaces it";
}

// --- settings window

TEST_F(AppControllerActionsTest, activatingSettings_raisesOneSettingsWindowNowNextTurnAndLater) {
    controller->activateSettingsWindow();
    ASSERT_EQ(sim.windows.createdCount(), 1u);
    auto* settings = window(0);
    EXPECT_EQ(settings, controller->settingsWindow());
    EXPECT_EQ(settings->title(), model::L10n::t("设置"));
    EXPECT_EQ(settings->contentSize(), (platform::Size{920, 640}));
    EXPECT_EQ(settings->orderFrontCount, 1);
    sim.loop.advance(0);
    EXPECT_EQ(settings->orderFrontCount, 2);
    sim.loop.advance(0.15);
    EXPECT_EQ(settings->orderFrontCount, 3);

    controller->activateSettingsWindow();
    EXPECT_EQ(sim.windows.createdCount(), 1u) << "the same window comes back";
    EXPECT_TRUE(settings->isVisible());
}

TEST_F(AppControllerActionsTest, settingsWindow_closedIsReleasedButPutAwayIsKeptForTheNextActivation) {
    struct Case {
        const char* how;
        std::function<void(platform::sim::SimWindow&)> hide;
        bool kept;
    };
    const Case cases[] = {
        {"closed by the user", [](platform::sim::SimWindow& w) { w.clickCloseButton(); }, false},
        {"put away for a tour", [this](platform::sim::SimWindow&) { controller->putSettingsWindowAway(); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        const size_t made = sim.windows.createdCount();
        controller->activateSettingsWindow();
        sim.loop.advance(1);
        auto* settings = window(made);
        const auto lifetime = std::weak_ptr<bool>(settings->lifetime);
        c.hide(*settings);
        sim.loop.advance(1);
        EXPECT_EQ(!lifetime.expired(), c.kept);
        if (c.kept) {
            EXPECT_FALSE(settings->isVisible());
        }
        controller->activateSettingsWindow();
        EXPECT_EQ(sim.windows.createdCount(), c.kept ? made + 1 : made + 2);
        EXPECT_TRUE(controller->settingsWindow()->isVisible());
        sim.loop.advance(1);  // past the delayed raises
        controller->settingsWindow()->close();
        sim.loop.advance(1);
    }
}

TEST_F(AppControllerActionsTest, raisingSettings_neverBringsAnotherWindowForward) {
    controller->showOnboarding();
    auto* onboarding = window(0);
    const int onboardingRaises = onboarding->orderFrontCount;

    controller->bringSettingsWindowForward();
    EXPECT_EQ(sim.windows.createdCount(), 1u) << "no settings window yet: nothing happens";
    EXPECT_EQ(onboarding->orderFrontCount, onboardingRaises);

    controller->activateSettingsWindow();
    sim.loop.advance(1);
    EXPECT_EQ(onboarding->orderFrontCount, onboardingRaises);
    EXPECT_EQ(window(1)->orderFrontCount, 3);
}

TEST_F(AppControllerActionsTest, controllerGone_delayedRaisesDoNothing) {
    controller->activateSettingsWindow();
    auto lifetime = std::weak_ptr<bool>(window(0)->lifetime);
    controller.reset();
    EXPECT_NO_FATAL_FAILURE(sim.loop.advance(1));
    EXPECT_TRUE(lifetime.expired());
}

// --- desktop demonstrations

TEST_F(AppControllerActionsTest, refusedDemonstration_cancelsAndPausesNothing) {
    // Without pet panels the coordinator refuses; a running demonstration must go on.
    auto& coordinator = controller->petCoordinator();
    const auto generation = coordinator.desktopDemoGeneration;
    const double until = coordinator.desktopDemoUntil;
    EXPECT_FALSE(controller->demonstrateOnDesktop(model::PetLifeScene::eating, model::DesktopDemoTarget::both));
    EXPECT_FALSE(controller->demonstrateOnDesktop(model::PetActivity::home, model::DesktopDemoTarget::first));
    EXPECT_EQ(coordinator.desktopDemoGeneration, generation);
    EXPECT_EQ(coordinator.desktopDemoUntil, until);
}

}  // namespace

// No settings pane to open here: the button looks for the X server's key events again at once.
TEST_F(AppControllerActionsTest, permissionButton_looksForKeyEventsAgainAtOnce) {
    const struct {
        bool offered;
        model::KeyboardMonitorState state;
    } rows[] = {{false, model::KeyboardMonitorState::permissionRequired}, {true, model::KeyboardMonitorState::listening}};
    sim.keyTaps.accessGranted = false;
    model->keyCountingEnabled = true;
    controller->start();
    for (const auto& row : rows) {
        sim.keyTaps.accessGranted = row.offered;
        controller->openInputMonitoringSettings();
        EXPECT_EQ(model->keyboardPermissionGranted.get(), row.offered);
        EXPECT_EQ(model->keyboardMonitorState.get(), row.state);
    }
}

// --- a run whose settings are not saved

TEST_F(AppControllerActionsTest, settingsNotSaved_isToldInAWindowOnceARun) {
    model::L10n::setAppLanguageChoice(model::AppLanguageChoice::english);
    controller->reportSettingsNotSaved("/home/a/.config/tuftle/defaults.plist: Permission denied");
    controller->reportSettingsNotSaved("/home/a/.config/tuftle/defaults.plist: No space left on device");
    model::L10n::setAppLanguageChoice(std::nullopt);
    ASSERT_EQ(sim.alerts.shown.size(), 1u);
    EXPECT_EQ(sim.alerts.shown[0], (platform::Alert{"Tuftle cannot save its settings",
                                                    "/home/a/.config/tuftle/defaults.plist: Permission denied. Until "
                                                    "this is solved, changes are not saved.",
                                                    "OK"}));
}
