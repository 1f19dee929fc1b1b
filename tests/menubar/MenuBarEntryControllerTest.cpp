#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "menubar/MenuBarEntryController.h"
#include "model/L10n.h"
#include "platform/ClosableAlerts.h"
#include "platform/sim/SimPlatform.h"

using menubar::MenuBarEntryController;
using Button = platform::StatusItemClick::Button;
using platform::Rect;

namespace {

class FakeEngine final : public menubar::stash::MenuBarMealEngine {
public:
    void prepareControlPosition() override {}
    void attachControl(platform::StatusItem&) override { onFaceChange(face); }
    void start() override {}
    void stop() override {}
    void setEnabled(bool on) override { isEnabled_ = on; }
    void toggle() override { isCollapsed_ = !isCollapsed_.get(); }
    bool canSwitchOn() const override { return switchable; }
    menubar::stash::MenuBarMealFaceState face;
    bool switchable = true;
};

struct Entry {
    platform::sim::SimPlatform sim;
    FakeEngine engine;
    MenuBarEntryController controller{engine};
    Entry() { controller.start(); }
    platform::sim::SimStatusItem& item() { return *sim.statusBar.lastItem; }
    bool panelShown() { return controller.popover()->isShown(); }
};

// Alerts shown without waiting stay open until the program closes them or the test clears `open`.
struct WindowedAlerts final : platform::AlertRunner, platform::ClosableAlerts {
    void runModal(const platform::Alert& alert, platform::AlertCause cause) override {
        shown.push_back(alert);
        causes.push_back(cause);
    }
    void show(const platform::Alert& alert, platform::AlertCause cause) override {
        runModal(alert, cause);
        open.push_back(alert);
    }
    bool isShown(const platform::Alert& alert) const override { return std::ranges::count(open, alert) > 0; }
    void close(const platform::Alert& alert) override { std::erase(open, alert); }
    std::vector<platform::Alert> shown, open;
    std::vector<platform::AlertCause> causes;
};

}  // namespace

TEST(MenuBarEntry, clicksOpenThePanelOrFeedTheStashAsTheButtonAndModifierSay) {
    struct Case {
        Button button;
        bool command, stashOn, panelOpen, panelOpenAfter, toggled;
    } cases[] = {
        {Button::primary, 0, 0, 0, 1, 0},   {Button::primary, 0, 0, 1, 0, 0},   {Button::primary, 0, 1, 0, 1, 0},
        {Button::secondary, 0, 0, 0, 1, 0}, {Button::secondary, 0, 0, 1, 0, 0}, {Button::secondary, 0, 1, 0, 0, 1},
        {Button::secondary, 0, 1, 1, 0, 1}, {Button::primary, 1, 0, 0, 0, 0},   {Button::secondary, 1, 1, 1, 1, 0},
        {Button::middle, 0, 1, 0, 0, 0},
    };
    for (const auto& c : cases) {
        Entry e;
        e.engine.setEnabled(c.stashOn);
        if (c.panelOpen) e.item().click(Button::primary);
        e.item().click(c.button, c.command);
        EXPECT_EQ(std::pair(e.panelShown(), e.engine.isCollapsed().get()), std::pair(c.panelOpenAfter, c.toggled))
            << int(c.button) << c.command << c.stashOn << c.panelOpen;
    }
}

