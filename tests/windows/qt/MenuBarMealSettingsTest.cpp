#include <gtest/gtest.h>

#include "menubar/stash/MenuBarMealController.h"
#include "model/AppModelTestSupport.h"
#include "model/L10n.h"
#include "platform/qt/QtStatusBar.h"
#include "windows/qt/SettingsBlocks.h"
#include "windows/qt/SettingsPages.h"

namespace {
struct MenuBarMealSettingsTest : model::testing::AppModelTest {
    std::unique_ptr<model::AppModel> model = launch();
};
}  // namespace

// Where the tray places every icon itself, the card cannot switch the stash on and says why.
TEST_F(MenuBarMealSettingsTest, onALinuxTrayTheSwitchIsOffLimitsAndTheReasonShows) {
    platform::qt::QtStatusBar tray;
    menubar::stash::MenuBarMealController controller(sim.defaults, tray);
    std::unique_ptr<QWidget> card(windows::qt::makeMenuBarMealSettings(controller));
    auto* toggle = card->findChild<windows::qt::Switch*>("menuBarMealEnabled");
    EXPECT_FALSE(toggle->isEnabled());
    EXPECT_FALSE(card->findChild<QAbstractButton*>("stashButton")->isEnabled());
    card->show();
    auto* message = card->findChild<windows::qt::SymbolLabel*>("mealMessage");
    EXPECT_TRUE(message->isVisible());
    // Where the switch is, not at the foot of the page below the fold.
    EXPECT_TRUE(card->findChild<QWidget*>("mealCard")->isAncestorOf(message));
    auto top = [&card](QWidget* w) { return w->mapTo(card.get(), QPoint(0, 0)).y(); };
    EXPECT_LT(top(message), top(card->findChild<QAbstractButton*>("stashButton")));
    EXPECT_EQ(message->text()->text().toStdString(), controller.engine().message().get());
    EXPECT_FALSE(controller.engine().message().get().empty());
}

// With no tray at all the card does not speak of a tray that cannot hide icons.
TEST_F(MenuBarMealSettingsTest, withoutATrayTheReasonSaysThereIsNone) {
    platform::qt::QtStatusBar tray;
    menubar::stash::MenuBarMealController controller(sim.defaults, tray);
    const std::string trayCannot = controller.engine().message().get();
    const std::string noTray = model::L10n::t("此桌面没有托盘，也就没有可收纳的图标。");
    for (const auto& [present, reason] : {std::pair{true, trayCannot}, std::pair{false, noTray}}) {
        windows::SettingsActions actions;
        actions.trayShowsEntry = [present] { return present; };
        std::unique_ptr<QWidget> card(windows::qt::makeMenuBarMealSettings(controller, actions));
        card->show();
        auto* message = card->findChild<windows::qt::SymbolLabel*>("mealMessage");
        EXPECT_TRUE(message->isVisible()) << present;
        EXPECT_EQ(message->text()->text().toStdString(), reason) << present;
    }
    EXPECT_NE(trayCannot, noTray);
}

TEST_F(MenuBarMealSettingsTest, onALinuxTraySwitchingOffClearsAStoredWish) {
    namespace stash = menubar::stash;
    // Stored before; stored after the stash was switched off (as a reset does).
    using Stored = std::optional<platform::PlistValue>;
    const std::pair<Stored, Stored> rows[] = {{true, false}, {false, false}, {std::nullopt, std::nullopt}};
    platform::qt::QtStatusBar tray;
    for (const auto& [before, after] : rows) {
        sim.defaults.remove(stash::kMenuBarMealEnabledKey);
        if (before) sim.defaults.set(stash::kMenuBarMealEnabledKey, *before);
        stash::MenuBarMealController controller(sim.defaults, tray);
        controller.engine().setEnabled(false);
        EXPECT_EQ(sim.defaults.object(stash::kMenuBarMealEnabledKey), after);
    }
}

// The drag hint and the how-to describe using the stash: shown only where it can run.
TEST_F(MenuBarMealSettingsTest, howToUseTheStashShowsOnlyWhereItCanRun) {
    platform::qt::QtStatusBar tray;
    const struct {
        const char* name;
        const platform::StatusBar& bar;
        bool instructions;
    } rows[] = {{"linux tray", tray, false}, {"bar that lays items out", sim.statusBar, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        menubar::stash::MenuBarMealController controller(sim.defaults, row.bar, false);
        std::unique_ptr<QWidget> card(windows::qt::makeMenuBarMealSettings(controller));
        card->show();
        EXPECT_EQ(card->findChild<QWidget*>("dragHint")->isVisible(), row.instructions);
        EXPECT_EQ(card->findChild<QWidget*>("howTo")->isVisible(), row.instructions);
    }
}

// The note under the switch speaks of icons staying in the tray only where there is one.
TEST_F(MenuBarMealSettingsTest, thePrivacyNoteSpeaksOfTheTrayOnlyWhereThereIsOne) {
    platform::qt::QtStatusBar tray;
    menubar::stash::MenuBarMealController controller(sim.defaults, tray);
    const struct {
        model::AppLanguageChoice language;
        const char* trayWord;
    } languages[] = {{model::AppLanguageChoice::english, "tray"},
                     {model::AppLanguageChoice::simplifiedChinese, "托盘"}};
    for (const auto& language : languages) {
        model->setAppLanguage(language.language);
        QString withTray;
        for (const bool present : {true, false}) {
            SCOPED_TRACE(std::string(language.trayWord) + (present ? ", a tray" : ", no tray"));
            windows::SettingsActions actions;
            actions.trayShowsEntry = [present] { return present; };
            std::unique_ptr<QWidget> card(windows::qt::makeMenuBarMealSettings(controller, actions));
            const QString note = card->findChild<QLabel*>("mealPrivacy")->text();
            EXPECT_EQ(note.contains(QString::fromUtf8(language.trayWord)), present) << note.toStdString();
            if (present)
                withTray = note;
            else
                EXPECT_TRUE(withTray.startsWith(note)) << "the same promise, without the tray: " << note.toStdString();
        }
    }
}
