#include <gtest/gtest.h>

#include "menubar/stash/MenuBarMealController.h"
#include "model/AppModelTestSupport.h"
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
    EXPECT_EQ(message->text()->text().toStdString(), controller.engine().message().get());
    EXPECT_FALSE(controller.engine().message().get().empty());
}
