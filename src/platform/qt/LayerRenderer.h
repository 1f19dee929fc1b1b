#pragma once

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <array>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>

#include "anim/Layer.h"
#include "anim/ShapeLayer.h"
#include "anim/VisibleChange.h"

namespace platform::qt {

// Paints a layer tree with QPainter. The tree's coordinates are y up with the origin at the
// bottom-left of the surface; images and text stay upright. Keeps decoded images and shadow
// bitmaps between frames.
class LayerRenderer {
public:
    // Paints `root` as presented at media time t. The painter works in Qt's coordinates of a
    // surface `height` logical pixels high (y down); points map to logical pixels.
    void paint(QPainter& painter, const anim::Layer& root, double t, double height);

    // A transparent image of `size` points at `devicePixelRatio`, with the tree painted into it;
    // nothing is drawn outside `clip` (y up) when one is given.
    QImage render(const anim::Layer& root, double t, QSizeF size, double devicePixelRatio,
                  std::optional<anim::Rect> clip = std::nullopt);
    // The same into `image`, whose pixels (and Qt's paint engine kept with them) are reused
    // when the size matches; the tree's origin (and the clip's) lies at `origin` of the image (y up).
    void renderInto(QImage& image, const anim::Layer& root, double t, QSizeF size, double devicePixelRatio,
                    std::optional<anim::Rect> clip = std::nullopt, QPointF origin = {});
    // The device pixels of `image` outside which it is transparent: what the last renderInto
    // into it drew on, or all of it when it was not made here or has changed since.
    QRect paintedArea(const QImage& image) const;

private:
    struct ShadowBitmap {
        uint64_t key = 0;
        QImage image;
        anim::Rect area;  // layer coordinates covered by the image
        double pixelScale = 1;
    };

    void paintLayer(QPainter& p, const anim::Layer& layer, double t);
    void paintContent(QPainter& p, const anim::Layer& layer, const anim::LayerState& s, double t);
    void paintShadow(QPainter& p, const anim::Layer& layer, const anim::LayerState& s);
    void paintImage(QPainter& p, const anim::Layer& layer, const anim::Rect& bounds);
    void paintParticles(QPainter& p, const anim::Layer& layer, double t);
    void paintSublayers(QPainter& p, const anim::Layer& layer, double t);

    // A bitmap of a run of a layer's sublayers, kept while they look the same from frame to frame, so a
    // still subtree under a moving layer (a resting pet breathing) is one image to draw.
    struct SublayerBitmap {
        anim::FrameSignature key;
        QImage image;  // made on the second frame with the same key
        anim::Rect area;
        // Set while the sublayers do not depend on time: then their revisions alone tell that
        // nothing changed, without comparing keys.
        uint64_t revisions = 0;
        double pixelScale = 0;
    };
    // The still sublayers [begin, end) of `layer`, from a kept bitmap when they look as before.
    void paintStillRun(QPainter& p, const anim::Layer& layer, size_t begin, size_t end, double t);
    void drawBitmap(QPainter& p, const SublayerBitmap& bitmap, double pixelScale);
    // A run of sublayers: their layer and the index of the first.
    using RunKey = std::pair<const anim::Layer*, size_t>;
    std::map<RunKey, SublayerBitmap> sublayerBitmaps_;
    bool makingBitmap_ = false;

    std::unordered_map<const anim::Layer*, ShadowBitmap> shadows_;

    // A shape's path in Qt's form, made again only when the path changes.
    struct KeptPath {
        uint64_t version = 0;
        QPainterPath path;
    };
    const QPainterPath& painterPath(const anim::ShapeLayer& shape);
    std::unordered_map<const anim::Layer*, KeptPath> paths_;

    // What the last few images rendered into hold, known by their cache keys (which change with
    // any later change to their pixels): only that part needs clearing for the next frame.
    struct Painted {
        qint64 image = 0;
        QRect area;
    };
    std::array<Painted, 4> painted_{};
    size_t nextPainted_ = 0;
};

}  // namespace platform::qt
