#include "platform/qt/PetPanelWindow.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <utility>

#include "anim/MediaTime.h"
#include "platform/qt/TimerHub.h"
#include "platform/qt/X11SharedImage.h"

// Named before Xlib's macro of the same name exists.
constexpr QEvent::Type qtExposeEvent = QEvent::Expose;
const QEvent::Type refreshEvent = QEvent::Type(QEvent::registerEventType());

// Xlib last: its macros (None, Bool, Status, Expose...) would clash with Qt's headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <xcb/xcb.h>

namespace platform::qt {
namespace {

// Alpha from which a pixel counts as drawn: for clicks, and for the mask that replaces alpha
// when nothing composites.
constexpr int inputAlpha = 26;
constexpr int maskAlpha = 128;
// The coordinator moves panels 30 times a second; drawing their contents more often costs
// wake-ups without making a small pet look smoother.
constexpr double maxFrameRate = 30;
// A slow drift (the edges stay within `driftShift` device pixels of the last frame until
// `driftDelay` after the frame's time) is painted at most every `driftInterval` and may wait
// that delay for another wake-up (the other pet's frame, a gaze look) to come along with.
constexpr double driftDelay = 0.17;
constexpr double driftInterval = 0.08;
constexpr double driftShift = 1.0;
// How late a change of the tree may be looked at when a frame is coming anyway.
constexpr double lookAgainWithin = 1.0 / 30;
// A moving drawing changes its outline by a pixel now and then; the input region may lag that
// much for up to a second instead of costing X requests every frame.
constexpr double shapeInterval = 1.0;

Display* x11Display() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

// Whether a compositing manager owns _NET_WM_CM_S<screen>. Asked at most every five seconds:
// it is a round trip, and compositors come and go rarely.
bool compositorRunning(Display* dpy) {
    static auto lastCheck = std::chrono::steady_clock::time_point{};
    static bool running = false;
    auto now = std::chrono::steady_clock::now();
    if (lastCheck != std::chrono::steady_clock::time_point{} && now - lastCheck < std::chrono::seconds(5))
        return running;
    lastCheck = now;
    static Atom selection = [dpy] {
        char name[32];
        std::snprintf(name, sizeof name, "_NET_WM_CM_S%d", DefaultScreen(dpy));
        return XInternAtom(dpy, name, False);
    }();
    running = XGetSelectionOwner(dpy, selection) != 0;
    return running;
}

double frameInterval(const QWidget& w) {
    QScreen* screen = w.screen();
    double rate = screen && screen->refreshRate() > 1 ? std::min(screen->refreshRate(), maxFrameRate) : maxFrameRate;
    return 1.0 / rate;
}

int milliseconds(double seconds) {
    return std::max(0, int(std::ceil(seconds * 1000)));
}

QRect primaryGeometry() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
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

// The smallest rectangle holding every pixel in which two images of one size differ.
QRect changedRect(const QImage& a, const QImage& b) {
    const int w = a.width(), h = a.height();
    int top = h, bottom = -1, left = w, right = -1;
    for (int y = 0; y < h; ++y) {
        const auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        if (std::memcmp(ra, rb, size_t(w) * sizeof(QRgb)) == 0) continue;
        top = std::min(top, y);
        bottom = y;
        int x0 = 0, x1 = w - 1;
        while (ra[x0] == rb[x0]) ++x0;
        while (ra[x1] == rb[x1]) --x1;
        left = std::min(left, x0);
        right = std::max(right, x1);
    }
    return bottom < 0 ? QRect() : QRect(left, top, right - left + 1, bottom - top + 1);
}

// Sends what the panels queued for X once the loop is about to sleep: the frames of both pets
// painted in one wake-up reach the server (and the compositor) together.
void flushBeforeSleep(Display* dpy) {
    static bool pending = false;
    static bool connected = false;
    if (!connected) {
        auto* dispatcher = QAbstractEventDispatcher::instance();
        if (!dispatcher) return void(XFlush(dpy));
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [] {
            if (!std::exchange(pending, false)) return;
            if (Display* d = x11Display()) XFlush(d);
        });
        connected = true;
    }
    pending = true;
}

void applyShape(Display* dpy, unsigned long window, int kind, const std::vector<QRect>& rects) {
    std::vector<XRectangle> xr;
    xr.reserve(rects.size());
    for (const QRect& r : rects)
        xr.push_back({short(r.x()), short(r.y()), (unsigned short)(r.width()), (unsigned short)(r.height())});
    XShapeCombineRectangles(dpy, window, kind, 0, 0, xr.data(), int(xr.size()), ShapeSet, Unsorted);
}

// Raises the visible panels whenever a managed window is mapped or restacked, so a pet never
// ends up behind a window that comes up. Override-redirect windows (menus, tooltips, our own
// popups) are left alone.
class StackingWatcher final : public QAbstractNativeEventFilter {
public:
    static StackingWatcher& shared() {
        static auto* watcher = new StackingWatcher;  // lives as long as the process
        return *watcher;
    }

