// The tray pictures, checked where a fault would show (the contact sheet shows them all).
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "menubar/qt/IconProvider.h"
#include "platform/qt/QtStatusBar.h"

using menubar::qt::IconProvider;
using menubar::qt::MenuBarImage;

namespace {

// The picture drawn in black at `scale` pixels per point.
QImage render(const MenuBarImage& image, double scale) {
    return platform::qt::renderTemplate([&](QPainter& p, const QRectF& r) { image.draw(p, r); },
                                        (image.size * scale).toSize(), scale, Qt::black);
}

int alphaAt(const QImage& image, double x, double yUp, double scale) {
    return qAlpha(image.pixel(int(x * scale), int((image.height() / scale - yUp) * scale)));
}

}  // namespace

TEST(MenuBarImages, aFaceFileOfTheWrongWidthIsDroppedAndNoFileFallsBackToACircle) {
    QTemporaryDir dir;
    for (auto [name, width] : {std::pair("Good", 22), {"Good@2x", 44}, {"Half", 22}, {"Half@2x", 40}, {"Wrong", 21}})
        ASSERT_TRUE(QImage(width, width, QImage::Format_ARGB32).save(dir.filePath(QString(name) + ".png")));
    const std::filesystem::path assets = dir.path().toStdString();
    struct Case {
        std::string name;
        std::vector<int> widths;
    } cases[] = {{"Good", {22, 44}}, {"Half", {22}}, {"Wrong", {}}, {"Missing", {}}};
    for (const auto& c : cases) {
        auto image = IconProvider::loadMenuBarImage(c.name, assets);
        std::vector<int> widths;
        for (const auto& r : image->representations) widths.push_back(r.width());
        EXPECT_EQ(widths, c.widths) << c.name;
        if (c.widths.empty()) {
            EXPECT_GT(alphaAt(render(*image, 2), 11, 11, 2), 200) << c.name << ": the fallback circle";
            EXPECT_EQ(alphaAt(render(*image, 2), 1, 1, 2), 0) << c.name;
        }
    }
}

TEST(MenuBarImages, aClosedMouthIsTheCachedFaceAndAnOpenMouthLooksWithItsGaze) {
    for (double m : {0.01, -3.0}) EXPECT_EQ(IconProvider::menuBarMealImage(-1, m), IconProvider::menuBarLeftImage());
    ASSERT_NE(IconProvider::menuBarMealImage(-1, 0.011), IconProvider::menuBarLeftImage());
    EXPECT_EQ(IconProvider::menuBarLeftImage()->representations.size(), 2u) << "the bundle's two face files";

    const QImage ahead = render(*IconProvider::menuBarMealImage(0, 0.8), 4);
    EXPECT_EQ(ahead, render(*IconProvider::menuBarMealImage(-1, 0.8), 4));
    EXPECT_NE(ahead, render(*IconProvider::menuBarMealImage(1, 0.8), 4));
    EXPECT_EQ(render(*IconProvider::menuBarMealImage(0, 5), 4), render(*IconProvider::menuBarMealImage(0, 1), 4));
    // The mouth opens at the left edge, just below the middle; the cheek below it stays fur.
    EXPECT_EQ(alphaAt(ahead, 1.5, 10.9, 4), 0);
    EXPECT_GT(alphaAt(ahead, 5, 6, 4), 200);
}
