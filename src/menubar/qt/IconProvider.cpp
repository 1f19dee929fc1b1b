#include "menubar/qt/IconProvider.h"

#include <QPainterPath>
#include <algorithm>

#include "platform/program/ResourceBundle.h"
#include "platform/qt/FileImages.h"

namespace menubar::qt {
namespace {

// Our pictures are a few kilobytes; this is room for any a designer might ship.
constexpr uint64_t kMaxPictureSize = 16 << 20;

std::shared_ptr<const MenuBarImage> centerImage() {
    static const auto image = IconProvider::loadMenuBarImage("MenuBarTemplate", IconProvider::assetsDirectory());
    return image;
}

std::shared_ptr<const MenuBarImage> rightImage() {
    static const auto image = IconProvider::loadMenuBarImage("MenuBarLookRight", IconProvider::assetsDirectory());
    return image;
}

// The drawings below are laid out with y upwards from the bottom-left corner.
void flipToDesignSpace(QPainter& p, double height) {
    p.translate(0, height);
    p.scale(1, -1);
}

QRectF oval(double x, double y, double w, double h) {
    return {x, y, w, h};
}

void drawOpenMouthFace(QPainter& p, double m, int gaze) {
    centerImage()->draw(p, QRectF(0, 0, 22, 22));
    flipToDesignSpace(p, 22);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    // Cover the template's own eyes before cutting the open ones.
    p.drawEllipse(oval(5.4, 8.7, 5.5, 6.4));
    p.drawEllipse(oval(11.6, 8.7, 5.5, 6.4));

    const double o = 0.65 + 5.15 * m, w = 1.8 + 9.1 * m;
    const QPointF left(8.05 + 3.05 * m, 11.95 + 3.0 * m), right(14.5 + 1.2 * m, 11.95 + 1.65 * m);
    const double ew = 4.15 - 0.55 * m, eh = 5.15 - 0.85 * m;

    QPainterPath mouth;
    mouth.moveTo(-1, 11 - o);
    mouth.cubicTo(3.8, 10.6 - 0.45 * o, w - 1.5, 10.1 - 0.4 * m, w, 10.8);
    mouth.cubicTo(w - 1.7, 11.7 + 0.4 * m, 3.6, 11.4 + 0.45 * o, -1, 11 + o);
    mouth.closeSubpath();

    p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    p.drawPath(mouth);
    p.drawEllipse(left, ew / 2, eh / 2);
    p.drawEllipse(right, ew / 2, eh / 2);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setBrush(Qt::black);

    const double s = gaze > 0 ? 0.4 - 1.1 * m : -0.3 - 0.55 * m;
    p.drawEllipse(oval(left.x() + s - 0.52, left.y() - 1.1, 1.04, 1.48));
    p.drawEllipse(oval(right.x() + s - 0.52, right.y() - 1.1, 1.04, 1.48));
}

void drawDivider(QPainter& p, double progress, bool spitting) {
    flipToDesignSpace(p, 22);
    p.setPen(Qt::NoPen);
    struct Bean {
        QRectF rect;
        double spit, feed;
    };
    const Bean beans[] = {
        {oval(1.925, 9.825, 2.35, 2.35), 3 * (progress - 2.0 / 3), 3 * (1 - progress)},
        {oval(6.8, 9.5, 3.0, 3.0), 3 * (progress - 1.0 / 3), 3 * (2.0 / 3 - progress)},
        {oval(12.25, 9.15, 3.7, 3.7), 3 * progress, 3 * (1.0 / 3 - progress)},
    };
    for (const auto& bean : beans) {
        p.setBrush(QColor(0, 0, 0, qRound(255 * std::clamp(spitting ? bean.spit : bean.feed, 0.0, 1.0))));
        p.drawEllipse(bean.rect);
    }
}

}  // namespace

void MenuBarImage::draw(QPainter& painter, const QRectF& target) const {
    if (target.isEmpty()) return;
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const double pixelWidth = target.width() * dpr * std::max(painter.transform().m11(), 1e-6);
    if (drawing) {
        // Drawn apart, so a cut-out shape only cuts this picture.
        const QSize pixels(std::max(1, qRound(pixelWidth)),
                           std::max(1, qRound(pixelWidth * size.height() / size.width())));
        QImage canvas(pixels, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter p(&canvas);
        p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        p.scale(pixels.width() / size.width(), pixels.height() / size.height());
        drawing(p);
        p.end();
        painter.drawImage(target, canvas);
        return;
    }
    if (representations.empty()) return;
    const QImage* best = &representations.back();
    for (const auto& r : representations)
        if (r.width() >= pixelWidth && r.width() < best->width()) best = &r;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, *best);
    painter.restore();
}

const std::optional<QImage>& IconProvider::furBodyImage() {
    static const std::optional<QImage> image = []() -> std::optional<QImage> {
        auto assets = assetsDirectory();
        if (!assets) return std::nullopt;
        QImage fur = platform::qt::imageFromFile(*assets / "FurBallBody-v1.png", kMaxPictureSize);
        if (fur.isNull()) return std::nullopt;
        return fur;
    }();
    return image;
}

std::optional<std::filesystem::path> IconProvider::assetsDirectory() {
    static const auto bundle = platform::ResourceBundle::find();
    if (!bundle) return std::nullopt;
    return bundle->root() / "Assets";
}

std::shared_ptr<const MenuBarImage> IconProvider::loadMenuBarImage(const std::string& name,
                                                                   const std::optional<std::filesystem::path>& assets) {
    auto image = std::make_shared<MenuBarImage>();
    for (int scale : {1, 2}) {
        if (!assets) break;
        const auto file = *assets / (name + (scale == 2 ? "@2x" : "") + ".png");
        QImage rep = platform::qt::imageFromFile(file, kMaxPictureSize);
        if (rep.isNull() || rep.width() != 22 * scale) continue;
        rep.setDevicePixelRatio(scale);
        image->representations.push_back(rep.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    if (image->representations.empty()) {
        image->drawing = [](QPainter& p) {
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::black);
            p.drawEllipse(QRectF(3, 3, 16, 16));
        };
    }
    return image;
}

std::shared_ptr<const MenuBarImage> IconProvider::menuBarLeftImage() {
    static const auto image = loadMenuBarImage("MenuBarLookLeft", assetsDirectory());
    return image;
}

std::shared_ptr<const MenuBarImage> IconProvider::menuBarMealImage(int gaze, double mouth) {
    const double m = std::clamp(mouth, 0.0, 1.0);
    if (m <= 0.01) return gaze < 0 ? menuBarLeftImage() : gaze > 0 ? rightImage() : centerImage();
    auto image = std::make_shared<MenuBarImage>();
    image->drawing = [m, gaze](QPainter& p) { drawOpenMouthFace(p, m, gaze); };
    return image;
}

std::shared_ptr<const MenuBarImage> IconProvider::menuBarMealDividerImage(double progress, bool spitting) {
    auto image = std::make_shared<MenuBarImage>();
    image->size = QSizeF(18, 22);
    image->drawing = [progress, spitting](QPainter& p) { drawDivider(p, progress, spitting); };
    return image;
}

}  // namespace menubar::qt