    void add(PetPanelWindow* panel) {
        if (std::find(panels_.begin(), panels_.end(), panel) == panels_.end()) panels_.push_back(panel);
        watchRoot();
    }
    void remove(PetPanelWindow* panel) { std::erase(panels_, panel); }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t" || panels_.empty()) return false;
        auto* ev = static_cast<xcb_generic_event_t*>(message);
        switch (ev->response_type & 0x7f) {
            case XCB_MAP_NOTIFY: {
                auto* e = static_cast<xcb_map_notify_event_t*>(message);
                if (e->event == root_ && !e->override_redirect && !isPanel(e->window)) raiseSoon();
                break;
            }
            case XCB_CONFIGURE_NOTIFY: {
                auto* e = static_cast<xcb_configure_notify_event_t*>(message);
                if (e->event == root_ && !e->override_redirect && !isPanel(e->window)) raiseSoon();
                break;
            }
            default:
                break;
        }
        return false;
    }

private:
    StackingWatcher() {
        raiseTimer_.setSingleShot(true);
        QObject::connect(&raiseTimer_, &QTimer::timeout, [this] {
            for (PetPanelWindow* p : panels_)
                if (p->isVisible()) p->raise();
        });
    }

    void watchRoot() {
        if (watching_) return;
        Display* dpy = x11Display();
        if (!dpy) return;
        watching_ = true;
        root_ = uint32_t(DefaultRootWindow(dpy));
        XWindowAttributes attrs;
        // Our selection on the root is shared with Qt's: add to it, never replace it.
        if (XGetWindowAttributes(dpy, root_, &attrs))
            XSelectInput(dpy, root_, attrs.your_event_mask | SubstructureNotifyMask);
        XFlush(dpy);
        qGuiApp->installNativeEventFilter(this);
    }

    bool isPanel(uint32_t window) const {
        for (PetPanelWindow* p : panels_)
            if (p->testAttribute(Qt::WA_WState_Created) && uint32_t(p->winId()) == window) return true;
        return false;
    }

    // Bursts of restacking (a window being dragged) come down to one raise per 50 ms.
    void raiseSoon() {
        if (!raiseTimer_.isActive()) raiseTimer_.start(50);
    }

    std::vector<PetPanelWindow*> panels_;
    QTimer raiseTimer_;
    bool watching_ = false;
    uint32_t root_ = 0;
};

}  // namespace

void PetPanelWindow::planFrame(double at, double tolerance) {
    cancelFrame();
    frameAt_ = at;
    frameLatest_ = at + tolerance;
    // A little late is allowed, so that both pets' frames (and their gaze looks) are drawn in
    // one wake-up and reach X in one flush.
    frameWake_ = TimerHub::shared().add(at - anim::currentMediaTime(), tolerance, [this] {
        frameWake_ = 0;
        refreshSoon();
    });
}

