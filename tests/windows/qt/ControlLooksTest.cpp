// How the settings pages' own controls look where they sit, on light and dark windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <cmath>

#include "windows/qt/SettingsBlocks.h"

namespace {

double luminance(QRgb c) {
    auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
}

// The contrast ratio of two colours, from their relative luminance.
double contrast(QRgb a, QRgb b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace

// A switch that cannot be used now, such as the icon stash's on a desktop whose tray hides no
// icons, still reads as a switch, on or off, on the window and on a white card: its track stands
// out from what is around it and its knob from the track. It looks paler than a usable one.
TEST(ControlLooks, aDisabledSwitchIsPalerYetSeenOnEveryBackground) {
    constexpr double kSeen = 1.3;
    // The style's own palette, and a dark one that greys disabled texts as desktops' do.
    QPalette dark = QApplication::palette();
    dark.setColor(QPalette::Window, QColor(36, 36, 38));
    dark.setColor(QPalette::Base, QColor(48, 48, 50));
    dark.setColor(QPalette::WindowText, QColor(235, 235, 235));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
    const std::pair<const char*, QPalette> themes[] = {{"light", QApplication::palette()}, {"dark", dark}};
    for (const auto& [theme, colors] : themes)
        for (auto background : {QPalette::Window, QPalette::Base})
            for (bool on : {false, true})
                for (double ratio : {1.0, 2.0}) {
                    SCOPED_TRACE(std::string(theme) + (background == QPalette::Base ? " card" : " window") +
                                 (on ? ", on" : ", off") + " at " + std::to_string(ratio));
                    QWidget window;
                    window.setAutoFillBackground(true);
                    QPalette palette = colors;
                    palette.setColor(QPalette::Window, colors.color(background));
                    window.setPalette(palette);
                    auto* layout = new QHBoxLayout(&window);
                    auto* usable = new windows::qt::Switch("usable");
                    auto* disabled = new windows::qt::Switch("disabled");
                    disabled->setEnabled(false);
                    for (auto* toggle : {usable, disabled}) {
                        toggle->setChecked(on);
                        layout->addWidget(toggle);
                    }
                    window.show();
                    QApplication::processEvents();
                    // Along the middle row: the background left of the track, the track beside the
                    // knob, and the knob's centre.
                    QPixmap pixmap(window.size() * ratio);
                    pixmap.setDevicePixelRatio(ratio);
                    window.render(&pixmap);
                    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
                    const auto looks = [&](windows::qt::Switch* toggle) {
                        const QRect at(toggle->mapTo(&window, QPoint(0, 0)) * ratio, toggle->size() * ratio);
                        const int y = at.center().y();
                        const auto pixel = [&](double share) {
                            return image.pixel(at.left() + int(share * at.width()), y);
                        };
                        return std::tuple{image.pixel(at.left() - 2, y), pixel(on ? 0.3 : 0.7), pixel(on ? 0.7 : 0.3)};
                    };
                    const auto [around, track, knob] = looks(disabled);
                    EXPECT_GE(contrast(around, track), kSeen) << "the track melts into the background";
                    EXPECT_GE(contrast(track, knob), kSeen) << "the knob melts into the track";
                    const auto [usableAround, usableTrack, usableKnob] = looks(usable);
                    EXPECT_LT(contrast(around, track), contrast(usableAround, usableTrack))
                        << "as strong as a usable one";
                }
}

// A prominent button (Go Home Now, Start 25 Minutes, Replay) keeps its white title readable on
// the accent's blue, at rest and under the pointer, on the style's own palette and on a dark one
// whose accent is a light blue, as desktops' dark themes have: at least 4.5:1 between the title
// and the fill around it, the fill still the accent's blue and no darker than that needs.
TEST(ControlLooks, aProminentButtonsTitleReadsOnItsFill) {
    QPalette dark = QApplication::palette();
    dark.setColor(QPalette::Window, QColor(36, 36, 38));
    dark.setColor(QPalette::WindowText, QColor(235, 235, 235));
    dark.setColor(QPalette::Button, QColor(52, 52, 54));
    dark.setColor(QPalette::Highlight, QColor(61, 174, 233));
    dark.setColor(QPalette::HighlightedText, QColor(252, 252, 252));
    const QPalette light = QApplication::palette();
    const std::pair<const char*, QPalette> themes[] = {{"light", light}, {"dark", dark}};
    for (const auto& [theme, colors] : themes)
        for (bool hovered : {false, true})
            for (double ratio : {1.0, 2.0}) {
                SCOPED_TRACE(std::string(theme) + (hovered ? ", hovered" : "") + " at " + std::to_string(ratio));
                QApplication::setPalette(colors);
                QWidget window;
                window.setAutoFillBackground(true);
                auto* layout = new QHBoxLayout(&window);
                QPushButton* button = windows::qt::pushButton("Go Home Now", true);
                layout->addWidget(button);
                window.show();
                QApplication::processEvents();
                button->setAttribute(Qt::WA_UnderMouse, hovered);
                QPixmap pixmap(window.size() * ratio);
                pixmap.setDevicePixelRatio(ratio);
                window.render(&pixmap);
                QApplication::setPalette(light);
                const QImage image = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
                // The title is its lightest pixels; the fill is taken left of it, on each row
                // the title spans, where the fill is lightest.
                const QRect at(button->mapTo(&window, QPoint(0, 0)) * ratio, button->size() * ratio);
                QRgb title = 0;
                for (int y = at.top(); y <= at.bottom(); ++y)
                    for (int x = at.left(); x <= at.right(); ++x)
                        if (luminance(image.pixel(x, y)) > luminance(title)) title = image.pixel(x, y);
                QRgb fill = 0xff000000;
                for (int y = at.top(); y <= at.bottom(); ++y) {
                    bool spanned = false;
                    for (int x = at.left(); x <= at.right(); ++x) spanned = spanned || image.pixel(x, y) == title;
                    const QRgb beside = image.pixel(at.left() + int(6 * ratio), y);
                    if (spanned && luminance(beside) > luminance(fill)) fill = beside;
                }
                EXPECT_GE(contrast(title, fill), 4.5);
                EXPECT_LT(contrast(title, fill), 7.0) << "darker than the title needs";
                EXPECT_NEAR(QColor(fill).hsvHue(), colors.color(QPalette::Highlight).hsvHue(), 10)
                    << "the accent's hue";
                EXPECT_GT(QColor(fill).hsvSaturationF(), 0.4) << "a colour, not a grey";
            }
}
