// Where the keyboard focus is on the settings pages' controls, seen on light and dark windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTest>

#include "windows/qt/SettingsBlocks.h"

namespace {

struct Theme {
    const char* name;
    QColor window, text;
};
const Theme themes[] = {{"light", QColor(239, 239, 239), QColor(20, 20, 20)},
                        {"dark", QColor(36, 36, 38), QColor(235, 235, 235)}};

// The control on a window of the theme, drawn at `ratio` pixels per point.
QImage drawn(QWidget& control, const Theme& theme, double ratio) {
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, theme.window);
    palette.setColor(QPalette::WindowText, theme.text);
    palette.setColor(QPalette::Button, theme.window.lighter(115));
    palette.setColor(QPalette::ButtonText, theme.text);
    control.parentWidget()->setPalette(palette);
    QPixmap pixmap(control.parentWidget()->size() * ratio);
    pixmap.setDevicePixelRatio(ratio);
    control.parentWidget()->render(&pixmap);
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

int distance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

// Pixels that changed clearly between two drawings.
int changed(const QImage& before, const QImage& after) {
    int n = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x) n += distance(before.pixel(x, y), after.pixel(x, y)) > 150;
    return n;
}

}  // namespace

// A switch reached with Tab is ringed so that the ring stands out, on or off, light or dark, at
// both scales; one clicked into focus stays as it was.
TEST(FocusRings, aSwitchReachedByKeyboardIsRingedWhereItCanBeSeen) {
    for (const Theme& theme : themes)
        for (bool on : {false, true})
            for (double ratio : {1.0, 2.0}) {
                SCOPED_TRACE(std::string(theme.name) + (on ? ", on" : ", off") + " at " + std::to_string(ratio));
                QWidget window;
                window.setAutoFillBackground(true);
                auto* layout = new QHBoxLayout(&window);
                auto* other = new QPushButton("x");
                auto* toggle = new windows::qt::Switch("switch");
                layout->addWidget(other);
                layout->addWidget(toggle);
                toggle->setChecked(on);
                window.show();
                window.activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
                other->setFocus();
                const QImage plain = drawn(*toggle, theme, ratio);
                toggle->setFocus(Qt::MouseFocusReason);
                EXPECT_EQ(changed(plain, drawn(*toggle, theme, ratio)), 0) << "clicked";
                other->setFocus();
                toggle->setFocus(Qt::TabFocusReason);
                // About the track's outline, two points wide.
                EXPECT_GT(changed(plain, drawn(*toggle, theme, ratio)), 100 * ratio * ratio) << "tabbed to";
            }
}

// A prominent button wears no dark frame while it has no focus, and is marked when tabbed to.
TEST(FocusRings, aProminentButtonIsFramedOnlyWhenTabbedTo) {
    for (const Theme& theme : themes)
        for (double ratio : {1.0, 2.0}) {
            SCOPED_TRACE(std::string(theme.name) + " at " + std::to_string(ratio));
            QWidget window;
            window.setAutoFillBackground(true);
            auto* layout = new QHBoxLayout(&window);
            auto* other = windows::qt::pushButton("Other");
            auto* prominent = windows::qt::pushButton("Go Home Now", true);
            layout->addWidget(other);
            layout->addWidget(prominent);
            window.show();
            window.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
            other->setFocus(Qt::TabFocusReason);
            const QImage plain = drawn(*prominent, theme, ratio);
            // Down the middle of a button's upper edge: its frame, then its fill.
            const auto frame = [&](QWidget* button) {
                const QRect at(button->mapTo(&window, QPoint(0, 0)) * ratio, button->size() * ratio);
                int darkest = 255;
                for (int y = at.top(); y < at.top() + 4 * ratio; ++y)
                    darkest = std::min(darkest, QColor(plain.pixel(at.center().x(), y)).lightness());
                return darkest;
            };
            EXPECT_GE(frame(prominent), frame(other) - 8) << "framed darker than a plain button without the focus";
            QTest::keyClick(other, Qt::Key_Tab);
            ASSERT_TRUE(prominent->hasFocus());
            EXPECT_GT(changed(plain, drawn(*prominent, theme, ratio)), 100 * ratio * ratio) << "tabbed to";
        }
}
