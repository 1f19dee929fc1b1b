#include <gtest/gtest.h>

#include <QCoreApplication>

#include "platform/qt/SniStatusItem.h"

using platform::StatusItemClick;
using platform::qt::DBusMenuEvent;
using platform::qt::SniMenuAdaptor;
using platform::qt::SniStatusItem;

namespace {

// The item's menu as a host reads it (no bus here: the menu is called directly).
struct Menu {
    SniStatusItem item;
    SniMenuAdaptor* adaptor = &item.menu();
    std::vector<StatusItemClick::Button> clicks;
    Menu() {
        item.setOnClick([this](const StatusItemClick& c) { clicks.push_back(c.button); });
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
