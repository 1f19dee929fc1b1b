#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "menubar/stash/LegacyMenuBarMealEngine.h"
#include "model/L10n.h"
#include "platform/sim/SimPlatform.h"

using menubar::stash::LegacyMenuBarMealEngine;
using platform::sim::SimScreens;
using Item = std::unique_ptr<platform::StatusItem>;

namespace {

const std::string kControlKey = platform::statusItemPositionKey("TuftleMealControl");
const char* const kFolded = "图标已收起。右键点击菜单栏栗丸即可吐出。";
const char* const kNoRoom = "此屏幕菜单栏空间不足，栗丸没有收起图标。";

// The pet's item as the tray entry makes it, three other programs' items left of it, one more
// stored at the pet's place but empty for now (once it grows it stands between the pet and the
// spacer), and a launched engine, which folds at launch when the stash is stored on.
struct Desk {
    platform::sim::SimPlatform sim;
    std::optional<LegacyMenuBarMealEngine> engine;
    Item control, intruder;
    std::vector<Item> items;

    explicit Desk(bool on) {
        sim.defaults.set(menubar::stash::kMenuBarMealEnabledKey, on);
        engine.emplace(sim.defaults);
        engine->prepareControlPosition();
        // As the tray entry rebuilds the pet's item: at the position stored for it.
        engine->onRecoveryPositionRepair = [this] {
            const auto kept = sim.defaults.object(kControlKey);
            control.reset();
            if (kept) sim.defaults.set(kControlKey, *kept);
            engine->attachControl(*(control = item("TuftleMealControl", 28)));
        };
        // The face: 22 points square in the middle of the item.
        engine->recoveryFaceFrame = [this] {
            const auto item = control->window().value().frame;
            return std::optional(item.insetBy(item.width() / 2 - 11, 1));
        };
        engine->onRecoveryPositionRepair();
        for (int i = 0; i < 3; ++i) items.push_back(item("other" + std::to_string(i), 22, 100 + i));
        intruder = item("intruder", 0, 48);
        engine->start();
        sim.loop.advance(1.51);
    }
    Item item(const std::string& name, double length, std::optional<int64_t> position = std::nullopt) {
        if (position) sim.defaults.set(platform::statusItemPositionKey(name), *position);
        auto i = sim.statusBar.createStatusItem();
        i->setLength(length);
        i->setAutosaveName(name);
        return i;
    }
    long shownItems() const {
        return std::count_if(items.begin(), items.begin() + 3, [](auto& i) { return i->isVisible(); });
    }
};

void switchOnWith(Desk& d, const platform::Screen& screen) {
    d.sim.screens.setScreens({screen});
    d.engine->setEnabled(true);
    d.sim.loop.advance(1.4);
}
const auto wide = [](double width) { return SimScreens::display(1, {0, 0, width, 400}); };
const auto notched = [](double right) { return SimScreens::withNotch(wide(1440), 1440 - 2 * right); };

struct Row {
    const char* name;
    bool storedOn;
    std::function<void(Desk&)> act;
    bool enabled, collapsed;
    long shownItems;
    const char* message;
};

const Row rows[] = {
    {"switching on feeds, folds 0.6 s after the spacer widens, and a spit shows the icons at its second frame", false,
     [](Desk& d) {
         d.engine->setEnabled(true);
         d.sim.loop.advance(0.35 + 0.4 + 0.01);
         EXPECT_FALSE(d.engine->isCollapsed().get());
         d.sim.loop.advance(0.6);
         EXPECT_TRUE(d.engine->isCollapsed().get());
         EXPECT_EQ(d.shownItems(), 0);
         d.engine->toggle();
         d.sim.loop.advance(0.1);
     },
     true, false, 3, "图标已吐出，可继续调整顺序。"},
    {"a screen 600 wide has room", false, [](Desk& d) { switchOnWith(d, wide(600)); }, true, true, 0, kFolded},
    {"a screen 599 wide has none", false, [](Desk& d) { switchOnWith(d, wide(599)); }, true, false, 3, kNoRoom},
    {"260 points right of a notch are room", false, [](Desk& d) { switchOnWith(d, notched(260)); }, true, true, 0,
     kFolded},
    {"259 points right of a notch are not", false, [](Desk& d) { switchOnWith(d, notched(259)); }, true, false, 3,
     kNoRoom},
    {"an item growing between during the fold's check fails the fold", false,
     [](Desk& d) {
         d.engine->setEnabled(true);
         d.sim.loop.advance(1);
         d.intruder->setLength(22);
         d.sim.loop.advance(0.5);
         EXPECT_EQ(d.sim.defaults.boolValue(menubar::stash::kMenuBarMealDesiredCollapsedKey), false);
     },
     true, false, 3, "收纳区未能贴到栗丸旁；图标保持展开，请调整栗丸位置后重试。"},
    {"a spacer pushed away is repaired within four checks", true,
     [](Desk& d) {
         d.intruder->setLength(22);
         d.sim.loop.advance(1.31);
         EXPECT_EQ(d.engine->message().get(), model::L10n::t("正在将收纳区贴到栗丸左侧。"));
         d.sim.loop.advance(0.9);
         d.intruder.reset();
         d.sim.loop.advance(1.1);
     },
     true, true, 0, kFolded},
    {"when four checks do not help, the pet's item moves one place and folds", true,
     [](Desk& d) {
         d.intruder->setLength(22);
         d.sim.loop.advance(1.31 + 4 * 0.45 + 0.45 + 0.6);
         EXPECT_EQ(d.sim.defaults.integer(kControlKey), 47);
     },
     true, true, 0, kFolded},
    {"the pet's item pushed off the bar: icons back, position reset, stash off", true,
     [](Desk& d) {
         d.items.push_back(d.item("giant", 2000, 10));
         d.sim.loop.advance(1.31 + 0.4);  // the own position is reset first, and checked again 0.45 s later
         EXPECT_EQ(d.engine->message().get(), model::L10n::t("恢复入口持续不可见，栗丸已为安全自动吐出图标。"));
         d.sim.loop.advance(0.41);
         d.items.pop_back();
     },
     false, false, 3, "栗丸菜单栏入口不可见；已重置自身位置并关闭收纳。"},
    {"a screen change while folded widens the spacer for the new screens", true,
     [](Desk& d) {
         d.sim.screens.setScreens({wide(1920), SimScreens::display(2, {1920, 0, 800, 600})});
         d.sim.loop.advance(0.86);
         EXPECT_EQ(d.engine->spacer()->length(), 3840);
         d.sim.loop.advance(2);
     },
     true, true, 0, kFolded},
    {"stop at quit brings every item back and keeps the wish", true,
     [](Desk& d) {
         d.engine->stop();
         d.sim.loop.advance(5);
         EXPECT_TRUE(LegacyMenuBarMealEngine(d.sim.defaults).requestedCollapsed().get());
     },
     true, false, 3, kFolded},
};

TEST(LegacyMenuBarMealEngine, foldsUnfoldsAndRecoversAsEachCaseExpects_inBothLanguages) {
    for (auto language : {model::AppLanguageChoice::simplifiedChinese, model::AppLanguageChoice::english}) {
        model::L10n::setAppLanguageChoice(language);
        for (const auto& row : rows) {
            SCOPED_TRACE(row.name);
            Desk d(row.storedOn);
            row.act(d);
            EXPECT_EQ(d.engine->isEnabled().get(), row.enabled);
            EXPECT_EQ(d.engine->isCollapsed().get(), row.collapsed);
            EXPECT_EQ(d.shownItems(), row.shownItems);
            EXPECT_EQ(d.engine->message().get(), model::L10n::t(row.message));
            EXPECT_TRUE(language != model::AppLanguageChoice::english || d.engine->message().get() != row.message)
                << "translated";
        }
    }
    model::L10n::setAppLanguageChoice(std::nullopt);
}

}  // namespace
