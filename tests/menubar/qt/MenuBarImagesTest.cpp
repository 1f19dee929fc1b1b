// The tray pictures and the brand mark, checked where a fault would show, and drawn on a sheet
// for people to look at: menubar-sheet.png in $TUFTLE_E2E_ARTIFACTS (or beside the tests).
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "menubar/qt/IconProvider.h"
#include "menubar/qt/TuftleMark.h"
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

void writePng(const QString& path, int width) {
    QImage image(width, width, QImage::Format_ARGB32);
    image.fill(Qt::black);
    ASSERT_TRUE(image.save(path));
}

}  // namespace

TEST(MenuBarImages, aFaceFileOfTheWrongWidthIsDroppedAndNoFileFallsBackToACircle) {
    QTemporaryDir dir;
    writePng(dir.filePath("Good.png"), 22);
    writePng(dir.filePath("Good@2x.png"), 44);
    writePng(dir.filePath("Half.png"), 22);
    writePng(dir.filePath("Half@2x.png"), 40);
    writePng(dir.filePath("Wrong.png"), 21);
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
    EXPECT_EQ(IconProvider::menuBarMealImage(-1, 0.01), IconProvider::menuBarLeftImage());
    EXPECT_EQ(IconProvider::menuBarMealImage(0, -3), IconProvider::menuBarMealImage(0, 0));
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

TEST(MenuBarImages, theBeansFadeOneAfterAnotherFromTheFace) {
    struct Case {
        double progress;
        bool spitting;
        int left, middle, right;
    } cases[] = {{0, false, 255, 255, 255}, {0.5, false, 255, 128, 0}, {1, false, 0, 0, 0},
                 {0, true, 0, 0, 0},        {0.5, true, 0, 128, 255},  {1, true, 255, 255, 255}};
    for (const auto& c : cases) {
        const QImage image = render(*IconProvider::menuBarMealDividerImage(c.progress, c.spitting), 4);
        EXPECT_NEAR(alphaAt(image, 3.1, 11, 4), c.left, 2) << c.progress << c.spitting;
        EXPECT_NEAR(alphaAt(image, 8.3, 11, 4), c.middle, 2) << c.progress << c.spitting;
        EXPECT_NEAR(alphaAt(image, 14.1, 11, 4), c.right, 2) << c.progress << c.spitting;
    }
}

TEST(MenuBarImages, contactSheet) {
    const int cell = 96;
    std::vector<std::vector<QImage>> rows;
    for (bool dark : {false, true}) {
        const QColor tint = dark ? QColor(242, 242, 242) : QColor(28, 28, 30);
        const QColor ground = dark ? QColor(40, 42, 48) : QColor(236, 236, 232);
        auto tile = [&](const std::shared_ptr<const MenuBarImage>& image, double scale) {
            QImage t(cell, cell, QImage::Format_ARGB32_Premultiplied);
            t.fill(ground);
            QPainter p(&t);
            // Drawn at its pixel size, then enlarged without smoothing so pixels can be seen.
            QImage px = platform::qt::renderTemplate([&](QPainter& q, const QRectF& r) { image->draw(q, r); },
                                                     (image->size * scale).toSize(), scale, tint);
            px.setDevicePixelRatio(1);
            const double zoom = 88.0 / 44;
            p.drawImage(QRectF(4, 4, px.width() * zoom * 2 / scale, px.height() * zoom * 2 / scale), px);
            return t;
        };
        std::vector<QImage> faces, open;
        for (int gaze : {0, -1, 1})
            for (double scale : {1.0, 2.0}) faces.push_back(tile(IconProvider::menuBarMealImage(gaze, 0), scale));
        for (double m : {0.3, 1.0})
            for (int gaze : {0, 1}) open.push_back(tile(IconProvider::menuBarMealImage(gaze, m), 2));
        for (double p : {0.0, 0.5, 1.0}) open.push_back(tile(IconProvider::menuBarMealDividerImage(p, false), 2));
        rows.push_back(faces);
        rows.push_back(open);
    }
    std::vector<QImage> marks;
    for (int side : {24, 38, 58}) {
        menubar::qt::TuftleMark mark;
        mark.setContentsMargins(side / 8, side / 8, side / 8, side / 8);
        mark.resize(side + side / 4, side + side / 4);
        QImage t(cell, cell, QImage::Format_ARGB32_Premultiplied);
        t.fill(QColor(236, 236, 232));
        QPainter p(&t);
        p.drawPixmap(4, 4, mark.grab());
        marks.push_back(t);
    }
    rows.push_back(marks);

    QImage sheet(cell * 7, cell * int(rows.size()), QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) p.drawImage(int(c) * cell, int(r) * cell, rows[r][c]);
    p.end();
    const QString dir = qEnvironmentVariable("TUFTLE_E2E_ARTIFACTS", QDir::currentPath());
    QDir().mkpath(dir);
    EXPECT_TRUE(sheet.save(dir + "/menubar-sheet.png"));
}
