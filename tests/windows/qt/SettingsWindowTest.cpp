#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPixmapCache>
#include <QPointer>
#include <QScrollBar>
#include <QSlider>
#include <QTest>

#include "CutTexts.h"
#include "app/AppController.h"
#include "model/AppModelTestSupport.h"
#include "platform/qt/SymbolImages.h"
#include "windows/UpdateControls.h"
#include "windows/qt/SettingsBlocks.h"
#include "windows/qt/SettingsPages.h"
#include "windows/qt/SettingsWindow.h"

using model::AppLanguageChoice;
using windows::SettingsSection;
using windows::qt::SettingsWindow;

namespace {

struct SettingsWindowTest : model::testing::AppModelTest {
    std::unique_ptr<model::AppModel> model = launch();
    SettingsWindow window{*model, {}};

    SettingsWindowTest() { window.makeKeyAndOrderFront(); }
    template <typename T = QWidget>
    T* control(const char* name) const {
        auto* found = window.view()->page()->findChild<T*>(name);
        EXPECT_TRUE(found) << name;
        return found;
    }
    QString text(const char* name) const { return control<QLabel>(name)->text(); }
    void open(SettingsSection section) {
        window.view()->select(section);
        settle();
    }
    // Replaced widgets go on the next turn of the event loop.
    static void settle() {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

TEST_F(SettingsWindowTest, pageListShowsTheNinePagesInOrderInBothLanguages) {
    const std::pair<AppLanguageChoice, QStringList> cases[] = {
        {AppLanguageChoice::simplifiedChinese,
         {"栗丸家园", "行为节奏", "动作工坊", "按键陪伴", "专注提醒", "成就徽章", "图标零食", "隐私数据", "应用信息"}},
        {AppLanguageChoice::english,
         {"Home", "Behaviour", "Actions", "Keyboard", "Focus & Reminders", "Achievements", "Icon Snacks", "Privacy",
          "About"}},
    };
    for (const auto& [language, titles] : cases) {
        model->setAppLanguage(language);
        QStringList shown;
        for (auto* button : window.view()->pageButtons()) shown << button->text();
        EXPECT_EQ(shown, titles);
    }
    EXPECT_EQ(model::fromRaw<SettingsSection>("menuBar"), SettingsSection::menuBar);
    EXPECT_EQ(model::fromRaw<SettingsSection>("settings"), std::nullopt);
}

TEST_F(SettingsWindowTest, languageChangeRebuildsTheTextsAndKeepsThePage) {
    model->setAppLanguage(AppLanguageChoice::simplifiedChinese);
    window.view()->pageButtons().at(1)->click();
    EXPECT_EQ(text("pageTitle"), "它们如何活动");

    model->setAppLanguage(AppLanguageChoice::english);
    EXPECT_EQ(window.view()->selection(), SettingsSection::behavior);
    EXPECT_EQ(text("pageTitle"), "How They Move");
    EXPECT_EQ(window.title(), "Settings");
    int selected = 0;
    for (auto* button : window.view()->pageButtons()) selected += button->isChecked() ? 1 : 0;
    EXPECT_EQ(selected, 1);
    EXPECT_TRUE(window.view()->pageButtons().at(1)->isChecked());
}

TEST_F(SettingsWindowTest, sidebarFollowsVisibilityAndPetCount) {
    model->setAppLanguage(AppLanguageChoice::english);
    settle();
    auto* status = window.view()->findChild<QWidget*>("statusLine")->findChildren<QLabel*>().at(1);
    auto* atHome = window.view()->findChild<QLabel*>("petsAtHome");
    model->petsVisible = false;
    model->petCount = 1;
    EXPECT_EQ(status->text(), "Resting");
    EXPECT_EQ(atHome->text(), "1 at home");
    model->petsVisible = true;
    model->petCount = 2;
    EXPECT_EQ(status->text(), "With you");
    EXPECT_EQ(atHome->text(), "2 at home");
}

TEST_F(SettingsWindowTest, sidebarAndHomeHeadlineSayHowManyPetsAreAtHomeThisMoment) {
    const struct {
        int petCount, away;
        const char *atHome, *headline, *atHomeZh, *headlineZh;
    } cases[] = {
        {2, 0, "2 at home", "Chestnut and Dumpling are both home", "2 只在家", "栗栗和丸丸都在家"},
        {2, 1, "1 at home", "One is home, one is out", "1 只在家", "一只在家，一只出门了"},
        {2, 2, "0 at home", "Chestnut and Dumpling are both out", "0 只在家", "栗栗和丸丸都出门了"},
        {1, 0, "1 at home", "Chestnut is on duty today", "1 只在家", "今天由栗栗值班"},
        {1, 1, "0 at home", "Chestnut is on duty today", "0 只在家", "今天由栗栗值班"},
    };
    for (auto language : {AppLanguageChoice::english, AppLanguageChoice::simplifiedChinese}) {
        model->setAppLanguage(language);
        open(SettingsSection::home);
        const bool english = language == AppLanguageChoice::english;
        for (const auto& c : cases) {
            SCOPED_TRACE(std::to_string(c.petCount) + " pets, " + std::to_string(c.away) + " away");
            model->petCount = c.petCount;
            model->petsAwayFromHome = c.away;
            EXPECT_EQ(window.view()->findChild<QLabel*>("petsAtHome")->text(), english ? c.atHome : c.atHomeZh);
            EXPECT_EQ(text("heroTitle"), english ? c.headline : c.headlineZh);
        }
        model->petsAwayFromHome = 0;
    }
}

TEST_F(SettingsWindowTest, openingTwiceRaisesTheOneWindow_closingReleasesIt) {
    app::AppController controller(*model);
    int made = 0;
    SettingsWindow* last = nullptr;
    controller.setSettingsWindowFactory([&] {
        ++made;
        auto w = std::make_unique<SettingsWindow>(*model, windows::SettingsActions{});
        last = w.get();
        return w;
    });
    controller.activateSettingsWindow();
    controller.activateSettingsWindow();
    sim.loop.advance(1);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(controller.settingsWindow(), last);
    EXPECT_TRUE(last->isVisible());

    // What the window's icons drew stays in Qt's pixmap cache under keys no later window uses.
    QPixmap drawn(16, 16);
    drawn.fill(Qt::red);
    const QString drawnKey = QStringLiteral("drawn while the settings window was open");
    ASSERT_TRUE(QPixmapCache::insert(drawnKey, drawn));

    QPointer<QWidget> closed = last->widget();
    last->close();
    sim.loop.advance(0);
    EXPECT_EQ(controller.settingsWindow(), nullptr) << "a closed window is released";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed.isNull());
    EXPECT_FALSE(QPixmapCache::find(drawnKey, &drawn)) << "a released window's pixmaps are let go";
    controller.activateSettingsWindow();
    EXPECT_EQ(made, 2);
}

// A window cut down to a short monitor's work area scrolls each page with one vertical bar,
// however much of the window is left.
TEST_F(SettingsWindowTest, aWindowShorterThanItsPagesShowsOneVerticalScrollBar) {
    const struct {
        SettingsSection page;
        QSize window;
    } cases[] = {
        {SettingsSection::home, {920, 640}},
        {SettingsSection::home, {934, 620}},
        {SettingsSection::actions, {934, 520}},
        // Too short even for the page list: the window scrolls the page with the rest.
        {SettingsSection::home, {934, 500}},
        {SettingsSection::actions, {934, 480}},
        {SettingsSection::privacy, {683, 360}},
        {SettingsSection::home, {934, 620}},
    };
    QWidget* top = window.widget()->window();
    for (const auto& c : cases) {
        SCOPED_TRACE(model::rawValue(c.page));
        SCOPED_TRACE(QString("%1 x %2").arg(c.window.width()).arg(c.window.height()).toStdString());
        open(c.page);
        top->setMinimumSize(1, 1);
        top->resize(c.window);
        settle();
        int bars = 0;
        for (auto* bar : top->findChildren<QScrollBar*>())
            if (bar->orientation() == Qt::Vertical && bar->isVisible() && bar->maximum() > 0) ++bars;
        EXPECT_EQ(bars, 1);
        if (auto* holder = window.view()->findChild<QWidget*>("pageHolder"); holder && holder->layout()) {
            EXPECT_GE(holder->height(), holder->layout()->totalMinimumHeightForWidth(holder->width()))
                << "wrapped texts are cut short";
        }
    }
}

// Each control writes its model value, and shows a value the model gets from elsewhere.
TEST_F(SettingsWindowTest, behaviourAndHomeControlsWriteAndFollowTheModel) {
    auto segment = [this](const char* name, int i) {
        return [=, this] { control<windows::qt::SegmentedPicker>(name)->segment(i)->click(); };
    };
    auto segmentShows = [this](const char* name, int i) {
        return [=, this] { return control<windows::qt::SegmentedPicker>(name)->currentIndex() == i; };
    };
    auto pick = [this](const char* name, int i) {
        return [=, this] { Q_EMIT control<QComboBox>(name)->activated(i); };
    };
    auto picked = [this](const char* name, int i) {
        return [=, this] { return control<QComboBox>(name)->currentIndex() == i; };
    };
    auto toggle = [this](const char* name) { return [=, this] { control<QAbstractButton>(name)->click(); }; };
    auto toggled = [this](const char* name, bool on) {
        return [=, this] { return control<QAbstractButton>(name)->isChecked() == on; };
    };
    using model::PetActivityLevel;
    struct Row {
        SettingsSection page;
        const char* name;
        std::function<void()> operate;
        std::function<bool()> modelHasIt;
        std::function<void()> changeModel;
        std::function<bool()> controlShowsIt;
    };
    auto& m = *model;
    const Row rows[] = {
        {SettingsSection::behavior, "activityLevel", segment("activityLevel", 2),
         [&] { return m.activityLevel.get() == PetActivityLevel::lively; },
         [&] { m.activityLevel = PetActivityLevel::quiet; }, segmentShows("activityLevel", 0)},
        {SettingsSection::behavior, "dragStayDuration", pick("dragStayDuration", 2),
         [&] { return m.dragStayDuration.get() == model::DragStayDuration::untilCalledHome; },
         [&] { m.dragStayDuration = model::DragStayDuration::short_; }, picked("dragStayDuration", 0)},
        {SettingsSection::behavior, "windowWalkingEnabled", toggle("windowWalkingEnabled"),
         [&] { return m.windowWalkingEnabled.get(); }, [&] { m.windowWalkingEnabled = false; },
         toggled("windowWalkingEnabled", false)},
        {SettingsSection::behavior, "travelDistance", [this] { control<QSlider>("travelDistance")->setValue(1600); },
         [&] { return m.tuning(m.activityLevel).travelDistance == 1.6; },
         [&] {
             m.setTuning({1.0, 1.0, 0.2}, m.activityLevel);
         },
         [this] { return control<QSlider>("travelDistance")->value() == 500 && text("travelDistanceText") == "0.5×"; }},
        {SettingsSection::home, "petsVisible", toggle("petsVisible"), [&] { return !m.petsVisible.get(); },
         [&] { m.petsVisible = true; }, toggled("petsVisible", true)},
        {SettingsSection::home, "hideInFullScreen", toggle("hideInFullScreen"),
         [&] { return !m.hideInFullScreen.get(); }, [&] { m.hideInFullScreen = true; },
         toggled("hideInFullScreen", true)},
        {SettingsSection::home, "petCount", segment("petCount", 0), [&] { return m.petCount.get() == 1; },
         [&] { m.petCount = 2; }, segmentShows("petCount", 1)},
        {SettingsSection::home, "homePreference1", segment("homePreference1", 2),
         [&] { return m.homePreference(1) == model::PetHomePreference::dock; },
         [&] { m.setHomePreference(model::PetHomePreference::notch, 1); }, segmentShows("homePreference1", 1)},
        {SettingsSection::home, "accessory0", pick("accessory0", 2),
         [&] { return m.accessory(0) == model::PetAccessory::scarf; },
         [&] { m.setAccessory(model::PetAccessory::starPin, 0); }, picked("accessory0", 1)},
    };
    for (const auto& row : rows) {
        open(row.page);
        row.operate();
        EXPECT_TRUE(row.modelHasIt()) << row.name << " did not write the model";
        row.changeModel();
        EXPECT_TRUE(row.controlShowsIt()) << row.name << " does not follow the model";
    }
}

TEST_F(SettingsWindowTest, tuningEditorOpensOnTheActiveLevelAndEditsOnlyTheChosenOne) {
    model->activityLevel = model::PetActivityLevel::lively;
    open(SettingsSection::behavior);
    EXPECT_EQ(control<windows::qt::SegmentedPicker>("tuningLevel")->currentIndex(), 2);
    control<windows::qt::SegmentedPicker>("tuningLevel")->segment(0)->click();
    control<QSlider>("sceneFrequency")->setValue(700);
    EXPECT_DOUBLE_EQ(model->tuning(model::PetActivityLevel::quiet).sceneFrequency, 0.7);
    EXPECT_DOUBLE_EQ(model->tuning(model::PetActivityLevel::lively).sceneFrequency, 1.0);
    EXPECT_EQ(model->activityLevel.get(), model::PetActivityLevel::lively);
}

// Typing keeps the text as typed; the name is cleaned up only when the edit is committed.
TEST_F(SettingsWindowTest, nameFieldKeepsTypedTextUntilTheEditIsCommitted) {
    model->setAppLanguage(AppLanguageChoice::english);
    open(SettingsSection::home);
    auto* field = control<QLineEdit>("petName0");
    const std::pair<const char*, std::string> cases[] = {
        {"Mr B", "Mr B"},
        {"  Mochi  ", "Mochi"},
        {"", "Chestnut"},
        {"ABCDEFGHIJKLM", "ABCDEFGHIJKL"},
    };
    for (const auto& [typed, stored] : cases) {
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, typed);
        EXPECT_EQ(field->text(), typed) << "the field changed while typing";
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(model->name(0), stored);
        EXPECT_EQ(field->text().toStdString(), stored);
    }
}

TEST_F(SettingsWindowTest, updateControlsFollowEachCheckAndDownloadState) {
    using updates::UpdateCheckResult;
    using updates::UpdateDownloadState;
    using updates::UpdateFailure;
    model->setAppLanguage(AppLanguageChoice::english);
    updates::UpdateManifest manifest;
    manifest.version = "2.0.0";
    manifest.size = 12'345'678;
    manifest.notesEN = "<b>Faster</b>";
    struct Row {
        std::optional<UpdateCheckResult> result;
        UpdateDownloadState download;
        QString status;
        bool checkEnabled;
        const char* control;  // the download control shown, or nullptr without the box
    };
    const Row rows[] = {
        {std::nullopt, UpdateDownloadState::idle(), "Check whether there is a new version", true, nullptr},
        {UpdateCheckResult::checking(), UpdateDownloadState::idle(), "Checking for updates…", false, nullptr},
        {UpdateCheckResult::current(), UpdateDownloadState::idle(), "You're up to date", true, nullptr},
        {UpdateCheckResult::notConfigured(), UpdateDownloadState::idle(), "No public update feed is configured", true,
         nullptr},
        {UpdateCheckResult::failed(UpdateFailure::network), UpdateDownloadState::idle(),
         "Check failed. Please try again later", true, nullptr},
        {UpdateCheckResult::failed(UpdateFailure::untrusted), UpdateDownloadState::idle(),
         "The update could not be verified. Please try again later.", true, nullptr},
        {UpdateCheckResult::failed(UpdateFailure::invalid), UpdateDownloadState::idle(),
         "Update information is unavailable right now. Please try again later.", true, nullptr},
        {UpdateCheckResult::failed(UpdateFailure::incompatible), UpdateDownloadState::idle(),
         "This update requires a newer version of the system.", true, nullptr},
        {UpdateCheckResult::failed(UpdateFailure::hardware), UpdateDownloadState::idle(),
         "This package does not support this computer's processor.", true, nullptr},
        {UpdateCheckResult::available(manifest), UpdateDownloadState::idle(), "New version 2.0.0 available", true,
         "downloadUpdate"},
        {UpdateCheckResult::available(manifest), UpdateDownloadState::downloading(0.999), "New version 2.0.0 available",
         false, "cancelDownload"},
        {UpdateCheckResult::available(manifest), UpdateDownloadState::verifying(), "New version 2.0.0 available", false,
         nullptr},
        {UpdateCheckResult::available(manifest), UpdateDownloadState::ready("/tmp/x.AppImage"),
         "New version 2.0.0 available", true, "openUpdate"},
        {UpdateCheckResult::available(manifest), UpdateDownloadState::failed(), "New version 2.0.0 available", true,
         "retryDownload"},
    };
    open(SettingsSection::about);
    auto* box = control("updateBox");
    for (const auto& row : rows) {
        model->updateCheckResult = row.result;
        model->updateDownloadState = row.download;
        settle();
        const auto* status = control("updateStatus")->findChildren<QLabel*>().at(1);
        EXPECT_EQ(status->text(), row.status);
        EXPECT_EQ(control("checkForUpdates")->isEnabled(), row.checkEnabled) << row.status.toStdString();
        const bool available = row.result && row.result->kind == UpdateCheckResult::Kind::available;
        EXPECT_EQ(box->isVisibleTo(window.widget()), available);
        if (row.control) {
            bool shown = false;
            for (auto* w : box->findChildren<QWidget*>(row.control)) shown = shown || w->isVisibleTo(box);
            EXPECT_TRUE(shown) << row.control;
        }
        EXPECT_EQ(control("readyHint")->isVisibleTo(box), row.download.kind == UpdateDownloadState::Kind::ready);
    }
    EXPECT_EQ(text("releaseNotes"), "<b>Faster</b>") << "notes are plain text";
    model->updateDownloadState = UpdateDownloadState::downloading(0.999);
    EXPECT_EQ(text("downloadProgressText"), "Downloading · 99%");
    EXPECT_EQ(windows::fileSizeText(manifest.size), "12.3 MB");
}

TEST(AppVersion, readsTheInformationListAndFallsBackForMissingValues) {
    EXPECT_EQ(windows::appVersion([](const std::string& key) -> std::optional<std::string> {
                  return key == "CFBundleVersion" ? "42" : "1.2.3";
              }),
              "v1.2.3 (Build 42)");
    EXPECT_EQ(windows::appVersion([](const std::string&) { return std::optional<std::string>(); }),
              "v0.0.0-dev (Build 0)");
}

}  // namespace

