#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>

#include "DrawnPictures.h"
#include "platform/qt/SymbolImages.h"

namespace {

// The shape's mean opacity, 0 to 1.
double coverage(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) sum += qAlpha(image.pixel(x, y)) / 255.0;
    return sum / (image.width() * image.height());
}

// The box around the drawn part of the shape, in pixels.
QRect inkBounds(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 64) bounds |= QRect(x, y, 1, 1);
    return bounds;
}

}  // namespace

// Symbols come at the size asked for in points, at any pixel ratio, their shape in the middle
// of the box, both as pixmaps and as the icons buttons draw.
TEST(SymbolImages, symbolsFillTheirBoxInPointsAtEveryPixelRatio) {
    struct Case {
        const char* symbol;
        int side;
        double ratio;
    };
    const Case cases[] = {{"stop.fill", 12, 1}, {"stop.fill", 12, 2},        {"play.fill", 16, 2},
                          {"macwindow", 16, 1.5}, {"timer.circle.fill", 34, 2}, {"drop.fill", 24, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.symbol) + " " + std::to_string(c.side) + " at " + std::to_string(c.ratio));
        const QPixmap pixmaps[] = {
            platform::qt::symbolPixmap(c.symbol, c.side, Qt::black, c.ratio),
            platform::qt::symbolIcon(c.symbol, Qt::black).pixmap(QSize(c.side, c.side), c.ratio),
        };
        for (const QPixmap& pixmap : pixmaps) {
            ASSERT_FALSE(pixmap.isNull());
            EXPECT_EQ(pixmap.deviceIndependentSize(), QSizeF(c.side, c.side));
            EXPECT_EQ(pixmap.width(), qRound(c.side * c.ratio));
            QWidget root;
            (new QLabel(&root))->setPixmap(pixmap);
            root.show();
            EXPECT_EQ(settingsshots::misplacedPictures(&root), QStringList());
        }
    }
    EXPECT_TRUE(platform::qt::symbolIcon("no.such.symbol", Qt::black).isNull());
    const QIcon stop = platform::qt::symbolIcon("stop.fill", Qt::black);
    EXPECT_LT(coverage(stop.pixmap(QSize(16, 16), 2, QIcon::Disabled)), coverage(stop.pixmap(QSize(16, 16), 2)) * 0.6)
        << "a disabled button's symbol is fainter";
}

// Figures that stand are drawn standing: tall and narrow, not a badge as wide as it is high.
TEST(SymbolImages, standingFiguresAreTallerThanWide) {
    struct Case {
        const char* symbol;
        int side;
        double ratio;
    };
    const Case cases[] = {{"figure.stand", 22, 1}, {"figure.stand", 22, 2}, {"figure.stand", 16, 1.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.symbol) + " " + std::to_string(c.side) + " at " + std::to_string(c.ratio));
        const QRect ink = inkBounds(platform::qt::symbolPixmap(c.symbol, c.side, Qt::black, c.ratio));
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_GT(ink.height(), 1.6 * ink.width());
        EXPECT_GT(ink.height(), 0.8 * c.side * c.ratio) << "as tall as its box";
    }
}