TEST(MenuBarEntry, thePanelOpensBesideTheIconInsideTheVisibleFrame) {
    Entry e;  // the item stands at the right end of the simulated top bar
    e.item().click(Button::primary, false, platform::Point{10, 10});
    EXPECT_EQ(e.sim.statusBar.lastPopover->shownFrame, (Rect{1058, 442, 382, 426})) << "below the bar, inside";
    const auto screens = e.sim.screens.screens();
    struct Case {
        Rect anchor, frame;
        std::optional<Rect> hidingPanel = std::nullopt;
    } cases[] = {
        {{1420, 10, 22, 22}, {1058, 48, 382, 426}},  // bottom right: above, kept inside
        {{10, 880, 0, 0}, {0, 442, 382, 426}},       // the pointer in the top bar
        // Clicks on panels that hide, which the visible frame takes in: kept off them.
        {{1400, 20, 0, 0}, {1058, 64, 382, 426}, Rect{0, 0, 1440, 64}},
        {{1400, 880, 0, 0}, {1058, 402, 382, 426}, Rect{0, 828, 1440, 72}},
        {{20, 300, 0, 0}, {64, 300, 382, 426}, Rect{0, 100, 64, 700}},
        {{1420, 600, 0, 0}, {994, 174, 382, 426}, Rect{1376, 0, 64, 900}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(menubar::popoverFrame({382, 426}, c.anchor, screens, c.hidingPanel), c.frame)
            << c.anchor.minX() << "," << c.anchor.minY();
}

TEST(MenuBarEntry, aPanelThatGrowsKeepsItsEdgeAtTheIcon) {
    Entry e;
    e.item().click(Button::primary);
    e.controller.panelContentHeightChanged(456);
    EXPECT_EQ(e.sim.statusBar.lastPopover->shownFrame, (Rect{1058, 412, 382, 456})) << "its top stays under the bar";
}

TEST(MenuBarEntry, theTooltipNamesTheRightClickHintOnlyWhereTheStashCanRun) {
    const std::string en = "Tuftle · Left-click to open the panel";
    const std::string zh = "栗丸 · 左键打开面板";
    struct Case {
        model::AppLanguageChoice language;
        bool switchable, collapsed;
        std::string tip;
    } cases[] = {{model::AppLanguageChoice::english, true, false, en + " · Right-click to feed it the icons on the left"},
                 {model::AppLanguageChoice::english, true, true, en + " · Right-click to spit the icons out"},
                 {model::AppLanguageChoice::simplifiedChinese, true, true, zh + " · 右键吐出图标"},
                 {model::AppLanguageChoice::english, false, false, en},
                 {model::AppLanguageChoice::simplifiedChinese, false, false, zh}};
    for (const auto& c : cases) {
        Entry e;
        model::L10n::setAppLanguageChoice(c.language);
        e.engine.switchable = c.switchable;
        if (c.collapsed) e.engine.toggle();
        e.engine.onFaceChange(e.engine.face);
        EXPECT_EQ(e.item().toolTip(), c.tip);
        EXPECT_EQ(e.item().accessibilityLabel, c.tip);
    }
    model::L10n::setAppLanguageChoice(std::nullopt);
}

TEST(MenuBarEntry, theTraysOwnMenuEntryNamesWhatTheRightClickDoes) {
    struct Case {
        bool stashOn;
        std::string title;
    } cases[] = {{false, "Open Tuftle's Panel"}, {true, "Right-click to feed it the icons on the left"}};
    for (const auto& c : cases) {
        Entry e;
        model::L10n::setAppLanguageChoice(model::AppLanguageChoice::english);
        e.engine.setEnabled(c.stashOn);
        e.engine.onFaceChange(e.engine.face);
        EXPECT_EQ(e.item().secondaryActionTitle, c.title);
    }
    model::L10n::setAppLanguageChoice(std::nullopt);
}

TEST(MenuBarEntry, aRebuildAndAStopKeepTheStoredPositionAndTheFace) {
    Entry e;
    e.sim.defaults.set(MenuBarEntryController::positionKey, platform::PlistValue(int64_t(321)));
    e.item().click(Button::primary);
    e.engine.face = {1, 0.5, false, 2.0, true, true};
    e.engine.onRecoveryPositionRepair();
    EXPECT_EQ(std::pair(e.sim.statusBar.created, e.panelShown()), std::pair(2, false));
    EXPECT_EQ(e.sim.defaults.integer(MenuBarEntryController::positionKey), 321);
    const menubar::StatusPicture drawn{1, 0.5, 1.0, true, false};
    EXPECT_EQ(e.controller.faceView()->picture(), drawn) << "the new item shows the engine's face, pellets clamped";

    e.controller.stop();
    EXPECT_EQ(e.sim.defaults.integer(MenuBarEntryController::positionKey), 321);
    EXPECT_FALSE(e.engine.onFaceChange);
}

// A start of the program while it runs opens the panel: by the icon where a tray shows it, else
// in the corner of the primary screen where a tray would be, above a taskbar that is only at
// the bottom. A second start leaves an open panel open.
TEST(MenuBarEntry, aStartWhileRunningOpensThePanelByTheIconElseWhereATrayWouldBe) {
    using platform::sim::SimScreens;
    const Rect screen{0, 0, 1280, 800};
    struct Case {
        const char* what;
        bool docked;
        platform::EdgeInsets panels;
        Rect frame;
    } cases[] = {
        {"docked: below the icon", true, {24, 0, 0, 0}, {898, 350, 382, 426}},
        {"no tray, a top bar", false, {24, 0, 0, 0}, {898, 349, 382, 426}},
        {"no tray, no bar at all", false, {}, {898, 373, 382, 426}},
        {"no tray, a taskbar at the bottom", false, {0, 0, 40, 0}, {898, 41, 382, 426}},
    };
    for (const auto& c : cases) {
        Entry e;
        e.sim.screens.setScreens(
            {SimScreens::display(1, screen, c.panels), SimScreens::display(2, {1280, 0, 1280, 800}, {0, 0, 40, 0})});
        e.item().docked = c.docked;
        e.controller.openPanel();
        e.controller.openPanel();
        EXPECT_TRUE(e.panelShown()) << c.what;
        EXPECT_EQ(e.sim.statusBar.lastPopover->shownFrame, c.frame) << c.what;
    }
}

// Told once when no tray holds the entry after the grace; not again at the next start, until a
// tray held the entry (docked at a later start, clicked in a tray that came later, or taken by a
// tray that came while the notice was open, which closes the notice).
TEST(MenuBarEntry, theDesktopIsToldOnceThatNoTrayShowsTheEntry) {
    WindowedAlerts alerts;
    platform::sim::SimPlatform sim;
    platform::services().alerts = &alerts;
    FakeEngine engine;
    struct Case {
        const char* what;
        bool docked, clicked, trayAfterNotice;
        size_t told;
        bool noticeStaysOpen;
    };
    const auto start = [&](const Case& c) {
        MenuBarEntryController controller{engine};
        controller.start();
        sim.statusBar.lastItem->docked = c.docked;
        const size_t before = alerts.shown.size();
        alerts.open.clear();
        sim.loop.advance(MenuBarEntryController::trayGrace - 0.5);
        EXPECT_EQ(alerts.shown.size(), before) << "not before the grace";
        sim.loop.advance(1);
        if (c.clicked) sim.statusBar.lastItem->click(Button::middle);
        if (c.trayAfterNotice) {
            sim.loop.advance(20);
            sim.statusBar.lastItem->docked = true;
        }
        sim.loop.advance(10);
        EXPECT_EQ(alerts.open.size(), c.noticeStaysOpen ? 1u : 0u) << c.what;
        controller.stop();
        return alerts.shown.size() - before;
    };
    const Case cases[] = {
        {"no tray", false, false, false, 1, true},
        {"no tray again", false, false, false, 0, false},
        {"a tray came", true, false, false, 0, false},
        {"no tray once more", false, false, false, 1, true},
        {"no tray, then a tray clicked", false, true, false, 0, false},
        {"no tray, then a tray came while the notice was open", false, false, true, 1, false},
        {"and no tray again", false, false, false, 1, true},
    };
    for (const auto& c : cases) EXPECT_EQ(start(c), c.told) << c.what;
    model::L10n::setAppLanguageChoice(model::AppLanguageChoice::english);
    start({"a tray clicked", false, true, false, 0, false});
    EXPECT_EQ(start({"no tray in English", false, false, false, 1, true}), 1u);
    model::L10n::setAppLanguageChoice(std::nullopt);
    EXPECT_EQ(alerts.shown.back().messageText, "Tuftle found no tray on this desktop");
    EXPECT_EQ(alerts.shown.back().buttonTitle, "OK");
    EXPECT_EQ(std::ranges::count(alerts.causes, platform::AlertCause::program), std::ssize(alerts.shown))
        << "the notice comes by itself and must leave the keyboard to what the user types in";
}
