#pragma once

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

#include "platform/Geometry.h"

class QWidget;

namespace platform::qt {

// The part of a panel window that takes clicks (its drawn pixels, inside the hit test) and,
// without a compositing manager, the XShape mask that replaces alpha.
class PanelShape {
public:
    // `due` runs when an update held back earlier is due: the owner calls update then.
    // `origin` is where the hit test's origin lies in the window, in points, y up.
    PanelShape(std::function<void()> due, QPointF origin);
    ~PanelShape();
    PanelShape(const PanelShape&) = delete;
    PanelShape& operator=(const PanelShape&) = delete;

    // Brings the input region (and the mask without a compositor) of `window` in line with
    // `frame`. Under a compositor, while the drawing keeps moving, at most once a second unless
    // `force`; without one, with every frame.
    void update(QWidget& window, const QImage& frame, bool ignoresMouse, const std::function<bool(Point)>& hitTest,
                bool force);
    // A held-back update waits for the next frame at `next`, or for its own time when the
    // drawing stops before then.
    void waitForFrame(std::optional<double> next);
    // The hit test or the panel's size changed.
    void forgetHitMask() { hitMask_.clear(); }
    // The window was shown again and holds no shape of ours.
    void forgetApplied() { applied_ = false; }

    // In device pixels.
    const std::vector<QRect>& inputRects() const { return inputRects_; }

private:
    std::vector<QRect> inputRects_;
    std::vector<QRect> boundingRects_;
    std::vector<bool> hitMask_;
    QSize hitMaskSize_;
    bool applied_ = false;
    bool pending_ = false;
    double lastUpdate_ = -1e9;
    QTimer timer_;
    bool composited_ = true;
    QPointF origin_;
    // A compositor that starts or quits changes the mask at once, through `due`.
    uint64_t compositorChange_ = 0;
};

}  // namespace platform::qt