void PetPanelWindow::cancelFrame() {
    if (frameWake_) TimerHub::shared().remove(std::exchange(frameWake_, 0));
}

PetPanelWindow::PetPanelWindow(const Rect& frame) : frame_(frame) {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool | Qt::WindowDoesNotAcceptFocus |
                   Qt::X11BypassWindowManagerHint | Qt::NoDropShadowWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
    shapeTimer_.setSingleShot(true);
    connect(&shapeTimer_, &QTimer::timeout, this, [this] { updateShape(true); });
    setFrame(frame);
}

PetPanelWindow::~PetPanelWindow() {
    StackingWatcher::shared().remove(this);
    cancelFrame();
    if (root_) root_->setChangeHandler({});
    if (gc_)
        if (Display* dpy = x11Display()) XFreeGC(dpy, static_cast<GC>(gc_));
}

void PetPanelWindow::setFrame(const Rect& frame) {
    QSize size(std::max(1, int(std::ceil(frame.width()))), std::max(1, int(std::ceil(frame.height()))));
    bool resized = size != this->size();
    frame_ = frame;
    setFixedSize(size);
    placeWindow();
    if (resized) {
        hitMask_.clear();
        forceRepaint();
    }
}

void PetPanelWindow::setFrameOrigin(Point origin) {
    frame_.origin = origin;
    placeWindow();
}

void PetPanelWindow::placeWindow() {
    // The design's global space is y up from the primary screen's bottom-left corner.
    QRect primary = primaryGeometry();
    move(int(std::lround(primary.x() + frame_.minX())),
         int(std::lround(primary.y() + primary.height() - frame_.minY() - height())));
    frameInterval_ = frameInterval(*this);
}

void PetPanelWindow::orderFront() {
    if (!isVisible()) show();
    if (x11Display()) raise();
}

void PetPanelWindow::orderOut() {
    hide();
    cancelFrame();
    windowShowsPrevious_ = false;
}

void PetPanelWindow::showEvent(QShowEvent*) {
    frameInterval_ = frameInterval(*this);
    StackingWatcher::shared().add(this);
    shapeApplied_ = false;
    windowShowsPrevious_ = false;
    forceRepaint();
}

void PetPanelWindow::setRootLayer(std::shared_ptr<anim::Layer> layer) {
    if (root_ == layer) return;
    if (root_) root_->setChangeHandler({});
    root_ = std::move(layer);
    if (root_) root_->setChangeHandler([this] { treeChanged(); });
    forceRepaint();
}

void PetPanelWindow::setClipRect(std::optional<Rect> rect) {
    if (clip_ == rect) return;
    clip_ = rect;
    forceRepaint();
}

void PetPanelWindow::setIgnoresMouseEvents(bool ignores) {
    if (ignoresMouse_ == ignores) return;
    ignoresMouse_ = ignores;
    pressed_ = false;
    updateShape(true);
}

void PetPanelWindow::setMouseHandlers(std::function<bool(Point)> hitTest,
                                      std::function<void(const PanelMouseEvent&)> onEvent) {
    hitTest_ = std::move(hitTest);
    onEvent_ = std::move(onEvent);
    hitMask_.clear();
    updateShape(true);
}

// ---- painting

void PetPanelWindow::forceRepaint() {
    painted_.reset();
    treeChanged();
}

void PetPanelWindow::treeChanged() {
    // A frame due within `lookAgainWithin` looks at the change then; otherwise look once after
    // the burst of layer changes this turn of the loop makes.
    if (frameWake_ && painted_ && frameLatest_ <= anim::currentMediaTime() + lookAgainWithin) return;
    refreshSoon();
}

