#include "ContactSheet.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace contactsheet {

namespace {
constexpr int labelHeight = 16;  // points
}

Cell Sheet::render(const anim::Layer& root, const QString& label, double seconds, const std::optional<Cover>& cover) {
    sim.loop.advance(seconds);
    QImage picture = renderer_.render(root, sim.loop.mediaTime(), QSizeF(cellPoints, cellPoints), scale);
    int atEdge = 0;
    for (int i = 0, n = picture.width() - 1; i <= n; ++i)
        atEdge += qAlpha(picture.pixel(i, 0)) + qAlpha(picture.pixel(i, n)) + qAlpha(picture.pixel(0, i)) +
                  qAlpha(picture.pixel(n, i));
    if (atEdge > 0) cut.push_back(label);

    QImage cell(int(cellPoints * scale), int(cellPoints * scale), QImage::Format_ARGB32_Premultiplied);
    cell.setDevicePixelRatio(scale);
    cell.fill(QColor(239, 233, 223));
    QPainter p(&cell);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF whole(0, 0, cellPoints, cellPoints);
    if (cover) {
        // The cover in front: what lies behind it is not drawn, as in the program.
        const QRectF hidden(cover->area.x(), cellPoints - cover->area.y() - cover->area.height(), cover->area.width(),
                            cover->area.height());
        QPainterPath visible, hiddenPath;
        visible.addRect(whole);
        hiddenPath.addRect(hidden);
        p.save();
        p.setClipPath(visible.subtracted(hiddenPath));
        p.drawImage(whole, picture);
        p.restore();
        p.fillRect(hidden, cover->color);
    } else {
        p.drawImage(whole, picture);
    }
    p.end();
    return {cell, label};
}

QImage Sheet::compose(const std::vector<Row>& rows) {
    const int columns = 9;
    const int cellPx = int(cellPoints * scale), labelPx = int(labelHeight * scale), titlePx = int(20 * scale);
    const auto rowCount = [&](const Row& row) { return int((row.cells.size() + columns - 1) / columns); };
    int height = 0;
    for (const Row& row : rows) height += titlePx + rowCount(row) * (cellPx + labelPx);
    QImage sheet(columns * cellPx, height, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(250, 248, 244));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font = p.font();
    int y = 0;
    for (const Row& row : rows) {
        font.setBold(true);
        font.setPixelSize(int(10 * scale));
        p.setFont(font);
        p.setPen(QColor(40, 36, 32));
        p.drawText(QRect(int(6 * scale), y, sheet.width(), titlePx), Qt::AlignVCenter | Qt::AlignLeft, row.title);
        y += titlePx;
        font.setBold(false);
        font.setPixelSize(int(8.5 * scale));
        p.setFont(font);
        for (size_t i = 0; i < row.cells.size(); ++i) {
            const int x = int(i % columns) * cellPx, top = y + int(i / columns) * (cellPx + labelPx);
            QImage image = row.cells[i].image;
            image.setDevicePixelRatio(1);
            p.drawImage(x, top, image);
            p.setPen(QColor(70, 64, 58));
            p.drawText(QRect(x, top + cellPx, cellPx, labelPx), Qt::AlignCenter, row.cells[i].label);
        }
        y += rowCount(row) * (cellPx + labelPx);
    }
    return sheet;
}

}  // namespace contactsheet
