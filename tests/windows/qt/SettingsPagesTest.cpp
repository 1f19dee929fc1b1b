#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QTest>
#include <QScatterSeries>
#include <QValueAxis>
#include <QChartView>
#include <fstream>
#include <nlohmann/json.hpp>

#include "TestFiles.h"
#include "app/AppController.h"
#include "model/AppModelTestSupport.h"
#include "model/TimeZoneTestSupport.h"
#include "platform/PlistFileDefaults.h"
#include "windows/qt/PetPreviewStage.h"
#include "windows/qt/SettingsBlocks.h"
#include "windows/qt/SettingsWindow.h"

using windows::SettingsSection;
namespace cal = platform::calendar;

namespace {

struct SettingsPagesTest : model::testing::AppModelTest {
    model::testing::TimeZoneOverride zone{model::testing::kUtc};
    std::unique_ptr<model::AppModel> model = launch();
    std::vector<std::string> calls;
    std::unique_ptr<windows::qt::SettingsWindow> window;

    void open(SettingsSection section, windows::SettingsActions actions = {}) {
        actions.switchStashOff = [this] { calls.push_back("stash off, ledger " + std::to_string(model->ledger->allTimeCount)); };
        window = std::make_unique<windows::qt::SettingsWindow>(*model, std::move(actions), section);
        window->makeKeyAndOrderFront();
        QApplication::processEvents();
    }
    template <typename T = QWidget>
    T* control(const char* name) const {
        auto* found = window->view()->page()->findChild<T*>(name);
        EXPECT_TRUE(found) << name;
        return found;
    }
    // Presses the named button of the page's open dialog.
    void answer(const char* dialog, const char* button) {
        auto* box = control<QMessageBox>(dialog);
        ASSERT_TRUE(box && box->isVisible()) << dialog;
        box->findChild<QAbstractButton*>(button)->click();
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::string dayKey(int daysFromToday) const { return cal::dayKey(cal::startOfDayAdding(now(), daysFromToday)); }
};

TEST_F(SettingsPagesTest, keyChartPlotsEveryDayOfTheRangeWithZerosForDaysWithoutRecords) {
    model::KeystrokeLedger ledger;
    ledger.dailyCounts = {{dayKey(0), 40}, {dayKey(-2), 250}, {dayKey(-6), 5}, {dayKey(-7), 900}, {dayKey(-29), 7}, {dayKey(-30), 3}};
    ledger.allTimeCount = 1205;
    model->ledger = ledger;
    open(SettingsSection::keyboard);

    struct Case {
        int pickerIndex;
        std::vector<qreal> counts;  // oldest first
        qreal top;
        QString summary;
    };
    std::vector<qreal> month(30, 0);
    month[0] = 7, month[22] = 900, month[23] = 5, month[27] = 250, month[29] = 40;
    const Case cases[] = {
        {0, {5, 0, 0, 0, 250, 0, 40}, 250, "Best day 250 · Total 295"},
        {1, month, 900, "Best day 900 · Total 1,202"},
        {0, {5, 0, 0, 0, 250, 0, 40}, 250, "Best day 250 · Total 295"},
    };
    QScatterSeries* points = nullptr;
    for (auto* series : control<QChartView>("keyChart")->chart()->series())
        if (series->objectName() == "points") points = qobject_cast<QScatterSeries*>(series);
    ASSERT_TRUE(points);
    auto* picker = control<windows::qt::SegmentedPicker>("chartDays");
    for (const auto& c : cases) {
        picker->segment(c.pickerIndex)->click();
        const auto shown = points->points();
        ASSERT_EQ(shown.size(), static_cast<qsizetype>(c.counts.size()));
        for (qsizetype i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(shown[i].y(), c.counts[static_cast<size_t>(i)]) << i;
            const auto day = cal::startOfDayAdding(now(), static_cast<int>(i - shown.size() + 1));
            EXPECT_EQ(shown[i].x(), day.unixSeconds() * 1000) << i;
        }
        auto* y = qobject_cast<QValueAxis*>(points->attachedAxes().at(1));
        EXPECT_EQ(y->min(), 0);
        EXPECT_EQ(y->max(), c.top);
        EXPECT_EQ(control<QLabel>("chartSummary")->text(), c.summary);
    }
    const qreal weekMarks = points->markerSize();
    picker->segment(1)->click();
    EXPECT_GT(weekMarks, 1.4 * points->markerSize()) << "30 days use smaller marks";

    model->ledger = model::KeystrokeLedger{};
    EXPECT_EQ(qobject_cast<QValueAxis*>(points->attachedAxes().at(1))->max(), 1) << "a month of zeros still spans 0...1";
}

TEST_F(SettingsPagesTest, clearingTodayTakesTwoStepsAndClearsTheDayTheFirstStepWasAskedOn) {
    struct Case {
        const char* name;
        bool crossMidnight;
        const char* firstAnswer;
        const char* finalAnswer;  // nullptr: the first step was dismissed
        int64_t askedDayLeft, newDayLeft, totalLeft;
    };
    const Case cases[] = {
        {"dismissed first", false, "cancel", nullptr, 30, 0, 130},
        {"cancelled at the end", false, "continue", "cancel", 30, 0, 130},
        {"confirmed", false, "continue", "clearForever", 0, 0, 100},
        {"confirmed after midnight", true, "continue", "clearForever", 0, 1, 101},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Late in the evening, 30 presses today and 100 yesterday.
        sim.loop.shiftWallClock(86400 - 120 - now().timeIntervalSince(cal::startOfDay(now())));
        const std::string asked = dayKey(0);
        model->ledger = model::KeystrokeLedger{{{asked, 30}, {dayKey(-1), 100}}, 130};
        open(SettingsSection::keyboard);
        control<QAbstractButton>("clearToday")->click();
        if (c.crossMidnight) {
            sim.loop.advance(300);
            model->recordKeystroke(now());
        }
        answer("clearTodayFirst", c.firstAnswer);
        if (c.finalAnswer) answer("clearTodayFinal", c.finalAnswer);
        EXPECT_EQ(model->ledger->countDay(asked), c.askedDayLeft);
        EXPECT_EQ(model->ledger->countDay(dayKey(0)), c.crossMidnight ? c.newDayLeft : c.askedDayLeft);
        EXPECT_EQ(model->ledger->allTimeCount, c.totalLeft);
    }
    model->ledger = model::KeystrokeLedger{};
    open(SettingsSection::keyboard);
    EXPECT_FALSE(control<QAbstractButton>("clearToday")->isEnabled()) << "nothing to clear today";
}

TEST_F(SettingsPagesTest, companionControlsWriteTheirModelValues) {
    using model::ReminderInterval;
    using model::WellbeingAction;
    struct Row {
        const char* name;
        platform::Published<bool>& enabled;
        platform::Published<ReminderInterval>& interval;
        WellbeingAction preview;
    };
    const Row rows[] = {
        {"rest", model->restRemindersEnabled, model->restReminderInterval, WellbeingAction::stretch},
        {"water", model->waterRemindersEnabled, model->waterReminderInterval, WellbeingAction::drink},
        {"stretch", model->stretchRemindersEnabled, model->stretchReminderInterval, WellbeingAction::standStretch},
        {"lookFar", model->lookFarRemindersEnabled, model->lookFarReminderInterval, WellbeingAction::lookFar},
    };
    open(SettingsSection::companion);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string name = row.name;
        const bool before = row.enabled;
        const bool gestures = model->reminderGesturesEnabled;
        control<QAbstractButton>((name + "Preview").c_str())->click();
        EXPECT_EQ(model->wellbeingAction.get(), row.preview);
        EXPECT_EQ(row.enabled.get(), before) << "a preview leaves the switch alone";
        control<QAbstractButton>((name + "Enabled").c_str())->click();
        EXPECT_EQ(row.enabled.get(), !before);
        auto* picker = control<QComboBox>((name + "Interval").c_str());
        Q_EMIT picker->activated(5);
        EXPECT_EQ(row.interval.get(), ReminderInterval::ninety);
        EXPECT_EQ(model->reminderGesturesEnabled.get(), gestures);
    }
    const bool gestures = model->reminderGesturesEnabled;
    control<QAbstractButton>("reminderGesturesEnabled")->click();
    EXPECT_EQ(model->reminderGesturesEnabled.get(), !gestures);

