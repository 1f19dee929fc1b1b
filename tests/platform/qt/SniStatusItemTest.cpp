#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCursor>
#include <functional>
#include <optional>

#include "platform/qt/QtScreens.h"
#include "platform/qt/SniStatusItem.h"

using platform::Point;
using platform::StatusItemClick;
using platform::qt::fromQtPoint;
using platform::qt::DBusMenuEvent;
using platform::qt::SniMenuAdaptor;
using platform::qt::SniStatusItem;

namespace {

// The item's menu as a host reads it (no bus here: the menu is called directly).
struct Menu {
    SniStatusItem item;
    SniMenuAdaptor* adaptor = &item.menu();
    std::vector<StatusItemClick::Button> clicks;
    std::vector<std::optional<Point>> locations;
    Menu() {
        item.setOnClick([this](const StatusItemClick& c) {
            clicks.push_back(c.button);
            locations.push_back(c.location);
        });
    }
};

}  // namespace

TEST(SniMenu, oneEntryUnderTheRootNamedForTheSecondaryClick) {
    Menu m;
    m.item.setSecondaryActionTitle("Open my_panel");
    platform::qt::DBusMenuLayout layout;
    const uint revision = m.adaptor->GetLayout(0, -1, {}, layout);
    ASSERT_EQ(layout.children.size(), 1);
    EXPECT_EQ(layout.children[0].properties.value("label").toString(), "Open my__panel") << "no mnemonic";
    EXPECT_EQ(layout.properties.value("children-display").toString(), "submenu");

    m.item.setSecondaryActionTitle("Another title");
    m.adaptor->GetLayout(0, 0, {}, layout);
    EXPECT_GT(m.adaptor->revision(), revision) << "hosts hear that the layout changed";
    EXPECT_TRUE(layout.children.isEmpty()) << "depth 0 leaves the children out";

    struct Case {
        QList<int> ids;
        QStringList names;
        int items;
        QStringList keysOfLast;
    } cases[] = {
        {{1}, {"label"}, 1, {"label"}},
        {{}, {}, 2, {"enabled", "label", "visible"}},
        {{7}, {}, 0, {}},
    };
    for (const auto& c : cases) {
        const auto items = m.adaptor->GetGroupProperties(c.ids, c.names);
        ASSERT_EQ(items.size(), c.items) << c.ids.size();
        if (c.items) {
            EXPECT_EQ(items.back().properties.keys(), c.keysOfLast);
        }
    }
}

TEST(SniMenu, aClickOnTheEntryIsTheSecondaryClickAndNothingElseClicks) {
    Menu m;
    const QList<DBusMenuEvent> events{{0, "opened", {}, 0}, {1, "hovered", {}, 0}, {1, "clicked", {}, 0}, {9, "clicked", {}, 0}};
    EXPECT_EQ(m.adaptor->EventGroup(events), QList<int>{9}) << "the unknown id is named";
    EXPECT_TRUE(m.clicks.empty()) << "the click comes after the host has its answer";
    QCoreApplication::processEvents();
    EXPECT_EQ(m.clicks, std::vector{StatusItemClick::Button::secondary});
}

// The menu's entry is clicked away from the icon: the panel it opens goes where the icon was
// last seen, by a host's click or by the pointer as the host's menu opened.
TEST(SniMenu, theEntrysClickIsPlacedWhereTheIconWasLastSeen) {
    struct Case {
        const char* name;
        std::function<void(Menu&)> before;
        std::optional<QPoint> expected;
    } cases[] = {
        {"nothing seen yet", [](Menu&) {}, std::nullopt},
        {"a primary click", [](Menu& m) { m.item.adaptor().Activate(40, 700); }, QPoint(40, 700)},
        {"a middle click", [](Menu& m) { m.item.adaptor().SecondaryActivate(41, 701); }, QPoint(41, 701)},
        {"a host without positions keeps the last one",
         [](Menu& m) {
             m.item.adaptor().Activate(40, 700);
             m.item.adaptor().Activate(0, 0);
         },
         QPoint(40, 700)},
        {"the menu opening",
         [](Menu& m) {
             m.item.adaptor().Activate(40, 700);
             QCursor::setPos(300, 400);
             m.adaptor->AboutToShow(0);
         },
         QPoint(300, 400)},
        {"the menu opening, asked as a group",
         [](Menu& m) {
             QCursor::setPos(302, 402);
             QList<int> errors;
             m.adaptor->AboutToShowGroup({0}, errors);
         },
         QPoint(302, 402)},
        {"a submenu opening is no sign", [](Menu& m) { m.adaptor->AboutToShow(1); }, std::nullopt},
    };
    for (const auto& c : cases) {
        Menu m;
        QCursor::setPos(900, 900);
        c.before(m);
        m.locations.clear();
        m.adaptor->Event(1, "clicked", {}, 0);
        QCoreApplication::processEvents();
        ASSERT_EQ(m.locations.size(), 1u) << c.name;
        std::optional<Point> expected;
        if (c.expected) expected = fromQtPoint(*c.expected);
        EXPECT_EQ(m.locations[0].has_value(), expected.has_value()) << c.name;
        if (expected && m.locations[0]) {
            EXPECT_EQ(m.locations[0]->x, expected->x) << c.name;
            EXPECT_EQ(m.locations[0]->y, expected->y) << c.name;
        }
    }
}
