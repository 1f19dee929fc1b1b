#include "menubar/qt/TuftleMark.h"

#include <QPainter>
#include <algorithm>

#include "menubar/qt/IconProvider.h"
#include "model/L10n.h"

namespace menubar::qt {
namespace {

void drawEye(QPainter& p, QPointF center, double side) {
    const QRectF eye(center.x() - 0.075 * side, center.y() - 0.0925 * side, 0.15 * side, 0.185 * side);
    p.setBrush(QColor::fromRgbF(0.98, 0.95, 0.86));
    p.drawEllipse(eye);
    const double d = 0.057 * side, inset = 0.02 * side;
    p.setBrush(Qt::black);
    p.drawEllipse(QRectF(eye.right() - inset - d, eye.bottom() - inset - d, d, d));
}

// A soft copy of the picture's shape, blurred by scaling down and up again.
QImage shadowOf(const QImage& image, double radiusPixels) {
    QImage shadow = image;
    {
        QPainter p(&shadow);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(shadow.rect(), QColor(0, 0, 0, qRound(255 * 0.18)));
    }
    const double factor = std::max(1.0, radiusPixels / 2);
    const QSize small(std::max(1, qRound(image.width() / factor)), std::max(1, qRound(image.height() / factor)));
    return shadow.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

TuftleMark::TuftleMark(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAccessibleName(QString::fromStdString(model::L10n::t("毛茸茸的小黑球")));
}

void TuftleMark::paintEvent(QPaintEvent*) {
    // The label follows the interface language, which may have changed since the last paint.
    setAccessibleName(QString::fromStdString(model::L10n::t("毛茸茸的小黑球")));
    const QRectF frame = contentsRect();
    const double side = std::min(frame.width(), frame.height());
    if (side <= 0) return;
    const qreal dpr = devicePixelRatioF();
    QImage stack(size() * dpr, QImage::Format_ARGB32_Premultiplied);
    stack.setDevicePixelRatio(dpr);
    stack.fill(Qt::transparent);
    {
        QPainter p(&stack);
        p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        p.setPen(Qt::NoPen);
        const QPointF c = frame.center();
        if (const auto& fur = IconProvider::furBodyImage()) {
            const double furSide = 1.22 * side;
            p.drawImage(QRectF(c.x() - furSide / 2, c.y() - furSide / 2, furSide, furSide), *fur);
        } else {
            p.setBrush(QColor::fromRgbF(0.05, 0.05, 0.05));
            p.drawEllipse(c, side / 2, side / 2);
        }
        const double eyeY = frame.top() + 0.52 * frame.height();
        drawEye(p, {frame.left() + 0.385 * frame.width(), eyeY}, side);
        drawEye(p, {frame.left() + 0.615 * frame.width(), eyeY}, side);
    }
    QPainter p(this);
    p.drawImage(QPointF(0, 0.04 * side), shadowOf(stack, 0.08 * side * dpr));
    p.drawImage(QPointF(0, 0), stack);
}

}  // namespace menubar::qt
