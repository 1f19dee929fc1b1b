#include <gtest/gtest.h>

#include "menubar/MenuBarEntryController.h"
#include "model/L10n.h"
#include "platform/sim/SimPlatform.h"

using menubar::MenuBarEntryController;
using platform::StatusItemClick;
using Button = StatusItemClick::Button;

namespace {

class FakeEngine final : public menubar::stash::MenuBarMealEngine {
public:
    void start() override {}
    void stop() override {}
    void clearMessageAfterLanguageChange() override {}
    bool isEnabled() const override { return enabled; }
    bool isCollapsed() const override { return collapsed; }
    void prepareControlPosition() override {}
    void attachControl(platform::StatusItem&) override {
        if (onFaceChange) onFaceChange(face);
    }
    void toggle() override { ++toggles; }

    bool enabled = false, collapsed = false;
    int toggles = 0;
    menubar::stash::MenuBarMealFaceState face;
};

struct Entry {
    platform::sim::SimPlatform sim;
    FakeEngine* engine = new FakeEngine;
    menubar::stash::MenuBarMealController meal{std::unique_ptr<FakeEngine>(engine)};
    MenuBarEntryController controller{meal};
    Entry() { controller.start(); }
    platform::sim::SimStatusItem& item() { return *sim.statusBar.lastItem; }
    bool panelShown() { return controller.popover()->isShown(); }
};

}  // namespace

TEST(MenuBarEntry, clicksOpenThePanelOrFeedTheStashAsTheButtonAndModifierSay) {
    struct Case {
        Button button;
        bool command, stashEnabled, panelOpen;
        bool panelOpenAfter;
        int toggles;
    } cases[] = {
        {Button::primary, false, false, false, true, 0},  {Button::primary, false, false, true, false, 0},
        {Button::primary, false, true, false, true, 0},   {Button::secondary, false, false, false, true, 0},
        {Button::secondary, false, false, true, false, 0}, {Button::secondary, false, true, false, false, 1},
        {Button::secondary, false, true, true, false, 1},  {Button::primary, true, false, false, false, 0},
        {Button::secondary, true, true, true, true, 0},    {Button::middle, false, true, false, false, 0},
    };
    for (const auto& c : cases) {
        Entry e;
        e.engine->enabled = c.stashEnabled;
        if (c.panelOpen) e.item().click(Button::primary);
        e.item().click(c.button, c.command);
        const auto label = ::testing::Message() << int(c.button) << c.command << c.stashEnabled << c.panelOpen;
        EXPECT_EQ(e.panelShown(), c.panelOpenAfter) << label;
        EXPECT_EQ(e.engine->toggles, c.toggles) << label;
    }
}

TEST(MenuBarEntry, thePanelOpensBesideTheIconInsideTheVisibleFrame) {
    struct Case {
        std::optional<platform::Rect> icon;
        std::optional<platform::Point> click, pointer;
        platform::Rect frame;
    } cases[] = {
        {platform::Rect{700, 870, 22, 22}, {}, {}, {520, 442, 382, 426}},    // top tray: below the icon, under the bar
        {platform::Rect{1420, 10, 22, 22}, {}, {}, {1058, 48, 382, 426}},    // bottom-right: above, kept inside
        {{}, platform::Point{300, 20}, platform::Point{0, 0}, {109, 48, 382, 426}},  // the click's place
        {{}, {}, platform::Point{10, 880}, {0, 442, 382, 426}},              // else the pointer
    };
    for (const auto& c : cases) {
        Entry e;
        e.item().frame = c.icon;
        if (c.pointer) e.sim.pointer.moveTo(*c.pointer);
        e.item().click(Button::primary, false, c.click);
        EXPECT_EQ(e.sim.statusBar.lastPopover->shownFrame, c.frame);
    }
}

TEST(MenuBarEntry, theTooltipNamesTheRightClickHintInTheInterfaceLanguage) {
    struct Case {
        model::AppLanguageChoice language;
        bool collapsed;
        std::string tip;
    } cases[] = {
        {model::AppLanguageChoice::english, false, "Tuftle · Left-click to open the panel · Right-click to feed it the icons on the left"},
        {model::AppLanguageChoice::english, true, "Tuftle · Left-click to open the panel · Right-click to spit the icons out"},
        {model::AppLanguageChoice::simplifiedChinese, true, "栗丸 · 左键打开面板 · 右键吐出图标"},
    };
    for (const auto& c : cases) {
        Entry e;
        model::L10n::setAppLanguageChoice(c.language);
        e.engine->collapsed = c.collapsed;
        e.engine->onFaceChange(e.engine->face);
        EXPECT_EQ(e.item().toolTip(), c.tip);
        EXPECT_EQ(e.item().accessibilityLabel, c.tip);
    }
    model::L10n::setAppLanguageChoice(std::nullopt);
}

TEST(MenuBarEntry, aRebuildAndAStopKeepTheStoredPositionAndTheFace) {
    Entry e;
    e.sim.defaults.set(MenuBarEntryController::positionKey, platform::PlistValue(int64_t(321)));
    e.item().click(Button::primary);
    e.engine->face = {1, 0.5, false, 2.0, true, true};
    e.engine->onRecoveryPositionRepair();
    EXPECT_EQ(e.sim.statusBar.created, 2);
    EXPECT_FALSE(e.panelShown());
    EXPECT_EQ(e.sim.defaults.integer(MenuBarEntryController::positionKey), 321);
    const menubar::StatusPicture drawn{1, 0.5, 1.0, true, false};
    EXPECT_EQ(e.controller.faceView()->picture(), drawn) << "the new item shows the engine's face, pellets clamped";

    e.controller.stop();
    EXPECT_EQ(e.sim.defaults.integer(MenuBarEntryController::positionKey), 321);
    EXPECT_EQ(e.sim.statusBar.lastItem, nullptr);
    EXPECT_FALSE(e.engine->onFaceChange);
}