void PetPanelWindow::refreshSoon() {
    if (refreshPosted_) return;
    refreshPosted_ = true;
    // After the other work of this turn, so that a frame and a gaze look that wake together
    // are looked at (and painted) once.
    QCoreApplication::postEvent(this, new QEvent(refreshEvent), Qt::LowEventPriority);
}

bool PetPanelWindow::event(QEvent* event) {
    if (event->type() != refreshEvent) return QWidget::event(event);
    refreshPosted_ = false;
    refresh();
    return true;
}

void PetPanelWindow::refresh() {
    if (!root_ || !isVisible()) {
        cancelFrame();
        return;
    }
    double t = anim::currentMediaTime();
    double interval = frameInterval_;
    const double dpr = devicePixelRatioF();
    if (!painted_ || anim::FrameSignature::differsVisibly(*root_, t, dpr, *painted_)) {
        double earliest = lastPaint_ + interval;
        if (painted_ && t < earliest - 0.0005) {
            planFrame(earliest, 1 / maxFrameRate);
            return;
        }
        painted_ = anim::FrameSignature::capture(*root_, t, dpr);
        repaintNow(t);
    } else if (frameWake_) {
        // Nothing shows yet and a frame is coming. When what changed stays a drift until then,
        // that frame paints it; otherwise only a change before it matters.
        if (isDriftAt(frameLatest_)) return;
        return planNext(t, frameAt_);
    }
    planNext(t);
}

void PetPanelWindow::repaintNow(double t) {
    std::swap(frameImage_, previousImage_);
    renderer_.renderInto(frameImage_, *root_, t, QSizeF(width(), height()), devicePixelRatioF(), clip_);
    lastPaint_ = t;
    ++paintCount_;
    updateShape(false);
    if (!putFrame()) {
        windowShowsPrevious_ = false;
        update();
    }
}

bool PetPanelWindow::putFrame() {
    // Qt's way to the screen (repaint manager, clearing and syncing its backing store) costs
    // several times our own painting for a frame this small. On X11 the frame goes straight to
    // the window; Qt's backing store catches up on the next expose.
    Display* dpy = x11Display();
    if (directPut_ == DirectPut::unavailable || !dpy || !isVisible() || !testAttribute(Qt::WA_WState_Created))
        return false;
    auto window = static_cast<unsigned long>(winId());
    if (directPut_ == DirectPut::unknown) {
        XWindowAttributes attrs;
        if (!XGetWindowAttributes(dpy, window, &attrs) || attrs.depth != 32 || frameImage_.depth() != 32) {
            directPut_ = DirectPut::unavailable;
            return false;
        }
        visual_ = attrs.visual;
        gc_ = XCreateGC(dpy, window, 0, nullptr);
        directPut_ = DirectPut::ready;
        // Qt repaints exposed parts from its backing store, so that store must show the last frame.
        windowHandle()->installEventFilter(this);
    }
    // What the X server copies, and the compositor repaints, scales with the area sent: a
    // breathing pet changes a band of its outline, not the whole panel.
    QRect changed = frameImage_.rect();
    if (windowShowsPrevious_ && previousImage_.size() == frameImage_.size()) {
        changed = changedRect(previousImage_, frameImage_);
        if (changed.isEmpty()) return true;
    }
    if (shared_ && shared_->size() != frameImage_.size()) shared_.reset();
    if (!shared_ && sharedMemory_) {
        shared_ = X11SharedImage::create(dpy, visual_, frameImage_.size());
        sharedMemory_ = shared_ != nullptr;
        changed = frameImage_.rect();  // a new image holds nothing yet
    }
    if (shared_) {
        shared_->put(frameImage_, changed, window, gc_);
        flushBeforeSleep(dpy);
        windowShowsPrevious_ = true;
        return true;
    }
    XImage* image = XCreateImage(dpy, static_cast<Visual*>(visual_), 32, ZPixmap, 0,
                                 reinterpret_cast<char*>(frameImage_.bits()), unsigned(frameImage_.width()),
                                 unsigned(frameImage_.height()), 32, int(frameImage_.bytesPerLine()));
    if (!image) return false;
    image->byte_order = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? LSBFirst : MSBFirst;
    XPutImage(dpy, window, static_cast<GC>(gc_), image, changed.x(), changed.y(), changed.x(), changed.y(),
              unsigned(changed.width()), unsigned(changed.height()));
    image->data = nullptr;  // ours
    XDestroyImage(image);
    flushBeforeSleep(dpy);
    windowShowsPrevious_ = true;
    return true;
}

