#include "platform/qt/TrayTint.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <map>

namespace platform::qt {
namespace {

QImage argb(const QImage& image) {
    return image.format() == QImage::Format_ARGB32 ? image : image.convertToFormat(QImage::Format_ARGB32);
}

// Each pixel's alpha, row by row.
std::vector<int> alphas(const QImage& image) {
    std::vector<int> out(size_t(image.width()) * image.height());
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) out[size_t(y) * image.width() + x] = qAlpha(row[x]);
    }
    return out;
}

// The alphas with every transparent pixel that no path of transparent pixels joins to the
// border (a hole) made opaque.
std::vector<int> holesFilled(std::vector<int> alpha, int w, int h) {
    std::vector<bool> outside(alpha.size(), false);
    std::vector<QPoint> todo;
    const auto open = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        const size_t i = size_t(y) * w + x;
        if (outside[i] || alpha[i] >= 128) return;
        outside[i] = true;
        todo.push_back({x, y});
    };
    for (int x = 0; x < w; ++x) open(x, 0), open(x, h - 1);
    for (int y = 0; y < h; ++y) open(0, y), open(w - 1, y);
    while (!todo.empty()) {
        const QPoint p = todo.back();
        todo.pop_back();
        open(p.x() + 1, p.y()), open(p.x() - 1, p.y()), open(p.x(), p.y() + 1), open(p.x(), p.y() - 1);
    }
    for (size_t i = 0; i < alpha.size(); ++i)
        if (!outside[i] && alpha[i] < 128) alpha[i] = 255;
    return alpha;
}

}  // namespace

std::optional<QColor> trayForegroundColour(const std::vector<unsigned long>& property) {
    if (property.size() < 3) return std::nullopt;
    const auto channel = [](unsigned long v) { return int(std::min<unsigned long>(v, 0xffff) >> 8); };
    return QColor(channel(property[0]), channel(property[1]), channel(property[2]));
}

std::optional<QColor> bareTrayColour(const QImage& shown, const QImage& drawn) {
    if (shown.size() != drawn.size() || shown.isNull()) return std::nullopt;
    const QImage s = argb(shown), d = argb(drawn);
    // Colours binned coarsely, so a textured tray still has a commonest colour.
    struct Bin {
        int count = 0;
        long r = 0, g = 0, b = 0;
    };
    std::map<int, Bin> bins;
    int bare = 0;
    for (int y = 0; y < s.height(); ++y) {
        for (int x = 0; x < s.width(); ++x) {
            const QRgb c = s.pixel(x, y);
            if (qAlpha(d.pixel(x, y)) != 0 || qAlpha(c) != 255) continue;
            Bin& bin = bins[(qRed(c) >> 4) << 8 | (qGreen(c) >> 4) << 4 | qBlue(c) >> 4];
            ++bin.count, bin.r += qRed(c), bin.g += qGreen(c), bin.b += qBlue(c);
            ++bare;
        }
    }
    if (bare < std::max(4, s.width() * s.height() / 20)) return std::nullopt;
    const Bin& top =
        std::max_element(bins.begin(), bins.end(), [](auto& a, auto& b) { return a.second.count < b.second.count; })
            ->second;
    return QColor(int(top.r / top.count), int(top.g / top.count), int(top.b / top.count));
}

QColor templateTintOn(const QColor& background) {
    const auto luma = [](const QColor& c) { return 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF(); };
    const QColor light(242, 242, 242), dark(28, 28, 30);
    const double l = luma(background);
    return std::abs(luma(light) - l) > std::abs(luma(dark) - l) ? light : dark;
}

QImage withContrastRim(const QImage& picture, const QColor& ink, const QColor& contrast, double rimPixels) {
    const QImage src = argb(picture);
    const int w = src.width(), h = src.height();
    const std::vector<int> filled = holesFilled(alphas(src), w, h);
    // The picture with its holes filled, grown by the rim: where the contrast colour shows.
    const int r = std::max(0, int(std::lround(rimPixels)));
    QImage under(src.size(), QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(under.scanLine(y));
        for (int x = 0; x < w; ++x) {
            int alpha = 0;
            for (int dy = std::max(-r, -y); dy <= std::min(r, h - 1 - y) && alpha < 255; ++dy)
                for (int dx = std::max(-r, -x); dx <= std::min(r, w - 1 - x); ++dx)
                    if (dx * dx + dy * dy <= r * r) alpha = std::max(alpha, filled[size_t(y + dy) * w + x + dx]);
            row[x] = qRgba(contrast.red(), contrast.green(), contrast.blue(), alpha);
        }
    }
    QImage inked = src;
    {
        QPainter p(&inked);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(inked.rect(), ink);
    }
    QImage out = under.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    p.drawImage(0, 0, inked);
    p.end();
    out.setDevicePixelRatio(picture.devicePixelRatio());
    return out;
}

}  // namespace platform::qt