namespace {

// A name missing from the table, or an icon missing from the installed theme, draws nothing.
TEST(SymbolImages, everySymbolTheSettingsDrawComesFromTheTheme) {
    std::vector<std::string> names{"circle.fill",
                                   "house.and.flag.fill",
                                   "arrow.down.circle",
                                   "exclamationmark.triangle",
                                   "arrow.triangle.2.circlepath",
                                   "checkmark.circle",
                                   "info.circle",
                                   "arrow.clockwise.circle.fill",
                                   "eye.slash.fill",
                                   "checkmark.circle.fill"};
    for (auto section : model::allCases<SettingsSection>) names.emplace_back(windows::symbol(section));
    for (const auto& name : names) EXPECT_FALSE(platform::qt::symbolPixmap(name, 16, Qt::black).isNull()) << name;
}

}  // namespace

namespace {

// Where every widget of the open page sits, in the page's own coordinates.
std::string pageLayout(const SettingsWindow& window) {
    QStringList placed;
    QWidget* page = window.view()->page();
    for (auto* w : page->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(page)) continue;
        const QRect r(w->mapTo(page, QPoint(0, 0)), w->size());
        placed << QString("%1 %2,%3 %4x%5")
                      .arg(w->metaObject()->className())
                      .arg(r.x())
                      .arg(r.y())
                      .arg(r.width())
                      .arg(r.height());
    }
    return placed.join('\n').toStdString();
}

