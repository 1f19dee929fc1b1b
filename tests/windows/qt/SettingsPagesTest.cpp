#include <gtest/gtest.h>

#include <QApplication>
#include <QCategoryAxis>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpontaneKeyEvent>
#include <QWheelEvent>
#include <QTest>
#include <QTimer>
#include <QScatterSeries>
#include <QValueAxis>
#include <QChartView>
#include <QXYSeries>
#include <fstream>
#include <optional>
#include <set>
#include <nlohmann/json.hpp>

#include "CutTexts.h"
#include "TestFiles.h"
#include "app/AppController.h"
#include "model/AppModelTestSupport.h"
#include "model/TimeZoneTestSupport.h"
#include "platform/Date.h"
#include "platform/storage/PlistFileDefaults.h"
#include "windows/qt/AchievementGalleryView.h"
#include "windows/qt/PageTiles.h"
#include "windows/qt/PetPreviewStage.h"
#include "windows/qt/SettingsBlocks.h"
#include "windows/qt/SettingsWindow.h"

using windows::SettingsSection;
namespace cal = platform::calendar;

namespace {

// The blank points between a button's symbol and its title: the first run of columns across the
// middle of the button that differ from its own fill, then the blank columns up to the next.
double symbolToTitleGap(QPushButton& button, double ratio) {
    QPixmap pixmap(button.size() * ratio);
    pixmap.setDevicePixelRatio(ratio);
    button.render(&pixmap);
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
    // Inside the frame, beside the symbol.
    const int inset = qRound(2 * ratio);
    auto distance = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
    };
    auto ink = [&](int x) {
        for (int y = image.height() / 4; y < image.height() * 3 / 4; ++y)
            if (distance(image.pixel(inset, y), image.pixel(x, y)) > 90) return true;
        return false;
    };
    int x = inset;
    while (x < image.width() - inset && !ink(x)) ++x;
    while (x < image.width() - inset && ink(x)) ++x;
    const int blankFrom = x;
    while (x < image.width() - inset && !ink(x)) ++x;
    EXPECT_LT(x, image.width() - inset) << "no title after the symbol";
    return (x - blankFrom) / ratio;
}

struct SettingsPagesTest : model::testing::AppModelTest {
    model::testing::TimeZoneOverride zone{model::testing::kUtc};
    std::unique_ptr<model::AppModel> model = launch();
    std::vector<std::string> calls;
    std::unique_ptr<windows::qt::SettingsWindow> window;

    // A released window's widgets go at the next turn of the loop, with work they queued for
    // this model: both must be gone before the model is.
    ~SettingsPagesTest() override {
        window.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

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
        // The scale spans zero to the best day, with no more room around them than a mark needs.
        auto* y = qobject_cast<QValueAxis*>(points->attachedAxes().at(1));
        EXPECT_LE(y->min(), 0);
        EXPECT_GT(y->min(), -0.1 * c.top);
        EXPECT_GE(y->max(), c.top);
        EXPECT_LT(y->max(), 1.2 * c.top);
        EXPECT_EQ(control<QLabel>("chartSummary")->text(), c.summary);
    }
    const qreal weekMarks = points->markerSize();
    picker->segment(1)->click();
    EXPECT_GT(weekMarks, 1.4 * points->markerSize()) << "30 days use smaller marks";

    model->ledger = model::KeystrokeLedger{};
    const auto* y = qobject_cast<QValueAxis*>(points->attachedAxes().at(1));
    EXPECT_TRUE(y->max() >= 1 && y->max() < 1.2) << "a month of zeros still spans 0...1";
}

