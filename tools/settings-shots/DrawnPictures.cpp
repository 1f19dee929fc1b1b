#include "DrawnPictures.h"

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <functional>

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
// The contrast a pet's outline needs against the stage around it to be seen as a shape.
constexpr double kLeastOutlineContrast = 1.4;

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

// Each shown preview stage under `root` with the window drawn without its pets and with them,
// and each pet's box in window points.
struct StageShots {
    QString stage;
    QImage bare, shown;
    std::vector<QRect> pets;
};

std::vector<StageShots> stageShots(QWidget* root) {
    std::vector<StageShots> shots;
    QWidget* window = root->window();
    for (QWidget* widget : shownUnder(root)) {
        // The stage declares no meta-object of its own, so Qt's casts cannot tell it.
        auto* stage = dynamic_cast<windows::qt::PetPreviewStage*>(widget);
        if (!stage) continue;
        std::vector<QWidget*> pets;
        for (int i = 0; i < 2; ++i)
            if (auto* renderer = stage->renderer(i)) pets.push_back(renderer->widget());
        StageShots shot{nameOf(stage), {}, {}, {}};
        for (QWidget* pet : pets) pet->hide();
        shot.bare = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (QWidget* pet : pets) pet->show();
        shot.shown = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (QWidget* pet : pets) shot.pets.emplace_back(pet->mapTo(window, QPoint()), pet->size());
        shots.push_back(std::move(shot));
    }
    return shots;
}

// Relative luminance of an sRGB colour, as contrast ratios are worked out from it.
double luminance(QRgb c) {
    auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// The contrast between a pet's fur and the stage right around it: along the edge of what the
// pet darkens (its fur, and a smaller faint shadow; not its bright eyes), each pixel of stage
// against the darkest fur near it, the median of all. Measured locally, so a home drawn in front
// of part of the pet counts on both sides of the edge alike.
double outlineContrast(const QImage& bare, const QImage& shown, const QRect& area, double ratio) {
    const int band = std::max(2, qRound(3 * ratio));
    const QRect box = QRect(QPoint(qRound(area.left() * ratio), qRound(area.top() * ratio)),
                            QSize(qRound(area.width() * ratio), qRound(area.height() * ratio)))
                          .adjusted(-band, -band, band, band)
                          .intersected(shown.rect());
    auto isFur = [&](int x, int y) {
        if (!box.contains(x, y)) return false;
        const QRgb a = bare.pixel(x, y), b = shown.pixel(x, y);
        return std::max({qRed(a) - qRed(b), qGreen(a) - qGreen(b), qBlue(a) - qBlue(b)}) > 4;
    };
    std::vector<double> contrasts;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            if (isFur(x, y)) continue;
            bool nearFur = false;
            for (int dy = -band; dy <= band && !nearFur; ++dy)
                for (int dx = -band; dx <= band && !nearFur; ++dx) nearFur = isFur(x + dx, y + dy);
            if (!nearFur) continue;
            // The fur's own colour lies a little inside its soft tips.
            double darkest = 1;
            for (int dy = -2 * band; dy <= 2 * band; ++dy)
                for (int dx = -2 * band; dx <= 2 * band; ++dx)
                    if (isFur(x + dx, y + dy)) darkest = std::min(darkest, luminance(shown.pixel(x + dx, y + dy)));
            contrasts.push_back((luminance(shown.pixel(x, y)) + 0.05) / (darkest + 0.05));
        }
    return median(contrasts);
}

// Each pet on the stages under `root` whose measure comes out below `least`, with what it means.
QStringList petsBelow(QWidget* root, double least,
                      const std::function<double(const StageShots&, const QRect&)>& measure,
                      const std::function<QString(double)>& meaning) {
    QStringList found;
    for (const StageShots& shot : stageShots(root))
        for (size_t i = 0; i < shot.pets.size(); ++i) {
            const double value = measure(shot, shot.pets[i]);
            if (value < least) found << QString("%1: pet %2 %3").arg(shot.stage).arg(i + 1).arg(meaning(value));
        }
    return found;
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
    return petsBelow(
        root, kLeastPet,
        [](const StageShots& shot, const QRect& pet) {
            return changedShare(shot.bare, shot.shown, pet, shot.shown.devicePixelRatio());
        },
        [](double share) { return QString("missing: %1% of its box drawn").arg(qRound(100 * share)); });
}

QStringList faintPets(QWidget* root) {
    return petsBelow(
        root, kLeastOutlineContrast,
        [](const StageShots& shot, const QRect& pet) {
            return outlineContrast(shot.bare, shot.shown, pet, shot.shown.devicePixelRatio());
        },
        [](double contrast) {
            return QString("melts into the stage: contrast %1 along its outline").arg(contrast, 0, 'f', 2);
        });
}

}  // namespace settingsshots
