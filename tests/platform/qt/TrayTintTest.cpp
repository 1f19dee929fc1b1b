#include <gtest/gtest.h>

#include <QPainter>
#include <QPainterPath>

#include "platform/qt/TrayTint.h"

using namespace platform::qt;

namespace {

double luma(const QColor& c) {
    return 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF();
}

// A black disc with two round holes and a notch cut in from its left edge, on transparency.
QImage ball(int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QRectF(0.15 * side, 0.15 * side, 0.7 * side, 0.7 * side));
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.drawEllipse(QPointF(0.4 * side, 0.45 * side), 0.07 * side, 0.09 * side);
    p.drawEllipse(QPointF(0.6 * side, 0.45 * side), 0.07 * side, 0.09 * side);
    p.drawRect(QRectF(0, 0.58 * side, 0.45 * side, 0.14 * side));
    return image;
}

QImage over(const QImage& picture, const QColor& background) {
    QImage out(picture.size(), QImage::Format_ARGB32);
    out.fill(background);
    QPainter p(&out);
    p.drawImage(0, 0, picture);
    return out;
}

// The share of pixels that stand clearly apart from `background`.
double shareApart(const QImage& shown, const QColor& background) {
    int apart = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (std::abs(luma(shown.pixelColor(x, y)) - luma(background)) > 0.25) ++apart;
    return double(apart) / (shown.width() * shown.height());
}

}  // namespace

TEST(TrayTint, theTintStandsApartFromEveryTray) {
    const QColor trays[] = {Qt::black, Qt::white, QColor(0x30, 0x30, 0x30), QColor(0x2b, 0x2e, 0x37),
                            QColor(0xc8, 0xc8, 0xc8), QColor(0, 0, 200), QColor(255, 255, 0), QColor(0x80, 0x80, 0x80)};
    for (const QColor& tray : trays)
        EXPECT_GT(std::abs(luma(templateTintOn(tray)) - luma(tray)), 0.4) << tray.name().toStdString();
}

TEST(TrayTint, theTraysAnnouncedForegroundIsItsFirstColour) {
    EXPECT_EQ(trayForegroundColour({0xffff, 0x8000, 0, 0xffff, 0, 0}), QColor(255, 128, 0));
    EXPECT_EQ(trayForegroundColour({0x1000, 0x2000, 0x3000}), QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(trayForegroundColour({0xffff, 0xffff}), std::nullopt);
    EXPECT_EQ(trayForegroundColour({}), std::nullopt);
}

TEST(TrayTint, theBareTrayIsTheCommonestColourThePictureLeavesUncovered) {
    const QImage drawn = ball(22);
    const QColor tray(0x20, 0x24, 0x28);
    QImage shown = over(drawn, tray);
    {
        // A neighbour's picture reaching into one corner, drawn in another colour.
        QPainter p(&shown);
        p.fillRect(QRect(0, 0, 4, 4), QColor(250, 10, 10));
    }
    const auto bare = bareTrayColour(shown, drawn);
    ASSERT_TRUE(bare);
    EXPECT_EQ(*bare, tray);

    QImage covering(drawn.size(), QImage::Format_ARGB32);
    covering.fill(Qt::black);
    EXPECT_EQ(bareTrayColour(shown, covering), std::nullopt) << "nothing left bare";
    QImage seeThrough(drawn.size(), QImage::Format_ARGB32);
    seeThrough.fill(Qt::transparent);
    EXPECT_EQ(bareTrayColour(seeThrough, drawn), std::nullopt) << "a window with alpha shows no tray";
    EXPECT_EQ(bareTrayColour(shown, ball(24)), std::nullopt) << "pictures of another size";
}

TEST(TrayTint, aRimmedPictureReadsOnDarkAndLightTraysAtEverySize) {
    for (int side : {16, 22, 32, 64}) {
        for (const QColor& ink : {QColor(28, 28, 30), QColor(242, 242, 242)}) {
            const QColor contrast = templateTintOn(ink);
            const QImage rimmed = withContrastRim(ball(side), ink, contrast, side / 16.0);
            for (const QColor& tray : {QColor(Qt::black), QColor(Qt::white), QColor(0x30, 0x30, 0x30)})
                EXPECT_GT(shareApart(over(rimmed, tray), tray), 0.12)
                    << side << " px, ink " << ink.name().toStdString() << " on " << tray.name().toStdString();
        }
    }
}

TEST(TrayTint, enclosedHolesTakeTheContrastAndOpenCutsStayClear) {
    const int side = 64;
    const QImage rimmed = withContrastRim(ball(side), Qt::black, Qt::white, 2);
    const struct {
        const char* what;
        QPoint at;
        QColor expected;
        int alpha;
    } cases[] = {
        {"an eye", {int(0.4 * side), int(0.45 * side)}, Qt::white, 255},
        {"the fur", {int(0.5 * side), int(0.3 * side)}, Qt::black, 255},
        {"the rim", {int(0.5 * side), int(0.15 * side) - 1}, Qt::white, 255},
        {"a cut open to the edge", {int(0.3 * side), int(0.65 * side)}, Qt::transparent, 0},
        {"far outside", {1, 1}, Qt::transparent, 0},
    };
    for (const auto& c : cases) {
        const QColor got = rimmed.pixelColor(c.at);
        EXPECT_EQ(got.alpha(), c.alpha) << c.what;
        if (c.alpha) {
            EXPECT_EQ(got.rgb(), c.expected.rgb()) << c.what;
        }
    }
}
