#include "platform/qt/LayerRenderer.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainterPath>
#include <cmath>
#include <cstring>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "anim/EmitterLayer.h"
#include "anim/ShapeLayer.h"
#include "anim/TextLayer.h"
#include "platform/qt/FileImages.h"
#include "platform/qt/SymbolImages.h"

namespace platform::qt {
namespace {

// As large as the picture files an image takes (a 16384-pixel square) compress to.
constexpr uint64_t kMaxPngFileSize = 64 << 20;

using anim::Color;
using anim::LayerKind;
using anim::LayerState;
using anim::Rect;

QRectF toQ(const Rect& r) {
    return {r.minX(), r.minY(), r.width(), r.height()};
}

QColor toQ(Color c) {
    auto unit = [](double v) { return float(std::clamp(v, 0.0, 1.0)); };
    return QColor::fromRgbF(unit(c.red), unit(c.green), unit(c.blue), unit(c.alpha));
}

QPainterPath toQ(const anim::Path& path) {
    QPainterPath q;
    q.setFillRule(Qt::WindingFill);
    for (const auto& e : path.elements()) {
        const auto* p = e.points;
        switch (e.op) {
            case anim::Path::Op::move:
                q.moveTo(p[0].x, p[0].y);
                break;
            case anim::Path::Op::line:
                q.lineTo(p[0].x, p[0].y);
                break;
            case anim::Path::Op::curve:
                q.cubicTo(p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
                break;
            case anim::Path::Op::close:
                q.closeSubpath();
                break;
        }
    }
    return q;
}

std::optional<QPainter::CompositionMode> compositionFor(const std::string& filter) {
    if (filter.empty()) return std::nullopt;
    static const std::map<std::string, QPainter::CompositionMode> modes{
        {"screenBlendMode", QPainter::CompositionMode_Screen},
        {"multiplyBlendMode", QPainter::CompositionMode_Multiply},
        {"overlayBlendMode", QPainter::CompositionMode_Overlay},
        {"darkenBlendMode", QPainter::CompositionMode_Darken},
        {"lightenBlendMode", QPainter::CompositionMode_Lighten},
        {"colorDodgeBlendMode", QPainter::CompositionMode_ColorDodge},
        {"colorBurnBlendMode", QPainter::CompositionMode_ColorBurn},
        {"softLightBlendMode", QPainter::CompositionMode_SoftLight},
        {"hardLightBlendMode", QPainter::CompositionMode_HardLight},
        {"differenceBlendMode", QPainter::CompositionMode_Difference},
        {"exclusionBlendMode", QPainter::CompositionMode_Exclusion},
        {"linearDodgeBlendMode", QPainter::CompositionMode_Plus},
        {"additionCompositing", QPainter::CompositionMode_Plus},
    };
    auto it = modes.find(filter);
    if (it == modes.end()) return std::nullopt;
    return it->second;
}

// An image decoded once, with its last smooth reduction kept for trilinear minification.
struct Decoded {
    QImage full;
    QImage reduced;
};

Decoded& decoded(const anim::Image& image) {
    if (auto* d = static_cast<Decoded*>(image.rendererCache.get())) return *d;
    auto d = std::make_shared<Decoded>();
    switch (image.source()) {
        case anim::Image::Source::pngFile:
            d->full =
                imageFromFile(image.filePath(), kMaxPngFileSize).convertToFormat(QImage::Format_ARGB32_Premultiplied);
            break;
        case anim::Image::Source::pixels:
            d->full = QImage(reinterpret_cast<const uchar*>(image.pixels().data()), image.pixelWidth(),
                             image.pixelHeight(), QImage::Format_ARGB32_Premultiplied)
                          .copy();
            break;
        case anim::Image::Source::drawing: {
            d->full = QImage(image.pixelWidth(), image.pixelHeight(), QImage::Format_ARGB32_Premultiplied);
            d->full.fill(Qt::transparent);
            QPainter p(&d->full);
            p.setRenderHint(QPainter::Antialiasing);
            // The drawing is y up.
            p.translate(0, image.pixelHeight());
            p.scale(image.scale(), -image.scale());
            for (const auto& fp : image.drawing()) p.fillPath(toQ(fp.path), toQ(fp.fill));
            break;
        }
        case anim::Image::Source::symbol:
            d->full = symbolPixmap(image.symbolName(), image.pixelWidth(), toQ(image.symbolTint()))
                          .toImage()
                          .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            // A symbol no theme or bundle draws leaves a blank rather than a broken image.
            if (d->full.isNull()) {
                d->full = QImage(image.pixelWidth(), image.pixelHeight(), QImage::Format_ARGB32_Premultiplied);
                d->full.fill(Qt::transparent);
            }
            break;
    }
    image.rendererCache = d;
    return *d;
}

// Where image contents of `imageSize` points land in `b`.
Rect gravityRect(anim::ContentsGravity g, const Rect& b, anim::Size img) {
    using G = anim::ContentsGravity;
    double w = img.width, h = img.height;
    if (g == G::resize || w <= 0 || h <= 0) return b;
    if (g == G::resizeAspect || g == G::resizeAspectFill) {
        double sx = b.width() / w, sy = b.height() / h;
        double s = g == G::resizeAspect ? std::min(sx, sy) : std::max(sx, sy);
        w *= s, h *= s;
        return {b.midX() - w / 2, b.midY() - h / 2, w, h};
    }
    double x = b.midX() - w / 2, y = b.midY() - h / 2;
    if (g == G::left || g == G::topLeft || g == G::bottomLeft) x = b.minX();
    if (g == G::right || g == G::topRight || g == G::bottomRight) x = b.maxX() - w;
    if (g == G::top || g == G::topLeft || g == G::topRight) y = b.maxY() - h;
    if (g == G::bottom || g == G::bottomLeft || g == G::bottomRight) y = b.minY();
    return {x, y, w, h};
}

// While renderInto makes a frame: its image, and the device area every drawing into it stays
// within (one frame at a time, on the main thread).
struct FrameReach {
    const QPaintDevice* device = nullptr;
    QRectF area;
};
FrameReach frameReach;

// A drawing reaching `deviceArea` of the painter's device.
void noteReach(const QPainter& p, const QRectF& deviceArea) {
    if (p.device() && p.device() == frameReach.device) frameReach.area |= deviceArea;
}

// Qt's raster engine hands a blend of 96 or more spans to its global thread pool and waits for
// it, which keeps a pool of threads alive. A blend holds the spans of one drawing inside the
// clip, so a drawing that could reach that many is made in bands of whole device rows, each
// under its own clip: the engine rounds such clips to pixels, so the bands add up to the same
// pixels.
constexpr double spansPerBand = 90;  // below the engine's hand-off, with room for a guess gone wrong

// The device rows a drawing covers, within the clip.
std::pair<int, int> deviceRows(QPainter& p, QRectF deviceArea) {
    if (p.hasClipping()) deviceArea &= p.deviceTransform().mapRect(p.clipBoundingRect());
    return {int(std::floor(deviceArea.top())), int(std::ceil(deviceArea.bottom()))};
}

// Draws once per band; each band starts at a row of `starts` and ends where the next starts
// or at `bottom`.
template <class Draw>
void drawBands(QPainter& p, const std::vector<int>& starts, int bottom, Draw&& draw) {
    if (starts.size() < 2 || !p.device()) return draw();
    const QTransform world = p.worldTransform();
    for (size_t i = 0; i < starts.size(); ++i) {
        const int end = i + 1 < starts.size() ? starts[i + 1] : bottom;
        p.save();
        // The clip in device rows, taken back through what lies between the painter and the
        // device: the pixel ratio, and for a widget its place in the window it is painted into.
        p.resetTransform();
        const QRectF rows(-(1 << 20), starts[i], 1 << 21, end - starts[i]);  // wider than any device
        p.setClipRect(p.deviceTransform().inverted().mapRect(rows), Qt::IntersectClip);
        p.setWorldTransform(world);
        draw();
        p.restore();
    }
}

// A drawing of `bounds` making about `spansPerRow` spans in each of its rows. One that stays
// inside them (`confined`) and lies wholly outside the clip (another band of the frame) is not
// drawn at all.
template <class Draw>
void drawInBands(QPainter& p, const QRectF& bounds, double spansPerRow, Draw&& draw, bool confined = true) {
    const QRectF area = p.deviceTransform().mapRect(bounds);
    noteReach(p, area);
    const auto [top, bottom] = deviceRows(p, area);
    if (confined && p.hasClipping() && bottom <= top) return;
    const int rows = std::max(1, int(spansPerBand / std::max(1.0, spansPerRow)));
    std::vector<int> starts;
    for (int y = top; y < bottom; y += rows) starts.push_back(y);
    drawBands(p, starts, bottom, draw);
}

// An antialiased outline: each row makes a run between crossings, and each crossing a span for
// every pixel its partly covered cells reach, many where an edge runs flat. Counted per row from
// the outline's edges, so the bands are as tall as the drawing allows. A stroke (`strokeReach`:
// how far it reaches out from the path, logical pixels) has an outline on either side.
template <class Draw>
void drawOutlineInBands(QPainter& p, const QPainterPath& path, double strokeReach, Draw&& draw) {
    const QTransform device = p.deviceTransform();
    const double reach = strokeReach * std::sqrt(std::abs(device.determinant()));
    if (p.hasClipping()) {
        // The curves lie within their control points: an outline wholly outside the clip (another
        // band of the frame) needs neither measuring nor drawing.
        const auto [top, bottom] =
            deviceRows(p, device.mapRect(path.controlPointRect()).adjusted(-reach, -reach, reach, reach));
        if (bottom <= top) return;
    }
    const QList<QPolygonF> polygons = path.toSubpathPolygons(device);
    QRectF area;
    for (const QPolygonF& polygon : polygons) area |= polygon.boundingRect();
    area.adjust(-reach, -reach, reach, reach);
    noteReach(p, area);
    const auto [top, bottom] = deviceRows(p, area);
    if (bottom - top <= 1) return draw();
    const double sides = strokeReach > 0 ? 2 : 1;
    std::vector<double> spans(size_t(bottom - top), 2 * sides);
    for (const QPolygonF& polygon : polygons)
        for (qsizetype i = 0; i + 1 < polygon.size(); ++i) {
            const QPointF a = polygon[i], b = polygon[i + 1];
            const double y0 = std::min(a.y(), b.y()) - reach, y1 = std::max(a.y(), b.y()) + reach;
            const double perRow = 1 + std::abs(b.x() - a.x()) / std::max(1.0, y1 - y0);
            for (int y = std::max(top, int(std::floor(y0))); y < std::min(bottom, int(std::ceil(y1))); ++y)
                spans[size_t(y - top)] += sides * perRow;
        }
    std::vector<int> starts{top};
    double sum = 0;
    for (int y = top; y < bottom; ++y) {
        const double row = spans[size_t(y - top)];
        if (sum + row > spansPerBand && y > starts.back()) {
            starts.push_back(y);
            sum = 0;
        }
        sum += row;
    }
    drawBands(p, starts, bottom, draw);
}

// Draws `image` into `dest` (y up) upright.
void drawUpright(QPainter& p, const QImage& image, const Rect& dest) {
    p.save();
    // Images carry their own soft edges; an antialiased outline would only add spans.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.translate(dest.minX(), dest.maxY());
    p.scale(1, -1);
    const QRectF target(0, 0, dest.width(), dest.height());
    // A row of an image is one span.
    drawInBands(p, target, 1, [&] { p.drawImage(target, image); });
    p.restore();
}

Rect outset(const Rect& r, double by) {
    return {r.minX() - by, r.minY() - by, r.width() + 2 * by, r.height() + 2 * by};
}

// The part of a layer's own drawing that casts its shadow, in layer coordinates.
std::optional<Rect> contentExtent(const anim::Layer& layer, const LayerState& s) {
    std::optional<Rect> extent;
    auto include = [&](const Rect& r) { extent = extent ? extent->unionWith(r) : r; };
    if (!s.backgroundColor.isClear() || layer.contents()) include(s.bounds);
    if (layer.kind() == LayerKind::shape) {
        const auto& shape = static_cast<const anim::ShapeLayer&>(layer);
        if (!shape.path().isEmpty()) include(outset(shape.pathBounds(), s.strokeColor.isClear() ? 0 : s.lineWidth / 2));
    } else if (layer.kind() == LayerKind::text) {
        include(s.bounds);
    }
    return extent;
}

// Three box blurs of the alpha channel approximate a Gaussian of deviation `sigma` pixels.
void blurAlpha(std::vector<float>& a, int w, int h, double sigma) {
    int r = int(std::lround((std::sqrt(4 * sigma * sigma + 1) - 1) / 2));
    if (r < 1) return;
    std::vector<float> tmp(a.size());
    float norm = 1.0f / float(2 * r + 1);
    auto pass = [&](const std::vector<float>& in, std::vector<float>& out, int n, int lines, int stride, int step) {
        for (int line = 0; line < lines; ++line) {
            const int base = line * stride;
            float sum = 0;
            for (int i = 0; i <= std::min(r, n - 1); ++i) sum += in[base + i * step];
            for (int i = 0; i < n; ++i) {
                out[base + i * step] = sum * norm;
                if (i + r + 1 < n) sum += in[base + (i + r + 1) * step];
                if (i - r >= 0) sum -= in[base + (i - r) * step];
            }
        }
    };
    for (int k = 0; k < 3; ++k) {
        pass(a, tmp, w, h, w, 1);
        pass(tmp, a, h, w, 1, w);
    }
}

uint64_t mixKey(uint64_t h, double v) {
    uint64_t bits = uint64_t(std::llround(v * 1024));
    return (h ^ bits) * 1099511628211ULL;
}

}  // namespace

void LayerRenderer::paint(QPainter& painter, const anim::Layer& root, double t, double height) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(0, height);
    painter.scale(1, -1);
    paintLayer(painter, root, t);
    painter.restore();
    if (shadows_.size() > 64) shadows_.clear();
    if (sublayerBitmaps_.size() > 64) sublayerBitmaps_.clear();
    if (paths_.size() > 256) paths_.clear();
}

QImage LayerRenderer::render(const anim::Layer& root, double t, QSizeF size, double devicePixelRatio,
                             std::optional<anim::Rect> clip) {
    QImage image;
    renderInto(image, root, t, size, devicePixelRatio, clip);
    return image;
}

void LayerRenderer::renderInto(QImage& image, const anim::Layer& root, double t, QSizeF size, double devicePixelRatio,
                               std::optional<anim::Rect> clip, QPointF origin) {
    const QSize pixels(int(std::ceil(size.width() * devicePixelRatio)),
                       int(std::ceil(size.height() * devicePixelRatio)));
    // Only what the image's last frame drew on needs clearing.
    QRect stale = paintedArea(image);
    if (image.size() != pixels || image.format() != QImage::Format_ARGB32_Premultiplied) {
        image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        stale = image.rect();
    }
    image.setDevicePixelRatio(devicePixelRatio);
    if (stale == image.rect()) {
        image.fill(Qt::transparent);
    } else if (!stale.isEmpty()) {
        for (int y = stale.top(); y <= stale.bottom(); ++y)
            std::memset(image.scanLine(y) + size_t(stale.left()) * 4, 0, size_t(stale.width()) * 4);
    }
    // Qt's raster engine hands a batch of 96 or more spans with blending (any translucent
    // antialiased edge) to its global thread pool and waits for it. From about 64 rows of
    // drawing on, a pet frame has such batches; a batch only holds spans of the rows inside the
    // clip, so such a frame is painted in bands of at most 100 rows, each under its own clip:
    // all on this thread, no hand-off. Each band walks the tree again, so the bands are as tall
    // as a pet allows. What counts is the tree's own height, not the transparent room around it.
    constexpr int handOffRows = 64, bandRows = 100;
    const double rows = std::min(double(image.height()), root.bounds().height() * devicePixelRatio);
    const int bands = rows <= handOffRows ? 1 : (image.height() + bandRows - 1) / bandRows;
    frameReach = {&image, {}};
    {
        QPainter p(&image);
        for (int i = 0; i < bands; ++i) {
            p.save();
            if (bands > 1) {
                // Whole device rows: the engine rounds the clip to pixels, so bands neither overlap nor leave gaps.
                const int top = image.height() * i / bands, bottom = image.height() * (i + 1) / bands;
                p.setClipRect(QRectF(0, top / devicePixelRatio, image.width() / devicePixelRatio,
                                     (bottom - top) / devicePixelRatio));
            }
            p.translate(origin.x(), -origin.y());
            if (clip)
                p.setClipRect(QRectF(clip->minX(), size.height() - clip->maxY(), clip->width(), clip->height()),
                              Qt::IntersectClip);
            paint(p, root, t, size.height());
            p.restore();
        }
    }
    // Antialiased edges and curves flattened for measuring reach a little further.
    constexpr int edge = 2;
    const QRect area = frameReach.area.isEmpty() ? QRect()
                                                 : frameReach.area.toAlignedRect().adjusted(-edge, -edge, edge, edge) &
                                                       image.rect();
    frameReach = {};
    painted_[nextPainted_] = {image.cacheKey(), area};
    nextPainted_ = (nextPainted_ + 1) % painted_.size();
}

QRect LayerRenderer::paintedArea(const QImage& image) const {
    if (image.isNull()) return {};
    for (const Painted& p : painted_)
        if (p.image == image.cacheKey()) return p.area;
    return image.rect();
}

void LayerRenderer::paintLayer(QPainter& p, const anim::Layer& layer, double t) {
    const LayerState& s = layer.presented(t);
    if (s.hidden || s.opacity <= 0) return;
    anim::Affine m = s.toSuperlayer();
    auto mode = compositionFor(layer.compositingFilter());
    // A whole saved painter state per layer is most of the fixed cost of a small frame; most
    // layers only move and fade, which is put back by hand.
    const bool fullState = mode || layer.masksToBounds();
    const bool moved = !(m.a == 1 && m.b == 0 && m.c == 0 && m.d == 1 && m.tx == 0 && m.ty == 0);
    const bool faded = s.opacity < 1;
    const QTransform oldTransform = p.worldTransform();
    const double oldOpacity = p.opacity();
    if (fullState) p.save();
    if (moved) p.setTransform(QTransform(m.a, m.b, m.c, m.d, m.tx, m.ty), true);
    if (faded) p.setOpacity(oldOpacity * s.opacity);
    if (mode) p.setCompositionMode(*mode);
    if (s.shadowOpacity > 0 && !s.shadowColor.isClear()) paintShadow(p, layer, s);
    if (layer.masksToBounds()) p.setClipRect(toQ(s.bounds), Qt::IntersectClip);
    paintContent(p, layer, s, t);
    paintSublayers(p, layer, t);
    if (fullState) {
        p.restore();
        return;
    }
    if (moved) p.setWorldTransform(oldTransform);
    if (faded) p.setOpacity(oldOpacity);
}

void LayerRenderer::paintSublayers(QPainter& p, const anim::Layer& layer, double t) {
    const auto& subs = layer.sublayers();
    if (makingBitmap_ || subs.empty()) {
        for (const auto& sub : subs) paintLayer(p, *sub, t);
        return;
    }
    // Moving sublayers are painted every time; each run of still ones between them may be one
    // kept bitmap, so the pupils gliding over a still face leave the fur under them cached.
    size_t runStart = 0;
    for (size_t i = 0; i < subs.size(); ++i) {
        if (!subs[i]->isAnimating(t)) continue;
        if (runStart < i) paintStillRun(p, layer, runStart, i, t);
        sublayerBitmaps_.erase({&layer, i});
        paintLayer(p, *subs[i], t);
        runStart = i + 1;
    }
    if (runStart < subs.size()) paintStillRun(p, layer, runStart, subs.size(), t);
}

void LayerRenderer::paintStillRun(QPainter& p, const anim::Layer& layer, size_t begin, size_t end, double t) {
    constexpr size_t worthKeeping = 6;  // drawing layers below, fewer are painted each time
    const auto& subs = layer.sublayers();
    auto paintEach = [&] {
        for (size_t i = begin; i < end; ++i) paintLayer(p, *subs[i], t);
    };
    double k = p.device() ? p.device()->devicePixelRatioF() : 1;
    bool timeless = true, hasImage = false;
    uint64_t revisions = end;
    for (size_t i = begin; i < end; ++i) {
        timeless = timeless && !subs[i]->dependsOnTime();
        hasImage = hasImage || subs[i]->contents();
        revisions = (revisions ^ subs[i]->subtreeRevision()) * 0x9e3779b97f4a7c15ULL;
    }
    const RunKey runKey{&layer, begin};
    auto found = sublayerBitmaps_.find(runKey);
    if (timeless && found != sublayerBitmaps_.end() && found->second.revisions == revisions &&
        found->second.pixelScale == k && !found->second.image.isNull())
        return drawBitmap(p, found->second, k);

    auto key = anim::FrameSignature::captureSublayers(layer, t, k, begin, end);
    // An image costs about what the bitmap does: two of them are worth keeping.
    if (key.itemCount() < (hasImage ? 2 : worthKeeping)) return paintEach();
    SublayerBitmap& bitmap = sublayerBitmaps_[runKey];
    if (!key.identical(bitmap.key) || bitmap.pixelScale != k) {
        bitmap = {std::move(key), QImage(), {}, 0, k};
        return paintEach();
    }
    bitmap.revisions = timeless ? revisions : 0;
    if (bitmap.image.isNull()) {
        Rect box = bitmap.key.bounds();
        if (box.isEmpty()) return;
        // Whole device pixels, with a margin for antialiased edges.
        double x0 = std::floor(box.minX()) - 1, y0 = std::floor(box.minY()) - 1;
        double x1 = std::ceil(box.maxX()) + 1, y1 = std::ceil(box.maxY()) + 1;
        bitmap.image = QImage(int(x1 - x0), int(y1 - y0), QImage::Format_ARGB32_Premultiplied);
        bitmap.image.fill(Qt::transparent);
        bitmap.area = {x0 / k, y0 / k, (x1 - x0) / k, (y1 - y0) / k};
        QPainter ip(&bitmap.image);
        ip.setRenderHint(QPainter::Antialiasing);
        ip.setRenderHint(QPainter::TextAntialiasing);
        ip.setTransform(QTransform(k, 0, 0, -k, -x0, y1));
        makingBitmap_ = true;
        for (size_t i = begin; i < end; ++i) paintLayer(ip, *subs[i], t);
        makingBitmap_ = false;
    }
    drawBitmap(p, bitmap, k);
}

void LayerRenderer::drawBitmap(QPainter& p, const SublayerBitmap& bitmap, double k) {
    p.save();
    // Smoothing only when the bitmap does not land on whole pixels one to one.
    QTransform m = p.deviceTransform();
    bool aligned = std::abs(m.m11() - k) < 1e-9 && std::abs(m.m22() + k) < 1e-9 && m.m12() == 0 && m.m21() == 0 &&
                   std::abs(m.dx() - std::round(m.dx())) < 1e-6 && std::abs(m.dy() - std::round(m.dy())) < 1e-6;
    p.setRenderHint(QPainter::SmoothPixmapTransform, !aligned);
    drawUpright(p, bitmap.image, bitmap.area);
    p.restore();
}

const QPainterPath& LayerRenderer::painterPath(const anim::ShapeLayer& shape) {
    KeptPath& kept = paths_[&shape];
    // Content versions are unique across layers: a new layer at the same address has another.
    if (kept.version != shape.contentVersion()) kept = {shape.contentVersion(), toQ(shape.path())};
    return kept.path;
}

void LayerRenderer::paintContent(QPainter& p, const anim::Layer& layer, const LayerState& s, double t) {
    if (!s.backgroundColor.isClear()) {
        // Antialiased edges: a run and a partly covered pixel at either end of a row.
        const QRectF box = toQ(s.bounds);
        drawInBands(p, box, 5, [&] { p.fillRect(box, toQ(s.backgroundColor)); });
    }
    if (layer.contents()) paintImage(p, layer, s.bounds);
    switch (layer.kind()) {
        case LayerKind::shape: {
            const auto& shape = static_cast<const anim::ShapeLayer&>(layer);
            if (shape.path().isEmpty()) break;
            const QPainterPath& path = painterPath(shape);
            if (!s.fillColor.isClear()) drawOutlineInBands(p, path, 0, [&] { p.fillPath(path, toQ(s.fillColor)); });
            if (!s.strokeColor.isClear() && s.lineWidth > 0) {
                QPen pen(toQ(s.strokeColor), s.lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
                // A miter join reaches out as far as its limit allows.
                const double reach = s.lineWidth * std::max(1.0, pen.miterLimit());
                drawOutlineInBands(p, path, reach, [&] { p.strokePath(path, pen); });
            }
            break;
        }
        case LayerKind::text: {
            const auto& text = static_cast<const anim::TextLayer&>(layer);
            if (text.string().empty()) break;
            QFont font = QGuiApplication::font();
            double dpi = p.device() ? p.device()->logicalDpiY() : 96;
            // Sizes are in points of this tree, which are logical pixels.
            font.setPointSizeF(std::max(0.5, text.fontSize() * 72.0 / dpi));
            static constexpr QFont::Weight weights[] = {QFont::Normal, QFont::Medium, QFont::DemiBold, QFont::Bold};
            font.setWeight(weights[int(text.fontWeight())]);
            const QString string = QString::fromStdString(text.string());
            // A line too long for its frame (a caption in a wordier language) shrinks until it fits.
            for (int step = 0; step < 6 && s.bounds.width() > 0 && font.pointSizeF() > 0.5; ++step) {
                const double advance = QFontMetricsF(font, p.device()).horizontalAdvance(string);
                if (advance <= s.bounds.width()) break;
                // Hinted sizes do not scale exactly: aim a little small.
                font.setPointSizeF(std::max(0.5, font.pointSizeF() * s.bounds.width() / advance * 0.98));
            }
            int align = Qt::AlignLeft;
            if (text.alignment() == anim::TextAlignment::center) align = Qt::AlignHCenter;
            if (text.alignment() == anim::TextAlignment::right) align = Qt::AlignRight;
            p.save();
            p.translate(s.bounds.minX(), s.bounds.maxY());
            p.scale(1, -1);
            p.setFont(font);
            p.setPen(toQ(text.foregroundColor()));
            const QRectF box(0, 0, s.bounds.width(), s.bounds.height());
            // Each glyph is blended on its own, a span for about every pixel of its rows; the
            // line may spill out of its frame by about a letter.
            const double letter = text.fontSize();
            // A line taller than its frame reaches further down.
            noteReach(p, p.deviceTransform().mapRect(box.adjusted(-2 * letter, -2 * letter, 2 * letter, 2 * letter)));
            drawInBands(
                p, box.adjusted(-letter, -letter, letter, letter),
                letter * std::sqrt(std::abs(p.deviceTransform().determinant())),
                [&] { p.drawText(box, align | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, string); }, false);
            p.restore();
            break;
        }
        case LayerKind::emitter:
            paintParticles(p, layer, t);
            break;
        case LayerKind::plain:
            break;
    }
}

void LayerRenderer::paintImage(QPainter& p, const anim::Layer& layer, const Rect& bounds) {
    const anim::Image& image = *layer.contents();
    Decoded& d = decoded(image);
    if (d.full.isNull()) return;
    anim::Size natural{image.pixelWidth() / layer.contentsScale(), image.pixelHeight() / layer.contentsScale()};
    Rect dest = gravityRect(layer.contentsGravity(), bounds, natural);
    if (dest.isEmpty()) return;
    double dpr = p.device() ? p.device()->devicePixelRatioF() : 1;
    QSize target(std::max(1, int(std::lround(dest.width() * dpr))), std::max(1, int(std::lround(dest.height() * dpr))));
    bool minifying = target.width() < d.full.width() || target.height() < d.full.height();
    anim::ScalingFilter filter = minifying ? layer.minificationFilter() : layer.magnificationFilter();
    const QImage* source = &d.full;
    if (minifying && filter == anim::ScalingFilter::trilinear) {
        // A smooth reduction to the drawn size stands in for mipmaps; kept until the size changes.
        if (d.reduced.size() != target)
            d.reduced = d.full.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        source = &d.reduced;
    }
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, filter != anim::ScalingFilter::nearest);
    drawUpright(p, *source, dest);
    p.restore();
}

void LayerRenderer::paintParticles(QPainter& p, const anim::Layer& layer, double t) {
    const auto& emitter = static_cast<const anim::EmitterLayer&>(layer);
    auto particles = emitter.particles(t);
    if (particles.empty()) return;
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    double base = p.opacity();
    for (const anim::Particle& particle : particles) {
        const auto& image = particle.cell->contents;
        if (!image) continue;
        Decoded& d = decoded(*image);
        if (d.full.isNull()) continue;
        double w = image->pixelWidth() / particle.cell->contentsScale,
               h = image->pixelHeight() / particle.cell->contentsScale;
        p.save();
        p.translate(particle.position.x, particle.position.y);
        p.rotate(particle.rotation * 180 / std::numbers::pi);
        p.scale(particle.scale, particle.scale);
        p.setOpacity(base * particle.alpha);
        drawUpright(p, d.full, {-w / 2, -h / 2, w, h});
        p.restore();
    }
    p.restore();
}

void LayerRenderer::paintShadow(QPainter& p, const anim::Layer& layer, const LayerState& s) {
    auto extent = contentExtent(layer, s);
    if (!extent || extent->isEmpty()) return;
    double k = p.device() ? p.device()->devicePixelRatioF() : 1;
    uint64_t key = 1469598103934665603ULL;
    for (double v :
         {double(layer.contentVersion()), s.fillColor.red, s.fillColor.green, s.fillColor.blue, s.fillColor.alpha,
          s.strokeColor.alpha, s.lineWidth, s.backgroundColor.alpha, s.shadowColor.red, s.shadowColor.green,
          s.shadowColor.blue, s.shadowColor.alpha, s.shadowRadius, s.bounds.size.width, s.bounds.size.height, k})
        key = mixKey(key, v);
    ShadowBitmap& bitmap = shadows_[&layer];
    if (bitmap.key != key || bitmap.image.isNull()) {
        double sigma = std::max(0.0, s.shadowRadius) / 2;
        double pad = 3 * sigma + 1;
        Rect area = outset(*extent, pad);
        int w = std::max(1, int(std::ceil(area.width() * k))), h = std::max(1, int(std::ceil(area.height() * k)));
        QImage silhouette(w, h, QImage::Format_ARGB32_Premultiplied);
        silhouette.fill(Qt::transparent);
        {
            QPainter ip(&silhouette);
            ip.setRenderHint(QPainter::Antialiasing);
            ip.setTransform(QTransform(k, 0, 0, -k, -area.minX() * k, area.maxY() * k));
            LayerState flat = s;
            flat.shadowOpacity = 0;
            paintContent(ip, layer, flat, 0);
        }
        std::vector<float> alpha(size_t(w) * size_t(h));
        for (int y = 0; y < h; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(silhouette.constScanLine(y));
            for (int x = 0; x < w; ++x) alpha[size_t(y) * w + x] = float(qAlpha(row[x])) / 255.0f;
        }
        blurAlpha(alpha, w, h, sigma * k);
        QColor c = toQ(s.shadowColor);
        QImage shadow(w, h, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<QRgb*>(shadow.scanLine(y));
            for (int x = 0; x < w; ++x) {
                float a = std::clamp(alpha[size_t(y) * w + x], 0.0f, 1.0f) * float(c.alphaF());
                row[x] = qRgba(int(c.red() * a + 0.5f), int(c.green() * a + 0.5f), int(c.blue() * a + 0.5f),
                               int(255 * a + 0.5f));
            }
        }
        bitmap = {key, shadow, area, k};
    }
    p.save();
    p.setOpacity(p.opacity() * std::min(1.0, s.shadowOpacity));
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    drawUpright(p, bitmap.image, bitmap.area.offsetBy(s.shadowOffset.width, s.shadowOffset.height));
    p.restore();
}

}  // namespace platform::qt