    control<QAbstractButton>("startFocus")->click();
    EXPECT_TRUE(model->isFocusActive.get());
    EXPECT_EQ(control<QLabel>("focusDetail")->text().toStdString(), model->focusRemainingText());
    control<QAbstractButton>("stopFocus")->click();
    EXPECT_FALSE(model->isFocusActive.get());
}

TEST_F(SettingsPagesTest, exportWritesAJsonDocumentAParserReads) {
    testfiles::TemporaryFolder folder{"tuftle-privacy"};
    app::AppController controller(*model);
    sim.savePanels.answer = folder.path() / "copy.json";
    windows::SettingsActions actions;
    actions.exportLocalData = [&controller] { controller.exportLocalData(); };
    model->ledger = model::KeystrokeLedger{{{dayKey(0), 12}}, 12};
    open(SettingsSection::privacy, std::move(actions));
    control<QAbstractButton>("exportData")->click();
    const auto parsed = nlohmann::json::parse(testfiles::readFile(folder.path() / "copy.json"), nullptr, false);
    ASSERT_FALSE(parsed.is_discarded());
    EXPECT_NE(parsed.dump().find("12"), std::string::npos);
}

TEST_F(SettingsPagesTest, resetSwitchesTheStashOffFirstThenEmptiesTheModelAndTheDefaultsFile) {
    testfiles::TemporaryFolder folder{"tuftle-reset"};
    platform::PlistFileDefaults file(folder.path() / "defaults.plist", sim.loop);
    model = std::make_unique<model::AppModel>(file, sim.loop);
    model->setName("Mochiko", 0);
    model->windowWalkingEnabled = true;
    model->ledger = model::KeystrokeLedger{{{dayKey(0), 77}}, 77};
    model->persistLedger();
    ASSERT_TRUE(file.flush());
    open(SettingsSection::privacy);

    control<QAbstractButton>("resetData")->click();
    answer("resetConfirmation", "cancel");
    EXPECT_EQ(model->name(0), "Mochiko") << "cancel changes nothing";
    EXPECT_TRUE(calls.empty());

    control<QAbstractButton>("resetData")->click();
    answer("resetConfirmation", "reset");
    EXPECT_EQ(calls, std::vector<std::string>{"stash off, ledger 77"});
    EXPECT_EQ(model->ledger->allTimeCount, 0);
    EXPECT_FALSE(model->windowWalkingEnabled.get());
    EXPECT_NE(model->name(0), "Mochiko");
    ASSERT_TRUE(file.flush());
    window.reset();
    platform::PlistFileDefaults reread(file.path(), sim.loop);
    model::AppModel fresh(reread, sim.loop);
    EXPECT_EQ(fresh.ledger->allTimeCount, 0);
    EXPECT_EQ(fresh.name(0), model->name(0));
    EXPECT_FALSE(fresh.windowWalkingEnabled.get());
}

TEST_F(SettingsPagesTest, actionsStageFollowsOnlyTheLatestSceneAndDesktopRequestsReportTheirOutcome) {
    using model::PetActivity;
    std::vector<std::string> asked;
    bool accept = false;
    windows::SettingsActions actions;
    actions.demonstrateScene = [&](model::PetLifeScene, model::DesktopDemoTarget t) {
        asked.push_back("scene " + std::to_string(static_cast<int>(t)));
        return accept;
    };
    actions.demonstrateAll = [&](model::DesktopDemoTarget) { return asked.push_back("tour"), accept; };
    actions.hideSettingsWindow = [&] { asked.push_back("hide"); };
    open(SettingsSection::actions, std::move(actions));
    auto* stage = control<windows::qt::PetPreviewStage>("previewStage");
    auto scene = [&](model::PetLifeScene s) {
        return control<QWidget>(("scene-" + std::to_string(static_cast<int>(s))).c_str());
    };
    EXPECT_EQ(stage->state().activity, PetActivity::peeking);
    EXPECT_FALSE(stage->state().secondaryActivity) << "pet 2 takes pet 1's pose";

    // Eating's first beat (0.5 s) is due after laughing's (0.4 s): only laughing may drive the stage.
    scene(model::PetLifeScene::eating)->findChild<QAbstractButton*>("scenePreview")->click();
    scene(model::PetLifeScene::laughing)->findChild<QAbstractButton*>("scenePreview")->click();
    EXPECT_EQ(stage->state().activity, PetActivity::greeting);
    QTest::qWait(600);
    EXPECT_EQ(stage->state().activity, PetActivity::laughing);
    control<QAbstractButton>("stop")->click();
    QTest::qWait(700);
    EXPECT_EQ(stage->state().activity, PetActivity::home) << "a stopped stage ignores the pending beats";
    EXPECT_EQ(stage->state().motionOffset, 0);

    const std::pair<bool, const char*> outcomes[] = {{false, "请先显示栗丸并退出全屏。"}, {true, "正在桌面演出：忍不住大笑"}};
    model->setAppLanguage(model::AppLanguageChoice::simplifiedChinese);
    QApplication::processEvents();
    for (auto [accepted, message] : outcomes) {
        accept = accepted;
        scene(model::PetLifeScene::laughing)->findChild<QAbstractButton*>("sceneOnDesktop")->click();
        EXPECT_EQ(control<QLabel>("desktopMessage")->text().toStdString(), message);
    }
    control<QAbstractButton>("tour")->click();
    EXPECT_EQ(asked, (std::vector<std::string>{"scene 2", "scene 2", "tour", "hide"}));
    model->petCount = 1;
    asked.clear();
    scene(model::PetLifeScene::laughing)->findChild<QAbstractButton*>("sceneOnDesktop")->click();
    EXPECT_EQ(asked, std::vector<std::string>{"scene 0"}) << "one pet performs alone";
}

}  // namespace
