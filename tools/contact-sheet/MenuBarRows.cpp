// The tray entry: the three faces at 1x and 2x, the open mouth and the bean divider, on a light
// and on a dark tray, each drawn at its own pixel size and enlarged so that its pixels show; and
// the brand mark at the sizes the windows use.
#include <QApplication>
#include <QPainter>
#include <memory>

#include "ContactSheet.h"
#include "menubar/qt/IconProvider.h"
#include "platform/qt/QtStatusBar.h"
#include "windows/qt/SettingsBlocks.h"

namespace contactsheet {
namespace {

using menubar::qt::IconProvider;
using menubar::qt::MenuBarImage;

constexpr int cellPixels = int(Sheet::cellPoints * Sheet::scale);

Cell trayCell(const MenuBarImage& image, double scale, bool dark, const QString& label) {
    QImage cell(cellPixels, cellPixels, QImage::Format_ARGB32_Premultiplied);
    cell.fill(dark ? QColor(40, 42, 48) : QColor(236, 236, 232));
    QImage pixels = platform::qt::renderTemplate([&](QPainter& p, const QRectF& r) { image.draw(p, r); },
                                                 (image.size * scale).toSize(), scale,
                                                 dark ? QColor(242, 242, 242) : QColor(28, 28, 30));
    pixels.setDevicePixelRatio(1);
    const double zoom = 8 / scale;  // 8 sheet pixels per point
    QPainter(&cell).drawImage(QRectF(12, 12, pixels.width() * zoom, pixels.height() * zoom), pixels);
    return {cell, label};
}

Cell markCell(int side) {
    // As the windows show it, with room for the fur and the shadow beyond its square.
    const std::unique_ptr<QWidget> mark(windows::qt::makeMark(side));
    const int margin = windows::qt::markOverhang(side);
    QImage cell(cellPixels, cellPixels, QImage::Format_ARGB32_Premultiplied);
    cell.fill(QColor(239, 233, 223));
    QPainter p(&cell);
    p.scale(Sheet::scale, Sheet::scale);
    p.drawPixmap(QPointF(Sheet::cellPoints / 2 - side / 2.0 - margin, Sheet::cellPoints / 2 - side / 2.0 - margin),
                 mark->grab());
    return {cell, QString("mark %1 pt").arg(side)};
}

}  // namespace

std::vector<Row> menubarRows(Sheet&) {
    std::vector<Row> rows;
    for (bool dark : {false, true}) {
        const QString tray = dark ? "dark tray" : "light tray";
        Row faces{"Tray faces, " + tray, {}}, open{"Open mouth and beans, " + tray, {}};
        for (auto [gaze, name] : {std::pair(0, "ahead"), {-1, "left"}, {1, "right"}})
            for (double scale : {1.0, 2.0})
                faces.cells.push_back(trayCell(*IconProvider::menuBarMealImage(gaze, 0), scale, dark,
                                               QString("%1 %2x").arg(name).arg(scale)));
        for (double m : {0.3, 1.0})
            for (int gaze : {0, 1})
                open.cells.push_back(trayCell(*IconProvider::menuBarMealImage(gaze, m), 2, dark,
                                              QString("mouth %1, gaze %2").arg(m).arg(gaze)));
        for (double p : {0.0, 0.5, 1.0})
            open.cells.push_back(
                trayCell(*IconProvider::menuBarMealDividerImage(p, false), 2, dark, QString("feeding %1").arg(p)));
        rows.push_back(faces);
        rows.push_back(open);
    }
    Row marks{"Brand mark", {}};
    for (int side : {24, 34, 44, 58}) marks.cells.push_back(markCell(side));
    rows.push_back(marks);
    return rows;
}

}  // namespace contactsheet
