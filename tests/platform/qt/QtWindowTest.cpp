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
    window.contentWidget()->window()->close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(closed, 1);
    window.makeKeyAndOrderFront();
    EXPECT_TRUE(window.isVisible());
    window.close();
    window.close();
    EXPECT_EQ(closed, 2) << "closing a hidden window reports nothing";
    EXPECT_EQ(window.contentSize(), (platform::Size{540, 420})) << "not resizable";
}

// Shown again while minimized, however the window came to be minimized, it comes back in the
// state it had before.
TEST(QtWindow, showingAMinimizedWindowRestoresIt) {
    const Qt::WindowStates before[] = {Qt::WindowNoState, Qt::WindowMaximized};
    for (const auto state : before) {
        platform::qt::QtWindow window("x", {200, 100});
        window.makeKeyAndOrderFront();
        QWidget* widget = window.contentWidget()->window();
        widget->setWindowState(state | Qt::WindowMinimized);
        QApplication::processEvents();
        window.makeKeyAndOrderFront();
        QApplication::processEvents();
        EXPECT_FALSE(widget->windowState() & Qt::WindowMinimized) << state;
        EXPECT_EQ(widget->windowState() & ~Qt::WindowActive, state) << state;
        EXPECT_TRUE(window.isVisible()) << state;
    }
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