// Switched with the page's own picker, the about page wraps its texts to their lines, as a
// window opened in that language does; every optional block is shown.
TEST_F(SettingsWindowTest, aboutPageAfterALiveLanguageSwitchHasNoBlankLinesAndMatchesAFreshOne) {
    model->recoveredFromUnexpectedExit = true;
    updates::UpdateManifest manifest;
    manifest.version = "1.4.0";
    manifest.notesZH = "· 新的睡觉动作";
    manifest.notesEN = "· A new sleeping pose";
    model->updateCheckResult = updates::UpdateCheckResult::available(manifest);
    model->updateDownloadState = updates::UpdateDownloadState::downloading(0.42);
    const std::pair<AppLanguageChoice, AppLanguageChoice> switches[] = {
        {AppLanguageChoice::english, AppLanguageChoice::simplifiedChinese},
        {AppLanguageChoice::simplifiedChinese, AppLanguageChoice::english},
    };
    for (auto [from, to] : switches) {
        model->setAppLanguage(from);
        model->launchAtLoginMessage = model::L10n::format(model::L10n::t("设置失败：%@"), {"Permission denied"});
        open(SettingsSection::about);
        Q_EMIT control<QComboBox>("appLanguage")->activated(static_cast<int>(to));
        settle();
        SettingsWindow fresh{*model, {}};
        fresh.makeKeyAndOrderFront();
        fresh.view()->select(SettingsSection::about);
        // Nested layouts settle one level per pass.
        for (int pass = 0; pass < 4; ++pass) settle();
        const auto language = model::rawValue(to);
        EXPECT_EQ(settingsshots::looseTexts(window.view()->page()).join('\n').toStdString(), "") << language;
        EXPECT_EQ(pageLayout(window), pageLayout(fresh)) << language;
    }
}

}  // namespace