bool PetPanelWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windowHandle() && event->type() == qtExposeEvent) {
        windowShowsPrevious_ = false;
        update();
    }
    return QWidget::eventFilter(watched, event);
}

bool PetPanelWindow::isDriftAt(double t) const {
    return anim::FrameSignature::largestShift(*root_, t, devicePixelRatioF(), *painted_) < driftShift;
}

void PetPanelWindow::planNext(double t, double until) {
    if (until <= t) return;
    double interval = frameInterval_;
    // A drift that shows by the next drift frame and stays small until that frame may come is
    // painted then: no need to find the exact frame it first shows in.
    const double dpr = devicePixelRatioF();
    const double soon = std::max(t + interval, lastPaint_ + driftInterval);
    if (soon + driftDelay < until && isDriftAt(soon + driftDelay) &&
        anim::FrameSignature::differsVisibly(*root_, soon, dpr, *painted_))
        return planFrame(soon, driftDelay);
    auto next = anim::nextVisibleChange(*root_, *painted_, t, dpr, interval, std::min(1.0, until - t));
    // A held-back input region update waits for the next frame, or for its own time when the
    // drawing stops before then.
    double shapeDue = lastShapeUpdate_ + shapeInterval;
    if (shapePending_ && (!next || *next > shapeDue))
        shapeTimer_.start(milliseconds(shapeDue - anim::currentMediaTime()));
    if (!next) {
        cancelFrame();
        return;
    }
    if (*next >= until) return;
    double wake = std::max(*next, lastPaint_ + interval);
    double drift = std::max(wake, lastPaint_ + driftInterval);
    if (isDriftAt(drift + driftDelay)) return planFrame(drift, driftDelay);
    planFrame(wake, 1 / maxFrameRate);
}

void PetPanelWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect(), Qt::transparent);
    if (!frameImage_.isNull()) p.drawImage(QPointF(0, 0), frameImage_);
}

// ---- input region

void PetPanelWindow::updateShape(bool force) {
    if (frameImage_.isNull()) return;
    double now = anim::currentMediaTime();
    if (!force && shapeApplied_ && now - lastShapeUpdate_ < shapeInterval) {
        shapePending_ = true;
        return;
    }
    shapePending_ = false;
    shapeTimer_.stop();
    lastShapeUpdate_ = now;
    const QSize px = frameImage_.size();
    if (hitTest_ && hitMaskSize_ != px) hitMask_.clear();
    if (hitTest_ && hitMask_.empty()) {
        double dpr = frameImage_.devicePixelRatio();
        hitMask_.resize(size_t(px.width()) * px.height());
        for (int y = 0; y < px.height(); ++y)
            for (int x = 0; x < px.width(); ++x)
                hitMask_[size_t(y) * px.width() + x] = hitTest_({(x + 0.5) / dpr, height() - (y + 0.5) / dpr});
        hitMaskSize_ = px;
    }
    std::vector<QRect> input;
    if (!ignoresMouse_) input = drawnRects(frameImage_, inputAlpha, hitTest_ ? &hitMask_ : nullptr);

    Display* dpy = x11Display();
    bool composited = !dpy || compositorRunning(dpy);
    std::vector<QRect> bounding;
    if (!composited) bounding = drawnRects(frameImage_, maskAlpha, nullptr);
    bool inputChanged = input != inputRects_,
         boundingChanged = composited != compositedShape_ || bounding != boundingRects_;
    inputRects_ = std::move(input);
    boundingRects_ = std::move(bounding);
    compositedShape_ = composited;
    if (!dpy || !testAttribute(Qt::WA_WState_Created)) return;
    if (!inputChanged && !boundingChanged && shapeApplied_) return;
    auto window = static_cast<unsigned long>(winId());
    applyShape(dpy, window, ShapeInput, inputRects_);
    if (composited)
        XShapeCombineMask(dpy, window, ShapeBounding, 0, 0, 0, ShapeSet);
    else
        applyShape(dpy, window, ShapeBounding, boundingRects_);
    flushBeforeSleep(dpy);
    shapeApplied_ = true;
}

