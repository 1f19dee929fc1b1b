// Draws the tray faces (1x and 2x, looking ahead, left and right), the open mouth, the bean
// divider and the brand mark, on a light and on a dark tray, into one PNG for people to look at:
//
//     QT_QPA_PLATFORM=offscreen build/menubar_sheet build/e2e-artifacts/menubar-sheet.png
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <cstdio>
#include <vector>

#include "menubar/qt/IconProvider.h"
#include "menubar/qt/TuftleMark.h"
#include "platform/qt/QtStatusBar.h"

using menubar::qt::IconProvider;
using menubar::qt::MenuBarImage;

namespace {

constexpr int cell = 96;

// The picture drawn at its pixel size in the tray's colour, then enlarged without smoothing
// so that its pixels can be seen.
QImage tile(const MenuBarImage& image, double scale, bool dark) {
    QImage t(cell, cell, QImage::Format_ARGB32_Premultiplied);
    t.fill(dark ? QColor(40, 42, 48) : QColor(236, 236, 232));
    QImage px = platform::qt::renderTemplate([&](QPainter& p, const QRectF& r) { image.draw(p, r); },
                                             (image.size * scale).toSize(), scale,
                                             dark ? QColor(242, 242, 242) : QColor(28, 28, 30));
    px.setDevicePixelRatio(1);
    QPainter p(&t);
    p.drawImage(QRectF(4, 4, px.width() * 4 / scale, px.height() * 4 / scale), px);
    return t;
}

QImage markTile(int side) {
    menubar::qt::TuftleMark mark;
    const int margin = side / 8;
    mark.setContentsMargins(margin, margin, margin, margin);
    mark.resize(side + 2 * margin, side + 2 * margin);
    QImage t(cell, cell, QImage::Format_ARGB32_Premultiplied);
    t.fill(QColor(236, 236, 232));
    QPainter p(&t);
    p.drawPixmap(4, 4, mark.grab());
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: menubar_sheet OUTPUT.png\n");
        return 2;
    }
    std::vector<std::vector<QImage>> rows;
    for (bool dark : {false, true}) {
        std::vector<QImage> faces, open;
        for (int gaze : {0, -1, 1})
            for (double scale : {1.0, 2.0})
                faces.push_back(tile(*IconProvider::menuBarMealImage(gaze, 0), scale, dark));
        for (double m : {0.3, 1.0})
            for (int gaze : {0, 1}) open.push_back(tile(*IconProvider::menuBarMealImage(gaze, m), 2, dark));
        for (double p : {0.0, 0.5, 1.0})
            open.push_back(tile(*IconProvider::menuBarMealDividerImage(p, false), 2, dark));
        rows.push_back(faces);
        rows.push_back(open);
    }
    rows.push_back({markTile(24), markTile(38), markTile(58)});

    QImage sheet(cell * 7, cell * int(rows.size()), QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) p.drawImage(int(c) * cell, int(r) * cell, rows[r][c]);
    p.end();
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(QFileInfo(out).absolutePath());
    return sheet.save(out) ? 0 : 1;
}
