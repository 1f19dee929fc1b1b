#include "platform/qt/PanelShape.h"

#include <QWidget>
#include <algorithm>
#include <cmath>

#include "anim/MediaTime.h"
#include "platform/qt/CompositorProbe.h"
#include "platform/qt/X11Display.h"

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

namespace platform::qt {
namespace {

// Alpha from which a pixel counts as drawn: for clicks, and for the mask that replaces alpha
// when nothing composites.
constexpr int inputAlpha = 26;
constexpr int maskAlpha = 128;
// Under a compositor a moving drawing changes only where clicks land, by a pixel now and then:
// the input region may lag that much for up to a second instead of costing X requests every
// frame. Without one the mask is what shows, and it follows every frame.
constexpr double shapeInterval = 1.0;

int milliseconds(double seconds) {
    return std::max(0, int(std::ceil(seconds * 1000)));
}

// Rows of pixels with enough alpha (and, when a mask is given, inside it) as rectangles; rows
// with the same runs share one rectangle.
std::vector<QRect> drawnRects(const QImage& image, int threshold, const std::vector<bool>* mask) {
    std::vector<QRect> done, open;
    std::vector<std::pair<int, int>> runs, previous;
    const int w = image.width(), h = image.height();
    for (int y = 0; y <= h; ++y) {
        runs.clear();
        if (y < h) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            int start = -1;
            for (int x = 0; x <= w; ++x) {
                bool in = x < w && qAlpha(row[x]) >= threshold && (!mask || (*mask)[size_t(y) * w + x]);
                if (in && start < 0) start = x;
                if (!in && start >= 0) runs.emplace_back(start, x), start = -1;
            }
        }
        if (runs == previous && y < h) {
            for (QRect& r : open) r.setHeight(r.height() + 1);
            continue;
        }
        done.insert(done.end(), open.begin(), open.end());
        open.clear();
        for (auto [x0, x1] : runs) open.emplace_back(x0, y, x1 - x0, 1);
        previous = runs;
    }
    return done;
}

void applyShape(Display* dpy, unsigned long window, int kind, const std::vector<QRect>& rects) {
    std::vector<XRectangle> xr;
    xr.reserve(rects.size());
    for (const QRect& r : rects)
        xr.push_back({short(r.x()), short(r.y()), (unsigned short)(r.width()), (unsigned short)(r.height())});
    XShapeCombineRectangles(dpy, window, kind, 0, 0, xr.data(), int(xr.size()), ShapeSet, Unsorted);
}

}  // namespace

PanelShape::PanelShape(std::function<void()> due, QPointF origin) : origin_(origin) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, due);
    compositorChange_ = onCompositorChange(std::move(due));
}

PanelShape::~PanelShape() {
    removeCompositorChange(compositorChange_);
}

void PanelShape::waitForFrame(std::optional<double> next) {
    double due = lastUpdate_ + shapeInterval;
    if (pending_ && (!next || *next > due)) timer_.start(milliseconds(due - anim::currentMediaTime()));
}

void PanelShape::update(QWidget& window, const QImage& frame, bool ignoresMouse,
                        const std::function<bool(Point)>& hitTest, bool force) {
    if (frame.isNull()) return;
    double now = anim::currentMediaTime();
    // A compositor that quits forces an update (through `due`), so a held-back one need not ask.
    if (!force && applied_ && composited_ && now - lastUpdate_ < shapeInterval) {
        pending_ = true;
        return;
    }
    Display* dpy = qtX11Display();
    bool composited = !dpy || compositorRunning(dpy);
    pending_ = false;
    timer_.stop();
    lastUpdate_ = now;
    const QSize px = frame.size();
    if (hitTest && hitMaskSize_ != px) hitMask_.clear();
    if (hitTest && hitMask_.empty()) {
        double dpr = frame.devicePixelRatio();
        hitMask_.resize(size_t(px.width()) * px.height());
        for (int y = 0; y < px.height(); ++y)
            for (int x = 0; x < px.width(); ++x)
                hitMask_[size_t(y) * px.width() + x] =
                    hitTest({(x + 0.5) / dpr - origin_.x(), window.height() - (y + 0.5) / dpr - origin_.y()});
        hitMaskSize_ = px;
    }
    std::vector<QRect> input;
    if (!ignoresMouse) input = drawnRects(frame, inputAlpha, hitTest ? &hitMask_ : nullptr);

    std::vector<QRect> bounding;
    if (!composited) bounding = drawnRects(frame, maskAlpha, nullptr);
    bool inputChanged = input != inputRects_,
         boundingChanged = composited != composited_ || bounding != boundingRects_;
    inputRects_ = std::move(input);
    boundingRects_ = std::move(bounding);
    composited_ = composited;
    if (!dpy || !window.testAttribute(Qt::WA_WState_Created)) return;
    if (!inputChanged && !boundingChanged && applied_) return;
    auto id = static_cast<unsigned long>(window.winId());
    if (inputChanged || !applied_) applyShape(dpy, id, ShapeInput, inputRects_);
    // Each new bounding shape has the compositor repaint the whole window.
    if (boundingChanged || !applied_) {
        if (composited)
            XShapeCombineMask(dpy, id, ShapeBounding, 0, 0, 0, ShapeSet);
        else
            applyShape(dpy, id, ShapeBounding, boundingRects_);
    }
    flushBeforeSleep(dpy);
    applied_ = true;
}

}  // namespace platform::qt
