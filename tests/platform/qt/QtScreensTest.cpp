#include "platform/qt/QtScreens.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "platform/sim/SimMainLoop.h"

using platform::Rect;
using platform::qt::fromQtGeometry;

namespace {

TEST(QtScreens, qtGeometry_isFlippedToYUpAroundThePrimaryScreensBottomLeft) {
    const QRect primary(0, 0, 1920, 1080);
    EXPECT_EQ(fromQtGeometry(primary, primary), (Rect{0, 0, 1920, 1080}));
    // A work area below a 32-pixel top bar and above a 48-pixel bottom panel.
    EXPECT_EQ(fromQtGeometry(QRect(0, 32, 1920, 1000), primary), (Rect{0, 48, 1920, 1000}));
    // A laptop to the right whose top is level with the primary's: its bottom lies lower.
    EXPECT_EQ(fromQtGeometry(QRect(1920, 0, 1440, 900), primary), (Rect{1920, 180, 1440, 900}));
    // A display above and to the left, so the virtual desktop does not start at the primary.
    const QRect shifted(1280, 1024, 1920, 1080);
    EXPECT_EQ(fromQtGeometry(QRect(0, 0, 1280, 1024), shifted), (Rect{-1280, 1080, 1280, 1024}));
    EXPECT_EQ(fromQtGeometry(shifted, shifted), (Rect{0, 0, 1920, 1080}));
}

TEST(QtScreens, outputNames_giveStableDistinctNumbersAndTellTheBuiltInPanel) {
    using platform::qt::displayIDForOutputName;
    using platform::qt::isBuiltInOutputName;
    EXPECT_EQ(displayIDForOutputName("HDMI-1"), displayIDForOutputName("HDMI-1"));
    EXPECT_NE(displayIDForOutputName("HDMI-1"), displayIDForOutputName("HDMI-2"));
    EXPECT_NE(displayIDForOutputName(""), 0u);
    for (const char* name : {"eDP-1", "eDP1", "LVDS-1", "DSI-1", "edp-1-1"})
        EXPECT_TRUE(isBuiltInOutputName(name)) << name;
    for (const char* name : {"HDMI-1", "DP-2", "VGA-1", "DisplayPort-0", ""})
        EXPECT_FALSE(isBuiltInOutputName(name)) << name;
}

TEST(QtScreens, offscreenDisplay_isListedPrimaryFirstWithoutNotch) {
    const auto screens = platform::qt::currentScreens();
    ASSERT_EQ(screens.size(), static_cast<size_t>(QGuiApplication::screens().size()));
    QScreen* primary = QGuiApplication::primaryScreen();
    EXPECT_EQ(screens[0].frame,
              (Rect{0, 0, double(primary->geometry().width()), double(primary->geometry().height())}));
    EXPECT_EQ(screens[0].outputName, primary->name().toStdString());
    EXPECT_NE(screens[0].displayID, 0u);
    EXPECT_EQ(screens[0].safeAreaInsets.top, 0);
    EXPECT_FALSE(screens[0].auxiliaryTopLeftArea);
}

TEST(QtScreens, geometrySignalsInABurst_areAnnouncedOnce) {
    platform::sim::SimMainLoop loop;
    platform::NotificationCenter center;
    int announced = 0;
    auto observer = center.addObserver(platform::notifications::screenParametersChanged, [&] { ++announced; });
    platform::qt::QtScreenList list(loop, center);
    ASSERT_TRUE(list.mainScreen());
    EXPECT_EQ(list.mainScreen()->displayID, list.screens().front().displayID);

    QScreen* screen = QGuiApplication::primaryScreen();
    Q_EMIT screen->geometryChanged(screen->geometry());
    Q_EMIT screen->availableGeometryChanged(screen->availableGeometry());
    Q_EMIT qGuiApp->primaryScreenChanged(screen);
    EXPECT_EQ(announced, 0);
    loop.runPending();
    EXPECT_EQ(announced, 1);
}

}  // namespace