// Every day's mark and the curve through them are drawn whole: the plot cuts off what reaches
// past its edges, the best day at the top, the first and last days at the sides, zeros below.
TEST_F(SettingsPagesTest, keyChartDrawsEveryMarkWholeInsideThePlot) {
    struct Case {
        const char* what;
        std::vector<int64_t> week;  // oldest first
        int pickerIndex;
    };
    const Case cases[] = {
        {"the best day in the middle, rising after it", {1840, 3205, 960, 4410, 2730, 0, 1275}, 0},
        {"the best days at both ends", {5000, 10, 0, 20, 0, 10, 5000}, 0},
        {"a single day of typing", {0, 0, 0, 0, 0, 0, 1}, 0},
        {"a month with one busy day", {0, 0, 0, 9000, 0, 0, 0}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        model::KeystrokeLedger ledger;
        for (size_t i = 0; i < c.week.size(); ++i) ledger.dailyCounts[dayKey(static_cast<int>(i) - 6)] = c.week[i];
        model->ledger = ledger;
        open(SettingsSection::keyboard);
        control<windows::qt::SegmentedPicker>("chartDays")->segment(c.pickerIndex)->click();
        QApplication::processEvents();
        QChart* chart = control<QChartView>("keyChart")->chart();
        const QRectF plot = chart->plotArea();
        ASSERT_GT(plot.height(), 50);
        for (auto* series : chart->series()) {
            auto* xy = qobject_cast<QXYSeries*>(series);
            if (!xy) continue;
            auto* scatter = qobject_cast<QScatterSeries*>(series);
            const qreal reach =
                scatter ? scatter->markerSize() / 2 + scatter->pen().widthF() / 2 : xy->pen().widthF() / 2;
            for (const QPointF& p : xy->points()) {
                const QPointF at = chart->mapToPosition(p, series);
                const QRectF drawn(at.x() - reach, at.y() - reach, 2 * reach, 2 * reach);
                EXPECT_TRUE(plot.contains(drawn))
                    << series->objectName().toStdString() << " at " << p.x() << ", " << p.y();
            }
        }
    }
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

// While counting waits for the X server's key events, the page's button looks for them again:
// what it finds shows at once, and the button stays only while there is still nothing.
TEST_F(SettingsPagesTest, keyboardPage_checkAgainLooksForKeyEventsAndShowsWhatItFound) {
    const struct {
        bool found;
        const char* status;
    } rows[] = {
        {false, "Waiting for the X server’s key events"},
        {true, "Key counting on: counts only, from the X server’s key events"},
    };
    model->setAppLanguage(model::AppLanguageChoice::english);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        model->keyCountingEnabled = true;
        model->keyboardPermissionGranted = false;
        int looked = 0;
        windows::SettingsActions actions;
        actions.openInputMonitoringSettings = [&, found = row.found] {
            ++looked;
            model->keyboardPermissionGranted = found;
        };
        open(SettingsSection::keyboard, std::move(actions));
        auto* button = control<QPushButton>("openInputMonitoring");
        ASSERT_TRUE(button->isVisible());
        EXPECT_EQ(button->text(), "Check Again");
        button->click();
        QApplication::processEvents();
        EXPECT_EQ(looked, 1);
        QStringList shown;
        for (auto* label : control("permissionStatus")->findChildren<QLabel*>()) shown << label->text();
        EXPECT_TRUE(shown.contains(row.status)) << shown.join(" | ").toStdString();
        EXPECT_EQ(button->isVisible(), !row.found);
    }
}

// Both steps say which day they clear and how many presses it holds, as they are when the answer
// comes: after midnight that day is no longer today.
TEST_F(SettingsPagesTest, clearTodayConfirmationsNameTheDayAndCountTheyClear) {
    using model::AppLanguageChoice;
    struct Case {
        const char* name;
        AppLanguageChoice language;
        int daysLeftInWeek;                       // after the day the first step is asked on
        double firstStepOpenFor, finalStepAfter;  // seconds, with a key press at the end of each
        const char* first;                        // %1: the asked day of the month
        const char* final;
        const char* clearButton;
        int64_t totalLeft;
    };
    const Case cases[] = {
        {"answered the same evening", AppLanguageChoice::english, 3, 10, 10,
         "This deletes today's 31 key presses; this week's and all-time totals drop too.",
         "This cannot be undone. Only today is deleted; other days stay.", "Clear Today for Good", 100},
        {"midnight while the first step is open", AppLanguageChoice::english, 3, 300, 0,
         "This deletes yesterday's 30 key presses; this week's and all-time totals drop too.",
         "This cannot be undone. Only yesterday is deleted; other days stay.", "Clear for Good", 102},
        {"midnight between the steps", AppLanguageChoice::english, 3, 10, 300,
         "This deletes today's 31 key presses; this week's and all-time totals drop too.",
         "This cannot be undone. Only yesterday is deleted; other days stay.", "Clear for Good", 101},
        {"midnight starts a new week", AppLanguageChoice::english, 0, 300, 0,
         "This deletes yesterday's 30 key presses; the all-time total drops too.",
         "This cannot be undone. Only yesterday is deleted; other days stay.", "Clear for Good", 102},
        {"left open for two days", AppLanguageChoice::english, 3, 2 * 86400, 0,
         "This deletes Mar %1's 30 key presses; this week's and all-time totals drop too.",
         "This cannot be undone. Only Mar %1 is deleted; other days stay.", "Clear for Good", 102},
        {"midnight, in Chinese", AppLanguageChoice::simplifiedChinese, 3, 300, 0,
         "将删除昨天的 30 次记录；本周与累计数字也会减少。", "此操作无法撤销。只删除昨天，不影响其他日期。", "永久清除",
         102},
        {"two days, in Chinese", AppLanguageChoice::simplifiedChinese, 3, 2 * 86400, 0,
         "将删除3月%1日的 30 次记录；本周与累计数字也会减少。", "此操作无法撤销。只删除3月%1日，不影响其他日期。",
         "永久清除", 102},
    };
    const int lastOfWeek = (model::localeFirstWeekday() + 5) % 7 + 1;
    int weekEnd = 1;
    while (cal::localComponents(cal::dateFromLocal(2026, 3, weekEnd)).weekday != lastOfWeek) ++weekEnd;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        model->setAppLanguage(c.language);
        // Two minutes before midnight, early in March.
        const int day = weekEnd - c.daysLeftInWeek + (weekEnd - c.daysLeftInWeek < 1 ? 7 : 0);
        sim.loop.shiftWallClock(cal::dateFromLocal(2026, 3, day, 23, 58).timeIntervalSince(now()));
        model->ledger = model::KeystrokeLedger{{{dayKey(0), 30}, {dayKey(-1), 100}}, 130};
        open(SettingsSection::keyboard);
        control<QAbstractButton>("clearToday")->click();
        sim.loop.advance(c.firstStepOpenFor);
        model->recordKeystroke(now());
        auto* first = control<QMessageBox>("clearTodayFirst");
        ASSERT_TRUE(first);
        EXPECT_EQ(first->informativeText(), QString::fromUtf8(c.first).arg(day));
        answer("clearTodayFirst", "continue");
        sim.loop.advance(c.finalStepAfter);
        model->recordKeystroke(now());
        auto* final = control<QMessageBox>("clearTodayFinal");
        ASSERT_TRUE(final);
        EXPECT_EQ(final->informativeText(), QString::fromUtf8(c.final).arg(day));
        EXPECT_EQ(final->findChild<QAbstractButton*>("clearForever")->text(), QString::fromUtf8(c.clearButton));
        answer("clearTodayFinal", "clearForever");
        EXPECT_EQ(model->ledger->allTimeCount, c.totalLeft);
    }
}

