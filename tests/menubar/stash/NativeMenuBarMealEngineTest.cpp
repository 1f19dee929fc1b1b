#include <gtest/gtest.h>

#include <functional>

#include "menubar/stash/NativeMenuBarMealEngine.h"
#include "model/L10n.h"
#include "platform/sim/SimPlatform.h"

using menubar::stash::NativeMenuBarMealEngine;
using platform::sim::SimMenuBarApplications;

namespace {

const char* const kFolded = "图标已收起。右键点击菜单栏栗丸即可吐出。";

// The pet's item, and programs with items left of it (stored further along), right of it, on
// both sides, and without an identifier; a launched engine, which folds at launch when the
// stash is stored on.
struct Desk {
    platform::sim::SimPlatform sim;
    std::unique_ptr<platform::StatusItem> control;
    std::optional<NativeMenuBarMealEngine> engine;
    bool faceShown = true;

    explicit Desk(bool on) {
        sim.menuVisibility.available = true;
        sim.defaults.set(menubar::stash::kMenuBarMealEnabledKey, on);
        sim.defaults.set(platform::statusItemPositionKey("TuftleMealControl"), 48);
        control = sim.statusBar.createStatusItem();
        control->setAutosaveName("TuftleMealControl");
        auto& apps = sim.menuBarApplications;
        apps.launch("left.app", {{22, 100}, {22, 101}});
        apps.launch("right.app", {{22, 10}});
        apps.launch("both.app", {{22, 20}, {22, 102}});
        apps.launch(std::nullopt, {{22, 103}});
        sim.loop.runPending();
        engine.emplace(sim.defaults);
        engine->recoveryFaceFrame = [this] {
            const auto item = control->window().value().frame;
            return faceShown ? std::optional(item.insetBy(item.width() / 2 - 11, 1)) : std::nullopt;
        };
        engine->attachControl(*control);
        engine->start();
        sim.loop.advance(3);
    }
    std::vector<std::string> hidden() const {
        std::vector<std::string> names;
        for (const auto& p : sim.menuBarApplications.programs)
            if (p->hidden) names.push_back(p->application.bundleIdentifier.value_or("?"));
        return names;
    }
};

struct Row {
    const char* name;
    bool storedOn;
    std::function<void(Desk&)> act;
    bool enabled, collapsed;
    std::vector<std::string> hidden;
    const char* message;
};

const Row rows[] = {
    {"a launch with the stash stored on folds only the programs wholly left of the pet", true, [](Desk&) {}, true,
     true, {"left.app"}, kFolded},
    {"a program launched while folded keeps its items", true,
     [](Desk& d) {
         d.sim.menuBarApplications.launch("late.app", {{22, 104}});
         d.sim.loop.advance(0.5);
         EXPECT_EQ(d.sim.menuVisibility.activeCount(), 1u);
     },
     true, true, {"left.app"}, kFolded},
    {"one lost check keeps the fold, a second in a row switches the stash off", true,
     [](Desk& d) {
         d.faceShown = false;
         d.sim.loop.advance(1.1);  // the watch ticks at 4 s
         EXPECT_TRUE(d.engine->isCollapsed().get());
         d.sim.pointer.commandHeld = true;
         d.sim.loop.advance(2);  // a held modifier skips the check at 6 s
         EXPECT_TRUE(d.engine->isCollapsed().get());
         d.sim.pointer.commandHeld = false;
         d.sim.loop.advance(2);
     },
     false, false, {}, "恢复入口持续不可见，栗丸已为安全自动吐出图标。"},
    {"a spit ends the assertion", true, [](Desk& d) { d.engine->toggle(); d.sim.loop.advance(1); }, true, false, {},
     "图标已吐出，可继续调整顺序。"},
    {"the desktop's late answer after a stop hides nothing", false,
     [](Desk& d) {
         d.sim.menuVisibility.completionDelay = 1;
         d.engine->setEnabled(true);
         d.sim.loop.advance(0.5);
         d.engine->stop();
         d.sim.loop.advance(8);
         EXPECT_EQ(d.sim.menuVisibility.activeCount(), 0u);
     },
     true, false, {}, "正在确认菜单栏位置…"},
    {"a refused assertion leaves the icons shown", false,
     [](Desk& d) {
         d.sim.menuVisibility.refusal = platform::MenuVisibilityError{"desktop", 7};
         d.engine->setEnabled(true);
         d.sim.loop.advance(3);
     },
     true, false, {}, "收纳未能完成，图标已保持展开，请重试。"},
    {"without the interface the stash says so", false,
     [](Desk& d) {
         d.sim.menuVisibility.available = false;
         d.engine->setEnabled(true);
         EXPECT_FALSE(d.engine->requestedCollapsed().get());
     },
     true, false, {}, "此系统暂不支持图标收纳，图标保持展开。"},
};

TEST(NativeMenuBarMealEngine, foldsUnfoldsAndWatchesAsEachCaseExpects) {
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Desk d(row.storedOn);
        row.act(d);
        EXPECT_EQ(d.engine->isEnabled().get(), row.enabled);
        EXPECT_EQ(d.engine->isCollapsed().get(), row.collapsed);
        EXPECT_EQ(d.hidden(), row.hidden);
        EXPECT_EQ(d.engine->message().get(), model::L10n::t(row.message));
    }
}

}  // namespace
