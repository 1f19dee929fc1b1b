#include "DrawnPictures.h"

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "platform/qt/LayerHostWidget.h"
#include "windows/qt/PetPreviewStage.h"

namespace settingsshots {
namespace {

// Less than this share of a box's shorter side is a picture drawn too small, more than this
// share away from the centre one drawn off it. A symbol drawn for a box one ratio too small
// fills a quarter of it, from a corner.
constexpr double kSmallest = 0.42;
constexpr double kFarthest = 0.18;
// At least this share of a pet's box must change when the pet is drawn: its eyes alone do not.
constexpr double kLeastPet = 0.12;

QString nameOf(const QWidget* widget) {
    return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                          : widget->objectName();
}

// The part of `pixmap`, in points, that is not (nearly) transparent; empty when none is.
QRectF opaquePart(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    int left = image.width(), top = image.height(), right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(row[x]) < 32) continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return {};
    const double ratio = pixmap.devicePixelRatio();
    return {left / ratio, top / ratio, (right - left + 1) / ratio, (bottom - top + 1) / ratio};
}

// What is wrong with `pixmap` drawn centred in a box of `box` points; empty when nothing is.
QString misplacement(const QPixmap& pixmap, QSizeF box) {
    const QRectF part = opaquePart(pixmap);
    if (part.isEmpty()) return {};
    const QSizeF drawn = pixmap.deviceIndependentSize();
    const QPointF corner((box.width() - drawn.width()) / 2, (box.height() - drawn.height()) / 2);
    const QRectF placed = part.translated(corner);
    const double side = std::min(box.width(), box.height());
    const QPointF away = placed.center() - QPointF(box.width() / 2, box.height() / 2);
    const QString measured = QString("drawn %1 x %2 at %3, %4 in a box of %5 x %6")
                                 .arg(placed.width(), 0, 'f', 1)
                                 .arg(placed.height(), 0, 'f', 1)
                                 .arg(placed.x(), 0, 'f', 1)
                                 .arg(placed.y(), 0, 'f', 1)
                                 .arg(box.width())
                                 .arg(box.height());
    if (std::max(placed.width(), placed.height()) < kSmallest * side) return "too small: " + measured;
    if (std::max(std::abs(away.x()), std::abs(away.y())) > kFarthest * side) return "off its centre: " + measured;
    return {};
}

// How much of `area` (window points) differs between two pictures of the window.
double changedShare(const QImage& before, const QImage& after, const QRect& area, double ratio) {
    const QRect pixels = QRect(QPoint(qRound(area.left() * ratio), qRound(area.top() * ratio)),
                               QSize(qRound(area.width() * ratio), qRound(area.height() * ratio)))
                             .intersected(after.rect());
    if (pixels.isEmpty()) return 0;
    int changed = 0;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        for (int x = pixels.left(); x <= pixels.right(); ++x) {
            const QRgb a = before.pixel(x, y), b = after.pixel(x, y);
            const int difference = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                             std::abs(qBlue(a) - qBlue(b))});
            if (difference > 4) ++changed;
        }
    return double(changed) / (pixels.width() * pixels.height());
}

QList<QWidget*> shownUnder(QWidget* root) {
    QList<QWidget*> widgets = root->findChildren<QWidget*>();
    widgets.prepend(root);
    widgets.removeIf([](const QWidget* widget) { return !widget->isVisible(); });
    return widgets;
}

}  // namespace

QStringList misplacedPictures(QWidget* root) {
    QStringList wrong;
    for (QWidget* widget : shownUnder(root)) {
        QString problem;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            const QPixmap pixmap = label->pixmap();
            if (!pixmap.isNull()) problem = misplacement(pixmap, pixmap.deviceIndependentSize());
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            if (button->icon().isNull()) continue;
            const QPixmap pixmap = button->icon().pixmap(button->iconSize(), button->devicePixelRatioF());
            problem = misplacement(pixmap, button->iconSize());
        }
        if (!problem.isEmpty()) wrong << nameOf(widget) + ": picture " + problem;
    }
    return wrong;
}

QStringList emptyStages(QWidget* root) {
    QStringList empty;
    QWidget* window = root->window();
    for (QWidget* widget : shownUnder(root)) {
        // The stage declares no meta-object of its own, so Qt's casts cannot tell it.
        auto* stage = dynamic_cast<windows::qt::PetPreviewStage*>(widget);
        if (!stage) continue;
        std::vector<QWidget*> pets;
        for (int i = 0; i < 2; ++i)
            if (auto* renderer = stage->renderer(i)) pets.push_back(renderer->widget());
        for (QWidget* pet : pets) pet->hide();
        const QImage bare = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (QWidget* pet : pets) pet->show();
        const QImage shown = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (size_t i = 0; i < pets.size(); ++i) {
            const QRect area(pets[i]->mapTo(window, QPoint()), pets[i]->size());
            const double share = changedShare(bare, shown, area, shown.devicePixelRatio());
            if (share < kLeastPet)
                empty << QString("%1: pet %2 missing: %3% of its box drawn")
                             .arg(nameOf(stage))
                             .arg(i + 1)
                             .arg(qRound(100 * share));
        }
    }
    return empty;
}

}  // namespace settingsshots