// ---- mouse

Point PetPanelWindow::toPanel(QPointF p) const {
    return {p.x(), height() - p.y()};
}

void PetPanelWindow::deliver(PanelMouseEvent::Type type, QMouseEvent* e) {
    QRect primary = primaryGeometry();
    QPointF g = e->globalPosition();
    PanelMouseEvent event{type,
                          toPanel(e->position()),
                          {g.x() - primary.x(), primary.y() + primary.height() - g.y()},
                          double(e->timestamp()) / 1000.0};
    if (onEvent_) onEvent_(event);
}

void PetPanelWindow::mousePressEvent(QMouseEvent* e) {
    Point p = toPanel(e->position());
    if (ignoresMouse_ || e->button() != Qt::LeftButton || (clip_ && !clip_->contains(p)) ||
        (hitTest_ && !hitTest_(p))) {
        e->ignore();
        return;
    }
    pressed_ = true;
    deliver(PanelMouseEvent::Type::down, e);
}

void PetPanelWindow::mouseMoveEvent(QMouseEvent* e) {
    if (pressed_) deliver(PanelMouseEvent::Type::dragged, e);
}

void PetPanelWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (!pressed_ || e->button() != Qt::LeftButton) return;
    pressed_ = false;
    deliver(PanelMouseEvent::Type::up, e);
}

// ---- the Panel interface

namespace {

class QtPanel final : public Panel {
public:
    explicit QtPanel(const Rect& frame) : window_(new PetPanelWindow(frame)) {}
    ~QtPanel() override {
        // The window may be inside one of its own event handlers: let Qt delete it afterwards.
        window_->setMouseHandlers({}, {});
        window_->orderOut();
        window_->setRootLayer(nullptr);
        window_->deleteLater();
    }

    Rect frame() const override { return window_->frame(); }
    void setFrame(const Rect& frame) override { window_->setFrame(frame); }
    void setFrameOrigin(Point origin) override { window_->setFrameOrigin(origin); }
    void orderFront() override { window_->orderFront(); }
    void orderOut() override { window_->orderOut(); }
    bool isVisible() const override { return window_->isVisible(); }
    void setRootLayer(std::shared_ptr<anim::Layer> layer) override { window_->setRootLayer(std::move(layer)); }
    std::shared_ptr<anim::Layer> rootLayer() const override { return window_->rootLayer(); }
    void setClipRect(std::optional<Rect> rect) override { window_->setClipRect(rect); }
    std::optional<Rect> clipRect() const override { return window_->clipRect(); }
    void setIgnoresMouseEvents(bool ignores) override { window_->setIgnoresMouseEvents(ignores); }
    bool ignoresMouseEvents() const override { return window_->ignoresMouseEvents(); }
    void setMouseHandlers(std::function<bool(Point)> hitTest,
                          std::function<void(const PanelMouseEvent&)> onEvent) override {
        window_->setMouseHandlers(std::move(hitTest), std::move(onEvent));
    }

private:
    PetPanelWindow* window_;
};

}  // namespace

std::unique_ptr<Panel> PetPanelFactory::createPanel(const Rect& frame) {
    return std::make_unique<QtPanel>(frame);
}

}  // namespace platform::qt