// The first step writes the count it clears as the page's tile for today writes it.
TEST_F(SettingsPagesTest, theFirstClearTodayStepWritesTheCountAsThePageDoes) {
    for (auto language : {model::AppLanguageChoice::english, model::AppLanguageChoice::simplifiedChinese}) {
        SCOPED_TRACE(model::rawValue(language));
        model->setAppLanguage(language);
        model->ledger = model::KeystrokeLedger{{{dayKey(0), 1234}}, 1234};
        open(SettingsSection::keyboard);
        const QString shown = control<windows::qt::StatTile>("todayCount")->value()->text();
        ASSERT_TRUE(shown.size() > 4) << shown.toStdString() << ": written without a group separator";
        control<QAbstractButton>("clearToday")->click();
        auto* first = control<QMessageBox>("clearTodayFirst");
        ASSERT_TRUE(first);
        EXPECT_TRUE(first->informativeText().contains(" " + shown + " ")) << first->informativeText().toStdString();
        answer("clearTodayFirst", "cancel");
    }
}

// A key counted while a step is open changes the count it names, nothing of its frame: the
// window manager would cut a title that no longer fits.
TEST_F(SettingsPagesTest, aKeyCountedWhileAClearTodayStepIsOpenKeepsItsSizeAndTitle) {
    using model::AppLanguageChoice;
    for (auto language : {AppLanguageChoice::english, AppLanguageChoice::simplifiedChinese}) {
        for (const char* step : {"clearTodayFirst", "clearTodayFinal"}) {
            SCOPED_TRACE(std::string(step) + (language == AppLanguageChoice::english ? ", English" : ", Chinese"));
            model->setAppLanguage(language);
            model->ledger = model::KeystrokeLedger{{{dayKey(0), 30}}, 30};
            open(SettingsSection::keyboard);
            control<QAbstractButton>("clearToday")->click();
            if (std::string(step) == "clearTodayFinal") answer("clearTodayFirst", "continue");
            auto* box = control<QMessageBox>(step);
            ASSERT_TRUE(box && box->isVisible());
            QApplication::processEvents();
            const QSize size = box->size();
            const QString title = box->windowTitle(), text = box->text(), message = box->informativeText();
            model->recordKeystroke(now());
            QApplication::processEvents();
            EXPECT_EQ(box->size(), size);
            EXPECT_EQ(box->windowTitle(), title);
            EXPECT_EQ(box->text(), text);
            if (std::string(step) == "clearTodayFirst")
                EXPECT_TRUE(box->informativeText().contains("31")) << box->informativeText().toStdString();
            else
                EXPECT_EQ(box->informativeText(), message);
            answer(step, "cancel");
        }
    }
}

