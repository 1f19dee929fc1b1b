#include <gtest/gtest.h>

#include "menubar/stash/MenuBarMealController.h"
#include "model/L10n.h"
#include "platform/qt/QtStatusBar.h"
#include "platform/sim/SimPlatform.h"

// A tray that places every icon itself can hide nothing: switching the stash on only says so.
TEST(StashOnLinuxTray, switchingOnLeavesTheStashOffWithTheReason) {
    platform::sim::SimPlatform sim;
    platform::qt::QtStatusBar tray;
    menubar::stash::MenuBarMealController controller(sim.defaults, tray);
    EXPECT_FALSE(controller.engine().canSwitchOn()) << "the tooltip promises no right-click feed";
    controller.engine().setEnabled(true);
    EXPECT_FALSE(controller.engine().isEnabled().get());
    EXPECT_EQ(controller.engine().message().get(), model::L10n::t("此系统暂不支持图标收纳，图标保持展开。"));
}
