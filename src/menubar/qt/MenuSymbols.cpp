#include "menubar/qt/MenuSymbols.h"

#include <QPainterPath>
#include <cmath>
#include <functional>
#include <map>

namespace menubar::qt {
namespace {

// Each symbol is drawn on a 16 x 16 grid, y down, in one colour.
using Drawing = std::function<void(QPainter&, const QColor&)>;

QPen line(const QColor& c, double width = 1.6) {
    QPen pen(c, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void filled(QPainter& p, const QPainterPath& path, const QColor& c) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(path);
}

void stroked(QPainter& p, const QPainterPath& path, const QColor& c, double width = 1.6) {
    p.setPen(line(c, width));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

QPainterPath circle(double cx, double cy, double r) {
    QPainterPath path;
    path.addEllipse(QPointF(cx, cy), r, r);
    return path;
}

// A cut-out drawn in the symbol's shape, so the colour behind shows through as in filled symbols.
void cut(QPainter& p, const QPainterPath& path, double width = 1.7) {
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    stroked(p, path, Qt::black, width);
    p.restore();
}

QPainterPath checkMark() {
    QPainterPath path;
    path.moveTo(4.8, 8.2);
    path.lineTo(7.1, 10.5);
    path.lineTo(11.4, 5.6);
    return path;
}

const std::map<std::string, Drawing>& drawings() {
    static const std::map<std::string, Drawing> table = {
        {"house.fill",
         [](QPainter& p, const QColor& c) {
             QPainterPath roof;
             roof.moveTo(1.2, 8.2);
             roof.lineTo(8, 1.8);
             roof.lineTo(14.8, 8.2);
             stroked(p, roof, c, 1.8);
             QPainterPath body;
             body.moveTo(3.4, 7.6);
             body.lineTo(8, 3.4);
             body.lineTo(12.6, 7.6);
             body.lineTo(12.6, 14.4);
             body.lineTo(9.6, 14.4);
             body.lineTo(9.6, 10.4);
             body.lineTo(6.4, 10.4);
             body.lineTo(6.4, 14.4);
             body.lineTo(3.4, 14.4);
             body.closeSubpath();
             filled(p, body, c);
         }},
        {"timer",
         [](QPainter& p, const QColor& c) {
             stroked(p, circle(8, 9, 5.8), c);
             QPainterPath marks;
             marks.moveTo(6.3, 1.6);
             marks.lineTo(9.7, 1.6);
             marks.moveTo(8, 9);
             marks.lineTo(10.6, 6.4);
             stroked(p, marks, c);
         }},
        {"stop.fill",
         [](QPainter& p, const QColor& c) {
             QPainterPath square;
             square.addRoundedRect(QRectF(3, 3, 10, 10), 2, 2);
             filled(p, square, c);
         }},
        {"keyboard",
         [](QPainter& p, const QColor& c) {
             QPainterPath frame;
             frame.addRoundedRect(QRectF(0.9, 3.4, 14.2, 9.4), 1.8, 1.8);
             stroked(p, frame, c, 1.3);
             p.setPen(Qt::NoPen);
             p.setBrush(c);
             for (int row = 0; row < 2; ++row)
                 for (int col = 0; col < 5; ++col) p.drawRect(QRectF(3 + col * 2.2, 5.4 + row * 2.2, 1.3, 1.3));
             p.drawRoundedRect(QRectF(4.6, 9.9, 6.8, 1.3), 0.5, 0.5);
         }},
        {"macwindow",
         [](QPainter& p, const QColor& c) {
             QPainterPath frame;
             frame.addRoundedRect(QRectF(1, 2.4, 14, 11.2), 2, 2);
             stroked(p, frame, c, 1.3);
             QPainterPath bar;
             bar.moveTo(1.4, 5.6);
             bar.lineTo(14.6, 5.6);
             stroked(p, bar, c, 1.1);
             p.setPen(Qt::NoPen);
             p.setBrush(c);
             for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(3.2 + i * 1.8, 4.1), 0.6, 0.6);
         }},
        {"slider.horizontal.3",
         [](QPainter& p, const QColor& c) {
             const double ys[] = {3.5, 8, 12.5}, knobs[] = {10.5, 5, 9};
             for (int i = 0; i < 3; ++i) {
                 QPainterPath rail;
                 rail.moveTo(1.5, ys[i]);
                 rail.lineTo(14.5, ys[i]);
                 stroked(p, rail, c, 1.3);
                 filled(p, circle(knobs[i], ys[i], 1.9), c);
             }
         }},
        {"checkmark.circle.fill",
         [](QPainter& p, const QColor& c) {
             filled(p, circle(8, 8, 7), c);
             cut(p, checkMark());
         }},
        {"checkmark.circle",
         [](QPainter& p, const QColor& c) {
             stroked(p, circle(8, 8, 6.4), c, 1.3);
             stroked(p, checkMark(), c, 1.5);
         }},
        {"eye.slash.fill",
         [](QPainter& p, const QColor& c) {
             QPainterPath eye;
             eye.moveTo(0.8, 8);
             eye.quadTo(8, -0.6, 15.2, 8);
             eye.quadTo(8, 16.6, 0.8, 8);
             filled(p, eye, c);
             p.save();
             p.setCompositionMode(QPainter::CompositionMode_Clear);
             filled(p, circle(8, 8, 2.6), Qt::black);
             p.restore();
             QPainterPath slash;
             slash.moveTo(2.2, 1.6);
             slash.lineTo(13.8, 14.4);
             cut(p, slash, 3.2);
             stroked(p, slash, c, 1.5);
         }},
        {"exclamationmark.triangle.fill",
         [](QPainter& p, const QColor& c) {
             QPainterPath triangle;
             triangle.moveTo(8, 1.4);
             triangle.lineTo(15.2, 14.4);
             triangle.lineTo(0.8, 14.4);
             triangle.closeSubpath();
             p.setPen(line(c, 1.2));
             p.setBrush(c);
             p.drawPath(triangle);
             QPainterPath mark;
             mark.moveTo(8, 6);
             mark.lineTo(8, 9.4);
             mark.moveTo(8, 12);
             mark.lineTo(8, 12.1);
             cut(p, mark, 1.7);
         }},
        {"arrow.clockwise.circle.fill",
         [](QPainter& p, const QColor& c) {
             filled(p, circle(8, 8, 7), c);
             QPainterPath arc;
             arc.arcMoveTo(QRectF(4.4, 4.4, 7.2, 7.2), 60);
             arc.arcTo(QRectF(4.4, 4.4, 7.2, 7.2), 60, 280);
             cut(p, arc, 1.5);
             QPainterPath head;
             head.moveTo(10.2, 2.9);
             head.lineTo(10.6, 5.4);
             head.lineTo(8.1, 5.9);
             cut(p, head, 1.5);
         }},
        {"rectangle.badge.checkmark",
         [](QPainter& p, const QColor& c) {
             QPainterPath frame;
             frame.addRoundedRect(QRectF(1, 3, 11.5, 9), 1.8, 1.8);
             stroked(p, frame, c, 1.3);
             filled(p, circle(12.2, 11.6, 3.8), c);
             QPainterPath tick;
             tick.moveTo(10.4, 11.7);
             tick.lineTo(11.7, 13);
             tick.lineTo(14, 10.3);
             cut(p, tick, 1.3);
         }},
        {"circle.grid.2x1",
         [](QPainter& p, const QColor& c) {
             stroked(p, circle(4.6, 8, 3.3), c, 1.3);
             stroked(p, circle(11.4, 8, 3.3), c, 1.3);
         }},
        {"waveform.path",
         [](QPainter& p, const QColor& c) {
             QPainterPath wave;
             const double heights[] = {2, 5, 9, 4, 11, 6, 3};
             for (int i = 0; i < 7; ++i) {
                 const double x = 2 + i * 2;
                 wave.moveTo(x, 8 - heights[i] / 2);
                 wave.lineTo(x, 8 + heights[i] / 2);
             }
             stroked(p, wave, c, 1.3);
         }},
    };
    return table;
}

}  // namespace

bool hasMenuSymbol(const std::string& name) {
    return drawings().count(name) != 0;
}

void drawMenuSymbol(QPainter& painter, const std::string& name, const QRectF& box, const QColor& color) {
    const auto it = drawings().find(name);
    const double side = std::min(box.width(), box.height());
    if (it == drawings().end() || side <= 0) return;
    // Cut-outs clear what lies below, so each symbol is drawn on a layer of its own.
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const int pixels = std::max(1, int(std::ceil(side * dpr)));
    QImage layer(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(pixels / 16.0, pixels / 16.0);
        it->second(p, color);
    }
    layer.setDevicePixelRatio(dpr);
    const QRectF target(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
    painter.drawImage(target, layer);
}

}  // namespace menubar::qt