TEST_F(SettingsPagesTest, enterOrEscapeInAConfirmationThatErasesKeepsEveryCount) {
    enum class Key { enter, escape, enterOnTheTabbedToDestructiveButton, spaceOnTheTabbedToDestructiveButton };
    struct Dialog {
        const char* name;
        SettingsSection page;
        const char* opener;
        const char* before;  // the step answered first, if any
        const char* destructive;
        const char* next;  // the step the destructive button leads to, if any
    };
    const Dialog dialogs[] = {
        {"resetConfirmation", SettingsSection::privacy, "resetData", nullptr, "reset", nullptr},
        {"clearTodayFirst", SettingsSection::keyboard, "clearToday", nullptr, "continue", "clearTodayFinal"},
        {"clearTodayFinal", SettingsSection::keyboard, "clearToday", "clearTodayFirst", "clearForever", nullptr},
    };
    const std::pair<Key, const char*> keys[] = {
        {Key::enter, "enter"},
        {Key::escape, "escape"},
        {Key::enterOnTheTabbedToDestructiveButton, "enter on the destructive button"},
        {Key::spaceOnTheTabbedToDestructiveButton, "space on the destructive button"},
    };
    for (const auto& d : dialogs) {
        for (const auto& [key, keyName] : keys) {
            SCOPED_TRACE(std::string(d.name) + ", " + keyName);
            model->ledger = model::KeystrokeLedger{{{dayKey(0), 30}, {dayKey(-1), 100}}, 130};
            auto record = model::CompanionRecord::startingAt(model->companionRecord->firstMetAt);
            record.addCompanion(540, record.firstMetAt);
            model->companionRecord = record;
            open(d.page);
            control<QAbstractButton>(d.opener)->click();
            if (d.before) answer(d.before, "continue");
            auto* box = control<QMessageBox>(d.name);
            ASSERT_TRUE(box && box->isVisible());
            auto* destructive = box->findChild<QPushButton*>(d.destructive);
            QWidget* target = box->focusWidget() ? box->focusWidget() : box;
            if (key == Key::enterOnTheTabbedToDestructiveButton || key == Key::spaceOnTheTabbedToDestructiveButton) {
                destructive->setFocus(Qt::TabFocusReason);
                target = destructive;
            }
            const bool space = key == Key::spaceOnTheTabbedToDestructiveButton;
            QTest::keyClick(target, space ? Qt::Key_Space : key == Key::escape ? Qt::Key_Escape : Qt::Key_Return);
            QApplication::processEvents();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

            // Space erases what that dialog erases: everything, or only today.
            const bool erased = space && !d.next, all = erased && !d.before;
            EXPECT_EQ(model->ledger->countDay(dayKey(0)), erased ? 0 : 30);
            EXPECT_EQ(model->ledger->allTimeCount, all ? 0 : erased ? 100 : 130);
            EXPECT_EQ(model->companionRecord->totalCompanionSeconds, all ? 0 : 540);
            if (d.next) {
                auto* next = window->view()->page()->findChild<QMessageBox*>(d.next);
                EXPECT_EQ(next && next->isVisible(), space) << "only Space goes on to the last step";
            }
        }
    }
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
        EXPECT_TRUE(model->isWellbeingPreview()) << "asked for as a preview, so a focus session does not hold it";
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

TEST_F(SettingsPagesTest, startingOrEndingFocusMovesNoRowBelowTheFocusCard) {
    for (auto language : {model::AppLanguageChoice::simplifiedChinese, model::AppLanguageChoice::english}) {
        model->setAppLanguage(language);
        open(SettingsSection::companion);
        auto* below = control("restEnabled");
        auto rowAt = [&] {
            QApplication::processEvents();
            return below->mapTo(window->view()->page(), QPoint(0, 0));
        };
        const QPoint idle = rowAt();
        control<QAbstractButton>("startFocus")->click();
        EXPECT_EQ(rowAt(), idle) << "started";
        control<QAbstractButton>("stopFocus")->click();
        EXPECT_EQ(rowAt(), idle) << "ended";
    }
}

TEST_F(SettingsPagesTest, exportWritesAJsonDocumentAParserReads) {
    testfiles::TemporaryFolder folder{"tuftle-privacy"};
    app::AppController controller(*model);
    sim.savePanels.answer = folder.path() / "copy.json";
    windows::SettingsActions actions;
    actions.exportLocalData = [&controller] { return controller.exportLocalData(); };
    model->ledger = model::KeystrokeLedger{{{dayKey(0), 12}}, 12};
    open(SettingsSection::privacy, std::move(actions));
    control<QAbstractButton>("exportData")->click();
    const auto parsed = nlohmann::json::parse(testfiles::readFile(folder.path() / "copy.json"), nullptr, false);
    ASSERT_FALSE(parsed.is_discarded());
    EXPECT_NE(parsed.dump().find("12"), std::string::npos);

    // The page says where the file went; a cancelled or failed export takes that back.
    std::ofstream(folder.path() / "notAFolder") << "x";
    const struct {
        const char* what;
        std::optional<std::filesystem::path> answer;
        bool told;
        size_t alerts;
    } exports[] = {
        {"written", folder.path() / "copy.json", true, 0},
        {"cancelled", std::nullopt, false, 0},
        {"written again", folder.path() / "copy.json", true, 0},
        {"failed", folder.path() / "notAFolder" / "copy.json", false, 1},
    };
    auto* result = control<QLabel>("exportResult");
    for (const auto& e : exports) {
        SCOPED_TRACE(e.what);
        sim.alerts.clear();
        sim.savePanels.answer = e.answer;
        control<QAbstractButton>("exportData")->click();
        EXPECT_EQ(result->isVisibleTo(window->view()->page()), e.told);
        EXPECT_EQ(sim.alerts.shown.size(), e.alerts);
        if (e.told) {
            EXPECT_EQ(result->text().remove(QChar(0x200B)).toStdString(),
                      "Exported to " + (folder.path() / "copy.json").string());
        }
    }
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

    // The stage as it stands once every beat due within `ms` of the clicks has had its turn: the
    // loop runs timers in the order they fall due, however late it comes to them.
    QElapsedTimer sinceClicks;
    auto stageAt = [&](qint64 ms) {
        std::optional<windows::qt::PetPreviewStage::State> seen;
        const int wait = static_cast<int>(std::max<qint64>(1, ms - sinceClicks.elapsed()));
        QTimer::singleShot(wait, Qt::PreciseTimer, stage, [&] { seen = stage->state(); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return seen.has_value(); }, 60000));
        return seen.value_or(windows::qt::PetPreviewStage::State{});
    };

    // Eating's first beat (0.5 s) is due after laughing's (0.4 s): only laughing may drive the stage.
    sinceClicks.start();
    scene(model::PetLifeScene::eating)->findChild<QAbstractButton*>("scenePreview")->click();
    scene(model::PetLifeScene::laughing)->findChild<QAbstractButton*>("scenePreview")->click();
    EXPECT_EQ(stage->state().activity, PetActivity::greeting);
    EXPECT_EQ(stageAt(800).activity, PetActivity::laughing);
    control<QAbstractButton>("stop")->click();
    const auto stopped = stageAt(1300);  // past laughing's second beat (1.2 s)
    EXPECT_EQ(stopped.activity, PetActivity::home) << "a stopped stage ignores the pending beats";
    EXPECT_EQ(stopped.motionOffset, 0);

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

// Each page's eyebrow, the small line over its title, is in capitals, as on every other page.
TEST_F(SettingsPagesTest, everyPagesEyebrowIsInCapitals) {
    for (auto language : {model::AppLanguageChoice::english, model::AppLanguageChoice::simplifiedChinese}) {
        model->setAppLanguage(language);
        for (auto section : model::allCases<SettingsSection>) {
            SCOPED_TRACE(std::string(model::rawValue(language)) + " " + std::string(model::rawValue(section)));
            open(section);
            const auto eyebrows = window->view()->page()->findChildren<QLabel*>("eyebrow");
            EXPECT_EQ(eyebrows.size(), section == SettingsSection::actions ? 0 : 1);
            for (auto* eyebrow : eyebrows)
                EXPECT_EQ(eyebrow->text().toStdString(), eyebrow->text().toUpper().toStdString());
        }
    }
}

// Every key reaction's tile holds its name on one line, as the short ones do, with its symbol
// and its tick.
TEST_F(SettingsPagesTest, everyKeyReactionTileHoldsItsNameOnOneLine) {
    for (auto language : {model::AppLanguageChoice::english, model::AppLanguageChoice::simplifiedChinese}) {
        model->setAppLanguage(language);
        open(SettingsSection::keyboard);
        for (auto style : model::allCases<model::KeyboardReactionStyle>) {
            auto* tile = control<windows::qt::Tile>(std::string(model::rawValue(style)).c_str());
            ASSERT_TRUE(tile);
            SCOPED_TRACE(std::string(model::rawValue(language)) + " " + tile->text().toStdString());
            EXPECT_GE(tile->width(), tile->sizeHint().width()) << "the name wraps onto two lines";
        }
    }
}

// Replay's and Play's symbols stand clear of their titles, as Stop's does, at both scales.
TEST_F(SettingsPagesTest, thePreviewButtonsSymbolsStandClearOfTheirTitles) {
    for (auto language : {model::AppLanguageChoice::english, model::AppLanguageChoice::simplifiedChinese}) {
        model->setAppLanguage(language);
        open(SettingsSection::actions);
        const QString replay = control<QPushButton>("play")->text();
        for (bool playing : {true, false}) {
            if (!playing) control<QAbstractButton>("stop")->click();
            ASSERT_EQ(control<QPushButton>("play")->text() == replay, playing);
            for (const char* name : {"play", "stop"})
                for (double ratio : {1.0, 2.0}) {
                    auto* button = control<QPushButton>(name);
                    SCOPED_TRACE(std::string(model::rawValue(language)) + " " + button->text().toStdString() + " at " +
                                 std::to_string(ratio));
                    // More than the 4 points the style leaves, which a symbol filling its square all
                    // but closes.
                    EXPECT_GE(symbolToTitleGap(*button, ratio), 5.0);
                }
        }
    }
}

// One notch of the mouse wheel over `w`; true when `w` took it, false when it left the turn to
// the widgets around it (the window system then hands it on, up to the page's scroll area).
bool turnWheel(QWidget* w) {
    const QPointF at = QRectF(w->rect()).center();
    QWheelEvent event(at, w->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(w, &event);
    QApplication::processEvents();
    return event.isAccepted();
}

TEST_F(SettingsPagesTest, theWheelScrollsThePageAndChangesOnlyAControlTheUserFocused) {
    struct Case {
        SettingsSection page;
        const char* control;
        int segment;  // of a segmented row, else -1
        bool focused;
        bool changes;
    };
    const Case cases[] = {
        {SettingsSection::about, "appLanguage", -1, false, false},
        {SettingsSection::companion, "waterInterval", -1, false, false},
        {SettingsSection::behavior, "dragStayDuration", -1, false, false},
        {SettingsSection::behavior, "sceneFrequency", -1, false, false},
        {SettingsSection::home, "accessory1", -1, false, false},
        {SettingsSection::behavior, "activityLevel", 0, false, false},
        {SettingsSection::behavior, "activityLevel", 0, true, false},
        {SettingsSection::behavior, "dragStayDuration", -1, true, true},
        {SettingsSection::behavior, "sceneFrequency", -1, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.control) + (c.focused ? " focused" : ""));
        open(c.page);
        QApplication::setActiveWindow(window->view()->window());
        QWidget* target = control(c.control);
        if (c.segment >= 0) target = control<windows::qt::SegmentedPicker>(c.control)->segment(c.segment);
        EXPECT_NE(target->focusPolicy() & Qt::WheelFocus, Qt::WheelFocus) << "the wheel gives no focus";
        if (c.focused) target->setFocus(Qt::TabFocusReason);
        sim.defaults.clearWriteLog();
        EXPECT_EQ(turnWheel(target), c.changes) << "taken, or left to the page";
        EXPECT_EQ(!sim.defaults.writeLog().empty(), c.changes) << "stored values";
    }
}

// Notches of the wheel as the window system hands them in: to the window at a point, then
// from the widget under it outwards to whoever takes them.
void turnWheelOverWindow(QWidget* over, QPoint at, int notches) {
    QWidget* top = over->window();
    const QPointF inTop = over->mapTo(top, at);
    for (int i = 0; i < std::abs(notches); ++i) {
        QWheelEvent event(inTop, top->mapToGlobal(inTop), QPoint(), QPoint(0, notches < 0 ? 120 : -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&event);
        // Straight to notify: sendEvent would take away the mark of the window system, and
        // only such an event travels outwards from the widget under the pointer.
        qApp->notify(top->windowHandle(), &event);
    }
    QApplication::processEvents();
}

// Where the pointer rests: a widget and a point in it.
using Spot = std::pair<QWidget*, QPoint>;

Spot centreOf(QWidget* w) {
    return {w, w ? w->rect().center() : QPoint()};
}

// Inside a widget's top-left padding, over nothing but the widget itself.
Spot paddingOf(QWidget* w) {
    return {w, QPoint(6, 6)};
}

template <typename T>
T* enclosing(QWidget* w) {
    while (w && !dynamic_cast<T*>(w)) w = w->parentWidget();
    return dynamic_cast<T*>(w);
}

TEST_F(SettingsPagesTest, theWheelScrollsEveryPageWhereverThePointerRestsExceptOverAFocusedControl) {
    using windows::qt::SegmentedPicker;
    using windows::qt::SettingsCard;
    using Find = std::function<Spot(QWidget* page, QScrollArea* scroll)>;
    const Find heading = [](QWidget* page, QScrollArea*) { return centreOf(page->findChild<QWidget*>("pageTitle")); };
    const Find margin = [](QWidget*, QScrollArea* scroll) {
        return Spot{scroll->viewport(), QPoint(8, scroll->viewport()->height() / 2)};
    };
    const Find card = [](QWidget* page, QScrollArea*) { return paddingOf(page->findChildren<SettingsCard*>().value(1)); };
    auto named = [](const char* name) {
        return Find([name](QWidget* page, QScrollArea*) { return centreOf(page->findChild<QWidget*>(name)); });
    };
    auto segment = [](const char* name) {
        return Find([name](QWidget* page, QScrollArea*) {
            auto* picker = page->findChild<SegmentedPicker*>(name);
            return centreOf(picker ? picker->segment(0) : nullptr);
        });
    };
    // Between the gallery's two cards, scrolled into view.
    const Find galleryGap = [](QWidget* page, QScrollArea* scroll) {
        auto* poses = enclosing<SettingsCard>(page->findChild<QWidget*>("sleeping"));
        if (poses) scroll->verticalScrollBar()->setValue(poses->y() - scroll->viewport()->height() / 2);
        return Spot{poses, poses ? QPoint(poses->width() / 2, -9) : QPoint()};
    };
    struct Case {
        SettingsSection page;
        const char* where;
        Find spot;
        bool focused = false;  // the user clicked it first: the control takes the turn
    };
    const Case cases[] = {
        {SettingsSection::home, "title", heading},
        {SettingsSection::home, "margin", margin},
        {SettingsSection::home, "card", card},
        {SettingsSection::home, "picker", named("accessory1")},
        {SettingsSection::home, "segmented row", segment("petCount")},
        {SettingsSection::home, "switch", named("petsVisible")},
        {SettingsSection::companion, "title", heading},
        {SettingsSection::companion, "margin", margin},
        {SettingsSection::companion, "card", card},
        {SettingsSection::companion, "picker", named("waterInterval")},
        {SettingsSection::companion, "focused picker", named("waterInterval"), true},
        {SettingsSection::behavior, "slider", named("dragStayDuration")},
        {SettingsSection::behavior, "focused slider", named("sceneFrequency"), true},
        {SettingsSection::about, "title", heading},
        {SettingsSection::about, "margin", margin},
        {SettingsSection::about, "card", card},
        {SettingsSection::about, "picker", named("appLanguage")},
        {SettingsSection::achievements, "title", heading},
        {SettingsSection::achievements, "margin", margin},
        {SettingsSection::achievements, "hero card", named("hero")},
        {SettingsSection::achievements, "badge", named("firstSteps")},
        {SettingsSection::actions, "scene tile", named("scene-0")},
        {SettingsSection::actions, "scene name", named("scenePreview")},
        {SettingsSection::actions, "between the cards", galleryGap},
        {SettingsSection::actions, "pose tile", named("sleeping")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(windows::title(c.page) + ", over the " + c.where);
        open(c.page);
        QApplication::setActiveWindow(window->view()->window());
        auto* scroll = window->view()->findChild<QScrollArea*>(c.page == SettingsSection::actions ? "actionsScroll" : "pageScroll");
        ASSERT_TRUE(scroll);
        auto [over, at] = c.spot(window->view()->page(), scroll);
        ASSERT_TRUE(over);
        if (over != scroll->viewport() && over->rect().contains(at)) scroll->ensureWidgetVisible(over, 0, 0);
        const QRect shown(scroll->viewport()->mapTo(window->view()->window(), QPoint()), scroll->viewport()->size());
        ASSERT_TRUE(shown.contains(over->mapTo(window->view()->window(), at))) << "the pointer rests on the page";
        QScrollBar* bar = scroll->verticalScrollBar();
        ASSERT_GT(bar->maximum(), 0) << "the page is taller than the window";
        if (c.focused) over->setFocus(Qt::MouseFocusReason);
        // Down, unless the page is already at its end.
        const int before = bar->value();
        const int notches = before < bar->maximum() ? 5 : -5;
        sim.defaults.clearWriteLog();
        turnWheelOverWindow(over, at, notches);
        if (c.focused) {
            EXPECT_EQ(bar->value(), before) << "the page stays";
            EXPECT_FALSE(sim.defaults.writeLog().empty()) << "the setting changed";
            continue;
        }
        EXPECT_EQ(bar->value() > before, notches > 0) << "moved from " << before << " to " << bar->value();
        EXPECT_NE(bar->value(), before);
        EXPECT_TRUE(sim.defaults.writeLog().empty()) << "stored values";
    }
}

TEST_F(SettingsPagesTest, theRunningSceneEndsOnTheStageWithoutStoppingTheProgram) {
    open(SettingsSection::actions);
    auto* stage = control<windows::qt::PetPreviewStage>("previewStage");
    control(("scene-" + std::to_string(static_cast<int>(model::PetLifeScene::running))).c_str())
        ->findChild<QAbstractButton*>("scenePreview")
        ->click();
    // Its beats move the pets out and back; each move's animation ends by deleting itself.
    const bool home = QTest::qWaitFor([&] {
        return stage->state().activity == model::PetActivity::home && stage->state().motionOffset == 0;
    }, 10000);
    EXPECT_TRUE(home);
}

TEST_F(SettingsPagesTest, aTourPutsTheWindowAwayAndItComesBackOnTheSamePageWithTheMessage) {
    windows::SettingsActions actions;
    actions.demonstrateAll = [](model::DesktopDemoTarget) { return true; };
    actions.hideSettingsWindow = [this] { window->orderOut(); };
    open(SettingsSection::actions, std::move(actions));
    auto* page = window->view()->page();
    control<QAbstractButton>("tour")->click();
    EXPECT_FALSE(window->isVisible());
    window->makeKeyAndOrderFront();
    QApplication::processEvents();
    EXPECT_EQ(window->view()->selection(), SettingsSection::actions);
    EXPECT_EQ(window->view()->page(), page);
    auto* message = control<QLabel>("desktopMessage");
    EXPECT_TRUE(message->isVisible());
    EXPECT_EQ(message->toolTip().toStdString(), model::L10n::t("已开始实景巡演；点击菜单栏“回家”可停止。"));
}

// After a tour the page says how to stop it, in at most two whole lines beside the stage's
// controls, which stay where they were; where no tray shows the entry it says how to reach the
// panel without one.
TEST_F(SettingsPagesTest, theTourMessageIsReadWholeAndMovesNoControl) {
    struct Case {
        model::AppLanguageChoice language;
        bool tray;
        const char* howToStop;
    } cases[] = {
        {model::AppLanguageChoice::english, true, "已开始实景巡演；点击菜单栏“回家”可停止。"},
        {model::AppLanguageChoice::english, false, "已开始实景巡演；再次启动栗丸，在打开的面板中点击“让栗丸回家”可停止。"},
        {model::AppLanguageChoice::simplifiedChinese, true, "已开始实景巡演；点击菜单栏“回家”可停止。"},
        {model::AppLanguageChoice::simplifiedChinese, false, "已开始实景巡演；再次启动栗丸，在打开的面板中点击“让栗丸回家”可停止。"},
    };
    for (const auto& c : cases) {
        model->setAppLanguage(c.language);
        windows::SettingsActions actions;
        actions.demonstrateAll = [](model::DesktopDemoTarget) { return true; };
        actions.hideSettingsWindow = [this] { window->orderOut(); };
        actions.trayShowsEntry = [&c] { return c.tray; };
        open(SettingsSection::actions, std::move(actions));
        const std::string what = std::string(c.howToStop) + (c.tray ? " with a tray" : " without a tray");
        std::vector<QPoint> places;
        for (const char* name : {"play", "stop", "loops"})
            places.push_back(control(name)->mapTo(window->widget(), QPoint()));
        control<QAbstractButton>("tour")->click();
        window->makeKeyAndOrderFront();
        QApplication::processEvents();
        auto* message = control<QLabel>("desktopMessage");
        ASSERT_TRUE(message->isVisible()) << what;
        EXPECT_EQ(message->toolTip().toStdString(), model::L10n::t(c.howToStop)) << what;
        QString lines = message->text();
        EXPECT_LE(lines.count('\n'), 1) << what;
        const QString whole = QString::fromStdString(model::L10n::t(c.howToStop));
        EXPECT_EQ(lines.remove('\n').remove(' '), QString(whole).remove(' ')) << what << ": shortened";
        EXPECT_EQ(settingsshots::cutTexts(message), QStringList()) << what;
        EXPECT_LT(message->height(), 3 * message->fontMetrics().lineSpacing()) << what;
        std::vector<QPoint> after;
        for (const char* name : {"play", "stop", "loops"})
            after.push_back(control(name)->mapTo(window->widget(), QPoint()));
        EXPECT_EQ(after, places) << what << ": the controls moved";
    }
}

// The home page's word on hiding the pets tells the truth on a desktop where no tray shows the
// entry.
TEST_F(SettingsPagesTest, theHomePageSaysWhatStaysWhereNoTrayShowsTheEntry) {
    struct Case {
        bool tray;
        const char* shown;
        const char* notShown;
    } cases[] = {
        {true, "关闭后只保留菜单栏入口。", "关闭后屏幕上什么都不留；再次启动栗丸可打开面板。"},
        {false, "关闭后屏幕上什么都不留；再次启动栗丸可打开面板。", "关闭后只保留菜单栏入口。"},
    };
    model->setAppLanguage(model::AppLanguageChoice::english);
    for (const auto& c : cases) {
        windows::SettingsActions actions;
        actions.trayShowsEntry = [&c] { return c.tray; };
        open(SettingsSection::home, std::move(actions));
        QApplication::processEvents();
        std::set<std::string> shown;
        for (auto* label : window->view()->page()->findChildren<QLabel*>())
            if (label->isVisible()) shown.insert(label->text().toStdString());
        const char* what = c.tray ? "with a tray" : "without a tray";
        EXPECT_TRUE(shown.contains(model::L10n::t(c.shown))) << what;
        EXPECT_FALSE(shown.contains(model::L10n::t(c.notShown))) << what;
    }
}

TEST_F(SettingsPagesTest, aLanguageChangeKeepsTheDownloadControls) {
    struct Case {
        updates::UpdateDownloadState download;
        std::vector<const char*> shown;
    };
    const Case cases[] = {
        {updates::UpdateDownloadState::downloading(0.4), {"downloadProgress", "cancelDownload"}},
        {updates::UpdateDownloadState::ready("/tmp/tuftle-update.tar.gz"), {"openUpdate"}},
    };
    updates::UpdateManifest manifest;
    manifest.version = "9.0.0";
    manifest.size = 1000;
    auto language = model::AppLanguageChoice::english;
    for (const auto& c : cases) {
        model->updateCheckResult = updates::UpdateCheckResult::available(manifest);
        model->updateDownloadState = c.download;
        open(SettingsSection::about);
        language = language == model::AppLanguageChoice::english ? model::AppLanguageChoice::simplifiedChinese
                                                                  : model::AppLanguageChoice::english;
        model->setAppLanguage(language);
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const char* name : c.shown) {
            auto* shown = window->view()->page()->findChild<QWidget*>(name);
            EXPECT_TRUE(shown && shown->isVisible()) << name;
        }
    }
}

TEST_F(SettingsPagesTest, theKeyChartLabelsCalendarDaysInAWeekWithADaylightSavingChange) {
    // Central Europe: summer time from the last Sunday of March (31 March 2030).
    zone.switchTo("CET-1CEST,M3.5.0,M10.5.0/3");
    sim.loop.shiftWallClock(cal::dateFromLocal(2030, 4, 2, 12).timeIntervalSince(now()));
    open(SettingsSection::keyboard);
    struct Case {
        int pickerIndex;
        QStringList labels;
    };
    const Case cases[] = {
        {0, {"Mar 27", "Mar 28", "Mar 29", "Mar 30", "Mar 31", "Apr 1", "Apr 2"}},
        {1, {"Mar 9", "Mar 15", "Mar 21", "Mar 27", "Apr 2"}},
    };
    QScatterSeries* points = nullptr;
    for (auto* series : control<QChartView>("keyChart")->chart()->series())
        if (series->objectName() == "points") points = qobject_cast<QScatterSeries*>(series);
    ASSERT_TRUE(points);
    auto* axis = qobject_cast<QCategoryAxis*>(points->attachedAxes().at(0));
    ASSERT_TRUE(axis);
    for (const auto& c : cases) {
        control<windows::qt::SegmentedPicker>("chartDays")->segment(c.pickerIndex)->click();
        EXPECT_EQ(axis->categoriesLabels(), c.labels);
        QList<qreal> days;
        for (const auto& p : points->points()) days << p.x();
        for (const auto& label : axis->categoriesLabels())
            EXPECT_TRUE(days.contains(axis->endValue(label))) << label.toStdString() << " sits on its day's point";
    }
}

TEST_F(SettingsPagesTest, anOpenKeyboardPageTurnsToTheNewDayAsItBegins) {
    sim.loop.shiftWallClock(86400 - 30 - now().timeIntervalSince(cal::startOfDay(now())));
    model->ledger = model::KeystrokeLedger{{{dayKey(0), 30}}, 30};
    open(SettingsSection::keyboard);
    auto today = [this] { return control<windows::qt::StatTile>("todayCount")->value()->text(); };
    EXPECT_EQ(today(), "30");
    sim.loop.advance(29);
    QApplication::processEvents();
    EXPECT_EQ(today(), "30");
    sim.loop.advance(2);
    QApplication::processEvents();
    EXPECT_EQ(today(), "0") << "a second after midnight, with nothing else published";
    EXPECT_FALSE(control<QAbstractButton>("clearToday")->isEnabled());
    QScatterSeries* points = nullptr;
    for (auto* series : control<QChartView>("keyChart")->chart()->series())
        if (series->objectName() == "points") points = qobject_cast<QScatterSeries*>(series);
    ASSERT_TRUE(points);
    EXPECT_EQ(points->points().back(), QPointF(cal::startOfDay(now()).unixSeconds() * 1000, 0)) << "the chart ends today";
}

// Everything the wall shows, in order.
QStringList wallTexts(const windows::qt::AchievementGalleryView& wall) {
    QStringList texts;
    for (const char* name : {"unlockedCount", "nextBadge", "unlockedSummary"}) texts << wall.findChild<QLabel*>(name)->text();
    for (auto* tile : wall.tiles()) texts << tile->objectName() + ": " + tile->accessibleName() + " / " + tile->toolTip();
    return texts;
}

TEST_F(SettingsPagesTest, anOpenAchievementWallFollowsTheRecord) {
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"a minute together", [this] { model->recordCompanion(60); }},
        {"a key press", [this] { model->recordKeystroke(now()); }},
        {"a badge unlocked", [this] {
             auto record = model->companionRecord.get();
             record.unlockedIDs.insert(std::string(model::rawValue(model::allCases<model::CompanionUnlock>.back())));
             model->companionRecord = record;
         }},
    };
    open(SettingsSection::achievements);
    auto* wall = static_cast<windows::qt::AchievementGalleryView*>(window->view()->page());
    ASSERT_EQ(wall->objectName(), "achievementWall");
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        const QStringList before = wallTexts(*wall);
        change();
        QApplication::processEvents();
        const windows::qt::AchievementGalleryView fresh(
            model->companionRecord.get().achievementStates(model->ledger.get().allTimeCount));
        ASSERT_NE(wallTexts(fresh), before) << "the change shows on a wall opened now";
        EXPECT_EQ(wallTexts(*wall), wallTexts(fresh));
    }
}

}  // namespace
