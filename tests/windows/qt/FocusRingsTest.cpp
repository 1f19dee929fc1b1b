// Where the keyboard focus is on the settings pages' controls, seen on light and dark windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTest>

#include "windows/qt/SettingsBlocks.h"

namespace {

int distance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

}  // namespace

// Tabbed to, a switch (on or off) and a prominent button are marked so that it stands out on light
// and dark windows at both scales; clicked into focus or without it, they look as they always do,
// the prominent button framed no darker than a plain one.
TEST(FocusRings, controlsReachedByKeyboardAreMarkedWhereItCanBeSeen) {
    const struct {
        const char* name;
        QColor window, text;
    } themes[] = {{"light", QColor(239, 239, 239), QColor(20, 20, 20)}, {"dark", QColor(36, 36, 38), QColor(235, 235, 235)}};
    enum class Kind { switchOff, switchOn, prominent };
    for (const auto& theme : themes)
        for (Kind kind : {Kind::switchOff, Kind::switchOn, Kind::prominent})
            for (double ratio : {1.0, 2.0}) {
                SCOPED_TRACE(std::string(theme.name) + " " + std::to_string(int(kind)) + " at " + std::to_string(ratio));
                QWidget window;
                window.setAutoFillBackground(true);
                QPalette palette = window.palette();
                palette.setColor(QPalette::Window, theme.window);
                palette.setColor(QPalette::WindowText, theme.text);
                palette.setColor(QPalette::Button, theme.window.lighter(115));
                palette.setColor(QPalette::ButtonText, theme.text);
                window.setPalette(palette);
                auto* layout = new QHBoxLayout(&window);
                QPushButton* other = windows::qt::pushButton("Other");
                layout->addWidget(other);
                QWidget* control = nullptr;
                if (kind == Kind::prominent) {
                    control = windows::qt::pushButton("Go Home Now", true);
                } else {
                    auto* toggle = new windows::qt::Switch("switch");
                    toggle->setChecked(kind == Kind::switchOn);
                    control = toggle;
                }
                layout->addWidget(control);
                window.show();
                window.activateWindow();
                ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
                const auto drawn = [&] {
                    QPixmap pixmap(window.size() * ratio);
                    pixmap.setDevicePixelRatio(ratio);
                    window.render(&pixmap);
                    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
                };
                const auto changed = [](const QImage& a, const QImage& b) {
                    int n = 0;
                    for (int y = 0; y < a.height(); ++y)
                        for (int x = 0; x < a.width(); ++x) n += distance(a.pixel(x, y), b.pixel(x, y)) > 150;
                    return n;
                };
                other->setFocus(Qt::TabFocusReason);
                const QImage plain = drawn();
                if (kind == Kind::prominent) {
                    // The middle of a button's upper edge: the outermost line of its frame (the
                    // fill below is as dark as the title needs).
                    const auto frame = [&](QWidget* button) {
                        const QRect at(button->mapTo(&window, QPoint(0, 0)) * ratio, button->size() * ratio);
                        return QColor(plain.pixel(at.center().x(), at.top())).lightness();
                    };
                    EXPECT_GE(frame(control), frame(other) - 8) << "framed dark without the focus";
                } else {
                    control->setFocus(Qt::MouseFocusReason);
                    EXPECT_EQ(changed(plain, drawn()), 0) << "clicked";
                    other->setFocus(Qt::TabFocusReason);
                }
                QTest::keyClick(other, Qt::Key_Tab);
                ASSERT_TRUE(control->hasFocus());
                // About the control's outline, two points wide.
                EXPECT_GT(changed(plain, drawn()), 100 * ratio * ratio) << "tabbed to";
            }
}
