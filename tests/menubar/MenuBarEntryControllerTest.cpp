#include <gtest/gtest.h>

#include "menubar/MenuBarEntryController.h"
#include "model/L10n.h"
#include "platform/sim/SimPlatform.h"

using menubar::MenuBarEntryController;
using Button = platform::StatusItemClick::Button;

namespace {

class FakeEngine final : public menubar::stash::MenuBarMealEngine {
public:
    void prepareControlPosition() override {}
    void attachControl(platform::StatusItem&) override { onFaceChange(face); }
    void start() override {}
    void stop() override {}
    void setEnabled(bool on) override { isEnabled_ = on; }
    void toggle() override { isCollapsed_ = !isCollapsed_.get(); }
    menubar::stash::MenuBarMealFaceState face;
};

struct Entry {
    platform::sim::SimPlatform sim;
    FakeEngine engine;
    MenuBarEntryController controller{engine};
    Entry() { controller.start(); }
    platform::sim::SimStatusItem& item() { return *sim.statusBar.lastItem; }
    bool panelShown() { return controller.popover()->isShown(); }
};

}  // namespace

TEST(MenuBarEntry, clicksOpenThePanelOrFeedTheStashAsTheButtonAndModifierSay) {
    struct Case {
        Button button;
        bool command, stashOn, panelOpen, panelOpenAfter, toggled;
    } cases[] = {
        {Button::primary, false, false, false, true, false},  {Button::primary, false, false, true, false, false},
        {Button::primary, false, true, false, true, false},   {Button::secondary, false, false, false, true, false},
        {Button::secondary, false, false, true, false, false}, {Button::secondary, false, true, false, false, true},
        {Button::secondary, false, true, true, false, true},  {Button::primary, true, false, false, false, false},
        {Button::secondary, true, true, true, true, false},   {Button::middle, false, true, false, false, false},
    };
    for (const auto& c : cases) {
        Entry e;
        e.engine.setEnabled(c.stashOn);
        if (c.panelOpen) e.item().click(Button::primary);
        e.item().click(c.button, c.command);
        const auto label = ::testing::Message() << int(c.button) << c.command << c.stashOn << c.panelOpen;
        EXPECT_EQ(e.panelShown(), c.panelOpenAfter) << label;
        EXPECT_EQ(e.engine.isCollapsed().get(), c.toggled) << label;
    }
}

TEST(MenuBarEntry, thePanelOpensBesideTheIconInsideTheVisibleFrame) {
    struct Case {
        std::optional<platform::Rect> icon;
        std::optional<platform::Point> click;
        platform::Rect frame;
    } cases[] = {
        {platform::Rect{700, 870, 22, 22}, {}, {520, 442, 382, 426}},    // top bar: below it
        {platform::Rect{1420, 10, 22, 22}, {}, {1058, 48, 382, 426}},    // bottom-right: above, kept inside
        {{}, platform::Point{300, 20}, {109, 48, 382, 426}},             // where the tray said the click was
        {{}, {}, {0, 442, 382, 426}},                                    // else at the pointer
    };
    for (const auto& c : cases) {
        Entry e;
        e.item().frame = c.icon;
        e.sim.pointer.moveTo({10, 880});
        e.item().click(Button::primary, false, c.click);
        EXPECT_EQ(e.sim.statusBar.lastPopover->shownFrame, c.frame);
    }
}

TEST(MenuBarEntry, aPanelThatGrowsKeepsItsEdgeAtTheIcon) {
    for (auto [icon, grown] : {std::pair{platform::Rect{700, 870, 22, 22}, platform::Rect{520, 412, 382, 456}},
                               std::pair{platform::Rect{1420, 10, 22, 22}, platform::Rect{1058, 48, 382, 456}}}) {
        Entry e;
        e.item().frame = icon;
        e.item().click(Button::primary);
        e.controller.panelContentHeightChanged(456);
        EXPECT_EQ(e.sim.statusBar.lastPopover->shownFrame, grown);
    }
}

TEST(MenuBarEntry, theTooltipNamesTheRightClickHintInTheInterfaceLanguage) {
    struct Case {
        model::AppLanguageChoice language;
        bool collapsed;
        std::string tip;
    } cases[] = {
        {model::AppLanguageChoice::english, false,
         "Tuftle · Left-click to open the panel · Right-click to feed it the icons on the left"},
        {model::AppLanguageChoice::english, true,
         "Tuftle · Left-click to open the panel · Right-click to spit the icons out"},
        {model::AppLanguageChoice::simplifiedChinese, true, "栗丸 · 左键打开面板 · 右键吐出图标"},
    };
    for (const auto& c : cases) {
        Entry e;
        model::L10n::setAppLanguageChoice(c.language);
        if (c.collapsed) e.engine.toggle();
        e.engine.onFaceChange(e.engine.face);
        EXPECT_EQ(e.item().toolTip(), c.tip);
        EXPECT_EQ(e.item().accessibilityLabel, c.tip);
    }
    model::L10n::setAppLanguageChoice(std::nullopt);
}

TEST(MenuBarEntry, aRebuildAndAStopKeepTheStoredPositionAndTheFace) {
    Entry e;
    e.sim.defaults.set(MenuBarEntryController::positionKey, platform::PlistValue(int64_t(321)));
    e.item().click(Button::primary);
    e.engine.face = {1, 0.5, false, 2.0, true, true};
    e.engine.onRecoveryPositionRepair();
    EXPECT_EQ(e.sim.statusBar.created, 2);
    EXPECT_FALSE(e.panelShown());
    EXPECT_EQ(e.sim.defaults.integer(MenuBarEntryController::positionKey), 321);
    const menubar::StatusPicture drawn{1, 0.5, 1.0, true, false};
    EXPECT_EQ(e.controller.faceView()->picture(), drawn) << "the new item shows the engine's face, pellets clamped";

    e.controller.stop();
    EXPECT_EQ(e.sim.defaults.integer(MenuBarEntryController::positionKey), 321);
    EXPECT_EQ(e.sim.statusBar.lastItem, nullptr);
    EXPECT_FALSE(e.engine.onFaceChange);
}
