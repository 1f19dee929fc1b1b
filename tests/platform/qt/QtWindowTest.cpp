#include "platform/qt/QtWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

namespace {

TEST(QtWindow, showsTitledFixedSizeWindowAndReportsClosing) {
    platform::qt::QtWindow window("欢迎来到栗丸", {540, 420});
    int closed = 0;
    window.setOnClosed([&] { ++closed; });
    EXPECT_EQ(window.title(), "欢迎来到栗丸");
    EXPECT_EQ(window.contentSize(), (platform::Size{540, 420}));
    EXPECT_FALSE(window.isVisible());

    window.center();
    window.makeKeyAndOrderFront();
    EXPECT_TRUE(window.isVisible());
    window.setTitle("Welcome");
    EXPECT_EQ(window.title(), "Welcome");

    // The close button: the window hides and can come back.
    window.contentWidget()->close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(closed, 1);
    window.makeKeyAndOrderFront();
    EXPECT_TRUE(window.isVisible());
    window.close();
    window.close();
    EXPECT_EQ(closed, 2) << "closing a hidden window reports nothing";
    EXPECT_EQ(window.contentSize(), (platform::Size{540, 420})) << "not resizable";
}

TEST(QtWindow, releasedFromItsOwnCloseHandler_isDeletedSafely) {
    auto window = std::make_unique<platform::qt::QtWindow>("x", platform::Size{200, 100});
    window->makeKeyAndOrderFront();
    window->setOnClosed([&] { window.reset(); });
    window->close();
    EXPECT_EQ(window, nullptr);
    QApplication::processEvents();
}

}  // namespace
